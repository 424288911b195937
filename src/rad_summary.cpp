// rad_summary.cpp - the national summary grid: empty at the start of a
// conversion, filled from the raw summary bulletins of the nominal time, and
// the merge of each RCM site's fine grid into it with the turning of the
// site's feature positions into latitude and longitude.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "maptran.h"
#include "mess.h"
#include "numtext.h"
#include "rad_dec.h"
#include "rad_run.h"
#include "vekstr.h"

int RAD_summary_init(RAD_info *info) {
    if (info) memset(info->summary, RAD_EMPTY, sizeof info->summary);
    return 0;
}

namespace {

constexpr int SUM_MAX_ROWS = 100; // rows read after one "+ row col" line

constexpr int SUM_LINE = 160; // width of a line as the reader takes it

// Reads the next line and cleans it; false at the end of the input.
bool next_clean_line(FILE *ifile, char *line) {
    if (finput_piece(ifile, line, SUM_LINE) < 0) return false;
    clean_line(line);
    return true;
}

// The hour and minute of a summary bulletin heading into HM: the line holds
// "SDUS2" and, from there, the third word's time group DDHHMM gives them.
// False for any other line.
bool heading_time(const char *line, int (&hm)[2]) {
    const char *p = strstr(line, "SDUS2");
    return p && scan_ints(p, "%*s %*s %*2d%2d%2d", hm) == 2;
}

} // namespace

bool summary_heading(const char *line) {
    int hm[2] = {0, 0};
    return heading_time(line, hm);
}

// True for a summary bulletin heading of the nominal time.
bool is_nominal_heading(const char *line) {
    int hm[2] = {0, 0};
    return heading_time(line, hm) && hm[0] == rad_run.hour && hm[1] == rad_run.min;
}

namespace {

// Whether the LENGTH characters at TEXT, cleaned, are a heading of the
// nominal time. With COUNT set, headings of other times are counted.
bool sum_heading_test(const char *text, int length, void *count) {
    char line[SUM_LINE + 1];
    memcpy(line, text, static_cast<size_t>(length));
    line[length] = '\0';
    clean_line(line);
    if (is_nominal_heading(line)) return true;
    if (count && summary_heading(line)) ++rad_run.counts.outside;
    return false;
}

// Every heading holds "SDUS2": the search is for its first four letters.
const char *sum_hint(const char *from, const char *to, const char *, const char *hi, void *) {
    static const byte_range sdus[4] = {{'S', 'S', 0}, {'D', 'D', 0}, {'U', 'U', 0}, {'S', 'S', 0}};
    for (const char *t = from; (t = find_byte_run(t, to, hi, sdus, 4)) < to; ++t)
        if (hi - t < 5 || t[4] == '2') return t;
    return to;
}

// Reads up to the next heading of the nominal time, which goes to LINE
// cleaned; false at the end of the input.
bool next_heading(FILE *ifile, char *line) {
    const int got = rad_run.count_all ? finput_until(ifile, line, SUM_LINE, sum_heading_test,
                                                     &rad_run.counts, nullptr, nullptr)
                                      : finput_until(ifile, line, SUM_LINE, sum_heading_test,
                                                     nullptr, sum_hint, nullptr);
    if (got < 0) return false;
    clean_line(line);
    return true;
}

// Places the digits of one row line: the digit at position j goes to
// x = col + j, y = row. Cells outside the grid are dropped; the sums are
// taken wide, since ROW and COL come from the bulletin. A row is mostly
// blanks and digits in no order, so every position within the grid is
// written, a blank writing back what the cell held: no branch to mispredict.
void place_row(RAD_info *info, const char *line, long long row, long long col) {
    if (row < 0 || row >= RAD_SUM_NY) return;
    const long long n = static_cast<long long>(strlen(line));
    const long long first = std::max(0LL, -col), stop = std::min(n, RAD_SUM_NX - col);
    for (long long j = first; j < stop; ++j) {
        signed char &cell = info->summary[col + j][row];
        const unsigned d = static_cast<unsigned char>(line[j]) - unsigned{'0'};
        cell = d <= 9 ? static_cast<signed char>(d) : cell;
    }
}

} // namespace

