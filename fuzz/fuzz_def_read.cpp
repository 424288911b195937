// Fuzzes the defaults-file reader: every line is taken, matched against the
// program's resource names and its validity tested.

#include "def_read.h"
#include "fuzz_common.h"
#include "mess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    std::string path = fuzzing::scratch_file(data, size, "def");
    if (size > 0 && data[0] & 1) DEF_tag("radar");
    if (size > 1 && data[1] & 1) DEF_name(data[1] & 2 ? "+alt" : "alt");
    MESS_set_str("print"); // misplaced directives would flood standard error
    if (DEF_open(path.c_str()) != 0) return 0;
    char name[DEF_NAME_LEN], value[DEF_VALUE_LEN], last[DEF_NAME_LEN];
    while (DEF_get(name, value) == 1) {
        DEF_cmp("message", name);
        DEF_cmp("data_path", name);
        if (DEF_valid(name)) DEF_parse_name(name, last);
    }
    DEF_close();
    return 0;
}
