// Tests of the summary grid: the empty grid and the reader of the raw
// national radar summary bulletins.

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "vek_test.h"
#include "vekrad.h"

namespace {

class Summary : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        info = std::make_unique<RAD_info>();
        memset(info.get(), 0, sizeof *info);
        RAD_summary_init(info.get());
        RAD_set_nominal(12, 15);
    }

    // Runs the reader over TEXT as a whole input file.
    void read(const std::string &text) {
        std::string path = dir.file("bulletins.txt");
        vektest::write_file(path, text);
        FILE *f = fopen(path.c_str(), "r");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(MDR_read_raw_summary(f, info.get()), 0);
        // The reader consumes the whole input.
        EXPECT_EQ(getc(f), EOF);
        fclose(f);
    }

    signed char cell(int x, int y) const { return info->summary[x][y]; }

    // Number of cells that are no longer empty.
    int filled() const {
        int n = 0;
        for (int x = 0; x < RAD_SUM_NX; ++x)
            for (int y = 0; y < RAD_SUM_NY; ++y) n += info->summary[x][y] != RAD_EMPTY;
        return n;
    }

    vektest::TempDir dir;
    std::unique_ptr<RAD_info> info;
};

// ---------------------------------------------------------------------------
// The empty grid
// ---------------------------------------------------------------------------

TEST_F(Summary, InitMarksEveryCellEmpty) {
    memset(info->summary, 3, sizeof info->summary);
    EXPECT_EQ(RAD_summary_init(info.get()), 0);
    EXPECT_EQ(filled(), 0);
    EXPECT_EQ(cell(0, 0), 'c');
    EXPECT_EQ(cell(RAD_SUM_NX - 1, RAD_SUM_NY - 1), 'c');
    EXPECT_EQ(RAD_summary_init(nullptr), 0);
}

TEST_F(Summary, EmptyInputAndMissingStreamLeaveTheGridEmpty) {
    read("");
    EXPECT_EQ(filled(), 0);
    EXPECT_EQ(MDR_read_raw_summary(nullptr, info.get()), 0);
    EXPECT_EQ(filled(), 0);
}

// ---------------------------------------------------------------------------
// Headings and the nominal time
// ---------------------------------------------------------------------------

TEST_F(Summary, OnlyHeadingsOfTheNominalTimeAreRead) {
    read("SDUS21 KWBC 011245\n+ 01 081\n1\n+ 02 081\n"
         "SDUS21 KWBC 011315\n+ 01 081\n2\n+ 02 081\n"
         "SDUS11 KWBC 011215\n+ 01 081\n3\n+ 02 081\n" // not a summary heading
         "SDUS21 KWBC 01\n+ 01 081\n4\n+ 02 081\n"     // no time in it
         "SDUS21 KWBC\n+ 01 081\n5\n+ 02 081\n");
    EXPECT_EQ(filled(), 0);
    read("SDUS21 KWBC 011215\n+ 01 081\n6\n+ 02 081\n"
         "ZCZC 123 SDUS24 KMKC 051215 RRA\n+ 10 100\n7\n+ 11 100\n");
    EXPECT_EQ(cell(81, 2), 6);
    EXPECT_EQ(cell(100, 11), 7); // the heading is read from where SDUS2 stands
    EXPECT_EQ(filled(), 2);

    RAD_summary_init(info.get());
    RAD_set_nominal(VEK_MISS, VEK_MISS); // no nominal time: nothing is read
    read("SDUS21 KWBC 011215\n+ 01 081\n6\n+ 02 081\n");
    EXPECT_EQ(filled(), 0);
}

// ---------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------

TEST_F(Summary, SectionRowsStartOneRowBelowTheirHead) {
    // Lines between the heading and the first "+" line are passed over.
    read("SDUS21 KWBC 051215\nRADAR SUMMARY 1215Z\n12345\n\n+ 01 081\n123\n 4 x5\n\n0\n+ 44 081\n");
    EXPECT_EQ(cell(81, 2), 1);
    EXPECT_EQ(cell(82, 2), 2);
    EXPECT_EQ(cell(83, 2), 3);
    EXPECT_EQ(cell(81, 3), 'c'); // a blank leaves its cell
    EXPECT_EQ(cell(82, 3), 4);
    EXPECT_EQ(cell(84, 3), 'c'); // so does any other character
    EXPECT_EQ(cell(85, 3), 5);
    EXPECT_EQ(cell(81, 5), 0); // after an empty row
    EXPECT_EQ(filled(), 6);
}

