// mess.h - levelled messages: every module prints through MESS_print, and
// the selection of message classes decides what is shown, on the terminal,
// in a log stream and in a message file.
#ifndef MESS_H
#define MESS_H

#include "vek.h"

// Prints a printf-style message when its type is selected. Returns 1 when it
// went to the terminal, 0 when not selected or the terminal output is off.
int MESS_print(M_type type, const char *mess, ...) __attribute__((format(printf, 2, 3)));
// Prints a composed text as it stands (never as a format); paging counts the
// newlines of the text.
int MESS_print_str(M_type type, const char *text);
// 1 when the selection mask shares a bit with LEVEL.
int MESS_check(M_type level);
int MESS_check_set();
// Changes the selection. OPER is a base plus a step: the explicit base counts
// as a selection made; the default base changes nothing once one was made.
constexpr int MESS_EXPLICIT = 0, MESS_PROGRAM = 10, MESS_DEFAULT = 20;
constexpr int MESS_OP_SET = 0;     // LEVEL and every more important class
constexpr int MESS_OP_ADD = 1;     // LEVEL's bits added
constexpr int MESS_OP_REMOVE = -1; // LEVEL's bits removed
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
// Batch mode on or off: MESS_hold holds nothing in batch mode. The flag
// module tells when its batch slot changes.
void MESS_set_batch(int on);
// Back to the state of a fresh process (closes any message or log file).
void mess_reset_state();

#endif
