// bench_mdr.cpp - the cost of MDR reports: decoding one typical report, and
// reading a large collective in which most lines are reports of other hours
// and continuation lines (per megabyte), next to the bare line reader over
// the same text.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "files.h"
#include "rad_dec.h"
#include "vekstr.h"

namespace {

const char *const reports[] = {
    "OKC 1235 LN 8TRW++/+ 86/32 164/67 19W C2428 MT 440 AT 143/47 ^LN1 MO12 NP2234",
    "TLX 1225 AREA 4TRW+/+ 250/60 290/95 340/70 35W C2520 MT 450 AT 275/80 "
    "^KK1 KL23 LK24 LL342 ML12",
    "AMA 1232 PPINE",
    "SRX 1231 MDR LK12 LL234 ML12/AA2420C/AA410/TRW",
};

void BM_MdrDecode(benchmark::State &state) {
    static RAD_info info;
    RAD_summary_init(&info);
    MDR_report rep;
    memset(&rep, 0, sizeof rep);
    rep.x = 50.6f;
    rep.y = 40.3f;
    const char *text = reports[state.range(0)];
    for (auto _ : state) {
        MDR_decode(text, &info, &rep);
        benchmark::DoNotOptimize(rep);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(text, 20));
}
BENCHMARK(BM_MdrDecode)->DenseRange(0, 3);

// A collective of about BYTES: bulletins of every hour, in each a report of
// 34 stations, one in six of them over three lines. The nominal hour is 12.
const std::string &collective(size_t bytes) {
    static std::string text;
    if (text.size() >= bytes) return text;
    text.clear();
    static const char *const ids[] = {"TLX", "AMA", "FWS", "ICT", "DDC", "INX", "LZK", "EAX", "SGF",
                                      "SHV", "FTG", "PUX", "GLD", "UEX", "TWX", "VNX", "ABX", "EPZ",
                                      "MAF", "LBB", "SJT", "DYX", "EWX", "GRK", "HGX", "LCH", "POE",
                                      "OAX", "DMX", "MPX", "JAN", "LIX", "MOB", "BMX"};
    char line[200];
    for (int day = 0; text.size() < bytes; ++day) {
        const int hour = day % 24;
        snprintf(line, sizeof line, "ZCZC RDC%03d\nSDUS41 KWBC %02d%02d35\nRADUS1\n", day % 1000,
                 day % 28 + 1, hour);
        text += line;
        for (int i = 0; i < 34; ++i) {
            const int minute = 25 + (i * 7) % 16;
            if (i % 6 == 0) {
                snprintf(line, sizeof line,
                         "%s %02d%02d AREA 4TRW+/+ 250/60 290/95 340/70 35W C2520 MT 450 AT "
                         "275/80\n^KK1 KL23 LK24\nLL342 ML12=\n",
                         ids[i], hour, minute);
            } else if (i % 3 == 0) {
                snprintf(line, sizeof line, "%s %02d%02d PPINE=\n", ids[i], hour, minute);
            } else {
                snprintf(line, sizeof line,
                         "%s %02d%02d CELL 2TRW/+ 210/55 D15 C2325 MT 410 AT 215/55 ^LK23 MK1=\n",
                         ids[i], hour, minute);
            }
            text += line;
        }
        text += "NNNN\n";
    }
    return text;
}

void BM_MdrReadRaw(benchmark::State &state) {
    const std::string &text = collective(static_cast<size_t>(state.range(0)) << 20);
    RAD_set_nominal(12, 30);
    char data_str[500];
    char id[11];
    long found = 0;
    for (auto _ : state) {
        rad_dec_reset_state();
        RAD_set_nominal(12, 30);
        FILE *f = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
        if (!f) {
            state.SkipWithError("fmemopen failed");
            return;
        }
        found = 0;
        while (MDR_read_raw(f, data_str, id) == 1) ++found;
        FILE_close(f);
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["reports"] = static_cast<double>(found);
}
BENCHMARK(BM_MdrReadRaw)->Arg(16)->Unit(benchmark::kMillisecond);

// The line reader alone over the same text: the floor under BM_MdrReadRaw.
void BM_FgetlineOnly(benchmark::State &state) {
    const std::string &text = collective(static_cast<size_t>(state.range(0)) << 20);
    char line[161];
    for (auto _ : state) {
        FILE *f = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
        if (!f) {
            state.SkipWithError("fmemopen failed");
            return;
        }
        long lines = 0;
        while (fgetline(f, line) >= 0) ++lines;
        FILE_close(f);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FgetlineOnly)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace
