// Tests of the netCDF converted file: both layouts written from decoded
// reports and read back with the netCDF C library, value by value (their
// headers are compared whole in the end-to-end tests); the grid coordinates
// from "rad_loc.dat" or computed; recognising the layouts; and failures that
// must not pass for a written file.

#include <cmath>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sys/resource.h>

#include "nc_read.h"
#include "vek_test.h"
#include "vekrad.h"

using vektest::Capture;
using vektest::NcRead;
using vektest::write_file;

namespace {

constexpr double NM = 1.852;  // km per nautical mile
constexpr double KT = 0.5144; // m/s per knot
constexpr double FT = 30.48;  // metres per hundred feet
constexpr int M = VEK_MISS;

class RadCdf : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_put("file_path", dir.path().c_str());
        RAD_summary_init(info.get());
        vek_copy(info->datim, "1230Z 4 DEC 26");
        info->date = {2026, 12, 4, M, M, 12, 30, 0};
        info->type = 1;
    }
    // Writes a file of TYPE with the header and REPORTS.
    void write(int type, std::vector<MDR_report> &reports) {
        const int fd = RAD_open(path.c_str(), 1, &type);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(RAD_putinfo(fd, info.get()), 0);
        int n = 0;
        for (MDR_report &r : reports) {
            EXPECT_EQ(MDR_write(fd, &r, 1, &n), type == 12 ? 1 : 0);
            ++n; // as the driver counts the reports it wrote
        }
        EXPECT_EQ(RAD_close(fd), 0) << RAD_write_error();
    }
    // The file is recognised as TYPE, quietly; opened for reading, it takes no header.
    void expect_type(int type) {
        Capture cap;
        EXPECT_EQ(RAD_chktype(path.c_str()), type);
        int found = 0;
        const int fd = RAD_open(path.c_str(), 0, &found);
        EXPECT_EQ(found, type);
        EXPECT_EQ(RAD_putinfo(fd, info.get()), -1);
        EXPECT_EQ(RAD_close(fd), 0);
        EXPECT_EQ(cap.err(), "");
    }
    vektest::TempDir dir;
    std::string path = dir.file("out.nc");
    std::unique_ptr<RAD_info> info = std::make_unique<RAD_info>();
};

MDR_report decoded(const char *text) {
    MDR_report r{};
    MDR_init(&r);
    MDR_decode(text, nullptr, &r);
    return r;
}

const char *const reports[] = {
    "TLX 1225 AREA 4TRW+/+ 250/60 290/95 35W C2520 MT 450 AT 275/80",
    "FWS 1231 LINE 6TRW++/NC 310/110 20/85 25W L2515 C2310 L2620 MT 520",
    "ICT 1235 AREA 3RW- 2TZR 0S-/- 40/60 50/70 60/80 70/90 15W A2010",
    "UEX 1238 CELL 2TSW+ 1IPW 1LU D10 A2515 MT 480 AT 150/40",
    "AMA 1232 PPINE",
    "SRX 1231 MDR LK12 LL234 ML12/AA2420C/AA410/TRW",
    "LBB 1232 LYR 1RWXX/NEW 10/20 20/30 30/40 40/50 50/60",
    "OKC", // an expected station that sent nothing: every field missing
};

std::vector<MDR_report> sample_reports() {
    std::vector<MDR_report> out;
    for (const char *t : reports) out.push_back(decoded(t));
    return out;
}

// One expected record of layout 2: its counts in the order of count_vars and
// its lists of float_vars; empty lists leave the fill values.
const char *const count_vars[] = {"opstat", "object", "ncover", "trend",
                                  "nazran", "nwidth", "nmove",  "nheight"};
const struct {
    const char *var;
    size_t width;
} float_vars[] = {{"azimuth", 8}, {"range", 8},    {"width", 4},
                  {"height", 8},  {"move_dir", 4}, {"move_speed", 4}};
struct Rec {
    const char *id;
    int time;
    const char *rpt_type;
    int count[8];
    std::vector<double> coverage = {}, nprecip = {};
    std::vector<std::vector<double>> ptype = {}, intens = {};
    std::vector<double> floats[6] = {};
};

