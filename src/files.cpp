// files.cpp - the file system helpers every module opens files through, and
// the two name tests.
//
// File names have a few shared meanings here: "-" and the other
// standard-stream names stand for standard input or output, a name beginning
// with "|" is a shell command, a leading "~" is a home directory, and opening
// a file for writing creates its missing directories. Name conventions are
// the business of the other units of the module (see file_conv.h).
//
// State: the streams opened as commands, so that FILE_close can end them with
// pclose. In fuzz builds FILE_open never runs commands, reads only regular
// files and directories, and keeps every file it creates inside one scratch
// directory.

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "numtext.h"
#include "vek.h"

namespace {

constexpr int MAX_PIPES = 16;
FILE *pipes[MAX_PIPES] = {};

bool is_std_stream(const FILE *f) {
    return f == stdin || f == stdout || f == stderr;
}

[[maybe_unused]] void remember_pipe(FILE *f) {
    for (FILE *&slot : pipes) {
        if (!slot) {
            slot = f;
            return;
        }
    }
}

bool forget_pipe(FILE *f) {
    for (FILE *&slot : pipes) {
        if (slot == f) {
            slot = nullptr;
            return true;
        }
    }
    return false;
}

#ifdef VEK_FUZZ_BUILD
constexpr unsigned FUZZ_FILES = 32;
char fuzz_dir_name[64] = "";

void remove_fuzz_dir() {
    char name[FILE_NAME_LEN];
    for (unsigned i = 0; i < FUZZ_FILES; ++i) {
        snprintf(name, sizeof name, "%s/f%02u", fuzz_dir_name, i);
        unlink(name);
    }
    rmdir(fuzz_dir_name);
}

// Everything a fuzz run writes lands in one directory of its own, removed
// when the process ends.
const char *fuzz_dir() {
    if (!fuzz_dir_name[0]) {
        snprintf(fuzz_dir_name, sizeof fuzz_dir_name, "/tmp/vek-fuzz-%d",
                 static_cast<int>(getpid()));
        mkdir(fuzz_dir_name, 0755);
        atexit(remove_fuzz_dir);
    }
    return fuzz_dir_name;
}

// One of a few fixed names inside the scratch directory stands for any name
// a fuzz input writes, so a long run cannot fill the disk.
void fuzz_target_name(const char *name, char *out, size_t cap) {
    unsigned h = 0;
    for (const char *p = name; *p; ++p) h = h * 31 + static_cast<unsigned char>(*p);
    snprintf(out, cap, "%s/f%02u", fuzz_dir(), h % FUZZ_FILES);
}
#endif

} // namespace

int FILE_fullpath(const char *filename) {
    if (!filename) return 0;
    return filename[0] == '/' || filename[0] == '.' || filename[0] == '~';
}

