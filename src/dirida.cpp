// dirida.cpp - the radar bulletin converter: sets up the run-time
// environment from the command line, answers a version or help request,
// prints the banner and converts the raw bulletin files it is given.

#include <cstring>

#include "files.h"
#include "flag.h"
#include "mess.h"
#include "rad_dec.h"
#include "res_init.h"
#include "resrc.h"
#include "system.h"
#include "tools.h"

namespace {

// "--version" or "-version" anywhere on the command line: an option, never
// the value of another one.
bool asks_version(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], "--version") == 0 || strcmp(argv[i], "-version") == 0) return true;
    return false;
}

} // namespace

int main(int argc, char **argv) {
    if (asks_version(argc, argv)) {
        const char *slash = argc > 0 ? strrchr(argv[0], '/') : nullptr;
        MESS_print(M_PRINT, "%s version %s\n",
                   slash      ? slash + 1
                   : argc > 0 ? argv[0]
                              : "dirida",
                   VEK_version());
        return 0;
    }
    RES_init(argc, argv, RAD_res_key, RAD_res_pos);
    if (FLAG_help()) {
        char name[FILE_NAME_LEN];
        RES_get_progname(name, sizeof name);
        MESS_print(M_PRINT, "%s: This program converts raw MDR (radar) observations\n", name);
        MESS_print(M_PRINT, "   into a useable format\n");
        RES_help_print(name, RAD_res_key, RAD_res_pos);
        VEK_exit(0);
    }
    MESS_print_prog("RADAR DATA CONVERSION PROGRAM");
    return RAD_convert_files();
}
