// rad_read.h - the converted radar file: recognising the form of an existing
// file, opening and closing it, and writing its header and reports in the
// text form or one of the netCDF layouts.
#ifndef RAD_READ_H
#define RAD_READ_H

#include <cstdio>

#include "vekrad.h"

int RAD_chktype(const char *filename);
int RAD_open(const char *filename, int f_access, int *f_type);
int RAD_close(int cvt_fd);
int RAD_putinfo(int cvt_fd, RAD_info *info);
int MDR_write(int cvt_fd, MDR_report *report, int rep_type, int *statnum);
int RCM_write(int cvt_fd, RCM_report *report, int rep_type, int *statnum);
// Reads a grid-coordinate file ("rad_loc.dat") into the longitudes and
// latitudes of the MDR boxes [x][y]. Returns null, or why the file is short
// or malformed ("too few numbers", ...); the arrays are then partly filled.
const char *RAD_read_loc(FILE *f, float (&lon)[120][90], float (&lat)[120][90]);
// The first failure met while writing or closing the converted file ("write:
// No space left on device"), or null while all went well. Kept until the next
// open, so that it can be reported after RAD_close returned -1.
const char *RAD_write_error();
void rad_read_reset_state();

#endif
