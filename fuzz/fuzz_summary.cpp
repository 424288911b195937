// Fuzzes the summary bulletin reader over whole input files, read from a
// memory stream at the nominal time 12:15. The reader must consume the whole
// input, never end the process, and leave every cell empty or holding a
// digit value.

#include "files.h"
#include "fuzz_common.h"
#include "rad_dec.h"

namespace {
RAD_info info;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    RAD_set_nominal(12, 15);
    RAD_summary_init(&info);

    FILE *f = fuzzing::stream_of(data, size);
    if (!f) return 0;
    // The reader never ends the process.
    if (fuzzing::ends_process([&] { MDR_read_raw_summary(f, &info); })) abort();
    if (getc(f) != EOF) abort();
    FILE_close(f);

    for (const auto &column : info.summary)
        for (signed char v : column)
            if (v != RAD_EMPTY && (v < 0 || v > 9)) abort();
    return 0;
}
