// The station file reader and the station store: line scanning, the file
// search and estimate, the selection language, storing, lookups and walks,
// hostile files, and the shipped radar station file on the MDR grid.

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "vek_test.h"
#include "vekcty.h"

namespace {

using vektest::TempDir;
using vektest::write_file;

class CtyTest : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        cty_reset_state();
        maptran_reset_state();
        RES_put("file_path", dir.path().c_str());
    }
    void TearDown() override {
        cty_reset_state();
        maptran_reset_state();
        VekTest::TearDown();
    }
    // Writes TEXT as a station file in the temporary directory and opens it.
    void open_text(const std::string &text, const std::string &name = "test.cty") {
        write_file(dir.file(name), text);
        ASSERT_GE(CTY_open(dir.file(name).c_str(), 0, 0), 0);
    }
    TempDir dir;
};

// The MDR grid: polar stereographic about 105 W, 114 by 90 points.
Domain mdr_domain() {
    Domain d;
    DOM_init(&d);
    d.proj = 1;
    d.plat = 90.0f;
    d.plon = -105.0f;
    d.clat = 39.578445f;
    d.clon = -97.42146f;
    d.dx = d.dy = 0.47625f;
    d.nx = 114;
    d.ny = 90;
    return d;
}

CTY_data station(const char *name, const char *state, const char *region, const char *id, int prior,
                 float lat, float lon, float el, int wmo) {
    CTY_data d{};
    vek_copy(d.name, name);
    vek_copy(d.state, state);
    vek_copy(d.region, region);
    vek_copy(d.id, id);
    d.prior = prior;
    d.mos = d.ua = ' ';
    d.lat = lat;
    d.lon = lon;
    d.el = el;
    d.wmo = wmo;
    return d;
}

// ---- station lines ------------------------------------------------------------

using StationLines = CtyTest;

TEST_F(StationLines, CompleteLineFillsEveryField) {
    open_text("OKLAHOMA_CITY OK US KTLX 5 35.33 -97.28 370 72357 1\n");
    CTY_data c;
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_STREQ(c.name, "OKLAHOMA_CITY");
    EXPECT_STREQ(c.state, "OK");
    EXPECT_STREQ(c.region, "US");
    EXPECT_STREQ(c.id, "KTLX");
    EXPECT_EQ(c.prior, 5);
    EXPECT_EQ(c.mos, ' ');
    EXPECT_EQ(c.ua, ' ');
    EXPECT_FLOAT_EQ(c.lat, 35.33f);
    EXPECT_FLOAT_EQ(c.lon, -97.28f);
    EXPECT_FLOAT_EQ(c.el, 370.0f);
    EXPECT_EQ(c.wmo, 72357);
    EXPECT_EQ(c.num, 1);
    EXPECT_EQ(CTY_read(0, &c), -1);
}

TEST_F(StationLines, PriorityTokenFlags) {
    open_text("A OK US A1 *5* 1 2 3 1 1\n"
              "B OK US B1 *3 1 2 3 1 1\n"
              "C OK US C1 4* 1 2 3 1 1\n"
              "D OK US D1 *7***** 1 2 3 1 1\n");
    CTY_data c;
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_EQ(c.prior, 5);
    EXPECT_EQ(c.mos, '*');
    EXPECT_EQ(c.ua, '*');
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_EQ(c.prior, 3);
    EXPECT_EQ(c.mos, '*');
    EXPECT_EQ(c.ua, ' ');
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_EQ(c.prior, 4);
    EXPECT_EQ(c.mos, ' ');
    EXPECT_EQ(c.ua, '*');
    // An overlong token is consumed whole; the fields after it stay in place.
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_EQ(c.prior, 7);
    EXPECT_EQ(c.mos, '*');
    EXPECT_EQ(c.ua, '*');
    EXPECT_FLOAT_EQ(c.lat, 1.0f);
    EXPECT_EQ(c.num, 1);
}

TEST_F(StationLines, ElevationAboveNineThousandIsMissing) {
    open_text("A OK US A1 1 1 2 9000 1 1\nB OK US B1 1 1 2 9000.5 1 1\n");
    CTY_data c;
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_FLOAT_EQ(c.el, 9000.0f);
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_FLOAT_EQ(c.el, -9999.0f);
}

