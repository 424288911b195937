// Radar Coded Messages: the decoder on real, small and hostile messages, the
// merge of a site's grid into the summary, and the program converting feeds
// ("-in rcm"), every file compared whole with text worked out here from the
// coded cells and the polar stereographic formula.

#include "maptran.h"
#include "nc_read.h"
#include "rad_dec.h"
#include "rcm_groups.h"
#include "rcm_read.h"
#include "vek_test.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

using namespace vektest;

namespace {

// Fine-grid column and row of three position letters: MDR row letter, MDR
// column letter, cell letter k at column k / 4 and row k mod 4.
std::pair<int, int> cell_of(const char *p) {
    const int k = p[2] - 'A';
    return {4 * (p[1] - 'A') + k / 4, 4 * (p[0] - 'A') + k % 4};
}

// The records of an archive message: each part padded with blanks to 70.
std::string records(const std::vector<std::string> &parts) {
    std::string text;
    for (const std::string &p : parts)
        text += p + std::string(p.size() < 70 ? 70 - p.size() : 0, ' ');
    return text;
}

// A text-form message of site ID. Give two records at least, as every real
// message has: a body shorter than 100 bytes takes the next line too.
std::string message(const std::string &id, const std::vector<std::string> &parts,
                    const std::string &eol = "\n") {
    return "SDUS54 KXXX 151245" + eol + "RCM" + id + eol + records(parts) + eol;
}

// A binary packet: its length in 16-bit words (header included) in the low
// twelve bits of the first two bytes (the high four bits set, which do not
// count), its kind in the next two, then TEXT padded to an even length.
std::string packet(int k0, int k1, std::string text) {
    if (text.size() % 2) text += ' ';
    const size_t words = (text.size() + 4) / 2;
    return std::string{char(0xA0 | (words >> 8)), char(words & 0xFF), char(k0), char(k1)} + text;
}

// A report as text: result, identity, date, mode, status, position, the cells
// that hold a value, maximum top, storms, wind levels, vortices, mesocyclones.
std::string describe(int result, const RCM_report &r) {
    const Date &d = r.date;
    std::string o = fmt("%d %.*s %d", result, int(strnlen(r.id, sizeof r.id)), r.id, r.num);
    o += d.year == VEK_MISS && d.hour == VEK_MISS
             ? " nodate"
             : fmt(" %04d-%02d-%02d %02d:%02d", d.year, d.month, d.day, d.hour, d.min);
    o += fmt(" m%d s%d", r.mode, r.status);
    if (r.lat != VEK_FMISS) o += fmt(" loc=%.3f,%.3f,%.1f", r.lat, r.lon, r.elev);
    std::string cells;
    for (int x = 0; x < RCM_GRID; ++x)
        for (int y = 0; y < RCM_GRID; ++y)
            if (r.echo[x][y] != -1) cells += fmt(" %d,%d=%d", x, y, r.echo[x][y]);
    if (!cells.empty()) o += " cells" + cells;
    if (r.maxt != VEK_MISS) o += fmt(" Z%d@%g,%g", r.maxt, r.maxt_x, r.maxt_y);
    for (const RCM_storm &s : std::span(r.storm, r.num_storm))
        o += fmt(" S%s@%g,%g %d/%d %d/%d", s.id, s.x, s.y, s.dir, s.spd, s.hgt, s.hail);
    for (const RCM_vad &v : std::span(r.vad, r.num_vad))
        o += fmt(" V%d/%d/%d/%d", v.hgt, v.rms, v.dir, v.spd);
    for (const RCM_point &t : std::span(r.tvs, r.num_tvs)) o += fmt(" T%s@%g,%g", t.id, t.x, t.y);
    for (const RCM_point &m : std::span(r.meso, r.num_meso)) o += fmt(" M%s@%g,%g", m.id, m.x, m.y);
    return o;
}

// Every message of BYTES decoded in turn into records that held garbage, as
// described, but for the clean end of input.
std::string describe_all(const std::string &bytes) {
    FILE *f = stream_of(bytes);
    std::string out, d;
    auto r = std::make_unique<RCM_report>();
    for (int got = 0, guard = 0; got >= 0 && guard < 100; ++guard) {
        memset(r.get(), 0x5A, sizeof *r);
        got = RCM_read_site(f, r.get());
        if ((d = describe(got, *r)) != "-1  -9999 nodate m-9999 s-9999")
            out += (out.empty() ? "" : " | ") + d;
    }
    fclose(f);
    return out;
}

// A real message in data/ and what its heading says.
struct Real {
    const char *file, *id;
    int num;
    const char *date;
};
const Real reals[] = {{"1108280716_rcm.txt", "OKX", 515, "2011-08-28 07:17"},
                      {"1501020217_rcm.txt", "BMX", 320, "2015-01-02 02:17"}};

// What real message M of archive TEXT decodes to, its text read plainly, blanks left
// out: part A's cells (digits, and letters repeating the digit before), the top, the
// centroids with part C's heights (hail N), part B's levels (A to G: RMS), the mesos.
std::string expected_real(const Real &m, std::string t) {
    std::erase(t, ' ');
    auto list = [&t](size_t from) { return split(t.substr(from, t.find('/', from) - from), ','); };
    auto after = [&t](const char *head, size_t at) { return t.find(':', t.find(head, at)) + 1; };
    auto at = [](std::string p) {
        auto [x, y] = cell_of(p.c_str());
        return fmt("@%d,%d", x, y);
    };
    Cells cells;
    for (const std::string &g : list(after("/NI", 0))) {
        auto [x, y] = cell_of(g.c_str());
        int last = 0;
        for (char ch : g.substr(3)) {
            if (isdigit(ch)) last = ch - '0';
            for (int n = isdigit(ch) ? 1 : ch - 'A' + 1; n > 0; --n) cells[{x++, y}] = last;
        }
    }
    std::string o = fmt("1 %s %d %s m1 s0 cells", m.id, m.num, m.date);
    for (auto [xy, v] : cells) o += fmt(" %d,%d=%d", xy.first, xy.second, v);
    const size_t top = t.find("/MT") + 3, part_c = t.find("/NEXRCC");
    o += " Z" + t.substr(top, t.find(':', top) - top) + at(t.substr(t.find(':', top) + 1, 3));
    const auto storms = list(after("/NCEN", 0)), heights = list(after("/NCEN", part_c));
    for (size_t i = 0; i < storms.size(); ++i) // "CM4LOB260051" and "CM4LOBS089HN"
        o += " S" + storms[i].substr(1, 2) + at(storms[i].substr(3)) +
             fmt(" %d/%d %d/0", stoi(storms[i].substr(6, 3)), stoi(storms[i].substr(9)),
                 stoi(heights[i].substr(7, 3)));
    const int rms[] = {2, 4, 6, 8, 10, 12, 15};
    for (const std::string &l : list(t.find("/NEXRBB") + 21)) // "/NEXRBB" number date
        o += fmt(" V%d/%d/%d/%d", stoi(l.substr(0, 3)), rms[l[3] - 'A'], stoi(l.substr(4, 3)),
                 stoi(l.substr(7)));
    for (const std::string &p : list(after("/NMES", part_c)))
        o += " M" + p.substr(1, 2) + at(p.substr(3));
    return o;
}

class RcmRead : public VekTest {};

const std::string head = "1234 ROBUU 0515 /NEXRAA 0515 2808110717 UNEDITED";
const std::string part_a = head + " /MDPCPN /SC /NI1:";

TEST_F(RcmRead, RealTextAndBinaryMessagesAndHostileInput) {
    const std::string pad(100, ' ');
    // 45 centroids and 25 wind levels as coded, and the 40 and 20 kept as decoded.
    std::string ncen, storms40, nvad, vad20;
    for (int i = 0; i < 45; ++i) {
        const std::string id = fmt("%c%d", 'A' + i / 10, i % 10);
        ncen += fmt("%sC%sMMA %03d%03d", i ? "," : "", id.c_str(), i, i);
        if (i < 40)
            storms40 += fmt(" S%s@48,48 %d/%d ", id.c_str(), i, i) + (i ? "-9999/0" : "111/2");
        if (i < 25) nvad += fmt("%03dA%03d010,", i + 1, i);
        if (i < 20) vad20 += fmt(" V%d/2/%d/10", i + 1, i);
    }
    // The binary form: number, location and time, two packets passed over, the text.
    const std::string packets =
        "RCMOKX\n" + packet(1, 1, "515") + packet(1, 16, "12  40.865   -72.864  85  9506151230");
    const std::string binary = packets + packet(4, 16, std::string("a\n\nb") + '\0') +
                               packet(1, 4, "") +
                               packet(5, 4, part_a + " MMA1 /MT10:MMB /ENDAA" + pad) + "\n";
    std::vector<std::array<std::string, 3>> cases = {
        // what, the input, its reports

        {"no message", "SDUS54 KXXX 151245\nRCXOKX\n" + pad, ""},
        {"no part A", "rcmOKX  \n" + pad + "/NEXRBB\n", "0 OKX -9999 nodate m-9999 s-9999"},
        {"cell letters, a repeat, a two-digit year",
         message("TLX", {"1234 ROBUU 0001", "/NEXRAA 0001 1506951230 EDITED /MDCLAR /SC /NI3:",
                         "MMA3B5,MMP1,AAB2", "/MT45:MMA", "/NCEN01: CA1MMB 123045", "/ENDAA"}),
         "1 TLX 1 1995-06-15 12:30 m2 s0 cells 0,1=2 48,48=3 49,48=3 50,48=3 51,48=5 51,51=1 "
         "Z45@48,48 SA1@48,49 123/45 -9999/0"},
        {"groups past the grid, bad letters, a repeat before any digit",
         message("OKX",
                 {part_a + " AZP99999,BZA5Z, AaA5,A[B5,aAA6,CAA1,DAAB3 /MT5:ZZZ /MT", "/ENDAA"}),
         "1 OKX 515 2011-08-28 07:17 m1 s0 cells 0,8=1 0,12=3 100,4=5 101,4=5 102,4=5 103,3=9 "
         "103,4=5 Z5@106,101"},
        {"more than 40 centroids, part C for them, a level cut short",
         message("OKX", {part_a + " MMA1 /MT99:aBC /NCEN45: " + ncen,
                         "/ENDAA /NEXRBB 0515 2808110717 010B107052,020G118065,030A10752, /ENDBB",
                         "/NEXRCC 0515 2808110717 /NTVS00: /NMES00: /NCEN03: CZZMMA S222HH,"
                         "CA0MMA S111HH"}),
         "1 OKX 515 2011-08-28 07:17 m1 s0 cells 48,48=1 Z99@-9999,-9999" + storms40 +
             " V10/4/107/52 V20/15/118/65"},
        {"more than 20 levels, part C",
         message("OKX",
                 {part_a + " /MT10:MMA /NCEN02: CA1MMA 100010,CB2MMB 200020 /ENDAA",
                  "/NEXRBB 0515 2808110717 " + nvad + " /ENDBB /NEXRCC 0515 2808110717",
                  "/NTVS02: TVSA1MMC, /NMES03: M07MMD,M08aaa /NCEN04: CA1MMA S050HU,CB2MMB S060HP,"
                  "CC3MMC S070HX,CA1MMA S080HN"}),
         "1 OKX 515 2011-08-28 07:17 m1 s0 Z10@48,48 SA1@48,48 100/10 80/0 SB2@48,49 200/20 60/1 "
         "SC3@48,50 -9999/-9999 70/0" +
             vad20 + " TA1@48,50 M07@48,51 M08@-9999,-9999"},
        {"a short body at the end of input", "RCMOKX\r\n1234 ROBUU 0515\r\n/NEXRAA 0515\r\n",
         "-1 OKX -9999 nodate m-9999 s-9999"},
        {"binary form", binary,
         "1 OKX 515 2011-08-28 07:17 m1 s0 loc=40.865,-72.864,25.9 cells 48,48=1 Z10@48,49"},
        {"binary form ending before the text", packets + packet(9, 9, pad) + "\n",
         "1 OKX 515 1995-06-15 12:30 m-9999 s-9999 loc=40.865,-72.864,25.9"},
        {"binary packet longer than the data",
         "RCMOKX\n" + packet(1, 1, "515").replace(1, 1, "\xFF") + pad + "\n",
         "1 OKX 515 nodate m-9999 s-9999"},
        {"binary location packet cut by the end of the data",
         "RCMOKX\n" + packet(1, 1, "088") +
             packet(1, 16, "12  40.865   -72.864  85  1506" + pad).substr(0, 26) + "\n" + pad +
             "\n",
         "1 OKX 88 nodate m-9999 s-9999 loc=40.865,-72.864,-9999.0"},
        {"binary packet of no length",
         "RCMOKX\n" + packet(1, 1, "515") + std::string("\0\0\1\x10", 4) + pad + "\n",
         "1 OKX 515 nodate m-9999 s-9999"},
        {"a line of 1 MB, then a message",
         "RCMOKX\n" + std::string(1 << 20, 'X') + "\n" +
             message("TLX", {head + " RADNE", "/ENDAA"}),
         "0 OKX -9999 nodate m-9999 s-9999 | 1 TLX 515 2011-08-28 07:17 m-9999 s1"},
    };
    // The real messages as archived (with a binary header) and in the text form.
    for (const Real &m : reals) {
        const std::string archive = read_file(source_dir + "/data/" + m.file);
        const size_t rcm_end = archive.find("\r\r\n", archive.find("RCM")) + 3;
        cases.push_back({m.file, archive, expected_real(m, archive)});
        cases.push_back(
            {std::string(m.file) + " as text",
             archive.substr(0, rcm_end) + archive.substr(archive.find("1234 ROBUU")) + "\r\r\n",
             expected_real(m, archive)});
    }
    for (const auto &[what, input, expect] : cases) EXPECT_EQ(describe_all(input), expect) << what;
}

// The vector reader of intensity groups reads what the plain one does (which
// runs where the processor lacks vectors, and when values are traced).
TEST_F(RcmRead, PlainAndVectorGroupReadersAgree) {
    std::mt19937 rng(23);
    const std::string letters = "AABMMNPZ0123456789,,, /[a";
    auto plain = std::make_unique<RCM_report>(), vector = std::make_unique<RCM_report>();
    for (int t = 0; t < 3000; ++t) {
        std::string s;
        for (unsigned n = rng() % 160; n > 0; --n) s += letters[rng() % letters.size()];
        memset(plain->echo, -1, sizeof plain->echo);
        memset(vector->echo, -1, sizeof vector->echo);
        const auto *u = reinterpret_cast<const unsigned char *>(s.data());
        const int n = static_cast<int>(s.size());
        const int read = rcm_groups_vector(u, n, vector.get());
        if (read < 0) GTEST_SKIP() << "no vector reader on this processor";
        ASSERT_EQ(rcm_groups_plain(u, n, plain.get()), read) << s;
        ASSERT_EQ(memcmp(plain->echo, vector->echo, sizeof plain->echo), 0) << s;
    }
}

TEST_F(RcmRead, MergeIntoTheSummaryKeepsTheHigherValueWithinTheBounds) {
    Domain d;
    RAD_mdr_domain(&d);
    MAP_domain(&d);
    auto info = std::make_unique<RAD_info>();
    RAD_summary_init(info.get());
    // A report of a site at MDR grid point (GX, GY).
    auto site = [](double gx, double gy) {
        auto r = std::make_unique<RCM_report>();
        RCM_init(r.get());
        double lat, lon;
        mdr_latlon(gx, gy, &lat, &lon);
        r->lat = static_cast<float>(lat), r->lon = static_cast<float>(lon), r->status = 0;
        return r;
    };
    // Near the western and northern edges the cells off the summary are skipped;
    // it ends at 460 and 356; beyond its 100 columns and rows a grid is not
    // merged, and values 7 to 9 count as 0. A report without position changes
    // nothing.
    auto w = site(5.3, 2.4), e = site(110.5, 87.6), none = site(50.7, 40.2); // origins -28, -40
    w->echo[27][40] = w->echo[28][39] = 1, w->echo[28][40] = 2;              // and 392, 300
    w->echo[100][40] = w->echo[28][100] = 6, w->echo[29][40] = 8;
    e->echo[68][56] = 3, e->echo[69][56] = e->echo[68][57] = 4;
    none->lat = VEK_FMISS, none->echo[0][0] = 5;
    for (auto *r : {w.get(), e.get(), none.get()}) RCM_set_summary(info.get(), r);
    std::string filled; // the cells merged, of no echo (-1) or empty left out
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            if (info->summary[x][y] >= 0 && info->summary[x][y] != RAD_EMPTY)
                filled += fmt(" %d,%d=%d", x, y, info->summary[x][y]);
    EXPECT_EQ(filled, " 0,0=2 1,0=0 460,356=3");
    EXPECT_EQ(none->echo[0][0], 5);
}

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
    const auto [gx, gy] = mdr_grid(sites, id);
    for (double v : {gx, gy}) EXPECT_NEAR(v - std::floor(v), 0.5, 0.499) << id;
    return {4 * (static_cast<int>(gx) - 12), 4 * (static_cast<int>(gy) - 12)};
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
    return fmt(" %8.3f %8.3f", lat, lon);
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

class RcmConversion : public VekTest, protected Install {
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

// TLX's message with every list at its capacity: 40 storms (their heights and
// hail in part C), 10 vortex signatures, 20 mesocyclones and 20 wind levels.
std::string full_tlx() {
    auto pos = [](int k) { return fmt("%c%c%c", "LMN"[k % 3], "LMN"[k / 3 % 3], 'A' + k % 16); };
    auto fid = [](int k) { return fmt("%c%d", 'A' + k / 10, k % 10); };
    std::string t = "1234 ROBUU 0001 /NEXRAA 0001 1506241240 UNEDITED /MDPCPN /SC /NI1: MMA5 "
                    "/MT450:MMB /NCEN40:";
    for (int k = 0; k < 40; ++k)
        t += fmt(" C%s%s %03d%03d,", fid(k).c_str(), pos(k).c_str(), 5 * k, k);
    t += " /ENDAA /NEXRBB 0001 1506241240";
    for (int k = 0; k < 20; ++k) t += fmt(" %03d%c%03d%03d,", 10 * k + 10, 'A' + k % 8, 7 * k, k);
    t += " /ENDBB /NEXRCC 0001 1506241240 /NTVS10:";
    for (int k = 0; k < 10; ++k) t += " TVS" + fid(k) + pos(k) + ",";
    t += " /NMES20:";
    for (int k = 0; k < 20; ++k) t += " M" + fid(k) + pos(k + 5) + ",";
    t += " /NCEN40:";
    for (int k = 0; k < 40; ++k)
        t += fmt(" C%s%s S%03dH%c,", fid(k).c_str(), pos(k).c_str(), 100 + k, "UNPH"[k % 4]);
    return message("TLX", {t});
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
                {shipped, "1108280716", read_file(source_dir + "/data/1108280716_rcm.txt")},
                {shipped, "1501020217", read_file(source_dir + "/data/1501020217_rcm.txt")}};
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
        cdf_client(source_dir, work.path(), "rcm " + nc + " " + vek + " " + input);
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

} // namespace
