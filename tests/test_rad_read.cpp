// Tests of the converted radar file: recognising a file's form, the open and
// close rules, and the text form byte for byte.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vek_test.h"
#include "vekrad.h"

using vektest::file_exists;
using vektest::read_file;
using vektest::TempDir;
using vektest::write_file;

namespace {

class RadRead : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        info = std::make_unique<RAD_info>();
        memset(info.get(), 0, sizeof *info);
        RAD_summary_init(info.get());
        vek_copy(info->datim, "12:15Z 5 DEC 2026");
    }

    // Writes a header (and whatever WRITE adds) to a new file of TYPE and
    // returns the file's bytes.
    template <class Fn>
    std::string write_with(int type, Fn write) {
        std::string path = dir.file("out.rad");
        int t = type;
        int fd = RAD_open(path.c_str(), 1, &t);
        EXPECT_GE(fd, 0);
        write(fd);
        EXPECT_EQ(RAD_close(fd), 0);
        return read_file(path);
    }

    std::string header(int type, int *result = nullptr) {
        return write_with(type, [&](int fd) {
            int r = RAD_putinfo(fd, info.get());
            if (result) *result = r;
        });
    }

    std::string mdr_line(MDR_report &r) {
        info->type = 1;
        std::string all = write_with(2, [&](int fd) {
            RAD_putinfo(fd, info.get());
            int n = 0;
            EXPECT_EQ(MDR_write(fd, &r, 1, &n), 0);
        });
        const std::string end = "SDXX STATIONS\n";
        size_t at = all.find(end);
        EXPECT_NE(at, std::string::npos);
        return all.substr(at + end.size());
    }

    std::string rcm_block(RCM_report &r) {
        info->type = 2;
        std::string all = write_with(2, [&](int fd) {
            RAD_putinfo(fd, info.get());
            int n = 0;
            EXPECT_EQ(RCM_write(fd, &r, 1, &n), 0);
        });
        const std::string head = "RCM SUMMARY\n";
        size_t at = all.find(head);
        EXPECT_NE(at, std::string::npos);
        return all.substr(at + head.size());
    }

    TempDir dir;
    std::unique_ptr<RAD_info> info;
};

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    if (start < text.size()) lines.push_back(text.substr(start)); // unterminated tail
    return lines;
}

// An MDR report with every field missing.
MDR_report empty_mdr(const char *id, const char *config) {
    MDR_report r;
    memset(&r, 0, sizeof r);
    vek_copy(r.id, id);
    vek_copy(r.config, config);
    r.numprec = 0;
    r.tops = {VEK_MISS, VEK_MISS, VEK_MISS};
    for (MDR_move &m : r.move) m = {' ', VEK_MISS, VEK_MISS};
    return r;
}

RCM_report empty_rcm(const char *id, int num) {
    RCM_report r;
    memset(&r, 0, sizeof r);
    vek_copy(r.id, id);
    r.num = num;
    r.mode = VEK_MISS;
    r.status = 0;
    r.maxt = VEK_MISS;
    return r;
}

// ---------------------------------------------------------------------------
// Recognising a file
// ---------------------------------------------------------------------------

TEST_F(RadRead, FirstByteGivesTheType) {
    struct Case {
        std::string bytes;
        int type;
    } cases[] = {
        {"VEKRAD\n12:15Z\n", 3},
        {"V", 3},
        {"0 anything", 2},
        {"1", 2},
        {"2\n", 2},
        {" SDUS", 2},
        {"*header\n", 1},
        {"3", -1},
        {"9xyz", -1},
        {"v", -1},
        {"\nVEKRAD", -1},
        {"\tV", -1},
        {"", -1},
        {"CDF\x01", -1},
        {"Clearly text", -1}, // no netCDF layer yet
    };
    for (const Case &c : cases) {
        write_file(dir.file("probe"), c.bytes);
        EXPECT_EQ(RAD_chktype(dir.file("probe").c_str()), c.type) << "first bytes: " << c.bytes;
    }
    EXPECT_EQ(RAD_chktype(dir.file("missing").c_str()), -1);
    EXPECT_EQ(RAD_chktype(dir.path().c_str()), -1); // a directory has no first byte
}

