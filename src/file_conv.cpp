// file_conv.cpp - name conventions: the name convention file and its lookup
// by type name, the key table, the template tokenizer, and reading a file
// name the user typed against the current template.
//
// Every data file of the package is named by a convention: a template of
// directory, date, time and key fields and literal text, looked up by type
// name in the name convention file. One template serves three purposes, all
// read through the one tokenizer here: reading a typed name (this unit),
// making the name of a date and making the listing pattern (file_dated.cpp).
//
// State: the current convention and the last name read or made (see
// file_conv.h), shared by the units of the file-name module.

#include <cctype>
#include <cerrno>
#include <cstring>
#include <strings.h>

#include "date.h"
#include "file_conv.h"
#include "files.h"
#include "mess.h"
#include "numtext.h"
#include "resrc.h"
#include "scanp.h"
#include "system.h"
#include "vekstr.h"

namespace vekfiles {

Convention state;

// The keys are emptied once, before the first use of the table. A key
// defined before the first convention is selected (the region key of a
// domain decoded at start-up) is kept.
void ready_keys() {
    if (state.keys_ready) return;
    for (char *k : state.keys) k[0] = '\0';
    state.keys_ready = true;
}

namespace {

constexpr int TYPE_NAME_LEN = 20; // a type name of the convention file: at most 19
constexpr int MAX_COUNT = 999;    // directive counts are held below this

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

} // namespace

TplToken TplCursor::next() {
    TplToken tok;
    const char c = tpl_[t_];
    if (!c) return tok;
    if (c != '%') {
        last_ = t_++;
        tok.kind = TplToken::LITERAL;
        tok.c = c;
        return tok;
    }
    ++t_;
    int count = -1;
    while (is_digit(tpl_[t_])) {
        int digit = tpl_[t_++] - '0';
        count = count < 0 ? digit : count * 10 + digit;
        if (count > MAX_COUNT) count = MAX_COUNT;
    }
    const char d = tpl_[t_];
    if (!d) return tok;
    last_ = t_++;
    tok.c = d;
    tok.count = count;
    if (d == '%') {
        tok.kind = TplToken::PERCENT;
    } else if ((tok.width = field_width(d)) > 0) {
        tok.kind = TplToken::DATE;
    } else if (d == 'e') {
        tok.kind = TplToken::EXT;
    } else if ((tok.resource = dir_resource(d))) {
        tok.kind = TplToken::DIR;
    } else {
        tok.kind = TplToken::KEY;
    }
    return tok;
}

void TplCursor::take_braced(char *out, size_t cap) {
    size_t n = 0;
    while (tpl_[t_] && tpl_[t_] != '}') {
        if (n + 1 < cap) out[n++] = tpl_[t_];
        ++t_;
    }
    out[n] = '\0';
    skip('}');
}

// The directory of a resource; "." when it is unset, empty or "none" (the
// path resources read "none" as no path), so names stay relative to the
// working directory.
const char *dir_value(const char *resource) {
    const char *v = RES_get(resource);
    if (!v || !*v || strcasecmp(v, "none") == 0) return ".";
    return v;
}

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

int refuse_name(const char *who, const char *name) {
    MESS_print(M_ERROR, "%s: Name too long (at most %d characters): %s\n", who, FILE_NAME_LEN - 1,
               name);
    errno = ENAMETOOLONG;
    return -1;
}

int refuse_name(const char *who, const Text &made) {
    MESS_print(M_ERROR, "%s: Name too long (at most %d characters): %s%s\n", who, FILE_NAME_LEN - 1,
               made.buf, made.overflow ? "..." : "");
    errno = ENAMETOOLONG;
    return -1;
}

const char *read_date_digits(const char *p, Date *d) {
    int *fields[] = {&d->year, &d->month, &d->day, &d->hour, &d->min};
    const int widths[] = {4, 2, 2, 2, 2};
    for (int f = 0; f < 5 && take_digits(p, widths[f], fields[f]); ++f) {}
    return p;
}

} // namespace vekfiles

using namespace vekfiles;

