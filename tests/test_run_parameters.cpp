// Run parameters and the choice of the output file: the words of "input",
// "parameter", "output" and "out_file", the type in flag slot 17, and the
// overwrite rule.

#include "vek_test.h"

#include <filesystem>

#include "vekrad.h"

using namespace vektest;

class RunParameters : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_put("file_path", (source_dir() + "/data").c_str());
        RES_put("con_path", dir.path().c_str());
        RES_put("data_path", dir.path().c_str());
        DATE_set_range(-15, 15); // as the driver does before reading the parameters
    }
    // The window the parameters leave, seen from a run time of 12:00.
    bool in_window(int hhmm) {
        Date d = {2024, 6, 15, -9999, -9999, 12, 0, 0};
        DATE_set_datim(&d);
        return DATE_chk_range(hhmm) == 1;
    }
    // The output file made for 2024-06-15 12:30 (in the working directory,
    // which is DIR), or "" when the run ended with STATUS.
    std::string output_name() {
        for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
            std::filesystem::remove_all(entry.path());
        files_reset_state();
        Date d = {2024, 6, 15, -9999, -9999, 12, 30, 0};
        try {
            RAD_close(RAD_set_out_file(&d));
        } catch (const Exited &e) {
            status = e.status;
            return "";
        }
        for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
            return entry.path().filename().string();
        return "<none>";
    }
    TempDir dir;
    ChangeDir cd{dir.path()};
    int status = -1;
};

TEST_F(RunParameters, DefaultsAreAnMdrRunWithTheTextForm) {
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 1);
    EXPECT_EQ(RAD_get_clear_air(), 1);
    EXPECT_TRUE(in_window(1145) && in_window(1215));
    EXPECT_FALSE(in_window(1144) || in_window(1216));
    EXPECT_EQ(output_name(), "24061512_rad.vek");
    EXPECT_EQ(FLAG_get(17), 3);
}

TEST_F(RunParameters, InputAndParameterWords) {
    RES_put("input", "RCM");
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 2);
    char out[FILE_NAME_LEN];
    FILE_set_file("2406151245", out); // the input convention of RCM runs
    EXPECT_EQ(std::string(out), dir.path() + "/2406151245_rcm.txt");
    EXPECT_EQ(output_name(), "2406151230_rcm.vek");

    RES_put("input", "rcm,bogus,raw");
    RES_put("in_file", "@%y%m%d%h.raw");
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 0);
    FILE_set_file("24061512", out);
    EXPECT_STREQ(out, "24061512.raw");

    RES_put("input", "mdr");
    RES_put("parameter", "noclar,raw_sum");
    RAD_parameter();
    EXPECT_EQ(RAD_get_clear_air(), 0);
    EXPECT_EQ(RAD_get_type(), 0);
}

TEST_F(RunParameters, RangeWordsSetTheWindow) {
    struct {
        const char *word;
        int first, last; // the first and last minute of 11:xx-12:xx inside
    } cases[] = {{"range=-30:20", 1130, 1220}, {"range:-5", 1155, 1215}, {"range", 1145, 1215}};
    for (auto c : cases) {
        RES_put("parameter", c.word);
        RAD_parameter();
        EXPECT_TRUE(in_window(c.first) && in_window(c.last)) << c.word;
        EXPECT_FALSE(in_window(c.first - 1) || in_window(c.last + 1)) << c.word;
    }
}

TEST_F(RunParameters, OutputAndOutFileWords) {
    struct {
        const char *resource, *word;
        int type;
        const char *name;
    } cases[] = {
        {"output", "vek3", 2, "24061512_rad.vek"},
        {"output", "cdf", 12, "24061512_rad.nc"},
        {"output", "cdf1", 11, "24061512_rad.nc"},
        {"out_file", "vek3:@%y%m%d.three", 2, "240615.three"},
        {"out_file", "vek:@%y%m%d%h.x", 3, "24061512.x"},
        {"out_file", "VEK", 3, "24061512_rad.vek"},
        {"out_file", "cdf", 12, "24061512_rad.nc"},
        {"out_file", "cdf1:@%y%m%d.one", 11, "240615.one"},
        {"out_file", "@plain.name", 3, "plain.name"},
    };
    for (auto c : cases) {
        RES_put("output", "");
        RES_put("out_file", "");
        RES_put(c.resource, c.word);
        status = -1;
        EXPECT_EQ(output_name(), c.name) << c.word;
        EXPECT_EQ(FLAG_get(17), c.type) << c.word;
        EXPECT_EQ(status, -1) << c.word;
    }
}

TEST_F(RunParameters, ExistingOutputIsReplacedOnlyWhenAllowed) {
    auto existing = [&] {
        write_file(dir.file("24061512_rad.vek"), "keep\n");
        Date d = {2024, 6, 15, -9999, -9999, 12, 30, 0};
        try {
            RAD_close(RAD_set_out_file(&d));
        } catch (const Exited &e) {
            status = e.status;
        }
        return read_file(dir.file("24061512_rad.vek"));
    };
    {
        Capture cap("n\ny\n");
        EXPECT_EQ(existing(), "keep\n");
        EXPECT_EQ(status, 0);
        status = -1;
        EXPECT_EQ(existing(), ""); // replaced: empty until a header is written
        EXPECT_EQ(status, -1);
    }
    FLAG_set_batch(1);
    Capture cap;
    EXPECT_EQ(existing(), "keep\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cap.err(), "RAD_set_out_file: Unable to overwrite converted data file\n");
}
