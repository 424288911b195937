// vekrad.h - the decoded radar report records and the run header with its
// summary grid, which the decoders fill and the converted-file writers write.
#ifndef VEKRAD_H
#define VEKRAD_H

#include "vek.h"

constexpr int RAD_SUM_NX = 480;        // summary grid columns
constexpr int RAD_SUM_NY = 360;        // summary grid rows
constexpr signed char RAD_EMPTY = 'c'; // the empty mark of a summary cell

// The kinds of bulletin a run reads (RAD_get_type).
constexpr int RAD_IN_SUMMARY = 0; // raw national summary bulletins
constexpr int RAD_IN_MDR = 1;     // Manually Digitized Radar reports
constexpr int RAD_IN_RCM = 2;     // Radar Coded Messages

// The converted-file types (RAD_open, RAD_chktype, the output-type flag).
constexpr int RAD_FILE_STAR = 1;  // a text file that begins with "*" (read only)
constexpr int RAD_FILE_VEK3 = 2;  // the text form without its VEKRAD line
constexpr int RAD_FILE_VEK = 3;   // the text form
constexpr int RAD_FILE_CDF1 = 11; // netCDF, one record a station (the first layout)
constexpr int RAD_FILE_CDF = 12;  // netCDF (the second layout)

// The header of a converted file.
struct RAD_info {
    char datim[40];
    char *cmdline;
    Date date;
    int type;
    signed char summary[RAD_SUM_NX][RAD_SUM_NY];
};

struct MDR_prec {
    int area_cov;
    char type[5];
    int intens;
};

struct MDR_loc {
    int dir;
    int rad;
};

struct MDR_move {
    char type;
    int dir;
    int spd;
};

struct MDR_tops {
    int h;
    int dir;
    int rad;
};

// One MDR station's report.
struct MDR_report {
    char id[11];
    char region[11];
    float x;
    float y;
    int type;
    int time;
    char config[10];
    MDR_prec prec[3];
    int numprec;
    char trend[4];
    MDR_loc loc[5];
    MDR_move move[3];
    MDR_tops tops;
    char rem[20];
};

struct RCM_storm {
    char id[3];
    float x;
    float y;
    int hgt;
    int dir;
    int spd;
    int hail;
};

struct RCM_point {
    char id[3];
    float x;
    float y;
};

struct RCM_vad {
    int hgt;
    int dir;
    int spd;
    int rms;
};

constexpr int RCM_GRID = 104;

// One RCM site's report.
struct RCM_report {
    char id[5];
    int num;
    float lat;
    float lon;
    float elev;
    Date date;
    int mode;
    int status;
    signed char echo[RCM_GRID][RCM_GRID];
    int maxt;
    float maxt_x;
    float maxt_y;
    RCM_storm storm[40];
    int num_storm;
    RCM_point tvs[10];
    int num_tvs;
    RCM_point meso[20];
    int num_meso;
    RCM_vad vad[20];
    int num_vad;
};

// The MDR grid of the conversion: the polar stereographic grid on which the
// stations are kept and placed, and the RCM sites' grids merged.
constexpr Domain RAD_MDR_GRID = {
    .proj = PROJ_POLAR_STEREO,
    .plat = 90.0f,
    .plon = -105.0f,
    .param = {VEK_FMISS, VEK_FMISS, VEK_FMISS, VEK_FMISS, VEK_FMISS},
    .clat = 39.578445f,
    .clon = -97.42146f,
    .dx = 0.47625f,
    .dy = 0.47625f,
    .nx = 114,
    .ny = 90,
    .ellipse = 0,
};

#endif