TEST_F(StationLines, MissingStationNumberLeavesZeroAndTheNextLineIntact) {
    open_text("A OK US A1 1 35 -97 370 72357\nB TX US B1 2 30 -95 5 72250 7\n");
    CTY_data c;
    ASSERT_EQ(CTY_read(0, &c), 9);
    EXPECT_EQ(c.wmo, 72357);
    EXPECT_EQ(c.num, 0);
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_STREQ(c.name, "B");
    EXPECT_EQ(c.num, 7);
}

TEST_F(StationLines, FieldsRunAcrossLineEnds) {
    open_text("   A OK\nUS A1\n\n 1 35 -97\t370 72357 2\n\n\nB TX US B1 2 30 -95 5 72250 7");
    CTY_data c;
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_STREQ(c.id, "A1");
    EXPECT_EQ(c.num, 2);
    ASSERT_EQ(CTY_read(0, &c), 10); // last line without a newline
    EXPECT_STREQ(c.name, "B");
    EXPECT_EQ(CTY_read(0, &c), -1);
}

TEST_F(StationLines, OverlongTokensSpillIntoTheNextFieldWithinTheirWidths) {
    open_text("ABCDEFGHIJKLMNOPQRSTUVWXYZ OK US KTLX 1 35 -97 370 72357 1\n");
    CTY_data c;
    std::memset(&c, 0x55, sizeof c);
    const int n = CTY_read(0, &c);
    EXPECT_EQ(n, 5); // the latitude field meets "US"
    EXPECT_STREQ(c.name, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_STREQ(c.state, "UV");
    EXPECT_STREQ(c.region, "WX");
    EXPECT_STREQ(c.id, "YZ");
    EXPECT_FLOAT_EQ(c.lat, -9999.0f);
    EXPECT_EQ(c.wmo, 99999);
    EXPECT_EQ(c.num, 0);
    // The reader goes on from where the scan stopped.
    EXPECT_GE(CTY_read(0, &c), 1);
    EXPECT_STREQ(c.name, "US");
}

TEST_F(StationLines, NonNumbersStopTheScan) {
    open_text("A OK US A1 1 north -97 370 72357 1\n"
              "B OK US B1 1 35 -97 1e 72357 1\n");
    CTY_data c;
    EXPECT_EQ(CTY_read(0, &c), 5);
    EXPECT_FLOAT_EQ(c.lat, -9999.0f);
    EXPECT_STREQ(c.name, "A");
    // The rejected word starts the next scan.
    EXPECT_GE(CTY_read(0, &c), 1);
    EXPECT_STREQ(c.name, "north");
}

TEST_F(StationLines, ExponentWithoutDigitsIsNotANumber) {
    open_text("B OK US B1 1 35 -97 1e 72357 1\n");
    CTY_data c;
    EXPECT_EQ(CTY_read(0, &c), 7);
    EXPECT_FLOAT_EQ(c.lon, -97.0f);
    EXPECT_FLOAT_EQ(c.el, -9999.0f);
}

TEST_F(StationLines, BinaryBytesStayInsideTheirFields) {
    std::string text = "NAME";
    text += std::string("\0\xff\x01\x80", 4);
    text += std::string(300, '\xfe');
    text += " \x01\x02 \xff\xff\xff ";
    text += std::string(50, '\0');
    text += " 1 3\x00"
            "5 -97 370 99999 1\n";
    open_text(text);
    CTY_data c;
    for (int i = 0; i < 200 && CTY_read(0, &c) >= 1; i++) {
        EXPECT_LE(std::strlen(c.name), 20u);
        EXPECT_LE(std::strlen(c.state), 2u);
        EXPECT_LE(std::strlen(c.region), 2u);
        EXPECT_LE(std::strlen(c.id), 9u);
    }
    EXPECT_EQ(CTY_read(0, &c), -1);
}

TEST_F(StationLines, HugeNumbersAndTokensAreBounded) {
    const std::string digits(100000, '9');
    open_text("A OK US A1 1 " + digits + " -97 370 " + digits + " 1\n" +
              "B OK US B1 1 35 -97 370 2147483648 99999999999\n");
    CTY_data c;
    EXPECT_EQ(CTY_read(0, &c), 5); // a number longer than any float is not read
    int guard = 0;
    while (CTY_read(0, &c) >= 1 && std::strcmp(c.name, "B") != 0 && guard < 100) guard++;
    ASSERT_STREQ(c.name, "B");
    EXPECT_EQ(c.wmo, 2147483647); // held to the int range
    EXPECT_EQ(c.num, 2147483647);
}

TEST_F(StationLines, ReaderWithoutAFile) {
    CTY_data c;
    EXPECT_EQ(CTY_read(0, &c), -1);
    EXPECT_EQ(CTY_rewind(0), -1);
    EXPECT_EQ(CTY_close(0), -1);
    EXPECT_EQ(CTY_open(dir.file("absent.cty").c_str(), 0, 0), -1);
    EXPECT_EQ(CTY_open(dir.file("x.cty").c_str(), 2, 0), -1);
}

TEST_F(StationLines, RewindStartsOver) {
    open_text("A OK US A1 1 35 -97 370 72357 1\nB OK US B1 1 35 -97 370 72357 1\n");
    CTY_data c;
    CTY_read(0, &c);
    CTY_read(0, &c);
    EXPECT_EQ(CTY_read(0, &c), -1);
    EXPECT_EQ(CTY_rewind(0), 0);
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_STREQ(c.name, "A");
}

// ---- finding the station file ------------------------------------------------------

using StationFileSearch = CtyTest;

TEST_F(StationFileSearch, EstimateIsSizeOverFiftyNineCappedAtFourThousand) {
    int n = -1;
    write_file(dir.file("sao.cty"), std::string(59000, ' '));
    EXPECT_GE(CTY_open_file(nullptr, &n), 0);
    EXPECT_EQ(n, 1000);
    write_file(dir.file("big.cty"), std::string(300000, ' '));
    EXPECT_GE(CTY_open_file("big.cty", &n), 0);
    EXPECT_EQ(n, 4000);
}

TEST_F(StationFileSearch, EmptyFileHasNoStations) {
    write_file(dir.file("rad.cty"), "");
    int n = -1;
    EXPECT_GE(CTY_open_file("rad.cty", &n), 0);
    EXPECT_EQ(n, 0);
    CTY_data c;
    EXPECT_EQ(CTY_read(0, &c), -1);
}

TEST_F(StationFileSearch, ResourceNamesTheFileAndNoneMeansNoFile) {
    write_file(dir.file("other.cty"), "A OK US A1 1 35 -97 370 72357 1\n");
    RES_put("city_file", "other.cty");
    int n;
    ASSERT_GE(CTY_open_file("rad.cty", &n), 0);
    CTY_data c;
    ASSERT_EQ(CTY_read(0, &c), 10);
    EXPECT_STREQ(c.name, "A");

    RES_put("city_file", "NONE");
    vektest::Capture cap;
    EXPECT_EQ(CTY_open_file("other.cty", &n), -1);
    EXPECT_EQ(cap.out(), "");
    EXPECT_EQ(cap.err(), "");
}

TEST_F(StationFileSearch, MissingFileIsReportedWithItsPath) {
    vektest::Capture cap;
    int n = -1;
    EXPECT_EQ(CTY_open_file("rad.cty", &n), -1);
    EXPECT_EQ(n, 0);
    EXPECT_NE(cap.err().find("CTY_open_file: Database file not found: " + dir.file("rad.cty")),
              std::string::npos);
}

// ---- the selection language ------------------------------------------------------

class Selection : public CtyTest {
  protected:
    int cmp(std::vector<std::string> sel, const CTY_data &d) {
        std::vector<char *> ptrs;
        for (std::string &s : sel) ptrs.push_back(s.data());
        return CTY_data_cmp(static_cast<int>(ptrs.size()), ptrs.data(), &d);
    }
    CTY_data tlx = station("OKLAHOMA_CITY", "OK", "US", "TLX", 2, 35.33f, -97.28f, 370.0f, 72357);
    CTY_data ama = station("AMARILLO", "TX", "US", "AMA", 4, 35.23f, -101.7f, 1093.0f, 72363);
};

TEST_F(Selection, NoSelectionAcceptsEverything) {
    EXPECT_EQ(CTY_data_cmp(0, nullptr, &tlx), 1);
}

TEST_F(Selection, WholeStringMatchesIdentifierWmoOrNameStart) {
    EXPECT_EQ(cmp({"tlx"}, tlx), 0);
    EXPECT_EQ(cmp({"72357"}, tlx), 0);
    EXPECT_EQ(cmp({"oklah"}, tlx), 0);
    EXPECT_EQ(cmp({"okla"}, tlx), -1); // a name start needs five characters
    EXPECT_EQ(cmp({"AMA", "TLX"}, tlx), 1);
    EXPECT_EQ(cmp({"AMA", "TLX"}, ama), 0);
}

TEST_F(Selection, StateCountryAndIdentifierElements) {
    EXPECT_EQ(cmp({"ST=OK"}, tlx), 0);
    EXPECT_EQ(cmp({"st=ok"}, ama), -1);
    EXPECT_EQ(cmp({"ST=OK_US"}, tlx), 0);
    EXPECT_EQ(cmp({"ST:TX"}, ama), 0);
    EXPECT_EQ(cmp({"ST:TX_US"}, ama), 0);
    EXPECT_EQ(cmp({"ST"}, ama), -1); // its value is missing
    EXPECT_EQ(cmp({"CN=US"}, tlx), 0);
    EXPECT_EQ(cmp({"CN:US"}, tlx), 0);
    EXPECT_EQ(cmp({"CN:CA"}, tlx), -1);
    EXPECT_EQ(cmp({"ID=tlx"}, tlx), 0);
    EXPECT_EQ(cmp({"Name=Amar"}, ama), 0);
    EXPECT_EQ(cmp({"Name=Amar"}, tlx), -1);
}

TEST_F(Selection, LocationOfAOneLetterState) {
    CTY_data d = station("X", "Q", "US", "XQ1", 1, 0, 0, 0, 1);
    EXPECT_EQ(cmp({"ST= Q_US"}, d), 0); // the state is right-aligned in two places
}

TEST_F(Selection, NumericComparisons) {
    EXPECT_EQ(cmp({"P=2"}, tlx), 0);
    EXPECT_EQ(cmp({"P<3"}, ama), -1);
    EXPECT_EQ(cmp({"P>4"}, ama), 0);
    EXPECT_EQ(cmp({"Lat<35.3"}, ama), 0);
    EXPECT_EQ(cmp({"Lat>35.3"}, ama), -1);
    EXPECT_EQ(cmp({"Lon<-100"}, ama), 0);
    EXPECT_EQ(cmp({"lon>-100"}, tlx), 0);
    EXPECT_EQ(cmp({"Elev=370"}, tlx), 0);
    EXPECT_EQ(cmp({"Elev>1000"}, tlx), -1);
    EXPECT_EQ(cmp({"WMO=72357"}, tlx), 0);
    EXPECT_EQ(cmp({"WMO<72360"}, tlx), 0);
    EXPECT_EQ(cmp({"WMO>72360"}, tlx), -1);
    EXPECT_EQ(cmp({"P<x"}, tlx), -1);
}

TEST_F(Selection, ElementsMustAllHold) {
    EXPECT_EQ(cmp({"ST=OK:P<3"}, tlx), 0);
    EXPECT_EQ(cmp({"ST=OK:P<1"}, tlx), -1);
    EXPECT_EQ(cmp({"ST:OK:P<3"}, tlx), 0);
    EXPECT_EQ(cmp({"P<3:ST=TX"}, tlx), -1);
}

TEST_F(Selection, RadiusAroundAPoint) {
    // Oklahoma City is about 30 km from 35.0 N 97.5 W, Amarillo about 380 km.
    EXPECT_EQ(cmp({"RA<35.0:-97.5:100"}, tlx), 0);
    EXPECT_EQ(cmp({"RA<35.0:-97.5:100"}, ama), -1);
    EXPECT_EQ(cmp({"RA<35.0:-97.5:400"}, ama), 0);
    EXPECT_EQ(cmp({"RA<35.0:-97.5:100:P=2"}, tlx), 0);
    EXPECT_EQ(cmp({"RA<35.0:-97.5"}, tlx), -1); // the range is missing
}

TEST_F(Selection, UnknownElementOnlyLeavesTheWholeStringComparison) {
    EXPECT_EQ(cmp({"STATE=OK"}, tlx), -1);
    EXPECT_EQ(cmp({"Nam=OKLA"}, tlx), -1);
    EXPECT_EQ(cmp({""}, tlx), -1);
}

TEST_F(Selection, EarthDistance) {
    EXPECT_NEAR(calc_earth_dist(0, 0, 0, 1), 6371.3 * M_PI / 180.0, 0.01);
    EXPECT_NEAR(calc_earth_dist(90, 0, -90, 0), 6371.3 * M_PI, 0.1);
    EXPECT_EQ(calc_earth_dist(35.33f, -97.28f, 35.33f, -97.28f), 0.0f);
}

// ---- storing, looking up and walking -----------------------------------------------

// The entry function records the station's identifier in its block.
struct Block {
    char first;
    char id[10];
    int num;
};
int entry_calls = 0;
int record_entry(const CTY_data *station, void *block) {
    entry_calls++;
    Block *b = static_cast<Block *>(block);
    EXPECT_EQ(b->first, 0);
    b->first = 'x';
    vek_copy(b->id, station->id);
    b->num = station->num;
    return 0;
}

class Store : public CtyTest {
  protected:
    void SetUp() override {
        CtyTest::SetUp();
        entry_calls = 0;
        write_file(dir.file("rad.cty"),
                   "Norman               OK US TLX 1  35.32  -97.27   370 72357   1\n"
                   "Paris                -- FR LFPG 1 49.0 2.5 100 07157 2\n"
                   "Amarillo             TX US AMA 3  35.23 -101.70  1093 72363 313\n"
                   "Nowmo                KS US K-XX 1 37.6 -97.4 407 72450 4\n"
                   "Dashfirst            KS US -ICT 1 37.7 -97.5 407 72451 5\n"
                   "Twelve               TX US HGX 12 29.47 -95.07 5 72250 6\n"
                   "Boxed                NE B_ B-OX 1 41.3 -96.4 350 1234 7\n"
                   "Melbourne            FL US MLB 2  28.10  -80.65    11 72204 8\n");
        CTY_data_size(sizeof(Block));
        CTY_enter_func(record_entry);
    }
    std::vector<std::string> walk() {
        std::vector<std::string> ids;
        for (void *p = CTY_next_data(0); p; p = CTY_next_data(1))
            ids.push_back(static_cast<Block *>(p)->id);
        return ids;
    }
    Domain domain = mdr_domain();
};

TEST_F(Store, KeepsStationsOnTheGridWithinPriorityInFileOrder) {
    EXPECT_GE(CTY_store("rad.cty", 2, &domain, 10), 0);
    EXPECT_EQ(walk(),
              (std::vector<std::string>{"TLX", "AMA", "K-XX", "-ICT", "HGX", "B-OX", "MLB"}));
    EXPECT_EQ(entry_calls, 7);
    // A second store replaces the first; the priority is one digit, so HGX's
    // "12" is priority 1.
    EXPECT_GE(CTY_store("rad.cty", 2, &domain, 2), 0);
    EXPECT_EQ(walk(), (std::vector<std::string>{"TLX", "K-XX", "-ICT", "HGX", "B-OX", "MLB"}));
}

TEST_F(Store, PriorityFromTheResourceWhenAskedFor) {
    RES_put("stat_prior", "1");
    EXPECT_EQ(CTY_get_prior(), 1);
    CTY_store("rad.cty", 2, &domain, -9999);
    EXPECT_EQ(walk(), (std::vector<std::string>{"TLX", "K-XX", "-ICT", "HGX", "B-OX"}));
    RES_put("stat_prior", "");
    EXPECT_EQ(CTY_get_prior(), 10);
}

TEST_F(Store, LookupByIdentifierAndByWmoString) {
    CTY_store("rad.cty", 2, &domain, 10);
    Block *b = static_cast<Block *>(CTY_get_data("TLX"));
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->id, "TLX");
    EXPECT_EQ(CTY_get_data("72357"), b);
    EXPECT_EQ(CTY_get_data("tlx"), nullptr); // lookups are exact
    EXPECT_EQ(CTY_get_data("KTLX"), nullptr);
    EXPECT_EQ(CTY_get_data("LFPG"), nullptr); // off the grid
    EXPECT_EQ(CTY_get_data("72250"), CTY_get_data("HGX"));
}

