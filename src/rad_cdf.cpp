// rad_cdf.cpp - the netCDF form of the converted radar file: layout 2
// ("radar observations": the summary grid with the longitude and latitude
// of its boxes, then records of echo objects, one or more per report) and
// layout 1 ("MDR Observations": one record per station).
//
// State: the ids of the variables of the open file and, in layout 2, the
// index of its next record.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <span>
#include <vector>

#include "rad_cdf.h"
#include "rarep.h"
#include "vek.h"
#include "vekcdf.h"

using radform::prec_field;
using radform::used;

namespace {

int stat_num = 0; // next record index of layout 2

constexpr int MDR_NX = 120; // the MDR boxes that the netCDF form holds
constexpr int MDR_NY = 90;

// A dimension and a variable as the layouts define them. The variable's
// shape names its dimensions by their place in the layout's table counted
// from 1, outermost first; 0 ends a shorter shape.
struct DimDef {
    const char *name;
    long size;
};
constexpr int MAX_RANK = 3;
struct VarDef {
    const char *name;
    nc_type type;
    int shape[MAX_RANK];
    const char *long_name;
    const char *units;
};

// The variables of the open file, by their place in the layout's table;
// -1 until defined, and for a variable whose definition failed, so that
// every write to it is skipped.
constexpr int MAX_VARS = 32;
int var_id[MAX_VARS];

void forget_vars() {
    for (int &v : var_id) v = -1;
}

// Defines DIMS and VARS in their order, each variable with its
// "long_name" and "units".
void define(std::span<const DimDef> dims, std::span<const VarDef> vars) {
    int dim_id[16];
    for (size_t i = 0; i < dims.size() && i < std::size(dim_id); ++i)
        dim_id[i] = CDF_def_dim(dims[i].name, dims[i].size);
    for (size_t v = 0; v < vars.size() && v < std::size(var_id); ++v) {
        long shape[MAX_RANK];
        int n = 0;
        for (int d : vars[v].shape)
            if (d >= 1 && static_cast<size_t>(d) <= dims.size()) shape[n++] = dim_id[d - 1];
        CDF_set_shape_list(n, {shape, static_cast<size_t>(n)});
        const VarDef &def = vars[v];
        switch (def.type) {
        case NC_FLOAT:
            var_id[v] = CDF_def_float_var(def.name);
            break;
        case NC_INT:
            var_id[v] = CDF_def_long_var(def.name);
            break;
        case NC_SHORT:
            var_id[v] = CDF_def_short_var(def.name);
            break;
        case NC_BYTE:
            var_id[v] = CDF_def_byte_var(def.name);
            break;
        default:
            var_id[v] = CDF_def_char_var(def.name);
            break;
        }
        CDF_put_base_att(var_id[v], def.long_name, def.units);
    }
}

// Writes into variable V at the cell AT: an integer (converted to the
// variable's type; one it cannot hold, such as -9999 in a byte, leaves the
// fill value), a float, or the text of a fixed field of capacity CAP with a
// NUL after it.
void put_int(int v, long value, std::initializer_list<long> at) {
    CDF_set_pos_list(static_cast<int>(at.size()), {at.begin(), at.size()});
    CDF_put_long(var_id[v], value);
}

void put_float(int v, double value, std::initializer_list<long> at) {
    long range[2 * CDF_MAX_DIMS];
    int n = 0;
    for (long i : at) {
        range[2 * n] = i;
        range[2 * n + 1] = 1;
        ++n;
    }
    CDF_set_range_list(n, {range, 2 * static_cast<size_t>(n)});
    const float f = static_cast<float>(value);
    CDF_put_float_array(var_id[v], &f);
}

void put_text(int v, const char *text, size_t cap, std::initializer_list<long> at) {
    char buf[64];
    const size_t room = cap < sizeof buf ? cap : sizeof buf;
    const size_t n = room ? strnlen(text, room - 1) : 0;
    memcpy(buf, text, n);
    buf[n] = '\0';
    CDF_set_pos_list(static_cast<int>(at.size()), {at.begin(), at.size()});
    CDF_put_str(var_id[v], buf);
}

// A missing value stays -9999; any other is converted by FACTOR.
double convert(int v, double factor) {
    return v == VEK_MISS ? VEK_MISS : v * factor;
}

template <size_t N>
bool field_is(const char (&field)[N], const char *word) {
    return strncmp(field, word, N) == 0;
}

// Layout 2 ("radar observations"): the summary grid with its coordinates,
// then records of echo objects, one or more per report.
// clang-format off
enum L2Dim {
    X2 = 1, Y2, ID_LEN, RADAR_LEN, TIME_LEN, RPT_TYPE_LEN, MAXCOVER,
    MAXPRECIP, MAXAZRAN, MAXWIDTH, MAXMOVE, MAXHEIGHT, REPORT
};
constexpr DimDef l2_dims[] = {
    {"mdr_x", MDR_NX},   {"mdr_y", MDR_NY}, {"id_len", 12},   {"radar_len", 12}, {"time_len", 16},
    {"rpt_type_len", 4}, {"maxcover", 3},   {"maxprecip", 3}, {"maxazran", 8},   {"maxwidth", 4},
    {"maxmove", 4},      {"maxheight", 8},  {"report", 0},
};
enum L2Var {
    MDR_TIME, LON, LAT, MDR, RPT_DATE, ID, RPT_TIME, RADAR_TYPE, OPSTAT, RPT_TYPE, OBJECT, NCOVER,
    COVERAGE, NPRECIP, PRECIP_TYPE, INTENSITY, TREND, NAZRAN, NWIDTH, NMOVE, NHEIGHT, AZIMUTH,
    RANGE, HEIGHT, WIDTH, MOVE_SPEED, MOVE_DIR
};
constexpr const char *ENUM_UNITS = "ennumerated in rarep.h";
constexpr VarDef l2_vars[] = {
    {"mdr_time", NC_CHAR, {TIME_LEN}, "MDR summary time", "YYYYMMDDHHMM UTC"},
    {"lon", NC_FLOAT, {X2, Y2}, "longitude", "degrees_east"},
    {"lat", NC_FLOAT, {X2, Y2}, "latitude", "degrees_north"},
    {"mdr", NC_BYTE, {X2, Y2}, "manually digitized radar summary", nullptr},
    {"rpt_date", NC_INT, {}, "report date", "YYYYDDMM UTC"},
    {"id", NC_CHAR, {REPORT, ID_LEN}, "station ID", nullptr},
    {"rpt_time", NC_INT, {REPORT}, "report time", "HHMM UTC"},
    {"radar_type", NC_CHAR, {REPORT, RADAR_LEN}, "radar type", nullptr},
    {"opstat", NC_BYTE, {REPORT}, "operational status", ENUM_UNITS},
    {"rpt_type", NC_CHAR, {REPORT, RPT_TYPE_LEN}, "report type", nullptr},
    {"object", NC_BYTE, {REPORT}, "echo object", ENUM_UNITS},
    {"ncover", NC_BYTE, {REPORT}, "number of coverage-groups", nullptr},
    {"coverage", NC_BYTE, {REPORT, MAXCOVER}, "amount of coverage", "1/10"},
    {"nprecip", NC_BYTE, {REPORT, MAXCOVER}, "number of precipitation-types", nullptr},
    {"precip_type", NC_BYTE, {REPORT, MAXCOVER, MAXPRECIP}, "precipitation type", ENUM_UNITS},
    {"intensity", NC_BYTE, {REPORT, MAXCOVER, MAXPRECIP}, "echo intensity", ENUM_UNITS},
    {"trend", NC_BYTE, {REPORT}, "intensity trend", ENUM_UNITS},
    {"nazran", NC_BYTE, {REPORT}, "number of AZRANs", nullptr},
    {"nwidth", NC_BYTE, {REPORT}, "number of widths", nullptr},
    {"nmove", NC_BYTE, {REPORT}, "number of movements", nullptr},
    {"nheight", NC_BYTE, {REPORT}, "number of heights", nullptr},
    {"azimuth", NC_FLOAT, {REPORT, MAXAZRAN}, "echo-object azimuth", "degrees"},
    {"range", NC_FLOAT, {REPORT, MAXAZRAN}, "echo-object range", "kilometers"},
    {"height", NC_FLOAT, {REPORT, MAXHEIGHT}, "echo-object altitude", "meters"},
    {"width", NC_FLOAT, {REPORT, MAXWIDTH}, "echo-object width", "kilometers"},
    {"move_speed", NC_FLOAT, {REPORT, MAXMOVE}, "echo-object movement-speed", "m/s"},
    {"move_dir", NC_FLOAT, {REPORT, MAXMOVE}, "echo-object movement-direction", "degrees"},
};
// clang-format on
static_assert(std::size(l2_vars) == MOVE_DIR + 1 && std::size(l2_dims) == REPORT);

// Layout 1 ("MDR Observations"): one record per station.
enum L1Dim { STATION = 1, X1, Y1, STRING_LEN, REPORTS };
constexpr DimDef l1_dims[] = {
    {"station", 0}, {"mdr_x", MDR_NX}, {"mdr_y", MDR_NY}, {"string_len", 11}, {"reports", 3},
};
// clang-format off
enum L1Var {
    S_ID, S_REGION, S_MDR_X, S_MDR_Y, S_TYPE, S_SUMMARY, S_CONFIG, S_PREC, S_TREND, S_MOVE_TYPE,
    S_MOVE_DIR, S_MOVE_SPD, S_MAX_TOPS, S_MAX_TOPS_DIR, S_MAX_TOPS_RAD
};
constexpr VarDef l1_vars[] = {
    {"id", NC_CHAR, {STATION, STRING_LEN}, "Station ID", nullptr},
    {"region", NC_CHAR, {STATION, STRING_LEN}, "Region ID", nullptr},
    {"mdr_x", NC_FLOAT, {STATION}, "MDR x grid location", nullptr},
    {"mdr_y", NC_FLOAT, {STATION}, "MDR y grid location", nullptr},
    {"type", NC_SHORT, {STATION}, "NWS radar type", nullptr},
    {"summary", NC_SHORT, {X1, Y1}, "NWS radar summary", nullptr},
    {"config", NC_CHAR, {STATION, STRING_LEN}, "Precip configuration", nullptr},
    {"prec", NC_CHAR, {STATION, STRING_LEN}, "Precip type", nullptr},
    {"trend", NC_CHAR, {STATION, STRING_LEN}, "Precip trend", nullptr},
    {"move_type", NC_CHAR, {STATION, REPORTS}, "Type of precip movement", nullptr},
    {"move_dir", NC_SHORT, {STATION, REPORTS}, "Precip movement direction", "degrees"},
    {"move_spd", NC_SHORT, {STATION, REPORTS}, "Precip movement speed", "knots"},
    {"max_tops", NC_INT, {STATION}, "Precip max tops", "feet"},
    {"max_tops_dir", NC_SHORT, {STATION}, "Direction of max tops", "degrees"},
    {"max_tops_rad", NC_SHORT, {STATION}, "Distance to max tops", "miles"},
};
// clang-format on
static_assert(std::size(l1_vars) == S_MAX_TOPS_RAD + 1 && std::size(l1_dims) == REPORTS);

char default_history[] = "Radar converted file from VEK decoders";

// The longitudes and latitudes of the MDR boxes, [x][y].
struct GridCoords {
    float lon[MDR_NX][MDR_NY];
    float lat[MDR_NX][MDR_NY];
};

// Passes over the rest of the current line.
void skip_line(FILE *f) {
    int c;
    while ((c = getc(f)) != EOF && c != '\n') {}
}

// Reads N numbers separated by white space into OUT, each within
// [-LIMIT, LIMIT]. Returns null, or why the numbers could not be read.
const char *read_numbers(FILE *f, float *out, int n, double limit) {
    for (int i = 0; i < n; ++i) {
        int c;
        while ((c = getc(f)) != EOF && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {}
        if (c == EOF) return "too few numbers";
        char word[48];
        size_t len = 0;
        while (c != EOF && !(c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
            if (len + 1 >= sizeof word) return "a word that is not a number";
            word[len++] = static_cast<char>(c);
            c = getc(f);
        }
        word[len] = '\0';
        if (c != EOF) ungetc(c, f);
        // Decimal notation only: strtod alone would also take "inf", "nan"
        // and hexadecimal numbers.
        if (strspn(word, "0123456789+-.eE") != len) return "a word that is not a number";
        char *end = nullptr;
        const double v = strtod(word, &end);
        if (end != word + len || !std::isfinite(v)) return "a word that is not a number";
        if (v < -limit || v > limit) return "a coordinate out of range";
        out[i] = static_cast<float>(v);
    }
    return nullptr;
}

// The coordinates of the MDR boxes on a polar stereographic projection true
// at 60 N with 105 W as central meridian: 47.55 km spacing, x eastward and
// y southward, centred on 40.25 N 96.3 W. The projection is set up in full,
// so the grid is the same whatever the run did with the map domain before.
void compute_coords(GridCoords *g) {
    Domain d;
    DOM_init(&d);
    d.proj = 1;
    d.plat = 60.0f;
    d.plon = -105.0f;
    d.clat = 40.25f;
    d.clon = -96.3f;
    d.dx = d.dy = 0.4755f;
    d.nx = MDR_NX;
    d.ny = MDR_NY;
    MAP_domain(&d);
    float xc = 0.0f, yc = 0.0f;
    MAP_tran(40.25f, -96.3f, &xc, &yc);
    for (int x = 0; x < MDR_NX; ++x)
        for (int y = 0; y < MDR_NY; ++y)
            MAP_untran(static_cast<float>(0.4755 * (x - 59.5) + xc),
                       static_cast<float>(0.4755 * (44.5 - y) + yc), &g->lat[x][y], &g->lon[x][y]);
}

// "lon" and "lat": from "rad_loc.dat" in the file_path directory when there
// is one; computed when there is none, and, with a warning, when it is
// short or malformed.
void put_coords() {
    std::vector<GridCoords> coords(1);
    GridCoords *g = coords.data();
    char name[FILE_NAME_LEN];
    // A directory too long for the name holds no file that could be read.
    FILE *f =
        FILE_add_path(RES_get("file_path"), "rad_loc.dat", name) ? FILE_open(name, "r") : nullptr;
    const char *why = f ? RAD_read_loc(f, g->lon, g->lat) : "";
    if (f) FILE_close(f);
    if (why) {
        if (*why)
            MESS_print(M_WARN,
                       "RAD_putinfo: Grid coordinate file %s holds %s; "
                       "the coordinates are computed\n",
                       name, why);
        compute_coords(g);
    }
    CDF_set_range(2, 0, MDR_NX, 0, MDR_NY);
    CDF_put_float_array(var_id[LON], &g->lon[0][0]);
    CDF_put_float_array(var_id[LAT], &g->lat[0][0]);
}

void put_header_l2(RAD_info *info) {
    define(l2_dims, l2_vars);
    if (!info->cmdline) info->cmdline = default_history;
    CDF_put_glob_att("title", "radar observations");
    CDF_put_glob_att("version", "2.0");
    CDF_put_glob_att("history", info->cmdline);
    CDF_end_def();
    if (CDF_failure(nullptr)) return;

    signed char mdr[MDR_NX][MDR_NY];
    for (int x = 0; x < MDR_NX; ++x) memcpy(mdr[x], info->summary[x], MDR_NY);
    CDF_set_range(2, 0, MDR_NX, 0, MDR_NY);
    CDF_put_byte_array(var_id[MDR], &mdr[0][0]);

    put_coords();

    Date d = info->date;
    char seq[DATE_LABEL_LEN];
    DATE_make_seq(&d, seq);
    if (strlen(seq) < 16) { // "time_len" holds the twelve digits and the NUL
        CDF_set_pos(0);
        CDF_put_str(var_id[MDR_TIME], seq);
    }
    CDF_set_pos(0);
    CDF_put_long(var_id[RPT_DATE],
                 info->date.year * 10000L + info->date.month * 100L + info->date.day);
    stat_num = 0;
}

void put_header_l1(RAD_info *info) {
    define(l1_dims, l1_vars);
    char datim[sizeof info->datim];
    const size_t len = strnlen(info->datim, sizeof datim - 1);
    memcpy(datim, info->datim, len);
    datim[len] = '\0';
    CDF_put_glob_att("title", "MDR Observations");
    CDF_put_glob_att("source", "MDR");
    CDF_put_glob_att("version", "1.0");
    CDF_put_glob_num_att("missing_val_f", NC_FLOAT, VEK_MISS);
    CDF_put_glob_num_att("missing_val_i", NC_SHORT, VEK_MISS);
    CDF_put_glob_num_att("missing_val_c", NC_BYTE, ' ');
    CDF_put_glob_att("datetime", datim);
    CDF_put_glob_att("yymmddhh", "00000000");
    CDF_end_def();
    if (CDF_failure(nullptr)) return;

    // The same boxes as the "mdr" grid of layout 2, summary[x][y], in a type
    // that holds every cell value.
    std::vector<short> summary(MDR_NX * MDR_NY);
    for (int x = 0; x < MDR_NX; ++x)
        for (int y = 0; y < MDR_NY; ++y) summary[x * MDR_NY + y] = info->summary[x][y];
    CDF_set_range(2, 0, MDR_NX, 0, MDR_NY);
    CDF_put_short_array(var_id[S_SUMMARY], summary.data());
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

// Starts record R of report REP: its station and time.
void start_record(long r, const MDR_report *rep) {
    put_text(ID, rep->id, sizeof rep->id, {r});
    put_int(RPT_TIME, rep->time, {r});
}

// The zero counts of a record that holds no precipitation group.
void put_counts(long r, int nazran, int nwidth, int nmove, int nheight) {
    put_int(NAZRAN, nazran, {r});
    put_int(NWIDTH, nwidth, {r});
    put_int(NMOVE, nmove, {r});
    put_int(NHEIGHT, nheight, {r});
}

// A record of a further echo object of report REP ("CON"): a movement of
// another kind than the report's configuration, or the maximum top.
long start_con_record(const MDR_report *rep, int object) {
    const long r = stat_num++;
    start_record(r, rep);
    put_int(OPSTAT, RA_STANDARD, {r});
    put_text(RPT_TYPE, "CON", 4, {r});
    put_int(OBJECT, object, {r});
    put_int(NCOVER, 0, {r});
    put_int(TREND, 0, {r});
    return r;
}

void put_move_record(const MDR_report *rep, const MDR_move &m) {
    const long r = start_con_record(rep, move_object(m.type));
    put_counts(r, 0, 0, 1, 0);
    put_float(MOVE_DIR, m.dir, {r, 0});
    put_float(MOVE_SPEED, convert(m.spd, 0.5144), {r, 0});
}

void put_top_record(MDR_report *rep) {
    const long r = start_con_record(rep, RA_MAXTOP);
    put_counts(r, 1, 0, 0, 1);
    put_float(HEIGHT, rep->tops.h * 100.0 * 0.3048, {r, 0});
    if (rep->tops.dir == VEK_MISS) rep->tops.dir = rep->tops.rad = 0;
    put_float(AZIMUTH, rep->tops.dir, {r, 0});
    put_float(RANGE, convert(rep->tops.rad, 1.852), {r, 0});
}

// The records of one report in layout 2: the main record, one per movement
// of another kind than the configuration, one for the maximum top.
void put_report_l2(MDR_report *rep) {
    const long r = stat_num++;
    start_record(r, rep);
    put_int(OPSTAT, opstat_code(rep), {r});
    put_text(RPT_TYPE, "", 4, {r});
    put_int(OBJECT, object_code(rep), {r});

    // Precipitation: a non-zero coverage starts the next coverage group.
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
    put_int(TREND, trend_code(rep), {r});

    // Echo positions, then a width in the range of the first unused one.
    int n = 0;
    for (; n < 5 && rep->loc[n].dir != VEK_MISS; ++n) {
        put_float(AZIMUTH, rep->loc[n].dir, {r, n});
        put_float(RANGE, convert(rep->loc[n].rad, 1.852), {r, n});
    }
    const bool width = n < 5 && rep->loc[n].rad != VEK_MISS;
    if (width) put_float(WIDTH, rep->loc[n].rad * 1.852, {r, 0});

    int j = 0;
    for (int i = 0; i < 3 && rep->move[i].dir != VEK_MISS; ++i) {
        const MDR_move &m = rep->move[i];
        if (m.type != rep->config[0]) {
            put_move_record(rep, m);
            continue;
        }
        put_float(MOVE_DIR, m.dir, {r, j});
        put_float(MOVE_SPEED, convert(m.spd, 0.5144), {r, j});
        ++j;
    }
    put_counts(r, n, width ? 1 : 0, j, 0);

    if (rep->tops.h != VEK_MISS) put_top_record(rep);
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
    CDF_set_range(2, s, 1, 0, 3);
    CDF_put_char_array(var_id[S_MOVE_TYPE], types);
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

void radform::cdf_start() {
    forget_vars();
    stat_num = 0;
}

void radform::cdf_put_header(RAD_info *info, int type) {
    if (type == 12)
        put_header_l2(info);
    else
        put_header_l1(info);
}

void radform::cdf_put_mdr(MDR_report *report, int type, long station) {
    if (type == 12)
        put_report_l2(report);
    else if (station >= 0)
        put_report_l1(report, station);
}

// The grid-coordinate file: a title line, the 120 x 90 longitudes (x outer,
// y inner), the rest of the line of the last longitude passed over, then the
// latitudes the same way. Numbers are decimal, separated by white space.
const char *RAD_read_loc(FILE *f, float (&lon)[120][90], float (&lat)[120][90]) {
    if (!f) return "no file";
    skip_line(f);
    const char *why = read_numbers(f, &lon[0][0], MDR_NX * MDR_NY, 360.0);
    if (why) return why;
    skip_line(f);
    return read_numbers(f, &lat[0][0], MDR_NX * MDR_NY, 90.0);
}
