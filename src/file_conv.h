// file_conv.h - the inside of the file-name module, shared by its units and
// by nothing else: the state of the current name convention, the template
// tokenizer that the three walks of a template share, and the small helpers
// they have in common.
//
// The units of the module:
// - files.cpp: the file system helpers (opening, testing, joining names,
//   directories, the overwrite rule, converted files written under a
//   temporary name); they know nothing of conventions;
// - file_sys.cpp (file_sys.h): the file-system operations those helpers
//   change the file system through, the real ones unless replaced;
// - file_conv.cpp: the name convention file, keys, and reading a name the
//   user typed (FILE_set_name, FILE_set_key, FILE_set_file);
// - file_dated.cpp: making the name of a date, the listing pattern, and the
//   current and latest files (FILE_set_date, FILE_list_file,
//   FILE_set_current);
// - file_dialog.cpp: finding the input file (FILE_get_file).
#ifndef FILE_CONV_H
#define FILE_CONV_H

#include <cstddef>
#include <cstring>

#include "files.h"

namespace vekfiles {

// Templates and convention lines: a template may name a directory as long
// as a file name.
constexpr int TEMPLATE_LEN = FILE_NAME_LEN;
constexpr int KEY_LEN = 30; // a key: at most 29 characters
constexpr int EXT_LEN = 20;
constexpr int EXT_INFO_LEN = 40;
constexpr int PATH_LEN = FILE_NAME_LEN; // the extracted directory

constexpr Date NO_DATE = {VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, VEK_MISS, 0};

// The current convention and the last name read or made; one per process.
struct Convention {
    char conv[TEMPLATE_LEN] = "";      // the template; empty: names are used as typed
    char hconv[TEMPLATE_LEN] = "";     // the header template (nothing switches it on)
    char ext[EXT_LEN] = "";            // what %e stands for
    int min_size = 0;                  // a file counts as present when larger than this
    char keys[256][KEY_LEN] = {};      // key strings by directive character
    bool keys_ready = false;           // false until the first FILE_set_name or FILE_set_key
    char filename[FILE_NAME_LEN] = ""; // the last name read or made
    int filename_type = 0;             // 1 given by the user, 0 derived
    Date set = NO_DATE;                // the requested time: which file the user wants
    Date file_date = NO_DATE;          // the date of the last name read or made
    int late_off = 3600;               // seconds between files; -9999 while unknown
    int file_type = 0;                 // suffix mode: 0 a date after "#", 1 extra information
    char ext_info[EXT_INFO_LEN] = "";
    char extracted_path[PATH_LEN] = ""; // directory of a full-path name the user gave
    bool has_extracted = false;
    bool conv_too_long = false; // the selected template did not fit: no name is made
};

extern Convention state;

// Empties the keys once, before the first use of the table.
void ready_keys();

// A bounded text under construction. Characters beyond the room are not
// stored and mark the text as overflowing: a name that does not fit is
// refused by its maker, never used cut.
struct Text {
    char *buf;
    size_t cap;
    size_t len = 0;
    bool overflow = false;
    Text(char *b, size_t c) : buf(b), cap(c) { buf[0] = '\0'; }
    void put(char c) {
        if (len + 1 >= cap) {
            overflow = true;
            return;
        }
        buf[len++] = c;
        buf[len] = '\0';
    }
    void put(const char *s, size_t n) {
        for (size_t k = 0; k < n && s[k]; ++k) put(s[k]);
    }
    void put(const char *s) { put(s, strlen(s)); }
};

// Room for a name while it is made: a name longer than a file name is shown
// this far when it is refused.
constexpr size_t MADE_LEN = 4 * FILE_NAME_LEN;

// Refuses a name that does not fit a file name (FILE_NAME_LEN - 1
// characters): reports it as WHO, as far as it was made, and sets errno to
// ENAMETOOLONG. Returns -1.
int refuse_name(const char *who, const Text &made);
int refuse_name(const char *who, const char *name);

// One element of a template: a literal character, or a directive "%", an
// optional count and a character, classified by what it stands for.
struct TplToken {
    enum Kind { END, LITERAL, PERCENT, DATE, EXT, DIR, KEY } kind = END;
    char c = '\0';                  // the literal, or the directive character
    int count = -1;                 // the directive's count (held below 999); -1 without
    int width = 0;                  // DATE: characters the field takes in a name
    const char *resource = nullptr; // DIR: the directory resource
};

// Walks a template element by element. The three uses of a template
// (reading a typed name, making the name of a date, making the listing
// pattern) read it through this one cursor and differ only in what they do
// with each element.
class TplCursor {
  public:
    explicit TplCursor(const char *tpl) : tpl_(tpl) {}
    // The next element; END at the end of the template, and at a "%" that
    // ends it (such a "%" is ignored).
    TplToken next();
    // The template after the last element.
    const char *rest() const { return tpl_ + t_; }
    // The last element's own character (for a directive its letter) and
    // everything after it.
    const char *from_last() const { return tpl_ + last_; }
    // Consumes C when it comes next.
    bool skip(char c) {
        if (tpl_[t_] != c) return false;
        ++t_;
        return true;
    }
    // Copies the template up to the next "}" (consumed) or its end into OUT
    // (CAP bytes; the rest of a longer text is passed over): the name of
    // "%{name}".
    void take_braced(char *out, size_t cap);

  private:
    const char *tpl_;
    size_t t_ = 0;
    size_t last_ = 0;
};

// The directory of a path resource; "." when it is unset, empty or "none".
const char *dir_value(const char *resource);
// The position of the N-th separator of NAME counted from its end (a slash,
// or a colon as second character); -1 when there are fewer or N is 0.
long nth_separator_from_end(const char *name, int n);
// Reads a year of up to 4 digits, then month, day, hour and minute of up to
// 2 digits each, while digits follow; stores only the fields read. Returns
// the position after the digits.
const char *read_date_digits(const char *p, Date *d);

} // namespace vekfiles

#endif
