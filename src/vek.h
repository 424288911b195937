// vek.h - the shared records of the package library and the interfaces of its
// run-time modules: messages, resources and flags, defaults files, prompts,
// file names and dates, map transforms and domains. The self-contained
// libraries have headers of their own, which this one includes: the string
// and line utilities (vekstr.h), the hash table (table.h) and the pattern
// scanner (scanp.h).
//
// Records are plain structures with fixed capacities. Every function that
// writes text into a caller's buffer says how much room it needs; none of
// them writes more. Missing values are -9999 (ints) and -9999.0 (floats).
#ifndef VEK_H
#define VEK_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "scanp.h"
#include "table.h"
#include "vekresrc.h"
#include "vekstr.h"

constexpr int VEK_MISS = -9999;
constexpr float VEK_FMISS = -9999.0f;

// ---------------------------------------------------------------------------
// Shared records
// ---------------------------------------------------------------------------

// One UTC calendar date and time; -9999 in a field means not given.
struct Date {
    int year;
    int month;
    int day;
    int jday;
    int wday;
    int hour;
    int min;
    int sec;
};

// A map projection with a grid laid over it.
struct Domain {
    int proj;
    float plat;
    float plon;
    float param[5];
    float clat;
    float clon;
    float dx;
    float dy;
    int nx;
    int ny;
    int ellipse;
};

// The map-coordinate rectangle of the current grid.
struct MAP_limits {
    float x_min;
    float x_max;
    float y_min;
    float y_max;
};

// ---------------------------------------------------------------------------
// Messages (mess)
// ---------------------------------------------------------------------------

// A 32-bit message type and selection mask: eight 4-bit groups, the
// sublevels a to d within each group.
using M_type = uint32_t;

constexpr M_type M_PRINT = 0x0000000F;
constexpr M_type M_ERROR = 0x00000030;
constexpr M_type M_WARN = 0x000000C0;
constexpr M_type M_MESS = 0x00000F00;
constexpr M_type M_OUT1 = 0x0000F000;
constexpr M_type M_OUT2 = 0x000F0000;
constexpr M_type M_OUT3 = 0x00F00000;
constexpr M_type M_OUT4 = 0x0F000000;
constexpr M_type M_DEBUG = 0xF0000000;

// Prints a printf-style message when its type is selected. Returns 1 when it
// went to the terminal, 0 when not selected or the terminal output is off.
int MESS_print(M_type type, const char *mess, ...) __attribute__((format(printf, 2, 3)));
// Prints a composed text as it stands (never as a format); paging counts the
// newlines of the text.
int MESS_print_str(M_type type, const char *text);
// 1 when the selection mask shares a bit with LEVEL.
int MESS_check(M_type level);
int MESS_check_set();
int MESS_set(int oper, M_type level);
int MESS_set_str(const char *str);
int MESS_hold(M_type type, const char *mess);
int MESS_print_prog(const char *string);
M_type MESS_get();
int MESS_get_max_lines();
int MESS_set_page(int val);
int MESS_set_out(int val);
int MESS_file(const char *name, const char *access);
int MESS_file_close();
// With ON set, messages are held instead of shown (the selection is not known
// yet while the resources are decoded); with ON clear, the held ones are
// shown, each if the selection now takes it, and holding ends.
void MESS_defer(int on);
// A warning shown at most once in the process: the same text again is
// dropped (a run that converts many files meets the same setting in each).
int MESS_warn_once(const char *mess, ...) __attribute__((format(printf, 1, 2)));
// Back to the state of a fresh process (closes any message or log file).
void mess_reset_state();

// ---------------------------------------------------------------------------
// Resources (resrc), conversion and flags (flag)
// ---------------------------------------------------------------------------

enum DEF_convert {
    CV_none = 0,
    CV_bool = 1,
    CV_int = 2,
    CV_short = 3,
    CV_long = 4,
    CV_float = 5,
    CV_string = 6,
    CV_strcpy = 7,
    CV_path = 8,
    CV_mess = 9,
    CV_draw = 10,
    CV_current = 11,
    CV_hour = 12,
    CV_region = 13,
    CV_name = 14,
    CV_ingestor = 15,
    CV_file_param = 16,
    CV_device = 17,
    CV_plot_type = 18,
    CV_color = 19,
    CV_domain = 20,
    CV_strings = 21,
    CV_batch = 22,
    CV_help = 23,
};

// One entry of the definition table. The command-line form is either an
// abbreviation (cmd) or a positional number (pos: 1 to 9 for the n-th bare
// argument, 10 for every bare argument not taken by a numbered entry); an
// entry has one of the two. An empty def makes the entry inert, a null def
// ends the table.
struct RES_defobj {
    const char *def;
    const char *env;
    const char *cmd;
    int pos;
    DEF_convert cvt;
    void *out;
    int *num;
};

