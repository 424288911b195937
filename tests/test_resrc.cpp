// The resource database: the command line with its abbreviations and
// positional arguments, the precedence of defaults files, environment and
// command line, and the conversions that take effect at start.

#include "vek_test.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace vektest;

namespace {

const res_type prog_keys[] = {
    RES_help,      RES_batch,      RES_message,     RES_file_path,  RES_data_path,
    RES_con_path,  RES_grid_path,  RES_raw_path,    RES_image_path, RES_watch_path,
    RES_text_path, RES_model_path, RES_sat_path,    RES_input,      RES_output,
    RES_name_conv, RES_in_file,    RES_out_file,    RES_file_param, RES_current,
    RES_hour,      RES_num_hour,   RES_decode_hour, RES_parameter,  RES_null,
};
const res_type prog_pos[] = {RES_filenames, RES_null};

std::string get(const char *name) {
    const char *v = RES_get(name);
    return v ? std::string(v) : std::string("<absent>");
}

} // namespace

class Resources : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        // An empty search path directory: no defaults file anywhere.
        setenv("vekdefault", dir.path().c_str(), 1);
    }
    // The command line is kept by the database, so it lives in the fixture.
    void init(Args args) {
        kept.push_back(std::make_unique<Args>(std::move(args)));
        RES_init(kept.back()->argc(), kept.back()->argv(), prog_keys, prog_pos);
    }
    TempDir dir;
    std::vector<std::unique_ptr<Args>> kept;
};

TEST_F(Resources, HelpFlagLeavesFollowingFileNamePositional) {
    init({"/usr/bin/dirida", "-h", "file1"});
    EXPECT_TRUE(FLAG_help());
    EXPECT_EQ(get("help"), "");
    EXPECT_EQ(get("filename"), "file1");
}

TEST_F(Resources, PositionalArgumentsAccumulate) {
    init({"dirida", "-me", "debug", "file1", "file2"});
    EXPECT_EQ(get("message"), "debug");
    EXPECT_EQ(get("filename"), "file1\nfile2");
    EXPECT_EQ(MESS_get(), 0xFFFFFFFFu);
    int n;
    char **list;
    EXPECT_EQ(RES_getvals("filename", &n, &list), 2);
    EXPECT_STREQ(list[1], "file2");
    free_parsed_array(n, list);
}

TEST_F(Resources, ExactNameDoubleDashAndAbbreviationAllStoreMessage) {
    for (Args args : {Args{"d", "-message=warn"}, Args{"d", "--message", "warn"},
                      Args{"d", "-mess", "warn"}, Args{"d", "-me=warn"}}) {
        reset_all();
        init(args);
        EXPECT_EQ(get("message"), "warn");
        EXPECT_EQ(MESS_get(), 0xFFu);
    }
}

TEST_F(Resources, AbbreviationTakesTheFirstRegisteredMatch) {
    init({"dirida", "-d", "x", "-in", "rcm", "-OU", "cdf"});
    EXPECT_EQ(get("data_path"), "x");
    EXPECT_EQ(get("input"), "rcm");
    EXPECT_EQ(get("output"), "cdf");
}

TEST_F(Resources, UnknownOptionsBecomeFreeResources) {
    init({"dirida", "-xyz", "3", "-abc", "-5", "-nov", "-q"});
    EXPECT_EQ(get("xyz"), "3");
    EXPECT_EQ(get("abc"), "-5"); // a dash and a digit is a value
    EXPECT_EQ(get("nov"), "");   // followed by an option: no value
    EXPECT_EQ(get("q"), "");
}

TEST_F(Resources, DashDigitAndLoneDashArePositional) {
    init({"dirida", "-5", "-", "--", "x"});
    EXPECT_EQ(get("filename"), "-5\n-\nx");
}

TEST_F(Resources, BooleanKindsGiveTheNextArgumentBack) {
    init({"dirida", "-ba", "in.dat", "-h", "more"});
    EXPECT_TRUE(FLAG_batch());
    EXPECT_EQ(get("batch"), "");
    EXPECT_EQ(get("filename"), "in.dat\nmore");
}

