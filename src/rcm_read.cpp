// rcm_read.cpp - Radar Coded Messages: finding the next site's message in a
// bulletin stream, decoding it into an RCM_report (part A: date, status, mode,
// the run-length coded echo grid, maximum top, storm centroids; part B: wind
// profile levels; part C: vortex signatures, mesocyclones, centroid heights
// and hail), the empty record of each site for the station store, and the
// listing of a record.
//
// A message arrives as text, or as a sequence of binary packets whose first
// ones carry the site number, position and time. Either way the body is
// bytes: NUL bytes are read, counted, searched and scanned like any other, so
// a real archive message whose binary product header precedes its text
// decodes whole.
//
// Keeps no state between calls.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

#include "numtext.h"
#include "vek.h"
#include "vekrad.h"

namespace {

constexpr int RCM_BODY_CAP = 5000; // bytes of one line, and of a message body
constexpr int RCM_BODY_MIN = 100;  // lines are joined until the body holds this much
constexpr int RCM_MAX_VALUES = RCM_GRID * RCM_GRID; // intensity values read at most
constexpr int RCM_MAX_STORM = 40;
constexpr int RCM_MAX_TVS = 10;
constexpr int RCM_MAX_MESO = 20;
constexpr int RCM_MAX_VAD = 20;
constexpr unsigned char RCM_NO_ECHO = 255; // a cell without value

constexpr M_type RCM_TRACE_TEXT = 0x10000000; // debug a: packets, the text at each stage
constexpr M_type RCM_TRACE_GRID = 0x20000000; // debug b: the grid after part A's groups
constexpr M_type RCM_TRACE_ECHO = 0x40000000; // debug c: every intensity value

constexpr bool is_upper(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr bool is_letter(unsigned char c) {
    return is_upper(c) || (c >= 'a' && c <= 'z');
}
// The blanks that a group may hold and that follow it: blank, tab, return,
// line feed (a group may be split over records or lines).
constexpr bool is_blank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Byte classes of the intensity groups, looked up once a byte.
enum : unsigned char { OTHER, BLANK, DIGIT, UPPER, LOWER };
constexpr auto byte_class = [] {
    std::array<unsigned char, 256> cls{};
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        cls[c] = is_digit(b)    ? DIGIT
                 : is_upper(b)  ? UPPER
                 : is_letter(b) ? LOWER
                 : is_blank(b)  ? BLANK
                                : OTHER;
    }
    return cls;
}();

// Commits the match of PAT at the cursor of P when it matched WANT
// directives.
template <class... Dest>
bool take(parse_param *p, int want, const scanp_pattern &pat, Dest &&...dest) {
    if (scanp(p, pat, std::forward<Dest>(dest)...) != want) return false;
    scanp_inc(p);
    return true;
}

// The text at the cursor, for the traces (at most 60 bytes; a NUL ends it).
void trace_text(const char *stage, parse_param *p) {
    if (!MESS_check(RCM_TRACE_TEXT)) return;
    const int left = p->length - p->off;
    MESS_print(RCM_TRACE_TEXT, "RCM %s:%.*s:\n", stage, left < 60 ? left : 60, scanp_str(p));
}

// Two-digit years: below 50 in this century, below 200 counted from 1900.
void fix_year(Date &date) {
    if (date.year < 50) date.year += 2000;
    if (date.year < 200) date.year += 1900;
}

// Fine-grid column X and row Y of three position letters: MDR row, MDR
// column, and the cell inside the box (A to P, index k) at column k / 4 and
// row k mod 4. False when a letter is not A to Z: such a position lies
// outside the grid.
bool grid_position(const char *letters, int *x, int *y) {
    for (int i = 0; i < 3; ++i)
        if (!is_upper(static_cast<unsigned char>(letters[i]))) return false;
    const int k = letters[2] - 'A';
    *x = 4 * (letters[1] - 'A') + k / 4;
    *y = 4 * (letters[0] - 'A') + k % 4;
    return true;
}

// The same as a feature position: -9999.0 for both when the letters are no
// position.
void feature_position(const char *letters, float *x, float *y) {
    int gx, gy;
    if (strnlen(letters, 3) == 3 && grid_position(letters, &gx, &gy)) {
        *x = static_cast<float>(gx);
        *y = static_cast<float>(gy);
    } else {
        *x = VEK_FMISS;
        *y = VEK_FMISS;
    }
}

// Moves the cursor to the next "/" at or after it, or to the end of the text.
void to_slash(parse_param *p) {
    const int left = p->length - p->off;
    if (left <= 0) return;
    const void *hit = memchr(p->ptr + p->off, '/', static_cast<size_t>(left));
    const int step =
        hit ? static_cast<int>(static_cast<const char *>(hit) - (p->ptr + p->off)) : left;
    scanp_inc_off(p, step);
}

// ---------------------------------------------------------------------------
// Part A's intensity groups
// ---------------------------------------------------------------------------

// Reads the run-length coded intensity groups at the start of the N bytes
// at S into REPORT's grid and returns the bytes consumed. A group is three
// position letters, then digits (each stores its value and moves one column
// east), repeat letters (L repeats the group's last digit L - "A" + 1 times;
// before any digit of the group it does nothing) and blanks; any other byte
// ends it, and the commas and blanks after it are passed over. Groups are
// read while the text begins with a letter and fewer values than the grid
// has cells have been read. Values beyond the grid, or of a group whose
// position letters are not A to Z, are not stored.
//
// Two ways of reading the same: one byte and one value at a time, with every
// value traced; and sixteen bytes at a time with vector instructions, below.

int read_groups_traced(const unsigned char *s, int n, RCM_report *r) {
    int pos = 0, values = 0;
    while (pos < n && byte_class[s[pos]] >= UPPER && values < RCM_MAX_VALUES) {
        if (n - pos < 3) break; // no room for the position letters
        int x = 0, y = 0;
        const bool placed = grid_position(reinterpret_cast<const char *>(s + pos), &x, &y);
        pos += 3;
        int last = -1;
        for (; pos < n; ++pos) {
            const unsigned char c = s[pos], k = byte_class[c];
            if (k == OTHER) break;
            if (k == DIGIT) last = c - '0';
            const int count = k == DIGIT ? 1 : k >= UPPER && last >= 0 ? c - 'A' + 1 : 0;
            for (int i = 0; i < count; ++i, ++x) {
                MESS_print(RCM_TRACE_ECHO, "%s: %d %d %d = %d\n", k == DIGIT ? "ECHO" : "ECHO-REP",
                           x, y, ++values, last);
                if (placed && x < RCM_GRID) r->echo[x][y] = static_cast<signed char>(last);
            }
        }
        while (pos < n && (s[pos] == ',' || byte_class[s[pos]] == BLANK)) ++pos;
    }
    return pos;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define RCM_GROUPS_SIMD 1
#define RCM_VECTOR __attribute__((target("sse4.1")))

// The same, sixteen bytes of a group at a time, with vector operations.
// Where each group ends is found first (GroupEnds, below). Then, for each
// byte of the group, vector operations find its class, the count of values
// it stands for (1 for a digit, L - "A" + 1 for a repeat letter after the
// group's first digit, 0 for anything else), the value it repeats (the last
// digit at or before it) and the column after its values (the sum of the
// counts up to it). Each sixteen columns of output take, column by column,
// the value of the byte whose values cover it: the byte after all those
// whose values end at or before the column, found by a binary search. The
// columns are laid into a row-major copy of the grid (whole vectors, not one
// byte a row apart per value); the blocks of sixteen rows that a group
// touched then become the record's column-major grid, whose other cells
// hold no value already.
constexpr int ROW_PAD = 128; // a row of the copy, with room for 16 columns from column 103

// 112 rows, so that the last block of sixteen rows lies within the copy.
using Rows = signed char[112][ROW_PAD];

// Sixteen rows of 16 bytes turned into sixteen columns: four rounds of the
// perfect shuffle.
RCM_VECTOR inline void transpose16(__m128i v[16]) {
    for (int round = 0; round < 4; ++round) {
        __m128i t[16];
        for (int i = 0; i < 8; ++i) {
            t[2 * i] = _mm_unpacklo_epi8(v[i], v[i + 8]);
            t[2 * i + 1] = _mm_unpackhi_epi8(v[i], v[i + 8]);
        }
        for (int i = 0; i < 16; ++i) v[i] = t[i];
    }
}

// The blocks of sixteen rows of the row-major copy ROWS whose bits are set
// in BLOCKS into the grid of R: 104 columns of 104 rows.
RCM_VECTOR void rows_to_grid(const Rows &rows, unsigned blocks, RCM_report *r) {
    for (int y0 = 0; y0 < RCM_GRID; y0 += 16) {
        if (!(blocks >> (y0 / 16) & 1)) continue;
        for (int x0 = 0; x0 < RCM_GRID; x0 += 16) {
            __m128i v[16];
            for (int i = 0; i < 16; ++i)
                v[i] = _mm_load_si128(reinterpret_cast<const __m128i *>(&rows[y0 + i][x0]));
            transpose16(v);
            const int columns = std::min(16, RCM_GRID - x0);
            for (int c = 0; c < columns; ++c) {
                signed char *to = &r->echo[x0 + c][y0];
                if (RCM_GRID - y0 >= 16)
                    _mm_storeu_si128(reinterpret_cast<__m128i *>(to), v[c]);
                else // the last 8 rows
                    _mm_storel_epi64(reinterpret_cast<__m128i *>(to), v[c]);
            }
        }
    }
}

// Bytes A with LO <= A < LO + SPAN, as bytes of all ones.
RCM_VECTOR inline __m128i in_range(__m128i a, char lo, int span) {
    const __m128i d = _mm_sub_epi8(a, _mm_set1_epi8(lo));
    return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(static_cast<char>(span - 1))), d);
}

