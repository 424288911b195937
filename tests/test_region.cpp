// Domain strings: templates and field rules with region and station files
// present and absent, the region menu, projection words, station priorities.

#include "files.h"
#include "flag.h"
#include "mess.h"
#include "region.h"
#include "res_conv.h"
#include "resrc.h"
#include "vek_test.h"

#include <cmath>

using namespace vektest;

namespace {

constexpr float M = VEK_FMISS;

// A domain; an ellipse also sets parameters 1, 2, -, 4.
Domain grid(int proj, float clat, float clon, int nx, int ny, float dx, float dy, float plon = M,
            float plat = M, int ellipse = 0) {
    Domain d;
    DOM_init(&d);
    if ((d.ellipse = ellipse)) d.param[0] = 1, d.param[1] = 2, d.param[3] = 4;
    d.proj = proj, d.plat = plat, d.plon = plon, d.clat = clat, d.clon = clon;
    d.nx = nx, d.ny = ny, d.dx = dx, d.dy = dy;
    return d;
}

std::string text(const Domain &d) {
    char buf[256];
    snprintf(buf, sizeof buf,
             "proj %d pole %.7g %.7g param %.7g %.7g %.7g %.7g %.7g at %.7g %.7g "
             "step %.7g %.7g size %d %d ellipse %d",
             d.proj, d.plat, d.plon, d.param[0], d.param[1], d.param[2], d.param[3], d.param[4],
             d.clat, d.clon, d.dx, d.dy, d.nx, d.ny, d.ellipse);
    return buf;
}

const char *const invalid = "DOM_decode: Invalid plot domain\n";
const Domain unset = grid(VEK_MISS, M, M, VEK_MISS, VEK_MISS, M, M);

} // namespace

class Domains : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        RES_put("file_path", dir.path().c_str());
    }
    // The region and station files, or none of them.
    void files(bool present) {
        for (const char *name : {"vek.reg", "other.reg", "sao.cty", "my.cty"})
            std::remove(dir.file(name).c_str());
        if (!present) return;
        // The rest of the 600-character line is no line; "loop" fits no template.
        write_file(dir.file("vek.reg"), "# abbreviation, name, menu flag, domain string\n#" +
                                            std::string(600, 'x') +
                                            "\nden Denver_area 1 ps,39.8,-104.9,1.0\n"
                                            "hid Hidden 0 lc,40,-100,0.5\n"
                                            "us Whole_US 1 ll,38,-95,60,30,1.0,1.0\n"
                                            "loop Loop 1 loop\n\nafter After 1 40,-100\n");
        write_file(dir.file("other.reg"),
                   "b Bee 1 ps,45,-90,1.1\nc Cee 1 40,-100\nabbronly\nd Dee 1 50,-100\n");
        write_file(dir.file("sao.cty"), "DENVER CO US DEN 1 39.77 -104.87 1611 72469 1\n");
        write_file(dir.file("my.cty"), "OKLAHOMA_CITY OK US TLX 1 35.33 -97.28 370 72357 1\n");
    }
    TempDir dir;
};

