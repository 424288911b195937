// Splitting, comparing and cleaning strings, and reading lines piece-wise.

#include "vek_test.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vektest;

namespace {

std::vector<std::string> split(const char *s, char delim) {
    int argc = -1;
    char **argv = reinterpret_cast<char **>(1);
    std::vector<std::string> out;
    if (parse_string(s, delim, &argc, &argv) != 0) {
        EXPECT_EQ(argc, 0);
        EXPECT_EQ(argv, nullptr);
        return out;
    }
    for (int i = 0; i < argc; ++i) out.emplace_back(argv[i]);
    free_parsed_array(argc, argv);
    return out;
}

// Reads every call of a line reader over TEXT as "length:text" items.
std::vector<std::string> read_all(const std::string &text, int width) {
    FILE *f = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    std::vector<std::string> out;
    std::vector<char> buf(static_cast<size_t>(width) + 1);
    for (int i = 0; i < 1000; ++i) {
        int n = fgetnline(f, buf.data(), width);
        out.push_back(std::to_string(n) + ":" + buf.data());
        if (n < 0) break;
    }
    fclose(f);
    return out;
}

} // namespace

TEST(ParseString, SplitsAtDelimiterKeepingInnerEmptyFields) {
    EXPECT_EQ(split("a,b", ','), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(split("a,,b", ','), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split(",a", ','), (std::vector<std::string>{"", "a"}));
}

TEST(ParseString, TrailingDelimitersAreDropped) {
    EXPECT_EQ(split("a,b,,", ','), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(split(",,,", ','), (std::vector<std::string>{""}));
}

TEST(ParseString, EmptyOrNullStringFails) {
    EXPECT_TRUE(split("", ',').empty());
    EXPECT_TRUE(split(nullptr, ',').empty());
}

TEST(ParseString, LeavesTheInputUntouched) {
    char text[] = "x:y:z";
    int argc;
    char **argv;
    ASSERT_EQ(parse_string(text, ':', &argc, &argv), 0);
    EXPECT_STREQ(text, "x:y:z");
    EXPECT_EQ(argc, 3);
    free_parsed_array(argc, argv);
}

TEST(CaseInsensitiveCompare, IgnoresCaseAndHandlesNull) {
    EXPECT_EQ(stricmp("ABC", "abc"), 0);
    EXPECT_LT(stricmp("abc", "abd"), 0);
    EXPECT_GT(stricmp("abcd", "ABC"), 0);
    EXPECT_EQ(stricmp(nullptr, "a"), 1);
    EXPECT_EQ(stricmp("a", nullptr), 1);
}

TEST(CaseInsensitiveCompare, PrefixComparisonStopsAfterN) {
    EXPECT_EQ(strnicmp("WARNING", "warn", 4), 0);
    EXPECT_NE(strnicmp("WARNING", "warn", 5), 0);
    EXPECT_EQ(strnicmp("ab", "ab", 10), 0);
}

TEST(LineCleaning, TrailingControlCharactersGoInnerOnesBecomeBlanks) {
    char a[] = "abc\t\r\n";
    EXPECT_EQ(clean_line(a), 1);
    EXPECT_STREQ(a, "abc");

    char b[] = "a\tb ";
    clean_line(b);
    EXPECT_STREQ(b, "a b ");

    char c[] = "x\x01\xff\x7f";
    clean_line(c);
    EXPECT_STREQ(c, "x  \x7f");

    char empty[] = "";
    EXPECT_EQ(clean_line(empty), 0);
}

TEST(LineCleaning, TrimmingFunctions) {
    char a[] = "ab\r\ncd\n";
    EXPECT_EQ(wstrim_string(a), 1);
    EXPECT_STREQ(a, "abcd");

    char b[] = "ab c   ";
    trim_string(b);
    EXPECT_STREQ(b, "ab c");

    char c[] = "MiXeD Case";
    EXPECT_EQ(low_string(c), 1);
    EXPECT_STREQ(c, "mixed case");

    char d[] = "a_b_c";
    fill_string(d, '_', ' ');
    EXPECT_STREQ(d, "a b c");
}

TEST(BoundedCopy, NeverWritesPastCapacity) {
    char buf[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(vek_strlcpy(buf, "abcdef", sizeof buf), 3u);
    EXPECT_STREQ(buf, "abc");
    char small[1];
    vek_copy(small, "abc");
    EXPECT_EQ(small[0], '\0');
}

TEST(LineReaders, EmptyLinesInsideAreReturnedEmpty) {
    EXPECT_EQ(read_all("x\n\ny\n", 160), (std::vector<std::string>{"1:x", "0:", "1:y", "-1:"}));
}

TEST(LineReaders, AnEmptyFirstLineIsSkipped) {
    EXPECT_EQ(read_all("\nabc", 160), (std::vector<std::string>{"3:abc", "-1:"}));
}

TEST(LineReaders, LongLinesComeInPiecesOfTheWidth) {
    EXPECT_EQ(read_all("abcdefgh\nij\n", 3),
              (std::vector<std::string>{"3:abc", "3:def", "2:gh", "2:ij", "-1:"}));
    // A line of exactly the width leaves its newline for the next call.
    EXPECT_EQ(read_all("abc\nde\n", 3), (std::vector<std::string>{"3:abc", "2:de", "-1:"}));
}

TEST(LineReaders, ResultConventions) {
    std::string text = "one\n\ntwo";
    FILE *f = fmemopen(text.data(), text.size(), "r");
    char buf[161];
    EXPECT_EQ(fgetstring(f, buf, 160), 1);
    EXPECT_EQ(fgetstring(f, buf, 160), 0);
    EXPECT_EQ(fgetline(f, buf), 3);
    EXPECT_STREQ(buf, "two");
    EXPECT_EQ(fgetline(f, buf), -1);
    fclose(f);
    EXPECT_EQ(fgetline(nullptr, buf), -1);
}

TEST(LineReaders, HugeLineStaysWithinTheBuffer) {
    std::string text(100000, 'q');
    text += "\nend\n";
    FILE *f = fmemopen(text.data(), text.size(), "r");
    char buf[161];
    int pieces = 0, n;
    while ((n = fgetline(f, buf)) > 0 && std::string(buf) != "end") {
        ASSERT_LE(n, 160);
        ++pieces;
    }
    EXPECT_EQ(pieces, 625); // 100000 / 160
    EXPECT_STREQ(buf, "end");
    fclose(f);
}

namespace {

// The pieces a reader of WIDTH gives for TEXT, worked out from the lines.
std::vector<std::string> expected_pieces(const std::string &text, int width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &l = lines[i];
        if (l.empty()) {
            // The empty first line is skipped; later ones come back empty.
            if (i > 0) out.push_back("0:");
            continue;
        }
        for (size_t p = 0; p < l.size(); p += width) {
            std::string piece = l.substr(p, width);
            out.push_back(std::to_string(piece.size()) + ":" + piece);
        }
    }
    out.push_back("-1:");
    return out;
}

} // namespace

TEST(LineReaders, FileLargerThanTheStreamBufferReadsLikeItsLines) {
    TempDir dir;
    std::string text;
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245 + 12345;
        int len = static_cast<int>((seed >> 16) % 120);
        if (seed % 7 == 0) len = 0;
        for (int k = 0; k < len; ++k) text += static_cast<char>('a' + (k + i) % 26);
        text += '\n';
    }
    std::string path = dir.file("lines.txt");
    write_file(path, text);
    FILE *f = fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::vector<std::string> got;
    char buf[38];
    for (;;) {
        int n = fgetnline(f, buf, 37);
        got.push_back(std::to_string(n) + ":" + buf);
        if (n < 0) break;
    }
    fclose(f);
    EXPECT_EQ(got, expected_pieces(text, 37));
}

namespace {

// Accepts the lines whose first character is in the set ARG.
bool first_in(const char *text, int length, void *arg) {
    return length > 0 && strchr(static_cast<const char *>(arg), text[0]) != nullptr;
}

} // namespace

TEST(LineReaders, PassingOverLinesGivesTheAcceptedOnesOfTheSameSequence) {
    TempDir dir;
    std::string text = "\n";
    unsigned seed = 777;
    for (int i = 0; i < 30000; ++i) {
        seed = seed * 1103515245 + 12345;
        int len = static_cast<int>((seed >> 16) % 200);
        if (seed % 5 == 0) len = 0;
        for (int k = 0; k < len; ++k) text += static_cast<char>('a' + (seed >> (k % 20)) % 26);
        text += '\n';
    }
    std::string path = dir.file("lines.txt");
    write_file(path, text);
    char set[] = "aeiou";

    // What the plain reader gives, filtered.
    std::vector<std::string> expected;
    for (const std::string &piece : expected_pieces(text, 50)) {
        std::string body = piece.substr(piece.find(':') + 1);
        if (piece != "-1:" && first_in(body.c_str(), static_cast<int>(body.size()), set))
            expected.push_back(piece);
    }
    expected.push_back("-1:");

    FILE *f = fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::vector<std::string> got;
    char buf[51];
    for (;;) {
        int n = fgetnline_until(f, buf, 50, first_in, set);
        got.push_back(std::to_string(n) + ":" + (n >= 0 ? buf : ""));
        if (n < 0) break;
    }
    fclose(f);
    EXPECT_EQ(got, expected);
}

TEST(LineReaders, PassingOverMixesWithPlainReads) {
    std::string text = "skip\nkeep one\nskip\nplain\nkeep two\n";
    FILE *f = fmemopen(text.data(), text.size(), "r");
    char buf[161];
    char set[] = "k";
    EXPECT_EQ(fgetnline_until(f, buf, 160, first_in, set), 8);
    EXPECT_STREQ(buf, "keep one");
    EXPECT_EQ(fgetline(f, buf), 4);
    EXPECT_STREQ(buf, "skip");
    EXPECT_EQ(fgetline(f, buf), 5);
    EXPECT_STREQ(buf, "plain");
    EXPECT_EQ(fgetnline_until(f, buf, 160, first_in, set), 8);
    EXPECT_STREQ(buf, "keep two");
    EXPECT_EQ(fgetnline_until(f, buf, 160, first_in, set), -1);
    fclose(f);
}
