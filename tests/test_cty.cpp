// The station database: station files, the selection language, the store
// and its hash table, and WMO numbers as identifiers.

#include <cstdio>
#include <cstring>

#include "cty_read.h"
#include "cty_tool.h"
#include "resrc.h"
#include "table.h"
#include "tools.h"
#include "vek_test.h"
#include "vekstr.h"

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
            char line[200];
            std::snprintf(line, sizeof line, "%d|%.20s|%.2s|%.2s|%.9s|%c%d%c|%g|%g|%g|%d|%d", n,
                          c.name, c.state, c.region, c.id, c.mos, c.prior, c.ua, c.lat, c.lon, c.el,
                          c.wmo, c.num);
            recs.push_back(line);
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
    const std::string digits(100000, '9');
    const struct {
        std::string text;
        Strings recs;
    } cases[] = {
        {"OKLAHOMA_CITY OK US KTLX 5 35.33 -97.28 370 72357 1\n",
         {"10|OKLAHOMA_CITY|OK|US|KTLX| 5 |35.33|-97.28|370|72357|1"}},
        // Stars before or after the digit; an overlong priority token is consumed whole.
        {"A OK US A1 *5* 1 2 3 1 1\nB OK US B1 *3 1 2 3 1 1\nC OK US C1 4* 1 2 3 1 1\n"
         "D OK US D1 *7***** 1 2 3 1 1\n",
         {"10|A|OK|US|A1|*5*|1|2|3|1|1", "10|B|OK|US|B1|*3 |1|2|3|1|1",
          "10|C|OK|US|C1| 4*|1|2|3|1|1", "10|D|OK|US|D1|*7*|1|2|3|1|1"}},
        {"A OK US A1 1 1 2 9000 1 1\nB OK US B1 1 1 2 9000.5 1 1\n", // above 9000 is missing
         {"10|A|OK|US|A1| 1 |1|2|9000|1|1", "10|B|OK|US|B1| 1 |1|2|-9999|1|1"}},
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
        {"A OK US A1 1 " + digits + "\nB OK US B1 1 35 -97 370 2147483648 99999999999\n",
         {"5|A|OK|US|A1| 1 |-9999|-9999|-9999|99999|0",
          "10|B|OK|US|B1| 1 |35|-97|370|2147483647|2147483647"}},
        // Binary bytes stay in their fields; a NUL ends the name early.
        {"NA" + std::string(1, '\0') + std::string(17, '\xfe') + " \x01\x02 \xff B 1 0 0 0 1 1",
         {"10|NA|\x01\x02|\xff|B| 1 |0|0|0|1|1"}},
        {"", {}},
    };
    for (const auto &c : cases) EXPECT_EQ(read_all(c.text), c.recs) << c.text.substr(0, 60);
}

TEST_F(CtyTest, FindingTheStationFile) {
    CTY_data c;
    int n = -1;
    EXPECT_EQ(std::vector<int>({CTY_read(0, &c), CTY_rewind(0), CTY_close(0),
                                CTY_open(dir.file("x.cty").c_str(), 2, 0)}),
              std::vector<int>(4, -1)); // nothing open; no such access
    vektest::Capture cap;
    EXPECT_EQ(CTY_open_file("rad.cty", &n) * 10 + n, -10);
    // The estimate is the size over 59, at most 4000; "sao.cty" is the default.
    for (auto [name, size, estimate] :
         {std::tuple{"sao.cty", 59000, 1000}, {"big.cty", 300000, 4000}, {"rad.cty", 0, 0}}) {
        write_file(dir.file(name), std::string(size, ' '));
        EXPECT_TRUE(CTY_open_file(size == 59000 ? nullptr : name, &n) >= 0 && n == estimate) << n;
    }
    write_file(dir.file("other.cty"), "A OK US A1 1 35 -97 370 72357 1\n");
    RES_put("city_file", "other.cty"); // the resource names the file
    ASSERT_GE(CTY_open_file("rad.cty", &n), 0);
    EXPECT_EQ(CTY_read(0, &c), 10);
    RES_put("city_file", "NONE"); // no station file, and no message
    EXPECT_EQ(CTY_open_file("other.cty", &n), -1);
    EXPECT_EQ(cap.err() + cap.out(),
              "CTY_open_file: Database file not found: " + dir.file("rad.cty") + "\n");
}

// The index of the first comma-separated selection string that accepts D.
int select(const char *sel, const CTY_data &d) {
    int argc;
    char **argv;
    parse_string(sel, ',', &argc, &argv);
    const int result = CTY_data_cmp(argc, argv, &d);
    free_parsed_array(argc, argv);
    return result;
}

