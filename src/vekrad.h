// vekrad.h - the decoded radar report records, the run header with its
// summary grid, and the interfaces of the decoders and converted-file writers.
#ifndef VEKRAD_H
#define VEKRAD_H

#include <cstdio>

#include "vek.h"
#include "vekcty.h"

constexpr int RAD_SUM_NX = 480;        // summary grid columns
constexpr int RAD_SUM_NY = 360;        // summary grid rows
constexpr signed char RAD_EMPTY = 'c'; // the empty mark of a summary cell

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

// The converter's resources, as registered with RES_init: the keyed options
// and the positional ones, each list ended by RES_null.
extern const res_type RAD_res_key[];
extern const res_type RAD_res_pos[];

// Conversion driver (rad_dec).
// Converts every input file the command line names, each on its own with the
// same options (one file, or none: the one the resources, batch mode or the
// user give). A file that fails is named and the next is converted. Returns
// the highest exit status of the files: 0, 10 (input), 12 (output).
int RAD_convert_files();
int RAD_decode_file();
int RAD_summary_init(RAD_info *info);
int MDR_save_report(int cvt_fd, MDR_report *report);
int RCM_save_report(int cvt_fd, RCM_report *report);
int RAD_parameter();
int RAD_set_out_file(Date *date);
// The driver's nominal time of the bulletins to decode (module values).
void RAD_set_nominal(int hour, int min);
int RAD_get_type();
int RAD_get_clear_air();
int RAD_get_file_type();
// The MDR grid of the conversion (fields of the Domain), on which stations
// are kept and RCM grids merged.
void RAD_mdr_domain(Domain *domain);
void rad_dec_reset_state();

// MDR reports and summaries (rad_dec).
int MDR_read_raw(FILE *ifile, char *data_str, char *id);
int MDR_init(MDR_report *report);
int MDR_enter_func(const CTY_data *data, MDR_report *report);
int MDR_decode(const char *data, RAD_info *info, MDR_report *report);
int MDR_read_raw_summary(FILE *ifile, RAD_info *info);

// RCM reports (rcm_read, rad_dec).
int RCM_init(RCM_report *report);
int RCM_enter_func(const CTY_data *data, RCM_report *report);
int RCM_read_site(FILE *ifile, RCM_report *report);
int RCM_print(M_type level, RCM_report *report);
int RCM_set_summary(RAD_info *info, RCM_report *report);

// Converted radar files (rad_read).
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
