// Defaults files: the lines taken from a file, tags and conditional blocks,
// and what is named.

#include "def_read.h"
#include "resrc.h"
#include "vek_test.h"

using namespace vektest;

using Lines = std::vector<std::pair<std::string, std::string>>;

class DefaultsFiles : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_setCL(1, argv0); // the program is /usr/bin/dirida
        DEF_prog();
    }
    // Every (name, value) line taken from TEXT.
    Lines lines_of(const std::string &text) {
        write_file(dir.file("defs"), text);
        Lines out;
        EXPECT_EQ(DEF_open(dir.file("defs").c_str()), 0);
        char name[DEF_NAME_LEN], value[DEF_VALUE_LEN];
        while (DEF_get(name, value) == 1) out.emplace_back(name, value);
        DEF_close();
        return out;
    }
    TempDir dir;
    char prog[16] = "/usr/bin/dirida";
    char *argv0[2] = {prog, nullptr};
};

TEST_F(DefaultsFiles, LinesTakenFromAFile) {
    EXPECT_EQ(lines_of("# a comment\n\nlonely\nDirida.Message: debug\nx.y  z  extra\n"
                       "*label \"two words\" ignored\n*title \"open ended\n"
                       "*" +
                       std::string(80, 'n') + " v\n"),
              (Lines{{"dirida.message", "debug"},
                     {"x.y", "z"},
                     {"*label", "two words"},
                     {"*title", "open ended"},
                     {"*" + std::string(48, 'n'), "v"}}));
}

TEST_F(DefaultsFiles, ConditionalBlocksByTag) {
    const std::string chain = "IF a\n*x 1\nELIF b\n*x 2\nELSE\n*x 3\nEND\n*y 4\n";
    std::string deep = "*deep 1\n"; // within twelve levels
    for (int i = 0; i < 12; ++i) deep = "IF t\n" + deep + "END\n";
    struct {
        std::vector<const char *> tags;
        std::string text;
        Lines expect;
    } cases[] = {
        {{"a", "B"}, chain, {{"*x", "1"}, {"*y", "4"}}},
        {{}, chain, {{"*x", "3"}, {"*y", "4"}}},
        {{"o"}, "IF o\nIF i\n*x 1\nELSE\n*x 2\nEND\nEND\n", {{"*x", "2"}}},
        {{},
         "DEF t\nIF T\n*x 1\nEND\nUNDEF t\nIF t\n*x 2\nEND\n",
         {{"def", "t"}, {"*x", "1"}, {"undef", "t"}}},
        // levels beyond ten take no lines, and their ENDs close them first
        {{"t"}, deep + "*after 2\n", {{"*after", "2"}}},
    };
    for (auto &c : cases) {
        def_reset_state();
        DEF_prog();
        for (const char *t : c.tags) DEF_tag(t);
        EXPECT_EQ(lines_of(c.text), c.expect) << c.text;
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(DEF_tag("t"), 0); // the last case set one
    EXPECT_EQ(DEF_tag("eleventh"), -1);                     // ten tags at most
}

// Misplaced directives, lines of one word and lines too long are named (the
// last two by file and line: a first empty line and the pieces of a long line
// count as lines of the file).
TEST_F(DefaultsFiles, MisplacedDirectivesAndLevelsLeftOpen) {
    Capture cap;
    EXPECT_EQ(lines_of("END\nELSE\nELIF x\n*x 1\n"), (Lines{{"*x", "1"}}));
    const std::string at = "DEF_get: " + dir.file("defs") + ":";
    EXPECT_EQ(lines_of("\n*x 1\n" + std::string(300, 'l') + "\nlonely\n\nDEF\n"),
              (Lines{{"*x", "1"}}));
    EXPECT_EQ(cap.err(), "DEF_get: end without an if\nDEF_get: else without an if\n"
                         "DEF_get: elif without an if\n" +
                             at + "3: longer than 249 characters: read as several lines\n" + at +
                             "4: neither a name and value nor a directive: lonely\n" + at +
                             "6: neither a name and value nor a directive: DEF\n");
    EXPECT_EQ(lines_of("IF missing\n"), Lines{});
    EXPECT_EQ(lines_of("*x 1\nEND\n*y 2\n"), (Lines{{"*y", "2"}})); // still governed
}
