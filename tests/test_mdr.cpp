// MDR reports: finding the reports of the nominal time in a bulletin stream,
// the empty station records, and decoding the standard and grid forms into
// records and the summary grid.

#include "vek_test.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vekrad.h"

using namespace vektest;

namespace {

struct Found {
    std::string id;
    std::string text;
};

// Every report that MDR_read_raw finds in BULLETIN, in order.
std::vector<Found> read_reports(const std::string &bulletin) {
    FILE *f = tmpfile();
    EXPECT_NE(f, nullptr);
    if (!f) return {};
    fwrite(bulletin.data(), 1, bulletin.size(), f);
    rewind(f);
    std::vector<Found> out;
    char data[500];
    char id[11];
    for (int i = 0; i < 1000 && MDR_read_raw(f, data, id) == 1; ++i) {
        EXPECT_LT(strlen(data), 500u);
        EXPECT_LT(strlen(id), 11u);
        out.push_back({id, data});
    }
    fclose(f);
    return out;
}

std::vector<std::string> ids_of(const std::vector<Found> &found) {
    std::vector<std::string> ids;
    for (const Found &f : found) ids.push_back(f.id);
    return ids;
}

using Ids = std::vector<std::string>;

// A stored record of a station at MDR grid position (X, Y), as the store
// would hand it over.
MDR_report station(const char *id, float x, float y) {
    MDR_report r;
    memset(&r, 0, sizeof r);
    vek_copy(r.id, id);
    r.x = x;
    r.y = y;
    r.type = 1;
    MDR_init(&r);
    vek_copy(r.config, "NA");
    return r;
}

// Cells of the MDR part of the summary that are no longer empty.
int touched_cells(const RAD_info &info) {
    int n = 0;
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            if (info.summary[x][y] != RAD_EMPTY) ++n;
    return n;
}

class MdrTest : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        memset(&info, 0, sizeof info);
        RAD_summary_init(&info);
        rep = station("OKC", 50.6f, 40.3f);
    }
    int decode(const char *text) { return MDR_decode(text, &info, &rep); }
    // Decodes TEXT with the message types LEVEL shown; returns what they printed.
    std::string decode_out(const char *text, M_type level) {
        MESS_set(1, level);
        Capture cap;
        decode(text);
        std::string out = cap.out();
        MESS_set(-1, level);
        return out;
    }
    signed char cell(int x, int y) const { return info.summary[x][y]; }

    RAD_info info;
    MDR_report rep;
};

class MdrReaderWindow : public VekTest {};
class MdrReaderLines : public VekTest {};
class MdrReaderGarbage : public VekTest {};
class MdrStandardForm : public MdrTest {};
class MdrPrecipitation : public MdrTest {};
class MdrStatusWords : public MdrTest {};
class MdrEchoes : public MdrTest {};
class MdrGridForm : public MdrTest {};
class MdrDecodeGarbage : public MdrTest {};
class MdrRecords : public VekTest {};

} // namespace

// ---------------------------------------------------------------------------
// Finding the reports of the nominal time
// ---------------------------------------------------------------------------

TEST_F(MdrReaderWindow, TakesReportsWithinTenMinutesOfTheNominalTime) {
    RAD_set_nominal(11, 30);
    auto found = read_reports("SDUS40 KWBC 151130\n"
                              "TLX 1120 PPINE=\n"
                              "AMA 1119 PPINE=\n"
                              "FWS 1140 PPINE=\n"
                              "ICT 1141 PPINE=\n"
                              "DDC 1230 PPINE=\n"
                              "INX 1030 PPINE=\n"
                              "LZK 1130 PPINE=\n");
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "FWS", "LZK"}));
    EXPECT_EQ(found[0].text, "TLX 1120 PPINE");
}

TEST_F(MdrReaderWindow, NothingMatchesBeforeTheNominalTimeIsSet) {
    EXPECT_TRUE(read_reports("TLX 1130 PPINE=\nAMA 0000 PPINE=\n").empty());
}

TEST_F(MdrReaderWindow, IdentifierAndTimeWordsAreReadLikePercent5sPercent4s) {
    RAD_set_nominal(11, 30);
    auto found = read_reports("OK 1130 PPINE=\n"      // identifier of two characters
                              "TLX 130 PPINE=\n"      // time of three digits
                              "TLX 113A PPINE=\n"     // time not all digits
                              "TLXABC 1130 PPINE=\n"  // the time word would be "C"
                              "ABCDE1130 PPINE=\n"    // five characters, then the time
                              "AMA 11305 AREA 4R-=\n" // the time is its first four digits
                              "   FWS    1131 PPINA=\n"
                              "KTLXX 1129 PPIOM=\n"
                              "DDC RTD 1130 PPINE=\n"); // the time must be the second word
    EXPECT_EQ(ids_of(found), (Ids{"ABCDE", "AMA", "FWS", "KTLXX"}));
    EXPECT_EQ(found[0].text, "ABCDE1130 PPINE");
    EXPECT_EQ(found[2].text, "   FWS    1131 PPINA");
}

TEST_F(MdrReaderWindow, LineTestAgreesWithScanningTheCleanedLine) {
    // The reader tests raw lines by hand, several bytes at a time; it must
    // decide exactly as sscanf(clean line, "%5s %4s") and the window rule.
    RAD_set_nominal(11, 30);
    const char blanks[] = {' ', '\t', '\x01', '\x1f', '\x80', '\xff', '\r'};
    const char word_chars[] = "ABCKTXZ09\x7f-";
    const char *times[] = {"1130",  "1120", "1140", "1119", "1141", "113",
                           "11305", "x130", "1030", "11a0", "",     "2330"};
    unsigned seed = 4242;
    auto rnd = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    int starts = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        for (unsigned k = rnd(20); k > 0; --k) line += blanks[rnd(sizeof blanks)];
        if (rnd(50) == 0) line += '\0';
        for (unsigned k = rnd(9); k > 0; --k) line += word_chars[rnd(sizeof word_chars - 1)];
        for (unsigned k = rnd(12); k > 0; --k) line += blanks[rnd(sizeof blanks)];
        line += times[rnd(sizeof times / sizeof *times)];
        line += " AREA 4RW=";

        std::string cleaned = line.substr(0, line.find('\0'));
        std::vector<char> buf(cleaned.begin(), cleaned.end());
        buf.push_back('\0');
        clean_line(buf.data());
        char id[6] = "", tm[5] = "";
        bool expect = sscanf(buf.data(), "%5s %4s", id, tm) == 2 && strlen(id) >= 3 &&
                      strlen(tm) == 4 && strspn(tm, "0123456789") == 4 && atoi(tm) / 100 == 11 &&
                      atoi(tm) % 100 >= 20 && atoi(tm) % 100 <= 40;

        rad_dec_reset_state();
        RAD_set_nominal(11, 30);
        std::vector<Found> found = read_reports(line + "\n");
        ASSERT_EQ(found.size(), expect ? 1u : 0u) << i;
        if (expect) {
            EXPECT_EQ(found[0].id, id) << i;
            ++starts;
        }
    }
    EXPECT_GT(starts, 500); // both outcomes were exercised
}

