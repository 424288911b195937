// scanp.cpp - the pattern scanner: a scanf-like matcher for coded report text.
// A field width is exact unless written as a maximum ("<"), numbers may sit in
// blank-padded columns, a missing-value marker in the text yields -9999, and
// character sets and word alternations are directives of their own. A match
// never moves the caller's cursor: the caller commits it with scanp_inc when
// the count of matched directives is the one it wanted, and otherwise tries
// another pattern at the same place.
//
// The scanner keeps no state between calls. Each call works on the caller's
// parse_param and on its own stack; it allocates nothing.
//
// A directive is "%" ["*"] ["<"] [width] ["!" missing text "!"] letter.
//
// How hostile text and malformed patterns are met (each can only end a match
// early, never reach memory outside the text, the pattern or a destination):
// - Text set by scanp_set(param, str) ends at its first NUL. Text set with a
//   length (coded messages are bytes, not C strings) is exactly that many
//   bytes: a NUL inside it is a byte like any other, which no class but the
//   "any character" ones ("S", "c", "s" and negated sets) admits.
// - No directive collects more than 79 characters. Every field stops there,
//   as a word read by "s" does, and succeeds with what it has; the rest stays
//   in the text for the next pattern element. A number cut this way keeps its
//   first 79 characters (and its value saturates). An exact width above 79 can
//   therefore never be met, and an alternative longer than 79 characters
//   never matches.
// - Widths saturate at 99999.
// - A malformed directive fails like one that does not match: matching stops
//   there and done stays 0. Malformed are a "%" that ends the pattern (also
//   after "*", "<", a width or a missing text), a "[", "(" or "!" without its
//   closing character, and a missing text longer than 19 characters.
// - An unknown letter ends the directive and is matched as a pattern character
//   of its own; "%%" thus matches one "%".
// - A destination that does not suit its directive (missing, null, of the
//   wrong kind, or a char for a "c" wider than 1) is a programming error: it
//   is reported at class error, nothing is stored through it, and matching
//   stops at that directive.

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "numtext.h"
#include "scanp.h"
#include "vek.h"

