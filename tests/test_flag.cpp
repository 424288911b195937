// Conversion of resource values by kind: numbers held at their type's range,
// names never cut, the file-parameter words and the requested-time forms.

#include "files.h"
#include "flag.h"
#include "res_conv.h"
#include "vek_test.h"

#include <climits>
#include <cmath>

using namespace vektest;

class ValueConversion : public VekTest {};

TEST_F(ValueConversion, NumbersByKindHeldAtTheirRange) {
    int i = 77; // a text that is no number leaves the value
    for (auto [text, want] : {std::pair{"0x10", 16},
                              {"x10", 16},
                              {"99999999999999999999", INT_MAX},
                              {"-99999999999999999999", INT_MIN}}) {
        RES_conv_data(text, &i, CV_int);
        EXPECT_EQ(i, want) << text;
    }
    short s = 0;
    long l = 0, big = 0;
    RES_conv_data("12", &s, CV_short);
    RES_conv_data("123456789012", &l, CV_long);
    RES_conv_data("999999999999999999999999", &big, CV_long);
    EXPECT_TRUE(s == 12 && l == 123456789012L && big == LONG_MAX);
    float f = 0;
    RES_conv_data("1e999", &f, CV_float);
    EXPECT_TRUE(std::isinf(f));
    int b = 7;
    EXPECT_EQ(RES_conv_data(nullptr, &b, CV_bool) * 10 + b, 11); // an option given alone
    RES_conv_data("OFF", &b, CV_bool);
    EXPECT_EQ(b, 0);
}

TEST_F(ValueConversion, PathsAndNamesAreNeverCut) {
    char *path = nullptr;
    RES_conv_data("data", &path, CV_path);
    EXPECT_STREQ(path, "data/");
    free(path);
    char buf[FILE_NAME_LEN];
    RES_conv_data(std::string(FILE_NAME_LEN - 1, 'a').c_str(), buf, CV_strcpy);
    EXPECT_EQ(std::string(buf), std::string(FILE_NAME_LEN - 1, 'a'));
    Capture cap;
    EXPECT_EQ(RES_conv_data(std::string(FILE_NAME_LEN, 'a').c_str(), buf, CV_strcpy), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_NE(cap.err().find("RES_conv_data: Name too long"), std::string::npos);
    for (auto [word, mode] : {std::pair{"use", 3}, {"REUSE", 3}, {"app", 2}, {"append", -9999}}) {
        flag_reset_state();
        const char *name = nullptr;
        RES_conv_data(word, &name, CV_file_param);
        EXPECT_EQ(FLAG_get(FLAG_FILE_MODE), mode) << word;
    }
}

// The requested time as "year month day hour minute" ("_" missing); numbers
// beyond the range of int are held at it (negated: -INT_MAX).
TEST_F(ValueConversion, RequestedTimeForms) {
    const struct {
        const char *text, *date;
    } cases[] = {{"061512", "_ 6 15 12 _"},
                 {"2d06:30", "_ _ 2 6 30"},
                 {"#2024031512", "2024 3 15 12 _"},
                 {"garbage", "_ _ _ _ _"},
                 {"99999999999:99999999999", "_ _ _ 2147483647 2147483647"},
                 {"-0:99999999999", "_ _ _ _ -2147483647"},
                 {"99999999999d99999999999:9", "_ _ 2147483647 2147483647 9"}};
    for (auto c : cases) {
        RES_conv_data(c.text, nullptr, CV_hour);
        Date d;
        FILE_get_time(&d);
        EXPECT_EQ(date_text(d), c.date) << c.text;
    }
}