namespace {

// Stores the value V of date field D read from a typed name.
void store_field(char d, int v) {
    Date &fd = state.file_date;
    switch (d) {
    case 'Y':
        fd.year = v;
        break;
    case 'y':
        fd.year = v < 50 ? 2000 + v : 1900 + v;
        break;
    case 'm':
    case 'b':
        fd.month = v;
        break;
    case 'd':
        fd.day = v;
        break;
    case 'j':
        fd.jday = v;
        DATE_julian_monday(fd.year, v, &fd.month, &fd.day);
        break;
    case 'h':
        fd.hour = v;
        break;
    default:
        fd.min = v;
        break;
    }
}

// Where the walk of a typed name stands (its number is shown in the trace).
enum class WalkState {
    START = 0,      // nothing read yet: a literal must be the name's next character
    AFTER_DIR = 1,  // after a directory or a braced text: a literal missing from the
                    // name is put in (taking the place of a character of a name
                    // without "/")
    AFTER_DATE = 2, // after a date field: a literal must match while the name goes on
    NAME_USED = 3,  // the whole name is read: literals of the template are put in
};

// The walk of a typed NAME (no longer than a file name) through the current
// template into OUT: each element of the template takes the part of the name
// it stands for, and puts its text to OUT. Each step returns false when the
// element cannot be read from the name, which ends the walk.
class NameWalk {
  public:
    NameWalk(const char *name, Text &out)
        : name_(name), nlen_(strlen(name)), out_(out), tpl_(state.conv),
          slash_(strchr(name, '/') != nullptr), full_(FILE_fullpath(name) != 0) {}

    WalkState run() {
        for (;;) {
            MESS_print(M_DEBUG_D, "FILES:%s:%s:%s:%s:%s:%d\n", name_, tpl_.rest(), name_ + i_,
                       out_.buf, state.ext, static_cast<int>(where_));
            const TplToken tok = tpl_.next();
            if (tok.kind == TplToken::END || !step(tok)) break;
        }
        out_.put(name_ + i_);
        return where_;
    }

  private:
    const char *name_;
    size_t nlen_;
    size_t i_ = 0; // the next character of the name
    Text &out_;
    TplCursor tpl_;
    WalkState where_ = WalkState::START;
    bool slash_; // the name holds a "/"
    bool full_;  // the name is a full path
    bool brace_ = false;

    bool step(const TplToken &tok) {
        switch (tok.kind) {
        case TplToken::LITERAL:
            return literal(tok.c);
        case TplToken::PERCENT:
            out_.put('%');
            return true;
        case TplToken::DATE:
            return date(tok);
        case TplToken::EXT:
            return ext();
        case TplToken::DIR:
            dir(tok);
            return true;
        default:
            return key(tok);
        }
    }

    // Text inside braces is put as it stands; "*" ends the walk.
    bool literal(char c) {
        if (brace_) {
            if (c == '}') {
                brace_ = false;
                where_ = WalkState::AFTER_DIR;
            } else {
                out_.put(c);
            }
            return true;
        }
        if (c == '*') return false;
        if (c == '{') {
            brace_ = true;
            return true;
        }
        if (where_ > WalkState::START && i_ < nlen_ && name_[i_] == c) {
            out_.put(c);
            if (++i_ >= nlen_) where_ = WalkState::NAME_USED;
        } else if (where_ > WalkState::AFTER_DIR && i_ < nlen_) {
            return false;
        } else if (where_ == WalkState::START && (i_ >= nlen_ || name_[i_] != c)) {
            return false;
        } else {
            out_.put(c);
            if (i_ < nlen_ && (where_ > WalkState::AFTER_DIR || !slash_)) ++i_;
        }
        return true;
    }

    // A month name or digits, as many as the field is wide.
    bool date(const TplToken &tok) {
        const size_t width = static_cast<size_t>(tok.width);
        const size_t n = nlen_ - i_ < width ? nlen_ - i_ : width;
        char field[5];
        memcpy(field, name_ + i_, n);
        field[n] = '\0';
        int v = 0;
        if (tok.c == 'b') {
            v = DATE_decode_month(field);
            if (v == 0) return false;
        } else {
            const char *p = field;
            if (!take_digits(p, 0, &v)) return false;
        }
        out_.put(field, n);
        i_ += n;
        store_field(tok.c, v);
        where_ = WalkState::AFTER_DATE;
        return true;
    }

    // The rest of the template is looked for in the rest of the name; an
    // empty rest is found at the end of the name.
    bool ext() {
        const char *rest = tpl_.rest();
        const char *found = *rest ? strstr(name_ + i_, rest) : name_ + nlen_;
        if (state.ext[0]) {
            out_.put(state.ext);
            if (found) i_ = static_cast<size_t>(found - name_);
        } else if (found) {
            size_t n = static_cast<size_t>(found - (name_ + i_));
            vek_strlcpy(state.ext, name_ + i_, n + 1 < sizeof state.ext ? n + 1 : sizeof state.ext);
            out_.put(name_ + i_, n);
            i_ += n;
        } else {
            return false;
        }
        return true;
    }

    // A name that is not a full path gets the directory of the resource; a
    // full path keeps its own, up to the separator that the separators left
    // in the template count back to.
    void dir(const TplToken &tok) {
        if (!full_) {
            out_.put(dir_value(tok.resource));
            if (tpl_.skip('/')) out_.put('/');
        } else {
            int nsep = 0;
            for (const char *p = tpl_.from_last(); *p; ++p)
                if (*p == '/' || *p == '\\' || *p == ':') ++nsep;
            long sep = nth_separator_from_end(name_, nsep);
            if (sep >= static_cast<long>(i_)) {
                out_.put(name_ + i_, static_cast<size_t>(sep) - i_);
                i_ = static_cast<size_t>(sep);
            }
        }
        where_ = WalkState::AFTER_DIR;
    }

