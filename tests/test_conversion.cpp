// The program converting MDR collectives and summary bulletins as a user
// runs it: batch mode, resources on the command line and in a defaults file,
// the input named by the convention. Every converted file is compared whole
// with the text expected from the reports, worked out here independently:
// station grid boxes from the polar stereographic formula, the summary from
// the echo digits, the report lines from the decoded fields.

#include "vek_test.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace vektest;

namespace {

// ---------------------------------------------------------------------------
// The expected converted file
// ---------------------------------------------------------------------------

// The summary cells that decoding leaves, as a map from (x, y) to a value.
using Cells = std::map<std::pair<int, int>, int>;

std::string cell_row(const Cells &cells, int y, int x0, int x1) {
    std::string line;
    for (int x = x0; x <= x1; ++x) {
        auto it = cells.find({x, y});
        int v = it == cells.end() ? -1 : it->second;
        line += (v >= 1 && v <= 6) ? static_cast<char>('0' + v) : ' ';
    }
    return line + "\n";
}

// The MDR summary section: three column bands, each in two row pieces,
// between fixed marker lines.
std::string mdr_summary(const Cells &cells) {
    struct Piece {
        const char *before;
        int y0, y1, x0, x1;
    } pieces[] = {
        {"SDUS SUMMARY\n+ 01 081\n", 0, 41, 79, 119},
        {"+ 44 081\nSDUS\n+ 43 081\n", 42, 87, 79, 119},
        {"+ 90 081\nSDUS\n+ 01 041\n", 0, 51, 39, 78},
        {"+ 54 041\nSDUS\n+ 53 041\n", 52, 87, 39, 78},
        {"+ 90 041\nSDUS\n+ 01 002\n", 0, 41, 0, 38},
        {"+ 44 002\nSDUS\n+ 43 002\n", 42, 87, 0, 38},
    };
    std::string text;
    for (const Piece &p : pieces) {
        text += p.before;
        for (int y = p.y0; y <= p.y1; ++y) text += cell_row(cells, y, p.x0, p.x1);
    }
    return text + "+ 90 002\nSDXX STATIONS\n";
}

// ---------------------------------------------------------------------------
// The installation: station file, name conventions, defaults
// ---------------------------------------------------------------------------

struct Station {
    const char *line;
    double lat, lon;
};

// Station file order is the order of the reports in the converted file.
const Station stations[] = {
    {"Norman OK US TLX 1 35.32 -97.27 370 99999 1", 35.32, -97.27},
    {"Amarillo TX US AMA 1 35.23 -101.70 1093 99999 313", 35.23, -101.70},
    {"Optional KS US OPT 2 38.00 -95.00 300 99999 900", 38.00, -95.00},
    {"Fort_Worth TX US FWS 1 32.57 -97.30 208 99999 345", 32.57, -97.30},
    {"Local NE US LOC 3 40.00 -100.00 700 99999 901", 40.00, -100.00},
    {"Guam GU US GUA 1 13.45 144.80 80 99999 999", 13.45, 144.80},
};

GridPos pos_of(const char *id) {
    for (const Station &s : stations)
        if (std::string(s.line).find(std::string(" ") + id + " ") != std::string::npos)
            return mdr_grid(s.lat, s.lon);
    ADD_FAILURE() << "no station " << id;
    return {0, 0};
}

// The box of a standard-form echo group letter pair: truncation.
std::pair<int, int> std_box(const char *id, char row, char col) {
    GridPos g = pos_of(id);
    return {static_cast<int>(g.gx) + (col - 'M'), static_cast<int>(g.gy) + (row - 'M')};
}

// The box of a grid-form echo group letter pair: rounded position.
std::pair<int, int> grid_box(const char *id, char row, char col) {
    GridPos g = pos_of(id);
    return {static_cast<int>(g.gx + 0.5001) + (col - 'M'),
            static_cast<int>(g.gy + 0.5001) + (row - 'M')};
}

const char *const collective = "ZCZC RDC001\n"
                               "SDUS41 KWBC 151235\n"
                               "MANUALLY DIGITIZED RADAR REPORTS\n"
                               "TLX 1225 AREA 4TRW+/+ 250/60 290/95 35W C2520 MT 450 AT 275/80\n"
                               "^MM5 ML34=\n"
                               "AMA 1232 PPINE=\n"
                               "FWS 1231 LN 6TRW++/NC 310/110 L2515 MT 520 ^MM3 LM9=\n"
                               "GUA 1230 CELL 2RW/NC ^MM2=\n"
                               "TLX 1128 CELL 9TRW/+ ^MM6=\n"
                               "AMA 1245 AREA 2RW ^MM4=\n"
                               "LOC 1230 PPINS MM2 MN12/AA2520C/AA450/RW=\n"
                               "FWS 1239 COR CELL 2RW-/NC C2310 ^MM4 MN6=\n"
                               "NNNN\n";

// What the collective decodes to, cell by cell.
Cells collective_cells() {
    Cells c;
    c[std_box("TLX", 'M', 'M')] = 5;
    c[std_box("TLX", 'M', 'L')] = 3;
    c[std_box("FWS", 'M', 'M')] = 4; // 3, then 4 from the second report
    c[std_box("FWS", 'M', 'N')] = 6;
    c[grid_box("LOC", 'M', 'M')] = 2;
    c[grid_box("LOC", 'M', 'N')] = 1;
    c[grid_box("LOC", 'M', 'O')] = 2;
    return c;
}

const char *const collective_reports = "TLX AREA TRW+ + 450,275080 C2520 * *\n"
                                       "AMA NE * * * * * *\n"
                                       "FWS CELL RW- NC * C2310 * *\n"
                                       "LOC PREC * * 450,000000 C2520 * *\n";

const char *const no_reports = "TLX NA * * * * * *\n"
                               "AMA NA * * * * * *\n"
                               "FWS NA * * * * * *\n"
                               "LOC NA * * * * * *\n";

class Conversion : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(etc());
        std::filesystem::create_directories(raw());
        std::filesystem::create_directories(defaults());
        std::string cty;
        for (const Station &s : stations) cty += std::string(s.line) + "\n";
        write_file(etc() + "/rad.cty", cty);
        write_file(etc() + "/name_conv", read_file(source_dir() + "/data/name_conv"));
    }
    std::string etc() const { return work.file("etc"); }
    std::string raw() const { return work.file("raw"); }
    std::string out() const { return work.file("out"); }
    std::string defaults() const { return work.file("defaults"); }

    // Runs the program in batch mode with the installation's paths.
    RunResult run(std::vector<std::string> args) {
        std::vector<std::string> all = {"-ba", "-fp", etc(), "-dp", raw(), "-cp", out()};
        all.insert(all.end(), args.begin(), args.end());
        return run_dirida(all, work.path(), {{"vekdefault", defaults()}});
    }

    TempDir work;
};

