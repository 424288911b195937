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

// Lines with blanks, carriage returns, NUL bytes and empty lines, some longer
// than the width, the last without a newline; "ab" is common in them.
std::string awkward_lines(unsigned seed, int count) {
    static const char alphabet[] = {'a', 'b', 'a', 'b', 'c', ' ', '\r', '\0', 'x'};
    std::string text;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245 + 12345;
        int len = seed % 4 == 0 ? 0 : static_cast<int>((seed >> 12) % 130);
        for (int k = 0; k < len; ++k) {
            seed = seed * 1103515245 + 12345;
            text += alphabet[(seed >> 16) % sizeof alphabet];
        }
        text += '\n';
    }
    return text + "ab tail";
}

bool holds_ab(const char *text, int length, void *) {
    return std::string(text, static_cast<size_t>(length)).find("ab") != std::string::npos;
}

const char *ab_hint(const char *from, const char *to, const char *, const char *hi, void *) {
    static const byte_range ab[2] = {{'a', 'a', 0}, {'b', 'b', 0}};
    return find_byte_run(from, to, hi, ab, 2);
}

TEST(LineReaders, BlockInputGivesThePiecesOfThePlainReaderAtAnyBlockSize) {
    const std::string text = "\n" + awkward_lines(4242, 3000); // an empty first line is skipped
    const Strings pieces = expected_pieces(text, 50);
    // Passing over pieces without "ab", then taking the next piece plainly.
    Strings expected;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i] != "-1:" &&
            !holds_ab(pieces[i].c_str(), static_cast<int>(pieces[i].size()), nullptr))
            continue;
        expected.push_back(pieces[i]);
        if (pieces[i] == "-1:") break;
        expected.push_back(i + 1 < pieces.size() ? pieces[i + 1] : "-1:");
        if (expected.back() == "-1:") break;
        ++i;
    }
    TempDir dir; // larger than a stream buffer, so every refill is crossed
    write_file(dir.file("lines.txt"), text);
    FILE *f = fopen(dir.file("lines.txt").c_str(), "r");
    Strings plain;
    char buf[51];
    for (int n = 0; n >= 0;) {
        n = fgetnline(f, buf, 50);
        plain.push_back(std::to_string(n) + ":" + std::string(buf, n > 0 ? n : 0));
    }
    fclose(f);
    EXPECT_EQ(plain, pieces); // the plain line reader
    for (size_t block : {1, 3, 52, 4096, 0}) {
        for (bool pairs : {true, false}) {
            finput_set_block(block, pairs);
            FILE *f = FILE_open(dir.file("lines.txt").c_str(), "r");
            ASSERT_NE(f, nullptr);
            Strings got;
            for (int n = 0; n >= 0;) {
                n = finput_until(f, buf, 50, holds_ab, nullptr, ab_hint, nullptr);
                got.push_back(std::to_string(n) + ":" + std::string(buf, n > 0 ? n : 0));
                if (n < 0) break;
                n = finput_piece(f, buf, 50);
                got.push_back(std::to_string(n) + ":" + std::string(buf, n > 0 ? n : 0));
            }
            FILE_close(f);
            EXPECT_EQ(got, expected)
                << "block " << block << (pairs ? " with" : " without") << " the pair search";
        }
    }
    finput_set_block(0, true);
}

TEST(BlockInput, ANewStreamStartsAfresh) {
    TempDir dir;
    write_file(dir.file("a"), "first of a\nsecond of a\n");
    write_file(dir.file("b"), "first of b\n");
    char buf[161];
    FILE *a = FILE_open(dir.file("a").c_str(), "r");
    EXPECT_EQ(finput_piece(a, buf, 160), 10);
    FILE_close(a);
    FILE *b = FILE_open(dir.file("b").c_str(), "r"); // often at the same address
    EXPECT_EQ(finput_piece(b, buf, 160), 10);
    EXPECT_STREQ(buf, "first of b");
    EXPECT_EQ(finput_piece(b, buf, 160), -1);
    FILE_close(b);
    // Read to their end, streams closed by plain fclose leave nothing behind.
    for (const char *name : {"a", "b", "a"}) {
        FILE *f = fopen(dir.file(name).c_str(), "r");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(finput_piece(f, buf, 160), 10);
        EXPECT_EQ(std::string(buf), std::string("first of ") + name);
        while (finput_piece(f, buf, 160) >= 0) {}
        fclose(f);
    }
}

TEST(BlockInput, RunSearchAgreesWithAPlainSearch) {
    const std::string text = awkward_lines(99, 400) + "AB1";
    const byte_range a_ci = {'a', 'a', 0x20}, b_ci = {'b', 'b', 0x20}, digit = {'0', '9', 0};
    const std::vector<std::vector<byte_range>> patterns = {{a_ci},
                                                           {a_ci, b_ci},
                                                           {{'a', 'a', 0}, b_ci, {' ', 'b', 0}},
                                                           {b_ci, digit},
                                                           {a_ci, b_ci, digit}};
    for (bool wide : {true, false})
        for (const auto &pat : patterns) {
            finput_set_vector(wide);
            for (size_t from = 0; from < 70; ++from) {
                const char *p = text.data(), *end = p + text.size();
                const int n = static_cast<int>(pat.size());
                const char *got = find_byte_run(p + from, end, end, pat.data(), n);
                size_t i = from;
                for (; i + n <= text.size(); ++i) {
                    int k = 0;
                    while (k < n &&
                           static_cast<unsigned char>(text[i + k] | pat[k].fold) >= pat[k].lo &&
                           static_cast<unsigned char>(text[i + k] | pat[k].fold) <= pat[k].hi)
                        ++k;
                    if (k == n) break;
                }
                EXPECT_EQ(got - p, static_cast<long>(i + n <= text.size() ? i : text.size()))
                    << "pattern of " << n << " from " << from << (wide ? "" : ", 16 at a time");
            }
        }
    finput_set_vector(true);
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
