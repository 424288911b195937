// rad_dec.cpp - the conversion driver: raw radar bulletin files in, each
// converted on its own into one converted radar file, with a line that says
// what each conversion decoded; the run parameters and the choice of the
// output file. The summary grid and its bulletins are in rad_summary.cpp, the
// MDR reports in mdr_dec.cpp; what they share with the driver is in
// rad_run.h.
//
// State: the kind of run, the converted-file type, the run's header with its
// summary grid, the RCM report being decoded, the counts of reports written,
// and the run shared with the readers (nominal time, clear-air option, counts
// of reports decoded and passed over). A run of several files brings the
// modules a conversion uses back to their start before each. The bulletin
// readers take their input through the block input of the line utilities.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

#include "cty_tool.h"
#include "date.h"
#include "files.h"
#include "flag.h"
#include "maptran.h"
#include "mess.h"
#include "numtext.h"
#include "rad_dec.h"
#include "rad_read.h"
#include "rad_run.h"
#include "rcm_read.h"
#include "resrc.h"
#include "system.h"
#include "vekstr.h"

RadRun rad_run;

namespace {

int rad_type = RAD_IN_MDR;
RAD_info info;
RCM_report rcm_report;

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
    rad_run.hour = h;
    rad_run.min = m;
}

int RAD_get_type() {
    return rad_type;
}

int RAD_get_clear_air() {
    return rad_run.clear_air;
}

// The polar stereographic MDR grid; only stations on it are kept, and RCM
// grids are merged on it.
void RAD_mdr_domain(Domain *domain) {
    if (domain) *domain = RAD_MDR_GRID;
}

namespace {

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
    case RAD_IN_SUMMARY:
        return "radar summary bulletins are read";
    case RAD_IN_RCM:
        return "Radar Coded Messages are read";
    default:
        return "MDR reports are read";
    }
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
            if (rcm_report.date.hour != VEK_MISS) ++rad_run.counts.outside;
            continue;
        }
        RCM_report *rcm_ptr = static_cast<RCM_report *>(CTY_get_data(rcm_report.id));
        if (!rcm_ptr) {
            ++rad_run.counts.unknown;
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
        ++rad_run.counts.decoded;
        sites.insert(rcm_ptr);
    }
    for (auto [record, at] : unconverted) rcm_convert_positions(record, at);
    rad_run.counts.stations = static_cast<long>(sites.size());
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
            MESS_print(M_OUT3_C, "Station not in database: %s\n", id);
            ++rad_run.counts.unknown;
        } else {
            ++rad_run.counts.decoded;
            stations.insert(report);
        }
    }
    rad_run.counts.stations = static_cast<long>(stations.size());
}

} // namespace

