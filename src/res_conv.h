// res_conv.h - resource value conversion: a value turned into its working
// form by its conversion kind, into a caller's variable or into the settings
// of other modules (messages, batch mode, help, the requested file time, the
// file mode, plot switches, domains).
#ifndef RES_CONV_H
#define RES_CONV_H

#include "vek.h"

int RES_conv_data(const char *data, void *out, DEF_convert cvt);
int RES_set_device(const char *str);
// Converts the stored value of resource NAME by RES_conv_data into DATA; 0
// when the resource is absent or DATA is null.
int RES_getval(const char *name, void *data, DEF_convert cvt);

#endif
