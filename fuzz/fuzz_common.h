// fuzz_common.h - shared set-up of the fuzz targets: quiet standard streams,
// an exit hook that unwinds instead of ending the fuzzer, a clean module
// state per input, and a scratch file to hold an input.
#ifndef FUZZ_COMMON_H
#define FUZZ_COMMON_H

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "vek.h"
#include "vekcty.h"
#include "vekrad.h"
#include "vekreset.h"

// AddressSanitizer holds freed memory in a quarantine to catch late uses;
// its default of 256 MB alone doubles a target's memory over a long run.
// One input frees little, so 16 MB still holds everything one input and
// many before it freed, and a run of hours stays at flat memory.
extern "C" const char *__asan_default_options() {
    return "quarantine_size_mb=16";
}

namespace fuzzing {

inline jmp_buf exit_jump;
inline bool exit_armed = false;

[[noreturn]] inline void jump_exit(int status) {
    if (exit_armed) longjmp(exit_jump, status + 1);
    _exit(status);
}

// Called once: standard input reads nothing, standard output is discarded,
// and VEK_exit comes back to the target.
inline void setup() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!freopen("/dev/null", "r", stdin)) abort();
    if (!freopen("/dev/null", "w", stdout)) abort();
    VEK_set_exit_hook(jump_exit);
    // An empty search path: no defaults file of the machine is read.
    setenv("vekdefault", "/nonexistent-vek-defaults", 1);
}

// Every module back to a fresh process: nothing one input leaves behind
// reaches the next, and nothing accumulates over a long run.
inline void reset_modules() {
    vek_reset_all();
}

// A file of this process that holds DATA; rewritten for every input.
inline std::string scratch_file(const uint8_t *data, size_t size, const char *tag) {
    std::string path = "/tmp/vek-fuzz-input-" + std::to_string(getpid()) + "-" + tag;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) abort();
    if (size) fwrite(data, 1, size, f);
    fclose(f);
    return path;
}

} // namespace fuzzing

#endif
