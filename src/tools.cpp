// tools.cpp - help output generated from a program's resource lists, and the
// conversion between WMO station numbers and identifiers.
//
// Keeps no state.

#include <cstring>

#include "mess.h"
#include "numtext.h"
#include "scanp.h"
#include "system.h"
#include "tools.h"

namespace {

// One help entry: the option text and its description. Entries with a null
// description print the option text alone and then their extra lines.
struct HelpRow {
    res_type id;
    const char *option;
    const char *desc;
    const char *const *extra;
};

const char *const message_lines[] = {
    "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n", nullptr};

#define DOMAIN_LINES                                                                               \
    "               region=predefined region:\n",                                                  \
        "                  us,ne,at,se,mw,sp,nw,sw,etc\n",                                         \
        "               proj=projection, clat=central latitude, clon=central longitude,\n",        \
        "               nx,ny=number of gridpoints and dx,dy=grid spacing\n"

const char *const plot_domain_lines[] = {"             Output plot domain\n", DOMAIN_LINES,
                                         nullptr};
const char *const grid_domain_lines[] = {"             Grid domain\n", DOMAIN_LINES, nullptr};
const char *const region_lines[] = {"             Region to be used for plotting and gridding\n",
                                    DOMAIN_LINES, "               us,ne,at,se,mw,sp,nw,sw,var\n",
                                    nullptr};
#undef DOMAIN_LINES

const HelpRow help_rows[] = {
    {RES_help, "-h", "Print this help", nullptr},
    {RES_batch, "-ba", "Run program in batch mode", nullptr},
    {RES_message, "-me level", "Message level to be displayed:", message_lines},
    {RES_file_path, "-fp path", "File path", nullptr},
    {RES_data_path, "-dp path", "Raw data path", nullptr},
    {RES_con_path, "-cp path", "Converted data path", nullptr},
    {RES_grid_path, "-gp path", "Gridded data path", nullptr},
    {RES_raw_path, "-rp path", "Raw files path", nullptr},
    {RES_image_path, "-ip path", "Image file path", nullptr},
    {RES_watch_path, "-wp path", "Watch file data path", nullptr},
    {RES_text_path, "-tp path", "Text file path", nullptr},
    {RES_model_path, "-mp path", "Model file path", nullptr},
    {RES_sat_path, "-sp path", "Satellite file path", nullptr},
    {RES_input, "-in type", "Type of input", nullptr},
    {RES_output, "-ou type", "Type of output", nullptr},
    {RES_name_conv, "-nc type", "Naming convention file name", nullptr},
    {RES_in_file, "-if type", "Input data file type", nullptr},
    {RES_out_file, "-of type", "Output file type", nullptr},
    {RES_file_param, "-pf param", "File parameters: use,calc,over,app", nullptr},
    {RES_current, "-cu [hour]", "Use current data file", nullptr},
    {RES_hour, "-ho hour", "Actual hour of the file", nullptr},
    {RES_num_hour, "-nh hour[,step]", "Number of hours to view", nullptr},
    {RES_decode_hour, "-dh hour", "Actual hour to decode", nullptr},
    {RES_parameter, "-pa param[,...]", "Program parameters", nullptr},
    {RES_filenames, "file [file...]", "Input file names", nullptr},
    {RES_plot_domain, "-pd region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr, plot_domain_lines},
    {RES_grid_domain, "-gd region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr, grid_domain_lines},
    {RES_region, "-re region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr, region_lines},

    // The resources other programs of the package register.
    {RES_ingestor, "-di name", "Data ingestor", nullptr},
    {RES_in_files, "-if type", "Input data file types", nullptr},
    {RES_inputg, "-inp type", "Type of gridded input", nullptr},
    {RES_map_file, "-mf file", "Map file name", nullptr},
    {RES_bull_file, "-bf file", "Bulletin file name", nullptr},
    {RES_log_file, "-lf file", "Log file name", nullptr},
    {RES_city_file, "-cf file", "Station file name", nullptr},
    {RES_model, "-mo model", "Model name", nullptr},
    {RES_grid_type, "-gt type", "Grid type number", nullptr},
    {RES_grid_num, "-gn num[,...]", "Grid numbers", nullptr},
    {RES_identifier, "-id id[,...]", "Station identifiers or selections", nullptr},
    {RES_product, "-ph product", "Product name", nullptr},
    {RES_forecast, "-fc hour[,...]", "Forecast hours", nullptr},
    {RES_state, "-st state", "State or province", nullptr},
    {RES_time, "-ft time", "Forecast time", nullptr},
    {RES_level, "-le level[,...]", "Vertical levels", nullptr},
    {RES_variable, "-va var[,...]", "Variables", nullptr},
    {RES_stat_prior, "-pr prior", "Station priority", nullptr},
    {RES_object_param, "-oa param", "Object analysis parameters", nullptr},
    {RES_con_interval, "-in value", "Contour interval", nullptr},
    {RES_plot_type, "-pl type", "Plot type", nullptr},
    {RES_draw, "-dr item[,...]", "Components to draw", nullptr},
    {RES_table, "-ta", "Print a table", nullptr},
    {RES_plot_scale, "-sc scale", "Plot scale", nullptr},
    {RES_con_base, "-cb value", "Contour base", nullptr},
    {RES_plot_format, "-fm format", "Plot format", nullptr},
    {RES_plot_param, "-pp param", "Plot parameters", nullptr},
    {RES_label, "-la label", "Plot label", nullptr},
    {RES_color_table, "-ct file", "Color table", nullptr},
    {RES_background, "-bg color", "Background color", nullptr},
    {RES_color_text, "-cot color", "Text color", nullptr},
    {RES_color_data, "-cod color", "Data color", nullptr},
    {RES_color_map, "-com color", "Map color", nullptr},
    {RES_color_grid, "-cogr color", "Grid color", nullptr},
    {RES_color_line, "-coln color", "Line color", nullptr},
    {RES_color_cmap, "-cocm color", "Color map", nullptr},
    {RES_color_cont, "-coco color", "Contour color", nullptr},
    {RES_color_label, "-cola color", "Label color", nullptr},
    {RES_color_clabel, "-cocl color", "Contour label color", nullptr},
    {RES_color_front, "-cofr color", "Front color", nullptr},
    {RES_color_watch, "-cowa color", "Watch color", nullptr},
    {RES_color_fill, "-cof color", "Fill color", nullptr},
    {RES_color_wind, "-cowd color", "Wind color", nullptr},
    {RES_color_cloud, "-cocd color", "Cloud color", nullptr},
    {RES_color_wx, "-cowx color", "Weather color", nullptr},
    {RES_color_pop, "-copp color", "Probability color", nullptr},
    {RES_color_sound, "-cosd color", "Sounding color", nullptr},
    {RES_color_therm, "-coth color", "Thermodynamic diagram color", nullptr},
    {RES_color_thrmtxt, "-cott color", "Thermodynamic text color", nullptr},
    {RES_color_hodo, "-coh color", "Hodograph color", nullptr},
    {RES_color_hodtxt, "-coht color", "Hodograph text color", nullptr},
    {RES_font_list, "-fl fonts", "Font list", nullptr},
    {RES_window_num, "-wn num", "Window number", nullptr},
    {RES_device, "-de dev[,name]", "Output device", nullptr},
    {RES_title, "-ti title", "Window title", nullptr},
    {RES_geometry, "-ge geom", "Window geometry", nullptr},
    {RES_icon, "-ic", "Start as an icon", nullptr},
    {RES_command, "command...", "Commands", nullptr},
    {RES_commands, "-cd command", "Command", nullptr},
    {RES_filename, "file", "Input file name", nullptr},
    {RES_values, "value...", "Values", nullptr},
};

} // namespace

int RES_help_item(res_type res) {
    for (const HelpRow &row : help_rows) {
        if (row.id != res) continue;
        if (row.desc) {
            MESS_print(M_PRINT, " %-10s  %s\n", row.option, row.desc);
        } else {
            MESS_print(M_PRINT, " %-10s\n", row.option);
        }
        for (const char *const *line = row.extra; line && *line; ++line)
            MESS_print_str(M_PRINT, *line);
        return 1;
    }
    MESS_print(M_PRINT, "%d\n", static_cast<int>(res));
    return 1;
}

int RES_help_print(const char *name, const res_type *res_key, const res_type *res_pos) {
    if (!name) name = "";
    MESS_print(M_PRINT, "%s syntax (version:%s)\n", name, VEK_version());
    MESS_print(M_PRINT, "   %s [options...]\n", name);
    MESS_print(M_PRINT, "Keyed options...\n");
    MESS_print(M_PRINT, " %-10s  Resource/defaults file name\n", "-df file");
    MESS_print(M_PRINT, " %-10s  Program name\n", "-na name");
    for (; res_key && *res_key != RES_null; ++res_key) RES_help_item(*res_key);
    MESS_print(M_PRINT, "Positional options...\n");
    for (; res_pos && *res_pos != RES_null; ++res_pos) RES_help_item(*res_pos);
    return 1;
}

// ---------------------------------------------------------------------------
// WMO numbers and identifiers: wmo_to_id makes a five-character identifier
// from a WMO block and station number, a nationality prefix chosen by the
// number's range followed by its last digits; id_to_wmo turns such an
// identifier back into the number.
// ---------------------------------------------------------------------------

namespace {

struct WmoRange {
    int first;
    int last;
    const char *prefix;
};

// The ranges of WMO numbers (inclusive, ascending) and their prefixes.
constexpr WmoRange WMO_RANGES[] = {
    {1000, 1499, "EN"},   {2000, 2699, "ES"},   {2800, 2999, "EF"},   {3000, 3949, "EG"},
    {3950, 3999, "EI"},   {4000, 4099, "BI"},   {4100, 4399, "BG"},   {6000, 6199, "EK"},
    {6200, 6399, "EH"},   {6400, 6499, "EB"},   {6500, 6599, "EL"},   {6600, 6799, "LS"},
    {7000, 7999, "LF"},   {8000, 8499, "LE"},   {8500, 8579, "LP"},   {10000, 10999, "ED"},
    {11000, 11399, "LO"}, {11400, 11999, "LK"}, {12100, 12699, "EP"}, {12700, 12999, "LH"},
    {13000, 13599, "LY"}, {13600, 13699, "LA"}, {14000, 14299, "LJ"}, {15000, 15499, "LR"},
    {15500, 15999, "LB"}, {16000, 16599, "LI"}, {16600, 16999, "LG"}, {17000, 17599, "LT"},
    {17600, 17699, "LC"}, {20000, 29999, "U"},  {30000, 39999, "X"},  {40000, 40099, "OS"},
    {40100, 40149, "OL"}, {40150, 40199, "LL"}, {40250, 40349, "OJ"}, {40350, 40499, "OE"},
    {40500, 40599, "OK"}, {40600, 40699, "OR"}, {40700, 40899, "OI"}, {40900, 40999, "OA"},
    {41000, 41149, "OE"}, {41150, 41159, "OB"}, {41160, 41179, "OE"}, {41180, 41239, "OT"},
    {41240, 41319, "OM"}, {41320, 41409, "OY"}, {41410, 41499, "OD"}, {41500, 41799, "OP"},
    {41800, 41999, "VG"}, {42000, 42999, "VI"}, {43000, 43999, "VO"}, {44000, 44399, "ZM"},
    {44400, 44499, "VN"}, {45000, 45099, "VH"}, {46000, 46999, "RC"}, {47000, 47079, "ZK"},
    {47080, 47199, "RK"}, {47400, 47999, "RJ"}, {48000, 48199, "VB"}, {48300, 48599, "VT"},
    {48600, 48689, "WM"}, {48690, 48699, "WS"}, {48800, 48929, "VV"}, {48930, 48959, "VL"},
    {48960, 48999, "VD"}, {50000, 59999, "Z"},  {60000, 60049, "GC"}, {60050, 60319, "GM"},
    {60320, 60339, "GE"}, {60350, 60699, "DA"}, {60700, 60799, "DT"}, {61000, 61099, "DR"},
    {61100, 61299, "GA"}, {61400, 61499, "GQ"}, {61600, 61699, "GO"}, {61700, 61749, "GB"},
    {61750, 61799, "GG"}, {61800, 61849, "GU"}, {61850, 61899, "GF"}, {62000, 62299, "HL"},
    {62300, 62499, "HE"}, {62600, 62999, "HS"}, {63000, 63099, "HA"}, {63100, 63149, "HF"},
    {63150, 63299, "HC"}, {63300, 63499, "HA"}, {63600, 63979, "HK"}, {63980, 63999, "FS"},
    {64000, 64360, "FZ"}, {64380, 64389, "HR"}, {64390, 64399, "HB"}, {64400, 64499, "FC"},
    {64500, 64599, "FO"}, {64600, 64699, "FE"}, {64700, 64799, "FT"}, {64800, 64849, "FG"},
    {64850, 64999, "FK"}, {65000, 65299, "DN"}, {65300, 65349, "DB"}, {65350, 65399, "DX"},
    {65400, 65499, "DG"}, {65500, 65524, "DF"}, {65525, 65599, "DI"}, {65600, 65699, "GL"},
    {66000, 66999, "FN"}, {67000, 67199, "FM"}, {67200, 67399, "FQ"}, {67400, 67753, "FL"},
    {67755, 67789, "FV"}, {67790, 67799, "FW"}, {67800, 67999, "FV"}, {68000, 68999, "FA"},
    {69000, 69999, "KQ"}, {70000, 70999, "PA"}, {71000, 71999, "CY"}, {72000, 72999, "K2"},
    {74000, 74999, "K4"}, {76000, 76999, "MM"}, {78000, 78199, "MY"}, {78200, 78379, "MU"},
    {78380, 78384, "MW"}, {78385, 78399, "MK"}, {78400, 78449, "MT"}, {78450, 78499, "MD"},
    {78500, 78519, "MH"}, {78520, 78534, "TJ"}, {78535, 78550, "TI"}, {78580, 78599, "MZ"},
    {78600, 78649, "MG"}, {78650, 78699, "MS"}, {78700, 78729, "MH"}, {78730, 78759, "MN"},
    {78760, 78789, "MR"}, {78790, 78819, "MP"}, {78840, 78864, "TK"}, {78865, 78889, "TN"},
    {78890, 78899, "TF"}, {78900, 78919, "TD"}, {78920, 78939, "TF"}, {78940, 78959, "TL"},
    {78960, 78979, "TT"}, {78980, 78999, "TN"}, {80000, 80399, "SK"}, {80400, 80999, "SV"},
    {81000, 81199, "SY"}, {81200, 81399, "SM"}, {81400, 81599, "SO"}, {82000, 82999, "SB"},
    {83000, 83999, "SZ"}, {84000, 84299, "SE"}, {84300, 84999, "SP"}, {85000, 85399, "SL"},
    {85400, 85999, "SC"}, {86000, 86299, "SG"}, {86300, 86599, "SU"}, {87000, 87999, "SA"},
    {88000, 88999, "SF"}, {91000, 91199, "PH"}, {91250, 91259, "PK"}, {91260, 91299, "PH"},
    {91300, 91359, "PT"}, {91360, 91379, "PK"}, {91380, 91399, "PL"}, {91400, 91449, "PT"},
    {91450, 91499, "PL"}, {91500, 91549, "AG"}, {91550, 91569, "NV"}, {91570, 91599, "NW"},
    {91600, 91649, "NG"}, {91650, 91699, "NF"}, {91700, 91749, "N1"}, {91750, 91759, "NL"},
    {91760, 91769, "NS"}, {91770, 91799, "NF"}, {91800, 91849, "NC"}, {91900, 91959, "NT"},
    {92000, 92999, "AY"}, {93000, 93999, "NZ"}, {94100, 95999, "Y"},  {96000, 96999, "WI"},
    {97000, 97999, "WA"}, {98000, 98999, "RP"},
};

bool is_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

const char *wmo_prefix(int wmo) {
    for (const WmoRange &r : WMO_RANGES) {
        if (wmo < r.first) return nullptr;
        if (wmo <= r.last) return r.prefix;
    }
    return nullptr;
}

// The base of a two-character prefix: the thousands of its ranges. -1 when
// the prefix is not in the table. OE spans two thousands: 40000 above 300
// and 41000 below it (its ranges are 40350-40499 and 41000-41179).
int two_char_base(const char *id, int last3) {
    if (id[0] == 'O' && id[1] == 'E') {
        if (last3 > 300) return 40000;
        if (last3 < 300) return 41000;
        return -1;
    }
    for (const WmoRange &r : WMO_RANGES)
        if (r.prefix[1] != '\0' && r.prefix[0] == id[0] && r.prefix[1] == id[1])
            return r.first / 1000 * 1000;
    return -1;
}

int one_char_base(char c) {
    switch (c) {
    case 'U':
        return 20000;
    case 'X':
        return 30000;
    case 'Z':
        return 50000;
    case 'Y':
        return 90000;
    default:
        return -1;
    }
}

} // namespace

// Writes the identifier of WMO into ID (7 bytes; a number of more than six
// digits is cut to fit). Returns 0.
int wmo_to_id(char *id, int wmo) {
    if (!id) return 0;
    const char *prefix = wmo >= 0 && wmo <= 99999 ? wmo_prefix(wmo) : nullptr;
    if (!prefix) {
        std::snprintf(id, 7, "%5.5d", wmo);
    } else if (prefix[1] != '\0') {
        std::snprintf(id, 7, "%.2s%3.3d", prefix, wmo % 1000);
    } else {
        std::snprintf(id, 7, "%.1s%4.4d", prefix, wmo % 10000);
    }
    return 0;
}

// Converts an identifier made by wmo_to_id back into its number. Returns 0
// for an identifier of five characters that begins with a letter and ends
// in three digits; -1 otherwise, with 99999 stored (or the number itself for
// five digits).
int id_to_wmo(const char *id, int *wmo) {
    int dummy;
    if (!wmo) wmo = &dummy;
    *wmo = 99999;
    if (!id || std::strlen(id) != 5) return -1;
    bool all_digits = true;
    for (int i = 0; i < 5; i++) all_digits = all_digits && is_digit(id[i]);
    if (all_digits) {
        *wmo = (id[0] - '0') * 10000 + (id[1] - '0') * 1000 + (id[2] - '0') * 100 +
               (id[3] - '0') * 10 + (id[4] - '0');
        return -1;
    }
    if (!is_letter(id[0]) || !is_digit(id[2]) || !is_digit(id[3]) || !is_digit(id[4])) return -1;
    const int last3 = (id[2] - '0') * 100 + (id[3] - '0') * 10 + (id[4] - '0');

    const int one = one_char_base(id[0]);
    if (one >= 0 && (id[0] != 'Z' || is_digit(id[1]))) {
        const int thousands = is_digit(id[1]) ? id[1] - '0' : 0;
        *wmo = one + thousands * 1000 + last3;
        return 0;
    }
    const int two = two_char_base(id, last3);
    *wmo = two >= 0 ? two + last3 : last3;
    return 0;
}