TEST_F(Store, StationWithoutOwnIdentifierIsKeyedByItsWmoString) {
    CTY_store("rad.cty", 2, &domain, 10);
    Block *b = static_cast<Block *>(CTY_get_data("72450"));
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->id, "K-XX");
    EXPECT_EQ(CTY_get_data("K-XX"), nullptr);
    // A "-" in first place keeps the identifier.
    ASSERT_NE(CTY_get_data("-ICT"), nullptr);
    EXPECT_EQ(static_cast<Block *>(CTY_get_data("-ICT"))->num, 5);
    // Region B_ stations carry "b" before their WMO string.
    EXPECT_EQ(CTY_get_data("01234"), nullptr);
    ASSERT_NE(CTY_get_data("b01234"), nullptr);
    EXPECT_STREQ(static_cast<Block *>(CTY_get_data("b01234"))->id, "B-OX");
}

TEST_F(Store, FullRecordsKeepTheFileIdentifier) {
    CTY_store("rad.cty", 1, &domain, 10);
    ASSERT_NE(CTY_get_data("K-XX"), nullptr);
    EXPECT_EQ(CTY_get_data("K-XX"), CTY_get_data("72450"));
    EXPECT_EQ(walk().size(), 7u);
}

TEST_F(Store, PositionKeyedModeStoresTheSameStations) {
    CTY_store("rad.cty", 3, &domain, 10);
    EXPECT_EQ(walk(),
              (std::vector<std::string>{"TLX", "AMA", "K-XX", "-ICT", "HGX", "B-OX", "MLB"}));
    EXPECT_NE(CTY_get_data("AMA"), nullptr);
}

