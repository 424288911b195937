// vekcty.h - station records, the station file reader and the station store.
#ifndef VEKCTY_H
#define VEKCTY_H

#include <cstddef>

#include "vek.h"

// One station of a station file.
struct CTY_data {
    char name[21];
    char state[3];
    char region[3];
    char id[10];
    int prior;
    char mos;
    char ua;
    float lat;
    float lon;
    float el;
    int wmo;
    int num;
};

// The compact form of a stored station.
struct CTY_locate {
    char id[11];
    int wmo;
    float x;
    float y;
    float el;
    int pr;
};

struct stat_FULL_data {
    CTY_data data;
    void *ptr;
};

struct stat_XY_data {
    CTY_locate locate;
    void *ptr;
};

// Station file reader (cty_read); one file is open at a time.
int CTY_open(const char *filename, int f_access, int f_type);
int CTY_read(int city_fd, CTY_data *city);
int CTY_rewind(int city_fd);
int CTY_close(int city_fd);
int CTY_open_file(const char *city_file, int *num_stats);

// Station store (cty_tool).
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
