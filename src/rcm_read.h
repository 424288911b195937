// rcm_read.h - Radar Coded Messages: the empty record, the empty record of a
// site for the station store, decoding the next site's message, and listing
// a record.
#ifndef RCM_READ_H
#define RCM_READ_H

#include <cstdio>

#include "vekcty.h"
#include "vekrad.h"

int RCM_init(RCM_report *report);
int RCM_enter_func(const CTY_data *data, RCM_report *report);
int RCM_read_site(FILE *ifile, RCM_report *report);
int RCM_print(M_type level, RCM_report *report);

#endif
