// gen_mdr_archive - writes a year of hourly MDR collectives, as an archive
// holds them, to standard output (about 1 GB for 365 days): for every hour
// an MDR bulletin with a report from each radar site of a station file
// (times around HH30, reports over two lines, status words among them), its
// corrected issue, and the national summary bulletins of the hour (sections
// of rows of digits). With "summary" only the summary bulletins are written
// (about 0.8 GB for 365 days).
//
// Usage: gen_mdr_archive STATION_FILE [DAYS [summary]]

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

unsigned rng_state = 20240615;

unsigned rnd(unsigned n) {
    rng_state = rng_state * 1103515245u + 12345u;
    return (rng_state >> 8) % n;
}

std::vector<std::string> read_ids(const char *path) {
    std::vector<std::string> ids;
    FILE *f = fopen(path, "r");
    if (!f) return ids;
    char name[64], state[8], region[8], id[16];
    while (fscanf(f, "%63s %7s %7s %15s %*[^\n]", name, state, region, id) == 4) ids.push_back(id);
    fclose(f);
    return ids;
}

void report(const std::string &id, int hour) {
    int minute = 30 + static_cast<int>(rnd(17)) - 8;
    int kind = static_cast<int>(rnd(10));
    if (kind == 0) {
        printf("%s %02d%02d PPINE=\n", id.c_str(), hour, minute);
        return;
    }
    if (kind == 1) {
        printf("%s %02d%02d PPINA=\n", id.c_str(), hour, minute);
        return;
    }
    static const char *configs[] = {"AREA", "CELL", "LINE", "LN"};
    static const char *types[] = {"TRW", "RW", "TRW+", "RW-", "TRW++", "SW-"};
    printf("%s %02d%02d %s %u%s/%s %u/%u %u/%u %u/%u %uW C%02u%02u MT %u AT %u/%u\n", id.c_str(),
           hour, minute, configs[rnd(4)], 1 + rnd(9), types[rnd(6)], rnd(2) ? "+" : "NC",
           rnd(36) * 10, 20 + rnd(100), rnd(36) * 10, 20 + rnd(100), rnd(36) * 10, 20 + rnd(100),
           5 + rnd(40), rnd(36), 5 + rnd(40), 150 + rnd(400), rnd(36) * 10, 10 + rnd(100));
    printf("   ^");
    int groups = 3 + static_cast<int>(rnd(6));
    for (int g = 0; g < groups; ++g) {
        printf("%c%c", 'J' + rnd(7), 'J' + rnd(7));
        int digits = 1 + static_cast<int>(rnd(4));
        for (int k = 0; k < digits; ++k) putchar('1' + rnd(6));
        putchar(g + 1 < groups ? ' ' : '=');
    }
    putchar('\n');
}

void summary(int day, int hour, int part) {
    printf("SDUS2%d KWBC %02d%02d15\n", part % 10, day, hour);
    for (int section = 0; section < 2; ++section) {
        printf("+ %02d %03d\n", 1 + 44 * section, 2 + 40 * (part % 3));
        for (int row = 0; row < 100; ++row) {
            for (int col = 0; col < 40; ++col) putchar(rnd(5) == 0 ? '1' + rnd(6) : ' ');
            putchar('\n');
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: %s STATION_FILE [DAYS]\n", argv[0]);
        return 2;
    }
    std::vector<std::string> ids = read_ids(argv[1]);
    if (ids.empty()) {
        fprintf(stderr, "%s: no stations in %s\n", argv[0], argv[1]);
        return 1;
    }
    int days = argc > 2 ? atoi(argv[2]) : 365;
    const bool only_summary = argc > 3 && std::string(argv[3]) == "summary";
    for (int d = 0; d < days; ++d) {
        int day = 1 + d % 28;
        for (int hour = 0; hour < 24; ++hour) {
            if (only_summary) {
                for (int part = 1; part <= 11; ++part) summary(day, hour, part);
                continue;
            }
            for (const char *issue : {"", " CCA"}) {
                printf("ZCZC RDC%03d\nSDUS41 KWBC %02d%02d35%s\nMANUALLY DIGITIZED RADAR REPORTS\n",
                       (d * 24 + hour) % 1000, day, hour, issue);
                for (const std::string &id : ids) report(id, hour);
                printf("NNNN\n");
            }
            for (int part = 1; part <= 11; ++part) summary(day, hour, part);
        }
    }
    return 0;
}
