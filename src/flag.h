// flag.h - the process-wide flag slots (numbered settings any module may
// read) and the plot switches.
#ifndef FLAG_H
#define FLAG_H

// The slots this program uses (thirty slots, 0 to 29, in all).
enum FLAG_slot {
    FLAG_DEVICE = 2,     // output device code (RES_set_device)
    FLAG_DOMAIN = 5,     // the last domain decoding: 1 explicit, 2 region name, -1 invalid
    FLAG_PLOT_TYPE = 11, // plot type code
    FLAG_FILE_MODE = 15, // for an existing output: 1 overwrite, 2 append, 3 use it
    FLAG_OUT_TYPE = 17,  // the form of the converted file (its type code)
    FLAG_BATCH = 19,     // batch mode: positive means on
    FLAG_HELP = 20,      // help requested: positive means on
};
constexpr int FLAG_SLOTS = 30;

// What to do with an existing output (FLAG_FILE_MODE, FILE_overwrite).
constexpr int FILE_MODE_OVERWRITE = 1;
constexpr int FILE_MODE_APPEND = 2;
constexpr int FILE_MODE_USE = 3;

// The plot switches: all text positions, the six positions, the parts of a
// plot, and everything.
enum FLAG_plot {
    PLOT_TEXT = 0,
    PLOT_TEXT_UL,
    PLOT_TEXT_UC,
    PLOT_TEXT_UR,
    PLOT_TEXT_LL,
    PLOT_TEXT_LC,
    PLOT_TEXT_LR,
    PLOT_DATA,
    PLOT_MAP,
    PLOT_GRID,
    PLOT_SUMMARY,
    PLOT_BORDER,
    PLOT_ALL,
};

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

#endif