TEST_F(Store, IdentifierResourceSelects) {
    RES_put("identifier", "ALL");
    CTY_store("rad.cty", 2, &domain, 10);
    EXPECT_EQ(walk().size(), 7u);
    RES_put("identifier", "ST=TX,MLB");
    CTY_store("rad.cty", 2, &domain, 10);
    EXPECT_EQ(walk(), (std::vector<std::string>{"AMA", "HGX", "MLB"}));
}

TEST_F(Store, ClearingFreesTheBlocksOrKeepsThem) {
    CTY_store("rad.cty", 2, &domain, 10);
    CTY_clear_data(1);
    EXPECT_NE(CTY_get_data("TLX"), nullptr);
    CTY_clear_data(0);
    EXPECT_EQ(CTY_get_data("TLX"), nullptr);
    EXPECT_EQ(CTY_next_data(0), nullptr);
}

TEST_F(Store, WithoutBlocksNothingIsEntered) {
    CTY_data_size(0);
    CTY_store("rad.cty", 2, &domain, 10);
    EXPECT_EQ(entry_calls, 0);
    EXPECT_EQ(CTY_get_data("TLX"), nullptr);
}

TEST_F(Store, MissingOrEmptyFileStoresNothing) {
    vektest::Capture cap;
    EXPECT_EQ(CTY_store("absent.cty", 2, &domain, 10), 0);
    EXPECT_EQ(CTY_next_data(0), nullptr);
    EXPECT_EQ(CTY_get_data("TLX"), nullptr);
    write_file(dir.file("empty.cty"), "");
    EXPECT_GE(CTY_store("empty.cty", 2, &domain, 10), 0);
    EXPECT_EQ(CTY_next_data(0), nullptr);
    EXPECT_EQ(entry_calls, 0);
}