TEST_F(Domains, EveryTemplateAndFieldRule) {
    const std::string no_station =
        "CTY_open_file: Database file not found: " + dir.file("sao.cty") + "\n";
    struct Row {
        std::string str;
        bool files;
        int result;
        Domain want;
        std::string err = "";
    } rows[] = {
        // templates 1 to 12, in order
        {"ps,-105,40,-100,30,20,1.5,1.4", false, 1, grid(1, 40, -100, 30, 20, 1.5, 1.4, -105)},
        {"ll,40,-100,50,30,0.5,0.5", false, 1, grid(2, 40, -100, 50, 30, 0.5, 0.5)},
        {"lc,-95,40,-100,1.5,1.4", false, 1, grid(4, 40, -100, 25, 17, 1.5, 1.4, -95)},
        // six fields after a projection read as template 3 before template 4
        {"me,40,-100,50,30,0.5", false, 1, grid(3, -100, 50, 25, 17, 30, 0.5, 40)},
        {"me,id:DEN,50,30,0.5", true, 1, grid(3, 39.77f, -104.87f, 50, 30, 0.5, 0.5)},
        {"40,-100,50,30,0.5,0.6", false, 1, grid(1, 40, -100, 50, 30, 0.5, 0.6)},
        {"or,40,-100,1.5,1.4", false, 1, grid(5, 40, -100, 25, 17, 1.5, 1.4)},
        {"40,-100,50,30,0.5", false, 1, grid(1, 40, -100, 50, 30, 0.5, 0.5)},
        {"ps:60:-105,40,-100,1.5", false, 1, grid(1, 40, -100, 25, 17, 1.5, 1.5, -105, 60)},
        {"40,-100,50,30", false, 1, grid(1, 40, -100, 50, 30, 1.2, 1.2)},
        {"40,-100,1.5", false, 1, grid(1, 40, -100, 25, 17, 1.5, 1.5)},
        {"lambert,40,-100", false, 1, grid(4, 40, -100, 25, 17, 1.2, 1.2)},
        {"Zoom,40,-100", false, 1, grid(50, 40, -100, 25, 17, 1.0, 1.0)},
        {"size,640,480", false, 1, grid(51, M, M, 640, 480, M, M)},
        {"sizes,640.7,480.9", false, 1, grid(51, M, M, 640, 480, M, M)},
        {"40,-100", false, 1, grid(1, 40, -100, 25, 17, 1.2, 1.2)},
        {"miss,3", false, 1, grid(1, M, M, 25, 17, 1.2, 1.2)},
        // projection parameters: one is plon; "e", plat, plon, up to four more
        {"ps:-105,40,-100", false, 1, grid(1, 40, -100, 25, 17, 1.2, 1.2, -105)},
        {"sat:e:0:-75:1:2::4:9,0,-75,1.5", false, 1, grid(9, 0, -75, 25, 17, 1.5, 1.5, -75, 0, 1)},
        {"ps:x:-105,40,-100", false, 1, grid(1, 40, -100, 25, 17, 1.2, 1.2, -105)},
        // stations (template 13 and the station form of the clat field)
        {"none", false, 1, grid(1, M, M, 25, 17, 1.2, 1.2)},
        {"id:DEN", true, 1, grid(1, 39.77f, -104.87f, 25, 17, 1.2, 1.2)},
        {"ps,ID:my.cty:TLX,1.5", true, 1, grid(1, 35.33f, -97.28f, 25, 17, 1.5, 1.5)},
        {"id:NOPE", true, -1, unset, invalid},
        // without "sao.cty": looked up as the clat field and as template 13
        {"id:DEN", false, -1, unset, no_station + no_station + invalid},
        // regions (template 14): files first, then the default regions
        {"us", false, 2, grid(1, 39, -97, 25, 17, 2.3f, 2.3f, -97)},
        {"NE", false, 2, grid(1, 42, -76, 25, 17, 0.9f, 0.9f, -76)},
        {"var", false, 2, grid(1, 35, -90, 25, 17, 1.2, 1.2, -90)},
        {"us", true, 2, grid(2, 38, -95, 60, 30, 1, 1)},
        {"den", true, 2, grid(1, 39.8f, -104.9f, 25, 17, 1, 1)},
        {"hid", true, 2, grid(4, 40, -100, 25, 17, 0.5, 0.5)},
        {"fi:other.reg", true, 2, grid(1, 45, -90, 25, 17, 1.1f, 1.1f)},
        {"other.reg:c", true, 2, grid(1, 40, -100, 25, 17, 1.2, 1.2)},
        // a line with only its abbreviation ends the search with that word
        {"other.reg:d", true, 2, grid(-1, M, M, 25, 17, 1.2, 1.2)},
        // an empty line ends the search
        {"after", true, 2, grid(-1, M, M, 25, 17, 1.2, 1.2)},
        {"xyz", false, 2, grid(-1, M, M, 25, 17, 1.2, 1.2)},
        // a file and a colon loads the menu and leaves the record
        {"other.reg:", true, 2, unset, "DOM_read_menu: Invalid region line: abbronly\n"},
        // strings that fit nothing
        {"abc,def", false, -1, unset, invalid},
        {"xpx,1,2", false, -1, unset, invalid},
        {"loop", true, -1, unset, invalid},
        {"", false, VEK_MISS, unset},
        {"MISS", false, VEK_MISS, unset},
    };
    for (const Row &row : rows) {
        reset_all();
        RES_put("file_path", dir.path().c_str());
        files(row.files);
        Domain got;
        got.nx = 12345;
        int result;
        {
            Capture cap("35\n-90\n"); // the answers for "var"
            result = DOM_decode(row.str.c_str(), &got);
            EXPECT_EQ(cap.err(), row.err) << row.str;
        }
        EXPECT_EQ(result, row.result) << row.str;
        EXPECT_EQ(text(got), text(row.want)) << row.str;
        // The result goes to flag slot 5 and the string to file-name key "r".
        EXPECT_EQ(FLAG_get(FLAG_DOMAIN), result == VEK_MISS ? VEK_MISS : result) << row.str;
        char type[] = "@%r", name[FILE_NAME_LEN];
        Date date{};
        FILE_set_name(type);
        FILE_set_date(&date, name);
        EXPECT_EQ(std::string(name), result == VEK_MISS ? "0" : row.str.substr(0, 29)) << row.str;
    }
    Domain d;
    EXPECT_EQ(DOM_decode(nullptr, &d), VEK_MISS);
    EXPECT_EQ(d.proj, VEK_MISS);
}