TEST_F(Resources, ProgramTitleFromNameOption) {
    write_file(dir.file("vek.cfg"), "foo.message: debug\nalt.message: warn\n");
    init({"/usr/bin/dirida", "-n=alt"});
    EXPECT_EQ(get("name"), "alt");
    EXPECT_EQ(get("message"), "warn");
}

TEST_F(Resources, UpperCaseOrDoubleDashNameIsIgnoredEntirely) {
    write_file(dir.file("vek.cfg"), "foo.message: warn\n");
    init({"/usr/bin/dirida", "-NAME=foo", "--name=foo", "-na", "foo"});
    // Only the lower-case single-dash form sets the title.
    EXPECT_EQ(get("name"), "foo");
    EXPECT_EQ(get("NAME"), "<absent>");
    EXPECT_EQ(get("message"), "warn");

    reset_all();
    init({"/usr/bin/dirida", "-NAME=foo", "--name=foo"});
    EXPECT_EQ(get("name"), "<absent>");
    EXPECT_EQ(get("NAME"), "<absent>");
    EXPECT_EQ(get("message"), "<absent>");
}

TEST_F(Resources, DefaultsSearchPathFromCommandLineWithTags) {
    TempDir a, b;
    write_file(a.file("vek.cfg"), "dirida.input: mdr\ndirida.output: vek\n");
    write_file(b.file("vek.cfg"), "IF radar\ndirida.input: rcm\nELSE\ndirida.input: raw\nEND\n");
    init({"/usr/bin/dirida", "-df", a.path() + ":+radar:" + b.path()});
    EXPECT_EQ(get("input"), "rcm");
    EXPECT_EQ(get("output"), "vek");
    EXPECT_EQ(get("default"), a.path() + ":+radar:" + b.path());
}

TEST_F(Resources, CommandLineBeatsEnvironmentBeatsDefaultsFile) {
    write_file(dir.file("vek.cfg"), "*message warn\n*input mdr\n*output vek\n");
    setenv("vekmess", "mess", 1);
    setenv("vekin", "raw", 1);
    init({"/usr/bin/dirida", "-me", "debug"});
    EXPECT_EQ(get("message"), "debug");
    EXPECT_EQ(get("input"), "raw");
    EXPECT_EQ(get("output"), "vek");
    unsetenv("vekmess");
    unsetenv("vekin");
}

TEST_F(Resources, ProgramQualifiedEnvironmentWins) {
    setenv("vekdirida.message", "debug", 1);
    setenv("vekmess", "warn", 1);
    setenv("vekmessage", "none", 1);
    init({"/usr/bin/dirida"});
    EXPECT_EQ(get("message"), "debug");
    unsetenv("vekdirida.message");
    reset_all();
    setenv("vekdefault", dir.path().c_str(), 1);
    init({"/usr/bin/dirida"});
    EXPECT_EQ(get("message"), "warn");
    unsetenv("vekmess");
    reset_all();
    setenv("vekdefault", dir.path().c_str(), 1);
    init({"/usr/bin/dirida"});
    EXPECT_EQ(get("message"), "none");
    unsetenv("vekmessage");
}

TEST_F(Resources, FreeResourcesFromDefaultsFiles) {
    write_file(dir.file("vek.cfg"), "dirida.foo: bar\n*zap zip\nother.foo: no\n");
    init({"/usr/bin/dirida"});
    EXPECT_EQ(get("foo"), "bar");
    EXPECT_EQ(get("zap"), "zip");
}

TEST_F(Resources, FirstPositionalReplacesDefaultsFileValue) {
    write_file(dir.file("vek.cfg"), "dirida.filename: fromfile\n");
    init({"/usr/bin/dirida", "a", "b"});
    EXPECT_EQ(get("filename"), "a\nb");
}

