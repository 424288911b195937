// res_init.cpp - the resources of a program, collected at start from
// defaults files, the environment and the command line, in rising
// precedence.
//
// A program registers the resources it accepts as two lists of ids (keyed
// options and positional arguments). RES_init builds the definition table
// from them, collects and stores every value as text, and converts the values
// of the kinds that steer the run; afterwards any module asks the store for a
// resource by name.
//
// A search-path element "#N" links the decoding to loop window N over its
// message queue: the window is asked for every resource of the table, is
// told the values it lacks and the command-line options, and is left with
// "quit" once the command line is decoded.
//
// State: the definition table.

#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <vector>

#include "date.h"
#include "def_read.h"
#include "flag.h"
#include "mess.h"
#include "mqueue.h"
#include "numtext.h"
#include "res_conv.h"
#include "res_init.h"
#include "resrc.h"
#include "scanp.h"
#include "vekstr.h"

namespace {

// One row of the table of known resources. A row with pos set is positional.
struct ResRow {
    res_type id;
    const char *def;
    const char *cmd;
    int pos;
    const char *env;
    DEF_convert cvt;
};

constexpr int REST = 10; // every positional argument not taken by a numbered entry

const ResRow res_rows[] = {
    {RES_help, "help", "h", 0, "vekhelp", CV_help},
    {RES_batch, "batch", "ba", 0, "vekbatch", CV_batch},
    {RES_message, "message", "me", 0, "vekmess", CV_mess},
    {RES_ingestor, "ingestor", "di", 0, "vekingestor", CV_ingestor},
    {RES_name_conv, "name_conv", "nc", 0, "veknameconv", CV_name},
    {RES_in_files, "in_file", "if", 0, "vekinfile", CV_string},
    {RES_in_file, "in_file", "if", 0, "vekinfile", CV_string},
    {RES_out_file, "out_file", "of", 0, "vekoutfile", CV_string},
    {RES_input, "input", "in", 0, "vekin", CV_string},
    {RES_inputg, "input", "inp", 0, "vekin", CV_string},
    {RES_output, "output", "ou", 0, "vekout", CV_string},
    {RES_file_path, "file_path", "fp", 0, "vekfile", CV_path},
    {RES_data_path, "data_path", "dp", 0, "vekdata", CV_path},
    {RES_con_path, "con_path", "cp", 0, "vekcon", CV_path},
    {RES_raw_path, "raw_path", "rp", 0, "vekraw", CV_path},
    {RES_grid_path, "grid_path", "gp", 0, "vekgrid", CV_path},
    {RES_watch_path, "watch_path", "wp", 0, "vekwatch", CV_path},
    {RES_image_path, "image_path", "ip", 0, "vekimage", CV_string},
    {RES_text_path, "text_path", "tp", 0, "vektext", CV_path},
    {RES_model_path, "model_path", "mp", 0, "vekmpath", CV_path},
    {RES_sat_path, "sat_path", "sp", 0, "veksat", CV_path},
    {RES_map_file, "map_file", "mf", 0, "vekmap", CV_string},
    {RES_bull_file, "bull_file", "bf", 0, "vekbullfile", CV_string},
    {RES_log_file, "log_file", "lf", 0, "veklog", CV_string},
    {RES_city_file, "city_file", "cf", 0, "vekcity", CV_string},
    {RES_file_param, "file_param", "pf", 0, "vekfileparam", CV_file_param},
    {RES_current, "current", "cu", 0, "vekcurrent", CV_current},
    {RES_hour, "hour", "ho", 0, "vekhour", CV_hour},
    {RES_num_hour, "num_hour", "nh", 0, "veknumhour", CV_string},
    {RES_decode_hour, "decode_hour", "dh", 0, "vekdecode", CV_string},
    {RES_model, "model", "mo", 0, "vekmodel", CV_string},
    {RES_grid_type, "grid_type", "gt", 0, "vekgridtype", CV_int},
    {RES_grid_num, "grid_num", "gn", 0, "vekgridnum", CV_string},
    {RES_identifier, "identifier", "id", 0, "vekident", CV_string},
    {RES_product, "product", "ph", 0, "vekproduct", CV_string},
    {RES_forecast, "forecast", "fc", 0, "vekforecast", CV_string},
    {RES_state, "state", "st", 0, "vekstate", CV_string},
    {RES_plot_domain, "plot_domain", "pd", 0, "vekdomain", CV_domain},
    {RES_grid_domain, "grid_domain", "gd", 0, "vekgrddomain", CV_domain},
    {RES_region, "region", "re", 0, "vekregion", CV_region},
    {RES_time, "time", "ft", 0, "vektime", CV_string},
    {RES_level, "level", "le", 0, "veklevel", CV_string},
    {RES_variable, "variable", "va", 0, "vekvar", CV_string},
    {RES_stat_prior, "stat_prior", "pr", 0, "vekprior", CV_int},
    {RES_object_param, "object_param", "oa", 0, "vekobject", CV_string},
    {RES_con_interval, "con_interval", "in", 0, "vekconint", CV_float},
    {RES_plot_type, "plot_type", "pl", 0, "vekplot", CV_plot_type},
    {RES_draw, "draw", "dr", 0, "vekdraw", CV_draw},
    {RES_parameter, "parameter", "pa", 0, "vekparam", CV_string},
    {RES_table, "table", "ta", 0, "vektable", CV_bool},
    {RES_plot_scale, "plot_scale", "sc", 0, "vekscale", CV_float},
    {RES_con_base, "con_base", "cb", 0, "vekconbase", CV_float},
    {RES_plot_format, "plot_format", "fm", 0, "vekformat", CV_string},
    {RES_plot_param, "plot_param", "pp", 0, "vekpltparam", CV_string},
    {RES_label, "label", "la", 0, "veklabel", CV_string},
    {RES_color_table, "color_table", "ct", 0, "vekclrtbl", CV_string},
    {RES_background, "background", "bg", 0, "vekback", CV_string},
    {RES_color_text, "color_text", "cot", 0, "vekclrtext", CV_string},
    {RES_color_data, "color_data", "cod", 0, "vekclrdata", CV_string},
    {RES_color_map, "color_map", "com", 0, "vekclrmap", CV_string},
    {RES_color_grid, "color_grid", "cogr", 0, "vekclrgrid", CV_string},
    {RES_color_line, "color_line", "coln", 0, "vekclrln", CV_string},
    {RES_color_cmap, "color_cmap", "cocm", 0, "vekclrcmap", CV_string},
    {RES_color_cont, "color_cont", "coco", 0, "vekclrcont", CV_string},
    {RES_color_label, "color_label", "cola", 0, "vekclrlab", CV_string},
    {RES_color_clabel, "color_clabel", "cocl", 0, "vekclrclab", CV_string},
    {RES_color_front, "color_front", "cofr", 0, "vekclrfront", CV_string},
    {RES_color_watch, "color_watch", "cowa", 0, "vekclrwatch", CV_string},
    {RES_color_fill, "color_fill", "cof", 0, "vekclrfill", CV_string},
    {RES_color_wind, "color_wind", "cowd", 0, "vekclrwind", CV_string},
    {RES_color_cloud, "color_cloud", "cocd", 0, "vekclrcld", CV_string},
    {RES_color_wx, "color_wx", "cowx", 0, "vekclrwx", CV_string},
    {RES_color_pop, "color_pop", "copp", 0, "vekclrpop", CV_string},
    {RES_color_sound, "color_sound", "cosd", 0, "vekclrsnd", CV_string},
    {RES_color_therm, "color_therm", "coth", 0, "vekclrtherm", CV_string},
    {RES_color_thrmtxt, "color_thrmtxt", "cott", 0, "vekclrthtxt", CV_string},
    {RES_color_hodo, "color_hodo", "coh", 0, "vekclrhodo", CV_string},
    {RES_color_hodtxt, "color_hodtxt", "coht", 0, "vekclrhdtxt", CV_string},
    {RES_font_list, "font_list", "fl", 0, "vekfontlist", CV_string},
    {RES_window_num, "window_num", "wn", 0, "vekwindownum", CV_int},
    {RES_device, "device", "de", 0, "vekdevice", CV_device},
    {RES_title, "title", "ti", 0, "vektitle", CV_string},
    {RES_geometry, "geometry", "ge", 0, "vekgeometry", CV_string},
    {RES_icon, "icon", "ic", 0, "vekicon", CV_bool},
    {RES_command, "command", nullptr, REST, "vekcommand", CV_strings},
    {RES_commands, "command", "cd", 0, "vekcommand", CV_string},
    {RES_filename, "filename", nullptr, 1, "vekfilename", CV_strcpy},
    {RES_filenames, "filename", nullptr, REST, "vekfilename", CV_strings},
    {RES_values, "value", nullptr, REST, "vekvalue", CV_strings},
};

constexpr const char *DEFAULT_PATH = ".:/home/vek/etc:/usr/local/vek/etc";

// Resources that modules of the library read by name without a definition
// entry: an option of one of these names is no mistake.
const char *const module_resources[] = {"city_file", "stat_prior", "identifier"};
constexpr int OPT_NAME_LEN = 50; // an option name: at most 49 characters

RES_defobj def_table[RES_MAX_DEF + 1] = {};
RES_defobj *defs = def_table; // the table being decoded

bool is_letter(char c) {
    return isalpha(static_cast<unsigned char>(c)) != 0;
}

// An option is "-" or "--" followed by a letter.
bool is_option(const char *arg, bool allow_double) {
    if (arg[0] != '-') return false;
    if (is_letter(arg[1])) return true;
    return allow_double && arg[1] == '-' && is_letter(arg[2]);
}

// Splits an option argument into its name (cut at "=", at most 49
// characters) and its value: the text after "=", else the next argument
// unless there is none or it is an option itself. Sets TOOK_NEXT when the
// next argument became the value.
void split_option(int argc, char **argv, int i, const char *body, char *name, const char **value,
                  bool *took_next) {
    const char *eq = strchr(body, '=');
    size_t n = eq ? static_cast<size_t>(eq - body) : strlen(body);
    vek_strlcpy(name, body, n + 1 < OPT_NAME_LEN ? n + 1 : OPT_NAME_LEN);
    *took_next = false;
    *value = nullptr;
    if (eq) {
        *value = eq + 1;
    } else if (i + 1 < argc && !is_option(argv[i + 1], false)) {
        *value = argv[i + 1];
        *took_next = true;
    }
}

bool is_name_prefix(const char *name, bool ignore_case) {
    size_t n = strlen(name);
    if (n == 0 || n > 4) return false;
    return ignore_case ? strncasecmp(name, "name", n) == 0 : strncmp(name, "name", n) == 0;
}

bool is_default_name(const char *name, bool ignore_case) {
    if (ignore_case) return strncasecmp(name, "default", 7) == 0 || strncasecmp(name, "df", 2) == 0;
    return strncmp(name, "default", 7) == 0 || strncmp(name, "df", 2) == 0;
}

int table_size() {
    int n = 0;
    while (n < RES_MAX_DEF && defs[n].def) ++n;
    return n;
}

// The entry an option name stands for: an exact abbreviation, then an exact
// resource name, then (unless the name is reserved) the first resource name
// it begins. -1 when none, -2 for a reserved name that is dropped.
int lookup_option(const char *name) {
    int n = table_size();
    for (int i = 0; i < n; ++i) {
        const RES_defobj &e = defs[i];
        if (e.def[0] && e.cmd && strcasecmp(e.cmd, name) == 0) return i;
    }
    for (int i = 0; i < n; ++i) {
        const RES_defobj &e = defs[i];
        if (e.def[0] && e.cmd && strcasecmp(e.def, name) == 0) return i;
    }
    if (is_name_prefix(name, true) || is_default_name(name, true)) return -2;
    size_t len = strlen(name);
    for (int i = 0; i < n; ++i) {
        const RES_defobj &e = defs[i];
        if (e.def[0] && e.cmd && strncasecmp(e.def, name, len) == 0) return i;
    }
    return -1;
}

bool read_by_a_module(const char *name) {
    for (const char *r : module_resources)
        if (strcmp(r, name) == 0) return true;
    return false;
}

// An option that matches no resource becomes a free resource under its own
// name; unless a module reads that name, it is most likely a mistake, which
// may also have swallowed the next argument.
void warn_unknown_option(const char *arg, const char *name, const char *value, bool took_next) {
    if (read_by_a_module(name)) return;
    if (took_next)
        MESS_print(M_WARN,
                   "RES_decode: Unknown option %s: no resource has that name; it took the next "
                   "argument \"%s\" as its value\n",
                   arg, value);
    else if (value)
        MESS_print(M_WARN,
                   "RES_decode: Unknown option %s: no resource has that name; its value is "
                   "\"%s\"\n",
                   arg, value);
    else
        MESS_print(M_WARN, "RES_decode: Unknown option %s: no resource has that name\n", arg);
}

void read_defaults_file(const char *element) {
    DEF_open(element);
    char name[DEF_NAME_LEN];
    char value[DEF_VALUE_LEN];
    int n = table_size();
    while (DEF_get(name, value) == 1) {
        bool matched = false;
        for (int i = 0; i < n; ++i) {
            const RES_defobj &e = defs[i];
            if (!e.def[0] || !DEF_cmp(e.def, name)) continue;
            RES_new(i, e.def, value, e.cvt);
            MESS_print(M_DEBUG_D, "RESRC: %s=%s\n", name, value);
            matched = true;
        }
        if (!matched && DEF_valid(name)) {
            char last_name[DEF_NAME_LEN];
            DEF_parse_name(name, last_name);
            RES_new(-9999, last_name, value, CV_string);
        }
    }
    DEF_close();
}

// One connected loop window: its queue and our connection number. A link
// whose queue failed is dropped (qid -1).
struct WindowLink {
    int qid;
    int conn;
};

// Awaits the one reply with a non-zero code that ends an exchange; a receive
// error (reported by MQ_get) drops the link.
void await_reply(WindowLink &link) {
    char text[MQ_TEXT_LEN];
    int code;
    while ((code = MQ_get(link.qid, link.conn, text)) == 0) {}
    if (code < 0 && code != -3) link.qid = -1;
}

// Asks the window for every resource of the table, in table order, and
// stores its answers; tells it the values it lacks. Inert entries are left
// out of the exchange.
void exchange_resources(WindowLink &link) {
    const int n = table_size();
    for (int i = 0; i < n; ++i)
        if (defs[i].def[0]) MQ_put(link.qid, link.conn, "query res %s", defs[i].def);
    int sets = 0;
    bool warned = false;
    for (int i = 0; i < n && link.qid != -1; ++i) {
        const RES_defobj &e = defs[i];
        if (!e.def[0]) continue;
        char text[MQ_TEXT_LEN];
        bool answered = false;
        int code;
        while ((code = MQ_get(link.qid, link.conn, text)) == 0) {
            if (!text[0] || text[0] == '!' || text[0] == '\n') continue;
            size_t len = strlen(text);
            if (text[len - 1] == '\n') text[len - 1] = '\0';
            if (strchr(text, '|')) {
                // A name that runs a command comes only from the command
                // line, the environment or a file of one's own.
                MESS_print(M_WARN,
                           "RES_decode: The loop window's value of %s is refused: it could run "
                           "a command: %s\n",
                           e.def, text);
                continue;
            }
            RES_new(i, e.def, text, e.cvt);
            answered = true;
        }
        if (code == -3 && !warned) {
            MESS_print(M_WARN, "ZOZiziz not running!\n");
            warned = true;
        } else if (code < 0 && code != -3) {
            link.qid = -1;
            break;
        }
        const char *value = RES_get(e.def);
        if (!answered && value && MQ_put(link.qid, link.conn, "set res %s %s", e.def, value) >= 0)
            ++sets;
    }
    signal(SIGALRM, SIG_IGN);
    for (int k = 0; k < sets && link.qid != -1; ++k) await_reply(link);
}

// The element "#N": opens and connects the link to window N and exchanges
// the resources. Warns and goes on without the link when there is no queue
// or no connection.
void open_window_link(const char *number, std::vector<WindowLink> &links) {
    int num = 0;
    const char *end = read_int(number, &num);
    const bool valid = end && *end == '\0' && num > INT_MIN && num < INT_MAX;
    errno = 0;
    int qid = valid ? MQ_open(num) : -1;
    if (qid == -1) {
        MESS_print(M_WARN, "ZOZiziz window: %s not running or no message queue exists\n", number);
        return;
    }
    // A queue that exists but cannot be opened (0 with errno set) is a link
    // that cannot be made either.
    int conn = (qid == 0 && errno != 0) ? -1 : MQ_connect(qid);
    if (conn == -1) {
        MESS_print(M_WARN, "ZOZiziz window: %s unable to connect\n", number);
        return;
    }
    WindowLink link{qid, conn};
    exchange_resources(link);
    if (link.qid != -1) links.push_back(link);
}

// Tells every linked window a resource set on the command line.
void tell_windows(std::vector<WindowLink> &links, const char *name, const char *value) {
    for (WindowLink &link : links) {
        if (link.qid == -1) continue;
        if (MQ_put(link.qid, link.conn, "set res %s %s", name, value ? value : "") >= 0)
            await_reply(link);
    }
}

void close_windows(std::vector<WindowLink> &links) {
    for (WindowLink &link : links)
        if (link.qid != -1 && MQ_put(link.qid, link.conn, "quit") >= 0) await_reply(link);
    links.clear();
}

void walk_search_path(std::vector<WindowLink> &links) {
    const char *path = RES_get("default");
    if (!path) path = DEFAULT_PATH;
    int argc = 0;
    char **argv = nullptr;
    DEF_clr_tag();
    if (parse_string(path, ':', &argc, &argv) != 0) {
        read_defaults_file("");
        return;
    }
    for (int i = 0; i < argc; ++i) {
        const char *el = argv[i];
        if (el[0] == '+') {
            DEF_tag(el + 1);
        } else if (el[0] == '#') {
            open_window_link(el + 1, links);
        } else {
            read_defaults_file(el);
        }
    }
    free_parsed_array(argc, argv);
}

void read_environment() {
    int n = table_size();
    for (int i = 0; i < n; ++i) {
        const RES_defobj &e = defs[i];
        if (!e.def[0]) continue;
        char value[4096];
        if (DEF_env(e.def, e.env, value, sizeof value)) RES_new(i, e.def, value, e.cvt);
    }
}

void prescan_command_line(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (!is_option(argv[i], false)) continue;
        char name[OPT_NAME_LEN];
        const char *value;
        bool took_next;
        split_option(argc, argv, i, argv[i] + 1, name, &value, &took_next);
        if (took_next) ++i;
        if (!value) continue;
        if (is_name_prefix(name, false)) {
            RES_new(-9999, "name", value, CV_string);
            DEF_name(value);
        } else if (is_default_name(name, false)) {
            RES_new(-9999, "default", value, CV_string);
        }
    }
}

