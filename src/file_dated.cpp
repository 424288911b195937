// file_dated.cpp - dated file resolution: making the file name of a date
// under the current convention, the shell pattern that lists the available
// files, and the current and latest files of a request such as "la-6".
//
// Works on the convention state of the file-name module (file_conv.h);
// keeps no state of its own.

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "date.h"
#include "file_conv.h"
#include "file_sys.h"
#include "files.h"
#include "mess.h"
#include "numtext.h"
#include "resrc.h"
#include "scanp.h"
#include "system.h"
#include "vekstr.h"

using namespace vekfiles;

namespace {

constexpr int LIST_CMD_LEN = 80; // the listing command, "ls -x " included

// ---- making a name --------------------------------------------------------

void offer_step(int64_t secs) {
    int s = clamp_int(secs);
    if (state.late_off == VEK_MISS || s < state.late_off) state.late_off = s;
}

// The value of a negative request -(100 x OF + SK) for the field VALUE.
int64_t round_request(int request, int value) {
    int64_t req = -static_cast<int64_t>(request);
    int64_t sk = req % 100, of = req / 100;
    if (sk == 0) sk = 1;
    return value / sk * sk + of;
}

int64_t request_step(int request) {
    int64_t sk = (-static_cast<int64_t>(request)) % 100;
    return sk == 0 ? 1 : sk;
}

// The year field ("Y" four digits, "y" two) of D under the requested
// year, rounded down to a multiple of N.
void year_field(Text &out, char d, int n, const Date &D) {
    const Date &S = state.set;
    bool ok = true;
    int64_t year = 0;
    int two = 0;
    if (S.year >= 0) {
        year = S.year;
        two = S.year % 100;
    } else if (D.year < 0) {
        ok = false;
    } else if (d == 'Y') {
        year = D.year / n * n;
    } else {
        two = D.year % 100 / n * n;
        year = D.year - D.year % 100 + two;
    }
    char buf[32];
    if (d == 'Y')
        snprintf(buf, sizeof buf, ok ? "%4.4d" : "0000", static_cast<int>(year));
    else
        snprintf(buf, sizeof buf, ok ? "%2.2d" : "00", two);
    out.put(buf);
    state.file_date.year = ok ? static_cast<int>(year) : VEK_MISS;
}

// The month field ("m" two digits, "b" the month's name) of D under the
// requested month, rounded down to a multiple of N.
void month_field(Text &out, char d, int n, const Date &D) {
    const Date &S = state.set;
    int month = VEK_MISS;
    if (S.month >= 0) {
        month = S.month;
    } else if (D.month >= 0) {
        // A month that rounds down to 0 under a count is the first month.
        month = D.month / n * n;
        if (month == 0) month = 1;
    }
    if (d == 'm') {
        char buf[32];
        snprintf(buf, sizeof buf, month >= 0 ? "%2.2d" : "00", month);
        out.put(buf);
    } else {
        out.put(month >= 1 && month <= 12 ? DATE_month_lower(month) : "xxx");
    }
    state.file_date.month = month;
}

// The day field ("d" the day of the month, "j" the day of the year) of D
// under the requested day: a fixed day, every N days, or every so many days
// when the request is negative (which also sets the step between files).
void day_field(Text &out, char d, int n, const Date &D) {
    const Date &S = state.set;
    int64_t day = VEK_MISS;
    if (S.day >= 0) {
        day = S.day;
    } else if (S.day == VEK_MISS) {
        if (D.day >= 0) day = D.day / n * n;
    } else if (D.day >= 0) {
        int64_t every = -static_cast<int64_t>(S.day);
        day = D.day / every * every;
    }
    if (S.day < 0 && S.day != VEK_MISS)
        state.late_off = clamp_int(-static_cast<int64_t>(S.day) * 86400);
    else
        offer_step(int64_t{n} * 86400);
    char buf[32];
    if (d == 'd') {
        snprintf(buf, sizeof buf, day >= 0 ? "%2.2d" : "00", static_cast<int>(day));
        state.file_date.day = static_cast<int>(day);
    } else if (day >= 0) {
        int julian = 0;
        DATE_monday_julian(D.year, D.month, static_cast<int>(day), &julian);
        snprintf(buf, sizeof buf, "%3.3d", julian);
        state.file_date.day = static_cast<int>(day);
        state.file_date.jday = julian;
    } else {
        snprintf(buf, sizeof buf, "000");
        state.file_date.day = VEK_MISS;
    }
    out.put(buf);
}

// The hour ("h") or minute ("n") field of D under the requested one: a
// fixed value, every N, or rounded by a negative request (which also sets
// the step between files).
void clock_field(Text &out, char d, int n, const Date &D) {
    const Date &S = state.set;
    const int req = d == 'h' ? S.hour : S.min;
    const int have = d == 'h' ? D.hour : D.min;
    const int64_t unit = d == 'h' ? 3600 : 60;
    int64_t v = VEK_MISS;
    if (req >= 0) {
        v = req / n * n;
    } else if (req == VEK_MISS) {
        if (have >= 0) v = have / n * n;
    } else if (have >= 0) {
        v = round_request(req, have);
    }
    if (req < 0 && req != VEK_MISS)
        state.late_off = clamp_int(request_step(req) * unit);
    else
        offer_step(n * unit);
    int value = clamp_int(v);
    char buf[32];
    snprintf(buf, sizeof buf, value >= 0 ? "%2.2d" : "00", value);
    out.put(buf);
    if (d == 'h')
        state.file_date.hour = value;
    else
        state.file_date.min = value;
}

// Writes one date or time field of D under the requested time, stores it in
// file_date (-9999 when it cannot be told) and offers or sets the step.
void make_field(Text &out, char d, int count, const Date &D) {
    const int n = count > 0 ? count : 1;
    switch (d) {
    case 'Y':
    case 'y':
        year_field(out, d, n, D);
        return;
    case 'm':
    case 'b':
        month_field(out, d, n, D);
        return;
    case 'd':
    case 'j':
        day_field(out, d, n, D);
        return;
    case 'h':
    case 'n':
        clock_field(out, d, n, D);
        return;
    default:
        return;
    }
}

// The name of D under the current template into OUT. Literal text is
// copied, but for braces, which are dropped, and blanks, which become "_".
void make_walk(const Date &D, Text &out) {
    TplCursor tpl(state.conv);
    for (TplToken tok = tpl.next(); tok.kind != TplToken::END; tok = tpl.next()) {
        switch (tok.kind) {
        case TplToken::LITERAL:
            if (tok.c == ' ')
                out.put('_');
            else if (tok.c != '{' && tok.c != '}')
                out.put(tok.c);
            break;
        case TplToken::PERCENT:
            out.put('%');
            break;
        case TplToken::DATE:
            make_field(out, tok.c, tok.count, D);
            break;
        case TplToken::EXT:
            out.put(state.ext);
            break;
        case TplToken::DIR:
            out.put(state.has_extracted ? state.extracted_path : dir_value(tok.resource));
            break;
        default:
            if (tok.c == '{') {
                // %{name}: the resource called name, up to "}" or the end of
                // the template.
                char res[64];
                tpl.take_braced(res, sizeof res);
                const char *v = RES_get(res);
                out.put(state.has_extracted ? state.extracted_path : (v ? v : ""));
            } else {
                const char *key = state.keys[static_cast<unsigned char>(tok.c)];
                const size_t klen = strlen(key);
                const size_t count = static_cast<size_t>(tok.count);
                if (klen == 0)
                    out.put("0");
                else
                    out.put(key, tok.count >= 0 && count < klen ? count : klen);
            }
            break;
        }
    }
}

// ---- the listing pattern --------------------------------------------------

// The listing command under construction. Template, key and directory text
// can only ever become the pattern: characters the shell would read as
// anything else are quoted with a backslash, control characters are dropped,
// and a pattern that would begin with "-" begins with "./". One character is
// kept in reserve, so that a pattern too long for the command ends in "*"
// and lists a superset rather than nothing.
struct ListCommand {
    char buf[LIST_CMD_LEN] = "ls -x ";
    size_t len = 6;
    bool full = false;

