// Tests of the converted radar file: recognising a file's form, the open and
// close rules, and the text form byte for byte.

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "rad_dec.h"
#include "rad_read.h"
#include "vek_test.h"
#include "vekstr.h"

using namespace vektest;
using namespace std::string_literals;

namespace {

class RadRead : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RAD_summary_init(info.get());
        vek_copy(info->datim, "12:15Z 5 DEC 2026");
    }
    // Creates a file of TYPE, lets WRITE fill it, closes it and returns its bytes.
    template <class Fn>
    std::string write_with(int type, Fn write) {
        const std::string path = dir.file("out.rad");
        const int fd = RAD_open(path.c_str(), 1, &type);
        EXPECT_GE(fd, 0);
        write(fd);
        EXPECT_EQ(RAD_close(fd), 0);
        return read_file(path);
    }
    // The header of a file of TYPE; RAD_putinfo's result goes to put_result.
    std::string header(int type) {
        return write_with(type, [&](int fd) { put_result = RAD_putinfo(fd, info.get()); });
    }
    // What WRITE (MDR_write or RCM_write) appends for report R after a header
    // without summary section.
    template <class R>
    std::string entry(int (*write)(int, R *, int, int *), R &r) {
        info->type = 9;
        const std::string all = write_with(2, [&](int fd) {
            int n = 0;
            RAD_putinfo(fd, info.get());
            EXPECT_EQ(write(fd, &r, 1, &n), 0);
        });
        return all.substr(all.find('\n') + 1);
    }
    TempDir dir;
    std::unique_ptr<RAD_info> info = std::make_unique<RAD_info>();
    int put_result = 99;
};

// An MDR report of station ABC, configuration AREA, with every other field missing.
MDR_report empty_mdr() {
    MDR_report r{};
    MDR_init(&r);
    vek_copy(r.id, "ABC");
    vek_copy(r.config, "AREA");
    return r;
}

// An RCM report of KTLX, number 1, with no mode, no top and no features.
RCM_report empty_rcm() {
    RCM_report r{};
    vek_copy(r.id, "KTLX");
    r.num = 1;
    r.mode = r.maxt = VEK_MISS;
    return r;
}

// RAD_chktype and RAD_open for reading agree on the type, quietly, and
// leave the file alone; a file of no known type is not opened, nor is one
// beginning with "C" that is no netCDF file.
TEST_F(RadRead, FirstBytesGiveTheType) {
    // clang-format off
    const struct {
        std::string bytes;
        int type;
    } cases[] = {{"VEKRAD\nlabel\n", 3}, {"0 anything", 2}, {"1", 2}, {"2\n", 2}, {" SDUS", 2},
                 {"*header", 1}, {"3", -1}, {"v", -1}, {"\nVEKRAD", -1}, {"", -1}, {"C", -1},
                 {std::string("CDF\x01\0\0\0\0garbage", 15), -1}, {"Converted? no", -1}};
    // clang-format on
    const std::string probe = dir.file("probe");
    for (const auto &c : cases) {
        write_file(probe, c.bytes);
        Capture cap;
        EXPECT_EQ(RAD_chktype(probe.c_str()), c.type) << c.bytes;
        int type = 0;
        const int fd = RAD_open(probe.c_str(), 0, &type);
        EXPECT_EQ(type, c.type) << c.bytes;
        EXPECT_EQ(fd >= 0, c.type > 0) << c.bytes;
        EXPECT_EQ(fd >= 0 ? RAD_close(fd) : 0, 0);
        EXPECT_EQ(read_file(probe), c.bytes);
        EXPECT_EQ(cap.err(), "") << c.bytes;
    }
    EXPECT_EQ(RAD_chktype(dir.file("missing").c_str()), -1);
    EXPECT_EQ(RAD_chktype(dir.path().c_str()), -1); // a directory has no first byte
}

