// Name conventions and dated files: conventions and keys, typed and made
// names, names at their limits, current and latest files, the listing
// command, the dialogue. (The conversions name their inputs and outputs
// through the shipped conventions.)

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

#include "def_read.h"
#include "files.h"
#include "flag.h"
#include "mess.h"
#include "resrc.h"
#include "vek_test.h"

namespace {

using vektest::Capture;
constexpr int X = VEK_MISS;
constexpr Date NONE = {X, X, X, X, X, X, X, 0};

Date make(int y, int mo, int d, int h = X, int mi = X) {
    return Date{y, mo, d, X, X, h, mi, 0};
}

// Hourly radar files of at least 100 bytes, daily and monthly ones; the
// clock at 2024-01-01 11:30.
class Names : public vektest::VekTest {
  protected:
    vektest::TempDir dir;

    void SetUp() override {
        VekTest::SetUp();
        conventions("rad %D/%y%m%d%h_rad.%e - 100\ndaily %D/%y%m%d.x\nmonthly %D/%y%m.x\n");
        setenv("vekcurtime", "#202401011130", 1);
    }
    void conventions(const std::string &text) const {
        vektest::write_file(dir.file("name_conv"), text);
        paths();
    }
    void paths() const {
        RES_put("file_path", dir.path().c_str());
        RES_put("data_path", dir.path().c_str());
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
    std::string data(const std::string &stamp) const { return dir.file(stamp + "_rad.dat"); }
    void present(const std::string &stamp, size_t bytes = 200) const {
        vektest::write_file(data(stamp), std::string(bytes, 'x'));
    }
};

// The first convention line that matches; no line: the type is the template.
// Keys (up to 29 characters) follow ":". A typed name gives its date by the
// template's widths; a date suffix gives the requested time.
TEST_F(Names, ConventionsKeysAndTypedNames) {
    FILE_set_key('r', "east"); // set before the first convention: kept
    FILE_set_key('a', std::string(30, 'k').c_str());
    conventions("# radar files\n\n   \nfiller " + std::string(160, 'q') + " rad_dat tail_%y\n" +
                "rad first_%y.%e - 100\nrad_dat second_%y\nkeys %X_%Z_%r_%2r_%q\n");
    for (auto [type, found, name] : {std::tuple{"rad_dat", 1, "first_24.dat"},
                                     {"%y%m.none", 0, "2401.none"},
                                     {"keys:X=abc:Z=d e", 1, "abc_d_e_east_ea_0"},
                                     {"@%a", 1, "kkkkkkkkkkkkkkkkkkkkkkkkkkkkk"}}) { // 29
        EXPECT_EQ(select(type), found) << type;
        EXPECT_EQ(made(make(2024, 1, 1)), name);
    }
    RES_put("data_path", "/data");
    for (auto [type, name, out, date] :
         {std::tuple{"@%y%m%d%h.x", "2401", "2401", "2024 1 _ _ _"},
          {"@%y.x", "50", "50.x", "1950 _ _ _ _"},
          {"@%Y%j.x", "2024060", "2024060.x", "2024 2 29 _ _"},
          {"@{%D/}ab%y_cd.x", "ab24_cX", "/data/ab24_cX", "2024 _ _ _ _"},
          {"@/data/%y.x", "@my odd name", "my odd name", "_ _ _ _ _"}}) {
        FILE_set_time(&NONE);
        select(type);
        EXPECT_EQ(typed(name), out) << type;
        Date d;
        FILE_get_date(&d);
        EXPECT_EQ(vektest::date_text(d), date) << type;
    }
    select("@%y%m%d%h.x");
    for (auto [name, time] : {std::pair{"24010112#202401011230", "2024 1 1 12 30"},
                              {"24010113#99999999999999999", "9999 99 99 99 99"}}) {
        Date s;
        typed(name);
        FILE_get_time(&s);
        EXPECT_EQ(vektest::date_text(s), time);
    }
    EXPECT_THROW(typed("Exit"), vektest::Exited);
    RES_put("name_conv", "other.conv");
    Capture cap;
    EXPECT_EQ(select("%y.x"), 0);
    EXPECT_EQ(cap.err(),
              "FILE_set_name: No file name convention file: " + dir.file("other.conv") + "\n");
}

// Every field of a template, widths, negative request fields, resources and
// malformed directives; without a year the name stays.
TEST_F(Names, MakingNames) {
    RES_put("my_dir", "/q");
    const struct {
        const char *tpl;
        Date request, date;
        const char *out;
    } cases[] = {
        {"%Y|%y|%m|%b|%d|%j|%h|%n|%%", NONE, make(2024, 3, 5, 7, 9),
         "2024|24|03|mar|05|065|07|09|%"},
        {"%Y|%y|%m|%b|%d|%j|%h|%n|%q", NONE, make(-1, -1, -1, -1, -1),
         "0000|00|00|xxx|00|000|00|00|0"},
        {"%y%m%d%3h%15n", NONE, make(2024, 6, 15, 14, 44), "2406151230"},
        {"%d|%h|%n", Date{X, X, -2, X, X, -306, -30, 0}, make(2024, 6, 15, 14, 44), "14|15|30"},
        {"a b{c}d.%{my_dir}/x%{unset}%y%{never_closed", NONE, make(2024, 1, 1), "a_bcd./q/x24"},
    };
    for (const auto &c : cases) {
        FILE_set_time(&c.request);
        select(std::string("@") + c.tpl);
        EXPECT_EQ(made(c.date), c.out) << c.tpl;
    }
    select("@%y%m%d.x");
    made(make(2024, 1, 2));
    EXPECT_EQ(made(make(X, 1, 3), 1), "240102.x");
}

// Home directories; names one character under, at and over their room
// (typed, read from the data path, made from a date or a template, requested,
// joined to a path, of a home, of directories to make, of a defaults file):
// accepted whole, or refused (-1, an empty result, errno ENAMETOOLONG), never cut.
TEST_F(Names, NamesThatDoNotFitAreRefusedNeverCut) {
    Capture cap;
    std::string defs;
    char home[FILE_NAME_LEN]; // "~" and "~user" through the password database
    const passwd *pw = getpwuid(getuid());
    for (const std::string &user : {std::string("~/x"), "~" + std::string(pw->pw_name) + "/x"}) {
        FILE_add_user_path(user.c_str(), home);
        EXPECT_EQ(home, std::string(pw->pw_dir) + "/x");
    }
    for (int over : {-1, 0, 1}) {
        const size_t len = FILE_NAME_LEN - 1 + over;
        auto check = [&](int result, const char *out, const char *what) {
            EXPECT_TRUE(over < 1 ? result == 0 && strlen(out) == len
                                 : result == -1 && !*out && errno == ENAMETOOLONG)
                << what << " " << len << ": " << result << " " << out;
        };
        char out[FILE_NAME_LEN];
        select("none"); // a typed name used as it stands
        check(FILE_set_file(std::string(len, 'p').c_str(), out), out, "typed");
        select("@%D/%y%m%d%h_rad.dat"); // the data path, "/" and 16 characters
        RES_put("data_path", std::string(len - 17, 'd').c_str());
        check(FILE_set_file("24010112", out), out, "read");
        Date d = make(2024, 1, 1, 12);
        check(FILE_set_date(&d, out), out, "made");
        select("@" + std::string(len - 2, 't') + "%y"); // a template of LEN characters
        check(FILE_set_date(&d, out), out, "template");
        check(FILE_set_current(("#2024010112" + std::string(len - 11, '+')).c_str(), out), out,
              "request");
        check(FILE_add_path("/data", std::string(len - 6, 'f').c_str(), out) ? 0 : -1, out,
              "joined");
        const std::string user = "~" + std::string(19 + over, 'u') + "/x"; // at most 19
        EXPECT_EQ(FILE_add_user_path(user.c_str(), out), over < 1 ? 0 : -1);
        EXPECT_STREQ(out, over < 1 ? user.c_str() : "");
        EXPECT_TRUE(!FILE_open(user.c_str(), "r") && errno == (over < 1 ? ENOENT : ENAMETOOLONG));
        std::string made = vektest::long_path(dir.path(), len - 1, 'm');
        EXPECT_EQ(FILE_make_dir((made + "/new.dat").data(), 1), over < 1 ? 0 : -1);
        EXPECT_EQ(FILE_is_dir(made.c_str()), over < 1);
        defs = vektest::long_path(dir.path(), len - 8, 'd'); // and "/vek.cfg"
        std::filesystem::create_directories(defs);
        vektest::write_file(defs + "/vek.cfg", "x y\n");
        EXPECT_EQ(DEF_open(defs.c_str()), over < 1 ? 0 : -1);
        DEF_close();
    }
    EXPECT_TRUE(cap.err().ends_with("DEF_open: Defaults file name too long (at most " +
                                    std::to_string(FILE_NAME_LEN - 1) + " characters): " + defs +
                                    "/vek.cfg\n"));
}

// Typed requests for current and latest files, with the clock at 11:30 and
// files of 06, 09 and 15 h present; the 10 h file has exactly the minimum
// size, so it does not count.
TEST_F(Names, CurrentAndLatestFiles) {
    select("rad_dat");
    for (const char *stamp : {"24010106", "24010109", "24010115"}) present(stamp);
    present("24010110", 100);
    Capture quiet;
    // "#202401": no day, the last of the month before; "la#1": a limit, none
    // found, one step beyond; "LA": only a lower-case "l" searches.
    for (const std::string &rs : vektest::split("cu-1:45=24010109 cu+la=24010115 "
                                                "#2024010112la=24010109 #202401=23123100 "
                                                "la#1=24010110 LA=24010111"))
        EXPECT_EQ(typed(rs.substr(0, rs.find('='))), data(rs.substr(rs.find('=') + 1))) << rs;
    Date every_sixth = {X, X, X, X, X, -6, X, 0}; // six-hour steps back from 15:30
    FILE_set_time(&every_sixth);
    setenv("vekcurtime", "#202401011530", 1);
    EXPECT_EQ(typed("la#2"), data("24010106"));
    FILE_set_time(&NONE);
    select("monthly"); // no step: one try only
    vektest::write_file(dir.file("2312.x"), "x");
    EXPECT_EQ(typed("la"), dir.file("2401.x"));
    for (const char *far : {"cu-99999999999", "cu+99999999999d99999999999:99999999999"})
        EXPECT_EQ(typed(far).rfind(dir.path() + "/", 0), 0u) << far; // a name, whatever the year
    conventions("rad %D/%y%m%d%h_rad.%e - 0\n");
    select("rad_dat");
    present("24010115", 0); // empty: not there even at minimum 0
    EXPECT_EQ(typed("la"), data("24010110"));
}

// The listing command as the debug trace shows it; it is also run.
std::string search_command() {
    MESS_set_str("debug");
    Capture cap;
    FILE_list_file();
    const std::string out = cap.out();
    const size_t at = out.find("SEARCH: ");
    return at == std::string::npos ? "" : out.substr(at + 8, out.find('\n', at) - at - 8);
}

TEST_F(Names, ListingCommandQuotesWhatTheShellWouldRead) {
    RES_put("data_path", "/data");
    select("rad_dat");
    EXPECT_EQ(search_command(), "ls -x /data/[0-9]?[0-9]?[0-9]?[0-9]?_rad.dat");
    select("@-rf%y"); // never an option of ls
    EXPECT_EQ(search_command(), "ls -x ./-rf[0-9]?");
    select("@" + std::string(150, ';'));
    const std::string cmd = search_command();
    EXPECT_EQ(cmd.size(), 79u);
    EXPECT_EQ(cmd.substr(cmd.size() - 3), "\\;*"); // cut between quoted pairs, ends in "*"
    const std::string victim = dir.file("pwned");
    FILE_set_key('k', ("a|touch " + victim).c_str());
    RES_put("data_path", ("&touch " + victim + "&").c_str());
    select("@%D/%k;touch " + victim + ";`touch " + victim + "`$(touch " + victim + ")<>'\"");
    EXPECT_EQ(search_command().substr(0, 16), "ls -x \\&touch\\ /");
    EXPECT_FALSE(std::filesystem::exists(victim));
}

// The input-file search: the dialogue answered through standard input, then
// the filename and current resources and batch mode.
TEST_F(Names, InputFileSearch) {
    select("rad_dat");
    present("24010109");
    // The result and the name found, or the exit status.
    auto search = []() -> std::string {
        char out[FILE_NAME_LEN] = "";
        try {
            return std::to_string(FILE_get_file("file? ", out)) + " " + out;
        } catch (const vektest::Exited &e) {
            return "exit " + std::to_string(e.status);
        }
    };
    const std::string found = "1 " + data("24010109");
    Capture cap("la\nlist\nset colour=red\n" + std::string(80, 'x') + "\nno2\n24010109\n\nexit\n" +
                "nope1\nnope2\nnope3\nnope4\n");
    EXPECT_EQ(search(), found);
    EXPECT_EQ(search(), found); // after a listing, a "set" and an answer too long
    EXPECT_STREQ(RES_get("colour"), "red");
    EXPECT_EQ(search(), "1 -"); // an empty answer: standard input
    EXPECT_EQ(search(), "exit 0");
    EXPECT_EQ(search(), "exit 10"); // four failed attempts
    EXPECT_EQ(search(), "exit 10"); // the end of input: nobody to answer
    RES_put("filename", (dir.path() + "/arch/24010112_rad.dat").c_str());
    EXPECT_EQ(search(), "0 " + dir.path() + "/arch/24010112_rad.dat");
    // The directory of an explicitly given full path replaces the directory field.
    EXPECT_EQ(made(make(2024, 1, 1, 13)), dir.path() + "/arch/24010113_rad.dat");
    resrc_reset_state();
    paths();
    FLAG_set_batch(1);
    EXPECT_EQ(search(), found);
    std::remove(data("24010109").c_str());
    EXPECT_EQ(search(), "exit 10");
    const std::string err = cap.err();
    for (const std::string &n : {dir.file("nope4"), data("23121115")})
        EXPECT_NE(err.find("File not found: " + n + "\n"), std::string::npos) << n;
    EXPECT_NE(err.find("FILE_get_file: Answer too long (at most 79 characters)\n"),
              std::string::npos);
}

} // namespace
