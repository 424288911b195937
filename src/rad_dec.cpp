// rad_dec.cpp - the conversion driver: raw radar bulletin files in, each
// converted on its own into one converted radar file, with a line that says
// what each conversion decoded; the run parameters and the choice of the output
// file; the summary grid, the raw summary bulletins and the merging of each
// RCM site's fine grid; and the MDR reports: finding the reports of the
// nominal time in a bulletin stream, the empty record of each MDR station,
// decoding a report into its record and placing its echo digits on the
// summary grid.
//
// State: the kind of run, the nominal time of the bulletins to decode, the
// clear-air option, the converted-file type, the run's header with its
// summary grid, the RCM report being decoded, the counts of reports written
// and of reports decoded and passed over. A run of several files brings the
// modules a conversion uses back to their start before each. The bulletin
// readers take their input through the block input of the line utilities.

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "cty_tool.h"
#include "date.h"
#include "files.h"
#include "flag.h"
#include "maptran.h"
#include "mess.h"
#include "numtext.h"
#include "rad_dec.h"
#include "rad_read.h"
#include "rcm_read.h"
#include "resrc.h"
#include "scanp.h"
#include "system.h"
#include "vekstr.h"

namespace {

int rad_type = 1;
int hour = VEK_MISS;
int min = VEK_MISS;
int clear_air = 1;
int file_type = 3;
char out_name[FILE_NAME_LEN] = ""; // the converted file being written
RAD_info info;
RCM_report rcm_report;

// The summary cell of the first cell of a site's grid.
struct RcmOrigin {
    long i0, j0;
};
bool rcm_merge_grid(RAD_info *info, RCM_report *report, RcmOrigin *at);
void rcm_convert_positions(RCM_report *report, RcmOrigin at);
int mdr_stat_num = 0;
int rcm_stat_num = 0;

// What one conversion met, for the line that ends it and the warning when it
// decoded nothing.
struct RunCounts {
    long decoded = 0;  // reports (summary bulletins) decoded
    long stations = 0; // the stations (RCM sites) among them
    long unknown = 0;  // reports of stations the store does not hold
    long outside = 0;  // reports outside the window, when every head is looked at
};
RunCounts counts;
// Every report head is looked at, not only those of the nominal time.
bool count_all = false;

// Statuses of a conversion: its exit statuses, and one for an existing output
// that is kept (which ends a run with 0).
constexpr int STATUS_NO_INPUT = 10;
constexpr int STATUS_NO_OUTPUT = 12;
constexpr int STATUS_KEPT = -1;

constexpr int MDR_MINUTES = 10; // an MDR report lies this near the nominal minute

// The report heads and bulletin headings, of any time and of the nominal one.
bool mdr_starts_report(const char *line, int len, char *id);
bool mdr_any_head(const char *line, int len);
bool summary_heading(const char *line);
bool is_nominal_heading(const char *line);

} // namespace

const res_type RAD_res_key[] = {
    RES_help,      RES_batch,      RES_message,     RES_file_path,  RES_data_path,
    RES_con_path,  RES_grid_path,  RES_raw_path,    RES_image_path, RES_watch_path,
    RES_text_path, RES_model_path, RES_sat_path,    RES_input,      RES_output,
    RES_name_conv, RES_in_file,    RES_out_file,    RES_file_param, RES_current,
    RES_hour,      RES_num_hour,   RES_decode_hour, RES_parameter,  RES_null,
};

const res_type RAD_res_pos[] = {RES_filenames, RES_null};

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

// The polar stereographic MDR grid; only stations on it are kept, and RCM
// grids are merged on it.
void RAD_mdr_domain(Domain *domain) {
    if (domain) *domain = RAD_MDR_GRID;
}

