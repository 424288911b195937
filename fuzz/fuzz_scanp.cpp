// fuzz_scanp.cpp - fuzzes the pattern scanner with both the pattern and the
// text taken from the input: the pattern is what comes before the first line
// feed or NUL, the text what follows (NUL bytes included; the scanner must
// stop at the first of them). Each input is matched twice, with destinations
// made to suit the pattern's directives and with a fixed list of every kind
// (so that unsuitable destinations are met too), each time walking the whole
// text the way the decoders do. Every character array is a heap block of
// exactly its capacity, so any write past it is caught.
//
// Messages are all selected but kept off the terminal, so that the tracing and
// the destination reports are formatted on every call.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_common.h"

namespace {

// Owns the storage behind a destination list.
struct Destinations {
    std::vector<scan_dest> list;
    std::vector<std::unique_ptr<char[]>> blocks;

    void add(scan_dest::kind_t kind, size_t cap) {
        const size_t size = kind == scan_dest::INT     ? sizeof(int)
                            : kind == scan_dest::FLOAT ? sizeof(float)
                                                       : cap;
        blocks.emplace_back(new char[size]);
        std::memset(blocks.back().get(), '#', size);
        list.push_back({kind, blocks.back().get(), kind == scan_dest::CHARS ? cap : 1});
    }
};

// Destinations for the directives of PAT as far as a light reading finds them:
// one per "%" that is not suppressed, of the kind its letter wants.
void suit(const std::string &pat, Destinations &d) {
    static const size_t caps[] = {1, 3, 11, 80};
    for (size_t i = 0; i < pat.size() && d.list.size() < 64; ++i) {
        if (pat[i] != '%') continue;
        size_t k = i + 1;
        const bool suppress = k < pat.size() && pat[k] == '*';
        if (suppress) ++k;
        if (k < pat.size() && pat[k] == '<') ++k;
        int width = 0;
        for (; k < pat.size() && pat[k] >= '0' && pat[k] <= '9'; ++k)
            width = (width * 10 + pat[k] - '0') % 1000;
        if (k < pat.size() && pat[k] == '!') {
            const size_t close = pat.find('!', k + 1);
            k = close == std::string::npos ? pat.size() : close + 1;
        }
        if (k >= pat.size()) break;
        i = k;
        if (suppress) continue;
        switch (pat[k]) {
        case 'n':
        case 'd':
        case 'D':
            d.add(scan_dest::INT, 0);
            break;
        case 'f':
        case 'F':
            d.add(scan_dest::FLOAT, 0);
            break;
        case 'c':
            if (width <= 1) {
                d.add(scan_dest::CHAR, 1);
            } else {
                d.add(scan_dest::CHARS, caps[width % 4]);
            }
            break;
        case '[':
        case '(':
        case 'A':
        case 's':
        case 'S':
        case 'N':
        case 'w':
        case 'W':
            d.add(scan_dest::CHARS, caps[d.list.size() % 4]);
            break;
        default:
            break;
        }
    }
}

void check(bool ok) {
    if (!ok) abort();
}

// Walks the text with PAT as a decoder does: commit what matched, else step
// one character on. Checks what every call reports about itself.
void walk(parse_param &p, const char *pat, const Destinations &d) {
    for (int steps = 0; steps < 64 && scanp_char(&p, 0) != '\0'; ++steps) {
        const int off = p.off;
        const int r = scanp_list(&p, pat, d.list);
        check(p.off == off);
        if (r < 0) {
            check(p.len == 0 && p.matched == 0 && p.assigned == 0 && p.done == 0);
            break;
        }
        check(r == p.matched && p.assigned <= p.matched && (p.done == 0 || p.done == 1));
        check(p.len >= 0 && p.len <= p.length - p.off);
        if (r > 0 && p.len > 0) {
            scanp_inc(&p);
        } else {
            scanp_inc_off(&p, 1);
        }
        check(p.off >= 0 && p.off <= p.length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    static const bool quiet = [] {
        MESS_set(1, 0xFFFFFFFF);
        MESS_set_out(0);
        return true;
    }();
    (void)quiet;

    const char *bytes = reinterpret_cast<const char *>(data);
    size_t cut = 0;
    while (cut < size && bytes[cut] != '\n' && bytes[cut] != '\0') ++cut;
    const std::string pat(bytes, cut);
    const std::string text = cut < size ? std::string(bytes + cut + 1, size - cut - 1) : "";

    parse_param p{};
    Destinations suited;
    suit(pat, suited);
    scanp_set(&p, text.c_str());
    p.length = static_cast<int>(text.size()); // past any NUL: the scanner must stop there
    walk(p, pat.c_str(), suited);

    Destinations fixed;
    for (int i = 0; i < 4; ++i) {
        fixed.add(scan_dest::INT, 0);
        fixed.add(scan_dest::FLOAT, 0);
        fixed.add(scan_dest::CHAR, 1);
        fixed.add(scan_dest::CHARS, i * 7 + 1);
    }
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