TEST_F(Store, DirectSearchByIdentifierNameOrWmoNumber) {
    vektest::Capture cap;
    CTY_data d;
    EXPECT_EQ(CTY_get("rad.cty", "ama", &d), 1);
    EXPECT_EQ(d.num, 313);
    EXPECT_EQ(CTY_get("rad.cty", "MELBOURNE", &d), 1);
    EXPECT_EQ(d.num, 8);
    EXPECT_EQ(CTY_get("rad.cty", "01234", &d), 1);
    EXPECT_STREQ(d.id, "B-OX");
    EXPECT_EQ(CTY_get("rad.cty", "nowhere", &d), 0);
    EXPECT_STREQ(d.id, "MLB"); // the last station read
    float lat = 1, lon = 2;
    EXPECT_EQ(CTY_get_loc("rad.cty", "TLX", &lat, &lon), 1);
    EXPECT_FLOAT_EQ(lat, 35.32f);
    EXPECT_FLOAT_EQ(lon, -97.27f);
    lat = 1;
    EXPECT_EQ(CTY_get_loc("rad.cty", "nowhere", &lat, &lon), 0);
    EXPECT_EQ(lat, 1.0f);
    EXPECT_EQ(CTY_get_loc("absent.cty", "TLX", &lat, &lon), 0);
}

