// The program as a user runs it: help, MDR collectives converted, every way a
// run fails, the run parameters, and the netCDF forms read by ncdump and the
// Python clients. Converted text is compared whole with text worked out here.

#include "vek_test.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "nc_read.h"
#include "vekrad.h"

using namespace vektest;
using namespace std::string_literals;

namespace {

// The installation: station file order is the order of the reports in the
// converted file. No station lies within 0.001 of a box edge, where float
// and double arithmetic could round apart; Guam lies far off the grid.
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
    double lat = 0, lon = 0;
    for (const std::string &s : stations)
        if (s.find(" "s + id + " ") != std::string::npos)
            sscanf(s.c_str(), "%*s %*s %*s %*s %*d %lf %lf", &lat, &lon);
    const GridPos g = mdr_grid(lat, lon);
    const double r = grid ? 0.5001 : 0;
    return {static_cast<int>(g.gx + r) + (col - 'M'), static_cast<int>(g.gy + r) + (row - 'M')};
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
class Conversion : public ::testing::Test, protected Install {
  protected:
    Conversion() : Install(stations) { write_file(raw() + "/24061512_rad.txt", collective); }
    void TearDown() override { keep_devices(); }
    std::string output() const { return out() + "/24061512_rad.vek"; }

    // Starts the conversion of 24061512 with its input a FIFO in DATA and
    // returns once the run has its temporary beside the output open for
    // writing: it then waits for its input, which feed() gives it via *FIFO.
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
            std::istringstream info(read_file(proc + "/fdinfo/" + fd.path().filename().string()));
            std::string key, flags;
            while (info >> key >> flags && key != "flags:") {}
            if (key == "flags:" && (std::stoi(flags, nullptr, 8) & O_ACCMODE) == O_WRONLY)
                return true;
        }
        return false;
    }
    static void feed(int fifo, const std::string &text) {
        EXPECT_EQ(write(fifo, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fifo);
    }
};

// Help ends the run with 0 before anything is opened or made, also with an
// input name; "none" silences it. It
// shows its head, the message levels with the default marked, and its end:
// 34 lines in all (the docs tests check every option and a few lines).
TEST_F(Conversion, HelpAndBanner) {
    const std::string pieces[] = {
        "dirida: This program converts raw MDR (radar) observations\n   into a useable format\n"
        "dirida syntax (version:"s +
            VEK_version() +
            ")\n   dirida [options...]\nKeyed options...\n"
            " -df file    Resource/defaults file name\n -na name    Program name\n",
        " -me level   Message level to be displayed:\n"
        "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n",
        "Positional options...\n file [file...]  Input file names\n"};
    std::string help;
    for (auto [args, shown] : {std::pair{std::vector<std::string>{"-h"}, true},
                               {{"-h", "24061512"}, true},
                               {{"-me", "none", "-h"}, false}}) {
        RunResult r = run_dirida(args, work.path(), env());
        if (help.empty()) help = r.out;
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, shown ? help : "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(out_entries(), "none");
    }
    size_t at = 0;
    for (const std::string &piece : pieces)
        EXPECT_NE(at = help.find(piece, at), std::string::npos) << piece;
    EXPECT_TRUE(help.starts_with(pieces[0]) && help.ends_with(pieces[2])) << help;
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 34);
    RunResult r = run({"-me", "mess"}, false);
    EXPECT_TRUE(
        r.out.starts_with("      RADAR DATA CONVERSION PROGRAM (Ver "s + VEK_version() + ")\n\n"))
        << r.out;
}

