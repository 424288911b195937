// files.cpp - file names: the file system helpers every module opens files
// through, and the two name tests.
//
// File names have a few shared meanings here: "-" and the other
// standard-stream names stand for standard input or output, a name beginning
// with "|" is a shell command, a leading "~" is a home directory, and opening
// a file for writing creates its missing directories.
//
// Every data file of the package is also named by a convention: a template of
// directory, date, time and key fields and literal text, looked up by type
// name in the name convention file. One template serves three purposes:
// reading a name the user typed (FILE_set_file), making the name of a date
// (FILE_set_date, and through it the current and latest files of
// FILE_set_current), and building the shell pattern that lists the available
// files (FILE_list_file). FILE_get_file runs the dialogue that finds the
// input file.
//
// State: the current convention (template, header template, extension and
// minimum size), the key table, the last file name read or made with its
// date and whether the user gave it, the requested time, the step between
// files, the extracted directory of a full-path name, and the streams opened
// as commands, so that FILE_close can end them with pclose. In fuzz builds
// FILE_open never runs commands, reads only regular files and directories,
// and keeps every file it creates inside one scratch directory; the listing
// command is built but not run.

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

// ---------------------------------------------------------------------------
// Name conventions, dated files and the input-file dialogue
// ---------------------------------------------------------------------------

namespace {

constexpr int TEMPLATE_LEN = 160; // templates and lines: at most 159 characters
constexpr int TYPE_NAME_LEN = 20; // a type name of the convention file: at most 19
constexpr int KEY_LEN = 30;       // a key: at most 29 characters
constexpr int EXT_LEN = 20;
constexpr int EXT_INFO_LEN = 40;
constexpr int PATH_LEN = 80;     // the extracted directory: at most 79 characters
constexpr int LIST_CMD_LEN = 80; // the listing command, "ls -x " included
constexpr int ANSWER_LEN = 80;   // an answer at the file prompt: at most 79 characters
constexpr int MAX_COUNT = 999;   // directive counts are held below this
constexpr int retry = 4;         // prompts before the dialogue gives up

constexpr M_type DEBUG_A = 0x10000000;
constexpr M_type DEBUG_C = 0x40000000;
constexpr M_type DEBUG_D = 0x80000000;

constexpr Date NO_DATE = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};

char conv[TEMPLATE_LEN] = "";
char hconv[TEMPLATE_LEN] = "";
char ext[EXT_LEN] = "";
int min_size = 0;
char keys[256][KEY_LEN];
bool keys_ready = false; // false until the first FILE_set_name or FILE_set_key
char filename[FILE_NAME_LEN] = "";
int filename_type = 0;
Date set = NO_DATE; // the requested time: which file the user wants
Date file_date = NO_DATE;
int late_off = 3600;
int file_type = 0; // suffix mode: 0 date suffix after "#", 1 extra information
char ext_info[EXT_INFO_LEN] = "";
char extracted_path[PATH_LEN] = "";
bool has_extracted = false;

// A bounded text under construction: characters beyond the room are dropped.
struct Text {
    char *buf;
    size_t cap;
    size_t len = 0;
    Text(char *b, size_t c) : buf(b), cap(c) { buf[0] = '\0'; }
    void put(char c) {
        if (len + 1 < cap) {
            buf[len++] = c;
            buf[len] = '\0';
        }
    }
    void put(const char *s, size_t n) {
        for (size_t k = 0; k < n && s[k]; ++k) put(s[k]);
    }
    void put(const char *s) { put(s, strlen(s)); }
};

// The keys are emptied once, before the first use of the table. A key
// defined before the first convention is selected (the region key of a
// domain decoded at start-up) is kept.
void ready_keys() {
    if (keys_ready) return;
    for (char *k : keys) k[0] = '\0';
    keys_ready = true;
}

struct DirField {
    char code;
    const char *resource;
};

const DirField dir_fields[] = {
    {'C', "con_path"},   {'D', "data_path"},  {'F', "file_path"},  {'R', "raw_path"},
    {'G', "grid_path"},  {'W', "watch_path"}, {'I', "image_path"}, {'T', "text_path"},
    {'M', "model_path"}, {'S', "sat_path"},
};

const char *dir_resource(char code) {
    for (const DirField &f : dir_fields)
        if (f.code == code) return f.resource;
    return nullptr;
}

// The directory of a resource; "." when it is unset, empty or "none" (the
// path resources read "none" as no path), so names stay relative to the
// working directory.
const char *dir_value(const char *resource) {
    const char *v = RES_get(resource);
    if (!v || !*v || stricmp(v, "none") == 0) return ".";
    return v;
}

