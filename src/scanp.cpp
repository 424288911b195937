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
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "numtext.h"
#include "scanp.h"
#include "vek.h"

namespace {

constexpr int FIELD_MAX = 79;        // characters one directive collects at most
constexpr int MISS_MAX = 19;         // characters of a missing text at most
constexpr int DEFAULT_WIDTH = 999;   // the width of a directive written without one
constexpr int WIDTH_LIMIT = 99999;   // larger widths saturate here
constexpr M_type TRACE = 0x80000000; // debug, sublevel d

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

// ---------------------------------------------------------------------------
// The compiled pattern
//
// A pattern is read once into a program of steps, one per step of the match:
// a pattern blank, a pattern character, a directive, the empty step of an
// unknown letter, or the stop at a malformed directive. Each directive knows
// beforehand what it collects (a run of a class of bytes, a number, an
// alternative, the count), its width and the destination it needs; a class
// is a table of the 256 byte values. Programs are kept by the address of
// their pattern text, checked against its characters, so that the decoders'
// literal patterns are read once per process.
// ---------------------------------------------------------------------------

using ByteClass = std::array<bool, 256>;

template <class In>
constexpr ByteClass class_of(In in) {
    ByteClass c{};
    for (int b = 0; b < 256; ++b) c[b] = in(static_cast<char>(b));
    return c;
}
constexpr ByteClass SPACES = class_of(is_space);
constexpr ByteClass WORD_BYTES = class_of([](char c) { return !is_space(c); });
constexpr ByteClass ANY_BYTE = class_of([](char) { return true; });
constexpr ByteClass LETTERS = class_of(is_alpha);
constexpr ByteClass DIGITS = class_of([](char c) { return is_digit(c); });
constexpr ByteClass GAPS = class_of(is_gap);
constexpr ByteClass LINE_GAPS = class_of(is_line_gap);

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
    int width = 0;                    // the width, or the default of the letter
    int next = 0;                     // where the pattern goes on after the step (for traces)
    const ByteClass *cls = &ANY_BYTE; // RUN: the bytes it collects
    std::string miss;                 // the missing text
    std::vector<std::string> alternatives;
};

} // namespace

struct scanp_program {
    std::string text;
    std::vector<Step> steps;
    std::vector<std::unique_ptr<ByteClass>> sets; // the classes of "[" directives
};