namespace {

// Selects a name convention by key; FILE_set_name cuts keys off its text, so
// it gets a copy (whole: a template too long is refused when a name is made
// under it). Returns 1 when the convention file has the key (or the key is a
// template of its own), 0 when the key itself is the template.
int select_convention(const char *key) {
    std::string type = key;
    return FILE_set_name(type.data());
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

// The words of a list resource that it does not know, quoted and joined for
// a warning.
struct UnknownWords {
    std::string text;
    void add(const char *word) {
        text += (text.empty() ? "\"" : ", \"") + std::string(word) + "\"";
    }
};

// A "range" word gives its window from its seventh character on: nothing
// (both defaults), or "before" or "before:after" in minutes.
bool range_form_ok(const char *word) {
    if (strlen(word) <= 6) return true;
    int window[2] = {0, 0};
    const char *end = nullptr;
    return scan_ints(word + 6, "%d:%d", window, &end) >= 1 && *end == '\0';
}

// The report-time window of a "range" word: the text from its seventh
// character on, "before:after" in minutes.
void apply_range(const char *word) {
    int window[2] = {-15, 15};
    if (strlen(word) > 6) scan_ints(word + 6, "%d:%d", window);
    DATE_set_range(window[0], window[1]);
    if (!range_form_ok(word))
        MESS_warn_once("RAD_parameter: parameter \"%s\" is not range=before:after (minutes): the "
                       "window %d:%d is used\n",
                       word, window[0], window[1]);
}

// What the kind of input chosen reads, for warnings.
const char *kind_text() {
    switch (rad_type) {
    case 0:
        return "radar summary bulletins are read";
    case 2:
        return "Radar Coded Messages are read";
    default:
        return "MDR reports are read";
    }
}

// What the converted-file type chosen writes, for warnings.
const char *form_text() {
    switch (file_type) {
    case 2:
        return "the text form without its VEKRAD line (vek3) is written";
    case 11:
        return "netCDF with one record a station (cdf1) is written";
    case 12:
        return "netCDF (cdf) is written";
    default:
        return "the text form (vek) is written";
    }
}

// Selects a convention named by the user in "out_file"; one that the
// convention file does not have becomes the template itself. That is named
// when the key looks like the name of a convention, not like a template or
// a file name (with "/", "%" or ".", or standard output).
void select_named_convention(const char *word, const char *key) {
    if (select_convention(key) || stricmp(key, "none") == 0 || FILE_is_stdio(key) ||
        strpbrk(key, "/%."))
        return;
    MESS_warn_once("RAD_set_out_file: out_file \"%s\": no convention \"%s\" in the name "
                   "convention file: \"%s\" is the template of the file name\n",
                   word, key, key);
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
                                 {"cdf1", "rad_cvt_cdf", 11},
                                 {"cdf", "rad_cvt_cdf", 12}};
    size_t len = strlen(word);
    for (const Form &f : forms) {
        size_t n = strlen(f.prefix);
        if (strnicmp(word, f.prefix, static_cast<int>(n)) != 0) continue;
        select_named_convention(word, len > n ? word + n + 1 : f.key);
        file_type = f.type;
        return;
    }
    select_named_convention(word, word);
}

// The form and convention words of "output" and "out_file", in this order.
void choose_output_form() {
    file_type = 3;
    select_convention(rad_type == 2 ? "rcm_cvt" : "rad_cvt");
    UnknownWords unknown;
    for_each_word("output", [&unknown](const char *w) {
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
            file_type = 11;
        } else {
            unknown.add(w);
        }
    });
    for_each_word("out_file", apply_out_file);
    if (!unknown.text.empty())
        MESS_warn_once("RAD_set_out_file: output %s is not vek, vek3, cdf or cdf1: %s\n",
                       unknown.text.c_str(), form_text());
    FLAG_set(FLAG_OUT_TYPE, file_type);
}

int mdr_enter(const CTY_data *station, void *block) {
    return MDR_enter_func(station, static_cast<MDR_report *>(block));
}

int rcm_enter(const CTY_data *station, void *block) {
    return RCM_enter_func(station, static_cast<RCM_report *>(block));
}

