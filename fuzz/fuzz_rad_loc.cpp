// Fuzzes the reader of the grid-coordinate file "rad_loc.dat" over whole
// files read from a memory stream. The reader must never read or write out
// of bounds, and a file it accepts holds only coordinates in range.

#include <cmath>

#include "fuzz_common.h"
#include "rad_read.h"

namespace {
float lon[120][90], lat[120][90];
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    FILE *f = fuzzing::stream_of(data, size);
    if (!f) return 0;
    const char *why = RAD_read_loc(f, lon, lat);
    fclose(f);
    if (why) return 0;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y)
            if (!(std::fabs(lon[x][y]) <= 360.0f) || !(std::fabs(lat[x][y]) <= 90.0f)) abort();
    return 0;
}