namespace {

using Program = scanp_program;

// What directive D collects, and from which class.
void field_kind(const Directive &d, Program &prog, Step &s) {
    switch (d.letter) {
    case 'n':
        s.field = Step::COUNT;
        break;
    case '(':
        s.field = Step::ALTERNATIVE;
        break;
    case 'd':
        s.field = Step::INT;
        break;
    case 'D':
        s.field = Step::PINT;
        break;
    case 'f':
        s.field = Step::FLOAT;
        break;
    case 'F':
        s.field = Step::PFLOAT;
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
    case '[': {
        auto set = std::make_unique<ByteClass>();
        for (int c = 0; c < 256; ++c) (*set)[c] = in_set(d.body, static_cast<char>(c)) != d.negate;
        s.cls = set.get();
        prog.sets.push_back(std::move(set));
        break;
    }
    default: // S, c: any byte
        break;
    }
}

Step field_step(const Directive &d, Program &prog) {
    Step s;
    s.kind = Step::FIELD;
    s.c = d.letter;
    s.suppress = d.suppress;
    s.maximum = d.maximum;
    s.has_width = d.has_width;
    s.width = d.has_width ? d.width : (d.letter == 'c' ? 1 : DEFAULT_WIDTH);
    s.exact = d.letter == 'c' ? !d.maximum : d.has_width && !d.maximum;
    s.has_miss = d.has_miss;
    if (d.has_miss) s.miss.assign(d.miss.s, static_cast<size_t>(d.miss.n));
    field_kind(d, prog, s);
    if (d.letter == '(') {
        const char *alt = d.body.s;
        const char *const end = d.body.s + d.body.n;
        for (;;) {
            const char *bar = std::find(alt, end, '|');
            s.alternatives.emplace_back(alt, bar);
            if (bar == end) break;
            alt = bar + 1;
        }
    }
    return s;
}

Program compile(const char *pat) {
    Program prog;
    prog.text = pat;
    const char *base = prog.text.c_str();
    const char *p = base;
    while (*p != '\0') {
        Step s;
        const char *next = p + 1;
        if (*p == ' ') {
            s.kind = Step::GAP;
        } else if (*p != '%') {
            s.kind = Step::LITERAL;
            s.c = *p;
        } else {
            Directive d;
            switch (parse_directive(p + 1, d)) {
            case Parsed::ok:
                next = d.next;
                s = field_step(d, prog);
                break;
            case Parsed::unknown:
                // The letter is a pattern character of its own; a second "%"
                // is matched here so that it does not start a directive.
                next = d.letter == '%' ? d.next + 1 : d.next;
                s.kind = d.letter == '%' ? Step::LITERAL : Step::SKIP;
                s.c = '%';
                break;
            default:
                next = p;
                s.kind = Step::STOP;
                break;
            }
        }
        s.next = static_cast<int>(next - base);
        prog.steps.push_back(std::move(s));
        if (prog.steps.back().kind == Step::STOP) break;
        p = next;
    }
    return prog;
}

// The program of pattern PAT, compiled on its first use.
const Program &program_of(const char *pat) {
    struct Slot {
        const char *key = nullptr;
        std::unique_ptr<Program> prog;
    };
    static std::array<Slot, 256> cache;
    const uint64_t h = reinterpret_cast<uintptr_t>(pat) * 0x9E3779B97F4A7C15ULL;
    Slot &slot = cache[h >> 56];
    if (slot.key != pat || !slot.prog || std::strcmp(slot.prog->text.c_str(), pat) != 0) {
        slot.prog = std::make_unique<Program>(compile(pat));
        slot.key = pat;
    }
    return *slot.prog;
}

constexpr long long INT_LIMIT = static_cast<long long>(INT_MAX) + 1;

// The work of one scanp call: the program run over the text.
class Match {
  public:
    Match(const parse_param *param, const Program &prog, std::span<const scan_dest> dest)
        : text_(reinterpret_cast<const unsigned char *>(param->ptr)), length_(param->length),
          start_(param->off), pos_(param->off), prog_(prog), dest_(dest),
          trace_(MESS_check(TRACE) != 0) {}

