// region.cpp - domain strings: the short texts by which a user chooses a map
// area - a region name ("us"), a station ("id:DEN") or a projection with
// centre, size and spacing ("ps:60:-105,40,-100,25,17,1.2") - turned into a
// Domain record, with the region file ("vek.reg"), the station file
// ("sao.cty") and a built-in table of default regions. The size of the
// decoded domain gives a station-plotting priority.
//
// State: the priority (3 at start) and the region menu loaded from a region
// file (entries 1 to 19 used, the next free one has a null name).

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <strings.h>

#include "cty_tool.h"
#include "files.h"
#include "flag.h"
#include "mess.h"
#include "numtext.h"
#include "region.h"
#include "resrc.h"
#include "scanp.h"
#include "system.h"
#include "vekstr.h"

namespace {

constexpr M_type TRACE = M_DEBUG_C;
constexpr int LINE_LEN = 500; // a region file line
constexpr int MAX_DEPTH = 8;  // regions whose strings name regions, at most this deep
constexpr int MENU_FIRST = 1, MENU_LAST = 19;
constexpr int ABBR_LEN = 6;  // an abbreviation: at most 5 characters
constexpr int NAME_LEN = 21; // a region name: at most 20 characters

int priority = 3;
MENU_item reg_menu[DOM_MENU_LEN];
char menu_abbr[DOM_MENU_LEN][ABBR_LEN];
char menu_name[DOM_MENU_LEN][NAME_LEN];
int num_regs = 1;
bool menu_ready = false;

// Projection words, tried in this order; a word matches a text that begins
// with it, an exact word only itself.
struct ProjWord {
    const char *word;
    int proj;
    bool exact;
};

// Words that ask the decoder for a size or a zoom instead of a projection.
constexpr int PROJ_ZOOM = 50, PROJ_SIZE = 51;

const ProjWord proj_words[] = {
    {"ll", PROJ_LATLON, false},           {"lat", PROJ_LATLON, false},
    {"polar", PROJ_POLAR_STEREO, false},  {"ps", PROJ_POLAR_STEREO, false},
    {"sat", PROJ_SATELLITE, false},       {"lamb", PROJ_LAMBERT, false},
    {"lc", PROJ_LAMBERT, false},          {"la", PROJ_EQUAL_AREA, false},
    {"gn", PROJ_GNOMONIC, false},         {"or", PROJ_ORTHOGRAPHIC, false},
    {"mo", PROJ_MOLLWEIDE, false},        {"me", PROJ_MERCATOR, false},
    {"pix", PROJ_PIXEL, false},           {"xy", PROJ_XY, false},
    {"xlogy", PROJ_XLOGY, false},         {"xlogp", PROJ_XLOGY, false},
    {"cat", PROJ_CATEGORY, false},        {"skewt", PROJ_SKEWT, false},
    {"therm", PROJ_SKEWT, false},         {"stuve", PROJ_STUVE, false},
    {"ema", PROJ_EMAGRAM, false},         {"teph", PROJ_TEPHIGRAM, false},
    {"rteph", PROJ_RAW_TEPHIGRAM, false}, {"hodo", PROJ_HODOGRAPH, false},
    {"vert", PROJ_XLOGY, false},          {"xp", PROJ_XP, true},
    {"zoom", PROJ_ZOOM, false},           {"size", PROJ_SIZE, false},
};

struct DefRegion {
    const char *name;
    float clat, clon, spacing;
};

const DefRegion def_regions[] = {
    {"us", 39.0f, -97.0f, 2.3f},  {"ne", 42.0f, -76.0f, 0.9f},  {"at", 37.0f, -82.0f, 0.9f},
    {"se", 31.0f, -88.0f, 1.1f},  {"mw", 43.0f, -93.0f, 1.1f},  {"sp", 32.5f, -100.0f, 1.2f},
    {"nw", 44.0f, -112.0f, 1.0f}, {"sw", 37.0f, -112.0f, 1.0f},
};

// What a template fills in once the string fits it.
enum Fill : unsigned {
    PROJ1 = 1,    // proj 1
    GRID = 2,     // nx 25, ny 17
    DY_IS_DX = 4, // dy = dx
    SPACING = 8,  // dx = dy = 1.2
    BY_PROJ = 16, // the projection decides (size, zoom, others)
    REGION = 32,  // a region name: result 2
};

struct Template {
    int codes[8];
    unsigned fill;
    const char *label;
};

const Template size_template = {{DOM_PROJ, DOM_NX, DOM_NY}, 0, "proj,nx,ny"};

const Template templates[] = {
    {{DOM_PROJ, DOM_PLON, DOM_CLAT, DOM_CLON, DOM_NX, DOM_NY, DOM_DX, DOM_DY},
     0,
     "proj,plon,clat,clon,nx,ny,dx,dy"},
    {{DOM_PROJ, DOM_CLAT, DOM_CLON, DOM_NX, DOM_NY, DOM_DX, DOM_DY},
     0,
     "proj,clat,clon,nx,ny,dx,dy"},
    {{DOM_PROJ, DOM_PLON, DOM_CLAT, DOM_CLON, DOM_DX, DOM_DY}, GRID, "proj,plon,clat,clon,dx,dy"},
    {{DOM_PROJ, DOM_CLAT, DOM_CLON, DOM_NX, DOM_NY, DOM_DX}, DY_IS_DX, "proj,clat,clon,nx,ny,dx"},
    {{DOM_CLAT, DOM_CLON, DOM_NX, DOM_NY, DOM_DX, DOM_DY}, PROJ1, "clat,clon,nx,ny,dx,dy"},
    {{DOM_PROJ, DOM_CLAT, DOM_CLON, DOM_DX, DOM_DY}, GRID, "proj,clat,clon,dx,dy"},
    {{DOM_CLAT, DOM_CLON, DOM_NX, DOM_NY, DOM_DX}, PROJ1 | DY_IS_DX, "clat,clon,nx,ny,dx"},
    {{DOM_PROJ, DOM_CLAT, DOM_CLON, DOM_DX}, GRID | DY_IS_DX, "proj,clat,clon,dx"},
    {{DOM_CLAT, DOM_CLON, DOM_NX, DOM_NY}, PROJ1 | SPACING, "clat,clon,nx,ny"},
    {{DOM_CLAT, DOM_CLON, DOM_DX}, PROJ1 | GRID | DY_IS_DX, "clat,clon,dx"},
    {{DOM_PROJ, DOM_CLAT, DOM_CLON}, BY_PROJ, "proj,clat,clon"},
    {{DOM_CLAT, DOM_CLON}, PROJ1 | GRID | SPACING, "clat,clon"},
    {{DOM_STAT}, PROJ1 | GRID | SPACING, "id:###"},
    {{DOM_REG}, REGION, "reg:REG"},
};

// A float truncated to an int, saturating; NaN gives -9999.
int trunc_int(float v) {
    if (v != v) return VEK_MISS;
    if (v >= 2147483647.0f) return INT_MAX;
    if (v <= -2147483648.0f) return INT_MIN;
    return static_cast<int>(v);
}

int proj_number(const char *text, size_t len) {
    if (len == 4 && strncasecmp(text, "miss", 4) == 0) return VEK_MISS;
    for (const ProjWord &pw : proj_words) {
        size_t wlen = strlen(pw.word);
        bool fits = pw.exact ? len == wlen : len >= wlen;
        if (fits && strncasecmp(text, pw.word, wlen) == 0) return pw.proj;
    }
    return -1;
}

// The projection field: a projection word, optionally followed by
// ":"-separated parameters. One parameter is the projection longitude;
// otherwise an optional "e" (ellipsoidal earth), then plat, plon and up to
// four projection parameters. A parameter that is empty or not a number
// leaves its slot as it was.
bool read_proj(const char *text, Domain *d) {
    const char *colon = strchr(text, ':');
    int proj = proj_number(text, colon ? static_cast<size_t>(colon - text) : strlen(text));
    if (proj == -1) return false;
    d->proj = proj;
    if (!colon) return true;

    const char *params[8];
    int np = 0;
    for (const char *p = colon; p && np < 8; p = strchr(p + 1, ':')) params[np++] = p + 1;
    auto is_e = [](const char *p) {
        return (p[0] == 'e' || p[0] == 'E') && (!p[1] || p[1] == ':');
    };
    auto read_param = [](const char *p, float *slot) {
        if (*p != ':' && *p) read_float(p, slot);
    };
    if (!strchr(colon + 1, ':')) {
        read_param(params[0], &d->plon);
        return true;
    }
    int k = 0;
    if (is_e(params[0])) {
        d->ellipse = 1;
        k = 1;
    }
    float *slots[] = {&d->plat, &d->plon, &d->param[0], &d->param[1], &d->param[2], &d->param[3]};
    for (float *slot : slots) {
        if (k >= np) break;
        read_param(params[k++], slot);
    }
    return true;
}

// "id:" and an identifier, or "id:", a station file, ":" and the identifier:
// the station's position becomes the centre.
bool read_station(const char *text, Domain *d) {
    if (strncasecmp(text, "id:", 3) != 0) return false;
    const char *rest = text + 3;
    const char *colon = strrchr(rest, ':');
    std::string file = colon ? std::string(rest, static_cast<size_t>(colon - rest)) : "";
    const char *id = colon ? colon + 1 : rest;
    if (file.empty()) file = "sao.cty";
    if (!*id || file.size() >= FILE_NAME_LEN) return false;
    float lat, lon;
    if (!CTY_get_loc(file.c_str(), id, &lat, &lon)) return false;
    d->clat = lat;
    d->clon = lon;
    return true;
}

int decode(const char *str, Domain *domain, int depth);

// Decodes the domain string of a region found in a region file.
bool decode_region_string(const char *domstr, Domain *d, int depth) {
    if (depth >= MAX_DEPTH) return false;
    return decode(domstr, d, depth + 1) != -1;
}

// A name found in no region file: the default region of that name, or
// projection -1 for a name unknown there too.
bool default_region(const char *name, Domain *d) {
    if (!DOM_get_def_region(name, d)) d->proj = -1;
    return true;
}

bool read_region(const char *text, Domain *d, int depth) {
    if (strncasecmp(text, "id:", 3) == 0) return false;
    char domstr[DOM_STR_LEN];
    if (strncasecmp(text, "fi:", 3) == 0) {
        if (DOM_search_file(text + 3, nullptr, domstr))
            return decode_region_string(domstr, d, depth);
        return default_region(text, d);
    }
    const char *colon = strrchr(text, ':');
    if (!colon) {
        if (DOM_search_file("vek.reg", text, domstr)) return decode_region_string(domstr, d, depth);
        return default_region(text, d);
    }
    std::string file(text, static_cast<size_t>(colon - text));
    if (!colon[1]) {
        DOM_read_menu(file.c_str());
        return true;
    }
    if (DOM_search_file(file.c_str(), colon + 1, domstr))
        return decode_region_string(domstr, d, depth);
    return default_region(colon + 1, d);
}

bool read_field(int code, const char *text, Domain *d, int depth) {
    switch (code) {
    case DOM_PROJ:
        return read_proj(text, d);
    case DOM_PLON:
        return read_float(text, &d->plon);
    case DOM_CLAT:
        return read_float(text, &d->clat);
    case DOM_CLON:
        return read_float(text, &d->clon);
    case DOM_DX:
        return read_float(text, &d->dx);
    case DOM_DY:
        return read_float(text, &d->dy);
    case DOM_NX:
        return read_int(text, &d->nx);
    case DOM_NY:
        return read_int(text, &d->ny);
    case DOM_STAT:
        return read_station(text, d);
    case DOM_REG:
        return read_region(text, d, depth);
    default:
        return false;
    }
}

// The fields against one template. A clat field that begins with "id:" is
// a station field and takes the place of the clon field after it too.
int set_params(int paramc, char **paramv, Domain *d, const int (&codes)[8], int depth) {
    if (!d || !paramv || paramc < 1) return -1;
    int list[8];
    int m = 0;
    for (int k = 0; k < 8 && codes[k] != DOM_END; ++k) {
        if (codes[k] == DOM_CLAT && m < paramc && strncasecmp(paramv[m], "id:", 3) == 0) {
            list[m++] = DOM_STAT;
            if (k + 1 < 8 && codes[k + 1] == DOM_CLON) ++k;
            continue;
        }
        list[m++] = codes[k];
    }
    if (m != paramc) return -1;
    if (strcasecmp(paramv[0], "miss") == 0 || strcasecmp(paramv[0], "none") == 0) return 0;
    for (int j = 0; j < m; ++j)
        if (!read_field(list[j], paramv[j], d, depth)) return -1;
    return 0;
}

void fill_in(const Template &t, Domain *d) {
    if (t.fill & PROJ1) d->proj = PROJ_POLAR_STEREO;
    if (t.fill & GRID) {
        d->nx = 25;
        d->ny = 17;
    }
    if (t.fill & SPACING) d->dx = d->dy = 1.2f;
    if (t.fill & DY_IS_DX) d->dy = d->dx;
    if (t.fill & BY_PROJ) {
        if (d->proj == PROJ_SIZE) {
            d->nx = trunc_int(d->clat);
            d->ny = trunc_int(d->clon);
            d->clat = d->clon = VEK_FMISS;
            return;
        }
        d->dx = d->dy = d->proj == PROJ_ZOOM ? 1.0f : 1.2f;
        d->nx = 25;
        d->ny = 17;
    }
}

bool try_template(const Template &t, int n, char **fields, Domain *d, int depth) {
    DOM_init(d);
    if (set_params(n, fields, d, t.codes, depth) != 0) return false;
    fill_in(t, d);
    MESS_print(TRACE, "%2d %s\n", 0, t.label);
    return true;
}

// Steps 1 to 4 of decoding: the record and the result, without the effects
// on the flag, the file-name key and the priority. Only the outermost string
// reports that it is invalid.
int decode(const char *str, Domain *domain, int depth) {
    DOM_init(domain);
    if (!str || !*str || strcasecmp(str, "miss") == 0) return VEK_MISS;
    int n = 0;
    char **fields = nullptr;
    int result = -1;
    if (parse_string(str, ',', &n, &fields) == 0) {
        MESS_print(TRACE, "******** PARSING DOMAIN: %d %s\n", n, str);
        if (strcasecmp(fields[0], "size") == 0 &&
            try_template(size_template, n, fields, domain, depth))
            result = 1;
        for (const Template &t : templates) {
            if (result != -1) break;
            if (try_template(t, n, fields, domain, depth)) result = (t.fill & REGION) ? 2 : 1;
        }
        free_parsed_array(n, fields);
    }
    if (result == -1) {
        DOM_init(domain);
        if (depth == 0) MESS_print(M_WARN, "DOM_decode: Invalid plot domain\n");
    }
    return result;
}

// The region file FILE in the "file_path" directory, into PATH
// (FILE_NAME_LEN bytes); false for a name that does not fit.
bool region_path(const char *file, char *path) {
    if (!file) file = "";
    const char *dir = RES_get("file_path");
    size_t need = strlen(file) + (dir ? strlen(dir) + 1 : 0);
    if (need >= FILE_NAME_LEN) {
        MESS_print(M_DEBUG_D, "Unable to open region file: %s\n", file);
        return false;
    }
    FILE_add_path(dir, file, path);
    return true;
}

FILE *open_region_file(const char *file) {
    char path[FILE_NAME_LEN];
    if (!region_path(file, path)) return nullptr;
    FILE *f = FILE_open(path, "r");
    if (!f) MESS_print(M_DEBUG_D, "Unable to open region file: %s\n", path);
    return f;
}

// The rest of a line longer than a region line is dropped; the newline
// that ends it stays for the next read.
void drop_rest(FILE *f) {
    int c;
    while ((c = getc(f)) != EOF && c != '\n') {}
    if (c == '\n') ungetc(c, f);
}

// The next blank-separated word of *P, terminated in place; null when none.
char *next_word(char **p) {
    char *s = *p;
    while (*s && isspace(static_cast<unsigned char>(*s))) ++s;
    if (!*s) return nullptr;
    char *w = s;
    while (*s && !isspace(static_cast<unsigned char>(*s))) ++s;
    if (*s) *s++ = '\0';
    *p = s;
    return w;
}

// A region line: abbreviation, name, menu flag, domain string. Returns
// how many of the abbreviation and domain string it gives (0 to 2).
int split_region_line(char *line, char **abbr, char **domstr) {
    char *p = line;
    *abbr = next_word(&p);
    if (!*abbr) return 0;
    int flag;
    const char *after;
    if (!next_word(&p) || !(after = read_int(p, &flag))) return 1;
    p = const_cast<char *>(after);
    *domstr = next_word(&p);
    return *domstr ? 2 : 1;
}

void ready_menu() {
    if (menu_ready) return;
    menu_ready = true;
    for (int i = 0; i < DOM_MENU_LEN; ++i) {
        menu_abbr[i][0] = menu_name[i][0] = '\0';
        reg_menu[i] = MENU_item{menu_name[i], menu_abbr[i], 0, {}};
    }
    num_regs = MENU_FIRST;
    reg_menu[num_regs].name = nullptr;
}

} // namespace

