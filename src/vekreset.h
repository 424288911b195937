// vekreset.h - brings every module that keeps state back to the state of a
// fresh process. The test suites and the fuzz targets call it between cases
// and inputs; a program never needs it.
//
// A module that gains state offers <module>_reset_state() and adds the call
// here: this is the one list.
#ifndef VEKRESET_H
#define VEKRESET_H

#include "cty_tool.h"
#include "date.h"
#include "def_read.h"
#include "files.h"
#include "flag.h"
#include "maptran.h"
#include "mess.h"
#include "mqueue.h"
#include "rad_dec.h"
#include "rad_read.h"
#include "region.h"
#include "res_init.h"
#include "resrc.h"
#include "system.h"
#include "vekcdf.h"

inline void vek_reset_all() {
    rad_read_reset_state(); // closes a converted file left open
    cdf_reset_state();
    rad_dec_reset_state();
    cty_reset_state();
    maptran_reset_state();
    region_reset_state();
    mqueue_reset_state();
    files_reset_state();
    date_reset_state();
    def_reset_state();
    flag_reset_state();
    res_init_reset_state();
    resrc_reset_state();
    mess_reset_state();
    system_reset_state();
}

#endif
