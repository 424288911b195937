// files.cpp - the file system helpers every module opens files through, and
// the two name tests.
//
// File names have a few shared meanings here: "-" and the other
// standard-stream names stand for standard input or output, a name beginning
// with "|" is a shell command, a leading "~" is a home directory, and opening
// a file for writing creates its missing directories. Name conventions are
// the business of the other units of the module (see file_conv.h).
//
// Files are opened, directories made and commands started through the
// operations in force (file_sys.h).
//
// State: the streams opened as commands, so that FILE_close can end them as
// commands.

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

#include "file_sys.h"
#include "files.h"
#include "flag.h"
#include "mess.h"
#include "scanp.h"
#include "system.h"
#include "vekstr.h"

namespace {

// Every stream opened as a command, however many, so that each is ended
// as a command.
std::vector<FILE *> pipes;

bool is_std_stream(const FILE *f) {
    return f == stdin || f == stdout || f == stderr;
}

// False when the stream cannot be remembered (no memory): the caller then
// ends the command at once rather than lose track of it.
bool remember_pipe(FILE *f) {
    try {
        pipes.push_back(f);
        return true;
    } catch (...) {
        return false;
    }
}

bool forget_pipe(FILE *f) {
    for (FILE *&p : pipes) {
        if (p == f) {
            p = pipes.back();
            pipes.pop_back();
            return true;
        }
    }
    return false;
}

// Refuses a name that does not fit: errno tells why.
template <class T>
T too_long(T result) {
    errno = ENAMETOOLONG;
    return result;
}

} // namespace

int FILE_fullpath(const char *filename) {
    if (!filename) return 0;
    return filename[0] == '/' || filename[0] == '.' || filename[0] == '~';
}

int FILE_is_stdio(const char *file) {
    if (!file) return 0;
    return file[0] == '\0' || strcmp(file, "-") == 0 || strcasecmp(file, "std") == 0 ||
           strcasecmp(file, "stdn") == 0;
}

int FILE_add_path_delim(char *path) {
    if (!path) return 0;
    size_t n = strlen(path);
    if (n > 0 && path[n - 1] != '/') {
        path[n] = '/';
        path[n + 1] = '\0';
    }
    return 0;
}

// A joined name longer than a file name is refused: the
// result is null, FILENAME is left empty and errno is ENAMETOOLONG.
char *FILE_add_path(const char *path, const char *file, char *filename) {
    if (!filename) return nullptr;
    if (!file) file = "";
    filename[0] = '\0';
    size_t need;
    if (FILE_is_stdio(file) || FILE_fullpath(file)) {
        need = strlen(file);
        if (need < FILE_NAME_LEN) memcpy(filename, file, need + 1);
    } else {
        if (!path) path = "";
        size_t plen = strlen(path);
        const char *sep = (plen > 0 && path[plen - 1] != '/') ? "/" : "";
        need = static_cast<size_t>(snprintf(filename, FILE_NAME_LEN, "%s%s%s", path, sep, file));
    }
    if (need >= FILE_NAME_LEN) {
        filename[0] = '\0';
        return too_long<char *>(nullptr);
    }
    return filename;
}

// Returns 0, or -1 (FILENAME empty, errno ENAMETOOLONG) when the user name
// is longer than 19 characters or the expanded name longer than a file name.
int FILE_add_user_path(const char *file, char *filename) {
    if (!filename) return 0;
    if (!file) file = "";
    filename[0] = '\0';
    const passwd *pw = nullptr;
    const char *rest = file;
    if (file[0] == '~') {
        const char *slash = strchr(file, '/');
        size_t ulen = slash ? static_cast<size_t>(slash - file - 1) : strlen(file + 1);
        char user[20];
        if (ulen >= sizeof user) return too_long(-1);
        memcpy(user, file + 1, ulen);
        user[ulen] = '\0';
        pw = user[0] ? getpwnam(user) : getpwuid(getuid());
        if (pw && pw->pw_dir) rest = slash ? slash : "";
    }
    const char *home = pw && pw->pw_dir ? pw->pw_dir : "";
    int need = snprintf(filename, FILE_NAME_LEN, "%s%s", home, rest);
    if (need < 0 || need >= FILE_NAME_LEN) {
        filename[0] = '\0';
        return too_long(-1);
    }
    return 0;
}

namespace {

// The status of the expanded FILE; false when it does not exist or its name
// does not fit.
bool stat_name(const char *file, struct stat *st) {
    char name[FILE_NAME_LEN];
    return file && FILE_add_user_path(file, name) == 0 && stat(name, st) == 0;
}

} // namespace

int FILE_exist(const char *file) {
    if (FILE_is_stdio(file)) return 1;
    struct stat st;
    return stat_name(file, &st);
}

int FILE_is_dir(const char *file) {
    struct stat st;
    return stat_name(file, &st) && S_ISDIR(st.st_mode);
}

