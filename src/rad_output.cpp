// rad_output.cpp - the converted file of a conversion: its form and name
// from the "output" and "out_file" words and the name conventions, its
// creation under a temporary name, the reports written into it, and its
// taking its own name when it is whole.
//
// State: the converted-file type, the name of the file being written and the
// number of station records written.

#include <cerrno>
#include <cstring>
#include <strings.h>

#include "files.h"
#include "flag.h"
#include "mess.h"
#include "rad_dec.h"
#include "rad_read.h"
#include "rad_run.h"
#include "system.h"
#include "vekstr.h"

namespace {

int file_type = RAD_FILE_VEK;
char out_name[FILE_NAME_LEN] = ""; // the converted file being written
int mdr_stat_num = 0;
int rcm_stat_num = 0;

// What the converted-file type chosen writes, for warnings.
const char *form_text() {
    switch (file_type) {
    case RAD_FILE_VEK3:
        return "the text form without its VEKRAD line (vek3) is written";
    case RAD_FILE_CDF1:
        return "netCDF with one record a station (cdf1) is written";
    case RAD_FILE_CDF:
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
    if (select_convention(key) || strcasecmp(key, "none") == 0 || FILE_is_stdio(key) ||
        strpbrk(key, "/%."))
        return;
    MESS_warn_once("RAD_set_out_file: out_file \"%s\": no convention \"%s\" in the name "
                   "convention file: \"%s\" is the template of the file name\n",
                   word, key, key);
}

// The forms of the converted file: the word that names each, the convention
// its file is named by, and its type.
struct Form {
    const char *word;
    const char *key;
    int type;
};
// Tried in this order, so that a word beginning "vek3" or "cdf1" is not taken
// for "vek" or "cdf".
const Form forms[] = {{"vek3", "rad_cvt_vek", RAD_FILE_VEK3},
                      {"vek", "rad_cvt_vek", RAD_FILE_VEK},
                      {"cdf1", "rad_cvt_cdf", RAD_FILE_CDF1},
                      {"cdf", "rad_cvt_cdf", RAD_FILE_CDF}};

// The output form of an "out_file" word: a form word, an optional separator
// and a convention key.
void apply_out_file(const char *word) {
    size_t len = strlen(word);
    for (const Form &f : forms) {
        size_t n = strlen(f.word);
        if (strncasecmp(word, f.word, n) != 0) continue;
        select_named_convention(word, len > n ? word + n + 1 : f.key);
        file_type = f.type;
        return;
    }
    select_named_convention(word, word);
}

// The form and convention words of "output" and "out_file", in this order.
void choose_output_form() {
    file_type = RAD_FILE_VEK;
    select_convention(RAD_get_type() == RAD_IN_RCM ? "rcm_cvt" : "rad_cvt");
    UnknownWords unknown;
    for_each_word("output", [&unknown](const char *w) {
        for (const Form &f : forms) {
            if (strcasecmp(w, f.word) != 0) continue;
            select_convention(f.key);
            file_type = f.type;
            return;
        }
        unknown.add(w);
    });
    for_each_word("out_file", apply_out_file);
    if (!unknown.text.empty())
        MESS_warn_once("RAD_set_out_file: output %s is not vek, vek3, cdf or cdf1: %s\n",
                       unknown.text.c_str(), form_text());
    FLAG_set(FLAG_OUT_TYPE, file_type);
}

} // namespace

int RAD_get_file_type() {
    return file_type;
}

// Chooses the form and the name of the converted file for the run date DATE,
// creates it (under a temporary name) and puts its descriptor in *FD.
// Returns 0, STATUS_KEPT when an existing file is not to be replaced, or
// STATUS_NO_OUTPUT when it cannot be named or created; each is reported.
int rad_open_output(Date *date, int *fd) {
    choose_output_form();
    char name[FILE_NAME_LEN] = "";
    if (FILE_set_date(date, name) < 0) {
        MESS_print(M_ERROR, "RAD_set_out_file: Unable to name converted file: %s\n",
                   strerror(errno));
        return STATUS_NO_OUTPUT;
    }
    // A device or FIFO holds no file to keep: it is written in place. A
    // directory can never be replaced: opening it fails below.
    if (!FILE_is_special(name) && !FILE_is_dir(name) &&
        FILE_overwrite(name, 1) != FILE_MODE_OVERWRITE) {
        MESS_print(M_WARN,
                   "RAD_set_out_file: Unable to overwrite converted data file: %s exists "
                   "and is kept\n",
                   name);
        return STATUS_KEPT;
    }
    // The file is written under a temporary name and takes its own name only
    // when it is whole (rad_finish_output).
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

// Ends the process when the file is not created: with 0 when an existing one
// is kept, with 12 when it cannot be.
int RAD_set_out_file(Date *date) {
    int fd = -1;
    const int status = rad_open_output(date, &fd);
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

// Closes the converted file and gives it its name. A file that could not be
// written whole is removed: STATUS_NO_OUTPUT, reported.
int rad_finish_output(int cvt_fd) {
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

const char *rad_output_name() {
    return out_name;
}

void rad_output_reset() {
    file_type = RAD_FILE_VEK;
    out_name[0] = '\0';
    mdr_stat_num = 0;
    rcm_stat_num = 0;
}

int select_convention(const char *key) {
    std::string type = key;
    return FILE_set_name(type.data());
}
