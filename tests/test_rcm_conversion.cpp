// The program converting feeds of Radar Coded Messages ("-in rcm"); every file
// is compared whole with text worked out here from the coded cells and the
// polar stereographic formula.

#include "nc_read.h"
#include "rcm_test.h"
#include "vek_test.h"

#include <cmath>

using namespace vektest;

namespace {

// In station-file order, the order of the blocks. SIL and QUI never report:
// SIL has a WMO number and is written as not received, QUI has none and is
// left out. LOC (priority 3) is not expected. GUA lies off the MDR grid.
const std::vector<std::string> sites = {
    "Norman OK US TLX 1 35.32 -97.27 370 72357 1",
    "Amarillo TX US AMA 1 35.23 -101.70 1093 72363 313",
    "Fort_Worth TX US FWS 1 32.57 -97.30 208 99999 345",
    "Local NE US LOC 3 40.00 -100.00 700 72562 901",
    "Guam GU US GUA 1 13.45 144.80 80 91212 999",
    "Silent KS US SIL 1 38.00 -95.00 300 72450 900",
    "Quiet OK US QUI 1 36.00 -96.00 300 99999 902",
};

// The summary cell of the fine-grid cell 0, 0 of site ID: twelve MDR boxes
// before the site's box, four cells a box. The site must lie clear of box
// edges, where float and double could round apart.
std::pair<int, int> origin(const char *id) {
    double lat = 0, lon = 0;
    for (const std::string &s : sites)
        if (s.find(" " + std::string(id) + " ") != std::string::npos)
            sscanf(s.c_str(), "%*s %*s %*s %*s %*d %lf %lf", &lat, &lon);
    const GridPos g = mdr_grid(lat, lon);
    for (double v : {g.gx, g.gy}) EXPECT_NEAR(v - std::floor(v), 0.5, 0.499) << id;
    return {4 * (static_cast<int>(g.gx) - 12), 4 * (static_cast<int>(g.gy) - 12)};
}

// " lat lon" of the feature at position letters POS of site ID's grid; it
// must lie clear of a rounding boundary, where float and double could part.
std::string where(const char *id, const char *pos) {
    auto [i0, j0] = origin(id);
    auto [x, y] = cell_of(pos);
    double lat, lon;
    mdr_latlon((x + i0 + 0.5) / 4, (y + j0 + 0.5) / 4, &lat, &lon);
    for (double v : {lat, lon})
        EXPECT_GT(std::fabs(std::fabs(v * 1000 - std::floor(v * 1000)) - 0.5), 0.01) << id << pos;
    char buf[40];
    snprintf(buf, sizeof buf, " %8.3f %8.3f", lat, lon);
    return buf;
}

// Merges CELLS of site ID into C: a cell keeps the highest value; values
// above 6 count as 0.
void merge(Cells &c, const char *id, std::initializer_list<std::pair<const char *, int>> cells) {
    auto [i0, j0] = origin(id);
    for (auto [pos, v] : cells) {
        auto [x, y] = cell_of(pos);
        int &cell = c[{i0 + x, j0 + y}];
        cell = std::max(cell, v > 6 ? 0 : v);
    }
}

// A message of site ID numbered NUM at WHEN (DDMMYYHHMM) with TEXT after the
// edit status.
std::string plain(const char *id, const char *num, const std::string &when,
                  const std::string &text) {
    return message(id, {std::string("1234 ROBUU ") + num,
                        std::string("/NEXRAA ") + num + " " + when + " UNEDITED" + text, "/ENDAA"});
}

std::string tlx(const std::string &time, const std::string &groups) {
    return message("TLX", {"1234 ROBUU 0001", "/NEXRAA 0001 15062412" + time + " UNEDITED",
                           "/MDPCPN /SC     /NI3: " + groups, "/MT450:MMB",
                           "/NCEN02: CA1MNA 250020,CB2LLP 310015", "/ENDAA",
                           "/NEXRBB 0001 1506241240", "010A250020,050B270030", "/ENDBB",
                           "/NEXRCC 0001 1506241240", "/NTVS01: TVSA1MNA,", "/NMES01: M01MNB",
                           "/NCEN02: CA1MNA S120HP,CB2LLP S080HN"});
}

std::string ama(const std::string &time, const std::string &rest) {
    return message("AMA", {"1234 ROBUU 0313", "/NEXRAA 0313 15062412" + time + " UNEDITED",
                           "/MDCLAR /SC     " + rest, "/ENDAA"});
}

// The feed of 12:45: TLX (once outside the window), AMA in clear air twice,
// FWS in the binary form with no echoes, LOC out for maintenance with CRLF
// line ends, and two sites the store does not hold.
std::string feed_1245() {
    const std::string fws_text =
        records({"1234 ROBUU 0345", "/NEXRAA 0345 1506241244 UNEDITED RADNE", "/MDPCPN /NI1: MMA5",
                 "/ENDAA"});
    return tlx("40", "MMA345B7,MMB6,LMP1") +
           ama("35", "/NI2: MMA2,MMC9 /MT120:MMA") + // replaced by the next one
           "SDUS54 KFWR 151244\nRCMFWS\n" + packet(1, 1, "345") +
           packet(1, 16, "12  32.573   -97.303 680202406151244") + packet(5, 4, fws_text) + "\n" +
           tlx("00", "MMA666") + // outside the window
           ama("50", "/NI2: MMA1,MMD4 /MT150:MMD /NCEN01: CA9MMD 090005") +
           message("LOC",
                   {"1234 ROBUU 0901", "/NEXRAA 0901 1506241255 UNEDITED RADOM",
                    "/MDCLAR /NI1: MMA4", "/ENDAA"},
                   "\r\r\n") +
           message("XYZ", {"1234 ROBUU 0999",
                           "/NEXRAA 0999 1506241245 UNEDITED /MDPCPN /NI1:", "MMA6 /ENDAA"}) +
           message("GUA", {"1234 ROBUU 0999",
                           "/NEXRAA 0999 1506241245 UNEDITED /MDPCPN /NI1:", "MMA6 /ENDAA"});
}

// What the feed of 12:45 converts to, with or without clear-air echoes.
std::string converted_1245(bool clear_air) {
    Cells c;
    merge(c, "TLX", {{"MMB", 6}, {"LMP", 1}});
    // MMA3 then 4, 5, B repeats 5 twice, 7 (merged as 0)
    const auto [x, y] = cell_of("MMA");
    const auto [i0, j0] = origin("TLX");
    for (int k = 0, row[] = {3, 4, 5, 5, 5, 0}; k < 6; ++k) c[{i0 + x + k, j0 + y}] = row[k];
    if (clear_air) {
        merge(c, "AMA", {{"MMA", 2}, {"MMC", 9}}); // the first report
        merge(c, "AMA", {{"MMA", 1}, {"MMD", 4}}); // the second: the higher value stays
    }
    return "1245Z 15 JUN 24\n" + rcm_summary(c) + "** TLX 001 PCPN\nZ 450" + where("TLX", "MMB") +
           "\nT  A1" + where("TLX", "MNA") + "\nM  01" + where("TLX", "MNB") + "\nS  A1" +
           where("TLX", "MNA") + " 250 020 120 1\nS  B2" + where("TLX", "LLP") +
           " 310 015  80 0\n** AMA 313 CLAR\nZ 150" + where("AMA", "MMD") + "\nS  A9" +
           where("AMA", "MMD") +
           " 090 005 -9999 0\n** FWS 345 PCPN NE\n** LOC 901 CLAR OM\n** SIL 72450 NA\n";
}

class RcmConversion : public ::testing::Test, protected Install {
  protected:
    RcmConversion() : Install(sites) {}
    // Converts FEED, named for DATE, with MORE; returns the file and its name.
    // A conversion that decodes no report says why (WHY).
    std::string convert(const std::string &date, const std::string &feed,
                        std::vector<std::string> more = {}, const std::string &why = "") {
        write_file(raw() + "/" + date + "_rcm.txt", feed);
        more.insert(more.begin(), {"-pf", "over", "-in", "RCM"});
        more.push_back(date);
        RunResult r = run(more);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, why.empty() ? ""
                                     : "RAD_decode_file: No report decoded from " + raw() + "/" +
                                           date + "_rcm.txt: " + why + "\n");
        return take_output();
    }
};

