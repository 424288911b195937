// Fuzz target: domain strings. The first line of the input is the domain
// string; the rest becomes the region file "fz.reg", which strings such as
// "fi:fz.reg", "fz.reg:ab" or "fz.reg:" read. The working directory also
// holds a region file "vek.reg" (with regions that name regions, in a loop
// too) and the station files "sao.cty" and "my.cty".

#include <cstring>
#include <string>

#include "cty_tool.h"
#include "flag.h"
#include "fuzz_common.h"
#include "mess.h"
#include "region.h"
#include "resrc.h"

namespace {

// The scratch directory with the fixed files, made the working one.
std::string make_dir() {
    const std::string dir = fuzzing::scratch_dir();
    fuzzing::write_text(dir + "/vek.reg", "# regions\n"
                                          "den Denver_area 1 ps,39.8,-104.9,1.0\n"
                                          "us Whole_US 1 ll,38,-95,60,30,1.0,1.0\n"
                                          "ref Refers 1 den\n"
                                          "fz Other_file 1 fz.reg:ab\n"
                                          "loop Loop 1 loop\n"
                                          "st Station 0 ps,id:my.cty:TLX,1.5\n"
                                          "only\n"
                                          "\n"
                                          "after After 1 40,-100\n");
    fuzzing::write_text(dir + "/sao.cty", "DENVER CO US DEN 1 39.77 -104.87 1611 72469 1\n");
    fuzzing::write_text(dir + "/my.cty", "OKLAHOMA_CITY OK US TLX 1 35.33 -97.28 370 72357 1\n");
    if (chdir(dir.c_str()) != 0) abort();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string dir = [] {
        fuzzing::setup();
        return make_dir();
    }();
    fuzzing::reset_modules();
    cty_reset_state();
    region_reset_state();
    // Traces are formatted (and discarded with standard output); warnings
    // stay off standard error.
    MESS_set_str("debug,-warn,-error");
    RES_put("file_path", dir.c_str());

    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t nl = input.find('\n');
    fuzzing::write_text(dir + "/fz.reg", nl == std::string::npos ? "" : input.substr(nl + 1));
    const std::string str = input.substr(0, nl);

    Domain d;
    const int r = DOM_decode(str.c_str(), &d);
    if (r != 1 && r != 2 && r != -1 && r != VEK_MISS) abort();
    if (FLAG_get(FLAG_DOMAIN) != r) abort();
    int n = 0;
    const MENU_item *menu = DOM_get_menu(&n);
    if (n < 1 || n > 20 || menu[n].name != nullptr) abort();
    for (int i = 1; i < n; ++i)
        if (!menu[i].name || strlen(menu[i].name) > 20 || strlen(menu[i].abbr) > 5) abort();
    char domstr[DOM_STR_LEN];
    if (DOM_search_file("fz.reg", str.c_str(), domstr) && strlen(domstr) >= DOM_STR_LEN) abort();
    return 0;
}