// The RCM loop: every site's message whose time lies in the report-time
// window, of a site the store holds, is merged into the summary and replaces
// what the site's record held; the database position wins over the one in
// the message. A message without time (end of input, no part A) lies outside
// every window.
void decode_rcm(FILE *ifile) {
    std::unordered_map<RCM_report *, RcmOrigin> unconverted; // kept records and their origins
    std::unordered_set<const RCM_report *> sites;            // the sites decoded
    // The reader takes the stream in blocks: its own end of input ends the
    // loop, not the stream's end-of-file mark.
    for (;;) {
        const int got = RCM_read_site(ifile, &rcm_report);
        RCM_print(M_OUT3, &rcm_report);
        if (got < 0) break; // end of input, or a read error
        const long long hhmm = 100LL * rcm_report.date.hour + rcm_report.date.min;
        const int rtime = clamp_int(hhmm);
        if (DATE_chk_range(rtime) == 0) {
            if (rcm_report.date.hour != VEK_MISS) ++counts.outside;
            continue;
        }
        RCM_report *rcm_ptr = static_cast<RCM_report *>(CTY_get_data(rcm_report.id));
        if (!rcm_ptr) {
            ++counts.unknown;
            continue;
        }
        MESS_print(M_DEBUG, "%5s %4d %9.3f,%9.3f %9.3f,%9.3f %9.3f,%9.3f\n", rcm_report.id, rtime,
                   rcm_report.lat, rcm_report.lon, rcm_ptr->lat, rcm_ptr->lon,
                   rcm_report.lat - rcm_ptr->lat, rcm_report.lon - rcm_ptr->lon);
        rcm_report.lat = rcm_ptr->lat;
        rcm_report.lon = rcm_ptr->lon;
        // RCM_set_summary in two halves: the grid now, the positions once
        // the site's last report is known (a feed may bring a site's report
        // many times, and only the last is kept).
        RcmOrigin at;
        if (rcm_merge_grid(&info, &rcm_report, &at))
            unconverted[rcm_ptr] = at;
        else
            unconverted.erase(rcm_ptr);
        *rcm_ptr = rcm_report;
        ++counts.decoded;
        sites.insert(rcm_ptr);
    }
    for (auto [record, at] : unconverted) rcm_convert_positions(record, at);
    counts.stations = static_cast<long>(sites.size());
}

void decode_mdr(FILE *ifile) {
    char data_str[500];
    char id[11];
    std::unordered_set<const MDR_report *> stations; // the stations decoded
    // The reader takes the stream in blocks, so the stream's own end-of-file
    // mark says nothing about the reports left: the loop ends on the reader's
    // end of input.
    while (MDR_read_raw(ifile, data_str, id) != 0) {
        MDR_report *report = static_cast<MDR_report *>(CTY_get_data(id));
        if (MDR_decode(data_str, &info, report) == -1) {
            MESS_print(0x400000, "Station not in database: %s\n", id);
            ++counts.unknown;
        } else {
            ++counts.decoded;
            stations.insert(report);
        }
    }
    counts.stations = static_cast<long>(stations.size());
}

} // namespace

int RAD_parameter() {
    select_convention("rad_dat");
    UnknownWords unknown_input, unknown_param;
    for_each_word("input", [&unknown_input](const char *w) {
        if (!stricmp(w, "raw")) {
            rad_type = 0;
        } else if (!stricmp(w, "mdr")) {
            rad_type = 1;
        } else if (!stricmp(w, "rcm")) {
            rad_type = 2;
            select_convention("rcm_dat");
        } else {
            unknown_input.add(w);
        }
    });
    const char *in_file = RES_get("in_file");
    if (in_file && *in_file) select_convention(in_file);
    for_each_word("parameter", [&unknown_param](const char *w) {
        if (!stricmp(w, "raw_sum"))
            rad_type = 0;
        else if (!stricmp(w, "noclar"))
            clear_air = 0;
        else if (!strnicmp(w, "range", 5))
            apply_range(w);
        else
            unknown_param.add(w);
    });
    if (!unknown_input.text.empty())
        MESS_warn_once("RAD_parameter: input %s is not mdr, rcm or raw: %s\n",
                       unknown_input.text.c_str(), kind_text());
    if (!unknown_param.text.empty())
        MESS_warn_once("RAD_parameter: parameter %s is not raw_sum, noclar or range=before:after: "
                       "ignored\n",
                       unknown_param.text.c_str());
    return 0;
}

