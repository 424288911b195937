// flag.cpp - the process-wide flag slots and plot switches. The batch slot
// is told to the message layer, which holds nothing in batch mode.
//
// State: thirty 64-bit flag slots (-9999 means not set) and thirteen plot
// switches (counts; non-zero means on).

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "flag.h"
#include "mess.h"

namespace {

constexpr int NUM_FLAGS = FLAG_SLOTS;
constexpr int NUM_PLOT = PLOT_ALL + 1;

int64_t flags[NUM_FLAGS] = {};
int plot_it[NUM_PLOT] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
bool flags_ready = false;

void ready_flags() {
    if (!flags_ready) FLAG_resetl(VEK_MISS);
}

} // namespace

int FLAG_get(int flag) {
    ready_flags();
    if (flag < 0 || flag >= NUM_FLAGS) return 0;
    return static_cast<int>(flags[flag]);
}

long FLAG_getl(int flag) {
    ready_flags();
    if (flag < 0 || flag >= NUM_FLAGS) return 0;
    return static_cast<long>(flags[flag]);
}

int FLAG_set(int flag, int value) {
    return FLAG_setl(flag, value);
}

int FLAG_setl(int flag, long value) {
    ready_flags();
    if (flag < 0 || flag >= NUM_FLAGS) return -1;
    flags[flag] = value;
    if (flag == FLAG_BATCH) MESS_set_batch(value > 0);
    return 0;
}

int FLAG_reset(int value) {
    return FLAG_resetl(value);
}

int FLAG_resetl(long value) {
    for (int64_t &f : flags) f = value;
    flags_ready = true;
    MESS_set_batch(value > 0);
    return 0;
}

int FLAG_batch() {
    return FLAG_getl(FLAG_BATCH) > 0;
}

int FLAG_set_batch(int val) {
    return FLAG_set(FLAG_BATCH, val);
}

int FLAG_help() {
    return FLAG_getl(FLAG_HELP) > 0;
}

int FLAG_setplot(int type, int val) {
    if (type < 0 || type >= NUM_PLOT) return 0;
    plot_it[type] = val;
    if (type == PLOT_ALL)
        for (int i = PLOT_TEXT; i < PLOT_ALL; ++i) plot_it[i] = val;
    if (type == PLOT_TEXT)
        for (int i = PLOT_TEXT; i <= PLOT_TEXT_LR; ++i) plot_it[i] = val;
    int text = 0;
    for (int i = PLOT_TEXT_UL; i <= PLOT_TEXT_LR; ++i) text += plot_it[i];
    plot_it[PLOT_TEXT] = text;
    int all = 0;
    for (int i = PLOT_TEXT; i < PLOT_ALL; ++i) all += plot_it[i];
    plot_it[PLOT_ALL] = all;
    return 0;
}

int FLAG_getplot(int type) {
    if (type < 0 || type >= NUM_PLOT) return 0;
    return plot_it[type];
}

int FLAG_resetplot(int val) {
    for (int &p : plot_it) p = val;
    return 0;
}

void flag_reset_state() {
    flags_ready = false;
    ready_flags();
    FLAG_resetplot(1);
}
