// Defaults files: name patterns, quoted values, tags and conditional blocks,
// the standard file names of a directory, and qualified environment names.

#include "vek_test.h"

#include <string>
#include <utility>
#include <vector>

using namespace vektest;

class DefaultsFiles : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        // The program is /usr/bin/dirida.
        RES_setCL(1, argv0);
        DEF_prog();
    }
    // Every (name, value) line taken from TEXT.
    std::vector<std::pair<std::string, std::string>> lines_of(const std::string &text) {
        std::string path = dir.file("defs");
        write_file(path, text);
        std::vector<std::pair<std::string, std::string>> out;
        EXPECT_EQ(DEF_open(path.c_str()), 0);
        char name[DEF_NAME_LEN], value[DEF_VALUE_LEN];
        while (DEF_get(name, value) == 1) out.emplace_back(name, value);
        DEF_close();
        return out;
    }
    TempDir dir;
    char prog[16] = "/usr/bin/dirida";
    char *argv0[2] = {prog, nullptr};
};

using Lines = std::vector<std::pair<std::string, std::string>>;

TEST_F(DefaultsFiles, PatternsMatchTheQualifiedName) {
    for (const char *pat :
         {"dirida.message", "*message", "*.message", "*ida.mess*age", "**message"}) {
        EXPECT_TRUE(DEF_cmp("message", pat)) << pat;
    }
    for (const char *pat : {"message", "other.message", "dirida.mess", "dirida.*", "*",
                            "dirida.messagex", "Dirida.message"}) {
        EXPECT_FALSE(DEF_cmp("message", pat)) << pat;
    }
}

TEST_F(DefaultsFiles, NamesAreLowerCasedAndLoseOneTrailingColon) {
    EXPECT_EQ(lines_of("Dirida.Message: debug\ndirida.input:: raw\n"),
              (Lines{{"dirida.message", "debug"}, {"dirida.input:", "raw"}}));
    EXPECT_TRUE(DEF_cmp("message", "dirida.message"));
}

TEST_F(DefaultsFiles, CommentsEmptyAndOneWordLinesAreSkipped) {
    EXPECT_EQ(lines_of("# a comment\n\nlonely\n  \t \nx.y  z  extra\n"), (Lines{{"x.y", "z"}}));
}

TEST_F(DefaultsFiles, QuotedValuesKeepTheirBlanks) {
    EXPECT_EQ(lines_of("*label \"two words\" ignored\n*title \"open ended\n"),
              (Lines{{"*label", "two words"}, {"*title", "open ended"}}));
}

TEST_F(DefaultsFiles, ValidNamesAndTheirLastComponent) {
    EXPECT_TRUE(DEF_valid("dirida.foo"));
    EXPECT_TRUE(DEF_valid("*foo"));
    EXPECT_FALSE(DEF_valid("other.foo"));
    EXPECT_FALSE(DEF_valid("foo"));
    char out[DEF_NAME_LEN];
    DEF_parse_name("a.b*c.last", out);
    EXPECT_STREQ(out, "last");
}

TEST_F(DefaultsFiles, ProgramTitleChangesTheQualifiedName) {
    DEF_name("alt");
    EXPECT_TRUE(DEF_cmp("message", "alt.message"));
    EXPECT_FALSE(DEF_cmp("message", "dirida.message"));
    DEF_name("+alt");
    EXPECT_TRUE(DEF_cmp("message", "dirida.alt.message"));
}

TEST_F(DefaultsFiles, IfElseTakesOneBranchByTag) {
    std::string text = "IF radar\n*a one\nELSE\n*a two\nEND\n*b three\n";
    DEF_tag("radar");
    EXPECT_EQ(lines_of(text), (Lines{{"*a", "one"}, {"*b", "three"}}));
    DEF_clr_tag();
    EXPECT_EQ(lines_of(text), (Lines{{"*a", "two"}, {"*b", "three"}}));
}

TEST_F(DefaultsFiles, OnlyTheFirstTrueBranchIsTaken) {
    DEF_tag("a");
    DEF_tag("B");
    EXPECT_EQ(lines_of("IF a\n*x 1\nELIF b\n*x 2\nELSE\n*x 3\nEND\n"), (Lines{{"*x", "1"}}));
    DEF_clr_tag();
    DEF_tag("b");
    EXPECT_EQ(lines_of("IF a\n*x 1\nELIF b\n*x 2\nELSE\n*x 3\nEND\n"), (Lines{{"*x", "2"}}));
}

