// rad_cdf.cpp - the netCDF form of the converted radar file: the two
// layouts, their dimensions, variables and attributes, and the header.
// Layout 2 ("radar observations") holds the summary grid with the longitude
// and latitude of its boxes, then records of echo objects (one or more per
// MDR report, one per RCM report); it follows the CF conventions, so that
// netCDF readers decode its time, coordinates, missing values and codes. An
// RCM run adds the fine grid the sites were merged into, with the position
// of every cell, and the sites' features. Layout 1 ("MDR Observations")
// holds one record per station. The records are rad_cdf_records.cpp's.
//
// State: the ids of the dimensions and variables of the open file and, in
// layout 2, the index of its next record.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <span>
#include <vector>

#include "date.h"
#include "files.h"
#include "maptran.h"
#include "mess.h"
#include "numtext.h"
#include "rad_cdf.h"
#include "rad_read.h"
#include "resrc.h"
#include "scanp.h"
#include "vekcdf.h"

using namespace radform;

namespace {

long stat_num = 0; // next record index of layout 2

// The dimensions and variables of the open file, by their place in the
// layout's tables; -1 until defined, and for one whose definition failed,
// so that every write to it is skipped.
constexpr int MAX_DIMS = 24;
int dim_id[MAX_DIMS];
int var_id[std::max<int>(L2_VARS, L1_VARS)];

void forget_ids() {
    for (int &d : dim_id) d = -1;
    for (int &v : var_id) v = -1;
}

// A dimension and a variable as the layouts define them. The variable's
// shape names its dimensions by their place in the layout's table of
// dimensions counted from 1, outermost first; 0 ends a shorter shape.
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

// Defines DIMS as the layout's dimensions FIRST on (counted from 1).
void define_dims(std::span<const DimDef> dims, int first) {
    for (int i = 0; i < static_cast<int>(dims.size()) && first + i <= MAX_DIMS; ++i)
        dim_id[first - 1 + i] = CDF_def_dim(dims[i].name, dims[i].size);
}

int define_var(const VarDef &def) {
    long shape[MAX_RANK];
    int n = 0;
    for (int d : def.shape)
        if (d >= 1 && d <= MAX_DIMS) shape[n++] = dim_id[d - 1];
    CDF_set_shape_list(n, {shape, static_cast<size_t>(n)});
    switch (def.type) {
    case NC_FLOAT:
        return CDF_def_float_var(def.name);
    case NC_DOUBLE:
        return CDF_def_double_var(def.name);
    case NC_INT:
        return CDF_def_long_var(def.name);
    case NC_SHORT:
        return CDF_def_short_var(def.name);
    case NC_BYTE:
        return CDF_def_byte_var(def.name);
    default:
        return CDF_def_char_var(def.name);
    }
}

// Defines VARS as the layout's variables FIRST on, each with its
// "long_name" and "units".
void define_vars(std::span<const VarDef> vars, int first) {
    for (int v = 0; v < static_cast<int>(vars.size()); ++v) {
        if (first + v >= static_cast<int>(std::size(var_id))) return;
        const int id = define_var(vars[v]);
        var_id[first + v] = id;
        CDF_put_base_att(id, vars[v].long_name, vars[v].units);
    }
}

// ---------------------------------------------------------------------------
// Layout 2
// ---------------------------------------------------------------------------

// clang-format off
enum L2Dim {
    X2 = 1, Y2, ID_LEN, RADAR_LEN, TIME_LEN, RPT_TYPE_LEN, MAXCOVER,
    MAXPRECIP, MAXAZRAN, MAXWIDTH, MAXMOVE, MAXHEIGHT, REPORT,
    FINE_X, FINE_Y, MAXSTORM, MAXTVS, MAXMESO, MAXVAD, FEATURE_ID
};
constexpr DimDef l2_dims[] = {
    {"mdr_x", MDR_NX},   {"mdr_y", MDR_NY}, {"id_len", 12},   {"radar_len", 12}, {"time_len", 16},
    {"rpt_type_len", 4}, {"maxcover", 3},   {"maxprecip", 3}, {"maxazran", 8},   {"maxwidth", 4},
    {"maxmove", 4},      {"maxheight", 8},  {"report", 0},
};
constexpr DimDef rcm_dims[] = {
    {"rcm_x", FINE_NX}, {"rcm_y", FINE_NY}, {"maxstorm", MAX_STORMS}, {"maxtvs", MAX_TVS},
    {"maxmeso", MAX_MESOS}, {"maxvad", MAX_VADS}, {"feature_id_len", FEATURE_ID_LEN},
};
constexpr const char *ENUM_UNITS = "ennumerated in rarep.h";
constexpr VarDef l2_vars[] = {
    {"mdr_time", NC_CHAR, {TIME_LEN}, "MDR summary time", "YYYYMMDDHHMM UTC"},
    {"lon", NC_FLOAT, {X2, Y2}, "longitude", "degrees_east"},
    {"lat", NC_FLOAT, {X2, Y2}, "latitude", "degrees_north"},
    {"mdr", NC_BYTE, {X2, Y2}, "manually digitized radar summary", nullptr},
    {"rpt_date", NC_INT, {}, "report date", "YYYYMMDD UTC"},
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
    // every run
    {"time", NC_DOUBLE, {}, "nominal time of the run", "seconds since 1970-01-01 00:00:00"},
    {"site_lat", NC_FLOAT, {REPORT}, "radar site latitude", "degrees_north"},
    {"site_lon", NC_FLOAT, {REPORT}, "radar site longitude", "degrees_east"},
};
constexpr const char *HFT = "hft"; // hundreds of feet, as the messages code heights
constexpr VarDef rcm_vars[] = {
    {"rcm", NC_BYTE, {FINE_X, FINE_Y}, "radar coded message summary on the fine grid", nullptr},
    {"rcm_lat", NC_FLOAT, {FINE_X, FINE_Y}, "latitude of the fine grid cell centre",
     "degrees_north"},
    {"rcm_lon", NC_FLOAT, {FINE_X, FINE_Y}, "longitude of the fine grid cell centre",
     "degrees_east"},
    {"rcm_status", NC_BYTE, {REPORT}, "radar coded message status", nullptr},
    {"rcm_mode", NC_BYTE, {REPORT}, "radar operating mode", nullptr},
    {"max_top", NC_INT, {REPORT}, "maximum echo top in hundreds of feet", HFT},
    {"max_top_lat", NC_FLOAT, {REPORT}, "latitude of the maximum echo top", "degrees_north"},
    {"max_top_lon", NC_FLOAT, {REPORT}, "longitude of the maximum echo top", "degrees_east"},
    {"nstorm", NC_BYTE, {REPORT}, "number of storm centroids", nullptr},
    {"storm_id", NC_CHAR, {REPORT, MAXSTORM, FEATURE_ID}, "storm identifier", nullptr},
    {"storm_lat", NC_FLOAT, {REPORT, MAXSTORM}, "storm centroid latitude", "degrees_north"},
    {"storm_lon", NC_FLOAT, {REPORT, MAXSTORM}, "storm centroid longitude", "degrees_east"},
    {"storm_top", NC_INT, {REPORT, MAXSTORM}, "storm top in hundreds of feet", HFT},
    {"storm_dir", NC_INT, {REPORT, MAXSTORM}, "direction the storm moves from", "degrees"},
    {"storm_speed", NC_INT, {REPORT, MAXSTORM}, "storm speed", "knots"},
    {"storm_hail", NC_BYTE, {REPORT, MAXSTORM}, "storm hail", nullptr},
    {"ntvs", NC_BYTE, {REPORT}, "number of tornado vortex signatures", nullptr},
    {"tvs_id", NC_CHAR, {REPORT, MAXTVS, FEATURE_ID}, "tornado vortex signature identifier",
     nullptr},
    {"tvs_lat", NC_FLOAT, {REPORT, MAXTVS}, "tornado vortex signature latitude", "degrees_north"},
    {"tvs_lon", NC_FLOAT, {REPORT, MAXTVS}, "tornado vortex signature longitude", "degrees_east"},
    {"nmeso", NC_BYTE, {REPORT}, "number of mesocyclones", nullptr},
    {"meso_id", NC_CHAR, {REPORT, MAXMESO, FEATURE_ID}, "mesocyclone identifier", nullptr},
    {"meso_lat", NC_FLOAT, {REPORT, MAXMESO}, "mesocyclone latitude", "degrees_north"},
    {"meso_lon", NC_FLOAT, {REPORT, MAXMESO}, "mesocyclone longitude", "degrees_east"},
    {"nvad", NC_BYTE, {REPORT}, "number of wind profile levels", nullptr},
    {"vad_height", NC_INT, {REPORT, MAXVAD}, "wind profile level height in hundreds of feet", HFT},
    {"vad_dir", NC_INT, {REPORT, MAXVAD}, "wind direction (from)", "degrees"},
    {"vad_speed", NC_INT, {REPORT, MAXVAD}, "wind speed", "knots"},
    {"vad_rms", NC_INT, {REPORT, MAXVAD}, "root mean square error of the wind", "knots"},
};
// clang-format on
static_assert(std::size(l2_dims) == REPORT && std::size(rcm_dims) == FEATURE_ID - REPORT);
static_assert(std::size(l2_vars) == FINE && std::size(rcm_vars) == L2_VARS - FINE);

// The codes of a coded byte with their meanings (blank-separated words, one
// per value); for a byte of bit fields also the mask of each code.
struct Flags {
    std::span<const double> values;
    std::span<const double> masks;
    const char *meanings;
};
constexpr double opstat_codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr double object_codes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                   10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
constexpr double trend_codes[] = {0, 1, 2, 3, 4};
constexpr double intensity_codes[] = {1, 2, 3, 4, 5, 6, 9};
// The kinds 1 to 5 in the low three bits; shower, thunderstorm and freezing
// bits (the last is the byte's sign bit).
constexpr double precip_codes[] = {1, 2, 3, 4, 5, 32, 64, -128};
constexpr double precip_masks[] = {7, 7, 7, 7, 7, 32, 64, -128};
constexpr double status_codes[] = {-1, 0, 1, 2};
constexpr double mode_codes[] = {1, 2};
constexpr double hail_codes[] = {-1, 0, 1, 2};

constexpr Flags opstat_flags = {opstat_codes,
                                {},
                                "standard no_echoes out_for_maintenance not_available robeps arno "
                                "rhino dvipno cp stc mag ns"};
constexpr Flags object_flags = {object_codes,
                                {},
                                "no_object area line cell layer spiral_band fine_line eye center "
                                "max_top umax_top top hook hail lewp vault_bwer base malf palf "
                                "melting_level"};
constexpr Flags trend_flags = {trend_codes, {}, "none increasing decreasing no_change new"};
constexpr Flags intensity_flags = {
    intensity_codes, {}, "light moderate heavy very_heavy intense extreme unknown"};
constexpr Flags precip_flags = {precip_codes, precip_masks,
                                "rain hail snow ice_pellets drizzle shower thunderstorm freezing"};
constexpr Flags status_flags = {
    status_codes, {}, "not_received normal no_echoes out_for_maintenance"};
constexpr Flags mode_flags = {mode_codes, {}, "precipitation clear_air"};
constexpr Flags hail_flags = {hail_codes, {}, "unknown none probable positive"};

// The empty mark of a grid cell, the missing number of a record field, and
// the library's own fill of a byte, which a byte keeps where -9999 cannot be
// stored. A precipitation code may be that byte (freezing rain, 129, is
// -127 as a byte), so its fill is a code no type string gives: 127 (its
// eight and sixteen bits are never set).
constexpr double GRID_FILL = RAD_EMPTY;
constexpr double MISSING = VEK_MISS;
constexpr double BYTE_FILL = NC_FILL_BYTE;
constexpr double PRECIP_FILL = 127;
constexpr double NO_FILL = std::numeric_limits<double>::infinity();

// The CF attributes of a variable of layout 2 beyond its long_name and
// units.
struct CfDef {
    int var;
    const char *standard_name = nullptr;
    double fill = NO_FILL;
    const char *coordinates = nullptr;
    const Flags *flags = nullptr;
};
// clang-format off
const CfDef cf_defs[] = {
    {LON, "longitude"}, {LAT, "latitude"},
    {MDR, nullptr, GRID_FILL, "time lat lon"},
    {RPT_TIME, nullptr, MISSING},
    {OPSTAT, nullptr, NO_FILL, nullptr, &opstat_flags},
    {OBJECT, nullptr, NO_FILL, nullptr, &object_flags},
    {COVERAGE, nullptr, BYTE_FILL}, {NPRECIP, nullptr, BYTE_FILL},
    {PRECIP_TYPE, nullptr, PRECIP_FILL, nullptr, &precip_flags},
    {INTENSITY, nullptr, BYTE_FILL, nullptr, &intensity_flags},
    {TREND, nullptr, NO_FILL, nullptr, &trend_flags},
    {AZIMUTH, nullptr, MISSING}, {RANGE, nullptr, MISSING}, {HEIGHT, nullptr, MISSING},
    {WIDTH, nullptr, MISSING}, {MOVE_SPEED, nullptr, MISSING}, {MOVE_DIR, nullptr, MISSING},
    {TIME, "time"},
    {SITE_LAT, "latitude", MISSING}, {SITE_LON, "longitude", MISSING},
    {FINE, nullptr, GRID_FILL, "time rcm_lat rcm_lon"},
    {FINE_LAT, "latitude"}, {FINE_LON, "longitude"},
    {RCM_STATUS, nullptr, NO_FILL, nullptr, &status_flags},
    {RCM_MODE, nullptr, BYTE_FILL, nullptr, &mode_flags},
    {MAX_TOP, nullptr, MISSING},
    {MAX_TOP_LAT, "latitude", MISSING}, {MAX_TOP_LON, "longitude", MISSING},
    {STORM_LAT, "latitude", MISSING}, {STORM_LON, "longitude", MISSING},
    {STORM_TOP, nullptr, MISSING}, {STORM_DIR, nullptr, MISSING}, {STORM_SPEED, nullptr, MISSING},
    {STORM_HAIL, nullptr, BYTE_FILL, nullptr, &hail_flags},
    {TVS_LAT, "latitude", MISSING}, {TVS_LON, "longitude", MISSING},
    {MESO_LAT, "latitude", MISSING}, {MESO_LON, "longitude", MISSING},
    {VAD_HEIGHT, nullptr, MISSING}, {VAD_DIR, nullptr, MISSING}, {VAD_SPEED, nullptr, MISSING},
    {VAD_RMS, nullptr, MISSING},
};
// clang-format on

constexpr const char *GRID_COMMENT =
    "echo intensity level 1 to 6; 0 no echo; -1 covered by a radar that gave no value; "
    "_FillValue: covered by no report";

// The CF attributes of the variables of layout 2 that the file holds.
void put_cf_attributes() {
    for (const CfDef &d : cf_defs) {
        const int id = var_id[d.var];
        if (id == -1) continue;
        const nc_type type = d.var < FINE ? l2_vars[d.var].type : rcm_vars[d.var - FINE].type;
        if (d.standard_name) CDF_put_text_att(id, "standard_name", d.standard_name);
        if (d.fill != NO_FILL) CDF_put_num_att(id, "_FillValue", type, {&d.fill, 1});
        if (d.coordinates) {
            CDF_put_text_att(id, "coordinates", d.coordinates);
            CDF_put_text_att(id, "comment", GRID_COMMENT);
        }
        if (d.flags) {
            if (!d.flags->masks.empty()) CDF_put_num_att(id, "flag_masks", type, d.flags->masks);
            CDF_put_num_att(id, "flag_values", type, d.flags->values);
            CDF_put_text_att(id, "flag_meanings", d.flags->meanings);
        }
    }
    CDF_put_text_att(var_id[TIME], "calendar", "standard");
    // Texts are bytes as the bulletins gave them; readers decode them as
    // strings by this encoding, which takes every byte.
    for (int v : {MDR_TIME, ID, RADAR_TYPE, RPT_TYPE, STORM_ID, TVS_ID, MESO_ID})
        CDF_put_text_att(var_id[v], "_Encoding", "iso-8859-1");
}

// ---------------------------------------------------------------------------
// Layout 1
// ---------------------------------------------------------------------------

enum L1Dim { STATION = 1, X1, Y1, STRING_LEN, REPORTS };
constexpr DimDef l1_dims[] = {
    {"station", 0}, {"mdr_x", MDR_NX}, {"mdr_y", MDR_NY}, {"string_len", 11}, {"reports", 3},
};
// clang-format off
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
    {"max_tops", NC_INT, {STATION}, "Precip max tops", HFT},
    {"max_tops_dir", NC_SHORT, {STATION}, "Direction of max tops", "degrees"},
    {"max_tops_rad", NC_SHORT, {STATION}, "Distance to max tops", "nautical_miles"},
};
// clang-format on
static_assert(std::size(l1_vars) == L1_VARS && std::size(l1_dims) == REPORTS);

