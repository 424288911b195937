// res_conv.cpp - conversion of resource values into their working form.
//
// RES_conv_data turns one resource value into a number or string at a
// caller's address, or, for the kinds that steer the whole run, into the flag
// slots, the plot switches, the message selection, the requested file time or
// a map domain.
//
// Keeps no state of its own.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <strings.h>

#include "files.h"
#include "flag.h"
#include "mess.h"
#include "numtext.h"
#include "region.h"
#include "res_conv.h"
#include "resrc.h"
#include "scanp.h"
#include "vekstr.h"

namespace {

// The leading number of DATA as atoi and atof read it: 0 when there is none,
// held at the range of T when beyond it.
template <class T>
T leading(const char *data) {
    T v{};
    if constexpr (std::floating_point<T>)
        read_float(data, &v);
    else
        read_int(data, &v);
    return v;
}

struct PlotWord {
    const char *word;
    int code;
};

const PlotWord plot_words[] = {
    {"raw", 0},     {"none", 99}, {"value", 17},  {"gvalue", 17}, {"cf", 15},    {"lcf", 16},
    {"ln", 12},     {"dln", 13},  {"ndln", 14},   {"vect", 21},   {"barb", 22},  {"strm", 23},
    {"stream", 23}, {"an", 54},   {"number", 54}, {"pm", 55},     {"stuve", 61}, {"skewt", 62},
    {"ema", 63},    {"teph", 64}, {"rteph", 65},  {"hodo", 69},
};

struct DrawWord {
    const char *word;
    int type;
};

const DrawWord draw_words[] = {
    {"text_ul", PLOT_TEXT_UL}, {"text_uc", PLOT_TEXT_UC}, {"text_ur", PLOT_TEXT_UR},
    {"text_ll", PLOT_TEXT_LL}, {"text_lc", PLOT_TEXT_LC}, {"text_lr", PLOT_TEXT_LR},
    {"data", PLOT_DATA},       {"map", PLOT_MAP},         {"grid", PLOT_GRID},
    {"sum", PLOT_SUMMARY},     {"bord", PLOT_BORDER},
};

void convert_draw(const char *data) {
    int argc = 0;
    char **argv = nullptr;
    if (parse_string(data, ',', &argc, &argv) != 0) return;
    for (int i = 0; i < argc; ++i) {
        const char *item = argv[i];
        int val = 1;
        if (*item == '+') {
            ++item;
        } else if (*item == '-') {
            val = 0;
            ++item;
        } else if (i == 0) {
            FLAG_resetplot(0);
        }
        if (strcasecmp(item, "none") == 0) {
            FLAG_setplot(PLOT_ALL, 0);
        } else if (strcasecmp(item, "all") == 0) {
            FLAG_setplot(PLOT_ALL, 1);
        } else if (strcasecmp(item, "text") == 0) {
            FLAG_setplot(PLOT_TEXT, val);
            FLAG_setplot(PLOT_BORDER, val);
        } else {
            for (const DrawWord &dw : draw_words) {
                if (strcasecmp(item, dw.word) == 0) {
                    FLAG_setplot(dw.type, val);
                    break;
                }
            }
        }
    }
    free_parsed_array(argc, argv);
}

// Reads the int conversions of PAT from TEXT into FIELDS, in order, as
// sscanf would; returns the count read. *END is where the reading stopped.
int scan_fields(const char *text, const char *pat, std::initializer_list<int *> fields,
                const char **end) {
    int v[4] = {};
    int got = scan_ints(text, pat, v, end);
    int i = 0;
    for (int *f : fields)
        if (i < got) *f = v[i++];
    return got;
}

// The requested file time from the "hour" text; fields the text does not
// reach stay -9999. Numbers beyond the range of int are held at it. Returns
// where the reading stopped: the terminator when the text fits its form.
const char *convert_hour(const char *data, Date *d) {
    d->year = d->month = d->day = d->jday = d->wday = d->hour = d->min = VEK_MISS;
    d->sec = 0;
    size_t len = strlen(data);
    bool colon = strchr(data, ':') != nullptr;

    const char *end = data;
    if (data[0] == '#' && is_digit(data[1])) {
        end = data + 1;
        take_digits(end, 4, &d->year);
        int *fields[] = {&d->month, &d->day, &d->hour, &d->min};
        for (int *f : fields)
            if (!take_digits(end, 2, f)) break;
    } else if (len == 6 && !colon) {
        scan_fields(data, "%2d%2d%2d", {&d->month, &d->day, &d->hour}, &end);
    } else if (len == 4 && is_digit(data[0]) && !colon) {
        scan_fields(data, "%2d%2d", {&d->day, &d->hour}, &end);
    } else if (len == 3 && is_digit(data[0]) && !colon) {
        scan_fields(data, "%1d%2d", {&d->day, &d->hour}, &end);
    } else if (strchr(data, 'd')) {
        scan_fields(data, "%dd%d:%d", {&d->day, &d->hour, &d->min}, &end);
    } else if (data[0] == ':') {
        scan_fields(data, ":%d", {&d->min}, &end);
    } else if (data[0] == '-' && data[1] == ':') {
        int m = 0;
        if (scan_fields(data + 2, "%d", {&m}, &end) == 1) d->min = -m;
    } else {
        int got = scan_fields(data, "%d:%d", {&d->hour, &d->min}, &end);
        if (got < 1) end = data; // nothing read
        if (data[0] == '-' && got >= 1 && d->hour == 0) {
            d->hour = VEK_MISS;
            if (got == 2) d->min = -d->min;
        }
    }
    return end;
}

// Warns when the "hour" text DATA does not fit one of its forms (the part
// read up to END), naming what it requests nonetheless.
void check_hour(const char *data, const char *end, const Date &d) {
    if (!*end && end != data) return;
    char what[96] = "";
    size_t n = 0;
    const struct {
        const char *name;
        int value;
    } fields[] = {
        {"year", d.year}, {"month", d.month}, {"day", d.day}, {"hour", d.hour}, {"minute", d.min}};
    for (const auto &f : fields) {
        if (f.value == VEK_MISS || n >= sizeof what) continue;
        const int w =
            snprintf(what + n, sizeof what - n, "%s%s %d", n ? ", " : "", f.name, f.value);
        if (w > 0) n += static_cast<size_t>(w);
    }
    MESS_print(M_WARN,
               "RES_conv_data: hour \"%s\" is not a time of the forms HH, DDHH, MMDDHH, "
               "NdH:M, :M or #YYYYMMDDHH: %s%s\n",
               data, n ? "read as " : "no time is requested", what);
}

} // namespace

