// The station database: station files read from hostile lines, and the
// store: stations on the grid within the priority and a selection, found by
// identifier or WMO string.

#include <cstring>

#include "cty_read.h"
#include "cty_tool.h"
#include "resrc.h"
#include "vek_test.h"

namespace {

using vektest::write_file;
using Strings = std::vector<std::string>;

// The MDR grid: polar stereographic about 105 W, 114 by 90 points.
const Domain MDR = {1,        90,       -105, {VEK_FMISS}, 39.578445f, -97.42146f,
                    0.47625f, 0.47625f, 114,  90,          0};

// The data blocks copy their station; each must start zeroed.
int entry_calls = 0;
int copy_station(const CTY_data *station, void *block) {
    entry_calls++;
    EXPECT_EQ(*static_cast<char *>(block), 0);
    std::memcpy(block, station, sizeof *station);
    return 0;
}

class CtyTest : public vektest::VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_put("file_path", dir.path().c_str());
        CTY_data_size(sizeof(CTY_data));
        CTY_enter_func(copy_station);
        entry_calls = 0;
    }
    // Every record of TEXT as "count|name|state|region|id|mos prior ua|lat|lon|el|wmo|num".
    Strings read_all(const std::string &text) {
        write_file(dir.file("test.cty"), text);
        EXPECT_GE(CTY_open(dir.file("test.cty").c_str(), 0, 0), 0);
        Strings recs;
        CTY_data c;
        for (int n; recs.size() < 20 && (n = CTY_read(0, &c)) >= 1;) {
            recs.push_back(vektest::fmt("%d|%.20s|%.2s|%.2s|%.9s|%c%d%c|%g|%g|%g|%d|%d", n, c.name,
                                        c.state, c.region, c.id, c.mos, c.prior, c.ua, c.lat, c.lon,
                                        c.el, c.wmo, c.num));
        }
        return recs;
    }
    std::string walk() {
        std::string ids;
        for (void *p = CTY_next_data(0); p; p = CTY_next_data(1))
            ids += std::string(" ") + static_cast<CTY_data *>(p)->id;
        return ids;
    }
    vektest::TempDir dir;
};

TEST_F(CtyTest, StationLines) {
    const struct {
        std::string text;
        Strings recs;
    } cases[] = {
        {"OKLAHOMA_CITY OK US KTLX 5 35.33 -97.28 370 72357 1\n",
         {"10|OKLAHOMA_CITY|OK|US|KTLX| 5 |35.33|-97.28|370|72357|1"}},
        // Any white space separates fields; the station number may be absent.
        {"   A OK\nUS A1\n\n 1 35 -97\t370 72357\n\nB TX US B1 2 30 -95 5 72250 7",
         {"9|A|OK|US|A1| 1 |35|-97|370|72357|0", "10|B|TX|US|B1| 2 |30|-95|5|72250|7"}},
        // A token longer than its field spills into the next ones; a word
        // where a number belongs stops the scan. The next read goes on there.
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ OK US KTLX 1 35 -97 370 72357 1\n",
         {"5|ABCDEFGHIJKLMNOPQRST|UV|WX|YZ| 31 |-9999|-9999|-9999|99999|0",
          "9|US|KT|LX|1| 3 |-97|370|-9999|1|0"}},
        {"A OK US A1 1 north",
         {"5|A|OK|US|A1| 1 |-9999|-9999|-9999|99999|0",
          "1|north|||| -9999 |-9999|-9999|-9999|99999|0"}},
        {"B OK US B1 1 35 -97 1e", {"7|B|OK|US|B1| 1 |35|-97|-9999|99999|0"}},
        // A number longer than any float is not read; integers are held to int.
        {"A OK US A1 1 " + std::string(100000, '9') +
             "\nB OK US B1 1 35 -97 370 2147483648 99999999999\n",
         {"5|A|OK|US|A1| 1 |-9999|-9999|-9999|99999|0",
          "10|B|OK|US|B1| 1 |35|-97|370|2147483647|2147483647"}},
        // Binary bytes stay in their fields; a NUL ends the name early.
        {"NA" + std::string(1, '\0') + std::string(17, '\xfe') + " \x01\x02 \xff B 1 0 0 0 1 1",
         {"10|NA|\x01\x02|\xff|B| 1 |0|0|0|1|1"}},
        {"", {}},
    };
    for (const auto &c : cases) EXPECT_EQ(read_all(c.text), c.recs) << c.text.substr(0, 60);
}

// Stations on the grid within the priority and the selection, in file order,
// found by identifier or by WMO string ("b" for B_).
TEST_F(CtyTest, StoreKeepsStationsOnTheGridAndFindsThem) {
    write_file(dir.file("rad.cty"),
               "Norman               OK US TLX 1  35.32  -97.27   370 72357   1\n"
               "Paris                -- FR LFPG 1 49.0 2.5 100 07157 2\n"
               "Amarillo             TX US AMA 3  35.23 -101.70  1093 72363 313\n"
               "Nowmo                KS US K-XX 1 37.6 -97.4 407 72450 4\n"
               "Twelve               TX US HGX 12 29.47 -95.07 5 72250 6\n"
               "Boxed                NE B_ B-OX 1 41.3 -96.4 350 1234 7\n"
               "Melbourne            FL US MLB 2  28.10  -80.65    11 72204 8\n");
    // The priority is one digit: "12" is 1, within the program's limit of 10.
    const struct {
        const char *identifier, *ids;
    } runs[] = {{"ST:TX,RA<35.0:-97.5:100:P=1,Name=Melb", " TLX AMA HGX MLB"},
                {"ALL", " TLX AMA K-XX HGX B-OX MLB"},
                {"ST=TX,MLB", " AMA HGX MLB"},
                {"P<2,Elev>1093", " TLX AMA K-XX HGX B-OX MLB"}, // the limits are in
                {"", " TLX AMA K-XX HGX B-OX MLB"}};
    for (const auto &r : runs) {
        RES_put("identifier", r.identifier);
        EXPECT_GT(CTY_store("rad.cty", 2, &MDR, 10), 0);
        EXPECT_EQ(walk(), r.ids) << r.identifier;
    }
    EXPECT_EQ(entry_calls, 4 + 6 + 3 + 6 + 6);
    // KEY=ID: KEY finds the station ID, or none.
    for (const std::string &kv :
         vektest::split("TLX=TLX 72357=TLX tlx= LFPG= 72450=K-XX K-XX= b01234=B-OX 01234=")) {
        const CTY_data *d =
            static_cast<CTY_data *>(CTY_get_data(kv.substr(0, kv.find('=')).c_str()));
        EXPECT_EQ(kv.substr(0, kv.find('=') + 1) + (d ? d->id : ""), kv);
    }
    CTY_clear_data(0);
    EXPECT_EQ(CTY_get_data("MLB"), nullptr);
    // A missing or empty file leaves nothing stored.
    write_file(dir.file("empty.cty"), "");
    vektest::Capture cap;
    for (const char *file : {"absent.cty", "empty.cty"}) {
        CTY_store("rad.cty", 2, &MDR, 10);
        EXPECT_EQ(CTY_store(file, 2, &MDR, 10) > 0, file[0] == 'e') << file;
        EXPECT_EQ(walk() + (CTY_get_data("TLX") ? "found" : ""), "") << file;
    }
    RES_put("city_file", "empty.cty"); // the resource names the file
    EXPECT_EQ(CTY_store("rad.cty", 2, &MDR, 10) > 0 && walk().empty(), true);
}

} // namespace
