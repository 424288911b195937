// system.cpp - terminal prompts with their "set" and "exit" commands, and the
// small process services every program uses: the version label, the orderly
// exit and a sleep that keeps an account of the time slept.
//
// State: the seconds slept through VEK_sleep and the exit hook.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "mess.h"
#include "numtext.h"
#include "resrc.h"
#include "system.h"
#include "vekstr.h"

namespace {

float elapse = 0.0f;

[[noreturn]] void default_exit(int status) {
    exit(status);
}

VEK_exit_hook exit_hook = nullptr;

constexpr int ANSWER_LEN = 80; // an answer line: at most 79 characters

int prompt_status = VEK_PROMPT_ANSWER; // what the last answer line was

// Reads one answer line from standard input without its line ends. The rest
// of a line longer than an answer is dropped, so it never becomes the next
// answer, and the line counts as too long. An empty string, and the status
// VEK_PROMPT_END, at the end of input.
void read_answer(char *line) {
    line[0] = '\0';
    prompt_status = VEK_PROMPT_ANSWER;
    if (!fgets(line, ANSWER_LEN, stdin)) {
        line[0] = '\0';
        prompt_status = VEK_PROMPT_END;
        return;
    }
    size_t n = strlen(line);
    if (n > 0 && line[n - 1] != '\n' && !feof(stdin)) {
        int c = getchar();
        if (c != EOF && c != '\n') prompt_status = VEK_PROMPT_LONG;
        while (c != EOF && c != '\n') c = getchar();
    }
    wstrim_string(line);
}

} // namespace

VEK_exit_hook VEK_set_exit_hook(VEK_exit_hook hook) {
    VEK_exit_hook old = exit_hook;
    exit_hook = hook;
    return old;
}

void VEK_exit(int status) {
    MESS_defer(0); // what was held is shown before the end
    if (exit_hook) exit_hook(status);
    default_exit(status);
}

const char *VEK_version() {
    return VEK_VERSION_LABEL;
}

int VEK_sleep(float secs) {
    if (!(secs > 0.0f)) return -1;
    usleep(static_cast<useconds_t>(secs * 1000000.0f));
    elapse += secs;
    return 0;
}

int VEK_prompt_status() {
    return prompt_status;
}

void system_reset_state() {
    elapse = 0.0f;
    prompt_status = VEK_PROMPT_ANSWER;
}

float VEK_elapse() {
    return elapse;
}

int VEK_set_command(const char *string) {
    if (!string) return 0;
    if (strncasecmp(string, "set", 3) == 0) {
        // The first word is the command; the second, up to "=" or a blank,
        // names the resource; the value is what follows the run of "=" and
        // blanks after the name.
        const char *p = string;
        while (*p && !isspace(static_cast<unsigned char>(*p))) ++p;
        while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
        const char *name = p;
        while (*p && *p != '=' && *p != ' ') ++p;
        size_t nlen = static_cast<size_t>(p - name);
        if (nlen == 0) {
            MESS_print(0x800, "Set resources\n");
            RES_list();
            MESS_print(0x800, "\n");
            return 1;
        }
        char res[20];
        vek_strlcpy(res, name, nlen + 1 < sizeof res ? nlen + 1 : sizeof res);
        if (*p == '\0') {
            // A name that ends the line stores the resource without a value.
            RES_new(-9999, res, nullptr, CV_string);
            return 1;
        }
        while (*p == '=' || *p == ' ') ++p;
        RES_put(res, p);
        return 1;
    }
    if (strncasecmp(string, "exit", 4) == 0) VEK_exit(0);
    return 0;
}

char *VEK_prompts(const char *prompt, char *str, int length) {
    if (length < 2) length = 2;
    if (!str) {
        str = static_cast<char *>(calloc(static_cast<size_t>(length) + 1, 1));
        if (!str) return nullptr;
    }
    char line[ANSWER_LEN];
    for (;;) {
        MESS_print_str(M_PRINT, prompt ? prompt : "");
        read_answer(line);
        const char *p = line;
        while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
        if (*p) {
            int n = 0;
            while (p[n] && !isspace(static_cast<unsigned char>(p[n])) && n < length - 1) {
                str[n] = p[n];
                ++n;
            }
            str[n] = '\0';
        }
        if (!VEK_set_command(line)) return str;
    }
}

float VEK_promptf(const char *prompt) {
    char line[ANSWER_LEN];
    for (;;) {
        MESS_print_str(M_PRINT, prompt ? prompt : "");
        read_answer(line);
        float result = 0.0f;
        const bool number = read_float(line, &result) != nullptr; // out of range: +-inf
        if (VEK_set_command(line)) continue;
        const char *p = line;
        while (*p && isspace(static_cast<unsigned char>(*p))) ++p;
        if (*p == '\0') return 0.0f;
        if (!number) continue;
        return result;
    }
}