char default_history[] = "Radar converted file from VEK decoders";

// ---------------------------------------------------------------------------
// Grid coordinates
// ---------------------------------------------------------------------------

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
        // Digits only: the reader would also take "inf" and "nan".
        if (strspn(word, "0123456789+-.eE") != len) return "a word that is not a number";
        double v = 0;
        if (read_float(word, &v) != word + len || !std::isfinite(v))
            return "a word that is not a number";
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
    constexpr float none = VEK_FMISS;
    const Domain d = {1,      60.0f,  -105.0f, {none, none, none, none, none},
                      40.25f, -96.3f, 0.4755f, 0.4755f,
                      MDR_NX, MDR_NY, 0};
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

// Makes the MDR grid on which stations and echoes are placed the current
// map domain.
void use_mdr_grid() {
    MAP_domain(&RAD_MDR_GRID);
}

// The latitude and longitude of grid point (GX, GY) of the current domain.
void grid_latlon(float gx, float gy, float *lat, float *lon) {
    float mx = VEK_FMISS, my = VEK_FMISS;
    MAP_grid_tran(gx, gy, &mx, &my);
    MAP_untran(mx, my, lat, lon);
}

// The centres of the fine-grid cells, [x][y]: a quarter of an MDR box of the
// grid on which the sites' echoes were merged. The same for every run, so
// worked out once.
struct FineCoords {
    std::vector<float> lat, lon;
};
const FineCoords &fine_coords() {
    static const FineCoords c = [] {
        FineCoords f;
        f.lat.resize(FINE_NX * FINE_NY);
        f.lon.resize(FINE_NX * FINE_NY);
        use_mdr_grid();
        for (int x = 0; x < FINE_NX; ++x)
            for (int y = 0; y < FINE_NY; ++y)
                grid_latlon((x + 0.5f) / 4, (y + 0.5f) / 4, &f.lat[x * FINE_NY + y],
                            &f.lon[x * FINE_NY + y]);
        return f;
    }();
    return c;
}