    static bool plain(unsigned char c) {
        return isalnum(c) || strchr("/._-+,:@%=~*?[]", c) != nullptr;
    }
    void unit(const char *u, size_t n) {
        if (full) return;
        if (len + n + 1 >= sizeof buf) { // keep room for "*" and the terminator
            buf[len++] = '*';
            buf[len] = '\0';
            full = true;
            return;
        }
        memcpy(buf + len, u, n);
        len += n;
        buf[len] = '\0';
    }
    void put(char ch) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127) return;
        if (len == 6 && c == '-') unit("./", 2);
        if (plain(c)) {
            unit(&ch, 1);
        } else {
            const char quoted[2] = {'\\', ch};
            unit(quoted, 2);
        }
    }
    void put(const char *s) {
        for (; *s; ++s) put(*s);
    }
};

// Braces are dropped from the literal text; a date field becomes a pattern
// of its width, a key its text, an empty key "*" or as many "?" as its count.
void list_walk(ListCommand &cmd) {
    TplCursor tpl(state.conv);
    for (TplToken tok = tpl.next(); tok.kind != TplToken::END; tok = tpl.next()) {
        switch (tok.kind) {
        case TplToken::LITERAL:
            if (tok.c != '{' && tok.c != '}') cmd.put(tok.c);
            break;
        case TplToken::PERCENT:
            cmd.put('%');
            break;
        case TplToken::DATE:
            cmd.put(tok.c == 'Y'   ? "?[0-9]??"
                    : tok.c == 'b' ? "?[a-z]?"
                    : tok.c == 'j' ? "?[0-9]?"
                                   : "[0-9]?");
            break;
        case TplToken::EXT:
            cmd.put(state.ext[0] ? state.ext : "*");
            break;
        case TplToken::DIR:
            cmd.put(dir_value(tok.resource));
            break;
        default:
            if (const char *key = state.keys[static_cast<unsigned char>(tok.c)]; key[0]) {
                cmd.put(key);
            } else if (tok.count < 0) {
                cmd.put('*');
            } else {
                for (int k = 0; k < tok.count && !cmd.full; ++k) cmd.put('?');
            }
            break;
        }
    }
}