// One stored resource; the store keeps them in order of first creation.
struct res_obj {
    int index;
    char *name;
    char *data;
    DEF_convert cvt;
    res_obj *next;
};

// The definition table holds at most this many entries plus its terminator.
constexpr int RES_MAX_DEF = 74;

int RES_init(int argc, char **argv, const res_type *res_key, const res_type *res_pos);
int RES_decode(const char *progname, const char *cls, int argc, char **argv, RES_defobj *def_table);
int RES_enter(RES_defobj *obj, res_type key);
int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd, int pos,
                 DEF_convert cvt, void *out, int *num);
int RES_new(int index, const char *name, const char *data, DEF_convert cvt);
int RES_append(int index, const char *name, const char *data, DEF_convert cvt);
int RES_put(const char *name, const char *value);
// The value; "" for a resource present without value; null when absent.
const char *RES_get(const char *name);
int RES_getval(const char *name, void *data, DEF_convert cvt);
// Splits the value into a new array (free with free_parsed_array); returns the count.
int RES_getvals(const char *name, int *paramc, char ***paramv);
int RES_list();
int RES_setCL(int argc, char **argv);
const char *RES_get_prog();
// The part of argv[0] after its last "/", copied into PROG (CAP bytes, cut to
// fit), or into new memory when PROG is null.
char *RES_get_progname(char *prog, size_t cap);
// Forgets every resource, the definition table and the command line.
void resrc_reset_state();

int RES_conv_data(const char *data, void *out, DEF_convert cvt);
int RES_set_device(const char *str);
int FLAG_get(int flag);
long FLAG_getl(int flag);
int FLAG_set(int flag, int value);
int FLAG_setl(int flag, long value);
int FLAG_reset(int value);
int FLAG_resetl(long value);
int FLAG_batch();
int FLAG_set_batch(int val);
int FLAG_help();
int FLAG_setplot(int type, int val);
int FLAG_getplot(int type);
int FLAG_resetplot(int val);
// Flag slots back to -9999, plot switches back to 1.
void flag_reset_state();

// Help output (tools)
int RES_help_print(const char *name, const res_type *res_key, const res_type *res_pos);
int RES_help_item(res_type res);

// ---------------------------------------------------------------------------
// Defaults files (def_read)
// ---------------------------------------------------------------------------

constexpr int DEF_NAME_LEN = 50;   // room for a resource name read from a file
constexpr int DEF_VALUE_LEN = 200; // room for its value

int DEF_open(const char *filename);
int DEF_close();
// RESRC needs DEF_NAME_LEN bytes, VALUE DEF_VALUE_LEN bytes.
int DEF_get(char *resrc, char *value);
int DEF_cmp(const char *resrc, const char *string);
int DEF_valid(const char *string);
// OSTR needs DEF_NAME_LEN bytes.
int DEF_parse_name(const char *str, char *ostr);
// Copies the first set variable into VALUE (CAP bytes, cut to fit).
int DEF_env(const char *resrc, const char *env, char *value, size_t cap);
int DEF_prog();
int DEF_name(const char *name);
int DEF_title(const char *title);
int DEF_tag(const char *str);
int DEF_clr_tag();
void def_reset_state();

// ---------------------------------------------------------------------------
// Prompts and process utilities (system)
// ---------------------------------------------------------------------------

char *VEK_prompts(const char *prompt, char *str, int length);
// What the answer line of the last prompt was: an answer (perhaps empty),
// the end of standard input met before any answer, or a line longer than an
// answer (79 characters; what the prompt returned is its start).
constexpr int VEK_PROMPT_ANSWER = 0;
constexpr int VEK_PROMPT_END = 1;
constexpr int VEK_PROMPT_LONG = 2;
int VEK_prompt_status();
float VEK_promptf(const char *prompt);
int VEK_set_command(const char *string);
// Ends the process with STATUS through the exit hook.
[[noreturn]] void VEK_exit(int status);
int VEK_sleep(float secs);
float VEK_elapse();
const char *VEK_version();

// The exit hook ends the process; a test or fuzz target may install one that
// unwinds instead (it must not return). Null restores the default (exit).
using VEK_exit_hook = void (*)(int status);
VEK_exit_hook VEK_set_exit_hook(VEK_exit_hook hook);
// The time slept and the last prompt's status back to the start (the exit
// hook stays).
void system_reset_state();

