// Run parameters and the choice of the output file: the words of "input",
// "parameter", "output" and "out_file", the type recorded in flag slot 17,
// and the overwrite rule.

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
    }
    // The window the parameters leave, seen from a run time of 12:00.
    bool in_window(int hhmm) {
        Date d = {2024, 6, 15, -9999, -9999, 12, 0, 0};
        DATE_set_datim(&d);
        return DATE_chk_range(hhmm) == 1;
    }
    // The output file made for 2024-06-15 12:30; empty when the run ended.
    std::string output_name() {
        Date d = {2024, 6, 15, -9999, -9999, 12, 30, 0};
        try {
            int fd = RAD_set_out_file(&d);
            RAD_close(fd);
        } catch (const Exited &e) {
            status = e.status;
            return "";
        }
        for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
            return entry.path().filename().string();
        return "";
    }
    TempDir dir;
    int status = -1;
};

TEST_F(RunParameters, DefaultsAreAnMdrRunWithTheTextForm) {
    DATE_set_range(-15, 15); // as the driver does before reading the parameters
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 1);
    EXPECT_EQ(RAD_get_clear_air(), 1);
    EXPECT_TRUE(in_window(1145));
    EXPECT_TRUE(in_window(1215));
    EXPECT_FALSE(in_window(1216));
    EXPECT_EQ(output_name(), "24061512_rad.vek");
    EXPECT_EQ(RAD_get_file_type(), 3);
    EXPECT_EQ(FLAG_get(17), 3);
}

TEST_F(RunParameters, InputWordsChooseTheKindOfRunAndItsConvention) {
    RES_put("input", "RCM");
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 2);
    char out[FILE_NAME_LEN];
    FILE_set_file("2406151245", out);
    EXPECT_EQ(std::string(out), dir.path() + "/2406151245_rcm.txt");
    EXPECT_EQ(output_name(), "2406151230_rcm.vek");

    RES_put("input", "rcm,raw");
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 0);
    RES_put("input", "mdr,bogus");
    RAD_parameter();
    EXPECT_EQ(RAD_get_type(), 1);
}

TEST_F(RunParameters, InFileNamesTheInputConvention) {
    RES_put("in_file", "@%y%m%d%h.raw");
    RAD_parameter();
    char out[FILE_NAME_LEN];
    FILE_set_file("24061512", out);
    EXPECT_STREQ(out, "24061512.raw");
}

TEST_F(RunParameters, ParameterWords) {
    RES_put("parameter", "noclar,raw_sum");
    RAD_parameter();
    EXPECT_EQ(RAD_get_clear_air(), 0);
    EXPECT_EQ(RAD_get_type(), 0);
}

TEST_F(RunParameters, RangeWordsSetTheWindow) {
    RES_put("parameter", "range=-30:20");
    RAD_parameter();
    EXPECT_TRUE(in_window(1130));
    EXPECT_FALSE(in_window(1129));
    EXPECT_TRUE(in_window(1220));
    EXPECT_FALSE(in_window(1221));

    RES_put("parameter", "range:-5");
    RAD_parameter();
    EXPECT_TRUE(in_window(1155));
    EXPECT_FALSE(in_window(1154));
    EXPECT_TRUE(in_window(1215)); // the after value stays 15

    RES_put("parameter", "range");
    RAD_parameter();
    EXPECT_TRUE(in_window(1145));
    EXPECT_FALSE(in_window(1144));
}

TEST_F(RunParameters, OutputWords) {
    RES_put("output", "vek3");
    EXPECT_EQ(output_name(), "24061512_rad.vek");
    EXPECT_EQ(FLAG_get(17), 2);

    RES_put("input", "rcm");
    RAD_parameter();
    RES_put("output", "cdf");
    EXPECT_EQ(output_name(), ""); // netCDF files cannot be made yet
    EXPECT_EQ(status, 12);
    EXPECT_EQ(RAD_get_file_type(), 12);
    EXPECT_EQ(FLAG_get(17), 12);
}

TEST_F(RunParameters, OutFileWordsGiveFormAndConvention) {
    struct {
        const char *word;
        int type;
        const char *name;
    } cases[] = {
        {"vek3:@%y%m%d.three", 2, "240615.three"},
        {"vek:@%y%m%d%h.x", 3, "24061512.x"},
        {"VEK", 3, "24061512_rad.vek"},
        {"vek3", 2, "24061512_rad.vek"},
        {"cdf", 12, ""},
        {"cdf1", 21, ""},
        {"@plain.name", 3, "plain.name"},
    };
    ChangeDir cd(dir.path()); // the "@" names are relative
    for (auto c : cases) {
        for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
            std::filesystem::remove_all(entry.path());
        files_reset_state();
        RES_put("out_file", c.word);
        std::string name = output_name();
        EXPECT_EQ(RAD_get_file_type(), c.type) << c.word;
        if (*c.name) {
            EXPECT_EQ(name, c.name) << c.word;
        }
    }
}

TEST_F(RunParameters, ExistingOutputInBatchModeEndsTheRunWithStatusZero) {
    write_file(dir.file("24061512_rad.vek"), "keep\n");
    FLAG_set_batch(1);
    Capture cap;
    EXPECT_EQ(output_name(), "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cap.err(), "RAD_set_out_file: Unable to overwrite converted data file\n");
    EXPECT_EQ(read_file(dir.file("24061512_rad.vek")), "keep\n");
}

TEST_F(RunParameters, ExistingOutputIsReplacedOnlyOnYes) {
    write_file(dir.file("24061512_rad.vek"), "keep\n");
    {
        Capture cap("n\n");
        EXPECT_EQ(output_name(), "");
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(read_file(dir.file("24061512_rad.vek")), "keep\n");
    {
        Capture cap("y\n");
        EXPECT_EQ(output_name(), "24061512_rad.vek");
    }
    EXPECT_EQ(read_file(dir.file("24061512_rad.vek")), "");
}
