// The resource database: the command line and the program's name, and the
// precedence of defaults files, environment and command line.

#include "rad_dec.h"
#include "res_init.h"
#include "resrc.h"
#include "vek_test.h"

#include <memory>

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
    // the one the test wrote). The database keeps the command line, so the
    // arguments live in the fixture.
    void init(std::vector<std::string> args) {
        vek_reset_all();
        setenv("vekdefault", dir.path().c_str(), 1);
        args.insert(args.begin(), "/usr/bin/dirida");
        kept.push_back(std::make_unique<Args>(args));
        RES_init(kept.back()->argc(), kept.back()->argv(), RAD_res_key, RAD_res_pos);
    }
    TempDir dir;
    std::vector<std::unique_ptr<Args>> kept;
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
