// The pattern scanner's directives, destinations, malformed patterns, cursor and
// hostile text; the decoders' own patterns are shown by their tests.

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "vek_test.h"

namespace {

using vektest::fmt;

// Scans PAT at P's cursor into blocks of exactly their size filled with '#', of the
// KINDS 'i' int, 'f' float, 'c' char, 's' 80 chars, digit N N chars. Gives "result
// assigned consumed done:" and the values ("_": never written; arrays to a NUL).
std::string scan_at(parse_param &p, const char *pat, const char *kinds) {
    static_assert(sizeof(int) == 4 && sizeof(float) == 4);
    std::vector<std::unique_ptr<char[]>> blocks;
    std::vector<scan_dest> dest;
    for (const char *k = kinds; *k; ++k) {
        const size_t size = strchr("if", *k) ? 4 : *k == 'c' ? 1 : *k == 's' ? 80 : *k - '0';
        const size_t kind = std::min<size_t>(std::string("ifc").find(*k), scan_dest::CHARS);
        blocks.emplace_back(new char[size]);
        std::memset(blocks.back().get(), '#', size);
        dest.push_back({static_cast<scan_dest::kind_t>(kind), blocks.back().get(), size});
    }
    const int r = scanp_list(&p, pat, dest);
    EXPECT_EQ(p.matched, std::max(r, 0)) << pat;
    EXPECT_LE(p.len, std::max(p.length - p.off, 0)) << pat;
    std::string out = fmt("%d %d %d %d:", r, p.assigned, p.len, p.done);
    for (size_t i = 0; i < dest.size(); ++i) {
        const char *b = blocks[i].get();
        const bool untouched =
            std::string(b, dest[i].cap).find_first_not_of('#') == std::string::npos;
        out += (i ? "," : " ") + (untouched         ? "_"
                                  : kinds[i] == 'i' ? fmt("%d", *reinterpret_cast<const int *>(b))
                                  : kinds[i] == 'f' ? fmt("%g", *reinterpret_cast<const float *>(b))
                                                    : std::string(b, strnlen(b, dest[i].cap)));
    }
    return out;
}

// One scan on a fresh cursor over TEXT; a scan never moves the cursor.
std::string scan(const char *text, const char *pat, const char *kinds = "") {
    parse_param p{};
    scanp_set(&p, text);
    std::string out = scan_at(p, pat, kinds);
    EXPECT_EQ(p.off, 0) << pat;
    return out;
}

struct Case {
    const char *text, *pat, *kinds, *expect;
};
void expect_all(std::initializer_list<Case> cases) {
    for (const Case &c : cases)
        EXPECT_EQ(scan(c.text, c.pat, c.kinds), c.expect) << '"' << c.text << "\" " << c.pat;
}

class Scanner : public vektest::VekTest {};

TEST_F(Scanner, WidthsNumbersMissingTextsSetsAndAlternations) {
    expect_all({
        {"1234  AREA", "%4d ", "i", "1 1 6 1: 1234"}, // the field and all blanks after it
        {"123 AREA", "%4d ", "i", "0 0 0 0: _"},      // exact width
        {"123 AREA", "%<4d ", "i", "1 1 4 1: 123"},   // maximum width
        {"AB DEF", "%3c", "6", "1 1 3 1: AB ###"},    // no terminator
        {"ABCDEF", "%5c", "2", "1 1 2 1: AB"},        // bounded by the room
        {"5  |", "%3D|", "i", "1 1 4 1: 5"},
        {"  -  ", "%5D", "i", "0 0 0 0: _"}, // blanks and a sign are no number
        {"-x", "%d", "i", "0 0 0 0: _"},
        {"-42 -7x", "%d %2d", "ii", "2 2 6 1: -42,-7"}, // the sign is in the width
        {"1.5e", "%f", "f", "1 1 3 1: 1.5"},            // "e" without digits stays
        {"2.5E+3 ", "%F", "f", "1 1 7 1: 2500"},
        {"1234  X", "%4d %n", "ii", "2 2 6 1: 1234,6"},
        {"MT 450 /", "%*(MT) %d AT %d/%d ", "iii", "2 1 7 0: 450,_,_"}, // values stay
        // Missing texts, sets and alternations.
        {"TRW", "%!!d%[TRWSZLPAI]", "is", "2 2 3 1: -9999,TRW"},
        {"M 5", "%!M!F %d", "fi", "2 2 3 1: -9999,5"},
        {"ABC", "%!XX!d%s", "is", "1 1 3 1: _,ABC"}, // passed over with its destination
        {"--", "%1!--!d", "i", "0 0 0 1: _"},        // marker wider than the field
        {"ABD", "%!ABC!(X|Y)", "9", "1 1 2 1: "},    // the equal leading part of the marker
        {"12N3x", "%[/N]", "s", "1 1 4 1: 12N3"},
        {"/X/Y", "%[/X]", "s", "1 1 3 1: /X/"},   // "/" before another is a member
        {"B", "%[A-C]", "s", "0 0 0 0: _"},       // no ranges
        {"ABC", "%(AB|ABC)", "9", "1 1 2 1: AB"}, // the first equal alternative wins
        {"X", "%<(A|B)X", "9", "1 1 1 1: _"},     // optional: counted, nothing stored
        {"x%y", "%x%%y", "", "0 0 3 1:"},         // an unknown letter is a pattern character
        {"12", "%99999999999999999999d", "i", "0 0 0 0: _"},
        {"12", "%<99999999999999999999d", "i", "1 1 2 1: 12"},
    });
}

// Unsuitable destinations are reported and never written; a malformed
// directive after a number only ends the match.
TEST_F(Scanner, UnsuitableDestinationsAndMalformedPatterns) {
    vektest::Capture cap;
    expect_all({
        {"12 34", "%d %d", "fi", "0 0 0 0: _,_"},
        {"12 34", "%d %d", "i", "1 1 3 0: 12"},
        {"AB", "%2c", "c", "0 0 0 0: _"},
        {"AB", "%f", "s", "0 0 0 0: _"},
    });
    parse_param p{};
    scanp_set(&p, "12");
    const scan_dest null_int[] = {{scan_dest::INT, nullptr, 0}};
    EXPECT_EQ(scanp_list(&p, "%d", null_int), 0);
    for (const char *pat : {"%d%*[AB", "%d%*(AB|C", "%d%*!--d", "%d%", "%d%*", "%d%*<12",
                            "%d%*!12345678901234567890!d"})
        EXPECT_EQ(scan("12AB", pat, "i"), "1 1 2 0: 12") << pat;
    EXPECT_EQ(scan("12AB", "%d%*!1234567890123456789!dAB", "i"), "1 1 4 1: 12");
    const std::string err = cap.err(); // each named, the pattern as it stands
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 5) << err;
    EXPECT_TRUE(
        err.starts_with("scanp: destination 1 for %d in pattern \"%d %d\" must be an int\n"))
        << err;
}