int RES_set_device(const char *str) {
    switch (str ? str[0] : '\0') {
    case 'P':
    case 'p':
        return 4;
    case 'H':
    case 'Q':
    case 'h':
    case 'q':
        return 5;
    case 'M':
    case 'm':
        return 3;
    case 'W':
    case 'w':
        return 6;
    default:
        return 1;
    }
}

namespace {

// The kinds that steer the whole run from the value text DATA: 1 when CVT is
// one of them (or a kind read by name elsewhere), -1 when it is not.
int convert_run(const char *data, DEF_convert cvt) {
    switch (cvt) {
    case CV_mess:
        MESS_set_str(data);
        return 1;
    case CV_hour: {
        Date d;
        check_hour(data, convert_hour(data, &d), d);
        FILE_set_time(&d);
        return 1;
    }
    case CV_file_param:
        if (!strcasecmp(data, "use") || !strcasecmp(data, "reuse"))
            FLAG_set(FLAG_FILE_MODE, FILE_MODE_USE);
        else if (!strcasecmp(data, "over") || !strcasecmp(data, "calc") ||
                 !strcasecmp(data, "recalc"))
            FLAG_set(FLAG_FILE_MODE, FILE_MODE_OVERWRITE);
        else if (!strcasecmp(data, "app"))
            FLAG_set(FLAG_FILE_MODE, FILE_MODE_APPEND);
        return 1;
    case CV_plot_type:
        for (const PlotWord &pw : plot_words) {
            if (strcasecmp(data, pw.word) == 0) {
                FLAG_set(FLAG_PLOT_TYPE, pw.code);
                break;
            }
        }
        return 1;
    case CV_draw:
        convert_draw(data);
        return 1;
    case CV_none:
    case CV_current:
    case CV_name:
    case CV_ingestor:
    case CV_strings:
        return 1;
    default:
        return -1;
    }
}

// A copy of DATA into the file-name buffer OUT; a name that does not fit is
// refused (left empty), never cut.
int copy_name(const char *data, char *out) {
    if (strlen(data) >= FILE_NAME_LEN) {
        out[0] = '\0';
        MESS_print(M_WARN, "RES_conv_data: Name too long (at most %d characters): %s\n",
                   FILE_NAME_LEN - 1, data);
        return 0;
    }
    vek_strlcpy(out, data, FILE_NAME_LEN);
    return 1;
}

// A path at OUT: empty for "none", else a new copy of DATA ending in "/".
int copy_path(const char *data, void *out) {
    if (strcasecmp(data, "none") == 0) {
        *static_cast<const char **>(out) = "";
        return 1;
    }
    size_t n = strlen(data);
    char *copy = static_cast<char *>(malloc(n + 2));
    if (!copy) return 0;
    memcpy(copy, data, n + 1);
    FILE_add_path_delim(copy);
    *static_cast<char **>(out) = copy;
    return 1;
}

// The device code of the first comma field into its flag slot, and the text
// after the first comma into OUT when something other than commas follows.
void convert_device(const char *data, const char **out) {
    const char *comma = strchr(data, ',');
    char first[8] = "";
    size_t n = comma ? static_cast<size_t>(comma - data) : strlen(data);
    vek_strlcpy(first, data, n + 1 < sizeof first ? n + 1 : sizeof first);
    FLAG_set(FLAG_DEVICE, RES_set_device(first));
    if (comma && comma[strspn(comma, ",")] != '\0') *out = comma + 1;
}

// The kinds that convert DATA into a value at OUT.
int convert_value(const char *data, void *out, DEF_convert cvt) {
    switch (cvt) {
    case CV_int:
        read_int_value(data, static_cast<int *>(out));
        return 1;
    case CV_short:
        if (is_digit(data[0])) *static_cast<short *>(out) = leading<short>(data);
        return 1;
    case CV_long:
        if (is_digit(data[0])) *static_cast<long *>(out) = leading<long>(data);
        return 1;
    case CV_float:
        *static_cast<float *>(out) = leading<float>(data);
        return 1;
    case CV_color:
        *static_cast<long *>(out) = leading<int>(data);
        return 1;
    case CV_string:
        *static_cast<const char **>(out) = data;
        return 1;
    case CV_strcpy:
        return copy_name(data, static_cast<char *>(out));
    case CV_path:
        return copy_path(data, out);
    case CV_region:
    case CV_domain:
        DOM_decode(data, static_cast<Domain *>(out));
        return 1;
    case CV_device:
        convert_device(data, static_cast<const char **>(out));
        return 1;
    default:
        return 1;
    }
}

} // namespace