// ---------------------------------------------------------------------------
// Headers
// ---------------------------------------------------------------------------

// The box (X, Y) of the MDR grid in an RCM run: the highest value of its
// 4 x 4 fine cells, the empty mark where all are empty.
signed char block_max(const RAD_info *info, int x, int y) {
    signed char best = RAD_EMPTY;
    bool any = false;
    for (int i = 4 * x; i < 4 * x + 4; ++i)
        for (int j = 4 * y; j < 4 * y + 4; ++j) {
            const signed char c = info->summary[i][j];
            if (c == RAD_EMPTY || (any && c <= best)) continue;
            best = c;
            any = true;
        }
    return best;
}

// The box (X, Y) of the summary on the MDR grid: the cell itself, or in an
// RCM run the maximum of its fine cells.
signed char mdr_box(const RAD_info *info, int x, int y) {
    return info->type == RAD_IN_RCM ? block_max(info, x, y) : info->summary[x][y];
}

// "mdr": the summary's MDR boxes.
void put_mdr_grid(const RAD_info *info) {
    signed char mdr[MDR_NX][MDR_NY];
    for (int x = 0; x < MDR_NX; ++x)
        for (int y = 0; y < MDR_NY; ++y) mdr[x][y] = mdr_box(info, x, y);
    CDF_set_range(2, 0, MDR_NX, 0, MDR_NY);
    CDF_put_byte_array(var_id[MDR], &mdr[0][0]);
}

