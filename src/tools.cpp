// tools.cpp - help output generated from a program's resource lists.
//
// Keeps no state.

#include "vek.h"

namespace {

// One help entry: the option text and its description. Entries with a null
// description print the option text alone and then their extra lines.
struct HelpRow {
    res_type id;
    const char *option;
    const char *desc;
    const char *const *extra;
};

const char *const message_lines[] = {
    "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n", nullptr};

#define DOMAIN_LINES                                                                               \
    "               region=predefined region:\n",                                                  \
        "                  us,ne,at,se,mw,sp,nw,sw,etc\n",                                         \
        "               proj=projection, clat=central latitude, clon=central longitude,\n",        \
        "               nx,ny=number of gridpoints and dx,dy=grid spacing\n"

const char *const plot_domain_lines[] = {"             Output plot domain\n", DOMAIN_LINES,
                                         nullptr};
const char *const grid_domain_lines[] = {"             Grid domain\n", DOMAIN_LINES, nullptr};
const char *const region_lines[] = {"             Region to be used for plotting and gridding\n",
                                    DOMAIN_LINES, "               us,ne,at,se,mw,sp,nw,sw,var\n",
                                    nullptr};
#undef DOMAIN_LINES

const HelpRow help_rows[] = {
    {RES_help, "-h", "Print this help", nullptr},
    {RES_batch, "-ba", "Run program in batch mode", nullptr},
    {RES_message, "-me level", "Message level to be displayed:", message_lines},
    {RES_file_path, "-fp path", "File path", nullptr},
    {RES_data_path, "-dp path", "Raw data path", nullptr},
    {RES_con_path, "-cp path", "Converted data path", nullptr},
    {RES_grid_path, "-gp path", "Gridded data path", nullptr},
    {RES_raw_path, "-rp path", "Raw files path", nullptr},
    {RES_image_path, "-ip path", "Image file path", nullptr},
    {RES_watch_path, "-wp path", "Watch file data path", nullptr},
    {RES_text_path, "-tp path", "Text file path", nullptr},
    {RES_model_path, "-mp path", "Model file path", nullptr},
    {RES_sat_path, "-sp path", "Satellite file path", nullptr},
    {RES_input, "-in type", "Type of input", nullptr},
    {RES_output, "-ou type", "Type of output", nullptr},
    {RES_name_conv, "-nc type", "Naming convention file name", nullptr},
    {RES_in_file, "-if type", "Input data file type", nullptr},
    {RES_out_file, "-of type", "Output file type", nullptr},
    {RES_file_param, "-pf param", "File parameters: use,calc,over,app", nullptr},
    {RES_current, "-cu [hour]", "Use current data file", nullptr},
    {RES_hour, "-ho hour", "Actual hour of the file", nullptr},
    {RES_num_hour, "-nh hour[,step]", "Number of hours to view", nullptr},
    {RES_decode_hour, "-dh hour", "Actual hour to decode", nullptr},
    {RES_parameter, "-pa param[,...]", "Program parameters", nullptr},
    {RES_filenames, "file [file...]", "Input file names", nullptr},
    {RES_plot_domain, "-pd region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr, plot_domain_lines},
    {RES_grid_domain, "-gd region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr, grid_domain_lines},
    {RES_region, "-re region or [proj],clat,clon[,nx,ny][,dx,dy]", nullptr, region_lines},

    // The resources other programs of the package register.
    {RES_ingestor, "-di name", "Data ingestor", nullptr},
    {RES_in_files, "-if type", "Input data file types", nullptr},
    {RES_inputg, "-inp type", "Type of gridded input", nullptr},
    {RES_map_file, "-mf file", "Map file name", nullptr},
    {RES_bull_file, "-bf file", "Bulletin file name", nullptr},
    {RES_log_file, "-lf file", "Log file name", nullptr},
    {RES_city_file, "-cf file", "Station file name", nullptr},
    {RES_model, "-mo model", "Model name", nullptr},
    {RES_grid_type, "-gt type", "Grid type number", nullptr},
    {RES_grid_num, "-gn num[,...]", "Grid numbers", nullptr},
    {RES_identifier, "-id id[,...]", "Station identifiers or selections", nullptr},
    {RES_product, "-ph product", "Product name", nullptr},
    {RES_forecast, "-fc hour[,...]", "Forecast hours", nullptr},
    {RES_state, "-st state", "State or province", nullptr},
    {RES_time, "-ft time", "Forecast time", nullptr},
    {RES_level, "-le level[,...]", "Vertical levels", nullptr},
    {RES_variable, "-va var[,...]", "Variables", nullptr},
    {RES_stat_prior, "-pr prior", "Station priority", nullptr},
    {RES_object_param, "-oa param", "Object analysis parameters", nullptr},
    {RES_con_interval, "-in value", "Contour interval", nullptr},
    {RES_plot_type, "-pl type", "Plot type", nullptr},
    {RES_draw, "-dr item[,...]", "Components to draw", nullptr},
    {RES_table, "-ta", "Print a table", nullptr},
    {RES_plot_scale, "-sc scale", "Plot scale", nullptr},
    {RES_con_base, "-cb value", "Contour base", nullptr},
    {RES_plot_format, "-fm format", "Plot format", nullptr},
    {RES_plot_param, "-pp param", "Plot parameters", nullptr},
    {RES_label, "-la label", "Plot label", nullptr},
    {RES_color_table, "-ct file", "Color table", nullptr},
    {RES_background, "-bg color", "Background color", nullptr},
    {RES_color_text, "-cot color", "Text color", nullptr},
    {RES_color_data, "-cod color", "Data color", nullptr},
    {RES_color_map, "-com color", "Map color", nullptr},
    {RES_color_grid, "-cogr color", "Grid color", nullptr},
    {RES_color_line, "-coln color", "Line color", nullptr},
    {RES_color_cmap, "-cocm color", "Color map", nullptr},
    {RES_color_cont, "-coco color", "Contour color", nullptr},
    {RES_color_label, "-cola color", "Label color", nullptr},
    {RES_color_clabel, "-cocl color", "Contour label color", nullptr},
    {RES_color_front, "-cofr color", "Front color", nullptr},
    {RES_color_watch, "-cowa color", "Watch color", nullptr},
    {RES_color_fill, "-cof color", "Fill color", nullptr},
    {RES_color_wind, "-cowd color", "Wind color", nullptr},
    {RES_color_cloud, "-cocd color", "Cloud color", nullptr},
    {RES_color_wx, "-cowx color", "Weather color", nullptr},
    {RES_color_pop, "-copp color", "Probability color", nullptr},
    {RES_color_sound, "-cosd color", "Sounding color", nullptr},
    {RES_color_therm, "-coth color", "Thermodynamic diagram color", nullptr},
    {RES_color_thrmtxt, "-cott color", "Thermodynamic text color", nullptr},
    {RES_color_hodo, "-coh color", "Hodograph color", nullptr},
    {RES_color_hodtxt, "-coht color", "Hodograph text color", nullptr},
    {RES_font_list, "-fl fonts", "Font list", nullptr},
    {RES_window_num, "-wn num", "Window number", nullptr},
    {RES_device, "-de dev[,name]", "Output device", nullptr},
    {RES_title, "-ti title", "Window title", nullptr},
    {RES_geometry, "-ge geom", "Window geometry", nullptr},
    {RES_icon, "-ic", "Start as an icon", nullptr},
    {RES_command, "command...", "Commands", nullptr},
    {RES_commands, "-cd command", "Command", nullptr},
    {RES_filename, "file", "Input file name", nullptr},
    {RES_values, "value...", "Values", nullptr},
};

} // namespace

int RES_help_item(res_type res) {
    for (const HelpRow &row : help_rows) {
        if (row.id != res) continue;
        if (row.desc) {
            MESS_print(M_PRINT, " %-10s  %s\n", row.option, row.desc);
        } else {
            MESS_print(M_PRINT, " %-10s\n", row.option);
        }
        for (const char *const *line = row.extra; line && *line; ++line)
            MESS_print_str(M_PRINT, *line);
        return 1;
    }
    MESS_print(M_PRINT, "%d\n", static_cast<int>(res));
    return 1;
}

int RES_help_print(const char *name, const res_type *res_key, const res_type *res_pos) {
    if (!name) name = "";
    MESS_print(M_PRINT, "%s syntax (version:%s)\n", name, VEK_version());
    MESS_print(M_PRINT, "   %s [options...]\n", name);
    MESS_print(M_PRINT, "Keyed options...\n");
    MESS_print(M_PRINT, " %-10s  Resource/defaults file name\n", "-df file");
    MESS_print(M_PRINT, " %-10s  Program name\n", "-na name");
    for (; res_key && *res_key != RES_null; ++res_key) RES_help_item(*res_key);
    MESS_print(M_PRINT, "Positional options...\n");
    for (; res_pos && *res_pos != RES_null; ++res_pos) RES_help_item(*res_pos);
    return 1;
}
