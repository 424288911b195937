// File name conventions: the convention file and its lookup, keys, reading
// a typed name through the template walk, and making the name of a date.

#include <cstring>
#include <string>

#include "vek_test.h"

namespace {

using vektest::Capture;
using vektest::TempDir;

Date make(int y, int mo, int d, int h = VEK_MISS, int mi = VEK_MISS) {
    return Date{y, mo, d, VEK_MISS, VEK_MISS, h, mi, 0};
}

Date requested(int day, int hour, int min) {
    return Date{VEK_MISS, VEK_MISS, day, VEK_MISS, VEK_MISS, hour, min, 0};
}

class FileNames : public vektest::VekTest {
  protected:
    TempDir dir;

    // Writes the convention file into the temporary directory and points
    // "file_path" at it.
    void conventions(const std::string &text) {
        vektest::write_file(dir.file("name_conv"), text);
        RES_put("file_path", dir.path().c_str());
    }

    int select(const std::string &type) {
        char buf[200];
        vek_copy(buf, type.c_str());
        return FILE_set_name(buf);
    }

    std::string read_name(const std::string &name) {
        char out[FILE_NAME_LEN];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(FILE_set_file(name.c_str(), out), 0);
        EXPECT_LT(strlen(out), static_cast<size_t>(FILE_NAME_LEN));
        return out;
    }

    std::string make_name(Date d, int expect = 0) {
        char out[FILE_NAME_LEN];
        EXPECT_EQ(FILE_set_date(&d, out), expect);
        return out;
    }

