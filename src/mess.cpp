// mess.cpp - the levelled message facility every module prints through.
//
// A message carries a type mask; the process-wide selection mask decides
// whether it is shown. A shown message goes to the terminal (standard error
// for errors and warnings, standard output otherwise), to the log stream set
// by MESS_file, and to the message file named in the "message" string,
// optionally time-stamped. Terminal output can be paged.
//
// While the resources are being decoded the selection is not known yet:
// messages are then held, and shown once it is, by the selection then.
// Warnings that a run would repeat for every file it converts are shown once.
//
// State: the selection mask and how often it was set explicitly, the output
// and paging modes, the line count, the log and message file streams and the
// name of the message file that is opened anew for each message; the held
// messages and the texts of the warnings shown once.

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <strings.h>
#include <unordered_set>
#include <vector>

#include "files.h"
#include "mess.h"
#include "numtext.h"
#include "vekstr.h"

namespace {

constexpr M_type DEFAULT_LEVEL = M_PRINT | M_ERROR | M_WARN | M_MESS | M_OUT1 | M_OUT2;

M_type mess_level = DEFAULT_LEVEL;
int mess_set = 0;
int mess_out = 1;
int page = 1;
bool batch = false; // batch mode: prompts to hold are never shown
int lines = 0;
int max_lines = 22;
FILE *ofile = nullptr;
FILE *pfile = nullptr;
char filename[FILE_NAME_LEN] = "";

// A message held while the selection is not known; FORCED ones were judged
// by the selection of their moment and are shown whatever it becomes.
struct Held {
    M_type type;
    std::string text;
    bool forced;
};
bool deferring = false;
std::vector<Held> held;
std::unordered_set<std::string> shown_once;

// Every bit from the highest set bit of MASK down to bit 0.
M_type fill_down(M_type mask) {
    if (mask == 0) return 0;
    int top = 31 - __builtin_clz(mask);
    return top == 31 ? 0xFFFFFFFFu : ((1u << (top + 1)) - 1);
}

void close_stream(FILE *&f) {
    if (f) FILE_close(f);
    f = nullptr;
}

int count_newlines(const char *text) {
    int n = 0;
    for (; text && *text; ++text)
        if (*text == '\n') ++n;
    return n;
}

struct ClassWord {
    const char *word;
    M_type mask;
};

const ClassWord class_words[] = {
    {"none", 0},      {"print", M_PRINT}, {"error", M_ERROR}, {"warn", M_WARN}, {"mess", M_MESS},
    {"out1", M_OUT1}, {"out2", M_OUT2},   {"out3", M_OUT3},   {"out4", M_OUT4}, {"debug", M_DEBUG},
};

// The class word a level token (without its sign) begins with; null when
// none.
const ClassWord *class_of(const char *tok) {
    for (const ClassWord &cw : class_words)
        if (strncasecmp(tok, cw.word, strlen(cw.word)) == 0) return &cw;
    return nullptr;
}

// The mask of a level token (without its sign): the class word it begins
// with, reduced to one sublevel when it ends in a, b, c or d.
M_type token_mask(const char *tok) {
    const ClassWord *cw = class_of(tok);
    M_type mask = cw ? cw->mask : 0;
    size_t n = strlen(tok);
    if (n > 0) {
        switch (tok[n - 1] | 0x20) {
        case 'a':
            mask &= M_SUB_A;
            break;
        case 'b':
            mask &= M_SUB_B;
            break;
        case 'c':
            mask &= M_SUB_C;
            break;
        case 'd':
            mask &= M_SUB_D;
            break;
        default:
            break;
        }
    }
    return mask;
}

// Shows a warning judged by the selection of this moment, even while
// messages are held: a level about to be set must not hide the warning
// about itself.
void warn_now(const std::string &text);

// A level token is a class word, alone or with one sublevel letter. Any
// other token still sets what its class word says (nothing without one);
// the warning names it and what it sets.
void check_level_token(const char *tok, int sign) {
    const ClassWord *cw = class_of(tok);
    const size_t rest = cw ? strlen(tok) - strlen(cw->word) : 0;
    if (cw && (rest == 0 || (rest == 1 && strchr("abcdABCD", tok[strlen(tok) - 1])))) return;
    const char *how = sign > 0 ? "+" : sign < 0 ? "-" : "";
    std::string text = std::string("MESS_set_str: message \"") + how + tok + "\" is not a level";
    if (cw)
        text += ": read as " + std::string(how) + cw->word + "\n";
    else
        text += std::string(" (none, print, error, warn, mess, out1, out2, out3, out4, debug): ") +
                (sign == 0 ? "no messages are shown\n" : "it changes nothing\n");
    warn_now(text);
}

void open_message_file(const char *name, const char *access, int out) {
    mess_out = out;
    close_stream(pfile);
    if (!name || !*name) return;
    pfile = FILE_open(name, access);
    if (!pfile)
        MESS_print(M_WARN, "MESS_set_str: Unable to open message file %s: %s\n", name,
                   strerror(errno));
}

void apply_token(const char *tok) {
    if (strncasecmp(tok, "@fi", 3) == 0) {
        open_message_file(strlen(tok) > 4 ? tok + 4 : "", "a", -1);
    } else if (strncasecmp(tok, "+fi", 3) == 0) {
        open_message_file(strlen(tok) > 4 ? tok + 4 : "", "a", 1);
    } else if (strncasecmp(tok, "-fi", 3) == 0) {
        open_message_file(strlen(tok) > 4 ? tok + 4 : "", "w", 1);
    } else if (strncasecmp(tok, "dfi", 3) == 0) {
        const char *name = strlen(tok) > 4 ? tok + 4 : "";
        close_stream(pfile);
        mess_out = 2;
        filename[0] = '\0';
        if (strlen(name) < sizeof filename)
            vek_copy(filename, name);
        else
            MESS_print(M_WARN, "MESS_set_str: Unable to open message file %s: %s\n", name,
                       strerror(ENAMETOOLONG));
    } else if (strncasecmp(tok, "fi", 2) == 0) {
        open_message_file(strlen(tok) > 3 ? tok + 3 : "", "a", 0);
    } else if (strcasecmp(tok, "nopage") == 0) {
        page = 0;
    } else if (strcasecmp(tok, "page") == 0) {
        page = 2;
    } else if (strncasecmp(tok, "line", 4) == 0) {
        int n[1] = {0};
        if (strlen(tok) > 5) scan_ints(tok + 5, "%d", n);
        max_lines = n[0] < 1 ? 22 : n[0];
    } else {
        int sign = 0;
        if (*tok == '+' || *tok == '-') sign = *tok++ == '+' ? 1 : -1;
        check_level_token(tok, sign);
        M_type mask = token_mask(tok);
        if (sign == 0)
            mess_level = fill_down(mask);
        else if (sign > 0)
            mess_level |= mask;
        else
            mess_level &= ~mask;
    }
}

} // namespace

