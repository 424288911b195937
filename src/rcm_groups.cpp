// rcm_groups.cpp - part A of a Radar Coded Message: the run-length coded
// echo intensities of the site's fine grid, and the position letters that
// name a cell of it.
//
// Keeps no state.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

#include "mess.h"
#include "numtext.h"
#include "rcm_groups.h"
#include "rcm_read.h"

namespace {

constexpr int RCM_MAX_VALUES = RCM_GRID * RCM_GRID; // intensity values read at most
constexpr unsigned char RCM_NO_ECHO = 255;          // a cell without value

constexpr M_type RCM_TRACE_GRID = M_DEBUG_B; // the grid after part A's groups
constexpr M_type RCM_TRACE_ECHO = M_DEBUG_C; // every intensity value

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

} // namespace

// Fine-grid column X and row Y of three position letters: MDR row, MDR
// column, and the cell inside the box (A to P, index k) at column k / 4 and
// row k mod 4. False when a letter is not A to Z: such a position lies
// outside the grid.
bool rcm_grid_position(const char *letters, int *x, int *y) {
    for (int i = 0; i < 3; ++i)
        if (!is_upper(static_cast<unsigned char>(letters[i]))) return false;
    const int k = letters[2] - 'A';
    *x = 4 * (letters[1] - 'A') + k / 4;
    *y = 4 * (letters[0] - 'A') + k % 4;
    return true;
}

namespace {

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

// Traces COUNT values of VALUE stored from column X of row Y on, the first
// being value number FIRST of the message.
void trace_values(bool repeat, int x, int y, int first, int count, int value) {
    for (int i = 0; i < count; ++i)
        MESS_print(RCM_TRACE_ECHO, "%s: %d %d %d = %d\n", repeat ? "ECHO-REP" : "ECHO", x + i, y,
                   first + i, value);
}

int groups_plain(const unsigned char *s, int n, RCM_report *r) {
    const bool trace = MESS_check(RCM_TRACE_ECHO) != 0;
    int pos = 0, values = 0;
    while (pos < n && byte_class[s[pos]] >= UPPER && values < RCM_MAX_VALUES) {
        if (n - pos < 3) break; // no room for the position letters
        int x = 0, y = 0;
        const bool placed = rcm_grid_position(reinterpret_cast<const char *>(s + pos), &x, &y);
        pos += 3;
        int last = -1;
        for (; pos < n; ++pos) {
            const unsigned char c = s[pos], k = byte_class[c];
            if (k == OTHER) break;
            if (k == DIGIT) last = c - '0';
            const int count = k == DIGIT ? 1 : k >= UPPER && last >= 0 ? c - 'A' + 1 : 0;
            if (trace) trace_values(k != DIGIT, x, y, values + 1, count, last);
            if (placed)
                for (int i = x, stop = std::min(x + count, RCM_GRID); i < stop; ++i)
                    r->echo[i][y] = static_cast<signed char>(last);
            x += count;
            values += count;
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
        const bool placed = rcm_grid_position(reinterpret_cast<const char *>(s + pos), &x, &y);
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

// The grid after part A's groups, from column 20 on: two header lines with
// the MDR column letter and the cell letter of each column, then one line per
// row headed by its MDR row letter and cell letter. A cell without value is
// a ".".
void grid_trace(const RCM_report *r) {
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

} // namespace

int rcm_groups_plain(const unsigned char *s, int n, RCM_report *report) {
    return groups_plain(s, n, report);
}

// The vector reader earns its keep on a feed, where part A's groups are most
// of the text (bench/groups_bench.sh).
int rcm_groups_vector(const unsigned char *s, int n, RCM_report *report) {
#ifdef RCM_GROUPS_SIMD
    static const bool vector = __builtin_cpu_supports("sse4.1");
    if (vector) return read_groups_vector(s, n, report);
#endif
    (void)s;
    (void)n;
    (void)report;
    return -1;
}

int rcm_read_groups(const unsigned char *s, int n, RCM_report *report) {
    if (!MESS_check(RCM_TRACE_ECHO)) {
        const int read = rcm_groups_vector(s, n, report);
        if (read >= 0) return read;
    }
    return groups_plain(s, n, report);
}

void rcm_trace_grid(const RCM_report *report) {
    grid_trace(report);
}
