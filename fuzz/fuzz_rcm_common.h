// fuzz_rcm_common.h - what the two fuzz targets of the Radar Coded Message
// reader share: every message of a whole file read and checked, three ways
// that must agree (quietly, and with every trace formatted),
// then merged into a summary of the MDR grid and listed.
#ifndef FUZZ_RCM_COMMON_H
#define FUZZ_RCM_COMMON_H

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "files.h"
#include "fuzz_common.h"
#include "maptran.h"
#include "mess.h"
#include "rad_dec.h"
#include "rcm_read.h"

namespace fuzzing {

// What every decoded record holds, whatever the input.
inline void check_report(const RCM_report &r) {
    check(terminated(r.id, sizeof r.id));
    check(r.num_storm >= 0 && r.num_storm <= 40 && r.num_tvs >= 0 && r.num_tvs <= 10);
    check(r.num_meso >= 0 && r.num_meso <= 20 && r.num_vad >= 0 && r.num_vad <= 20);
    check(r.mode == 1 || r.mode == 2 || r.mode == VEK_MISS);
    check(r.status == VEK_MISS || (r.status >= 0 && r.status <= 2));
    for (const auto &col : r.echo)
        for (signed char v : col) check(v >= -1 && v <= 9);
    for (const RCM_storm &s : r.storm) check(terminated(s.id, 3) && s.hail >= -1 && s.hail <= 2);
    for (const RCM_point &p : r.tvs) check(terminated(p.id, 3));
    for (const RCM_point &p : r.meso) check(terminated(p.id, 3));
    for (const RCM_vad &v : r.vad) check(v.rms >= 0 && v.rms <= 15);
}

// Every message of the SIZE bytes at DATA, decoded in turn (records zeroed
// first, so that whole records compare), with what each call returned.
inline std::vector<std::pair<int, RCM_report>> decode_all(const char *data, size_t size) {
    std::vector<std::pair<int, RCM_report>> all;
    std::string text(data, size);
    FILE *f = fmemopen(text.data(), text.size(), "r");
    if (!f) return all;
    // Every message takes input, so there are never more calls than bytes
    // (and one more for the end): no endless loop.
    for (size_t calls = 1;; ++calls) {
        check(calls <= size + 1);
        all.emplace_back();
        RCM_report &r = all.back().second;
        memset(&r, 0, sizeof r);
        const int got = all.back().first = RCM_read_site(f, &r);
        check(got >= -1 && got <= 1);
        check_report(r);
        if (got < 0) break;
    }
    FILE_close(f);
    return all;
}

// Reads every message of the SIZE bytes at DATA twice, which must give the
// same records: quietly, and with every trace formatted (every message class
// selected, kept off the terminal). Then merges each into a summary of the
// MDR grid and lists it.
inline void read_messages(const char *data, size_t size) {
    MESS_set(0, 0x0000000F);
    const auto fast = decode_all(data, size);
    MESS_set(1, 0xFFFFFFFF);
    MESS_set_out(0);
    const auto traced = decode_all(data, size);
    check(fast.size() == traced.size());
    for (size_t i = 0; i < fast.size(); ++i) {
        check(fast[i].first == traced[i].first);
        check(memcmp(&fast[i].second, &traced[i].second, sizeof(RCM_report)) == 0);
    }

    static auto info = std::make_unique<RAD_info>();
    Domain d;
    RAD_mdr_domain(&d);
    MAP_domain(&d);
    RAD_summary_init(info.get());
    for (const auto &entry : fast) {
        RCM_report r = entry.second;
        RCM_print(M_OUT3, &r);
        r.lat = 35.0f + static_cast<float>(r.num % 20);
        r.lon = -100.0f + static_cast<float>(r.num % 30);
        check(RCM_set_summary(info.get(), &r) == 1);
    }
}

} // namespace fuzzing

#endif
