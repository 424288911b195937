// rcm_test.h - what the suites of the Radar Coded Messages share: position
// letters, messages in the text and binary forms, and what the text of the
// two real archive messages in data/ says.
#ifndef RCM_TEST_H
#define RCM_TEST_H

#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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

// A text-form message of site ID: heading, "RCM" line, the records on one
// line. Give two records at least, as every real message has: a body shorter
// than 100 bytes takes the next line too.
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

struct Storm {
    std::string id, pos;
    int dir, spd, hgt;
};

// A real message: its file, site (position as in data/rad.cty), the label of
// its file's run, and what its text says: number, date, maximum top, the
// storms of part A ("id position direction speed height", the height from
// part C; every hail letter is N), the wind levels of part B as coded
// ("hhhRdddsss"), the mesocyclones, and the number of cells part A's groups
// fill.
struct Real {
    const char *file, *id;
    double lat, lon;
    const char *label;
    int num;
    const char *date, *maxt, *storm_text, *level_text, *meso_text;
    int cells;

    std::vector<Storm> storms() const {
        std::istringstream in(storm_text);
        std::vector<Storm> out;
        for (Storm s; in >> s.id >> s.pos >> s.dir >> s.spd >> s.hgt;) out.push_back(s);
        return out;
    }
    static std::vector<std::string> words(const char *text) {
        std::istringstream in(text);
        return {std::istream_iterator<std::string>(in), {}};
    }
    std::vector<std::string> levels() const { return words(level_text); }
    std::vector<std::string> mesos() const { return words(meso_text); }
};

// clang-format off
inline const Real okx = {"1108280716_rcm.txt", "OKX", 40.85, -72.85, "0715Z 28 AUG 11", 515,
    "2011-08-28 07:17", "620:QNP",
    "L6 POC 160 72 116  F9 PKC 116 49 191  I6 OOI 158 68 161  Y5 PPF 164 64 138 "
    "A8 IMP 162 35 176  K1 MKA 137 60 179  R4 ONB 148 72 85   B4 JLH 134 60 209 "
    "H0 OPB 155 66 150  B0 RLN 143 54 250  P2 OMB 143 70 94   Q9 PLA 128 60 152",
    "010A107052 020A118065 030A130068 040A136068 050A139066 060A142065 070A144067 080A144066 "
    "090A144066 100A145066 120B146064 140A148064 160A149064 180A154063 200A157060 250A157046 "
    "300A172042 350A184041",
    "07POD 06PKB", 1939};

inline const Real bmx = {"1501020217_rcm.txt", "BMX", 33.17, -86.77, "0215Z  2 JAN 15", 320,
    "2015-01-02 02:17", "330:GOL",
    "M4 LOB 260 51 89   Z3 LPD 253 60 135  K4 MNA 277 27 100  V3 LMN 253 49 102 "
    "U3 MLH 263 64 99   N4 KNC 260 51 77   Q3 OMG 262 54 103  O4 NLE 260 51 95",
    "010C075013 030A205015 040A216017 050A239019 060A274026 070A283031 080A282030 090A282032 "
    "100A280032 120A268032 140A253043 160B263058 180A269065 200A268067 250A265063 300A259067",
    "", 1087};
// clang-format on

} // namespace vektest

#endif
