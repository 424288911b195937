// The program as a user runs it: help, MDR collectives converted, every way a
// run fails, the run parameters, and the netCDF forms read by ncdump and the
// Python clients. Converted text is compared whole with text worked out here.

#include "vek_test.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
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

GridPos pos_of(const char *id) {
    for (const std::string &s : stations) {
        std::istringstream in(s);
        std::string name, st, cn, sid;
        double prior, lat, lon;
        in >> name >> st >> cn >> sid >> prior >> lat >> lon;
        if (sid == id) return mdr_grid(lat, lon);
    }
    ADD_FAILURE() << "no station " << id;
    return {0, 0};
}

// The box of an echo group letter pair: truncated position in the standard
// form, rounded in the grid form.
std::pair<int, int> box(const char *id, char row, char col, bool grid = false) {
    GridPos g = pos_of(id);
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

// What the collective decodes to, cell by cell.
Cells collective_cells() {
    Cells c;
    c[box("TLX", 'M', 'M')] = 5;
    c[box("TLX", 'M', 'L')] = 3;
    c[box("FWS", 'M', 'M')] = 4; // 3, then 4 from the second report
    c[box("FWS", 'M', 'N')] = 6;
    c[box("LOC", 'M', 'M', true)] = 2;
    c[box("LOC", 'M', 'N', true)] = 1;
    c[box("LOC", 'M', 'O', true)] = 2;
    return c;
}

const char *const collective_reports = "TLX AREA TRW+ + 450,275080 C2520 * *\n"
                                       "AMA NE * * * * * *\n"
                                       "FWS CELL RW- NC * C2310 * *\n"
                                       "LOC PREC * * 450,000000 C2520 * *\n";

const std::string no_reports = "TLX NA * * * * * *\nAMA NA * * * * * *\n"
                               "FWS NA * * * * * *\nLOC NA * * * * * *\n";
const std::string head = "VEKRAD\n1230Z 15 JUN 24\n";
const std::string converted = head + mdr_summary(collective_cells()) + collective_reports;
const std::string converted_empty = head + mdr_summary({}) + no_reports;

class Conversion : public ::testing::Test, protected Install {
  protected:
    Conversion() : Install(stations) {}
    std::string output() const { return out() + "/24061512_rad.vek"; }

    // Starts the conversion of 24061512 with its input a FIFO in DATA and
    // returns once the run writes its temporary output: it then waits for
    // its input, which feed() gives it through *FIFO.
    std::unique_ptr<Started> start_waiting(const std::string &data, int *fifo) {
        std::filesystem::create_directories(data);
        const std::string input = data + "/24061512_rad.txt";
        EXPECT_EQ(mkfifo(input.c_str(), 0644), 0);
        const int before = count_temporaries();
        auto run = std::make_unique<Started>(args({"-dp", data, "24061512"}), work.path(), env());
        *fifo = open(input.c_str(), O_WRONLY); // once the run has opened it
        for (int i = 0; i < 1000 && !writing_temporary(run->pid()); ++i) usleep(10000);
        EXPECT_EQ(count_temporaries(), before + 1) << out_entries();
        EXPECT_TRUE(writing_temporary(run->pid()));
        return run;
    }
    // True once process PID has the temporary of the output open for
    // writing only: the temporary is made read-write and closed, then opened
    // by name for the converted text (which makes missing directories).
    static bool writing_temporary(pid_t pid) {
        const std::string proc = "/proc/" + std::to_string(pid);
        std::error_code ec;
        for (const auto &fd : std::filesystem::directory_iterator(proc + "/fd", ec)) {
            const auto target = std::filesystem::read_symlink(fd.path(), ec);
            if (ec || !target.filename().string().starts_with(".24061512_rad.vek.")) continue;
            std::istringstream info(read_file(proc + "/fdinfo/" + fd.path().filename().string()));
            std::string key, flags;
            while (info >> key >> flags && key != "flags:") {}
            if (key == "flags:" && (std::stoi(flags, nullptr, 8) & O_ACCMODE) == O_WRONLY)
                return true;
        }
        return false;
    }
    int count_temporaries() const {
        const std::vector<std::string> e = split(out_entries());
        return static_cast<int>(std::count_if(
            e.begin(), e.end(), [](auto &n) { return n.starts_with(".24061512_rad.vek."); }));
    }
    static void feed(int fifo, const std::string &text) {
        EXPECT_EQ(write(fifo, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        close(fifo);
    }
};

// Pieces of the help, in order: its head, options with and without a value
// (and the message levels, the default marked), optional and listed values,
// and its end; 34 lines in all (the docs tests check every option).
const char *const help_pieces[] = {
    "dirida: This program converts raw MDR (radar) observations\n   into a useable format\n"
    "dirida syntax (version:VERSION)\n   dirida [options...]\nKeyed options...\n"
    " -df file    Resource/defaults file name\n -na name    Program name\n",
    " -h          Print this help\n -ba         Run program in batch mode\n"
    " -me level   Message level to be displayed:\n"
    "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n -fp path    File "
    "path\n",
    " -cu [hour]  Use current data file\n -ho hour    Actual hour of the file\n"
    " -nh hour[,step]  Number of hours to view\n",
    " -pa param[,...]  Program parameters\nPositional options...\n"
    " file [file...]  Input file names\n"};

// Help ends the run with 0 before anything is opened or made: also with an
// input name, and when a defaults file asks for it; "none" silences it.
TEST_F(Conversion, HelpAndBanner) {
    std::vector<std::string> pieces(std::begin(help_pieces), std::end(help_pieces));
    pieces[0].replace(pieces[0].find("VERSION"), 7, VEK_version());
    const struct {
        std::vector<std::string> args;
        const char *defaults;
        bool shown;
    } cases[] = {{{"-h"}, "", true},
                 {{"-h", "24061512"}, "", true},
                 {{}, "dirida.help on\n", true},
                 {{"-me", "none", "-h"}, "", false}};
    std::string help;
    for (const auto &c : cases) {
        write_file(defaults() + "/vek.cfg", c.defaults);
        RunResult r = run_dirida(c.args, work.path(), env());
        if (help.empty()) help = r.out;
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.shown ? help : "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(out_entries(), "none");
    }
    size_t at = 0;
    for (const std::string &piece : pieces)
        EXPECT_NE(at = help.find(piece, at), std::string::npos) << piece;
    EXPECT_TRUE(help.starts_with(pieces[0]) && help.ends_with(pieces[3])) << help;
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 34);
    std::filesystem::remove(defaults() + "/vek.cfg");
    RunResult r = run({"-me", "mess"}, false);
    EXPECT_EQ(
        r.out.rfind("      RADAR DATA CONVERSION PROGRAM (Ver "s + VEK_version() + ")\n\n", 0), 0u)
        << r.out;
}

// By the convention's name, by full path (its own directory and date), with
// and without the identification line, named by the words of "output" and
// "out_file" (a form word, a separator and a convention or "@" template),
// and to standard output.
TEST_F(Conversion, CollectiveToTheTextForms) {
    write_file(raw() + "/24061512_rad.txt", collective);
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
        {{"-of", "vek3:@%y%m%d.three", "24061512"}, work.file("240615.three"), without},
        {{"-of", "vek:@%y%m%d%h.x", "24061512"}, work.file("24061512.x"), converted},
        {{"-ou", "vek3", "-of", "@plain.name", "24061512"}, work.file("plain.name"), without},
    };
    for (const auto &c : cases) {
        std::filesystem::remove_all(out());
        RunResult r = run(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(read_file(c.name), c.text) << c.name;
        EXPECT_EQ(std::filesystem::status(c.name).permissions(),
                  std::filesystem::perms(0644)); // as the umask of the tests leaves it
        std::filesystem::remove(c.name);
        EXPECT_EQ(out_entries(), c.name == output() ? "" : "none");
    }
    RunResult r = run({"-me", "none", "-of", "@-", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, converted);
    // A netCDF form by the same words (the forms themselves: ConversionCdf).
    r = run({"-of", "cdf1:@%y%m%d.one", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(work.file("240615.one")).substr(0, 3), "CDF");
}

TEST_F(Conversion, StationsMissingFromTheFileAreReported) {
    write_file(raw() + "/24061512_rad.txt", collective);
    RunResult r = run({"-me", "+out3c", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Station not in database: GUA\n");
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

// A run on summary bulletins writes only the summary.
TEST_F(Conversion, SummaryBulletinsGiveOnlyTheSummary) {
    write_file(raw() + "/24061512_rad.txt", "SDUS21 KWBC 151215\n+ 10 020\n 123\n");
    RunResult r = run({"-in", "raw", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(output()), "VEKRAD\n1215Z 15 JUN 24\n" +
                                       mdr_summary({{{21, 11}, 1}, {{22, 11}, 2}, {{23, 11}, 3}}));
}

// An existing file is kept in batch mode, at a "no" and at the end of
// standard input, and replaced when replacing is asked for.
TEST_F(Conversion, ExistingOutputIsReplacedOnlyWhenAsked) {
    write_file(raw() + "/24061512_rad.txt", collective);
    std::filesystem::create_directories(out());
    write_file(output(), "precious\n");
    for (bool batch : {true, false}) {
        for (const char *answer : {"n\n", ""}) {
            RunResult r = run({"24061512"}, batch, answer);
            EXPECT_EQ(r.status, 0);
            EXPECT_NE(r.err.find("RAD_set_out_file: Unable to overwrite converted data file\n"),
                      std::string::npos);
            EXPECT_EQ(out_entries(), " 24061512_rad.vek");
            EXPECT_EQ(read_file(output()), "precious\n");
        }
    }
    std::filesystem::permissions(output(), std::filesystem::perms(0640));
    RunResult r = run({"-pf", "over", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(output()), converted);
    EXPECT_EQ(std::filesystem::status(output()).permissions(), std::filesystem::perms(0640));
}

// The input cannot be found, read, or dated by its name: 10, and no output.
TEST_F(Conversion, InputsThatCannotBeUsedEndWith10) {
    std::filesystem::create_directories(raw() + "/24061512_rad.txt");
    write_file(raw() + "/notes.txt", collective);
    auto no_date = [](const std::string &name) {
        return "RAD_decode_file: The name " + name +
               " gives no date and hour: give them after it, " + "as in " + name +
               "#2024061512 (year, month, day, hour)\n";
    };
    const std::string overlong = raw() + "/" + std::string(160, 'n');
    const struct {
        std::vector<std::string> args;
        std::string input, err;
    } cases[] = {
        {{"24061599"},
         "",
         "RAD_decode_file: Unable to open file:" + raw() +
             "/24061599_rad.txt: No such file or directory\n"},
        {{"24061512"},
         "",
         "RAD_decode_file: Unable to read file:" + raw() + "/24061512_rad.txt: Is a directory\n"},
        {{"-dp", ".", "raw/notes.txt"}, "", no_date("./raw/notes.txt")},
        {{"-in", "raw", raw() + "/notes.txt"}, "", no_date(raw() + "/notes.txt")},
        {{"-"}, collective, no_date("-")},
        {{overlong},
         "",
         "FILE_set_file: Name too long (at most 159 characters): " + overlong + "\n"},
    };
    for (const auto &c : cases) {
        RunResult r = run(c.args, true, c.input);
        EXPECT_EQ(r.status, 10) << c.args.back();
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(out_entries(), "none");
    }
    // Asked for an input file with nobody to answer.
    RunResult r = run({}, false);
    EXPECT_EQ(r.status, 10);
    EXPECT_EQ(r.err, "FILE_get_file: End of input: no input file was chosen\n");
    EXPECT_EQ(out_entries(), "none");
    // A date given after the name.
    r = run({"-#2024061512"}, true, collective);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(output()), converted);
}

// The output cannot be named, made, opened or written: 12.
TEST_F(Conversion, OutputsThatCannotBeMadeEndWith12) {
    write_file(raw() + "/24061512_rad.txt", collective);
    write_file(work.file("blocker"), "a file where a directory should be\n");
    std::filesystem::create_directories(work.file("taken/24061512_rad.vek"));
    const std::string long_dir = work.file(std::string(150 - work.path().size(), 'L'));
    const std::string deep = work.file(std::string(90, 'a') + "/b"); // made over 99 characters
    const std::string sub = work.file("blocker/sub");
    auto no_open = [](const std::string &name, const std::string &why) {
        return "RAD_set_out_file: Unable to open converted file: " + name + ": " + why + "\n";
    };
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"-cp", sub}, no_open(sub + "/24061512_rad.vek", "Not a directory")},
        {{"-cp", work.file("taken")},
         no_open(work.file("taken/24061512_rad.vek"), "Is a directory")},
        {{"-cp", deep}, no_open(deep + "/24061512_rad.vek", "File name too long")},
        {{"-cp", long_dir},
         "FILE_set_date: Name too long (at most 159 characters): " + long_dir +
             "/24061512_rad.vek\nRAD_set_out_file: Unable to name converted file: File name too "
             "long\n"},
        {{"-cp", sub, "-ou", "cdf"}, no_open(sub + "/24061512_rad.nc", "Not a directory")},
        {{"-ou", "cdf", "-of", "@-"},
         no_open("-", "nccreate: a netCDF file cannot be a stream or a command")},
        // A write that fails: the system's text.
        {{"-of", "@/dev/full"},
         "RAD_decode_file: Unable to write converted file /dev/full: write: No space left on "
         "device\n"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> a = c.args;
        a.push_back("24061512");
        RunResult r = run(a);
        EXPECT_EQ(r.status, 12) << c.args.back();
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(out_entries() == "none" || out_entries() == "") << out_entries();
    }
    EXPECT_FALSE(std::filesystem::exists(work.file(std::string(90, 'a'))));
    // A device is written in place, without the overwrite question.
    RunResult r = run({"-of", "@/dev/null", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

TEST_F(Conversion, AFullFileSystemEndsWith12AndLeavesNoFile) {
    write_file(raw() + "/24061512_rad.txt", collective);
    std::filesystem::create_directories(out());
    // A file size limit, which needs no privilege; the run inherits it, and
    // the ignored SIGXFSZ, so that its write fails instead of ending it.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    const struct rlimit limited = {1000, old.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    RunResult big = run({"24061512"});
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(big.status, 12);
    EXPECT_EQ(big.err, "RAD_decode_file: Unable to write converted file " + output() +
                           ": write: File too large\n");
    EXPECT_EQ(out_entries(), "");

    if (mount("tmpfs", out().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs of 64 kB here (" << strerror(errno) << ")";
    write_file(out() + "/filler", std::string(56 * 1024, 'f')); // 8 kB stay free
    RunResult r = run({"24061512"});
    // The netCDF form (about 140 kB) fails the same way, in the library.
    RunResult cdf = run({"-ou", "cdf", "24061512"});
    const std::string entries = out_entries();
    umount2(out().c_str(), MNT_DETACH);
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, "RAD_decode_file: Unable to write converted file " + output() +
                         ": write: No space left on device\n");
    EXPECT_EQ(cdf.status, 12);
    const std::string nc = out() + "/24061512_rad.nc";
    // The library says what failed first; the run's own message ends it.
    EXPECT_NE(cdf.err.find("\nRAD_decode_file: Unable to write converted file " + nc +
                           ": ncendef: No space left on device\n"),
              std::string::npos)
        << cdf.err;
    EXPECT_EQ(entries, " filler");
}

TEST_F(Conversion, AnInterruptedRunLeavesNoFileAndTheNextConvertsNormally) {
    const struct {
        int sig;
        const char *name;
    } signals[] = {{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}};
    for (const auto &s : signals) {
        std::filesystem::remove(raw() + "/24061512_rad.txt");
        int fifo = -1;
        auto running = start_waiting(raw(), &fifo);
        kill(running->pid(), s.sig);
        RunResult r = running->finish();
        close(fifo);
        EXPECT_EQ(r.status, 128 + s.sig);
        EXPECT_EQ(r.err, "Interrupted by "s + s.name + ": " + output() +
                             " not written (its unfinished temporary was removed)\n");
        EXPECT_EQ(out_entries(), "");
    }
    // A signal ignored when the run starts (nohup) stays ignored; the next
    // run converts normally.
    std::filesystem::remove(raw() + "/24061512_rad.txt");
    signal(SIGHUP, SIG_IGN);
    int fifo = -1;
    auto running = start_waiting(raw(), &fifo);
    signal(SIGHUP, SIG_DFL);
    kill(running->pid(), SIGHUP);
    feed(fifo, collective);
    RunResult r = running->finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(output()), converted);
}

// Each run writes its own temporary; the last to finish wins, whole.
TEST_F(Conversion, TwoRunsOnOneOutputEachWriteAWholeFile) {
    int fifo_a = -1, fifo_b = -1;
    auto a = start_waiting(work.file("a"), &fifo_a);
    auto b = start_waiting(work.file("b"), &fifo_b);
    feed(fifo_b, "");
    EXPECT_EQ(b->finish().status, 0);
    EXPECT_EQ(read_file(output()), converted_empty);
    feed(fifo_a, collective);
    EXPECT_EQ(a->finish().status, 0);
    EXPECT_EQ(read_file(output()), converted);
    EXPECT_EQ(out_entries(), " 24061512_rad.vek");
}

TEST_F(Conversion, AnOutputDirectoryThatVanishesEndsWith12) {
    int fifo = -1;
    auto running = start_waiting(raw(), &fifo);
    std::filesystem::remove_all(out());
    feed(fifo, collective);
    RunResult r = running->finish();
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, "RAD_decode_file: Unable to put converted file in place: " + output() +
                         ": No such file or directory\n");
    EXPECT_EQ(out_entries(), "none");
}

// The words of "input" and "parameter": the defaults are an MDR run with
// clear-air echoes; later words override earlier ones; "range" words set
// the window (seen from a run time of 12:00), numbers held at the range of
// int (a window that closes before it opens). The runs of the program show
// the names and forms.
TEST(RunParameters, InputAndParameterWords) {
    const struct {
        const char *input, *parameter;
        int type, clear_air, first, last; // the window holds FIRST to LAST of 11:xx-12:xx
    } cases[] = {{"", "", 1, 1, 1145, 1215},
                 {"RCM", "", 2, 1, 1145, 1215},
                 {"rcm,bogus,raw", "", 0, 1, 1145, 1215},
                 {"mdr", "noclar,raw_sum", 0, 0, 1145, 1215},
                 {"", "range=-30:20", 1, 1, 1130, 1220},
                 {"", "range:-5", 1, 1, 1155, 1215},
                 {"", "range", 1, 1, 1145, 1215},
                 {"", "range=99999999999:-99999999999", 1, 1, 0, 0}};
    for (const auto &c : cases) {
        reset_all();
        RES_put("file_path", (source_dir() + "/data").c_str());
        if (*c.input) RES_put("input", c.input);
        if (*c.parameter) RES_put("parameter", c.parameter);
        RES_put("in_file", "@%y%m%d%h.raw");
        DATE_set_range(-15, 15); // as the driver does before reading the parameters
        RAD_parameter();
        EXPECT_EQ(RAD_get_type(), c.type) << c.input;
        EXPECT_EQ(RAD_get_clear_air(), c.clear_air) << c.parameter;
        Date d = {2024, 6, 15, -9999, -9999, 12, 0, 0};
        DATE_set_datim(&d);
        auto in = [](int hhmm) { return DATE_chk_range(hhmm) == 1; };
        EXPECT_TRUE(!c.first || (in(c.first) && in(c.last))) << c.parameter;
        EXPECT_FALSE(in(c.first - 1) || in(c.last + 1) || (!c.first && in(1200))) << c.parameter;
        char out[FILE_NAME_LEN];
        FILE_set_file("24061512", out); // "raw" reads names by "in_file"
        EXPECT_TRUE(c.input[0] != 'r' || (out == std::string("24061512.raw")) == (c.type == 0));
    }
}

class ConversionCdf : public ::testing::Test, protected Install {
  protected:
    void SetUp() override {
        std::filesystem::copy_file(source_dir() + "/data/24061512_rad.txt",
                                   raw() + "/24061512_rad.txt");
    }
    // Converts the collective with the output words OUTPUT; returns the file.
    std::string convert(const std::string &output) {
        RunResult r = run({"-me", "error", "-pf", "over", "-ou", output, "24061512"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return out() + (output.starts_with("cdf") ? "/24061512_rad.nc" : "/24061512_rad.vek");
    }
};

// ncdump shows the header of each layout as expected, one main record per
// report line of the text form in its order (with the records of other
// movements and of tops after it; one station record each in layout 1),
// and the date.
TEST_F(ConversionCdf, NcdumpShowsTheHeaderAndTheData) {
    std::istringstream text(read_file(convert("vek")));
    std::vector<std::string> ids;
    bool reports = false;
    for (std::string line; std::getline(text, line); reports = reports || line == "SDXX STATIONS")
        if (reports) ids.push_back(line.substr(0, line.find(' ')));
    for (const auto &[output, cdl] :
         {std::pair{"cdf", "24061512_rad.cdl"}, {"cdf1", "24061512_rad_layout1.cdl"}}) {
        const std::string nc = convert(output);
        EXPECT_EQ(ncdump_header(nc), read_file(source_dir() + "/tests/data/" + cdl)) << output;
        int status = -1;
        std::istringstream data(shell("ncdump -v id " + nc, &status));
        std::vector<std::string> seen;
        for (std::string line; std::getline(data, line);) {
            const size_t q = line.find('"');
            if (q == std::string::npos || line.find(':') != std::string::npos) continue;
            const std::string id = line.substr(q + 1, line.find('"', q + 1) - q - 1);
            if (seen.empty() || seen.back() != id) seen.push_back(id);
        }
        EXPECT_EQ(seen, ids) << output;
    }
    int status = -1;
    const std::string data = shell("ncdump -v mdr_time,rpt_date " + convert("cdf"), &status);
    EXPECT_NE(data.find("data:\n\n mdr_time = \"202406151230\" ;\n\n rpt_date = 20240615 ;\n}\n"),
              std::string::npos)
        << data;
}

// netCDF4-python and xarray read what the text form shows; the quick look
// draws each cell in the colour of its level (tests/cdf_clients.py).
TEST_F(ConversionCdf, RealClientsAndTheQuickLook) {
    const std::string python = "/usr/bin/python3";
    int status = -1;
    shell(python + " -c 'import netCDF4, xarray, matplotlib' 2>/dev/null", &status);
    if (status != 0)
        GTEST_SKIP() << python << " lacks netCDF4, xarray or matplotlib: scripts/deps.sh "
                     << "installs python3-netcdf4, python3-xarray and python3-matplotlib";
    const std::string files = convert("cdf") + " " + convert("vek") + " " + etc() + "/rad.cty";
    for (const std::string &mode :
         {"records " + files, "quicklook " + files + " " + work.file("look.png")}) {
        const std::string out =
            shell("cd " + work.path() + " && MPLCONFIGDIR=" + work.path() + " " + python + " " +
                      source_dir() + "/tests/cdf_clients.py " + mode + " 2>&1",
                  &status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_NE(out.find("agree"), std::string::npos) << out;
    }
    EXPECT_TRUE(file_exists(work.file("look.png")));
}

} // namespace
