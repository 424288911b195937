// Splitting, cleaning and copying strings, reading lines piece-wise, and
// reading numbers from text. (The byte-run search: the block input tests.)

#include "numtext.h"
#include "vek_test.h"
#include "vekstr.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

using namespace vektest;

using Strings = std::vector<std::string>;

// Inner empty fields are kept, trailing delimiters dropped; a copy takes at
// most CAP - 1 bytes, always ends them, and writes nothing beyond CAP.
TEST(Strings, SplittingCleaningAndCopying) {
    const std::pair<const char *, Strings> splits[] = {
        {"a,,b", {"a", "", "b"}}, {"a,b,,", {"a", "b"}}, {",,,", {""}}, {nullptr, {"<fail:0>"}}};
    for (const auto &[s, fields] : splits) { // the fields, or "<fail:ARGC>" when refused
        int argc = -1;
        char **argv = nullptr;
        const int r = parse_string(s, ',', &argc, &argv);
        EXPECT_EQ(r ? Strings{fmt("<fail:%d>", argc)} : Strings(argv, argv + argc), fields) << s;
        if (!r) free_parsed_array(argc, argv);
    }
    const struct {
        int (*clean)(char *);
        const char *in, *out;
    } cleans[] = {{clean_line, "abc\t\r\n", "abc"},
                  {clean_line, "x\x01\xff\x7f", "x  \x7f"},
                  {wstrim_string, "ab\r\ncd\n", "abcd"},
                  {trim_string, "ab c   ", "ab c"}};
    for (const auto &c : cleans) {
        std::string s = c.in;
        c.clean(s.data());
        EXPECT_STREQ(s.c_str(), c.out) << c.in;
    }
    char empty[] = "";
    EXPECT_EQ(clean_line(empty), 0);
    for (auto [src, cap, copied] : {std::tuple<const char *, size_t, size_t>{"abc", 4, 3},
                                    {"abcdef", 4, 3},
                                    {"abc", 1, 0},
                                    {nullptr, 4, 0}}) {
        char buf[6];
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(vek_strlcpy(buf, src, cap), copied) << (src ? src : "null") << " " << cap;
        EXPECT_EQ(std::string(buf, sizeof buf),
                  std::string(src ? src : "", copied) + '\0' + std::string(5 - copied, '#'));
    }
}

// An empty first line is skipped, later empty lines come back empty, longer
// lines come in pieces of the width; carriage returns and NULs are text.
// (Lines of 10,000 bytes: the MDR reader's tests.)
TEST(LineReaders, ResultConventions) {
    std::string text("\nab\r\0cdef\n\n\nxy", 14);
    FILE *f = fmemopen(text.data(), text.size(), "r");
    Strings pieces; // "length:text" of each piece, up to the end ("-1:")
    char buf[161];
    for (int n = 0; n >= 0;)
        n = fgetnline(f, buf, 4), pieces.push_back(fmt("%d:", n) + std::string(buf, n > 0 ? n : 0));
    EXPECT_EQ(pieces, (Strings{std::string("4:ab\r\0", 6), "4:cdef", "0:", "0:", "2:xy", "-1:"}));
    fclose(f);
    EXPECT_EQ(fgetline(nullptr, buf), -1);
}

// Numbers in text are read as sscanf reads them, but held at the range of int
// (within +-INT_MAX, so that they can be negated) instead of overflowing.
TEST(NumbersInText, ScanIntsReadsAsSscanfAndSaturates) {
    // The count converted and the values, as sscanf would give them: -1 when
    // the text ends before the first conversion; "%x" is not offered.
    const struct {
        const char *text, *pat, *result;
    } cases[] = {{"99999999999", "%d", "1 2147483647"},
                 {"-99999999999", "%d", "1 -2147483647"},
                 {" +2147483647", "%d", "1 2147483647"},
                 {"123456", "%2d%2d", "2 12 34"},
                 {"7:", "%d:%d", "1 7"},
                 {"SDUS21 KWBC 151215 RRA", "%*s %*s %*2d%2d%2d", "2 12 15"},
                 {"", "%d", "-1"},
                 {"-", "%d", "0"},
                 {"5", "%x", "0"}};
    for (const auto &c : cases) {
        int v[3] = {-1, -1, -1};
        const int count = scan_ints(c.text, c.pat, v);
        std::string got = std::to_string(count);
        for (int i = 0; i < count; ++i) got += " " + std::to_string(v[i]);
        EXPECT_EQ(got, c.result) << c.text;
    }
    const char *p = "1234567";
    int v = 0, w = 0;
    EXPECT_TRUE(take_digits(p, 4, &v) && p == std::string("567") && v == 1234);
    p = "9999999999999999999";
    EXPECT_TRUE(take_digits(p, 0, &w) && !take_digits(p, 0, &v) && w == INT_MAX && v == 1234);
    EXPECT_EQ(clamp_int(int64_t{1} << 40), INT_MAX);
    EXPECT_EQ(clamp_int(-(int64_t{1} << 40)), INT_MIN);
}

// The leading-number readers end where strtol and strtof end and give their
// values, held at the range of the type; hexadecimal floats are not numbers.
TEST(NumbersInText, ReadersEndWhereStrtolAndStrtofEnd) {
    for (const char *t :
         {"12", "  -7x", " +42", "-2147483648", "-2147483649", "99999999999999999999",
          "-99999999999999999999", "x", "", "-", "+-3", "0x1F", "-0x10", "0x", "1e5"}) {
        for (int base : {10, 16}) {
            int v = -1;
            char *want_end;
            const long want = std::strtol(t, &want_end, base);
            const char *end = read_int(t, &v, base);
            EXPECT_EQ(end ? end : t, want_end) << t << " base " << base;
            EXPECT_EQ(v, end ? clamp_int(want) : -1) << t << " base " << base;
        }
    }
    for (const char *t : {"1.5", "  -2.25e3x", "+.5", ".", ".e3", "1e", "1e+", "3.4e39", "-3.4e39",
                          "1e-50", "-inf", "NaN", "1e99999999999", "1e-99999999999", "5.", "--1"}) {
        float v = -1;
        char *want_end;
        const float want = std::strtof(t, &want_end);
        const char *end = read_float(t, &v);
        EXPECT_EQ(end ? end : t, want_end) << t;
        EXPECT_TRUE(end ? v == want || (std::isnan(v) && std::isnan(want)) : v == -1) << t;
    }
    unsigned u = 5;
    EXPECT_TRUE(!read_int("-3", &u) && u == 5);
}
