// rad_cdf.h - the inside of the converted-file module, shared by its two
// units and by nothing else:
// - rad_read.cpp: recognising, opening and closing a converted file, the
//   first failure met while writing it, and the text form;
// - rad_cdf.cpp: the two netCDF layouts.
#ifndef RAD_CDF_H
#define RAD_CDF_H

#include <cstddef>

#include "vekrad.h"

namespace radform {

// The text form's precipitation field of an MDR report line: the first
// group's type letters with the suffix of its intensity code, or "*".
// Layout 1 of the netCDF form holds the same text.
void prec_field(const MDR_report *r, char *out, size_t cap);

// Clamps a record's count of used entries to its array.
int used(int num, size_t cap);

// The netCDF form, on the current file of the netCDF layer. A file just
// opened or created has no variables and no records yet.
void cdf_start();
// The header of layout 12 or 11 (TYPE): definitions, attributes, the grids.
void cdf_put_header(RAD_info *info, int type);
// One MDR report: its records in layout 12; in layout 11 the station record
// at index STATION.
void cdf_put_mdr(MDR_report *report, int type, long station);

} // namespace radform

#endif
