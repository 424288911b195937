// vekcty.h - station records: a station of a station file, and its stored forms.
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

#endif
