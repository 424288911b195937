// The netCDF access layer, which the converted file's tests fill whole: values placed
// by position, misuse refused before the library errs, the first failure kept.

#include "nc_read.h"
#include "vek_test.h"
#include "vekcdf.h"

#include <tuple>

namespace {

class CdfLayer : public vektest::VekTest {};

TEST_F(CdfLayer, ValuesByPositionAndMisuseRefused) {
    vektest::TempDir dir;
    const std::string path = dir.file("t.nc");
    CDF_print_errors(0);
    // No current file: definitions fail, writes are skipped.
    EXPECT_EQ(CDF_def_dim("x", 1) + CDF_close(), -2);
    EXPECT_EQ(CDF_put_long(0, 1) + CDF_put_str(0, "x"), 0);
    // Shapes, positions and ranges must say as many values as they give.
    EXPECT_EQ(CDF_set_shape(2, 1) + CDF_set_range(1, 0), -2);
    EXPECT_EQ(CDF_set_pos(11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(CDF_open(dir.file("no/such/dir/t.nc").c_str(), 1), -1);
    EXPECT_NE(CDF_failure(nullptr), nullptr);

    ASSERT_GE(CDF_open(path.c_str(), 1), 0);
    EXPECT_EQ(CDF_failure(nullptr), nullptr); // a new file starts clean
    const int rec = CDF_def_dim("rec", 0), n = CDF_def_dim("n", 3);
    for (int print : {0, 1}) { // a taken name, printed only when asked; the run goes on
        vektest::Capture cap;
        CDF_print_errors(print);
        EXPECT_EQ(CDF_def_dim("n", 3 + print), -1);
        EXPECT_EQ(cap.err().find("ncdimdef") != std::string::npos, print == 1) << cap.err();
    }
    CDF_set_shape(2, rec, n);
    const int codes = CDF_def_byte_var("codes");
    EXPECT_EQ(CDF_end_def(), 0);
    for (auto [r, i, v] : {std::tuple{0, 1, -5L}, {1, 2, 300L}, {1, 0, 127L}}) { // 300: no byte
        CDF_set_pos(2, r, i);
        EXPECT_EQ(CDF_put_long(codes, v), 0) << v;
    }
    EXPECT_EQ(CDF_put_long(-1, 5), 0); // a variable that was never defined
    const float f[2] = {1, 2};
    CDF_set_range(2, 0, 1, 0, 2);
    EXPECT_EQ(CDF_put_float_array(codes, f), -1); // the library would read bytes
    EXPECT_EQ(CDF_put_str(codes, "x"), -1);
    CDF_set_pos(1, 0);
    EXPECT_EQ(CDF_put_long(codes, 1), -1); // a position without the dimension
    EXPECT_EQ(CDF_close(), 0);
    const char *op = nullptr;
    EXPECT_STREQ(CDF_failure(&op), "NetCDF: String match to name in use"); // the first one
    EXPECT_STREQ(op, "ncdimdef");

    const double fb = NC_FILL_BYTE; // where nothing was written, and for 300
    EXPECT_EQ(vektest::NcRead(path).values("codes"),
              (std::vector<double>{fb, -5, fb, 127, fb, fb}));
}

} // namespace
