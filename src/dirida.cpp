// dirida.cpp - the radar bulletin converter: sets up the run-time
// environment from the command line, answers a help request, prints the
// banner and converts one raw bulletin file.

#include "vek.h"
#include "vekrad.h"

namespace {

const res_type res_key[] = {
    RES_help,      RES_batch,      RES_message,     RES_file_path,  RES_data_path,
    RES_con_path,  RES_grid_path,  RES_raw_path,    RES_image_path, RES_watch_path,
    RES_text_path, RES_model_path, RES_sat_path,    RES_input,      RES_output,
    RES_name_conv, RES_in_file,    RES_out_file,    RES_file_param, RES_current,
    RES_hour,      RES_num_hour,   RES_decode_hour, RES_parameter,  RES_null,
};

const res_type res_pos[] = {RES_filenames, RES_null};

} // namespace

int main(int argc, char **argv) {
    RES_init(argc, argv, res_key, res_pos);
    if (FLAG_help()) {
        char name[FILE_NAME_LEN];
        RES_get_progname(name, sizeof name);
        MESS_print(M_PRINT, "%s: This program converts raw MDR (radar) observations\n", name);
        MESS_print(M_PRINT, "   into a useable format\n");
        RES_help_print(name, res_key, res_pos);
        VEK_exit(0);
    }
    MESS_print_prog("RADAR DATA CONVERSION PROGRAM");
    RAD_decode_file();
    return 0;
}
