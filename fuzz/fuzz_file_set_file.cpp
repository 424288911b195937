// Fuzzes the name-convention templates and typed names together: the input
// is a template and a name separated by a newline. The template becomes the
// convention ("@" + template, or a type with keys after colons); the name is
// read through the template walk, then a name is made from the date read,
// the listing pattern is built (never run in fuzz builds) and the name is
// resolved as a current or latest request. The name "exit" reaches the exit
// hook, which unwinds back here.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vek.h"

namespace {

struct Exited {
    int status;
};

[[noreturn]] void throwing_exit(int status) {
    throw Exited{status};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    VEK_set_exit_hook(throwing_exit);
    setenv("vekcurtime", "#202401011130", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    files_reset_state();
    date_reset_state();
    MESS_set(0, 0); // nothing shown
    if (size == 0) return 0;

    // First byte: the mode; then template "\n" name.
    const uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t nl = text.find('\n');
    std::string tpl = nl == std::string::npos ? text : text.substr(0, nl);
    std::string name = nl == std::string::npos ? std::string() : text.substr(nl + 1);
    tpl = tpl.c_str(); // up to an embedded NUL
    name = name.c_str();

    if (mode & 1) RES_put("data_path", "/data");
    if (mode & 2) FILE_set_key('X', "key value");
    if (mode & 4) {
        Date s = {VEK_MISS, VEK_MISS, (mode & 8) ? -2 : VEK_MISS, VEK_MISS,
                  VEK_MISS, (mode & 16) ? -306 : 12, (mode & 32) ? -15 : VEK_MISS, 0};
        FILE_set_time(&s);
    }

    // "@" + template is a template as it stands; otherwise the text is a type
    // whose keys are read, with no convention file to be found.
    std::string type = (mode & 64) ? tpl : "@" + tpl;
    RES_put("file_path", "/nonexistent-vek-fuzz");
    FILE_set_name(type.data());

    char out[FILE_NAME_LEN];
    try {
        FILE_set_file(name.c_str(), out);
    } catch (const Exited &) {
        return 0;
    }
    if (strlen(out) >= FILE_NAME_LEN) abort();

    Date d;
    FILE_get_date(&d);
    FILE_set_date(&d, out);
    FILE_set_date(nullptr, out);
    if (strlen(out) >= FILE_NAME_LEN) abort();
    FILE_list_file();
    if (mode & 128) {
        FILE_set_current(name.c_str(), out);
        if (strlen(out) >= FILE_NAME_LEN) abort();
    }
    return 0;
}