    Date date_read() {
        Date d;
        FILE_get_date(&d);
        return d;
    }
};

const char *const example_conv = "# radar files\n"
                                 "rad %D/%y%m%d%h_rad.%e - 100\n";

// ---- selecting a convention -------------------------------------------------

TEST_F(FileNames, ExactMatchTakesTheLineTemplate) {
    conventions("rad_dat %y%m%d%h.raw - 0\nrcm_dat %y%m%d%h.rcm - 0\n");
    EXPECT_EQ(select("RCM_DAT"), 1);
    EXPECT_EQ(make_name(make(2024, 1, 2, 3)), "24010203.rcm");
}

TEST_F(FileNames, PartialMatchTakesTheExtensionAfterTheLastUnderscore) {
    conventions(example_conv);
    RES_put("data_path", "/data");
    EXPECT_EQ(select("rad_dat"), 1);
    EXPECT_EQ(make_name(make(2024, 1, 1, 12)), "/data/24010112_rad.dat");
}

TEST_F(FileNames, FirstMatchingLineDecidesEvenWhenPartial) {
    conventions("rad first_%y.%e\nrad_dat second_%y.%e\n");
    EXPECT_EQ(select("rad_dat"), 1);
    EXPECT_EQ(make_name(make(2024, 1, 1)), "first_24.dat");
}

TEST_F(FileNames, CommentAndBlankLinesNameNoType) {
    conventions("#rad_dat commented\n\n   \nrad_dat real_%y\n");
    EXPECT_EQ(select("rad_dat"), 1);
    EXPECT_EQ(make_name(make(2024, 1, 1)), "real_24");
}

TEST_F(FileNames, UnmatchedTypeIsItsOwnTemplate) {
    conventions("rad_cvt %y.cvt - 500\n");
    EXPECT_EQ(select("%y%m%d%h.rad"), 0);
    EXPECT_EQ(make_name(make(2024, 1, 2, 3)), "24010203.rad");
}

TEST_F(FileNames, MissingConventionFileWarnsAndUsesTheType) {
    RES_put("file_path", dir.path().c_str());
    Capture cap;
    EXPECT_EQ(select("%y%m%d.x"), 0);
    EXPECT_EQ(make_name(make(2024, 1, 2)), "240102.x");
    EXPECT_EQ(cap.err(),
              "FILE_set_name: No file name convention file: " + dir.file("name_conv") + "\n");
}

TEST_F(FileNames, ConventionFileNamedByResource) {
    vektest::write_file(dir.file("other.conv"), "rad_dat other_%y\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("name_conv", "other.conv");
    EXPECT_EQ(select("rad_dat"), 1);
    EXPECT_EQ(make_name(make(2024, 1, 1)), "other_24");
}

TEST_F(FileNames, AtTypeIsATemplateWithoutReadingTheFile) {
    RES_put("file_path", dir.path().c_str());
    Capture cap;
    EXPECT_EQ(select("@%y%m%d.dat"), 1);
    EXPECT_EQ(make_name(make(2024, 3, 4)), "240304.dat");
    EXPECT_EQ(cap.err(), "");
}

TEST_F(FileNames, NoneUsesNamesAsTyped) {
    EXPECT_EQ(select("NONE"), 0);
    EXPECT_EQ(read_name("whatever.txt"), "whatever.txt");
    char out[FILE_NAME_LEN];
    EXPECT_EQ(FILE_set_date(nullptr, out), 1);
    EXPECT_STREQ(out, "whatever.txt");
}

TEST_F(FileNames, NoConventionAndNoNameMakesTheWordFilename) {
    select("none");
    char out[FILE_NAME_LEN];
    Date d = make(2024, 1, 1);
    EXPECT_EQ(FILE_set_date(&d, out), 1);
    EXPECT_STREQ(out, "filename");
}

TEST_F(FileNames, DebugMessagesOfTheLookup) {
    conventions(example_conv);
    MESS_set_str("debug");
    Capture cap;
    select("rad_dat");
    select("zzz");
    std::string out = cap.out();
    EXPECT_NE(out.find("Opening name convention file: " + dir.file("name_conv") + "\n"),
              std::string::npos);
    EXPECT_NE(out.find("File name partial match for: rad_dat-rad ext: dat\n"), std::string::npos);
    EXPECT_NE(out.find("No file name conversion for: zzz\n"), std::string::npos);
}

TEST_F(FileNames, NoMatchKeepsNothingOfTheLastLine) {
    // The minimum size of the file's last line does not stay with a type that
    // matched no line: an empty-named file counts as present once it has bytes.
    conventions("other %y - 1000\n");
    select(std::string("@") + dir.path() + "/%y%m%d%h.x");
    select(dir.path() + "/%y%m%d%h.x");
    vektest::write_file(dir.file("24010110.x"), "abc");
    setenv("vekcurtime", "#202401011030", 1);
    char out[FILE_NAME_LEN];
    FILE_set_current("la", out);
    EXPECT_EQ(std::string(out), dir.file("24010110.x"));
}

TEST_F(FileNames, OverlongConventionLinesAreNotReadAsTwoLines) {
    std::string tail = "rad_dat from_tail_%y";
    std::string line = "filler " + std::string(159 - 7 - tail.size() + 5, 'q') + tail + "\n";
    conventions(line + "rad_dat real_%y\n");
    EXPECT_EQ(select("rad_dat"), 1);
    EXPECT_EQ(make_name(make(2024, 1, 1)), "real_24");
}

// ---- keys ---------------------------------------------------------------------

TEST_F(FileNames, KeysAfterColonsAreSetAndCutFromTheType) {
    conventions("rad_dat %X_%Z_%y\n");
    char type[] = "rad_dat:X=abc:Z=d e";
    EXPECT_EQ(FILE_set_name(type), 1);
    EXPECT_STREQ(type, "rad_dat");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "abc_d_e_24");
}

TEST_F(FileNames, KeysWithoutValueAreNoKeys) {
    char type[] = "@%Q%y:Q=";
    EXPECT_EQ(FILE_set_name(type), 1);
    EXPECT_STREQ(type, "@%Q%y:Q="); // an @ type carries no keys
    conventions("");
    char type2[] = "%Q%y:Q=";
    EXPECT_EQ(FILE_set_name(type2), 0);
    EXPECT_STREQ(type2, "%Q%y:Q=");
}

TEST_F(FileNames, KeysAreAtMost29CharactersWithSpacesReplaced) {
    std::string k29(29, 'k'), k40(40, 'z');
    FILE_set_key('a', (k29 + "TAIL").c_str());
    FILE_set_key('k', k40.c_str());
    FILE_set_key('c', "two words");
    select("@%a|%k|%c");
    EXPECT_EQ(make_name(make(2024, 1, 1)), k29 + "|" + std::string(29, 'z') + "|two_words");
}

TEST_F(FileNames, KeysSurviveConventionsAndAreReplacedByLaterDefinitions) {
    FILE_set_key('r', "east"); // e.g. the region of a domain decoded at start
    select("@%r");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "east");
    FILE_set_key('r', "west");
    select("@%r_%3r");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "west_wes");
}

