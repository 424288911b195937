// scanp_steps.h - the inside of the pattern scanner, shared by the scanner's
// unit (scanp.cpp) and by the patterns compiled where the decoders write
// them ("..."_pat, scanp.h): how a pattern is read into steps, and how a step
// is matched. The same reading and the same matching serve both, so a
// pattern matches alike whichever way it is given.
//
// A pattern is a list of steps, one per step of the match: a pattern blank,
// a pattern character, a directive, the empty step of an unknown letter, or
// the stop at a malformed directive. A directive knows beforehand what it
// collects (a run of a class of bytes, a number, an alternative, the count
// consumed), its width and the destination it needs. Everything here can run
// at compile time.
#ifndef SCANP_STEPS_H
#define SCANP_STEPS_H

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#include "numtext.h"

namespace scanp_detail {

constexpr int FIELD_MAX = 79;      // characters one directive collects at most
constexpr int MISS_MAX = 19;       // characters of a missing text at most
constexpr int DEFAULT_WIDTH = 999; // the width of a directive written without one
constexpr int WIDTH_LIMIT = 99999; // larger widths saturate here

constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
constexpr bool is_alpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// The C white-space class: blank, tab, line feed, vertical tab, form feed, return.
constexpr bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
// What a pattern blank and "w" pass over: blank, line feed, carriage return, tab.
constexpr bool is_gap(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}
// What "W" passes over: the same without line feed.
constexpr bool is_line_gap(char c) {
    return c == ' ' || c == '\r' || c == '\t';
}

// A class of bytes: a table of the 256 byte values.
using ByteClass = std::array<bool, 256>;

template <class In>
constexpr ByteClass class_of(In in) {
    ByteClass c{};
    for (int b = 0; b < 256; ++b) c[b] = in(static_cast<char>(b));
    return c;
}
inline constexpr ByteClass SPACES = class_of(is_space);
inline constexpr ByteClass WORD_BYTES = class_of([](char c) { return !is_space(c); });
inline constexpr ByteClass ANY_BYTE = class_of([](char) { return true; });
inline constexpr ByteClass LETTERS = class_of(is_alpha);
inline constexpr ByteClass DIGITS = class_of(is_digit);
inline constexpr ByteClass GAPS = class_of(is_gap);
inline constexpr ByteClass LINE_GAPS = class_of(is_line_gap);

// The first C in TEXT from FROM on, or npos. (string_view::find is not a
// constant expression in every build: GCC 12 refuses it under the undefined
// behaviour sanitizer.)
constexpr size_t find_char(std::string_view text, char c, size_t from = 0) {
    for (size_t i = from; i < text.size(); ++i)
        if (text[i] == c) return i;
    return std::string_view::npos;
}

// Whether C belongs to SET, the members written between "[" (or "[^") and
// "]". "/A" admits any letter and "A", "/N" any digit and "N", "//" the "/";
// a "/" before anything else is a member itself. "-" is a member, not a range.
constexpr bool in_set(std::string_view set, char c) {
    for (size_t i = 0; i < set.size(); ++i) {
        const char m = set[i];
        if (m == '/' && i + 1 < set.size()) {
            const char e = set[i + 1];
            if (e == 'A' || e == 'N' || e == '/') {
                ++i;
                if (c == e || (e == 'A' && is_alpha(c)) || (e == 'N' && is_digit(c))) return true;
                continue;
            }
        }
        if (c == m) return true;
    }
    return false;
}

// The class of the members of a set, or of everything else (NEGATE).
constexpr ByteClass set_class(std::string_view members, bool negate) {
    return class_of([&](char c) { return in_set(members, c) != negate; });
}

// The kind of destination a directive needs.
enum class Need : unsigned char { INT, FLOAT, CHARS };

struct Step {
    enum Kind : unsigned char { GAP, LITERAL, FIELD, SKIP, STOP } kind = STOP;
    // What a directive collects: a run of a class, a number (P: with blanks
    // around it), an alternative, or the count consumed.
    enum Field : unsigned char { RUN, INT, PINT, FLOAT, PFLOAT, ALTERNATIVE, COUNT } field = RUN;
    char c = '\0'; // LITERAL: the character; FIELD: the directive letter
    bool suppress = false;
    bool maximum = false;
    bool has_width = false;
    bool has_miss = false;
    bool exact = false;
    Need need = Need::CHARS;
    int width = 0;                    // the width, or the default of the letter
    int next = 0;                     // where the pattern goes on after the step (for traces)
    const ByteClass *cls = &ANY_BYTE; // RUN: the bytes it collects, unless a set
    int set = -1;                     // RUN of "[": its class among the pattern's sets
    std::string_view miss;            // the missing text
    std::string_view alternatives;    // "(": the alternatives, "|" between them
    std::string_view members;         // "[": the members
    bool negate = false;              // "[^"
};

// Reads the directive whose "%" stands before P in PAT into S. Returns where
// the pattern goes on (for an unknown letter, the letter itself); a kind of
// STOP for a malformed directive, SKIP (or a LITERAL "%") for an unknown
// letter.
constexpr size_t read_directive(std::string_view pat, size_t p, Step &s) {
    auto at = [&](size_t i) { return i < pat.size() ? pat[i] : '\0'; };
    s.kind = Step::FIELD;
    if (at(p) == '*') s.suppress = true, ++p;
    if (at(p) == '<') s.maximum = true, ++p;
    for (; is_digit(at(p)); ++p) {
        s.has_width = true;
        s.width = std::min(s.width * 10 + (at(p) - '0'), WIDTH_LIMIT);
    }
    if (at(p) == '!') {
        const size_t text = p + 1;
        size_t n = 0;
        while (n <= size_t(MISS_MAX) && at(text + n) != '!' && at(text + n) != '\0') ++n;
        if (n > size_t(MISS_MAX) || at(text + n) != '!') return s.kind = Step::STOP, p;
        s.has_miss = true;
        s.miss = pat.substr(text, n);
        p = text + n + 1;
    }
    s.c = at(p);
    switch (s.c) {
    case '\0':
        s.kind = Step::STOP;
        return p;
    case '[': {
        ++p;
        if (at(p) == '^') s.negate = true, ++p;
        const size_t close = find_char(pat, ']', p);
        if (close == std::string_view::npos) return s.kind = Step::STOP, p;
        s.members = pat.substr(p, close - p);
        return close + 1;
    }
    case '(': {
        const size_t close = find_char(pat, ')', p + 1);
        if (close == std::string_view::npos) return s.kind = Step::STOP, p;
        s.alternatives = pat.substr(p + 1, close - p - 1);
        s.field = Step::ALTERNATIVE;
        return close + 1;
    }
    case 'n':
        s.field = Step::COUNT, s.need = Need::INT;
        break;
    case 'd':
        s.field = Step::INT, s.need = Need::INT;
        break;
    case 'D':
        s.field = Step::PINT, s.need = Need::INT;
        break;
    case 'f':
        s.field = Step::FLOAT, s.need = Need::FLOAT;
        break;
    case 'F':
        s.field = Step::PFLOAT, s.need = Need::FLOAT;
        break;
    case 's':
        s.cls = &WORD_BYTES;
        break;
    case 'A':
        s.cls = &LETTERS;
        break;
    case 'N':
        s.cls = &DIGITS;
        break;
    case 'w':
        s.cls = &GAPS;
        break;
    case 'W':
        s.cls = &LINE_GAPS;
        break;
    case 'S':
    case 'c':
        break;
    default:
        // The letter is a pattern character of its own; a second "%" is
        // matched here so that it does not start a directive.
        s.kind = s.c == '%' ? Step::LITERAL : Step::SKIP;
        return s.c == '%' ? p + 1 : p;
    }
    return p + 1;
}

// Reads the step at P of PAT into S (its sets numbered on from SETS) and
// returns where the pattern goes on.
constexpr size_t read_step(std::string_view pat, size_t p, Step &s, int &sets) {
    s = Step{};
    size_t next = p + 1;
    if (pat[p] == ' ') {
        s.kind = Step::GAP;
    } else if (pat[p] != '%') {
        s.kind = Step::LITERAL;
        s.c = pat[p];
    } else {
        next = read_directive(pat, p + 1, s);
        if (s.kind == Step::STOP) next = p;
        if (s.kind == Step::LITERAL || s.kind == Step::SKIP) s.c = '%';
    }
    if (s.kind == Step::FIELD) {
        s.width = s.has_width ? s.width : (s.c == 'c' ? 1 : DEFAULT_WIDTH);
        s.exact = s.c == 'c' ? !s.maximum : s.has_width && !s.maximum;
        if (s.c == '[') s.set = sets++;
    }
    s.next = static_cast<int>(next);
    return next;
}

// Reads every step of PAT, handing each to EMIT (with the set's class for a
// set). Reading ends at the pattern's end or at a STOP.
template <class Emit>
constexpr void read_steps(std::string_view pat, Emit emit) {
    int sets = 0;
    for (size_t p = 0; p < pat.size();) {
        Step s;
        p = read_step(pat, p, s, sets);
        emit(s);
        if (s.kind == Step::STOP) return;
    }
}

// ---------------------------------------------------------------------------
// Matching
// ---------------------------------------------------------------------------

// The text of one match: LENGTH bytes at S.
struct Text {
    const unsigned char *s;
    int length;

