// The netCDF converted file where the conversions do not reach (the real
// clients read their files value by value): the grid coordinates from a
// hostile file, and failed writes.

#include <cmath>
#include <csignal>
#include <sys/resource.h>

#include "files.h"
#include "nc_read.h"
#include "rad_dec.h"
#include "rad_read.h"
#include "resrc.h"
#include "vek_test.h"

using vektest::Capture;
using vektest::fmt;
using vektest::nc_values;

namespace {

const char *const reports[] = {
    "FWS 1231 LINE 6TRW++/NC 310/110 20/85 25W L2515 C2310 L2620 MT 520",
    "UEX 1238 CELL 2TSW+ 1IPW 1LU D10 A2515 MT 480 AT 150/40",
    "OKC", // an expected station that sent nothing: every field missing
};

// The reports of REPORTS, decoded.
std::vector<MDR_report> decoded() {
    std::vector<MDR_report> out;
    for (const char *text : reports) {
        MDR_init(&out.emplace_back());
        MDR_decode(text, nullptr, &out.back());
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
            const int header = RAD_putinfo(fd, info.get());
            for (MDR_report &r : reports) written += MDR_write(fd, &r, 1, &n), ++n;
            result = fmt("%d %d %d", header, written, RAD_close(fd));
        }
        return result + ": " + (RAD_write_error() ? RAD_write_error() : "");
    }
    vektest::TempDir dir;
    std::string path = dir.file("out.nc");
    std::unique_ptr<RAD_info> info = std::make_unique<RAD_info>();
};

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
        const std::vector<double> lon = nc_values(path, "lon"), lat = nc_values(path, "lat");
        for (auto [x, y] : {std::pair{0, 0}, {119, 0}, {119, 89}}) {
            double elon = -125 + x * 0.5 + y * 0.001, elat = 50 - y * 0.3 + x * 0.001;
            if (why) // computed: 120 by 90 boxes of 0.4755 units about 40.25 N, 96.3 W
                vektest::grid_latlon(40.25, -96.3, 0.4755, 59.5, 44.5, x, y, &elat, &elon);
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
    write(12, decoded());
    const rlim_t whole = std::filesystem::file_size(path);
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    for (const auto &[limit, result] :
         {std::pair<rlim_t, const char *>{0, "open: nccreate: File too large"},
          {header / 2, "0 3 -1: ncendef: File too large"}, // reported when closing
          {(header + whole) / 2, "0 3 -1: ncclose: File too large"}}) {
        const struct rlimit limited = {limit, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
        const std::string got = write(12, decoded());
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
