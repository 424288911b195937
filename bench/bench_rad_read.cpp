// bench_rad_read.cpp - writing the converted-file header: the MDR summary
// (264 grid lines) and a busy RCM summary (every row present).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "rad_dec.h"
#include "rad_read.h"
#include "vekstr.h"

namespace {

std::unique_ptr<RAD_info> make_info(int type) {
    auto info = std::make_unique<RAD_info>();
    memset(info.get(), 0, sizeof *info);
    RAD_summary_init(info.get());
    vek_copy(info->datim, "12:15Z 5 DEC 2026");
    info->type = type;
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            info->summary[x][y] = static_cast<signed char>((x * 7 + y * 3) % 10);
    return info;
}

void write_header(benchmark::State &state, int type) {
    char dir[] = "/tmp/vekbench-XXXXXX";
    if (!mkdtemp(dir)) {
        state.SkipWithError("no temporary directory");
        return;
    }
    std::string path = std::string(dir) + "/out.rad";
    auto info = make_info(type);
    for (auto _ : state) {
        int ftype = 3;
        int fd = RAD_open(path.c_str(), 1, &ftype);
        RAD_putinfo(fd, info.get());
        RAD_close(fd);
    }
    unlink(path.c_str());
    rmdir(dir);
}

void BM_MdrSummaryHeader(benchmark::State &state) {
    write_header(state, 1);
}
void BM_RcmSummaryHeader(benchmark::State &state) {
    write_header(state, 2);
}

} // namespace

BENCHMARK(BM_MdrSummaryHeader);
BENCHMARK(BM_RcmSummaryHeader);
