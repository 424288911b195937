// string.cpp - small text functions shared by every module: splitting a
// string into fields, case-insensitive comparison, in-place cleaning of lines,
// reading text files line by line with a fixed maximum width, and the block
// input through which the bulletin readers take their input.
//
// State: the block input's buffer and the stream it holds bytes of. Only
// parse_string allocates.

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#if defined(__SSE2__)
#define FIN_VECTOR 1
#include <emmintrin.h>
#endif

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

// The package's null-safe names for the C library's compares without case.
int stricmp(const char *s1, const char *s2) {
    return s1 && s2 ? strcasecmp(s1, s2) : 1;
}

int strnicmp(const char *s1, const char *s2, int n) {
    if (!s1 || !s2) return 1;
    return n > 0 ? strncasecmp(s1, s2, static_cast<size_t>(n)) : 0;
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

// The one method of the line readers: read up to WIDTH characters up to, not
// including, the next newline, which stays in the stream. When that reads
// nothing because the stream stands at a newline, the newline is consumed and
// the read is tried once more. Returns the count read, or -1 at the end.
int read_piece(FILE *ifile, char *string, int width) {
    if (!string) return -1;
    string[0] = '\0';
    if (!ifile) return -1;
    if (width < 1) width = 1;
    int c = getc_unlocked(ifile);
    if (c == '\n') {
        c = getc_unlocked(ifile);
        if (c == '\n') {
            ungetc(c, ifile);
            return 0;
        }
    }
    if (c == EOF) return -1;
    int n = 0;
    string[n++] = static_cast<char>(c);
    while (n < width) {
        c = getc_unlocked(ifile);
        if (c == EOF) break;
        if (c == '\n') {
            ungetc(c, ifile);
            break;
        }
        string[n++] = static_cast<char>(c);
    }
    string[n] = '\0';
    return n;
}

} // namespace

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

// ---------------------------------------------------------------------------
// Block input
//
// The bulletin readers take their input through one buffer of this module,
// filled by large reads, and look at the bytes where they stand: lines are
// found with memchr, and a reader that searches for the heads of reports
// names a pair of bytes that every head holds, which is found sixteen or
// thirty-two bytes at a time. Only the pieces around such pairs are tested.
//
// The pieces are those that fgetnline gives: a line without its newline, cut
// into pieces of the width; the newline after a piece is consumed by the next
// read, and when the next byte is a newline too that read gives an empty
// piece. `pos` stands where the stream would stand after the last piece: on
// the newline that ended it, inside a line after a piece of full width, or at
// the start.
// ---------------------------------------------------------------------------

