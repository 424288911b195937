// fuzz_scanp.cpp - fuzzes the pattern scanner with pattern and text from the
// input: the pattern is what comes before the first line feed or NUL, the text
// what follows (NUL bytes included: a text given with its length is bytes). The
// text is walked as the decoders walk it, with destinations that suit the
// pattern as far as a light reading tells, then with a fixed list of every
// kind, so unsuitable ones are met too. Every destination is a heap block of
// exactly its size, so a write past it is caught. All messages are selected
// but kept off the terminal, so tracing and reports are formatted every time.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "mess.h"
#include "scanp.h"

namespace {

using fuzzing::check;

struct Destinations {
    std::vector<scan_dest> list;
    std::vector<std::unique_ptr<char[]>> blocks;

    void add(scan_dest::kind_t kind, size_t cap) {
        static_assert(sizeof(int) == 4 && sizeof(float) == 4);
        const size_t size = kind == scan_dest::INT || kind == scan_dest::FLOAT ? 4 : cap;
        blocks.emplace_back(new char[size]);
        std::memset(blocks.back().get(), '#', size);
        list.push_back({kind, blocks.back().get(), cap});
    }
};

// One destination per "%" that is not suppressed, of the kind its letter
// wants; a "c" gets a char unless a width above 1 seems to be written.
Destinations suit(const std::string &pat) {
    static const size_t caps[] = {1, 3, 11, 80};
    Destinations d;
    for (size_t i = 0; i < pat.size() && d.list.size() < 64; ++i) {
        if (pat[i] != '%') continue;
        size_t k = pat.find_first_not_of("*<0123456789", i + 1);
        if (k < pat.size() && pat[k] == '!') k = std::min(pat.find('!', k + 1), pat.size() - 1) + 1;
        if (k >= pat.size()) break;
        const bool suppressed = pat[i + 1] == '*', wide = pat[k - 1] > '1' && pat[k - 1] <= '9';
        i = k;
        const char c = pat[k];
        if (suppressed) continue;
        if (strchr("ndDfF", c)) d.add(strchr("fF", c) ? scan_dest::FLOAT : scan_dest::INT, 4);
        if (c == 'c' && !wide)
            d.add(scan_dest::CHAR, 1);
        else if (strchr("c[(AsSNwW", c))
            d.add(scan_dest::CHARS, caps[d.list.size() % 4]);
    }
    return d;
}

// Walks the text with PAT as a decoder does: commit what matched, else step
// one character on. Checks what every call reports about itself.
void walk(parse_param &p, const char *pat, const Destinations &d) {
    for (int steps = 0; steps < 64 && scanp_char(&p, 0) != '\0'; ++steps) {
        const int off = p.off;
        const int r = scanp_list(&p, pat, d.list);
        check(p.off == off && (r >= 0 || (p.len | p.matched | p.assigned | p.done) == 0));
        if (r < 0) break;
        check(r == p.matched && p.assigned <= p.matched && (p.done == 0 || p.done == 1));
        check(p.len >= 0 && p.len <= p.length - p.off);
        r > 0 && p.len > 0 ? scanp_inc(&p) : scanp_inc_off(&p, 1);
        check(p.off >= 0 && p.off <= p.length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    [[maybe_unused]] static const bool quiet = (MESS_set(1, 0xFFFFFFFF), MESS_set_out(0), true);
    const char *bytes = reinterpret_cast<const char *>(data);
    size_t cut = 0;
    while (cut < size && bytes[cut] != '\n' && bytes[cut] != '\0') ++cut;
    const std::string pat(bytes, cut);
    const std::string text = cut < size ? std::string(bytes + cut + 1, size - cut - 1) : "";

    parse_param p{};
    scanp_set(&p, text.c_str());
    p.length = static_cast<int>(text.size()); // past any NUL, which is a byte like any other
    walk(p, pat.c_str(), suit(pat));
    Destinations fixed; // int, float, char and a char array of 7, 15, 23 and 31, in turn
    for (size_t i = 0; i < 16; ++i) fixed.add(scan_dest::kind_t(i % 4), i % 4 == 3 ? 2 * i + 1 : 1);
    scanp_set(&p, text.c_str());
    walk(p, pat.c_str(), fixed);

    // The cursor functions on their own.
    scanp_set(&p, text.c_str());
    if (scanp_search(&p, pat.c_str()))
        check(std::strncmp(scanp_str(&p), pat.c_str(), pat.size()) == 0);
    for (size_t i = 0; i < size && i < 8; ++i) {
        scanp_inc_off(&p, static_cast<int8_t>(data[i]) * 1000003);
        (void)scanp_char(&p, static_cast<int8_t>(data[size - 1 - i]) * 16777215);
        check(std::strlen(scanp_str(&p)) <= text.size());
    }
    return 0;
}
