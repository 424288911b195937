// system.h - prompts with their "set" and "exit" commands, the orderly exit,
// the version label and a sleep that keeps an account.
#ifndef SYSTEM_H
#define SYSTEM_H

char *VEK_prompts(const char *prompt, char *str, int length);
// What the answer line of the last prompt was: an answer (perhaps empty),
// the end of standard input met before any answer, or a line longer than an
// answer (79 characters; what the prompt returned is its start).
constexpr int VEK_PROMPT_ANSWER = 0;
constexpr int VEK_PROMPT_END = 1;
constexpr int VEK_PROMPT_LONG = 2;
int VEK_prompt_status();
float VEK_promptf(const char *prompt);
int VEK_set_command(const char *string);
// Ends the process with STATUS through the exit hook.
[[noreturn]] void VEK_exit(int status);
int VEK_sleep(float secs);
float VEK_elapse();
const char *VEK_version();

// The exit hook ends the process; a test or fuzz target may install one that
// unwinds instead (it must not return). Null restores the default (exit).
using VEK_exit_hook = void (*)(int status);
VEK_exit_hook VEK_set_exit_hook(VEK_exit_hook hook);
// The time slept and the last prompt's status back to the start (the exit
// hook stays).
void system_reset_state();

#endif
