// Tests of the pattern scanner: widths, numbers, missing texts, sets,
// alternations, the cursor, destinations, malformed patterns and hostile text.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "vek_test.h"

namespace {

using Result = std::tuple<int, int, int>; // result, characters consumed, done

// One scanp call on a fresh cursor over TEXT; the cursor must not move.
template <class... Dest>
Result scan(const char *text, const char *pat, Dest &&...dest) {
    parse_param p{};
    scanp_set(&p, text);
    const int r = scanp(&p, pat, std::forward<Dest>(dest)...);
    EXPECT_EQ(p.off, 0) << pat;
    EXPECT_EQ(p.matched, r) << pat;
    return {r, p.len, p.done};
}

// Every group starts from a fresh message state and restores it.
class ScannerAlternation : public vektest::VekTest {};
class ScannerCursor : public vektest::VekTest {};
class ScannerDecoderWalk : public vektest::VekTest {};
class ScannerDestinations : public vektest::VekTest {};
class ScannerGarbage : public vektest::VekTest {};
class ScannerLongFields : public vektest::VekTest {};
class ScannerMalformedPatterns : public vektest::VekTest {};
class ScannerMissingText : public vektest::VekTest {};
class ScannerNumbers : public vektest::VekTest {};
class ScannerSets : public vektest::VekTest {};
class ScannerTracing : public vektest::VekTest {};
class ScannerWidths : public vektest::VekTest {};

TEST_F(ScannerWidths, ExactWidthConsumesFieldAndFollowingBlanks) {
    int v = 0;
    EXPECT_EQ(scan("1234  AREA", "%4d ", &v), Result(1, 6, 1));
    EXPECT_EQ(v, 1234);
}

TEST_F(ScannerWidths, ExactWidthRejectsShorterField) {
    int v = 7;
    EXPECT_EQ(scan("123 AREA", "%4d ", &v), Result(0, 0, 0));
    EXPECT_EQ(v, 7);
}

TEST_F(ScannerWidths, MaximumWidthAcceptsShorterField) {
    int v = 0;
    EXPECT_EQ(scan("123 AREA", "%<4d ", &v), Result(1, 4, 1));
    EXPECT_EQ(v, 123);
    char id[11];
    EXPECT_EQ(scan("OKC 1130", "%<5s ", id), Result(1, 4, 1));
    EXPECT_STREQ(id, "OKC");
    EXPECT_EQ(scan("KOKCXY 1130", "%<5s ", id), Result(1, 5, 0));
    EXPECT_STREQ(id, "KOKCX");
}

TEST_F(ScannerWidths, FieldEndingTheTextMatchesButLeavesDoneUnset) {
    int v = 0;
    EXPECT_EQ(scan("1234", "%4d ", &v), Result(1, 4, 0));
    EXPECT_EQ(v, 1234);
}

TEST_F(ScannerWidths, CharArrayGetsExactlyTheCharactersBoundedByItsRoom) {
    char buf[6];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(scan("AB DEF", "%3c", buf), Result(1, 3, 1));
    EXPECT_EQ(std::memcmp(buf, "AB ###", 6), 0);
    char two[2] = {'#', '#'};
    EXPECT_EQ(scan("ABCDEF", "%5c", two), Result(1, 2, 1));
    EXPECT_EQ(std::memcmp(two, "AB", 2), 0);
}

TEST_F(ScannerNumbers, PaddedColumnsReadNumbersBetweenBlanks) {
    int a = 0, b = 0;
    EXPECT_EQ(scan(" 5 7", "%2D%2D", &a, &b), Result(2, 4, 1));
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 7);
    float lat = 0, lon = 0, elev = 0;
    EXPECT_EQ(scan("12  35.333   -97.278 370", "%*2D%8F%10F%4F", &lat, &lon, &elev),
              Result(4, 24, 1));
    EXPECT_FLOAT_EQ(lat, 35.333f);
    EXPECT_FLOAT_EQ(lon, -97.278f);
    EXPECT_FLOAT_EQ(elev, 370.0f);
    EXPECT_EQ(scan("5  |", "%3D|", &a), Result(1, 4, 1)); // blanks after the number
    float f = 0;
    EXPECT_EQ(scan("1.5 |", "%4F|", &f), Result(1, 5, 1));
    EXPECT_FLOAT_EQ(f, 1.5f);
    EXPECT_EQ(scan("  -  ", "%5D", &a), Result(0, 0, 0));
    EXPECT_EQ(scan(" 5 7", "%4D", &a), Result(0, 0, 0));
}

