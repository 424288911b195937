// The program as a user runs it on MDR collectives: every way a run fails,
// the run parameters, and the netCDF forms read by ncdump and real clients.
// Converted text is compared whole with text worked out here.

#include "files.h"
#include "nc_read.h"
#include "vek_test.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <regex>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vektest;
using namespace std::string_literals;

namespace {

// In the order of the converted reports; none within 0.001 of a box edge,
// where float and double could round apart; Guam far off the grid.
const std::vector<std::string> stations = {
    "Norman OK US TLX 1 35.32 -97.27 370 99999 1",
    "Amarillo TX US AMA 1 35.23 -101.70 1093 99999 313",
    "Optional KS US OPT 2 38.00 -95.00 300 99999 900",
    "Fort_Worth TX US FWS 1 32.57 -97.30 208 99999 345",
    "Local NE US LOC 3 40.00 -100.00 700 99999 901",
    "Guam GU US GUA 1 13.45 144.80 80 99999 999",
};

// The box of an echo group letter pair of station ID: truncated position in
// the standard form, rounded in the grid form.
std::pair<int, int> box(const char *id, char row, char col, bool grid = false) {
    const auto [gx, gy] = mdr_grid(stations, id);
    const double r = grid ? 0.5001 : 0;
    return {static_cast<int>(gx + r) + (col - 'M'), static_cast<int>(gy + r) + (row - 'M')};
}

const char *const collective = "ZCZC RDC001\n"
                               "SDUS41 KWBC 151235\n"
                               "MANUALLY DIGITIZED RADAR REPORTS\n"
                               "TLX 1225 AREA 4TRW+/+ 250/60 290/95 35W C2520 MT 450 AT 275/80\n"
                               "^MM5 ML34=\n"
                               "AMA 1232 PPINE=\n"
                               "FWS 1231 LN 6TRW++/NC 310/110 L2515 MT 520 ^MM3 LM9=\n"
                               "GUA 1230 CELL 2RW/NC ^MM2=\n"
                               "TLX 1128 CELL 9TRW/+ ^MM6=\n"
                               "AMA 1245 AREA 2RW ^MM4=\n"
                               "LOC 1230 PPINS MM2 MN12/AA2520C/AA450/RW=\n"
                               "FWS 1239 COR CELL 2RW-/NC C2310 ^MM4 MN6=\n"
                               "NNNN\n";

// What the collective converts to, and a conversion of no reports.
const std::string head = "VEKRAD\n1230Z 15 JUN 24\n";
const std::string converted =
    head +
    mdr_summary({{box("TLX", 'M', 'M'), 5},
                 {box("TLX", 'M', 'L'), 3},
                 {box("FWS", 'M', 'M'), 4}, // 3, then 4 from the second report
                 {box("FWS", 'M', 'N'), 6},
                 {box("LOC", 'M', 'M', true), 2},
                 {box("LOC", 'M', 'N', true), 1},
                 {box("LOC", 'M', 'O', true), 2}}) +
    "TLX AREA TRW+ + 450,275080 C2520 * *\nAMA NE * * * * * *\n"
    "FWS CELL RW- NC * C2310 * *\nLOC PREC * * 450,000000 C2520 * *\n";
const std::string converted_empty = head + mdr_summary({}) +
                                    "TLX NA * * * * * *\nAMA NA * * * * * *\n"
                                    "FWS NA * * * * * *\nLOC NA * * * * * *\n";

// The installation with the collective as the input of 24061512.
class Conversion : public VekTest, protected Install {
  protected:
    Conversion() : Install(stations) { write_file(raw() + "/24061512_rad.txt", collective); }
    std::string output() const { return out() + "/24061512_rad.vek"; }