// ---------------------------------------------------------------------------
// Opening and closing
// ---------------------------------------------------------------------------

TEST_F(RadRead, CreatingWithTypeZeroFailsWithoutTouchingTheFileSystem) {
    std::string path = dir.file("sub/out.rad");
    int type = 0;
    EXPECT_EQ(RAD_open(path.c_str(), 1, &type), -1);
    EXPECT_EQ(type, 0);
    EXPECT_FALSE(file_exists(dir.file("sub")));
    EXPECT_EQ(RAD_close(0), -1);
}

TEST_F(RadRead, CloseWithoutOpenFileFailsAndCloseIsNotRepeated) {
    EXPECT_EQ(RAD_close(3), -1);
    std::string path = dir.file("deep/er/a.rad");
    int type = 2;
    int fd = RAD_open(path.c_str(), 1, &type);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(RAD_close(fd), 0);
    EXPECT_EQ(RAD_close(fd), -1);
    EXPECT_EQ(read_file(path), ""); // created, through missing directories
}

TEST_F(RadRead, ReadingWithTypeZeroFindsAndReturnsTheType) {
    std::string path = dir.file("in.rad");
    write_file(path, "VEKRAD\nlabel\n");
    int type = 0;
    int fd = RAD_open(path.c_str(), 0, &type);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(type, 3);
    EXPECT_EQ(RAD_close(fd), 0);
    // Opening for reading leaves the file as it was.
    EXPECT_EQ(read_file(path), "VEKRAD\nlabel\n");

    write_file(path, "7 unknown");
    type = 0;
    EXPECT_EQ(RAD_open(path.c_str(), 0, &type), -1);
    EXPECT_EQ(type, -1);
    EXPECT_EQ(RAD_close(0), -1);
}

TEST_F(RadRead, UnknownTypesAccessesAndNetCdfTypesAreRefused) {
    std::string path = dir.file("x.rad");
    for (int t : {4, 10, 13, 21, -1}) {
        int type = t;
        EXPECT_EQ(RAD_open(path.c_str(), 1, &type), -1) << "type " << t;
    }
    int type = 3;
    EXPECT_EQ(RAD_open(path.c_str(), 2, &type), -1);
    // The netCDF forms are not written yet: "-ou cdf" ends with the open failure.
    for (int t : {11, 12}) {
        type = t;
        EXPECT_EQ(RAD_open(path.c_str(), 1, &type), -1) << "type " << t;
        EXPECT_EQ(RAD_open(path.c_str(), 0, &type), -1) << "type " << t;
    }
    EXPECT_FALSE(file_exists(path));
    write_file(dir.file("plain"), "x"); // a file where a directory is needed
    type = 3;
    EXPECT_EQ(RAD_open(dir.file("plain/out.rad").c_str(), 1, &type), -1);
    EXPECT_EQ(RAD_close(0), -1);
    EXPECT_EQ(RAD_putinfo(0, info.get()), -1);
}

TEST_F(RadRead, SecondOpenIsRefusedAndTheFirstFileStaysOpen) {
    int type = 3;
    int fd = RAD_open(dir.file("first.rad").c_str(), 1, &type);
    ASSERT_GE(fd, 0);
    int type2 = 3;
    EXPECT_EQ(RAD_open(dir.file("second.rad").c_str(), 1, &type2), -1);
    EXPECT_FALSE(file_exists(dir.file("second.rad")));
    info->type = 7;
    RAD_putinfo(fd, info.get());
    EXPECT_EQ(RAD_close(fd), 0);
    EXPECT_EQ(read_file(dir.file("first.rad")), "VEKRAD\n12:15Z 5 DEC 2026\n");
}

TEST_F(RadRead, StarFileIsOpenedButNeverWritten) {
    info->type = 1;
    MDR_report m = empty_mdr("OKC", "NE");
    RCM_report r = empty_rcm("KTLX", 1);
    int result = 0;
    std::string text = write_with(1, [&](int fd) {
        result = RAD_putinfo(fd, info.get());
        int n = 0;
        EXPECT_EQ(MDR_write(fd, &m, 1, &n), 0);
        EXPECT_EQ(RCM_write(fd, &r, 1, &n), 0);
    });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(text, "");
}