TEST_F(ScannerNumbers, LoneMinusIsNoNumber) {
    int i = 1;
    float f = 1;
    EXPECT_EQ(scan("-x", "%d", &i), Result(0, 0, 0));
    EXPECT_EQ(scan("-x", "%f", &f), Result(0, 0, 0));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(scan("-17x", "%d", &i), Result(1, 3, 1));
    EXPECT_EQ(i, -17);
}

TEST_F(ScannerNumbers, FloatTakesOnePointAndAnExponentOnlyWithDigits) {
    float f = 1;
    EXPECT_EQ(scan("1.5e", "%f", &f), Result(1, 3, 1));
    EXPECT_FLOAT_EQ(f, 1.5f);
    EXPECT_EQ(scan("2.5E+3 ", "%f ", &f), Result(1, 7, 1));
    EXPECT_FLOAT_EQ(f, 2500.0f);
    EXPECT_EQ(scan("1.2.3", "%f", &f), Result(1, 3, 1));
    EXPECT_FLOAT_EQ(f, 1.2f);
    EXPECT_EQ(scan(".", "%f", &f), Result(1, 1, 1));
    EXPECT_EQ(f, 0.0f);
}

TEST_F(ScannerNumbers, OutOfRangeIntegersSaturate) {
    int v = 0;
    EXPECT_EQ(scan("99999999999", "%d", &v), Result(1, 11, 1));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_EQ(scan("-99999999999", "%d", &v), Result(1, 12, 1));
    EXPECT_EQ(v, INT_MIN);
}

TEST_F(ScannerNumbers, CountDirectiveStoresCharactersConsumedSoFar) {
    int v = 0, n = 0;
    EXPECT_EQ(scan("1234  X", "%4d %n", &v, &n), Result(2, 6, 1));
    EXPECT_EQ(n, 6);
}

TEST_F(ScannerMissingText, EmptyMarkerMakesTheNumberOptional) {
    int cov = 0;
    char type[5], sym[4];
    EXPECT_EQ(scan("TRW", "%!!d%[TRWSZLPAI]", &cov, type), Result(2, 3, 1));
    EXPECT_EQ(cov, VEK_MISS);
    EXPECT_STREQ(type, "TRW");
    EXPECT_EQ(scan("4TRW+ /NC", "%!!d%[TRWSZLPAI]%[-+XU] ", &cov, type, sym), Result(3, 6, 1));
    EXPECT_EQ(cov, 4);
    EXPECT_STREQ(sym, "+");
}

TEST_F(ScannerMissingText, MarkerInTheTextGivesTheMissingValue) {
    int i = 0;
    float f = 0;
    EXPECT_EQ(scan("--/", "%2!--!d/", &i), Result(1, 3, 1));
    EXPECT_EQ(i, VEK_MISS);
    EXPECT_EQ(scan("M 5", "%!M!F %d", &f, &i), Result(2, 3, 1));
    EXPECT_EQ(f, VEK_FMISS);
    EXPECT_EQ(i, 5);
}

TEST_F(ScannerMissingText, AbsentMarkerPassesTheDirectiveOverWithItsDestination) {
    int i = 5;
    char w[8];
    EXPECT_EQ(scan("ABC", "%!XX!d%s", &i, w), Result(1, 3, 1));
    EXPECT_EQ(i, 5);
    EXPECT_STREQ(w, "ABC");
    EXPECT_EQ(scan("--", "%1!--!d", &i), Result(0, 0, 1)); // marker wider than the field
    EXPECT_EQ(i, 5);
}

TEST_F(ScannerMissingText, AlternationConsumesTheEqualLeadingPartOfTheMarker) {
    char w[8] = "old";
    EXPECT_EQ(scan("ABD", "%!ABC!(X|Y)", w), Result(1, 2, 1));
    EXPECT_STREQ(w, "");
}