// Bytes A <= B (unsigned), as bytes of all ones.
RCM_VECTOR inline __m128i at_most(__m128i a, __m128i b) {
    return _mm_cmpeq_epi8(_mm_min_epu8(a, b), a);
}

// The 16 bytes of the N at S from AT on; past the end, NULs.
RCM_VECTOR inline __m128i load_bytes(const unsigned char *s, int n, int at) {
    if (n - at >= 16) return _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + at));
    alignas(16) unsigned char tail[16] = {};
    if (n > at) memcpy(tail, s + at, static_cast<size_t>(n - at));
    return _mm_load_si128(reinterpret_cast<const __m128i *>(tail));
}

// The bytes of the 16 at B that may stand in a group: digits, letters and
// blanks.
RCM_VECTOR inline unsigned group_bytes(__m128i b) {
    const __m128i letter = _mm_or_si128(in_range(b, 'A', 26), in_range(b, 'a', 26));
    const __m128i blank = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\t'))),
        _mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8('\r')),
                     _mm_cmpeq_epi8(b, _mm_set1_epi8('\n'))));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(in_range(b, '0', 10), letter), blank)));
}

// Where the groups of the N bytes at S end: the bytes that may not stand in
// a group, as bits, classified 64 bytes at a time when first asked for. So
// the end of each group is known before its values are worked out, and the
// work of one group need not wait for that of the one before.
struct GroupEnds {
    const unsigned char *s;
    int n;
    int block = -64; // the first byte of the bits
    uint64_t bits = 0;
};