// The records of the sample reports: a main record each, a "CON" record per
// movement of another kind than the configuration and per maximum top.
// clang-format off
const Rec expected_records[] = {
    // id   time  type   op obj cov trd naz wid mov hgt  coverage nprecip precip_type intensity
    //   {azimuth, range, width, height, move_dir, move_speed}
    {"TLX", 1225, "",    {0, 1, 1, 1, 2, 1, 0, 0}, {4}, {1}, {{97}}, {{3}},
     {{250, 290}, {60 * NM, 95 * NM}, {35 * NM}}},
    {"TLX", 1225, "CON", {0, 3, 0, 0, 0, 0, 1, 0}, {}, {}, {}, {}, {{}, {}, {}, {}, {250}, {20 * KT}}},
    {"TLX", 1225, "CON", {0, 9, 0, 0, 1, 0, 0, 1}, {}, {}, {}, {}, {{275}, {80 * NM}, {}, {450 * FT}}},
    // Two line movements stay in the main record; the cell's gets its own.
    {"FWS", 1231, "",    {0, 2, 1, 3, 2, 1, 2, 0}, {6}, {1}, {{97}}, {{4}},
     {{310, 20}, {110 * NM, 85 * NM}, {25 * NM}, {}, {250, 260}, {15 * KT, 20 * KT}}},
    {"FWS", 1231, "CON", {0, 3, 0, 0, 0, 0, 1, 0}, {}, {}, {}, {}, {{}, {}, {}, {}, {230}, {10 * KT}}},
    {"FWS", 1231, "CON", {0, 9, 0, 0, 1, 0, 0, 1}, {}, {}, {}, {}, {{0}, {0}, {}, {520 * FT}}},
    // Two coverage groups, the second with two types; TZR is 129 (the
    // freezing bit replaces the thunderstorm's), the byte -127. Four
    // positions leave room for a width.
    {"ICT", 1235, "",    {0, 1, 2, 2, 4, 1, 1, 0}, {3, 2}, {1, 2}, {{33}, {-127, 3}}, {{1}, {2, 1}},
     {{40, 50, 60, 70}, {60 * NM, 70 * NM, 80 * NM, 90 * NM}, {15 * NM}, {}, {200}, {10 * KT}}},
    {"UEX", 1238, "",    {0, 3, 3, 0, 0, 1, 0, 0}, {2, 1, 1}, {1, 1, 1}, {{99}, {36}, {5}},
     {{3}, {2}, {9}}, {{}, {}, {10 * NM}}},
    {"UEX", 1238, "CON", {0, 1, 0, 0, 0, 0, 1, 0}, {}, {}, {}, {}, {{}, {}, {}, {}, {250}, {15 * KT}}},
    {"UEX", 1238, "CON", {0, 9, 0, 0, 1, 0, 0, 1}, {}, {}, {}, {}, {{150}, {40 * NM}, {}, {480 * FT}}},
    {"AMA", 1232, "",    {1, 0, 0, 0, 0, 0, 0, 0}, {}, {0}},
    {"SRX", 1231, "",    {0, 0, 0, 0, 0, 0, 0, 0}, {}, {0}},
    {"SRX", 1231, "CON", {0, 3, 0, 0, 0, 0, 1, 0}, {}, {}, {}, {}, {{}, {}, {}, {}, {240}, {20 * KT}}},
    {"SRX", 1231, "CON", {0, 9, 0, 0, 1, 0, 0, 1}, {}, {}, {}, {}, {{0}, {0}, {}, {410 * FT}}},
    // Five positions leave no room for a width.
    {"LBB", 1232, "",    {0, 0, 1, 4, 5, 0, 0, 0}, {1}, {1}, {{33}}, {{6}},
     {{10, 20, 30, 40, 50}, {20 * NM, 30 * NM, 40 * NM, 50 * NM, 60 * NM}}},
    {"OKC", M,    "",    {3, 0, 0, 0, 0, 0, 0, 0}, {}, {0}},
};
// clang-format on

// A row of WIDTH values: VALS as the file stores them (all fit a float), then FILL.
std::vector<double> row(size_t width, double fill, const std::vector<double> &vals) {
    std::vector<double> out(width, fill);
    for (size_t i = 0; i < vals.size() && i < width; ++i) out[i] = static_cast<float>(vals[i]);
    return out;
}

