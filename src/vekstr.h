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
// A test of one line or piece: the LENGTH characters at TEXT (not
// terminated; it must read no further) and ARG.
using line_test = bool (*)(const char *text, int length, void *arg);

// Block input: the bulletin readers read their input through one buffer
// filled by large reads. finput_piece gives the same pieces as fgetnline
// (widths up to FINPUT_MAX_WIDTH). finput_until reads pieces as finput_piece
// does and passes over those ACCEPT refuses; the first accepted goes to
// STRING (WIDTH + 1 bytes) and its length is returned, -1 at the end. With a
// HINT, only pieces that hold a position the hint names are tested: HINT
// returns the first position in [FROM, TO) that may lie in an accepted piece
// (TO when there is none), and may read the bytes in [LO, HI) around it.
// Every piece ACCEPT could take must hold such a position.
//
// One stream at a time is read this way, and all its reading must go through
// these functions: the buffer holds bytes taken from the stream. Another
// stream starts afresh. A stream read to its end is let go of; one closed
// before its end must be closed with FILE_close (which calls finput_forget)
// or dropped with finput_forget, so that a new stream at its address never
// sees its bytes.
constexpr int FINPUT_MAX_WIDTH = 8192;
using piece_hint = const char *(*)(const char *from, const char *to, const char *lo, const char *hi,
                                   void *arg);
int finput_piece(FILE *ifile, char *string, int width);
int finput_until(FILE *ifile, char *string, int width, line_test accept, void *arg, piece_hint hint,
                 void *hint_arg);
void finput_forget(FILE *ifile);
// A class of bytes for find_byte_run: a byte belongs when, with FOLD or-ed
// into it (0x20 to compare letters ignoring case), it lies in LO..HI.
struct byte_range {
    unsigned char lo, hi, fold;
};
// The first position P in [P, TO) where the N bytes from P on (1 to 4)
// belong to the N classes in turn; bytes up to HI may be read. TO when there
// is none.
const char *find_byte_run(const char *p, const char *to, const char *hi, const byte_range *cls,
                          int n);
// Test seam: the bytes asked for by one read (0: the default of 1 MB), and
// whether finput_until uses its hint (false: every piece is tested).
void finput_set_block(size_t bytes, bool use_pairs);

// Bounded copy: at most CAP-1 bytes and always a terminator (CAP >= 1).
size_t vek_strlcpy(char *dst, const char *src, size_t cap);
template <size_t N>
size_t vek_copy(char (&dst)[N], const char *src) {
    return vek_strlcpy(dst, src, N);
}

#endif
