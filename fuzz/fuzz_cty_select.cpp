// Fuzz target: station selection strings. Each line of the input is one
// selection string; the list is tested against a few stations.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cty_tool.h"
#include "fuzz_common.h"
#include "vekstr.h"

namespace {

CTY_data station(const char *name, const char *state, const char *region, const char *id, int prior,
                 float lat, float lon, float el, int wmo) {
    CTY_data d{};
    vek_copy(d.name, name);
    vek_copy(d.state, state);
    vek_copy(d.region, region);
    vek_copy(d.id, id);
    d.prior = prior;
    d.mos = d.ua = ' ';
    d.lat = lat;
    d.lon = lon;
    d.el = el;
    d.wmo = wmo;
    return d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    static const CTY_data stations[] = {
        station("OKLAHOMA_CITY", "OK", "US", "TLX", 1, 35.33f, -97.28f, 370.0f, 72357),
        station("Boxed", "NE", "B_", "B-OX", 9, 41.3f, -96.4f, 350.0f, 1234),
        station("", "", "", "", -9999, -9999.0f, -9999.0f, -9999.0f, 99999),
        station("Far", "Q", "EU", "-1", 0, 90.0f, 180.0f, 9000.0f, -2147483647 - 1),
    };
    std::vector<std::string> lines = fuzzing::lines_of(data, size, 16);
    std::vector<char *> ids;
    for (std::string &s : lines) ids.push_back(s.data());
    for (const CTY_data &st : stations) {
        const int r = CTY_data_cmp(static_cast<int>(ids.size()), ids.data(), &st);
        if (r < -1 || r >= static_cast<int>(ids.size())) std::abort();
    }
    return 0;
}