TEST_F(MdrReaderWindow, AStationReportingTwiceIsFoundTwice) {
    RAD_set_nominal(23, 30);
    auto found = read_reports("TLX 2325 CELL 2RW- 180/30=\n"
                              "TLX 2335 CELL 3RW 190/35=\n");
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "TLX"}));
    EXPECT_EQ(found[1].text, "TLX 2335 CELL 3RW 190/35");
}

TEST_F(MdrReaderLines, ShortLinesAndEndMarksEndAReportOnItsFirstLine) {
    RAD_set_nominal(11, 30);
    auto found = read_reports("TLX 1130\n"           // shorter than 11 characters
                              "AMA 1130 PPINE=   \n" // end mark before trailing blanks
                              "FWS 1130 PPIOM@\n"
                              "ICT 1130 PPINA=@\n" // one "=", then one "@" removed
                              "DDC 1130 PPINA@=\n");
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "AMA", "FWS", "ICT", "DDC"}));
    EXPECT_EQ(found[0].text, "TLX 1130");
    EXPECT_EQ(found[1].text, "AMA 1130 PPINE");
    EXPECT_EQ(found[2].text, "FWS 1130 PPIOM");
    EXPECT_EQ(found[3].text, "ICT 1130 PPINA=");
    EXPECT_EQ(found[4].text, "DDC 1130 PPINA");
}

TEST_F(MdrReaderLines, ContinuationLinesAreJoinedByOneBlank) {
    RAD_set_nominal(11, 30);
    auto found = read_reports("TLX 1135 LN 8TRW++/+ 86/32 164/67\r\n"
                              "   19W C2428 MT 440 AT 143/47   \r\n"
                              "^LN1 MO12 NP2234=\r\n"
                              "AMA 1130 AREA 4R-\n"
                              "FWS 1131 PPINE=\n");
    // A report without end mark takes the next line even when that line
    // would start a report of its own.
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "AMA"}));
    EXPECT_EQ(found[0].text, "TLX 1135 LN 8TRW++/+ 86/32 164/67    19W C2428 MT 440 AT 143/47 "
                             "^LN1 MO12 NP2234");
    EXPECT_EQ(found[1].text, "AMA 1130 AREA 4R- FWS 1131 PPINE");
}

TEST_F(MdrReaderLines, AnEmptyLineEndsAReportAndIsNotTaken) {
    RAD_set_nominal(11, 30);
    auto found = read_reports("TLX 1130 AREA 4R- 200/40\n"
                              "   \n"
                              "AMA 1130 AREA 2RW\n"
                              "\n"
                              "FWS 1130 PPINE=\n");
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "AMA", "FWS"}));
    EXPECT_EQ(found[0].text, "TLX 1130 AREA 4R- 200/40");
    EXPECT_EQ(found[1].text, "AMA 1130 AREA 2RW");
}

TEST_F(MdrReaderLines, AReportWithoutEndMarkTakesAtMostFifteenLines) {
    RAD_set_nominal(11, 30);
    std::string text = "TLX 1130 AREA 4R-\n";
    std::string expect = "TLX 1130 AREA 4R-";
    for (int i = 1; i <= 20; ++i) {
        text += "L" + std::to_string(i) + "\n";
        if (i <= 14) expect += " L" + std::to_string(i);
    }
    text += "AMA 1131 PPINE=\n";
    auto found = read_reports(text);
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "AMA"}));
    EXPECT_EQ(found[0].text, expect);
}

TEST_F(MdrReaderLines, LinesThatDoNotFitTheJoinedTextAreDropped) {
    RAD_set_nominal(11, 30);
    const std::string a(160, 'A'), b(160, 'B'), c(160, 'C');
    auto found = read_reports("TLX 1130 AREA 4R-\n" + a + "\n" + b + "\n" + c + "\nEND=\n" +
                              "AMA 1130 PPINE=\n");
    ASSERT_EQ(ids_of(found), (Ids{"TLX", "AMA"}));
    // 17 + 161 + 161 characters fit; the C line would make 500; "END" fits again.
    EXPECT_EQ(found[0].text, "TLX 1130 AREA 4R- " + a + " " + b + " END");
}

TEST_F(MdrReaderLines, EndOfInputLeavesTheBuffersAlone) {
    RAD_set_nominal(11, 30);
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    fputs("TLX 1130 AREA 4R-\nCONTINUED", f);
    rewind(f);
    char data[500];
    char id[11];
    ASSERT_EQ(MDR_read_raw(f, data, id), 1);
    EXPECT_STREQ(data, "TLX 1130 AREA 4R- CONTINUED");
    strcpy(data, "untouched");
    strcpy(id, "same");
    EXPECT_EQ(MDR_read_raw(f, data, id), 0);
    EXPECT_EQ(MDR_read_raw(f, data, id), 0);
    EXPECT_STREQ(data, "untouched");
    EXPECT_STREQ(id, "same");
    fclose(f);
    EXPECT_EQ(MDR_read_raw(nullptr, data, id), 0);
}

TEST_F(MdrReaderLines, AnotherStreamStartsWithoutTheFormerLookAhead) {
    RAD_set_nominal(11, 30);
    FILE *a = tmpfile();
    FILE *b = tmpfile();
    ASSERT_TRUE(a && b);
    fputs("TLX 1130 PPINE=\nAMA 1130 PPINE=\n", a);
    fputs("FWS 1130 PPIOM=\n", b);
    rewind(a);
    rewind(b);
    char data[500];
    char id[11];
    ASSERT_EQ(MDR_read_raw(a, data, id), 1);
    EXPECT_STREQ(id, "TLX");
    ASSERT_EQ(MDR_read_raw(b, data, id), 1);
    EXPECT_STREQ(id, "FWS");
    EXPECT_EQ(MDR_read_raw(b, data, id), 0);
    fclose(b);
    // A stream read to its end is forgotten, so a new stream is read from its
    // start even when it gets the address of the old one.
    FILE *c = tmpfile();
    ASSERT_NE(c, nullptr);
    fputs("ICT 1130 PPINE=\n", c);
    rewind(c);
    ASSERT_EQ(MDR_read_raw(c, data, id), 1);
    EXPECT_STREQ(id, "ICT");
    fclose(c);
    fclose(a);
}

