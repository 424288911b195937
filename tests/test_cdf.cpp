// Tests of the netCDF access layer: a file filled through the current shape
// and position reads back as written; misuse is refused before the library
// could read or write the wrong memory or file.

#include "nc_read.h"
#include "vek_test.h"
#include "vekcdf.h"

using vektest::Capture;
using vektest::NcRead;

namespace {

class CdfLayer : public vektest::VekTest {
  protected:
    vektest::TempDir dir;
    std::string path = dir.file("t.nc");
};

TEST_F(CdfLayer, FileReadsBackAsDefinedAndWritten) {
    ASSERT_GE(CDF_open(path.c_str(), 1), 0);
    const int rec = CDF_def_dim("rec", 0), n = CDF_def_dim("n", 3), len = CDF_def_dim("len", 5);
    CDF_set_shape(0);
    const int scalar = CDF_def_long_var("scalar");
    CDF_set_shape(2, rec, len);
    const int names = CDF_def_char_var("names");
    CDF_set_shape(2, rec, n);
    const int codes = CDF_def_byte_var("codes");
    CDF_set_shape(1, n);
    const int vals = CDF_def_float_var("vals");
    const int shorts = CDF_def_short_var("shorts");
    EXPECT_EQ(CDF_put_glob_att("title", "a test"), 0);
    EXPECT_EQ(CDF_put_glob_num_att("miss", NC_SHORT, -9999), 0);
    EXPECT_EQ(CDF_put_base_att(vals, "values", "m/s"), 0);
    EXPECT_EQ(CDF_put_base_att(names, "names", nullptr), 0);
    EXPECT_EQ(CDF_end_def(), 0);

    CDF_set_pos(0);
    EXPECT_EQ(CDF_put_long(scalar, 20261204), 0);
    CDF_set_pos(1, 1);
    EXPECT_EQ(CDF_put_str(names, ""), 0); // a single NUL
    CDF_set_pos(1, 0);
    EXPECT_EQ(CDF_put_str(names, "abcd"), 0);
    CDF_set_pos(2, 0, 1);
    EXPECT_EQ(CDF_put_long(codes, -5), 0);
    CDF_set_pos(2, 1, 2);
    EXPECT_EQ(CDF_put_long(codes, 300), 0); // no byte: the fill value stays
    CDF_set_pos(2, 1, 0);
    EXPECT_EQ(CDF_put_long(codes, 127), 0);
    const float f[] = {1.5f, -2.25f, 1e30f};
    CDF_set_range(1, 0, 3);
    EXPECT_EQ(CDF_put_float_array(vals, f), 0);
    const short s[] = {-9999, 7};
    CDF_set_range(1, 1, 2);
    EXPECT_EQ(CDF_put_short_array(shorts, s), 0);
    EXPECT_EQ(CDF_put_long(-1, 5), 0); // a variable that was never defined
    EXPECT_EQ(CDF_close(), 0);
    EXPECT_EQ(CDF_failure(nullptr), nullptr);

    NcRead nc(path);
    ASSERT_TRUE(nc.ok());
    // (What the definitions look like is compared whole in the headers of
    // the converted files.) Two records were written.
    EXPECT_EQ(nc.values("scalar"), std::vector<double>{20261204});
    EXPECT_EQ(nc.chars("names"), std::string("abcd\0\0\0\0\0\0", 10));
    const double fb = NC_FILL_BYTE;
    EXPECT_EQ(nc.values("codes"), (std::vector<double>{fb, -5, fb, 127, fb, fb}));
    EXPECT_EQ(nc.values("vals"), (std::vector<double>{1.5, -2.25, 1e30f}));
    EXPECT_EQ(nc.values("shorts"), (std::vector<double>{NC_FILL_SHORT, -9999, 7}));
}

TEST_F(CdfLayer, MisuseIsRefusedAndFailuresAreKept) {
    CDF_print_errors(0);
    // No current file: definitions fail, writes are skipped.
    EXPECT_EQ(CDF_def_dim("x", 1), -1);
    EXPECT_EQ(CDF_put_long(0, 1), 0);
    EXPECT_EQ(CDF_put_str(0, "x"), 0);
    EXPECT_EQ(CDF_close(), -1);
    // Shapes, positions and ranges must say as many values as they give.
    EXPECT_EQ(CDF_set_shape(2, 1), -1);
    EXPECT_EQ(CDF_set_pos(11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(CDF_set_range(1, 0), -1);
    EXPECT_EQ(CDF_set_range(1, 0, 1), 0);

    // (Files that cannot be made: the netCDF converted file's tests.)
    EXPECT_EQ(CDF_open(dir.file("no/such/dir/t.nc").c_str(), 1), -1);
    const char *op = nullptr;
    EXPECT_STREQ(CDF_failure(&op), "No such file or directory");
    EXPECT_STREQ(op, "nccreate");

    ASSERT_GE(CDF_open(path.c_str(), 1), 0);
    EXPECT_EQ(CDF_failure(nullptr), nullptr); // a new file starts clean
    const int n = CDF_def_dim("n", 2);
    CDF_print_errors(0);
    EXPECT_EQ(CDF_get_dim("station"), -1); // an answer, not a failure
    EXPECT_EQ(CDF_failure(nullptr), nullptr);
    for (int print : {0, 1}) { // a taken name, printed only when asked; the run goes on
        Capture cap;
        CDF_print_errors(print);
        EXPECT_EQ(CDF_def_dim("n", 3 + print), -1);
        EXPECT_TRUE(print ? cap.err().find("ncdimdef") != std::string::npos : cap.err().empty())
            << cap.err();
    }
    CDF_set_shape(1, n);
    const int codes = CDF_def_byte_var("codes");
    CDF_end_def();
    const float f[2] = {1, 2};
    CDF_set_range(1, 0, 2);
    EXPECT_EQ(CDF_put_float_array(codes, f), -1); // the library would read bytes
    CDF_set_pos(0);
    EXPECT_EQ(CDF_put_str(codes, "x"), -1);
    EXPECT_EQ(CDF_put_long(codes, 1), -1); // a position without the dimension
    CDF_close();
    EXPECT_STREQ(CDF_failure(&op), "NetCDF: String match to name in use"); // the first one
    EXPECT_STREQ(op, "ncdimdef");
}

} // namespace
