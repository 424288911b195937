// Fuzzes the time texts: the "hour" resource conversion (the requested file
// time), the "decode_hour" forms of the decoding window and the label time
// zone. The input is up to three texts separated by newlines: the hour text,
// the decode_hour text and the zone text. The requested time and the window
// are then used the way a run uses them: labels, sequence forms, report-time
// checks and the name of a date.

#include <cstring>

#include "date.h"
#include "files.h"
#include "fuzz_common.h"
#include "mess.h"
#include "res_conv.h"
#include "resrc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    MESS_set(0, 0);

    std::string text(reinterpret_cast<const char *>(data), size);
    std::string parts[3];
    for (std::string &part : parts) {
        size_t nl = text.find('\n');
        part = text.substr(0, nl).c_str(); // up to an embedded NUL
        if (nl == std::string::npos) break;
        text = text.substr(nl + 1);
    }

    RES_conv_data(parts[0].c_str(), nullptr, CV_hour);
    RES_put("decode_hour", parts[1].c_str());
    if (!parts[2].empty()) DATE_set_TZ(parts[2].c_str());

    Date d = {2024, 1, 1, VEK_MISS, VEK_MISS, 3, 0, 0};
    DATE_set_datim(&d);
    for (int t : {0, 5, 1159, 2359, -1, VEK_MISS, 2147483647, -2147483647 - 1}) DATE_chk_range(t);

    Date req;
    FILE_get_time(&req);
    char label[DATE_LABEL_LEN];
    Date copy = req;
    DATE_make_label(&copy, label);
    if (strlen(label) >= DATE_LABEL_LEN) abort();
    copy = req;
    DATE_make_seq(&copy, label);
    if (strlen(label) >= DATE_LABEL_LEN) abort();

    char type[] = "@%Y%m%d%j%h%n%b";
    FILE_set_name(type);
    char out[FILE_NAME_LEN];
    FILE_set_date(&d, out);
    FILE_set_date(&req, out);
    if (strlen(out) >= FILE_NAME_LEN) abort();
    fuzzing::reset_modules();
    return 0;
}