    // The byte N after POS, NUL at and past the end.
    [[gnu::always_inline]] unsigned char at(int pos, int n) const {
        return n < length - pos ? s[pos + n] : 0;
    }
    // From N bytes after POS on, the bytes of class CLS while the field is
    // shorter than LIMIT: N plus their count.
    [[gnu::always_inline]] int run(int pos, int n, int limit, const ByteClass &cls) const {
        const int stop = std::min(limit, length - pos);
        while (n < stop && cls[s[pos + n]]) ++n;
        return n;
    }
    // Whether WORD stands at POS. The words are short: a loop does it faster
    // than a call.
    [[gnu::always_inline]] bool has(int pos, std::string_view word) const {
        if (word.size() > size_t(length - pos)) return false;
        for (size_t i = 0; i < word.size(); ++i)
            if (s[pos + i] != static_cast<unsigned char>(word[i])) return false;
        return true;
    }
    const char *chars(int pos) const { return reinterpret_cast<const char *>(s) + pos; }
};

// Where a match stands: the input position, the directives matched, the
// values stored and the next destination. Kept apart from what the
// destinations point to, so that it stays in registers.
struct Cursor {
    int pos;
    int matched = 0;
    int assigned = 0;
    size_t dest = 0;
};

// One match of a pattern over a text: what every step needs besides itself.
struct Run {
    Text text;
    int start;                       // where the match began
    std::span<const scan_dest> dest; // the destinations, in order
    const char *pattern;             // the pattern's text, for traces and faults
    const ByteClass *sets;           // the classes of its sets
    bool trace;
};

// Reports a destination that does not suit directive S (not there, null, or
// of the wrong kind). Defined in scanp.cpp.
void wrong_destination(const Run &run, const Step &s, size_t index, const scan_dest *to);
// Traces a step: the rest of the pattern and the next input.
void trace_step(const Run &run, const Step &s, int pos);
// The float of the COUNT characters at FIELD.
float float_of(const char *field, int count);

// Matching a step is inlined wherever it is called, so that a step known at
// compile time (a pattern literal's) is matched by code of its own, its
// kind, width and classes folded in.
#define SCANP_INLINE [[gnu::always_inline]] inline

constexpr long long INT_LIMIT = static_cast<long long>(INT_MAX) + 1;

// The value of the N digits at D; at most 9 cannot leave the range of int.
SCANP_INLINE long long digits_value(const unsigned char *d, int n) {
    long long x = 0;
    if (n <= 9) {
        for (int i = 0; i < n; ++i) x = x * 10 + (d[i] - '0');
        return x;
    }
    for (int i = 0; i < n; ++i) x = std::min(x * 10 + (d[i] - '0'), INT_LIMIT);
    return x;
}

// "[white] [-] digits [white]" (white space when PADDED) at POS: its length,
// its value into *V (saturating at the range of int), and in VALUE whether
// it has a digit.
SCANP_INLINE int count_int(const Text &t, int pos, int limit, bool padded, bool &value, int *v) {
    int n = padded ? t.run(pos, 0, limit, SPACES) : 0;
    const bool negative = n < limit && t.at(pos, n) == '-';
    const int digits_at = n + negative;
    n = t.run(pos, digits_at, limit, DIGITS);
    value = n > digits_at;
    const long long x = digits_value(t.s + pos + digits_at, n - digits_at);
    if (padded) n = t.run(pos, n, limit, SPACES);
    *v = clamp_int(negative ? -x : x);
    return n;
}

// "[white] [-] mantissa [exponent] [white]" (white space when PADDED): the
// mantissa is digits with at most one ".", the exponent "e" or "E", an
// optional sign and digits; without a digit there, the "e" stays in the text.
// VALUE tells whether the mantissa has a digit or a point.
SCANP_INLINE int count_float(const Text &t, int pos, int limit, bool padded, bool &value) {
    int n = padded ? t.run(pos, 0, limit, SPACES) : 0;
    if (n < limit && t.at(pos, n) == '-') ++n;
    const int mantissa_at = n;
    bool point = false;
    for (unsigned char c;
         n < limit && (is_digit(static_cast<char>(c = t.at(pos, n))) || (c == '.' && !point));
         ++n) {
        if (c == '.') point = true;
    }
    value = n > mantissa_at;
    if (value && n < limit && (t.at(pos, n) == 'e' || t.at(pos, n) == 'E')) {
        int k = n + 1;
        if (k < limit && (t.at(pos, k) == '+' || t.at(pos, k) == '-')) ++k;
        if (k < limit && is_digit(static_cast<char>(t.at(pos, k))))
            n = t.run(pos, k, limit, DIGITS);
    }
    if (padded) n = t.run(pos, n, limit, SPACES);
    return n;
}

// A string, cut to fit and always terminated.
SCANP_INLINE void store_string(const scan_dest *to, const char *s, size_t n) {
    const size_t k = std::min(n, to->cap - 1);
    char *out = static_cast<char *>(to->ptr);
    if (out + k <= s || out >= s + k) // the usual short word: a loop beats the call
        for (size_t i = 0; i < k; ++i) out[i] = s[i];
    else
        std::memmove(out, s, k);
    out[k] = '\0';
}

SCANP_INLINE void store_int(const scan_dest *to, int v, Cursor &c) {
    *static_cast<int *>(to->ptr) = v;
    ++c.assigned;
}

SCANP_INLINE void store_float(const scan_dest *to, float v, Cursor &c) {
    *static_cast<float *>(to->ptr) = v;
    ++c.assigned;
}

// The next destination, when it suits directive S of width WIDTH; else
// reports the fault and returns null.
SCANP_INLINE const scan_dest *destination(const Run &run, const Step &s, int width, Cursor &c) {
    const size_t index = c.dest++;
    const scan_dest *to = index < run.dest.size() ? &run.dest[index] : nullptr;
    if (to && to->ptr) {
        switch (s.need) {
        case Need::INT:
            if (to->kind == scan_dest::INT) return to;
            break;
        case Need::FLOAT:
            if (to->kind == scan_dest::FLOAT) return to;
            break;
        default:
            if (to->kind == scan_dest::CHARS && to->cap > 0) return to;
            // A "c" of width 1 may also fill a single char.
            if (s.c == 'c' && to->kind == scan_dest::CHAR && width == 1) return to;
            break;
        }
    }
    wrong_destination(run, s, index, to);
    return nullptr;
}

// A number directive that found no number: when the missing text stands at
// this point within the width, it is consumed and yields the missing value;
// otherwise the directive is passed over. Matching goes on.
SCANP_INLINE bool missing(const Run &run, const Step &s, int width, const scan_dest *to,
                          Cursor &c) {
    const int n = static_cast<int>(s.miss.size());
    if (n > width || !run.text.has(c.pos, s.miss)) return true;
    ++c.matched;
    if (to && to->kind == scan_dest::INT) store_int(to, -9999, c);
    if (to && to->kind == scan_dest::FLOAT) store_float(to, -9999.0f, c);
    c.pos += n;
    return true;
}

// "(" ... ")": the first alternative equal to the text here; else the
// missing text's equal leading part (storing ""), else nothing at all for an
// optional directive ("<" without width).
SCANP_INLINE bool alternation(const Run &run, const Step &s, int width, const scan_dest *to,
                              Cursor &c) {
    for (std::string_view rest = s.alternatives;;) {
        const size_t bar = find_char(rest, '|');
        const std::string_view alt = rest.substr(0, bar);
        if (alt.size() <= size_t(FIELD_MAX) && run.text.has(c.pos, alt)) {
            ++c.matched;
            if (to) store_string(to, alt.data(), alt.size()), ++c.assigned;
            c.pos += static_cast<int>(alt.size());
            return true;
        }
        if (bar == std::string_view::npos) break;
        rest.remove_prefix(bar + 1);
    }
    if (s.has_miss) {
        const int limit = std::min(width, static_cast<int>(s.miss.size()));
        int i = 0;
        while (i < limit && run.text.at(c.pos, i) == static_cast<unsigned char>(s.miss[size_t(i)]))
            ++i;
        ++c.matched;
        if (to) store_string(to, "", 0), ++c.assigned;
        c.pos += i;
        return true;
    }
    if (s.maximum && !s.has_width) {
        ++c.matched;
        if (to) ++c.assigned;
        return true;
    }
    return false;
}

// Matches one well-formed directive; false when matching stops.
SCANP_INLINE bool directive(const Run &run, const Step &s, Cursor &c) {
    int width = s.width;
    const scan_dest *to = nullptr;
    if (!s.suppress) {
        to = destination(run, s, width, c);
        if (!to) return false;
        // "c" stores no terminator: it collects no more than the array holds.
        if (s.c == 'c' && to->kind == scan_dest::CHARS && to->cap < size_t(width))
            width = static_cast<int>(to->cap);
    }
    const int limit = std::min(width, FIELD_MAX);
    bool value = true;
    int number = 0, count;
    switch (s.field) {
    case Step::RUN: {
        const ByteClass &cls = s.set >= 0 ? run.sets[s.set] : *s.cls;
        count = run.text.run(c.pos, 0, limit, cls);
        if (count == 0 || (s.exact && count != width)) return false;
        ++c.matched;
        if (to) {
            if (s.c == 'c')
                std::memmove(to->ptr, run.text.chars(c.pos), size_t(count)); // no terminator
            else
                store_string(to, run.text.chars(c.pos), size_t(count));
            ++c.assigned;
        }
        c.pos += count;
        return true;
    }
    case Step::COUNT:
        ++c.matched;
        if (to) store_int(to, c.pos - run.start, c);
        return true;
    case Step::ALTERNATIVE:
        return alternation(run, s, width, to, c);
    case Step::INT:
    case Step::PINT:
        count = count_int(run.text, c.pos, limit, s.field == Step::PINT, value, &number);
        break;
    default: // FLOAT, PFLOAT
        count = count_float(run.text, c.pos, limit, s.field == Step::PFLOAT, value);
        break;
    }
    if (count == 0) value = false;
    if (!value && s.has_miss) return missing(run, s, width, to, c);
    if ((s.exact && count != width) || !value) return false;

    ++c.matched;
    if (to && (s.field == Step::INT || s.field == Step::PINT))
        store_int(to, number, c);
    else if (to)
        store_float(to, float_of(run.text.chars(c.pos), count), c);
    c.pos += count;
    return true;
}

// Matches step S at the cursor; false when matching stops there.
SCANP_INLINE bool match_step(const Run &run, const Step &s, Cursor &c) {
    bool go;
    switch (s.kind) {
    case Step::GAP: {
        const int n = run.text.run(c.pos, 0, INT_MAX, GAPS);
        c.pos += n;
        go = n > 0;
        break;
    }
    case Step::LITERAL:
        go = run.text.at(c.pos, 0) == static_cast<unsigned char>(s.c);
        c.pos += go;
        break;
    case Step::FIELD:
        go = directive(run, s, c);
        break;
    case Step::SKIP:
        go = true;
        break;
    default:
        go = false;
        break;
    }
    if (run.trace) trace_step(run, s, c.pos);
    return go;
}

// Starts a match of PARAM's text: the results of the last one are cleared.
// False when there is nothing to match (no text, an empty pattern, a cursor
// at or past the end).
inline bool begin(parse_param *param, bool empty_pattern) {
    if (!param) return false;
    param->len = 0;
    param->assigned = 0;
    param->matched = 0;
    param->done = 0;
    return !empty_pattern && param->ptr && param->off >= 0 && param->off < param->length;
}
// Traces the end of a match.
void trace_match(const parse_param *param, const Run &run);
// Ends a match: its results into PARAM (traced); returns the directives
// matched.
inline int finish(parse_param *param, const Run &run, const Cursor &c, bool done) {
    param->done = done;
    param->len = c.pos - param->off;
    param->assigned = c.assigned;
    param->matched = c.matched;
    if (run.trace) trace_match(param, run);
    return param->matched;
}
// Whether the scanner's traces are selected.
bool tracing();

// A pattern literal read at compile time: its steps and the classes of its
// sets.
template <size_t N>
struct Literal {
    std::array<Step, N ? N : 1> steps{};
    size_t count = 0;
};

} // namespace scanp_detail

#endif
