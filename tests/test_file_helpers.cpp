// File system helpers: standard streams, commands, home directories,
// directory creation, joining names and the overwrite rule.

#include "vek_test.h"

#include <pwd.h>
#include <unistd.h>

using namespace vektest;

class FileHelpers : public VekTest {};

TEST_F(FileHelpers, NameTestsAndStandardStreams) {
    for (const char *n : {"", "-", "std", "STD", "stdn", "StdN"})
        EXPECT_TRUE(FILE_is_stdio(n)) << n;
    for (const char *n : {"--", "stdx", "std "}) EXPECT_FALSE(FILE_is_stdio(n)) << n;
    for (const char *n : {"/a", "./a", "~/a"}) EXPECT_TRUE(FILE_fullpath(n)) << n;
    for (const char *n : {"a/b", "-"}) EXPECT_FALSE(FILE_fullpath(n)) << n;
    EXPECT_EQ(FILE_open("-", "r"), stdin);
    EXPECT_EQ(FILE_open("", "w"), stdout);
    EXPECT_EQ(FILE_close(stdout), 0); // standard streams stay open
    EXPECT_TRUE(FILE_exist("std"));
    EXPECT_EQ(FILE_open("/nonexistent/not.here", "r"), nullptr);
    EXPECT_EQ(FILE_size("/nonexistent/not.here"), -1);
}

TEST_F(FileHelpers, CommandNamesReadAndWriteThroughTheShell) {
    TempDir dir;
    FILE *f = FILE_open("|printf 'one\\ntwo\\n'", "r");
    ASSERT_NE(f, nullptr);
    char line[161];
    EXPECT_EQ(fgetline(f, line), 3);
    EXPECT_EQ(FILE_close(f), 0);
    f = FILE_open(("|cat > " + dir.file("piped.txt")).c_str(), "w");
    ASSERT_NE(f, nullptr);
    fputs("via shell\n", f);
    EXPECT_EQ(FILE_close(f), 0); // waits for the command
    EXPECT_EQ(read_file(dir.file("piped.txt")), "via shell\n");
}

TEST_F(FileHelpers, WritingCreatesMissingDirectories) {
    TempDir dir;
    ChangeDir cd(dir.path());
    FILE *f = FILE_open("out/a/b.dat", "w");
    ASSERT_NE(f, nullptr);
    FILE_close(f);
    EXPECT_TRUE(FILE_is_dir("out/a"));
    EXPECT_EQ(FILE_size("out/a/b.dat"), 0);
    f = FILE_open((dir.path() + "//x\\y/z.dat").c_str(), "a");
    ASSERT_NE(f, nullptr);
    FILE_close(f);
    EXPECT_TRUE(FILE_is_dir((dir.path() + "/x/y").c_str()));
    char name[FILE_NAME_LEN];
    snprintf(name, sizeof name, "%s/file.dat", dir.path().c_str());
    EXPECT_EQ(FILE_make_dir(name, 1), 1); // the parent exists: nothing to do
}

TEST_F(FileHelpers, JoiningNamesAndHomeDirectories) {
    char out[FILE_NAME_LEN];
    EXPECT_STREQ(FILE_add_path("/data", "x.dat", out), "/data/x.dat");
    EXPECT_STREQ(FILE_add_path("/data/", "x.dat", out), "/data/x.dat");
    EXPECT_STREQ(FILE_add_path(nullptr, "x.dat", out), "x.dat");
    for (const char *kept : {"./x.dat", "~/x.dat", "-"})
        EXPECT_STREQ(FILE_add_path("/data", kept, out), kept);
    EXPECT_EQ(FILE_add_path(std::string(300, 'd').c_str(), "x", out), nullptr); // never cut
    EXPECT_STREQ(out, "");

    const passwd *pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    FILE_add_user_path("~/x", out);
    EXPECT_EQ(std::string(out), std::string(pw->pw_dir) + "/x");
    FILE_add_user_path((std::string("~") + pw->pw_name + "/y").c_str(), out);
    EXPECT_EQ(std::string(out), std::string(pw->pw_dir) + "/y");
    FILE_add_user_path("~nosuchuserhere/x", out);
    EXPECT_STREQ(out, "~nosuchuserhere/x");
}

TEST_F(FileHelpers, OverwriteRule) {
    TempDir dir;
    std::string existing = dir.file("exists.dat");
    write_file(existing, "x");
    EXPECT_EQ(FILE_overwrite(dir.file("new.dat").c_str(), 1), 1);
    FLAG_set_batch(1);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 1), 3);
    FLAG_set(15, 2);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 1), 2); // the file parameter comes first
    FLAG_set(15, -9999);
    FLAG_set_batch(-9999);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 3), 0);
    struct {
        const char *answer;
        int flag, result;
    } cases[] = {{"Y\n", 1, 1}, {"over\n", 1, 1}, {"N\n", 1, 3}, {"Use\n", 1, 3},
                 {"a\n", 1, 3}, {"App\n", 2, 2},  {"\n", 2, 3}};
    for (auto c : cases) {
        Capture cap(c.answer);
        EXPECT_EQ(FILE_overwrite(existing.c_str(), c.flag), c.result) << c.answer;
        EXPECT_EQ(cap.out(), existing + (c.flag == 1 ? ": exists overwrite (Y,N,Use,Over): "
                                                     : ": exists overwrite (Y,N,Use,Over,App): "));
    }
}