// ---------------------------------------------------------------------------
// The header with the MDR summary
// ---------------------------------------------------------------------------

// The grid lines of rows y0..y1, columns x0..x1, as the text form shows them.
std::string grid_rows(const RAD_info &in, int y0, int y1, int x0, int x1) {
    std::string s;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int v = in.summary[x][y];
            s += (v >= 1 && v <= 6) ? static_cast<char>('0' + v) : ' ';
        }
        s += '\n';
    }
    return s;
}

// The MDR summary section as laid out in the raw national summaries: east
// band x 79-119 in rows 0-41 and 42-87, middle band x 39-78 in rows 0-51 and
// 52-87, west band x 0-38 in rows 0-41 and 42-87.
std::string expected_mdr_section(const RAD_info &in) {
    return "SDUS SUMMARY\n"
           "+ 01 081\n" +
           grid_rows(in, 0, 41, 79, 119) +
           "+ 44 081\n"
           "SDUS\n"
           "+ 43 081\n" +
           grid_rows(in, 42, 87, 79, 119) +
           "+ 90 081\n"
           "SDUS\n"
           "+ 01 041\n" +
           grid_rows(in, 0, 51, 39, 78) +
           "+ 54 041\n"
           "SDUS\n"
           "+ 53 041\n" +
           grid_rows(in, 52, 87, 39, 78) +
           "+ 90 041\n"
           "SDUS\n"
           "+ 01 002\n" +
           grid_rows(in, 0, 41, 0, 38) +
           "+ 44 002\n"
           "SDUS\n"
           "+ 43 002\n" +
           grid_rows(in, 42, 87, 0, 38) +
           "+ 90 002\n"
           "SDXX STATIONS\n";
}

TEST_F(RadRead, MdrHeaderMatchesTheSummaryLayoutByteForByte) {
    // Every value a cell can hold, spread over the whole grid.
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            info->summary[x][y] = static_cast<signed char>((x * 7 + y * 3) % 15 - 2);
    info->summary[5][5] = RAD_EMPTY;
    info->summary[6][5] = -128;
    info->summary[7][5] = 127;
    for (int type : {0, 1}) {
        info->type = type;
        int result = 99;
        std::string text = header(3, &result);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(text, "VEKRAD\n12:15Z 5 DEC 2026\n" + expected_mdr_section(*info));
    }
}