// The first byte at or after P that ends a group; N when none does.
RCM_VECTOR int group_end(GroupEnds &g, int p) {
    while (p < g.n) {
        const int block = p & ~63;
        if (block != g.block) {
            uint64_t in = 0;
            for (int k = 0; k < 4; ++k)
                in |= uint64_t{group_bytes(load_bytes(g.s, g.n, block + 16 * k))} << (16 * k);
            g.bits = ~in;
            g.block = block;
        }
        const uint64_t ends = g.bits >> (p - block);
        if (ends) return std::min(g.n, p + __builtin_ctzll(ends));
        p = block + 64;
    }
    return g.n;
}

// One group's values: the BYTES bytes from AT on (after its position letters)
// into row Y of ROWS from column X on when PLACED. Returns the count of
// values they stand for.
RCM_VECTOR int group_values(const unsigned char *s, int n, int at, int bytes, bool placed, int x,
                            Rows &rows, int y) {
    const __m128i lane = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i one = _mm_set1_epi8(1);
    int values = 0, last = -1;
    bool seen = false;
    for (int done = 0; done < bytes; done += 16) {
        const __m128i b = load_bytes(s, n, at + done);
        const __m128i in_group =
            _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(std::min(16, bytes - done))), lane);
        const __m128i digit = _mm_and_si128(in_range(b, '0', 10), in_group);
        const __m128i letter =
            _mm_and_si128(_mm_or_si128(in_range(b, 'A', 26), in_range(b, 'a', 26)), in_group);
        const unsigned digits = static_cast<unsigned>(_mm_movemask_epi8(digit));
        // Letters repeat from the group's first digit on.
        const int from = seen ? 0 : digits ? __builtin_ctz(digits) : 16;
        const __m128i repeats =
            _mm_and_si128(letter, _mm_cmpgt_epi8(lane, _mm_set1_epi8(static_cast<char>(from - 1))));
        const __m128i count =
            _mm_or_si128(_mm_and_si128(digit, one),
                         _mm_and_si128(repeats, _mm_sub_epi8(b, _mm_set1_epi8('A' - 1))));
        // The lane (+ 1) of the last digit at or before each byte.
        __m128i lane_of = _mm_and_si128(digit, _mm_add_epi8(lane, one));
        lane_of = _mm_max_epu8(lane_of, _mm_slli_si128(lane_of, 1));
        lane_of = _mm_max_epu8(lane_of, _mm_slli_si128(lane_of, 2));
        lane_of = _mm_max_epu8(lane_of, _mm_slli_si128(lane_of, 4));
        lane_of = _mm_max_epu8(lane_of, _mm_slli_si128(lane_of, 8));
        const __m128i value = _mm_blendv_epi8(
            _mm_shuffle_epi8(_mm_sub_epi8(b, _mm_set1_epi8('0')), _mm_sub_epi8(lane_of, one)),
            _mm_set1_epi8(static_cast<char>(last)), _mm_cmpeq_epi8(lane_of, _mm_setzero_si128()));
        const __m128i halves = _mm_sad_epu8(count, _mm_setzero_si128());
        const int total = _mm_cvtsi128_si32(halves) + _mm_extract_epi16(halves, 4);

        const int column = x + values;
        if (placed && column < RCM_GRID && total > 0) {
            // The column after each byte's values, saturating at 255, which
            // lies past every column looked for.
            __m128i ends = _mm_adds_epu8(count, _mm_slli_si128(count, 1));
            ends = _mm_adds_epu8(ends, _mm_slli_si128(ends, 2));
            ends = _mm_adds_epu8(ends, _mm_slli_si128(ends, 4));
            ends = _mm_adds_epu8(ends, _mm_slli_si128(ends, 8));
            const int stop = std::min(total, RCM_GRID - column);
            for (int from_col = 0; from_col < stop; from_col += 16) {
                const __m128i col = _mm_add_epi8(lane, _mm_set1_epi8(static_cast<char>(from_col)));
                __m128i src = _mm_setzero_si128();
                for (int step = 8; step > 0; step >>= 1) {
                    const __m128i next = _mm_add_epi8(src, _mm_set1_epi8(static_cast<char>(step)));
                    const __m128i end_at = _mm_shuffle_epi8(ends, _mm_sub_epi8(next, one));
                    src = _mm_blendv_epi8(src, next, at_most(end_at, col));
                }
                const __m128i out = _mm_shuffle_epi8(value, src);
                const __m128i keep =
                    _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(stop - from_col)), lane);
                __m128i *to = reinterpret_cast<__m128i *>(&rows[y][column + from_col]);
                _mm_storeu_si128(to, _mm_blendv_epi8(_mm_loadu_si128(to), out, keep));
            }
        }
        last = static_cast<signed char>(_mm_extract_epi8(value, 15));
        seen = seen || digits;
        values += total;
    }
    return values;
}