// A feed of several sites, with and without clear-air echoes (a file of
// minute 50 decodes for 12:45), and one of no message.
TEST_F(RcmConversion, FeedsOfSeveralSitesOrNone) {
    const std::string name = "\n@2406151245_rcm.vek";
    EXPECT_EQ(convert("2406151245", feed_1245()), "VEKRAD\n" + converted_1245(true) + name);
    EXPECT_EQ(convert("2406151245", feed_1245(), {"-pa", "noclar"}),
              "VEKRAD\n" + converted_1245(false) + name);
    EXPECT_EQ(convert("2406151250", feed_1245(), {"-ou", "vek3"}),
              converted_1245(true) + "\n@24061512_rad.vek");
    EXPECT_EQ(convert("2406151245", "", {}, "it holds no bulletin"),
              "VEKRAD\n1245Z 15 JUN 24\nRCM SUMMARY\n** TLX 72357 NA\n** AMA 72363 NA\n"
              "** SIL 72450 NA\n" +
                  name);
}

// A file of 23:50 decodes for 23:45 on the 15th, by default from 23:30 to
// 00:00; the window goes by the time of day. The "range" words and
// "decode_hour" set it, numbers held at the range of int.
TEST_F(RcmConversion, ReportTimeWindowsAcrossMidnight) {
    const std::string feed = plain("TLX", "0001", "1606240000", " /MDPCPN /NI1: MMA2") +
                             plain("AMA", "0313", "1506242329", "") +
                             plain("FWS", "0345", "1606240001", "") +
                             plain("LOC", "0901", "1506242330", " RADOM");
    Cells c;
    merge(c, "TLX", {{"MMA", 2}});
    const std::string tlx = "** TLX 001 PCPN\n", ama = "** AMA 72363 NA\n", loc = "** LOC 901 OM\n";
    const struct {
        std::vector<std::string> args;
        std::string blocks, why = "";
    } runs[] = {
        {{}, tlx + ama + loc},
        {{"-pa", "range=-16:16"}, tlx + "** AMA 313\n** FWS 345\n" + loc},
        {{"-pa", "range:-5"}, tlx + ama},
        {{"-pa", "range=99999999999:-99999999999"},
         "** TLX 72357 NA\n" + ama,
         "every report lies outside an empty window (4 reports)"},
        {{"-dh", "0:00-1+1"}, tlx + ama + "** FWS 345\n"},
    };
    for (const auto &r : runs)
        EXPECT_EQ(convert("2406152350", feed, r.args, r.why),
                  "VEKRAD\n2345Z 15 JUN 24\n" +
                      rcm_summary(r.blocks.starts_with(tlx) ? c : Cells{}) + r.blocks +
                      "** SIL 72450 NA\n\n@2406152345_rcm.vek")
            << r.args.size();
}

} // namespace

