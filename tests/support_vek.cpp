// support_vek.cpp - the shared helpers of the test suites.

#include "vek_test.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "vekcdf.h"
#include "vekcty.h"
#include "vekrad.h"

namespace vektest {

namespace {

[[noreturn]] void throwing_exit(int status) {
    throw Exited{status};
}

// The variables the package reads; tests set them explicitly when needed.
const char *const package_vars[] = {"vekdefault", "vektz",   "vekcurtime", "vekmess",
                                    "vekbatch",   "vekhelp", "vekcity",    "vekfile"};

} // namespace

void reset_all() {
    mess_reset_state();
    resrc_reset_state();
    flag_reset_state();
    def_reset_state();
    files_reset_state();
    date_reset_state();
    maptran_reset_state();
    cty_reset_state();
    rad_dec_reset_state();
    rad_read_reset_state();
    cdf_reset_state();
    region_reset_state();
    mqueue_reset_state();
}

void VekTest::SetUp() {
    VEK_set_exit_hook(throwing_exit);
    for (const char *v : package_vars) unsetenv(v);
    reset_all();
}

void VekTest::TearDown() {
    reset_all();
    VEK_set_exit_hook(nullptr);
}

TempDir::TempDir() {
    char tmpl[] = "/tmp/vektest-XXXXXX";
    char *dir = mkdtemp(tmpl);
    if (!dir) throw std::runtime_error("mkdtemp failed");
    path_ = dir;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ChangeDir::ChangeDir(const std::string &dir) {
    old_ = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
}

ChangeDir::~ChangeDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
}

Capture::Capture(const std::string &input) {
    char tmpl[] = "/tmp/vekcap-XXXXXX";
    int fd = mkstemp(tmpl);
    out_path_ = tmpl;
    close(fd);
    char tmpl2[] = "/tmp/vekcap-XXXXXX";
    fd = mkstemp(tmpl2);
    err_path_ = tmpl2;
    close(fd);
    char tmpl3[] = "/tmp/vekcap-XXXXXX";
    fd = mkstemp(tmpl3);
    in_path_ = tmpl3;
    close(fd);
    write_file(in_path_, input);

    fflush(stdout);
    fflush(stderr);
    saved_out_ = dup(1);
    saved_err_ = dup(2);
    saved_in_ = dup(0);
    int o = open(out_path_.c_str(), O_WRONLY | O_TRUNC);
    int e = open(err_path_.c_str(), O_WRONLY | O_TRUNC);
    int i = open(in_path_.c_str(), O_RDONLY);
    dup2(o, 1);
    dup2(e, 2);
    dup2(i, 0);
    close(o);
    close(e);
    close(i);
    clearerr(stdin);
}

void Capture::stop() {
    if (stopped_) return;
    stopped_ = true;
    fflush(stdout);
    fflush(stderr);
    dup2(saved_out_, 1);
    dup2(saved_err_, 2);
    dup2(saved_in_, 0);
    close(saved_out_);
    close(saved_err_);
    close(saved_in_);
    clearerr(stdin);
    // Whatever stdin buffered from the fed text must not leak into later tests.
    fseek(stdin, 0, SEEK_END);
    clearerr(stdin);
    out_ = read_file(out_path_);
    err_ = read_file(err_path_);
    unlink(out_path_.c_str());
    unlink(err_path_.c_str());
    unlink(in_path_.c_str());
}

Capture::~Capture() {
    stop();
}

std::string Capture::out() {
    stop();
    return out_;
}

std::string Capture::err() {
    stop();
    return err_;
}

void write_file(const std::string &path, const std::string &text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

std::string read_file(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool file_exists(const std::string &path) {
    return std::filesystem::exists(path);
}

Args::Args(std::initializer_list<std::string> words) : Args(std::vector<std::string>(words)) {}

Args::Args(std::vector<std::string> words) : words_(std::move(words)) {
    for (std::string &w : words_) ptrs_.push_back(w.data());
    ptrs_.push_back(nullptr);
}

namespace {

// The MDR grid: true at 60 N, pole at 105 W, 0.47625 units a box, 114 by 90
// boxes around 39.578445 N, 97.42146 W.
constexpr double MDR_D = 0.47625;
const double DEG = M_PI / 180.0;
const double XFACTOR = (1.0 + sin(60.0 * DEG)) * 63.7122;

void mdr_project(double lat, double lon, double *x, double *y) {
    const double r = XFACTOR * tan((90.0 - lat) / 2.0 * DEG);
    *x = r * sin((lon + 105.0) * DEG);
    *y = -r * cos((lon + 105.0) * DEG);
}

// The map coordinates of the north-west corner point (grid 0, 0).
void mdr_corner(double *x_min, double *y_max) {
    double xc, yc;
    mdr_project(39.578445, -97.42146, &xc, &yc);
    *x_min = xc - MDR_D * 113 / 2.0;
    *y_max = yc + MDR_D * 89 / 2.0;
}

} // namespace

GridPos mdr_grid(double lat, double lon) {
    double x_min, y_max, x, y;
    mdr_corner(&x_min, &y_max);
    mdr_project(lat, lon, &x, &y);
    return {(x - x_min) / MDR_D, (y_max - y) / MDR_D};
}

void mdr_latlon(double gx, double gy, double *lat, double *lon) {
    double x_min, y_max;
    mdr_corner(&x_min, &y_max);
    const double x = x_min + gx * MDR_D, y = y_max - gy * MDR_D;
    *lat = 90.0 - 2.0 * atan(sqrt(x * x + y * y) / XFACTOR) / DEG;
    *lon = atan2(x, -y) / DEG - 105.0;
}

std::string source_dir() {
    return VEK_SOURCE_DIR;
}
std::string binary_dir() {
    return VEK_BINARY_DIR;
}

RunResult run_dirida(const std::vector<std::string> &args, const std::string &cwd,
                     const std::map<std::string, std::string> &env, const std::string &input) {
    TempDir io;
    std::string in_path = io.file("stdin"), out_path = io.file("stdout"),
                err_path = io.file("stderr");
    write_file(in_path, input);

    std::string program = binary_dir() + "/dirida";
    std::vector<std::string> argv_s = {program};
    argv_s.insert(argv_s.end(), args.begin(), args.end());
    std::vector<std::string> env_s = {"PATH=/usr/bin:/bin", "HOME=" + cwd};
    for (const auto &[k, v] : env) env_s.push_back(k + "=" + v);

    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        int i = open(in_path.c_str(), O_RDONLY);
        int o = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(i, 0);
        dup2(o, 1);
        dup2(e, 2);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        std::vector<char *> av, ev;
        for (std::string &s : argv_s) av.push_back(s.data());
        av.push_back(nullptr);
        for (std::string &s : env_s) ev.push_back(s.data());
        ev.push_back(nullptr);
        execve(program.c_str(), av.data(), ev.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    RunResult r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    return r;
}

} // namespace vektest