TEST_F(ScannerSets, SlashEscapesAdmitAClassAndTheirOwnLetter) {
    char s[16];
    EXPECT_EQ(scan("12N3x", "%[/N]", s), Result(1, 4, 1));
    EXPECT_STREQ(s, "12N3");
    EXPECT_EQ(scan("Ab1", "%[/A]", s), Result(1, 2, 1));
    EXPECT_EQ(scan("/X/Y", "%[/X]", s), Result(1, 3, 1)); // "/" before another is a member
    EXPECT_EQ(scan("B", "%[A-C]", s), Result(0, 0, 0));   // no ranges
    EXPECT_EQ(scan("-+XU", "%[-+XU]", s), Result(1, 4, 1));
}

TEST_F(ScannerSets, NegatedSetStopsAtSlashOrBlank) {
    char s[16];
    EXPECT_EQ(scan("123/4", "%[^// ]", s), Result(1, 3, 1));
    EXPECT_STREQ(s, "123");
    EXPECT_EQ(scan("/12", "%[^// ]", s), Result(0, 0, 0));
}

TEST_F(ScannerAlternation, SkipsOneOfTheWordsOrFails) {
    EXPECT_EQ(scan("COR 1234", "%*(RTD|SPL|COR) "), Result(1, 4, 1));
    EXPECT_EQ(scan("AREA 1234", "%*(RTD|SPL|COR) "), Result(0, 0, 0));
    char w[8];
    EXPECT_EQ(scan("ABC", "%(AB|ABC)", w), Result(1, 2, 1)); // first equal one wins
    EXPECT_STREQ(w, "AB");
    char small[4];
    EXPECT_EQ(scan("NEXRAA", "%(NEXRAA)", small), Result(1, 6, 1));
    EXPECT_STREQ(small, "NEX");
}

TEST_F(ScannerAlternation, OptionalAlternationMatchesWithoutConsumingOrStoring) {
    char w[8] = "old";
    parse_param p{};
    scanp_set(&p, "X");
    EXPECT_EQ(scanp(&p, "%<(A|B)X", w), 1);
    EXPECT_EQ(p.len, 1);
    EXPECT_EQ(p.assigned, 1);
    EXPECT_STREQ(w, "old");
    EXPECT_EQ(scanp(&p, "%<3(A|B)X", w), 0); // a maximum width does not make it optional
}

TEST_F(ScannerCursor, FailedAttemptsKeepTheirValuesButNotTheCursor) {
    parse_param p{};
    scanp_set(&p, "MT 450 /");
    int h = 0, dir = 1, rad = 2;
    EXPECT_EQ(scanp(&p, "%*(MT) %d AT %d/%d ", &h, &dir, &rad), 2);
    EXPECT_EQ(scanp(&p, "%*(MT) %*(U)%d ", &h), 1);
    EXPECT_EQ(h, 450);
    EXPECT_EQ(dir, 1);
    EXPECT_STREQ(scanp_str(&p), "MT 450 /");
    scanp_set(&p, "MT U450 /");
    ASSERT_EQ(scanp(&p, "%*(MT) %*(U)%d ", &h), 3);
    scanp_inc(&p);
    EXPECT_STREQ(scanp_str(&p), "/");
}

TEST_F(ScannerCursor, ScanAtTheEndOrWithoutPatternReturnsMinusOne) {
    parse_param p{};
    scanp_set(&p, "12");
    int v = 0;
    ASSERT_EQ(scanp(&p, "%d", &v), 1);
    scanp_inc(&p);
    EXPECT_EQ(scanp(&p, "%d", &v), -1);
    EXPECT_EQ(p.len, 0);
    EXPECT_EQ(p.matched, 0);
    scanp_set(&p, "12");
    EXPECT_EQ(scanp(&p, "", &v), -1);
    scanp_set(&p, "1234");
    p.length = 2; // the text ends at its length even before its terminator
    EXPECT_EQ(scanp(&p, "%d", &v), 1);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(scanp(&p, "%*(1234)"), 0);
    EXPECT_EQ(scanp_search(&p, "34"), 0);
}

