// date.cpp - UTC calendar dates: seconds and calendar dates both ways, day of
// year, month names, the printed forms of a date (label, twelve-digit
// sequence, debug line, current-time stamp), the label time zone, and the
// decoding window that decides which report times belong to the hour being
// decoded.
//
// State: the label time zone (its text, its offset from UTC in seconds and
// the 12-hour mode) and the decoding window (its reference date, that date in
// seconds, the window in seconds and its width in minutes).

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>

#include "date.h"
#include "mess.h"
#include "numtext.h"
#include "resrc.h"
#include "vekstr.h"

namespace {

// The requested time of the file-name conventions, as the file-name module
// last handed it over: the decoding window starts from it.
Date requested = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};

const char *const months[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char *const months_lc[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};

const int num_day[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const int num_day_leap[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

constexpr int DEFAULT_PRE = -15;
constexpr int DEFAULT_POST = 10;

char tz_str[7] = "Z";
int tz_off = 0;
int tz_pm = 0;

Date file_date = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};
int64_t base = 0;
int64_t begin = 0;
int64_t end = 0;
int min_pre = DEFAULT_PRE;
int min_post = DEFAULT_POST;

// The field normalisation shared by the seconds and the label.
void normalise(Date *d) {
    if (d->year < 0) d->year = 1980;
    if (d->year < 50)
        d->year += 2000;
    else if (d->year < 200)
        d->year += 1900;
    if (d->month < 1 || d->month > 12) d->month = 1;
    if (d->day < 0 || d->day > 31) d->day = 1;
    if (d->hour < 0 || d->hour > 23) d->hour = 0;
    if (d->min < 0 || d->min > 59) d->min = 0;
    if (d->sec < 0 || d->sec > 59) d->sec = 0;
}

// Seconds of a normalised date by the every-fourth-year rule, in 64 bits so
// that years after 2037 (and far beyond) stay exact.
int64_t seconds_of(const Date *d) {
    int64_t y = static_cast<int64_t>(d->year) - 1900;
    int64_t leaps = y / 4 - 17;
    if (d->month <= 2 && y % 4 == 0) --leaps;
    return d->sec + 60 * static_cast<int64_t>(d->min) + 3600 * static_cast<int64_t>(d->hour) +
           86400 * (static_cast<int64_t>(d->day) - 1) + 86400 * int64_t{num_day[d->month - 1]} +
           86400 * leaps + 31536000 * (y - 70);
}

// The rounding rule of the requested time: a negative VALUE -(100 x OF + SK)
// asks for the largest multiple of SK at or below FIELD, plus OF. Values of 0
// or more, and fields that are not given (negative), are left alone. A step
// of 0 counts as 1.
int resolve(int value, int field) {
    if (value >= 0 || field < 0) return value;
    int64_t req = -static_cast<int64_t>(value);
    int64_t sk = req % 100, of = req / 100;
    if (sk == 0) sk = 1;
    return clamp_int(field / sk * sk + of);
}

// Moves the window's reference date back by HOURS, across days as needed.
void move_back(int hours) {
    long secs = DATE_num_sec(&file_date) - 3600L * hours;
    DATE_get_gmdate(&secs, &file_date);
}

int given_or_zero(int field) {
    return field < 0 ? 0 : field;
}

// The time part of a label: hour and minute (or hour only when MIN is
// negative) in the 24-hour or 12-hour form, with the zone text.
void time_part(char *out, size_t cap, int hour, int min, const char *zone) {
    if (tz_pm == 0) {
        if (min >= 0)
            snprintf(out, cap, "%2.2d%2.2d%s", hour, min, zone);
        else
            snprintf(out, cap, "%2.2d%s", hour, zone);
        return;
    }
    const char *half = hour >= 12 ? "PM" : "AM";
    int h12 = hour % 12 == 0 ? 12 : hour % 12;
    if (min >= 0)
        snprintf(out, cap, "%d:%2.2d %s%s", h12, min, half, zone);
    else
        snprintf(out, cap, "%d %s%s", h12, half, zone);
}

} // namespace

const char *DATE_month_lower(int month) {
    if (month < 1 || month > 12) return "";
    return months_lc[month - 1];
}

int DATE_print(M_type level, const Date *date) {
    if (!date) return 0;
    MESS_print(level, "%d/%d/%d %2.2d:%2.2d:%2.2d\n", date->year, date->month, date->day,
               date->hour, date->min, date->sec);
    return 0;
}

int DATE_get_current_str(char *str) {
    if (!str) return 0;
    time_t now = time(nullptr);
    struct tm tmv;
    gmtime_r(&now, &tmv);
    snprintf(str, DATE_LABEL_LEN, "%2.2d %s %2.2d  %2.2d:%2.2d:%2.2dZ", tmv.tm_year % 100,
             months[tmv.tm_mon], tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
    return 0;
}

// The text is an optional sign ("-": 12-hour labels followed by the UTC time,
// "+": 12-hour labels), a name of at most 4 characters, a colon and the
// offset in hours. Without the hours the offset stays as it was.
int DATE_set_TZ(const char *str) {
    if (!str) return 0;
    if (*str == '-') {
        tz_pm = -1;
        ++str;
    } else if (*str == '+') {
        tz_pm = 1;
        ++str;
    }
    // The name: one to four characters up to the colon.
    size_t n = 0;
    while (n < 4 && str[n] && str[n] != ':') ++n;
    if (n == 0) return 0;
    snprintf(tz_str, sizeof tz_str, " %.*s", static_cast<int>(n), str);
    if (str[n] != ':') return 0;
    float hours = 0.0f;
    if (!read_float(str + n + 1, &hours)) return 0;
    // Offsets beyond two days are no time zone; keep the arithmetic defined.
    if (!(hours >= -48.0f && hours <= 48.0f)) hours = 0.0f;
    tz_off = static_cast<int>(hours * 3600.0f);
    return 0;
}

int DATE_is_leap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

long DATE_num_sec(Date *date) {
    if (!date) return 0;
    normalise(date);
    return static_cast<long>(seconds_of(date));
}

long DATE_get_time(long *secs) {
    long now = static_cast<long>(time(nullptr));
    if (secs) *secs = now;
    return now;
}

// Returns 0, or -1 (every field -9999, seconds 0) for seconds beyond what
// the platform's calendar can break down.
int DATE_get_gmdate(const long *secs, Date *date) {
    if (!date) return 0;
    time_t t = secs ? static_cast<time_t>(*secs) : time(nullptr);
    struct tm tmv;
    if (!gmtime_r(&t, &tmv) || tmv.tm_year > INT_MAX - 1900) {
        *date = Date{VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};
        return -1;
    }
    date->year = tmv.tm_year + 1900;
    date->month = tmv.tm_mon + 1;
    date->day = tmv.tm_mday;
    date->jday = tmv.tm_yday + 1;
    date->wday = tmv.tm_wday;
    date->hour = tmv.tm_hour;
    date->min = tmv.tm_min;
    date->sec = tmv.tm_sec;
    return 0;
}

int DATE_julian_monday(int year, int julian, int *month, int *day) {
    const int *table = DATE_is_leap(year) ? num_day_leap : num_day;
    if (julian < 1) julian = 1;
    if (julian > table[12]) julian = table[12];
    int m = 1;
    while (m < 12 && table[m] < julian) ++m;
    if (month) *month = m;
    if (day) *day = julian - table[m - 1];
    return 0;
}

int DATE_monday_julian(int year, int month, int day, int *julian) {
    const int *table = DATE_is_leap(year) ? num_day_leap : num_day;
    if (month < 1) month = 1;
    if (month > 12) month = 12;
    if (julian) *julian = clamp_int(int64_t{table[month - 1]} + day);
    return 0;
}

// The letters of one rule share their case: "JAN" and "jan" are January,
// "Jan" is not; only the first letter counts for February and September to
// December.
int DATE_decode_month(const char *str) {
    if (!str || !str[0]) return 0;
    char c0 = str[0];
    char c1 = str[1];
    char c2 = c1 ? str[2] : '\0';
    switch (c0) {
    case 'F':
    case 'f':
        return 2;
    case 'S':
    case 's':
        return 9;
    case 'O':
    case 'o':
        return 10;
    case 'N':
    case 'n':
        return 11;
    case 'D':
    case 'd':
        return 12;
    default:
        break;
    }
    if ((c0 == 'J' && c1 == 'A') || (c0 == 'j' && c1 == 'a')) return 1;
    if ((c0 == 'J' && c2 == 'N') || (c0 == 'j' && c2 == 'n')) return 6;
    if ((c0 == 'J' && c2 == 'L') || (c0 == 'j' && c2 == 'l')) return 7;
    if ((c0 == 'M' && c2 == 'R') || (c0 == 'm' && c2 == 'r')) return 3;
    if ((c0 == 'M' && c2 == 'Y') || (c0 == 'm' && c2 == 'y')) return 5;
    if ((c0 == 'A' && c2 == 'R') || (c0 == 'a' && c2 == 'r')) return 4;
    if ((c0 == 'A' && c2 == 'G') || (c0 == 'a' && c2 == 'g')) return 8;
    return 0;
}

// With a time-zone offset the date is normalised in place and the label
// shows the zone's full date and time (every field is then given); without
// one, the fields given decide the form and the date is left as it is.
int DATE_make_label(Date *date, char *str) {
    if (!str) return -1;
    if (!date) {
        str[0] = '\0';
        return -1;
    }
    Date copy = *date;
    Date utc = *date;
    if (tz_off != 0) {
        long secs = DATE_num_sec(date);
        utc = *date;
        long local = secs + tz_off;
        DATE_get_gmdate(&local, &copy);
    }
    bool has_month = copy.month != VEK_MISS;
    bool has_day = copy.day != VEK_MISS;
    bool has_hour = copy.hour != VEK_MISS;
    bool has_min = copy.min != VEK_MISS;
    normalise(&copy);
    normalise(&utc);
    int yy = copy.year % 100;
    const char *mon = months[copy.month - 1];

    // Composed with room to spare, then copied into the caller's label.
    char line[2 * DATE_LABEL_LEN];
    if (!has_month) {
        snprintf(line, sizeof line, "%2.2d", yy);
    } else if (!has_day) {
        snprintf(line, sizeof line, "%3s %2.2d", mon, yy);
    } else if (!has_hour) {
        snprintf(line, sizeof line, "%2d %3s %2.2d", copy.day, mon, yy);
    } else {
        char tpart[DATE_LABEL_LEN];
        time_part(tpart, sizeof tpart, copy.hour, has_min ? copy.min : -1, tz_str);
        if (tz_pm < 0) {
            char bracket[DATE_LABEL_LEN];
            if (has_min)
                snprintf(bracket, sizeof bracket, " [%2.2d%2.2dZ]", utc.hour, utc.min);
            else
                snprintf(bracket, sizeof bracket, " [%2.2dZ]", utc.hour);
            size_t n = strlen(tpart);
            vek_strlcpy(tpart + n, bracket, sizeof tpart - n);
        }
        snprintf(line, sizeof line, "%s %2d %3s %2.2d", tpart, copy.day, mon, yy);
    }
    vek_strlcpy(str, line, DATE_LABEL_LEN);
    return 0;
}

int DATE_make_seq(Date *date, char *str) {
    if (!str) return -1;
    if (!date) {
        str[0] = '\0';
        return -1;
    }
    DATE_num_sec(date);
    snprintf(str, DATE_LABEL_LEN, "%4.4d%2.2d%2.2d%2.2d%2.2d", date->year, date->month, date->day,
             date->hour, date->min);
    return 0;
}

int DATE_set_range(int pre, int post) {
    min_pre = pre;
    min_post = post;
    return 0;
}

namespace {

// What a decode_hour text sets: the hour and minute to decode (hm_form), and
// whether it set the window.
struct DecodeHour {
    bool hm_form = false;
    bool window = false;
    int h = 0, m = 0;
};

// The window "-PRE+POST" of V from index K on.
void set_window(const int *v, int k) {
    min_pre = -v[k];
    min_post = v[k + 1];
}

// The "cu" forms, REST being the text after "cu". Returns where the reading
// stopped.
const char *read_cu(const char *rest, DecodeHour *dh) {
    int v[4] = {0, 0, 0, 0}, w2[2] = {0, 0};
    const char *end = rest, *end2 = rest;
    dh->hm_form = true;
    int n = scan_ints(rest, "-%d-%d+%d", v, &end);
    if (n == 3) {
        move_back(v[0]);
        dh->h = file_date.hour;
        dh->m = file_date.min;
        set_window(v, 1);
        dh->window = true;
    } else if (n == 1 && scan_ints(rest, "-%d+%d", w2, &end2) == 2) {
        dh->h = given_or_zero(file_date.hour);
        set_window(w2, 0);
        dh->window = true;
        end = end2;
    } else if (n == 1) {
        move_back(v[0]);
        dh->h = file_date.hour;
        dh->m = file_date.min;
    } else if (n <= 0 && (n = scan_ints(rest, ":%d-%d+%d", v, &end)) >= 1 && n != 2) {
        dh->h = given_or_zero(file_date.hour);
        dh->m = v[0];
        if (n == 3) {
            set_window(v, 1);
            dh->window = true;
        }
    } else {
        dh->h = given_or_zero(file_date.hour);
        end = rest;
    }
    return end;
}

// Reads the decode_hour text TXT by the first form that fits it. Returns
// where the reading stopped (the terminator when the text fits its form
// whole), or null when no form fits.
const char *read_decode_hour(const char *txt, DecodeHour *dh) {
    int v[4] = {0, 0, 0, 0};
    int n;
    const char *end = txt;
    if ((n = scan_ints(txt, "%d:%d-%d+%d", v, &end)) >= 2) {
        dh->hm_form = true;
        dh->h = v[0];
        dh->m = v[1];
        if (n >= 3) min_pre = -v[2];
        if (n >= 4) min_post = v[3];
        dh->window = n >= 3;
    } else if ((n = scan_ints(txt, "%d-%d+%d", v, &end)) >= 1) {
        dh->hm_form = true;
        dh->h = v[0];
        if (n >= 2) min_pre = -v[1];
        if (n >= 3) min_post = v[2];
        dh->window = n >= 2;
    } else if (scan_ints(txt, ":-%d+%d", v, &end) == 2) {
        set_window(v, 0);
        dh->window = true;
    } else if (strncasecmp(txt, "cu:cu", 5) == 0) {
        dh->hm_form = true;
        dh->h = given_or_zero(file_date.hour);
        dh->m = given_or_zero(file_date.min);
        end = txt + 5;
        if (scan_ints(txt + 5, "-%d+%d", v, &end) == 2) {
            set_window(v, 0);
            dh->window = true;
        } else {
            end = txt + 5;
        }
    } else if (strncasecmp(txt, "cu", 2) == 0) {
        end = read_cu(txt + 2, dh);
    } else {
        return nullptr;
    }
    return end;
}

// Names a decode_hour text that fits no form, or of which only a part is
// read: once, since every conversion of a run reads it.
void check_decode_hour(const char *txt, const char *end) {
    if (!end)
        MESS_warn_once("DATE_set_datim: decode_hour \"%s\" is not a time to decode (such as 7, "
                       "7:17, 7:17-5+5 or cu-6): the file's own time is decoded\n",
                       txt);
    else if (*end)
        MESS_warn_once("DATE_set_datim: decode_hour \"%s\": only \"%.*s\" is read, the rest is "
                       "not understood\n",
                       txt, static_cast<int>(end - txt), txt);
}

} // namespace

// The decode_hour forms, tried in order. The "Decoding range" message is
// shown when the text set the window. Hour and minute taken from the
// reference date count as 0 when that date does not give them. A text that
// fits no form changes nothing; that includes texts that the window-only form
// ":-PRE+POST" reads only in part. Either is named by a warning.
int DATE_set_requested(const Date *date) {
    if (date) requested = *date;
    return 0;
}

int DATE_set_datim(const Date *date) {
    if (!date) return 0;
    file_date = *date;
    Date w = requested;
    DecodeHour dh;
    const char *txt = RES_get("decode_hour");
    if (txt && *txt) check_decode_hour(txt, read_decode_hour(txt, &dh));
    int h = dh.h, m = dh.m;
    const bool hm_form = dh.hm_form, window = dh.window;

    if (hm_form) {
        h = resolve(h, file_date.hour);
        m = resolve(m, file_date.min);
        w.hour = h;
        w.min = m;
        MESS_print(M_MESS, "Decoding for: %2.2d:%2.2dZ\n", h, m);
    }
    if (window) MESS_print(M_MESS, "Decoding range: %d +%d mins\n", min_pre, min_post);

    if (w.hour != VEK_MISS) file_date.hour = w.hour >= 0 ? w.hour : resolve(w.hour, file_date.hour);
    if (w.min != VEK_MISS) file_date.min = w.min >= 0 ? w.min : resolve(w.min, file_date.min);
    if (file_date.min == VEK_MISS) file_date.min = 0;

    base = DATE_num_sec(&file_date);
    begin = base + 60 * int64_t{min_pre};
    end = base + 60 * int64_t{min_post};
    return 0;
}

int DATE_get_window(long *first, long *last) {
    if (first) *first = static_cast<long>(begin);
    if (last) *last = static_cast<long>(end);
    return 0;
}

// A report hour more than 11 hours after the reference hour belongs to the
// day before, one more than 11 hours before it to the day after.
int DATE_chk_range(int date) {
    if (date == VEK_MISS) return 0;
    int h = date / 100;
    int m = date % 100;
    int64_t d = static_cast<int64_t>(h) - file_date.hour;
    if (d > 11)
        d -= 24;
    else if (d < -11)
        d += 24;
    int64_t secs = base + 3600 * d + 60 * (static_cast<int64_t>(m) - file_date.min);
    int in = begin <= secs && secs <= end;
    MESS_print(M_DEBUG_C, "%d %d %d-%d = %d\n", date, clamp_int(secs - base),
               clamp_int(begin - base), clamp_int(end - base), in);
    return in;
}

void date_reset_state() {
    strcpy(tz_str, "Z");
    tz_off = 0;
    tz_pm = 0;
    file_date = Date{VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};
    requested = file_date;
    base = begin = end = 0;
    min_pre = DEFAULT_PRE;
    min_post = DEFAULT_POST;
}
