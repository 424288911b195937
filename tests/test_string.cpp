// Splitting, comparing and cleaning strings, reading lines piece-wise, and
// reading numbers from text.

#include "vek_test.h"

#include <climits>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "numtext.h"

using namespace vektest;

namespace {

using Strings = std::vector<std::string>;

Strings split(const char *s, char delim) {
    int argc = -1;
    char **argv = nullptr;
    if (parse_string(s, delim, &argc, &argv) != 0) return {"<fail:" + std::to_string(argc) + ">"};
    Strings out(argv, argv + argc);
    free_parsed_array(argc, argv);
    return out;
}

// The pieces a reader of WIDTH gives for TEXT ("length:text", then "-1:"),
// worked out from its lines: an empty first line is skipped, later empty
// lines come back empty, longer lines come in pieces of the width.
Strings expected_pieces(const std::string &text, int width) {
    Strings out;
    size_t start = 0;
    for (int i = 0; start < text.size(); ++i) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(start, nl - start);
        start = nl + 1;
        if (line.empty() && i > 0) out.push_back("0:");
        for (size_t p = 0; p < line.size(); p += width)
            out.push_back(std::to_string(std::min<size_t>(width, line.size() - p)) + ":" +
                          line.substr(p, width));
    }
    out.push_back("-1:");
    return out;
}

// A file of random lines, empty ones among them, larger than a stream buffer.
std::string random_lines(unsigned seed, int count, int max_len) {
    std::string text = "\n";
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245 + 12345;
        int len = seed % 5 == 0 ? 0 : static_cast<int>((seed >> 16) % max_len);
        for (int k = 0; k < len; ++k) text += static_cast<char>('a' + (seed >> (k % 20)) % 26);
        text += '\n';
    }
    return text;
}

bool first_in(const char *text, int length, void *set) {
    return length > 0 && strchr(static_cast<const char *>(set), text[0]) != nullptr;
}

} // namespace

TEST(Strings, SplittingKeepsInnerEmptyFieldsAndDropsTrailingDelimiters) {
    EXPECT_EQ(split("a,b", ','), (Strings{"a", "b"}));
    EXPECT_EQ(split("a,,b", ','), (Strings{"a", "", "b"}));
    EXPECT_EQ(split(",a", ','), (Strings{"", "a"}));
    EXPECT_EQ(split("a,b,,", ','), (Strings{"a", "b"}));
    EXPECT_EQ(split(",,,", ','), (Strings{""}));
    EXPECT_EQ(split("", ','), (Strings{"<fail:0>"}));
    EXPECT_EQ(split(nullptr, ','), (Strings{"<fail:0>"}));
}

TEST(Strings, ComparingWithoutCase) {
    EXPECT_EQ(stricmp("ABC", "abc"), 0);
    EXPECT_LT(stricmp("abc", "abd"), 0);
    EXPECT_GT(stricmp("abcd", "ABC"), 0);
    EXPECT_EQ(stricmp(nullptr, "a"), 1);
    EXPECT_EQ(strnicmp("WARNING", "warn", 4), 0);
    EXPECT_NE(strnicmp("WARNING", "warn", 5), 0);
}

TEST(Strings, CleaningAndTrimming) {
    char a[] = "abc\t\r\n", b[] = "a\tb ", c[] = "x\x01\xff\x7f", d[] = "ab\r\ncd\n";
    char e[] = "ab c   ", f[] = "MiXeD", g[] = "a_b", empty[] = "";
    EXPECT_EQ(clean_line(a), 1);
    clean_line(b);
    clean_line(c);
    wstrim_string(d);
    trim_string(e);
    low_string(f);
    fill_string(g, '_', ' ');
    EXPECT_STREQ(a, "abc");
    EXPECT_STREQ(b, "a b ");
    EXPECT_STREQ(c, "x  \x7f");
    EXPECT_STREQ(d, "abcd");
    EXPECT_STREQ(e, "ab c");
    EXPECT_STREQ(f, "mixed");
    EXPECT_STREQ(g, "a b");
    EXPECT_EQ(clean_line(empty), 0);

    char buf[4];
    EXPECT_EQ(vek_strlcpy(buf, "abcdef", sizeof buf), 3u);
    EXPECT_STREQ(buf, "abc");
}

TEST(LineReaders, ReadLikeTheLinesCutIntoPiecesOfTheWidth) {
    // Larger than a stream buffer, so every refill is crossed.
    TempDir dir;
    std::string text = random_lines(12345, 20000, 120);
    write_file(dir.file("lines.txt"), text);
    FILE *f = fopen(dir.file("lines.txt").c_str(), "r");
    ASSERT_NE(f, nullptr);
    Strings got;
    char buf[38];
    int n;
    do {
        n = fgetnline(f, buf, 37);
        got.push_back(std::to_string(n) + ":" + buf);
    } while (n >= 0);
    fclose(f);
    EXPECT_EQ(got, expected_pieces(text, 37));
}