TEST_F(FileNames, EmptyKeyMakesZero) {
    select("@%q.%y");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "0.24");
}

// ---- reading a typed name ---------------------------------------------------

TEST_F(FileNames, WorkedExampleFillsTheDirectoryAndReadsTheDate) {
    conventions(example_conv);
    RES_put("data_path", "/data");
    select("rad_dat");
    EXPECT_EQ(read_name("24010112"), "/data/24010112_rad.dat");
    Date d = date_read();
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.hour, 12);
    EXPECT_EQ(d.min, VEK_MISS);
}

TEST_F(FileNames, WorkedExampleKeepsTheDirectoryOfAFullPath) {
    conventions(example_conv);
    RES_put("data_path", "/data");
    select("rad_dat");
    EXPECT_EQ(read_name("/arch/24010112_rad.dat"), "/arch/24010112_rad.dat");
    Date d = date_read();
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.hour, 12);
}

TEST_F(FileNames, DirectoryFieldWithoutResourceIsTheWorkingDirectory) {
    select("@%D/%y%m%d.x");
    EXPECT_EQ(read_name("240102"), "./240102.x");
    RES_put("data_path", "none");
    EXPECT_EQ(read_name("240102"), "./240102.x");
}

TEST_F(FileNames, EveryDirectoryFieldReadsItsResource) {
    const char *fields = "CDFRGWITMS";
    const char *resources[] = {"con_path",   "data_path",  "file_path", "raw_path",   "grid_path",
                               "watch_path", "image_path", "text_path", "model_path", "sat_path"};
    for (int k = 0; k < 10; ++k) {
        RES_put(resources[k], (std::string("/p") + fields[k]).c_str());
        select(std::string("@%") + fields[k] + "/%y.x");
        EXPECT_EQ(read_name("24"), std::string("/p") + fields[k] + "/24.x");
    }
}

TEST_F(FileNames, ShortNameStopsAtTheFirstFieldWithoutInput) {
    select("@%y%m%d%h.x");
    EXPECT_EQ(read_name("2401"), "2401");
    Date d = date_read();
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, VEK_MISS);
}

TEST_F(FileNames, TwoDigitYearsPivotAtFifty) {
    select("@%y.x");
    read_name("49");
    EXPECT_EQ(date_read().year, 2049);
    read_name("50");
    EXPECT_EQ(date_read().year, 1950);
}

TEST_F(FileNames, MonthNamesAndDaysOfYearAreRead) {
    select("@%Y%b%d.x");
    EXPECT_EQ(read_name("2024jun15"), "2024jun15.x");
    EXPECT_EQ(date_read().month, 6);
    EXPECT_EQ(read_name("2024Jun15"), "2024Jun15"); // mixed case is unreadable
    select("@%Y%j.x");
    EXPECT_EQ(read_name("2024060"), "2024060.x");
    EXPECT_EQ(date_read().month, 2);
    EXPECT_EQ(date_read().day, 29);
}

TEST_F(FileNames, DateFieldsOfNonDigitsStopTheWalk) {
    select("@%y%m%d.x");
    EXPECT_EQ(read_name("24ab01"), "24ab01");
    EXPECT_EQ(date_read().month, VEK_MISS);
    EXPECT_EQ(read_name("abcdef"), "abcdef");
    EXPECT_EQ(date_read().year, VEK_MISS);
}

