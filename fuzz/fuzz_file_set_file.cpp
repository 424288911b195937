// Fuzzes the name-convention templates and typed names together: the input
// is a mode byte, then a template and a name separated by a newline. The
// template becomes the convention ("@" + template, or a type with keys after
// colons); the name is read through the template walk, then a name is made
// from the date read, the listing pattern is built (its command is refused
// by the scratch file system) and the name is resolved as a current or
// latest request. The name "exit"
// reaches the exit hook, which comes back here.

#include <cstring>

#include "files.h"
#include "fuzz_common.h"
#include "mess.h"
#include "resrc.h"

namespace {

void check(const char *name) {
    if (strlen(name) >= FILE_NAME_LEN) abort();
}

// Everything that may end through VEK_exit, whose exception leaves these
// frames in order (fuzzing::ends_process).
void run(uint8_t mode, char *type, const char *name) {
    if (mode & 1) RES_put("data_path", "/data");
    if (mode & 2) FILE_set_key('X', "key value");
    if (mode & 4) {
        Date s = {VEK_MISS,
                  VEK_MISS,
                  (mode & 8) ? -2 : VEK_MISS,
                  VEK_MISS,
                  VEK_MISS,
                  (mode & 16) ? -306 : 12,
                  (mode & 32) ? -15 : VEK_MISS,
                  0};
        FILE_set_time(&s);
    }
    FILE_set_name(type);

    char out[FILE_NAME_LEN];
    FILE_set_file(name, out);
    check(out);
    Date d;
    FILE_get_date(&d);
    FILE_set_date(&d, out);
    check(out);
    FILE_set_date(nullptr, out);
    check(out);
    FILE_list_file();
    if (mode & 128) {
        FILE_set_current(name, out);
        check(out);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    if (size == 0) return 0;
    setenv("vekcurtime", "#202401011130", 1);
    RES_put("file_path", "/nonexistent-vek-fuzz"); // no convention file
    MESS_set(0, 0);                                // warnings stay off standard error

    const uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    size_t nl = text.find('\n');
    std::string tpl = text.substr(0, nl).c_str();
    std::string name = nl == std::string::npos ? "" : text.substr(nl + 1).c_str();
    // "@" + template is a template as it stands; otherwise the text is a type
    // whose keys are read.
    std::string type = (mode & 64) ? tpl : "@" + tpl;

    fuzzing::ends_process([&] { run(mode, type.data(), name.c_str()); });
    fuzzing::reset_modules();
    return 0;
}