TEST_F(RadRead, MdrHeaderWithoutIdentificationLine) {
    info->type = 1;
    info->summary[100][30] = 4;
    int result = 99;
    std::string text = header(2, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(text, "12:15Z 5 DEC 2026\n" + expected_mdr_section(*info));
}

TEST_F(RadRead, MdrSummaryPlacesCornersAndLeavesOutRowsAndColumnsBeyondTheGrid) {
    info->type = 0;
    info->summary[79][0] = 1;   // first cell of the east band
    info->summary[119][87] = 2; // last cell of the east band
    info->summary[39][52] = 3;  // first cell of the middle band's southern piece
    info->summary[0][87] = 4;   // last line of the west band
    info->summary[60][88] = 6;  // row 88 is not written
    info->summary[60][89] = 6;
    info->summary[120][10] = 5; // nor are columns beyond 119
    info->summary[300][10] = 5;
    std::vector<std::string> lines = split_lines(header(3));
    ASSERT_EQ(lines.size(), 2u + 264u + 19u);
    int grid_lines = 0;
    for (const std::string &l : lines)
        if (l.find_first_not_of(" 123456") == std::string::npos) ++grid_lines;
    EXPECT_EQ(grid_lines, 264);
    EXPECT_EQ(lines[4], "1" + std::string(40, ' '));               // y 0 of x 79-119
    EXPECT_EQ(lines[4 + 42 + 3 + 45], std::string(40, ' ') + "2"); // y 87 of x 79-119
    EXPECT_EQ(lines[95], "+ 90 081");
    EXPECT_EQ(lines[98 + 52 + 3], "3" + std::string(39, ' '));
    EXPECT_EQ(lines[lines.size() - 3], "4" + std::string(38, ' '));
    EXPECT_EQ(lines[lines.size() - 2], "+ 90 002");
    EXPECT_EQ(lines.back(), "SDXX STATIONS");
    std::string grid;
    for (size_t i = 2; i < lines.size(); ++i)
        if (lines[i][0] != '+' && lines[i][0] != 'S') grid += lines[i];
    EXPECT_EQ(grid.size(), 88u * 41 + 88u * 40 + 88u * 39);
    EXPECT_EQ(grid.find_first_of("56"), std::string::npos);
}

TEST_F(RadRead, EmptyMdrSummaryStillWritesEveryMarkerAndBlankGridLines) {
    info->type = 1;
    std::vector<std::string> lines = split_lines(header(3));
    ASSERT_EQ(lines.size(), 285u);
    const std::vector<std::string> markers = {
        "SDUS SUMMARY", "+ 01 081", "+ 44 081", "SDUS",     "+ 43 081",     "+ 90 081", "SDUS",
        "+ 01 041",     "+ 54 041", "SDUS",     "+ 53 041", "+ 90 041",     "SDUS",     "+ 01 002",
        "+ 44 002",     "SDUS",     "+ 43 002", "+ 90 002", "SDXX STATIONS"};
    std::vector<std::string> seen;
    std::vector<size_t> widths;
    for (size_t i = 2; i < lines.size(); ++i) {
        if (lines[i].find_first_not_of(' ') == std::string::npos)
            widths.push_back(lines[i].size());
        else
            seen.push_back(lines[i]);
    }
    EXPECT_EQ(seen, markers);
    ASSERT_EQ(widths.size(), 264u);
    std::vector<size_t> expected_widths;
    for (auto [n, w] : {std::pair{88, 41}, {88, 40}, {88, 39}})
        expected_widths.insert(expected_widths.end(), n, w);
    EXPECT_EQ(widths, expected_widths);
}

TEST_F(RadRead, DateLabelIsWrittenAsItStandsAndNeverBeyondItsField) {
    info->type = 9; // no summary section: the header ends after the label
    vek_copy(info->datim, "label with %s and %d");
    int result = 0;
    EXPECT_EQ(header(3, &result), "VEKRAD\nlabel with %s and %d\n");
    EXPECT_EQ(result, -1);
    memset(info->datim, 'L', sizeof info->datim); // no terminator in the field
    EXPECT_EQ(header(2), std::string(39, 'L') + "\n");
}

// ---------------------------------------------------------------------------
// The header with the RCM summary
// ---------------------------------------------------------------------------

TEST_F(RadRead, RcmSummaryWithoutValuesIsOnlyItsHeading) {
    info->type = 2;
    for (int x = 0; x < RAD_SUM_NX; ++x) info->summary[x][7] = 0;
    for (int x = 0; x < RAD_SUM_NX; ++x) info->summary[x][8] = -1;
    info->summary[452][9] = 5; // beyond the written columns
    info->summary[479][10] = 9;
    int result = 0;
    EXPECT_EQ(header(3, &result), "VEKRAD\n12:15Z 5 DEC 2026\nRCM SUMMARY\n");
    EXPECT_EQ(result, -1);
}

TEST_F(RadRead, RcmRowsBreakAfterEvery78thCell) {
    info->type = 2;
    info->summary[0][5] = 1;
    info->summary[77][5] = 2;
    info->summary[78][5] = 3;
    info->summary[389][5] = 4;
    info->summary[390][5] = 5;
    info->summary[451][5] = 6;
    info->summary[452][5] = 6; // not written
    const std::string blank78(78, ' ');
    std::string row = "+  5\n" + ("1" + std::string(76, ' ') + "2\n") +
                      ("3" + std::string(77, ' ') + "\n") + blank78 + "\n" + blank78 + "\n" +
                      (std::string(77, ' ') + "4\n") + ("5" + std::string(60, ' ') + "6\n");
    EXPECT_EQ(header(2), "12:15Z 5 DEC 2026\nRCM SUMMARY\n" + row);
}

TEST_F(RadRead, RcmRowIsPresentForValuesOneToNineButShowsOnlyOneToSix) {
    info->type = 2;
    info->summary[10][0] = 7;   // present, written as blanks
    info->summary[20][123] = 9; // present
    info->summary[30][123] = 3;
    info->summary[40][200] = 0; // absent
    info->summary[451][359] = 8;
    std::string blank_row;
    for (int i = 0; i < 5; ++i) blank_row += std::string(78, ' ') + "\n";
    blank_row += std::string(62, ' ') + "\n";
    std::string row123 = std::string(30, ' ') + "3" + std::string(47, ' ') + "\n";
    for (int i = 1; i < 5; ++i) row123 += std::string(78, ' ') + "\n";
    row123 += std::string(62, ' ') + "\n";
    EXPECT_EQ(header(2), "12:15Z 5 DEC 2026\nRCM SUMMARY\n+  0\n" + blank_row + "+123\n" + row123 +
                             "+359\n" + blank_row);
}

// ---------------------------------------------------------------------------
// MDR report lines
// ---------------------------------------------------------------------------

TEST_F(RadRead, MdrReportWithNothingDecodedIsIdConfigAndSixStars) {
    MDR_report r = empty_mdr("OKC", "NE");
    EXPECT_EQ(mdr_line(r), "OKC NE * * * * * *\n");
}

TEST_F(RadRead, MdrReportWithEveryField) {
    MDR_report r = empty_mdr("OKC", "CELL");
    r.numprec = 2;
    r.prec[0] = {4, "TRW", 3};
    r.prec[1] = {2, "RW", 1}; // only the first group is written
    vek_copy(r.trend, "+");
    r.tops = {450, 250, 80};
    r.move[0] = {'C', 250, 20};
    r.move[1] = {'A', 5, 5};
    r.move[2] = {'L', 360, 0};
    EXPECT_EQ(mdr_line(r), "OKC CELL TRW+ + 450,250080 C2520 A0005 L3600\n");
}

TEST_F(RadRead, MdrIntensityCodesGiveTheirSuffixes) {
    struct Case {
        int intens;
        const char *field;
    } cases[] = {{1, "RW-"}, {2, "RW"}, {3, "RW+"}, {4, "RW++"}, {5, "RWx"},  {6, "RWxx"},
                 {9, "RWu"}, {0, "*"},  {7, "*"},   {8, "*"},    {-9999, "*"}};
    for (const Case &c : cases) {
        MDR_report r = empty_mdr("ABC", "AREA");
        r.numprec = 1;
        r.prec[0] = {VEK_MISS, "RW", c.intens};
        EXPECT_EQ(mdr_line(r), std::string("ABC AREA ") + c.field + " * * * * *\n")
            << "intensity " << c.intens;
    }
    MDR_report r = empty_mdr("ABC", "AREA");
    r.numprec = -1;
    r.prec[0] = {VEK_MISS, "RW", 2};
    EXPECT_EQ(mdr_line(r), "ABC AREA * * * * * *\n");
}

TEST_F(RadRead, MdrTopsWithAndWithoutDirection) {
    MDR_report r = empty_mdr("ABC", "LINE");
    r.tops = {450, VEK_MISS, VEK_MISS};
    EXPECT_EQ(mdr_line(r), "ABC LINE * * 450,000000 * * *\n");
    r.tops = {12, 5, 7};
    EXPECT_EQ(mdr_line(r), "ABC LINE * * 12,005007 * * *\n");
    r.tops = {VEK_MISS, 250, 80};
    EXPECT_EQ(mdr_line(r), "ABC LINE * * * * * *\n");
}

TEST_F(RadRead, MdrMovementDirectionInTensAndIncompleteMovements) {
    MDR_report r = empty_mdr("ABC", "AREA");
    r.move[0] = {'A', 5, 15};
    r.move[1] = {'C', 255, 7};
    r.move[2] = {'L', 9, 99};
    EXPECT_EQ(mdr_line(r), "ABC AREA * * * A0015 C2507 L0099\n");
    r.move[0] = {'X', 250, 20};
    r.move[1] = {'C', VEK_MISS, 20};
    r.move[2] = {'L', 250, VEK_MISS};
    EXPECT_EQ(mdr_line(r), "ABC AREA * * * * * *\n");
    r.move[0] = {' ', 250, 20};
    EXPECT_EQ(mdr_line(r), "ABC AREA * * * * * *\n");
}

TEST_F(RadRead, MdrFieldsWithoutTerminatorAreCutToTheirCapacity) {
    MDR_report r = empty_mdr("", "");
    memset(r.id, 'I', sizeof r.id);
    memset(r.config, 'C', sizeof r.config);
    r.numprec = 1;
    memset(r.prec[0].type, 'T', sizeof r.prec[0].type);
    r.prec[0].intens = 3;
    memset(r.trend, 'N', sizeof r.trend);
    EXPECT_EQ(mdr_line(r),
              std::string(10, 'I') + " " + std::string(9, 'C') + " TTTT+ NNN * * * *\n");
}

// ---------------------------------------------------------------------------
// RCM report blocks
// ---------------------------------------------------------------------------

TEST_F(RadRead, RcmHeaderLineCarriesModeAndStatusWords) {
    struct Case {
        int mode, status;
        const char *line;
    } cases[] = {
        {1, 0, "** KTLX 005 PCPN\n"},          {2, -1, "** KTLX 005 CLAR NA\n"},
        {1, 1, "** KTLX 005 PCPN NE\n"},       {VEK_MISS, 2, "** KTLX 005 OM\n"},
        {VEK_MISS, VEK_MISS, "** KTLX 005\n"}, {3, 4, "** KTLX 005\n"},
    };
    for (const Case &c : cases) {
        RCM_report r = empty_rcm("KTLX", 5);
        r.mode = c.mode;
        r.status = c.status;
        EXPECT_EQ(rcm_block(r), c.line) << "mode " << c.mode << " status " << c.status;
    }
    RCM_report r = empty_rcm("KFWS", 1234);
    EXPECT_EQ(rcm_block(r), "** KFWS 1234\n");
}

TEST_F(RadRead, RcmFeatureLinesInOrderTopSignaturesMesocyclonesStorms) {
    RCM_report r = empty_rcm("KTLX", 123);
    r.mode = 1;
    r.maxt = 45;
    r.maxt_x = 35.5f;
    r.maxt_y = -97.25f;
    r.num_tvs = 1;
    r.tvs[0] = {"T1", 35.125f, -97.5f};
    r.num_meso = 2;
    r.meso[0] = {"M1", 36.0f, -98.0f};
    r.meso[1] = {"M2", 36.5f, -98.5f};
    r.num_storm = 1;
    r.storm[0] = {"A1", 35.0f, -97.0f, 450, 250, 20, 1};
    EXPECT_EQ(rcm_block(r), "** KTLX 123 PCPN\n"
                            "Z  45   35.500  -97.250\n"
                            "T  T1   35.125  -97.500\n"
                            "M  M1   36.000  -98.000\n"
                            "M  M2   36.500  -98.500\n"
                            "S  A1   35.000  -97.000 250 020 450 1\n");
}

TEST_F(RadRead, RcmCountsBeyondTheArraysAreCut) {
    RCM_report r = empty_rcm("KTLX", 1);
    r.num_tvs = 1000;
    r.num_meso = -5;
    r.num_storm = 41;
    for (RCM_point &p : r.tvs) p = {"TV", 1.0f, 2.0f};
    for (RCM_storm &s : r.storm) s = {"ST", 1.0f, 2.0f, 3, 4, 5, 6};
    memset(r.storm[39].id, 'Z', sizeof r.storm[39].id); // no terminator
    std::vector<std::string> lines = split_lines(rcm_block(r));
    ASSERT_EQ(lines.size(), 1u + 10u + 40u);
    EXPECT_EQ(lines[1], "T  TV    1.000    2.000");
    EXPECT_EQ(lines[50], "S  ZZ    1.000    2.000 004 005   3 6");
}

} // namespace
