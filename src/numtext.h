// numtext.h - reading numbers from feed and configuration text: digits,
// clamping to the range of int, and a small scanf for int conversions that
// saturates instead of overflowing.
//
// Every module that reads a number from text a user or a feed wrote uses
// these, so that a number far beyond the range of int is held at the range
// (or, in scan_ints, within +-INT_MAX so that it can always be negated) and
// never becomes undefined behaviour.
#ifndef NUMTEXT_H
#define NUMTEXT_H

#include <climits>
#include <cstdint>
#include <span>

// A decimal digit; takes an int so that getc results (EOF) can be tested.
constexpr bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// V held within the range of int.
constexpr int clamp_int(int64_t v) {
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
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
    auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
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