// Three rows of three for the precipitation groups.
std::vector<double> grid_row(const std::vector<std::vector<double>> &groups) {
    std::vector<double> out(9, NC_FILL_BYTE);
    for (size_t g = 0; g < groups.size(); ++g)
        std::copy(groups[g].begin(), groups[g].end(), out.begin() + 3 * g);
    return out;
}

// Compares every row of VAR with what GET expects of each record.
template <class Get>
void expect_rows(const NcRead &nc, const char *var, size_t width, Get get) {
    const std::vector<double> got = nc.values(var);
    ASSERT_EQ(got.size(), std::size(expected_records) * width) << var;
    for (size_t r = 0; r < std::size(expected_records); ++r)
        EXPECT_EQ(std::vector<double>(got.begin() + r * width, got.begin() + (r + 1) * width),
                  get(expected_records[r]))
            << var << " of record " << r;
}

std::string padded(const char *text, size_t width) {
    std::string s(text);
    return s + std::string(width - s.size(), '\0');
}

// The MDR grid coordinates worked out from the polar stereographic formula.
void grid_lonlat(int x, int y, double *lon, double *lat) {
    const double rad = M_PI / 180.0, xf = (1 + sin(60 * rad)) * 63.7122;
    const double r0 = xf * tan((90 - 40.25) / 2 * rad);
    const double xc = r0 * sin(8.7 * rad), yc = -r0 * cos(8.7 * rad);
    const double gx = 0.4755 * (x - 59.5) + xc, gy = 0.4755 * (44.5 - y) + yc;
    *lat = 90 - 2 * atan(hypot(gx, gy) / xf) / rad;
    *lon = -105 + atan2(gx, -gy) / rad;
}

TEST_F(RadCdf, Layout2GridAndRecordsReadBack) {
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            info->summary[x][y] = static_cast<signed char>((x * 7 + y * 3) % 15 - 2);
    info->summary[3][4] = RAD_EMPTY;
    std::vector<MDR_report> reps = sample_reports();
    write(12, reps);
    EXPECT_STREQ(info->cmdline, "Radar converted file from VEK decoders");
    expect_type(12);

    NcRead nc(path);
    ASSERT_TRUE(nc.ok());
    EXPECT_EQ(nc.chars("mdr_time"), padded("202612041230", 16));
    EXPECT_EQ(nc.values("rpt_date"), std::vector<double>{20261204});
    const std::vector<double> mdr = nc.values("mdr"), lon = nc.values("lon"),
                              lat = nc.values("lat");
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y) {
            ASSERT_EQ(mdr[x * 90 + y], info->summary[x][y]) << x << "," << y;
            double elon, elat;
            grid_lonlat(x, y, &elon, &elat);
            ASSERT_NEAR(lon[x * 90 + y], elon, 1e-3) << x << "," << y;
            ASSERT_NEAR(lat[x * 90 + y], elat, 1e-3) << x << "," << y;
        }

    const std::string ids = nc.chars("id"), types = nc.chars("rpt_type");
    for (size_t r = 0; r < std::size(expected_records); ++r) {
        EXPECT_EQ(ids.substr(r * 12, 12), padded(expected_records[r].id, 12)) << r;
        EXPECT_EQ(types.substr(r * 4, 4), padded(expected_records[r].rpt_type, 4)) << r;
    }
    EXPECT_EQ(nc.chars("radar_type"), std::string(16 * 12, '\0')); // never written
    expect_rows(nc, "rpt_time", 1, [](const Rec &e) { return row(1, 0, {1.0 * e.time}); });
    for (size_t i = 0; i < std::size(count_vars); ++i)
        expect_rows(nc, count_vars[i], 1,
                    [&](const Rec &e) { return row(1, 0, {1.0 * e.count[i]}); });
    const double fb = NC_FILL_BYTE;
    expect_rows(nc, "coverage", 3, [&](const Rec &e) { return row(3, fb, e.coverage); });
    expect_rows(nc, "nprecip", 3, [&](const Rec &e) { return row(3, fb, e.nprecip); });
    expect_rows(nc, "precip_type", 9, [](const Rec &e) { return grid_row(e.ptype); });
    expect_rows(nc, "intensity", 9, [](const Rec &e) { return grid_row(e.intens); });
    for (size_t i = 0; i < std::size(float_vars); ++i) {
        const size_t width = float_vars[i].width;
        expect_rows(nc, float_vars[i].var, width,
                    [&](const Rec &e) { return row(width, NC_FILL_FLOAT, e.floats[i]); });
    }
}