RCM_VECTOR int read_groups_vector(const unsigned char *s, int n, RCM_report *r) {
    alignas(16) Rows rows; // a block of sixteen rows filled when a group is placed in it
    unsigned blocks = 0;   // the blocks of sixteen rows that groups were placed in
    GroupEnds ends{s, n};
    int pos = 0, values = 0;
    while (pos < n && byte_class[s[pos]] >= UPPER && values < RCM_MAX_VALUES) {
        if (n - pos < 3) break; // no room for the position letters
        int x = 0, y = 0;
        const bool placed = grid_position(reinterpret_cast<const char *>(s + pos), &x, &y);
        if (placed && !(blocks >> (y / 16) & 1)) { // a block's rows start without values
            memset(rows[y / 16 * 16], static_cast<signed char>(RCM_NO_ECHO), 16 * sizeof rows[0]);
            blocks |= 1u << (y / 16);
        }
        pos += 3;
        const int end = group_end(ends, pos);
        values += group_values(s, n, pos, end - pos, placed, x, rows, y);
        pos = end;
        while (pos < n && (s[pos] == ',' || byte_class[s[pos]] == BLANK)) ++pos;
    }
    if (blocks) rows_to_grid(rows, blocks, r);
    return pos;
}
#endif

// The vector reader where the processor has its instructions, else the one
// that traces (with its traces off).
int read_groups_fast(const unsigned char *s, int n, RCM_report *r) {
#ifdef RCM_GROUPS_SIMD
    static const bool vector = __builtin_cpu_supports("sse4.1");
    if (vector) return read_groups_vector(s, n, r);
#endif
    return read_groups_traced(s, n, r);
}