TEST_F(Domains, ProjectionWordsByPrefixInTableOrder) {
    struct {
        const char *word;
        int proj;
    } rows[] = {
        {"ll", 2},       {"latlon", 2},    {"la", 8},          {"lab", 8},    {"LAMBERT", 4},
        {"lc", 4},       {"polar", 1},     {"mercator", 3},    {"ortho", 5},  {"mollweide", 7},
        {"gnomonic", 6}, {"satellite", 9}, {"pixel", 99},      {"xy", 20},    {"xlogp", 22},
        {"vert", 22},    {"cat", 24},      {"therm", 40},      {"stuve", 41}, {"ema", 42},
        {"teph", 43},    {"rteph", 44},    {"hodo", 23},       {"XP", 25},    {"xpx", -1},
        {"zoom", 50},    {"size", 51},     {"MISS", VEK_MISS}, {"missx", -1}, {"", -1},
    };
    for (const auto &r : rows) EXPECT_EQ(DOM_proj_str(r.word), r.proj) << r.word;
    EXPECT_EQ(DOM_proj_str(nullptr), -1);
}

TEST_F(Domains, PriorityAtTheSizeBoundariesAndStatPrior) {
    auto above = [](float v) { return std::nextafter(v, 1e9f); };
    struct {
        float size;
        int priority;
    } sizes[] = {{above(50), 1},   {50, 2},   {above(25), 2}, {25, 3}, {above(12.5), 3}, {12.5, 4},
                 {above(6.25), 4}, {6.25, 5}, {above(3), 5},  {3, 6},  {-9999, 6},       {NAN, 6}};
    for (const auto &s : sizes) {
        DOM_set_base_prior(s.size);
        EXPECT_EQ(DOM_get_base_prior(), s.priority) << s.size;
    }
    struct {
        const char *stat_prior;
        int priority;
    } settings[] = {{"+1", 3}, {"-1", 1}, {"4", 4}, {"10", 10}, {"+x", 2}, {"x", 2}, {"", 2}};
    for (const auto &s : settings) {
        RES_put("stat_prior", s.stat_prior);
        DOM_set_base_prior(36.8f);
        EXPECT_EQ(DOM_get_base_prior(), s.priority) << s.stat_prior;
    }
    // "us" is 16 x 2.3 = 36.8 wide: priority 2, one more with "+1".
    Domain d;
    RES_put("stat_prior", "+1");
    DOM_decode("us", &d);
    EXPECT_EQ(DOM_get_base_prior(), 3);
}

// Shown entries only, at most 19; a file that cannot be opened leaves the menu.
TEST_F(Domains, RegionMenuKeepsShownEntriesOnly) {
    std::string many = "# regions\na First_Region 1 ps,40,-100\nb Hidden 0 ps,1,2\n"
                       "c Third 2 40,-100\n\ntoolong Name 1 x\n"
                       "d Name_that_is_far_too_long 1 x\ne Flagless x\n";
    write_file(dir.file("menu.reg"), many);
    for (int i = 1; i <= 25; ++i) many += "r" + std::to_string(i) + " R 1 x\n";
    write_file(dir.file("many.reg"), many);
    int n = 0;
    Capture cap;
    EXPECT_EQ(DOM_read_menu("menu.reg"), 1);
    MENU_item *menu = DOM_get_menu(&n);
    ASSERT_EQ(n, 3);
    auto entry = [](const MENU_item &m) {
        return std::string(m.abbr) + "|" + m.name + "|" + std::to_string(m.index) + "|" +
               std::to_string(m.disp[0]);
    };
    EXPECT_EQ(entry(menu[1]) + " " + entry(menu[2]), "a|First Region|1|1 c|Third|2|2");
    EXPECT_EQ(menu[3].name, nullptr);
    EXPECT_EQ(DOM_read_menu("many.reg"), 1);
    menu = DOM_get_menu(&n);
    EXPECT_EQ(n, 20);
    EXPECT_STREQ(menu[19].abbr, "r17");
    EXPECT_EQ(menu[20].name, nullptr);
    EXPECT_EQ(DOM_read_menu("absent.reg"), 0);
    EXPECT_EQ(DOM_get_menu(&n), menu);
    EXPECT_EQ(n, 20);
    const std::string invalid =
        "DOM_read_menu: Invalid region line: toolong Name 1 x\n"
        "DOM_read_menu: Invalid region line: d Name_that_is_far_too_long 1 x\n"
        "DOM_read_menu: Invalid region line: e Flagless x\n";
    EXPECT_EQ(cap.err(), invalid + invalid);
}

TEST_F(Domains, ResourceKindsDecodeAndTrace) {
    MESS_set_str("debug");
    RES_put("plot_domain", "ps:60:-105,40,-100,1.5");
    Domain d, r;
    Capture cap;
    EXPECT_EQ(RES_getval("plot_domain", &d, CV_domain) + RES_conv_data("us", &r, CV_region), 2);
    EXPECT_EQ(RES_conv_data("us", nullptr, CV_domain), 0);
    EXPECT_EQ(cap.out(), "******** PARSING DOMAIN: 4 ps:60:-105,40,-100,1.5\n 0 proj,clat,clon,dx\n"
                         "******** PARSING DOMAIN: 1 us\nUnable to open region file: " +
                             dir.file("vek.reg") + "\n 0 reg:REG\n");
    EXPECT_FLOAT_EQ(d.plat + r.dx, 62.3f);
}