// ---------------------------------------------------------------------------
// Loop-window link (mqueue)
// ---------------------------------------------------------------------------

constexpr int MQ_TEXT_LEN = 119; // room for a message text (118 characters)

// The queue id of window NUM; -1 when no such queue exists (errno ENOENT),
// 0 with errno set for any other failure.
int MQ_open(int num);
// A connection number from 3 to 21, or -1.
int MQ_connect(int msgqid);
// Sends the formatted text on channel 1 with code CONN_ID; the msgsnd result,
// -1 (and a warning) for a text longer than 118 characters.
int MQ_put(int msgqid, int conn_id, const char *format, ...) __attribute__((format(printf, 3, 4)));
// Waits for the next message of channel CONN_ID; its code, its text in ITEM
// (MQ_TEXT_LEN bytes). A receive error gives -errno and an empty ITEM.
int MQ_get(int msgqid, int conn_id, char *item);
int MQ_clear(int msgqid, int index);
int MQ_enable_alarm();
int MQ_disable_alarm();
// The alarm handler: "Queue not responding!!" and status 7.
[[noreturn]] void MQ_intrp(int sig);
// Sets the time-out of every wait (at least 1 s); returns the previous one.
int MQ_set_timeout(int secs);
// Alarm off, the alarm handler of before the link back, time-out 20 s.
void mqueue_reset_state();

// ---------------------------------------------------------------------------
// File names and file system helpers (files)
// ---------------------------------------------------------------------------

// Room for a file name: as long as the system takes (PATH_MAX, 4096 bytes
// with the terminator). A longer name is refused, never cut.
constexpr int FILE_NAME_LEN = 4096;

FILE *FILE_open(const char *file, const char *access);
// Closes a stream from FILE_open (pclose for commands; standard streams stay open).
int FILE_close(FILE *stream);
int FILE_exist(const char *file);
int FILE_is_dir(const char *file);
// 1 for an existing entry that is neither a regular file nor a directory (a
// device, a FIFO, a socket), else 0.
int FILE_is_special(const char *file);
long FILE_size(const char *file);
// -1 (errno ENAMETOOLONG) when a directory to create does not fit a file name.
int FILE_make_dir(char *dir, int flag);
// FILENAME needs FILE_NAME_LEN bytes. Null (errno ENAMETOOLONG) when the
// joined name does not fit it.
char *FILE_add_path(const char *path, const char *file, char *filename);
// PATH needs room for one more character.
int FILE_add_path_delim(char *path);
// FILENAME needs FILE_NAME_LEN bytes. -1 (errno ENAMETOOLONG) when the user
// name (19 characters) or the expanded name does not fit.
int FILE_add_user_path(const char *file, char *filename);
int FILE_overwrite(const char *filename, int flag);
// Whether a configuration file opened as F under NAME may be followed: it
// belongs to the user running the program or to root, and neither its group
// nor others may write it. Standard streams and commands are named by the
// user (command line or environment) and pass. Otherwise warns, as WHO, that
// the file is skipped and why (once per text), and returns 0.
int FILE_own_config(FILE *f, const char *name, const char *who);
int FILE_fullpath(const char *filename);
int FILE_is_stdio(const char *file);

// An output written whole or not at all (file_output.cpp). FILE_stage_output
// prepares writing NAME and puts the name to open for writing in STAGE (CAP
// bytes): a temporary beside NAME (result 1; missing directories are made),
// or NAME itself for standard output, a command and an existing device or
// FIFO (result 0). -1 with errno when it cannot: a directory (EISDIR), a
// name or temporary that does not fit (ENAMETOOLONG), or what creating the
// temporary met. Until the output is committed or discarded, SIGINT,
// SIGTERM and SIGHUP remove the temporary and end the process with 128 +
// the signal number, and so does the end of the process remove it.
int FILE_stage_output(const char *name, char *stage, size_t cap);
// Gives the finished temporary its name (and the mode of the file it
// replaces). 0, also when nothing is staged; -1 with errno when the rename
// failed (the temporary is kept for FILE_discard_output).
int FILE_commit_output();
// Removes the staged temporary, if any; errno is kept.
void FILE_discard_output();

int FILE_set_name(char *type);
int FILE_set_key(char key, const char *str);
int FILE_set_file(const char *file, char *out_file);
int FILE_extract_extra_info(char *file);
int FILE_set_date(Date *datim, char *out_file);
int FILE_set_current(const char *cur, char *filename);
int FILE_list_file();
int FILE_get_file(const char *prompt, char *outfile);
// Reads NAME, as the user gave it, as the input file: its name goes to the
// file name state and to OUTFILE (FILE_NAME_LEN bytes) when not null.
// Returns 1 when the file exists, 0 when not, -1 when the name was refused
// (reported; it does not fit a file name).
int FILE_get_named(const char *name, char *outfile);
int FILE_get_date(Date *date);
int FILE_set_time(const Date *datim);
int FILE_get_time(Date *datim);
void files_reset_state();

