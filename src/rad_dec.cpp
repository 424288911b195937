// rad_dec.cpp - the conversion driver: one raw radar bulletin file in, one
// converted radar file out.
//
// State: the kind of run and the nominal time of the bulletins to decode.

#include "vek.h"
#include "vekrad.h"

namespace {

int rad_type = 1;
int hour = VEK_MISS;
int min = VEK_MISS;

} // namespace

void RAD_set_nominal(int h, int m) {
    hour = h;
    min = m;
}

int RAD_get_type() {
    return rad_type;
}

// Placeholder until the bulletin decoders and the converted-file writers are
// in place: it reports that no conversion is done and lists the resources
// the conversion would read.
int RAD_decode_file() {
    MESS_print(M_WARN, "RAD_decode_file: placeholder, no conversion is done yet\n");
    MESS_print(M_PRINT, "Resources of this run:\n");
    RES_list();
    return 0;
}

void rad_dec_reset_state() {
    rad_type = 1;
    hour = VEK_MISS;
    min = VEK_MISS;
}