TEST_F(MdrReaderGarbage, ControlAndHighBytesCountAsBlanks) {
    RAD_set_nominal(11, 30);
    auto found = read_reports(std::string("\x01\x02TLX\t1130 PPINE=\r\n") +
                              "TL\xe9X 1130 PPINE=\n" // the word is split: "TL"
                              "\xff"
                              "AMA\x7f 1130 PPINE=\n" // DEL is part of the word
                              "\xff"
                              "FWS\xa0"
                              "1130\x1b"
                              "AREA 4R-=\n");
    EXPECT_EQ(ids_of(found), (Ids{"TLX", "AMA\x7f", "FWS"}));
    EXPECT_EQ(found[0].text, "  TLX 1130 PPINE");
    EXPECT_EQ(found[2].text, " FWS 1130 AREA 4R-");
}

TEST_F(MdrReaderGarbage, NulBytesEndALine) {
    RAD_set_nominal(11, 30);
    auto found = read_reports(std::string("TLX\0 1130 PPINE=\n", 17) +
                              std::string("AMA 1130 PPINE\0XYZ\n", 19) + "FWS 1130 PPINE=\n");
    // The AMA line ends at its NUL: 14 characters without end mark, so it
    // takes the next line.
    EXPECT_EQ(ids_of(found), (Ids{"AMA"}));
    EXPECT_EQ(found[0].text, "AMA 1130 PPINE FWS 1130 PPINE");
}

TEST_F(MdrReaderGarbage, LinesOfTenThousandCharactersComeInPieces) {
    RAD_set_nominal(11, 30);
    const std::string noise(10000, 'X');
    const std::string digits(9990, '9');
    auto found = read_reports(noise + "\nTLX 1130 PPINE=\nAMA 1130 " + digits + "=\n" + noise +
                              "\nFWS 1130 PPIOM=\n");
    ASSERT_EQ(ids_of(found), (Ids{"TLX", "AMA", "FWS"}));
    // The long report is its first piece and the pieces that fit after it.
    const std::string &t = found[1].text;
    EXPECT_EQ(t.substr(0, 9), "AMA 1130 ");
    EXPECT_EQ(t.size(), 160u + 161u + 161u);
    EXPECT_EQ(t.find_first_not_of("9 ", 9), std::string::npos);
}

TEST_F(MdrReaderGarbage, BinaryFilesEndWithoutReports) {
    RAD_set_nominal(11, 30);
    std::string bin;
    unsigned v = 12345;
    for (int i = 0; i < 50000; ++i) {
        v = v * 1103515245u + 12345u;
        bin.push_back(static_cast<char>(v >> 24));
    }
    auto found = read_reports(bin + "\nTLX 1130 PPINE=\n");
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.back().id, "TLX");
    for (const Found &f : found) {
        for (char c : f.text) {
            EXPECT_GE(static_cast<unsigned char>(c), 32u);
            EXPECT_LE(static_cast<unsigned char>(c), 127u);
        }
    }
}

// ---------------------------------------------------------------------------
// Empty records
// ---------------------------------------------------------------------------

namespace {

// The MDR grid as the driver hands it to the station store.
Domain mdr_domain() {
    Domain d;
    DOM_init(&d);
    d.proj = 1;
    d.plat = 90.0f;
    d.plon = -105.0f;
    d.clat = 39.578445f;
    d.clon = -97.42146f;
    d.dx = 0.47625f;
    d.dy = 0.47625f;
    d.nx = 114;
    d.ny = 90;
    return d;
}

void set_mdr_domain() {
    const Domain d = mdr_domain();
    MAP_domain(&d);
}

CTY_data city(const char *id, int prior, float lat, float lon) {
    CTY_data c;
    memset(&c, 0, sizeof c);
    vek_copy(c.name, "Somewhere");
    vek_copy(c.id, id);
    c.prior = prior;
    c.lat = lat;
    c.lon = lon;
    c.wmo = 99999;
    return c;
}

} // namespace

TEST_F(MdrRecords, AStationGetsItsGridPosition) {
    set_mdr_domain();
    MDR_report r;
    memset(&r, 0x7f, sizeof r);
    CTY_data centre = city("CTR", 1, 39.578445f, -97.42146f);
    EXPECT_EQ(MDR_enter_func(&centre, &r), 0);
    // The grid centre lies halfway between the first and the last point.
    EXPECT_NEAR(r.x, (114 - 1) / 2.0, 1e-3);
    EXPECT_NEAR(r.y, (90 - 1) / 2.0, 1e-3);

    CTY_data tlx = city("TLX", 1, 35.32f, -97.27f);
    MDR_enter_func(&tlx, &r);
    // Back from the grid position to the map and to the globe.
    float mx, my, lat, lon;
    MAP_grid_tran(r.x, r.y, &mx, &my);
    MAP_untran(mx, my, &lat, &lon);
    EXPECT_NEAR(lat, 35.32, 1e-3);
    EXPECT_NEAR(lon, -97.27, 1e-3);
    EXPECT_GT(r.y, 44.5); // south of the centre: further down the rows
}

TEST_F(MdrRecords, ExpectedStationsStartNotAvailableOthersNotReporting) {
    set_mdr_domain();
    const struct {
        int prior;
        const char *config;
    } cases[] = {{0, "NR"}, {1, "NA"}, {2, "NR"}, {3, "NA"}, {5, "NR"}, {9, "NR"}};
    for (const auto &c : cases) {
        MDR_report r;
        memset(&r, 0x7f, sizeof r);
        CTY_data d = city("AMA", c.prior, 35.23f, -101.70f);
        MDR_enter_func(&d, &r);
        EXPECT_STREQ(r.config, c.config) << c.prior;
        EXPECT_EQ(r.type, c.prior);
        EXPECT_STREQ(r.id, "AMA");
        // Nothing the store's memory held shows through.
        EXPECT_EQ(r.time, VEK_MISS);
        EXPECT_STREQ(r.region, "");
        EXPECT_STREQ(r.rem, "");
        EXPECT_EQ(r.numprec, 0);
        for (const MDR_prec &g : r.prec) {
            EXPECT_EQ(g.area_cov, VEK_MISS);
            EXPECT_STREQ(g.type, "");
            EXPECT_EQ(g.intens, VEK_MISS);
        }
        EXPECT_EQ(r.tops.h, VEK_MISS);
        EXPECT_EQ(r.move[2].type, ' ');
        EXPECT_EQ(r.loc[4].rad, VEK_MISS);
    }
}

