// scanp.h - the pattern scanner: an extended scanf-style matcher over a text
// with a try-then-commit cursor, on which all bulletin decoding rests. Each
// destination is typed, and a char array carries its capacity, so a string
// directive never writes past the field it fills.
#ifndef SCANP_H
#define SCANP_H

#include <cstddef>
#include <span>

// The cursor over one text of LENGTH bytes; the caller owns the record and
// the text.
struct parse_param {
    const char *ptr;
    int length;
    int off;
    int len;
    int assigned;
    int matched;
    int done;
};

// One typed destination of a scanp call. CHAR and CHARS carry the room at ptr.
struct scan_dest {
    enum kind_t { INT, FLOAT, CHAR, CHARS } kind;
    void *ptr;
    size_t cap;
};
inline scan_dest scan_to(int *p) {
    return {scan_dest::INT, p, 0};
}
inline scan_dest scan_to(float *p) {
    return {scan_dest::FLOAT, p, 0};
}
inline scan_dest scan_to(char &c) {
    return {scan_dest::CHAR, &c, 1};
}
template <size_t N>
scan_dest scan_to(char (&a)[N]) {
    return {scan_dest::CHARS, a, N};
}

// A pattern read once into the program the scanner runs. Patterns given as
// text are read on their first use and kept by their address; a decoder
// that names its patterns as "..."_pat literals has each read once, when it
// is first met, and never looked up again.
class scanp_pattern {
  public:
    explicit scanp_pattern(const char *text);
    ~scanp_pattern();
    scanp_pattern(const scanp_pattern &) = delete;
    scanp_pattern &operator=(const scanp_pattern &) = delete;
    const struct scanp_program &program() const { return *prog_; }

  private:
    struct scanp_program *prog_;
};

int scanp_list(parse_param *param, const char *pat, std::span<const scan_dest> dest);
int scanp_list(parse_param *param, const scanp_pattern &pat, std::span<const scan_dest> dest);

// Matches PAT at the cursor; one destination per directive that is not
// suppressed. Returns the number of directives matched, -1 for an empty
// pattern or a cursor at the end. Never moves the cursor.
template <class Pattern, class... Dest>
int scanp(parse_param *param, const Pattern &pat, Dest &&...dest) {
    if constexpr (sizeof...(Dest) == 0) {
        return scanp_list(param, pat, {});
    } else {
        const scan_dest list[] = {scan_to(dest)...};
        return scanp_list(param, pat, {list, sizeof...(Dest)});
    }
}

// The text of a pattern literal, as a template argument.
template <size_t N>
struct scanp_text {
    char s[N];
    constexpr scanp_text(const char (&text)[N]) {
        for (size_t i = 0; i < N; ++i) s[i] = text[i];
    }
};

// "..."_pat: the pattern of a literal, read once.
template <scanp_text T>
const scanp_pattern &operator""_pat() {
    static const scanp_pattern pattern(T.s);
    return pattern;
}
int scanp_set(parse_param *param, const char *str);
// Scans the LENGTH bytes at STR, NUL bytes included (coded messages are bytes,
// not C strings); STR needs no terminator.
int scanp_set(parse_param *param, const char *str, int length);
int scanp_inc(parse_param *param);
int scanp_inc_off(parse_param *param, int off);
const char *scanp_str(parse_param *param);
char scanp_char(parse_param *param, int off);
int scanp_search(parse_param *param, const char *str);

#endif
