// res_init.h - the program's resources collected at start: the definition
// table of the resources it registers, the defaults files of the search path,
// the loop window, the environment and the command line, in rising
// precedence; the values of some kinds converted at once.
#ifndef RES_INIT_H
#define RES_INIT_H

#include "vek.h"
#include "vekresrc.h"

// The definition table holds at most this many entries plus its terminator.
constexpr int RES_MAX_DEF = 74;

int RES_init(int argc, char **argv, const res_type *res_key, const res_type *res_pos);
int RES_decode(const char *progname, const char *cls, int argc, char **argv, RES_defobj *def_table);
int RES_enter(RES_defobj *obj, res_type key);
int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd, int pos,
                 DEF_convert cvt, void *out, int *num);
// Forgets the definition table.
void res_init_reset_state();

#endif
