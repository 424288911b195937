// vek_test.h - shared helpers of the test suites: a clean module state per
// test, exits observed as exceptions, temporary directories, captured
// standard streams, and the built program run in a clean environment.
#ifndef VEK_TEST_H
#define VEK_TEST_H

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scanp.h"
#include "system.h"
#include "vekrad.h"
#include "vekreset.h"

namespace vektest {

// printf into a string.
template <class... A>
std::string fmt(const char *f, A... a) {
    std::string s(static_cast<size_t>(snprintf(nullptr, 0, f, a...)), '\0');
    snprintf(s.data(), s.size() + 1, f, a...);
    return s;
}

// Thrown by the exit hook that the fixtures install.
struct Exited {
    int status;
};

// Installs the throwing exit hook, resets every module and clears the
// environment variables the package reads; afterwards checks that /dev/null
// and /dev/full are still devices (converted files are written to them in
// place: should a fault rename a file over one, the test fails and, run as
// root, gives the machine its device back).
class VekTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// A temporary directory, removed with its contents at the end of the scope.
class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/vektest-XXXXXX";
        if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Captures standard output and standard error (the file descriptors) during
// its lifetime; optional text is fed as standard input.
class Capture {
  public:
    explicit Capture(const std::string &input = "");
    ~Capture() { stop(); }
    std::string out() { return stop(), out_; }
    std::string err() { return stop(), err_; }

  private:
    void stop();
    FILE *files_[3] = {}; // standard input, output and error in their place
    int saved_[3] = {-1, -1, -1};
    std::string out_, err_;
    bool stopped_ = false;
};

inline void write_file(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}
inline std::string read_file(const std::string &path) {
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}
// The pieces of TEXT between the separators SEP; none for an empty text.
inline std::vector<std::string> split(const std::string &text, char sep = ' ') {
    std::vector<std::string> out;
    for (size_t at = 0, end = 0; end < text.size(); at = end + 1)
        out.push_back(text.substr(at, (end = std::min(text.find(sep, at), text.size())) - at));
    return out;
}
// Year, month, day, hour and minute of D, "_" for a missing one.
inline std::string date_text(const Date &d) {
    std::string s;
    for (int v : {d.year, d.month, d.day, d.hour, d.min})
        s += (s.empty() ? "" : " ") + (v == VEK_MISS ? std::string("_") : std::to_string(v));
    return s;
}
// BASE followed by directories of at most 200 characters, named with FILL,
// making a name of LENGTH characters in all (BASE is shorter by at least 3).
std::string long_path(const std::string &base, size_t length, char fill);
// A stream (a temporary file) holding BYTES, read from its start.
FILE *stream_of(const std::string &bytes);

// RES_init of the program with the command-line WORDS, which live on to the
// end of the test program (the database keeps them).
void init_resources(const std::vector<std::string> &words);

struct RunResult {
    int status = -1; // exit status, or -1 when killed by a signal
    std::string out, err;
};

// build/dirida run with ARGS in CWD, an environment of PATH, HOME and ENV
// and INPUT on standard input, until finish(); one not finished is killed.
class Started {
  public:
    Started(const std::vector<std::string> &args, const std::string &cwd,
            const std::map<std::string, std::string> &env = {}, const std::string &input = "");
    ~Started();
    int pid() const { return pid_; }
    RunResult finish();

  private:
    TempDir io_;
    int pid_ = -1;
};

inline RunResult run_dirida(const std::vector<std::string> &args, const std::string &cwd,
                            const std::map<std::string, std::string> &env = {},
                            const std::string &input = "") {
    return Started(args, cwd, env, input).finish();
}

// An installation: etc/ with the station file and the shipped conventions,
// raw/ for inputs, defaults/ as "vekdefault", the outputs in out/.
class Install {
  public:
    // STATIONS are the lines of the station file; none: the shipped one.
    explicit Install(const std::vector<std::string> &stations = {});
    std::string etc() const { return work.file("etc"); }
    std::string raw() const { return work.file("raw"); }
    std::string out() const { return work.file("out"); }
    std::string defaults() const { return work.file("defaults"); }
    // The arguments of a run with these paths (in batch mode or not), then MORE.
    std::vector<std::string> args(const std::vector<std::string> &more, bool batch = true) const;
    std::map<std::string, std::string> env() const { return {{"vekdefault", defaults()}}; }
    RunResult run(const std::vector<std::string> &more, bool batch = true,
                  const std::string &input = "") const {
        return run_dirida(args(more, batch), work.path(), env(), input);
    }
    // The files of out/ by name; their names each after a blank, "none" without out/.
    std::vector<std::filesystem::path> entries() const;
    std::string out_entries() const;
    // Every file in out/ by name, then "\n@" and its name when NAMES; removes out/.
    std::string take_output(bool names = true) const;
    TempDir work;
};

// Summary cells by (x, y); cells not given are empty.
using Cells = std::map<std::pair<int, int>, int>;

// The cells of a summary grid that are not empty, as "x,y=v" by x, then y.
inline std::string summary_cells(const RAD_info &info) {
    std::string s;
    for (int x = 0; x < RAD_SUM_NX; ++x)
        for (int y = 0; y < RAD_SUM_NY; ++y)
            if (info.summary[x][y] != RAD_EMPTY)
                s += fmt(s.empty() ? "%d,%d=%d" : " %d,%d=%d", x, y, info.summary[x][y]);
    return s;
}

// The MDR summary section of the text form, worked out apart from the
// writer: three column bands from east to west, each a northern and a
// southern piece between fixed marker lines; 1 to 6 as digits, else blank.
std::string mdr_summary(const Cells &cells);
// The RCM summary section: each row holding a value 1 to 9 in x 0 to 451, as
// "+row" and its cells (1 to 6 as digits) in lines of 78.
std::string rcm_summary(const Cells &cells);

// Grids on the MDR projection in double precision from the polar
// stereographic formula, apart from the program's. The MDR grid is 114 by 90
// boxes of 0.47625 units around 39.578445 N, 97.42146 W: the column and row
// (row 0 north) of station ID of the station-file LINES there.
std::pair<double, double> mdr_grid(const std::vector<std::string> &lines, const char *id);
// The position of column GX, row GY of a grid of boxes of D units whose
// column CX, row CY lies at CLAT, CLON.
void grid_latlon(double clat, double clon, double d, double cx, double cy, double gx, double gy,
                 double *lat, double *lon);
inline void mdr_latlon(double gx, double gy, double *lat, double *lon) {
    grid_latlon(39.578445, -97.42146, 0.47625, 56.5, 44.5, gx, gy, lat, lon);
}

inline const std::string source_dir = VEK_SOURCE_DIR, binary_dir = VEK_BINARY_DIR;

} // namespace vektest

#endif