TEST_F(RadCdf, Layout1SummaryAndStationRecordsReadBack) {
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            info->summary[x][y] = static_cast<signed char>((x * 5 + y) % 256 - 128);
    std::vector<MDR_report> reps = {decoded(reports[0]), decoded(reports[1]), decoded(reports[3]),
                                    decoded(reports[4]), decoded(reports[7])};
    for (size_t s = 0; s < reps.size(); ++s) {
        reps[s].x = 10.25f + s;
        reps[s].y = -3.5f;
        reps[s].type = static_cast<int>(s) + 1;
    }
    vek_copy(reps[0].region, "SOUTHWEST");
    memset(reps[1].region, 'R', sizeof reps[1].region); // no terminator
    write(11, reps);
    expect_type(11);
    // What the layout asks of the reports: a top without direction at 0, 0;
    // an empty trend made a blank.
    EXPECT_EQ(reps[1].tops.dir, 0);
    EXPECT_EQ(reps[1].tops.rad, 0);
    EXPECT_STREQ(reps[2].trend, " ");

    NcRead nc(path);
    ASSERT_TRUE(nc.ok());
    const std::vector<double> summary = nc.values("summary");
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y) ASSERT_EQ(summary[x * 90 + y], info->summary[x][y]);

    auto text = [](std::initializer_list<const char *> rows) {
        std::string all;
        for (const char *r : rows) all += padded(r, 11);
        return all;
    };
    EXPECT_EQ(nc.chars("id"), text({"TLX", "FWS", "UEX", "AMA", "OKC"}));
    EXPECT_EQ(nc.chars("region"), text({"SOUTHWEST", "RRRRRRRRRR", "", "", ""}));
    EXPECT_EQ(nc.chars("config"), text({"AREA", "LINE", "CELL", "NE", "NA"}));
    EXPECT_EQ(nc.chars("prec"), text({"TRW+", "TRW++", "TSW+", " ", " "}));
    EXPECT_EQ(nc.chars("trend"), text({"+", "NC", " ", " ", " "}));
    EXPECT_EQ(nc.chars("move_type"), "C  LCLA        ");
    EXPECT_EQ(nc.values("mdr_x"), (std::vector<double>{10.25, 11.25, 12.25, 13.25, 14.25}));
    EXPECT_EQ(nc.values("mdr_y"), std::vector<double>(5, -3.5));
    EXPECT_EQ(nc.values("type"), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(nc.values("move_dir"),
              (std::vector<double>{250, M, M, 250, 230, 260, 250, M, M, M, M, M, M, M, M}));
    EXPECT_EQ(nc.values("move_spd"),
              (std::vector<double>{20, M, M, 15, 10, 20, 15, M, M, M, M, M, M, M, M}));
    EXPECT_EQ(nc.values("max_tops"), (std::vector<double>{450, 520, 480, M, M}));
    EXPECT_EQ(nc.values("max_tops_dir"), (std::vector<double>{275, 0, 150, M, M}));
    EXPECT_EQ(nc.values("max_tops_rad"), (std::vector<double>{80, 0, 40, M, M}));
}

TEST_F(RadCdf, RcmRunsWriteTheHeaderOnly) {
    info->type = 2;
    int type = 12, n = 0;
    const int fd = RAD_open(path.c_str(), 1, &type);
    EXPECT_EQ(RAD_putinfo(fd, info.get()), 0);
    RCM_report rcm{};
    EXPECT_EQ(RCM_write(fd, &rcm, 1, &n), 0);
    EXPECT_EQ(RAD_close(fd), 0);
    NcRead nc(path);
    EXPECT_TRUE(nc.values("rpt_time").empty()); // no report records
    EXPECT_EQ(nc.values("rpt_date"), std::vector<double>{20261204});
}