// Creating needs a known type and access, makes missing directories and
// serves one file at a time; a "*" file is opened but never written. A
// failed write, flush or close makes RAD_close fail and say what failed; the
// next file starts clean.
TEST_F(RadRead, OpenAndCloseRules) {
    const std::string path = dir.file("sub/out.rad");
    for (int t : {0, 4, 10, 13, 21, -1}) {
        int type = t;
        EXPECT_EQ(RAD_open(path.c_str(), 1, &type), -1) << t;
    }
    EXPECT_FALSE(file_exists(dir.file("sub")));
    int type = 3;
    EXPECT_EQ(RAD_open(path.c_str(), 2, &type), -1); // no such access
    EXPECT_EQ(RAD_close(0), -1);
    const int fd = RAD_open(path.c_str(), 1, &type);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(RAD_open(dir.file("second.rad").c_str(), 1, &type), -1); // the first stays open
    EXPECT_FALSE(file_exists(dir.file("second.rad")));
    EXPECT_EQ(RAD_close(fd), 0);
    EXPECT_EQ(RAD_close(fd), -1);

    info->type = 1;
    MDR_report m = empty_mdr();
    RCM_report r = empty_rcm();
    const auto write = [&](int f) {
        int n = 0;
        put_result = RAD_putinfo(f, info.get());
        EXPECT_EQ(MDR_write(f, &m, 1, &n) + RCM_write(f, &r, 1, &n), 0);
    };
    EXPECT_EQ(write_with(1, write), "");
    EXPECT_EQ(put_result, -1);

    const struct {
        const char *name, *error;
    } failures[] = {{"/dev/full", "write: No space left on device"},
                    {"|cat >/dev/null; exit 3", "close: the command failed"},
                    {"/dev/null", nullptr}};
    for (const auto &[name, error] : failures) {
        const int f = RAD_open(name, 1, &type);
        ASSERT_GE(f, 0) << name;
        RAD_putinfo(f, info.get());
        EXPECT_EQ(RAD_close(f), error ? -1 : 0) << name;
        EXPECT_STREQ(RAD_write_error(), error) << name;
    }
}

// The identification line (type 3), the label as it stands and never beyond
// its field, and the summary section of the info's type. The MDR section
// shows every value a cell can hold, over the whole grid. An RCM row is
// written when one of its cells 0 to 451 holds 1 to 9 (7 to 9 show blank),
// and its lines break after every 78th cell.
TEST_F(RadRead, HeaderByteForByte) {
    Cells cells;
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            cells[{x, y}] = info->summary[x][y] =
                static_cast<signed char>((x * 7 + y * 3) % 15 - 2);
    cells[{5, 5}] = info->summary[5][5] = RAD_EMPTY;
    cells[{6, 5}] = info->summary[6][5] = -128;
    cells[{7, 5}] = info->summary[7][5] = 127;
    for (int kind : {0, 1}) { // raw and MDR summaries, written as types 2 and 3
        info->type = kind;
        EXPECT_EQ(header(2 + kind),
                  (kind ? "VEKRAD\n" : "") + "12:15Z 5 DEC 2026\n"s + mdr_summary(cells));
        EXPECT_EQ(put_result, 0);
    }

    RAD_summary_init(info.get());
    info->type = 2;
    for (int x = 0; x < RAD_SUM_NX; ++x) info->summary[x][7] = x % 2 ? 0 : -1; // absent
    info->summary[452][9] = 5; // beyond the written cells
    for (auto [x, v] : {std::pair{0, 1}, {77, 2}, {78, 3}, {389, 4}, {390, 5}, {451, 6}})
        info->summary[x][5] = static_cast<signed char>(v);
    info->summary[10][359] = 7;
    const std::string b77(77, ' '), blank = std::string(78, ' ') + "\n";
    EXPECT_EQ(header(2), "12:15Z 5 DEC 2026\nRCM SUMMARY\n+  5\n1" + std::string(76, ' ') + "2\n3" +
                             b77 + "\n" + blank + blank + b77 + "4\n5" + std::string(60, ' ') +
                             "6\n+359\n" + blank + blank + blank + blank + blank +
                             std::string(62, ' ') + "\n");
    EXPECT_EQ(put_result, -1);

    info->type = 9; // no summary section
    vek_copy(info->datim, "label with %s and %d");
    EXPECT_EQ(header(3), "VEKRAD\nlabel with %s and %d\n");
    EXPECT_EQ(put_result, -1);
    memset(info->datim, 'L', sizeof info->datim);
    EXPECT_EQ(header(2), std::string(39, 'L') + "\n");
}

