// Dated files: current and latest requests against files in a temporary
// directory with the clock fixed by "vekcurtime", the listing of available
// files, and the input-file dialogue with its resource, batch and prompt
// cases.

#include <cstdlib>
#include <cstring>
#include <string>

#include "vek_test.h"

namespace {

using vektest::Capture;
using vektest::Exited;
using vektest::TempDir;

class DatedFiles : public vektest::VekTest {
  protected:
    TempDir dir;

    // An hourly convention in the temporary directory, like the worked
    // example: rad %D/%y%m%d%h_rad.%e - 100 with data_path the directory.
    void hourly(int min_size = 100) {
        vektest::write_file(dir.file("name_conv"),
                            "rad %D/%y%m%d%h_rad.%e - " + std::to_string(min_size) + "\n");
        RES_put("file_path", dir.path().c_str());
        RES_put("data_path", dir.path().c_str());
        char type[] = "rad_dat";
        ASSERT_EQ(FILE_set_name(type), 1);
    }

    std::string data(const std::string &stamp) const { return dir.file(stamp + "_rad.dat"); }

    void present(const std::string &stamp, size_t bytes = 200) {
        vektest::write_file(data(stamp), std::string(bytes, 'x'));
    }

    static void clock(const char *stamp) { setenv("vekcurtime", stamp, 1); }

    static std::string current(const char *request) {
        char out[FILE_NAME_LEN];
        FILE_set_current(request, out);
        return out;
    }

    static std::string typed(const char *name) {
        char out[FILE_NAME_LEN];
        FILE_set_file(name, out);
        return out;
    }

    static void request_hour(int hour) {
        Date s = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, hour, VEK_MISS, 0};
        FILE_set_time(&s);
    }
};

// ---- current files ---------------------------------------------------------

TEST_F(DatedFiles, CurrentIsTheFileOfThePresentHour) {
    hourly();
    clock("#202401011130");
    EXPECT_EQ(typed("cu"), data("24010111"));
    clock("202401011130"); // the "#" is optional
    EXPECT_EQ(typed("CU"), data("24010111"));
}

TEST_F(DatedFiles, CurrentWithoutClockIsNow) {
    hourly();
    long now = 0;
    DATE_get_time(&now);
    Date d;
    DATE_get_gmdate(&now, &d);
    char stamp[16];
    snprintf(stamp, sizeof stamp, "%2.2d%2.2d%2.2d%2.2d", d.year % 100, d.month, d.day, d.hour);
    std::string got = current("");
    // The hour may turn between the two readings of the clock.
    if (got != data(stamp)) {
        long later = now + 3600;
        DATE_get_gmdate(&later, &d);
        snprintf(stamp, sizeof stamp, "%2.2d%2.2d%2.2d%2.2d", d.year % 100, d.month, d.day, d.hour);
    }
    EXPECT_EQ(got, data(stamp));
}

TEST_F(DatedFiles, OffsetsMoveBackOrForward) {
    hourly();
    clock("#202401011130");
    EXPECT_EQ(typed("cu-6"), data("24010105"));
    EXPECT_EQ(current("+6"), data("24010117"));
    EXPECT_EQ(current("-12"), data("23123123"));
    EXPECT_EQ(current("-1:45"), data("24010109"));
    EXPECT_EQ(current("-1d2"), data("23123109"));
    EXPECT_EQ(current("+2d"), data("24010311"));
}

TEST_F(DatedFiles, ReferenceTimeFromTheRequest) {
    hourly();
    clock("#202401011130");
    EXPECT_EQ(current("#2024010112"), data("24010112"));
    EXPECT_EQ(typed("#2024010112"), data("24010112"));
    // No day read: day 0 is the last day of the month before.
    EXPECT_EQ(current("#202401"), data("23123100"));
    EXPECT_EQ(current("#2024063012-3"), data("24063009"));
}

TEST_F(DatedFiles, RequestedHourMovesBackToTheDayBefore) {
    hourly();
    clock("#202401011020");
    request_hour(12);
    EXPECT_EQ(typed("cu"), data("23123112"));
    clock("#202401011320");
    EXPECT_EQ(typed("cu"), data("24010112"));
}

