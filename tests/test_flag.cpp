// Conversion of resource values by kind, the flag slots and plot switches.

#include "vek_test.h"

using namespace vektest;

class ValueConversion : public VekTest {};

TEST_F(ValueConversion, IntegersDecimalHexAndRefused) {
    int v = 77;
    RES_conv_data("0x10", &v, CV_int);
    EXPECT_EQ(v, 16);
    RES_conv_data("-12", &v, CV_int);
    EXPECT_EQ(v, -12);
    RES_conv_data("+7", &v, CV_int);
    EXPECT_EQ(v, 7);
    RES_conv_data("x10", &v, CV_int);
    EXPECT_EQ(v, 7);
    RES_conv_data("99999999999999999999", &v, CV_int);
    EXPECT_EQ(v, 2147483647);
    short s = 5;
    RES_conv_data("-12", &s, CV_short);
    EXPECT_EQ(s, 5);
    RES_conv_data("12", &s, CV_short);
    EXPECT_EQ(s, 12);
    long l = 0;
    RES_conv_data("123456789012", &l, CV_long);
    EXPECT_EQ(l, 123456789012L);
    float f = 0;
    RES_conv_data("2.5", &f, CV_float);
    EXPECT_FLOAT_EQ(f, 2.5f);
}

TEST_F(ValueConversion, BooleansWithAndWithoutValue) {
    int b = 7;
    EXPECT_EQ(RES_conv_data(nullptr, &b, CV_bool), 1);
    EXPECT_EQ(b, 1);
    RES_conv_data("OFF", &b, CV_bool);
    EXPECT_EQ(b, 0);
    RES_conv_data("maybe", &b, CV_bool);
    EXPECT_EQ(b, 0);
    RES_conv_data("Yes", &b, CV_bool);
    EXPECT_EQ(b, 1);
}

TEST_F(ValueConversion, MissingDataOrDestination) {
    int v = 3;
    EXPECT_EQ(RES_conv_data(nullptr, &v, CV_int), 0);
    EXPECT_EQ(RES_conv_data("5", nullptr, CV_int), 0);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_batch), 1);
    EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_help), 1);
    EXPECT_TRUE(FLAG_batch());
    EXPECT_TRUE(FLAG_help());
}

TEST_F(ValueConversion, PathsGainATrailingSlash) {
    const char *path = nullptr;
    RES_conv_data("data", &path, CV_path);
    EXPECT_STREQ(path, "data/");
    free(const_cast<char *>(path));
    RES_conv_data("/x/", &path, CV_path);
    EXPECT_STREQ(path, "/x/");
    free(const_cast<char *>(path));
    RES_conv_data("NONE", &path, CV_path);
    EXPECT_STREQ(path, "");
}

TEST_F(ValueConversion, StringKinds) {
    const char *text = "value";
    const char *p = nullptr;
    RES_conv_data(text, &p, CV_string);
    EXPECT_EQ(p, text);
    char buf[FILE_NAME_LEN];
    std::string longer(500, 'a');
    RES_conv_data(longer.c_str(), buf, CV_strcpy);
    EXPECT_EQ(std::string(buf), std::string(159, 'a'));
}

TEST_F(ValueConversion, FileParameterWords) {
    struct {
        const char *word;
        int slot;
    } cases[] = {{"use", 3}, {"REUSE", 3}, {"over", 1}, {"calc", 1}, {"recalc", 1}, {"app", 2}};
    for (auto c : cases) {
        flag_reset_state();
        RES_conv_data(c.word, nullptr, CV_file_param);
        EXPECT_EQ(FLAG_get(15), c.slot) << c.word;
    }
    flag_reset_state();
    RES_conv_data("append", nullptr, CV_file_param);
    EXPECT_EQ(FLAG_get(15), -9999);
}

TEST_F(ValueConversion, DevicesAndPlotTypes) {
    EXPECT_EQ(RES_set_device("p"), 4);
    EXPECT_EQ(RES_set_device("q"), 5);
    EXPECT_EQ(RES_set_device("M"), 3);
    EXPECT_EQ(RES_set_device("d"), 1);
    const char *name = nullptr;
    RES_conv_data("w,radar", &name, CV_device);
    EXPECT_EQ(FLAG_get(2), 6);
    EXPECT_STREQ(name, "radar");
    name = nullptr;
    RES_conv_data("h,", &name, CV_device);
    EXPECT_EQ(FLAG_get(2), 5);
    EXPECT_EQ(name, nullptr);
    RES_conv_data("SkewT", nullptr, CV_plot_type);
    EXPECT_EQ(FLAG_get(11), 62);
    RES_conv_data("nonsense", nullptr, CV_plot_type);
    EXPECT_EQ(FLAG_get(11), 62);
}