int RES_conv_data(const char *data, void *out, DEF_convert cvt) {
    switch (cvt) {
    case CV_batch:
        FLAG_set(FLAG_BATCH, 1);
        if (!MESS_check_set()) MESS_set(MESS_EXPLICIT + MESS_OP_SET, M_PRINT | M_ERROR | M_WARN);
        return 1;
    case CV_help:
        FLAG_set(FLAG_HELP, 1);
        return 1;
    case CV_bool:
        if (!out) return 0;
        if (!data || !strcasecmp(data, "true") || !strcasecmp(data, "on") ||
            !strcasecmp(data, "yes"))
            *static_cast<int *>(out) = 1;
        else if (!strcasecmp(data, "false") || !strcasecmp(data, "off") || !strcasecmp(data, "no"))
            *static_cast<int *>(out) = 0;
        return 1;
    default:
        break;
    }
    if (!data) return 0;
    const int run = convert_run(data, cvt);
    if (run >= 0) return run;
    return out ? convert_value(data, out, cvt) : 0;
}

int RES_getval(const char *name, void *data, DEF_convert cvt) {
    if (!name || !data) return 0;
    for (const res_obj *r = RES_all(); r; r = r->next)
        if (strcmp(r->name, name) == 0) return RES_conv_data(r->data, data, cvt);
    return 0;
}
