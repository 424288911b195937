// cty_read.cpp - the station file reader: opens a station file, reads it one
// station at a time, and finds it in the "file_path" directory.
//
// State: the one open stream and the file type code given at opening.
//
// A station line is matched as "%20s %2s %2s %9s %s %f %f %f %d %d\n": any
// run of white space, line ends included, separates fields, a token longer
// than its field's width leaves the rest for the next field, and a field
// that does not match stays in the stream for the next read. The scan here
// keeps those rules but reads one character at a time and never stores more
// than a field holds, whatever the file contains.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "cty_read.h"
#include "files.h"
#include "mess.h"
#include "numtext.h"
#include "resrc.h"
#include "scanp.h"
#include "vekstr.h"

namespace {

constexpr int STATION_LINE_BYTES = 59; // typical length of one station line
constexpr int MAX_STATIONS = 4000;     // cap of the station-count estimate
constexpr int PRIOR_TOKEN = 5;         // room for the priority token (4 characters)
constexpr int NUMBER_TEXT = 64;        // room for the text of one number

struct ReaderState {
    FILE *stream = nullptr;
    int file_type = 0;
};

ReaderState rd;

bool is_space(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The outcome of one directive: converted, not matched (the offending
// character stays in the stream), or the end of the input reached first.
enum class Scan { ok, mismatch, end };

// Skips white space; false at the end of the input.
bool skip_space(FILE *f) {
    int c;
    while ((c = std::getc(f)) != EOF)
        if (!is_space(c)) {
            std::ungetc(c, f);
            return true;
        }
    return false;
}

// A string directive of at most WIDTH characters (0: no limit); stores at
// most CAP - 1 of them and a terminator.
Scan scan_token(FILE *f, int width, char *out, size_t cap) {
    if (!skip_space(f)) return Scan::end;
    size_t kept = 0;
    int n = 0, c;
    while ((width == 0 || n < width) && (c = std::getc(f)) != EOF) {
        if (is_space(c)) {
            std::ungetc(c, f);
            break;
        }
        if (kept + 1 < cap) out[kept++] = static_cast<char>(c);
        n++;
    }
    out[kept] = '\0';
    return Scan::ok;
}

// Collects the text of a decimal number: sign, digits, and with FRACTION a
// decimal point and an exponent. Like the standard scan it consumes the
// longest prefix of a number and fails when that prefix is not a number.
Scan scan_number_text(FILE *f, bool fraction, char (&text)[NUMBER_TEXT]) {
    if (!skip_space(f)) return Scan::end;
    size_t n = 0;
    bool fits = true;
    auto keep = [&](int c) {
        if (n + 1 < sizeof text)
            text[n++] = static_cast<char>(c);
        else
            fits = false;
    };
    int c = std::getc(f);
    if (c == '+' || c == '-') {
        keep(c);
        c = std::getc(f);
    }
    int digits = 0;
    while (is_digit(c)) {
        keep(c);
        digits++;
        c = std::getc(f);
    }
    if (fraction && c == '.') {
        keep(c);
        c = std::getc(f);
        while (is_digit(c)) {
            keep(c);
            digits++;
            c = std::getc(f);
        }
    }
    bool ok = digits > 0;
    if (ok && fraction && (c == 'e' || c == 'E')) {
        keep(c);
        c = std::getc(f);
        if (c == '+' || c == '-') {
            keep(c);
            c = std::getc(f);
        }
        int exp_digits = 0;
        while (is_digit(c)) {
            keep(c);
            exp_digits++;
            c = std::getc(f);
        }
        ok = exp_digits > 0;
    }
    if (c != EOF) std::ungetc(c, f);
    text[n] = '\0';
    return ok && fits ? Scan::ok : Scan::mismatch;
}

Scan scan_float(FILE *f, float *out) {
    char text[NUMBER_TEXT];
    const Scan s = scan_number_text(f, true, text);
    if (s == Scan::ok) read_float(text, out);
    return s;
}

Scan scan_int(FILE *f, int *out) {
    char text[NUMBER_TEXT];
    const Scan s = scan_number_text(f, false, text);
    if (s == Scan::ok) read_int(text, out);
    return s;
}

// Sets mos, prior and ua from the priority token: an optional "*", the
// digit, an optional "*".
void decode_priority(const char *tok, CTY_data *city) {
    city->mos = ' ';
    city->ua = ' ';
    if (tok[0] == '*') {
        city->mos = '*';
        city->prior = tok[1] - '0';
        if (tok[1] != '\0' && tok[2] == '*') city->ua = '*';
    } else {
        city->prior = tok[0] - '0';
        if (tok[0] != '\0' && tok[1] == '*') city->ua = '*';
    }
}

} // namespace

// Opens a station file for reading (F_ACCESS 0) or writing (1), closing any
// station file open before. Returns the stream's file number, or -1.
int CTY_open(const char *filename, int f_access, int f_type) {
    const char *mode = f_access == 0 ? "r" : f_access == 1 ? "w" : nullptr;
    if (!mode || !filename) return -1;
    if (rd.stream) CTY_close(0);
    FILE *f = FILE_open(filename, mode);
    if (!f) return -1;
    rd.stream = f;
    rd.file_type = f_type;
    return fileno(f);
}

// Reads the next station into CITY. Returns the number of fields converted
// (10 for a complete line), -1 when no file is open, when the stream was
// already at its end, or when the end came before the first field. Fields
// the scan does not reach are left empty or missing: strings "", numbers
// -9999, the WMO number 99999, the station number 0, and the priority -9999
// when there is no priority token.
int CTY_read(int city_fd, CTY_data *city) {
    (void)city_fd;
    if (!rd.stream || !city || std::feof(rd.stream)) return -1;
    FILE *f = rd.stream;

    char prior_tok[PRIOR_TOKEN] = {};
    city->name[0] = city->state[0] = city->region[0] = city->id[0] = '\0';
    city->prior = VEK_MISS;
    city->mos = city->ua = ' ';
    city->lat = city->lon = city->el = VEK_FMISS;
    city->wmo = 99999;
    city->num = 0;

    // Each directive runs only while the ones before it converted.
    int count = 0;
    Scan s = Scan::ok;
    auto next = [&](auto directive) {
        if (s != Scan::ok) return;
        s = directive();
        if (s == Scan::ok) count++;
    };
    next([&] { return scan_token(f, 20, city->name, sizeof city->name); });
    next([&] { return scan_token(f, 2, city->state, sizeof city->state); });
    next([&] { return scan_token(f, 2, city->region, sizeof city->region); });
    next([&] { return scan_token(f, 9, city->id, sizeof city->id); });
    next([&] { return scan_token(f, 0, prior_tok, sizeof prior_tok); });
    next([&] { return scan_float(f, &city->lat); });
    next([&] { return scan_float(f, &city->lon); });
    next([&] { return scan_float(f, &city->el); });
    next([&] { return scan_int(f, &city->wmo); });
    next([&] { return scan_int(f, &city->num); });
    if (s == Scan::ok) skip_space(f); // the closing "\n" of the pattern: any white space
    if (count >= 5) decode_priority(prior_tok, city);
    if (count == 0 && s == Scan::end) return -1;
    if (city->el > 9000.0f) city->el = VEK_FMISS;
    return count;
}

int CTY_rewind(int city_fd) {
    (void)city_fd;
    if (!rd.stream) return -1;
    std::rewind(rd.stream);
    return 0;
}

int CTY_close(int city_fd) {
    (void)city_fd;
    if (!rd.stream) return -1;
    FILE_close(rd.stream);
    rd.stream = nullptr;
    rd.file_type = 0;
    return 0;
}

// Finds and opens the station file: the "city_file" resource ("none": no
// station file, -1 without a message), else CITY_FILE, else "sao.cty", in
// the "file_path" directory. Sets *NUM_STATS to the estimated number of
// stations (file size / 59, at most 4000). Returns the descriptor or -1.
int CTY_open_file(const char *city_file, int *num_stats) {
    if (num_stats) *num_stats = 0;
    const char *name = RES_get("city_file");
    if (name && strcasecmp(name, "none") == 0) return -1;
    if (!name || !*name) name = city_file ? city_file : "sao.cty";

    char path[FILE_NAME_LEN];
    const char *dir = RES_get("file_path");
    if (!FILE_add_path(dir, name, path)) {
        MESS_print(M_WARN, "CTY_open_file: Database file not found: %s/%s: %s\n", dir ? dir : "",
                   name, strerror(errno));
        return -1;
    }

    if (num_stats) {
        const long size = FILE_size(path);
        const long estimate = size > 0 ? size / STATION_LINE_BYTES : 0;
        *num_stats = static_cast<int>(estimate > MAX_STATIONS ? MAX_STATIONS : estimate);
    }
    const int fd = CTY_open(path, 0, 0);
    if (fd < 0) MESS_print(M_WARN, "CTY_open_file: Database file not found: %s\n", path);
    return fd;
}