TEST_F(DefaultsFiles, DefAndUndefChangeTheTagsAsTheFileIsRead) {
    EXPECT_EQ(lines_of("DEF t\nIF T\n*x 1\nEND\nUNDEF t\nIF t\n*x 2\nEND\n"),
              (Lines{{"def", "t"}, {"*x", "1"}, {"undef", "t"}}));
}

TEST_F(DefaultsFiles, NestedLevelsMustAllBeActive) {
    DEF_tag("outer");
    EXPECT_EQ(lines_of("IF outer\nIF inner\n*x 1\nELSE\n*x 2\nEND\n*y 3\nEND\n"),
              (Lines{{"*x", "2"}, {"*y", "3"}}));
}

TEST_F(DefaultsFiles, MisplacedDirectivesWarnAndReadingGoesOn) {
    Capture cap;
    Lines got = lines_of("END\nELSE\nELIF x\n*x 1\n");
    EXPECT_EQ(got, (Lines{{"*x", "1"}}));
    EXPECT_EQ(cap.err(), "DEF_get: end without an if\nDEF_get: else without an if\n"
                         "DEF_get: elif without an if\n");
}

TEST_F(DefaultsFiles, AnIfLeftOpenGovernsTheNextFile) {
    EXPECT_EQ(lines_of("IF missing\n"), Lines{});
    EXPECT_EQ(lines_of("*x 1\nEND\n*y 2\n"), (Lines{{"*y", "2"}}));
}

TEST_F(DefaultsFiles, IfsNestedBeyondTenLevelsStayBalanced) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += "IF t\n";
    text += "*deep 1\n";
    for (int i = 0; i < 12; ++i) text += "END\n";
    text += "*after 2\n";
    DEF_tag("t");
    // Levels beyond ten take no lines, and their ENDs close them first.
    EXPECT_EQ(lines_of(text), (Lines{{"*after", "2"}}));
}

TEST_F(DefaultsFiles, LongLinesNamesAndValuesAreCut) {
    std::string name(80, 'n');
    std::string value(300, 'v');
    Lines got = lines_of("*" + name + " " + value + "\n");
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].first.size(), 49u);
    EXPECT_LE(got[0].second.size(), 199u);
    std::string huge(20000, 'x');
    got = lines_of(huge + " y\n*ok 1\n");
    EXPECT_EQ(got.back(), (std::pair<std::string, std::string>{"*ok", "1"}));
}

TEST_F(DefaultsFiles, DirectoryGivesTheFirstStandardFile) {
    TempDir d;
    write_file(d.file(".vekdef"), "*x vekdef\n");
    write_file(d.file("vek.cfg"), "*x cfg\n");
    ASSERT_EQ(DEF_open(d.path().c_str()), 0);
    char name[DEF_NAME_LEN], value[DEF_VALUE_LEN];
    ASSERT_EQ(DEF_get(name, value), 1);
    EXPECT_STREQ(value, "cfg");
    DEF_close();

    TempDir empty;
    EXPECT_EQ(DEF_open(empty.path().c_str()), -1);
    EXPECT_EQ(DEF_get(name, value), -1);
}

TEST_F(DefaultsFiles, EnvironmentNamesInOrderOfPrecedence) {
    char value[64];
    setenv("vekmessage", "c", 1);
    EXPECT_EQ(DEF_env("message", "vekmess", value, sizeof value), 1);
    EXPECT_STREQ(value, "c");
    setenv("vekmess", "b", 1);
    DEF_env("message", "vekmess", value, sizeof value);
    EXPECT_STREQ(value, "b");
    setenv("vekdirida.message", "a", 1);
    DEF_env("message", "vekmess", value, sizeof value);
    EXPECT_STREQ(value, "a");
    unsetenv("vekmessage");
    unsetenv("vekmess");
    unsetenv("vekdirida.message");
    EXPECT_EQ(DEF_env("message", "vekmess", value, sizeof value), 0);
}

TEST_F(DefaultsFiles, AtMostTenTags) {
    for (int i = 0; i < 10; ++i) EXPECT_EQ(DEF_tag(("t" + std::to_string(i)).c_str()), 0);
    EXPECT_EQ(DEF_tag("eleven"), -1);
}