int MESS_check(M_type level) {
    return (mess_level & level) != 0;
}

int MESS_check_set() {
    return mess_set;
}

M_type MESS_get() {
    return mess_level;
}

int MESS_get_max_lines() {
    return max_lines;
}

int MESS_set_page(int val) {
    page = val;
    return 0;
}

int MESS_set_out(int val) {
    mess_out = val;
    return 0;
}

int MESS_set(int oper, M_type level) {
    // The codes around each base: up to 4 explicit, from 16 on defaults.
    constexpr int explicit_last = MESS_EXPLICIT + 4, default_first = MESS_DEFAULT - 4;
    if (oper <= explicit_last) ++mess_set;
    if (oper >= default_first && mess_set != 0) return 0;
    switch (oper) {
    case MESS_EXPLICIT + MESS_OP_SET:
    case MESS_PROGRAM + MESS_OP_SET:
    case MESS_DEFAULT + MESS_OP_SET:
        mess_level = fill_down(level);
        break;
    case MESS_EXPLICIT + MESS_OP_ADD:
    case MESS_PROGRAM + MESS_OP_ADD:
    case MESS_DEFAULT + MESS_OP_ADD:
        mess_level |= level;
        break;
    case MESS_EXPLICIT + MESS_OP_REMOVE:
    case MESS_PROGRAM + MESS_OP_REMOVE:
    case MESS_DEFAULT + MESS_OP_REMOVE:
        mess_level &= ~level;
        break;
    default:
        break;
    }
    return 0;
}

int MESS_set_str(const char *str) {
    ++mess_set;
    int argc = 0;
    char **argv = nullptr;
    if (parse_string(str, ',', &argc, &argv) != 0) return 0;
    for (int i = 0; i < argc; ++i) apply_token(argv[i]);
    free_parsed_array(argc, argv);
    return 0;
}

int MESS_file(const char *name, const char *access) {
    close_stream(ofile);
    ofile = FILE_open(name, access);
    return ofile ? 0 : -1;
}

int MESS_file_close() {
    close_stream(ofile);
    return 0;
}

