// Tests of the reader of the raw national radar summary bulletins.

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "vek_test.h"
#include "vekrad.h"

using namespace std::string_literals;

namespace {

class Summary : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        info = std::make_unique<RAD_info>();
        RAD_set_nominal(12, 15);
    }
    // Runs the reader over TEXT as a whole input file on an empty grid and
    // returns the cells it filled, as "x,y=v" by x, then y.
    std::string read(const std::string &text) {
        RAD_summary_init(info.get());
        const std::string path = dir.file("bulletins.txt");
        vektest::write_file(path, text);
        FILE *f = FILE_open(path.c_str(), "r");
        EXPECT_NE(f, nullptr);
        if (!f) return "";
        EXPECT_EQ(MDR_read_raw_summary(f, info.get()), 0);
        EXPECT_EQ(getc(f), EOF); // the reader consumes the whole input
        FILE_close(f);
        std::string cells;
        for (int x = 0; x < RAD_SUM_NX; ++x)
            for (int y = 0; y < RAD_SUM_NY; ++y)
                if (info->summary[x][y] != RAD_EMPTY)
                    cells += (cells.empty() ? "" : " ") + std::to_string(x) + "," +
                             std::to_string(y) + "=" + std::to_string(info->summary[x][y]);
        return cells;
    }
    vektest::TempDir dir;
    std::unique_ptr<RAD_info> info;
};

TEST_F(Summary, SectionsOfTheBulletinsOfTheNominalTime) {
    const std::string head = "SDUS21 KWBC 051215\n";
    std::string blank99; // 99 rows that place nothing
    for (int i = 0; i < 99; ++i) blank99 += "x\n";
    const struct {
        std::string text, cells;
    } cases[] = {
        // Headings of other times, other products or without time are passed over.
        {"SDUS21 KWBC 011245\n+ 01 081\n1\n+ 02 081\nSDUS11 KWBC 011215\n+ 01 081\n3\n+ 0 0\n"
         "SDUS21 KWBC 01\n+ 01 081\n4\n+ 0 0\nSDUS21 KWBC\n+ 01 081\n5\n+ 0 0\n",
         ""},
        // The heading is read from where "SDUS2" stands. Rows start one below
        // the "+ row col" line; characters other than digits leave their cells.
        {"ZCZC 123 SDUS24 KMKC 051215 RRA\nRADAR SUMMARY\n12345\n+ 01 081\n123\n 4 x5\n\n0\n+ 0 "
         "0\n",
         "81,2=1 81,5=0 82,2=2 82,3=4 83,2=3 85,3=5"},
        {head + "+ 10 001\n5\n+ 0 0\n" + head + "+ 20 000\n6\n+ 0 0\n",
         "0,21=6 2,11=5"}, // column 1 is 2
        // The "+" line that ends a section is not the head of another one.
        {head + "+ 01 081\n1\n+ 44 081\n2\nSDUS\n+ 43 081\n3\n+ 90 081\n", "81,2=1"},
        // At most 100 rows; the line after them is dropped, even a heading.
        {head + "+ 00 010\n" + blank99 + "1\n2\n" + head + "+ 00 020\n2\n+ 0 0\n",
         "10,100=1 20,1=2"},
        {head + "+ 00 010\n" + blank99 + "1\n" + head + "+ 00 020\n2\n+ 0 0\n", "10,100=1"},
        // Later bulletins overwrite; "+" lines without both numbers place nothing.
        {head + "+ 01 081\n99\n+ 0 0\nSDUS22 KWBC 051215\n+ 01 082\n11\n+ 0 0\n" + head +
             "+ 12\n5\n+ 13 010\n" + head + "+ x y\n6\n+ 1 1\n",
         "81,2=9 82,2=1 83,2=1"},
        // Cells outside the grid are dropped, also from numbers at the limits.
        {head + "+ 358 470\n1234567890123\n1\n+ 0 0\n" + head +
             "+ -5 -3\n1\n2\n3\n4\n5678\n+ 0 0\n" + head + "+ 2147483647 2147483647\n9\n+ 0 0\n" +
             head + "+ 100 -2147483648\n9\n+ 0 0\n",
         "0,0=8 470,359=1 471,359=2 472,359=3 473,359=4 474,359=5 475,359=6 476,359=7 477,359=8 "
         "478,359=9 479,359=0"},
        // Truncated bulletins end the reading; control and high bytes are blanks, NUL ends a row.
        {head + "+ 01 081\n\n  34", "83,3=3 84,3=4"},
        {head, ""},
        {head + "+ 01 081", ""},
        {head + "+ 01 081\n\0015\2656\1777\0008\r\n+ 0 0\n"s, "82,2=5 84,2=6 86,2=7"},
    };
    for (const auto &c : cases) EXPECT_EQ(read(c.text), c.cells) << c.text.substr(0, 120);
    RAD_set_nominal(VEK_MISS, VEK_MISS);
    EXPECT_EQ(read(head + "+ 01 081\n6\n+ 02 081\n"), "");
    EXPECT_EQ(MDR_read_raw_summary(nullptr, info.get()), 0);
}

TEST_F(Summary, GarbageAndHugeLines) {
    std::mt19937 gen(20261205);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage += static_cast<char>(gen() & 0xff);
    const std::string section = "\nSDUS21 KWBC 051215\n+ 01 081\n7\n+ 02 081\n";
    EXPECT_EQ(read(garbage), "");
    EXPECT_EQ(read(garbage + section), "81,2=7");
    EXPECT_EQ(read(std::string(100000, 'x') + section), "81,2=7");
    // A row of 100,000 digits comes in rows of 160, up to the limit of 100.
    const std::string big =
        read("SDUS21 KWBC 051215\n+ 05 000\n" + std::string(100000, '3') + "\n+ 0 0\n");
    EXPECT_EQ(std::count(big.begin(), big.end(), '='), 160 * 100);
    EXPECT_EQ(info->summary[0][6], 3);
    EXPECT_EQ(info->summary[159][105], 3);
}

TEST_F(Summary, SampleBulletinFile) {
    const std::string text = vektest::read_file(vektest::source_dir() + "/data/sample_summary.txt");
    const std::string at_15 = " " + read(text) + " ";
    EXPECT_EQ(std::count(at_15.begin(), at_15.end(), '='), 103 + 119 + 117);
    for (const char *cell : {" 96,5=1 ", " 47,27=3 ", " 50,27=6 ", " 25,46=2 "}) // from 3 bulletins
        EXPECT_NE(at_15.find(cell), std::string::npos) << cell;
    RAD_set_nominal(12, 45);
    const std::string at_45 = read(text);
    EXPECT_EQ(std::count(at_45.begin(), at_45.end(), '='), 33);
}

} // namespace