void read_command_line(int argc, char **argv, std::vector<WindowLink> &links) {
    int positional = 0;
    int n = table_size();
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (strcmp(arg, "--") == 0) continue;
        if (is_option(arg, true)) {
            const char *body = arg + (arg[1] == '-' ? 2 : 1);
            char name[OPT_NAME_LEN];
            const char *value;
            bool took_next;
            split_option(argc, argv, i, body, name, &value, &took_next);
            int k = lookup_option(name);
            if (k == -2) {
                if (took_next) ++i;
                continue;
            }
            if (k >= 0) {
                const RES_defobj &e = defs[k];
                if (took_next && (e.cvt == CV_bool || e.cvt == CV_batch || e.cvt == CV_help)) {
                    // The next argument is an argument of its own.
                    took_next = false;
                    value = nullptr;
                }
                RES_new(k, e.def, value, e.cvt);
                tell_windows(links, e.def, value);
            } else {
                RES_new(-9999, name, value, CV_string);
                warn_unknown_option(arg, name, value, took_next);
            }
            if (took_next) ++i;
            continue;
        }
        ++positional;
        int k = -1;
        for (int j = 0; j < n && k < 0; ++j)
            if (defs[j].pos == positional) k = j;
        for (int j = 0; j < n && k < 0; ++j)
            if (defs[j].pos == REST) k = j;
        if (k < 0) continue;
        const RES_defobj &e = defs[k];
        if (e.pos == REST && positional >= 2)
            RES_append(k, e.def, arg, e.cvt);
        else
            RES_new(k, e.def, arg, e.cvt);
    }
}

