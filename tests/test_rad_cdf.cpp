// The netCDF converted file where the conversions of the shipped collective
// do not reach: reports of rare forms read back value by value, the grid
// coordinates from a hostile file, and failed writes.

#include <cmath>
#include <csignal>
#include <memory>
#include <sys/resource.h>

#include "files.h"
#include "nc_read.h"
#include "rad_dec.h"
#include "rad_read.h"
#include "resrc.h"
#include "vek_test.h"
#include "vekstr.h"

using vektest::Capture;
using vektest::NcRead;

namespace {

constexpr double NM = 1.852;  // km per nautical mile
constexpr double KT = 0.5144; // m/s per knot
constexpr double FT = 30.48;  // metres per hundred feet
// Cells never written hold the fill value: the library's for bytes, the declared
// -9999 for floats, and for precipitation codes 127, which no type string
// gives (freezing rain is the library's byte fill, -127).
constexpr double B = NC_FILL_BYTE, F = VEK_MISS, P = 127;
constexpr int M = VEK_MISS;

const char *const reports[] = {
    "FWS 1231 LINE 6TRW++/NC 310/110 20/85 25W L2515 C2310 L2620 MT 520",
    "ICT 1235 AREA 3RW- 2TZR 0S-/- 40/60 50/70 60/80 70/90 15W A2010",
    "UEX 1238 CELL 2TSW+ 1IPW 1LU D10 A2515 MT 480 AT 150/40",
    "LBB 1232 LYR 1RWXX/NEW 10/20 20/30 30/40 40/50 50/60",
    "OKC", // an expected station that sent nothing: every field missing
};

// The reports of REPORTS numbered in WHICH, decoded.
std::vector<MDR_report> decoded(std::initializer_list<int> which) {
    std::vector<MDR_report> out;
    for (int i : which) {
        MDR_init(&out.emplace_back());
        MDR_decode(reports[i], nullptr, &out.back());
    }
    return out;
}

class RadCdf : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_put("file_path", dir.path().c_str());
        RAD_summary_init(info.get());
        info->type = 1;
    }
    // Writes a file of TYPE (PATH, or TO) with the header and REPORTS as the driver
    // does; returns "header reports close: failure" of the results, or "open: failure".
    std::string write(int type, std::vector<MDR_report> reports, std::string to = "") {
        const int fd = RAD_open((to.empty() ? path : to).c_str(), 1, &type);
        std::string result = "open";
        if (fd != -1) {
            int n = 0, written = 0;
            result = std::to_string(RAD_putinfo(fd, info.get()));
            for (MDR_report &r : reports) written += MDR_write(fd, &r, 1, &n), ++n;
            result += " " + std::to_string(written) + " " + std::to_string(RAD_close(fd));
        }
        return result + ": " + (RAD_write_error() ? RAD_write_error() : "");
    }
    vektest::TempDir dir;
    std::string path = dir.file("out.nc");
    std::unique_ptr<RAD_info> info = std::make_unique<RAD_info>();
};

// A layout 2 record's numbers: time, counts, then byte and float lists, filled.
const char *const l2_vars[] = {"rpt_time", "opstat",      "object",    "ncover",    "trend",
                               "nazran",   "nwidth",      "nmove",     "nheight",   "coverage",
                               "nprecip",  "precip_type", "intensity", "azimuth",   "range",
                               "width",    "height",      "move_dir",  "move_speed"};
struct Rec {
    const char *id, *rpt_type;
    double head[9];                         // rpt_time and the counts
    std::vector<std::vector<double>> lists; // the rows from "coverage" on that hold values
};
// clang-format off
// The "CON" records of a movement of another kind than the configuration, and of a top.
Rec move(const char *id, int time, int object, double dir, double knots) {
    return {id, "CON", {1.0 * time, 0, 1.0 * object, 0, 0, 0, 0, 1, 0},
            {{}, {}, {}, {}, {}, {}, {}, {}, {dir}, {knots * KT}}};
}
Rec top(const char *id, int time, double azimuth, double miles, double height) {
    return {id, "CON", {1.0 * time, 0, 9, 0, 0, 1, 0, 0, 1},
            {{}, {}, {}, {}, {azimuth}, {miles * NM}, {}, {height * FT}}};
}

// The records of the reports: a main record each, then those of other movements and tops.
const std::vector<Rec> l2_records = {
    // time op obj cov trd naz wid mov hgt; coverage nprecip precip_type intensity
    //   azimuth range width height move_dir move_speed
    // Two line movements stay in the main record; the cell's gets its own.
    {"FWS", "", {1231, 0, 2, 1, 3, 2, 1, 2, 0}, {{6}, {1}, {97}, {4},
                {310, 20}, {110 * NM, 85 * NM}, {25 * NM}, {}, {250, 260}, {15 * KT, 20 * KT}}},
    move("FWS", 1231, 3, 230, 10), top("FWS", 1231, 0, 0, 520),
    // Two coverage groups, the second with two types; TZR is 129 (the freezing bit
    // replaces the thunderstorm's), the byte -127. Four positions leave room for a width.
    {"ICT", "", {1235, 0, 1, 2, 2, 4, 1, 1, 0}, {{3, 2}, {1, 2}, {33, P, P, -127, 3}, {1, B, B, 2, 1},
                {40, 50, 60, 70}, {60 * NM, 70 * NM, 80 * NM, 90 * NM}, {15 * NM}, {}, {200}, {10 * KT}}},
    {"UEX", "", {1238, 0, 3, 3, 0, 0, 1, 0, 0}, {{2, 1, 1}, {1, 1, 1},
                {99, P, P, 36, P, P, 5}, {3, B, B, 2, B, B, 9}, {}, {}, {10 * NM}}},
    move("UEX", 1238, 1, 250, 15), top("UEX", 1238, 150, 40, 480),
    // Five positions leave no room for a width.
    {"LBB", "", {1232, 0, 0, 1, 4, 5, 0, 0, 0}, {{1}, {1}, {33}, {6},
                {10, 20, 30, 40, 50}, {20 * NM, 30 * NM, 40 * NM, 50 * NM, 60 * NM}}},
    {"OKC", "", {M, 3}, {{}, {0}}},
};
// clang-format on