TEST_F(RadRead, MdrReportLines) {
    constexpr int M = VEK_MISS;
    const struct {
        int numprec, intens;
        MDR_tops tops;
        MDR_move move; // the second movement
        const char *line;
    } cases[] = {
        {0, 2, {M, M, M}, {' ', M, M}, "ABC AREA * * * * * *\n"},
        {-1, 2, {M, 250, 80}, {'C', M, 20}, "ABC AREA * * * * * *\n"},
        {1, 1, {450, M, M}, {'C', 255, 7}, "ABC AREA RW- * 450,000000 * C2507 *\n"},
        {1, 2, {12, 5, 7}, {'A', 5, 15}, "ABC AREA RW * 12,005007 * A0015 *\n"},
        {1, 3, {M, M, M}, {'L', 360, 0}, "ABC AREA RW+ * * * L3600 *\n"},
        {1, 4, {M, M, M}, {'X', 250, 20}, "ABC AREA RW++ * * * * *\n"},
        {1, 5, {M, M, M}, {'L', 250, M}, "ABC AREA RWx * * * * *\n"},
        {1, 6, {M, M, M}, {' ', 250, 20}, "ABC AREA RWxx * * * * *\n"},
        {1, 9, {M, M, M}, {' ', M, M}, "ABC AREA RWu * * * * *\n"},
        {1, 7, {M, M, M}, {' ', M, M}, "ABC AREA * * * * * *\n"},
    };
    for (const auto &c : cases) {
        MDR_report r = empty_mdr();
        r.numprec = c.numprec;
        r.prec[0] = {M, "RW", c.intens};
        r.tops = c.tops;
        r.move[1] = c.move;
        EXPECT_EQ(entry(MDR_write, r), c.line);
    }
    MDR_report r = empty_mdr();
    r.numprec = 2; // only the first group is written
    r.prec[0] = {4, "TRW", 3};
    r.prec[1] = {2, "RW", 1};
    vek_copy(r.trend, "+");
    r.tops = {450, 250, 80};
    r.move[0] = {'C', 250, 20};
    r.move[1] = {'A', 5, 5};
    r.move[2] = {'L', 360, 0};
    EXPECT_EQ(entry(MDR_write, r), "ABC AREA TRW+ + 450,250080 C2520 A0005 L3600\n");
    // Fields without terminator are cut to their capacity.
    memset(r.id, 'I', sizeof r.id);
    memset(r.config, 'C', sizeof r.config);
    memset(r.prec[0].type, 'T', sizeof r.prec[0].type);
    memset(r.trend, 'N', sizeof r.trend);
    EXPECT_EQ(entry(MDR_write, r), "IIIIIIIIII CCCCCCCCC TTTT+ NNN 450,250080 C2520 A0005 L3600\n");
}

// A mode of no name is not written; counts beyond the arrays are cut;
// identifiers never run past their field. (The other heads and every kind
// of line: the RCM conversions.)
TEST_F(RadRead, RcmBlocks) {
    RCM_report r = empty_rcm();
    r.mode = 3;
    r.num_tvs = 1000;
    r.num_meso = -5;
    r.num_storm = 41;
    for (RCM_point &p : r.tvs) p = {"TV", 1.0f, 2.0f};
    for (RCM_storm &s : r.storm) s = {"ST", 1.0f, 2.0f, 3, 4, 5, 6};
    memset(r.storm[39].id, 'Z', sizeof r.storm[39].id);
    const std::string block = entry(RCM_write, r);
    EXPECT_TRUE(block.starts_with("** KTLX 001\nT  TV ")) << block;
    EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 1 + 10 + 40);
    EXPECT_NE(block.find("\nT  TV    1.000    2.000\n"), std::string::npos);
    EXPECT_EQ(block.substr(block.size() - 38), "S  ZZ    1.000    2.000 004 005   3 6\n");
}

} // namespace