// The position of the N-th separator of NAME counted from its end: a slash,
// or a colon as second character (a drive letter). -1 when there are fewer,
// or when N is 0 (no directory part to take).
long nth_separator_from_end(const char *name, int n) {
    if (n <= 0) return -1;
    int seen = 0;
    for (long k = static_cast<long>(strlen(name)) - 1; k >= 0; --k) {
        if (name[k] == '/' || (k == 1 && name[k] == ':')) {
            if (++seen == n) return k;
        }
    }
    return -1;
}

// Reads a year of up to 4 digits, then month, day, hour and minute of up to
// 2 digits each, each only while the next character is a digit; only the
// fields read are stored. Returns the position after the digits.
const char *read_date_digits(const char *p, Date *d) {
    int *fields[] = {&d->year, &d->month, &d->day, &d->hour, &d->min};
    const int widths[] = {4, 2, 2, 2, 2};
    for (int f = 0; f < 5 && take_digits(p, widths[f], fields[f]); ++f) {}
    return p;
}

// The value of a date field of a typed name: the digits at its start.
bool field_value(const char *field, int *value) {
    return take_digits(field, 0, value);
}

int field_width(char d) {
    switch (d) {
    case 'Y':
        return 4;
    case 'b':
    case 'j':
        return 3;
    case 'y':
    case 'm':
    case 'd':
    case 'h':
    case 'n':
        return 2;
    default:
        return 0;
    }
}

// Reads the directive that starts with the "%" at TPL[*T]: its optional
// count (-1 when there is none, held below MAX_COUNT) and its character, and
// moves *T past both. False for a "%" that ends the template, which is
// ignored.
bool read_directive(const char *tpl, size_t *t, int *count, char *d) {
    ++*t;
    *count = -1;
    while (is_digit(tpl[*t])) {
        int digit = tpl[*t] - '0';
        *count = *count < 0 ? digit : *count * 10 + digit;
        if (*count > MAX_COUNT) *count = MAX_COUNT;
        ++*t;
    }
    *d = tpl[*t];
    if (!*d) return false;
    ++*t;
    return true;
}

// ---- reading a typed name -------------------------------------------------

// The template walk of a typed NAME (no longer than a file name) into OUT.
// Returns the final state.
int read_walk(const char *name, char *out_buf) {
    Text out(out_buf, FILE_NAME_LEN);
    const char *tpl = conv;
    size_t t = 0, i = 0;
    const size_t nlen = strlen(name);
    int where = 0;
    const bool slash = strchr(name, '/') != nullptr;
    const bool full = FILE_fullpath(name) != 0;
    bool brace = false;

    while (tpl[t]) {
        MESS_print(DEBUG_D, "FILES:%s:%s:%s:%s:%s:%d\n", name, tpl + t, name + i, out.buf, ext,
                   where);
        char c = tpl[t];
        if (brace && c == '}') {
            brace = false;
            where = 1;
            ++t;
            continue;
        }
        if (brace && c != '%') {
            out.put(c);
            ++t;
            continue;
        }
        if (c == '*') break;
        if (c == '{') {
            brace = true;
            ++t;
            continue;
        }

        if (c != '%') {
            if (where > 0 && i < nlen && name[i] == c) {
                out.put(c);
                ++i;
                ++t;
                if (i >= nlen) where = 3;
            } else if (where > 1 && i < nlen) {
                break;
            } else if (where == 0 && (i >= nlen || name[i] != c)) {
                break;
            } else {
                out.put(c);
                ++t;
                if (i < nlen && (where > 1 || !slash)) ++i;
            }
            continue;
        }

        int count;
        char d;
        if (!read_directive(tpl, &t, &count, &d)) break;

        if (d == '%') {
            out.put('%');
            continue;
        }
        if (int width = field_width(d)) {
            size_t n = nlen - i < static_cast<size_t>(width) ? nlen - i : width;
            char field[5];
            memcpy(field, name + i, n);
            field[n] = '\0';
            int v = 0;
            if (d == 'b') {
                v = DATE_decode_month(field);
                if (v == 0) break;
            } else if (!field_value(field, &v)) {
                break;
            }
            out.put(field, n);
            i += n;
            switch (d) {
            case 'Y':
                file_date.year = v;
                break;
            case 'y':
                file_date.year = v < 50 ? 2000 + v : 1900 + v;
                break;
            case 'm':
            case 'b':
                file_date.month = v;
                break;
            case 'd':
                file_date.day = v;
                break;
            case 'j':
                file_date.jday = v;
                DATE_julian_monday(file_date.year, v, &file_date.month, &file_date.day);
                break;
            case 'h':
                file_date.hour = v;
                break;
            default:
                file_date.min = v;
                break;
            }
            where = 2;
            continue;
        }
        if (d == 'e') {
            // The rest of the template is looked for in the rest of the name;
            // an empty rest is found at the end of the name.
            const char *rest = tpl + t;
            const char *found = *rest ? strstr(name + i, rest) : name + nlen;
            if (ext[0]) {
                out.put(ext);
                if (found) i = static_cast<size_t>(found - name);
            } else if (found) {
                size_t n = static_cast<size_t>(found - (name + i));
                vek_strlcpy(ext, name + i, n + 1 < sizeof ext ? n + 1 : sizeof ext);
                out.put(name + i, n);
                i += n;
            } else {
                break;
            }
            continue;
        }
        if (const char *res = dir_resource(d)) {
            if (!full) {
                out.put(dir_value(res));
                if (tpl[t] == '/') {
                    out.put('/');
                    ++t;
                }
            } else {
                int nsep = 0;
                for (const char *p = tpl + t - 1; *p; ++p)
                    if (*p == '/' || *p == '\\' || *p == ':') ++nsep;
                long sep = nth_separator_from_end(name, nsep);
                if (sep >= static_cast<long>(i)) {
                    out.put(name + i, static_cast<size_t>(sep) - i);
                    i = static_cast<size_t>(sep);
                }
            }
            where = 1;
            continue;
        }
        // A key: it stands for as many characters of the name as it has, or
        // as the count says.
        const char *key = keys[static_cast<unsigned char>(d)];
        if (!key[0]) break;
        size_t klen = strlen(key);
        size_t n = count >= 0 ? static_cast<size_t>(count) : klen;
        out.put(key, n < klen ? n : klen);
        i += n < nlen - i ? n : nlen - i;
    }
    out.put(name + i);
    return where;
}