// TEXTS each padded with NUL bytes to WIDTH.
std::string padded(size_t width, std::initializer_list<const char *> texts) {
    std::string all;
    for (const char *t : texts) all += t + std::string(width - strlen(t), '\0');
    return all;
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
    EXPECT_EQ(write(12, decoded({0, 1, 2, 3, 4})), "0 5 0: ");
    NcRead nc(path);
    const std::vector<double> grid = nc.values("mdr");
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y) ASSERT_EQ(grid[x * 90 + y], info->summary[x][y]) << x << y;

    EXPECT_EQ(nc.chars("radar_type"), std::string(l2_records.size() * 12, '\0')); // never written
    std::string ids, types;
    for (const Rec &e : l2_records) ids += padded(12, {e.id}), types += padded(4, {e.rpt_type});
    EXPECT_EQ(nc.chars("id") + nc.chars("rpt_type"), ids + types);
    for (size_t i = 0; i < std::size(l2_vars); ++i) {
        const std::vector<double> got = nc.values(l2_vars[i]);
        const size_t width = got.size() / l2_records.size();
        std::vector<double> want; // as the file stores them: all fit a float
        for (const Rec &e : l2_records) {
            const std::vector<double> vals = i < 9 ? std::vector<double>{e.head[i]}
                                             : i - 9 < e.lists.size() ? e.lists[i - 9]
                                                                      : std::vector<double>{};
            for (size_t k = 0; k < width; ++k)
                want.push_back(k < vals.size() ? static_cast<float>(vals[k])
                               : i == 11       ? P
                               : i < 13        ? B
                                               : F);
        }
        EXPECT_EQ(got, want) << l2_vars[i];
    }
}

TEST_F(RadCdf, GridCoordinatesFromRadLocDatOrComputed) {
    std::string lons, lats;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y) {
            lons += std::to_string(-125 + x * 0.5 + y * 0.001) + (y % 10 == 9 ? "\n" : " ");
            lats += std::to_string(50 - y * 0.3 + x * 0.001) + (y % 10 == 9 ? "\n" : " ");
        }
    const char *const word = "a word that is not a number";
    const std::pair<std::string, const char *> cases[] = {
        {"MDR grid longitudes, then latitudes\n" + lons + lats, nullptr},
        {"title\n" + lons, "too few numbers"},
        {"", "too few numbers"},
        {"title\n" + lons + "95.0 " + lats, "a coordinate out of range"},
        {"title\n" + lons + "1e999 " + lats, word},
        {"title\n" + lons + "0x1p3 " + lats, word}, // decimal numbers only
        {"title\n" + lons + std::string(5000, '7') + " " + lats, word},
    };
    for (const auto &[text, why] : cases) {
        vektest::write_file(dir.file("rad_loc.dat"), text);
        Capture cap;
        EXPECT_EQ(write(12, {}), "0 0 0: ");
        NcRead nc(path);
        const std::vector<double> lon = nc.values("lon"), lat = nc.values("lat");
        for (auto [x, y] : {std::pair{0, 0}, {119, 0}, {119, 89}}) {
            double elon = -125 + x * 0.5 + y * 0.001, elat = 50 - y * 0.3 + x * 0.001;
            if (why) grid_lonlat(x, y, &elon, &elat);
            EXPECT_NEAR(lon[x * 90 + y], elon, 1e-4) << why << x << y;
            EXPECT_NEAR(lat[x * 90 + y], elat, 1e-4) << why << x << y;
        }
        EXPECT_EQ(cap.err(), why ? "RAD_putinfo: Grid coordinate file " + dir.file("rad_loc.dat") +
                                       " holds " + why + "; the coordinates are computed\n"
                                 : "");
    }
}

TEST_F(RadCdf, FailedWritesAreReportedAndNothingIsReplacedThatIsNoFile) {
    // A full disk (a file size limit): no room for the file, its header, or its reports.
    write(12, {});
    const rlim_t header = std::filesystem::file_size(path);
    write(12, decoded({0, 1, 2, 3, 4}));
    const rlim_t whole = std::filesystem::file_size(path);
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    for (const auto &[limit, result] :
         {std::pair<rlim_t, const char *>{0, "open: nccreate: File too large"},
          {header / 2, "0 5 -1: ncendef: File too large"}, // reported when closing
          {(header + whole) / 2, "0 5 -1: ncclose: File too large"}}) {
        const struct rlimit limited = {limit, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        const std::string got = write(12, decoded({0, 1, 2, 3, 4}));
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(got, result) << limit;
    }
    signal(SIGXFSZ, SIG_DFL);

    // Names of no regular file, or too long (paths that cannot be made: end to end).
    for (const auto &[name, error] :
         {std::pair<std::string, const char *>{"/dev/null", "not a regular file"},
          {"|cat >x.nc", "a netCDF file cannot be a stream or a command"},
          {std::string(FILE_NAME_LEN, 'n'), "file name too long"}})
        EXPECT_EQ(write(12, {}, name), std::string("open: nccreate: ") + error);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    // A later file starts clean; missing directories are made.
    EXPECT_EQ(write(12, {}, dir.file("new/dir/out.nc")), "0 0 0: ");
}

} // namespace