namespace {

constexpr int FIELD_MAX = 79;        // characters one directive collects at most
constexpr int MISS_MAX = 19;         // characters of a missing text at most
constexpr int DEFAULT_WIDTH = 999;   // the width of a directive written without one
constexpr int WIDTH_LIMIT = 99999;   // larger widths saturate here
constexpr M_type TRACE = 0x80000000; // debug, sublevel d

bool is_alpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// The C white-space class: blank, tab, line feed, vertical tab, form feed, return.
bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
// What a pattern blank and "w" pass over: blank, line feed, carriage return, tab.
bool is_gap(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}
// What "W" passes over: the same without line feed.
bool is_line_gap(char c) {
    return c == ' ' || c == '\r' || c == '\t';
}

// A stretch of the pattern (set members, alternatives, a missing text).
struct Piece {
    const char *s = nullptr;
    int n = 0;
};

// Whether C belongs to SET, the members written between "[" (or "[^") and
// "]". "/A" admits any letter and "A", "/N" any digit and "N", "//" the "/";
// a "/" before anything else is a member itself. "-" is a member, not a range.
bool in_set(Piece set, char c) {
    for (int i = 0; i < set.n; ++i) {
        const char m = set.s[i];
        if (m == '/' && i + 1 < set.n) {
            const char e = set.s[i + 1];
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

// One directive as read from the pattern.
struct Directive {
    bool suppress = false;
    bool maximum = false;
    bool has_width = false;
    int width = 0;
    bool has_miss = false;
    Piece miss;
    char letter = '\0';
    bool negate = false;        // "[^"
    Piece body;                 // set members or alternatives
    const char *next = nullptr; // the pattern after the directive
};

enum class Parsed { ok, unknown, malformed };

// Reads the directive whose "%" precedes P. For an unknown letter, next is the
// letter itself.
Parsed parse_directive(const char *p, Directive &d) {
    if (*p == '*') {
        d.suppress = true;
        ++p;
    }
    if (*p == '<') {
        d.maximum = true;
        ++p;
    }
    for (; is_digit(*p); ++p) {
        d.has_width = true;
        d.width = std::min(d.width * 10 + (*p - '0'), WIDTH_LIMIT);
    }
    if (*p == '!') {
        const char *text = p + 1;
        int n = 0;
        while (n <= MISS_MAX && text[n] != '!' && text[n] != '\0') ++n;
        if (n > MISS_MAX || text[n] != '!') return Parsed::malformed;
        d.has_miss = true;
        d.miss = {text, n};
        p = text + n + 1;
    }
    d.letter = *p;
    switch (*p) {
    case '\0':
        return Parsed::malformed;
    case '[': {
        ++p;
        if (*p == '^') {
            d.negate = true;
            ++p;
        }
        const char *close = std::strchr(p, ']');
        if (!close) return Parsed::malformed;
        d.body = {p, static_cast<int>(close - p)};
        d.next = close + 1;
        return Parsed::ok;
    }
    case '(': {
        const char *close = std::strchr(p + 1, ')');
        if (!close) return Parsed::malformed;
        d.body = {p + 1, static_cast<int>(close - p - 1)};
        d.next = close + 1;
        return Parsed::ok;
    }
    case 'n':
    case 'A':
    case 's':
    case 'S':
    case 'c':
    case 'N':
    case 'd':
    case 'D':
    case 'f':
    case 'F':
    case 'w':
    case 'W':
        d.next = p + 1;
        return Parsed::ok;
    default:
        d.next = p;
        return Parsed::unknown;
    }
}

// Decimal conversion of "[white] [-] digits", saturating at the int range.
int to_int(const char *s, int n) {
    int i = 0;
    while (i < n && is_space(s[i])) ++i;
    const bool negative = i < n && s[i] == '-';
    if (negative) ++i;
    constexpr long long limit = static_cast<long long>(INT_MAX) + 1;
    long long v = 0;
    for (; i < n && is_digit(s[i]); ++i) v = std::min(v * 10 + (s[i] - '0'), limit);
    if (negative) v = -v;
    return clamp_int(v);
}

// The work of one scanp call.
class Match {
  public:
    Match(const parse_param *param, const char *pat, std::span<const scan_dest> dest)
        : text_(param->ptr), length_(param->length), start_(param->off), pos_(param->off),
          pat_(pat), dest_(dest), trace_(MESS_check(TRACE) != 0) {}

    // Walks the whole pattern; returns 1 when it reached the pattern's end.
    int run() {
        const char *p = pat_;
        while (*p != '\0') {
            const char *next = p + 1;
            bool go;
            if (*p == ' ') {
                const int n = count_run(INT_MAX, is_gap);
                pos_ += n;
                go = n > 0;
            } else if (*p != '%') {
                go = literal(*p);
            } else {
                Directive d;
                switch (parse_directive(p + 1, d)) {
                case Parsed::ok:
                    next = d.next;
                    go = directive(d);
                    break;
                case Parsed::unknown:
                    // The letter is a pattern character of its own; a second
                    // "%" is matched here so that it does not start a directive.
                    next = d.letter == '%' ? d.next + 1 : d.next;
                    go = d.letter == '%' ? literal('%') : true;
                    break;
                default:
                    next = p;
                    go = false;
                    break;
                }
            }
            if (trace_) MESS_print(TRACE, "     :%s:%.*s:\n", next, shown(pos_), text_ + pos_);
            if (!go) return 0;
            p = next;
        }
        return 1;
    }

    int consumed() const { return pos_ - start_; }
    // How much of the text from AT on a trace shows: at most 50 bytes, never
    // past the text's end (a text with a length needs no terminator).
    int shown(int at) const { return std::clamp(length_ - at, 0, 50); }
    int matched() const { return matched_; }
    int assigned() const { return assigned_; }
    bool tracing() const { return trace_; }

  private:
    // The text N characters after the input position, NUL at and past its end.
    char peek(int n) const { return n < length_ - pos_ ? text_[pos_ + n] : '\0'; }

    template <class In>
    int count_run(int limit, In in) const {
        int n = 0;
        const int left = length_ - pos_;
        while (n < limit && n < left && in(text_[pos_ + n])) ++n;
        return n;
    }

    bool literal(char c) {
        if (peek(0) != c) return false;
        ++pos_;
        return true;
    }

    // "[white] [-] digits [white]" (white space for D only). VALUE tells
    // whether a digit was found.
    int count_int(int limit, bool padded, bool &value) const {
        int n = 0;
        if (padded) n = count_run(limit, is_space);
        if (n < limit && peek(n) == '-') ++n;
        const int digits_at = n;
        while (n < limit && is_digit(peek(n))) ++n;
        value = n > digits_at;
        if (padded) {
            while (n < limit && is_space(peek(n))) ++n;
        }
        return n;
    }

    // "[white] [-] mantissa [exponent] [white]" (white space for F only): the
    // mantissa is digits with at most one ".", the exponent "e" or "E", an
    // optional sign and digits; without a digit there, the "e" stays in the
    // text. VALUE tells whether the mantissa has a digit or a point.
    int count_float(int limit, bool padded, bool &value) const {
        int n = 0;
        if (padded) n = count_run(limit, is_space);
        if (n < limit && peek(n) == '-') ++n;
        const int mantissa_at = n;
        bool point = false;
        for (char c; n < limit && (is_digit(c = peek(n)) || (c == '.' && !point)); ++n) {
            if (c == '.') point = true;
        }
        value = n > mantissa_at;
        if (value && n < limit && (peek(n) == 'e' || peek(n) == 'E')) {
            int k = n + 1;
            if (k < limit && (peek(k) == '+' || peek(k) == '-')) ++k;
            if (k < limit && is_digit(peek(k))) {
                n = k;
                while (n < limit && is_digit(peek(n))) ++n;
            }
        }
        if (padded) {
            while (n < limit && is_space(peek(n))) ++n;
        }
        return n;
    }

    // Matches one well-formed directive; false when matching stops.
    bool directive(const Directive &d) {
        int width = d.has_width ? d.width : (d.letter == 'c' ? 1 : DEFAULT_WIDTH);
        const bool exact = d.letter == 'c' ? !d.maximum : d.has_width && !d.maximum;
        const scan_dest *to = nullptr;
        if (!d.suppress) {
            to = take_destination(d, width);
            if (!to) return false;
            // "c" stores no terminator: it collects no more than the array holds.
            if (d.letter == 'c' && to->kind == scan_dest::CHARS && to->cap < size_t(width))
                width = static_cast<int>(to->cap);
        }
        if (d.letter == 'n') {
            ++matched_;
            if (to) store_int(to, consumed());
            return true;
        }
        if (d.letter == '(') return alternation(d, width, to);

        const int limit = std::min(width, FIELD_MAX);
        int count = 0;
        bool value = true;
        const bool number =
            d.letter == 'd' || d.letter == 'D' || d.letter == 'f' || d.letter == 'F';
        switch (d.letter) {
        case 's':
            count = count_run(limit, [](char c) { return !is_space(c); });
            break;
        case 'S':
        case 'c':
            count = count_run(limit, [](char) { return true; });
            break;
        case 'A':
            count = count_run(limit, is_alpha);
            break;
        case 'N':
            count = count_run(limit, is_digit);
            break;
        case 'w':
            count = count_run(limit, is_gap);
            break;
        case 'W':
            count = count_run(limit, is_line_gap);
            break;
        case '[':
            count = count_run(limit, [&](char c) { return in_set(d.body, c) != d.negate; });
            break;
        case 'd':
        case 'D':
            count = count_int(limit, d.letter == 'D', value);
            break;
        default: // f, F
            count = count_float(limit, d.letter == 'F', value);
            break;
        }
        if (count == 0) value = false;
        if (!value && number && d.has_miss) return missing(d, width, to);
        if (exact && count != width) return false;
        if (!value) return false;

        ++matched_;
        if (to) {
            const char *field = text_ + pos_;
            switch (d.letter) {
            case 'd':
            case 'D':
                store_int(to, to_int(field, count));
                break;
            case 'f':
            case 'F': {
                char scratch[FIELD_MAX + 1];
                std::memcpy(scratch, field, size_t(count));
                scratch[count] = '\0';
                store_float(to, std::strtof(scratch, nullptr));
                break;
            }
            case 'c':
                store_chars(to, field, count);
                break;
            default:
                store_string(to, field, count);
                break;
            }
        }
        pos_ += count;
        return true;
    }

    // A number directive that found no number: when the missing text stands
    // at this point within the width, it is consumed and yields the missing
    // value; otherwise the directive is passed over. Matching goes on.
    bool missing(const Directive &d, int width, const scan_dest *to) {
        if (d.miss.n > width) return true;
        for (int i = 0; i < d.miss.n; ++i) {
            if (peek(i) != d.miss.s[i]) return true;
        }
        ++matched_;
        if (to && to->kind == scan_dest::INT) store_int(to, VEK_MISS);
        if (to && to->kind == scan_dest::FLOAT) store_float(to, VEK_FMISS);
        pos_ += d.miss.n;
        return true;
    }

    // "(" ... ")": the first alternative equal to the text here; else the
    // missing text's equal leading part (storing ""), else nothing at all for
    // an optional directive ("<" without width).
    bool alternation(const Directive &d, int width, const scan_dest *to) {
        const char *alt = d.body.s;
        const char *const end = d.body.s + d.body.n;
        for (;;) {
            const char *bar = std::find(alt, end, '|');
            const int n = static_cast<int>(bar - alt);
            int i = 0;
            if (n <= FIELD_MAX) {
                while (i < n && peek(i) == alt[i]) ++i;
            }
            if (i == n && n <= FIELD_MAX) {
                ++matched_;
                if (to) store_string(to, alt, n);
                pos_ += n;
                return true;
            }
            if (bar == end) break;
            alt = bar + 1;
        }
        if (d.has_miss) {
            const int limit = std::min(width, d.miss.n);
            int i = 0;
            while (i < limit && peek(i) == d.miss.s[i]) ++i;
            ++matched_;
            if (to) store_string(to, "", 0);
            pos_ += i;
            return true;
        }
        if (d.maximum && !d.has_width) {
            ++matched_;
            if (to) ++assigned_;
            return true;
        }
        return false;
    }

    // The next destination, when it suits directive D of width WIDTH; else
    // reports the fault and returns null.
    const scan_dest *take_destination(const Directive &d, int width) {
        const size_t index = next_dest_++;
        const char *want;
        bool ok = false;
        const scan_dest *to = index < dest_.size() ? &dest_[index] : nullptr;
        switch (d.letter) {
        case 'n':
        case 'd':
        case 'D':
            want = "an int";
            ok = to && to->kind == scan_dest::INT;
            break;
        case 'f':
        case 'F':
            want = "a float";
            ok = to && to->kind == scan_dest::FLOAT;
            break;
        case 'c':
            want = "a char array, or a char for a width of 1";
            ok = to && ((to->kind == scan_dest::CHAR && width == 1) ||
                        (to->kind == scan_dest::CHARS && to->cap > 0));
            break;
        default:
            want = "a char array";
            ok = to && to->kind == scan_dest::CHARS && to->cap > 0;
            break;
        }
        if (ok && to->ptr) return to;
        if (!to) {
            MESS_print(M_ERROR, "scanp: no destination %zu for %%%c in pattern \"%.60s\"\n",
                       index + 1, d.letter, pat_);
        } else {
            MESS_print(M_ERROR, "scanp: destination %zu for %%%c in pattern \"%.60s\" must be %s\n",
                       index + 1, d.letter, pat_, want);
        }
        return nullptr;
    }

    void store_int(const scan_dest *to, int v) {
        *static_cast<int *>(to->ptr) = v;
        ++assigned_;
    }

    void store_float(const scan_dest *to, float v) {
        *static_cast<float *>(to->ptr) = v;
        ++assigned_;
    }

    // A string, cut to fit and always terminated.
    void store_string(const scan_dest *to, const char *s, int n) {
        const size_t k = std::min(size_t(n), to->cap - 1);
        char *out = static_cast<char *>(to->ptr);
        std::memmove(out, s, k);
        out[k] = '\0';
        ++assigned_;
    }

    // Exactly the N collected characters, no terminator (N fits: the width
    // was bounded by the room).
    void store_chars(const scan_dest *to, const char *s, int n) {
        std::memmove(to->ptr, s, size_t(n));
        ++assigned_;
    }

    const char *text_;
    int length_;
    int start_;
    int pos_;
    const char *pat_;
    std::span<const scan_dest> dest_;
    size_t next_dest_ = 0;
    int matched_ = 0;
    int assigned_ = 0;
    bool trace_;
};

// The cursor held inside the text.
int clamp_offset(const parse_param *param, long long off) {
    return static_cast<int>(std::clamp<long long>(off, 0, std::max(param->length, 0)));
}

} // namespace

int scanp_list(parse_param *param, const char *pat, std::span<const scan_dest> dest) {
    if (!param) return -1;
    param->len = 0;
    param->assigned = 0;
    param->matched = 0;
    param->done = 0;
    if (!pat || *pat == '\0' || !param->ptr || param->off < 0 || param->off >= param->length)
        return -1;

    Match m(param, pat, dest);
    param->done = m.run();
    param->len = m.consumed();
    param->assigned = m.assigned();
    param->matched = m.matched();
    if (m.tracing()) {
        MESS_print(TRACE, "SCANP:%.*s:%s:%d:%d:%d:%d:%d\n", m.shown(param->off),
                   param->ptr + param->off, pat, param->off, param->len, param->done,
                   param->assigned, param->matched);
    }
    return param->matched;
}

// Also clears the results of the last match, so that a scanp_inc right after
// scanp_set does not move the new cursor. A null text is taken as "".
int scanp_set(parse_param *param, const char *str) {
    return scanp_set(param, str, str ? static_cast<int>(strnlen(str, INT_MAX)) : 0);
}

// The LENGTH bytes at STR, NUL bytes included; no terminator is needed. A
// negative length counts as 0.
int scanp_set(parse_param *param, const char *str, int length) {
    if (!param) return 1;
    if (!str) {
        str = "";
        length = 0;
    }
    param->ptr = str;
    param->length = std::max(length, 0);
    param->off = 0;
    param->len = 0;
    param->assigned = 0;
    param->matched = 0;
    param->done = 0;
    return 1;
}

// The cursor never leaves the text: it stops at its start or its end.
int scanp_inc(parse_param *param) {
    if (param) param->off = clamp_offset(param, static_cast<long long>(param->off) + param->len);
    return 1;
}

int scanp_inc_off(parse_param *param, int off) {
    if (param) param->off = clamp_offset(param, static_cast<long long>(param->off) + off);
    return 1;
}

const char *scanp_str(parse_param *param) {
    if (!param || !param->ptr) return "";
    return param->ptr + clamp_offset(param, param->off);
}

// '\0' for any place before the text's start or at or past its end.
char scanp_char(parse_param *param, int off) {
    if (!param || !param->ptr) return '\0';
    const long long at = static_cast<long long>(param->off) + off;
    if (at < 0 || at >= param->length) return '\0';
    return param->ptr[at];
}

// Searches the whole text (its bytes up to its length, NULs included), not
// only what follows the cursor. An empty STR is never found.
int scanp_search(parse_param *param, const char *str) {
    if (!param || !param->ptr || !str || *str == '\0' || param->length <= 0) return 0;
    const std::string_view text(param->ptr, static_cast<size_t>(param->length));
    const size_t hit = text.find(str);
    if (hit == std::string_view::npos) return 0;
    param->off = static_cast<int>(hit);
    return 1;
}
