// gen_rcm_feed - writes a feed of Radar Coded Messages to standard output, as
// a day's feed file holds them: rounds of one message from each radar site
// of a station file, all timed 12:31 to 12:59 so that a run of 12:45 takes
// every one. A message is a heading, the "RCMxxx" line and the coded text on
// one line in 70-character records, 2.5 KB on average like the two real
// messages in data/: part A with 50 to 100 run-length coded
// intensity groups (repeat letters, blanks inside groups, digits 0 to 9),
// the maximum top and 6 to 14 storm centroids; part B with 10 to 19 wind
// levels; part C with signatures, mesocyclones and the centroids' heights.
// Every fourth message carries the 120-byte binary product header (NUL bytes,
// no line feed) of the archive form before its text.
//
// Usage: gen_rcm_feed STATION_FILE MEGABYTES

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

char letter(unsigned n) {
    return static_cast<char>('A' + rnd(n));
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

// Appends PART padded with blanks to the next multiple of 70 characters.
void record(std::string &text, const std::string &part) {
    text += part;
    text.append((70 - part.size() % 70) % 70, ' ');
}

std::string message(const std::string &id, int num) {
    char buf[128];
    const int minute = 31 + static_cast<int>(rnd(29));
    snprintf(buf, sizeof buf, "%04d 15062412%02d", num, minute);
    const std::string stamp = buf;
    std::string text;
    record(text, "1234 ROBUU " + stamp.substr(0, 4));
    record(text, "/NEXRAA " + stamp + (rnd(2) ? " UNEDITED" : " EDITED"));
    const int ngroups = 50 + static_cast<int>(rnd(51));
    std::string groups = "/MDPCPN /SC     /NI" + std::to_string(ngroups * 12) + ":";
    for (int g = 0; g < ngroups; ++g) {
        groups += g ? "," : "";
        groups += {letter(26), letter(20), letter(16)};
        const int runs = 3 + static_cast<int>(rnd(12));
        for (int k = 0; k < runs; ++k) {
            groups += static_cast<char>('0' + rnd(10));
            if (rnd(3) == 0) groups += letter(8);
            if (rnd(40) == 0) groups += ' ';
        }
    }
    record(text, groups);
    snprintf(buf, sizeof buf, "/MT%u:%c%c%c", 100 + rnd(500), letter(26), letter(26), letter(16));
    record(text, buf);
    const int ncen = 6 + static_cast<int>(rnd(9));
    std::string cen = "/NCEN" + std::to_string(ncen) + ":";
    std::vector<std::string> ids;
    for (int c = 0; c < ncen; ++c) {
        ids.push_back({letter(26), static_cast<char>('0' + rnd(10))});
        snprintf(buf, sizeof buf, "%sC%s%c%c%c %03u%03u", c ? "," : " ", ids.back().c_str(),
                 letter(26), letter(26), letter(16), rnd(360), rnd(80));
        cen += buf;
    }
    record(text, cen);
    record(text, "/ENDAA");
    record(text, "/NEXRBB " + stamp);
    std::string vad;
    const int levels = 10 + static_cast<int>(rnd(10));
    for (int l = 0; l < levels; ++l) {
        snprintf(buf, sizeof buf, "%s%03dA%03u%03u", l ? "," : "", (l + 1) * 10, rnd(360), rnd(90));
        vad += buf;
    }
    record(text, vad);
    record(text, "/ENDBB");
    record(text, "/NEXRCC " + stamp);
    snprintf(buf, sizeof buf, "/NTVS01: TVS%c%u%c%c%c,", letter(26), rnd(10), letter(26),
             letter(26), letter(16));
    record(text, rnd(4) ? "/NTVS00:" : buf);
    snprintf(buf, sizeof buf, "/NMES02: M%02u%c%c%c,M%02u%c%c%c", rnd(99), letter(26), letter(26),
             letter(16), rnd(99), letter(26), letter(26), letter(16));
    record(text, buf);
    std::string heights = "/NCEN" + std::to_string(ncen) + ":";
    for (int c = 0; c < ncen; ++c)
        heights += (c ? ",C" : " C") + ids[c] + "AAA S" + std::to_string(100 + rnd(200)) + "H" +
                   "UNPH"[rnd(4)];
    record(text, heights);

    std::string out = "SDUS54 K" + id + " 1512" + stamp.substr(13, 2) + "\r\r\nRCM" + id + "\r\r\n";
    if (num % 4 == 0) {
        std::string header(120, '\0');
        for (int k = 0; k < 120; k += 7) header[k] = static_cast<char>(1 + rnd(9));
        out += header;
    }
    return out + text + "\r\r\n";
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: gen_rcm_feed STATION_FILE MEGABYTES\n");
        return 2;
    }
    const std::vector<std::string> ids = read_ids(argv[1]);
    if (ids.empty()) {
        fprintf(stderr, "gen_rcm_feed: no stations in %s\n", argv[1]);
        return 1;
    }
    const long long want = atoll(argv[2]) * 1000000LL;
    long long written = 0;
    for (int n = 0; written < want; ++n) {
        const std::string m = message(ids[n % ids.size()], 1 + n % 999);
        fwrite(m.data(), 1, m.size(), stdout);
        written += static_cast<long long>(m.size());
    }
    return 0;
}
