// The Radar Coded Message decoder: real and small messages, hostile ones
// included; the merge of a site's grid into the summary.

#include "files.h"
#include "maptran.h"
#include "rad_dec.h"
#include "rcm_read.h"
#include "rcm_test.h"
#include "vek_test.h"

#include <cstring>
#include <memory>

using namespace vektest;

namespace {

template <class... A>
std::string fmt(const char *f, A... a) {
    std::string s(static_cast<size_t>(snprintf(nullptr, 0, f, a...)), '\0');
    snprintf(s.data(), s.size() + 1, f, a...);
    return s;
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
    struct Case {
        std::string name, input, expect;
    };
    std::vector<Case> cases = {
        {"no message", "SDUS54 KXXX 151245\nRCXOKX\n" + pad, ""},
        {"end of input in the body", "RCMOKX\n", "-1 OKX -9999 nodate m-9999 s-9999"},
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
        const std::string archive = read_file(source_dir() + "/data/" + m.file);
        const size_t rcm_end = archive.find("\r\r\n", archive.find("RCM")) + 3;
        cases.push_back({m.file, archive, expected_real(m, archive)});
        cases.push_back(
            {std::string(m.file) + " as text",
             archive.substr(0, rcm_end) + archive.substr(archive.find("1234 ROBUU")) + "\r\r\n",
             expected_real(m, archive)});
    }
    for (const Case &c : cases) EXPECT_EQ(describe_all(c.input), c.expect) << c.name;
}

TEST_F(RcmRead, MergeIntoTheSummaryKeepsTheHigherValueWithinTheBounds) {
    Domain d;
    RAD_mdr_domain(&d);
    MAP_domain(&d);
    auto info = std::make_unique<RAD_info>();
    RAD_summary_init(info.get());
    auto &s = info->summary;
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
    std::string filled;
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            if (s[x][y] >= 0 && s[x][y] != RAD_EMPTY) filled += fmt(" %d,%d=%d", x, y, s[x][y]);
    EXPECT_EQ(filled, " 0,0=2 1,0=0 460,356=3");
    EXPECT_EQ(none->echo[0][0], 5);
}

} // namespace