namespace {

// Chooses the form and the name of the converted file for the run date DATE,
// creates it (under a temporary name) and puts its descriptor in *FD.
// Returns 0, STATUS_KEPT when an existing file is not to be replaced, or
// STATUS_NO_OUTPUT when it cannot be named or created; each is reported.
int open_output(Date *date, int *fd) {
    choose_output_form();
    char name[FILE_NAME_LEN] = "";
    if (FILE_set_date(date, name) < 0) {
        MESS_print(M_ERROR, "RAD_set_out_file: Unable to name converted file: %s\n",
                   strerror(errno));
        return STATUS_NO_OUTPUT;
    }
    // A device or FIFO holds no file to keep: it is written in place. A
    // directory can never be replaced: opening it fails below.
    if (!FILE_is_special(name) && !FILE_is_dir(name) && FILE_overwrite(name, 1) != 1) {
        MESS_print(M_WARN,
                   "RAD_set_out_file: Unable to overwrite converted data file: %s exists "
                   "and is kept\n",
                   name);
        return STATUS_KEPT;
    }
    // The file is written under a temporary name and takes its own name only
    // when it is whole (finish_output).
    char temp[FILE_NAME_LEN];
    *fd = -1;
    int err = FILE_stage_output(name, temp, sizeof temp) < 0 ? errno : 0;
    if (!err) {
        errno = 0;
        *fd = RAD_open(temp, 1, &file_type);
        err = errno;
    }
    MESS_print(M_MESS, "Creating output file: %s\n", name);
    if (*fd == -1) {
        FILE_discard_output();
        const char *why = RAD_write_error(); // what the netCDF layer refused
        MESS_print(M_ERROR, "RAD_set_out_file: Unable to open converted file: %s: %s\n", name,
                   why   ? why
                   : err ? strerror(err)
                         : "no writer for this file type");
        return STATUS_NO_OUTPUT;
    }
    vek_copy(out_name, name);
    return 0;
}

} // namespace

