// loop_window.cpp - a stand-in loop window for the link tests:
//   loop_window KEY LOG [--alarm] [name=value ...]
// makes queue KEY (three stale replies first), prints "ready", logs each
// request (code character, text) to LOG and answers it until the queue is
// removed or 60 s pass: a connection with channel 17, "query res NAME" with a
// code-0 answer per NAME=value then code 1, anything else code 1. --alarm
// answers nothing and sends SIGALRM to the first sender, as its time-out would.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/msg.h>
#include <unistd.h>

namespace {

struct Message {
    long mtype;
    char mtext[124];
};

int q = -1;

void send(long channel, char code, const std::string &text) {
    Message m{channel, {code}};
    snprintf(m.mtext + 1, sizeof m.mtext - 1, "%s", text.c_str());
    msgsnd(q, &m, 120, 0);
}

} // namespace

int main(int argc, char **argv) {
    FILE *log = argc > 2 ? fopen(argv[2], "w") : nullptr;
    if (!log || (q = msgget(std::stoi(argv[1]), IPC_CREAT | IPC_EXCL | 0600)) < 0) return 1;
    alarm(60); // a window left behind ends
    const bool alarming = argc > 3 && strcmp(argv[3], "--alarm") == 0;
    bool alarmed = false;
    for (int i = 0; i < 3; ++i) send(2, '2', "9"), send(17, '1', "stale");
    printf("ready\n");
    fflush(stdout);
    for (Message m{}; msgrcv(q, &m, 120, 1, 0) >= 0; m = {}) {
        const std::string text = m.mtext + 1; // 120 bytes received of 124 zeroed
        fprintf(log, "%c%s\n", m.mtext[0], text.c_str());
        fflush(log);
        msqid_ds ds{};
        if (alarming) {
            if (!alarmed && msgctl(q, IPC_STAT, &ds) == 0) kill(ds.msg_lspid, SIGALRM);
            alarmed = true;
        } else if (m.mtext[0] == '/') {
            send(2, '2', "17");
        } else {
            for (int i = 3; i < argc; ++i) {
                const std::string pair = argv[i], name = pair.substr(0, pair.find('='));
                if (text == "query res " + name) send(17, '0', pair.substr(name.size() + 1) + "\n");
            }
            send(17, '1', "");
        }
    }
    return 0;
}
