// mdr_dec.cpp - the MDR reports of a bulletin stream.
//
// A report starts on a line that begins with the station identifier and the
// observation time (HHMM), may run over several lines and ends with "=" or
// "@". MDR_read_raw hands over the joined text of each report of the nominal
// time; MDR_decode walks it with the pattern scanner, committing a pattern
// only when it matched the wanted number of directives. A failed attempt
// leaves the cursor, but what it stored before failing stays stored.
//
// Fixed fields keep the first characters of a longer word (the scanner cuts
// every string to its destination): `config` 9, a precipitation `type` 4,
// `trend` 3, `id` 10.

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <utility>

#include "maptran.h"
#include "mess.h"
#include "rad_dec.h"
#include "rad_run.h"
#include "scanp.h"
#include "vekstr.h"

namespace {

constexpr int MDR_LINE = 160;      // width of a line as fgetline delivers it
constexpr int MDR_TEXT_CAP = 500;  // room for the joined text of one report
constexpr int MDR_ID_CAP = 11;     // room for a station identifier
constexpr int MDR_MORE_LINES = 14; // lines after the first that a report may take
constexpr int MDR_FIELD = 80;      // room for any one scanned word (the scanner stops at 79)

constexpr M_type MDR_OUT3A = M_OUT3_A; // a report's identity and status
constexpr M_type MDR_OUT3C = M_OUT3_C; // status of a grid-form report
constexpr M_type MDR_OUT4A = M_OUT4_A; // decoded fields
constexpr M_type MDR_OUT4C = M_OUT4_C; // echo digits

constexpr int MDR_SUM_MAX_X = 119; // the MDR boxes of the summary grid
constexpr int MDR_SUM_MAX_Y = 89;

// Byte classes of the line test. White space is that of a line as
// clean_line leaves it: cleaning turns every byte below 32 and above 127 into
// a blank, so the blank is the only white space left. A word character is
// anything else but the terminator.
constexpr unsigned char MDR_WHITE = 1, MDR_WORD = 2, MDR_DIGIT = 4;
constexpr auto mdr_class = [] {
    std::array<unsigned char, 256> cls{};
    for (int c = 1; c < 256; ++c) cls[c] = c <= ' ' || c > 127 ? MDR_WHITE : MDR_WORD;
    for (int c = '0'; c <= '9'; ++c) cls[c] |= MDR_DIGIT;
    return cls;
}();

inline bool mdr_is(unsigned char c, unsigned char cls) {
    return (mdr_class[c] & cls) != 0;
}

// Eight characters at a time: in each byte, the low seven bits plus 95 reach
// the top bit exactly when they are 33 or more, and a byte whose own top bit
// is set (above 127) is white space, so this sets the top bit of every byte
// that is a word character. A NUL, which ends the line as a string, is not
// one.
inline uint64_t mdr_word_bytes(const unsigned char *p) {
    constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7FULL, top = 0x8080808080808080ULL;
    constexpr uint64_t add = 0x5F5F5F5F5F5F5F5FULL; // 95 in every byte
    uint64_t x;
    memcpy(&x, p, 8);
    return ((x & low7) + add) & ~x & top;
}

// The first character from P on (before END) that is not white space, or
// END; a NUL also stops it. Runs of blanks are common at the start of
// bulletin lines, so they are passed eight at a time (the usual zero-byte
// test finds a NUL; its false hits lie only above a real one).
inline const unsigned char *mdr_skip_white(const unsigned char *p, const unsigned char *end) {
    constexpr uint64_t top = 0x8080808080808080ULL, ones = 0x0101010101010101ULL;
    while (end - p >= 8) {
        uint64_t x;
        memcpy(&x, p, 8);
        uint64_t stop = mdr_word_bytes(p) | ((x - ones) & ~x & top);
        if (stop) return p + (__builtin_ctzll(stop) >> 3);
        p += 8;
    }
    while (p < end && mdr_is(*p, MDR_WHITE)) ++p;
    return p;
}

// The number of word characters from P on, up to five.
inline int mdr_word_length(const unsigned char *p, const unsigned char *end) {
    constexpr uint64_t top = 0x8080808080808080ULL;
    if (end - p >= 8) {
        uint64_t other = ~mdr_word_bytes(p) & top;
        int n = other ? __builtin_ctzll(other) >> 3 : 8;
        return n < 5 ? n : 5;
    }
    int n = 0;
    while (p + n < end && n < 5 && mdr_is(p[n], MDR_WORD)) ++n;
    return n;
}

} // namespace