// ---- hostile files --------------------------------------------------------------

using HostileFiles = CtyTest;

// A million lines: valid stations far off the grid, stations on it, broken
// lines, overlong tokens and binary bytes. The store reads them all and its
// memory follows the stations it keeps, not the size of the file.
TEST_F(HostileFiles, MillionLinesKeepMemoryProportionalToTheStationsKept) {
    const std::string path = dir.file("big.cty");
    {
        std::ofstream f(path, std::ios::binary);
        char line[160];
        for (int i = 0; i < 1000000; i++) {
            switch (i % 10) {
            case 0:
                if (i % 1000 == 0) {
                    std::snprintf(line, sizeof line, "ON%d KS US I%d 1 38.0 -98.0 400 %d 1\n", i, i,
                                  10000 + i / 1000);
                    break;
                }
                [[fallthrough]];
            case 1:
            case 2:
            case 3:
                std::snprintf(line, sizeof line, "Far%d XX EU F%d 1 48.0 11.0 500 10865 2\n", i, i);
                break;
            case 4:
                std::snprintf(line, sizeof line, "Broken%d KS US B 1 north south 400 x y\n", i);
                break;
            case 5:
                std::snprintf(line, sizeof line, "%s KS US 12345678901234 *9***** 38 -98 400 1 1\n",
                              std::string(60, 'L').c_str());
                break;
            case 6:
                std::snprintf(line, sizeof line, "Bin%c%c%c KS US Q%d 1 38 -98 40%c 1 1\n", 0x01,
                              0xff, 0x7f, i, 0x80);
                break;
            default:
                std::snprintf(line, sizeof line, "Low%d KS US L%d 11 38.0 -98.0 400 99999 3\n", i,
                              i);
                break;
            }
            f << line;
        }
    }
    Domain domain = mdr_domain();
    CTY_data_size(64);
    CTY_enter_func(nullptr);
    const size_t before = mallinfo2().uordblks;
    EXPECT_GE(CTY_store("big.cty", 2, &domain, 10), 0);
    const size_t after = mallinfo2().uordblks;
    int kept = 0;
    for (void *p = CTY_next_data(0); p; p = CTY_next_data(1)) kept++;
    EXPECT_GE(kept, 1000);    // the "ON" stations
    EXPECT_LT(kept, 1000000); // fragments of the broken lines add some
    // About 200 bytes per kept station plus the slot arrays; the file is 50 MB.
    EXPECT_LT(after - before, size_t(kept) * 400 + 1000000);
}