TEST_F(FileNames, StandardStreamNames) {
    select("@%y.x");
    EXPECT_EQ(read_name("-"), "-");
    EXPECT_EQ(read_name("STD"), "-");
    EXPECT_EQ(read_name("StdN"), "-");
    EXPECT_EQ(read_name(""), "-");
    select("@stdn");
    EXPECT_EQ(read_name("24"), "-");
}

TEST_F(FileNames, DateSuffixSetsTheRequestedTime) {
    select("@%y%m%d%h.x");
    EXPECT_EQ(read_name("24010112#202401011230"), "24010112.x");
    Date s;
    FILE_get_time(&s);
    EXPECT_EQ(s.year, 2024);
    EXPECT_EQ(s.month, 1);
    EXPECT_EQ(s.day, 1);
    EXPECT_EQ(s.hour, 12);
    EXPECT_EQ(s.min, 30);
    EXPECT_EQ(date_read().min, 30); // the name's date starts from the request
    // The request stays for later names; a shorter suffix replaces only its fields.
    read_name("24010113#2025");
    FILE_get_time(&s);
    EXPECT_EQ(s.year, 2025);
    EXPECT_EQ(s.hour, 12);
}

TEST_F(FileNames, SuffixWithoutDigitsRequestsNothing) {
    select("@%y.x");
    EXPECT_EQ(read_name("24#abc"), "24.x");
    Date s;
    FILE_get_time(&s);
    EXPECT_EQ(s.year, VEK_MISS);
}

TEST_F(FileNames, ExitEndsTheProgram) {
    select("@%y.x");
    try {
        read_name("Exit");
        FAIL() << "exit did not end the program";
    } catch (const vektest::Exited &e) {
        EXPECT_EQ(e.status, 0);
    }
}

TEST_F(FileNames, NamesTakenAsTheyStand) {
    select("@/data/%y.x");
    EXPECT_EQ(read_name("@my odd name"), "my odd name");
    EXPECT_EQ(read_name("none"), "none");
    EXPECT_EQ(read_name("/else/where.x"), "/else/where.x");
}

TEST_F(FileNames, StarStopsTheWalk) {
    select("@%y%m*.x");
    EXPECT_EQ(read_name("2401abc"), "2401abc");
}

TEST_F(FileNames, BraceBlocksAreWrittenWithoutConsumingInput) {
    select("@{pre_}%y%m%d.dat");
    EXPECT_EQ(read_name("240102"), "pre_240102.dat");
    EXPECT_EQ(date_read().day, 2);
    RES_put("data_path", "/d");
    select("@{%D/}%y.dat");
    EXPECT_EQ(read_name("24"), "/d/24.dat");
}

TEST_F(FileNames, KeysAreMatchedByLengthOrCount) {
    FILE_set_key('X', "ab");
    select("@%X%y%m.x");
    EXPECT_EQ(read_name("zz2401"), "ab2401.x");
    EXPECT_EQ(date_read().month, 1);
    select("@%1X%y%m.x");
    EXPECT_EQ(read_name("z2401"), "a2401.x");
    select("@%Q%y.x");
    EXPECT_EQ(read_name("24"), "24"); // an empty key stops the walk
}

TEST_F(FileNames, ExtensionIsTakenFromTheName) {
    select("@%y%m%d.%e");
    EXPECT_EQ(read_name("240102.foo"), "240102.foo");
    EXPECT_EQ(make_name(make(2024, 5, 6)), "240506.foo");
    // The extension found stays until a convention file is opened.
    select("@%y.%e.gz");
    EXPECT_EQ(read_name("24.bar.gz"), "24.foo.gz");
    conventions("");
    select("%y.%e.gz");
    EXPECT_EQ(read_name("24.bar.gz"), "24.bar.gz");
    EXPECT_EQ(make_name(make(2024, 5, 6)), "24.bar.gz");
}

