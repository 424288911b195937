// rad_dec.cpp - the conversion driver: one raw radar bulletin file in, one
// converted radar file out; the run parameters and the choice of the output
// file.
//
// State: the kind of run, the nominal time of the bulletins to decode, the
// clear-air option, the converted-file type, the run's header with its
// summary grid, and the counts of reports written.

#include <cstring>

#include <cstring>

#include "vek.h"
#include "vekrad.h"

namespace {

int rad_type = 1;
int hour = VEK_MISS;
int min = VEK_MISS;
int clear_air = 1;
int file_type = 3;
RAD_info info;
int mdr_stat_num = 0;
int rcm_stat_num = 0;

} // namespace

void RAD_set_nominal(int h, int m) {
    hour = h;
    min = m;
}

int RAD_get_type() {
    return rad_type;
}

int RAD_get_clear_air() {
    return clear_air;
}

int RAD_get_file_type() {
    return file_type;
}

namespace {

// Selects a name convention by key; FILE_set_name cuts keys off its text, so
// it gets a copy.
void select_convention(const char *key) {
    char type[FILE_NAME_LEN];
    vek_copy(type, key);
    FILE_set_name(type);
}

// Applies FUNC to every word of a list resource, in order.
template <class Func>
void for_each_word(const char *resource, Func func) {
    int n = 0;
    char **words = nullptr;
    RES_getvals(resource, &n, &words);
    for (int i = 0; i < n; ++i) func(words[i]);
    free_parsed_array(n, words);
}

// The report-time window of a "range" word: the text from its seventh
// character on, "before:after" in minutes.
void apply_range(const char *word) {
    int before = -15, after = 15;
    if (strlen(word) > 6) sscanf(word + 6, "%d:%d", &before, &after);
    DATE_set_range(before, after);
}

// The output form of an "out_file" word: a form word, an optional separator
// and a convention key.
void apply_out_file(const char *word) {
    struct Form {
        const char *prefix;
        const char *key;
        int type;
    };
    static const Form forms[] = {{"vek3", "rad_cvt_vek", 2},
                                 {"vek", "rad_cvt_vek", 3},
                                 {"cdf1", "rad_cvt_cdf", 21},
                                 {"cdf", "rad_cvt_cdf", 12}};
    size_t len = strlen(word);
    for (const Form &f : forms) {
        size_t n = strlen(f.prefix);
        if (strnicmp(word, f.prefix, static_cast<int>(n)) != 0) continue;
        select_convention(len > n ? word + n + 1 : f.key);
        file_type = f.type;
        return;
    }
    select_convention(word);
}

int mdr_enter(const CTY_data *station, void *block) {
    return MDR_enter_func(station, static_cast<MDR_report *>(block));
}

// The polar stereographic MDR grid; only stations on it are kept.
void mdr_domain(Domain *domain) {
    DOM_init(domain);
    domain->proj = 1;
    domain->plat = 90.0f;
    domain->plon = -105.0f;
    domain->clat = 39.578445f;
    domain->clon = -97.42146f;
    domain->dx = 0.47625f;
    domain->dy = 0.47625f;
    domain->nx = 114;
    domain->ny = 90;
}

void decode_mdr(FILE *ifile) {
    char data_str[500];
    char id[11];
    while (!feof(ifile)) {
        if (MDR_read_raw(ifile, data_str, id) == 0) break;
        MDR_report *report = static_cast<MDR_report *>(CTY_get_data(id));
        if (MDR_decode(data_str, &info, report) == -1)
            MESS_print(0x400000, "Station not in database: %s\n", id);
    }
}

} // namespace

int RAD_parameter() {
    select_convention("rad_dat");
    for_each_word("input", [](const char *w) {
        if (!stricmp(w, "raw")) {
            rad_type = 0;
        } else if (!stricmp(w, "mdr")) {
            rad_type = 1;
        } else if (!stricmp(w, "rcm")) {
            rad_type = 2;
            select_convention("rcm_dat");
        }
    });
    const char *in_file = RES_get("in_file");
    if (in_file && *in_file) select_convention(in_file);
    for_each_word("parameter", [](const char *w) {
        if (!stricmp(w, "raw_sum"))
            rad_type = 0;
        else if (!stricmp(w, "noclar"))
            clear_air = 0;
        else if (!strnicmp(w, "range", 5))
            apply_range(w);
    });
    return 0;
}