    // Runs the whole program; returns 1 when it reached the pattern's end.
    int run() {
        for (const Step &s : prog_.steps) {
            bool go;
            switch (s.kind) {
            case Step::GAP: {
                const int n = count_run(INT_MAX, GAPS);
                pos_ += n;
                go = n > 0;
                break;
            }
            case Step::LITERAL:
                go = literal(s.c);
                break;
            case Step::FIELD:
                go = directive(s);
                break;
            case Step::SKIP:
                go = true;
                break;
            default:
                go = false;
                break;
            }
            if (trace_)
                MESS_print(TRACE, "     :%s:%.*s:\n", prog_.text.c_str() + s.next, shown(pos_),
                           text() + pos_);
            if (!go) return 0;
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
    const char *text() const { return reinterpret_cast<const char *>(text_); }

    // The text N characters after the input position, NUL at and past its end.
    unsigned char peek(int n) const { return n < length_ - pos_ ? text_[pos_ + n] : 0; }

    // The count of bytes of class CLS from the input position on, at most LIMIT.
    int count_run(int limit, const ByteClass &cls) const {
        const int stop = std::min(limit, length_ - pos_);
        const unsigned char *t = text_ + pos_;
        int n = 0;
        while (n < stop && cls[t[n]]) ++n;
        return n;
    }

    bool literal(char c) {
        if (peek(0) != static_cast<unsigned char>(c)) return false;
        ++pos_;
        return true;
    }

    // "[white] [-] digits [white]" (white space when PADDED), its value into
    // *V, saturating at the int range. VALUE tells whether a digit was found.
    int count_int(int limit, bool padded, bool &value, int *v) const {
        int n = 0;
        if (padded) n = count_run(limit, SPACES);
        const bool negative = n < limit && peek(n) == '-';
        if (negative) ++n;
        const int digits_at = n;
        long long x = 0;
        for (unsigned char c; n < limit && is_digit(c = peek(n)); ++n)
            x = std::min(x * 10 + (c - '0'), INT_LIMIT);
        value = n > digits_at;
        if (padded) n += count_run_from(n, limit, SPACES);
        *v = clamp_int(negative ? -x : x);
        return n;
    }

    // The count of bytes of class CLS from N bytes after the input position
    // on, while the field has fewer than LIMIT.
    int count_run_from(int n, int limit, const ByteClass &cls) const {
        int k = 0;
        while (n + k < limit && cls[peek(n + k)] && n + k < length_ - pos_) ++k;
        return k;
    }

    // "[white] [-] mantissa [exponent] [white]" (white space for F only): the
    // mantissa is digits with at most one ".", the exponent "e" or "E", an
    // optional sign and digits; without a digit there, the "e" stays in the
    // text. VALUE tells whether the mantissa has a digit or a point.
    int count_float(int limit, bool padded, bool &value) const {
        int n = 0;
        if (padded) n = count_run(limit, SPACES);
        if (n < limit && peek(n) == '-') ++n;
        const int mantissa_at = n;
        bool point = false;
        for (unsigned char c; n < limit && (is_digit(c = peek(n)) || (c == '.' && !point)); ++n) {
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
        if (padded) n += count_run_from(n, limit, SPACES);
        return n;
    }

    // Matches one well-formed directive; false when matching stops.
    bool directive(const Step &s) {
        int width = s.width;
        const scan_dest *to = nullptr;
        if (!s.suppress) {
            to = take_destination(s, width);
            if (!to) return false;
            // "c" stores no terminator: it collects no more than the array holds.
            if (s.c == 'c' && to->kind == scan_dest::CHARS && to->cap < size_t(width))
                width = static_cast<int>(to->cap);
        }
        if (s.field == Step::COUNT) {
            ++matched_;
            if (to) store_int(to, consumed());
            return true;
        }
        if (s.field == Step::ALTERNATIVE) return alternation(s, width, to);

        const int limit = std::min(width, FIELD_MAX);
        bool value = true;
        int number = 0;
        int count;
        switch (s.field) {
        case Step::INT:
        case Step::PINT:
            count = count_int(limit, s.field == Step::PINT, value, &number);
            break;
        case Step::FLOAT:
        case Step::PFLOAT:
            count = count_float(limit, s.field == Step::PFLOAT, value);
            break;
        default:
            count = count_run(limit, *s.cls);
            break;
        }
        if (count == 0) value = false;
        if (!value && s.field != Step::RUN && s.has_miss) return missing(s, width, to);
        if (s.exact && count != width) return false;
        if (!value) return false;

        ++matched_;
        if (to) store(s, to, text() + pos_, count, number);
        pos_ += count;
        return true;
    }

    // Stores the COUNT characters at FIELD collected by directive S (whose
    // value is NUMBER for an int).
    void store(const Step &s, const scan_dest *to, const char *field, int count, int number) {
        switch (s.field) {
        case Step::INT:
        case Step::PINT:
            store_int(to, number);
            break;
        case Step::FLOAT:
        case Step::PFLOAT: {
            char scratch[FIELD_MAX + 1];
            std::memcpy(scratch, field, size_t(count));
            scratch[count] = '\0';
            store_float(to, std::strtof(scratch, nullptr));
            break;
        }
        default:
            if (s.c == 'c')
                store_chars(to, field, count);
            else
                store_string(to, field, count);
            break;
        }
    }

    // A number directive that found no number: when the missing text stands
    // at this point within the width, it is consumed and yields the missing
    // value; otherwise the directive is passed over. Matching goes on.
    bool missing(const Step &s, int width, const scan_dest *to) {
        const int n = static_cast<int>(s.miss.size());
        if (n > width) return true;
        for (int i = 0; i < n; ++i) {
            if (peek(i) != static_cast<unsigned char>(s.miss[static_cast<size_t>(i)])) return true;
        }
        ++matched_;
        if (to && to->kind == scan_dest::INT) store_int(to, VEK_MISS);
        if (to && to->kind == scan_dest::FLOAT) store_float(to, VEK_FMISS);
        pos_ += n;
        return true;
    }

    // "(" ... ")": the first alternative equal to the text here; else the
    // missing text's equal leading part (storing ""), else nothing at all for
    // an optional directive ("<" without width).
    bool alternation(const Step &s, int width, const scan_dest *to) {
        const size_t left = static_cast<size_t>(length_ - pos_);
        for (const std::string &alt : s.alternatives) {
            if (alt.size() > size_t(FIELD_MAX) || alt.size() > left ||
                std::memcmp(text_ + pos_, alt.data(), alt.size()) != 0)
                continue;
            ++matched_;
            if (to) store_string(to, alt.data(), static_cast<int>(alt.size()));
            pos_ += static_cast<int>(alt.size());
            return true;
        }
        if (s.has_miss) {
            const int limit = std::min(width, static_cast<int>(s.miss.size()));
            int i = 0;
            while (i < limit &&
                   peek(i) == static_cast<unsigned char>(s.miss[static_cast<size_t>(i)]))
                ++i;
            ++matched_;
            if (to) store_string(to, "", 0);
            pos_ += i;
            return true;
        }
        if (s.maximum && !s.has_width) {
            ++matched_;
            if (to) ++assigned_;
            return true;
        }
        return false;
    }

    // The next destination, when it suits directive S of width WIDTH; else
    // reports the fault and returns null.
    const scan_dest *take_destination(const Step &s, int width) {
        const size_t index = next_dest_++;
        const scan_dest *to = index < dest_.size() ? &dest_[index] : nullptr;
        bool ok;
        const char *want;
        switch (s.field) {
        case Step::COUNT:
        case Step::INT:
        case Step::PINT:
            want = "an int";
            ok = to && to->kind == scan_dest::INT;
            break;
        case Step::FLOAT:
        case Step::PFLOAT:
            want = "a float";
            ok = to && to->kind == scan_dest::FLOAT;
            break;
        default:
            if (s.c == 'c') {
                want = "a char array, or a char for a width of 1";
                ok = to && ((to->kind == scan_dest::CHAR && width == 1) ||
                            (to->kind == scan_dest::CHARS && to->cap > 0));
            } else {
                want = "a char array";
                ok = to && to->kind == scan_dest::CHARS && to->cap > 0;
            }
            break;
        }
        if (ok && to->ptr) return to;
        if (!to) {
            MESS_print(M_ERROR, "scanp: no destination %zu for %%%c in pattern \"%.60s\"\n",
                       index + 1, s.c, prog_.text.c_str());
        } else {
            MESS_print(M_ERROR, "scanp: destination %zu for %%%c in pattern \"%.60s\" must be %s\n",
                       index + 1, s.c, prog_.text.c_str(), want);
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

    const unsigned char *text_;
    int length_;
    int start_;
    int pos_;
    const Program &prog_;
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

namespace {

int run_program(parse_param *param, const Program *prog, std::span<const scan_dest> dest) {
    if (!param) return -1;
    param->len = 0;
    param->assigned = 0;
    param->matched = 0;
    param->done = 0;
    if (!prog || prog->text.empty() || !param->ptr || param->off < 0 || param->off >= param->length)
        return -1;

    Match m(param, *prog, dest);
    param->done = m.run();
    param->len = m.consumed();
    param->assigned = m.assigned();
    param->matched = m.matched();
    if (m.tracing()) {
        MESS_print(TRACE, "SCANP:%.*s:%s:%d:%d:%d:%d:%d\n", m.shown(param->off),
                   param->ptr + param->off, prog->text.c_str(), param->off, param->len, param->done,
                   param->assigned, param->matched);
    }
    return param->matched;
}

} // namespace

scanp_pattern::scanp_pattern(const char *text)
    : prog_(new scanp_program(compile(text ? text : ""))) {}

scanp_pattern::~scanp_pattern() {
    delete prog_;
}

int scanp_list(parse_param *param, const char *pat, std::span<const scan_dest> dest) {
    return run_program(param, pat && *pat ? &program_of(pat) : nullptr, dest);
}

int scanp_list(parse_param *param, const scanp_pattern &pat, std::span<const scan_dest> dest) {
    return run_program(param, &pat.program(), dest);
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