TEST_F(FileNames, LiteralsCompleteTheNameOnceInputRunsOut) {
    select("@%D/ab%y_cd.x");
    RES_put("data_path", "/d");
    EXPECT_EQ(read_name("ab24"), "/d/ab24_cd.x");
    EXPECT_EQ(read_name("ab24_c"), "/d/ab24_cd.x");
    EXPECT_EQ(read_name("ab24_cX"), "/d/ab24_cX"); // different text stops the walk
}

TEST_F(FileNames, ReadingLeavesTheNameAsTheLastFileName) {
    select("@%y%m.x");
    read_name("2401");
    select("@%y%m.x"); // empties the name
    read_name("2402");
    char out[FILE_NAME_LEN];
    Date no_year = make(VEK_MISS, 1, 1);
    EXPECT_EQ(FILE_set_date(&no_year, out), 1);
    EXPECT_STREQ(out, "2402.x");
}

// ---- making a name ---------------------------------------------------------

TEST_F(FileNames, EveryDateDirectiveIsMade) {
    select("@%Y|%y|%m|%b|%d|%j|%h|%n|%%");
    EXPECT_EQ(make_name(make(2024, 3, 5, 7, 9)), "2024|24|03|mar|05|065|07|09|%");
    Date d = date_read();
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 5);
    EXPECT_EQ(d.jday, 65);
    EXPECT_EQ(d.hour, 7);
    EXPECT_EQ(d.min, 9);
}

TEST_F(FileNames, FieldsThatCannotBeToldAreZeroes) {
    select("@%Y|%y|%m|%b|%d|%j|%h|%n");
    EXPECT_EQ(make_name(make(-1, -1, -1, -1, -1)), "0000|00|00|xxx|00|000|00|00");
    Date d = date_read();
    EXPECT_EQ(d.year, VEK_MISS);
    EXPECT_EQ(d.month, VEK_MISS);
    EXPECT_EQ(d.hour, VEK_MISS);
}

TEST_F(FileNames, CountsRoundValuesDown) {
    select("@%y%m%d%3h%15n");
    EXPECT_EQ(make_name(make(2024, 6, 15, 14, 44)), "24061512"
                                                    "30");
    select("@%5y%2d");
    EXPECT_EQ(make_name(make(2024, 6, 15)), "2014");
    select("@%3m");
    EXPECT_EQ(make_name(make(2024, 5, 1)), "03");
    EXPECT_EQ(make_name(make(2024, 2, 1)), "01"); // rounds to 0: the first month
}

TEST_F(FileNames, RequestedValuesReplaceTheDate) {
    Date s = {2020, 2, 3, VEK_MISS, VEK_MISS, 4, 5, 0};
    FILE_set_time(&s);
    select("@%Y%m%d%h%n");
    EXPECT_EQ(make_name(make(2024, 6, 15, 14, 44)), "202002030405");
}

TEST_F(FileNames, RoundingRequestsOfHourMinuteAndDay) {
    Date s = requested(VEK_MISS, -3, VEK_MISS);
    FILE_set_time(&s);
    select("@%h");
    EXPECT_EQ(make_name(make(2024, 6, 15, 14)), "12");
    s = requested(VEK_MISS, -306, -30);
    FILE_set_time(&s);
    select("@%h%n");
    EXPECT_EQ(make_name(make(2024, 6, 15, 14, 44)), "1530");
    s = requested(-2, VEK_MISS, VEK_MISS);
    FILE_set_time(&s);
    select("@%d");
    EXPECT_EQ(make_name(make(2024, 6, 15)), "14");
}

TEST_F(FileNames, LiteralTextIsCleanedWhenMade) {
    select("@a b{c}d.%y");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "a_bcd.24");
}

TEST_F(FileNames, ResourceFieldsAreMade) {
    RES_put("my_dir", "/q");
    select("@%{my_dir}/x%y");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "/q/x24");
    select("@%{unset_dir}x%y");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "x24");
}

TEST_F(FileNames, NameWithoutYearKeepsThePreviousName) {
    select("@%y%m%d.x");
    EXPECT_EQ(make_name(make(2024, 1, 2)), "240102.x");
    EXPECT_EQ(make_name(make(VEK_MISS, 1, 3), 1), "240102.x");
}

