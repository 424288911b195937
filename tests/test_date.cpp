// Dates against the platform's calendar, normalisation, labels, and the
// decoding window with its decode_hour forms.

#include <cctype>
#include <ctime>

#include "date.h"
#include "resrc.h"
#include "vek_test.h"

namespace {

constexpr int X = VEK_MISS;

Date make(int y, int mo, int d, int h = X, int mi = X, int s = 0) {
    return Date{y, mo, d, X, X, h, mi, s};
}
auto fields(const Date &d) {
    return std::tie(d.year, d.month, d.day, d.jday, d.wday, d.hour, d.min, d.sec);
}
std::string platform(const char *format, const struct tm &t, int (*to_case)(int)) {
    char buf[64];
    std::string s(buf, std::strftime(buf, sizeof buf, format, &t));
    for (char &c : s) c = static_cast<char>(to_case(static_cast<unsigned char>(c)));
    return s;
}

class Dates : public vektest::VekTest {};

// Every day from 1970 to 2099, each at another time of day.
TEST_F(Dates, EveryDayFrom1970To2099AgreesWithThePlatformCalendar) {
    char label[DATE_LABEL_LEN], seq[DATE_LABEL_LEN];
    for (long day = 0; day < 47482; ++day) { // up to 2099-12-31
        const time_t t = day * 86400 + day * 7919 % 86400;
        struct tm p;
        gmtime_r(&t, &p);
        Date d = make(p.tm_year + 1900, p.tm_mon + 1, p.tm_mday, p.tm_hour, p.tm_min, p.tm_sec);
        long secs = DATE_num_sec(&d);
        ASSERT_EQ(secs, static_cast<long>(t)) << platform("%F", p, toupper);
        d.jday = p.tm_yday + 1;
        d.wday = p.tm_wday;
        Date g;
        ASSERT_EQ(DATE_get_gmdate(&secs, &g), 0);
        ASSERT_EQ(fields(g), fields(d));
        ASSERT_EQ(DATE_make_label(&d, label), 0);
        ASSERT_EQ(label, platform("%H%MZ %e %b %y", p, toupper));
        ASSERT_EQ(DATE_make_seq(&d, seq), 0);
        ASSERT_EQ(seq, platform("%Y%m%d%H%M", p, toupper));
        ASSERT_EQ(DATE_decode_month(label + 9), d.month);
    }
}

// Two-digit years, fields out of range and day 0 normalised; labels in the
// time-zone modes (a zone shows every field; offsets beyond two days count
// as none).
TEST_F(Dates, NormalisationAndLabelsInEveryTimeZoneMode) {
    auto norm = [](Date d) {
        const long secs = DATE_num_sec(&d);
        return std::to_string(secs) + " " + std::to_string(d.year * 10000 + d.month * 100 + d.day);
    };
    EXPECT_EQ(norm(make(50, 1, 1)), "-631152000 19500101");
    EXPECT_EQ(norm(make(2024, 3, 0, 0, 0)), "1709164800 20240300"); // the last day of February
    const struct {
        const char *tz;
        Date date;
        const char *label;
    } cases[] = {{nullptr, make(2024, 6, X), "JUN 24"},
                 {nullptr, make(-5, 13, 40, 30, 75), "0000Z  1 JAN 80"},
                 {"-EST:-5", make(2024, 1, 1, 3, 15), "10:15 PM EST [0315Z] 31 DEC 23"},
                 {"WEST:1", make(2024, 12, 31, 23, 30), "0030 WEST  1 JAN 25"},
                 {"+EST:0", make(2024, 6, 15, 12), "12 PM EST 15 JUN 24"}};
    char buf[DATE_LABEL_LEN];
    for (auto c : cases) {
        date_reset_state();
        if (c.tz) DATE_set_TZ(c.tz);
        EXPECT_EQ(DATE_make_label(&c.date, buf), 0);
        EXPECT_STREQ(buf, c.label) << (c.tz ? c.tz : "Z");
    }
}

// HHMM moved by BY minutes around the clock.
int shift(int hhmm, int by) {
    const int m = ((hhmm / 100 * 60 + hhmm % 100 + by) % 1440 + 1440) % 1440;
    return m / 60 * 100 + m % 60;
}

// The decode_hour forms move the window; numbers beyond the range of int are
// held at it (a window beyond any day).
TEST_F(Dates, DecodeHourForms) {
    const struct {
        const char *text;
        int hour, min, first, last;
    } cases[] = {{"14:30-20+5", 12, 0, 1410, 1435},
                 {"-3", 14, 20, 1145, 1210}, // every third hour
                 {":-30+40", 12, 0, 1130, 1240},
                 {"cu-6", 3, 0, 2045, 2110}, // 21 h of the day before
                 {"cu:45-5+5", 12, 10, 1240, 1250},
                 {":-10", 12, 0, 1145, 1210}, // no form: nothing changes
                 {"99999999999:99999999999-99999999999+99999999999", 12, 0, 0, 2359}};
    vektest::Capture quiet;
    for (auto c : cases) {
        date_reset_state();
        RES_put("decode_hour", c.text);
        const Date d = make(2024, 1, 1, c.hour, c.min);
        DATE_set_datim(&d);
        EXPECT_EQ(DATE_chk_range(c.first) + DATE_chk_range(c.last), 2) << c.text;
        EXPECT_TRUE(c.last == 2359 || // else the window holds FIRST to LAST exactly
                    DATE_chk_range(shift(c.first, -1)) + DATE_chk_range(shift(c.last, 1)) == 0)
            << c.text;
    }
}

} // namespace
