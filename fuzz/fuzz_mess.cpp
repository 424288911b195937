// Fuzzes the "message" string: selection tokens, message files and paging,
// followed by messages of every class.

#include "fuzz_common.h"
#include "mess.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::setup();
    fuzzing::reset_modules();
    std::string text(reinterpret_cast<const char *>(data), size);
    MESS_set_str(text.c_str());
    for (M_type t : {M_PRINT, M_ERROR, M_WARN, M_MESS, M_OUT1, M_OUT2, M_OUT3, M_OUT4, M_DEBUG})
        MESS_print(t, "level %x\nsecond line\n", t);
    MESS_print_str(M_PRINT, text.c_str());
    MESS_hold(M_PRINT, "held\n");
    fuzzing::reset_modules();
    return 0;
}