TEST_F(Summary, ColumnOneCountsAsTwo) {
    read("SDUS22 KWBC 051215\n+ 10 001\n5\n+ 11 001\n"
         "SDUS22 KWBC 051215\n+ 20 000\n6\n+ 21 000\n");
    EXPECT_EQ(cell(2, 11), 5);
    EXPECT_EQ(cell(1, 11), 'c');
    EXPECT_EQ(cell(0, 21), 6);
}

TEST_F(Summary, PlusLineEndsTheSectionAndIsNotTakenAsTheNextHead) {
    read("SDUS21 KWBC 051215\n+ 01 081\n1\n+ 44 081\n2\nSDUS\n+ 43 081\n3\n+ 90 081\n");
    EXPECT_EQ(cell(81, 2), 1);
    EXPECT_EQ(filled(), 1);
    // A section of its own needs a heading of its own.
    read("SDUS22 KWBC 051215\n+ 43 081\n3\n+ 90 081\n");
    EXPECT_EQ(cell(81, 44), 3);
    EXPECT_EQ(filled(), 2);
}

TEST_F(Summary, AtMostOneHundredRowsAndTheLineAfterThemIsDropped) {
    std::string text = "SDUS21 KWBC 051215\n+ 00 010\n";
    for (int i = 0; i < 101; ++i) text += "1\n";
    // The 101st row line ends the section; the heading after it is read.
    text += "SDUS21 KWBC 051215\n+ 00 020\n2\n+ 00 020\n";
    read(text);
    EXPECT_EQ(cell(10, 1), 1);
    EXPECT_EQ(cell(10, 100), 1);
    EXPECT_EQ(cell(10, 101), 'c');
    EXPECT_EQ(cell(20, 1), 2);
    EXPECT_EQ(filled(), 101);

    // A heading that stands where the 101st row would be goes with it.
    RAD_summary_init(info.get());
    text = "SDUS21 KWBC 051215\n+ 00 010\n";
    for (int i = 0; i < 100; ++i) text += "1\n";
    text += "SDUS21 KWBC 051215\n+ 00 020\n2\n+ 00 020\n";
    read(text);
    EXPECT_EQ(cell(10, 100), 1);
    EXPECT_EQ(cell(20, 1), 'c');
    EXPECT_EQ(filled(), 100);
}

TEST_F(Summary, LaterBulletinsAddTheirSectionsAndOverwriteCells) {
    read("SDUS21 KWBC 051215\n+ 01 081\n99\n+ 02 081\n"
         "SDUS23 KWBC 051245\n+ 01 081\n55\n+ 02 081\n"
         "SDUS22 KWBC 051215\n+ 01 082\n11\n+ 02 082\n");
    EXPECT_EQ(cell(81, 2), 9);
    EXPECT_EQ(cell(82, 2), 1); // overwritten by a lower value
    EXPECT_EQ(cell(83, 2), 1);
    EXPECT_EQ(filled(), 3);
}

TEST_F(Summary, PlusLineWithoutBothNumbersPlacesNothing) {
    read("SDUS21 KWBC 051215\n+ 12\n5\n+ 13 010\nSDUS21 KWBC 051215\n+ x y\n6\n+ 1 1\n");
    EXPECT_EQ(filled(), 0);
}

// ---------------------------------------------------------------------------
// Hostile and broken input
// ---------------------------------------------------------------------------

TEST_F(Summary, TruncatedBulletinsEndTheReading) {
    read("SDUS21 KWBC 051215");
    read("SDUS21 KWBC 051215\nRADAR SUMMARY\n12345\n");
    read("SDUS21 KWBC 051215\n+ 01 081");
    EXPECT_EQ(filled(), 0);
    read("SDUS21 KWBC 051215\n+ 01 081\n\n  34"); // last row without line feed
    EXPECT_EQ(cell(83, 3), 3);
    EXPECT_EQ(cell(84, 3), 4);
    EXPECT_EQ(filled(), 2);
}

