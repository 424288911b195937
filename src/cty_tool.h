// cty_tool.h - the station store: the stations of a station file that lie on
// a domain, each with a record block of the caller's size, looked up by
// identifier and walked in file order.
#ifndef CTY_TOOL_H
#define CTY_TOOL_H

#include <cstddef>

#include "vekcty.h"

using CTY_enter_t = int (*)(const CTY_data *station, void *block);
int CTY_data_size(size_t size);
int CTY_enter_func(CTY_enter_t func);
int CTY_store(const char *city_file, int type, const Domain *domain, int prior);
void *CTY_get_data(const char *id);
void *CTY_next_data(int next);
int CTY_clear_data(int flag);
int CTY_get_prior();
int CTY_get(const char *city_file, const char *id, CTY_data *data);
int CTY_get_loc(const char *city_file, const char *id, float *lat, float *lon);
int CTY_data_cmp(int numid, char **ids, const CTY_data *data);
// Closes the station file and forgets the store (data blocks included).
void cty_reset_state();

#endif
