// def_read.cpp - defaults files: name patterns that preset resources for
// every program, for one program or for one named variant of it, with tags
// and conditional sections; and the program-qualified environment names.
//
// A line holds a name pattern and a value. The pattern is matched against the
// qualified name of a resource: the program name (or title) and the resource
// name joined by dots. Tags come from the search path and from DEF lines;
// IF, ELIF, ELSE and END switch blocks of lines on and off by tag.
//
// A defaults file someone else could have written is not read (it could set
// names that run commands), and a line that is neither a name and value nor
// a directive is named by its file and line.
//
// State: the open defaults file with its name and the number of the line
// read, the program name and title, the defined tags (own copies), and the
// open IF levels with their states. The levels are not reset between files:
// an IF left open in one file governs the next.

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "def_read.h"
#include "files.h"
#include "mess.h"
#include "resrc.h"
#include "vekstr.h"

namespace {

constexpr int MAX_TAGS = 10;
constexpr int MAX_LEVELS = 10;
constexpr int LINE_LEN = 249; // a longer line is read as several lines
constexpr int QUAL_LEN = 40;  // a qualified name: at most 39 characters
constexpr char DONE = 'c';    // a level whose branch was already taken

FILE *def_file = nullptr;
char def_name[FILE_NAME_LEN] = ""; // the name the open file was opened by
int line_no = 0;                   // the line the last piece read belongs to
bool continues = false;            // the last piece read did not end its line
char prog_name[30] = "Vek";
char prog_title[30] = "";
char *tag[MAX_TAGS] = {};
int num_tag = 0;
char match[MAX_LEVELS] = {};
int num_match = 0;
int overflow_levels = 0; // IF levels nested beyond MAX_LEVELS
int matches = 1;

void close_file() {
    if (def_file) FILE_close(def_file);
    def_file = nullptr;
}

bool tag_defined(const char *t) {
    for (int i = 0; i < num_tag; ++i)
        if (strcasecmp(tag[i], t) == 0) return true;
    return false;
}

int add_tag(const char *t) {
    if (num_tag >= MAX_TAGS) return -1;
    char *copy = strdup(t);
    if (!copy) return -1;
    tag[num_tag++] = copy;
    return 0;
}

void remove_tag(const char *t) {
    for (int i = 0; i < num_tag; ++i) {
        if (strcasecmp(tag[i], t) == 0) {
            free(tag[i]);
            for (int j = i; j + 1 < num_tag; ++j) tag[j] = tag[j + 1];
            tag[--num_tag] = nullptr;
            return;
        }
    }
}

void update_matches() {
    matches = overflow_levels == 0;
    for (int i = 0; i < num_match; ++i)
        if (match[i] != 1) matches = 0;
}

// The qualified name of resource R for this program.
// It must fit QUAL_LEN - 1 characters; a longer one is cut.
void qualified_name(const char *r, char *out) {
    char full[128];
    if (prog_title[0] == '+')
        snprintf(full, sizeof full, "%s.%s.%.60s", prog_name, prog_title + 1, r);
    else if (prog_title[0])
        snprintf(full, sizeof full, "%s.%.60s", prog_title, r);
    else
        snprintf(full, sizeof full, "%s.%.60s", prog_name, r);
    vek_strlcpy(out, full, QUAL_LEN);
}

// "*" skips forward to the first occurrence of the text after it (up to the
// next "*"); every other character must match exactly; the whole name must be
// consumed. A pattern that ends in "*" matches nothing.
bool pattern_match(const char *pat, const char *name) {
    const char *p = pat;
    const char *n = name;
    while (*p) {
        if (*p == '*') {
            ++p;
            if (*p == '\0') return false;
            const char *end = strchr(p, '*');
            size_t seglen = end ? static_cast<size_t>(end - p) : strlen(p);
            const char *found = nullptr;
            for (const char *q = n; *q || seglen == 0; ++q) {
                if (strncmp(q, p, seglen) == 0) {
                    found = q;
                    break;
                }
                if (!*q) break;
            }
            if (!found) return false;
            n = found;
            continue;
        }
        if (*n != *p) return false;
        ++p;
        ++n;
    }
    return *n == '\0';
}

// The text after the last "." or "*" of a pattern.
const char *last_component(const char *str) {
    const char *last = str;
    for (const char *p = str; *p; ++p)
        if (*p == '.' || *p == '*') last = p + 1;
    return last;
}

// Splits LINE into at most its first two blank-separated words; returns the
// number of words (2 when there are two or more) and sets MORE when a third
// follows.
int split_words(char *line, char **w1, char **w2, bool *more) {
    *w1 = *w2 = nullptr;
    *more = false;
    char *p = line;
    int count = 0;
    char **dest[2] = {w1, w2};
    while (*p) {
        while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
        if (!*p) break;
        if (count == 2) {
            *more = true;
            break;
        }
        *dest[count++] = p;
        while (*p && !isspace(static_cast<unsigned char>(*p))) ++p;
        if (*p) *p++ = '\0';
    }
    return count;
}

// Reads the next piece of the open file (a line, or 249 characters of a
// longer one) and keeps count of the lines. A line too long is named once.
int read_line(char *line) {
    const int n = fgetnline(def_file, line, LINE_LEN);
    if (n < 0) return n;
    if (!continues) ++line_no;
    const bool was_continued = continues;
    continues = false;
    if (n == LINE_LEN) {
        const int c = getc(def_file);
        if (c != EOF) ungetc(c, def_file);
        continues = c != EOF && c != '\n';
    }
    if (continues && !was_continued)
        MESS_print(M_WARN, "DEF_get: %s:%d: longer than %d characters: read as several lines\n",
                   def_name, line_no, LINE_LEN);
    return n;
}

// A line of one word that is no directive: a name without value, or a
// directive without its tag.
void warn_garbled(const char *word) {
    MESS_print(M_WARN, "DEF_get: %s:%d: neither a name and value nor a directive: %s\n", def_name,
               line_no, word);
}

// The reader's line count starts at the file's first line: the piece reader
// takes a first empty line as the end of a line before it.
void start_counting() {
    const int c = getc(def_file);
    if (c != EOF) ungetc(c, def_file);
    line_no = c == '\n' ? 1 : 0;
    continues = false;
}

} // namespace