// Whether the LEN characters at LINE start a report of the nominal time; if
// so its first word (3 to 5 characters) goes to ID (room for 6). This is the
// test of every line of a bulletin file, so it reads the raw line and does by
// hand what sscanf(clean line, "%5s %4s") would: skip white space, take up to
// five characters, skip white space, take up to four. A first word of six or
// more characters thus gives a five-character identifier, and the time word
// continues from its sixth character. The time word must be four digits, so
// only its first four characters matter.
bool mdr_starts_report(const char *line, int len, char *id) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(line);
    const unsigned char *end = p + len;
    p = mdr_skip_white(p, end);
    const unsigned char *word = p;
    const int n = mdr_word_length(p, end);
    if (n < 3) return false;
    p = mdr_skip_white(p + n, end);
    if (end - p < 4) return false;
    if (!mdr_is(p[0], MDR_DIGIT) || !mdr_is(p[1], MDR_DIGIT) ||
        (p[0] - '0') * 10 + (p[1] - '0') != rad_run.hour)
        return false;
    if (!mdr_is(p[2], MDR_DIGIT) || !mdr_is(p[3], MDR_DIGIT)) return false;
    const int m = (p[2] - '0') * 10 + (p[3] - '0');
    if (m < rad_run.min - MDR_MINUTES || m > rad_run.min + MDR_MINUTES) return false;
    memcpy(id, word, static_cast<size_t>(n));
    id[n] = '\0';
    return true;
}

namespace {

bool mdr_report_test(const char *text, int length, void *id) {
    return mdr_starts_report(text, length, static_cast<char *>(id));
}

} // namespace

// Whether the LEN characters at LINE start a report of any time: a station
// identifier (a letter and two to four more word characters), white space
// and four digits of an hour and minute.
bool mdr_any_head(const char *line, int len) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(line);
    const unsigned char *end = p + len;
    p = mdr_skip_white(p, end);
    const int n = mdr_word_length(p, end);
    if (n < 3 || !isalpha(*p) || (p + n < end && !mdr_is(p[n], MDR_WHITE))) return false;
    p = mdr_skip_white(p + n, end);
    if (end - p < 4) return false;
    for (int k = 0; k < 4; ++k)
        if (!mdr_is(p[k], MDR_DIGIT)) return false;
    return (p[0] - '0') * 10 + (p[1] - '0') < 24 && p[2] < '6';
}

