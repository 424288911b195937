// Fuzz target: the station file reader and the station store. The input is
// written as a station file; the reader reads every record, then the store
// selects, enters and walks the stations on the MDR grid (or, for inputs
// whose first byte is odd, with no grid at all).

#include <cstring>

#include "cty_read.h"
#include "cty_tool.h"
#include "fuzz_common.h"
#include "mess.h"
#include "rad_dec.h"

namespace {

int fill_block(const CTY_data *station, void *block) {
    std::memcpy(block, station, sizeof(CTY_data));
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    MESS_set(0, 0);
    const std::string path = fuzzing::scratch_file(data, size, "cty");

    if (CTY_open(path.c_str(), 0, 0) >= 0) {
        CTY_data city;
        while (CTY_read(0, &city) >= 1) {
            if (std::strlen(city.name) > 20 || std::strlen(city.id) > 9) std::abort();
        }
        CTY_close(0);
    }

    CTY_data_size(sizeof(CTY_data));
    CTY_enter_func(fill_block);
    Domain domain;
    RAD_mdr_domain(&domain);
    const bool no_grid = size > 0 && (data[0] & 1);
    const int mode = 1 + static_cast<int>(size % 3);
    CTY_store(path.c_str(), mode, no_grid ? nullptr : &domain, 10);
    for (void *p = CTY_next_data(0); p; p = CTY_next_data(1)) {
        const CTY_data *c = static_cast<const CTY_data *>(p);
        CTY_get_data(c->id);
    }
    CTY_clear_data(0);
    cty_reset_state();
    return 0;
}