TEST_F(MdrRecords, InitResetsTheDecodedFieldsOnly) {
    MDR_report r = station("TLX", 12.5f, 30.25f);
    r.time = 1130;
    vek_copy(r.config, "AREA");
    r.numprec = 2;
    r.prec[0].area_cov = 4;
    vek_copy(r.trend, "NC");
    r.loc[3] = {90, 40};
    r.move[1] = {'C', 250, 20};
    r.tops = {450, 250, 80};
    EXPECT_EQ(MDR_init(&r), 0);
    EXPECT_STREQ(r.config, "NR");
    EXPECT_EQ(r.numprec, 0);
    EXPECT_STREQ(r.trend, "");
    for (const MDR_loc &l : r.loc) {
        EXPECT_EQ(l.dir, VEK_MISS);
        EXPECT_EQ(l.rad, VEK_MISS);
    }
    for (const MDR_move &m : r.move) {
        EXPECT_EQ(m.type, ' ');
        EXPECT_EQ(m.dir, VEK_MISS);
        EXPECT_EQ(m.spd, VEK_MISS);
    }
    EXPECT_EQ(r.tops.h, VEK_MISS);
    EXPECT_EQ(r.tops.dir, VEK_MISS);
    EXPECT_EQ(r.tops.rad, VEK_MISS);
    EXPECT_STREQ(r.id, "TLX");
    EXPECT_EQ(r.time, 1130);
    EXPECT_EQ(r.prec[0].area_cov, 4);
    EXPECT_FLOAT_EQ(r.x, 12.5f);
    EXPECT_FLOAT_EQ(r.y, 30.25f);
}

// ---------------------------------------------------------------------------
// The standard form
// ---------------------------------------------------------------------------

TEST_F(MdrStandardForm, AFullLineReport) {
    ASSERT_EQ(decode("OKC 1235 LN 8TRW++/+ 86/32 164/67 19W C2428 MT 440 AT 143/47 "
                     "^LN1 MO12 NP2234"),
              1);
    EXPECT_STREQ(rep.id, "OKC");
    EXPECT_EQ(rep.time, 1235);
    EXPECT_STREQ(rep.config, "LN");
    ASSERT_EQ(rep.numprec, 1);
    EXPECT_EQ(rep.prec[0].area_cov, 8);
    EXPECT_STREQ(rep.prec[0].type, "TRW");
    EXPECT_EQ(rep.prec[0].intens, 4);
    EXPECT_STREQ(rep.trend, "+");
    EXPECT_EQ(rep.loc[0].dir, 86);
    EXPECT_EQ(rep.loc[0].rad, 32);
    EXPECT_EQ(rep.loc[1].dir, 164);
    EXPECT_EQ(rep.loc[1].rad, 67);
    EXPECT_EQ(rep.loc[2].dir, VEK_MISS);
    EXPECT_EQ(rep.loc[2].rad, 19);
    EXPECT_EQ(rep.loc[3].rad, VEK_MISS);
    EXPECT_EQ(rep.move[0].type, 'C');
    EXPECT_EQ(rep.move[0].dir, 240);
    EXPECT_EQ(rep.move[0].spd, 28);
    EXPECT_EQ(rep.move[1].type, ' ');
    EXPECT_EQ(rep.tops.h, 440);
    EXPECT_EQ(rep.tops.dir, 143);
    EXPECT_EQ(rep.tops.rad, 47);
    // The station's box is (50, 40); "M" is its own row and column.
    EXPECT_EQ(cell(51, 39), 1);
    EXPECT_EQ(cell(52, 40), 1);
    EXPECT_EQ(cell(53, 40), 2);
    EXPECT_EQ(cell(53, 41), 2);
    EXPECT_EQ(cell(54, 41), 2);
    EXPECT_EQ(cell(55, 41), 3);
    EXPECT_EQ(cell(56, 41), 4);
    EXPECT_EQ(touched_cells(info), 7);
}

TEST_F(MdrStandardForm, DecodedFieldsArePrintedAtTheirLevels) {
    EXPECT_EQ(decode_out("OKC 1235 LN 8TRW++/+ 86/32 19W D12 C2428 MT 440 AT 143/47",
                         0x100000 | 0x1000000),
              "ID: OKC TIME: 1235 CONFIG: LN\n"
              "  TYPE:8 TRW ++\n"
              "  TREND:+\n"
              "  AREA LOC: 86 DEGREES AT: 32 MILES\n"
              "  AREA WIDTH: 19 MILES\n"
              "  AREA DIAMETER: 12 MILES\n"
              "  CELL MOVE: 240 DEGREES AT: 28 KNOTS\n"
              "  MAX TOPS: 44000 FEET -- 143 DEGREES AT: 47 MILES\n");
}

TEST_F(MdrStandardForm, AWordBeforeOrAfterTheTimeIsPassedOver) {
    decode("TLX RTD 1130 CELL 2RW- 180/30");
    EXPECT_EQ(rep.time, 1130);
    EXPECT_STREQ(rep.config, "CELL");
    EXPECT_EQ(rep.loc[0].dir, 180);
    decode("TLX 1131 COR AREA 4R 90/45");
    EXPECT_EQ(rep.time, 1131);
    EXPECT_STREQ(rep.config, "AREA");
    decode("  TLX SPL 1132 COR LINE 6TRW+");
    EXPECT_STREQ(rep.id, "TLX");
    EXPECT_EQ(rep.time, 1132);
    EXPECT_STREQ(rep.config, "LINE");
    decode("TLX CELL 2RW+");
    EXPECT_EQ(rep.time, VEK_MISS);
    EXPECT_STREQ(rep.config, "CELL");
}

TEST_F(MdrStandardForm, OutlineTakesFiveSlotsInAnyOfItsThreeForms) {
    const std::string out =
        decode_out("TLX 1130 CELL 2RW+ 45/20 D15 12W 300/100 10/5 7/7", M_DEBUG);
    const MDR_loc want[5] = {{45, 20}, {VEK_MISS, 15}, {VEK_MISS, 12}, {300, 100}, {10, 5}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rep.loc[i].dir, want[i].dir) << i;
        EXPECT_EQ(rep.loc[i].rad, want[i].rad) << i;
    }
    // The sixth point is text left over.
    EXPECT_NE(out.find("EXTRA:7/7:\n"), std::string::npos);
}

