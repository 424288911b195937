// Fuzzes the Radar Coded Message reader over whole bulletin files: headings,
// "RCM" lines and coded text in the text form, real archive messages with
// their binary product header, and anything else.

#include "fuzz_rcm_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    if (size == 0) return 0;
    fuzzing::read_messages(reinterpret_cast<const char *>(data), size);
    return 0;
}
