// The bundled MDR collective converted to netCDF as a user runs it, and the
// file read as users read it: ncdump (header and data), netCDF4-python and
// xarray (against the text form of the same run), and the quick look.

#include "nc_read.h"
#include "vek_test.h"

#include <filesystem>
#include <sstream>

using namespace vektest;

namespace {

const std::string python = "/usr/bin/python3";

class ConversionCdf : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char *d : {"etc", "raw", "defaults"})
            std::filesystem::create_directories(work.file(d));
        for (const char *f : {"rad.cty", "name_conv"})
            std::filesystem::copy_file(source_dir() + "/data/" + f, work.file("etc/") + f);
        std::filesystem::copy_file(source_dir() + "/data/24061512_rad.txt",
                                   work.file("raw/24061512_rad.txt"));
    }
    // Converts the collective with the output words OUTPUT; returns the file.
    std::string convert(const std::string &output) {
        RunResult r =
            run_dirida({"-ba", "-me", "error", "-pf", "over", "-fp", work.file("etc"), "-dp",
                        work.file("raw"), "-cp", work.file("out"), "-ou", output, "24061512"},
                       work.path(), {{"vekdefault", work.file("defaults")}});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return work.file(output.starts_with("cdf") ? "out/24061512_rad.nc"
                                                   : "out/24061512_rad.vek");
    }
    // The station identifiers of the text form's report lines, in order.
    std::vector<std::string> text_ids() {
        std::istringstream in(read_file(convert("vek")));
        std::vector<std::string> ids;
        bool reports = false;
        for (std::string line; std::getline(in, line);) {
            if (reports) ids.push_back(line.substr(0, line.find(' ')));
            reports = reports || line == "SDXX STATIONS";
        }
        return ids;
    }
    // Runs tests/cdf_clients.py with ARGS; skips when the Python modules
    // are missing.
    void clients(const std::string &args) {
        int status = -1;
        shell(python + " -c 'import netCDF4, xarray, matplotlib' 2>/dev/null", &status);
        if (status != 0)
            GTEST_SKIP() << python << " lacks netCDF4, xarray or matplotlib: scripts/deps.sh "
                         << "installs python3-netcdf4, python3-xarray and python3-matplotlib";
        const std::string out =
            shell("cd " + work.path() + " && MPLCONFIGDIR=" + work.path() + " " + python + " " +
                      source_dir() + "/tests/cdf_clients.py " + args + " 2>&1",
                  &status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_NE(out.find("agree"), std::string::npos) << out;
    }
    TempDir work;
};

TEST_F(ConversionCdf, NcdumpShowsTheHeaderAndTheData) {
    const std::vector<std::string> ids = text_ids();
    for (const auto &[output, cdl] :
         {std::pair{"cdf", "24061512_rad.cdl"}, {"cdf1", "24061512_rad_layout1.cdl"}}) {
        const std::string nc = convert(output);
        EXPECT_EQ(ncdump_header(nc), read_file(source_dir() + "/tests/data/" + cdl)) << output;
        int status = -1;
        // One main record per report line of the text form, in its order,
        // with the records of other movements and of tops after it; one
        // station record each in layout 1.
        std::istringstream data(shell("ncdump -v id " + nc, &status));
        std::vector<std::string> seen;
        for (std::string line; std::getline(data, line);) {
            const size_t q = line.find('"');
            if (q == std::string::npos || line.find(':') != std::string::npos) continue;
            const std::string id = line.substr(q + 1, line.find('"', q + 1) - q - 1);
            if (seen.empty() || seen.back() != id) seen.push_back(id);
        }
        EXPECT_EQ(seen, ids) << output;
    }
    int status = -1;
    const std::string data = shell("ncdump -v mdr_time,rpt_date " + convert("cdf"), &status);
    EXPECT_NE(data.find("data:\n\n mdr_time = \"202406151230\" ;\n\n rpt_date = 20240615 ;\n}\n"),
              std::string::npos)
        << data;
}

TEST_F(ConversionCdf, RealClientsReadWhatTheTextFormShows) {
    const std::string nc = convert("cdf"), vek = convert("vek");
    clients("records " + nc + " " + vek + " " + work.file("etc/rad.cty"));
}

TEST_F(ConversionCdf, QuickLookDrawsEachCellInTheColourOfItsLevel) {
    const std::string nc = convert("cdf"), vek = convert("vek");
    clients("quicklook " + nc + " " + vek + " " + work.file("etc/rad.cty") + " " +
            work.file("look.png"));
    EXPECT_TRUE(file_exists(work.file("look.png")));
}

} // namespace
