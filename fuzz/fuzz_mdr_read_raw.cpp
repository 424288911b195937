// Fuzzes the MDR report reader over whole bulletin files, with the nominal
// time 11:30, and decodes every report it hands over.

#include <cstring>
#include <vector>

#include "files.h"
#include "fuzz_common.h"
#include "mess.h"
#include "rad_dec.h"

namespace {

RAD_info info;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    MESS_set(0, 0x0000000F);
    RAD_set_nominal(11, 30);
    if (size == 0) return 0;

    FILE *f = fuzzing::stream_of(data, size);
    if (!f) return 0;
    RAD_summary_init(&info);
    MDR_report rep;
    memset(&rep, 0, sizeof rep);
    rep.x = 60.4f;
    rep.y = 44.6f;

    char data_str[500];
    char id[11];
    // Every report takes at least one byte of input.
    for (size_t n = 0; MDR_read_raw(f, data_str, id) == 1; ++n) {
        if (n > size) abort();
        const size_t len = strnlen(data_str, sizeof data_str);
        if (len >= sizeof data_str || strnlen(id, sizeof id) >= sizeof id) abort();
        for (size_t i = 0; i < len; ++i)
            if (static_cast<unsigned char>(data_str[i]) < 32 ||
                static_cast<unsigned char>(data_str[i]) > 127)
                abort();
        MDR_decode(data_str, &info, &rep);
    }
    if (MDR_read_raw(f, data_str, id) != 0) abort();
    FILE_close(f);
    return 0;
}