TEST_F(DatedFiles, RequestedDayAndMinuteMoveBack) {
    vektest::write_file(dir.file("name_conv"), "min %D/%y%m%d%h%n.x\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("data_path", dir.path().c_str());
    char type[] = "min";
    FILE_set_name(type);
    Date s = {VEK_MISS, VEK_MISS, 15, VEK_MISS, VEK_MISS, VEK_MISS, 45, 0};
    FILE_set_time(&s);
    clock("#202401101030");
    // The day goes back to the 15th of December, then the minute to 09:45.
    EXPECT_EQ(current(""), dir.file("2312150945.x"));
    s = Date{VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 45, 0};
    FILE_set_time(&s);
    EXPECT_EQ(current(""), dir.file("2401100945.x"));
}

// ---- latest files ----------------------------------------------------------

TEST_F(DatedFiles, LatestIsTheNewestFilePresent) {
    hourly();
    present("24010109");
    present("24010110");
    clock("#202401011130");
    EXPECT_EQ(typed("la"), data("24010110"));
    EXPECT_EQ(typed("la-1"), data("24010109"));
    EXPECT_EQ(current(nullptr), data("24010110"));
}

TEST_F(DatedFiles, LatestAtOrBeforeAGivenTimeAndForward) {
    hourly();
    present("24010109");
    present("24010115");
    clock("#202401011130");
    EXPECT_EQ(current("#2024010112la"), data("24010109"));
    EXPECT_EQ(current("+la"), data("24010115"));
    EXPECT_EQ(current("-2la"), data("24010109"));
}

TEST_F(DatedFiles, SearchLimitOfTheRequest) {
    hourly();
    present("24010105");
    clock("#202401011130");
    EXPECT_EQ(current("la#0"), data("24010111"));
    EXPECT_EQ(current("la#6"), data("24010105"));
    // Nothing within the limit: one step beyond the last one tried.
    EXPECT_EQ(current("la#3"), data("24010108"));
    EXPECT_EQ(typed("la#3"), data("24010108")); // a request, not a date suffix
}

TEST_F(DatedFiles, UpperCaseLatestDoesNotSearch) {
    hourly();
    present("24010110");
    clock("#202401011130");
    EXPECT_EQ(typed("LA"), data("24010111"));
}

TEST_F(DatedFiles, MinimumSizeDecidesWhatIsPresent) {
    hourly(100);
    present("24010110", 100); // exactly the minimum: not present
    present("24010109", 101);
    clock("#202401011130");
    EXPECT_EQ(current("la"), data("24010109"));
}

TEST_F(DatedFiles, EmptyFileIsNotPresentAtMinimumZero) {
    hourly(0);
    present("24010110", 0);
    present("24010109", 1);
    clock("#202401011130");
    EXPECT_EQ(current("la"), data("24010109"));
}

TEST_F(DatedFiles, StepFollowsTheFinestTimeField) {
    vektest::write_file(dir.file("name_conv"), "daily %D/%y%m%d.x\nmonthly %D/%y%m.x\n"
                                               "three %D/%y%m%d%3h.x\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("data_path", dir.path().c_str());
    clock("#202401051130");

    char daily[] = "daily";
    FILE_set_name(daily);
    vektest::write_file(dir.file("240104.x"), "data");
    EXPECT_EQ(current("la#2"), dir.file("240104.x"));

    char three[] = "three";
    FILE_set_name(three);
    vektest::write_file(dir.file("24010506.x"), "data");
    EXPECT_EQ(current("la#2"), dir.file("24010506.x")); // 09 h, then 06 h

    // No day, hour or minute: no step; the reference time is the only try.
    char monthly[] = "monthly";
    FILE_set_name(monthly);
    vektest::write_file(dir.file("2312.x"), "data");
    EXPECT_EQ(current("la"), dir.file("2401.x"));
}

TEST_F(DatedFiles, LatestUnderRoundingRequestsStepsByTheRequest) {
    hourly();
    Date s = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, -6, VEK_MISS, 0};
    FILE_set_time(&s);
    present("24010106");
    clock("#202401011530");
    // 12 h is missing; a six-hour step reaches 06 h on the second try.
    EXPECT_EQ(current("la#2"), data("24010106"));
}

TEST_F(DatedFiles, HostileRequestsStayBounded) {
    hourly();
    clock("#202401011130");
    for (const char *req :
         {"#", "#9999999999999999", "-99999999999d99999999999:99999999999", "la#99999", "+-+-la-la",
          "l", "#0000000000la#1-5d", "999d", "99999999999999999999"}) {
        std::string out = current(req);
        EXPECT_LT(out.size(), static_cast<size_t>(FILE_NAME_LEN)) << req;
    }
    clock("not a time");
    EXPECT_LT(current("cu").size(), static_cast<size_t>(FILE_NAME_LEN));
}

// ---- listing ---------------------------------------------------------------

TEST_F(DatedFiles, ListingPatternOfTheWorkedExample) {
    vektest::write_file(dir.file("name_conv"), "rad %D/%y%m%d%h_rad.%e - 100\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("data_path", "/data");
    char type[] = "rad_dat";
    FILE_set_name(type);
    MESS_set_str("debug");
    Capture cap;
    FILE_list_file();
    EXPECT_NE(cap.out().find("SEARCH: ls -x /data/[0-9]?[0-9]?[0-9]?[0-9]?_rad.dat\n"),
              std::string::npos);
}

TEST_F(DatedFiles, ListingShowsTheFilesPresent) {
    hourly();
    present("24010109");
    present("24010110");
    vektest::write_file(dir.file("notes.txt"), "x");
    Capture cap;
    FILE_list_file();
    std::string out = cap.out();
    EXPECT_NE(out.find("24010109_rad.dat"), std::string::npos);
    EXPECT_NE(out.find("24010110_rad.dat"), std::string::npos);
    EXPECT_EQ(out.find("notes.txt"), std::string::npos);
}

std::string search_command() {
    MESS_set_str("debug");
    Capture cap;
    FILE_list_file();
    std::string out = cap.out();
    size_t at = out.find("SEARCH: ");
    if (at == std::string::npos) return "";
    size_t eol = out.find('\n', at);
    return out.substr(at + 8, eol - at - 8);
}

TEST_F(DatedFiles, ListingRulesOfEveryDirective) {
    char dates[] = "@%Y_%y%m%d%h%n_%b_%j";
    FILE_set_name(dates);
    EXPECT_EQ(search_command(), "ls -x ?[0-9]??_[0-9]?[0-9]?[0-9]?[0-9]?[0-9]?_?[a-z]?_?[0-9]?");
    char others[] = "@%e_%%_%q_%3q_%D_{x}_%{name}";
    FILE_set_name(others);
    EXPECT_EQ(search_command(), "ls -x *_%_*_???_._x_*name");
    FILE_set_key('q', "key");
    RES_put("data_path", "/d");
    EXPECT_EQ(search_command(), "ls -x *_%_key_key_/d_x_*name");
}

TEST_F(DatedFiles, TemplateTextNeverBecomesACommand) {
    std::string victim = dir.file("pwned");
    std::string tpl = "@x;touch " + victim + ";`touch " + victim + "`$(touch " + victim + ")";
    std::string type = tpl;
    FILE_set_name(type.data());
    std::string cmd = search_command();
    EXPECT_EQ(cmd.find(';'), cmd.find("\\;") + 1);
    Capture cap;
    FILE_list_file();
    cap.out();
    EXPECT_FALSE(vektest::file_exists(victim));

    FILE_set_key('k', "a|touch x");
    RES_put("data_path", ("&touch " + victim + "&").c_str());
    char type2[] = "@%D/%k";
    FILE_set_name(type2);
    Capture cap2;
    FILE_list_file();
    cap2.out();
    EXPECT_FALSE(vektest::file_exists(victim));
}

TEST_F(DatedFiles, ListingCommandIsBoundedAndEndsInAWildcard) {
    std::string type = "@" + std::string(150, 'a') + "%y";
    FILE_set_name(type.data());
    std::string cmd = search_command();
    EXPECT_LE(cmd.size(), 79u);
    EXPECT_EQ(cmd.substr(0, 6), "ls -x ");
    EXPECT_EQ(cmd.back(), '*');
    std::string escaped = "@" + std::string(150, ';');
    FILE_set_name(escaped.data());
    cmd = search_command();
    EXPECT_LE(cmd.size(), 79u);
    EXPECT_EQ(cmd.substr(cmd.size() - 3), "\\;*"); // never cut inside a quoted pair
}

TEST_F(DatedFiles, ListingPatternNeverStartsWithAnOption) {
    char type[] = "@-rf%y";
    FILE_set_name(type);
    EXPECT_EQ(search_command(), "ls -x ./-rf[0-9]?");
}

// ---- the input-file dialogue -----------------------------------------------

TEST_F(DatedFiles, FilenameResourceIsReadThroughTheConvention) {
    hourly();
    present("24010110");
    RES_put("filename", "24010110");
    char out[FILE_NAME_LEN];
    Capture cap;
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
    Date d;
    FILE_get_date(&d);
    EXPECT_EQ(d.hour, 10);
    RES_put("filename", "24010111");
    EXPECT_EQ(FILE_get_file("file? ", out), 0);
    EXPECT_EQ(std::string(out), data("24010111"));
    EXPECT_EQ(cap.out(), "");
    EXPECT_EQ(cap.err(), "");
}

TEST_F(DatedFiles, FilenameResourceListEndsTheProgram) {
    hourly();
    present("24010110");
    RES_put("filename", "LIST");
    Capture cap;
    try {
        FILE_get_file("file? ", nullptr);
        FAIL() << "list did not end the program";
    } catch (const Exited &e) {
        EXPECT_EQ(e.status, 0);
    }
    EXPECT_NE(cap.out().find("24010110_rad.dat"), std::string::npos);
}

TEST_F(DatedFiles, CurrentResourceFindsTheFile) {
    hourly();
    present("24010110");
    clock("#202401011130");
    RES_put("current", "la");
    char out[FILE_NAME_LEN];
    Capture cap;
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
    EXPECT_EQ(cap.out(), "Current filename: " + data("24010110") + "\n");
}

TEST_F(DatedFiles, CurrentResourceWithoutFileEndsWithStatus10) {
    hourly();
    clock("#202401011130");
    RES_put("current", "");
    Capture cap;
    try {
        FILE_get_file("file? ", nullptr);
        FAIL() << "a missing current file did not end the program";
    } catch (const Exited &e) {
        EXPECT_EQ(e.status, 10);
    }
    EXPECT_EQ(cap.err(), "File not found: " + data("24010111") + "\n");
}

TEST_F(DatedFiles, BatchModeTakesTheLatestFile) {
    hourly();
    present("24010108");
    clock("#202401011130");
    FLAG_set_batch(1);
    char out[FILE_NAME_LEN];
    Capture cap;
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010108"));
    std::remove(data("24010108").c_str());
    try {
        FILE_get_file("file? ", out);
        FAIL() << "batch mode without a file did not end the program";
    } catch (const Exited &e) {
        EXPECT_EQ(e.status, 10);
    }
}

TEST_F(DatedFiles, PromptAcceptsATypedName) {
    hourly();
    present("24010110");
    char out[FILE_NAME_LEN];
    Capture cap("24010110\n");
    EXPECT_EQ(FILE_get_file("Enter the radar filename: ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
    std::string shown = cap.out();
    EXPECT_EQ(shown.find("List of available files:\n"), 0u);
    EXPECT_NE(shown.find("24010110_rad.dat"), std::string::npos);
    EXPECT_NE(shown.find("Enter the radar filename: "), std::string::npos);
}

TEST_F(DatedFiles, PromptAcceptsCurrentAndLatestRequests) {
    hourly();
    present("24010109");
    clock("#202401011130");
    char out[FILE_NAME_LEN];
    {
        Capture cap("la\n");
        EXPECT_EQ(FILE_get_file("file? ", out), 1);
        EXPECT_NE(cap.out().find("Current filename: " + data("24010109") + "\n"),
                  std::string::npos);
    }
    {
        Capture cap("cu-2\n");
        EXPECT_EQ(FILE_get_file("file? ", out), 1);
        EXPECT_EQ(std::string(out), data("24010109"));
    }
    Capture cap("#2024010109\n");
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010109"));
}

TEST_F(DatedFiles, FourFailedAttemptsEndWithStatus10) {
    hourly();
    Capture cap("nope1\nnope2\nnope3\nnope4\n24010110\n");
    present("24010110"); // a fifth answer would have found it
    try {
        FILE_get_file("file? ", nullptr);
        FAIL() << "the dialogue did not give up";
    } catch (const Exited &e) {
        EXPECT_EQ(e.status, 10);
    }
    std::string err = cap.err();
    for (const char *n : {"nope1", "nope2", "nope3", "nope4"})
        EXPECT_NE(err.find("File not found: " + dir.file(n) + "\n"), std::string::npos) << n;
}

TEST_F(DatedFiles, ListAnswerShowsTheFilesAndUsesAnAttempt) {
    hourly();
    present("24010110");
    Capture cap("list\nno1\nno2\nno3\n24010110\n");
    try {
        FILE_get_file("file? ", nullptr);
        FAIL() << "list did not use an attempt";
    } catch (const Exited &e) {
        EXPECT_EQ(e.status, 10);
    }
    std::string out = cap.out();
    size_t first = out.find("24010110_rad.dat");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(out.find("24010110_rad.dat", first + 1), std::string::npos); // listed twice
}

TEST_F(DatedFiles, ListAnswerIsNotTakenAsStandardInput) {
    hourly();
    present("24010110");
    char out[FILE_NAME_LEN];
    Capture cap("list\n24010110\n");
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
}

TEST_F(DatedFiles, ExitAnswerEndsWithStatus0) {
    hourly();
    Capture cap("nope\nexit\n");
    try {
        FILE_get_file("file? ", nullptr);
        FAIL() << "exit did not end the program";
    } catch (const Exited &e) {
        EXPECT_EQ(e.status, 0);
    }
}

TEST_F(DatedFiles, SetAnswersStoreResourcesWithoutUsingAnAttempt) {
    hourly();
    present("24010110");
    char out[FILE_NAME_LEN];
    Capture cap("set colour=red\nno1\nno2\nno3\n24010110\n");
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_STREQ(RES_get("colour"), "red");
}

TEST_F(DatedFiles, EmptyAnswerIsStandardInput) {
    hourly();
    char out[FILE_NAME_LEN];
    Capture cap("\n");
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_STREQ(out, "-");
}

} // namespace