    // A key stands for as many characters of the name as it has, or as the
    // count says.
    bool key(const TplToken &tok) {
        const char *text = state.keys[static_cast<unsigned char>(tok.c)];
        if (!text[0]) return false;
        size_t klen = strlen(text);
        size_t n = tok.count >= 0 ? static_cast<size_t>(tok.count) : klen;
        out_.put(text, n < klen ? n : klen);
        i_ += n < nlen_ - i_ ? n : nlen_ - i_;
        return true;
    }
};

// The type itself is the template, without header template or minimum
// size. A template longer than a line is refused: no name is made under it.
void use_type_as_template(const char *tpl) {
    state.hconv[0] = '\0';
    state.min_size = 0;
    if (strlen(tpl) < sizeof state.conv) {
        vek_copy(state.conv, tpl);
        return;
    }
    refuse_name("FILE_set_name", tpl);
    state.conv[0] = '\0';
    state.conv_too_long = true;
}

} // namespace

int FILE_set_key(char key, const char *str) {
    ready_keys();
    char *slot = state.keys[static_cast<unsigned char>(key)];
    vek_strlcpy(slot, str ? str : "", KEY_LEN);
    for (char *p = slot; *p; ++p)
        if (*p == ' ') *p = '_';
    return 0;
}

namespace {

// Reads the keys after colons in TYPE (":X=value" up to the next colon) and
// ends the type at the first colon that defined a key.
void take_type_keys(char *type) {
    char *cut = nullptr;
    for (char *colon = strchr(type, ':'); colon; colon = strchr(colon + 1, ':')) {
        char k = colon[1];
        if (!k || colon[2] != '=' || !colon[3] || colon[3] == ':') continue;
        const char *value = colon + 3;
        size_t n = strcspn(value, ":");
        char buf[KEY_LEN];
        vek_strlcpy(buf, value, n + 1 < sizeof buf ? n + 1 : sizeof buf);
        FILE_set_key(k, buf);
        MESS_print(M_DEBUG_D, "KEY: %c = %s\n", k, state.keys[static_cast<unsigned char>(k)]);
        if (!cut) cut = colon;
    }
    if (cut) *cut = '\0';
}

// Opens the name convention file into CONV_FILE; null when there is none or
// it may not be followed. Conventions are selected many times in a run: each
// warning is given once.
FILE *open_conventions(char (&conv_file)[FILE_NAME_LEN]) {
    const char *res_name = RES_get("name_conv");
    if (!res_name || !*res_name) res_name = "name_conv";
    const char *dir = RES_get("file_path");
    FILE *f = nullptr;
    if (!FILE_add_path(dir, res_name, conv_file)) {
        MESS_warn_once("FILE_set_name: No file name convention file: %s/%s: %s\n", dir ? dir : "",
                       res_name, strerror(errno));
    } else if (!(f = FILE_open(conv_file, "r"))) {
        MESS_warn_once("FILE_set_name: No file name convention file: %s\n", conv_file);
    } else if (!FILE_own_config(f, conv_file, "FILE_set_name")) {
        FILE_close(f); // someone else's conventions could name commands
        f = nullptr;
    }
    return f;
}

// Takes a line of the convention file into the convention: its type name
// into NAME, then the template, the header template ("-": none) and the
// minimum size, each when present. False for a blank line, which names no
// type.
bool take_convention(const char *line, char (&name)[TYPE_NAME_LEN]) {
    state.conv[0] = state.hconv[0] = '\0';
    state.min_size = 0;
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
    if (nf == 0) return false;
    vek_copy(name, fields[0]);
    if (nf > 1) vek_copy(state.conv, fields[1]);
    if (nf > 2 && strcmp(fields[2], "-") != 0) vek_copy(state.hconv, fields[2]);
    if (nf > 3) {
        int v[1] = {0};
        scan_ints(fields[3], "%d", v);
        state.min_size = v[0];
    }
    return true;
}

// Whether the line of type NAME serves TYPE: the same name, or its
// beginning (then what follows the last "_" of TYPE is what %e stands for).
bool serves(const char *name, const char *type) {
    if (strcasecmp(name, type) == 0) {
        MESS_print(M_DEBUG_A, "File name match for: %s\n", type);
        return true;
    }
    if (strncasecmp(type, name, strlen(name)) == 0) {
        const char *under = strrchr(type, '_');
        vek_copy(state.ext, under ? under + 1 : "");
        MESS_print(M_DEBUG_A, "File name partial match for: %s-%s ext: %s\n", type, name,
                   state.ext);
        return true;
    }
    return false;
}

// Reads the convention file F up to the line that serves TYPE, which is
// then the convention. False when no line does.
bool find_convention(FILE *f, const char *type) {
    char line[TEMPLATE_LEN];
    int n;
    while ((n = fgetnline(f, line, TEMPLATE_LEN - 1)) >= 0) {
        if (n == TEMPLATE_LEN - 1) {
            int c;
            while ((c = getc(f)) != EOF && c != '\n') {}
        }
        if (line[0] == '#') continue;
        char name[TYPE_NAME_LEN];
        if (take_convention(line, name) && serves(name, type)) return true;
    }
    return false;
}

} // namespace