// "rcm" and the position of its cells.
void put_fine_grid(const RAD_info *info) {
    std::vector<signed char> fine(FINE_NX * FINE_NY);
    for (int x = 0; x < FINE_NX; ++x) memcpy(&fine[x * FINE_NY], info->summary[x], FINE_NY);
    CDF_set_range(2, 0, FINE_NX, 0, FINE_NY);
    CDF_put_byte_array(var_id[FINE], fine.data());
    const FineCoords &c = fine_coords();
    CDF_put_float_array(var_id[FINE_LAT], c.lat.data());
    CDF_put_float_array(var_id[FINE_LON], c.lon.data());
}

// The date of the run: "mdr_time", "rpt_date" and "time".
void put_dates(const RAD_info *info) {
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
    d = info->date;
    const double seconds = static_cast<double>(DATE_num_sec(&d));
    CDF_set_range(0);
    CDF_put_double_array(var_id[TIME], &seconds);
}

const char *run_source(int type) {
    switch (type) {
    case RAD_IN_SUMMARY:
        return "national radar summary bulletins";
    case RAD_IN_RCM:
        return "Radar Coded Messages";
    default:
        return "Manually Digitized Radar reports";
    }
}

void put_header_l2(RAD_info *info) {
    const bool rcm = info->type == RAD_IN_RCM;
    define_dims(l2_dims, X2);
    if (rcm) define_dims(rcm_dims, FINE_X);
    define_vars(l2_vars, 0);
    if (rcm) define_vars(rcm_vars, FINE);
    put_cf_attributes();
    if (!info->cmdline) info->cmdline = default_history;
    CDF_put_glob_att("title", "radar observations");
    CDF_put_glob_att("version", "2.0");
    CDF_put_glob_att("history", info->cmdline);
    CDF_put_glob_att("Conventions", "CF-1.8");
    CDF_put_glob_att("source", run_source(info->type));
    CDF_end_def();
    if (CDF_failure(nullptr)) return;

    put_mdr_grid(info);
    put_coords();
    if (rcm) put_fine_grid(info);
    put_dates(info);
    stat_num = 0;
}

