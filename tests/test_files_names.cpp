// File name conventions: the convention file and its lookup, keys, reading
// a typed name through the template walk, and making the name of a date.

#include <cstring>
#include <string>

#include "vek_test.h"

namespace {

using vektest::Capture;
constexpr int X = VEK_MISS;

Date make(int y, int mo, int d, int h = X, int mi = X) {
    return Date{y, mo, d, X, X, h, mi, 0};
}

class Names : public vektest::VekTest {
  protected:
    vektest::TempDir dir;

    void conventions(const std::string &text) {
        vektest::write_file(dir.file("name_conv"), text);
        RES_put("file_path", dir.path().c_str());
    }
    static int select(std::string type) { return FILE_set_name(type.data()); }
    static std::string typed(const std::string &name) {
        char out[FILE_NAME_LEN];
        EXPECT_EQ(FILE_set_file(name.c_str(), out), 0);
        return out;
    }
    static std::string made(Date d, int result = 0) {
        char out[FILE_NAME_LEN];
        EXPECT_EQ(FILE_set_date(&d, out), result);
        return out;
    }
    static Date read_date() {
        Date d;
        FILE_get_date(&d);
        return d;
    }
};

TEST_F(Names, ConventionLookup) {
    conventions("# radar files\n\n   \nrad first_%y.%e - 100\nrad_dat second_%y\n"
                "RCM_DAT %y.rcm\n");
    EXPECT_EQ(select("rad_dat"), 1); // the first line that matches, here partially
    EXPECT_EQ(made(make(2024, 1, 1)), "first_24.dat");
    EXPECT_EQ(select("rcm_dat"), 1);
    EXPECT_EQ(made(make(2024, 1, 1)), "24.rcm");
    EXPECT_EQ(select("%y%m.none"), 0); // no line: the type is the template
    EXPECT_EQ(made(make(2024, 1, 1)), "2401.none");
    EXPECT_EQ(select("@%y%m%d.dat"), 1);
    EXPECT_EQ(made(make(2024, 3, 4)), "240304.dat");
    EXPECT_EQ(select("NONE"), 0); // names as typed
    EXPECT_EQ(typed("whatever.txt"), "whatever.txt");
    EXPECT_EQ(made(make(2024, 1, 1), 1), "whatever.txt");
    select("none");
    EXPECT_EQ(made(make(2024, 1, 1), 1), "filename");

    RES_put("name_conv", "other.conv");
    Capture cap;
    EXPECT_EQ(select("%y.x"), 0);
    EXPECT_EQ(made(make(2024, 1, 1)), "24.x");
    EXPECT_EQ(cap.err(),
              "FILE_set_name: No file name convention file: " + dir.file("other.conv") + "\n");
}

TEST_F(Names, LookupMessagesAndOverlongLines) {
    std::string filler = "filler " + std::string(160, 'q') + " rad_dat tail_%y\n";
    conventions(filler + "rad %y_rad.%e\n");
    MESS_set_str("debug");
    Capture cap;
    select("rad_dat");
    EXPECT_EQ(made(make(2024, 1, 1)), "24_rad.dat"); // the cut tail is no line of its own
    select("zzz");
    std::string out = cap.out();
    for (std::string m : {"Opening name convention file: " + dir.file("name_conv") + "\n",
                          std::string("File name partial match for: rad_dat-rad ext: dat\n"),
                          std::string("No file name conversion for: zzz\n")})
        EXPECT_NE(out.find(m), std::string::npos) << m;
}

TEST_F(Names, Keys) {
    FILE_set_key('r', "east"); // set before the first convention: kept
    conventions("rad_dat %X_%Z_%r_%2r_%q\n");
    char type[] = "rad_dat:X=abc:Z=d e";
    EXPECT_EQ(FILE_set_name(type), 1);
    EXPECT_STREQ(type, "rad_dat");
    EXPECT_EQ(made(make(2024, 1, 1)), "abc_d_e_east_ea_0");
    char no_value[] = "%q:q=";
    EXPECT_EQ(FILE_set_name(no_value), 0);
    EXPECT_STREQ(no_value, "%q:q=");
    FILE_set_key('a', std::string(40, 'k').c_str());
    select("@%a");
    EXPECT_EQ(made(make(2024, 1, 1)), std::string(29, 'k'));
    vektest::reset_all(); // keys, convention and name are forgotten
    select("@%a");
    EXPECT_EQ(made(make(2024, 1, 1)), "0");
}

TEST_F(Names, WorkedExample) {
    conventions("rad %D/%y%m%d%h_rad.%e - 100\n");
    RES_put("data_path", "/data");
    select("rad_dat");
    EXPECT_EQ(typed("24010112"), "/data/24010112_rad.dat");
    Date d = read_date();
    EXPECT_EQ(d.year * 1000000 + d.month * 10000 + d.day * 100 + d.hour, 2024010112);
    EXPECT_EQ(d.min, X);
    EXPECT_EQ(typed("/arch/24010112_rad.dat"), "/arch/24010112_rad.dat");
    EXPECT_EQ(read_date().hour, 12);
}

TEST_F(Names, ReadingTypedNames) {
    RES_put("data_path", "/d");
    FILE_set_key('K', "ab");
    struct Case {
        const char *tpl, *name, *out;
    } cases[] = {
        {"%y%m%d%h.x", "2401", "2401"}, // the day finds no input: the walk stops
        {"%y%m%d.x", "24ab01", "24ab01"},
        {"%D/ab%y_cd.x", "ab24", "/d/ab24_cd.x"},
        {"%D/ab%y_cd.x", "ab24_cX", "/d/ab24_cX"},
        {"%y%m*.x", "2401abc", "2401abc"},
        {"{pre_}%y.dat", "24", "pre_24.dat"},
        {"{%D/}%y.dat", "24", "/d/24.dat"},
        {"%K%y.x", "zz24", "ab24.x"},
        {"%1K%y.x", "z24", "a24.x"},
        {"%Q%y.x", "24", "24"}, // an empty key stops the walk
        {"%Y%b.x", "2024Jun", "2024Jun"},
        {"%F/%y.x", "24", "./24.x"},
        {"%y.x", "StdN", "-"},
        {"%y.x", "", "-"},
        {"stdn", "24", "-"},
        {"/data/%y.x", "@my odd name", "my odd name"},
        {"/data/%y.x", "none", "none"},
        {"/data/%y.x", "/else/where.x", "/else/where.x"},
        {"%y{abc", "24", "24abc"},
        {"%y%", "24", "24"},
    };
    for (const Case &c : cases) {
        select(std::string("@") + c.tpl);
        EXPECT_EQ(typed(c.name), c.out) << c.tpl << " / " << c.name;
    }
    select("@%y.x");
    typed("49");
    EXPECT_EQ(read_date().year, 2049);
    typed("50");
    EXPECT_EQ(read_date().year, 1950);
    select("@%Y%j.x");
    typed("2024060");
    EXPECT_EQ(read_date().month * 100 + read_date().day, 229);
    select("@%y%m%d.%e");
    EXPECT_EQ(typed("240102.foo"), "240102.foo");
    EXPECT_EQ(made(make(2024, 5, 6)), "240506.foo"); // the extension read is kept
}

TEST_F(Names, DateSuffixAndExit) {
    select("@%y%m%d%h.x");
    EXPECT_EQ(typed("24010112#202401011230"), "24010112.x");
    Date s;
    FILE_get_time(&s);
    EXPECT_EQ(s.year * 100000000L + s.month * 1000000 + s.day * 10000 + s.hour * 100 + s.min,
              202401011230L);
    EXPECT_EQ(read_date().min, 30);
    typed("24010113#2025#x"); // later suffixes replace only what they give
    FILE_get_time(&s);
    EXPECT_EQ(s.year * 100 + s.hour, 202512);
    try {
        typed("Exit");
        FAIL() << "exit did not end the program";
    } catch (const vektest::Exited &e) {
        EXPECT_EQ(e.status, 0);
    }
}

TEST_F(Names, MakingNames) {
    RES_put("my_dir", "/q");
    struct Case {
        const char *tpl;
        Date request, date;
        const char *out;
    } cases[] = {
        {"%Y|%y|%m|%b|%d|%j|%h|%n|%%", Date{X, X, X, X, X, X, X, 0}, make(2024, 3, 5, 7, 9),
         "2024|24|03|mar|05|065|07|09|%"},
        {"%Y|%y|%m|%b|%d|%j|%h|%n|%q", Date{X, X, X, X, X, X, X, 0}, make(-1, -1, -1, -1, -1),
         "0000|00|00|xxx|00|000|00|00|0"},
        {"%y%m%d%3h%15n", Date{X, X, X, X, X, X, X, 0}, make(2024, 6, 15, 14, 44), "2406151230"},
        {"%5y%2d|%3m", Date{X, X, X, X, X, X, X, 0}, make(2024, 2, 15), "2014|01"},
        {"%Y%m%d%h%n", Date{2020, 2, 3, X, X, 4, 5, 0}, make(2024, 6, 15, 14, 44), "202002030405"},
        {"%d|%h|%n", Date{X, X, -2, X, X, -306, -30, 0}, make(2024, 6, 15, 14, 44), "14|15|30"},
        {"a b{c}d.%y", Date{X, X, X, X, X, X, X, 0}, make(2024, 1, 1), "a_bcd.24"},
        {"%{my_dir}/x%{unset}%y", Date{X, X, X, X, X, X, X, 0}, make(2024, 1, 1), "/q/x24"},
        {"%y%{never_closed", Date{X, X, X, X, X, X, X, 0}, make(2024, 1, 1), "24"},
        {"%y%12", Date{X, X, X, X, X, X, X, 0}, make(2024, 1, 1), "24"},
        {"%99999999999h", Date{X, X, X, X, X, X, X, 0}, make(2024, 1, 1, 5), "00"},
    };
    for (const Case &c : cases) {
        FILE_set_time(&c.request);
        select(std::string("@") + c.tpl);
        EXPECT_EQ(made(c.date), c.out) << c.tpl;
    }
    Date d = read_date();
    EXPECT_EQ(d.hour, 0); // each field made is kept as the file's date
    select("@-");
    EXPECT_EQ(made(make(2024, 1, 1), 1), "-");
    select("@%y%m%d.x");
    made(make(2024, 1, 2));
    EXPECT_EQ(made(make(X, 1, 3), 1), "240102.x"); // no year: the name stays
    select("@%y%m%d%h.x");
    typed("24010112");
    select("@out_%Y%m%d%h.y");
    char out[FILE_NAME_LEN];
    EXPECT_EQ(FILE_set_date(nullptr, out), 0);
    EXPECT_STREQ(out, "out_2024010112.y");
}

TEST_F(Names, ExtractedPathOfAnExplicitFullPath) {
    conventions("rad %D/%y%m%d%h_rad.%e - 100\n");
    RES_put("data_path", "/data");
    RES_put("filename", (dir.path() + "/arch/24010112_rad.dat").c_str());
    select("rad_dat");
    char in[FILE_NAME_LEN];
    EXPECT_EQ(FILE_get_file("file? ", in), 0); // no such file: 0, without a message
    MESS_set_str("debug");
    Capture cap;
    EXPECT_EQ(made(make(2024, 1, 1, 13)), dir.path() + "/arch/24010113_rad.dat");
    EXPECT_NE(cap.out().find("Extracted path: " + dir.path() + "/arch\n"), std::string::npos);
}

TEST_F(Names, LimitsOfNamesAndTemplates) {
    RES_put("data_path", std::string(150, 'd').c_str());
    FILE_set_key('K', std::string(29, 'k').c_str());
    for (size_t len : {158u, 159u, 160u, 400u}) {
        select("@%D/%y%m%d%h_rad.dat");
        EXPECT_EQ(typed("24" + std::string(len - 2, '7')).size(), 159u);
        EXPECT_LE(typed(std::string(len, '/')).size(), 159u);
        std::string tpl = "@";
        while (tpl.size() <= len) tpl += "%y%m%D/%K{%e}";
        select(tpl);
        EXPECT_LE(typed("2401/abc").size(), 159u);
        EXPECT_LE(made(make(2024, 1, 1)).size(), 159u);
    }
}

} // namespace
