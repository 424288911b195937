// loop_window.cpp - a stand-in loop window for the link tests:
//   loop_window KEY LOG [--alarm] [name=value ...]
// owns queue KEY (three stale messages first), prints "ready", logs each
// request (code character, text) to LOG and answers it until SIGTERM or 60 s:
// a connection with channel 17, "query res NAME" with a code-0 answer per
// NAME=value then code 1, anything else code 1. --alarm answers nothing and
// sends SIGALRM to the first sender, as its own time-out would.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/msg.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct Message {
    long mtype;
    char mtext[124];
};

constexpr size_t TRANSFER = 120;
constexpr long CONN = 17;

volatile sig_atomic_t stop = 0;
void on_stop(int) {
    stop = 1;
}

int send(int q, long channel, char code, const std::string &text) {
    Message m{};
    m.mtype = channel;
    m.mtext[0] = code;
    snprintf(m.mtext + 1, sizeof m.mtext - 1, "%s", text.c_str());
    return msgsnd(q, &m, TRANSFER, 0);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    FILE *log = fopen(argv[2], "w");
    bool alarm_sender = false;
    std::vector<std::pair<std::string, std::string>> table;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--alarm")
            alarm_sender = true;
        else if (a.find('=') != std::string::npos)
            table.emplace_back(a.substr(0, a.find('=')), a.substr(a.find('=') + 1));
        else
            return 2;
    }
    if (!log) return 2;

    struct sigaction sa {};
    sa.sa_handler = on_stop; // no SA_RESTART: a waiting receive returns
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGALRM, &sa, nullptr);
    alarm(60);

    const int q = msgget(static_cast<key_t>(std::stol(argv[1])), IPC_CREAT | IPC_EXCL | 0600);
    if (q < 0) {
        perror("loop_window: msgget");
        return 1;
    }
    for (int i = 0; i < 3; ++i) send(q, 2, '2', "9"), send(q, CONN, '1', "stale");
    printf("ready\n");
    fflush(stdout);

    for (bool alarmed = false; !stop;) {
        Message m{};
        const ssize_t got = msgrcv(q, &m, TRANSFER, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        std::string text(m.mtext + 1, strnlen(m.mtext + 1, got > 1 ? got - 1 : 0)), logged;
        for (char c : text) logged += c == '\n' ? std::string("\\n") : std::string(1, c);
        fprintf(log, "%c%s\n", m.mtext[0], logged.c_str());
        fflush(log);
        if (alarm_sender) {
            msqid_ds ds{};
            if (!alarmed && msgctl(q, IPC_STAT, &ds) == 0) kill(ds.msg_lspid, SIGALRM);
            alarmed = true;
        } else if (m.mtext[0] == '/') {
            send(q, 2, '2', std::to_string(CONN));
        } else {
            if (text.starts_with("query res "))
                for (const auto &[n, v] : table)
                    if (n == text.substr(10)) send(q, CONN, '0', v + "\n");
            send(q, CONN, '1', "");
        }
    }
    msgctl(q, IPC_RMID, nullptr);
    fclose(log);
    return 0;
}
