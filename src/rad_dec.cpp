// rad_dec.cpp - the conversion driver: one raw radar bulletin file in, one
// converted radar file out.
//
// State: the kind of run and the nominal time of the bulletins to decode.

#include <cstring>

#include "vek.h"
#include "vekrad.h"

namespace {

int rad_type = 1;
int hour = VEK_MISS;
int min = VEK_MISS;

} // namespace

void RAD_set_nominal(int h, int m) {
    hour = h;
    min = m;
}

int RAD_get_type() {
    return rad_type;
}

// Placeholder until the bulletin decoders and the converted-file writers are
// in place: it reports that no conversion is done and lists the resources
// the conversion would read.
int RAD_decode_file() {
    MESS_print(M_WARN, "RAD_decode_file: placeholder, no conversion is done yet\n");
    MESS_print(M_PRINT, "Resources of this run:\n");
    RES_list();
    return 0;
}

// ---------------------------------------------------------------------------
// Radar summaries: the empty grid and the raw national summary bulletins
// ---------------------------------------------------------------------------

int RAD_summary_init(RAD_info *info) {
    if (info) memset(info->summary, RAD_EMPTY, sizeof info->summary);
    return 0;
}

namespace {

constexpr int SUM_MAX_ROWS = 100; // rows read after one "+ row col" line

// Reads the next line and cleans it; false at the end of the input.
bool next_clean_line(FILE *ifile, char *line) {
    if (fgetline(ifile, line) < 0) return false;
    clean_line(line);
    return true;
}

// True for a summary bulletin heading of the nominal time: the line holds
// "SDUS2" and, from there, the third word's time group DDHHMM gives the
// nominal hour and minute.
bool is_nominal_heading(const char *line) {
    const char *p = strstr(line, "SDUS2");
    int h = 0, m = 0;
    return p && sscanf(p, "%*s %*s %*2d%2d%2d", &h, &m) == 2 && h == hour && m == min;
}

// Places the digits of one row line: the digit at position j goes to
// x = col + j, y = row. Cells outside the grid are dropped; the sums are
// taken wide, since ROW and COL come from the bulletin.
void place_row(RAD_info *info, const char *line, long long row, long long col) {
    if (row < 0 || row >= RAD_SUM_NY) return;
    for (long long j = 0; line[j]; ++j) {
        if (line[j] < '0' || line[j] > '9') continue;
        long long x = col + j;
        if (x >= 0 && x < RAD_SUM_NX)
            info->summary[x][row] = static_cast<signed char>(line[j] - '0');
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
    char line[161];
    while (next_clean_line(ifile, line)) {
        if (!is_nominal_heading(line)) continue;

        do {
            if (!next_clean_line(ifile, line)) return 0;
        } while (line[0] != '+');
        int row = 0, col = 0;
        bool known = sscanf(line, "+ %d %d", &row, &col) == 2;
        if (col == 1) col = 2;

        if (!next_clean_line(ifile, line)) return 0;
        for (int i = 0; i < SUM_MAX_ROWS && line[0] != '+'; ++i) {
            if (known) place_row(info, line, static_cast<long long>(row) + i + 1, col);
            if (!next_clean_line(ifile, line)) return 0;
        }
    }
    return 0;
}

void rad_dec_reset_state() {
    rad_type = 1;
    hour = VEK_MISS;
    min = VEK_MISS;
}
