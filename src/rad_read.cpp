// rad_read.cpp - the converted radar file: recognising the form of an
// existing file, opening and closing it, and writing it in the text form (the
// header with the summary grid, one line per MDR report, one block per RCM
// report). The netCDF form is rad_cdf.cpp's; this unit hands it the open
// file and records its failures.
//
// State: one converted file at a time - the open text stream or netCDF id,
// the type code of the open file (0 when none is open) and the first failure
// met while writing it. The writers use the module's stream or id; the
// descriptor they are handed is only carried along.
//
// Type codes: 1 a text file beginning with "*" (opened, never written),
// 2 the text form without the identification line, 3 the text form with the
// line "VEKRAD", 11 the netCDF layout with a dimension "station" (one record
// per station), 12 the netCDF layout with a dimension "report" (one or more
// records per report).

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "files.h"
#include "rad_cdf.h"
#include "rad_read.h"
#include "scanp.h"
#include "system.h"
#include "vekcdf.h"
#include "vekstr.h"

using radform::prec_field;
using radform::used;

namespace {

FILE *rad_file = nullptr; // the open text file (types 1 to 3)
int cdf_id = -1;          // the open netCDF file (types 11 and 12)
bool cdf_writing = false; // the netCDF file was created, not opened for reading
int file_type = 0;        // code of the open file; 0 when none is open

// The first failure met while writing or closing the open file: what failed
// and the system's (or the netCDF library's) text for it. Empty while every
// write succeeded; RAD_close then reports the file as incomplete.
char write_error[200] = "";

// Records a failed write of the open file, keeping the first failure.
void record_failure(const char *what, const char *why) {
    if (write_error[0]) return;
    snprintf(write_error, sizeof write_error, "%s: %s", what, why);
}

// Records a failed stdio write when the stream's error flag is set.
void check_stream(const char *what) {
    if (rad_file && ferror(rad_file)) record_failure(what, strerror(errno ? errno : EIO));
}

// Copies a library failure of the open netCDF file into the module's record;
// true when the file has failed. After a failure the writers stop: the file
// is lost, and every further call would only fail again.
bool check_cdf() {
    const char *op = "";
    const char *why = CDF_failure(&op);
    if (why) record_failure(op, why);
    return write_error[0] != '\0';
}

bool is_text_type(int type) {
    return type >= RAD_FILE_STAR && type <= RAD_FILE_VEK;
}
bool is_cdf_type(int type) {
    return type == RAD_FILE_CDF1 || type == RAD_FILE_CDF;
}
bool writes_text(int type) {
    return type == RAD_FILE_VEK3 || type == RAD_FILE_VEK;
}

// A summary cell as the text form shows it: the digits 1 to 6, a blank for
// everything else (0, negative values, 7 and above, the empty mark).
char cell_char(signed char v) {
    return v >= 1 && v <= 6 ? static_cast<char>('0' + v) : ' ';
}

// Writes the bytes of LINE and a line feed. LEN counts the cells in LINE,
// whose buffer has room for the line feed after them.
void put_line(char *line, int len) {
    line[len] = '\n';
    fwrite(line, 1, static_cast<size_t>(len) + 1, rad_file);
}

void put_text_line(const char *text) {
    fputs(text, rad_file);
    fputc('\n', rad_file);
}

// One block of the MDR summary: the marker lines written before it, then one
// grid line per row y0..y1 holding the cells x0..x1. The blocks follow the
// layout of the raw national summary bulletins: three column bands from east
// to west, each in a northern and a southern piece.
struct SummaryBlock {
    const char *markers[3];
    int y0, y1;
    int x0, x1;
};

constexpr SummaryBlock mdr_blocks[] = {
    {{"SDUS SUMMARY", "+ 01 081", nullptr}, 0, 41, 79, 119},
    {{"+ 44 081", "SDUS", "+ 43 081"}, 42, 87, 79, 119},
    {{"+ 90 081", "SDUS", "+ 01 041"}, 0, 51, 39, 78},
    {{"+ 54 041", "SDUS", "+ 53 041"}, 52, 87, 39, 78},
    {{"+ 90 041", "SDUS", "+ 01 002"}, 0, 41, 0, 38},
    {{"+ 44 002", "SDUS", "+ 43 002"}, 42, 87, 0, 38},
};

void put_mdr_summary(const RAD_info *info) {
    char line[RAD_SUM_NX + 1];
    for (const SummaryBlock &b : mdr_blocks) {
        for (const char *m : b.markers)
            if (m) put_text_line(m);
        for (int y = b.y0; y <= b.y1; ++y) {
            int n = 0;
            for (int x = b.x0; x <= b.x1; ++x) line[n++] = cell_char(info->summary[x][y]);
            put_line(line, n);
        }
    }
    put_text_line("+ 90 002");
    put_text_line("SDXX STATIONS");
}

constexpr int RCM_ROW_CELLS = 452; // cells x 0..451 of an RCM summary row
constexpr int RCM_LINE_CELLS = 78; // cells per written line

// A row is written when one of its cells 0..451 holds 1 to 9; the values 7
// to 9 make it present although they are written as blanks. The row is the
// line "+%3d" followed by its cells on lines of 78 (the last one of 62),
// composed in one buffer and written at once.
void put_rcm_summary(const RAD_info *info) {
    put_text_line("RCM SUMMARY");
    char row[8 + RCM_ROW_CELLS + RCM_ROW_CELLS / RCM_LINE_CELLS + 2];
    for (int y = 0; y < RAD_SUM_NY; ++y) {
        bool present = false;
        for (int x = 0; x < RCM_ROW_CELLS && !present; ++x)
            present = info->summary[x][y] >= 1 && info->summary[x][y] <= 9;
        if (!present) continue;
        int n = snprintf(row, sizeof row, "+%3d\n", y);
        for (int x = 0; x < RCM_ROW_CELLS; ++x) {
            row[n++] = cell_char(info->summary[x][y]);
            if ((x + 1) % RCM_LINE_CELLS == 0 || x == RCM_ROW_CELLS - 1) row[n++] = '\n';
        }
        fwrite(row, 1, static_cast<size_t>(n), rad_file);
    }
}

void tops_field(const MDR_report *r, char *out, size_t cap) {
    if (r->tops.h == VEK_MISS)
        snprintf(out, cap, "*");
    else if (r->tops.dir == VEK_MISS)
        snprintf(out, cap, "%d,000000", r->tops.h);
    else
        snprintf(out, cap, "%d,%3.3d%3.3d", r->tops.h, r->tops.dir, r->tops.rad);
}

void move_field(const MDR_move *m, char *out, size_t cap) {
    if ((m->type == 'A' || m->type == 'C' || m->type == 'L') && m->dir != VEK_MISS &&
        m->spd != VEK_MISS)
        snprintf(out, cap, "%c%2.2d%2.2d", m->type, m->dir / 10, m->spd);
    else
        snprintf(out, cap, "*");
}

// The name under which the netCDF library opens FILENAME, into NAME ("~"
// expanded as for every file). Returns null, or why FILENAME names no
// netCDF file: a standard stream or a command (the library needs a file it
// can seek in), or a name longer than the room for names.
const char *cdf_name(const char *filename, char (&name)[FILE_NAME_LEN]) {
    if (FILE_is_stdio(filename) || filename[0] == '|')
        return "a netCDF file cannot be a stream or a command";
    if (strlen(filename) >= sizeof name || FILE_add_user_path(filename, name) != 0)
        return "file name too long";
    return nullptr;
}

} // namespace

