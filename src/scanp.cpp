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

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mess.h"
#include "numtext.h"
#include "scanp.h"

using namespace scanp_detail;

namespace {

constexpr M_type TRACE = M_DEBUG_D;

} // namespace

// A pattern read at run time: its text, its steps (whose texts point into
// it) and the classes of its sets.
struct scanp_program {
    std::string text;
    std::vector<Step> steps;
    std::vector<ByteClass> sets;

    explicit scanp_program(const char *pat) : text(pat ? pat : "") {
        read_steps(text, [this](const Step &s) {
            steps.push_back(s);
            if (s.set >= 0) sets.push_back(set_class(s.members, s.negate));
        });
    }
    scanp_program(const scanp_program &) = delete;
    scanp_program &operator=(const scanp_program &) = delete;
};

namespace {

// The program of pattern PAT, read on its first use. Programs are kept by
// the address of their text; one whose text changed since is read again.
const scanp_program &program_of(const char *pat) {
    struct Slot {
        const char *key = nullptr;
        std::unique_ptr<scanp_program> prog;
    };
    static std::array<Slot, 256> cache;
    const uint64_t h = reinterpret_cast<uintptr_t>(pat) * 0x9E3779B97F4A7C15ULL;
    Slot &slot = cache[h >> 56];
    if (slot.key != pat || !slot.prog || std::strcmp(slot.prog->text.c_str(), pat) != 0) {
        slot.prog = std::make_unique<scanp_program>(pat);
        slot.key = pat;
    }
    return *slot.prog;
}

// How much of the text from AT on a trace shows: at most 50 bytes, never
// past the text's end (a text with a length needs no terminator).
int shown(const Text &t, int at) {
    return std::clamp(t.length - at, 0, 50);
}

// Runs program PROG at PARAM's cursor.
int run_program(parse_param *param, const scanp_program &prog, std::span<const scan_dest> dest) {
    if (!begin(param, prog.steps.empty())) return -1;
    const Run run{{reinterpret_cast<const unsigned char *>(param->ptr), param->length},
                  param->off,
                  dest,
                  prog.text.c_str(),
                  prog.sets.data(),
                  tracing()};
    Cursor c{param->off};
    bool done = true;
    for (const Step &s : prog.steps)
        if (!match_step(run, s, c)) {
            done = false;
            break;
        }
    return finish(param, run, c, done);
}

// The cursor held inside the text.
int clamp_offset(const parse_param *param, long long off) {
    return static_cast<int>(std::clamp<long long>(off, 0, std::max(param->length, 0)));
}

} // namespace

// ---------------------------------------------------------------------------
// What the matching of a step calls out of line
// ---------------------------------------------------------------------------

void scanp_detail::wrong_destination(const Run &run, const Step &s, size_t index,
                                     const scan_dest *to) {
    const char *want = s.need == Need::INT     ? "an int"
                       : s.need == Need::FLOAT ? "a float"
                       : s.c == 'c'            ? "a char array, or a char for a width of 1"
                                               : "a char array";
    if (!to) {
        MESS_print(M_ERROR, "scanp: no destination %zu for %%%c in pattern \"%.60s\"\n", index + 1,
                   s.c, run.pattern);
    } else {
        MESS_print(M_ERROR, "scanp: destination %zu for %%%c in pattern \"%.60s\" must be %s\n",
                   index + 1, s.c, run.pattern, want);
    }
}

void scanp_detail::trace_step(const Run &run, const Step &s, int pos) {
    MESS_print(TRACE, "     :%s:%.*s:\n", run.pattern + s.next, shown(run.text, pos),
               run.text.chars(pos));
}

float scanp_detail::float_of(const char *field, int count) {
    char scratch[FIELD_MAX + 1];
    std::memcpy(scratch, field, size_t(std::clamp(count, 0, FIELD_MAX)));
    scratch[std::clamp(count, 0, FIELD_MAX)] = '\0';
    float v = 0.0f;
    read_float(scratch, &v);
    return v;
}

bool scanp_detail::tracing() {
    return MESS_check(TRACE) != 0;
}

void scanp_detail::trace_match(const parse_param *param, const Run &run) {
    MESS_print(TRACE, "SCANP:%.*s:%s:%d:%d:%d:%d:%d\n", shown(run.text, param->off),
               param->ptr + param->off, run.pattern, param->off, param->len, param->done,
               param->assigned, param->matched);
}

// ---------------------------------------------------------------------------
// The interface
// ---------------------------------------------------------------------------

scanp_pattern::scanp_pattern(const char *text) : prog_(new scanp_program(text)) {}

scanp_pattern::~scanp_pattern() {
    delete prog_;
}

int scanp_list(parse_param *param, const char *pat, std::span<const scan_dest> dest) {
    static const scanp_program none(nullptr);
    return run_program(param, pat && *pat ? program_of(pat) : none, dest);
}

int scanp_list(parse_param *param, const scanp_pattern &pat, std::span<const scan_dest> dest) {
    return run_program(param, pat.program(), dest);
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