// ---- the shipped radar station file ------------------------------------------------

struct Site {
    std::string id, state, name;
    int number;
    double lat, lon, elev;
};

std::vector<Site> read_sites() {
    std::ifstream f(vektest::source_dir() + "/tests/data/nexrad_sites.txt");
    std::vector<Site> sites;
    std::string line;
    while (std::getline(f, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        Site s;
        std::string wban, agency, name;
        in >> s.id >> s.number >> s.lat >> s.lon >> s.elev >> wban >> agency >> s.state >> name;
        const size_t slash = name.rfind('/');
        s.name = name.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 20);
        sites.push_back(s);
    }
    return sites;
}

class ShippedRadarFile : public CtyTest {
  protected:
    void SetUp() override {
        CtyTest::SetUp();
        RES_put("file_path", (vektest::source_dir() + "/data").c_str());
    }
};

TEST_F(ShippedRadarFile, EveryLineMatchesTheSiteList) {
    const std::vector<Site> sites = read_sites();
    ASSERT_EQ(sites.size(), 157u);
    int n = 0;
    ASSERT_GE(CTY_open_file("rad.cty", &n), 0);
    EXPECT_GT(n, 150);
    CTY_data c;
    size_t i = 0;
    for (; CTY_read(0, &c) >= 1; i++) {
        ASSERT_LT(i, sites.size());
        const Site &s = sites[i];
        EXPECT_STREQ(c.name, s.name.c_str());
        EXPECT_EQ(c.state, s.state);
        EXPECT_STREQ(c.region, "US");
        EXPECT_EQ(c.id, s.id);
        EXPECT_EQ(c.prior, 1);
        EXPECT_EQ(c.mos, ' ');
        EXPECT_EQ(c.ua, ' ');
        EXPECT_NEAR(c.lat, s.lat, 1e-4) << s.id;
        EXPECT_NEAR(c.lon, s.lon, 1e-4) << s.id;
        EXPECT_FLOAT_EQ(c.el, static_cast<float>(s.elev)) << s.id;
        EXPECT_EQ(c.wmo, 99999);
        EXPECT_EQ(c.num, s.number) << s.id;
    }
    EXPECT_EQ(i, sites.size());
}