// ---- making a name --------------------------------------------------------

void offer_step(int64_t secs) {
    int s = clamp_int(secs);
    if (late_off == VEK_MISS || s < late_off) late_off = s;
}

// The value of a negative request -(100 x OF + SK) for the field VALUE.
int64_t round_request(int request, int value) {
    int64_t req = -static_cast<int64_t>(request);
    int64_t sk = req % 100, of = req / 100;
    if (sk == 0) sk = 1;
    return value / sk * sk + of;
}

int64_t request_step(int request) {
    int64_t sk = (-static_cast<int64_t>(request)) % 100;
    return sk == 0 ? 1 : sk;
}

// Writes one date or time field of D under the requested time, stores it in
// file_date (-9999 when it cannot be told) and offers or sets the step.
void make_field(Text &out, char d, int count, const Date &D) {
    const Date &S = set;
    const int n = count > 0 ? count : 1;
    char buf[32];
    switch (d) {
    case 'Y':
    case 'y': {
        bool ok = true;
        int64_t year = 0;
        int two = 0;
        if (S.year >= 0) {
            year = S.year;
            two = S.year % 100;
        } else if (D.year < 0) {
            ok = false;
        } else if (d == 'Y') {
            year = D.year / n * n;
        } else {
            two = D.year % 100 / n * n;
            year = D.year - D.year % 100 + two;
        }
        if (d == 'Y')
            snprintf(buf, sizeof buf, ok ? "%4.4d" : "0000", static_cast<int>(year));
        else
            snprintf(buf, sizeof buf, ok ? "%2.2d" : "00", two);
        out.put(buf);
        file_date.year = ok ? static_cast<int>(year) : VEK_MISS;
        return;
    }
    case 'm':
    case 'b': {
        int month = VEK_MISS;
        if (S.month >= 0) {
            month = S.month;
        } else if (D.month >= 0) {
            // A month that rounds down to 0 under a count is the first month.
            month = D.month / n * n;
            if (month == 0) month = 1;
        }
        if (d == 'm') {
            snprintf(buf, sizeof buf, month >= 0 ? "%2.2d" : "00", month);
            out.put(buf);
        } else {
            out.put(month >= 1 && month <= 12 ? DATE_month_lower(month) : "xxx");
        }
        file_date.month = month;
        return;
    }
    case 'd':
    case 'j': {
        int64_t day = VEK_MISS;
        if (S.day >= 0) {
            day = S.day;
        } else if (S.day == VEK_MISS) {
            if (D.day >= 0) day = D.day / n * n;
        } else if (D.day >= 0) {
            int64_t every = -static_cast<int64_t>(S.day);
            day = D.day / every * every;
        }
        if (S.day < 0 && S.day != VEK_MISS)
            late_off = clamp_int(-static_cast<int64_t>(S.day) * 86400);
        else
            offer_step(int64_t{n} * 86400);
        if (d == 'd') {
            snprintf(buf, sizeof buf, day >= 0 ? "%2.2d" : "00", static_cast<int>(day));
            file_date.day = static_cast<int>(day);
        } else if (day >= 0) {
            int julian = 0;
            DATE_monday_julian(D.year, D.month, static_cast<int>(day), &julian);
            snprintf(buf, sizeof buf, "%3.3d", julian);
            file_date.day = static_cast<int>(day);
            file_date.jday = julian;
        } else {
            snprintf(buf, sizeof buf, "000");
            file_date.day = VEK_MISS;
        }
        out.put(buf);
        return;
    }
    case 'h':
    case 'n': {
        const int req = d == 'h' ? S.hour : S.min;
        const int have = d == 'h' ? D.hour : D.min;
        const int64_t unit = d == 'h' ? 3600 : 60;
        int64_t v = VEK_MISS;
        if (req >= 0) {
            v = req / n * n;
        } else if (req == VEK_MISS) {
            if (have >= 0) v = have / n * n;
        } else if (have >= 0) {
            v = round_request(req, have);
        }
        if (req < 0 && req != VEK_MISS)
            late_off = clamp_int(request_step(req) * unit);
        else
            offer_step(n * unit);
        int value = clamp_int(v);
        snprintf(buf, sizeof buf, value >= 0 ? "%2.2d" : "00", value);
        out.put(buf);
        if (d == 'h')
            file_date.hour = value;
        else
            file_date.min = value;
        return;
    }
    default:
        return;
    }
}