int DOM_init(Domain *domain) {
    if (!domain) return 0;
    domain->proj = VEK_MISS;
    domain->plat = VEK_FMISS;
    domain->plon = VEK_FMISS;
    for (float &p : domain->param) p = VEK_FMISS;
    domain->clat = VEK_FMISS;
    domain->clon = VEK_FMISS;
    domain->dx = VEK_FMISS;
    domain->dy = VEK_FMISS;
    domain->nx = VEK_MISS;
    domain->ny = VEK_MISS;
    domain->ellipse = 0;
    return 0;
}

int DOM_decode(const char *str, Domain *domain) {
    if (!domain) return -1;
    int result = decode(str, domain, 0);
    if (result == VEK_MISS) return result;
    FLAG_set(FLAG_DOMAIN, result);
    FILE_set_key('r', str);
    DOM_set_base_prior((static_cast<float>(domain->ny) - 1.0f) * domain->dy);
    return result;
}

int DOM_set_params(int paramc, char **paramv, Domain *domain, int i1, int i2, int i3, int i4,
                   int i5, int i6, int i7, int i8) {
    const int codes[8] = {i1, i2, i3, i4, i5, i6, i7, i8};
    return set_params(paramc, paramv, domain, codes, 0);
}

int DOM_proj_str(const char *proj) {
    return proj ? proj_number(proj, strlen(proj)) : -1;
}