int FILE_is_stdio(const char *file) {
    if (!file) return 0;
    return file[0] == '\0' || strcmp(file, "-") == 0 || stricmp(file, "std") == 0 ||
           stricmp(file, "stdn") == 0;
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

char *FILE_add_path(const char *path, const char *file, char *filename) {
    if (!filename) return nullptr;
    if (!file) file = "";
    if (FILE_is_stdio(file) || FILE_fullpath(file)) {
        vek_strlcpy(filename, file, FILE_NAME_LEN);
        return filename;
    }
    if (!path) path = "";
    size_t plen = strlen(path);
    const char *sep = (plen > 0 && path[plen - 1] != '/') ? "/" : "";
    snprintf(filename, FILE_NAME_LEN, "%s%s%s", path, sep, file);
    return filename;
}

int FILE_add_user_path(const char *file, char *filename) {
    if (!filename) return 0;
    if (!file) file = "";
    if (file[0] != '~') {
        vek_strlcpy(filename, file, FILE_NAME_LEN);
        return 0;
    }
    const char *slash = strchr(file, '/');
    size_t ulen = slash ? static_cast<size_t>(slash - file - 1) : strlen(file + 1);
    char user[20];
    vek_strlcpy(user, file + 1, ulen + 1 < sizeof user ? ulen + 1 : sizeof user);

    const passwd *pw = user[0] ? getpwnam(user) : getpwuid(getuid());
    if (!pw || !pw->pw_dir) {
        vek_strlcpy(filename, file, FILE_NAME_LEN);
        return 0;
    }
    snprintf(filename, FILE_NAME_LEN, "%s%s", pw->pw_dir, slash ? slash : "");
    return 0;
}

int FILE_exist(const char *file) {
    if (!file) return 0;
    char name[FILE_NAME_LEN];
    FILE_add_user_path(file, name);
    if (FILE_is_stdio(name)) return 1;
    struct stat st;
    return stat(name, &st) == 0;
}

int FILE_is_dir(const char *file) {
    if (!file) return 0;
    char name[FILE_NAME_LEN];
    FILE_add_user_path(file, name);
    struct stat st;
    return stat(name, &st) == 0 && S_ISDIR(st.st_mode);
}

long FILE_size(const char *file) {
    if (!file) return -1;
    char name[FILE_NAME_LEN];
    FILE_add_user_path(file, name);
    struct stat st;
    if (stat(name, &st) != 0) return -1;
    return static_cast<long>(st.st_size);
}

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
#ifdef VEK_FUZZ_BUILD
    (void)flag;
    return 0; // fuzz runs create nothing outside their scratch directory
#else
    int argc = 0;
    char **argv = nullptr;
    if (parse_string(dir, '/', &argc, &argv) != 0) return 0;
    char path[100] = "";
    size_t len = 0;
    for (int i = 0; i < argc - flag; ++i) {
        const char *part = argv[i];
        size_t plen = strlen(part);
        if (plen == 0) {
            if (len == 0 || path[len - 1] != '/') {
                if (len + 1 >= sizeof path) break;
                path[len++] = '/';
                path[len] = '\0';
            }
            continue;
        }
        if (len + plen + 1 >= sizeof path) break;
        memcpy(path + len, part, plen);
        len += plen;
        path[len++] = '/';
        path[len] = '\0';
        mkdir(path, 0755);
    }
    free_parsed_array(argc, argv);
    return 0;
#endif
}

FILE *FILE_open(const char *file, const char *access) {
    if (!file || !access) return nullptr;
    bool reading = access[0] == 'r';
    if (FILE_is_stdio(file)) {
#ifdef VEK_FUZZ_BUILD
        if (reading) return fopen("/dev/null", "r");
#endif
        return reading ? stdin : stdout;
    }
    if (file[0] == '|') {
#ifdef VEK_FUZZ_BUILD
        return nullptr;
#else
        fflush(nullptr);
        FILE *f = popen(file + 1, access);
        if (f) remember_pipe(f);
        return f;
#endif
    }
    char name[FILE_NAME_LEN];
    FILE_add_user_path(file, name);
    bool writing = access[0] == 'w' || access[0] == 'a';
#ifdef VEK_FUZZ_BUILD
    if (writing) {
        char target[FILE_NAME_LEN];
        fuzz_target_name(name, target, sizeof target);
        return fopen(target, access);
    }
    struct stat st;
    if (stat(name, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) return nullptr;
#else
    if (writing) FILE_make_dir(name, 1);
#endif
    return fopen(name, access);
}

int FILE_close(FILE *stream) {
    if (!stream) return -1;
    if (is_std_stream(stream)) {
        fflush(stream);
        return 0;
    }
    if (forget_pipe(stream)) return pclose(stream);
    return fclose(stream);
}

int FILE_overwrite(const char *filename, int flag) {
    if (!filename || FILE_is_stdio(filename) || !FILE_exist(filename)) return 1;
    int mode = FLAG_get(15);
    if (mode >= 1) return mode;
    if (FLAG_batch()) return 3;
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
        return 1;
    case 'A':
    case 'a':
        return flag == 2 ? 2 : 3;
    default:
        return 3;
    }
}