// The name of D under the current template into OUT_BUF (FILE_NAME_LEN).
void make_walk(const Date &D, char *out_buf) {
    Text out(out_buf, FILE_NAME_LEN);
    const char *tpl = conv;
    size_t t = 0;
    while (tpl[t]) {
        char c = tpl[t];
        if (c != '%') {
            if (c == ' ')
                out.put('_');
            else if (c != '{' && c != '}')
                out.put(c);
            ++t;
            continue;
        }
        int count;
        char d;
        if (!read_directive(tpl, &t, &count, &d)) break;
        if (d == '%') {
            out.put('%');
        } else if (field_width(d)) {
            make_field(out, d, count, D);
        } else if (d == 'e') {
            out.put(ext);
        } else if (const char *res = dir_resource(d)) {
            out.put(has_extracted ? extracted_path : dir_value(res));
        } else if (d == '{') {
            // %{name}: the resource called name, up to "}" or the end of the
            // template.
            char res[64];
            size_t n = 0;
            while (tpl[t] && tpl[t] != '}') {
                if (n + 1 < sizeof res) res[n++] = tpl[t];
                ++t;
            }
            res[n] = '\0';
            if (tpl[t] == '}') ++t;
            const char *v = RES_get(res);
            out.put(has_extracted ? extracted_path : (v ? v : ""));
        } else {
            const char *key = keys[static_cast<unsigned char>(d)];
            size_t klen = strlen(key);
            if (klen == 0)
                out.put("0");
            else
                out.put(key, count >= 0 && static_cast<size_t>(count) < klen ? count : klen);
        }
    }
}

// ---- the listing pattern --------------------------------------------------

// The listing command under construction. Template, key and directory text
// can only ever become the pattern: characters the shell would read as
// anything else are quoted with a backslash, control characters are dropped,
// and a pattern that would begin with "-" begins with "./". One character is
// kept in reserve, so that a pattern too long for the command ends in "*"
// and lists a superset rather than nothing.
struct ListCommand {
    char buf[LIST_CMD_LEN] = "ls -x ";
    size_t len = 6;
    bool full = false;

    static bool plain(unsigned char c) {
        return isalnum(c) || strchr("/._-+,:@%=~*?[]", c) != nullptr;
    }
    void unit(const char *u, size_t n) {
        if (full) return;
        if (len + n + 1 >= sizeof buf) { // keep room for "*" and the terminator
            buf[len++] = '*';
            buf[len] = '\0';
            full = true;
            return;
        }
        memcpy(buf + len, u, n);
        len += n;
        buf[len] = '\0';
    }
    void put(char ch) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127) return;
        if (len == 6 && c == '-') unit("./", 2);
        if (plain(c)) {
            unit(&ch, 1);
        } else {
            const char quoted[2] = {'\\', ch};
            unit(quoted, 2);
        }
    }
    void put(const char *s) {
        for (; *s; ++s) put(*s);
    }
};

