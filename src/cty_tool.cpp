// cty_tool.cpp - the station store: selects the stations of a station file
// that pass the priority, the "identifier" selection and the grid of a map
// domain, keeps them in a hash table with a caller-defined data block each,
// and answers lookups by identifier or WMO string and walks in file order.
//
// State: the open station file, the storage mode, the table of stored
// records, and the size and entry function of the data blocks. The store owns
// the data blocks; the table owns the records. Stations are keyed in the
// table's first key by their own identifier, or by their WMO string when the
// file gives them none.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "calc.h"
#include "cty_read.h"
#include "cty_tool.h"
#include "maptran.h"
#include "mess.h"
#include "numtext.h"
#include "resrc.h"
#include "table.h"
#include "vekstr.h"

namespace {

constexpr int WMO_TEXT = 16; // room for "b%05d" of any int
constexpr int POS_TEXT = 96; // room for "%5.0f%6.0f" of any pair of floats

struct StoreState {
    int cty_fd = -1;
    int store = 0; // storage mode 1 to 3, 0 before the first store
    TAB_table city_tbl{};
    bool have_table = false;
    size_t data_size = 0;
    CTY_enter_t enter_func = nullptr;
};

StoreState cs;

void wmo_string(const CTY_data *city, char (&out)[WMO_TEXT]) {
    std::snprintf(out, sizeof out, std::strcmp(city->region, "B_") == 0 ? "b%05d" : "%05d",
                  city->wmo);
}

// The key identifier of a stored station in modes 2 and 3: its WMO string
// when the file says it has no identifier of its own ("-" as second
// character), otherwise the file's identifier.
void station_key(const CTY_data *city, const char *wmo, char (&out)[11]) {
    const bool no_id = city->id[0] != '\0' && city->id[1] == '-';
    vek_copy(out, no_id ? wmo : city->id);
}

// The data block pointer of a stored record, wherever the mode keeps it.
void **block_of(char *record) {
    if (!record) return nullptr;
    if (cs.store == 1) return &reinterpret_cast<stat_FULL_data *>(record)->ptr;
    return &reinterpret_cast<stat_XY_data *>(record)->ptr;
}

void free_blocks() {
    if (!cs.have_table) return;
    TAB_first(&cs.city_tbl);
    while (char *rec = TAB_next(&cs.city_tbl)) {
        void **ptr = block_of(rec);
        std::free(*ptr);
        *ptr = nullptr;
    }
}

void drop_table() {
    if (!cs.have_table) return;
    free_blocks();
    TAB_free(&cs.city_tbl);
    cs.have_table = false;
}

// Tests REST after a "<", "=" or ">" against VALUE: equal, at most, at least.
template <class T>
bool compare(char op, T value, T wanted) {
    switch (op) {
    case '=':
        return value == wanted;
    case '<':
        return value <= wanted;
    default:
        return value >= wanted;
    }
}

bool has_prefix(const char *el, const char *prefix) {
    return strncasecmp(el, prefix, std::strlen(prefix)) == 0;
}

// "Lat", "Lon", "Elev", "P" and "WMO" followed by "=", "<" or ">".
bool compare_prefix(const char *el, const char *word, char *op, const char **rest) {
    const size_t n = std::strlen(word);
    if (strncasecmp(el, word, n) != 0) return false;
    const char c = el[n];
    if (c != '=' && c != '<' && c != '>') return false;
    *op = c;
    *rest = el + n + 1;
    return true;
}

struct Station {
    const CTY_data *data;
    char loc[8];
    char wmo[WMO_TEXT];
};

// Tests element I of the selection string against the station; advances I
// past the elements it consumes. True when one of the conditions holds.
bool element_holds(const Station &st, int argc, char **argv, int *i) {
    const CTY_data *d = st.data;
    const char *el = argv[*i];
    const char *rest;
    char op;
    bool held = false;
    if (has_prefix(el, "Name=")) {
        rest = el + 5;
        held |= strncasecmp(d->name, rest, std::strlen(rest)) == 0;
    }
    if (has_prefix(el, "ST=")) {
        rest = el + 3;
        const size_t n = std::strlen(rest);
        held |= (n == 2 && strcasecmp(rest, d->state) == 0) ||
                (n == 5 && strcasecmp(rest, st.loc) == 0);
    }
    if (strcasecmp(el, "ST") == 0 && *i + 1 < argc) {
        const char *next = argv[++*i];
        const size_t n = std::strlen(next);
        held |= (n == 2 && strcasecmp(next, d->state) == 0) ||
                (n == 5 && strcasecmp(next, st.loc) == 0);
    }
    if (has_prefix(el, "CN=")) held |= strcasecmp(el + 3, d->region) == 0;
    if (strcasecmp(el, "CN") == 0 && *i + 1 < argc) held |= strcasecmp(argv[++*i], d->region) == 0;
    if (has_prefix(el, "ID=")) held |= strcasecmp(el + 3, d->id) == 0;
    if (has_prefix(el, "RA<") && *i + 2 < argc) {
        float lat, lon, range;
        const bool ok = read_float(el + 3, &lat) && read_float(argv[*i + 1], &lon) &&
                        read_float(argv[*i + 2], &range);
        *i += 2;
        held |= ok && calc_earth_dist(lat, lon, d->lat, d->lon) <= range;
    }
    int n;
    float v;
    if (compare_prefix(el, "P", &op, &rest) && read_int(rest, &n)) held |= compare(op, d->prior, n);
    if (compare_prefix(el, "Lat", &op, &rest) && read_float(rest, &v))
        held |= compare(op, d->lat, v);
    if (compare_prefix(el, "Lon", &op, &rest) && read_float(rest, &v))
        held |= compare(op, d->lon, v);
    if (compare_prefix(el, "Elev", &op, &rest) && read_float(rest, &v))
        held |= compare(op, d->el, v);
    if (compare_prefix(el, "WMO", &op, &rest)) {
        if (op == '=')
            held |= strcasecmp(rest, st.wmo) == 0;
        else if (read_int(rest, &n))
            held |= compare(op, d->wmo, n);
    }
    return held;
}

// True when the selection string SEL accepts the station.
bool selection_accepts(const Station &st, const char *sel) {
    const CTY_data *d = st.data;
    const size_t len = std::strlen(sel);
    if (len == 5 && strcasecmp(sel, st.wmo) == 0) return true;
    if (strcasecmp(sel, d->id) == 0) return true;
    if (len >= 5 && strncasecmp(d->name, sel, len) == 0) return true;

    int argc = 0;
    char **argv = nullptr;
    parse_string(sel, ':', &argc, &argv);
    bool all = argc > 0;
    for (int i = 0; all && i < argc; i++) all = element_holds(st, argc, argv, &i);
    free_parsed_array(argc, argv);
    return all;
}

} // namespace