// ---- current and latest files ---------------------------------------------

// Reads the direction at P: "+" forward (1), "-" backward (-1), each
// consumed; anything else is backward and stays.
int read_direction(const char *&p) {
    if (*p == '+') {
        ++p;
        return 1;
    }
    if (*p == '-') ++p;
    return -1;
}

// Reads an unsigned number at P (saturating at INT_MAX); false without digits.
bool read_number(const char *&p, int64_t *v) {
    int n = 0;
    if (!take_digits(p, 0, &n)) return false;
    *v = n;
    return true;
}

struct Offset {
    int64_t days = 0, hours = 0, mins = 0;
    int64_t seconds() const { return days * 86400 + hours * 3600 + mins * 60; }
};

// Reads an offset at P: days "d" hours ":" minutes when the rest of the
// request holds a "d" anywhere, else hours ":" minutes. Parts not present
// are 0; P ends after the last part read.
Offset read_offset(const char *&p) {
    Offset off;
    const char *q = p;
    if (strchr(p, 'd')) {
        read_number(q, &off.days);
        p = q;
        if (*q == 'd') {
            p = ++q;
            if (read_number(q, &off.hours)) {
                p = q;
                if (*q == ':' && is_digit(q[1])) {
                    ++q;
                    read_number(q, &off.mins);
                    p = q;
                }
            }
        }
    } else {
        read_number(q, &off.hours);
        p = q;
        if (*q == ':' && is_digit(q[1])) {
            ++q;
            read_number(q, &off.mins);
            p = q;
        }
    }
    return off;
}

} // namespace