void list_walk(ListCommand &cmd) {
    const char *tpl = conv;
    size_t t = 0;
    while (tpl[t]) {
        char c = tpl[t];
        if (c != '%') {
            if (c != '{' && c != '}') cmd.put(c);
            ++t;
            continue;
        }
        int count;
        char d;
        if (!read_directive(tpl, &t, &count, &d)) break;
        switch (d) {
        case '%':
            cmd.put('%');
            break;
        case 'Y':
            cmd.put("?[0-9]??");
            break;
        case 'y':
        case 'm':
        case 'd':
        case 'h':
        case 'n':
            cmd.put("[0-9]?");
            break;
        case 'b':
            cmd.put("?[a-z]?");
            break;
        case 'j':
            cmd.put("?[0-9]?");
            break;
        case 'e':
            cmd.put(ext[0] ? ext : "*");
            break;
        default:
            if (const char *res = dir_resource(d)) {
                cmd.put(dir_value(res));
            } else if (const char *key = keys[static_cast<unsigned char>(d)]; key[0]) {
                cmd.put(key);
            } else if (count < 0) {
                cmd.put('*');
            } else {
                for (int k = 0; k < count && !cmd.full; ++k) cmd.put('?');
            }
            break;
        }
    }
}

// ---- current and latest files ---------------------------------------------

// Reads the direction at P: "+" forward (1), "-" backward (-1), each
// consumed; anything else is backward and stays.
int read_direction(const char *&p) {
    if (*p == '+') {
        ++p;
        return 1;
    }
    if (*p == '-') ++p;
    return -1;
}

// Reads an unsigned number at P (saturating at INT_MAX); false without digits.
bool read_number(const char *&p, int64_t *v) {
    int n = 0;
    if (!take_digits(p, 0, &n)) return false;
    *v = n;
    return true;
}

struct Offset {
    int64_t days = 0, hours = 0, mins = 0;
    int64_t seconds() const { return days * 86400 + hours * 3600 + mins * 60; }
};

// Reads an offset at P: days "d" hours ":" minutes when the rest of the
// request holds a "d" anywhere, else hours ":" minutes. Parts not present
// are 0; P ends after the last part read.
Offset read_offset(const char *&p) {
    Offset off;
    const char *q = p;
    if (strchr(p, 'd')) {
        read_number(q, &off.days);
        p = q;
        if (*q == 'd') {
            p = ++q;
            if (read_number(q, &off.hours)) {
                p = q;
                if (*q == ':' && is_digit(q[1])) {
                    ++q;
                    read_number(q, &off.mins);
                    p = q;
                }
            }
        }
    } else {
        read_number(q, &off.hours);
        p = q;
        if (*q == ':' && is_digit(q[1])) {
            ++q;
            read_number(q, &off.mins);
            p = q;
        }
    }
    return off;
}

// Copies the file name into OUTFILE when there is one.
void give_name(char *outfile) {
    if (outfile) vek_strlcpy(outfile, filename, FILE_NAME_LEN);
}

// The current or latest file of REQUEST: found, or the process ends with 10.
int resolve_request_or_exit(const char *request, char *outfile) {
    FILE_set_current(request, filename);
    give_name(outfile);
    if (FILE_exist(filename)) {
        MESS_print(M_MESS, "Current filename: %s\n", filename);
        return 1;
    }
    MESS_print(M_WARN, "File not found: %s\n", filename);
    VEK_exit(10);
}

} // namespace

int FILE_set_key(char key, const char *str) {
    ready_keys();
    char *slot = keys[static_cast<unsigned char>(key)];
    vek_strlcpy(slot, str ? str : "", KEY_LEN);
    for (char *p = slot; *p; ++p)
        if (*p == ' ') *p = '_';
    return 0;
}

