// vek.h - the records the modules of the package library share: dates,
// map domains, the message type, resource definitions, the scanner's cursor
// and the hash table. Each module declares its interface in a header of its
// own.
//
// Records are plain structures with fixed capacities. Every function that
// writes text into a caller's buffer says how much room it needs; none of
// them writes more. Missing values are -9999 (ints) and -9999.0 (floats).
#ifndef VEK_H
#define VEK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int VEK_MISS = -9999;
constexpr float VEK_FMISS = -9999.0f;

// ---------------------------------------------------------------------------
// Shared records
// ---------------------------------------------------------------------------

// One UTC calendar date and time; -9999 in a field means not given.
struct Date {
    int year;
    int month;
    int day;
    int jday;
    int wday;
    int hour;
    int min;
    int sec;
};

// A map projection with a grid laid over it.
struct Domain {
    int proj;
    float plat;
    float plon;
    float param[5];
    float clat;
    float clon;
    float dx;
    float dy;
    int nx;
    int ny;
    int ellipse;
};

// The projection codes of a Domain: the map projections (gnomonic has no
// transform), then the diagram axes of the plotting programs.
constexpr int PROJ_POLAR_STEREO = 1; // the projection of the MDR grid
constexpr int PROJ_LATLON = 2;
constexpr int PROJ_MERCATOR = 3;
constexpr int PROJ_LAMBERT = 4; // Lambert conformal conic
constexpr int PROJ_ORTHOGRAPHIC = 5;
constexpr int PROJ_GNOMONIC = 6;
constexpr int PROJ_MOLLWEIDE = 7;
constexpr int PROJ_EQUAL_AREA = 8; // Lambert azimuthal equal-area
constexpr int PROJ_SATELLITE = 9;  // geostationary view
constexpr int PROJ_XY = 20;        // linear axes
constexpr int PROJ_XLOGY = 22;     // logarithmic second axis
constexpr int PROJ_HODOGRAPH = 23; // polar plot of azimuth and range
constexpr int PROJ_CATEGORY = 24;  // linear axes
constexpr int PROJ_XP = 25;        // linear, second axis reversed
constexpr int PROJ_SKEWT = 40;
constexpr int PROJ_STUVE = 41;
constexpr int PROJ_EMAGRAM = 42;
constexpr int PROJ_TEPHIGRAM = 43;     // turned by 45 degrees into the view
constexpr int PROJ_RAW_TEPHIGRAM = 44; // temperature against ln theta
constexpr int PROJ_PIXEL = 99;

// The map-coordinate rectangle of the current grid.
struct MAP_limits {
    float x_min;
    float x_max;
    float y_min;
    float y_max;
};

// ---------------------------------------------------------------------------
// The message type
// ---------------------------------------------------------------------------

// A 32-bit message type and selection mask: eight 4-bit groups, the
// sublevels a to d within each group.
using M_type = uint32_t;

constexpr M_type M_PRINT = 0x0000000F;
constexpr M_type M_ERROR = 0x00000030;
constexpr M_type M_WARN = 0x000000C0;
constexpr M_type M_MESS = 0x00000F00;
constexpr M_type M_OUT1 = 0x0000F000;
constexpr M_type M_OUT2 = 0x000F0000;
constexpr M_type M_OUT3 = 0x00F00000;
constexpr M_type M_OUT4 = 0x0F000000;
constexpr M_type M_DEBUG = 0xF0000000;

// The sublevels a to d of a class (M_OUT3 & M_SUB_A is out3, sublevel a).
constexpr M_type M_SUB_A = 0x11111111;
constexpr M_type M_SUB_B = 0x22222222;
constexpr M_type M_SUB_C = 0x44444444;
constexpr M_type M_SUB_D = 0x88888888;

// The sublevels the modules print at.
constexpr M_type M_PRINT_D = M_PRINT & M_SUB_D; // the lines of the resource listing
constexpr M_type M_WARN_C = M_WARN & M_SUB_C;
constexpr M_type M_MESS_D = M_MESS & M_SUB_D;
constexpr M_type M_OUT3_A = M_OUT3 & M_SUB_A;
constexpr M_type M_OUT3_C = M_OUT3 & M_SUB_C;
constexpr M_type M_OUT4_A = M_OUT4 & M_SUB_A;
constexpr M_type M_OUT4_C = M_OUT4 & M_SUB_C;
constexpr M_type M_DEBUG_A = M_DEBUG & M_SUB_A;
constexpr M_type M_DEBUG_B = M_DEBUG & M_SUB_B;
constexpr M_type M_DEBUG_C = M_DEBUG & M_SUB_C;
constexpr M_type M_DEBUG_D = M_DEBUG & M_SUB_D;

// ---------------------------------------------------------------------------
// Resource definitions
// ---------------------------------------------------------------------------

enum DEF_convert {
    CV_none = 0,
    CV_bool = 1,
    CV_int = 2,
    CV_short = 3,
    CV_long = 4,
    CV_float = 5,
    CV_string = 6,
    CV_strcpy = 7,
    CV_path = 8,
    CV_mess = 9,
    CV_draw = 10,
    CV_current = 11,
    CV_hour = 12,
    CV_region = 13,
    CV_name = 14,
    CV_ingestor = 15,
    CV_file_param = 16,
    CV_device = 17,
    CV_plot_type = 18,
    CV_color = 19,
    CV_domain = 20,
    CV_strings = 21,
    CV_batch = 22,
    CV_help = 23,
};

// One entry of the definition table. The command-line form is either an
// abbreviation (cmd) or a positional number (pos: 1 to 9 for the n-th bare
// argument, 10 for every bare argument not taken by a numbered entry); an
// entry has one of the two. An empty def makes the entry inert, a null def
// ends the table.
struct RES_defobj {
    const char *def;
    const char *env;
    const char *cmd;
    int pos;
    DEF_convert cvt;
    void *out;
    int *num;
};

// One stored resource; the store keeps them in order of first creation.
struct res_obj {
    int index;
    char *name;
    char *data;
    DEF_convert cvt;
    res_obj *next;
};

// ---------------------------------------------------------------------------
// The scanner's cursor and the hash table
// ---------------------------------------------------------------------------

// The cursor of the pattern scanner over one text of LENGTH bytes; the caller
// owns the record and the text.
struct parse_param {
    const char *ptr;
    int length;
    int off;
    int len;
    int assigned;
    int matched;
    int done;
};

// One entry of a hash table: a key of a record, the record's copy, the next
// entry of the same slot and the next record in the order of entry.
struct TAB_entry {
    char *key;
    char *data;
    TAB_entry *link;
    TAB_entry *next;
};

// A hash table of fixed-size records under one to four string keys.
struct TAB_table {
    int tab_size;
    int data_size;
    TAB_entry *data_ptr;
    TAB_entry *head_ptr;
    TAB_entry *last_ptr;
    int num_entry;
    int numkey;
    TAB_entry *table[4];
};

// The package's version label: three release numbers, the operating system
// and the window system (printed in the banner and the help heading).
constexpr const char *VEK_VERSION_LABEL = "1.4.2-LINUX-X11";

#endif