TEST_F(Scanner, FieldsStopAt79CharactersAndBinaryBytesAreNoClass) {
    const std::string word(100, 'A');
    for (const char *pat : {"%s", "%S", "%A", "%[A]"})
        EXPECT_EQ(scan(word.c_str(), pat, "s"), "1 1 79 1: " + word.substr(21)) << pat;
    EXPECT_EQ(scan(word.c_str(), "%<150c", "s"), "1 1 79 1: " + word.substr(21) + "#");
    EXPECT_EQ(scan(std::string(100, '7').c_str(), "%d", "i"), "1 1 79 1: 2147483647");
    EXPECT_EQ(scan(word.c_str(), "%80S", "s"), "0 0 0 0: _");
    EXPECT_EQ(scan(word.c_str(), ("%*(" + word + ")").c_str()), "0 0 0 0:");
    const char bin[] = "\x80\xff\x01\x7f\xc3\xa9";
    for (const char *pat : {"%A", "%N", "%w", "%W", "%[/A/N]", " "})
        EXPECT_EQ(scan(bin, pat, "s"), "0 0 0 0: _") << pat;
    EXPECT_EQ(scan(bin, "%D", "i") + scan(bin, "%F", "f"), "0 0 0 0: _0 0 0 0: _");
    EXPECT_EQ(scan(bin, "%s", "s"), std::string("1 1 6 1: ") + bin);
}

// The cursor stays inside the text, which ends at its length; coded messages are
// bytes, so a text with a length holds NULs, searched and collected like any byte.
TEST_F(Scanner, CursorStaysInsideTheTextAndItsLength) {
    parse_param p{};
    scanp_set(&p, "OKC ^MM5 NL1");
    scanp_inc_off(&p, 8);
    EXPECT_EQ(scanp_search(&p, "^"), 1); // from the text's start, behind the cursor
    EXPECT_EQ(scanp_search(&p, "#") + scanp_search(&p, ""), 0);
    EXPECT_STREQ(scanp_str(&p), "^MM5 NL1");
    EXPECT_EQ(scanp_char(&p, -1), ' ');
    for (int off : {8, -5, INT_MAX, INT_MIN}) EXPECT_EQ(scanp_char(&p, off), '\0') << off;
    scanp_inc_off(&p, INT_MAX);
    EXPECT_EQ(p.off, 12);
    EXPECT_EQ(scan_at(p, "%s", "s"), "-1 0 0 0: _"); // at the end
    scanp_inc_off(&p, INT_MIN);
    EXPECT_EQ(p.off, 0);
    EXPECT_EQ(scan_at(p, "", ""), "-1 0 0 0:");
    scanp_set(&p, "1234");
    p.length = 2; // before its terminator
    EXPECT_EQ(scan_at(p, "%d", "i"), "1 1 2 1: 12");
    EXPECT_EQ(scanp_search(&p, "34"), 0);
    const char text[] = "\0\0X1234 AB\0CD";
    scanp_set(&p, text, 13);
    EXPECT_EQ(scanp_search(&p, "1234"), 1);
    EXPECT_EQ(p.off, 3);
    EXPECT_EQ(scan_at(p, "%d %s", "is"), "2 2 10 1: 1234,AB"); // the word is "AB\0CD"
    EXPECT_EQ(scanp_search(&p, "CD") + p.off, 12);
    scanp_set(&p, text, -5);
    EXPECT_EQ(p.length + scanp_search(&p, "X"), 0);
}

} // namespace