// A type "@template" carries its own template; it has no header template and
// no minimum size. When no line of the convention file matches, the type is
// the template, again without header template or minimum size (nothing of
// the file's last line is kept). The rest of a line longer than 159
// characters is dropped, never read as a line of its own.
int FILE_set_name(char *type) {
    ready_keys();
    filename[0] = '\0';
    if (!type) type = const_cast<char *>("");
    if (stricmp(type, "none") == 0) {
        conv[0] = '\0';
        return 0;
    }
    if (type[0] == '@') {
        vek_copy(conv, type + 1);
        hconv[0] = '\0';
        min_size = 0;
        return 1;
    }

    // Keys after colons: ":X=value" up to the next colon. The type ends at the
    // first colon that defined a key.
    char *cut = nullptr;
    for (char *colon = strchr(type, ':'); colon; colon = strchr(colon + 1, ':')) {
        char k = colon[1];
        if (!k || colon[2] != '=' || !colon[3] || colon[3] == ':') continue;
        const char *value = colon + 3;
        size_t n = strcspn(value, ":");
        char buf[KEY_LEN];
        vek_strlcpy(buf, value, n + 1 < sizeof buf ? n + 1 : sizeof buf);
        FILE_set_key(k, buf);
        MESS_print(DEBUG_D, "KEY: %c = %s\n", k, keys[static_cast<unsigned char>(k)]);
        if (!cut) cut = colon;
    }
    if (cut) *cut = '\0';

    const char *res_name = RES_get("name_conv");
    if (!res_name || !*res_name) res_name = "name_conv";
    char conv_file[FILE_NAME_LEN];
    FILE_add_path(RES_get("file_path"), res_name, conv_file);
    FILE *f = FILE_open(conv_file, "r");
    if (!f) {
        MESS_print(M_WARN, "FILE_set_name: No file name convention file: %s\n", conv_file);
        vek_copy(conv, type);
        hconv[0] = '\0';
        min_size = 0;
        return 0;
    }
    MESS_print(DEBUG_A, "Opening name convention file: %s\n", conv_file);
    ext[0] = '\0';

    char line[TEMPLATE_LEN];
    int n;
    int found = 0;
    while ((n = fgetnline(f, line, TEMPLATE_LEN - 1)) >= 0) {
        if (n == TEMPLATE_LEN - 1) {
            int c;
            while ((c = getc(f)) != EOF && c != '\n') {}
        }
        if (line[0] == '#') continue;
        conv[0] = hconv[0] = '\0';
        min_size = 0;

        char fields[4][TEMPLATE_LEN];
        int nf = 0;
        const char *p = line;
        while (nf < 4) {
            while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
            if (!*p) break;
            size_t len = 0;
            while (p[len] && !isspace(static_cast<unsigned char>(p[len]))) ++len;
            vek_strlcpy(fields[nf++], p, len + 1);
            p += len;
        }
        if (nf == 0) continue; // a blank line names no type
        char name[TYPE_NAME_LEN];
        vek_copy(name, fields[0]);
        if (nf > 1) vek_copy(conv, fields[1]);
        if (nf > 2 && strcmp(fields[2], "-") != 0) vek_copy(hconv, fields[2]);
        if (nf > 3) {
            int v[1] = {0};
            scan_ints(fields[3], "%d", v);
            min_size = v[0];
        }

        if (stricmp(name, type) == 0) {
            MESS_print(DEBUG_A, "File name match for: %s\n", type);
            found = 1;
            break;
        }
        if (strnicmp(type, name, static_cast<int>(strlen(name))) == 0) {
            const char *under = strrchr(type, '_');
            vek_copy(ext, under ? under + 1 : "");
            MESS_print(DEBUG_A, "File name partial match for: %s-%s ext: %s\n", type, name, ext);
            found = 1;
            break;
        }
    }
    FILE_close(f);
    if (found) return 1;

    vek_copy(conv, type);
    hconv[0] = '\0';
    min_size = 0;
    MESS_print(DEBUG_A, "No file name conversion for: %s\n", type);
    return 0;
}

// Cuts FILE at the first "#", "-", "+" or ":" from its third character on,
// keeping the cut text as the extra information. FILE_set_file applies it in
// suffix mode 1; it works in either mode when called directly.
int FILE_extract_extra_info(char *file) {
    if (!file) return 0;
    size_t n = strlen(file);
    for (size_t k = 2; k < n; ++k) {
        if (strchr("#-+:", file[k])) {
            vek_copy(ext_info, file + k);
            file[k] = '\0';
            break;
        }
    }
    return 0;
}

// A name beginning with "#", "cu" or "la" is a current or latest request as a
// whole: its "#" is a reference time or a search limit, never a date suffix
// (so la#24 is the latest of 24 steps wherever it is typed).
int FILE_set_file(const char *file, char *out_file) {
    char name[TEMPLATE_LEN];
    vek_copy(name, file ? file : "");
    char result[FILE_NAME_LEN];
    bool request = name[0] == '#' || strnicmp(name, "cu", 2) == 0 || strnicmp(name, "la", 2) == 0;

    if (file_type == 0) {
        // The suffix digits replace the fields of the requested time they give.
        char *hash = (name[0] && !request) ? strchr(name + 1, '#') : nullptr;
        if (hash) {
            *hash = '\0';
            read_date_digits(hash + 1, &set);
        }
    } else if (name[0]) {
        FILE_extract_extra_info(name + 1);
    }
    file_date = set;

    if (stricmp(name, "exit") == 0) VEK_exit(0);

    if (name[0] == '@') {
        vek_copy(result, name + 1);
        filename_type = 1;
    } else if (FILE_is_stdio(name) || (conv[0] && FILE_is_stdio(conv))) {
        vek_copy(result, "-");
    } else if (!conv[0]) {
        vek_copy(result, name);
        filename_type = 1;
    } else if (request) {
        FILE_set_current(strnicmp(name, "cu", 2) == 0 ? name + 2 : name, result);
        MESS_print(M_MESS, "Current filename: %s\n", result);
    } else if (stricmp(name, "none") == 0 || (FILE_fullpath(conv) && FILE_fullpath(name))) {
        vek_copy(result, name);
    } else {
        int where = read_walk(name, result);
        MESS_print(DEBUG_D, "FILES:%s:%s:%d\n", name, result, where);
        DATE_print(M_DEBUG, &file_date);
    }
    vek_copy(filename, result);
    if (out_file) vek_strlcpy(out_file, result, FILE_NAME_LEN);
    return 0;
}