namespace {

// The report test that also counts the heads of other times.
bool mdr_counting_test(const char *text, int length, void *id) {
    if (mdr_starts_report(text, length, static_cast<char *>(id))) return true;
    if (mdr_any_head(text, length)) ++rad_run.counts.outside;
    return false;
}

bool mdr_ends_report(const char *line, size_t len) {
    return len > 0 && (line[len - 1] == '=' || line[len - 1] == '@');
}

// What every report head of the nominal hour holds: the hour's two digits,
// two more digits after them, and before them either white space (after a
// first word of three to five characters) or five word characters (the time
// word continues a longer first word from its sixth character). The search
// is for the pair of hour digits; the rest is checked where a pair is found.
struct MdrHint {
    bool possible;      // false for an hour that no head can carry
    byte_range time[4]; // the hour's two digits, then two digits
};

MdrHint mdr_hint_for(int h) {
    if (h < 0 || h > 99) return {false, {}};
    const auto d0 = static_cast<unsigned char>('0' + h / 10);
    const auto d1 = static_cast<unsigned char>('0' + h % 10);
    return {true, {{d0, d0, 0}, {d1, d1, 0}, {'0', '9', 0}, {'0', '9', 0}}};
}

const char *mdr_hint(const char *from, const char *to, const char *lo, const char *hi, void *arg) {
    const MdrHint *h = static_cast<const MdrHint *>(arg);
    if (!h->possible) return to;
    for (const char *t = from; (t = find_byte_run(t, to, hi, h->time, 4)) < to; ++t) {
        const unsigned char *u = reinterpret_cast<const unsigned char *>(t);
        if (t - lo < 5) return t; // too close to the buffer's start to tell
        if (mdr_is(u[-1], MDR_WHITE)) return t;
        if (mdr_is(u[-1], MDR_WORD) && mdr_is(u[-2], MDR_WORD) && mdr_is(u[-3], MDR_WORD) &&
            mdr_is(u[-4], MDR_WORD) && mdr_is(u[-5], MDR_WORD))
            return t;
    }
    return to;
}

} // namespace

// Finds the next report of the nominal time (module values hour and min) in
// IFILE. Its lines, cleaned, trimmed and joined by single blanks, go to
// DATA_STR (room for 500; lines that do not fit are dropped) without the end
// mark, its identifier to ID (room for 11). Returns 1, or 0 at the end of
// input with neither buffer changed.
int MDR_read_raw(FILE *ifile, char *data_str, char *id) {
    if (!ifile || !data_str || !id) return 0;
    char word[6];
    char head[MDR_LINE + 1];
    MdrHint hint = mdr_hint_for(rad_run.hour);
    const int got =
        rad_run.count_all
            ? finput_until(ifile, head, MDR_LINE, mdr_counting_test, word, nullptr, nullptr)
            : finput_until(ifile, head, MDR_LINE, mdr_report_test, word, mdr_hint, &hint);
    if (got < 0) {
        finput_forget(ifile); // the next stream, even at this address, starts afresh
        return 0;
    }

    clean_line(head);
    trim_string(head);
    size_t used = strlen(head);
    bool complete = used < 11 || mdr_ends_report(head, used);
    used = vek_strlcpy(data_str, head, MDR_TEXT_CAP);

    char line[MDR_LINE + 1];
    for (int i = 0; i < MDR_MORE_LINES && !complete; ++i) {
        if (finput_piece(ifile, line, MDR_LINE) < 0) break;
        clean_line(line);
        trim_string(line);
        const size_t n = strlen(line);
        if (n == 0) break; // an empty line ends the report and is not taken
        complete = mdr_ends_report(line, n);
        if (used + 1 + n > MDR_TEXT_CAP - 1) continue; // does not fit: dropped
        data_str[used++] = ' ';
        memcpy(data_str + used, line, n + 1);
        used += n;
    }
    if (used > 0 && data_str[used - 1] == '=') data_str[--used] = '\0';
    if (used > 0 && data_str[used - 1] == '@') data_str[--used] = '\0';
    vek_strlcpy(id, word, MDR_ID_CAP);
    return 1;
}

// Resets the decoded fields. The position, type, time, region, remarks and
// precipitation groups are left as they are.
int MDR_init(MDR_report *report) {
    if (!report) return 0;
    vek_copy(report->config, "NR");
    report->numprec = 0;
    report->trend[0] = '\0';
    for (MDR_loc &l : report->loc) l = {VEK_MISS, VEK_MISS};
    for (MDR_move &m : report->move) m = {' ', VEK_MISS, VEK_MISS};
    report->tops = {VEK_MISS, VEK_MISS, VEK_MISS};
    return 0;
}