void radform::prec_field(const MDR_report *r, char *out, size_t cap) {
    const char *suffix = nullptr;
    if (r->numprec >= 1) {
        switch (r->prec[0].intens) {
        case 1:
            suffix = "-";
            break;
        case 2:
            suffix = "";
            break;
        case 3:
            suffix = "+";
            break;
        case 4:
            suffix = "++";
            break;
        case 5:
            suffix = "x";
            break;
        case 6:
            suffix = "xx";
            break;
        case 9:
            suffix = "u";
            break;
        default:
            break;
        }
    }
    if (!suffix)
        snprintf(out, cap, "*");
    else
        snprintf(out, cap, "%.*s%s", static_cast<int>(sizeof r->prec[0].type) - 1, r->prec[0].type,
                 suffix);
}

int radform::used(int num, size_t cap) {
    int c = static_cast<int>(cap);
    return num < 0 ? 0 : (num > c ? c : num);
}

// Returns the type code of an existing file from its first byte, or -1 when
// the file cannot be read, is empty or starts with anything else. A file
// beginning with "C" is asked, quietly, whether it is netCDF and which
// layout it has.
int RAD_chktype(const char *filename) {
    FILE *f = FILE_open(filename, "r");
    if (!f) return -1;
    int c = getc(f);
    FILE_close(f);
    switch (c) {
    case '*':
        return RAD_FILE_STAR;
    case ' ':
    case '0':
    case '1':
    case '2':
        return RAD_FILE_VEK3;
    case 'V':
        return RAD_FILE_VEK;
    case 'C': {
        char name[FILE_NAME_LEN];
        if (cdf_name(filename, name)) return -1;
        CDF_print_errors(0);
        int type = -1;
        if (CDF_open(name, 0) != -1) {
            type = CDF_get_dim("station") != -1 ? RAD_FILE_CDF1 : RAD_FILE_CDF;
            CDF_close();
        }
        CDF_print_errors(1);
        return type;
    }
    default:
        return -1;
    }
}