// A name, or a name made in a directory, longer than a file name is not
// cut: the file is not read, and a warning says why.
int DEF_open(const char *filename) {
    close_file();
    const char *name = (filename && *filename) ? filename : ".vekdef";
    char path[FILE_NAME_LEN];
    if (FILE_is_dir(name)) {
        static const char *const standard[] = {"vek.cfg", ".vekdef", "Vek.res"};
        const size_t n = strlen(name);
        const char *sep = n > 0 && name[n - 1] != '/' ? "/" : "";
        for (const char *f : standard) {
            const int need = snprintf(path, sizeof path, "%s%s%s", name, sep, f);
            if (need < 0 || need >= static_cast<int>(sizeof path)) {
                MESS_print(M_WARN,
                           "DEF_open: Defaults file name too long (at most %d characters): "
                           "%s%s%s\n",
                           FILE_NAME_LEN - 1, name, sep, f);
                return -1;
            }
            if (FILE_exist(path)) break;
        }
        name = path;
    } else if (strlen(name) >= FILE_NAME_LEN) {
        MESS_print(M_WARN, "DEF_open: Defaults file name too long (at most %d characters): %s\n",
                   FILE_NAME_LEN - 1, name);
        return -1;
    }
    def_file = FILE_open(name, "r");
    if (def_file && !FILE_own_config(def_file, name, "DEF_open")) close_file();
    if (!def_file) return -1;
    vek_copy(def_name, name);
    start_counting();
    return 0;
}

int DEF_close() {
    close_file();
    return 0;
}

namespace {

// The conditional words: IF, ELIF, ELSE and END, which open, switch and close
// a level of the tags' conditions. False when W1 is none of them (an IF or
// ELIF takes exactly one word after it).
bool apply_condition(const char *w1, const char *w2, int words, bool more) {
    const bool one_tag = words == 2 && !more;
    if (strcmp(w1, "IF") == 0 && one_tag) {
        if (num_match < MAX_LEVELS)
            match[num_match++] = tag_defined(w2) ? 1 : 0;
        else
            ++overflow_levels;
    } else if (strcmp(w1, "ELIF") == 0 && one_tag) {
        if (num_match == 0) {
            MESS_print(M_WARN, "DEF_get: elif without an if\n");
        } else if (overflow_levels == 0) {
            char &m = match[num_match - 1];
            if (m == 1 || m == DONE)
                m = DONE;
            else if (tag_defined(w2))
                m = 1;
        }
    } else if (strcmp(w1, "ELSE") == 0) {
        if (num_match == 0) {
            MESS_print(M_WARN, "DEF_get: else without an if\n");
        } else if (overflow_levels == 0) {
            char &m = match[num_match - 1];
            m = (m == 1 || m == DONE) ? DONE : 1;
        }
    } else if (strcmp(w1, "END") == 0) {
        if (overflow_levels > 0)
            --overflow_levels;
        else if (num_match == 0)
            MESS_print(M_WARN, "DEF_get: end without an if\n");
        else
            --num_match;
    } else {
        return false;
    }
    update_matches();
    return true;
}

} // namespace