// The sites within three spacings of the MDR grid, from a polar stereographic
// formula of the test's own.
std::vector<std::string> expected_mdr_sites(const std::vector<Site> &sites) {
    const double rad = M_PI / 180.0, earth = 63.7122, dx = 0.47625;
    const double k = (1.0 + std::sin(60.0 * rad)) * earth;
    auto project = [&](double lat, double lon, double *x, double *y) {
        const double r = k * std::tan((90.0 - lat) / 2.0 * rad);
        *x = r * std::sin((lon + 105.0) * rad);
        *y = -r * std::cos((lon + 105.0) * rad);
    };
    double xc, yc;
    project(39.578445, -97.42146, &xc, &yc);
    const double hw = dx * 113 / 2 + 3 * dx, hh = dx * 89 / 2 + 3 * dx;
    std::vector<std::string> ids;
    for (const Site &s : sites) {
        double x, y;
        project(s.lat, s.lon, &x, &y);
        const double ex = std::fabs(x - xc) - hw, ey = std::fabs(y - yc) - hh;
        // No site lies so close to the edge that float rounding could decide.
        EXPECT_GT(std::fabs(ex), 1e-3) << s.id;
        EXPECT_GT(std::fabs(ey), 1e-3) << s.id;
        if (ex <= 0 && ey <= 0) ids.push_back(s.id);
    }
    return ids;
}

TEST_F(ShippedRadarFile, MdrGridKeepsExactlyTheSitesOnOrNearIt) {
    const std::vector<Site> sites = read_sites();
    const std::vector<std::string> expect = expected_mdr_sites(sites);
    ASSERT_GT(expect.size(), 100u);
    ASSERT_LT(expect.size(), sites.size()); // Alaska, Hawaii, Guam, Puerto Rico are off it
    CTY_data_size(sizeof(Block));
    CTY_enter_func(record_entry);
    Domain domain = mdr_domain();
    EXPECT_GE(CTY_store("rad.cty", 2, &domain, 10), 0);
    std::vector<std::string> got;
    for (void *p = CTY_next_data(0); p; p = CTY_next_data(1))
        got.push_back(static_cast<Block *>(p)->id);
    EXPECT_EQ(got, expect);
    for (const char *off : {"APD", "HKI", "GUA", "JUA"}) EXPECT_EQ(CTY_get_data(off), nullptr);
}

} // namespace