TEST_F(ScannerCursor, CursorAndCharactersStayInsideTheText) {
    parse_param p{};
    scanp_set(&p, "AB");
    scanp_inc_off(&p, 1);
    EXPECT_EQ(scanp_char(&p, 0), 'B');
    EXPECT_EQ(scanp_char(&p, -1), 'A');
    for (int off : {1, -2, INT_MAX, INT_MIN}) EXPECT_EQ(scanp_char(&p, off), '\0') << off;
    scanp_inc_off(&p, INT_MAX);
    EXPECT_EQ(p.off, 2);
    EXPECT_STREQ(scanp_str(&p), "");
    scanp_inc_off(&p, INT_MIN);
    EXPECT_EQ(p.off, 0);
}

TEST_F(ScannerCursor, SearchLooksFromTheTextStartEvenBehindTheCursor) {
    parse_param p{};
    scanp_set(&p, "OKC ^MM5 NL1");
    scanp_inc_off(&p, 8);
    EXPECT_EQ(scanp_search(&p, "^"), 1);
    EXPECT_EQ(p.off, 4);
    EXPECT_EQ(scanp_search(&p, "#"), 0);
    EXPECT_EQ(scanp_search(&p, ""), 0);
    EXPECT_EQ(p.off, 4);
}

TEST_F(ScannerDestinations, WrongKindIsReportedOnceAndNothingIsStored) {
    float f = 1;
    int i = 2;
    vektest::Capture cap;
    EXPECT_EQ(scan("12 34", "%d %d", &f, &i), Result(0, 0, 0));
    EXPECT_EQ(cap.err(), "scanp: destination 1 for %d in pattern \"%d %d\" must be an int\n");
    EXPECT_EQ(f, 1);
    EXPECT_EQ(i, 2);
}

TEST_F(ScannerDestinations, MissingOrUnsuitableDestinationsStopTheMatch) {
    int a = 0;
    char c = 'x';
    vektest::Capture cap;
    EXPECT_EQ(scan("12 34", "%d %d", &a), Result(1, 3, 0));
    EXPECT_EQ(scan("AB", "%2c", c), Result(0, 0, 0));
    EXPECT_EQ(scan("AB", "%s", c), Result(0, 0, 0));
    parse_param p{};
    scanp_set(&p, "12");
    const scan_dest null_int[] = {{scan_dest::INT, nullptr, 0}};
    EXPECT_EQ(scanp_list(&p, "%d", null_int), 0);
    const std::string err = cap.err();
    EXPECT_NE(err.find("destination 1 for %d in pattern \"%d\" must be an int"), std::string::npos);
    EXPECT_NE(err.find("no destination 2 for %d"), std::string::npos) << err;
    EXPECT_NE(err.find("for %c in pattern \"%2c\" must be a char array"), std::string::npos);
    EXPECT_NE(err.find("for %s in pattern \"%s\" must be a char array"), std::string::npos);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(c, 'x');
}

TEST_F(ScannerDestinations, StringsAreCutToFitButConsumedWhole) {
    char w[4];
    std::memset(w, '#', sizeof w);
    EXPECT_EQ(scan("ABCDEFGH rest", "%s ", w), Result(1, 9, 1));
    EXPECT_STREQ(w, "ABC");
    int v = 0;
    EXPECT_EQ(scan("12 34", "%*d %d", &v), Result(2, 5, 1)); // suppressed: no destination
    EXPECT_EQ(v, 34);
}

// The directives after the number are suppressed: they need no destination,
// so only the pattern's form can stop the match.
TEST_F(ScannerMalformedPatterns, UnclosedOrTruncatedDirectivesStopTheMatch) {
    for (const char *pat : {"%d%*[AB", "%d%*(AB|C", "%d%*!--d", "%d%", "%d%*", "%d%*<12",
                            "%d%*!12345678901234567890!d"}) {
        int v = 0;
        EXPECT_EQ(scan("12AB", pat, &v), Result(1, 2, 0)) << pat;
        EXPECT_EQ(v, 12) << pat;
    }
    int v = 0;
    EXPECT_EQ(scan("12AB", "%d%*!1234567890123456789!dAB", &v), Result(1, 4, 1));
}

TEST_F(ScannerMalformedPatterns, HugeWidthsSaturate) {
    int v = 0;
    EXPECT_EQ(scan("12", "%99999999999999999999d", &v), Result(0, 0, 0));
    EXPECT_EQ(scan("12", "%<99999999999999999999d", &v), Result(1, 2, 1));
    EXPECT_EQ(v, 12);
}