int RAD_parameter() {
    select_convention("rad_dat");
    UnknownWords unknown_input, unknown_param;
    for_each_word("input", [&unknown_input](const char *w) {
        if (!strcasecmp(w, "raw")) {
            rad_type = RAD_IN_SUMMARY;
        } else if (!strcasecmp(w, "mdr")) {
            rad_type = RAD_IN_MDR;
        } else if (!strcasecmp(w, "rcm")) {
            rad_type = RAD_IN_RCM;
            select_convention("rcm_dat");
        } else {
            unknown_input.add(w);
        }
    });
    const char *in_file = RES_get("in_file");
    if (in_file && *in_file) select_convention(in_file);
    for_each_word("parameter", [&unknown_param](const char *w) {
        if (!strcasecmp(w, "raw_sum"))
            rad_type = RAD_IN_SUMMARY;
        else if (!strcasecmp(w, "noclar"))
            rad_run.clear_air = 0;
        else if (!strncasecmp(w, "range", 5))
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

namespace {} // namespace

namespace {

// True when DATE gives the year, month, day and hour: the nominal time of a
// run is taken from it.
bool names_hour(const Date &date) {
    return date.year >= 0 && date.month >= 0 && date.day >= 0 && date.hour >= 0;
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
    rad_run.count_all =
        MESS_check(M_MESS) || fstat(fileno(in.stream), &st) != 0 || !S_ISREG(st.st_mode);
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
    if (rad_type == RAD_IN_MDR)
        rad_run.min = 30;
    else if (rad_type == RAD_IN_RCM)
        rad_run.min = file_date->min > 29 ? 45 : 15;
    else
        rad_run.min = 15;
    file_date->min = rad_run.min;
    info.date = *file_date;
    rad_run.hour = file_date->hour;
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
    case RAD_IN_SUMMARY:
        info.type = RAD_IN_SUMMARY;
        MDR_read_raw_summary(ifile, &info);
        break;
    case RAD_IN_MDR:
        CTY_data_size(sizeof(MDR_report));
        CTY_enter_func(mdr_enter);
        CTY_store("rad.cty", 2, &domain, 10);
        CTY_clear_data(1);
        info.type = RAD_IN_MDR;
        decode_mdr(ifile);
        break;
    default:
        CTY_data_size(sizeof(RCM_report));
        CTY_enter_func(rcm_enter);
        CTY_store("rad.cty", 2, &domain, 10);
        CTY_clear_data(1);
        info.type = RAD_IN_RCM;
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
    for (int n = 0; rad_type == RAD_IN_MDR || rad_type == RAD_IN_RCM; ++n) {
        void *ptr = CTY_next_data(n);
        if (!ptr) break;
        if (rad_type == RAD_IN_MDR)
            MDR_save_report(cvt_fd, static_cast<MDR_report *>(ptr));
        else
            RCM_save_report(cvt_fd, static_cast<RCM_report *>(ptr));
    }
    return rad_finish_output(cvt_fd);
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
    if (rad_type == RAD_IN_SUMMARY) {
        snprintf(out, cap, "%02d:%02d UTC", rad_run.hour, rad_run.min);
    } else if (rad_type == RAD_IN_MDR) {
        snprintf(out, cap, "%02d:%02d-%02d:%02d UTC", rad_run.hour, rad_run.min - MDR_MINUTES,
                 rad_run.hour, rad_run.min + MDR_MINUTES);
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
    long outside = rad_run.counts.outside;
    if (read && rad_type == RAD_IN_MDR) outside = signs.mdr - signs.mdr_nominal;
    if (read && rad_type == RAD_IN_SUMMARY) outside = signs.summary - signs.summary_nominal;
    const long unknown = rad_run.counts.unknown;
    if (outside > 0 && unknown == 0)
        snprintf(why, cap, "every report lies outside %s (%ld reports)", window, outside);
    else if (unknown > 0 && outside == 0)
        snprintf(why, cap, "every report is of a station not in the station file (%ld reports)",
                 unknown);
    else if (unknown > 0)
        snprintf(why, cap,
                 "%ld reports lie outside %s and %ld are of stations not in the station file",
                 outside, window, unknown);
    else if (rad_type != RAD_IN_RCM && signs.rcm > 0)
        snprintf(why, cap, "it looks like Radar Coded Messages: use -in rcm");
    else if (rad_type != RAD_IN_MDR && signs.mdr > 0)
        snprintf(why, cap, "it looks like MDR reports: use -in mdr");
    else if (rad_type != RAD_IN_SUMMARY && signs.summary > 0)
        snprintf(why, cap, "it looks like radar summary bulletins: use -in raw");
    else if (read)
        snprintf(why, cap, "it holds no bulletin");
    else
        snprintf(why, cap, "it holds no %s",
                 rad_type == RAD_IN_SUMMARY ? "summary bulletin"
                 : rad_type == RAD_IN_MDR   ? "MDR report"
                                            : "Radar Coded Message");
}

// The line that ends the conversion of INPUT (read from IFILE): what was
// decoded and passed over, and the file written; and, when nothing was
// decoded, the warning that says the likely reason.
void report_run(const char *input, FILE *ifile) {
    char window[48];
    window_text(window, sizeof window);
    if (rad_type == RAD_IN_SUMMARY)
        MESS_print(M_MESS, "%s: %ld summary bulletins decoded, %ld outside %s -> %s\n", input,
                   rad_run.counts.decoded, rad_run.counts.outside, window, rad_output_name());
    else
        MESS_print(M_MESS,
                   "%s: %ld reports of %ld %s decoded, %ld of unknown %s, %ld outside %s -> %s\n",
                   input, rad_run.counts.decoded, rad_run.counts.stations,
                   rad_type == RAD_IN_MDR ? "stations" : "sites", rad_run.counts.unknown,
                   rad_type == RAD_IN_MDR ? "stations" : "sites", rad_run.counts.outside, window,
                   rad_output_name());
    if (rad_run.counts.decoded > 0) return;
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
    if ((status = rad_open_output(&file_date, &cvt_fd)) != 0) return status;
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

void rad_dec_reset_state() {
    rad_type = RAD_IN_MDR;
    rad_run = RadRun{};
    rad_output_reset();
    finput_forget(nullptr);
}