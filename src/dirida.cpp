// dirida.cpp - the radar bulletin converter: sets up the run-time
// environment from the command line, answers a help request, prints the
// banner and converts one raw bulletin file.

#include "vek.h"
#include "vekrad.h"

int main(int argc, char **argv) {
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
    RAD_decode_file();
    return 0;
}