TEST(LineReaders, ResultConventionsAndHugeLines) {
    std::string text = "one\n\n" + std::string(100000, 'q') + "\ntwo";
    FILE *f = fmemopen(text.data(), text.size(), "r");
    char buf[161];
    EXPECT_EQ(fgetstring(f, buf, 160), 1);
    EXPECT_EQ(fgetstring(f, buf, 160), 0);
    int pieces = 0, n;
    while ((n = fgetline(f, buf)) == 160) ++pieces;
    EXPECT_EQ(pieces, 625);
    EXPECT_EQ(n, 3);
    EXPECT_STREQ(buf, "two");
    EXPECT_EQ(fgetline(f, buf), -1);
    fclose(f);
    EXPECT_EQ(fgetline(nullptr, buf), -1);
}

TEST(LineReaders, PassingOverLinesGivesTheAcceptedOnesOfTheSameSequence) {
    TempDir dir;
    std::string text = random_lines(777, 30000, 200);
    write_file(dir.file("lines.txt"), text);
    char set[] = "aeiou";
    Strings expected;
    for (const std::string &piece : expected_pieces(text, 50)) {
        std::string body = piece.substr(piece.find(':') + 1);
        if (piece == "-1:" || first_in(body.c_str(), static_cast<int>(body.size()), set))
            expected.push_back(piece);
    }
    FILE *f = fopen(dir.file("lines.txt").c_str(), "r");
    ASSERT_NE(f, nullptr);
    Strings got;
    char buf[51];
    int n;
    do {
        n = fgetnline_until(f, buf, 50, first_in, set);
        got.push_back(std::to_string(n) + ":" + (n >= 0 ? buf : ""));
    } while (n >= 0);
    fclose(f);
    EXPECT_EQ(got, expected);
}

TEST(LineReaders, PassingOverMixesWithPlainReads) {
    std::string text = "skip\nkeep one\nskip\nkeep two\n";
    FILE *f = fmemopen(text.data(), text.size(), "r");
    char buf[161];
    char set[] = "k";
    EXPECT_EQ(fgetnline_until(f, buf, 160, first_in, set), 8);
    EXPECT_EQ(fgetline(f, buf), 4);
    EXPECT_STREQ(buf, "skip");
    EXPECT_EQ(fgetnline_until(f, buf, 160, first_in, set), 8);
    EXPECT_STREQ(buf, "keep two");
    EXPECT_EQ(fgetnline_until(f, buf, 160, first_in, set), -1);
    fclose(f);
}

// Numbers in text are read as sscanf reads them, but held at the range of int
// (within +-INT_MAX, so that they can be negated) instead of overflowing.
TEST(NumbersInText, ScanIntsReadsAsSscanfAndSaturates) {
    const struct {
        const char *text, *pat;
        int count;
        std::vector<int> values;
    } cases[] = {
        {"99999999999", "%d", 1, {INT_MAX}},
        {"-99999999999", "%d", 1, {-INT_MAX}}, // it can always be negated
        {" +2147483647", "%d", 1, {INT_MAX}},
        {"123456", "%2d%2d", 2, {12, 34}},
        {"-5x", "%2d", 1, {-5}},
        {"312", "%1d%2d", 2, {3, 12}},
        {"  7 :\t8", "%d : %d", 2, {7, 8}},
        {"7:", "%d:%d", 1, {7}},
        {"SDUS21 KWBC 151215 RRA", "%*s %*s %*2d%2d%2d", 2, {12, 15}},
        {"1d2:3", "%dd%d:%d", 3, {1, 2, 3}},
        {"", "%d", -1, {}},
        {":", ":%d", -1, {}}, // the text ends before the first conversion
        {"x", "%d", 0, {}},
        {"-", "%d", 0, {}},
        {"5", "%x", 0, {}}, // no other conversion
    };
    for (const auto &c : cases) {
        int v[3] = {-1, -1, -1};
        EXPECT_EQ(scan_ints(c.text, c.pat, v), c.count) << c.text;
        for (size_t i = 0; i < c.values.size(); ++i) EXPECT_EQ(v[i], c.values[i]) << c.text;
    }
    const char *p = "1234567";
    int v = 0;
    EXPECT_TRUE(take_digits(p, 4, &v));
    EXPECT_EQ(v, 1234);
    EXPECT_STREQ(p, "567");
    p = "99999999999999999999";
    EXPECT_TRUE(take_digits(p, 0, &v));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_FALSE(take_digits(p, 0, &v)); // at the end
    EXPECT_EQ(clamp_int(int64_t{1} << 40), INT_MAX);
    EXPECT_EQ(clamp_int(-(int64_t{1} << 40)), INT_MIN);
}