TEST_F(Summary, CellsOutsideTheGridAreDropped) {
    read("SDUS21 KWBC 051215\n+ 358 470\n1234567890123\n1\n+ 0 0\n"
         "SDUS21 KWBC 051215\n+ -5 -3\n1\n2\n3\n4\n5678\n+ 0 0\n"
         "SDUS21 KWBC 051215\n+ 2147483647 2147483647\n9\n+ 0 0\n"
         "SDUS21 KWBC 051215\n+ 100 -2147483648\n9\n+ 0 0\n");
    EXPECT_EQ(cell(470, 359), 1);
    EXPECT_EQ(cell(479, 359), 0);
    EXPECT_EQ(cell(0, 0), 8); // -3 + 3, -5 + 4 + 1
    EXPECT_EQ(filled(), 11);
}

TEST_F(Summary, BinaryGarbageIsPassedOver) {
    std::mt19937 gen(20261205);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string garbage;
    for (int i = 0; i < 20000; ++i) garbage += static_cast<char>(byte(gen));
    read(garbage);
    read(garbage + "\nSDUS21 KWBC 051215\n+ 01 081\n7\n+ 02 081\n");
    EXPECT_EQ(cell(81, 2), 7);
    // Control and high bytes inside a row are blanks; a NUL ends the row.
    RAD_summary_init(info.get());
    read(std::string("SDUS21 KWBC 051215\n+ 01 081\n\x01") + "5\xb5" + "6\x7f" +
         std::string("7\0"
                     "8",
                     3) +
         "\r\n+ 02 081\n");
    EXPECT_EQ(cell(81, 2), 'c');
    EXPECT_EQ(cell(82, 2), 5);
    EXPECT_EQ(cell(83, 2), 'c');
    EXPECT_EQ(cell(84, 2), 6);
    EXPECT_EQ(cell(86, 2), 7);
    EXPECT_EQ(filled(), 3);
}

TEST_F(Summary, VeryLongLinesComeInPiecesThatCountAsRows) {
    // A 100,000-character junk line before the heading does not hide it.
    read(std::string(100000, 'x') + "\nSDUS21 KWBC 051215\n+ 01 081\n7\n+ 02 081\n");
    EXPECT_EQ(cell(81, 2), 7);
    EXPECT_EQ(filled(), 1);

    // A row of 100,000 digits is read 160 characters at a time, each piece
    // a row of its own, up to the limit of 100 rows.
    RAD_summary_init(info.get());
    read("SDUS21 KWBC 051215\n+ 05 000\n" + std::string(100000, '3') + "\n+ 0 0\n");
    EXPECT_EQ(cell(0, 6), 3);
    EXPECT_EQ(cell(159, 6), 3);
    EXPECT_EQ(cell(160, 6), 'c');
    EXPECT_EQ(cell(159, 105), 3);
    EXPECT_EQ(cell(0, 106), 'c');
    EXPECT_EQ(filled(), 160 * 100);
}

TEST_F(Summary, SampleBulletinFileOfTheNominalTime) {
    std::string path = vektest::source_dir() + "/data/sample_summary.txt";
    read(vektest::read_file(path));
    EXPECT_EQ(cell(96, 5), 1);  // SDUS21, "+ 01 081"
    EXPECT_EQ(cell(49, 24), 1); // SDUS22, "+ 20 041"
    EXPECT_EQ(cell(46, 27), 1);
    EXPECT_EQ(cell(47, 27), 3);
    EXPECT_EQ(cell(50, 27), 6);
    EXPECT_EQ(cell(21, 46), 1); // SDUS23, "+ 43 002"
    EXPECT_EQ(cell(25, 46), 2);
    EXPECT_EQ(cell(86, 4), 'c'); // only in the bulletin of 12:45
    EXPECT_EQ(filled(), 103 + 119 + 117);

    RAD_summary_init(info.get());
    RAD_set_nominal(12, 45);
    read(vektest::read_file(path));
    EXPECT_EQ(cell(86, 4), 1);
    EXPECT_EQ(filled(), 33);
}

} // namespace