// A type "@template" carries its own template; it has no header template and
// no minimum size. When no line of the convention file matches, the type is
// the template, again without header template or minimum size (nothing of
// the file's last line is kept). The rest of a line longer than a file name
// is dropped, never read as a line of its own.
int FILE_set_name(char *type) {
    ready_keys();
    state.filename[0] = '\0';
    state.conv_too_long = false;
    if (!type) type = const_cast<char *>("");
    if (strcasecmp(type, "none") == 0) {
        state.conv[0] = '\0';
        return 0;
    }
    if (type[0] == '@') {
        use_type_as_template(type + 1);
        return 1;
    }
    take_type_keys(type);

    char conv_file[FILE_NAME_LEN];
    FILE *f = open_conventions(conv_file);
    if (!f) {
        use_type_as_template(type);
        return 0;
    }
    MESS_print(M_DEBUG_A, "Opening name convention file: %s\n", conv_file);
    state.ext[0] = '\0';
    const bool found = find_convention(f, type);
    FILE_close(f);
    if (found) return 1;

    use_type_as_template(type);
    MESS_print(M_DEBUG_A, "No file name conversion for: %s\n", type);
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
            vek_copy(state.ext_info, file + k);
            file[k] = '\0';
            break;
        }
    }
    return 0;
}

// A name beginning with "#", "cu" or "la" is a current or latest request as a
// whole: its "#" is a reference time or a search limit, never a date suffix
// (so la#24 is the latest of 24 steps wherever it is typed). A name longer
// than a file name, or one whose full name would be, is refused: -1,
// OUT_FILE empty, errno ENAMETOOLONG.
int FILE_set_file(const char *file, char *out_file) {
    if (out_file) out_file[0] = '\0';
    if (!file) file = "";
    if (strlen(file) >= TEMPLATE_LEN) return refuse_name("FILE_set_file", file);
    char name[TEMPLATE_LEN];
    vek_copy(name, file);
    char made[MADE_LEN];
    Text result(made, sizeof made);
    bool request =
        name[0] == '#' || strncasecmp(name, "cu", 2) == 0 || strncasecmp(name, "la", 2) == 0;

    if (state.file_type == 0) {
        // The suffix digits replace the fields of the requested time they give.
        char *hash = (name[0] && !request) ? strchr(name + 1, '#') : nullptr;
        if (hash) {
            *hash = '\0';
            read_date_digits(hash + 1, &state.set);
            DATE_set_requested(&state.set);
        }
    } else if (name[0]) {
        FILE_extract_extra_info(name + 1);
    }
    state.file_date = state.set;

    if (strcasecmp(name, "exit") == 0) VEK_exit(0);

    if (name[0] == '@') {
        result.put(name + 1);
        state.filename_type = 1;
    } else if (state.conv_too_long) {
        return refuse_name("FILE_set_file", name);
    } else if (FILE_is_stdio(name) || (state.conv[0] && FILE_is_stdio(state.conv))) {
        result.put("-");
    } else if (!state.conv[0]) {
        result.put(name);
        state.filename_type = 1;
    } else if (request) {
        char current[FILE_NAME_LEN];
        if (FILE_set_current(strncasecmp(name, "cu", 2) == 0 ? name + 2 : name, current) < 0)
            return -1;
        result.put(current);
        MESS_print(M_MESS, "Current filename: %s\n", current);
    } else if (strcasecmp(name, "none") == 0 ||
               (FILE_fullpath(state.conv) && FILE_fullpath(name))) {
        result.put(name);
    } else {
        const WalkState where = NameWalk(name, result).run();
        MESS_print(M_DEBUG_D, "FILES:%s:%s:%d\n", name, made, static_cast<int>(where));
        DATE_print(M_DEBUG, &state.file_date);
    }
    if (result.overflow || result.len >= FILE_NAME_LEN) return refuse_name("FILE_set_file", result);
    vek_copy(state.filename, made);
    if (out_file) vek_strlcpy(out_file, made, FILE_NAME_LEN);
    return 0;
}

void files_reset_state() {
    FILE_discard_output();
    state = Convention{};
    DATE_set_requested(&state.set);
}
