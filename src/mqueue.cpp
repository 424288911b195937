// mqueue.cpp - the client side of the link to a running loop window
// ("ZOZiziz"): a System V message queue keyed by the window number. Requests
// go to the window on channel 1, connection replies come back on channel 2
// and every other reply on the client's own connection channel. Byte 0 of a
// message is its code character ("0" plus a small signed number), the text
// follows it.
//
// Every wait is bounded by an alarm: a window that does not answer within
// the time-out ends the program with status 7.
//
// State: the open queue id, the key offset, the time-out, the alarm handler
// that was installed before the link's, and the buffer used for clearing.

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include "mess.h"
#include "mqueue.h"
#include "numtext.h"
#include "system.h"

namespace {

// One message as it travels; MQ_TRANSFER bytes of mtext are always moved.
struct mqueuebuf {
    long mtype;
    char mtext[124];
};

constexpr size_t MQ_TRANSFER = 120;
constexpr long CLIENT_CHANNEL = 1;
constexpr long CONNECT_CHANNEL = 2;
constexpr int CODE_CONNECT = 2;
constexpr int CODE_REQUEST = -1;
constexpr int FIRST_CONN = 3, LAST_CONN = 21; // the window's connection numbers
constexpr int DEFAULT_TIMEOUT = 20;
constexpr M_type TRACE = M_DEBUG_D;

int msgqid = -1;
int offset = 0;
int timeout = DEFAULT_TIMEOUT;
using handler_t = void (*)(int);
handler_t top_func = SIG_DFL;
bool top_saved = false;
mqueuebuf msgb{};

// The pause before attempt ATTEMPT (from 1) of a receive: the first two
// retries follow at once, then 0.1 s each, and from the 201st attempt 1 s.
float retry_pause(int attempt) {
    if (attempt <= 3) return 0.0f;
    return attempt <= 200 ? 0.1f : 1.0f;
}

// A code character stands for "0" plus the code; codes outside what a char
// can carry are refused.
bool code_fits(int code) {
    return code >= -'0' && code <= CHAR_MAX - '0';
}

} // namespace

void MQ_intrp(int sig) {
    (void)sig;
    MESS_print(M_WARN, "Queue not responding!!\n");
    VEK_exit(7);
}

int MQ_set_timeout(int secs) {
    int old = timeout;
    if (secs >= 1) timeout = secs;
    return old;
}

int MQ_enable_alarm() {
    signal(SIGALRM, MQ_intrp);
    alarm(static_cast<unsigned>(timeout));
    return 0;
}

int MQ_disable_alarm() {
    alarm(0);
    return 0;
}

int MQ_open(int num) {
    handler_t before = signal(SIGALRM, MQ_intrp);
    if (!top_saved) {
        top_func = before;
        top_saved = true;
    }
    // Key 0 would ask for a new private queue, which is never the window's.
    const long long key = static_cast<long long>(num) + offset;
    if (key == IPC_PRIVATE || key < INT_MIN || key > INT_MAX) {
        errno = ENOENT;
        return -1;
    }
    int id = msgget(static_cast<key_t>(key), 0);
    if (id < 0) return errno == ENOENT ? -1 : 0;
    msgqid = id;
    return id;
}

int MQ_clear(int qid, int index) {
    // Channel 0 would take every client's messages: only real channels.
    if (index < 1) return -1;
    while (msgrcv(qid, &msgb, MQ_TRANSFER, index, IPC_NOWAIT) >= 0) {}
    return -1;
}

int MQ_put(int qid, int conn_id, const char *format, ...) {
    if (!format || !code_fits(conn_id)) return -1;
    mqueuebuf buf{};
    buf.mtype = CLIENT_CHANNEL;
    buf.mtext[0] = static_cast<char>('0' + conn_id);
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(buf.mtext + 1, MQ_TEXT_LEN, format, ap);
    va_end(ap);
    if (n < 0 || n >= MQ_TEXT_LEN) {
        // A request cut short would tell the window something else.
        MESS_print(M_WARN, "MQ_put: Message too long for the queue (%d characters)\n", n);
        return -1;
    }
    MESS_print(TRACE, "PUT:%d:%s\n", conn_id, buf.mtext);
    MQ_enable_alarm();
    int r = msgsnd(qid, &buf, MQ_TRANSFER, 0);
    int err = errno;
    MQ_disable_alarm();
    if (r < 0) MESS_print(M_WARN, "MQ_put: Unable to send to queue %d: %s\n", qid, strerror(err));
    return r;
}

int MQ_get(int qid, int conn_id, char *item) {
    if (item) item[0] = '\0';
    if (conn_id < 1) return -EINVAL;
    mqueuebuf buf;
    ssize_t got;
    MQ_enable_alarm();
    for (int attempt = 1;; ++attempt) {
        float pause = retry_pause(attempt);
        if (pause > 0.0f) VEK_sleep(pause);
        memset(&buf, 0, sizeof buf);
        got = msgrcv(qid, &buf, MQ_TRANSFER, conn_id, IPC_NOWAIT);
        int err = got < 0 ? errno : 0;
        MESS_print(TRACE, "GET-MSG:%d %d %d %d\n", conn_id, static_cast<int>(got), err, attempt);
        if (got >= 0) break;
        if (err == ENOMSG || err == EINTR) continue;
        MQ_disable_alarm();
        MESS_print(M_WARN, "MQ_get: Unable to receive from queue %d: %s\n", qid, strerror(err));
        return -err;
    }
    MQ_disable_alarm();
    // The text runs from byte 1 to its terminator, at most 118 characters.
    size_t n = got > 1 ? static_cast<size_t>(got) - 1 : 0;
    if (n > MQ_TEXT_LEN - 1) n = MQ_TEXT_LEN - 1;
    n = strnlen(buf.mtext + 1, n);
    if (item) {
        memcpy(item, buf.mtext + 1, n);
        item[n] = '\0';
    }
    MESS_print(TRACE, "GET:%.*s\n", static_cast<int>(n), buf.mtext + 1);
    return buf.mtext[0] - '0';
}

int MQ_connect(int qid) {
    MQ_clear(qid, CONNECT_CHANNEL);
    if (MQ_put(qid, CODE_REQUEST, "%d", static_cast<int>(getuid())) < 0) return -1;
    char text[MQ_TEXT_LEN];
    if (MQ_get(qid, CONNECT_CHANNEL, text) != CODE_CONNECT) return -1;
    int c = 0;
    const char *end = read_int(text, &c);
    if (!end || *end != '\0' || c < FIRST_CONN || c > LAST_CONN) return -1;
    MQ_clear(qid, c);
    return c;
}

void mqueue_reset_state() {
    alarm(0);
    if (top_saved) signal(SIGALRM, top_func);
    top_func = SIG_DFL;
    top_saved = false;
    msgqid = -1;
    offset = 0;
    timeout = DEFAULT_TIMEOUT;
}
