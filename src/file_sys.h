// file_sys.h - the operations through which the package changes the file
// system or starts commands: every file it opens, every directory it makes,
// every temporary it stages and renames, every netCDF file it creates and
// every shell command it runs goes through the one table in force.
//
// The real operations are in force unless replaced. A program never
// replaces them; the fuzz targets put in a table that keeps every file
// inside a scratch directory and runs no command, so that they run the very
// code that ships, and a test may put in one that records what is done.
//
// A replacement must keep each operation's contract, that of the call named
// beside it: the same result on success, and on failure the same failure
// result with errno set. It may refuse anything (fail with errno EPERM, say)
// and may create a file elsewhere than asked (a scratch directory), as long
// as writing, renaming and removing the name later find that file. Names
// reach it with "~" expanded, never as a standard stream ("-") or a command
// ("|..."): FILE_open serves those before.
#ifndef FILE_SYS_H
#define FILE_SYS_H

#include <cstdio>

struct FileSys {
    FILE *(*open)(const char *name, const char *access);            // fopen
    FILE *(*open_command)(const char *command, const char *access); // popen
    int (*close_command)(FILE *stream);                             // pclose
    int (*run_command)(const char *command);                        // system
    int (*make_dir)(const char *name);                              // mkdir, mode 0755
    // mkstemp, the new file closed at once: 0 or -1 (PATTERN ends in
    // "XXXXXX", which the real one replaces to make the name new).
    int (*make_temp)(char *pattern);
    int (*set_mode)(const char *name, unsigned mode); // chmod
    int (*rename)(const char *from, const char *to);  // rename
    int (*remove)(const char *name);                  // unlink
    int (*create_cdf)(const char *name, int *cdf_id); // nc_create, NC_CLOBBER: a netCDF status
};

// The operations in force.
const FileSys &FILE_sys();
// Puts SYS in force (null: the real operations) and returns the table it
// replaces. SYS must stay valid while it is in force.
const FileSys *FILE_use_sys(const FileSys *sys);

#endif