int DEF_get(char *resrc, char *value) {
    if (!resrc || !value || !def_file) return -1;
    char line[LINE_LEN + 1];
    for (;;) {
        bool piece = continues; // a piece of a line too long, named already
        if (read_line(line) < 0) return -1;
        piece = piece || continues;
        if (line[0] == '#') continue;

        char raw[LINE_LEN + 1];
        memcpy(raw, line, sizeof raw);
        char *w1, *w2;
        bool more;
        int words = split_words(line, &w1, &w2, &more);
        if (words == 0) continue;

        if (strcmp(w1, "DEF") == 0 && w2) {
            add_tag(w2);
        } else if (strcmp(w1, "UNDEF") == 0 && w2) {
            remove_tag(w2);
        } else if (apply_condition(w1, w2, words, more)) {
            continue;
        }

        if (words < 2 && !piece) warn_garbled(w1);
        if (words < 2 || !matches) continue;

        const char *val = w2;
        char quoted[LINE_LEN + 1];
        if (*w2 == '"') {
            // The value runs from the quote to the next one, blanks included.
            const char *start = raw + (w2 - line) + 1;
            const char *end = strchr(start, '"');
            size_t n = end ? static_cast<size_t>(end - start) : strlen(start);
            vek_strlcpy(quoted, start, n + 1);
            val = quoted;
        }
        vek_strlcpy(resrc, w1, DEF_NAME_LEN);
        low_string(resrc);
        size_t n = strlen(resrc);
        if (n > 0 && resrc[n - 1] == ':') resrc[n - 1] = '\0';
        vek_strlcpy(value, val, DEF_VALUE_LEN);
        return 1;
    }
}

int DEF_cmp(const char *resrc, const char *string) {
    if (!resrc || !string) return 0;
    char qual[QUAL_LEN];
    qualified_name(resrc, qual);
    return pattern_match(string, qual);
}

int DEF_valid(const char *string) {
    if (!string) return 0;
    return DEF_cmp(last_component(string), string);
}

int DEF_parse_name(const char *str, char *ostr) {
    if (!ostr) return 1;
    vek_strlcpy(ostr, str ? last_component(str) : "", DEF_NAME_LEN);
    return 1;
}

int DEF_env(const char *resrc, const char *env, char *value, size_t cap) {
    if (!resrc) return 0;
    char names[3][48];
    int count = 0;
    int len;
    if (prog_title[0] == '+')
        len = snprintf(names[count], sizeof names[0], "vek%s.%s.%s", prog_name, prog_title + 1,
                       resrc);
    else
        len = snprintf(names[count], sizeof names[0], "vek%s.%s",
                       prog_title[0] ? prog_title : prog_name, resrc);
    if (len >= 0 && len <= 44) ++count;
    if (env && *env) {
        vek_copy(names[count], env);
        ++count;
    }
    len = snprintf(names[count], sizeof names[0], "vek%s", resrc);
    if (len >= 0 && len <= 19) ++count;

    for (int i = 0; i < count; ++i) {
        const char *v = getenv(names[i]);
        if (v) {
            if (value && cap > 0) vek_strlcpy(value, v, cap);
            return 1;
        }
    }
    return 0;
}

int DEF_prog() {
    RES_get_progname(prog_name, sizeof prog_name);
    return 0;
}

int DEF_name(const char *name) {
    vek_copy(prog_title, name ? name : "");
    return 0;
}

int DEF_title(const char *title) {
    return DEF_name(title);
}

int DEF_tag(const char *str) {
    if (!str) return 0;
    return add_tag(str);
}

int DEF_clr_tag() {
    for (int i = 0; i < num_tag; ++i) {
        free(tag[i]);
        tag[i] = nullptr;
    }
    num_tag = 0;
    return 0;
}

void def_reset_state() {
    close_file();
    def_name[0] = '\0';
    line_no = 0;
    continues = false;
    DEF_clr_tag();
    strcpy(prog_name, "Vek");
    prog_title[0] = '\0';
    num_match = 0;
    overflow_levels = 0;
    matches = 1;
}
