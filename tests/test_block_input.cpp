// The bulletin readers at full speed (heads found by the byte-run search)
// against the same readers taking one piece at a time from reads of one
// byte, on generated inputs of every awkward shape, and from a pipe. Whole
// converted files are compared.

#include "rad_dec.h"
#include "vek_test.h"
#include "vekstr.h"

#include <cstdlib>
#include <random>

using namespace vektest;

namespace {

// Filler that no reader takes: blanks, letters, digits, control and high
// bytes, NULs, carriage returns; sometimes a line feed.
std::string noise(std::mt19937 &rng, size_t n, bool line_feeds) {
    static const char bytes[] = " ARCMSDU123=\r\0\t\x80\xff/+";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += bytes[rng() % (sizeof bytes - 1)];
        if (line_feeds && rng() % 23 == 0) s += '\n';
    }
    return s;
}

// One input for all three readers: each MDR report, summary bulletin or RCM
// message (the real ones, under other heads too) starts at, just before or
// just after a new piece of 160 or 5000 bytes; lines end in LF, CRLF, CR CR
// LF or LF and an empty line; the last has no line feed.
std::string generate(unsigned seed) {
    static const char *const sites[] = {"TLX", "AMA", "FWS", "OKX", "BMX", "XYZ"};
    static const char *const ends[] = {"\r\n", "\r\r\n", "\n\n", "\n", "\n", "\n"};
    static const std::string files[] = {read_file(source_dir + "/data/1108280716_rcm.txt"),
                                        read_file(source_dir + "/data/1501020217_rcm.txt")};
    std::mt19937 rng(seed);
    auto end = [&rng] { return std::string(ends[rng() % 6]); };
    std::string s;
    for (int i = 0; i < 600; ++i) {
        const unsigned kind = rng() % 10; // MDR, summary or RCM
        const size_t width = kind < 9 ? 160 : 5000;
        const unsigned k = rng() % 5;
        s += k == 0  ? std::string(width, 'X')
             : k < 3 ? std::string(width + 2 * k - 3, 'X') + "\n"
                     : noise(rng, rng() % 40, false) + "\n";
        const std::string id = sites[rng() % std::size(sites)];
        if (kind < 6) {
            // No echoes, an area over two lines, a line, a cell; and a head
            // whose time continues a first word of five letters: its report
            // (of no known station) takes in the head after it.
            const int time = (rng() % 4 ? 1215 : 1115) + static_cast<int>(rng() % 30);
            const std::string reports[] = {"PPINE=",
                                           "AREA 4TRW+/+ 250/60 35W C2520" + end() +
                                               "   ^MM5 ML34 NK" + std::to_string(rng() % 7) + "=",
                                           "LN 6TRW++/NC 310/110 L2515 MT 520" + end() +
                                               noise(rng, rng() % 200, false),
                                           "CELL 2RW/NC ^MM" + std::to_string(rng() % 7) + "=",
                                           "PPINE=" + end() + id + "AB" + std::to_string(time) +
                                               " AREA" + end() + id + " 1230 CELL 2RW/NC ^MM5="};
            s += (rng() % 3 ? "" : "  ") + id + (rng() % 20 ? " " : " 1:") + std::to_string(time) +
                 " " + reports[rng() % 5] + end();
        } else if (kind < 9) {
            s += noise(rng, rng() % 8, false) + "SDUS2" + std::to_string(rng() % 10) +
                 " KWBC 0512" + (rng() % 3 ? "15" : "45") + end() + noise(rng, rng() % 60, true) +
                 "\n+ " + std::to_string(1 + rng() % 80) + " " + std::to_string(1 + rng() % 400) +
                 end();
            for (int row = 0, rows = static_cast<int>(rng() % 12); row < rows; ++row)
                s += noise(rng, rng() % 170, false) + end();
        } else {
            const std::string &f = files[rng() % 2];
            const size_t body = f.find('\n', f.find("RCM")) + 1;
            s += f.substr(0, f.find("RCM")) + (rng() % 4 ? "RCM" : "r\rcm") + id + end() +
                 f.substr(body) + end();
        }
    }
    return s + (seed % 2 ? "SDUS21 KWBC 051215\n+ 10 010\n123" : "TLX 1230 PPIOM");
}

class BlockInputConversion : public VekTest, protected Install {};

} // namespace

// Each reader converts in this process with reads of every size, searching
// heads, as it does when reading one byte at a time and testing every piece;
// and the program converts the same from standard input, a pipe.
TEST_F(BlockInputConversion, FastReadersConvertAsOnePieceAtATime) {
    const struct {
        const char *in, *date, *suffix;
        const char *decoded; // a text the converted file holds when reports were decoded
    } kinds[] = {{"mdr", "24060512", "_rad.txt", " TRW+"},
                 {"raw", "24060512", "_rad.txt", "SDUS"},
                 {"rcm", "1108280716", "_rcm.txt", " 515 PCPN"}};
    for (unsigned seed : {1u, 2u}) {
        const std::string text = generate(seed);
        for (const auto &k : kinds) {
            const std::string input = raw() + "/" + k.date + k.suffix;
            write_file(input, text);
            const std::vector<std::string> options =
                args({"-me", "none", "-pf", "over", "-in", k.in});
            const auto convert = [&](size_t block, bool pairs) {
                vek_reset_all();
                finput_set_block(block, pairs);
                std::vector<std::string> words = options;
                words.insert(words.begin(), "dirida");
                words.push_back(k.date);
                init_resources(words);
                RAD_decode_file();
                finput_set_block(0, true);
                return take_output(false);
            };
            const std::string reference = convert(1, false);
            EXPECT_NE(reference.find(k.decoded), std::string::npos) << k.in << ": nothing decoded";
            for (size_t block : {1, 7, 161, 4096, 0})
                EXPECT_EQ(convert(block, true), reference)
                    << k.in << " input " << seed << ", reads of " << block;
            std::string command = "cat " + input +
                                  " | env -i PATH=/usr/bin:/bin vekdefault=" + defaults() + " " +
                                  binary_dir + "/dirida";
            for (const std::string &w : options) command += " " + w;
            command += " -#20" + std::string(k.date); // the date with its century
            EXPECT_EQ(std::system(command.c_str()), 0) << k.in;
            EXPECT_EQ(take_output(false), reference) << k.in << " from a pipe";
        }
    }
}
