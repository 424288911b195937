// date.cpp - UTC calendar dates: the current-time stamp of messages and the
// time zone used for date labels.
//
// State: the label time zone (its text, its offset from UTC in seconds and
// the 12-hour mode).

#include <cstdio>
#include <cstring>
#include <ctime>

#include "vek.h"

namespace {

const char *const months[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

char tz_str[7] = "Z";
int tz_off = 0;
int tz_pm = 0;

} // namespace

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
    char name[5] = "";
    float hours = 0.0f;
    int got = sscanf(str, "%4[^:]:%f", name, &hours);
    if (got >= 1) snprintf(tz_str, sizeof tz_str, " %s", name);
    if (got == 2) {
        // Offsets beyond two days are no time zone; keep the arithmetic defined.
        if (!(hours >= -48.0f && hours <= 48.0f)) hours = 0.0f;
        tz_off = static_cast<int>(hours * 3600.0f);
    }
    return 0;
}

void date_reset_state() {
    strcpy(tz_str, "Z");
    tz_off = 0;
    tz_pm = 0;
}
