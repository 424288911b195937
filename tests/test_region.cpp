// Domain strings: templates and field rules with region and station files
// present and absent.

#include "files.h"
#include "region.h"
#include "resrc.h"
#include "vek_test.h"

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
    return fmt("proj %d pole %.7g %.7g param %.7g %.7g %.7g %.7g %.7g at %.7g %.7g step %.7g %.7g "
               "size %d %d ellipse %d",
               d.proj, d.plat, d.plon, d.param[0], d.param[1], d.param[2], d.param[3], d.param[4],
               d.clat, d.clon, d.dx, d.dy, d.nx, d.ny, d.ellipse);
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
        // the templates, from the most fields to the fewest
        {"ps,-105,40,-100,30,20,1.5,1.4", false, 1, grid(1, 40, -100, 30, 20, 1.5, 1.4, -105)},
        // six fields after a projection: template 3 before template 4
        {"me,id:DEN,50,30,0.5", true, 1, grid(3, 39.77f, -104.87f, 50, 30, 0.5, 0.5)},
        // projection parameters: one is plon; "e", plat, plon, up to four more
        {"sat:e:0:-75:1:2::4:9,0,-75,1.5", false, 1, grid(9, 0, -75, 25, 17, 1.5, 1.5, -75, 0, 1)},
        // stations, in a file named or "sao.cty"
        {"ps,ID:my.cty:TLX,1.5", true, 1, grid(1, 35.33f, -97.28f, 25, 17, 1.5, 1.5)},
        {"id:DEN", false, -1, unset, no_station + no_station + invalid},
        // regions: files first, then the default regions
        {"var", false, 2, grid(1, 35, -90, 25, 17, 1.2, 1.2, -90)},
        {"us", true, 2, grid(2, 38, -95, 60, 30, 1, 1)},
        // a line with only its abbreviation ends the search
        {"other.reg:d", true, 2, grid(-1, M, M, 25, 17, 1.2, 1.2)},
        {"other.reg:", true, 2, unset, "DOM_read_menu: Invalid region line: abbronly\n"},
        // strings that fit nothing
        {"loop", true, -1, unset, invalid},
        {"MISS", false, VEK_MISS, unset},
    };
    for (const Row &row : rows) {
        vek_reset_all();
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
        // The string goes to file-name key "r".
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
