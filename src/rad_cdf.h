// rad_cdf.h - the inside of the converted-file module, shared by its units
// and by nothing else:
// - rad_read.cpp: recognising, opening and closing a converted file, the
//   first failure met while writing it, and the text form;
// - rad_cdf.cpp: the netCDF layouts, their definitions and attributes, the
//   header with the summary grids and their coordinates;
// - rad_cdf_records.cpp: the netCDF records of MDR and RCM reports.
#ifndef RAD_CDF_H
#define RAD_CDF_H

#include <cstddef>
#include <initializer_list>

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
// One RCM report: its record in layout 12 (nothing in layout 11).
void cdf_put_rcm(const RCM_report *report, int type);

constexpr int MDR_NX = 120; // the MDR boxes that the netCDF form holds
constexpr int MDR_NY = 90;
constexpr int FINE_NX = 461; // the fine-grid cells that RCM grids are merged into
constexpr int FINE_NY = 357;
constexpr int MAX_STORMS = 40; // RCM features of one report
constexpr int MAX_TVS = 10;
constexpr int MAX_MESOS = 20;
constexpr int MAX_VADS = 20;
constexpr int FEATURE_ID_LEN = 3; // an RCM feature identifier with its NUL

// The variables of layout 2 by their place in its tables: the classic
// variables, those of every run added to them, then those of RCM runs.
// clang-format off
enum L2Var {
    MDR_TIME, LON, LAT, MDR, RPT_DATE, ID, RPT_TIME, RADAR_TYPE, OPSTAT, RPT_TYPE, OBJECT, NCOVER,
    COVERAGE, NPRECIP, PRECIP_TYPE, INTENSITY, TREND, NAZRAN, NWIDTH, NMOVE, NHEIGHT, AZIMUTH,
    RANGE, HEIGHT, WIDTH, MOVE_SPEED, MOVE_DIR,
    TIME, SITE_LAT, SITE_LON,
    FINE, FINE_LAT, FINE_LON, RCM_STATUS, RCM_MODE, MAX_TOP, MAX_TOP_LAT, MAX_TOP_LON,
    NSTORM, STORM_ID, STORM_LAT, STORM_LON, STORM_TOP, STORM_DIR, STORM_SPEED, STORM_HAIL,
    NTVS, TVS_ID, TVS_LAT, TVS_LON, NMESO, MESO_ID, MESO_LAT, MESO_LON,
    NVAD, VAD_HEIGHT, VAD_DIR, VAD_SPEED, VAD_RMS,
    L2_VARS
};
// Layout 1, by the place in its table.
enum L1Var {
    S_ID, S_REGION, S_MDR_X, S_MDR_Y, S_TYPE, S_SUMMARY, S_CONFIG, S_PREC, S_TREND, S_MOVE_TYPE,
    S_MOVE_DIR, S_MOVE_SPD, S_MAX_TOPS, S_MAX_TOPS_DIR, S_MAX_TOPS_RAD,
    L1_VARS
};
// clang-format on

// The next record index of layout 2, taken.
long next_record();

// Writes into variable V (by its place in the open layout's table) at the
// cell AT: an integer (converted to the variable's type; one it cannot hold,
// such as -9999 in a byte, leaves the fill value), a float, or the text of a
// fixed field of capacity CAP with a NUL after it.
void put_int(int v, long value, std::initializer_list<long> at);
void put_float(int v, double value, std::initializer_list<long> at);
void put_text(int v, const char *text, size_t cap, std::initializer_list<long> at);
// The first N entries of record R of a variable shaped (report, entries):
// values of the variable's own type, or texts of ID_LEN characters each.
void put_run(int v, long r, const float *values, int n);
void put_run(int v, long r, const int *values, int n);
void put_run(int v, long r, const signed char *values, int n);
void put_run(int v, long r, const char *values, int n);
void put_ids(int v, long r, const char (*ids)[FEATURE_ID_LEN], int n);

// The latitude and longitude of grid point (GX, GY) of the MDR grid on which
// stations and echoes are placed; -9999 for both when GX or GY is missing.
void mdr_grid_latlon(float gx, float gy, float *lat, float *lon);

} // namespace radform

#endif
