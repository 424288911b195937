// string.cpp - small text functions shared by every module: splitting a
// string into fields, case-insensitive comparison, in-place cleaning of lines,
// and reading text files line by line with a fixed maximum width.
//
// Keeps no state. Only parse_string allocates.

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "vekstr.h"

size_t vek_strlcpy(char *dst, const char *src, size_t cap) {
    if (!dst || cap == 0) return 0;
    size_t n = 0;
    if (src) {
        while (n + 1 < cap && src[n]) {
            dst[n] = src[n];
            ++n;
        }
    }
    dst[n] = '\0';
    return n;
}

// Splits a copy of STRING at DELIM. The array and the copy are one block:
// the pointers first, the text after them, so free_parsed_array frees both.
int parse_string(const char *string, char delim, int *argc, char ***argv) {
    if (argc) *argc = 0;
    if (argv) *argv = nullptr;
    if (!string || !*string || !argc || !argv) return -1;

    size_t len = strlen(string);
    // Trailing delimiters are dropped, but a string made only of delimiters
    // still gives one empty field.
    while (len > 0 && string[len - 1] == delim) --len;

    size_t count = 1;
    for (size_t i = 0; i < len; ++i)
        if (string[i] == delim) ++count;

    size_t head = count * sizeof(char *);
    char *block = static_cast<char *>(malloc(head + len + 1));
    if (!block) return -1;
    char **fields = reinterpret_cast<char **>(block);
    char *text = block + head;
    memcpy(text, string, len);
    text[len] = '\0';

    size_t k = 0;
    fields[k++] = text;
    for (size_t i = 0; i < len; ++i) {
        if (text[i] == delim) {
            text[i] = '\0';
            fields[k++] = text + i + 1;
        }
    }
    *argc = static_cast<int>(count);
    *argv = fields;
    return 0;
}

int free_parsed_array(int argc, char **argv) {
    if (argc == 0 || !argv) return 0;
    free(argv);
    return 0;
}

int stricmp(const char *s1, const char *s2) {
    if (!s1 || !s2) return 1;
    for (;; ++s1, ++s2) {
        int c1 = tolower(static_cast<unsigned char>(*s1));
        int c2 = tolower(static_cast<unsigned char>(*s2));
        if (c1 != c2) return c1 - c2;
        if (c1 == 0) return 0;
    }
}

int strnicmp(const char *s1, const char *s2, int n) {
    if (!s1 || !s2) return 1;
    for (int i = 0; i < n; ++i) {
        int c1 = tolower(static_cast<unsigned char>(s1[i]));
        int c2 = tolower(static_cast<unsigned char>(s2[i]));
        if (c1 != c2) return c1 - c2;
        if (c1 == 0) return 0;
    }
    return 0;
}

int low_string(char *string) {
    if (!string || !*string) return 0;
    for (char *p = string; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    return 1;
}

int fill_string(char *string, char tar, char fill) {
    if (!string) return 0;
    for (char *p = string; *p; ++p)
        if (*p == tar) *p = fill;
    return 0;
}

int trim_string(char *string) {
    if (!string) return 0;
    size_t n = strlen(string);
    while (n > 0 && string[n - 1] == ' ') string[--n] = '\0';
    return 0;
}

int wstrim_string(char *string) {
    if (!string) return 1;
    char *out = string;
    for (const char *p = string; *p; ++p)
        if (*p != '\r' && *p != '\n') *out++ = *p;
    *out = '\0';
    return 1;
}

int clean_line(unsigned char *line) {
    if (!line || !*line) return 0;
    size_t n = strlen(reinterpret_cast<char *>(line));
    while (n > 0 && line[n - 1] < 32) line[--n] = '\0';
    // Branch-free, so the loop vectorises: most lines need no change.
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = line[i];
        line[i] = static_cast<unsigned char>(static_cast<unsigned char>(c - 32) > 95 ? ' ' : c);
    }
    return 1;
}

