// resrc.h - the resource store: named resources whose values are text, kept
// in the order of their first creation, and the command line the program
// was given. Every module reads its settings here by name.
#ifndef RESRC_H
#define RESRC_H

#include <cstddef>

#include "vek.h"

int RES_new(int index, const char *name, const char *data, DEF_convert cvt);
int RES_append(int index, const char *name, const char *data, DEF_convert cvt);
int RES_put(const char *name, const char *value);
// The value; "" for a resource present without value; null when absent.
const char *RES_get(const char *name);
// Splits the value into a new array (free with free_parsed_array); returns the count.
int RES_getvals(const char *name, int *paramc, char ***paramv);
int RES_list();
int RES_setCL(int argc, char **argv);
const char *RES_get_prog();
// The part of argv[0] after its last "/", copied into PROG (CAP bytes, cut to
// fit), or into new memory when PROG is null.
char *RES_get_progname(char *prog, size_t cap);
// The stored resources in the order of their first creation (walk them by
// next); null when there is none.
const res_obj *RES_all();
// Forgets every resource and the command line.
void resrc_reset_state();

#endif