int DOM_get_def_region(const char *region, Domain *domain) {
    if (!domain) return 0;
    domain->proj = 1;
    domain->nx = 25;
    domain->ny = 17;
    domain->dx = domain->dy = 1.2f;
    if (!region) return 0;
    if (strcasecmp(region, "var") == 0) {
        domain->clat = VEK_promptf("Enter the central latitude: ");
        domain->clon = VEK_promptf("Enter the central longitude: ");
        domain->plon = domain->clon;
        return 1;
    }
    for (const DefRegion &r : def_regions) {
        if (strcasecmp(region, r.name) != 0) continue;
        domain->clat = r.clat;
        domain->clon = domain->plon = r.clon;
        domain->dx = domain->dy = r.spacing;
        return 1;
    }
    return 0;
}

// A line with nothing readable, an empty line or the end of the file ends
// the search with 0; a line that gives only its abbreviation ends it with 1
// and that word as domain string.
int DOM_search_file(const char *file, const char *str, char *domstr) {
    if (domstr) domstr[0] = '\0';
    FILE *f = open_region_file(file);
    if (!f) return 0;
    char line[LINE_LEN + 1];
    int n;
    int found = 0;
    while ((n = fgetnline(f, line, LINE_LEN)) > 0) {
        if (n == LINE_LEN) drop_rest(f);
        if (line[0] == '#') continue;
        char *abbr = nullptr, *dom = nullptr;
        int got = split_region_line(line, &abbr, &dom);
        if (got == 0) break;
        if (got == 1 || !str || strcasecmp(str, abbr) == 0) {
            if (domstr) vek_strlcpy(domstr, got == 1 ? abbr : dom, DOM_STR_LEN);
            found = 1;
            break;
        }
    }
    FILE_close(f);
    return found;
}