void put_header_l1(RAD_info *info) {
    define_dims(l1_dims, STATION);
    define_vars(l1_vars, 0);
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

    // The same boxes as the "mdr" grid of layout 2, in a type that holds
    // every cell value.
    std::vector<short> summary(MDR_NX * MDR_NY);
    for (int x = 0; x < MDR_NX; ++x)
        for (int y = 0; y < MDR_NY; ++y) summary[x * MDR_NY + y] = mdr_box(info, x, y);
    CDF_set_range(2, 0, MDR_NX, 0, MDR_NY);
    CDF_put_short_array(var_id[S_SUMMARY], summary.data());
}

} // namespace

// ---------------------------------------------------------------------------
// Shared with the records
// ---------------------------------------------------------------------------

long radform::next_record() {
    return stat_num++;
}

void radform::put_int(int v, long value, std::initializer_list<long> at) {
    CDF_set_pos_list(static_cast<int>(at.size()), {at.begin(), at.size()});
    CDF_put_long(var_id[v], value);
}

void radform::put_float(int v, double value, std::initializer_list<long> at) {
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

void radform::put_text(int v, const char *text, size_t cap, std::initializer_list<long> at) {
    char buf[64];
    const size_t room = cap < sizeof buf ? cap : sizeof buf;
    const size_t n = room ? strnlen(text, room - 1) : 0;
    memcpy(buf, text, n);
    buf[n] = '\0';
    CDF_set_pos_list(static_cast<int>(at.size()), {at.begin(), at.size()});
    CDF_put_str(var_id[v], buf);
}

void radform::put_run(int v, long r, const float *values, int n) {
    CDF_set_range(2, r, 1, 0, n);
    CDF_put_float_array(var_id[v], values);
}
void radform::put_run(int v, long r, const int *values, int n) {
    CDF_set_range(2, r, 1, 0, n);
    CDF_put_int_array(var_id[v], values);
}
void radform::put_run(int v, long r, const signed char *values, int n) {
    CDF_set_range(2, r, 1, 0, n);
    CDF_put_byte_array(var_id[v], values);
}
void radform::put_run(int v, long r, const char *values, int n) {
    CDF_set_range(2, r, 1, 0, n);
    CDF_put_char_array(var_id[v], values);
}
void radform::put_ids(int v, long r, const char (*ids)[FEATURE_ID_LEN], int n) {
    CDF_set_range(3, r, 1, 0, n, 0, FEATURE_ID_LEN);
    CDF_put_char_array(var_id[v], ids[0]);
}

void radform::mdr_grid_latlon(float gx, float gy, float *lat, float *lon) {
    *lat = *lon = VEK_FMISS;
    if (gx == VEK_FMISS || gy == VEK_FMISS) return;
    use_mdr_grid();
    grid_latlon(gx, gy, lat, lon);
}

void radform::cdf_start() {
    forget_ids();
    stat_num = 0;
}

void radform::cdf_put_header(RAD_info *info, int type) {
    if (type == RAD_FILE_CDF)
        put_header_l2(info);
    else
        put_header_l1(info);
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
