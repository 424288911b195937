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
    struct {
        const char *text;
        DEF_convert cvt;
        long expect; // from a start of 77
    } cases[] = {{"0x10", CV_int, 16},
                 {"x10", CV_int, 77},
                 {"12", CV_short, 12},
                 {"99999999999999999999", CV_int, INT_MAX},
                 {"-99999999999999999999", CV_int, INT_MIN},
                 {"999999999999999999999999", CV_long, LONG_MAX},
                 {"123456789012", CV_long, 123456789012L}};
    for (auto c : cases) {
        int i = 77;
        short s = 77;
        long l = 77;
        void *out = c.cvt == CV_int     ? static_cast<void *>(&i)
                    : c.cvt == CV_short ? static_cast<void *>(&s)
                                        : static_cast<void *>(&l);
        RES_conv_data(c.text, out, c.cvt);
        EXPECT_EQ(c.cvt == CV_int ? i : c.cvt == CV_short ? s : l, c.expect) << c.text;
    }
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
