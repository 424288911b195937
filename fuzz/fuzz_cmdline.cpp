// Fuzzes the command-line decoder: the input is split at newlines into
// arguments and decoded with the program's resource lists, conversions
// included.

#include <vector>

#include "fuzz_common.h"

namespace {
const res_type keys[] = {
    RES_help,      RES_batch,     RES_message,    RES_file_path,  RES_data_path,
    RES_con_path,  RES_grid_path, RES_raw_path,   RES_image_path, RES_watch_path,
    RES_text_path, RES_model_path, RES_sat_path,  RES_input,      RES_output,
    RES_name_conv, RES_in_file,   RES_out_file,   RES_file_param, RES_current,
    RES_hour,      RES_num_hour,  RES_decode_hour, RES_parameter, RES_null,
};
const res_type positional[] = {RES_filenames, RES_null};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    std::vector<std::string> words = {"/usr/bin/dirida"};
    std::string cur;
    for (size_t i = 0; i < size; ++i) {
        char c = static_cast<char>(data[i]);
        if (c == '\n') {
            words.push_back(cur);
            cur.clear();
        } else if (c != '\0') {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(cur);
    std::vector<char *> argv;
    for (std::string &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    RES_init(static_cast<int>(words.size()), argv.data(), keys, positional);
    int n;
    char **list;
    RES_getvals("filename", &n, &list);
    free_parsed_array(n, list);
    RES_list();
    // The kept command line dies with this input.
    fuzzing::reset_modules();
    return 0;
}