// ---------------------------------------------------------------------------
// Dates (date)
// ---------------------------------------------------------------------------

constexpr int DATE_LABEL_LEN = 40; // room for a date label

const char *DATE_month_lower(int month);
int DATE_print(M_type level, const Date *date);
int DATE_set_TZ(const char *str);
// STR needs DATE_LABEL_LEN bytes.
int DATE_get_current_str(char *str);
int DATE_is_leap(int year);
long DATE_num_sec(Date *date);
long DATE_get_time(long *secs);
int DATE_get_gmdate(const long *secs, Date *date);
int DATE_julian_monday(int year, int julian, int *month, int *day);
int DATE_monday_julian(int year, int month, int day, int *julian);
int DATE_decode_month(const char *str);
// STR needs DATE_LABEL_LEN bytes.
int DATE_make_label(Date *date, char *str);
// STR needs DATE_LABEL_LEN bytes (twelve digits for years 0 to 9999).
int DATE_make_seq(Date *date, char *str);
int DATE_set_datim(const Date *date);
int DATE_set_range(int pre, int post);
int DATE_chk_range(int date);
// The first and last moment of the decoding window that DATE_set_datim set,
// in seconds as DATE_num_sec gives them.
int DATE_get_window(long *first, long *last);
void date_reset_state();

// ---------------------------------------------------------------------------
// Domains (region) and map transforms (maptran, calc)
// ---------------------------------------------------------------------------

// One entry of the region menu: abbreviation, name (blanks for "_"), its
// position and display switches (disp[0] is the file's menu flag).
struct MENU_item {
    char *name;
    char *abbr;
    int index;
    int disp[10];
};

// Field codes of the templates of DOM_set_params; DOM_END ends a template.
enum DOM_field {
    DOM_END = 0,
    DOM_PROJ,
    DOM_PLON,
    DOM_CLAT,
    DOM_CLON,
    DOM_NX,
    DOM_NY,
    DOM_DX,
    DOM_DY,
    DOM_STAT,
    DOM_REG,
};

constexpr int DOM_STR_LEN = 501; // room for a domain string read from a region file
constexpr int DOM_MENU_LEN = 23; // entries of the region menu (1 to 19 used)

int DOM_init(Domain *domain);
// 1 explicit domain, 2 region name, -1 invalid, -9999 null, empty or "miss".
int DOM_decode(const char *str, Domain *domain);
// Reads the fields against one template of up to eight field codes; 0 when
// the string fits it, -1 otherwise.
int DOM_set_params(int paramc, char **paramv, Domain *domain, int i1, int i2, int i3, int i4,
                   int i5, int i6, int i7, int i8);
int DOM_proj_str(const char *proj);
int DOM_get_def_region(const char *region, Domain *domain);
// DOMSTR needs DOM_STR_LEN bytes.
int DOM_search_file(const char *file, const char *str, char *domstr);
int DOM_read_menu(const char *file);
int DOM_set_base_prior(float size);
// The station priority derived from the last domain size.
int DOM_get_base_prior();
// The region menu (entry 0 unused) and, in *NUM_REGS, its next free position.
MENU_item *DOM_get_menu(int *num_regs);
// Priority 3, an empty menu.
void region_reset_state();

int MAP_domain(const Domain *domain);
int MAP_proj(int proj);
int MAP_coord(float plat, float plon);
int MAP_tran(float lat, float lon, float *x, float *y);
int MAP_untran(float x, float y, float *lat, float *lon);
int MAP_tran_center(float *x, float *y);
int MAP_set_limits();
int MAP_grid_tran(float gx, float gy, float *x, float *y);
int MAP_grid_untran(float x, float y, float *gx, float *gy);
int MAP_in_grid_domain(float x, float y);
float pot_temp(float t, float p);
// Copies the map rectangle of the current grid into LIMITS.
void MAP_get_limits(MAP_limits *limits);
// Sets the plotting viewport of the diagram projections (null: none).
void MAP_set_view(const MAP_limits *view);
void maptran_reset_state();

float calc_earth_dist(float lat1, float lon1, float lat2, float lon2);

// WMO numbers and identifiers (tools). ID needs 7 bytes.
int wmo_to_id(char *id, int wmo);
int id_to_wmo(const char *id, int *wmo);

#endif
