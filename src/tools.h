// tools.h - the help output of a program's resources, and the conversion
// between WMO station numbers and station identifiers.
#ifndef TOOLS_H
#define TOOLS_H

#include "vekresrc.h"

// Help output.
int RES_help_print(const char *name, const res_type *res_key, const res_type *res_pos);
int RES_help_item(res_type res);

// WMO numbers and identifiers. ID needs 7 bytes.
int wmo_to_id(char *id, int wmo);
int id_to_wmo(const char *id, int *wmo);

#endif