// Blank and "#" lines are passed over; a line without abbreviation (at
// most 5 characters), name (at most 20) and menu flag is refused with a
// warning, never cut to fit.
int DOM_read_menu(const char *file) {
    ready_menu();
    FILE *f = open_region_file(file);
    if (!f) return 0;
    char line[LINE_LEN + 1];
    int n;
    int i = MENU_FIRST;
    while (i <= MENU_LAST && (n = fgetnline(f, line, LINE_LEN)) >= 0) {
        if (n == LINE_LEN) drop_rest(f);
        if (n == 0 || line[0] == '#') continue;
        char copy[LINE_LEN + 1];
        vek_copy(copy, line);
        char *p = copy;
        char *abbr = next_word(&p), *name = next_word(&p), *flag_word = next_word(&p);
        int flag;
        if (!flag_word || strlen(abbr) >= ABBR_LEN || strlen(name) >= NAME_LEN ||
            !read_int(flag_word, &flag)) {
            MESS_print(M_WARN, "DOM_read_menu: Invalid region line: %s\n", line);
            continue;
        }
        if (flag == 0) continue; // not shown: the next line takes the entry
        vek_copy(menu_abbr[i], abbr);
        vek_copy(menu_name[i], name);
        fill_string(menu_name[i], '_', ' ');
        reg_menu[i] = MENU_item{menu_name[i], menu_abbr[i], i, {flag}};
        ++i;
    }
    FILE_close(f);
    num_regs = i;
    reg_menu[num_regs].name = nullptr;
    return 1;
}

int DOM_set_base_prior(float size) {
    if (size > 50.0f)
        priority = 1;
    else if (size > 25.0f)
        priority = 2;
    else if (size > 12.5f)
        priority = 3;
    else if (size > 6.25f)
        priority = 4;
    else if (size > 3.0f)
        priority = 5;
    else
        priority = 6;
    const char *sp = RES_get("stat_prior");
    if (!sp) return 0;
    if ((sp[0] == '+' || sp[0] == '-') && is_digit(sp[1]))
        priority += (sp[0] == '+' ? 1 : -1) * (sp[1] - '0');
    else if (is_digit(sp[0]))
        read_int(sp, &priority);
    return 0;
}

int DOM_get_base_prior() {
    return priority;
}

MENU_item *DOM_get_menu(int *num) {
    ready_menu();
    if (num) *num = num_regs;
    return reg_menu;
}

void region_reset_state() {
    priority = 3;
    menu_ready = false;
    num_regs = MENU_FIRST;
}