void convert_all() {
    int n = table_size();
    for (const res_obj *r = RES_all(); r; r = r->next) {
        if (r->index == -9999 || r->index < 0 || r->index >= n) continue;
        const RES_defobj &e = defs[r->index];
        if (r->cvt == CV_strings && e.out) {
            int count = 0;
            char **list = nullptr;
            parse_string(r->data, '\n', &count, &list);
            if (e.num) *e.num = count;
            *static_cast<char ***>(e.out) = list;
            continue;
        }
        RES_conv_data(r->data, e.out, r->cvt);
    }
}

} // namespace

int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd, int pos,
                 DEF_convert cvt, void *out, int *num) {
    if (!obj) return 1;
    obj->def = def;
    obj->env = env;
    obj->cmd = cmd;
    obj->pos = pos;
    obj->cvt = cvt;
    obj->out = out;
    obj->num = num;
    return 1;
}

int RES_enter(RES_defobj *obj, res_type key) {
    for (const ResRow &row : res_rows) {
        if (row.id == key)
            return RES_fill_obj(obj, row.def, row.env, row.cmd, row.pos, row.cvt, nullptr, nullptr);
    }
    RES_fill_obj(obj, "", "", nullptr, 0, CV_none, nullptr, nullptr);
    printf("%d\n", static_cast<int>(key));
    return 1;
}

