// bench_rcm_groups.cpp - part A's intensity groups of every message of a feed
// of Radar Coded Messages, read into a site's grid by the plain reader and by
// the vector reader. The feed is the file named by RCM_FEED (bench/
// groups_bench.sh writes one); each message's groups start after its "/NI"
// count. Reports the seconds each reader takes for the whole feed.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "rcm_groups.h"
#include "vekrad.h"

namespace {

// The group texts of the feed: each from after "/NIn: " to the next "/".
const std::vector<std::string> &groups() {
    static const std::vector<std::string> all = [] {
        std::vector<std::string> found;
        const char *path = getenv("RCM_FEED");
        std::ifstream f(path ? path : "");
        std::stringstream text;
        text << f.rdbuf();
        const std::string feed = text.str();
        for (size_t at = feed.find("/NI"); at != std::string::npos; at = feed.find("/NI", at)) {
            const size_t start = feed.find_first_not_of(' ', feed.find(':', at) + 1);
            if (start == std::string::npos) break;
            const size_t end = feed.find('/', start);
            found.push_back(feed.substr(start, end == std::string::npos ? end : end - start));
            at = start;
        }
        return found;
    }();
    return all;
}

void read_all(benchmark::State &state, int (*reader)(const unsigned char *, int, RCM_report *)) {
    const auto &all = groups();
    if (all.empty()) {
        state.SkipWithError("no feed: set RCM_FEED to a file of Radar Coded Messages");
        return;
    }
    auto report = std::make_unique<RCM_report>();
    for (auto _ : state) {
        long long consumed = 0;
        for (const std::string &g : all) {
            memset(report->echo, 0xFF, sizeof report->echo);
            consumed += reader(reinterpret_cast<const unsigned char *>(g.data()),
                               static_cast<int>(g.size()), report.get());
        }
        benchmark::DoNotOptimize(consumed);
    }
    state.counters["messages"] = static_cast<double>(all.size());
}

void BM_GroupsPlain(benchmark::State &state) {
    read_all(state, rcm_groups_plain);
}
BENCHMARK(BM_GroupsPlain)->Unit(benchmark::kMillisecond);

void BM_GroupsVector(benchmark::State &state) {
    if (rcm_groups_vector(reinterpret_cast<const unsigned char *>(""), 0, nullptr) < 0) {
        state.SkipWithError("no vector reader on this processor");
        return;
    }
    read_all(state, rcm_groups_vector);
}
BENCHMARK(BM_GroupsVector)->Unit(benchmark::kMillisecond);

} // namespace