// The directory of an explicitly given full-path name replaces the directory
// fields when its name is made again; a directory longer than 79 characters
// is not taken (the directory resources are used instead). A template
// without slash or colon extracts nothing.
int FILE_set_date(Date *datim, char *out_file) {
    char result[FILE_NAME_LEN];
    int made = 0;
    if (!conv[0]) {
        vek_copy(result, filename[0] ? filename : "filename");
        filename_type = 1;
        made = 1;
    } else if (FILE_is_stdio(conv)) {
        vek_copy(result, "-");
        filename_type = 0;
        made = 1;
    }
    if (made) {
        if (out_file) vek_strlcpy(out_file, result, FILE_NAME_LEN);
        return 1;
    }

    extracted_path[0] = '\0';
    has_extracted = false;
    if (filename_type == 1 && FILE_fullpath(filename)) {
        int nsep = 0;
        for (const char *p = conv; *p; ++p)
            if (*p == '/' || *p == ':') ++nsep;
        long sep = nth_separator_from_end(filename, nsep);
        if (sep >= 0 && sep < PATH_LEN) {
            memcpy(extracted_path, filename, static_cast<size_t>(sep));
            extracted_path[sep] = '\0';
            has_extracted = true;
            MESS_print(DEBUG_C, "Extracted path: %s\n", extracted_path);
        }
    }

    late_off = VEK_MISS;
    const Date D = datim ? *datim : file_date;
    if (datim) {
        file_date.year = file_date.month = file_date.day = VEK_MISS;
        file_date.hour = file_date.min = VEK_MISS;
    }
    if (D.year == VEK_MISS && filename[0]) {
        if (out_file) vek_strlcpy(out_file, filename, FILE_NAME_LEN);
        filename_type = 1;
        return 1;
    }
    make_walk(D, result);
    vek_copy(filename, result);
    if (out_file) vek_strlcpy(out_file, result, FILE_NAME_LEN);
    return 0;
}

// A template without day, hour or minute fields has no step between files:
// the latest-file search then tries the reference time only. An empty
// "vekcurtime" counts as unset.
int FILE_set_current(const char *cur, char *name_out) {
    char request[TEMPLATE_LEN];
    vek_copy(request, cur ? cur : "la");
    const char *p = request;
    filename_type = 0;

    long T = 0;
    const char *env = getenv("vekcurtime");
    if (*p == '#' || (env && *env)) {
        Date ref = {0, 0, 0, 0, 0, 0, 0, 0};
        if (*p == '#') {
            p = read_date_digits(p + 1, &ref);
        } else {
            read_date_digits(env[0] == '#' ? env + 1 : env, &ref);
        }
        T = DATE_num_sec(&ref);
    } else {
        DATE_get_time(&T);
    }

    // Back to the most recent time that agrees with the requested time.
    Date D;
    DATE_get_gmdate(&T, &D);
    if (set.month >= 0 && D.month < set.month) {
        D.year -= 1;
        D.month = set.month;
        T = DATE_num_sec(&D);
    }
    if (set.day >= 0 && D.day < set.day) {
        if (--D.month < 1) {
            D.month = 12;
            D.year -= 1;
        }
        D.day = set.day;
        T = DATE_num_sec(&D);
    }
    if (set.hour >= 0 && D.hour < set.hour) {
        T -= 86400;
        DATE_get_gmdate(&T, &D);
        D.hour = set.hour;
        T = DATE_num_sec(&D);
    }
    if (set.min >= 0 && D.min < set.min) {
        T -= 3600;
        DATE_get_gmdate(&T, &D);
        D.min = set.min;
        T = DATE_num_sec(&D);
    }

    int dir = read_direction(p);
    if (is_digit(*p)) {
        Offset off = read_offset(p);
        MESS_print(M_DEBUG, "CUR1:%d %d %d %d\n", clamp_int(off.days), clamp_int(off.hours),
                   clamp_int(off.mins), dir);
        T += dir * off.seconds();
        MESS_print(M_DEBUG, "CUR1:%s %ld\n", p, T);
        dir = read_direction(p);
    }

    if (*p == 'l') {
        ++p;
        if (*p == 'a') ++p;
        int limit = 500;
        if (*p == '#') {
            ++p;
            limit = 0;
            take_digits(p, 4, &limit);
        }
        for (int tries = 0; tries < limit; ++tries) {
            DATE_get_gmdate(&T, &D);
            MESS_print(M_DEBUG, "LATE:%d %d %d %d %d\n", D.year, D.month, D.day, D.hour, D.min);
            FILE_set_date(&D, filename);
            MESS_print(M_DEBUG, "LATE: %s\n", filename);
            if (FILE_size(filename) > min_size) break;
            if (late_off <= 0) break;
            T += dir * static_cast<long>(late_off);
        }
        MESS_print(M_DEBUG, "LATEST: %s %s %ld\n", p, filename, T);
        dir = read_direction(p);
    }

    if (is_digit(*p)) {
        Offset off = read_offset(p);
        MESS_print(M_DEBUG, "CUR2:%d %d %d %d\n", clamp_int(off.days), clamp_int(off.hours),
                   clamp_int(off.mins), dir);
        T += dir * off.seconds();
        MESS_print(M_DEBUG, "CUR2:%ld\n", T);
    }

    DATE_get_gmdate(&T, &D);
    MESS_print(M_DEBUG, "%d %d %d %d\n", D.year, D.month, D.day, D.hour);
    FILE_set_date(&D, filename);
    if (name_out) vek_strlcpy(name_out, filename, FILE_NAME_LEN);
    return 0;
}