namespace {

// Empty precipitation groups: no coverage, no type, no intensity.
void mdr_clear_prec(MDR_report *report) {
    for (MDR_prec &g : report->prec) {
        g.area_cov = VEK_MISS;
        g.type[0] = '\0';
        g.intens = VEK_MISS;
    }
}

} // namespace

// The station store's entry function: makes REPORT the empty record of the
// station DATA on the current map domain (the MDR grid). A station of
// priority 1 or 3 is expected to report and starts as "NA" (not available);
// any other starts as "NR" (not reporting, not written).
//
// A record that never receives a report has no time (-9999), an empty region
// and remarks, and empty precipitation groups (coverage and intensity -9999,
// no type), so that nothing the store's memory held shows through.
int MDR_enter_func(const CTY_data *data, MDR_report *report) {
    if (!data || !report) return 0;
    float mx = VEK_FMISS, my = VEK_FMISS, gx = VEK_FMISS, gy = VEK_FMISS;
    MAP_tran(data->lat, data->lon, &mx, &my);
    MAP_grid_untran(mx, my, &gx, &gy);
    report->x = gx;
    report->y = gy;
    MDR_init(report);
    vek_copy(report->id, data->id);
    report->type = data->prior;
    vek_copy(report->config, data->prior == 1 || data->prior == 3 ? "NA" : "NR");
    report->time = VEK_MISS;
    report->region[0] = '\0';
    report->rem[0] = '\0';
    mdr_clear_prec(report);
    return 0;
}