// ---------------------------------------------------------------------------
// MDR collectives
// ---------------------------------------------------------------------------

TEST(ConversionSetup, StationsLieClearOfBoxEdges) {
    // The expected boxes are only certain when no position is close to an
    // edge, where float and double arithmetic could round apart.
    for (const char *id : {"TLX", "AMA", "FWS", "LOC"}) {
        GridPos g = pos_of(id);
        for (double v : {g.gx, g.gy, g.gx + 0.5001, g.gy + 0.5001}) {
            double frac = v - std::floor(v);
            EXPECT_GT(frac, 0.001) << id;
            EXPECT_LT(frac, 0.999) << id;
        }
    }
    GridPos guam = pos_of("GUA");
    EXPECT_TRUE(guam.gx < -3 || guam.gx > 116 || guam.gy < -3 || guam.gy > 92);
}

TEST_F(Conversion, CollectiveToTextFormWithIdentificationLine) {
    write_file(raw() + "/24061512_rad.txt", collective);
    RunResult r = run({"24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"), std::string("VEKRAD\n1230Z 15 JUN 24\n") +
                                                          mdr_summary(collective_cells()) +
                                                          collective_reports);
}

TEST_F(Conversion, TextFormWithoutIdentificationLine) {
    write_file(raw() + "/24061512_rad.txt", collective);
    RunResult r = run({"-ou", "vek3", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"), std::string("1230Z 15 JUN 24\n") +
                                                          mdr_summary(collective_cells()) +
                                                          collective_reports);
}

TEST_F(Conversion, ResourcesFromADefaultsFile) {
    write_file(defaults() + "/vek.cfg", "dirida.out_file: vek3:rad_cvt\n"
                                        "*message: mess\n");
    write_file(raw() + "/24061518_rad.txt", "FWS 1835 CELL 1RW/NC ^MM2=\n");
    RunResult r = run({"24061518"});
    EXPECT_EQ(r.status, 0) << r.err;
    Cells c;
    c[std_box("FWS", 'M', 'M')] = 2;
    EXPECT_EQ(read_file(out() + "/24061518_rad.vek"),
              std::string("1830Z 15 JUN 24\n") + mdr_summary(c) +
                  "TLX NA * * * * * *\nAMA NA * * * * * *\nFWS CELL RW NC * * * *\n"
                  "LOC NA * * * * * *\n");
    EXPECT_NE(r.out.find("Creating output file: " + out() + "/24061518_rad.vek\n"),
              std::string::npos)
        << r.out;
}

TEST_F(Conversion, StationsMissingFromTheFileAreReported) {
    write_file(raw() + "/24061512_rad.txt", collective);
    RunResult r = run({"-me", "+out3c", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Station not in database: GUA\n");
}

TEST_F(Conversion, WithoutStationFileOnlyTheHeaderIsWritten) {
    std::filesystem::remove(etc() + "/rad.cty");
    write_file(raw() + "/24061512_rad.txt", collective);
    RunResult r = run({"-me", "warn,+out3c", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Station not in database: TLX\nStation not in database: AMA\n"
                     "Station not in database: FWS\nStation not in database: GUA\n"
                     "Station not in database: LOC\nStation not in database: FWS\n");
    EXPECT_EQ(r.err, "CTY_open_file: Database file not found: " + etc() + "/rad.cty\n");
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"),
              "VEKRAD\n1230Z 15 JUN 24\n" + mdr_summary({}));
}

TEST_F(Conversion, EmptyInputGivesAnEmptySummaryAndNotAvailableReports) {
    write_file(raw() + "/24061512_rad.txt", "");
    RunResult r = run({"24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"),
              std::string("VEKRAD\n1230Z 15 JUN 24\n") + mdr_summary({}) + no_reports);
}

TEST_F(Conversion, InputGivenByFullPathKeepsItsDirectoryAndDate) {
    std::filesystem::create_directories(work.file("arch"));
    write_file(work.file("arch/24061512_rad.txt"), collective);
    RunResult r = run({work.file("arch/24061512_rad.txt")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"), std::string("VEKRAD\n1230Z 15 JUN 24\n") +
                                                          mdr_summary(collective_cells()) +
                                                          collective_reports);
}

// ---------------------------------------------------------------------------
// Summary bulletins
// ---------------------------------------------------------------------------

TEST_F(Conversion, SummaryBulletinsOfTheNominalTime) {
    write_file(raw() + "/24061512_rad.txt", "SDUS21 KWBC 151215\n"
                                            "+ 10 020\n"
                                            " 123\n"
                                            "   456789\n"
                                            "+ 12 100\n"
                                            "9999\n"
                                            "SDUS22 KWBC 151245\n"
                                            "+ 30 030\n"
                                            "555\n"
                                            "SDUS23 KWBC 151215\n"
                                            "+ 40 001\n"
                                            "3\n");
    RunResult r = run({"-in", "raw", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    Cells c;
    c[{21, 11}] = 1;
    c[{22, 11}] = 2;
    c[{23, 11}] = 3;
    c[{23, 12}] = 4;
    c[{24, 12}] = 5;
    c[{25, 12}] = 6;
    c[{2, 41}] = 3; // a column of 1 counts as 2
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"), "VEKRAD\n1215Z 15 JUN 24\n" + mdr_summary(c));
}

// ---------------------------------------------------------------------------
// Files that exist, cannot be made or cannot be read
// ---------------------------------------------------------------------------

TEST_F(Conversion, ExistingOutputIsLeftAloneInBatchModeUnlessReplacingIsAsked) {
    write_file(raw() + "/24061512_rad.txt", collective);
    std::filesystem::create_directories(out());
    write_file(out() + "/24061512_rad.vek", "precious\n");
    RunResult r = run({"24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "RAD_set_out_file: Unable to overwrite converted data file\n");
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"), "precious\n");
    r = run({"-pf", "over", "24061512"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"), std::string("VEKRAD\n1230Z 15 JUN 24\n") +
                                                          mdr_summary(collective_cells()) +
                                                          collective_reports);
}

TEST_F(Conversion, OutputThatCannotBeCreatedEndsWithStatus12) {
    write_file(raw() + "/24061512_rad.txt", collective);
    write_file(work.file("blocker"), "a file where a directory should be\n");
    RunResult r = run({"-cp", work.file("blocker/sub"), "24061512"});
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, "RAD_set_out_file: Unable to open converted file: " +
                         work.file("blocker/sub") + "/24061512_rad.vek\n");
    r = run({"-cp", work.file("blocker/sub"), "-ou", "cdf", "24061512"});
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.err, "RAD_set_out_file: Unable to open converted file: " +
                         work.file("blocker/sub") + "/24061512_rad.nc\n");
}

TEST_F(Conversion, InputThatCannotBeOpenedEndsWithStatus10) {
    RunResult r = run({"24061599"});
    EXPECT_EQ(r.status, 10);
    EXPECT_EQ(r.err, "RAD_decode_file: Unable to open file:" + raw() + "/24061599_rad.txt\n");
    EXPECT_FALSE(std::filesystem::exists(out()));
}

// ---------------------------------------------------------------------------
// Hostile input
// ---------------------------------------------------------------------------

TEST_F(Conversion, InputThatIsADirectoryReadsAsEmpty) {
    std::filesystem::create_directories(raw() + "/24061512_rad.txt");
    std::filesystem::remove(etc() + "/rad.cty");
    RunResult r = run({"-me", "error", "24061512"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(out() + "/24061512_rad.vek"),
              "VEKRAD\n1230Z 15 JUN 24\n" + mdr_summary({}));
}

TEST_F(Conversion, GarbageTruncationAndHugeLinesNeverBreakTheRun) {
    std::string garbage;
    unsigned seed = 99;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1664525 + 1013904223;
        garbage += static_cast<char>(seed >> 24);
    }
    std::string huge(100000, 'X');
    std::string text = garbage + "\n" + huge + "\nTLX 1230 AREA " + huge + "\n" +
                       "FWS 1231 LN 6TRW++/NC 310/110 L2515 MT 520 ^MM3 LM9=\n" +
                       std::string(collective).substr(0, 150);
    for (const std::string &input : {text, garbage, std::string(collective).substr(0, 97)}) {
        write_file(raw() + "/24061512_rad.txt", input);
        std::filesystem::remove_all(out());
        RunResult r = run({"-me", "none", "24061512"});
        EXPECT_EQ(r.status, 0);
        std::string converted = read_file(out() + "/24061512_rad.vek");
        EXPECT_EQ(converted.rfind("VEKRAD\n1230Z 15 JUN 24\nSDUS SUMMARY\n", 0), 0u);
        EXPECT_NE(converted.find("SDXX STATIONS\n"), std::string::npos);
    }
    // The FWS report after the garbage still decodes.
    write_file(raw() + "/24061512_rad.txt", text);
    std::filesystem::remove_all(out());
    run({"24061512"});
    EXPECT_NE(read_file(out() + "/24061512_rad.vek").find("FWS LN TRW++ NC 520,000000 L2515 * *\n"),
              std::string::npos);
}

} // namespace