    // Starts converting 24061512 from a FIFO in DATA; returns once the run has
    // its temporary open for writing and waits for the input feed() gives.
    std::unique_ptr<Started> start_waiting(const std::string &data, int *fifo) {
        std::filesystem::create_directories(data);
        const std::string input = data + "/24061512_rad.txt";
        std::filesystem::remove(input);
        EXPECT_EQ(mkfifo(input.c_str(), 0644), 0);
        auto run = std::make_unique<Started>(args({"-dp", data, "24061512"}), work.path(), env());
        *fifo = open(input.c_str(), O_WRONLY); // once the run has opened it
        for (int i = 0; i < 1000 && !writing_temporary(run->pid()); ++i) usleep(10000);
        EXPECT_TRUE(writing_temporary(run->pid())) << out_entries();
        return run;
    }
    // The temporary is made read-write and closed, then opened by name for
    // the converted text: only then is it open for writing only.
    bool writing_temporary(pid_t pid) const {
        const std::string proc = "/proc/" + std::to_string(pid);
        std::error_code ec;
        for (const auto &fd : std::filesystem::directory_iterator(proc + "/fd", ec)) {
            const std::string target = std::filesystem::read_symlink(fd.path(), ec);
            if (!target.starts_with(out() + "/.24061512_rad.vek.")) continue;
            unsigned flags = 0;
            const std::string info = read_file(proc + "/fdinfo/" + fd.path().filename().string());
            if (sscanf(info.c_str(), "pos: %*u flags: %o", &flags) == 1 &&
                (flags & O_ACCMODE) == O_WRONLY)
                return true;
        }
        return false;
    }
    static void feed(int fifo, const std::string &text) {
        EXPECT_EQ(write(fifo, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fifo);
    }
};

// Help and the version end the run with 0 before anything is made. The text
// forms by the convention's name, by full path, with and without the
// identification line, named by "output" and "out_file", and to standard
// output; a new file has the mode the umask leaves; the progress ends with a
// line saying what was decoded and written.
TEST_F(Conversion, HelpVersionAndTheTextForms) {
    for (const char *option : {"-h", "-version"}) {
        RunResult r = run_dirida({"-ba", option, "24061512"}, work.path(), env());
        EXPECT_TRUE(r.status == 0 && r.out.starts_with("dirida") && r.err.empty()) << r.err;
        EXPECT_EQ(out_entries(), "none");
    }
    std::filesystem::create_directories(work.file("arch"));
    write_file(work.file("arch/24061512_rad.txt"), collective);
    const std::string without = converted.substr(7); // no "VEKRAD" line
    const struct {
        std::vector<std::string> args;
        std::string name, text;
    } cases[] = {
        {{"24061512"}, output(), converted},
        {{work.file("arch/24061512_rad.txt")}, output(), converted},
        {{"-ou", "vek3", "24061512"}, output(), without},
        {{"-of", "vek:@%y%m%d%h.x", "24061512"}, work.file("24061512.x"), converted},
    };
    for (const auto &c : cases) {
        RunResult r = run(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(read_file(c.name), c.text) << c.name;
        EXPECT_EQ(std::filesystem::status(c.name).permissions(), std::filesystem::perms(0644));
        std::filesystem::remove(c.name);
        EXPECT_EQ(out_entries(), c.name == output() ? "" : "none");
        std::filesystem::remove_all(out());
    }
    RunResult r = run({"-me", "none", "-of", "@-", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, converted);
    // Reports of 5 stations, one of them twice; one of a station off the
    // grid; two of other times.
    r = run({"-me", "mess", "24061512"});
    EXPECT_EQ(r.out, "      RADAR DATA CONVERSION PROGRAM (Ver "s + VEK_version() +
                         ")\n\n1230Z 15 JUN 24\nCreating output file: " + output() +
                         "\nReading the city database file...\n" + raw() +
                         "/24061512_rad.txt: 5 reports of 4 stations decoded, 1 of unknown "
                         "stations, 2 outside 12:20-12:40 UTC -> " +
                         output() + "\n");
    EXPECT_EQ(r.err, "");
    r = run({"-of", "cdf1:@%y%m%d.one", "24061512"}); // a netCDF form by the same words
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(work.file("240615.one")).substr(0, 3), "CDF");
}

// Stations missing from the station file are named; without a station file
// every station is, and only the summary is written, as for summary bulletins.
TEST_F(Conversion, MissingStationsAndSummaryBulletins) {
    RunResult r = run({"-me", "+out3c", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Station not in database: GUA\n");
    // Summary bulletins, in a file named by "in_file", asked for by "input"
    // (a later word wins, an unknown one is ignored) or "parameter".
    write_file(work.file("24061512.raw"), "SDUS21 KWBC 151215\n+ 10 020\n 123\n");
    for (auto [option, words] : {std::pair{"-in", "rcm,bogus,raw"}, {"-pa", "raw_sum"}}) {
        r = run({"-pf", "over", "-if", "@%y%m%d%h.raw", option, words, "24061512"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(read_file(output()),
                  "VEKRAD\n1215Z 15 JUN 24\n" +
                      mdr_summary({{{21, 11}, 1}, {{22, 11}, 2}, {{23, 11}, 3}}))
            << words;
    }
    std::filesystem::remove(etc() + "/rad.cty");
    std::filesystem::remove_all(out());
    r = run({"-me", "warn,+out3c", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Station not in database: TLX\nStation not in database: AMA\n"
                     "Station not in database: FWS\nStation not in database: GUA\n"
                     "Station not in database: LOC\nStation not in database: FWS\n");
    EXPECT_EQ(r.err, "CTY_open_file: Database file not found: " + etc() +
                         "/rad.cty\nRAD_decode_file: No report decoded from " + raw() +
                         "/24061512_rad.txt: 2 reports lie outside 12:20-12:40 UTC and 6 are of "
                         "stations not in the station file\n");
    EXPECT_EQ(read_file(output()), head + mdr_summary({}));
}

// Runs that cannot convert end with 10 when the input cannot be found, read,
// dated or asked for, and with 12 when the output cannot be named, made,
// opened or written; neither leaves a file. A device is written in place.
TEST_F(Conversion, RunsThatCannotConvertEndWith10Or12) {
    std::filesystem::create_directories(raw() + "/24061513_rad.txt");
    write_file(work.file("blocker"), "a file where a directory should be\n");
    std::filesystem::create_directories(work.file("taken/24061512_rad.vek"));
    const std::string overlong = long_path(raw(), FILE_NAME_LEN, 'n');
    const std::string long_dir = long_path(work.path(), FILE_NAME_LEN - 17, 'L');
    const std::string sub = work.file("blocker/sub");
    auto no_open = [](const std::string &name, const std::string &why) {
        return "RAD_set_out_file: Unable to open converted file: " + name + ": " + why + "\n";
    };
    const std::string too_long =
        "Name too long (at most " + std::to_string(FILE_NAME_LEN - 1) + " characters): ";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err, input = "";
    } cases[] = {
        {{"24061599"},
         10,
         "RAD_decode_file: Unable to open file:" + raw() +
             "/24061599_rad.txt: No such file or directory\n"},
        {{"24061513"},
         10,
         "RAD_decode_file: Unable to read file:" + raw() + "/24061513_rad.txt: Is a directory\n"},
        {{"-"},
         10,
         "RAD_decode_file: The name - gives no date and hour: give them after it, as in "
         "-#2024061512 (year, month, day, hour)\n",
         collective},
        {{overlong}, 10, "FILE_set_file: " + too_long + overlong + "\n"},
        {{"-cp", sub, "24061512"}, 12, no_open(sub + "/24061512_rad.vek", "Not a directory")},
        {{"-cp", work.file("taken"), "24061512"},
         12,
         no_open(work.file("taken/24061512_rad.vek"), "Is a directory")},
        {{"-cp", long_dir, "24061512"},
         12,
         "FILE_set_date: " + too_long + long_dir +
             "/24061512_rad.vek\nRAD_set_out_file: Unable to name converted file: File name too "
             "long\n"},
        {{"-ou", "cdf", "-of", "@-", "24061512"},
         12,
         no_open("-", "nccreate: a netCDF file cannot be a stream or a command")},
        {{"-of", "@/dev/full", "24061512"},
         12,
         "RAD_decode_file: Unable to write converted file /dev/full: write: No space left on "
         "device\n"},
    };
    for (const auto &c : cases) {
        RunResult r = run(c.args, true, c.input);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(out_entries() == "none" || out_entries() == "") << out_entries();
    }
    RunResult r = run({}, false);
    EXPECT_EQ(r.status, 10);
    EXPECT_EQ(r.err, "FILE_get_file: End of input: no input file was chosen\n");
    r = run({"-of", "@/dev/null", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    r = run({"-#2024061512"}, true, collective);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(output()), converted);
}

// A full tmpfs: the write of the text form, or the netCDF library, fails;
// the run ends with 12 and leaves no file.
TEST_F(Conversion, AFullFileSystemEndsWith12AndLeavesNoFile) {
    std::filesystem::create_directories(out());
    const std::string failed = "RAD_decode_file: Unable to write converted file ";
    if (mount("tmpfs", out().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs of 64 kB here (" << strerror(errno) << ")";
    write_file(out() + "/filler", std::string(56 * 1024, 'f'));             // 8 kB stay free
    RunResult r = run({"24061512"}), cdf = run({"-ou", "cdf", "24061512"}); // about 140 kB
    const std::string entries = out_entries();
    umount2(out().c_str(), MNT_DETACH);
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, failed + output() + ": write: No space left on device\n");
    EXPECT_EQ(cdf.status, 12);
    // The library says what failed first; the run's own message ends it.
    EXPECT_TRUE(cdf.err.ends_with("\n" + failed + out() +
                                  "/2406151230_rad.nc: ncendef: No space left on device\n"))
        << cdf.err;
    EXPECT_EQ(entries, " filler");
}

// A run interrupted, or whose output directory vanishes, leaves no file; of
// two runs on one output the last to finish wins, whole; nohup is kept.
TEST_F(Conversion, InterruptedVanishingAndRacingRuns) {
    int fifo = -1, fifo_b = -1;
    for (auto [sig, name] :
         {std::pair{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}}) {
        auto running = start_waiting(raw(), &fifo);
        kill(running->pid(), sig);
        RunResult r = running->finish();
        close(fifo);
        EXPECT_EQ(r.status, 128 + sig);
        EXPECT_EQ(r.err, "Interrupted by "s + name + ": " + output() +
                             " not written (its unfinished temporary was removed)\n");
        EXPECT_EQ(out_entries(), "");
    }
    auto a = start_waiting(raw(), &fifo);
    std::filesystem::remove_all(out());
    feed(fifo, collective);
    RunResult r = a->finish();
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, "RAD_decode_file: Unable to put converted file in place: " + output() +
                         ": No such file or directory\n");
    EXPECT_EQ(out_entries(), "none");

    signal(SIGHUP, SIG_IGN);
    a = start_waiting(raw(), &fifo);
    signal(SIGHUP, SIG_DFL);
    auto b = start_waiting(work.file("b"), &fifo_b);
    kill(a->pid(), SIGHUP);
    feed(fifo_b, "");
    EXPECT_EQ(b->finish().status, 0);
    EXPECT_EQ(read_file(output()), converted_empty);
    feed(fifo, collective);
    r = a->finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(output()), converted);
    EXPECT_EQ(out_entries(), " 24061512_rad.vek");
}

// Every file named is converted on its own, in any order, as a run of its own
// converts it; each that fails is named, and the run ends with the highest status.
TEST_F(Conversion, ManyFilesInOneRunEachOnItsOwn) {
    // The collective with its reports of 12 UTC moved to hour H.
    const auto at_hour = [](const char *h) {
        return std::regex_replace(collective, std::regex("\n([A-Z]{3}) 12"), "\n$1 "s + h);
    };
    write_file(work.file("evening.txt"), at_hour("18"));
    write_file(work.file("notes.txt"), collective);                   // no date
    std::filesystem::create_directories(raw() + "/24061513_rad.txt"); // cannot be read
    write_file(raw() + "/24061509_rad.txt", collective);              // its output exists
    write_file(raw() + "/24061506_rad.txt", at_hour("06"));
    const std::vector<std::string> names = {
        "./evening.txt#2024061518", "./notes.txt", "24061512", "24061513", "24061509", "24061506"};
    const auto outputs = [&] { // what out/ holds; then only an existing output
        const std::string all = take_output();
        std::filesystem::create_directories(out());
        write_file(out() + "/24061509_rad.vek", "precious\n");
        return all;
    };
    outputs();
    std::map<std::string, std::string> said; // what a run of one file says
    for (const std::string &name : names) {
        RunResult r = run({name});
        said[name] = r.err;
        if (r.status != 0)
            said[name] += "RAD_convert_files: " + name + " not converted (status " +
                          std::to_string(r.status) + ")\n";
        else if (r.err.ends_with(" exists and is kept\n"))
            said[name] +=
                "RAD_convert_files: " + name + " not converted: its converted file is kept\n";
    }
    const auto single = outputs();
    EXPECT_EQ(std::count(single.begin(), single.end(), '@'), 4); // three converted, one kept
    std::vector<std::string> order = names;
    for (int round = 0; round < 3; ++round) {
        if (round == 1) std::reverse(order.begin(), order.end());
        if (round == 2) std::rotate(order.begin(), order.begin() + 2, order.end());
        RunResult r = run(order, round != 2); // without batch mode: no question, files kept
        std::string err;
        for (const std::string &name : order) err += said[name];
        EXPECT_EQ(r.status, 10);
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out.find("exists overwrite"), std::string::npos);
        EXPECT_TRUE(outputs() == single) << round;
    }
}

// Mistakes are named on standard error and change nothing else; a conversion
// that decodes no report says why, and still writes its file.
TEST_F(Conversion, MistakesAndEmptyConversionsAreNamed) {
    write_file(raw() + "/24061513_rad.txt", read_file(source_dir + "/data/1108280716_rcm.txt"));
    write_file(raw() + "/24061514_rad.txt", "");
    write_file(raw() + "/24061515_rad.txt", collective);
    const std::string none = "RAD_decode_file: No report decoded from " + raw() + "/2406151";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"-me", "none", "-xyz=3", "24061512"}, ""},
        {{"-in", "rmc", "24061512"},
         "RAD_parameter: input \"rmc\" is not mdr, rcm or raw: MDR reports are read\n"},
        {{"-of", "vek:cvt_rad", "24061512"},
         "RAD_set_out_file: out_file \"vek:cvt_rad\": no convention \"cvt_rad\" in the "
         "name convention file: \"cvt_rad\" is the template of the file name\n"},
        {{"-me", "loud", "24061512"},
         "MESS_set_str: message \"loud\" is not a level (none, print, error, warn, mess, out1, "
         "out2, out3, out4, debug): no messages are shown\n"},
        {{"-ho", "noon", "24061512"},
         "RES_conv_data: hour \"noon\" is not a time of the forms HH, DDHH, MMDDHH, NdH:M, :M or "
         "#YYYYMMDDHH: no time is requested\n"},
        {{"-cu", "latest"},
         "FILE_set_current: \"latest\" is not a current-file request (such as la, la-6, -6 or "
         "#2024061512): only \"la\" is read\n"},
        {{"24061513"}, none + "3_rad.txt: it looks like Radar Coded Messages: use -in rcm\n"},
        {{"24061514"}, none + "4_rad.txt: it holds no bulletin\n"},
        {{"24061515"}, none + "5_rad.txt: every report lies outside 15:20-15:40 UTC (8 reports)\n"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = {"-pf", "over"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        auto vars = env();
        vars["vekcurtime"] = "#2024061512";
        RunResult r = run_dirida(this->args(args), work.path(), vars);
        EXPECT_EQ(r.status, 0) << c.args.front();
        EXPECT_EQ(r.err, c.err);
        const std::string hour = c.args.back().size() == 8 ? c.args.back().substr(6) : "12";
        const std::string name =
            c.args.front() == "-of" ? work.file("cvt_rad") : out() + "/240615" + hour + "_rad.vek";
        EXPECT_EQ(read_file(name), hour == "12" ? converted
                                                : "VEKRAD\n" + hour + "30Z 15 JUN 24\n" +
                                                      converted_empty.substr(head.size()))
            << c.args.front();
    }
}

// A defaults or name convention file of another user, or that others may
// write, is skipped with a warning, and a command in it never runs.
TEST_F(Conversion, OnlyOnesOwnConfigurationIsFollowed) {
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody) GTEST_SKIP() << "needs root and the user nobody";
    const uid_t other = nobody->pw_uid;
    const std::string mark = work.file("ran"), cfg = defaults() + "/vek.cfg";
    auto vars = env();
    vars["vekcurtime"] = "#2024061512"; // a batch run without a name converts 24061512
    const struct {
        uid_t uid;
        mode_t mode;
        std::string why;
    } planted[] = {
        {other, 0644,
         "it belongs to nobody (uid " + std::to_string(other) + "), not to you or root"},
        {0, 0646, "anyone may write it (mode 646)"},
        {0, 0664, "its group may write it (mode 664)"},
    };
    for (const auto &p : planted) {
        write_file(cfg, "*filename \"|touch " + mark + "\"\n*in_file none\n");
        ASSERT_EQ(chown(cfg.c_str(), p.uid, 0) + chmod(cfg.c_str(), p.mode), 0);
        RunResult r = run_dirida(args({"-pf", "over"}), work.path(), vars);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "DEF_open: " + cfg + " skipped: " + p.why + "\n");
        EXPECT_FALSE(std::filesystem::exists(mark));
        EXPECT_EQ(read_file(output()), converted);
    }
    write_file(cfg,
               "*filename \"|cat " + raw() + "/24061512_rad.txt#2024061512\"\n*in_file none\n");
    ASSERT_EQ(chown(cfg.c_str(), 0, 0) + chmod(cfg.c_str(), 0644), 0);
    RunResult r = run_dirida(args({"-pf", "over"}), work.path(), vars);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(output()), converted);

    std::filesystem::remove(cfg);
    write_file(etc() + "/name_conv", "rad_cvt |touch " + mark + "\n");
    ASSERT_EQ(chown((etc() + "/name_conv").c_str(), other, 0), 0);
    r = run({"./raw/24061512_rad.txt#2024061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "FILE_set_name: " + etc() + "/name_conv skipped: it belongs to nobody (uid " +
                         std::to_string(other) + "), not to you or root\n");
    EXPECT_FALSE(std::filesystem::exists(mark));
    EXPECT_EQ(read_file(work.file("rad_cvt")), converted); // the key is the template
}

// The shipped collective to both netCDF layouts: ncdump shows each header as
// expected; netCDF4-python and xarray read what the text form shows.
TEST_F(Conversion, NetCdfFormsReadByNcdumpAndRealClients) {
    for (const auto &[dir, name] : {std::pair{etc(), "rad.cty"}, {raw(), "24061512_rad.txt"}})
        std::filesystem::copy_file(source_dir + "/data/" + name, dir + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing);
    const auto convert = [&](const std::string &form) {
        RunResult r = run({"-me", "error", "-pf", "over", "-ou", form, "24061512"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return out() + (form.starts_with("cdf") ? "/2406151230_rad.nc" : "/24061512_rad.vek");
    };
    const std::string text = convert("vek");
    int status = -1;
    for (const auto &[form, cdl] :
         {std::pair{"cdf1", "24061512_rad_layout1.cdl"}, {"cdf", "24061512_rad.cdl"}}) {
        EXPECT_EQ(shell("ncdump -h " + convert(form), &status),
                  read_file(source_dir + "/tests/data/" + cdl))
            << form;
        EXPECT_EQ(status, 0);
    }
    const std::string nc = out() + "/2406151230_rad.nc";
    if (!have_python_clients()) GTEST_SKIP() << "scripts/deps.sh installs " << CLIENT_PACKAGES;
    cdf_client(source_dir, work.path(), "records " + nc + " " + text + " " + etc() + "/rad.cty");
}

} // namespace