// Reads the whole input and fills INFO's summary from the summary bulletins
// of the nominal time. Each "+ row col" line after a matching heading starts
// a section of at most 100 rows, ended early by a line beginning with "+";
// the line that ends a section (the "+" line, or the one after the 100th
// row) is dropped, and the search for the next heading goes on after it.
// A "+" line that does not give both numbers starts a section whose rows are
// read and dropped: there is no place to put them. Every line read is
// consumed, so the reader ends at the end of any input. Returns 0.
int MDR_read_raw_summary(FILE *ifile, RAD_info *info) {
    if (!ifile || !info) return 0;
    char line[SUM_LINE + 1];
    while (next_heading(ifile, line)) {
        ++rad_run.counts.decoded;
        do {
            if (!next_clean_line(ifile, line)) return 0;
        } while (line[0] != '+');
        int at[2] = {0, 0}; // row and column
        bool known = scan_ints(line, "+ %d %d", at) == 2;
        int row = at[0], col = at[1];
        if (col == 1) col = 2;

        if (!next_clean_line(ifile, line)) return 0;
        for (int i = 0; i < SUM_MAX_ROWS && line[0] != '+'; ++i) {
            if (known) place_row(info, line, static_cast<long long>(row) + i + 1, col);
            if (!next_clean_line(ifile, line)) return 0;
        }
    }
    return 0;
}

namespace {

constexpr int RCM_MERGED = 100;    // columns and rows of a site's grid that are merged
constexpr int RCM_SUM_MAX_X = 460; // the summary cells an RCM grid may fill
constexpr int RCM_SUM_MAX_Y = 356;

// The grid box of one MDR grid coordinate, truncated toward zero; false when
// it is no usable coordinate (missing, not a number, far off the grid).
bool rcm_site_box(float g, long *box) {
    if (!(g > -1.0e6f && g < 1.0e6f)) return false;
    *box = static_cast<long>(g);
    return true;
}

// Turns the fine-grid position (X, Y) of a grid whose first cell is summary
// cell (I0, J0) into latitude (X) and longitude (Y) through the current map
// domain. A missing position stays missing.
void rcm_to_latlon(float *x, float *y, long i0, long j0) {
    if (*x == VEK_FMISS || *y == VEK_FMISS) return;
    const float gx = static_cast<float>((*x + i0 + 0.5) / 4.0);
    const float gy = static_cast<float>((*y + j0 + 0.5) / 4.0);
    float mx = VEK_FMISS, my = VEK_FMISS;
    MAP_grid_tran(gx, gy, &mx, &my);
    MAP_untran(mx, my, x, y);
}

// Sixteen cells at a time. Both steps below give the same result when a
// cell is done twice, so a column whose length is not a multiple of 16 ends
// with a block that overlaps the one before. Every block is loaded before
// any is stored: a load of bytes that a store just wrote in part waits for
// that store to reach the cache, which costs more than the work itself.
using Cells16 = signed char __attribute__((vector_size(16)));

Cells16 load16(const signed char *p) {
    Cells16 v;
    memcpy(&v, p, sizeof v);
    return v;
}

void store16(signed char *p, Cells16 v) {
    memcpy(p, &v, sizeof v);
}

// The first 100 values of one column of a site's grid: above 6 becomes 0.
void rcm_clamp(signed char *echo) {
    static_assert(RCM_MERGED == 100);
    constexpr int at[] = {0, 16, 32, 48, 64, 80, RCM_MERGED - 16};
    Cells16 v[std::size(at)];
    for (size_t k = 0; k < std::size(at); ++k) v[k] = load16(echo + at[k]);
    for (size_t k = 0; k < std::size(at); ++k) store16(echo + at[k], v[k] & ~(v[k] > 6));
}

// N summary cells from CELL on take the values from ECHO on where they are
// empty or lower.
void rcm_merge(signed char *cell, const signed char *echo, int n) {
    auto merged = [](Cells16 c, Cells16 e) {
        const Cells16 take = (c == RAD_EMPTY) | (c < e);
        return (e & take) | (c & ~take);
    };
    if (n < 16) {
        for (int j = 0; j < n; ++j) {
            const signed char c = cell[j], e = echo[j];
            cell[j] = c == RAD_EMPTY || c < e ? e : c;
        }
        return;
    }
    const Cells16 last = merged(load16(cell + n - 16), load16(echo + n - 16));
    for (int j = 0; j < n - 16; j += 16)
        store16(cell + j, merged(load16(cell + j), load16(echo + j)));
    store16(cell + n - 16, last);
}

int rcm_used(int count, int cap) {
    return std::clamp(count, 0, cap);
}

} // namespace

