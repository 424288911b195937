// numtext.h - reading numbers from feed and configuration text: digits,
// clamping to the range of int, leading integers and floats as strtol and
// strtof read them, and a small scanf for int conversions, all saturating
// instead of overflowing.
//
// Every module that reads a number from text a user or a feed wrote uses
// these, so that a number far beyond the range of its type is held at the
// range (or, in scan_ints, within +-INT_MAX so that it can always be negated)
// and never becomes undefined behaviour.
#ifndef NUMTEXT_H
#define NUMTEXT_H

#include <charconv>
#include <climits>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

// A decimal digit; takes an int so that getc results (EOF) can be tested.
constexpr bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// V held within the range of int.
constexpr int clamp_int(int64_t v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

// White space as isspace knows it in the C locale.
constexpr bool is_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading integer of TEXT as strtol reads it: white space skipped, an
// optional sign, the digits of BASE (in base 16 after an optional "0x"). The
// value saturates at the range of T. Returns the first character after the
// number, or null, with *OUT unchanged, when there is none.
template <std::integral T>
const char *read_int(const char *text, T *out, int base = 10) {
    const char *s = text;
    while (is_space(*s)) ++s;
    const bool negative = *s == '-';
    if (*s == '+' || *s == '-') ++s;
    if (base == 16 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        const char c = s[2];
        if ((c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')) s += 2;
    }
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(s, s + std::strlen(s), magnitude, base);
    if (ec == std::errc::invalid_argument) return nullptr;
    if (ec == std::errc::result_out_of_range) magnitude = UINT64_MAX;
    using Limits = std::numeric_limits<T>;
    const uint64_t most =
        negative ? uint64_t(Limits::max()) + (Limits::min() < 0 ? 1 : 0) : uint64_t(Limits::max());
    if (negative && Limits::min() == 0) return nullptr; // no negative unsigned value
    const uint64_t held = magnitude < most ? magnitude : most;
    // A negative value is formed from held - 1, which always fits in T.
    *out = !negative ? T(held) : held == 0 ? T(0) : T(-T(held - 1) - 1);
    return end;
}

// The leading number of TEXT as strtof reads it, in decimal notation only:
// white space skipped, an optional sign, digits with at most one point and an
// optional exponent; "inf", "infinity" and "nan" in any case. A number beyond
// the range of T becomes +-infinity, one below its least value 0. Returns the
// first character after the number, or null, with *OUT unchanged, when there
// is none.
template <std::floating_point T>
const char *read_float(const char *text, T *out) {
    const char *s = text;
    while (is_space(*s)) ++s;
    const bool negative = *s == '-';
    if (*s == '+' || *s == '-') ++s;
    if (*s == '+' || *s == '-') return nullptr; // one sign only
    T v = 0;
    const auto [end, ec] = std::from_chars(s, s + std::strlen(s), v, std::chars_format::general);
    if (ec == std::errc::invalid_argument) return nullptr;
    if (ec == std::errc::result_out_of_range) {
        // Out of range either way: the decimal exponent of the leading digit
        // tells which.
        long long exponent = 0;
        const char *p = s;
        while (*p == '0') ++p;
        if (is_digit(*p)) {
            while (is_digit(*p)) ++p, ++exponent;
            if (*p == '.') ++p;
            while (is_digit(*p)) ++p;
        } else if (*p == '.') {
            for (++p; *p == '0'; ++p) --exponent;
            while (is_digit(*p)) ++p;
        }
        if (*p == 'e' || *p == 'E') {
            int e = 0;
            if (read_int(p + 1, &e)) exponent += e;
        }
        v = exponent > 0 ? std::numeric_limits<T>::infinity() : T(0);
    }
    *out = negative ? -v : v;
    return end;
}

// An int resource value: when TEXT begins with a digit or a sign, its leading
// integer (0 when no digit follows), hexadecimal when the second character is
// "x" or "X", as "0x1F"; false, with *OUT unchanged, for any other text.
inline bool read_int_value(const char *text, int *out) {
    if (!text || !(is_digit(text[0]) || text[0] == '-' || text[0] == '+')) return false;
    const bool hex = text[1] == 'x' || text[1] == 'X';
    int v = 0;
    read_int(text, &v, hex ? 16 : 10);
    *out = v;
    return true;
}

// Reads at most WIDTH digits at P (all of them when WIDTH < 1) into *VALUE
// and moves P past them; the value saturates at INT_MAX. False, with P and
// *VALUE unchanged, when P is not at a digit.
inline bool take_digits(const char *&p, int width, int *value) {
    if (!is_digit(*p)) return false;
    int64_t v = 0;
    int n = 0;
    for (; (width < 1 || n < width) && is_digit(p[n]); ++n)
        if (v <= INT_MAX) v = v * 10 + (p[n] - '0');
    *value = clamp_int(v);
    p += n;
    return true;
}

// sscanf for int conversions. The pattern holds literal characters, white
// space (any run of white space, also none), "%d" and "%Nd" (at most N
// characters, the sign included), and the skipping forms "%*d", "%*Nd" and
// "%*s" (a word). A number skips leading white space, takes an optional sign
// and its digits, and is held within +-INT_MAX. Converted values go to VALS
// in order (those beyond its size are dropped). Returns the number of values
// converted, or -1 when the text ends before the first conversion. With END,
// *END is where the reading stopped: on the first character not read (the
// terminator when the whole text was read).
inline int scan_ints(const char *text, const char *pat, std::span<int> vals,
                     const char **end = nullptr) {
    auto space = is_space;
    const char *s = text ? text : "";
    int count = 0;
    bool converted = false; // a conversion (kept or skipped) has succeeded
    auto stop = [&] {
        if (end) *end = s;
        return converted || count > 0 ? count : -1;
    };
    auto done = [&] {
        if (end) *end = s;
        return count;
    };
    for (const char *p = pat; *p; ++p) {
        if (space(*p)) {
            while (space(*s)) ++s;
            continue;
        }
        if (*p != '%') {
            if (!*s) return stop();
            if (*s != *p) return done();
            ++s;
            continue;
        }
        ++p;
        const bool skip = *p == '*';
        if (skip) ++p;
        int width = 0;
        while (is_digit(*p)) width = width < 1000 ? width * 10 + (*p++ - '0') : width;
        while (space(*s)) ++s;
        if (!*s) return stop();
        if (*p == 's' && skip) {
            while (*s && !space(*s)) ++s;
            converted = true;
            continue;
        }
        if (*p != 'd') return done(); // no other conversion is offered
        int left = width > 0 ? width : INT_MAX;
        int sign = 1;
        if (*s == '+' || *s == '-') {
            sign = *s == '-' ? -1 : 1;
            ++s;
            --left;
        }
        int v = 0;
        if (left < 1 || !take_digits(s, left, &v)) return done();
        converted = true;
        if (skip) continue;
        if (static_cast<size_t>(count) < vals.size()) vals[count] = sign * v;
        ++count;
    }
    return done();
}

#endif
