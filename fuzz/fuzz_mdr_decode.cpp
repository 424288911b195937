// Fuzzes the MDR report decoder: one report text into a station record and
// the summary grid. The first bytes choose the station's grid position and
// which messages are printed; the rest is the report text.

#include <cmath>
#include <cstring>
#include <string>

#include "fuzz_common.h"
#include "mess.h"
#include "rad_dec.h"
#include "vekstr.h"

namespace {

RAD_info info;

// A station position from one byte: on the grid, near or past its edges, or
// no usable position at all.
float position(uint8_t b) {
    switch (b & 7) {
    case 0:
        return VEK_FMISS;
    case 1:
        return NAN;
    case 2:
        return 1.0e30f;
    default:
        return static_cast<float>(b) - 60.0f + 0.37f * (b & 3);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    if (size < 3) return 0;
    MESS_set(0, data[2] & 1 ? 0x0FFFFFFF : 0x0000000F);

    RAD_summary_init(&info);
    MDR_report rep;
    memset(&rep, 0x55, sizeof rep); // whatever the store's memory held
    vek_copy(rep.id, "FUZ");
    rep.x = position(data[0]);
    rep.y = position(data[1]);
    MDR_init(&rep);

    const std::string text(reinterpret_cast<const char *>(data + 3), size - 3);
    if (MDR_decode(text.c_str(), &info, &rep) != 1) abort();
    if (MDR_decode(text.c_str(), &info, nullptr) != -1) abort();

    using fuzzing::check, fuzzing::terminated;
    check(terminated(rep.id, sizeof rep.id) && terminated(rep.config, sizeof rep.config) &&
          terminated(rep.trend, sizeof rep.trend) && rep.numprec >= 0 && rep.numprec <= 3);
    for (const MDR_prec &g : rep.prec) check(terminated(g.type, sizeof g.type));
    // Only the MDR boxes (x 0 to 119, y 0 to 89) take digits.
    static signed char empty[RAD_SUM_NY];
    memset(empty, RAD_EMPTY, sizeof empty);
    for (int x = 0; x < RAD_SUM_NX; ++x) {
        const int from = x <= 119 ? 90 : 0;
        if (memcmp(&info.summary[x][from], empty, RAD_SUM_NY - from) != 0) abort();
        for (int y = 0; y < from; ++y) {
            const signed char v = info.summary[x][y];
            if (v != RAD_EMPTY && (v < 0 || v > 9)) abort();
        }
    }
    return 0;
}