int RAD_set_out_file(Date *date) {
    file_type = 3;
    select_convention(rad_type == 2 ? "rcm_cvt" : "rad_cvt");
    for_each_word("output", [](const char *w) {
        if (!stricmp(w, "vek")) {
            select_convention("rad_cvt_vek");
            file_type = 3;
        } else if (!stricmp(w, "vek3")) {
            select_convention("rad_cvt_vek");
            file_type = 2;
        } else if (!stricmp(w, "cdf")) {
            select_convention("rad_cvt_cdf");
            file_type = 12;
        } else if (!stricmp(w, "cdf1")) {
            select_convention("rad_cvt_cdf");
            file_type = 21;
        }
    });
    for_each_word("out_file", apply_out_file);
    FLAG_set(17, file_type);

    char name[FILE_NAME_LEN] = "";
    FILE_set_date(date, name);
    if (FILE_overwrite(name, 1) != 1) {
        MESS_print(M_WARN, "RAD_set_out_file: Unable to overwrite converted data file\n");
        VEK_exit(0);
    }
    int fd = RAD_open(name, 1, &file_type);
    MESS_print(M_MESS, "Creating output file: %s\n", name);
    if (fd == -1) {
        MESS_print(M_ERROR, "RAD_set_out_file: Unable to open converted file: %s\n", name);
        VEK_exit(12);
    }
    return fd;
}

int MDR_save_report(int cvt_fd, MDR_report *report) {
    if (!report || strcmp(report->config, "NR") == 0) return 0;
    MDR_write(cvt_fd, report, 1, &mdr_stat_num);
    ++mdr_stat_num;
    return 1;
}

int RCM_save_report(int cvt_fd, RCM_report *report) {
    if (!report || report->status == VEK_MISS || report->num == 99999) return 0;
    RCM_write(cvt_fd, report, 1, &rcm_stat_num);
    ++rcm_stat_num;
    return 1;
}

// One conversion: parameters, input, nominal time, output, station records,
// decoding, header, reports in station-file order. The input stream is left
// open; the process ends soon after.
int RAD_decode_file() {
    DATE_set_range(-15, 15);
    RAD_parameter();

    char filename[FILE_NAME_LEN] = "";
    FILE_get_file("Enter the radar filename: ", filename);
    FILE *ifile = FILE_open(filename, "r");
    if (!ifile) {
        MESS_print(M_ERROR, "RAD_decode_file: Unable to open file:%s\n", filename);
        VEK_exit(10);
    }

    Date file_date;
    FILE_get_date(&file_date);
    if (rad_type == 1)
        min = 30;
    else if (rad_type == 2)
        min = file_date.min > 29 ? 45 : 15;
    else
        min = 15;
    file_date.min = min;
    info.date = file_date;
    hour = file_date.hour;
    DATE_make_label(&file_date, info.datim);
    MESS_print(M_MESS, "%s\n", info.datim);

    int cvt_fd = RAD_set_out_file(&file_date);
    DATE_set_datim(&file_date);
    RAD_summary_init(&info);
    Domain domain;
    mdr_domain(&domain);

    switch (rad_type) {
    case 0:
        info.type = 0;
        MDR_read_raw_summary(ifile, &info);
        break;
    case 1:
        CTY_data_size(sizeof(MDR_report));
        CTY_enter_func(mdr_enter);
        CTY_store("rad.cty", 2, &domain, 10);
        CTY_clear_data(1);
        info.type = 1;
        decode_mdr(ifile);
        break;
    default:
        // Radar Coded Messages are not decoded yet: the run writes the header
        // with an empty RCM summary and no reports.
        info.type = 2;
        break;
    }

    RAD_putinfo(cvt_fd, &info);
    if (rad_type == 1) {
        for (int n = 0;; ++n) {
            MDR_report *mdr_ptr = static_cast<MDR_report *>(CTY_next_data(n));
            if (!mdr_ptr) break;
            MDR_save_report(cvt_fd, mdr_ptr);
        }
    }
    RAD_close(cvt_fd);
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
    clear_air = 1;
    file_type = 3;
    mdr_stat_num = 0;
    rcm_stat_num = 0;
}