int CTY_data_size(size_t size) {
    cs.data_size = size;
    return 0;
}

int CTY_enter_func(CTY_enter_t func) {
    cs.enter_func = func;
    return 0;
}

// The station priority limit: the "stat_prior" resource, 10 when not set.
int CTY_get_prior() {
    int prior = 10;
    read_int_value(RES_get("stat_prior"), &prior);
    return prior;
}

// The index of the first selection string among IDS[0..NUMID-1] that accepts
// the station, -1 when none does, 1 when there are none (no selection).
int CTY_data_cmp(int numid, char **ids, const CTY_data *data) {
    if (numid <= 0 || !ids) return 1;
    if (!data) return -1;
    Station st{data, {}, {}};
    std::snprintf(st.loc, sizeof st.loc, "%2s_%2s", data->state, data->region);
    std::snprintf(st.wmo, sizeof st.wmo, "%5.5d", data->wmo);
    for (int i = 0; i < numid; i++)
        if (ids[i] && selection_accepts(st, ids[i])) return i;
    return -1;
}

// Reads the station file and stores, in mode TYPE (1 to 3), every station of
// priority PRIOR or better (-9999: CTY_get_prior) that the "identifier"
// selection accepts and that lies on the grid of DOMAIN or within three grid
// spacings of it. Replaces whatever was stored before. Returns the station
// file's descriptor, which stays open, or 0 when nothing could be read.
int CTY_store(const char *city_file, int type, const Domain *domain, int prior) {
    if (type < 1 || type > 3) return 0;
    drop_table();
    cs.store = type;
    int expected = 0;
    cs.cty_fd = CTY_open_file(city_file, &expected);
    if (cs.cty_fd < 0) return 0;
    MAP_domain(domain);
    MESS_print(M_MESS, "Reading the city database file...\n");

    int idc = 0;
    char **idv = nullptr;
    RES_getvals("identifier", &idc, &idv);
    if (idc == 1 && strcasecmp(idv[0], "all") == 0) {
        free_parsed_array(idc, idv);
        idc = 0;
        idv = nullptr;
    }
    if (prior == VEK_MISS) prior = CTY_get_prior();

    CTY_rewind(cs.cty_fd);
    const int record_size = type == 1 ? int(sizeof(stat_FULL_data)) : int(sizeof(stat_XY_data));
    if (TAB_create(&cs.city_tbl, expected > 0 ? expected : 1, record_size, type == 3 ? 3 : 2) !=
        0) {
        free_parsed_array(idc, idv);
        return cs.cty_fd;
    }
    cs.have_table = true;

    CTY_data city;
    while (CTY_read(cs.cty_fd, &city) >= 1) {
        if (city.prior > prior) continue;
        char wmo[WMO_TEXT];
        wmo_string(&city, wmo);
        if (CTY_data_cmp(idc, idv, &city) == -1) continue;
        float x, y;
        if (MAP_tran(city.lat, city.lon, &x, &y) == 0 || !MAP_in_grid_domain(x, y)) continue;

        stat_FULL_data full{};
        stat_XY_data xy{};
        if (type == 1) {
            full.data = city;
        } else {
            station_key(&city, wmo, xy.locate.id);
            xy.locate.wmo = city.wmo;
            xy.locate.x = x;
            xy.locate.y = y;
            xy.locate.el = city.el;
            xy.locate.pr = city.prior;
        }
        void *block = nullptr;
        if (cs.data_size != 0) {
            block = std::calloc(1, cs.data_size);
            if (!block) continue;
            if (cs.enter_func) cs.enter_func(&city, block);
        }
        int failed;
        if (type == 1) {
            full.ptr = block;
            failed = TAB_enter(&cs.city_tbl, &full, full.data.id, wmo);
        } else if (type == 2) {
            xy.ptr = block;
            failed = TAB_enter(&cs.city_tbl, &xy, xy.locate.id, wmo);
        } else {
            xy.ptr = block;
            char pos[POS_TEXT];
            std::snprintf(pos, sizeof pos, "%5.0f%6.0f", double(city.lat) * 10.0,
                          double(city.lon) * 10.0);
            failed = TAB_enter(&cs.city_tbl, &xy, xy.locate.id, wmo, pos);
        }
        if (failed) std::free(block);
    }
    free_parsed_array(idc, idv);
    return cs.cty_fd;
}