TEST_F(ValueConversion, DrawListsSetThePlotSwitches) {
    RES_conv_data("map,grid", nullptr, CV_draw);
    EXPECT_EQ(FLAG_getplot(8), 1);
    EXPECT_EQ(FLAG_getplot(9), 1);
    EXPECT_EQ(FLAG_getplot(7), 0);
    EXPECT_EQ(FLAG_getplot(0), 0);
    EXPECT_EQ(FLAG_getplot(12), 2);

    RES_conv_data("+data", nullptr, CV_draw);
    EXPECT_EQ(FLAG_getplot(7), 1);
    EXPECT_EQ(FLAG_getplot(8), 1);

    RES_conv_data("text", nullptr, CV_draw);
    EXPECT_EQ(FLAG_getplot(0), 6);
    EXPECT_EQ(FLAG_getplot(11), 1);
    EXPECT_EQ(FLAG_getplot(8), 0);

    RES_conv_data("all,-text_ul", nullptr, CV_draw);
    EXPECT_EQ(FLAG_getplot(1), 0);
    EXPECT_EQ(FLAG_getplot(0), 5);
}

TEST_F(ValueConversion, PlotSwitchSums) {
    FLAG_setplot(12, 1);
    EXPECT_EQ(FLAG_getplot(0), 6);
    EXPECT_EQ(FLAG_getplot(12), 17);
    EXPECT_EQ(FLAG_getplot(13), 0);
    EXPECT_EQ(FLAG_setplot(-1, 1), 0);
}

TEST_F(ValueConversion, FlagSlotsOutOfRange) {
    EXPECT_EQ(FLAG_get(0), -9999);
    EXPECT_EQ(FLAG_set(30, 1), -1);
    EXPECT_EQ(FLAG_get(30), 0);
    EXPECT_EQ(FLAG_get(-1), 0);
    FLAG_setl(3, 1L << 40);
    EXPECT_EQ(FLAG_getl(3), 1L << 40);
    FLAG_set(4, -2);
    EXPECT_EQ(FLAG_getl(4), -2);
}

namespace {
Date requested(const char *text) {
    RES_conv_data(text, nullptr, CV_hour);
    Date d;
    FILE_get_time(&d);
    return d;
}
} // namespace

TEST_F(ValueConversion, RequestedTimeForms) {
    Date d = requested("061512");
    EXPECT_EQ(d.month, 6);
    EXPECT_EQ(d.day, 15);
    EXPECT_EQ(d.hour, 12);
    EXPECT_EQ(d.min, -9999);

    d = requested("1512");
    EXPECT_EQ(d.day, 15);
    EXPECT_EQ(d.hour, 12);
    EXPECT_EQ(d.month, -9999);

    d = requested("912");
    EXPECT_EQ(d.day, 9);
    EXPECT_EQ(d.hour, 12);

    d = requested("2d06:30");
    EXPECT_EQ(d.day, 2);
    EXPECT_EQ(d.hour, 6);
    EXPECT_EQ(d.min, 30);

    d = requested(":45");
    EXPECT_EQ(d.min, 45);
    EXPECT_EQ(d.hour, -9999);

    d = requested("-:30");
    EXPECT_EQ(d.min, -30);

    d = requested("#2024031512");
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 15);
    EXPECT_EQ(d.hour, 12);
    EXPECT_EQ(d.min, -9999);

    d = requested("#2024");
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, -9999);

    d = requested("12:30");
    EXPECT_EQ(d.hour, 12);
    EXPECT_EQ(d.min, 30);

    d = requested("-0:30");
    EXPECT_EQ(d.hour, -9999);
    EXPECT_EQ(d.min, -30);

    d = requested("-3");
    EXPECT_EQ(d.hour, -3);

    d = requested("garbage");
    EXPECT_EQ(d.hour, -9999);
    EXPECT_EQ(d.min, -9999);
}
