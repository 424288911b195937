// The resource database: the command line and the program's name, the
// precedence of defaults files, environment and command line; and values
// converted by kind: numbers held at their type's range, names never cut,
// the file-parameter words and the requested-time forms.

#include "files.h"
#include "flag.h"
#include "res_conv.h"
#include "resrc.h"
#include "vek_test.h"

#include <climits>
#include <cmath>

using namespace vektest;

namespace {

std::string get(const std::string &name) {
    const char *v = RES_get(name.c_str());
    return v ? std::string(v) : std::string("<absent>");
}

} // namespace

class Resources : public VekTest {
  protected:
    // Decodes ARGS as /usr/bin/dirida with an empty defaults directory (or
    // the one the test wrote).
    void init(std::vector<std::string> args) {
        vek_reset_all();
        setenv("vekdefault", dir.path().c_str(), 1);
        args.insert(args.begin(), "/usr/bin/dirida");
        init_resources(args);
    }
    TempDir dir;
};

// Options by name, abbreviation or prefix, free resources (a dash and a digit
// is a value), the title from one lower-case dash only; names are cut at 49
// characters, values never; the program's name.
TEST_F(Resources, CommandLineWords) {
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> expect;
    } cases[] = {{{"-h", "file1", "file2"}, {{"help", ""}, {"filename", "file1\nfile2"}}},
                 {{"-message=warn", "--input", "mdr", "-outp", "vek", "-fp=/x"},
                  {{"message", "warn"}, {"input", "mdr"}, {"output", "vek"}, {"file_path", "/x"}}},
                 {{"-d", "x", "-in", "rcm", "-OU", "cdf"},
                  {{"data_path", "x"}, {"input", "rcm"}, {"output", "cdf"}}},
                 {{"-xyz", "3", "-abc", "-5", "-nov", "-q"},
                  {{"xyz", "3"}, {"abc", "-5"}, {"nov", ""}, {"q", ""}}},
                 {{"-5", "-", "--", "x"}, {{"filename", "-5\n-\nx"}}},
                 {{"-NAME=foo", "-n=alt"}, {{"name", "alt"}, {"NAME", "<absent>"}}},
                 {{"-" + std::string(3000, 'k') + "=x", "-xy", std::string(5000, 'v')},
                  {{std::string(49, 'k'), "x"}, {"xy", std::string(5000, 'v')}}}};
    for (const Case &c : cases) {
        init(c.args);
        for (const auto &[name, value] : c.expect)
            EXPECT_EQ(get(name), value) << c.args[0] << " " << name;
    }
    char name[8], tiny[4]; // the program's name, cut to the room given
    EXPECT_STREQ(RES_get_progname(name, sizeof name), "dirida");
    EXPECT_STREQ(RES_get_progname(tiny, sizeof tiny), "dir");
}

// Defaults files (in a search path from the command line, with tags and
// the title), then the environment (the program-qualified name first), then
// the command line. Each case: variables, arguments, the values ("|" between).
TEST_F(Resources, Precedence) {
    TempDir a, b;
    write_file(dir.file("vek.cfg"), "*message warn\n*input mdr\n*output vek\n"
                                    "dirida.foo: bar\nother.zap: no\n*filename fromfile\n");
    write_file(a.file("vek.cfg"), "dirida.input: mdr\ndirida.output: vek\nalt.input: alt\n");
    write_file(b.file("vek.cfg"), "IF radar\n*parameter rcm\nELSE\n*parameter raw\nEND\n");
    const struct {
        std::string env, args, values;
    } cases[] = {
        // a free resource for this program and none for another; the first
        // word replaces the file's, the next append
        {"vekmess=mess|vekin=raw", "-me debug a b",
         "message=debug|input=raw|output=vek|foo=bar|zap=<absent>|filename=a\nb"},
        {"vekmess=warn|vekdirida.message=debug", "", "message=debug"},
        {"", "-df " + a.path() + ":+radar:" + b.path(), "input=mdr|output=vek|parameter=rcm"},
        {"", "-na alt -df " + a.path() + ":" + b.path(),
         "input=alt|output=<absent>|parameter=raw"}};
    for (const auto &c : cases) {
        for (const std::string &v : split(c.env, '|'))
            setenv(v.substr(0, v.find('=')).c_str(), v.substr(v.find('=') + 1).c_str(), 1);
        init(split(c.args));
        for (const std::string &v : split(c.env, '|')) unsetenv(v.substr(0, v.find('=')).c_str());
        for (const std::string &v : split(c.values, '|'))
            EXPECT_EQ(get(v.substr(0, v.find('='))), v.substr(v.find('=') + 1)) << c.args;
    }
}

