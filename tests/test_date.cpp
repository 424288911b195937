// Dates: seconds and calendar dates, day of year, month names, labels in
// every time-zone mode, the sequence form, and the decoding window with its
// decode_hour forms.

#include <ctime>
#include <string>

#include "vek_test.h"

namespace {

using vektest::Capture;

Date make(int y, int mo, int d, int h = VEK_MISS, int mi = VEK_MISS, int s = 0) {
    return Date{y, mo, d, VEK_MISS, VEK_MISS, h, mi, s};
}

std::string label(Date d) {
    char buf[DATE_LABEL_LEN];
    EXPECT_EQ(DATE_make_label(&d, buf), 0);
    return buf;
}

std::string seq(Date d) {
    char buf[DATE_LABEL_LEN];
    EXPECT_EQ(DATE_make_seq(&d, buf), 0);
    return buf;
}

long platform_seconds(int y, int mo, int d, int h, int mi, int s) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<long>(timegm(&t));
}

class DateTest : public vektest::VekTest {};

// ---- seconds and calendar dates --------------------------------------------

TEST_F(DateTest, SecondsOfStatedDates) {
    Date epoch = make(1970, 1, 1, 0, 0, 0);
    EXPECT_EQ(DATE_num_sec(&epoch), 0);
    Date leap_march = make(2000, 3, 1, 0, 0);
    EXPECT_EQ(DATE_num_sec(&leap_march), 951868800);
    Date last = make(2099, 12, 31, 23, 59, 59);
    EXPECT_EQ(DATE_num_sec(&last), 4102444799L);
}

TEST_F(DateTest, DateWithNothingGivenIsStartOf1980AndIsNormalisedInPlace) {
    Date d = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS};
    EXPECT_EQ(DATE_num_sec(&d), 315532800);
    EXPECT_EQ(d.year, 1980);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.hour, 0);
    EXPECT_EQ(d.min, 0);
    EXPECT_EQ(d.sec, 0);
}

TEST_F(DateTest, ShortYearsAreCompleted) {
    Date two = make(24, 6, 15, 12, 0);
    Date old = make(99, 6, 15, 12, 0);
    Date since1900 = make(124, 6, 15, 12, 0);
    DATE_num_sec(&two);
    DATE_num_sec(&old);
    DATE_num_sec(&since1900);
    EXPECT_EQ(two.year, 2024);
    EXPECT_EQ(old.year, 1999);
    EXPECT_EQ(since1900.year, 2024);
    Date y49 = make(49, 1, 1), y50 = make(50, 1, 1);
    DATE_num_sec(&y49);
    DATE_num_sec(&y50);
    EXPECT_EQ(y49.year, 2049);
    EXPECT_EQ(y50.year, 1950);
}

TEST_F(DateTest, FieldsOutOfRangeTakeTheirFirstValue) {
    Date d = make(2024, 13, 32, 24, 60, 61);
    EXPECT_EQ(DATE_num_sec(&d), platform_seconds(2024, 1, 1, 0, 0, 0));
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
}

TEST_F(DateTest, DayZeroIsTheLastDayOfTheMonthBefore) {
    Date d = make(2024, 3, 0, 0, 0);
    EXPECT_EQ(DATE_num_sec(&d), platform_seconds(2024, 2, 29, 0, 0, 0));
    Date jan = make(2024, 1, 0, 0, 0);
    EXPECT_EQ(DATE_num_sec(&jan), platform_seconds(2023, 12, 31, 0, 0, 0));
}

