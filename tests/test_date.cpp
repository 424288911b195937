// Dates: seconds and calendar dates, day of year, month names, labels in
// every time-zone mode, and the decoding window with its decode_hour forms.

#include <ctime>
#include <string>
#include <vector>

#include "vek_test.h"

namespace {

using vektest::Capture;
constexpr int X = VEK_MISS;

Date make(int y, int mo, int d, int h = X, int mi = X, int s = 0) {
    return Date{y, mo, d, X, X, h, mi, s};
}

long platform(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<long>(timegm(&t));
}

class Dates : public vektest::VekTest {};

TEST_F(Dates, SecondsOfStatedAndNormalisedDates) {
    struct Case {
        Date in;
        long secs;
        int year, month, day;
    } cases[] = {
        {make(1970, 1, 1, 0, 0), 0, 1970, 1, 1},
        {make(2000, 3, 1, 0, 0), 951868800, 2000, 3, 1},
        {make(2099, 12, 31, 23, 59, 59), 4102444799L, 2099, 12, 31},
        {Date{X, X, X, X, X, X, X, X}, 315532800, 1980, 1, 1},
        {make(24, 6, 15), platform(2024, 6, 15), 2024, 6, 15},
        {make(124, 6, 15), platform(2024, 6, 15), 2024, 6, 15},
        {make(2024, 13, 32, 24, 60, 61), platform(2024, 1, 1), 2024, 1, 1},
        {make(2024, 3, 0, 0, 0), platform(2024, 2, 29), 2024, 3,
         0}, // day 0: the day before the 1st
    };
    for (Case &c : cases) {
        EXPECT_EQ(DATE_num_sec(&c.in), c.secs);
        EXPECT_EQ(c.in.year, c.year);
        EXPECT_EQ(c.in.month, c.month);
        EXPECT_EQ(c.in.day, c.day); // normalised in place
    }
}

TEST_F(Dates, EveryDayFrom1970To2099AgreesWithThePlatformBothWays) {
    for (long t = platform(1970, 1, 1); t <= platform(2099, 12, 31); t += 86400) {
        struct tm p;
        time_t tt = t + (t / 86400 % 86400);
        gmtime_r(&tt, &p);
        Date d = make(p.tm_year + 1900, p.tm_mon + 1, p.tm_mday, p.tm_hour, p.tm_min, p.tm_sec);
        long secs = DATE_num_sec(&d);
        ASSERT_EQ(secs, static_cast<long>(tt)) << d.year << "-" << d.month << "-" << d.day;
        Date g;
        ASSERT_EQ(DATE_get_gmdate(&secs, &g), 0);
        ASSERT_EQ(g.year * 10000 + g.month * 100 + g.day, d.year * 10000 + d.month * 100 + d.day);
        ASSERT_EQ(g.hour * 3600 + g.min * 60 + g.sec, p.tm_hour * 3600 + p.tm_min * 60 + p.tm_sec);
        ASSERT_EQ(g.jday, p.tm_yday + 1);
        ASSERT_EQ(g.wday, p.tm_wday);
    }
    long huge = 0x7fffffffffffffffL;
    Date g = make(2024, 1, 1);
    EXPECT_EQ(DATE_get_gmdate(&huge, &g), -1);
    EXPECT_EQ(g.year, X);
}

TEST_F(Dates, DayOfYearMonthNamesAndLeapYears) {
    int m = 0, d = 0, j = 0;
    int expect[][4] = {{2024, 60, 2, 29}, {2023, 60, 3, 1}, {2023, 400, 12, 31}, {2024, 0, 1, 1}};
    for (auto &e : expect) {
        DATE_julian_monday(e[0], e[1], &m, &d);
        EXPECT_EQ(m * 100 + d, e[2] * 100 + e[3]) << e[0] << " day " << e[1];
    }
    for (int year : {2023, 2024})
        for (int day = 1; day <= 365 + DATE_is_leap(year); ++day) {
            DATE_julian_monday(year, day, &m, &d);
            DATE_monday_julian(year, m, d, &j);
            ASSERT_EQ(j, day);
        }
    DATE_monday_julian(2023, 13, 1, &j); // the month is clamped, the day is not checked
    EXPECT_EQ(j, 335);
    DATE_monday_julian(2023, 0, 40, &j);
    EXPECT_EQ(j, 40);
    EXPECT_EQ(DATE_is_leap(1900) * 10 + DATE_is_leap(2000), 1);
    EXPECT_EQ(DATE_is_leap(2100) * 10 + DATE_is_leap(2024), 1);

    const char *upper[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                           "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int mo = 1; mo <= 12; ++mo) {
        EXPECT_EQ(DATE_decode_month(upper[mo - 1]), mo);
        EXPECT_EQ(DATE_decode_month(DATE_month_lower(mo)), mo);
    }
    for (const char *bad : {"Jan", "Mar", "xyz", "J", "JU", ""})
        EXPECT_EQ(DATE_decode_month(bad), 0);
    EXPECT_EQ(DATE_decode_month("Feb") * 100 + DATE_decode_month("dEC"), 212);
    EXPECT_STREQ(DATE_month_lower(0), "");
    EXPECT_STREQ(DATE_month_lower(13), "");
}

TEST_F(Dates, PrintedForms) {
    struct Case {
        const char *tz;
        Date date;
        const char *label;
    } cases[] = {
        {nullptr, make(2024, 6, 15, 12, 30), "1230Z 15 JUN 24"},
        {nullptr, make(2024, 6, 15, 12), "12Z 15 JUN 24"},
        {nullptr, make(2024, 6, 5), " 5 JUN 24"},
        {nullptr, make(2024, 6, X), "JUN 24"},
        {nullptr, make(2024, X, X), "24"},
        {nullptr, make(-5, 13, 40, 30, 75), "0000Z  1 JAN 80"},
        {"+EST:0", make(2024, 6, 15, 13, 5), "1:05 PM EST 15 JUN 24"},
        {"+EST:0", make(2024, 6, 15, 12, 0), "12:00 PM EST 15 JUN 24"},
        {"+EST:0", make(2024, 6, 15, 0, 30), "12:30 AM EST 15 JUN 24"},
        {"+EST:0", make(2024, 6, 15, 9), "9 AM EST 15 JUN 24"},
        {"+EST:0", make(2024, 6, 15, 0), "12 AM EST 15 JUN 24"},
        {"-UTC:0", make(2024, 6, 15, 18), "6 PM UTC [18Z] 15 JUN 24"},
        {"-EST:-5", make(2024, 6, 15, 12, 30), "7:30 AM EST [1230Z] 15 JUN 24"},
        {"-EST:-5", make(2024, 1, 1, 3, 15), "10:15 PM EST [0315Z] 31 DEC 23"},
        {"IST:5.5", make(2024, 6, 15, 12, 30), "1800 IST 15 JUN 24"},
        {"CET:1", make(2024, 12, 31, 23, 30), "0030 CET  1 JAN 25"},
        {"EST:-5", make(2024, 6, 15, 12), "0700 EST 15 JUN 24"}, // a zone shows every field
    };
    for (Case &c : cases) {
        date_reset_state();
        if (c.tz) DATE_set_TZ(c.tz);
        char buf[DATE_LABEL_LEN];
        EXPECT_EQ(DATE_make_label(&c.date, buf), 0);
        EXPECT_STREQ(buf, c.label) << (c.tz ? c.tz : "Z");
    }
    DATE_set_TZ("+EST:-5");
    DATE_set_TZ("CST:-6"); // without a sign the 12-hour mode stays
    Date d = make(2024, 6, 15, 18, 0);
    char buf[DATE_LABEL_LEN];
    DATE_make_label(&d, buf);
    EXPECT_STREQ(buf, "12:00 PM CST 15 JUN 24");
    EXPECT_EQ(DATE_make_label(&d, nullptr), -1);

    Date s = make(24, 6, 15);
    EXPECT_EQ(DATE_make_seq(&s, buf), 0);
    EXPECT_STREQ(buf, "202406150000");
}

// In and out lists of report times for a window set around DATE.
void expect_window(const Date &date, std::vector<int> in, std::vector<int> out) {
    DATE_set_datim(&date);
    for (int t : in) EXPECT_EQ(DATE_chk_range(t), 1) << t;
    for (int t : out) EXPECT_EQ(DATE_chk_range(t), 0) << t;
}

TEST_F(Dates, WindowsAcrossMidnight) {
    expect_window(make(2024, 6, 15, 12, 0), {1145, 1210}, {1144, 1211, X}); // -15 to +10
    DATE_set_range(-15, 15);
    expect_window(make(2024, 6, 15, 23, 50), {5, 2335}, {2330, 6});
    expect_window(make(2024, 6, 15, 0, 5), {2350, 20}, {2349, 21});
    expect_window(make(2024, 6, 15, 12, X), {1145, 1215}, {1216});
    Date req = {X, X, X, X, X, -306, X, 0}; // every sixth hour plus 3: 14 h gives 15 h
    FILE_set_time(&req);
    expect_window(make(2024, 6, 15, 14, 0), {1500}, {1400});
}

TEST_F(Dates, DecodeHourForms) {
    struct Case {
        const char *text;
        int hour, min;
        const char *messages;
        std::vector<int> in, out;
    } cases[] = {
        {"14:30", 12, 0, "Decoding for: 14:30Z\n", {1415, 1440}, {1441}},
        {"14:30-20+5",
         12,
         0,
         "Decoding for: 14:30Z\nDecoding range: -20 +5 mins\n",
         {1410, 1435},
         {1409, 1436}},
        {"6", 12, 30, "Decoding for: 06:00Z\n", {600}, {1230}},
        {"6-30+40",
         12,
         30,
         "Decoding for: 06:00Z\nDecoding range: -30 +40 mins\n",
         {530, 640},
         {641}},
        {"-3", 14, 20, "Decoding for: 12:00Z\n", {1200}, {1420}},
        {":-30+40", 12, 0, "Decoding range: -30 +40 mins\n", {1130, 1240}, {1129}},
        {"CU:CU-5+5", 12, 40, "Decoding for: 12:40Z\nDecoding range: -5 +5 mins\n", {1235}, {1246}},
        {"cu-6", 3, 0, "Decoding for: 21:00Z\n", {2100}, {300}}, // 21 h of the day before
        {"cu-2-30+10",
         12,
         20,
         "Decoding for: 10:20Z\nDecoding range: -30 +10 mins\n",
         {950},
         {1031}},
        {"cu-10+20",
         12,
         40,
         "Decoding for: 12:00Z\nDecoding range: -10 +20 mins\n",
         {1150},
         {1221}},
        {"cu:45", 12, 10, "Decoding for: 12:45Z\n", {1245}, {1210}},
        {"cu:45-5+5", 12, 10, "Decoding for: 12:45Z\nDecoding range: -5 +5 mins\n", {1250}, {1251}},
        {"cu", 12, 40, "Decoding for: 12:00Z\n", {1205}, {1240}},
        // Texts that fit no form change nothing, a partial ":-PRE" included.
        {"xyz", 12, 0, "", {1145, 1210}, {1211}},
        {":-10", 12, 0, "", {1145, 1210}, {1211}},
        {"99999999999:99999999999-99999999999+99999999999", 12, 0, nullptr, {}, {}},
        {"cu-99999999999-1+1", 12, 0, nullptr, {}, {}},
        {"-0:-2147483648", 12, 0, nullptr, {}, {}},
    };
    for (Case &c : cases) {
        date_reset_state();
        RES_put("decode_hour", c.text);
        Capture cap;
        expect_window(make(2024, 1, 1, c.hour, c.min), c.in, c.out);
        DATE_chk_range(-2147483647 - 1);
        if (c.messages) {
            EXPECT_EQ(cap.out(), c.messages) << c.text;
        }
    }
}

} // namespace