// TLX's message with every list at its capacity: 40 storms (their heights and
// hail in part C), 10 vortex signatures, 20 mesocyclones and 20 wind levels,
// none lying across the 70-byte records.
std::string full_tlx() {
    std::vector<std::string> a = {"1234 ROBUU 0001", "/NEXRAA 0001 1506241240 UNEDITED",
                                  "/MDPCPN /SC     /NI1: MMA5", "/MT450:MMB", "/NCEN40:"};
    std::vector<std::string> c = {"/NEXRCC 0001 1506241240", "/NTVS10:"};
    std::string part;
    auto add = [&part](std::vector<std::string> &to, const std::string &entry, size_t per) {
        part += entry;
        if (part.size() >= per * entry.size()) to.push_back(part), part.clear();
    };
    auto pos = [](int k) {
        return std::string{"LMN"[k % 3], "LMN"[k / 3 % 3], static_cast<char>('A' + k % 16)};
    };
    auto fid = [](int k) {
        return std::string{static_cast<char>('A' + k / 10), char('0' + k % 10)};
    };
    char buf[40];
    for (int k = 0; k < 40; ++k) {
        snprintf(buf, sizeof buf, "C%s%s %03d%03d, ", fid(k).c_str(), pos(k).c_str(), 5 * k, k);
        add(a, buf, 4);
    }
    a.push_back("/ENDAA");
    std::vector<std::string> b = {"/NEXRBB 0001 1506241240"};
    for (int k = 0; k < 20; ++k) {
        snprintf(buf, sizeof buf, "%03d%c%03d%03d, ", 10 * (k + 1), "ABCDEFGH"[k % 8], 7 * k, k);
        add(b, buf, 5);
    }
    b.push_back("/ENDBB");
    for (int k = 0; k < 10; ++k) add(c, "TVS" + fid(k) + pos(k) + ", ", 5);
    c.push_back(part + "/NMES20:"), part.clear();
    for (int k = 0; k < 20; ++k) add(c, "M" + fid(k) + pos(k + 5) + ", ", 6);
    c.push_back(part + "/NCEN40:"), part.clear();
    for (int k = 0; k < 40; ++k) {
        snprintf(buf, sizeof buf, "C%s%s S%03dH%c, ", fid(k).c_str(), pos(k).c_str(), 100 + k,
                 "UNPH"[k % 4]);
        add(c, buf, 4);
    }
    std::vector<std::string> all = a;
    all.insert(all.end(), b.begin(), b.end());
    all.insert(all.end(), c.begin(), c.end());
    std::string body;
    for (const std::string &p : all) body += records({p});
    return "SDUS54 KXXX 151245\nRCMTLX\n" + body + "\n";
}

