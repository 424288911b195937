// rcm_test.h - what the suites of the Radar Coded Messages share: position
// letters and messages in the text and binary forms.
#ifndef RCM_TEST_H
#define RCM_TEST_H

#include <string>
#include <utility>

namespace vektest {

// Fine-grid column and row of three position letters: MDR row letter, MDR
// column letter, cell letter k at column k / 4 and row k mod 4.
inline std::pair<int, int> cell_of(const char *p) {
    const int k = p[2] - 'A';
    return {4 * (p[1] - 'A') + k / 4, 4 * (p[0] - 'A') + k % 4};
}

// The records of an archive message: each part padded with blanks to 70.
inline std::string records(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string &p : parts)
        text += p + std::string(p.size() < 70 ? 70 - p.size() : 0, ' ');
    return text;
}

// A text-form message of site ID. Give two records at least, as every real
// message has: a body shorter than 100 bytes takes the next line too.
inline std::string message(const std::string &id, std::initializer_list<std::string> parts,
                           const std::string &eol = "\n") {
    return "SDUS54 KXXX 151245" + eol + "RCM" + id + eol + records(parts) + eol;
}

// A binary packet: its length in 16-bit words (header included) in the low
// twelve bits of the first two bytes (the high four bits set, which do not
// count), its kind in the next two, then TEXT padded to an even length.
inline std::string packet(int k0, int k1, std::string text) {
    if (text.size() % 2) text += ' ';
    const size_t words = (text.size() + 4) / 2;
    return std::string{char(0xA0 | (words >> 8)), char(words & 0xFF), char(k0), char(k1)} + text;
}

} // namespace vektest

#endif