TEST_F(MdrStandardForm, MovementsAfterTheTopReplaceThoseBeforeItSlotBySlot) {
    decode("TLX 1130 LINE 6TRW+ C2520 A1810 MT 450 AT 250/80 L2030");
    EXPECT_EQ(rep.move[0].type, 'L');
    EXPECT_EQ(rep.move[0].dir, 200);
    EXPECT_EQ(rep.move[0].spd, 30);
    EXPECT_EQ(rep.move[1].type, 'A');
    EXPECT_EQ(rep.move[1].dir, 180);
    EXPECT_EQ(rep.move[1].spd, 10);
    EXPECT_EQ(rep.move[2].type, ' ');
    EXPECT_EQ(rep.tops.h, 450);
    EXPECT_EQ(rep.tops.dir, 250);
    EXPECT_EQ(rep.tops.rad, 80);
}

TEST_F(MdrStandardForm, TopsWithAndWithoutLocation) {
    decode("TLX 1130 CELL 2RW+ MT 400 90/40");
    EXPECT_EQ(rep.tops.h, 400);
    EXPECT_EQ(rep.tops.dir, 90);
    EXPECT_EQ(rep.tops.rad, 40);
    decode("TLX 1130 CELL 2RW+ MT U450");
    EXPECT_EQ(rep.tops.h, 450);
    EXPECT_EQ(rep.tops.dir, VEK_MISS);
    EXPECT_EQ(rep.tops.rad, VEK_MISS);

    // A bare height is kept by the partly matching patterns, but the text
    // stays before "MT"; the echoes are found by search all the same.
    decode("TLX 1130 CELL 2RW+ MT 450 ^MM5");
    EXPECT_EQ(rep.tops.h, 450);
    EXPECT_EQ(rep.tops.dir, VEK_MISS);
    EXPECT_EQ(rep.tops.rad, VEK_MISS);
    EXPECT_EQ(cell(50, 40), 5);
    EXPECT_NE(decode_out("TLX 1130 CELL 2RW+ MT 450", M_DEBUG).find("EXTRA:MT 450:\n"),
              std::string::npos);
}

TEST_F(MdrStandardForm, ASecondReportReplacesTheFirstWhileTheSummaryKeepsTheMaximum) {
    decode("OKC 1125 AREA 4TRW+ 2RW /NC 200/40 90/20 A2015 MT 380 AT 200/30 ^MM5 MN2");
    ASSERT_EQ(rep.numprec, 2);
    decode("OKC 1135 CELL 3RW- ^MM3 MN6");
    EXPECT_EQ(rep.time, 1135);
    EXPECT_STREQ(rep.config, "CELL");
    EXPECT_EQ(rep.numprec, 1);
    EXPECT_STREQ(rep.prec[0].type, "RW");
    EXPECT_EQ(rep.prec[1].area_cov, VEK_MISS);
    EXPECT_STREQ(rep.prec[1].type, "");
    EXPECT_STREQ(rep.trend, "");
    EXPECT_EQ(rep.loc[0].dir, VEK_MISS);
    EXPECT_EQ(rep.move[0].type, ' ');
    EXPECT_EQ(rep.tops.h, VEK_MISS);
    EXPECT_EQ(cell(50, 40), 5);
    EXPECT_EQ(cell(51, 40), 6);
}

TEST_F(MdrStandardForm, LongerWordsKeepTheirFirstCharacters) {
    decode("TLXABCDEF 1130 CELL 2TRWSZ+ /NCNCNC");
    EXPECT_STREQ(rep.id, "TLXAB");
    decode("TLX 1130 CELL 2TRWSZ+ /NCNCNC");
    EXPECT_STREQ(rep.prec[0].type, "TRWS");
    EXPECT_EQ(rep.prec[0].intens, 3);
    EXPECT_STREQ(rep.trend, "NCN");
    decode("TLX 1130 AREAAAAAAAAAAA 2RW");
    EXPECT_STREQ(rep.config, "NA"); // not a configuration: the grid form
}

TEST_F(MdrStandardForm, NullRecordOrSummary) {
    EXPECT_EQ(MDR_decode("TLX 1130 CELL 2RW+ ^MM5", &info, nullptr), -1);
    EXPECT_EQ(touched_cells(info), 0);
    EXPECT_EQ(MDR_decode("TLX 1130 CELL 2RW+ ^MM5", nullptr, &rep), 1);
    EXPECT_STREQ(rep.config, "CELL");
    EXPECT_EQ(MDR_decode(nullptr, &info, &rep), 1);
    EXPECT_STREQ(rep.config, "NA");
}

// ---------------------------------------------------------------------------
// Precipitation groups
// ---------------------------------------------------------------------------

TEST_F(MdrPrecipitation, IntensitySymbolsGiveTheirCodes) {
    const struct {
        const char *sym;
        int code;
    } cases[] = {{"", 2},   {"-", 1}, {"+", 3},         {"++", 4},        {"X", 5},
                 {"XX", 6}, {"U", 9}, {"+-", VEK_MISS}, {"XU", VEK_MISS}, {"+++", VEK_MISS}};
    for (const auto &c : cases) {
        const std::string text = std::string("TLX 1130 CELL 3TRW") + c.sym + " 200/30";
        decode(text.c_str());
        ASSERT_EQ(rep.numprec, 1) << text;
        EXPECT_EQ(rep.prec[0].area_cov, 3) << text;
        EXPECT_STREQ(rep.prec[0].type, "TRW") << text;
        EXPECT_EQ(rep.prec[0].intens, c.code) << text;
        EXPECT_EQ(rep.loc[0].dir, 200) << text;
        EXPECT_EQ(rep.loc[0].rad, 30) << text;
    }
}

TEST_F(MdrPrecipitation, CoverageMayBeAbsent) {
    decode("TLX 1130 AREA RW /NC");
    ASSERT_EQ(rep.numprec, 1);
    EXPECT_EQ(rep.prec[0].area_cov, VEK_MISS);
    EXPECT_STREQ(rep.prec[0].type, "RW");
    EXPECT_EQ(rep.prec[0].intens, 2);
    EXPECT_STREQ(rep.trend, "NC");
}

TEST_F(MdrPrecipitation, AtMostThreeGroups) {
    const std::string out = decode_out("TLX 1130 AREA 4TRW+ 2RW- S 1ZR 120/40", M_DEBUG);
    ASSERT_EQ(rep.numprec, 3);
    EXPECT_EQ(rep.prec[1].area_cov, 2);
    EXPECT_STREQ(rep.prec[1].type, "RW");
    EXPECT_EQ(rep.prec[1].intens, 1);
    EXPECT_EQ(rep.prec[2].area_cov, VEK_MISS);
    EXPECT_STREQ(rep.prec[2].type, "S");
    EXPECT_EQ(rep.prec[2].intens, 2);
    // The fourth group is not read, and nothing after it can be.
    EXPECT_NE(out.find("EXTRA:1ZR 120/40:\n"), std::string::npos);
}