// The data block of the stored station with identifier or WMO string ID:
// five characters starting with a digit are a WMO string, anything else a
// station identifier (four-character lower-case identifiers included: they
// are looked up as they stand). Null when not stored.
void *CTY_get_data(const char *id) {
    if (!id || !cs.have_table || cs.store < 1 || cs.store > 3) return nullptr;
    const bool wmo = std::strlen(id) == 5 && id[0] >= '0' && id[0] <= '9';
    void **ptr = block_of(TAB_search(&cs.city_tbl, wmo ? 2 : 1, id));
    return ptr ? *ptr : nullptr;
}

// With NEXT 0 starts again at the first stored station; returns the data
// block of the next station in file order, null after the last.
void *CTY_next_data(int next) {
    if (!cs.have_table) return nullptr;
    if (next == 0) TAB_first(&cs.city_tbl);
    void **ptr = block_of(TAB_next(&cs.city_tbl));
    return ptr ? *ptr : nullptr;
}

// FLAG 0 frees every station's data block; any other flag keeps them.
int CTY_clear_data(int flag) {
    if (flag == 0) free_blocks();
    return 0;
}

// Searches the station file for a station whose identifier, name or WMO
// number ("%05d") equals ID, ignoring case. Returns 1 with the station in
// *DATA, else 0 (*DATA then holds the last station read).
int CTY_get(const char *city_file, const char *id, CTY_data *data) {
    if (!id) return 0;
    CTY_data local;
    if (!data) data = &local;
    int expected;
    const int fd = CTY_open_file(city_file, &expected);
    if (fd < 0) return 0;
    MESS_print(M_MESS, "Searching the city database file for: %s ...\n", id);
    CTY_rewind(fd);
    int found = 0;
    while (!found && CTY_read(fd, data) >= 1) {
        char wmo[WMO_TEXT];
        std::snprintf(wmo, sizeof wmo, "%05d", data->wmo);
        found = strcasecmp(id, data->id) == 0 || strcasecmp(id, data->name) == 0 ||
                strcasecmp(id, wmo) == 0;
    }
    CTY_close(fd);
    return found;
}

int CTY_get_loc(const char *city_file, const char *id, float *lat, float *lon) {
    CTY_data data;
    if (!CTY_get(city_file, id, &data)) return 0;
    if (lat) *lat = data.lat;
    if (lon) *lon = data.lon;
    return 1;
}

void cty_reset_state() {
    drop_table();
    CTY_close(cs.cty_fd);
    cs = StoreState{};
}