TEST_F(ScannerMalformedPatterns, UnknownLetterIsMatchedAsAPatternCharacter) {
    EXPECT_EQ(scan("x%y", "%x%%y"), Result(0, 3, 1));
    EXPECT_EQ(scan("xy", "%x%%y"), Result(0, 1, 0));
    EXPECT_EQ(scan("%d", "%%d"), Result(0, 2, 1)); // "%%" never starts a directive
}

TEST_F(ScannerLongFields, EveryFieldStopsAt79Characters) {
    const std::string word(100, 'A'), digits(100, '7');
    char big[200];
    for (const char *pat : {"%s", "%S", "%A", "%[A]", "%<150c"}) {
        std::memset(big, 0, sizeof big);
        EXPECT_EQ(scan(word.c_str(), pat, big), Result(1, 79, 1)) << pat;
        EXPECT_EQ(std::strlen(big), 79u) << pat;
    }
    int v = 0;
    EXPECT_EQ(scan(digits.c_str(), "%d", &v), Result(1, 79, 1));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_EQ(scan(word.c_str(), "%80S", big), Result(0, 0, 0));
    EXPECT_EQ(scan(word.c_str(), ("%*(" + word + ")").c_str()), Result(0, 0, 0));
}

TEST_F(ScannerGarbage, BinaryBytesAreNotLettersDigitsOrBlanks) {
    const char text[] = "\x80\xff\x01\x7f\xc3\xa9";
    int i = 0;
    float f = 0;
    char s[16];
    for (const char *pat : {"%A", "%N", "%w", "%W", "%[/A/N]", " "})
        EXPECT_EQ(scan(text, pat, s), Result(0, 0, 0)) << pat;
    EXPECT_EQ(scan(text, "%D", &i), Result(0, 0, 0));
    EXPECT_EQ(scan(text, "%F", &f), Result(0, 0, 0));
    EXPECT_EQ(scan(text, "%s", s), Result(1, 6, 1));
    EXPECT_STREQ(s, text);
}

// Every directive at every place of a long text of all byte values: each call
// stays within the text, and a walk that commits what matches ends at its end.
TEST_F(ScannerGarbage, LongTextsAreScannedWithinBoundsAndWalkedToTheEnd) {
    std::string text(10000, ' ');
    for (size_t k = 0; k < text.size(); ++k) text[k] = static_cast<char>(k * 7919 % 255 + 1);
    parse_param p{};
    scanp_set(&p, text.c_str());
    int i = 0, steps = 0;
    float f = 0;
    char s[80];
    while (scanp_char(&p, 0) != '\0' && steps++ < 20000) {
        const int left = p.length - p.off;
        for (const char *pat : {"%s ", "%S", "%[^// ]", "%c%c", "%w", "%<5A"}) {
            scanp(&p, pat, s, s);
            EXPECT_LE(p.len, left);
        }
        scanp(&p, "%!!d%n", &i, &i);
        EXPECT_LE(p.len, left);
        scanp(&p, "%F", &f);
        EXPECT_LE(p.len, left);
        if (scanp(&p, "%*(MT|AT) ") == 1) {
            scanp_inc(&p);
        } else {
            scanp_inc_off(&p, 1);
        }
    }
    EXPECT_EQ(p.off, p.length);
    EXPECT_EQ(scanp_char(&p, 0), '\0');
}

TEST_F(ScannerTracing, StepsAndSummaryArePrintedOnlyWhenDebugDIsSelected) {
    int v = 0;
    vektest::Capture quiet;
    scan("1234 rest", "%4d ", &v);
    EXPECT_EQ(quiet.out(), "");
    MESS_set(1, 0x80000000);
    vektest::Capture traced;
    scan("1234 rest", "%4d ", &v);
    const std::string out = traced.out();
    EXPECT_EQ(out, "     : : rest:\n     ::rest:\nSCANP:1234 rest:%4d :0:5:1:1:1\n");
}

