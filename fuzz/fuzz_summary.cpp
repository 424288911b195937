// fuzz_summary.cpp - the summary bulletin reader over whole input files.
//
// The input is read through a memory stream at the nominal time 12:15; after
// the reading every cell must still be empty or hold a digit value.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vek.h"
#include "vekrad.h"

namespace {

struct Exited {
    int status;
};

[[noreturn]] void throwing_exit(int status) {
    throw Exited{status};
}

RAD_info info;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    VEK_set_exit_hook(throwing_exit);
    RAD_set_nominal(12, 15);
    RAD_summary_init(&info);

    static char none[1];
    FILE *f =
        fmemopen(size ? const_cast<uint8_t *>(data) : reinterpret_cast<uint8_t *>(none), size, "r");
    if (!f) return 0;
    try {
        MDR_read_raw_summary(f, &info);
    } catch (const Exited &) {
        // The reader never ends the process; reaching here is a finding.
        abort();
    }
    if (getc(f) != EOF) abort(); // the whole input is consumed
    fclose(f);

    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y) {
            signed char v = info.summary[x][y];
            if (v != RAD_EMPTY && (v < 0 || v > 9)) abort();
        }
    return 0;
}