// The merge half of RCM_set_summary: the grid's origin, traced, into AT and
// the grid into the summary. False, with nothing done, when the report has
// no usable position.
bool rcm_merge_grid(RAD_info *info, RCM_report *report, RcmOrigin *at) {
    if (!info || !report || report->lat == VEK_FMISS || report->lon == VEK_FMISS) return false;
    float mx = VEK_FMISS, my = VEK_FMISS, gx = VEK_FMISS, gy = VEK_FMISS;
    MAP_tran(report->lat, report->lon, &mx, &my);
    MAP_grid_untran(mx, my, &gx, &gy);
    long bx, by;
    if (!rcm_site_box(gx, &bx) || !rcm_site_box(gy, &by)) return false;
    const long i0 = 4 * (bx - 12), j0 = 4 * (by - 12);
    *at = {i0, j0};
    MESS_print(M_DEBUG, "%5s %9.3f,%9.3f = %d %d\n", report->id, gx, gy, static_cast<int>(i0),
               static_cast<int>(j0));

    if (report->status == 0 && (rad_run.clear_air || report->mode != 2)) {
        const long j_first = std::max(0L, -j0),
                   j_last = std::min(RCM_MERGED - 1L, RCM_SUM_MAX_Y - j0);
        for (long i = 0; i < RCM_MERGED; ++i) {
            rcm_clamp(report->echo[i]);
            const long x = i0 + i;
            if (x < 0 || x > RCM_SUM_MAX_X || j_first > j_last) continue;
            rcm_merge(info->summary[x] + (j0 + j_first), report->echo[i] + j_first,
                      static_cast<int>(j_last - j_first + 1));
        }
    }
    return true;
}

// The other half: the maximum top, storm, signature and mesocyclone
// positions of a grid with origin AT into latitude and longitude.
void rcm_convert_positions(RCM_report *report, RcmOrigin at) {
    if (report->maxt != VEK_MISS) rcm_to_latlon(&report->maxt_x, &report->maxt_y, at.i0, at.j0);
    for (int k = 0; k < rcm_used(report->num_storm, std::size(report->storm)); ++k)
        rcm_to_latlon(&report->storm[k].x, &report->storm[k].y, at.i0, at.j0);
    for (int k = 0; k < rcm_used(report->num_tvs, std::size(report->tvs)); ++k)
        rcm_to_latlon(&report->tvs[k].x, &report->tvs[k].y, at.i0, at.j0);
    for (int k = 0; k < rcm_used(report->num_meso, std::size(report->meso)); ++k)
        rcm_to_latlon(&report->meso[k].x, &report->meso[k].y, at.i0, at.j0);
}

// Merges REPORT's fine grid into INFO's summary and turns its feature
// positions into latitude and longitude. The grid's first cell lies twelve
// MDR boxes before the site's box (from the report's lat and lon on the
// current map domain, the MDR grid) in each direction. Only a normal report
// (status 0), and in clear-air mode only when clear-air reports are wanted,
// is merged: its first 100 columns and rows, values above 6 becoming 0 in the
// report too, each summary cell from 0 to 460 and 0 to 356 taking the value
// when it is empty or lower (compared as signed bytes, so a covered cell
// without value, 255, fills only empty cells). A report without position, or
// whose position is not on the map, changes nothing. Returns 1.
int RCM_set_summary(RAD_info *info, RCM_report *report) {
    RcmOrigin at;
    if (rcm_merge_grid(info, report, &at)) rcm_convert_positions(report, at);
    return 1;
}