TEST_F(DateTest, EveryDayFrom1970To2099AgreesWithThePlatformBothWays) {
    for (int y = 1970; y <= 2099; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= 31; ++d) {
                struct tm t = {};
                t.tm_year = y - 1900;
                t.tm_mon = m - 1;
                t.tm_mday = d;
                time_t probe = timegm(&t);
                struct tm back;
                gmtime_r(&probe, &back);
                if (back.tm_mon != m - 1) continue; // no such day
                int h = (y * 7 + d) % 24, mi = (m * 13 + d) % 60, s = d % 60;
                Date date = make(y, m, d, h, mi, s);
                long secs = DATE_num_sec(&date);
                ASSERT_EQ(secs, platform_seconds(y, m, d, h, mi, s)) << y << "-" << m << "-" << d;
                Date g;
                ASSERT_EQ(DATE_get_gmdate(&secs, &g), 0);
                ASSERT_EQ(g.year, y);
                ASSERT_EQ(g.month, m);
                ASSERT_EQ(g.day, d);
                ASSERT_EQ(g.hour, h);
                ASSERT_EQ(g.min, mi);
                ASSERT_EQ(g.sec, s);
                ASSERT_EQ(g.wday, back.tm_wday);
                int julian = 0;
                DATE_monday_julian(y, m, d, &julian);
                ASSERT_EQ(g.jday, julian);
            }
        }
    }
}

TEST_F(DateTest, CurrentTimeIsStoredAndBrokenDown) {
    long stored = 0;
    long before = static_cast<long>(time(nullptr));
    long now = DATE_get_time(&stored);
    EXPECT_EQ(now, stored);
    EXPECT_GE(now, before);
    EXPECT_LE(now, before + 5);
    Date d;
    EXPECT_EQ(DATE_get_gmdate(nullptr, &d), 0);
    EXPECT_GE(d.year, 2024);
    EXPECT_GE(d.month, 1);
    EXPECT_LE(d.month, 12);
}

TEST_F(DateTest, SecondsBeyondTheCalendarGiveNoDate) {
    long huge = 0x7fffffffffffffffL;
    Date d = make(2024, 1, 1, 0, 0);
    EXPECT_EQ(DATE_get_gmdate(&huge, &d), -1);
    EXPECT_EQ(d.year, VEK_MISS);
    EXPECT_EQ(d.hour, VEK_MISS);
}

// ---- day of year, leap years, month names ----------------------------------

TEST_F(DateTest, DayOfYearToMonthAndDay) {
    int m = 0, d = 0;
    DATE_julian_monday(2024, 60, &m, &d);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 29);
    DATE_julian_monday(2023, 60, &m, &d);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(d, 1);
    DATE_julian_monday(2023, 400, &m, &d);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(d, 31);
    DATE_julian_monday(2024, 0, &m, &d);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(d, 1);
    DATE_julian_monday(2024, 366, &m, &d);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(d, 31);
}

TEST_F(DateTest, DayOfYearRoundTripsForCommonAndLeapYears) {
    for (int year : {2023, 2024}) {
        int len = DATE_is_leap(year) ? 366 : 365;
        for (int j = 1; j <= len; ++j) {
            int m = 0, d = 0, back = 0;
            DATE_julian_monday(year, j, &m, &d);
            DATE_monday_julian(year, m, d, &back);
            ASSERT_EQ(back, j) << year;
        }
    }
}

TEST_F(DateTest, MonthAndDayToDayOfYearClampsTheMonthOnly) {
    int j = 0;
    DATE_monday_julian(2023, 13, 1, &j);
    EXPECT_EQ(j, 335);
    DATE_monday_julian(2023, 0, 40, &j);
    EXPECT_EQ(j, 40);
    DATE_monday_julian(2024, 3, 1, &j);
    EXPECT_EQ(j, 61);
}

TEST_F(DateTest, LeapYearsOfTheGregorianCalendar) {
    EXPECT_EQ(DATE_is_leap(1900), 0);
    EXPECT_EQ(DATE_is_leap(2000), 1);
    EXPECT_EQ(DATE_is_leap(2024), 1);
    EXPECT_EQ(DATE_is_leap(2023), 0);
    EXPECT_EQ(DATE_is_leap(2100), 0);
}