namespace {

// Takes one character of the current line at a time into STRING from N on,
// up to WIDTH in all, leaving the newline that ends the line in the stream.
// With ALL false it stops after one character. Returns the new count.
int copy_chars(FILE *ifile, char *string, int n, int width, bool all) {
    while (n < width) {
        int c = getc_unlocked(ifile);
        if (c == EOF) return n;
        if (c == '\n') {
            ungetc(c, ifile);
            return n;
        }
        string[n++] = static_cast<char>(c);
        if (!all) return n;
    }
    return n;
}

// Copies the rest of the current line into STRING from N on, up to WIDTH in
// all, leaving the newline that ends the line in the stream. With glibc the
// stream's own read buffer is searched with memchr and copied in blocks;
// elsewhere one character is taken at a time. Returns the new count.
int copy_rest_of_line(FILE *ifile, char *string, int n, int width) {
#ifdef __GLIBC__
    while (n < width) {
        char *p = ifile->_IO_read_ptr;
        char *end = ifile->_IO_read_end;
        if (p >= end) {
            // The buffer is used up: let the stream refill it.
            int before = n;
            n = copy_chars(ifile, string, n, width, false);
            if (n == before) return n;
            continue;
        }
        size_t avail = static_cast<size_t>(end - p);
        size_t want = static_cast<size_t>(width - n);
        if (avail > want) avail = want;
        const char *nl = static_cast<const char *>(memchr(p, '\n', avail));
        size_t take = nl ? static_cast<size_t>(nl - p) : avail;
        memcpy(string + n, p, take);
        n += static_cast<int>(take);
        ifile->_IO_read_ptr = p + take;
        if (nl) return n;
    }
    return n;
#else
    return copy_chars(ifile, string, n, width, true);
#endif
}

// The one method of the line readers: read up to WIDTH characters up to, not
// including, the next newline, which stays in the stream. When that reads
// nothing because the stream stands at a newline, the newline is consumed and
// the read is tried once more. Returns the count read, or -1 at the end.
int read_piece(FILE *ifile, char *string, int width) {
    if (!string) return -1;
    string[0] = '\0';
    if (!ifile) return -1;
    if (width < 1) width = 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int c = getc_unlocked(ifile);
        if (c == EOF) return -1;
        if (c == '\n') {
            if (attempt == 0) continue;
            ungetc(c, ifile);
            return 0;
        }
        string[0] = static_cast<char>(c);
        int n = copy_rest_of_line(ifile, string, 1, width);
        string[n] = '\0';
        return n;
    }
    return 0;
}

} // namespace

int fgetnline_until(FILE *ifile, char *string, int len, line_test accept, void *arg) {
    if (!string) return -1;
    string[0] = '\0';
    if (!ifile || !accept) return -1;
    if (len < 1) len = 1;
    for (;;) {
#ifdef __GLIBC__
        // A line that the stream's buffer holds whole is tested where it
        // stands and, when passed over, never copied.
        char *p = ifile->_IO_read_ptr;
        char *end = ifile->_IO_read_end;
        if (p < end && *p == '\n') ++p; // the newline a previous read left
        if (p < end) {
            size_t avail = static_cast<size_t>(end - p);
            size_t want = static_cast<size_t>(len);
            const char *nl =
                static_cast<const char *>(memchr(p, '\n', avail < want ? avail : want));
            if (nl || avail >= want) {
                int n = static_cast<int>(nl ? nl - p : static_cast<long>(want));
                if (accept(p, n, arg)) {
                    memcpy(string, p, static_cast<size_t>(n));
                    string[n] = '\0';
                    ifile->_IO_read_ptr = p + n;
                    return n;
                }
                ifile->_IO_read_ptr = p + n;
                continue;
            }
        }
#endif
        int n = read_piece(ifile, string, len);
        if (n < 0) return -1;
        if (accept(string, n, arg)) return n;
    }
}

int fgetline(FILE *ifile, char *string) {
    return read_piece(ifile, string, 160);
}

int fgetnline(FILE *ifile, char *string, int len) {
    return read_piece(ifile, string, len);
}

int fgetstring(FILE *ifile, char *string, int len) {
    int n = read_piece(ifile, string, len);
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}
