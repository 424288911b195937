// files.h - file names and the file system: opening files by the package's
// names (standard streams, commands, home directories), file tests, joining
// names, the overwrite rule, outputs written whole or not at all, name
// conventions and templates, dated, current and latest files, and the
// input-file dialogue. What changes the file system goes through the
// operations of file_sys.h.
#ifndef FILES_H
#define FILES_H

#include <cstddef>
#include <cstdio>

#include "vek.h"

// Room for a file name: as long as the system takes (PATH_MAX, 4096 bytes
// with the terminator). A longer name is refused, never cut.
constexpr int FILE_NAME_LEN = 4096;

FILE *FILE_open(const char *file, const char *access);
// Closes a stream from FILE_open (pclose for commands; standard streams stay open).
int FILE_close(FILE *stream);
int FILE_exist(const char *file);
int FILE_is_dir(const char *file);
// 1 for an existing entry that is neither a regular file nor a directory (a
// device, a FIFO, a socket), else 0.
int FILE_is_special(const char *file);
long FILE_size(const char *file);
// -1 (errno ENAMETOOLONG) when a directory to create does not fit a file name.
int FILE_make_dir(char *dir, int flag);
// FILENAME needs FILE_NAME_LEN bytes. Null (errno ENAMETOOLONG) when the
// joined name does not fit it.
char *FILE_add_path(const char *path, const char *file, char *filename);
// PATH needs room for one more character.
int FILE_add_path_delim(char *path);
// FILENAME needs FILE_NAME_LEN bytes. -1 (errno ENAMETOOLONG) when the user
// name (19 characters) or the expanded name does not fit.
int FILE_add_user_path(const char *file, char *filename);
int FILE_overwrite(const char *filename, int flag);
// Whether a configuration file opened as F under NAME may be followed: it
// belongs to the user running the program or to root, and neither its group
// nor others may write it. Standard streams and commands are named by the
// user (command line or environment) and pass. Otherwise warns, as WHO, that
// the file is skipped and why (once per text), and returns 0.
int FILE_own_config(FILE *f, const char *name, const char *who);
int FILE_fullpath(const char *filename);
int FILE_is_stdio(const char *file);

// An output written whole or not at all (file_output.cpp). FILE_stage_output
// prepares writing NAME and puts the name to open for writing in STAGE (CAP
// bytes): a temporary beside NAME (result 1; missing directories are made),
// or NAME itself for standard output, a command and an existing device or
// FIFO (result 0). -1 with errno when it cannot: a directory (EISDIR), a
// name or temporary that does not fit (ENAMETOOLONG), or what creating the
// temporary met. Until the output is committed or discarded, SIGINT,
// SIGTERM and SIGHUP remove the temporary and end the process with 128 +
// the signal number, and so does the end of the process remove it.
int FILE_stage_output(const char *name, char *stage, size_t cap);
// Gives the finished temporary its name (and the mode of the file it
// replaces). 0, also when nothing is staged; -1 with errno when the rename
// failed (the temporary is kept for FILE_discard_output).
int FILE_commit_output();
// Removes the staged temporary, if any; errno is kept.
void FILE_discard_output();

int FILE_set_name(char *type);
int FILE_set_key(char key, const char *str);
int FILE_set_file(const char *file, char *out_file);
int FILE_extract_extra_info(char *file);
int FILE_set_date(Date *datim, char *out_file);
int FILE_set_current(const char *cur, char *filename);
int FILE_list_file();
int FILE_get_file(const char *prompt, char *outfile);
// Reads NAME, as the user gave it, as the input file: its name goes to the
// file name state and to OUTFILE (FILE_NAME_LEN bytes) when not null.
// Returns 1 when the file exists, 0 when not, -1 when the name was refused
// (reported; it does not fit a file name).
int FILE_get_named(const char *name, char *outfile);
int FILE_get_date(Date *date);
int FILE_set_time(const Date *datim);
int FILE_get_time(Date *datim);
void files_reset_state();

#endif