namespace {

// The current UTC time as a message file stamps it, "26 DEC 07  03:07:00Z"
// (the program keeps the C locale, whose month names strftime gives).
void current_stamp(char *out, size_t cap) {
    const time_t now = time(nullptr);
    struct tm t;
    gmtime_r(&now, &t);
    if (strftime(out, cap, "%y %b %d  %H:%M:%SZ", &t) == 0) out[0] = '\0';
    for (char *c = out + 3; c < out + 6 && *c; ++c) *c = static_cast<char>(toupper(*c));
}

// Writes one shown message to every destination. LINES_IN_TEXT is what the
// paging counts: the newlines of the format, not of the expanded text.
int emit(M_type type, const char *text, int lines_in_text) {
    if (ofile) fputs(text, ofile);
    bool opened_now = false;
    if (mess_out == 2 && filename[0]) {
        close_stream(pfile);
        pfile = FILE_open(filename, "a");
        opened_now = pfile != nullptr;
    }
    if (pfile) {
        if (mess_out == -1) {
            char stamp[40];
            current_stamp(stamp, sizeof stamp);
            fprintf(pfile, "%s -- ", stamp);
        }
        fputs(text, pfile);
        fflush(pfile);
    }
    if (mess_out == 2 && opened_now) close_stream(pfile);

    if (mess_out == 0) return 0;
    FILE *term = (type & (M_ERROR | M_WARN)) ? stderr : stdout;
    fputs(text, term);

    if (page == 2) {
        lines += lines_in_text;
        if (lines > max_lines) MESS_hold(type, "Press return to continue\n");
    }
    return 1;
}

void warn_now(const std::string &text) {
    if (!MESS_check(M_WARN)) return;
    if (deferring)
        held.push_back({M_WARN, text, true});
    else
        emit(M_WARN, text.c_str(), count_newlines(text.c_str()));
}

// Formats a message into TEXT (printf-style).
void format_into(std::string &text, const char *mess, va_list ap) {
    va_list again;
    va_copy(again, ap);
    char small[1024];
    const int n = vsnprintf(small, sizeof small, mess, ap);
    if (n < 0) {
        text.clear();
    } else if (static_cast<size_t>(n) < sizeof small) {
        text.assign(small, static_cast<size_t>(n));
    } else {
        text.resize(static_cast<size_t>(n) + 1);
        vsnprintf(text.data(), text.size(), mess, again);
        text.resize(static_cast<size_t>(n));
    }
    va_end(again);
}

} // namespace

int MESS_print(M_type type, const char *mess, ...) {
    if (mess && deferring) {
        std::string text;
        va_list ap;
        va_start(ap, mess);
        format_into(text, mess, ap);
        va_end(ap);
        held.push_back({type, std::move(text), false});
        return 0;
    }
    if (!MESS_check(type) || !mess) return 0;

    // Format once; every destination receives the same text.
    char small[1024];
    char *big = nullptr;
    const char *text = small;
    va_list ap;
    va_start(ap, mess);
    int n = vsnprintf(small, sizeof small, mess, ap);
    va_end(ap);
    if (n < 0) return 0;
    if (static_cast<size_t>(n) >= sizeof small) {
        big = static_cast<char *>(malloc(static_cast<size_t>(n) + 1));
        if (big) {
            va_start(ap, mess);
            vsnprintf(big, static_cast<size_t>(n) + 1, mess, ap);
            va_end(ap);
            text = big;
        }
    }
    int shown = emit(type, text, count_newlines(mess));
    free(big);
    return shown;
}

int MESS_print_str(M_type type, const char *text) {
    if (text && deferring) {
        held.push_back({type, text, false});
        return 0;
    }
    if (!MESS_check(type) || !text) return 0;
    return emit(type, text, count_newlines(text));
}

int MESS_hold(M_type type, const char *mess) {
    if (!MESS_check(type) || mess_out == 0 || batch || page == 0) return 0;
    if ((type & M_ERROR) && (type & M_WARN))
        fprintf(stderr, "%s", mess ? mess : "");
    else
        fprintf(stdout, "%s", mess ? mess : "");
    fflush(stdout);
    getchar();
    lines = 0;
    return 0;
}

void MESS_defer(int on) {
    if (on) {
        deferring = true;
        return;
    }
    deferring = false;
    std::vector<Held> due;
    due.swap(held);
    for (const Held &h : due)
        if (h.forced || MESS_check(h.type))
            emit(h.type, h.text.c_str(), count_newlines(h.text.c_str()));
}

int MESS_warn_once(const char *mess, ...) {
    if (!mess) return 0;
    std::string text;
    va_list ap;
    va_start(ap, mess);
    format_into(text, mess, ap);
    va_end(ap);
    if (!shown_once.insert(text).second) return 0;
    return MESS_print_str(M_WARN, text.c_str());
}

int MESS_print_prog(const char *string) {
    MESS_print(M_MESS, "      %s (Ver %s)\n\n", string ? string : "", VEK_VERSION_LABEL);
    return 0;
}

void MESS_set_batch(int on) {
    batch = on != 0;
}

void mess_reset_state() {
    close_stream(ofile);
    close_stream(pfile);
    mess_level = DEFAULT_LEVEL;
    mess_set = 0;
    mess_out = 1;
    page = 1;
    lines = 0;
    max_lines = 22;
    filename[0] = '\0';
    deferring = false;
    batch = false;
    held.clear();
    shown_once.clear();
}