namespace {

// The echo digits of one report by row letter and column letter, for the
// trace printed after them.
using MdrEchoTable = int[26][26];

// Commits the match of PAT when it matched WANT directives.
template <class... Dest>
bool mdr_take(parse_param *p, int want, const char *pat, Dest &&...dest) {
    if (scanp(p, pat, std::forward<Dest>(dest)...) != want) return false;
    scanp_inc(p);
    return true;
}

// Passes over blanks (a blank pattern matches no directive, so its result
// says nothing; what it consumed is committed whatever it was).
void mdr_skip_blanks(parse_param *p) {
    scanp(p, " ");
    scanp_inc(p);
}

// The intensity code of the symbols after the precipitation letters; a
// symbol string outside the table has no code (-9999).
int mdr_intensity(const char *sym) {
    static const struct {
        const char *sym;
        int code;
    } codes[] = {{"", 2}, {"-", 1}, {"+", 3}, {"++", 4}, {"X", 5}, {"XX", 6}, {"U", 9}};
    for (const auto &c : codes)
        if (strcmp(sym, c.sym) == 0) return c.code;
    return VEK_MISS;
}

// The status code that a status word stands for, with the text it is
// reported with; null when WORD is no status word. "PPINS" is one only in
// the grid form.
struct MdrStatus {
    const char *config;
    const char *text;
};
const MdrStatus *mdr_status(const char *word, bool grid) {
    static const MdrStatus no_echo = {"NE", "NO ECHO"};
    static const MdrStatus not_avail = {"NA", "NOT AVAILABLE"};
    static const MdrStatus maint = {"OM", "OUT FOR MAINTAINANCE"};
    if (strncmp(word, "PPINE", 5) == 0) return &no_echo;
    if (strncmp(word, "DLAD", 4) == 0 || strcmp(word, "PPINA") == 0 ||
        (grid && strcmp(word, "PPINS") == 0))
        return &not_avail;
    if (strcmp(word, "PPIOM") == 0) return &maint;
    return nullptr;
}

// Sets the status of REPORT when WORD is a status word and reports it at
// LEVEL; false when it is none.
bool mdr_apply_status(MDR_report *report, const char *word, bool grid, M_type level) {
    const MdrStatus *st = mdr_status(word, grid);
    if (!st) return false;
    vek_copy(report->config, st->config);
    MESS_print(level, "ID: %s TIME: %d %s\n", report->id, report->time, st->text);
    return true;
}

bool mdr_is_config(const char *word) {
    static const char *const configs[] = {"AREA", "CELL", "LINE", "LYR", "SPRL", "EYE", "LN"};
    for (const char *c : configs)
        if (strcmp(word, c) == 0) return true;
    return false;
}

void mdr_print_move(const MDR_move &m) {
    const char *what = m.type == 'A' ? "AREA" : m.type == 'C' ? "CELL" : "LINE";
    MESS_print(MDR_OUT4A, "  %s MOVE: %d DEGREES AT: %d KNOTS\n", what, m.dir, m.spd);
}

// The movements of the standard form, slot by slot: a letter run (its first
// letter is the type), the direction in tens of degrees and the speed.
void mdr_standard_moves(parse_param *p, MDR_report *r) {
    for (MDR_move &m : r->move) {
        char run[MDR_FIELD] = "";
        if (!mdr_take(p, 3, "%[ALC]%2d%2d ", run, &m.dir, &m.spd)) continue;
        m.dir *= 10;
        m.type = run[0];
        mdr_print_move(m);
    }
}

// The whole box of a station coordinate V plus ROUND, truncated toward zero;
// false when V is no usable grid coordinate (missing, not a number, far off).
bool mdr_station_box(float v, double round, long *box) {
    const double d = static_cast<double>(v) + round;
    if (!(d > -1.0e6 && d < 1.0e6)) return false;
    *box = static_cast<long>(d);
    return true;
}

// Where a report's echo digits go: the station's box, and the summary.
struct MdrEchoTarget {
    RAD_info *info; // null: the digits are only traced
    bool placed;    // false when the station has no usable position
    long bx, by;    // the summary box of the letters "M", "M"
    bool grid;      // grid-form placement rule
};

// Places echo value E at summary box (X, Y) of the MDR grid. The standard
// form never places 8 or 9 and keeps the higher value; the grid form also
// places 8 and 9 into an empty cell, and anything over an 8 or a 9. The
// empty mark counts below every value.
void mdr_place(RAD_info *info, long x, long y, int e, bool grid) {
    if (x < 0 || x > MDR_SUM_MAX_X || y < 0 || y > MDR_SUM_MAX_Y) return;
    signed char &cell = info->summary[x][y];
    const bool high = e == 8 || e == 9;
    bool take;
    if (grid)
        take = cell == RAD_EMPTY || cell == 8 || cell == 9 || (e > cell && !high);
    else
        take = !high && (cell == RAD_EMPTY || e > cell);
    if (take) cell = static_cast<signed char>(e);
}

// Enters one echo group: row letter ROW, first column letter COL, one
// character of DIGITS per box eastward (a non-digit is 0).
void mdr_echo_group(const MdrEchoTarget &t, MdrEchoTable &table, char row, char col,
                    const char *digits) {
    for (int k = 0; digits[k] != '\0'; ++k) {
        const int e = digits[k] >= '0' && digits[k] <= '9' ? digits[k] - '0' : 0;
        const int c = col - 'A' + k;
        if (c < 26) table[row - 'A'][c] = e;
        if (t.info && t.placed)
            mdr_place(t.info, t.bx + (col + k - 'M'), t.by + (row - 'M'), e, t.grid);
    }
}

bool mdr_letter(char c) {
    return c >= 'A' && c <= 'Z';
}

void mdr_invalid_group(const MDR_report *r, char row, char col) {
    MESS_print(MDR_OUT4C, "RAD_decode_MDR: Invalid row/col identifiers for %s: %c %c\n", r->id, row,
               col);
}

void mdr_print_table(const MdrEchoTable &table) {
    MESS_print(MDR_OUT4C, "ECHOS\n");
    if (!MESS_check(M_OUT4)) return;
    for (const auto &row : table) {
        char line[27];
        for (int c = 0; c < 26; ++c)
            line[c] = static_cast<char>('0' + row[c]); // digits 0 to 9 only
        line[26] = '\0';
        MESS_print(M_OUT4, "%s\n", line);
    }
}

MdrEchoTarget mdr_target(RAD_info *info, const MDR_report *r, bool grid) {
    MdrEchoTarget t{info, false, 0, 0, grid};
    const double round = grid ? 0.5001 : 0.0;
    t.placed = mdr_station_box(r->x, round, &t.bx) && mdr_station_box(r->y, round, &t.by);
    return t;
}

// The echo groups: row letter, column letter and digits, each group placed
// and entered in the table traced after them. The grid form's groups end at
// a "/".
void mdr_echoes(parse_param *p, RAD_info *info, MDR_report *r, bool grid) {
    const MdrEchoTarget target = mdr_target(info, r, grid);
    MdrEchoTable table = {};
    while (!grid || scanp_char(p, 0) != '/') {
        char row = '\0', col = '\0';
        char digits[MDR_FIELD] = "";
        if (!(grid ? mdr_take(p, 3, "%c%c%[^// ] ", row, col, digits)
                   : mdr_take(p, 3, "%c%c%s ", row, col, digits)))
            break;
        if (!mdr_letter(row) || !mdr_letter(col)) {
            mdr_invalid_group(r, row, col);
            continue;
        }
        mdr_echo_group(target, table, row, col, digits);
    }
    mdr_print_table(table);
}

// The standard form: precipitation, trend, outline, movements, maximum top,
// movements again, echo digits after the "^" (or "#") marker.
void mdr_standard(parse_param *p, RAD_info *info, MDR_report *r) {
    MESS_print(MDR_OUT3A, "ID: %s TIME: %d CONFIG: %s\n", r->id, r->time, r->config);

    // A group without intensity symbols matches two directives and stops
    // before the blank after its letters. The blanks after an accepted group
    // are passed over, so that the groups, trend, outline, movements and top
    // that follow are read as they are after a group with symbols.
    for (MDR_prec &g : r->prec) {
        char sym[MDR_FIELD] = "";
        const int n = scanp(p, "%!!d%[TRWSZLPAI]%[-+XU] ", &g.area_cov, g.type, sym);
        if (n < 2) break;
        scanp_inc(p);
        if (n == 2) sym[0] = '\0';
        MESS_print(MDR_OUT4A, "  TYPE:%d %s %s\n", g.area_cov, g.type, sym);
        g.intens = mdr_intensity(sym);
        ++r->numprec;
        mdr_skip_blanks(p);
    }

    if (mdr_take(p, 2, "%*(/)%s ", r->trend)) MESS_print(MDR_OUT4A, "  TREND:%s\n", r->trend);

    for (MDR_loc &l : r->loc) {
        if (mdr_take(p, 2, "%d/%d ", &l.dir, &l.rad)) {
            MESS_print(MDR_OUT4A, "  AREA LOC: %d DEGREES AT: %d MILES\n", l.dir, l.rad);
        } else if (mdr_take(p, 2, "%d%*(W) ", &l.rad)) {
            l.dir = VEK_MISS;
            MESS_print(MDR_OUT4A, "  AREA WIDTH: %d MILES\n", l.rad);
        } else if (mdr_take(p, 2, "%*(D)%d ", &l.rad)) {
            l.dir = VEK_MISS;
            MESS_print(MDR_OUT4A, "  AREA DIAMETER: %d MILES\n", l.rad);
        }
    }

    mdr_standard_moves(p, r);

    MDR_tops &t = r->tops;
    if (mdr_take(p, 4, "%*(MT) %d AT %d/%d ", &t.h, &t.dir, &t.rad) ||
        mdr_take(p, 4, "%*(MT) %d %d/%d ", &t.h, &t.dir, &t.rad)) {
        MESS_print(MDR_OUT4A, "  MAX TOPS: %d00 FEET -- %d DEGREES AT: %d MILES\n", t.h, t.dir,
                   t.rad);
    } else if (mdr_take(p, 3, "%*(MT) %*(U)%d ", &t.h)) {
        t.dir = VEK_MISS;
        t.rad = VEK_MISS;
        MESS_print(MDR_OUT4A, "  MAX TOPS: %d00 FEET\n", t.h);
    }

    // Movements written after the top replace those before it, slot by slot.
    mdr_standard_moves(p, r);

    if (!scanp_search(p, "^") && !scanp_search(p, "#")) return;
    MESS_print(MDR_OUT4C, "Reading echoes for %s at (%f,%f)...\n", r->id, r->x, r->y);
    scanp_inc_off(p, 1);
    mdr_echoes(p, info, r, false);
}

// The grid form: echo groups up to a "/", then "/"-separated movements,
// maximum top and closing word.
void mdr_grid(parse_param *p, RAD_info *info, MDR_report *r) {
    vek_copy(r->config, "NA");
    MESS_print(MDR_OUT4C, "****  Reading echoes for %s at (%f,%f)...\n", r->id, r->x, r->y);
    mdr_echoes(p, info, r, true);

    mdr_take(p, 1, "%*(/) ");
    for (MDR_move &m : r->move) {
        char run[MDR_FIELD] = "";
        if (!mdr_take(p, 4, "%*2[A]%2d%2d%[ALC]", &m.dir, &m.spd, run)) continue;
        m.dir *= 10;
        m.type = run[0];
        mdr_print_move(m);
    }
    mdr_take(p, 1, "%*(/) ");
    MDR_tops &t = r->tops;
    if (mdr_take(p, 2, "%*2[A]%d", &t.h)) {
        t.dir = VEK_MISS;
        t.rad = VEK_MISS;
        MESS_print(MDR_OUT4A, "  MAX TOPS: %d00 FEET\n", t.h);
    }
    mdr_take(p, 1, "%*(/) ");

    if (!mdr_take(p, 1, "%s ", r->config)) return;
    if (mdr_apply_status(r, r->config, true, MDR_OUT3C)) return;
    vek_copy(r->prec[0].type, r->config);
    vek_copy(r->config, "PREC");
}

} // namespace