namespace {

constexpr size_t FIN_BLOCK = size_t{1} << 20; // bytes asked for by one read

struct BlockInput {
    FILE *stream; // the stream read; null before the first read
    size_t pos;   // the unread bytes are buf[pos, end)
    size_t end;
    bool at_end;    // the stream has given all it has (end of input or an error)
    size_t block;   // bytes asked for by one read
    bool use_pairs; // whether pieces without the searched pair are passed over untested
};
char fin_buf[FIN_BLOCK + FINPUT_MAX_WIDTH + 64];
BlockInput fin = {nullptr, 0, 0, false, FIN_BLOCK, true};

// Makes F the stream of the block input; the same stream keeps its buffered
// bytes.
void fin_attach(FILE *f) {
    if (fin.stream == f) return;
    fin.stream = f;
    fin.pos = fin.end = 0;
    fin.at_end = false;
}

// Reads until at least WANT bytes are unread or the stream ends. The unread
// bytes move to the front of the buffer first. WANT is at most the width of a
// piece plus two, or what is unread plus one block.
void fin_fill(size_t want) {
    while (!fin.at_end && fin.end - fin.pos < want) {
        if (fin.pos > 0) {
            memmove(fin_buf, fin_buf + fin.pos, fin.end - fin.pos);
            fin.end -= fin.pos;
            fin.pos = 0;
        }
        size_t ask = sizeof fin_buf - fin.end;
        if (ask > fin.block) ask = fin.block;
        size_t got = fread(fin_buf + fin.end, 1, ask, fin.stream);
        fin.end += got;
        if (got < ask) fin.at_end = true; // end of input, or an error that ferror tells
    }
}

// The last newline in the N bytes at P, or null.
const char *last_newline(const char *p, size_t n) {
#ifdef __GLIBC__
    return static_cast<const char *>(memrchr(p, '\n', n));
#else
    while (n > 0)
        if (p[--n] == '\n') return p + n;
    return nullptr;
#endif
}

// The stream is read to its end: the block input lets go of it, so that
// nothing of it is kept for a stream that may take its address. Returns -1,
// the readers' end of input.
int fin_ended() {
    finput_forget(nullptr);
    return -1;
}

size_t fin_width(int width) {
    if (width < 1) return 1;
    return width > FINPUT_MAX_WIDTH ? FINPUT_MAX_WIDTH : static_cast<size_t>(width);
}

// Moves POS to the last start of a piece at or before LIM, passing over the
// pieces that end before LIM. W is the width of the pieces.
void fin_pass_to(size_t lim, size_t w) {
    const char *p = fin_buf + fin.pos;
    const char *q = last_newline(p, lim - fin.pos);
    if (!q) {
        fin.pos += (lim - fin.pos) / w * w;
        return;
    }
    const size_t base = static_cast<size_t>(q - fin_buf) + 1;
    const size_t k = (lim - base) / w;
    fin.pos = k == 0 ? base - 1 : base + k * w;
}

// Whether byte C, with the class's fold or-ed in, lies in the class.
inline bool in_class(unsigned char c, const byte_range &k) {
    return static_cast<unsigned char>((c | k.fold) - k.lo) <=
           static_cast<unsigned char>(k.hi - k.lo);
}

#ifdef FIN_VECTOR
// The search 16 positions at once, where the processor has SSE2 (every
// x86-64 one). It earns its keep where heads are looked for across a whole
// archive: the 1 GB archive of MDR collectives of bench/reader_bench.sh
// converts about four times as fast as with the plain search alone. Each class is a range test
// after the fold: (byte | fold) - lo, unsigned, is at most hi - lo. The first two classes are
// tested first; the others only where both match, which is seldom.
struct ClassVec {
    __m128i fold, lo, span;
};

inline __m128i match_sse2(const char *p, const ClassVec &k) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    x = _mm_sub_epi8(_mm_or_si128(x, k.fold), k.lo);
    return _mm_cmpeq_epi8(_mm_min_epu8(x, k.span), x);
}

// The first position from P on (before TO) where the N classes CLS match, as
// far as 16 at a time go; P past the last block tested when none does.
const char *run_sse2(const char *p, const char *to, const char *hi, const byte_range *cls, int n) {
    ClassVec k[4];
    for (int i = 0; i < 4; ++i) {
        const byte_range &c = cls[i < n ? i : n - 1];
        k[i] = {_mm_set1_epi8(static_cast<char>(c.fold)), _mm_set1_epi8(static_cast<char>(c.lo)),
                _mm_set1_epi8(static_cast<char>(c.hi - c.lo))};
    }
    const int second = n > 1 ? 1 : 0;
    while (p < to && hi - p >= 16 + n) {
        __m128i m2 = _mm_and_si128(match_sse2(p, k[0]), match_sse2(p + second, k[second]));
        unsigned m = static_cast<unsigned>(_mm_movemask_epi8(m2));
        if (m == 0) {
            p += 16;
            continue;
        }
        for (int i = 2; i < n; ++i) m2 = _mm_and_si128(m2, match_sse2(p + i, k[i]));
        m = static_cast<unsigned>(_mm_movemask_epi8(m2));
        if (m) {
            const char *t = p + __builtin_ctz(m);
            return t < to ? t : to;
        }
        p += 16;
    }
    return p;
}
#endif

} // namespace

