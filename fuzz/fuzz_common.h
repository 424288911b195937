// fuzz_common.h - shared set-up of the fuzz targets: quiet standard streams,
// an exit hook that unwinds (by an exception) instead of ending the fuzzer,
// the scratch file system (fuzz_file_sys.h), a clean module state per input,
// files and streams holding an input, and checks.
#ifndef FUZZ_COMMON_H
#define FUZZ_COMMON_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz_file_sys.h"
#include "system.h"
#include "vekreset.h"

// AddressSanitizer holds freed memory in a quarantine to catch late uses;
// its default of 256 MB alone doubles a target's memory over a long run.
// One input frees little, so 16 MB still holds everything one input and
// many before it freed, and a run of hours stays at flat memory.
extern "C" const char *__asan_default_options() {
    return "quarantine_size_mb=16";
}

namespace fuzzing {

// What VEK_exit throws while a target runs the code under test, so that
// every frame is left in order.
struct Exit {
    int status;
};
inline bool exit_armed = false;

[[noreturn]] inline void throwing_exit(int status) {
    if (exit_armed) throw Exit{status};
    _exit(status);
}

// Runs RUN; true when it ended the process (VEK_exit), which comes back here.
template <class Run>
bool ends_process(Run run) {
    exit_armed = true;
    bool ended = false;
    try {
        run();
    } catch (const Exit &) {
        ended = true;
    }
    exit_armed = false;
    return ended;
}

// Called once: standard input reads nothing, standard output is discarded,
// VEK_exit comes back to the target, and files are made in the scratch
// directory only.
inline void setup() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!freopen("/dev/null", "r", stdin)) abort();
    if (!freopen("/dev/null", "w", stdout)) abort();
    VEK_set_exit_hook(throwing_exit);
    FILE_use_sys(&scratch_sys::table);
    // An empty search path: no defaults file of the machine is read.
    setenv("vekdefault", "/nonexistent-vek-defaults", 1);
}

// Every module back to a fresh process: nothing one input leaves behind
// reaches the next, and nothing accumulates over a long run.
inline void reset_modules() {
    vek_reset_all();
}

inline void check(bool ok) {
    if (!ok) abort();
}

inline bool terminated(const char *s, size_t cap) {
    return strnlen(s, cap) < cap;
}

inline void write_text(const std::string &path, const std::string &text) {
    FILE *f = fopen(path.c_str(), "wb");
    check(f != nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

// A file of the scratch directory that holds DATA; rewritten for every input.
inline std::string scratch_file(const uint8_t *data, size_t size, const char *tag) {
    std::string path = std::string(scratch_dir()) + "/input-" + tag;
    write_text(path, std::string(reinterpret_cast<const char *>(data), size));
    return path;
}

// A memory stream over the SIZE bytes at DATA (which must outlive it).
inline FILE *stream_of(const uint8_t *data, size_t size) {
    static uint8_t none[1];
    return fmemopen(size ? const_cast<uint8_t *>(data) : none, size, "r");
}

// The lines of the input (at most MAX), NUL bytes left out.
inline std::vector<std::string> lines_of(const uint8_t *data, size_t size, size_t max) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size && lines.size() <= max; ++i)
        if (data[i] == '\n')
            lines.emplace_back();
        else if (data[i] != '\0')
            lines.back() += static_cast<char>(data[i]);
    return lines;
}

} // namespace fuzzing

#endif