// The directory of an explicitly given full-path name replaces the directory
// fields when its name is made again. A template without slash or colon
// extracts nothing. A name that does not fit a file name, and a directory to
// extract longer than 79 characters, are refused: -1, OUT_FILE empty, errno
// ENAMETOOLONG, the last name kept.
int FILE_set_date(Date *datim, char *out_file) {
    auto give = [&](const char *name, int result) {
        if (out_file) vek_strlcpy(out_file, name, FILE_NAME_LEN);
        return result;
    };
    if (out_file && out_file != state.filename) out_file[0] = '\0';
    if (state.conv_too_long) return refuse_name("FILE_set_date", "(the template)");
    if (!state.conv[0]) {
        state.filename_type = 1;
        return give(state.filename[0] ? state.filename : "filename", 1);
    }
    if (FILE_is_stdio(state.conv)) {
        state.filename_type = 0;
        return give("-", 1);
    }

    state.extracted_path[0] = '\0';
    state.has_extracted = false;
    if (state.filename_type == 1 && FILE_fullpath(state.filename)) {
        int nsep = 0;
        for (const char *p = state.conv; *p; ++p)
            if (*p == '/' || *p == ':') ++nsep;
        long sep = nth_separator_from_end(state.filename, nsep);
        if (sep >= PATH_LEN) {
            MESS_print(M_ERROR, "FILE_set_date: Directory too long (at most %d characters): %.*s\n",
                       PATH_LEN - 1, static_cast<int>(sep), state.filename);
            errno = ENAMETOOLONG;
            return -1;
        }
        if (sep >= 0) {
            memcpy(state.extracted_path, state.filename, static_cast<size_t>(sep));
            state.extracted_path[sep] = '\0';
            state.has_extracted = true;
            MESS_print(M_DEBUG_C, "Extracted path: %s\n", state.extracted_path);
        }
    }

    state.late_off = VEK_MISS;
    const Date D = datim ? *datim : state.file_date;
    if (datim) {
        state.file_date.year = state.file_date.month = state.file_date.day = VEK_MISS;
        state.file_date.hour = state.file_date.min = VEK_MISS;
    }
    if (D.year == VEK_MISS && state.filename[0]) {
        state.filename_type = 1;
        return give(state.filename, 1);
    }
    char made[MADE_LEN];
    Text name(made, sizeof made);
    make_walk(D, name);
    if (name.overflow || name.len >= FILE_NAME_LEN) return refuse_name("FILE_set_date", name);
    vek_copy(state.filename, made);
    return give(made, 0);
}

namespace {

// The reference time of a current-file request at P: the date digits after
// a "#" (consumed), else "vekcurtime" when set, else now.
long reference_time(const char *&p) {
    long T = 0;
    const char *env = getenv("vekcurtime");
    if (*p == '#' || (env && *env)) {
        Date ref = {0, 0, 0, 0, 0, 0, 0, 0};
        if (*p == '#') {
            p = read_date_digits(p + 1, &ref);
        } else {
            read_date_digits(env[0] == '#' ? env + 1 : env, &ref);
        }
        T = DATE_num_sec(&ref);
    } else {
        DATE_get_time(&T);
    }
    return T;
}

// Back from T to the most recent time that agrees with the requested time.
long back_to_request(long T) {
    Date D;
    DATE_get_gmdate(&T, &D);
    if (state.set.month >= 0 && D.month < state.set.month) {
        D.year -= 1;
        D.month = state.set.month;
        T = DATE_num_sec(&D);
    }
    if (state.set.day >= 0 && D.day < state.set.day) {
        if (--D.month < 1) {
            D.month = 12;
            D.year -= 1;
        }
        D.day = state.set.day;
        T = DATE_num_sec(&D);
    }
    if (state.set.hour >= 0 && D.hour < state.set.hour) {
        T -= 86400;
        DATE_get_gmdate(&T, &D);
        D.hour = state.set.hour;
        T = DATE_num_sec(&D);
    }
    if (state.set.min >= 0 && D.min < state.set.min) {
        T -= 3600;
        DATE_get_gmdate(&T, &D);
        D.min = state.set.min;
        T = DATE_num_sec(&D);
    }
    return T;
}

// The latest-file search of "la" or "la#N" at P (consumed): from T, steps
// of the time between files in direction DIR, at most N (500) of them,
// until the file of that time is larger than the minimum size; T ends at
// the time found. False when a name made does not fit.
bool search_latest(const char *&p, int dir, long &T) {
    ++p;
    if (*p == 'a') ++p;
    int limit = 500;
    if (*p == '#') {
        ++p;
        limit = 0;
        take_digits(p, 4, &limit);
    }
    for (int tries = 0; tries < limit; ++tries) {
        Date D;
        DATE_get_gmdate(&T, &D);
        MESS_print(M_DEBUG, "LATE:%d %d %d %d %d\n", D.year, D.month, D.day, D.hour, D.min);
        if (FILE_set_date(&D, state.filename) < 0) return false;
        MESS_print(M_DEBUG, "LATE: %s\n", state.filename);
        if (FILE_size(state.filename) > state.min_size) break;
        if (state.late_off <= 0) break;
        T += dir * static_cast<long>(state.late_off);
    }
    MESS_print(M_DEBUG, "LATEST: %s %s %ld\n", p, state.filename, T);
    return true;
}

} // namespace