// Converted to netCDF, each reads in xarray as the text form of the same run
// shows it (tests/cdf_clients.py): a feed with a site at every capacity and
// others of each status, a feed of no message, and the real messages.
TEST_F(RcmConversion, NetCdfReadByXarrayAsTheTextFormShows) {
    if (!have_python_clients()) GTEST_SKIP() << "scripts/deps.sh installs " << CLIENT_PACKAGES;
    const std::string feed =
        full_tlx() + plain("AMA", "0313", "1506241235", " RADNE /MDPCPN /NI1: MMA2") +
        message("LOC", {"1234 ROBUU 0901", "/NEXRAA 0901 1506241250 UNEDITED RADOM", "/ENDAA"});
    Install shipped;
    const struct {
        const Install &at;
        std::string date, text;
    } runs[] = {{*this, "2406151245", feed},
                {*this, "2406151215", ""},
                {shipped, "1108280716", read_file(source_dir() + "/data/1108280716_rcm.txt")},
                {shipped, "1501020217", read_file(source_dir() + "/data/1501020217_rcm.txt")}};
    for (const auto &r : runs) {
        const std::string input = r.at.raw() + "/" + r.date + "_rcm.txt";
        write_file(input, r.text);
        for (const char *form : {"vek", "cdf"}) {
            const RunResult run = r.at.run({"-pf", "over", "-in", "rcm", "-ou", form, r.date});
            EXPECT_EQ(run.status, 0) << run.err;
        }
        std::string nc, vek;
        for (const auto &e : std::filesystem::directory_iterator(r.at.out()))
            (e.path().extension() == ".nc" ? nc : vek) = e.path().string();
        cdf_client(source_dir(), work.path(), "rcm " + nc + " " + vek + " " + input);
        // The fine grid's cells are quarters of the boxes of the MDR grid.
        const std::vector<double> lat = nc_values(nc, "rcm_lat"), lon = nc_values(nc, "rcm_lon");
        for (const auto &[x, y] : {std::pair{0, 0}, {233, 140}, {460, 356}}) {
            double want_lat, want_lon;
            mdr_latlon((x + 0.5) / 4, (y + 0.5) / 4, &want_lat, &want_lon);
            EXPECT_NEAR(lat[x * 357 + y], want_lat, 1e-3) << x << "," << y;
            EXPECT_NEAR(lon[x * 357 + y], want_lon, 1e-3) << x << "," << y;
        }
        std::filesystem::remove_all(r.at.out());
    }
}