// A standard-form MDR report walked the way the decoder walks it: each
// pattern is committed only when it matched the count wanted.
TEST_F(ScannerDecoderWalk, StandardReportYieldsEveryGroup) {
    parse_param p{};
    scanp_set(&p, "OKC 1130 AREA 4TRW+ 6R- /NC 25/50 C2520 MT 450 AT 230/60 ^MM5 NL12");
    auto take = [&p](int want, const char *pat, auto &&...dest) {
        const bool ok = scanp(&p, pat, dest...) == want;
        if (ok) scanp_inc(&p);
        return ok;
    };
    char id[11], config[10], type[3][5], sym[3][4], trend[4], run[4], digits[2][27];
    int time = 0, cov[3] = {}, dir = 0, rad = 0, mdir = 0, spd = 0, h = 0, tdir = 0, trad = 0;
    char row[2], col[2];
    EXPECT_TRUE(take(1, "%<5s ", id));
    EXPECT_FALSE(take(1, "%*(RTD|SPL|COR) "));
    EXPECT_TRUE(take(1, "%4d ", &time));
    EXPECT_TRUE(take(1, "%s ", config));
    int groups = 0;
    while (groups < 3 &&
           take(3, "%!!d%[TRWSZLPAI]%[-+XU] ", &cov[groups], type[groups], sym[groups]))
        ++groups;
    EXPECT_TRUE(take(2, "%*(/)%s ", trend));
    EXPECT_TRUE(take(2, "%d/%d ", &dir, &rad));
    EXPECT_TRUE(take(3, "%[ALC]%2d%2d ", run, &mdir, &spd));
    EXPECT_TRUE(take(4, "%*(MT) %d AT %d/%d ", &h, &tdir, &trad));
    ASSERT_EQ(scanp_search(&p, "^"), 1);
    scanp_inc_off(&p, 1);
    for (int g = 0; g < 2; ++g) EXPECT_TRUE(take(3, "%c%c%s ", row[g], col[g], digits[g]));
    EXPECT_EQ(scanp_char(&p, 0), '\0');

    EXPECT_STREQ(id, "OKC");
    EXPECT_EQ(time, 1130);
    EXPECT_STREQ(config, "AREA");
    ASSERT_EQ(groups, 2);
    EXPECT_EQ(cov[1], 6);
    EXPECT_STREQ(type[1], "R");
    EXPECT_STREQ(sym[1], "-");
    EXPECT_STREQ(trend, "NC");
    EXPECT_EQ(std::tie(dir, rad, mdir, spd, h, tdir, trad),
              std::make_tuple(25, 50, 25, 20, 450, 230, 60));
    EXPECT_STREQ(run, "C");
    EXPECT_EQ(std::string({row[1], col[1]}) + digits[1], "NL12");
}

// The RCM part-A header and the grid-form movement group.
TEST_F(ScannerDecoderWalk, CodedGroupsOfRcmAndGridReports) {
    int num = 0, d[5] = {}, ni = 0, mdir = 0, spd = 0;
    char mode[5], run[4];
    EXPECT_EQ(scan("/NEXRAA 123 0105951230 /MDCLAR /NI12: AAB", "%*(/NEXRAA) %d %2D%2D%2D%2D%2D ",
                   &num, &d[0], &d[1], &d[2], &d[3], &d[4]),
              Result(7, 23, 1));
    EXPECT_EQ(std::tie(num, d[0], d[1], d[2], d[3], d[4]), std::make_tuple(123, 1, 5, 95, 12, 30));
    EXPECT_EQ(scan("/MDCLAR /NI", "%*(/MD)%4s ", mode), Result(2, 8, 1));
    EXPECT_STREQ(mode, "CLAR");
    EXPECT_EQ(scan("/MD CLAR", "%*(/MD)%4s ", mode), Result(1, 3, 0));
    EXPECT_EQ(scan("/NI12: AAB", "%*(/NI)%d: ", &ni), Result(2, 7, 1));
    EXPECT_EQ(ni, 12);
    EXPECT_EQ(scan("AA2520C/", "%*2[A]%2d%2d%[ALC]", &mdir, &spd, run), Result(4, 7, 1));
    EXPECT_EQ(std::tie(mdir, spd), std::make_tuple(25, 20));
    EXPECT_STREQ(run, "C");
}

} // namespace