// A template without day, hour or minute fields has no step between files:
// the latest-file search then tries the reference time only. An empty
// "vekcurtime" counts as unset. Returns 0, or -1 (NAME_OUT empty, errno
// ENAMETOOLONG) when the request is longer than a file name or a name
// made does not fit.
int FILE_set_current(const char *cur, char *name_out) {
    if (name_out) name_out[0] = '\0';
    if (!cur) cur = "la";
    if (strlen(cur) >= TEMPLATE_LEN) return refuse_name("FILE_set_current", cur);
    const char *p = cur;
    state.filename_type = 0;

    long T = back_to_request(reference_time(p));
    int dir = read_direction(p);
    if (is_digit(*p)) {
        Offset off = read_offset(p);
        MESS_print(M_DEBUG, "CUR1:%d %d %d %d\n", clamp_int(off.days), clamp_int(off.hours),
                   clamp_int(off.mins), dir);
        T += dir * off.seconds();
        MESS_print(M_DEBUG, "CUR1:%s %ld\n", p, T);
        dir = read_direction(p);
    }

    if (*p == 'l') {
        if (!search_latest(p, dir, T)) return -1;
        dir = read_direction(p);
    }

    if (is_digit(*p)) {
        Offset off = read_offset(p);
        MESS_print(M_DEBUG, "CUR2:%d %d %d %d\n", clamp_int(off.days), clamp_int(off.hours),
                   clamp_int(off.mins), dir);
        T += dir * off.seconds();
        MESS_print(M_DEBUG, "CUR2:%ld\n", T);
    }
    if (*p)
        MESS_warn_once("FILE_set_current: \"%s\" is not a current-file request (such as la, la-6, "
                       "-6 or #2024061512): only \"%.*s\" is read\n",
                       cur, static_cast<int>(p - cur), cur);

    Date D;
    DATE_get_gmdate(&T, &D);
    MESS_print(M_DEBUG, "%d %d %d %d\n", D.year, D.month, D.day, D.hour);
    if (FILE_set_date(&D, state.filename) < 0) return -1;
    if (name_out) vek_strlcpy(name_out, state.filename, FILE_NAME_LEN);
    return 0;
}

int FILE_list_file() {
    ListCommand cmd;
    list_walk(cmd);
    MESS_print(M_DEBUG, "SEARCH: %s\n", cmd.buf);
    fflush(nullptr);
    int rc = FILE_sys().run_command(cmd.buf);
    (void)rc;
    return 0;
}

int FILE_get_date(Date *date) {
    if (date) *date = state.file_date;
    return 0;
}

int FILE_set_time(const Date *datim) {
    if (datim) state.set = *datim;
    DATE_set_requested(&state.set);
    return 0;
}

int FILE_get_time(Date *datim) {
    if (datim) *datim = state.set;
    return 0;
}