// The grid after part A's groups, from column 20 on: two header lines with
// the MDR column letter and the cell letter of each column, then one line per
// row headed by its MDR row letter and cell letter. A cell without value is
// a ".".
void trace_grid(const RCM_report *r) {
    if (!MESS_check(RCM_TRACE_GRID)) return;
    constexpr int first = 20;
    char line[8 + RCM_GRID];
    for (int h = 0; h < 2; ++h) {
        int n = snprintf(line, sizeof line, "    ");
        for (int x = first; x < RCM_GRID; ++x)
            line[n++] = static_cast<char>('A' + (h == 0 ? x / 4 : x % 4));
        line[n] = '\0';
        MESS_print(RCM_TRACE_GRID, "%s\n", line);
    }
    for (int y = 0; y < RCM_GRID; ++y) {
        int n = 0;
        for (int x = first; x < RCM_GRID; ++x) {
            const int v = r->echo[x][y];
            line[n++] = v >= 0 && v <= 9 ? static_cast<char>('0' + v) : '.';
        }
        line[n] = '\0';
        MESS_print(RCM_TRACE_GRID, "%c%c: %s\n", 'A' + y / 4, 'A' + y % 4, line);
    }
}

// ---------------------------------------------------------------------------
// Parts A, B and C
// ---------------------------------------------------------------------------

// Part A; false when the text has no "/NEXRAA" part.
bool part_a(parse_param *p, RCM_report *r) {
    take(p, 3, "%*d %*s %*d "_pat);
    trace_text("PART A", p);
    if (!take(p, 1, "%*(/NEXRAA) "_pat)) return false;
    Date &d = r->date;
    if (take(p, 6, "%d %2D%2D%2D%2D%2D "_pat, &r->num, &d.day, &d.month, &d.year, &d.hour, &d.min))
        fix_year(d);

    r->status = 0;
    take(p, 1, "%*(EDITED|UNEDITED) "_pat);
    if (take(p, 1, "%*(RADNE) "_pat)) r->status = 1;
    if (take(p, 1, "%*(RADOM) "_pat)) r->status = 2;

    char mode[5] = "";
    if (take(p, 2, "%*(/MD)%4s "_pat, mode)) {
        if (strcmp(mode, "PCPN") == 0) r->mode = 1;
        if (strcmp(mode, "CLAR") == 0) r->mode = 2;
    }
    take(p, 2, "%*(/SC)%*d "_pat);
    take(p, 1, "%*(/SC) "_pat);
    int groups = VEK_MISS;
    if (take(p, 2, "%*(/NI)%d: "_pat, &groups))
        MESS_print(RCM_TRACE_TEXT, "RCM %s: %d intensity groups\n", r->id, groups);

    trace_text("GROUPS", p);
    const auto *text = reinterpret_cast<const unsigned char *>(p->ptr + p->off);
    const int left = p->length - p->off;
    scanp_inc_off(p, MESS_check(RCM_TRACE_ECHO) ? read_groups_traced(text, left, r)
                                                : read_groups_fast(text, left, r));
    trace_grid(r);

    char pos[4] = "";
    if (take(p, 3, "%*(/MT)%d:%3s "_pat, &r->maxt, pos))
        feature_position(pos, &r->maxt_x, &r->maxt_y);

    int n = 0;
    if (take(p, 2, "%*(/NCEN)%d: "_pat, &n)) {
        // A centroid is taken when all five fields are read; the cursor moves
        // on by what the pattern consumed (the comma after the last one is
        // not followed by a blank), and the first incomplete one ends the list.
        for (int i = 0; i < n && r->num_storm < RCM_MAX_STORM; ++i) {
            RCM_storm &s = r->storm[r->num_storm];
            char id[3] = "";
            int dir = VEK_MISS, spd = VEK_MISS;
            const int got = scanp(p, "%*(C)%2s%3s %3d%3d, "_pat, id, pos, &dir, &spd);
            scanp_inc(p);
            if (got != 5) break;
            vek_copy(s.id, id);
            feature_position(pos, &s.x, &s.y);
            s.dir = dir;
            s.spd = spd;
            ++r->num_storm;
        }
    }
    to_slash(p);
    take(p, 1, "%*(/ENDAA) "_pat);
    return true;
}

// The RMS value of a wind level's code letter; 0 for any other letter.
int rms_code(char c) {
    static const char letters[] = "ABCDEFG";
    static const int values[] = {2, 4, 6, 8, 10, 12, 15};
    const char *at = c ? strchr(letters, c) : nullptr;
    return at ? values[at - letters] : 0;
}