TEST_F(RadCdf, GridCoordinatesFromRadLocDatOrComputed) {
    std::string lons, lats;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y) {
            lons += std::to_string(-125 + x * 0.5 + y * 0.001) + (y % 10 == 9 ? "\n" : " ");
            lats += std::to_string(50 - y * 0.3 + x * 0.001) + (y % 10 == 9 ? "\n" : " ");
        }
    const char *const word = "a word that is not a number";
    const struct {
        std::string text;
        const char *why; // null: the file's values are taken
    } cases[] = {
        {"MDR grid longitudes, then latitudes\n" + lons + lats, nullptr},
        {"title\n" + lons, "too few numbers"},
        {"", "too few numbers"},
        {"title\n" + lons + "95.0 " + lats, "a coordinate out of range"},
        {"title\n" + lons + "latitudes\n" + lats, word},
        {"title\n" + lons + "nan " + lats, word},
        {"title\n" + lons + "0x1p3 " + lats, word},
        {"title\n" + lons + std::string(5000, '7') + " " + lats, word},
    };
    std::vector<MDR_report> none;
    for (const auto &c : cases) {
        write_file(dir.file("rad_loc.dat"), c.text);
        Capture cap;
        write(12, none);
        NcRead nc(path);
        double elon = -125 + 119 * 0.5 + 89 * 0.001, elat = 50 - 89 * 0.3 + 119 * 0.001;
        if (c.why) grid_lonlat(119, 89, &elon, &elat);
        EXPECT_NEAR(nc.values("lon").back(), elon, 1e-4) << c.why;
        EXPECT_NEAR(nc.values("lat").back(), elat, 1e-4) << c.why;
        EXPECT_EQ(cap.err(), c.why
                                 ? "RAD_putinfo: Grid coordinate file " + dir.file("rad_loc.dat") +
                                       " holds " + c.why + "; the coordinates are computed\n"
                                 : "");
    }
}

TEST_F(RadCdf, FailedWritesAreReportedAndNothingIsReplacedThatIsNoFile) {
    // A full disk (a file size limit): no room for the file, its header, or its reports.
    std::vector<MDR_report> none, reps = sample_reports();
    const auto size_of = [&](std::vector<MDR_report> &r) {
        write(12, r);
        return static_cast<rlim_t>(std::filesystem::file_size(path));
    };
    const rlim_t header = size_of(none), whole = size_of(reps);
    const struct {
        rlim_t limit;
        const char *failure; // how the result begins
    } limits[] = {{0, "open: nccreate: "},
                  {header / 2, "-1 ncendef: "},
                  {(header + whole) / 2, "-1 ncclose: "}};
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    for (const auto &l : limits) {
        const struct rlimit limited = {l.limit, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        int type = 12, n = 0;
        const int fd = RAD_open(path.c_str(), 1, &type);
        std::string result = "open: ";
        if (fd != -1) {
            RAD_putinfo(fd, info.get());
            for (MDR_report &r : reps) MDR_write(fd, &r, 1, &n);
            result = std::to_string(RAD_close(fd)) + " ";
        }
        setrlimit(RLIMIT_FSIZE, &old);
        result += RAD_write_error() ? RAD_write_error() : "";
        EXPECT_TRUE(result.starts_with(l.failure)) << l.limit << ": " << result;
        EXPECT_TRUE(result.ends_with(": File too large")) << l.limit << ": " << result;
    }
    signal(SIGXFSZ, SIG_DFL);

    // A path that cannot be made, and a name that is no regular file.
    write_file(dir.file("blocker"), "a file where a directory should be\n");
    const char *const stream = "nccreate: a netCDF file cannot be a stream or a command";
    const struct {
        std::string name;
        const char *error;
    } cases[] = {{dir.file("blocker/sub/out.nc"), "nccreate: Not a directory"},
                 {"/dev/null", "nccreate: not a regular file"},
                 {dir.path(), "nccreate: not a regular file"},
                 {"-", stream},
                 {"|cat >x.nc", stream},
                 {std::string(200, 'n'), "nccreate: file name too long"}};
    for (const auto &c : cases) {
        int type = 12;
        EXPECT_EQ(RAD_open(c.name.c_str(), 1, &type), -1) << c.name;
        EXPECT_STREQ(RAD_write_error(), c.error);
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
    // A later file starts clean; missing directories are made.
    int type = 12;
    const int fd = RAD_open(dir.file("new/dir/out.nc").c_str(), 1, &type);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(RAD_write_error(), nullptr);
    EXPECT_EQ(RAD_close(fd), 0);
}

} // namespace