// A group without intensity symbols ends before the blank after its letters;
// the blanks are passed over so that the rest of the report is read just as
// after a group with symbols.
TEST_F(MdrPrecipitation, BlanksAfterAGroupWithoutSymbolsArePassedOver) {
    decode("TLX 1130 AREA 4RW 100/50 C2520 MT 350 AT 90/40 ^MM3");
    EXPECT_EQ(rep.numprec, 1);
    EXPECT_EQ(rep.prec[0].intens, 2);
    EXPECT_EQ(rep.loc[0].dir, 100);
    EXPECT_EQ(rep.loc[0].rad, 50);
    EXPECT_EQ(rep.move[0].type, 'C');
    EXPECT_EQ(rep.move[0].dir, 250);
    EXPECT_EQ(rep.tops.h, 350);
    EXPECT_EQ(rep.tops.dir, 90);
    EXPECT_EQ(cell(50, 40), 3);

    decode("TLX 1130 AREA 4RW 2S 100/50");
    EXPECT_EQ(rep.numprec, 2);
    EXPECT_STREQ(rep.prec[1].type, "S");
    EXPECT_EQ(rep.loc[0].dir, 100);

    decode("TLX 1130 AREA 4RW/NC 100/50"); // no blank to pass over
    EXPECT_STREQ(rep.trend, "NC");
    EXPECT_EQ(rep.loc[0].rad, 50);
}

// ---------------------------------------------------------------------------
// Status words
// ---------------------------------------------------------------------------

TEST_F(MdrStatusWords, StatusWordsEndTheDecoding) {
    std::string out;
    const struct {
        const char *text;
        const char *config;
    } cases[] = {{"TLX 1130 PPINE", "NE"},       {"TLX 1130 PPINEXX ^MM5", "NE"},
                 {"TLX 1131 PPINA", "NA"},       {"TLX 1132 DLAD", "NA"},
                 {"TLX 1133 DLADXYZ 4RW", "NA"}, {"TLX 1134 PPIOM", "OM"},
                 {"TLX COR 1135 PPINE", "NE"}};
    for (const auto &c : cases) {
        out += decode_out(c.text, 0x100000);
        EXPECT_STREQ(rep.config, c.config) << c.text;
        EXPECT_EQ(rep.numprec, 0) << c.text;
        EXPECT_EQ(decode(c.text), 1) << c.text;
    }
    EXPECT_EQ(touched_cells(info), 0); // the echoes after a status word are not read
    EXPECT_EQ(out, "ID: TLX TIME: 1130 NO ECHO\n"
                   "ID: TLX TIME: 1130 NO ECHO\n"
                   "ID: TLX TIME: 1131 NOT AVAILABLE\n"
                   "ID: TLX TIME: 1132 NOT AVAILABLE\n"
                   "ID: TLX TIME: 1133 NOT AVAILABLE\n"
                   "ID: TLX TIME: 1134 OUT FOR MAINTAINANCE\n"
                   "ID: TLX TIME: 1135 NO ECHO\n");
}

TEST_F(MdrStatusWords, LookalikesLeadToTheGridForm) {
    // None of them is reported as a status.
    const M_type status = 0x100000 | 0x400000;
    EXPECT_EQ(decode_out("TLX 1130 PPINAB MM5", status), "");
    EXPECT_STREQ(rep.config, "NA");
    EXPECT_EQ(cell(51, 40), 5); // placed by the grid form's rounding
    EXPECT_EQ(decode_out("TLX 1130 PPIOMX", status), "");
    EXPECT_STREQ(rep.config, "NA");
    EXPECT_EQ(decode_out("TLX 1130 PPINS", status), "");
    EXPECT_STREQ(rep.config, "NA");
}

// ---------------------------------------------------------------------------
// Echo digits on the summary grid
// ---------------------------------------------------------------------------

TEST_F(MdrEchoes, DigitsGoToTheBoxesAroundTheStation) {
    decode("TLX 1130 CELL 2RW ^MM5 AA1 ZZ2 AM3 MA4");
    EXPECT_EQ(cell(50, 40), 5);
    EXPECT_EQ(cell(38, 28), 1); // "A" is twelve boxes before
    EXPECT_EQ(cell(63, 53), 2); // "Z" thirteen after
    EXPECT_EQ(cell(50, 28), 3);
    EXPECT_EQ(cell(38, 40), 4);
    EXPECT_EQ(touched_cells(info), 5);
}

TEST_F(MdrEchoes, EightNineAndBoxesOffTheGridPlaceNothing) {
    rep = station("EDG", 118.7f, 88.2f); // box (118, 88)
    decode("EDG 1130 CELL 2RW ^MM89 LM9 MK8 MN3 MO4 NM5 OM6 AA2");
    EXPECT_EQ(cell(119, 88), 3);
    EXPECT_EQ(cell(118, 89), 5);
    EXPECT_EQ(cell(106, 76), 2);
    EXPECT_EQ(touched_cells(info), 3);

    rep = station("WST", 3.9f, 1.0f); // box (3, 1)
    decode("WST 1130 CELL 2RW ^MA7 MJ12 LM3 KM4");
    EXPECT_EQ(cell(0, 1), 1);
    EXPECT_EQ(cell(1, 1), 2);
    EXPECT_EQ(cell(3, 0), 3);
    EXPECT_EQ(touched_cells(info), 6);
}

TEST_F(MdrEchoes, AValuePlacesOnlyOverTheEmptyMarkOrALowerValue) {
    info.summary[50][40] = 4;
    info.summary[51][40] = 4;
    info.summary[52][40] = 0;
    decode("TLX 1130 CELL 2RW ^MM36 MO0 MP0");
    EXPECT_EQ(cell(50, 40), 4);
    EXPECT_EQ(cell(51, 40), 6);
    EXPECT_EQ(cell(52, 40), 0);
    EXPECT_EQ(cell(53, 40), 0); // the empty mark takes even a 0
}

TEST_F(MdrEchoes, CharactersOtherThanDigitsAreZeroAndColumnsGoOnPastZ) {
    decode("TLX 1130 CELL 2RW ^MXA5 MZ123");
    EXPECT_EQ(cell(61, 40), 0);
    EXPECT_EQ(cell(62, 40), 5);
    EXPECT_EQ(cell(63, 40), 1); // "Z"
    EXPECT_EQ(cell(64, 40), 2); // one past "Z"
    EXPECT_EQ(cell(65, 40), 3);
}

TEST_F(MdrEchoes, HashMarksTheEchoesWhenThereIsNoCaret) {
    decode("TLX 1130 CELL 2RW #MM2");
    EXPECT_EQ(cell(50, 40), 2);
    decode("TLX 1130 CELL 2RW #MN2 ^MO3");
    EXPECT_EQ(cell(51, 40), RAD_EMPTY);
    EXPECT_EQ(cell(52, 40), 3);
}