// Part B: the wind profile levels.
void part_b(parse_param *p, RCM_report *r) {
    trace_text("PART B", p);
    if (!take(p, 3, "%*(/NEXRBB) %*d %*d "_pat)) return;
    for (int i = 0; i < RCM_MAX_VAD && scanp_char(p, 0) != '/'; ++i) {
        RCM_vad &v = r->vad[r->num_vad];
        char code = '\0';
        int hgt = VEK_MISS, dir = VEK_MISS, spd = VEK_MISS;
        const int got = scanp(p, "%d%c%3d%3d, "_pat, &hgt, code, &dir, &spd);
        scanp_inc(p);
        if (got != 4) break;
        v = {hgt, dir, spd, rms_code(code)};
        ++r->num_vad;
    }
    to_slash(p);
    take(p, 1, "%*(/ENDBB) "_pat);
}

// One list of part C's points (vortex signatures or mesocyclones) after its
// count: up to the count and at most CAP entries. TVS: "/NTVS" and "TVS"
// entries, else "/NMES" and "M" entries.
int part_c_points(parse_param *p, bool tvs, RCM_point *list, int cap) {
    int n = 0, used = 0;
    if (take(p, 2, tvs ? "%*(/NTVS)%d: "_pat : "%*(/NMES)%d: "_pat, &n)) {
        for (; used < n && used < cap; ++used) {
            char id[3] = "", pos[4] = "";
            if (!take(p, 3, tvs ? "%*(TVS)%2s%3s, "_pat : "%*(M)%2s%3s, "_pat, id, pos)) break;
            vek_copy(list[used].id, id);
            feature_position(pos, &list[used].x, &list[used].y);
        }
    }
    to_slash(p);
    return used;
}

// The storm of identifier ID among those in use, or a new one when there is
// room; null when neither.
RCM_storm *find_storm(RCM_report *r, const char *id, const char *pos) {
    for (int i = 0; i < r->num_storm; ++i)
        if (memcmp(r->storm[i].id, id, sizeof r->storm[i].id) == 0) return &r->storm[i];
    if (r->num_storm >= RCM_MAX_STORM) return nullptr;
    RCM_storm &s = r->storm[r->num_storm++];
    vek_copy(s.id, id);
    feature_position(pos, &s.x, &s.y);
    return &s;
}

// The hail code of a letter; any other letter leaves VALUE.
int hail_code(char c, int value) {
    switch (c) {
    case 'U':
        return -1;
    case 'N':
        return 0;
    case 'P':
        return 1;
    case 'H':
        return 2;
    default:
        return value;
    }
}

// Part C: vortex signatures, mesocyclones, and the heights and hail of the
// storm centroids (a centroid part A did not list is added while there is
// room). The first entry that is not read whole ends a list.
void part_c(parse_param *p, RCM_report *r) {
    trace_text("PART C", p);
    if (!take(p, 3, "%*(/NEXRCC) %*d %*d "_pat)) return;
    r->num_tvs = part_c_points(p, true, r->tvs, RCM_MAX_TVS);
    r->num_meso = part_c_points(p, false, r->meso, RCM_MAX_MESO);
    int n = 0;
    if (!take(p, 2, "%*(/NCEN)%d: "_pat, &n)) return;
    for (int i = 0; i < n; ++i) {
        char id[3] = "", pos[4] = "";
        if (!take(p, 3, "%*(C)%2s%3s "_pat, id, pos)) break;
        RCM_storm *s = find_storm(r, id, pos);
        int hgt = VEK_MISS;
        char hail = '\0';
        if (!take(p, 4, "%*(S)%3d%*(H)%c, "_pat, &hgt, hail)) break;
        if (!s) continue; // no room: read and ignored
        s->hgt = hgt;
        s->hail = hail_code(hail, s->hail);
    }
}

// ---------------------------------------------------------------------------
// Reading a message
// ---------------------------------------------------------------------------

// Whether the LENGTH bytes at TEXT, with their carriage returns removed,
// begin with "RCM" (any case). The line as a string ends at a NUL.
bool is_message_head(const char *text, int length, void *) {
    int found = 0;
    for (int i = 0; i < length && found < 3; ++i) {
        const char c = text[i];
        if (c == '\0') return false;
        if (c == '\r') continue;
        if ((c | 0x20) != "rcm"[found]) return false;
        ++found;
    }
    return found == 3;
}

// Every message head holds an "R" (any case), perhaps followed by carriage
// returns before its "C": the search is for the "R", the rest is checked
// where one is found.
const char *message_hint(const char *from, const char *to, const char *, const char *hi, void *) {
    static const byte_range r_any = {'r', 'r', 0x20};
    for (const char *t = from; (t = find_byte_run(t, to, hi, &r_any, 1)) < to; ++t) {
        const char *c = t + 1;
        while (c < hi && *c == '\r') ++c;
        if (c >= hi || (*c | 0x20) == 'c') return t;
    }
    return to;
}

