// The bulletin readers at full speed against the same readers taking one
// piece at a time from reads of one byte, on generated inputs of every
// awkward shape: lines at and across the 160- and 5000-byte widths, carriage
// returns, NUL and high bytes, empty lines, no final line feed, heads split
// by every read boundary, and input from a pipe. Whole converted files are
// compared.

#include "vek_test.h"

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "vekrad.h"

using namespace vektest;

namespace {

const char *const sites[] = {"TLX", "AMA", "FWS", "DDC", "ICT", "LZK", "OKX", "BMX", "XYZ"};

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

// A line end: LF, CRLF, CR CR LF, or LF and an empty line.
std::string line_end(std::mt19937 &rng) {
    static const char *const ends[] = {"\r\n", "\r\r\n", "\n\n", "\n", "\n", "\n"};
    return ends[rng() % 6];
}

// Padding that puts what follows at, just before or just after the start of
// a new piece of WIDTH bytes: a line of WIDTH - 1, WIDTH or WIDTH + 1 bytes
// without line feed before it, or a line of its own.
std::string at_width(std::mt19937 &rng, size_t width) {
    const unsigned k = rng() % 5;
    if (k == 0) return std::string(width, 'X');
    if (k < 3) return std::string(width + 2 * k - 3, 'X') + "\n";
    return noise(rng, rng() % 40, false) + "\n";
}

std::string mdr_input(unsigned seed) {
    std::mt19937 rng(seed);
    std::string s;
    for (int i = 0; i < 400; ++i) {
        s += at_width(rng, 160);
        const std::string id = sites[rng() % std::size(sites)];
        const int time = (rng() % 4 ? 1215 : 1115) + static_cast<int>(rng() % 30);
        const std::string end = line_end(rng), lead = rng() % 3 ? "" : "  ";
        // No echoes, an area, a line, a cell; and a head whose time continues
        // a first word of five letters: its report (of no known station)
        // takes in the head after it.
        const std::string reports[] = {
            "PPINE=",
            "AREA 4TRW+/+ 250/60 290/95 35W C2520 MT 450 AT 275/80" + end + "   ^MM5 ML34 NK" +
                std::to_string(rng() % 7) + "=",
            "LN 6TRW++/NC 310/110 L2515 MT 520" + end + noise(rng, rng() % 200, false),
            "CELL 2RW/NC ^MM" + std::to_string(rng() % 7) + "=",
            "PPINE=" + end + id + "AB" + std::to_string(time) + " AREA" + line_end(rng) + id +
                " 1230 CELL 2RW/NC ^MM5="};
        s += lead + id + " " + std::to_string(time) + " " + reports[rng() % 5] + line_end(rng);
    }
    return s + "TLX 1230 PPIOM"; // no final line feed
}

std::string summary_input(unsigned seed) {
    std::mt19937 rng(seed);
    std::string s;
    for (int i = 0; i < 150; ++i) {
        s += at_width(rng, 160);
        const int minute = rng() % 3 ? 15 : 45;
        s += noise(rng, rng() % 8, false) + "SDUS2" + std::to_string(rng() % 10) + " KWBC 05" +
             "12" + std::to_string(minute) + line_end(rng);
        s += noise(rng, rng() % 60, true) + "\n+ " + std::to_string(1 + rng() % 80) + " " +
             std::to_string(1 + rng() % 400) + line_end(rng);
        for (int row = 0, rows = static_cast<int>(rng() % 12); row < rows; ++row)
            s += noise(rng, rng() % 170, false) + line_end(rng);
    }
    return s + "SDUS21 KWBC 051215\n+ 10 010\n123"; // no final line feed
}

// The messages of the two real files, under other sites' heads too.
std::string rcm_input(unsigned seed) {
    const std::string files[] = {read_file(source_dir() + "/data/1108280716_rcm.txt"),
                                 read_file(source_dir() + "/data/1501020217_rcm.txt")};
    std::mt19937 rng(seed);
    std::string s;
    for (int i = 0; i < 60; ++i) {
        s += at_width(rng, 5000);
        const std::string &f = files[rng() % 2];
        const size_t body = f.find('\n', f.find("RCM")) + 1;
        s += f.substr(0, f.find("RCM"));
        s += (rng() % 4 ? "RCM" : "r\rcm") + std::string(sites[rng() % std::size(sites)]) +
             line_end(rng) + f.substr(body) + line_end(rng);
    }
    return s;
}

struct Kind {
    const char *in;     // the "input" resource
    const char *date;   // the input's name without its suffix
    const char *suffix; // "_rad.txt" or "_rcm.txt"
    std::string (*generate)(unsigned seed);
    const char *decoded; // a text that the converted file holds when reports were decoded
};

const Kind kinds[] = {{"mdr", "24060512", "_rad.txt", mdr_input, " TRW++ NC 520,"},
                      {"raw", "24060512", "_rad.txt", summary_input, "SDUS"},
                      {"rcm", "1108280716", "_rcm.txt", rcm_input, " 515 PCPN"}};

class BlockInputConversion : public VekTest, protected Install {
  protected:
    std::vector<std::string> options(const Kind &k) {
        return args({"-me", "none", "-pf", "over", "-in", k.in});
    }
    // Converts in this process with reads of BLOCK bytes, searching heads
    // or testing every piece.
    std::string convert(const Kind &k, size_t block, bool pairs) {
        reset_all();
        finput_set_block(block, pairs);
        std::vector<std::string> words = options(k);
        words.insert(words.begin(), "dirida");
        words.push_back(k.date);
        Args a(words);
        RES_init(a.argc(), a.argv(), RAD_res_key, RAD_res_pos);
        RAD_decode_file();
        finput_set_block(0, true);
        return take_output(false);
    }
};

} // namespace

TEST_F(BlockInputConversion, FastReadersConvertAsOnePieceAtATime) {
    // RCM messages cross reads of 1 MB; the others lie in one, so they are
    // cut by small reads.
    for (const Kind &k : kinds) {
        for (unsigned seed : {1u, 2u}) {
            const std::string input = raw() + "/" + k.date + k.suffix;
            write_file(input, k.generate(seed));
            const std::string reference = convert(k, 1, false);
            EXPECT_NE(reference.find(k.decoded), std::string::npos) << k.in << ": nothing decoded";
            for (size_t block : {1, 7, 161, 4096, 0})
                EXPECT_EQ(convert(k, block, true), reference)
                    << k.in << " input " << seed << ", reads of " << block;
            // The program itself, reading standard input from a pipe.
            std::string command = "cat " + input +
                                  " | env -i PATH=/usr/bin:/bin vekdefault=" + defaults() + " " +
                                  binary_dir() + "/dirida";
            for (const std::string &w : options(k)) command += " " + w;
            command += " -#20" + std::string(k.date); // the date with its century
            EXPECT_EQ(std::system(command.c_str()), 0) << k.in;
            EXPECT_EQ(take_output(false), reference) << k.in << " from a pipe";
        }
    }
}