TEST_F(DateTest, MonthNamesInOneCaseAreRecognised) {
    const char *upper[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                           "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(DATE_decode_month(upper[m - 1]), m);
        EXPECT_EQ(DATE_decode_month(DATE_month_lower(m)), m);
    }
    EXPECT_EQ(DATE_decode_month("Jan"), 0);
    EXPECT_EQ(DATE_decode_month("Mar"), 0);
    EXPECT_EQ(DATE_decode_month("Feb"), 2);
    EXPECT_EQ(DATE_decode_month("dEC"), 12);
    EXPECT_EQ(DATE_decode_month("xyz"), 0);
    EXPECT_EQ(DATE_decode_month("J"), 0);
    EXPECT_EQ(DATE_decode_month("JU"), 0);
    EXPECT_EQ(DATE_decode_month(""), 0);
    EXPECT_EQ(DATE_decode_month(nullptr), 0);
}

TEST_F(DateTest, LowerCaseMonthNamesOnlyForRealMonths) {
    EXPECT_STREQ(DATE_month_lower(1), "jan");
    EXPECT_STREQ(DATE_month_lower(12), "dec");
    EXPECT_STREQ(DATE_month_lower(0), "");
    EXPECT_STREQ(DATE_month_lower(13), "");
}

TEST_F(DateTest, DebugFormOfADate) {
    Capture cap;
    Date d = make(2024, 6, 15, 9, 5, 7);
    DATE_print(M_PRINT, &d);
    DATE_print(M_DEBUG, &d); // not selected by default
    EXPECT_EQ(cap.out(), "2024/6/15 09:05:07\n");
}

// ---- labels ----------------------------------------------------------------

TEST_F(DateTest, LabelFormsFollowTheFieldsGiven) {
    EXPECT_EQ(label(make(2024, 6, 15, 12, 30)), "1230Z 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 12)), "12Z 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15)), "15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, VEK_MISS)), "JUN 24");
    EXPECT_EQ(label(make(2024, VEK_MISS, VEK_MISS)), "24");
    EXPECT_EQ(label(make(2024, 6, 5, 7, 3)), "0703Z  5 JUN 24");
}

TEST_F(DateTest, LabelFieldsAreNormalised) {
    EXPECT_EQ(label(make(VEK_MISS, VEK_MISS, VEK_MISS)), "80");
    EXPECT_EQ(label(make(-5, 13, 40, 30, 75)), "0000Z  1 JAN 80");
    EXPECT_EQ(label(make(124, 2, 0)), " 0 FEB 24");
}

TEST_F(DateTest, LabelIntoNoBufferFails) {
    Date d = make(2024, 6, 15, 12, 30);
    EXPECT_EQ(DATE_make_label(&d, nullptr), -1);
    EXPECT_EQ(DATE_make_seq(&d, nullptr), -1);
}

TEST_F(DateTest, TwelveHourLabelsWithoutOffset) {
    DATE_set_TZ("+EST:0");
    EXPECT_EQ(label(make(2024, 6, 15, 13, 5)), "1:05 PM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 12, 0)), "12:00 PM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 0, 30)), "12:30 AM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 11, 59)), "11:59 AM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 9)), "9 AM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 23)), "11 PM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 12)), "12 PM EST 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 0)), "12 AM EST 15 JUN 24");
}

TEST_F(DateTest, TwelveHourLabelsWithTheUtcTimeInBrackets) {
    DATE_set_TZ("-EST:-5");
    EXPECT_EQ(label(make(2024, 6, 15, 12, 30)), "7:30 AM EST [1230Z] 15 JUN 24");
    // Five hours back crosses midnight: the zone's date is the day before.
    EXPECT_EQ(label(make(2024, 6, 15, 2, 0)), "9:00 PM EST [0200Z] 14 JUN 24");
    EXPECT_EQ(label(make(2024, 1, 1, 3, 15)), "10:15 PM EST [0315Z] 31 DEC 23");
}