// Reads lines until one begins with "RCM" (any case) and copies the rest of
// it, trailing blanks removed, into ID (its first 4 characters). False at
// the end of input or on a read error.
bool find_message(FILE *ifile, char *line, char (&id)[5]) {
    if (finput_until(ifile, line, RCM_BODY_CAP, is_message_head, nullptr, message_hint, nullptr) <
        0)
        return false;
    wstrim_string(line);
    trim_string(line);
    vek_copy(id, line + 3);
    return true;
}

// Reads the message body into BODY (RCM_BODY_CAP + 1 bytes): the next line
// and, while the body is shorter than 100 bytes, a line feed and the next
// line. Returns its length in bytes (NULs included), or -1 when the input
// ends or fails first.
int read_body(FILE *ifile, char *body) {
    int n = finput_piece(ifile, body, RCM_BODY_CAP);
    if (n < 0) return -1;
    while (n < RCM_BODY_MIN) {
        body[n++] = '\n';
        const int more = finput_piece(ifile, body + n, RCM_BODY_CAP - n);
        if (more < 0) return -1;
        n += more;
    }
    return n;
}

// One binary packet: its kind, where its text starts and ends, and where
// the next packet starts (-1 when there is none: the packet is shorter than
// its own header or runs past the data).
struct Packet {
    int kind0 = -1, kind1 = -1;
    int text = 0, end = 0;
    int next = -1;
    bool is(int a, int b) const { return kind0 == a && kind1 == b; }
};

// The packet at AT of the N bytes at B; false when its 4-byte header does not
// fit. Its length in 16-bit words, header included, is the second byte plus
// 256 times the low four bits of the first.
bool packet_at(const unsigned char *b, int n, int at, Packet *pk) {
    if (at < 0 || n - at < 4) return false;
    const int bytes = 2 * (b[at + 1] + 256 * (b[at] & 0x0F));
    pk->kind0 = b[at + 2];
    pk->kind1 = b[at + 3];
    pk->text = at + 4;
    pk->end = bytes <= n - at ? at + bytes : n;
    pk->next = bytes >= 4 && bytes <= n - at ? at + bytes : -1;
    if (pk->end < pk->text) pk->end = pk->text;
    MESS_print(RCM_TRACE_TEXT, "RCM packet %d,%d: %d bytes at %d\n", pk->kind0, pk->kind1, bytes,
               at);
    return true;
}

// The next packet after PK, in place; false when there is none.
bool next_packet(const unsigned char *b, int n, Packet *pk) {
    return pk->next >= 0 && packet_at(b, n, pk->next, pk);
}

// The site's position and time from a (1, 16) packet's text. The time
// follows the position: it is read only after the whole position, so that
// the digits of a cut position never pass for a date.
void read_location(const char *text, int len, RCM_report *r) {
    parse_param p{};
    scanp_set(&p, text, len);
    const bool placed = take(&p, 4, "%*2D%8F%10F%4F"_pat, &r->lat, &r->lon, &r->elev);
    if (r->elev != VEK_FMISS) r->elev *= 0.3048f;
    if (placed && take(&p, 5, "%4D%2D%2D%2D%2D"_pat, &r->date.year, &r->date.month, &r->date.day,
                       &r->date.hour, &r->date.min))
        fix_year(r->date);
    MESS_print(M_DEBUG, "LOC: %.3f %.3f %.0f \n", r->lat, r->lon, r->elev);
}

// The binary form: the packets before the coded text. Returns the offset of
// the coded text in BODY, or -1 when the packets end before a (5, 4) packet.
int read_packets(const char *body, int n, RCM_report *r) {
    const unsigned char *b = reinterpret_cast<const unsigned char *>(body);
    Packet pk;
    if (!packet_at(b, n, 0, &pk)) return -1;
    parse_param p{};
    scanp_set(&p, body + pk.text, pk.end - pk.text);
    take(&p, 1, "%3d"_pat, &r->num);
    if (!next_packet(b, n, &pk)) return -1;
    if (pk.is(1, 16)) {
        read_location(body + pk.text, pk.end - pk.text, r);
        if (!next_packet(b, n, &pk)) return -1;
    }
    if (pk.is(4, 16) && !next_packet(b, n, &pk)) return -1;
    if (pk.is(1, 4) && !next_packet(b, n, &pk)) return -1;
    return pk.is(5, 4) ? pk.text : -1;
}

} // namespace

