// The program as a user runs it: help output, message selection and the
// exit status.

#include "vek_test.h"

#include <filesystem>

using namespace vektest;

namespace {

const char *const expected_help =
    "dirida: This program converts raw MDR (radar) observations\n"
    "   into a useable format\n"
    "dirida syntax (version:VERSION)\n"
    "   dirida [options...]\n"
    "Keyed options...\n"
    " -df file    Resource/defaults file name\n"
    " -na name    Program name\n"
    " -h          Print this help\n"
    " -ba         Run program in batch mode\n"
    " -me level   Message level to be displayed:\n"
    "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n"
    " -fp path    File path\n"
    " -dp path    Raw data path\n"
    " -cp path    Converted data path\n"
    " -gp path    Gridded data path\n"
    " -rp path    Raw files path\n"
    " -ip path    Image file path\n"
    " -wp path    Watch file data path\n"
    " -tp path    Text file path\n"
    " -mp path    Model file path\n"
    " -sp path    Satellite file path\n"
    " -in type    Type of input\n"
    " -ou type    Type of output\n"
    " -nc type    Naming convention file name\n"
    " -if type    Input data file type\n"
    " -of type    Output file type\n"
    " -pf param   File parameters: use,calc,over,app\n"
    " -cu [hour]  Use current data file\n"
    " -ho hour    Actual hour of the file\n"
    " -nh hour[,step]  Number of hours to view\n"
    " -dh hour    Actual hour to decode\n"
    " -pa param[,...]  Program parameters\n"
    "Positional options...\n"
    " file [file...]  Input file names\n";

std::string help_text() {
    std::string text = expected_help;
    text.replace(text.find("VERSION"), 7, VEK_version());
    return text;
}

} // namespace

class Program : public ::testing::Test {
  protected:
    RunResult run(const std::vector<std::string> &args) {
        return run_dirida(args, work.path(), {{"vekdefault", defaults.path()}});
    }
    TempDir work, defaults;
};

TEST_F(Program, HelpPrintsDescriptionAndEveryResourceThenExitsZero) {
    RunResult r = run({"-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, help_text());
    EXPECT_EQ(r.err, "");
}

TEST_F(Program, HelpWithAFileNameStillOnlyHelps) {
    RunResult r = run({"-h", "input.dat"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, help_text());
    // Nothing was opened or created in the working directory.
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

TEST_F(Program, HelpUnderMessageNoneIsSilent) {
    RunResult r = run({"-me", "none", "-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST_F(Program, HelpRequestedFromADefaultsFile) {
    write_file(defaults.file("vek.cfg"), "dirida.help on\n");
    RunResult r = run({});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, help_text());
}

TEST_F(Program, BannerIsAProgressMessage) {
    RunResult r = run({"-me", "mess"});
    EXPECT_EQ(r.out.rfind(std::string("      RADAR DATA CONVERSION PROGRAM (Ver ") + VEK_version() +
                              ")\n\n",
                          0),
              0u)
        << r.out;
}