// By the convention's name, by full path (its own directory and date), with
// and without the identification line, named by the words of "output" and
// "out_file" (a form word, a separator and a convention or "@" template),
// and to standard output. A new file has the mode the umask leaves.
TEST_F(Conversion, CollectiveToTheTextForms) {
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
        {{"-ou", "vek3", "-of", "VEK", "24061512"}, output(), converted},
        {{"-of", "vek3:rad_cvt", "24061512"}, output(), without},
        {{"-of", "vek:@%y%m%d%h.x", "24061512"}, work.file("24061512.x"), converted},
        {{"-ou", "vek3", "-of", "@plain.name", "24061512"}, work.file("plain.name"), without},
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
    // Summary bulletins, in a file named by "in_file", as asked for by the
    // words of "input" (a later one wins, an unknown one counts for nothing)
    // or "parameter".
    write_file(work.file("24061512.raw"), "SDUS21 KWBC 151215\n+ 10 020\n 123\n");
    for (auto [option, words] : {std::pair{"-in", "rcm,bogus,raw"}, {"-pa", "noclar,raw_sum"}}) {
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
    EXPECT_EQ(r.err, "CTY_open_file: Database file not found: " + etc() + "/rad.cty\n");
    EXPECT_EQ(read_file(output()), head + mdr_summary({}));
}

// An existing file is kept in batch mode, at a "no" and at the end of
// standard input, and replaced when replacing is asked for.
TEST_F(Conversion, ExistingOutputIsReplacedOnlyWhenAsked) {
    std::filesystem::create_directories(out());
    write_file(output(), "precious\n");
    for (auto [batch, answer] : {std::pair{true, ""}, {false, "n\n"}, {false, ""}}) {
        RunResult r = run({"24061512"}, batch, answer);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.err.find("RAD_set_out_file: Unable to overwrite converted data file\n"),
                  std::string::npos);
        EXPECT_EQ(out_entries(), " 24061512_rad.vek");
        EXPECT_EQ(read_file(output()), "precious\n");
    }
    RunResult r = run({"-pf", "over", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(output()), converted);
}

// Runs that cannot convert end with 10 when the input cannot be found, read
// or dated by its name, and with 12 when the output cannot be named, made,
// opened or written; neither leaves a file. Nobody to answer for an input
// file is 10 too. A device is written in place, without the overwrite
// question, and a date may follow the input's name.
TEST_F(Conversion, RunsThatCannotConvertEndWith10Or12) {
    write_file(raw() + "/notes.txt", collective);
    std::filesystem::create_directories(raw() + "/24061513_rad.txt");
    write_file(work.file("blocker"), "a file where a directory should be\n");
    std::filesystem::create_directories(work.file("taken/24061512_rad.vek"));
    const std::string overlong = raw() + "/" + std::string(160, 'n');
    const std::string long_dir = work.file(std::string(150 - work.path().size(), 'L'));
    const std::string deep = work.file(std::string(90, 'a') + "/b"); // made over 99 characters
    const std::string sub = work.file("blocker/sub");
    auto no_date = [](const std::string &name) {
        return "RAD_decode_file: The name " + name +
               " gives no date and hour: give them after it, as in " + name +
               "#2024061512 (year, month, day, hour)\n";
    };
    auto no_open = [](const std::string &name, const std::string &why) {
        return "RAD_set_out_file: Unable to open converted file: " + name + ": " + why + "\n";
    };
    const std::string too_long = "Name too long (at most 159 characters): ";
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
        {{"-dp", ".", "raw/notes.txt"}, 10, no_date("./raw/notes.txt")},
        {{"-"}, 10, no_date("-"), collective},
        {{overlong}, 10, "FILE_set_file: " + too_long + overlong + "\n"},
        {{"-cp", sub, "24061512"}, 12, no_open(sub + "/24061512_rad.vek", "Not a directory")},
        {{"-cp", work.file("taken"), "24061512"},
         12,
         no_open(work.file("taken/24061512_rad.vek"), "Is a directory")},
        {{"-cp", deep, "24061512"}, 12, no_open(deep + "/24061512_rad.vek", "File name too long")},
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
    EXPECT_FALSE(std::filesystem::exists(work.file(std::string(90, 'a'))));
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

// A run interrupted by a signal, or whose output directory vanishes while it
// writes, leaves no file. Two runs on one output each write their own
// temporary: the last to finish wins, whole. A signal ignored when a run
// starts (nohup) stays ignored.
TEST_F(Conversion, InterruptedVanishingAndRacingRuns) {
    const struct {
        int sig;
        const char *name;
    } signals[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    int fifo = -1, fifo_b = -1;
    for (const auto &s : signals) {
        auto running = start_waiting(raw(), &fifo);
        kill(running->pid(), s.sig);
        RunResult r = running->finish();
        close(fifo);
        EXPECT_EQ(r.status, 128 + s.sig);
        EXPECT_EQ(r.err, "Interrupted by "s + s.name + ": " + output() +
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

// The shipped collective and station file to both netCDF layouts: ncdump
// shows the header of each (its record count too) as expected, and the date.
// netCDF4-python and xarray read what the text form shows, every report's
// records in its order (tests/cdf_clients.py).
TEST_F(Conversion, NetCdfFormsReadByNcdumpAndRealClients) {
    for (const auto &[dir, name] : {std::pair{etc(), "rad.cty"}, {raw(), "24061512_rad.txt"}})
        std::filesystem::copy_file(source_dir() + "/data/" + name, dir + "/" + name,
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
         {std::pair{"cdf1", "24061512_rad_layout1.cdl"}, {"cdf", "24061512_rad.cdl"}})
        EXPECT_EQ(ncdump_header(convert(form)), read_file(source_dir() + "/tests/data/" + cdl))
            << form;
    const std::string nc = out() + "/2406151230_rad.nc";
    const std::string data = shell("ncdump -v mdr_time,rpt_date " + nc, &status);
    EXPECT_NE(data.find("data:\n\n mdr_time = \"202406151230\" ;\n\n rpt_date = 20240615 ;\n}\n"),
              std::string::npos)
        << data;

    if (!have_python_clients()) GTEST_SKIP() << "scripts/deps.sh installs " << CLIENT_PACKAGES;
    cdf_client(source_dir(), work.path(), "records " + nc + " " + text + " " + etc() + "/rad.cty");
}

} // namespace