TEST_F(DateTest, BracketedUtcTimeWithoutOffset) {
    DATE_set_TZ("-UTC:0");
    EXPECT_EQ(label(make(2024, 6, 15, 18, 45)), "6:45 PM UTC [1845Z] 15 JUN 24");
    EXPECT_EQ(label(make(2024, 6, 15, 18)), "6 PM UTC [18Z] 15 JUN 24");
}

TEST_F(DateTest, TwentyFourHourLabelsInAnotherZone) {
    DATE_set_TZ("IST:5.5");
    EXPECT_EQ(label(make(2024, 6, 15, 12, 30)), "1800 IST 15 JUN 24");
    DATE_set_TZ("CET:1");
    EXPECT_EQ(label(make(2024, 12, 31, 23, 30)), "0030 CET  1 JAN 25");
}

TEST_F(DateTest, ZoneSignIsKeptWhenTheNextZoneHasNone) {
    DATE_set_TZ("+EST:-5");
    DATE_set_TZ("CST:-6");
    EXPECT_EQ(label(make(2024, 6, 15, 18, 0)), "12:00 PM CST 15 JUN 24");
}

TEST_F(DateTest, LabelWithOffsetNormalisesTheDateInPlace) {
    DATE_set_TZ("EST:-5");
    Date d = make(2024, 6, 15, 12, VEK_MISS);
    char buf[DATE_LABEL_LEN];
    DATE_make_label(&d, buf);
    EXPECT_EQ(d.min, 0);
    EXPECT_STREQ(buf, "0700 EST 15 JUN 24");
    Date untouched = make(2024, 6, 15, 12, VEK_MISS);
    DATE_set_TZ("Z:0");
    DATE_make_label(&untouched, buf);
    EXPECT_EQ(untouched.min, VEK_MISS);
}

TEST_F(DateTest, SequenceFormHasTwelveDigits) {
    EXPECT_EQ(seq(make(2024, 6, 15, 12, 30)), "202406151230");
    EXPECT_EQ(seq(make(2024, 6, 15)), "202406150000");
    EXPECT_EQ(seq(make(24, 1, 2, 3, 4)), "202401020304");
    Date d = make(2024, 6, 15);
    char buf[DATE_LABEL_LEN];
    DATE_make_seq(&d, buf);
    EXPECT_EQ(d.hour, 0); // normalised in place
}

TEST_F(DateTest, CurrentTimeStampHasItsFixedShape) {
    char buf[DATE_LABEL_LEN];
    DATE_get_current_str(buf);
    std::string s = buf;
    ASSERT_EQ(s.size(), 20u);
    EXPECT_EQ(s[2], ' ');
    EXPECT_EQ(s.substr(9, 2), "  ");
    EXPECT_EQ(s.back(), 'Z');
}

// ---- the decoding window ---------------------------------------------------

TEST_F(DateTest, DefaultWindowIsFifteenBeforeAndTenAfter) {
    Date d = make(2024, 6, 15, 12, 0);
    DATE_set_datim(&d);
    EXPECT_EQ(DATE_chk_range(1145), 1);
    EXPECT_EQ(DATE_chk_range(1144), 0);
    EXPECT_EQ(DATE_chk_range(1210), 1);
    EXPECT_EQ(DATE_chk_range(1211), 0);
    EXPECT_EQ(DATE_chk_range(VEK_MISS), 0);
}

TEST_F(DateTest, WindowAcrossMidnightForward) {
    DATE_set_range(-15, 15);
    Date d = make(2024, 6, 15, 23, 50);
    DATE_set_datim(&d);
    EXPECT_EQ(DATE_chk_range(5), 1);    // 00:05 of the day after
    EXPECT_EQ(DATE_chk_range(2335), 1); // the window opens
    EXPECT_EQ(DATE_chk_range(2330), 0);
    EXPECT_EQ(DATE_chk_range(6), 0);
}

