// def_read.h - defaults files: resource lines with name patterns, tags and
// conditional blocks, and the program-qualified names of resources.
#ifndef DEF_READ_H
#define DEF_READ_H

#include <cstddef>

#include "vek.h"

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

#endif