TEST_F(Resources, ConversionsHappenInOrderOfFirstStore) {
    // batch first, then message: the explicit message wins in either order.
    init({"dirida", "-ba", "-me", "debug"});
    EXPECT_EQ(MESS_get(), 0xFFFFFFFFu);
    reset_all();
    setenv("vekdefault", dir.path().c_str(), 1);
    init({"dirida", "-me", "debug", "-ba"});
    EXPECT_EQ(MESS_get(), 0xFFFFFFFFu);
    reset_all();
    setenv("vekdefault", dir.path().c_str(), 1);
    init({"dirida", "-ba"});
    EXPECT_EQ(MESS_get(), 0xFFu);
}

TEST_F(Resources, BatchFromAnySourceWhateverItsValue) {
    write_file(dir.file("vek.cfg"), "*batch no\n");
    init({"dirida"});
    EXPECT_TRUE(FLAG_batch());
}

TEST_F(Resources, LoopWindowElementWarnsAndIsSkipped) {
    Capture cap;
    init({"dirida", "-df", "#7:" + dir.path()});
    EXPECT_EQ(cap.err(), "ZOZiziz window: 7 not running or no message queue exists\n");
}

TEST_F(Resources, HugeArgumentsAreBoundedAndKeptWhole) {
    std::string longname(3000, 'k');
    std::string longvalue(5000, 'v');
    init({"dirida", "-" + longname + "=x", "-xy", longvalue, std::string(4000, 'f')});
    EXPECT_EQ(get(std::string(49, 'k').c_str()), "x");
    EXPECT_EQ(get("xy"), longvalue);
    EXPECT_EQ(get("filename"), std::string(4000, 'f'));
}

TEST_F(Resources, StoreNewAppendPutGet) {
    EXPECT_EQ(RES_get("a"), nullptr);
    RES_new(-9999, "a", nullptr, CV_string);
    EXPECT_STREQ(RES_get("a"), "");
    RES_append(-9999, "a", "x", CV_string);
    EXPECT_STREQ(RES_get("a"), "x");
    RES_append(-9999, "a", "y", CV_string);
    EXPECT_STREQ(RES_get("a"), "x\ny");
    RES_put("a", "z");
    EXPECT_STREQ(RES_get("a"), "z");
    EXPECT_EQ(RES_get("A"), nullptr); // names are case-sensitive
    RES_put("b", "1,2,,3");
    int n;
    char **list;
    EXPECT_EQ(RES_getvals("b", &n, &list), 4);
    free_parsed_array(n, list);
    EXPECT_EQ(RES_getvals("missing", &n, &list), 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(Resources, GetvalConvertsTheStoredValue) {
    RES_put("num", "0x1F");
    int v = 0;
    EXPECT_EQ(RES_getval("num", &v, CV_int), 1);
    EXPECT_EQ(v, 31);
    EXPECT_EQ(RES_getval("absent", &v, CV_int), 0);
    EXPECT_EQ(RES_getval("num", nullptr, CV_int), 0);
}

TEST_F(Resources, ListPrintsEveryResourceInCreationOrder) {
    RES_put("first", "1");
    RES_new(-9999, "second", nullptr, CV_string);
    RES_put("first", "again");
    Capture cap;
    RES_list();
    EXPECT_EQ(cap.out(), "first: again\nsecond:\n");
}

TEST_F(Resources, ProgramNameFromArgvZero) {
    init({"/opt/bin/dirida"});
    char name[8];
    EXPECT_STREQ(RES_get_progname(name, sizeof name), "dirida");
    char tiny[4];
    EXPECT_STREQ(RES_get_progname(tiny, sizeof tiny), "dir");
    char *dup = RES_get_progname(nullptr, 0);
    EXPECT_STREQ(dup, "dirida");
    free(dup);
    EXPECT_STREQ(RES_get_prog(), "/opt/bin/dirida");
}

TEST_F(Resources, InertIdsPrintTheirNumber) {
    const res_type keys[] = {RES_age, RES_message, RES_null};
    const res_type none[] = {RES_null};
    Args args{"prog", "-me", "warn"};
    Capture cap;
    RES_init(args.argc(), args.argv(), keys, none);
    EXPECT_EQ(cap.out(), "1\n");
    EXPECT_EQ(get("message"), "warn");
}
