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

inline void reset_modules() {
    mess_reset_state();
    resrc_reset_state();
    flag_reset_state();
    def_reset_state();
    files_reset_state();
    date_reset_state();
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