TEST_F(MdrEchoes, InvalidLettersAreReportedAndSkipped) {
    const std::string out = decode_out("TLX 1130 CELL 2RW ^1A5 Mm3 MN4", 0x4000000);
    EXPECT_EQ(cell(51, 40), 4);
    EXPECT_EQ(touched_cells(info), 1);
    EXPECT_NE(out.find("Reading echoes for TLX at (50.599998,40.299999)...\n"), std::string::npos);
    EXPECT_NE(out.find("RAD_decode_MDR: Invalid row/col identifiers for TLX: 1 A\n"),
              std::string::npos);
    EXPECT_NE(out.find("RAD_decode_MDR: Invalid row/col identifiers for TLX: M m\n"),
              std::string::npos);
    EXPECT_NE(out.find("ECHOS\n"), std::string::npos);
}

TEST_F(MdrEchoes, TheEchoTableIsPrintedRowByRow) {
    const std::string out = decode_out("TLX 1130 CELL 2RW ^MM5 AY98 ZZ1", M_OUT4);
    const size_t at = out.find("ECHOS\n");
    ASSERT_NE(at, std::string::npos);
    std::string table = out.substr(at + 6);
    std::string rows[26];
    for (int r = 0; r < 26; ++r) rows[r] = std::string(26, '0');
    rows[12][12] = '5';
    rows[0][24] = '9';
    rows[0][25] = '8';
    rows[25][25] = '1';
    std::string want;
    for (const std::string &r : rows) want += r + "\n";
    EXPECT_EQ(table, want);
}

TEST_F(MdrEchoes, AStationWithoutUsablePositionPlacesNothing) {
    rep = station("NAN", std::nanf(""), 40.0f);
    decode("NAN 1130 CELL 2RW ^MM5");
    rep = station("MIS", VEK_FMISS, VEK_FMISS);
    decode("MIS 1130 CELL 2RW ^MM5");
    rep = station("FAR", 3.0e9f, -3.0e9f);
    decode("FAR 1231 MDR MM5/PPINE");
    EXPECT_EQ(touched_cells(info), 0);
    EXPECT_STREQ(rep.config, "NE");
}

// ---------------------------------------------------------------------------
// The grid form
// ---------------------------------------------------------------------------

TEST_F(MdrGridForm, AReportWithEchoesMovementTopAndPrecipitation) {
    rep = station("TLX", 50.6f, 40.6f); // rounded: box (51, 41)
    const std::string out =
        decode_out("TLX 1231 MDR LM12 MN345/AA2520C/AA450/RW", 0x4000000 | 0x1000000);
    EXPECT_STREQ(rep.config, "PREC");
    EXPECT_STREQ(rep.prec[0].type, "RW");
    EXPECT_EQ(rep.numprec, 0);
    EXPECT_EQ(rep.time, 1231);
    EXPECT_EQ(rep.move[0].type, 'C');
    EXPECT_EQ(rep.move[0].dir, 250);
    EXPECT_EQ(rep.move[0].spd, 20);
    EXPECT_EQ(rep.move[1].type, ' ');
    EXPECT_EQ(rep.tops.h, 450);
    EXPECT_EQ(rep.tops.dir, VEK_MISS);
    EXPECT_EQ(rep.tops.rad, VEK_MISS);
    EXPECT_EQ(cell(51, 40), 1);
    EXPECT_EQ(cell(52, 40), 2);
    EXPECT_EQ(cell(52, 41), 3);
    EXPECT_EQ(cell(53, 41), 4);
    EXPECT_EQ(cell(54, 41), 5);
    EXPECT_EQ(touched_cells(info), 5);
    EXPECT_EQ(out.find("****  Reading echoes for TLX at (50.599998,40.599998)...\n"), 0u);
    EXPECT_NE(out.find("ECHOS\n"), std::string::npos);
    EXPECT_NE(out.find("  CELL MOVE: 250 DEGREES AT: 20 KNOTS\n  MAX TOPS: 45000 FEET\n"),
              std::string::npos);
}

TEST_F(MdrGridForm, ClosingStatusWords) {
    std::string out;
    const struct {
        const char *text;
        const char *config;
    } cases[] = {{"TLX 1231 MDR MM1/AA1010A/AA200/PPINE", "NE"},
                 {"TLX 1232 MDR /PPINEX", "NE"},
                 {"TLX 1233 MDR /PPINS", "NA"},
                 {"TLX 1234 MDR /PPINA", "NA"},
                 {"TLX 1235 MDR /DLAD", "NA"},
                 {"TLX 1236 MDR //AA300/PPIOM", "OM"},
                 {"TLX 1237 MDR MM2", "NA"}};
    for (const auto &c : cases) {
        out += decode_out(c.text, 0x400000);
        EXPECT_STREQ(rep.config, c.config) << c.text;
    }
    EXPECT_EQ(rep.tops.h, VEK_MISS);
    EXPECT_EQ(out, "ID: TLX TIME: 1231 NO ECHO\n"
                   "ID: TLX TIME: 1232 NO ECHO\n"
                   "ID: TLX TIME: 1233 NOT AVAILABLE\n"
                   "ID: TLX TIME: 1234 NOT AVAILABLE\n"
                   "ID: TLX TIME: 1235 NOT AVAILABLE\n"
                   "ID: TLX TIME: 1236 OUT FOR MAINTAINANCE\n");
}

TEST_F(MdrGridForm, EightAndNineMarkCellsThatAnyValueMayReplace) {
    rep = station("TLX", 50.2f, 40.2f); // rounded: box (50, 40)
    info.summary[51][40] = 8;
    info.summary[52][40] = 9;
    info.summary[53][40] = 5;
    info.summary[54][40] = 5;
    info.summary[55][40] = 5;
    decode("TLX 1231 MDR MM8 MN3 MO4 MP9 MQ3 MR7/PPINE");
    EXPECT_EQ(cell(50, 40), 8); // an empty cell takes an 8
    EXPECT_EQ(cell(51, 40), 3); // an 8 gives way even to a lower value
    EXPECT_EQ(cell(52, 40), 4);
    EXPECT_EQ(cell(53, 40), 5); // a 9 never replaces a value
    EXPECT_EQ(cell(54, 40), 5);
    EXPECT_EQ(cell(55, 40), 7);
}

TEST_F(MdrGridForm, LongClosingWordsKeepTheirFirstCharacters) {
    decode("TLX 1231 MDR MM1/TRWXYZ");
    EXPECT_STREQ(rep.config, "PREC");
    EXPECT_STREQ(rep.prec[0].type, "TRWX");
}

