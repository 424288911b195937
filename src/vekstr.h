// vekstr.h - the string and line utilities of the package library: splitting
// a string into fields, case-insensitive comparison, in-place cleaning of
// lines, bounded copies, and reading text files line by line with a fixed
// maximum width. Self-contained: nothing here depends on the run-time.
#ifndef VEKSTR_H
#define VEKSTR_H

#include <cstddef>
#include <cstdio>

int parse_string(const char *string, char delim, int *argc, char ***argv);
int free_parsed_array(int argc, char **argv);
int stricmp(const char *s1, const char *s2);
int strnicmp(const char *s1, const char *s2, int n);
int low_string(char *string);
int fill_string(char *string, char tar, char fill);
int trim_string(char *string);
int wstrim_string(char *string);
int clean_line(unsigned char *line);
inline int clean_line(char *line) {
    return clean_line(reinterpret_cast<unsigned char *>(line));
}
// Line readers: the next line without its newline, at most 160 (fgetline) or
// LEN characters; a longer line comes in pieces. STRING needs one byte more.
int fgetline(FILE *ifile, char *string);
int fgetnline(FILE *ifile, char *string, int len);
int fgetstring(FILE *ifile, char *string, int len);
// Reads lines as fgetnline does and passes over those for which ACCEPT is
// false; the first accepted line goes to STRING (LEN + 1 bytes) and its
// length is returned, -1 at the end. ACCEPT sees the LENGTH characters of a
// line (not terminated; it must read no further) and ARG. Lines passed over
// are not copied where the stream's buffer holds them whole.
using line_test = bool (*)(const char *text, int length, void *arg);
int fgetnline_until(FILE *ifile, char *string, int len, line_test accept, void *arg);

// Bounded copy: at most CAP-1 bytes and always a terminator (CAP >= 1).
size_t vek_strlcpy(char *dst, const char *src, size_t cap);
template <size_t N>
size_t vek_copy(char (&dst)[N], const char *src) {
    return vek_strlcpy(dst, src, N);
}

#endif