// Opens FILENAME for reading (F_ACCESS 0) or creates it (1). *F_TYPE is the
// type to open, or 0 to find it out from the file (reading only; the found
// code is stored back). Returns the stream's file number or the netCDF id,
// or -1. A second open while a file is open is refused: the module serves one
// file, and the open one stays as it is. Creating makes missing directories,
// for both forms; why a netCDF file could not be created is kept for
// RAD_write_error.
int RAD_open(const char *filename, int f_access, int *f_type) {
    if (!filename || !f_type || file_type != 0) return -1;
    if (*f_type == 0) {
        if (f_access != 0) return -1;
        *f_type = RAD_chktype(filename);
        if (*f_type == -1) return -1;
    }
    if (is_text_type(*f_type)) {
        if (f_access != 0 && f_access != 1) return -1;
        FILE *f = FILE_open(filename, f_access == 0 ? "r" : "w");
        if (!f) return -1;
        rad_file = f;
        file_type = *f_type;
        write_error[0] = '\0';
        return fileno(f);
    }
    if (is_cdf_type(*f_type)) {
        if (f_access != 0 && f_access != 1) return -1;
        write_error[0] = '\0';
        char name[FILE_NAME_LEN];
        if (const char *why = cdf_name(filename, name)) {
            record_failure(f_access == 1 ? "nccreate" : "ncopen", why);
            return -1;
        }
        if (f_access == 1) {
            char dir[FILE_NAME_LEN];
            vek_copy(dir, name);
            FILE_make_dir(dir, 1);
        }
        CDF_print_errors(0);
        const int id = CDF_open(name, f_access);
        if (f_access == 1) check_cdf();
        CDF_print_errors(1);
        if (id == -1) return -1;
        cdf_id = id;
        cdf_writing = f_access == 1;
        file_type = *f_type;
        radform::cdf_start();
        return id;
    }
    return -1;
}

// Closes the open file. Returns -1 when none is open, and when any write,
// the final flush or the close of the file failed (RAD_write_error tells
// what): the file is then incomplete, although it is closed all the same.
int RAD_close(int cvt_fd) {
    (void)cvt_fd; // the text form closes the module's stream
    if (is_text_type(file_type)) {
        if (fflush(rad_file) != 0) record_failure("write", strerror(errno));
        check_stream("write");
        // A command's non-zero status is its failure; -1 carries errno.
        const int closed = FILE_close(rad_file);
        if (closed > 0) record_failure("close", "the command failed");
        if (closed < 0) record_failure("close", strerror(errno));
        rad_file = nullptr;
        file_type = 0;
        return write_error[0] ? -1 : 0;
    }
    if (is_cdf_type(file_type)) {
        CDF_set_fd(cdf_id);
        CDF_close();
        if (cdf_writing) check_cdf();
        cdf_id = -1;
        cdf_writing = false;
        file_type = 0;
        return write_error[0] ? -1 : 0;
    }
    return -1;
}

// Writes the header. The text form: the identification line (type 3), the
// date label and the summary section of INFO's type; returns 0 after an MDR
// summary, -1 after an RCM summary and when the file or summary type is not
// written. The netCDF form: the definitions of the layout, the summary grid
// and, in layout 2, its coordinates and the date; returns 0.
int RAD_putinfo(int cvt_fd, RAD_info *info) {
    (void)cvt_fd;
    if (info && cdf_writing) {
        if (check_cdf()) return 0;
        CDF_set_fd(cdf_id);
        radform::cdf_put_header(info, file_type);
        check_cdf();
        return 0;
    }
    if (!info || !writes_text(file_type)) return -1;
    if (file_type == RAD_FILE_VEK) put_text_line("VEKRAD");
    fprintf(rad_file, "%.*s\n", static_cast<int>(sizeof info->datim) - 1, info->datim);
    int result = -1;
    switch (info->type) {
    case RAD_IN_SUMMARY:
    case RAD_IN_MDR:
        put_mdr_summary(info);
        result = 0;
        break;
    case RAD_IN_RCM:
        put_rcm_summary(info);
        break;
    default:
        break;
    }
    check_stream("write");
    return result;
}

