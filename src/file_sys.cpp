// file_sys.cpp - the real file-system operations, and the table in force
// (see file_sys.h).
//
// State: the table in force.

#include <cstdio>
#include <cstdlib>
#include <netcdf.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_sys.h"

namespace {

const FileSys real = {
    .open = [](const char *name, const char *access) { return fopen(name, access); },
    .open_command = [](const char *command, const char *access) { return popen(command, access); },
    .close_command = [](FILE *stream) { return pclose(stream); },
    .run_command = [](const char *command) { return system(command); },
    .make_dir = [](const char *name) { return mkdir(name, 0755); },
    .make_temp =
        [](char *pattern) {
            const int fd = mkstemp(pattern);
            return fd < 0 ? -1 : close(fd);
        },
    .set_mode = [](const char *name, unsigned mode) { return chmod(name, mode); },
    .rename = [](const char *from, const char *to) { return rename(from, to); },
    .remove = [](const char *name) { return unlink(name); },
    .create_cdf = [](const char *name, int *cdf_id) { return nc_create(name, NC_CLOBBER, cdf_id); },
};

const FileSys *in_force = &real;

} // namespace

const FileSys &FILE_sys() {
    return *in_force;
}

const FileSys *FILE_use_sys(const FileSys *sys) {
    const FileSys *old = in_force;
    in_force = sys ? sys : &real;
    return old;
}