TEST_F(CtyTest, SelectionStrings) {
    const CTY_data tlx = {"OKLAHOMA_CITY", "OK",    "US", "TLX", 2, ' ', ' ',
                          35.33f,          -97.28f, 370,  72357, 0};
    const CTY_data ama = {"AMARILLO", "TX",   "US",    "AMA", 4,     ' ',
                          ' ',        35.23f, -101.7f, 1093,  72363, 0};
    // Oklahoma City is about 30 km from 35.0 N 97.5 W, Amarillo about 380 km.
    // "," is one empty selection string.
    const Strings lists[4] = {
        {"CN=US", "CN:US", "RA<35.0:-97.5:400", "P<99999999999", "WMO>-99999999999", "Lat<1e999"},
        {"tlx", "72357", "oklah", "ST=OK", "ST=OK_US", "ID=tlx", "P=2", "P<3", "Lat>35.3",
         "lon>-100", "Elev=370", "WMO=72357", "WMO<72360", "ST=OK:P<3", "ST:OK:P<3",
         "RA<35.0:-97.5:100", "RA<35.0:-97.5:100:P=2"},
        {"ST:TX", "ST:TX_US", "Name=Amar", "P>4", "Lat<35.3", "Lon<-100", "Elev>1000", "WMO>72360"},
        {"okla", "ST", "CN:CA", "P<x", "ST=OK:P<1", "P<3:ST=TX", "STATE=OK", "Nam=OKLA", ",",
         "RA<35.0:-97.5"}}; // accepting both, Oklahoma City, Amarillo, neither
    for (int i = 0; i < 4; i++) {
        for (const std::string &sel : lists[i]) {
            EXPECT_EQ(select(sel.c_str(), tlx), i < 2 ? 0 : -1) << sel;
            EXPECT_EQ(select(sel.c_str(), ama), i == 0 || i == 2 ? 0 : -1) << sel;
        }
    }
    EXPECT_EQ(select("AMA,TLX", tlx), 1);
    EXPECT_EQ(CTY_data_cmp(0, nullptr, &tlx), 1); // no selection
    CTY_data q = tlx;
    vek_copy(q.state, "Q");
    EXPECT_EQ(select("ST= Q_US", q), 0); // a one-letter state is right-aligned
}

