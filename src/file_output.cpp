// file_output.cpp - output files written whole or not at all.
//
// An output file is written under a temporary name beside it and renamed to
// its own name only when the writer has finished without a failure, so that
// no partial file is ever left under the output name: not after a failed
// write, not when the run is interrupted (SIGINT, SIGTERM, SIGHUP), not when
// the process ends before the writer finished. Two runs writing the same
// output each write their own temporary, and the last rename wins. Names
// that have no file to replace are written in place: standard output, a
// command ("|..."), and an existing entry that is neither a regular file nor
// a directory (a device such as /dev/null, a FIFO). The temporary is made,
// renamed and removed through the operations in force (file_sys.h).
//
// State: the one output in progress (its final and temporary names and the
// mode it gets), and the signal dispositions it replaced.

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_sys.h"
#include "files.h"
#include "scanp.h"
#include "system.h"

namespace {

constexpr int signals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr const char *signal_names[] = {"SIGINT", "SIGTERM", "SIGHUP"};
constexpr int NUM_SIGNALS = 3;

struct Output {
    char final_name[PATH_MAX] = "";     // where the file goes when it is whole
    char temp_name[FILE_NAME_LEN] = ""; // where it is written; empty: nothing staged
    mode_t mode = 0644;
    // "<final name> not written...", composed beforehand: the signal handler
    // may only write it.
    char notice[PATH_MAX + 96] = "";
    struct sigaction old[NUM_SIGNALS] = {};
    bool handlers = false;
    bool at_exit = false;
};

Output out;

void write_all(const char *text) {
    size_t n = strlen(text);
    while (n > 0) {
        ssize_t w = write(STDERR_FILENO, text, n);
        if (w <= 0) return;
        text += w;
        n -= static_cast<size_t>(w);
    }
}

// Removes the unfinished temporary and ends the process as the shell reports
// a signal: status 128 + the signal number.
extern "C" void on_signal(int sig) {
    if (out.temp_name[0]) FILE_sys().remove(out.temp_name);
    write_all("Interrupted by ");
    for (int i = 0; i < NUM_SIGNALS; ++i)
        if (signals[i] == sig) write_all(signal_names[i]);
    write_all(out.notice);
    _exit(128 + sig);
}

// Blocks the three signals for the scope, so that the state never changes
// under the handler.
struct SignalsBlocked {
    sigset_t old;
    SignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : signals) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &old);
    }
    ~SignalsBlocked() { sigprocmask(SIG_SETMASK, &old, nullptr); }
};

// A signal the process ignores (nohup, a background job) stays ignored.
void install_handlers() {
    if (out.handlers) return;
    struct sigaction sa = {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    for (int s : signals) sigaddset(&sa.sa_mask, s);
    for (int i = 0; i < NUM_SIGNALS; ++i) {
        sigaction(signals[i], nullptr, &out.old[i]);
        if (out.old[i].sa_handler != SIG_IGN) sigaction(signals[i], &sa, nullptr);
    }
    out.handlers = true;
}

void restore_handlers() {
    if (!out.handlers) return;
    for (int i = 0; i < NUM_SIGNALS; ++i) sigaction(signals[i], &out.old[i], nullptr);
    out.handlers = false;
}

void forget_output() {
    out.temp_name[0] = '\0';
    out.final_name[0] = '\0';
    restore_handlers();
}

// A process that ends before the output was committed leaves no temporary.
void discard_at_exit() {
    if (out.temp_name[0]) FILE_sys().remove(out.temp_name);
}

// The temporary beside FINAL: ".<base>.XXXXXX" in its directory, or the
// shorter ".XXXXXX" when that does not fit. False when neither fits CAP.
bool temp_pattern(const char *final, char *temp, size_t cap) {
    const char *slash = strrchr(final, '/');
    const int dir_len = slash ? static_cast<int>(slash - final + 1) : 0;
    const char *base = final + dir_len;
    int n = snprintf(temp, cap, "%.*s.%s.XXXXXX", dir_len, final, base);
    if (n >= 0 && static_cast<size_t>(n) < cap) return true;
    n = snprintf(temp, cap, "%.*s.XXXXXX", dir_len, final);
    return n >= 0 && static_cast<size_t>(n) < cap;
}

} // namespace

int FILE_stage_output(const char *name, char *stage, size_t cap) {
    if (!name || !stage || cap == 0) {
        errno = EINVAL;
        return -1;
    }
    stage[0] = '\0';
    FILE_discard_output();
    auto in_place = [&]() {
        if (strlen(name) >= cap) {
            errno = ENAMETOOLONG;
            return -1;
        }
        memcpy(stage, name, strlen(name) + 1);
        return 0;
    };
    if (FILE_is_stdio(name) || name[0] == '|') return in_place();

    char path[FILE_NAME_LEN];
    if (FILE_add_user_path(name, path) != 0) return -1;
    struct stat st;
    const bool exists = stat(path, &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return -1;
    }
    if (exists && !S_ISREG(st.st_mode)) return in_place();

    // A name that is a link to a file replaces that file, beside it.
    struct stat lst;
    char final[PATH_MAX];
    if (exists && lstat(path, &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (!realpath(path, final)) return -1;
    } else {
        memcpy(final, path, strlen(path) + 1);
    }

    char dirs[FILE_NAME_LEN];
    if (strlen(final) >= sizeof dirs) {
        errno = ENAMETOOLONG;
        return -1;
    }
    memcpy(dirs, final, strlen(final) + 1);
    if (FILE_make_dir(dirs, 1) < 0) return -1;

    char temp[FILE_NAME_LEN];
    if (!temp_pattern(final, temp, cap < sizeof temp ? cap : sizeof temp)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    if (exists) {
        out.mode = st.st_mode & 07777; // a replaced file keeps its mode
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        out.mode = 0666 & ~mask;
    }
    {
        SignalsBlocked blocked;
        if (FILE_sys().make_temp(temp) != 0) return -1;
        memcpy(out.final_name, final, strlen(final) + 1);
        memcpy(out.temp_name, temp, strlen(temp) + 1);
        snprintf(out.notice, sizeof out.notice,
                 ": %s not written (its unfinished temporary was removed)\n", final);
        install_handlers();
        if (!out.at_exit) out.at_exit = atexit(discard_at_exit) == 0;
    }
    memcpy(stage, temp, strlen(temp) + 1);
    return 1;
}

int FILE_commit_output() {
    if (!out.temp_name[0]) return 0;
    SignalsBlocked blocked;
    if (FILE_sys().set_mode(out.temp_name, out.mode) != 0 ||
        FILE_sys().rename(out.temp_name, out.final_name) != 0)
        return -1;
    forget_output();
    return 0;
}

void FILE_discard_output() {
    if (!out.temp_name[0]) return;
    SignalsBlocked blocked;
    const int saved = errno;
    FILE_sys().remove(out.temp_name);
    forget_output();
    errno = saved;
}