// Ends the process when the file is not created: with 0 when an existing one
// is kept, with 12 when it cannot be.
int RAD_set_out_file(Date *date) {
    int fd = -1;
    const int status = open_output(date, &fd);
    if (status == STATUS_KEPT) VEK_exit(0);
    if (status != 0) VEK_exit(status);
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

namespace {

// True when DATE gives the year, month, day and hour: the nominal time of a
// run is taken from it.
bool names_hour(const Date &date) {
    return date.year >= 0 && date.month >= 0 && date.day >= 0 && date.hour >= 0;
}

// Closes the converted file and gives it its name. A file that could not be
// written whole is removed: STATUS_NO_OUTPUT, reported.
int finish_output(int cvt_fd) {
    if (RAD_close(cvt_fd) != 0) {
        FILE_discard_output();
        const char *why = RAD_write_error();
        MESS_print(M_ERROR, "RAD_decode_file: Unable to write converted file %s: %s\n", out_name,
                   why ? why : "not open");
        return STATUS_NO_OUTPUT;
    }
    if (FILE_commit_output() != 0) {
        const int err = errno;
        FILE_discard_output();
        MESS_print(M_ERROR, "RAD_decode_file: Unable to put converted file in place: %s: %s\n",
                   out_name, strerror(err));
        return STATUS_NO_OUTPUT;
    }
    return 0;
}

// The input stream of one conversion, closed when the conversion ends
// however it ends.
struct Input {
    FILE *stream = nullptr;
    char name[FILE_NAME_LEN] = "";
    Input() = default;
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;
    ~Input() {
        if (stream) FILE_close(stream);
    }
};

// Finds and opens the input: the name TYPED, or (null) the name the
// resources, batch mode or the user give. STATUS_NO_INPUT, reported, when it
// cannot be opened or is a directory.
int open_input(const char *typed, Input &in) {
    if (!typed)
        FILE_get_file("Enter the radar filename: ", in.name);
    else if (FILE_get_named(typed, in.name) < 0)
        return STATUS_NO_INPUT; // refused with its reason
    errno = 0;
    in.stream = FILE_open(in.name, "r");
    if (!in.stream) {
        MESS_print(M_ERROR, "RAD_decode_file: Unable to open file:%s: %s\n", in.name,
                   strerror(errno ? errno : ENOENT));
        return STATUS_NO_INPUT;
    }
    struct stat st;
    if (fstat(fileno(in.stream), &st) == 0 && S_ISDIR(st.st_mode)) {
        MESS_print(M_ERROR, "RAD_decode_file: Unable to read file:%s: %s\n", in.name,
                   strerror(EISDIR));
        return STATUS_NO_INPUT;
    }
    // Every report head is looked at when the end-of-run line shows the
    // counts, and when the input cannot be read again to tell why nothing
    // was decoded; otherwise the readers pass over other times unseen.
    count_all = MESS_check(M_MESS) || fstat(fileno(in.stream), &st) != 0 || !S_ISREG(st.st_mode);
    return 0;
}

// The date of the input from its name, and the nominal time of its
// bulletins. STATUS_NO_INPUT, reported, when the name gives no hour.
int fix_nominal_time(const Input &in, Date *file_date) {
    FILE_get_date(file_date);
    if (!names_hour(*file_date)) {
        MESS_print(M_ERROR,
                   "RAD_decode_file: The name %s gives no date and hour: give them after it, "
                   "as in %s#2024061512 (year, month, day, hour)\n",
                   in.name, FILE_is_stdio(in.name) ? "-" : in.name);
        return STATUS_NO_INPUT;
    }
    if (rad_type == 1)
        min = 30;
    else if (rad_type == 2)
        min = file_date->min > 29 ? 45 : 15;
    else
        min = 15;
    file_date->min = min;
    info.date = *file_date;
    hour = file_date->hour;
    DATE_make_label(file_date, info.datim);
    MESS_print(M_MESS, "%s\n", info.datim);
    return 0;
}

// Builds the station records of the kind of run and decodes the input into
// them and the summary.
void decode_input(FILE *ifile) {
    Domain domain;
    RAD_mdr_domain(&domain);
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
        CTY_data_size(sizeof(RCM_report));
        CTY_enter_func(rcm_enter);
        CTY_store("rad.cty", 2, &domain, 10);
        CTY_clear_data(1);
        info.type = 2;
        decode_rcm(ifile);
        break;
    }
}

// Writes the header, the summary and the kept reports in station-file order,
// and puts the file in place. STATUS_NO_INPUT when the input could not be
// read to its end, STATUS_NO_OUTPUT when the file could not be written;
// either leaves no file and is reported.
int write_output(int cvt_fd, const Input &in) {
    if (ferror(in.stream)) { // never taken for the end of the input
        const int err = errno ? errno : EIO;
        RAD_close(cvt_fd);
        FILE_discard_output();
        MESS_print(M_ERROR, "RAD_decode_file: Unable to read file:%s: %s\n", in.name,
                   strerror(err));
        return STATUS_NO_INPUT;
    }
    RAD_putinfo(cvt_fd, &info);
    for (int n = 0; rad_type == 1 || rad_type == 2; ++n) {
        void *ptr = CTY_next_data(n);
        if (!ptr) break;
        if (rad_type == 1)
            MDR_save_report(cvt_fd, static_cast<MDR_report *>(ptr));
        else
            RCM_save_report(cvt_fd, static_cast<RCM_report *>(ptr));
    }
    return finish_output(cvt_fd);
}

// What an input holds, whatever its time: the report heads of each kind of
// bulletin, and those of the nominal time of the kind read.
struct InputSigns {
    long mdr = 0, mdr_nominal = 0;         // MDR report heads
    long summary = 0, summary_nominal = 0; // summary bulletin headings
    long rcm = 0;                          // Radar Coded Message parts A and id lines
};

// True for the id line of a Radar Coded Message ("RCM" and the site's three
// letters) and for a text holding its part A.
bool rcm_sign(const char *line) {
    if (strstr(line, "/NEXRAA")) return true;
    char word[8] = "";
    int n = 0;
    while (n < 7 && line[n] && line[n] != ' ' && line[n] != '\r') {
        word[n] = line[n];
        ++n;
    }
    word[n] = '\0';
    return n == 6 && strncmp(word, "RCM", 3) == 0 && isupper(static_cast<unsigned char>(word[3]));
}

// Reads the input again from its start and looks at every line. False when
// it cannot be read again (a pipe, a terminal).
bool read_signs(FILE *ifile, InputSigns *signs) {
    finput_forget(ifile);
    clearerr(ifile);
    if (fseek(ifile, 0, SEEK_SET) != 0) return false;
    char line[FINPUT_MAX_WIDTH + 1];
    char id[6];
    while (finput_piece(ifile, line, FINPUT_MAX_WIDTH) >= 0) {
        const int len = static_cast<int>(strlen(line));
        if (mdr_any_head(line, len)) {
            ++signs->mdr;
            if (mdr_starts_report(line, len, id)) ++signs->mdr_nominal;
        }
        if (rcm_sign(line)) ++signs->rcm;
        clean_line(line);
        if (summary_heading(line)) {
            ++signs->summary;
            if (is_nominal_heading(line)) ++signs->summary_nominal;
        }
    }
    return true;
}

// The window of the reports decoded: "HH:MM-HH:MM UTC" (MDR: the nominal
// minute +-10; RCM: the decoding window), "HH:MM UTC" for summaries.
void window_text(char *out, size_t cap) {
    if (rad_type == 0) {
        snprintf(out, cap, "%02d:%02d UTC", hour, min);
    } else if (rad_type == 1) {
        snprintf(out, cap, "%02d:%02d-%02d:%02d UTC", hour, min - MDR_MINUTES, hour,
                 min + MDR_MINUTES);
    } else {
        long first = 0, last = 0;
        DATE_get_window(&first, &last);
        if (first > last) {
            snprintf(out, cap, "an empty window");
            return;
        }
        Date a, b;
        DATE_get_gmdate(&first, &a);
        DATE_get_gmdate(&last, &b);
        snprintf(out, cap, "%02d:%02d-%02d:%02d UTC", a.hour, a.min, b.hour, b.min);
    }
}

// Why a conversion of the input IFILE decoded no report, into WHY (CAP
// bytes): its reports lie outside WINDOW or are of stations not in the
// station file, it looks like another kind of bulletin, or it holds none.
void no_report_reason(FILE *ifile, const char *window, char *why, size_t cap) {
    InputSigns signs;
    const bool read = read_signs(ifile, &signs);
    long outside = counts.outside;
    if (read && rad_type == 1) outside = signs.mdr - signs.mdr_nominal;
    if (read && rad_type == 0) outside = signs.summary - signs.summary_nominal;
    const long unknown = counts.unknown;
    if (outside > 0 && unknown == 0)
        snprintf(why, cap, "every report lies outside %s (%ld reports)", window, outside);
    else if (unknown > 0 && outside == 0)
        snprintf(why, cap, "every report is of a station not in the station file (%ld reports)",
                 unknown);
    else if (unknown > 0)
        snprintf(why, cap,
                 "%ld reports lie outside %s and %ld are of stations not in the station file",
                 outside, window, unknown);
    else if (rad_type != 2 && signs.rcm > 0)
        snprintf(why, cap, "it looks like Radar Coded Messages: use -in rcm");
    else if (rad_type != 1 && signs.mdr > 0)
        snprintf(why, cap, "it looks like MDR reports: use -in mdr");
    else if (rad_type != 0 && signs.summary > 0)
        snprintf(why, cap, "it looks like radar summary bulletins: use -in raw");
    else if (read)
        snprintf(why, cap, "it holds no bulletin");
    else
        snprintf(why, cap, "it holds no %s",
                 rad_type == 0   ? "summary bulletin"
                 : rad_type == 1 ? "MDR report"
                                 : "Radar Coded Message");
}

// The line that ends the conversion of INPUT (read from IFILE): what was
// decoded and passed over, and the file written; and, when nothing was
// decoded, the warning that says the likely reason.
void report_run(const char *input, FILE *ifile) {
    char window[48];
    window_text(window, sizeof window);
    if (rad_type == 0)
        MESS_print(M_MESS, "%s: %ld summary bulletins decoded, %ld outside %s -> %s\n", input,
                   counts.decoded, counts.outside, window, out_name);
    else
        MESS_print(
            M_MESS, "%s: %ld reports of %ld %s decoded, %ld of unknown %s, %ld outside %s -> %s\n",
            input, counts.decoded, counts.stations, rad_type == 1 ? "stations" : "sites",
            counts.unknown, rad_type == 1 ? "stations" : "sites", counts.outside, window, out_name);
    if (counts.decoded > 0) return;
    char why[160];
    no_report_reason(ifile, window, why, sizeof why);
    MESS_print(M_WARN, "RAD_decode_file: No report decoded from %s: %s\n", input, why);
}

// One conversion of the input TYPED (null: the one the resources, batch mode
// or the user give): parameters, input, nominal time, output, station
// records, decoding, header, reports in station-file order. Returns 0 when
// the file was converted, STATUS_KEPT when its output exists and is kept,
// STATUS_NO_INPUT when the input cannot be opened, read or dated,
// STATUS_NO_OUTPUT when the output cannot be named or written; a failed
// conversion leaves no file under the output name.
int convert(const char *typed) {
    DATE_set_range(-15, 15);
    RAD_parameter();
    Input in;
    Date file_date;
    int status = open_input(typed, in);
    if (status == 0) status = fix_nominal_time(in, &file_date);
    if (status != 0) return status;
    int cvt_fd = -1;
    if ((status = open_output(&file_date, &cvt_fd)) != 0) return status;
    DATE_set_datim(&file_date);
    RAD_summary_init(&info);
    decode_input(in.stream);
    if ((status = write_output(cvt_fd, in)) != 0) return status;
    report_run(in.name, in.stream);
    return 0;
}

} // namespace