// Decodes the report text DATA into REPORT (the station's stored record) and
// places its echo digits on the summary grid of INFO (when INFO is given).
// Returns -1 when REPORT is null (the station is not stored), else 1: text
// that matches no pattern leaves the fields it did not reach as MDR_init and
// the start of decoding left them.
//
// Decoding starts afresh: besides MDR_init's fields, the time becomes -9999
// (so a report without time word has none) and the precipitation groups are
// emptied, so nothing of an earlier report of the station remains.
int MDR_decode(const char *data, RAD_info *info, MDR_report *report) {
    if (!report) return -1;
    MDR_init(report);
    report->time = VEK_MISS;
    mdr_clear_prec(report);
    if (!data) data = "";
    MESS_print(M_DEBUG, "LINE:%s:\n", data);

    parse_param p{};
    scanp_set(&p, data);
    mdr_skip_blanks(&p);
    mdr_take(&p, 1, "%<5s ", report->id);
    mdr_take(&p, 1, "%*(RTD|SPL|COR) ");
    mdr_take(&p, 1, "%4d ", &report->time);
    mdr_take(&p, 1, "%*(RTD|SPL|COR) ");
    mdr_take(&p, 1, "%s ", report->config);

    if (mdr_apply_status(report, report->config, false, MDR_OUT3A)) return 1;
    if (mdr_is_config(report->config))
        mdr_standard(&p, info, report);
    else
        mdr_grid(&p, info, report);

    if (scanp_char(&p, 0) != '\0') MESS_print(M_DEBUG, "EXTRA:%s:\n", scanp_str(&p));
    return 1;
}
