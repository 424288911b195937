// bench_def_read.cpp - reading a defaults file of N lines at start-up
// (RES_init with the file as the whole search path). Half the lines preset
// a resource of the program, half store a free resource of their own name,
// the case that makes the store grow with the file. The complexity fit at
// the end tells whether reading stays linear in the size of the file.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "rad_dec.h"
#include "res_init.h"
#include "resrc.h"
#include "vekreset.h"

namespace {

std::string write_defaults(long lines) {
    char dir[] = "/tmp/vekbench-XXXXXX";
    if (!mkdtemp(dir)) return "";
    std::string path = std::string(dir) + "/vek.cfg";
    FILE *f = fopen(path.c_str(), "w");
    if (!f) return "";
    for (long i = 0; i < lines; ++i) {
        if (i % 2)
            fprintf(f, "dirida.free_%ld: value %ld\n", i, i);
        else
            fprintf(f, "*data_path: /data/%ld\n", i);
    }
    fclose(f);
    return path;
}

void read_defaults(benchmark::State &state) {
    const std::string path = write_defaults(state.range(0));
    if (path.empty()) {
        state.SkipWithError("cannot write the defaults file");
        return;
    }
    setenv("vekdefault", path.c_str(), 1);
    char prog[] = "/usr/bin/dirida", quiet[] = "-me", none[] = "none";
    char *argv[] = {prog, quiet, none, nullptr};
    for (auto _ : state) {
        vek_reset_all();
        RES_init(3, argv, RAD_res_key, RAD_res_pos);
        benchmark::DoNotOptimize(RES_get("data_path"));
    }
    vek_reset_all();
    state.SetComplexityN(state.range(0));
    unlink(path.c_str());
    rmdir(path.substr(0, path.rfind('/')).c_str());
}

} // namespace

BENCHMARK(read_defaults)
    ->RangeMultiplier(2)
    ->Range(5000, 40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