const char *find_byte_run(const char *p, const char *to, const char *hi, const byte_range *cls,
                          int n) {
    if (!p || !to || !hi || !cls || p >= to) return to;
    if (n < 1) return p;
    if (n > 4) n = 4;
#ifdef FIN_VECTOR
    p = run_sse2(p, to, hi, cls, n);
#endif
    for (; p < to; ++p) {
        int i = 0;
        while (i < n && p + i < hi && in_class(static_cast<unsigned char>(p[i]), cls[i])) ++i;
        if (i == n) return p;
    }
    return to;
}

int finput_piece(FILE *ifile, char *string, int width) {
    if (!string) return -1;
    string[0] = '\0';
    if (!ifile) return -1;
    const size_t w = fin_width(width);
    fin_attach(ifile);
    fin_fill(w + 2);
    if (fin.pos < fin.end && fin_buf[fin.pos] == '\n') {
        ++fin.pos;
        if (fin.pos < fin.end && fin_buf[fin.pos] == '\n') return 0;
    }
    if (fin.pos >= fin.end) return fin_ended();
    const char *p = fin_buf + fin.pos;
    size_t avail = fin.end - fin.pos;
    if (avail > w) avail = w;
    const char *nl = static_cast<const char *>(memchr(p, '\n', avail));
    const size_t n = nl ? static_cast<size_t>(nl - p) : avail;
    memcpy(string, p, n);
    string[n] = '\0';
    fin.pos += n;
    return static_cast<int>(n);
}

int finput_until(FILE *ifile, char *string, int width, line_test accept, void *arg, piece_hint hint,
                 void *hint_arg) {
    if (!string) return -1;
    string[0] = '\0';
    if (!ifile || !accept) return -1;
    if (!hint || !fin.use_pairs) {
        for (;;) {
            int n = finput_piece(ifile, string, width);
            if (n < 0) return -1;
            if (accept(string, n, arg)) return n;
        }
    }
    const size_t w = fin_width(width);
    fin_attach(ifile);
    for (;;) {
        // Only pieces that lie wholly in the buffer are looked at: the
        // search stops a piece's width before its end until the input ends.
        size_t lim = fin.at_end ? fin.end : (fin.end > w + 1 ? fin.end - w - 1 : 0);
        if (lim <= fin.pos) {
            if (fin.at_end) return fin_ended();
            fin_fill(fin.end - fin.pos + fin.block);
            continue;
        }
        const char *t =
            hint(fin_buf + fin.pos, fin_buf + lim, fin_buf, fin_buf + fin.end, hint_arg);
        if (t >= fin_buf + lim) {
            if (fin.at_end) {
                return fin_ended();
            }
            fin_pass_to(lim, w);
            fin_fill(fin.end - fin.pos + fin.block);
            continue;
        }
        // The piece that holds T: its line starts after the last newline
        // before T (or at POS), and it is cut into pieces of the width.
        const size_t at = static_cast<size_t>(t - fin_buf);
        const char *q = last_newline(fin_buf + fin.pos, at - fin.pos);
        const size_t base = q ? static_cast<size_t>(q - fin_buf) + 1 : fin.pos;
        const size_t start = base + (at - base) / w * w;
        size_t avail = fin.end - start;
        if (avail > w) avail = w;
        const char *nl = static_cast<const char *>(memchr(fin_buf + start, '\n', avail));
        const size_t n = nl ? static_cast<size_t>(nl - (fin_buf + start)) : avail;
        fin.pos = start + n;
        if (accept(fin_buf + start, static_cast<int>(n), arg)) {
            memcpy(string, fin_buf + start, n);
            string[n] = '\0';
            return static_cast<int>(n);
        }
    }
}

void finput_forget(FILE *ifile) {
    if (ifile && fin.stream != ifile) return;
    fin.stream = nullptr;
    fin.pos = fin.end = 0;
    fin.at_end = false;
}

void finput_set_block(size_t bytes, bool use_pairs) {
    fin.block = bytes == 0 || bytes > FIN_BLOCK ? FIN_BLOCK : bytes;
    fin.use_pairs = use_pairs;
}
