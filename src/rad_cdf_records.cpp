// rad_cdf_records.cpp - the records of the netCDF form. Layout 2 numbers
// its records itself: an MDR report gives a main record and one further
// record ("CON") for each movement of another kind than its configuration
// and for its maximum top; an RCM report gives one record with its site,
// status, mode, maximum top, storms, vortex signatures, mesocyclones and
// wind profile. Layout 1 holds one record per station at the index the
// caller gives.
//
// Keeps no state of its own: the record count and the variables are the
// netCDF unit's (rad_cdf.cpp).

#include <cstring>
#include <iterator>

#include "numtext.h"
#include "rad_cdf.h"
#include "rad_read.h"
#include "rarep.h"
#include "vekstr.h"

using namespace radform;

namespace {

constexpr double NM_KM = 1.852;  // nautical miles to kilometres
constexpr double KT_MS = 0.5144; // knots to metres per second
constexpr double FT_M = 0.3048;  // feet to metres
constexpr int RPT_TYPE_CAP = 4;  // room of "rpt_type"

// A missing value stays -9999; any other is converted by FACTOR.
double convert(int v, double factor) {
    return v == VEK_MISS ? VEK_MISS : v * factor;
}

template <size_t N>
bool field_is(const char (&field)[N], const char *word) {
    return strncmp(field, word, N) == 0;
}

// The precipitation code of a type string: "T" 64, then "Z" 128 (instead),
// then "R" 1, "S" 3, "I" 4 (passing over the letter after it), "L" 5, "W"
// 32 or-ed in; each letter is looked for once, in this order, and any other
// character ends the code.
int precip_code(const char *type, size_t cap) {
    const size_t end = strnlen(type, cap);
    size_t i = 0;
    int code = 0;
    auto take = [&](char c, size_t step) {
        if (i >= end || type[i] != c) return false;
        i += step;
        return true;
    };
    if (take('T', 1)) code = RA_THUNDERSTORM;
    if (take('Z', 1)) code = RA_FREEZING;
    if (take('R', 1)) code |= RA_RAIN;
    if (take('S', 1)) code |= RA_SNOW;
    if (take('I', 2)) code |= RA_ICE_PELLETS;
    if (take('L', 1)) code |= RA_DRIZZLE;
    if (take('W', 1)) code |= RA_SHOWER;
    return code;
}

int opstat_code(const MDR_report *r) {
    if (field_is(r->config, "NE")) return RA_PPINE;
    if (field_is(r->config, "OM")) return RA_PPIOM;
    if (field_is(r->config, "NA")) return RA_PPINA;
    return RA_STANDARD;
}

int object_code(const MDR_report *r) {
    if (field_is(r->config, "AREA")) return RA_AREA;
    if (field_is(r->config, "LINE")) return RA_LINE;
    if (field_is(r->config, "CELL")) return RA_CELL;
    return RA_NO_OBJ;
}

int move_object(char type) {
    return type == 'C' ? RA_CELL : type == 'A' ? RA_AREA : type == 'L' ? RA_LINE : RA_NO_OBJ;
}

int trend_code(const MDR_report *r) {
    if (r->trend[0] == '+') return RA_INCREASING;
    if (r->trend[0] == '-') return RA_DECREASING;
    if (strncmp(r->trend, "NE", 2) == 0) return RA_NEW;
    if (strncmp(r->trend, "NC", 2) == 0) return RA_NO_CHANGE;
    return 0;
}

// The station of an MDR report: its identifier, time and position.
struct Station {
    const MDR_report *rep;
    float lat, lon;
};

// Starts record R of station S's report.
void start_record(long r, const Station &s) {
    put_text(ID, s.rep->id, sizeof s.rep->id, {r});
    put_int(RPT_TIME, s.rep->time, {r});
    put_float(SITE_LAT, s.lat, {r});
    put_float(SITE_LON, s.lon, {r});
}

void put_counts(long r, int nazran, int nwidth, int nmove, int nheight) {
    put_int(NAZRAN, nazran, {r});
    put_int(NWIDTH, nwidth, {r});
    put_int(NMOVE, nmove, {r});
    put_int(NHEIGHT, nheight, {r});
}

// A record of a further echo object of station S's report ("CON"): a
// movement of another kind than the report's configuration, or the maximum
// top.
long start_con_record(const Station &s, int object) {
    const long r = next_record();
    start_record(r, s);
    put_int(OPSTAT, RA_STANDARD, {r});
    put_text(RPT_TYPE, "CON", RPT_TYPE_CAP, {r});
    put_int(OBJECT, object, {r});
    put_int(NCOVER, 0, {r});
    put_int(TREND, 0, {r});
    return r;
}

void put_move_record(const Station &s, const MDR_move &m) {
    const long r = start_con_record(s, move_object(m.type));
    put_counts(r, 0, 0, 1, 0);
    put_float(MOVE_DIR, m.dir, {r, 0});
    put_float(MOVE_SPEED, convert(m.spd, KT_MS), {r, 0});
}

void put_top_record(const Station &s, MDR_report *rep) {
    const long r = start_con_record(s, RA_MAXTOP);
    put_counts(r, 1, 0, 0, 1);
    put_float(HEIGHT, rep->tops.h * 100.0 * FT_M, {r, 0});
    if (rep->tops.dir == VEK_MISS) rep->tops.dir = rep->tops.rad = 0;
    put_float(AZIMUTH, rep->tops.dir, {r, 0});
    put_float(RANGE, convert(rep->tops.rad, NM_KM), {r, 0});
}

// The precipitation groups of record R: a non-zero coverage starts the
// next coverage group.
void put_precipitation(long r, const MDR_report *rep) {
    const int numprec = used(rep->numprec, std::size(rep->prec));
    int group = 0, groups = 0, k = 0;
    for (int i = 0; i < numprec; ++i) {
        const MDR_prec &p = rep->prec[i];
        if (p.area_cov != 0) {
            if (i > 0) put_int(NPRECIP, k, {r, group});
            group = groups++;
            k = 0;
            put_int(COVERAGE, p.area_cov, {r, group});
        }
        const int code = precip_code(p.type, sizeof p.type);
        put_int(PRECIP_TYPE, code > 127 ? code - 256 : code, {r, group, k}); // the byte's bits
        put_int(INTENSITY, p.intens, {r, group, k});
        ++k;
    }
    put_int(NPRECIP, k, {r, group});
    put_int(NCOVER, groups, {r});
}

// The records of one MDR report in layout 2: the main record, one per
// movement of another kind than the configuration, one for the maximum top.
void put_report_l2(MDR_report *rep) {
    Station s{rep, VEK_FMISS, VEK_FMISS};
    mdr_grid_latlon(rep->x, rep->y, &s.lat, &s.lon);
    const long r = next_record();
    start_record(r, s);
    put_int(OPSTAT, opstat_code(rep), {r});
    put_text(RPT_TYPE, "", RPT_TYPE_CAP, {r});
    put_int(OBJECT, object_code(rep), {r});
    put_precipitation(r, rep);
    put_int(TREND, trend_code(rep), {r});

    // Echo positions, then a width in the range of the first unused one.
    int n = 0;
    for (; n < 5 && rep->loc[n].dir != VEK_MISS; ++n) {
        put_float(AZIMUTH, rep->loc[n].dir, {r, n});
        put_float(RANGE, convert(rep->loc[n].rad, NM_KM), {r, n});
    }
    const bool width = n < 5 && rep->loc[n].rad != VEK_MISS;
    if (width) put_float(WIDTH, rep->loc[n].rad * NM_KM, {r, 0});

    int j = 0;
    for (int i = 0; i < 3 && rep->move[i].dir != VEK_MISS; ++i) {
        const MDR_move &m = rep->move[i];
        if (m.type != rep->config[0]) {
            put_move_record(s, m);
            continue;
        }
        put_float(MOVE_DIR, m.dir, {r, j});
        put_float(MOVE_SPEED, convert(m.spd, KT_MS), {r, j});
        ++j;
    }
    put_counts(r, n, width ? 1 : 0, j, 0);

    if (rep->tops.h != VEK_MISS) put_top_record(s, rep);
}

// The operational status of an RCM site's status.
int rcm_opstat(int status) {
    switch (status) {
    case 0:
        return RA_STANDARD;
    case 1:
        return RA_PPINE;
    case 2:
        return RA_PPIOM;
    default:
        return RA_PPINA;
    }
}

// HHMM of a date, -9999 when its hour or minute is missing.
int hhmm(const Date &d) {
    if (d.hour == VEK_MISS || d.min == VEK_MISS) return VEK_MISS;
    return clamp_int(100LL * d.hour + d.min);
}

// The storm centroids of record R.
void put_storms(long r, const RCM_report *rep) {
    const int n = used(rep->num_storm, std::size(rep->storm));
    put_int(NSTORM, n, {r});
    if (n == 0) return;
    char ids[MAX_STORMS][FEATURE_ID_LEN];
    float lat[MAX_STORMS], lon[MAX_STORMS];
    int top[MAX_STORMS], dir[MAX_STORMS], speed[MAX_STORMS];
    signed char hail[MAX_STORMS];
    for (int k = 0; k < n; ++k) {
        const RCM_storm &s = rep->storm[k];
        vek_copy(ids[k], s.id);
        lat[k] = s.x;
        lon[k] = s.y;
        top[k] = s.hgt;
        dir[k] = s.dir;
        speed[k] = s.spd;
        hail[k] = static_cast<signed char>(s.hail);
    }
    put_ids(STORM_ID, r, ids, n);
    put_run(STORM_LAT, r, lat, n);
    put_run(STORM_LON, r, lon, n);
    put_run(STORM_TOP, r, top, n);
    put_run(STORM_DIR, r, dir, n);
    put_run(STORM_SPEED, r, speed, n);
    put_run(STORM_HAIL, r, hail, n);
}

// The vortex signatures or mesocyclones of record R: COUNT, the variables
// of their identifiers, latitudes and longitudes, and the points.
void put_points(long r, const int (&vars)[4], const RCM_point *points, int n) {
    put_int(vars[0], n, {r});
    if (n == 0) return;
    char ids[MAX_MESOS][FEATURE_ID_LEN];
    float lat[MAX_MESOS], lon[MAX_MESOS];
    for (int k = 0; k < n; ++k) {
        vek_copy(ids[k], points[k].id);
        lat[k] = points[k].x;
        lon[k] = points[k].y;
    }
    put_ids(vars[1], r, ids, n);
    put_run(vars[2], r, lat, n);
    put_run(vars[3], r, lon, n);
}

// The wind profile of record R.
void put_wind_profile(long r, const RCM_report *rep) {
    const int n = used(rep->num_vad, std::size(rep->vad));
    put_int(NVAD, n, {r});
    if (n == 0) return;
    int height[MAX_VADS], dir[MAX_VADS], speed[MAX_VADS], rms[MAX_VADS];
    for (int k = 0; k < n; ++k) {
        height[k] = rep->vad[k].hgt;
        dir[k] = rep->vad[k].dir;
        speed[k] = rep->vad[k].spd;
        rms[k] = rep->vad[k].rms;
    }
    put_run(VAD_HEIGHT, r, height, n);
    put_run(VAD_DIR, r, dir, n);
    put_run(VAD_SPEED, r, speed, n);
    put_run(VAD_RMS, r, rms, n);
}

// The record of one RCM report in layout 2. Its classic fields describe a
// report of no echo object: no precipitation, positions or movements; the
// operational status follows the site's status.
void put_report_rcm(const RCM_report *rep) {
    const long r = next_record();
    put_text(ID, rep->id, sizeof rep->id, {r});
    put_int(RPT_TIME, hhmm(rep->date), {r});
    put_float(SITE_LAT, rep->lat, {r});
    put_float(SITE_LON, rep->lon, {r});
    put_int(OPSTAT, rcm_opstat(rep->status), {r});
    put_text(RPT_TYPE, "", RPT_TYPE_CAP, {r});
    put_int(OBJECT, RA_NO_OBJ, {r});
    put_int(NPRECIP, 0, {r, 0});
    put_int(NCOVER, 0, {r});
    put_int(TREND, 0, {r});
    put_counts(r, 0, 0, 0, 0);

    put_int(RCM_STATUS, rep->status, {r});
    put_int(RCM_MODE, rep->mode, {r});
    put_int(MAX_TOP, rep->maxt, {r});
    if (rep->maxt != VEK_MISS) {
        put_float(MAX_TOP_LAT, rep->maxt_x, {r});
        put_float(MAX_TOP_LON, rep->maxt_y, {r});
    }
    put_storms(r, rep);
    put_points(r, {NTVS, TVS_ID, TVS_LAT, TVS_LON}, rep->tvs,
               used(rep->num_tvs, std::size(rep->tvs)));
    put_points(r, {NMESO, MESO_ID, MESO_LAT, MESO_LON}, rep->meso,
               used(rep->num_meso, std::size(rep->meso)));
    put_wind_profile(r, rep);
}

// The record of one report in layout 1, at station index S.
void put_report_l1(MDR_report *rep, long s) {
    put_text(S_ID, rep->id, sizeof rep->id, {s});
    put_text(S_REGION, rep->region, sizeof rep->region, {s});
    put_float(S_MDR_X, rep->x, {s});
    put_float(S_MDR_Y, rep->y, {s});
    put_int(S_TYPE, rep->type, {s});
    put_text(S_CONFIG, rep->config, sizeof rep->config, {s});
    char prec[16];
    prec_field(rep, prec, sizeof prec);
    put_text(S_PREC, strcmp(prec, "*") == 0 ? " " : prec, sizeof prec, {s});
    if (!rep->trend[0]) vek_copy(rep->trend, " ");
    put_text(S_TREND, rep->trend, sizeof rep->trend, {s});
    const char types[3] = {rep->move[0].type, rep->move[1].type, rep->move[2].type};
    put_run(S_MOVE_TYPE, s, types, 3);
    for (int j = 0; j < 3; ++j) {
        put_int(S_MOVE_DIR, rep->move[j].dir, {s, j});
        put_int(S_MOVE_SPD, rep->move[j].spd, {s, j});
    }
    put_int(S_MAX_TOPS, rep->tops.h, {s});
    if (rep->tops.h != VEK_MISS && rep->tops.dir == VEK_MISS) rep->tops.dir = rep->tops.rad = 0;
    put_int(S_MAX_TOPS_DIR, rep->tops.dir, {s});
    put_int(S_MAX_TOPS_RAD, rep->tops.rad, {s});
}

} // namespace

void radform::cdf_put_mdr(MDR_report *report, int type, long station) {
    if (type == RAD_FILE_CDF)
        put_report_l2(report);
    else if (station >= 0)
        put_report_l1(report, station);
}

void radform::cdf_put_rcm(const RCM_report *report, int type) {
    if (type == RAD_FILE_CDF) put_report_rcm(report);
}
