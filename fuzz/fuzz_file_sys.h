// fuzz_file_sys.h - the file system of a fuzz run (see src/file_sys.h): the
// code under test runs as it ships, but every file an input makes lands in
// one scratch directory of the process, removed at exit, and no command runs.
//
// A file an input creates gets one of a few fixed names in the scratch
// directory, chosen by the name asked for, so that a long run cannot fill
// the disk; renaming and removing a name find the file its creation made.
// No directory is made (nothing is created where it would go). Files are
// read where they are, but only regular files and directories: a device or
// FIFO named by an input could block or never end.
#ifndef FUZZ_FILE_SYS_H
#define FUZZ_FILE_SYS_H

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <netcdf.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "file_sys.h"

namespace fuzzing {

// The scratch directory of this process, made on first use and removed with
// everything in it when the process ends. (A plain array: it must outlive
// the exit handler that removes the directory.)
inline const char *scratch_dir() {
    static char name[64] = "";
    if (!name[0]) {
        snprintf(name, sizeof name, "/tmp/vek-fuzz-%d", static_cast<int>(getpid()));
        if (mkdir(name, 0700) != 0 && errno != EEXIST) abort();
        atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratch_dir(), ec);
        });
    }
    return name;
}

namespace scratch_sys {

constexpr unsigned FILES = 32;

// Where a file the code asks for as NAME is made.
inline std::string place(const char *name) {
    unsigned h = 0;
    for (const char *p = name; *p; ++p) h = h * 31 + static_cast<unsigned char>(*p);
    return std::string(scratch_dir()) + "/f" + std::to_string(h % FILES);
}

inline bool readable(const char *name) {
    struct stat st;
    return stat(name, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

inline FILE *refuse_stream() {
    errno = EPERM;
    return nullptr;
}

inline int refuse() {
    errno = EPERM;
    return -1;
}

inline const FileSys table = {
    .open = [](const char *name, const char *access) -> FILE * {
        if (access[0] != 'r' || strchr(access, '+')) return fopen(place(name).c_str(), access);
        return readable(name) ? fopen(name, access) : refuse_stream();
    },
    .open_command = [](const char *, const char *) { return refuse_stream(); },
    .close_command = [](FILE *stream) { return pclose(stream); },
    .run_command = [](const char *) { return refuse(); },
    .make_dir = [](const char *) { return 0; },
    .make_temp =
        [](char *pattern) {
            const int fd = open(place(pattern).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            return fd < 0 ? -1 : close(fd);
        },
    .set_mode = [](const char *name, unsigned mode) { return chmod(place(name).c_str(), mode); },
    .rename = [](const char *from,
                 const char *to) { return rename(place(from).c_str(), place(to).c_str()); },
    .remove = [](const char *name) { return unlink(place(name).c_str()); },
    .create_cdf = [](const char *name,
                     int *cdf_id) { return nc_create(place(name).c_str(), NC_CLOBBER, cdf_id); },
};

} // namespace scratch_sys

} // namespace fuzzing

#endif