class ValueConversion : public VekTest {};

TEST_F(ValueConversion, NumbersByKindHeldAtTheirRange) {
    int i = 77; // a text that is no number leaves the value
    for (auto [text, want] : {std::pair{"0x10", 16},
                              {"x10", 16},
                              {"99999999999999999999", INT_MAX},
                              {"-99999999999999999999", INT_MIN}}) {
        RES_conv_data(text, &i, CV_int);
        EXPECT_EQ(i, want) << text;
    }
    short s = 0;
    long l = 0, big = 0;
    RES_conv_data("12", &s, CV_short);
    RES_conv_data("123456789012", &l, CV_long);
    RES_conv_data("999999999999999999999999", &big, CV_long);
    EXPECT_TRUE(s == 12 && l == 123456789012L && big == LONG_MAX);
    float f = 0;
    RES_conv_data("1e999", &f, CV_float);
    EXPECT_TRUE(std::isinf(f));
    int b = 7;
    EXPECT_EQ(RES_conv_data(nullptr, &b, CV_bool) * 10 + b, 11); // an option given alone
    RES_conv_data("OFF", &b, CV_bool);
    EXPECT_EQ(b, 0);
}

TEST_F(ValueConversion, PathsAndNamesAreNeverCut) {
    char *path = nullptr;
    RES_conv_data("data", &path, CV_path);
    EXPECT_STREQ(path, "data/");
    free(path);
    char buf[FILE_NAME_LEN];
    RES_conv_data(std::string(FILE_NAME_LEN - 1, 'a').c_str(), buf, CV_strcpy);
    EXPECT_EQ(std::string(buf), std::string(FILE_NAME_LEN - 1, 'a'));
    Capture cap;
    EXPECT_EQ(RES_conv_data(std::string(FILE_NAME_LEN, 'a').c_str(), buf, CV_strcpy), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_NE(cap.err().find("RES_conv_data: Name too long"), std::string::npos);
    for (auto [word, mode] : {std::pair{"use", 3}, {"REUSE", 3}, {"app", 2}, {"append", -9999}}) {
        flag_reset_state();
        const char *name = nullptr;
        RES_conv_data(word, &name, CV_file_param);
        EXPECT_EQ(FLAG_get(FLAG_FILE_MODE), mode) << word;
    }
}

// The requested time as "year month day hour minute" ("_" missing); numbers
// beyond the range of int are held at it (negated: -INT_MAX).
TEST_F(ValueConversion, RequestedTimeForms) {
    const struct {
        const char *text, *date;
    } cases[] = {{"061512", "_ 6 15 12 _"},
                 {"2d06:30", "_ _ 2 6 30"},
                 {"#2024031512", "2024 3 15 12 _"},
                 {"garbage", "_ _ _ _ _"},
                 {"99999999999:99999999999", "_ _ _ 2147483647 2147483647"},
                 {"-0:99999999999", "_ _ _ _ -2147483647"},
                 {"99999999999d99999999999:9", "_ _ 2147483647 2147483647 9"}};
    for (auto c : cases) {
        RES_conv_data(c.text, nullptr, CV_hour);
        Date d;
        FILE_get_time(&d);
        EXPECT_EQ(date_text(d), c.date) << c.text;
    }
}