TEST_F(FileNames, NullDateNamesTheLastDate) {
    select("@%y%m%d%h.x");
    read_name("24010112");
    select("@out_%Y%m%d%h.y");
    char out[FILE_NAME_LEN];
    EXPECT_EQ(FILE_set_date(nullptr, out), 0);
    EXPECT_STREQ(out, "out_2024010112.y");
}

TEST_F(FileNames, StandardStreamTemplateMakesMinus) {
    select("@-");
    EXPECT_EQ(make_name(make(2024, 1, 1), 1), "-");
}

TEST_F(FileNames, ExtractedPathOfAFullPathNameReplacesTheDirectory) {
    conventions(example_conv);
    RES_put("data_path", "/data");
    RES_put("filename", (dir.path() + "/arch/24010112_rad.dat").c_str());
    select("rad_dat");
    char in[FILE_NAME_LEN];
    EXPECT_EQ(FILE_get_file("file? ", in), 0); // no such file, no message
    EXPECT_EQ(std::string(in), dir.path() + "/arch/24010112_rad.dat");
    MESS_set_str("debug");
    Capture cap;
    EXPECT_EQ(make_name(make(2024, 1, 1, 13)), dir.path() + "/arch/24010113_rad.dat");
    EXPECT_NE(cap.out().find("Extracted path: " + dir.path() + "/arch\n"), std::string::npos);
}

// ---- limits and bad templates ----------------------------------------------

TEST_F(FileNames, NamesAtAndBeyondTheirLimit) {
    RES_put("data_path", std::string(150, 'd').c_str());
    select("@%D/%y%m%d%h_rad.dat");
    for (size_t len : {158u, 159u, 160u, 400u}) {
        std::string name = "24" + std::string(len - 2, '7');
        std::string out = read_name(name);
        EXPECT_EQ(out.size(), 159u) << len;
        out = read_name("/" + std::string(len - 1, '/'));
        EXPECT_LE(out.size(), 159u) << len;
    }
    EXPECT_EQ(make_name(make(2024, 1, 1, 1)).size(), 159u);
}

TEST_F(FileNames, TemplatesAtAndBeyondTheirLimit) {
    for (size_t len : {158u, 159u, 160u, 400u}) {
        std::string tpl = "@";
        while (tpl.size() < len + 1) tpl += "%y%m%D/%X{%e}";
        select(tpl);
        EXPECT_LE(read_name("2401/abc").size(), 159u) << len;
        EXPECT_LE(make_name(make(2024, 1, 1)).size(), 159u) << len;
        FILE_set_key('X', std::string(29, 'k').c_str());
        EXPECT_LE(make_name(make(2024, 1, 1)).size(), 159u) << len;
    }
}

TEST_F(FileNames, UnterminatedBracesAndTrailingPercents) {
    select("@%y{abc");
    EXPECT_EQ(read_name("24"), "24abc");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "24abc");
    select("@%y%");
    EXPECT_EQ(read_name("24"), "24");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "24");
    select("@%y%12");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "24");
    select("@%y%{never_closed");
    EXPECT_EQ(make_name(make(2024, 1, 1)), "24");
    select("@%99999999999h");
    EXPECT_EQ(make_name(make(2024, 1, 1, 5)), "00");
}

TEST_F(FileNames, ResetForgetsConventionKeysAndRequest) {
    FILE_set_key('X', "abc");
    Date s = requested(VEK_MISS, 12, VEK_MISS);
    FILE_set_time(&s);
    select("@%X%h");
    vektest::reset_all();
    select("@%X%h");
    EXPECT_EQ(make_name(make(2024, 1, 1, 5)), "005");
    vektest::reset_all();
    char out[FILE_NAME_LEN];
    Date d = make(2024, 1, 1);
    EXPECT_EQ(FILE_set_date(&d, out), 1);
    EXPECT_STREQ(out, "filename");
}

} // namespace