// Stations on the grid within the priority and the selection, in file order,
// found by identifier or WMO string ("-" second: by WMO string, "b" for B_).
TEST_F(CtyTest, StoreKeepsStationsOnTheGridAndFindsThem) {
    write_file(dir.file("rad.cty"),
               "Norman               OK US TLX 1  35.32  -97.27   370 72357   1\n"
               "Paris                -- FR LFPG 1 49.0 2.5 100 07157 2\n"
               "Amarillo             TX US AMA 3  35.23 -101.70  1093 72363 313\n"
               "Nowmo                KS US K-XX 1 37.6 -97.4 407 72450 4\n"
               "Dashfirst            KS US -ICT 1 37.7 -97.5 407 72451 5\n"
               "Twelve               TX US HGX 12 29.47 -95.07 5 72250 6\n"
               "Boxed                NE B_ B-OX 1 41.3 -96.4 350 1234 7\n"
               "Melbourne            FL US MLB 2  28.10  -80.65    11 72204 8\n");
    const char *all = " TLX AMA K-XX -ICT HGX B-OX MLB";
    const struct {
        const char *key, *full, *compact; // what it finds in mode 1, in modes 2 and 3
    } keys[] = {{"TLX", "TLX", "TLX"},    {"72357", "TLX", "TLX"}, {"tlx", "", ""},
                {"KTLX", "", ""},         {"LFPG", "", ""},        {"07157", "", ""},
                {"72250", "HGX", "HGX"},  {"K-XX", "K-XX", ""},    {"72450", "K-XX", "K-XX"},
                {"-ICT", "-ICT", "-ICT"}, {"B-OX", "B-OX", ""},    {"b01234", "", "B-OX"},
                {"01234", "", ""}};
    // The priority is one digit ("12" is 1); -9999 asks "stat_prior".
    const struct {
        int mode, prior;
        const char *stat_prior, *identifier, *ids;
    } runs[] = {{1, 10, "", "", all},
                {2, 10, "", "", all},
                {3, 10, "", "", all},
                {2, 2, "", "", " TLX K-XX -ICT HGX B-OX MLB"},
                {2, -9999, "1", "", " TLX K-XX -ICT HGX B-OX"},
                {2, -9999, "", "ALL", all},
                {2, 10, "", "ST=TX,MLB", " AMA HGX MLB"}};
    for (const auto &r : runs) {
        RES_put("stat_prior", r.stat_prior);
        RES_put("identifier", r.identifier);
        EXPECT_GT(CTY_store("rad.cty", r.mode, &MDR, r.prior), 0);
        EXPECT_EQ(walk(), r.ids) << r.mode << " " << r.prior << " " << r.identifier;
        for (const auto &k : keys) {
            if (std::string(r.ids) != all) break; // the complete stores
            const CTY_data *d = static_cast<CTY_data *>(CTY_get_data(k.key));
            EXPECT_EQ(d ? d->id : "", std::string(r.mode == 1 ? k.full : k.compact)) << k.key;
        }
    }
    EXPECT_EQ(entry_calls, 7 + 7 + 7 + 6 + 5 + 7 + 3);
    CTY_clear_data(1); // keeps the blocks
    EXPECT_NE(CTY_get_data("MLB"), nullptr);
    CTY_clear_data(0);
    EXPECT_EQ(CTY_get_data("MLB"), nullptr);
    EXPECT_EQ(walk(), "");
    CTY_data_size(0); // no blocks: nothing to find
    CTY_store("rad.cty", 2, &MDR, 10);
    EXPECT_EQ(CTY_get_data("TLX"), nullptr);
    // A missing or empty file leaves nothing stored. A direct search matches
    // identifier, name or WMO number in any case, keeping the last one read.
    CTY_data_size(sizeof(CTY_data));
    write_file(dir.file("empty.cty"), "");
    vektest::Capture cap;
    for (const char *file : {"absent.cty", "empty.cty"}) {
        CTY_store("rad.cty", 2, &MDR, 10);
        EXPECT_EQ(CTY_store(file, 2, &MDR, 10) > 0, file[0] == 'e') << file;
        EXPECT_EQ(walk(), "") << file;
        EXPECT_EQ(CTY_get_data("TLX"), nullptr) << file;
    }
    CTY_data d;
    for (auto [key, found, num] :
         {std::tuple{"ama", 1, 313}, {"MELBOURNE", 1, 8}, {"01234", 1, 7}, {"nowhere", 0, 8}}) {
        EXPECT_EQ(CTY_get("rad.cty", key, &d), found) << key;
        EXPECT_EQ(d.num, num) << key;
    }
}

// In any slot count each record is found by each of its keys, a duplicate
// key (id0) finds the record entered first, and the walk gives every record
// in the order entered, one entered during the walk included. Searches are
// exact, per key number, and find one copy of the record for all its keys.
TEST(HashTable, EveryKeyFindsItsRecordInAnySlotCount) {
    auto val = [](const char *p) { return p ? *reinterpret_cast<const int *>(p) : -1; };
    for (int slots : {0, 1, 7, 4000}) { // 0 slots means 1
        TAB_table tab;
        ASSERT_EQ(TAB_create(&tab, slots, sizeof(int), 2), 0);
        auto enter = [&](int i) {
            const std::string dup = "id" + std::to_string(i % 200); // 200 repeats 0
            return TAB_enter(&tab, &i, dup.c_str(), std::to_string(i).c_str());
        };
        std::vector<int> walked, order;
        for (int i = 0; i < 200; i++) ASSERT_EQ(enter(i), 0);
        TAB_first(&tab);
        for (int i = 0; i < 199; i++) walked.push_back(val(TAB_next(&tab)));
        ASSERT_EQ(enter(200), 0);
        for (int i = 0; i < 3; i++) walked.push_back(val(TAB_next(&tab)));
        for (int i = 0; i <= 200; i++) {
            order.push_back(i);
            EXPECT_EQ(val(TAB_search(&tab, 1, ("id" + std::to_string(i)).c_str())),
                      i < 200 ? i : -1);
            EXPECT_EQ(val(TAB_search(&tab, 2, std::to_string(i).c_str())), i) << slots;
        }
        order.push_back(-1);
        EXPECT_EQ(walked, order);
        EXPECT_EQ(TAB_search(&tab, 1, "id7"), TAB_search(&tab, 2, "7"));
        for (auto [keynum, miss] :
             {std::pair{1, "ID1"}, {1, "id"}, {1, "id1x"}, {1, "1"}, {0, "id1"}, {3, "id1"}})
            EXPECT_EQ(TAB_search(&tab, keynum, miss), nullptr) << keynum << miss;
        int rec = 1; // exactly two keys
        EXPECT_EQ(TAB_enter(&tab, &rec, "a"), -1);
        EXPECT_EQ(TAB_enter(&tab, &rec, "a", "b", "c"), -1);
        TAB_free(&tab);
        TAB_first(&tab);
        EXPECT_EQ(TAB_next(&tab), nullptr);
        EXPECT_EQ(TAB_search(&tab, 2, "7"), nullptr);
    }
    TAB_table tab; // one or two keys only
    EXPECT_EQ(TAB_create(&tab, 10, sizeof(int), 0) + TAB_create(&tab, 10, sizeof(int), 5), -2);
    EXPECT_EQ(TAB_search(nullptr, 1, "id1"), nullptr);
}