int FILE_is_special(const char *file) {
    struct stat st;
    return stat_name(file, &st) && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

long FILE_size(const char *file) {
    struct stat st;
    if (!stat_name(file, &st)) return -1;
    return static_cast<long>(st.st_size);
}

// Returns 1 when the directory part exists, 0 after creating what was
// missing, and -1 (errno ENAMETOOLONG, nothing created) when a directory to
// create has a path longer than a file name.
int FILE_make_dir(char *dir, int flag) {
    if (!dir) return 0;
    for (char *p = dir; *p; ++p)
        if (*p == '\\') *p = '/';

    const char *last = strrchr(dir, '/');
    if (last && last != dir) {
        char parent[FILE_NAME_LEN];
        size_t n = static_cast<size_t>(last - dir);
        vek_strlcpy(parent, dir, n + 1 < sizeof parent ? n + 1 : sizeof parent);
        if (FILE_exist(parent)) return 1;
    }
    int argc = 0;
    char **argv = nullptr;
    if (parse_string(dir, '/', &argc, &argv) != 0) return 0;
    // The whole path is checked before anything is created, so that a path
    // too long leaves no directories behind.
    char path[FILE_NAME_LEN] = "";
    size_t len = 0;
    bool fits = true;
    for (int pass = 0; pass < 2 && fits; ++pass) {
        path[0] = '\0';
        len = 0;
        for (int i = 0; i < argc - flag; ++i) {
            const char *part = argv[i];
            size_t plen = strlen(part);
            if (plen == 0 && len > 0 && path[len - 1] == '/') continue;
            if (len + plen + 1 >= sizeof path) {
                fits = false;
                break;
            }
            memcpy(path + len, part, plen);
            len += plen;
            path[len++] = '/';
            path[len] = '\0';
            if (pass == 1 && plen > 0) FILE_sys().make_dir(path);
        }
    }
    free_parsed_array(argc, argv);
    return fits ? 0 : too_long(-1);
}

FILE *FILE_open(const char *file, const char *access) {
    if (!file || !access) return nullptr;
    if (FILE_is_stdio(file)) return access[0] == 'r' ? stdin : stdout;
    if (file[0] == '|') {
        fflush(nullptr);
        FILE *f = FILE_sys().open_command(file + 1, access);
        if (f && !remember_pipe(f)) {
            FILE_sys().close_command(f);
            errno = ENOMEM;
            return nullptr;
        }
        return f;
    }
    char name[FILE_NAME_LEN];
    if (FILE_add_user_path(file, name) != 0) return nullptr;
    bool writing = access[0] == 'w' || access[0] == 'a';
    if (writing && FILE_make_dir(name, 1) < 0) return nullptr;
    return FILE_sys().open(name, access);
}

int FILE_close(FILE *stream) {
    if (!stream) return -1;
    finput_forget(stream);
    if (is_std_stream(stream)) {
        fflush(stream);
        return 0;
    }
    if (forget_pipe(stream)) return FILE_sys().close_command(stream);
    return fclose(stream);
}

int FILE_own_config(FILE *f, const char *name, const char *who) {
    if (!f || !name || FILE_is_stdio(name) || name[0] == '|') return 1;
    struct stat st;
    if (fstat(fileno(f), &st) != 0) return 1; // an open stream always has a status
    const uid_t me = geteuid();
    if (st.st_uid != me && st.st_uid != 0) {
        const passwd *pw = getpwuid(st.st_uid);
        MESS_warn_once("%s: %s skipped: it belongs to %s (uid %u), not to you or root\n", who, name,
                       pw && pw->pw_name ? pw->pw_name : "another user",
                       static_cast<unsigned>(st.st_uid));
        return 0;
    }
    const mode_t writable = st.st_mode & (S_IWGRP | S_IWOTH);
    if (writable) {
        MESS_warn_once("%s: %s skipped: %s may write it (mode %03o)\n", who, name,
                       writable == S_IWOTH   ? "anyone"
                       : writable == S_IWGRP ? "its group"
                                             : "its group and anyone",
                       static_cast<unsigned>(st.st_mode & 0777));
        return 0;
    }
    return 1;
}

int FILE_overwrite(const char *filename, int flag) {
    if (!filename || FILE_is_stdio(filename) || !FILE_exist(filename)) return FILE_MODE_OVERWRITE;
    int mode = FLAG_get(FLAG_FILE_MODE);
    if (mode >= FILE_MODE_OVERWRITE) return mode;
    if (FLAG_batch()) return FILE_MODE_USE;
    if (flag != 1 && flag != 2) return 0;

    char prompt[FILE_NAME_LEN + 64];
    snprintf(prompt, sizeof prompt,
             flag == 1 ? "%s: exists overwrite (Y,N,Use,Over): "
                       : "%s: exists overwrite (Y,N,Use,Over,App): ",
             filename);
    char answer[10] = "";
    VEK_prompts(prompt, answer, sizeof answer);
    switch (answer[0]) {
    case 'Y':
    case 'y':
    case 'O':
    case 'o':
        return FILE_MODE_OVERWRITE;
    case 'A':
    case 'a':
        return flag == 2 ? FILE_MODE_APPEND : FILE_MODE_USE;
    default:
        return FILE_MODE_USE;
    }
}
