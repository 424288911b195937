// scanp.h - the pattern scanner: an extended scanf-style matcher over a text
// with a try-then-commit cursor, on which all bulletin decoding rests. Each
// destination is typed, and a char array carries its capacity, so a string
// directive never writes past the field it fills.
#ifndef SCANP_H
#define SCANP_H

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <utility>

#include "vek.h"

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

#include "scanp_steps.h"

// A pattern read once into the steps the scanner runs. Patterns given as text
// are read on their first use and kept by their address, checked against
// their characters.
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

// The text of a pattern literal, as a template argument.
template <size_t N>
struct scanp_text {
    char s[N];
    constexpr scanp_text(const char (&text)[N]) {
        for (size_t i = 0; i < N; ++i) s[i] = text[i];
    }
    constexpr std::string_view view() const { return {s, N - 1}; }
};

// A pattern literal, "..."_pat: read into steps when the program is compiled,
// so that each of its steps is matched by code of its own.
template <scanp_text T>
struct scanp_literal {
    static constexpr size_t count = [] {
        size_t n = 0;
        scanp_detail::read_steps(T.view(), [&](const scanp_detail::Step &) { ++n; });
        return n;
    }();
    static constexpr size_t sets_count = [] {
        size_t n = 0;
        scanp_detail::read_steps(T.view(), [&](const scanp_detail::Step &s) { n += s.set >= 0; });
        return n;
    }();
    static constexpr std::array<scanp_detail::Step, count> steps = [] {
        std::array<scanp_detail::Step, count> all{};
        size_t n = 0;
        scanp_detail::read_steps(T.view(), [&](const scanp_detail::Step &s) { all[n++] = s; });
        return all;
    }();
    static constexpr std::array<scanp_detail::ByteClass, sets_count> sets = [] {
        std::array<scanp_detail::ByteClass, sets_count> all{};
        size_t n = 0;
        scanp_detail::read_steps(T.view(), [&](const scanp_detail::Step &s) {
            if (s.set >= 0) all[n++] = scanp_detail::set_class(s.members, s.negate);
        });
        return all;
    }();
};

template <scanp_text T>
constexpr scanp_literal<T> operator""_pat() {
    return {};
}

int scanp_list(parse_param *param, const char *pat, std::span<const scan_dest> dest);
int scanp_list(parse_param *param, const scanp_pattern &pat, std::span<const scan_dest> dest);

template <scanp_text T>
int scanp_list(parse_param *param, scanp_literal<T>, std::span<const scan_dest> dest) {
    using L = scanp_literal<T>;
    if (!scanp_detail::begin(param, L::count == 0)) return -1;
    const scanp_detail::Run run{
        {reinterpret_cast<const unsigned char *>(param->ptr), param->length},
        param->off,
        dest,
        T.s,
        L::sets.data(),
        scanp_detail::tracing()};
    scanp_detail::Cursor c{param->off};
    const bool done = [&]<size_t... I>(std::index_sequence<I...>) {
        return (scanp_detail::match_step(run, L::steps[I], c) && ...);
    }
    (std::make_index_sequence<L::count>{});
    return scanp_detail::finish(param, run, c, done);
}

// Matches PAT (a text, a read pattern or a pattern literal) at the cursor;
// one destination per directive that is not suppressed. Returns the number
// of directives matched, -1 for an empty pattern or a cursor at the end.
// Never moves the cursor.
template <class Pattern, class... Dest>
int scanp(parse_param *param, const Pattern &pat, Dest &&...dest) {
    if constexpr (sizeof...(Dest) == 0) {
        return scanp_list(param, pat, {});
    } else {
        const scan_dest list[] = {scan_to(dest)...};
        return scanp_list(param, pat, {list, sizeof...(Dest)});
    }
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