std::string to_id(int wmo) {
    char id[7];
    EXPECT_EQ(wmo_to_id(id, wmo), 0);
    return id;
}

// Identifiers with the result and number id_to_wmo gives; those marked "made"
// are also what wmo_to_id makes of that number. Every number from 0 to 99999
// comes back from its identifier, and the range table has 182 rows holding
// 79,811 numbers, no two touching rows sharing a prefix: count the numbers
// with a prefix and the places where it changes.
TEST(WmoConversion, EveryRangeConvertsBothWays) {
    const struct {
        const char *id;
        int result, wmo, made;
    } cases[] = {{"00000", -1, 0, 1},     {"00999", -1, 999, 1},   {"EN000", 0, 1000, 1},
                 {"EN234", 0, 1234, 1},   {"LC699", 0, 17699, 1},  {"17700", -1, 17700, 1},
                 {"X1234", 0, 31234, 1},  {"OE350", 0, 40350, 1},  {"OE100", 0, 41100, 1},
                 {"Z4511", 0, 54511, 1},  {"DR050", 0, 61050, 1},  {"67754", -1, 67754, 1},
                 {"K2403", 0, 72403, 1},  {"K4486", 0, 74486, 1},  {"N1700", 0, 91700, 1},
                 {"Y4120", 0, 94120, 1},  {"RP999", 0, 98999, 1},  {"99999", -1, 99999, 1},
                 {"OE300", 0, 300, 0},    {"UA123", 0, 20123, 0},  {"ZM123", 0, 44123, 0},
                 {"ZQ123", 0, 123, 0},    {"QQ789", 0, 789, 0},    {"en234", 0, 234, 0},
                 {"K5403", 0, 403, 0},    {"KOKC", -1, 99999, 0},  {"EN23A", -1, 99999, 0},
                 {"ENA34", -1, 99999, 0}, {"1N234", -1, 99999, 0}, {"EN2345", -1, 99999, 0},
                 {"", -1, 99999, 0}};
    for (const auto &c : cases) {
        if (c.made) {
            EXPECT_EQ(to_id(c.wmo), c.id);
        }
        int wmo = -1;
        EXPECT_EQ(id_to_wmo(c.id, &wmo), c.result) << c.id;
        EXPECT_EQ(wmo, c.wmo) << c.id;
    }
    EXPECT_EQ(id_to_wmo(nullptr, nullptr), -1);
    EXPECT_EQ(to_id(100000), "100000");
    char id[8];
    std::memset(id, 'x', sizeof id);
    wmo_to_id(id, -2147483647 - 1); // cut to the seven-byte field
    EXPECT_EQ(id[7], 'x');
    EXPECT_EQ(std::strlen(id), 6u);
    int with_prefix = 0, ranges = 0;
    std::string prev;
    for (int wmo = 0; wmo <= 99999; wmo++) {
        const std::string id = to_id(wmo);
        int back = -1;
        const bool prefixed = id[0] >= 'A' && id[0] <= 'Z';
        ASSERT_EQ(id_to_wmo(id.c_str(), &back), prefixed ? 0 : -1) << id;
        ASSERT_EQ(back, wmo) << id;
        // U, X, Z and Y stand alone before four digits; K2, K4 and N1 are prefixes.
        const bool one_letter = id[1] <= '9' && id[0] != 'K' && id[0] != 'N';
        const std::string prefix = prefixed ? id.substr(0, one_letter ? 1 : 2) : "";
        with_prefix += prefixed;
        ranges += prefixed && prefix != prev;
        prev = prefix;
    }
    EXPECT_EQ(with_prefix, 79811);
    EXPECT_EQ(ranges, 182);
}

} // namespace