// The empty record: nothing known, every echo cell without value.
int RCM_init(RCM_report *report) {
    if (!report) return 0;
    report->id[0] = '\0';
    report->num = VEK_MISS;
    report->lat = report->lon = report->elev = VEK_FMISS;
    report->date =
        Date{VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS};
    report->mode = VEK_MISS;
    report->status = VEK_MISS;
    memset(report->echo, RCM_NO_ECHO, sizeof report->echo);
    report->maxt = VEK_MISS;
    report->maxt_x = report->maxt_y = VEK_FMISS;
    for (RCM_storm &s : report->storm)
        s = {"", VEK_FMISS, VEK_FMISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};
    for (RCM_point &t : report->tvs) t = {"", VEK_FMISS, VEK_FMISS};
    for (RCM_point &m : report->meso) m = {"", VEK_FMISS, VEK_FMISS};
    for (RCM_vad &v : report->vad) v = {VEK_MISS, VEK_MISS, VEK_MISS, 0};
    report->num_storm = report->num_tvs = report->num_meso = report->num_vad = 0;
    return 0;
}

// The station store's entry function: the empty record of site DATA, with
// its identifier, WMO number and position. A site of priority 1 is expected
// (status -1, written as not received); any other is not (-9999, not
// written unless a message arrives).
int RCM_enter_func(const CTY_data *data, RCM_report *report) {
    if (!data || !report) return 0;
    RCM_init(report);
    vek_copy(report->id, data->id);
    report->num = data->wmo;
    report->lat = data->lat;
    report->lon = data->lon;
    report->status = data->prior == 1 ? -1 : VEK_MISS;
    return 0;
}

// Decodes the next site's message of IFILE into REPORT, which is initialised
// first in every case. Returns 1 when part A was found, or when a binary
// message ended after its header packets; 0 when the text has no "/NEXRAA"
// part; -1 at the end of input or on a read error before a whole message.
int RCM_read_site(FILE *ifile, RCM_report *report) {
    if (!report) return -1;
    RCM_init(report);
    if (!ifile) return -1;

    char body[RCM_BODY_CAP + 1];
    if (!find_message(ifile, body, report->id)) return -1;
    const int n = read_body(ifile, body);
    if (n < 0) return -1;

    int start;
    if (n >= 4 && body[2] == 1 && body[3] == 1) {
        start = read_packets(body, n, report);
        if (start < 0) return 1;
    } else {
        const size_t hit = std::string_view(body, static_cast<size_t>(n)).find("1234");
        start = hit == std::string_view::npos ? n : static_cast<int>(hit);
    }

    parse_param p{};
    scanp_set(&p, body + start, n - start);
    if (!part_a(&p, report)) return 0;
    part_b(&p, report);
    part_c(&p, report);
    take(&p, 0, " "_pat); // the blanks after the message
    return 1;
}

// Lists REPORT at LEVEL: identity, position, date, status, maximum top and
// every signature, mesocyclone and storm.
int RCM_print(M_type level, RCM_report *report) {
    if (!report || !MESS_check(level)) return 0;
    const RCM_report &r = *report;
    const int idw = static_cast<int>(sizeof r.id) - 1,
              fw = static_cast<int>(sizeof r.tvs[0].id) - 1;
    Date date = r.date; // the label normalises its date
    char label[DATE_LABEL_LEN];
    DATE_make_label(&date, label);
    MESS_print(level, "ID: %.*s\n", idw, r.id);
    MESS_print(level, "Num: %d\n", r.num);
    MESS_print(level, "Loc: %.3f %.3f\n", r.lat, r.lon);
    MESS_print(level, "Date: %s\n", label);
    if (r.status == 1) MESS_print(level, "Status: no echos\n");
    if (r.status == 2) MESS_print(level, "Status: out for maintenance\n");
    MESS_print(level, "Max Top: %d %3.0f,%3.0f\n", r.maxt, r.maxt_x, r.maxt_y);
    for (int i = 0; i < r.num_tvs && i < RCM_MAX_TVS; ++i)
        MESS_print(level, "TVS:  %2.*s %3.0f,%3.0f\n", fw, r.tvs[i].id, r.tvs[i].x, r.tvs[i].y);
    for (int i = 0; i < r.num_meso && i < RCM_MAX_MESO; ++i)
        MESS_print(level, "MESO: %2.*s %3.0f,%3.0f\n", fw, r.meso[i].id, r.meso[i].x, r.meso[i].y);
    for (int i = 0; i < r.num_storm && i < RCM_MAX_STORM; ++i) {
        const RCM_storm &s = r.storm[i];
        MESS_print(level, "STRM: %2.*s %3.0f,%3.0f %3.3d-%3.3d %3d %d\n", fw, s.id, s.x, s.y, s.dir,
                   s.spd, s.hgt, s.hail);
    }
    return 0;
}