TEST_F(DateTest, WindowAcrossMidnightBackward) {
    DATE_set_range(-15, 15);
    Date d = make(2024, 6, 15, 0, 5);
    DATE_set_datim(&d);
    EXPECT_EQ(DATE_chk_range(2350), 1); // 23:50 of the day before
    EXPECT_EQ(DATE_chk_range(2349), 0);
    EXPECT_EQ(DATE_chk_range(20), 1);
    EXPECT_EQ(DATE_chk_range(21), 0);
}

TEST_F(DateTest, ReferenceMinuteNotGivenCountsAsZero) {
    DATE_set_range(-5, 5);
    Date d = make(2024, 6, 15, 12, VEK_MISS);
    DATE_set_datim(&d);
    EXPECT_EQ(DATE_chk_range(1205), 1);
    EXPECT_EQ(DATE_chk_range(1206), 0);
}

TEST_F(DateTest, RequestedTimeMovesTheReferenceHour) {
    Date req = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, -306, VEK_MISS, 0};
    FILE_set_time(&req);
    DATE_set_range(-10, 10);
    Date d = make(2024, 6, 15, 14, 0);
    DATE_set_datim(&d);
    // -306: every sixth hour plus three, from 14 h: 12 + 3.
    EXPECT_EQ(DATE_chk_range(1500), 1);
    EXPECT_EQ(DATE_chk_range(1400), 0);
}

TEST_F(DateTest, HourAndMinuteForm) {
    RES_put("decode_hour", "14:30");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 0);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 14:30Z\n");
    EXPECT_EQ(DATE_chk_range(1415), 1);
    EXPECT_EQ(DATE_chk_range(1440), 1);
    EXPECT_EQ(DATE_chk_range(1441), 0);
}

TEST_F(DateTest, HourAndMinuteFormWithWindow) {
    RES_put("decode_hour", "14:30-20+5");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 0);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 14:30Z\nDecoding range: -20 +5 mins\n");
    EXPECT_EQ(DATE_chk_range(1410), 1);
    EXPECT_EQ(DATE_chk_range(1409), 0);
    EXPECT_EQ(DATE_chk_range(1435), 1);
    EXPECT_EQ(DATE_chk_range(1436), 0);
}

TEST_F(DateTest, HourOnlyFormAndHourWithWindow) {
    RES_put("decode_hour", "6");
    {
        Capture cap;
        Date d = make(2024, 6, 15, 12, 30);
        DATE_set_datim(&d);
        EXPECT_EQ(cap.out(), "Decoding for: 06:00Z\n");
    }
    EXPECT_EQ(DATE_chk_range(600), 1);
    RES_put("decode_hour", "6-30+40");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 30);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 06:00Z\nDecoding range: -30 +40 mins\n");
    EXPECT_EQ(DATE_chk_range(530), 1);
    EXPECT_EQ(DATE_chk_range(640), 1);
    EXPECT_EQ(DATE_chk_range(641), 0);
}

TEST_F(DateTest, NegativeHourIsARoundingRequest) {
    RES_put("decode_hour", "-3");
    Capture cap;
    Date d = make(2024, 6, 15, 14, 20);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 12:00Z\n");
    RES_put("decode_hour", "-306");
    Capture cap2;
    DATE_set_datim(&d);
    EXPECT_EQ(cap2.out(), "Decoding for: 15:00Z\n");
}

TEST_F(DateTest, WindowOnlyFormKeepsTheHour) {
    RES_put("decode_hour", ":-30+40");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 0);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding range: -30 +40 mins\n");
    EXPECT_EQ(DATE_chk_range(1130), 1);
    EXPECT_EQ(DATE_chk_range(1129), 0);
    EXPECT_EQ(DATE_chk_range(1240), 1);
}

TEST_F(DateTest, CurrentHourAndMinuteWithWindow) {
    RES_put("decode_hour", "CU:CU-5+5");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 40);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 12:40Z\nDecoding range: -5 +5 mins\n");
    EXPECT_EQ(DATE_chk_range(1235), 1);
    EXPECT_EQ(DATE_chk_range(1246), 0);
}

