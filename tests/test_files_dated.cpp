// Dated files: current and latest requests against files in a temporary
// directory with the clock fixed by "vekcurtime", the listing of available
// files, and the input-file dialogue with its resource, batch and prompt
// cases.

#include <cstdlib>
#include <string>

#include "vek_test.h"

namespace {

using vektest::Capture;
using vektest::Exited;
constexpr int X = VEK_MISS;

class Dated : public vektest::VekTest {
  protected:
    vektest::TempDir dir;

    // The worked example in the temporary directory: an hourly convention
    // with a minimum size, the clock at 2024-01-01 11:30.
    void SetUp() override {
        VekTest::SetUp();
        conventions(100);
        setenv("vekcurtime", "#202401011130", 1);
    }
    void conventions(int min_size) {
        vektest::write_file(dir.file("name_conv"), "rad %D/%y%m%d%h_rad.%e - " +
                                                       std::to_string(min_size) +
                                                       "\ndaily %D/%y%m%d.x\nmonthly %D/%y%m.x\n");
        RES_put("file_path", dir.path().c_str());
        RES_put("data_path", dir.path().c_str());
        select("rad_dat");
    }
    static void select(std::string type) { FILE_set_name(type.data()); }
    std::string data(const std::string &stamp) const { return dir.file(stamp + "_rad.dat"); }
    void present(const std::string &stamp, size_t bytes = 200) const {
        vektest::write_file(data(stamp), std::string(bytes, 'x'));
    }
    static std::string current(const char *request) {
        char out[FILE_NAME_LEN];
        FILE_set_current(request, out);
        return out;
    }
    static std::string typed(const char *name) {
        char out[FILE_NAME_LEN];
        Capture quiet;
        FILE_set_file(name, out);
        return out;
    }
    // The exit status of the input-file search with INPUT typed; OUT gets
    // what it showed.
    static int exit_status(const char *input, std::string *out = nullptr) {
        Capture cap(input);
        int status = -1;
        try {
            FILE_get_file("file? ", nullptr);
        } catch (const Exited &e) {
            status = e.status;
        }
        if (out) *out = cap.out();
        return status;
    }
    // Forgets the resources of a case, keeping the directories.
    void forget_resources() const {
        resrc_reset_state();
        RES_put("file_path", dir.path().c_str());
        RES_put("data_path", dir.path().c_str());
    }
};

TEST_F(Dated, CurrentAndLatestRequests) {
    present("24010109");
    present("24010115");
    present("24010110", 100); // exactly the minimum size: not there
    struct Case {
        const char *request, *stamp;
    } cases[] = {
        {"", "24010111"},        {"-6", "24010105"},
        {"+6", "24010117"},      {"-12", "23123123"},
        {"-1:45", "24010109"},   {"-1d2", "23123109"},
        {"+2d", "24010311"},     {"#2024010112", "24010112"},
        {"#202401", "23123100"}, // no day: the last day of the month before
        {"la", "24010109"},      {nullptr, "24010109"},
        {"la-1", "24010108"},    {"#2024010112la", "24010109"},
        {"+la", "24010115"},     {"-1la", "24010109"},
        {"la#0", "24010111"},    {"la#3", "24010109"},
        {"la#1", "24010110"}, // nothing found: one step beyond the last try
        {"LA", "24010111"},   // the search starts only at a lower-case "l"
    };
    for (const Case &c : cases) EXPECT_EQ(current(c.request), data(c.stamp)) << c.request;
    EXPECT_EQ(typed("cu-6"), data("24010105"));
    EXPECT_EQ(typed("la#1"), data("24010110")); // a request, not a date suffix
    setenv("vekcurtime", "202401010800", 1);    // the "#" is optional
    EXPECT_EQ(typed("CU"), data("24010108"));
}

TEST_F(Dated, RequestedTimeMovesTheReferenceBack) {
    Date s = {X, X, X, X, X, 12, X, 0};
    FILE_set_time(&s);
    setenv("vekcurtime", "#202401011020", 1);
    EXPECT_EQ(typed("cu"), data("23123112"));
    setenv("vekcurtime", "#202401011320", 1);
    EXPECT_EQ(typed("cu"), data("24010112"));
    s = Date{X, X, 15, X, X, X, X, 0};
    FILE_set_time(&s);
    setenv("vekcurtime", "#202401101030", 1);
    EXPECT_EQ(current(""), data("23121510"));
    s = Date{X, X, X, X, X, -6, X, 0}; // every sixth hour: steps of six hours
    FILE_set_time(&s);
    present("24010106");
    setenv("vekcurtime", "#202401011530", 1);
    EXPECT_EQ(current("la#2"), data("24010106"));
}

TEST_F(Dated, StepAndMinimumSize) {
    select("daily");
    vektest::write_file(dir.file("231231.x"), "x");
    EXPECT_EQ(current("la#2"), dir.file("231231.x")); // a day back at once
    select("monthly");                                // no step: one try only
    vektest::write_file(dir.file("2312.x"), "x");
    EXPECT_EQ(current("la"), dir.file("2401.x"));
    conventions(0);
    present("24010111", 0); // empty: not there even at minimum 0
    present("24010110", 1);
    EXPECT_EQ(current("la"), data("24010110"));
    for (const char *req : {"#", "#9999999999999999", "-99999999999d99999999999:99999999999",
                            "+-+-la-la", "#0000000000la#1-5d", "99999999999999999999"})
        EXPECT_LT(current(req).size(), static_cast<size_t>(FILE_NAME_LEN)) << req;
}

std::string search_command() {
    MESS_set_str("debug");
    Capture cap;
    FILE_list_file();
    std::string out = cap.out();
    size_t at = out.find("SEARCH: ");
    return at == std::string::npos ? "" : out.substr(at + 8, out.find('\n', at) - at - 8);
}

TEST_F(Dated, ListingCommand) {
    RES_put("data_path", "/data");
    EXPECT_EQ(search_command(), "ls -x /data/[0-9]?[0-9]?[0-9]?[0-9]?_rad.dat");
    select("@%Y_%y%m%d%h%n_%b_%j");
    EXPECT_EQ(search_command(), "ls -x ?[0-9]??_[0-9]?[0-9]?[0-9]?[0-9]?[0-9]?_?[a-z]?_?[0-9]?");
    vektest::reset_all();
    select("@%e_%%_%q_%3q_%D_{x}_%{name}");
    EXPECT_EQ(search_command(), "ls -x *_%_*_???_._x_*name");
    FILE_set_key('q', "key");
    EXPECT_EQ(search_command(), "ls -x *_%_key_key_._x_*name");
    select("@-rf%y"); // never an option of ls
    EXPECT_EQ(search_command(), "ls -x ./-rf[0-9]?");
    select("@" + std::string(150, ';'));
    std::string cmd = search_command();
    EXPECT_EQ(cmd.size(), 79u);
    EXPECT_EQ(cmd.substr(cmd.size() - 3), "\\;*"); // cut between quoted pairs, ends in "*"
}

TEST_F(Dated, TemplateTextNeverBecomesACommand) {
    std::string victim = dir.file("pwned");
    Capture cap;
    select("@x;touch " + victim + ";`touch " + victim + "`$(touch " + victim + ")");
    FILE_list_file();
    FILE_set_key('k', ("a|touch " + victim).c_str());
    RES_put("data_path", ("&touch " + victim + "&").c_str());
    select("@%D/%k");
    FILE_list_file();
    cap.out();
    EXPECT_FALSE(vektest::file_exists(victim));
}

TEST_F(Dated, InputFileFromResourcesAndBatchMode) {
    present("24010110");
    char out[FILE_NAME_LEN];
    Capture cap;
    RES_put("filename", "24010110");
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
    Date d;
    FILE_get_date(&d);
    EXPECT_EQ(d.hour, 10);
    RES_put("filename", "24010111");
    EXPECT_EQ(FILE_get_file("file? ", out), 0);
    forget_resources();
    RES_put("current", "la");
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
    RES_put("current", "-3");
    EXPECT_THROW(FILE_get_file("file? ", out), Exited);
    forget_resources();
    FLAG_set_batch(1);
    EXPECT_EQ(FILE_get_file("file? ", out), 1);
    EXPECT_EQ(std::string(out), data("24010110"));
    EXPECT_EQ(cap.out(), "Current filename: " + data("24010110") + "\n" +
                             "Current filename: " + data("24010110") + "\n");
    EXPECT_EQ(cap.err(), "File not found: " + data("24010108") + "\n");

    RES_put("filename", "list");
    std::string listing;
    EXPECT_EQ(exit_status("", &listing), 0);
    EXPECT_NE(listing.find("24010110_rad.dat"), std::string::npos);
    forget_resources();
    std::remove(data("24010110").c_str());
    EXPECT_EQ(exit_status(""), 10); // batch mode without a file
}

TEST_F(Dated, Dialogue) {
    present("24010109");
    char out[FILE_NAME_LEN];
    for (const char *answer : {"24010109\n", "la\n", "cu-2\n", "#2024010109\n", "list\n24010109\n",
                               "set colour=red\nno1\nno2\nno3\n24010109\n"}) {
        Capture cap(answer);
        EXPECT_EQ(FILE_get_file("Enter the radar filename: ", out), 1) << answer;
        EXPECT_EQ(std::string(out), data("24010109")) << answer;
        std::string shown = cap.out();
        EXPECT_EQ(shown.find("List of available files:\n"), 0u);
        EXPECT_NE(shown.find("24010109_rad.dat"), std::string::npos);
        EXPECT_NE(shown.find("Enter the radar filename: "), std::string::npos);
    }
    EXPECT_STREQ(RES_get("colour"), "red");
    {
        Capture cap("\n");
        EXPECT_EQ(FILE_get_file("file? ", out), 1); // an empty answer: standard input
        EXPECT_STREQ(out, "-");
    }
    EXPECT_EQ(exit_status("nope\nexit\n"), 0);
    EXPECT_EQ(exit_status("list\nno1\nno2\nno3\n24010109\n"), 10); // list uses an attempt
    Capture cap("nope1\nnope2\nnope3\nnope4\n24010109\n");
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

} // namespace