int RES_decode(const char *progname, const char *cls, int argc, char **argv, RES_defobj *table) {
    (void)progname;
    (void)cls;
    defs = table ? table : def_table;
    MESS_defer(1); // the selection is known once the values are converted
    RES_setCL(argc, argv);
    DEF_prog();
    const char *vekdefault = getenv("vekdefault");
    if (vekdefault) RES_new(-9999, "default", vekdefault, CV_string);
    prescan_command_line(argc, argv);
    std::vector<WindowLink> links;
    walk_search_path(links);
    read_environment();
    read_command_line(argc, argv, links);
    close_windows(links);
    convert_all();
    MESS_defer(0);
    return 0;
}

int RES_init(int argc, char **argv, const res_type *res_key, const res_type *res_pos) {
    FLAG_reset(-9999);
    int n = 0;
    for (const res_type *list : {res_key, res_pos}) {
        for (; list && *list != RES_null && n < RES_MAX_DEF; ++list)
            RES_enter(&def_table[n++], *list);
    }
    def_table[n] = RES_defobj{};
    RES_decode(argc > 0 ? argv[0] : "", "Vek", argc, argv, def_table);
    const char *tz = getenv("vektz");
    if (tz) DATE_set_TZ(tz);
    return 1;
}

void res_init_reset_state() {
    for (RES_defobj &e : def_table) e = RES_defobj{};
    defs = def_table;
}
