// bench_scanp.cpp - the cost of one scanp call on the patterns the decoders
// use, matching and failing, and of walking a whole MDR report the decoder's
// way. Tracing is off (the default message selection), as in production runs.

#include <benchmark/benchmark.h>

#include <vector>


namespace {

struct Case {
    const char *name;
    const char *pat;
    const char *text;
    const char *kinds; // one letter per destination: i int, f float, c char, s char[80]
};

const Case cases[] = {
    {"word", "%<5s ", "OKC 1130 AREA 4TRW+", "s"},
    {"time", "%4d ", "1130 AREA 4TRW+", "i"},
    {"skip_word_fails", "%*(RTD|SPL|COR) ", "1130 AREA 4TRW+", ""},
    {"precip_group", "%!!d%[TRWSZLPAI]%[-+XU] ", "4TRW+ 6R- /NC", "iss"},
    {"echo_group", "%c%c%[^// ] ", "MM5 NL12/ MN3/", "ccs"},
    {"grid_move", "%*2[A]%2d%2d%[ALC]", "AA2520C/AA45/", "iis"},
    {"padded_columns", "%*2D%8F%10F%4F", "12  35.333   -97.278 370", "fff"},
    {"tops", "%*(MT) %d AT %d/%d ", "MT 450 AT 230/60 C2520", "iii"},
    {"rcm_date", "%d %2D%2D%2D%2D%2D ", "123 0105951230 /MDCLAR", "iiiiii"},
};

// Storage for every destination kind.
struct Fields {
    int i[8];
    float f[8];
    char c[8];
    char s[8][80];
};

std::vector<scan_dest> destinations(const char *kinds, Fields &f) {
    std::vector<scan_dest> list;
    for (int k = 0; kinds[k]; ++k) {
        switch (kinds[k]) {
        case 'i':
            list.push_back(scan_to(&f.i[k]));
            break;
        case 'f':
            list.push_back(scan_to(&f.f[k]));
            break;
        case 'c':
            list.push_back(scan_to(f.c[k]));
            break;
        default:
            list.push_back(scan_to(f.s[k]));
            break;
        }
    }
    return list;
}

void BM_scanp(benchmark::State &state) {
    const Case &c = cases[state.range(0)];
    Fields fields;
    const std::vector<scan_dest> dest = destinations(c.kinds, fields);
    parse_param p{};
    scanp_set(&p, c.text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(scanp_list(&p, c.pat, dest));
        benchmark::ClobberMemory();
    }
    state.SetLabel(c.name);
}
BENCHMARK(BM_scanp)->DenseRange(0, sizeof cases / sizeof cases[0] - 1);

// One standard-form report from the header to the echo digits: about twenty
// scanp calls, committed when they match.
void BM_scanp_mdr_report(benchmark::State &state) {
    const char *report = "OKC 1130 AREA 4TRW+ 6R- /NC 25/50 C2520 MT 450 AT 230/60 ^MM5 NL12 NM345";
    char id[11], config[10], type[5], sym[4], trend[4], run[4], digits[27], row, col;
    int time, cov, dir, rad, spd, h;
    for (auto _ : state) {
        parse_param p{};
        scanp_set(&p, report);
        auto take = [&p](int want, int r) {
            if (r == want) scanp_inc(&p);
            return r == want;
        };
        take(1, scanp(&p, "%<5s ", id));
        take(1, scanp(&p, "%*(RTD|SPL|COR) "));
        take(1, scanp(&p, "%4d ", &time));
        take(1, scanp(&p, "%*(RTD|SPL|COR) "));
        take(1, scanp(&p, "%s ", config));
        for (int g = 0; g < 3 && take(3, scanp(&p, "%!!d%[TRWSZLPAI]%[-+XU] ", &cov, type, sym));)
            ++g;
        take(2, scanp(&p, "%*(/)%s ", trend));
        for (int s = 0; s < 5; ++s) {
            if (take(2, scanp(&p, "%d/%d ", &dir, &rad))) continue;
            if (take(2, scanp(&p, "%d%*(W) ", &rad))) continue;
            take(2, scanp(&p, "%*(D)%d ", &rad));
        }
        for (int m = 0; m < 3; ++m) take(3, scanp(&p, "%[ALC]%2d%2d ", run, &dir, &spd));
        take(4, scanp(&p, "%*(MT) %d AT %d/%d ", &h, &dir, &rad));
        scanp_search(&p, "^");
        scanp_inc_off(&p, 1);
        while (take(3, scanp(&p, "%c%c%s ", row, col, digits))) {}
        benchmark::DoNotOptimize(p.off);
    }
}
BENCHMARK(BM_scanp_mdr_report);

} // namespace