// Appends one MDR report. The text form: one line of id, config,
// precipitation, trend, top and three movements, "*" for each missing field;
// returns 0. netCDF layout 2: the report's records, numbered on from the
// last; returns 1. Layout 1: the station record at index *STATNUM; returns 0.
// Both netCDF layouts set a missing top direction and range to 0 in REPORT
// when there is a top; layout 1 also makes an empty trend a blank.
int MDR_write(int cvt_fd, MDR_report *report, int rep_type, int *statnum) {
    (void)cvt_fd;
    (void)rep_type;
    if (report && cdf_writing) {
        if (check_cdf()) return file_type == RAD_FILE_CDF ? 1 : 0;
        CDF_set_fd(cdf_id);
        radform::cdf_put_mdr(report, file_type, statnum ? *statnum : -1);
        check_cdf();
        return file_type == RAD_FILE_CDF ? 1 : 0;
    }
    if (!report || !writes_text(file_type)) return 0;
    char prec[16], tops[48], move[3][16];
    prec_field(report, prec, sizeof prec);
    tops_field(report, tops, sizeof tops);
    for (int i = 0; i < 3; ++i) move_field(&report->move[i], move[i], sizeof move[i]);
    const char *trend = report->trend[0] ? report->trend : "*";
    fprintf(rad_file, "%.*s %.*s %s %.*s %s %s %s %s\n", static_cast<int>(sizeof report->id) - 1,
            report->id, static_cast<int>(sizeof report->config) - 1, report->config, prec,
            static_cast<int>(sizeof report->trend) - 1, trend, tops, move[0], move[1], move[2]);
    check_stream("write");
    return 0;
}

// Appends one RCM report. The text form: the header line and one line per
// feature. netCDF layout 2: the report's record, numbered on from the last.
// Returns 0.
int RCM_write(int cvt_fd, RCM_report *report, int rep_type, int *statnum) {
    (void)cvt_fd;
    (void)rep_type;
    (void)statnum;
    if (report && cdf_writing) {
        if (check_cdf()) return 0;
        CDF_set_fd(cdf_id);
        radform::cdf_put_rcm(report, file_type);
        check_cdf();
        return 0;
    }
    if (!report || !writes_text(file_type)) return 0;
    const int id_len = static_cast<int>(sizeof report->id) - 1;
    fprintf(rad_file, "** %.*s %3.3d", id_len, report->id, report->num);
    if (report->mode == 1) fputs(" PCPN", rad_file);
    if (report->mode == 2) fputs(" CLAR", rad_file);
    if (report->status == -1) fputs(" NA", rad_file);
    if (report->status == 1) fputs(" NE", rad_file);
    if (report->status == 2) fputs(" OM", rad_file);
    fputc('\n', rad_file);

    const int fid = static_cast<int>(sizeof report->tvs[0].id) - 1; // feature identifiers
    if (report->maxt != VEK_MISS)
        fprintf(rad_file, "Z %3d %8.3f %8.3f\n", report->maxt, report->maxt_x, report->maxt_y);
    for (int i = 0; i < used(report->num_tvs, std::size(report->tvs)); ++i) {
        const RCM_point &p = report->tvs[i];
        fprintf(rad_file, "T %3.*s %8.3f %8.3f\n", fid, p.id, p.x, p.y);
    }
    for (int i = 0; i < used(report->num_meso, std::size(report->meso)); ++i) {
        const RCM_point &p = report->meso[i];
        fprintf(rad_file, "M %3.*s %8.3f %8.3f\n", fid, p.id, p.x, p.y);
    }
    for (int i = 0; i < used(report->num_storm, std::size(report->storm)); ++i) {
        const RCM_storm &s = report->storm[i];
        fprintf(rad_file, "S %3.*s %8.3f %8.3f %3.3d %3.3d %3d %d\n", fid, s.id, s.x, s.y, s.dir,
                s.spd, s.hgt, s.hail);
    }
    check_stream("write");
    return 0;
}

const char *RAD_write_error() {
    return write_error[0] ? write_error : nullptr;
}

// Back to no open file; a file left open by a test is closed.
void rad_read_reset_state() {
    if (rad_file) FILE_close(rad_file);
    if (cdf_id != -1) {
        CDF_set_fd(cdf_id);
        CDF_close();
    }
    cdf_id = -1;
    cdf_writing = false;
    radform::cdf_start();
    rad_file = nullptr;
    file_type = 0;
    write_error[0] = '\0';
}