TEST_F(DateTest, CurrentMovedBackSixHoursCrossesMidnight) {
    RES_put("decode_hour", "cu-6");
    Capture cap;
    Date d = make(2024, 1, 1, 3, 0);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 21:00Z\n");
    EXPECT_EQ(DATE_chk_range(2100), 1);
    EXPECT_EQ(DATE_chk_range(300), 0);
}

TEST_F(DateTest, CurrentMovedBackWithWindow) {
    RES_put("decode_hour", "cu-2-30+10");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 20);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 10:20Z\nDecoding range: -30 +10 mins\n");
    EXPECT_EQ(DATE_chk_range(950), 1);
    EXPECT_EQ(DATE_chk_range(1031), 0);
}

TEST_F(DateTest, CurrentHourWithWindowStartsAtMinuteZero) {
    RES_put("decode_hour", "cu-10+20");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 40);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 12:00Z\nDecoding range: -10 +20 mins\n");
    EXPECT_EQ(DATE_chk_range(1150), 1);
    EXPECT_EQ(DATE_chk_range(1221), 0);
}

TEST_F(DateTest, CurrentHourWithGivenMinute) {
    RES_put("decode_hour", "cu:45");
    {
        Capture cap;
        Date d = make(2024, 6, 15, 12, 10);
        DATE_set_datim(&d);
        EXPECT_EQ(cap.out(), "Decoding for: 12:45Z\n");
    }
    RES_put("decode_hour", "cu:45-5+5");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 10);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 12:45Z\nDecoding range: -5 +5 mins\n");
    EXPECT_EQ(DATE_chk_range(1250), 1);
    EXPECT_EQ(DATE_chk_range(1251), 0);
}

TEST_F(DateTest, CurrentAloneIsTheHourAtMinuteZero) {
    RES_put("decode_hour", "cu");
    Capture cap;
    Date d = make(2024, 6, 15, 12, 40);
    DATE_set_datim(&d);
    EXPECT_EQ(cap.out(), "Decoding for: 12:00Z\n");
    EXPECT_EQ(DATE_chk_range(1205), 1);
    EXPECT_EQ(DATE_chk_range(1240), 0);
}

TEST_F(DateTest, TextsThatFitNoFormChangeNothing) {
    for (const char *text : {"xyz", ":-10", "", "::", "+"}) {
        RES_put("decode_hour", text);
        Capture cap;
        Date d = make(2024, 6, 15, 12, 0);
        DATE_set_datim(&d);
        EXPECT_EQ(cap.out(), "") << text;
        EXPECT_EQ(DATE_chk_range(1145), 1) << text;
        EXPECT_EQ(DATE_chk_range(1211), 0) << text;
    }
}

TEST_F(DateTest, HostileNumbersStayDefined) {
    for (const char *text : {"99999999999:99999999999-99999999999+99999999999", "-2147483648",
                             "cu-2147483647", "cu-99999999999-1+1", "-0:-2147483648"}) {
        RES_put("decode_hour", text);
        Capture cap;
        Date d = make(2024, 6, 15, 12, 0);
        EXPECT_EQ(DATE_set_datim(&d), 0) << text;
        DATE_chk_range(1200);
        DATE_chk_range(-2147483647);
        DATE_chk_range(2147483647);
    }
}

TEST_F(DateTest, ResetRestoresTheStartingState) {
    DATE_set_TZ("-EST:-5");
    DATE_set_range(-60, 60);
    vektest::reset_all();
    EXPECT_EQ(label(make(2024, 6, 15, 12, 30)), "1230Z 15 JUN 24");
    Date d = make(2024, 6, 15, 12, 0);
    DATE_set_datim(&d);
    EXPECT_EQ(DATE_chk_range(1144), 0);
}

} // namespace
