// File system helpers: the overwrite rule, outputs written whole under a
// temporary name, standard streams, and the replaceable file-system
// operations. (Home directories and names at their limits: the file-name suite.)

#include "file_sys.h"
#include "files.h"
#include "vek_test.h"
#include "vekcdf.h"

#include <algorithm>
#include <cerrno>
#include <netcdf.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace vektest;

class FileHelpers : public VekTest {};

// In batch mode the file parameter comes first; then the answer, and whether
// appending is offered (flag 2).
TEST_F(FileHelpers, OverwriteRule) {
    TempDir dir;
    const std::string existing = dir.file("exists.dat");
    write_file(existing, "x");
    EXPECT_EQ(FILE_overwrite(dir.file("new.dat").c_str(), 1), 1);
    FLAG_set_batch(1);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 1), 3);
    FLAG_set(FLAG_FILE_MODE, 2);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 1), 2);
    FLAG_set(FLAG_FILE_MODE, -9999);
    FLAG_set_batch(-9999);
    EXPECT_EQ(FILE_overwrite(existing.c_str(), 3), 0);
    const std::tuple<const char *, int, int> answers[] = {
        {"over\n", 1, 1}, {"N\n", 1, 3}, {"a\n", 1, 3}, {"App\n", 2, 2}, {"\n", 2, 3}};
    for (auto [answer, flag, result] : answers) {
        Capture cap(answer);
        EXPECT_EQ(FILE_overwrite(existing.c_str(), flag), result) << answer;
        EXPECT_EQ(cap.out(),
                  existing + ": exists overwrite (Y,N,Use,Over" + (flag == 1 ? "): " : ",App): "));
    }
}

// The temporary beside the output takes the output's name only when
// committed, with the mode of the file it replaces, also through a link;
// names with nothing to replace are written in place. (New outputs, a
// directory in the way and devices are seen in the conversion tests.)
TEST_F(FileHelpers, OutputsAreStagedUnderATemporaryName) {
    TempDir dir;
    char temp[FILE_NAME_LEN];
    const std::string out = dir.file("sub/out.dat");
    ASSERT_EQ(FILE_stage_output(out.c_str(), temp, sizeof temp), 1);
    EXPECT_EQ(std::string(temp).rfind(dir.file("sub/.out.dat."), 0), 0u) << temp;
    write_file(temp, "whole\n");
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(FILE_commit_output() + FILE_commit_output(), 0); // the second: nothing staged
    EXPECT_EQ(read_file(out), "whole\n");
    EXPECT_FALSE(std::filesystem::exists(temp));
    chmod(out.c_str(), 0600);
    symlink(out.c_str(), dir.file("link").c_str());
    ASSERT_EQ(FILE_stage_output(dir.file("link").c_str(), temp, sizeof temp), 1);
    write_file(temp, "new\n");
    EXPECT_EQ(FILE_commit_output(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link")));
    EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms(0600));
    ASSERT_EQ(FILE_stage_output(out.c_str(), temp, sizeof temp), 1);
    FILE_discard_output();
    EXPECT_FALSE(std::filesystem::exists(temp));
    EXPECT_EQ(read_file(out), "new\n");
    EXPECT_TRUE(FILE_open("-", "r") == stdin && FILE_close(stdin) == 0); // stays open
    for (const char *in_place : {"-", "|cat", "/dev/null"}) {
        EXPECT_EQ(FILE_stage_output(in_place, temp, sizeof temp), 0) << in_place;
        EXPECT_STREQ(temp, in_place);
    }
    // The temporary must fit too: ".<name>.XXXXXX", else ".XXXXXX".
    const std::string long_name =
        dir.file(std::string(FILE_NAME_LEN - 1 - dir.path().size() - 1, 'n'));
    ASSERT_EQ(FILE_stage_output(long_name.c_str(), temp, sizeof temp), 1);
    EXPECT_EQ(std::string(temp).size(), dir.path().size() + 8);
    FILE_discard_output();
    EXPECT_EQ(FILE_stage_output(long_name.c_str(), temp, dir.path().size() + 8), -1);
    EXPECT_EQ(errno, ENAMETOOLONG);
}

namespace {

// A file system that only records what it is asked: files and commands are
// refused, everything else succeeds without doing anything.
std::vector<std::string> seen;
int note(const std::string &what) {
    seen.push_back(what);
    return 0;
}
const FileSys recorder = {
    .open = [](const char *n, const char *a) -> FILE * {
        return note(std::string("open ") + a + " " + n), nullptr;
    },
    .open_command = [](const char *c, const char *) -> FILE * {
        return note(std::string("command ") + c), nullptr;
    },
    .close_command = [](FILE *) { return -1; },
    .run_command = [](const char *c) { return note(std::string("run ") + c); },
    .make_dir = [](const char *n) { return note(std::string("mkdir ") + n); },
    .make_temp = [](char *p) { return note(std::string("temp ") + p); },
    .set_mode = [](const char *n, unsigned) { return note(std::string("mode ") + n); },
    .rename = [](const char *f,
                 const char *t) { return note(std::string("rename ") + f + " " + t); },
    .remove = [](const char *n) { return note(std::string("remove ") + n); },
    .create_cdf = [](const char *n, int *) { return note(std::string("cdf ") + n), NC_EPERM; },
};

} // namespace

// Every change to the file system goes through the operations in force:
// opening for writing, a command, the listing, staging and committing an
// output and creating a netCDF file all reach the recorder, and nothing
// appears on the disk.
TEST_F(FileHelpers, FileSystemChangesGoThroughTheOperationsInForce) {
    TempDir dir;
    const std::string out = dir.file("new/out.dat");
    const std::string temp = dir.file("new/.out.dat.XXXXXX");
    seen.clear();
    const FileSys *real = FILE_use_sys(&recorder);
    EXPECT_EQ(FILE_open(out.c_str(), "w"), nullptr);
    EXPECT_EQ(FILE_open("|echo x", "r"), nullptr);
    FILE_set_name(const_cast<char *>("@x"));
    FILE_list_file();
    char staged[FILE_NAME_LEN];
    EXPECT_EQ(FILE_stage_output(out.c_str(), staged, sizeof staged), 1);
    EXPECT_EQ(FILE_commit_output(), 0);
    EXPECT_EQ(CDF_open(out.c_str(), 1), -1);
    FILE_use_sys(real);
    for (const std::string &op :
         {"mkdir " + dir.file("new/"), "open w " + out, std::string("command echo x"),
          std::string("run ls -x x"), "temp " + temp, "mode " + temp, "rename " + temp + " " + out,
          "cdf " + out})
        EXPECT_NE(std::find(seen.begin(), seen.end(), op), seen.end()) << op;
    EXPECT_FALSE(std::filesystem::exists(dir.file("new")));
}
