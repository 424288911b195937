// The converted text file where the conversions do not reach: every value a
// summary cell can hold, report fields without terminators, counts beyond
// their arrays, and failed writes.

#include <algorithm>
#include <cstring>
#include <memory>

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
    // A file of TYPE with the header of the info and what WRITE adds; its bytes.
    std::string written(
        int type, const std::function<void(int)> &write = [](int) {}) {
        const std::string path = dir.file("out.rad");
        const int fd = RAD_open(path.c_str(), 1, &type);
        EXPECT_GE(fd, 0);
        put_result = RAD_putinfo(fd, info.get());
        write(fd);
        EXPECT_EQ(RAD_close(fd), 0);
        return read_file(path);
    }
    // The line or block WRITE (MDR_write or RCM_write) gives report R.
    template <class R>
    std::string entry(int (*write)(int, R *, int, int *), R &r) {
        info->type = 9; // no summary section
        const std::string all = written(2, [&](int fd) {
            int n = 0;
            EXPECT_EQ(write(fd, &r, 1, &n), 0);
        });
        return all.substr(all.find('\n') + 1);
    }
    TempDir dir;
    std::unique_ptr<RAD_info> info = std::make_unique<RAD_info>();
    int put_result = 99;
};

// The MDR section shows 1 to 6 as digits and every other value a cell can
// hold as a blank, over the whole grid; the label never runs past its field.
TEST_F(RadRead, HeaderShowsEveryCellValueAndABoundedLabel) {
    Cells cells;
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            cells[{x, y}] = info->summary[x][y] = static_cast<signed char>((x * 7 + y * 3) % 256);
    info->type = 1;
    EXPECT_EQ(written(3), "VEKRAD\n12:15Z 5 DEC 2026\n" + mdr_summary(cells));
    EXPECT_EQ(put_result, 0);
    info->type = 9;
    memset(info->datim, 'L', sizeof info->datim);
    EXPECT_EQ(written(2), std::string(39, 'L') + "\n");
    EXPECT_EQ(put_result, -1);
}

// The intensities no shipped collective shows, as suffixes; fields without
// terminator cut to their capacity.
TEST_F(RadRead, MdrReportLines) {
    MDR_report r{};
    MDR_init(&r);
    r.numprec = 1;
    std::string lines;
    for (int intens : {5, 6, 9, 7}) {
        r.prec[0] = {VEK_MISS, "RW", intens};
        lines += entry(MDR_write, r);
    }
    EXPECT_EQ(lines, " NR RWx * * * * *\n NR RWxx * * * * *\n NR RWu * * * * *\n NR * * * * * *\n");
    memset(r.id, 'I', sizeof r.id);
    memset(r.config, 'C', sizeof r.config);
    memset(r.prec[0].type, 'T', sizeof r.prec[0].type);
    memset(r.trend, 'N', sizeof r.trend);
    r.prec[0].intens = 3;
    EXPECT_EQ(entry(MDR_write, r), "IIIIIIIIII CCCCCCCCC TTTT+ NNN * * * *\n");
}

// Counts beyond the arrays are cut; identifiers never run past their field.
TEST_F(RadRead, RcmBlocksStayInTheirArrays) {
    RCM_report r{};
    vek_copy(r.id, "KTLX");
    r.num = 1, r.maxt = VEK_MISS, r.mode = 3; // a mode of no name is not written
    r.num_tvs = 1000, r.num_meso = -5, r.num_storm = 41;
    for (RCM_point &p : r.tvs) p = {"TV", 1.0f, 2.0f};
    for (RCM_storm &s : r.storm) s = {"ST", 1.0f, 2.0f, 3, 4, 5, 6};
    memset(r.storm[39].id, 'Z', sizeof r.storm[39].id);
    const std::string block = entry(RCM_write, r);
    EXPECT_TRUE(block.starts_with("** KTLX 001\nT  TV    1.000    2.000\n")) << block;
    EXPECT_EQ(std::count(block.begin(), block.end(), '\n'), 1 + 10 + 40);
    EXPECT_TRUE(block.ends_with("\nS  ZZ    1.000    2.000 004 005   3 6\n")) << block;
}

// A failed close makes RAD_close fail and say what failed; the next file
// starts clean. (Failed writes: the conversions to /dev/full and a full disk.)
TEST_F(RadRead, FailedWritesMakeTheCloseFail) {
    int type = 3;
    info->type = 1;
    for (auto [name, error] : {std::pair<const char *, const char *>{"|cat >/dev/null; exit 3",
                                                                     "close: the command failed"},
                               {"/dev/null", nullptr}}) {
        const int f = RAD_open(name, 1, &type);
        ASSERT_GE(f, 0) << name;
        RAD_putinfo(f, info.get());
        EXPECT_EQ(RAD_close(f), error ? -1 : 0) << name;
        EXPECT_STREQ(RAD_write_error(), error) << name;
    }
}

} // namespace