// ---------------------------------------------------------------------------
// Text that is no report
// ---------------------------------------------------------------------------

TEST_F(MdrDecodeGarbage, TextMatchingNoPatternKeepsWhatWasMatched) {
    EXPECT_EQ(decode("HELLO WORLD, 1+1=2!"), 1);
    EXPECT_STREQ(rep.id, "HELLO");
    EXPECT_EQ(rep.time, VEK_MISS);
    EXPECT_STREQ(rep.config, "NA");
    EXPECT_EQ(rep.numprec, 0);
    EXPECT_EQ(decode(""), 1);
    EXPECT_EQ(decode("        "), 1);
    EXPECT_STREQ(rep.config, "NA");
    EXPECT_EQ(decode("^^^^####"), 1);
}

TEST_F(MdrDecodeGarbage, BinaryAndOverlongTextStaysInBounds) {
    std::string text;
    unsigned v = 99;
    for (int i = 0; i < 20000; ++i) {
        v = v * 1103515245u + 12345u;
        char c = static_cast<char>(v >> 24);
        text.push_back(c == '\0' ? ' ' : c);
    }
    for (const std::string &t :
         {text, "TLX 1130 CELL " + text, "TLX 1130 CELL 2RW ^" + text, "TLX 1130 MDR " + text,
          "TLX 1130 CELL ^MM" + std::string(10000, '7')}) {
        MDR_report r = station("TLX", 60.2f, 45.7f);
        EXPECT_EQ(MDR_decode(t.c_str(), &info, &r), 1);
        EXPECT_LT(strlen(r.id), sizeof r.id);
        EXPECT_LT(strlen(r.config), sizeof r.config);
        EXPECT_LT(strlen(r.trend), sizeof r.trend);
        EXPECT_GE(r.numprec, 0);
        EXPECT_LE(r.numprec, 3);
        for (const MDR_prec &g : r.prec) EXPECT_LT(strlen(g.type), sizeof g.type);
    }
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y) {
            if (info.summary[x][y] == RAD_EMPTY) continue;
            EXPECT_LE(x, 119);
            EXPECT_LE(y, 89);
            EXPECT_GE(info.summary[x][y], 0);
            EXPECT_LE(info.summary[x][y], 9);
        }
}

// ---------------------------------------------------------------------------
// The sample collectives shipped in data/
// ---------------------------------------------------------------------------

namespace {

class MdrSamples : public MdrTest {};

} // namespace

TEST_F(MdrSamples, EveryReportOfTheHourIsFoundAndDecodesWhole) {
    const struct {
        const char *file;
        int hour;
        Ids ids;
    } samples[] = {
        {"24061512_rad.txt", 12, {"TLX", "AMA", "FWS", "ICT", "DDC", "INX", "LZK", "EAX", "SGF",
                                  "SHV", "FTG", "PUX", "GLD", "UEX", "TWX", "VNX", "ABX", "EPZ",
                                  "MAF", "LBB", "SJT", "DYX", "EWX", "GRK", "HGX", "LCH", "POE",
                                  "OAX", "DMX", "MPX", "JAN", "LIX", "MOB", "BMX", "HTX", "NQA",
                                  "OHX", "FFC", "TLH", "JAX", "TLX", "OKC", "SRX"}},
        {"24061518_rad.txt", 18, {"LOT", "MKX", "DVN", "ILX", "IND", "ILN", "LSX", "EAX",
                                  "DMX", "ARX", "GRB", "DTX", "GRR", "MPX", "FSD", "OAX",
                                  "TWX", "SGF", "PAH", "LVX", "IWX", "CLE", "ABR", "MVX",
                                  "BIS", "MPX", "DLH", "BUF", "PBZ", "CCX", "RLX", "JKL",
                                  "MRX", "HPX", "VWX", "OKX", "BGM", "FWD", "UEX", "APX"}},
    };
    for (const auto &s : samples) {
        RAD_set_nominal(s.hour, 30);
        auto found = read_reports(read_file(source_dir() + "/data/" + s.file));
        EXPECT_EQ(ids_of(found), s.ids) << s.file;
        int grid = 0;
        for (const Found &f : found) {
            rep = station(f.id.c_str(), 60.0f, 45.0f);
            const std::string out = decode_out(f.text.c_str(), M_DEBUG);
            EXPECT_EQ(out.find("EXTRA:"), std::string::npos) << out;
            EXPECT_STRNE(rep.config, "NR") << f.text;
            if (strcmp(rep.config, "PREC") == 0) ++grid;
        }
        EXPECT_EQ(grid, 1) << s.file;
    }
}

namespace {

int mdr_entry(const CTY_data *station, void *block) {
    return MDR_enter_func(station, static_cast<MDR_report *>(block));
}

} // namespace

TEST_F(MdrSamples, ReportsDecodeIntoTheStoredRecordsOfTheShippedStationFile) {
    RES_put("file_path", (source_dir() + "/data").c_str());
    CTY_data_size(sizeof(MDR_report));
    CTY_enter_func(mdr_entry);
    const Domain domain = mdr_domain();
    ASSERT_GE(CTY_store("rad.cty", 2, &domain, 10), 0);
    auto stored = [](const char *id) { return static_cast<MDR_report *>(CTY_get_data(id)); };
    ASSERT_NE(stored("TLX"), nullptr);
    ASSERT_NE(stored("MLB"), nullptr);
    EXPECT_EQ(stored("OKC"), nullptr);

    RAD_set_nominal(12, 30);
    int not_stored = 0;
    for (const Found &f : read_reports(read_file(source_dir() + "/data/24061512_rad.txt")))
        if (MDR_decode(f.text.c_str(), &info, stored(f.id.c_str())) == -1) ++not_stored;
    EXPECT_EQ(not_stored, 1); // OKC

    const MDR_report *tlx = stored("TLX");
    EXPECT_EQ(tlx->time, 1235); // the second report replaced the first
    EXPECT_STREQ(tlx->config, "AREA");
    EXPECT_EQ(tlx->prec[0].area_cov, 5);
    EXPECT_EQ(tlx->prec[0].intens, 4);
    EXPECT_EQ(tlx->tops.h, 480);
    EXPECT_EQ(info.summary[int(tlx->x)][int(tlx->y)], 3); // 2, then 3
    EXPECT_STREQ(stored("AMA")->config, "NE");
    EXPECT_STREQ(stored("SHV")->config, "OM");
    EXPECT_STREQ(stored("SRX")->config, "PREC");
    EXPECT_STREQ(stored("MLB")->config, "NA"); // expected, but no report
    EXPECT_EQ(stored("MLB")->time, VEK_MISS);
}
