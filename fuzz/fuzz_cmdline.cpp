// Fuzzes the command-line decoder: the input is split at newlines into
// arguments and decoded with the program's resource lists, conversions
// included.

#include <vector>

#include "fuzz_common.h"
#include "rad_dec.h"
#include "res_init.h"
#include "resrc.h"
#include "vekstr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    std::vector<std::string> words = fuzzing::lines_of(data, size, size);
    if (words.back().empty()) words.pop_back();
    words.insert(words.begin(), "/usr/bin/dirida");
    std::vector<char *> argv;
    for (std::string &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    RES_init(static_cast<int>(words.size()), argv.data(), RAD_res_key, RAD_res_pos);
    int n;
    char **list;
    RES_getvals("filename", &n, &list);
    free_parsed_array(n, list);
    RES_list();
    // The kept command line dies with this input.
    fuzzing::reset_modules();
    return 0;
}