int FILE_list_file() {
    ListCommand cmd;
    list_walk(cmd);
    MESS_print(M_DEBUG, "SEARCH: %s\n", cmd.buf);
#ifndef VEK_FUZZ_BUILD
    fflush(nullptr);
    int rc = system(cmd.buf);
    (void)rc;
#endif
    return 0;
}

// "list" at the prompt lists the files again and uses up the attempt; it is
// not followed by an existence check (so it never accepts an empty name as
// standard input). An empty answer is the empty name: standard input.
int FILE_get_file(const char *prompt, char *outfile) {
    int argc = 0;
    char **argv = nullptr;
    if (RES_getvals("filename", &argc, &argv) > 0) {
        if (stricmp(argv[0], "list") == 0) {
            FILE_list_file();
            free_parsed_array(argc, argv);
            VEK_exit(0);
        }
        filename_type = 1;
        FILE_set_file(argv[0], filename);
        free_parsed_array(argc, argv);
        give_name(outfile);
        return FILE_exist(filename);
    }
    free_parsed_array(argc, argv);

    if (const char *cur = RES_get("current")) {
        char request[TEMPLATE_LEN];
        vek_copy(request, cur);
        return resolve_request_or_exit(request, outfile);
    }
    if (FLAG_batch()) return resolve_request_or_exit("la", outfile);

    MESS_print(M_PRINT, "List of available files:\n");
    FILE_list_file();
    MESS_print(M_PRINT, "\n");
    for (int attempt = 0; attempt < retry; ++attempt) {
        filename_type = 1;
        char answer[ANSWER_LEN] = "";
        VEK_prompts(prompt ? prompt : "", answer, ANSWER_LEN);
        if (stricmp(answer, "exit") == 0) VEK_exit(0);
        if (stricmp(answer, "list") == 0) {
            FILE_list_file();
            continue;
        }
        if (answer[0] == '#' || strnicmp(answer, "la", 2) == 0) {
            FILE_set_current(answer, filename);
            MESS_print(M_MESS, "Current filename: %s\n", filename);
        } else if (strnicmp(answer, "cu", 2) == 0) {
            FILE_set_current(answer + 2, filename);
            MESS_print(M_MESS, "Current filename: %s\n", filename);
        } else {
            FILE_set_file(answer, filename);
        }
        give_name(outfile);
        if (FILE_exist(filename)) return 1;
        MESS_print(M_WARN, "File not found: %s\n", filename);
    }
    VEK_exit(10);
}

int FILE_get_date(Date *date) {
    if (date) *date = file_date;
    return 0;
}

int FILE_set_time(const Date *datim) {
    if (datim) set = *datim;
    return 0;
}

int FILE_get_time(Date *datim) {
    if (datim) *datim = set;
    return 0;
}

void files_reset_state() {
    conv[0] = hconv[0] = ext[0] = '\0';
    min_size = 0;
    for (char *k : keys) k[0] = '\0';
    keys_ready = false;
    filename[0] = '\0';
    filename_type = 0;
    set = NO_DATE;
    file_date = NO_DATE;
    late_off = 3600;
    file_type = 0;
    ext_info[0] = '\0';
    extracted_path[0] = '\0';
    has_extracted = false;
}
