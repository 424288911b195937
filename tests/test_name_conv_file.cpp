// The name convention file that ships with the program: every key the
// converter selects reaches its own line, reads dates from raw file names and
// names converted files by date.

#include "vek_test.h"

#include <cstdlib>

using namespace vektest;

class ShippedConventions : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_put("file_path", (source_dir() + "/data").c_str());
        RES_put("data_path", "/raw");
        RES_put("con_path", "/cvt");
    }
    // Selects KEY (a copy: the call cuts keys off its text).
    int select(const char *key) {
        char type[FILE_NAME_LEN];
        vek_copy(type, key);
        return FILE_set_name(type);
    }
    std::string make(const char *key, Date d) {
        select(key);
        char out[FILE_NAME_LEN] = "";
        FILE_set_date(&d, out);
        return out;
    }
};

TEST_F(ShippedConventions, EveryKeyHasItsOwnLine) {
    for (const char *key :
         {"rad_dat", "rcm_dat", "rad_cvt", "rcm_cvt", "rad_cvt_vek", "rad_cvt_cdf"})
        EXPECT_EQ(select(key), 1) << key;
}

TEST_F(ShippedConventions, ConvertedFilesAreNamedByDateAndForm) {
    Date d = {2024, 6, 15, -9999, -9999, 12, 30, 0};
    EXPECT_EQ(make("rad_cvt", d), "/cvt/24061512_rad.vek");
    EXPECT_EQ(make("rad_cvt_vek", d), "/cvt/24061512_rad.vek");
    EXPECT_EQ(make("rad_cvt_cdf", d), "/cvt/24061512_rad.nc");
    d.min = 45;
    EXPECT_EQ(make("rcm_cvt", d), "/cvt/2406151245_rcm.vek");
}

TEST_F(ShippedConventions, RawFileNamesGiveTheirDate) {
    select("rad_dat");
    char out[FILE_NAME_LEN];
    FILE_set_file("24061512", out);
    EXPECT_STREQ(out, "/raw/24061512_rad.txt");
    Date d;
    FILE_get_date(&d);
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 6);
    EXPECT_EQ(d.day, 15);
    EXPECT_EQ(d.hour, 12);

    FILE_set_file("./arch/99123123_rad.txt", out);
    EXPECT_STREQ(out, "./arch/99123123_rad.txt");
    FILE_get_date(&d);
    EXPECT_EQ(d.year, 1999);
    EXPECT_EQ(d.hour, 23);

    select("rcm_dat");
    FILE_set_file("2406151245", out);
    EXPECT_STREQ(out, "/raw/2406151245_rcm.txt");
    FILE_get_date(&d);
    EXPECT_EQ(d.min, 45);
}