// A conversion that cannot be done ends the process: with 10 when the input
// cannot be opened, read or dated, with 12 when the output cannot be
// written, with 0 when an existing output is kept.
int RAD_decode_file() {
    const int status = convert(nullptr);
    if (status != 0) VEK_exit(status == STATUS_KEPT ? 0 : status);
    return 0;
}

namespace {

// Brings the modules a conversion uses back to where the run started, so
// that nothing of one file's conversion reaches the next: the driver, the
// converted-file writer, the station store, the map transform, the block
// input and the file names, whose requested time is the one the resources
// set (REQUESTED).
void start_conversion(const Date &requested) {
    rad_read_reset_state(); // closes a converted file left open by a failure
    cty_reset_state();
    maptran_reset_state();
    files_reset_state();
    FILE_set_time(&requested);
    rad_dec_reset_state();
}

} // namespace

int RAD_convert_files() {
    int n = 0;
    char **names = nullptr;
    RES_getvals("filename", &n, &names);
    int worst = 0;
    if (n <= 1) { // the input named, found or asked for as the one file of the run
        const int status = convert(nullptr);
        worst = status == STATUS_KEPT ? 0 : status;
    }
    // Several files are converted without a question: an existing output is
    // kept unless replacing is asked for ("-pf over").
    if (n > 1) FLAG_set_batch(1);
    Date requested;
    FILE_get_time(&requested);
    for (int k = 0; n > 1 && k < n; ++k) {
        start_conversion(requested);
        const int status = convert(names[k]);
        if (status == STATUS_KEPT)
            MESS_print(M_WARN, "RAD_convert_files: %s not converted: its converted file is kept\n",
                       names[k]);
        else if (status != 0)
            MESS_print(M_WARN, "RAD_convert_files: %s not converted (status %d)\n", names[k],
                       status);
        if (status > worst) worst = status;
    }
    free_parsed_array(n, names);
    return worst;
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

bool summary_heading(const char *line) {
    int hm[2] = {0, 0};
    return heading_time(line, hm);
}

// True for a summary bulletin heading of the nominal time.
bool is_nominal_heading(const char *line) {
    int hm[2] = {0, 0};
    return heading_time(line, hm) && hm[0] == hour && hm[1] == min;
}

// Whether the LENGTH characters at TEXT, cleaned, are a heading of the
// nominal time. With COUNT set, headings of other times are counted.
bool sum_heading_test(const char *text, int length, void *count) {
    char line[SUM_LINE + 1];
    memcpy(line, text, static_cast<size_t>(length));
    line[length] = '\0';
    clean_line(line);
    if (is_nominal_heading(line)) return true;
    if (count && summary_heading(line)) ++counts.outside;
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
    const int got =
        count_all
            ? finput_until(ifile, line, SUM_LINE, sum_heading_test, &counts, nullptr, nullptr)
            : finput_until(ifile, line, SUM_LINE, sum_heading_test, nullptr, sum_hint, nullptr);
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
        ++counts.decoded;
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

    if (report->status == 0 && (clear_air || report->mode != 2)) {
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

} // namespace

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

void rad_dec_reset_state() {
    rad_type = 1;
    hour = VEK_MISS;
    min = VEK_MISS;
    clear_air = 1;
    file_type = 3;
    out_name[0] = '\0';
    mdr_stat_num = 0;
    rcm_stat_num = 0;
    counts = RunCounts{};
    count_all = false;
    finput_forget(nullptr);
}

// ---------------------------------------------------------------------------
// MDR reports
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
// ---------------------------------------------------------------------------

namespace {

constexpr int MDR_LINE = 160;      // width of a line as fgetline delivers it
constexpr int MDR_TEXT_CAP = 500;  // room for the joined text of one report
constexpr int MDR_ID_CAP = 11;     // room for a station identifier
constexpr int MDR_MORE_LINES = 14; // lines after the first that a report may take
constexpr int MDR_FIELD = 80;      // room for any one scanned word (the scanner stops at 79)

constexpr M_type MDR_OUT3A = 0x100000;  // a report's identity and status
constexpr M_type MDR_OUT3C = 0x400000;  // status of a grid-form report
constexpr M_type MDR_OUT4A = 0x1000000; // decoded fields
constexpr M_type MDR_OUT4C = 0x4000000; // echo digits

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
        (p[0] - '0') * 10 + (p[1] - '0') != hour)
        return false;
    if (!mdr_is(p[2], MDR_DIGIT) || !mdr_is(p[3], MDR_DIGIT)) return false;
    const int m = (p[2] - '0') * 10 + (p[3] - '0');
    if (m < min - MDR_MINUTES || m > min + MDR_MINUTES) return false;
    memcpy(id, word, static_cast<size_t>(n));
    id[n] = '\0';
    return true;
}

bool mdr_report_test(const char *text, int length, void *id) {
    return mdr_starts_report(text, length, static_cast<char *>(id));
}

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

// The report test that also counts the heads of other times.
bool mdr_counting_test(const char *text, int length, void *id) {
    if (mdr_starts_report(text, length, static_cast<char *>(id))) return true;
    if (mdr_any_head(text, length)) ++counts.outside;
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
    MdrHint hint = mdr_hint_for(hour);
    const int got =
        count_all ? finput_until(ifile, head, MDR_LINE, mdr_counting_test, word, nullptr, nullptr)
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
    const MdrEchoTarget target = mdr_target(info, r, false);
    MdrEchoTable table = {};
    for (;;) {
        char row = '\0', col = '\0';
        char digits[MDR_FIELD] = "";
        if (!mdr_take(p, 3, "%c%c%s ", row, col, digits)) break;
        if (!mdr_letter(row) || !mdr_letter(col)) {
            mdr_invalid_group(r, row, col);
            continue;
        }
        mdr_echo_group(target, table, row, col, digits);
    }
    mdr_print_table(table);
}

// The grid form: echo groups up to a "/", then "/"-separated movements,
// maximum top and closing word.
void mdr_grid(parse_param *p, RAD_info *info, MDR_report *r) {
    vek_copy(r->config, "NA");
    MESS_print(MDR_OUT4C, "****  Reading echoes for %s at (%f,%f)...\n", r->id, r->x, r->y);
    const MdrEchoTarget target = mdr_target(info, r, true);
    MdrEchoTable table = {};
    while (scanp_char(p, 0) != '/') {
        char row = '\0', col = '\0';
        char digits[MDR_FIELD] = "";
        if (!mdr_take(p, 3, "%c%c%[^// ] ", row, col, digits)) break;
        if (!mdr_letter(row) || !mdr_letter(col)) {
            mdr_invalid_group(r, row, col);
            continue;
        }
        mdr_echo_group(target, table, row, col, digits);
    }
    mdr_print_table(table);

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
