// support_vek.cpp - the shared helpers of the test suites.

#include "vek_test.h"

#include "rad_dec.h"
#include "res_init.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <list>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vektest {

void VekTest::SetUp() {
    VEK_set_exit_hook([](int status) { throw Exited{status}; });
    // The variables the package reads; tests set them explicitly when needed.
    for (const char *v : {"vekdefault", "vektz", "vekcurtime", "vekmess", "vekbatch", "vekhelp",
                          "vekcity", "vekfile"})
        unsetenv(v);
    vek_reset_all();
}

void VekTest::TearDown() {
    vek_reset_all();
    VEK_set_exit_hook(nullptr);
    for (auto [path, minor] : {std::pair{"/dev/null", 3u}, std::pair{"/dev/full", 7u}}) {
        if (std::filesystem::is_character_file(path)) continue;
        ADD_FAILURE() << path << " is no longer a device";
        if (geteuid() == 0 && (unlink(path) == 0 || errno == ENOENT) &&
            mknod(path, S_IFCHR | 0666, makedev(1, minor)) == 0)
            chmod(path, 0666); // past the umask
    }
}

Capture::Capture(const std::string &input) {
    fflush(nullptr);
    for (int fd = 0; fd < 3; ++fd) {
        files_[fd] = fd ? tmpfile() : stream_of(input);
        saved_[fd] = dup(fd);
        dup2(fileno(files_[fd]), fd);
    }
    clearerr(stdin);
}

void Capture::stop() {
    if (stopped_) return;
    stopped_ = true;
    fflush(nullptr);
    for (int fd = 0; fd < 3; ++fd) {
        dup2(saved_[fd], fd);
        close(saved_[fd]);
        std::string &text = fd == 1 ? out_ : err_;
        rewind(files_[fd]);
        for (int c; fd && (c = getc(files_[fd])) != EOF;) text += static_cast<char>(c);
        fclose(files_[fd]);
    }
    // Whatever stdin buffered from the fed text must not leak into later tests.
    fseek(stdin, 0, SEEK_END);
    clearerr(stdin);
}

std::string long_path(const std::string &base, size_t length, char fill) {
    std::string path = base;
    while (length - path.size() > 400) path += "/" + std::string(199, fill);
    const size_t rest = length - path.size(); // 3 to 400: one or two more
    if (rest <= 200) return path + "/" + std::string(rest - 1, fill);
    path += "/" + std::string(rest / 2 - 1, fill);
    return path + "/" + std::string(length - path.size() - 1, fill);
}

void init_resources(const std::vector<std::string> &words) {
    static std::list<std::string> kept;
    static std::list<std::vector<char *>> arrays;
    std::vector<char *> &argv = arrays.emplace_back();
    for (const std::string &w : words) argv.push_back(kept.emplace_back(w).data());
    argv.push_back(nullptr);
    RES_init(static_cast<int>(words.size()), argv.data(), RAD_res_key, RAD_res_pos);
}

FILE *stream_of(const std::string &bytes) {
    FILE *f = tmpfile();
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        throw std::runtime_error("tmpfile");
    rewind(f);
    return f;
}

namespace {

// The text form's character of cell (X, Y): 1 to 6 as digits, else blank;
// its value in *V.
char cell_char(const Cells &cells, int x, int y, int *v = nullptr) {
    auto it = cells.find({x, y});
    const int value = it == cells.end() ? 0 : it->second;
    if (v) *v = value;
    return value >= 1 && value <= 6 ? static_cast<char>('0' + value) : ' ';
}

} // namespace

std::string mdr_summary(const Cells &cells) {
    const struct {
        const char *before;
        int y0, y1, x0, x1;
    } pieces[] = {{"SDUS SUMMARY\n+ 01 081\n", 0, 41, 79, 119},
                  {"+ 44 081\nSDUS\n+ 43 081\n", 42, 87, 79, 119},
                  {"+ 90 081\nSDUS\n+ 01 041\n", 0, 51, 39, 78},
                  {"+ 54 041\nSDUS\n+ 53 041\n", 52, 87, 39, 78},
                  {"+ 90 041\nSDUS\n+ 01 002\n", 0, 41, 0, 38},
                  {"+ 44 002\nSDUS\n+ 43 002\n", 42, 87, 0, 38}};
    std::string text;
    for (const auto &p : pieces) {
        text += p.before;
        for (int y = p.y0; y <= p.y1; ++y, text += '\n')
            for (int x = p.x0; x <= p.x1; ++x) text += cell_char(cells, x, y);
    }
    return text + "+ 90 002\nSDXX STATIONS\n";
}

std::string rcm_summary(const Cells &cells) {
    std::string text = "RCM SUMMARY\n";
    for (int y = 0; y < 360; ++y) {
        std::string row;
        bool present = false;
        for (int x = 0, v; x < 452; ++x) {
            row += cell_char(cells, x, y, &v);
            present |= v >= 1 && v <= 9;
            if ((x + 1) % 78 == 0 || x == 451) row += '\n';
        }
        if (present) text += fmt("+%3d\n", y) + row;
    }
    return text;
}

namespace {

// The projection of the MDR grid: true at 60 N, pole at 105 W; worked out on
// each use, as the suites' tables use it while they are made.
constexpr double DEG = M_PI / 180.0;
double xfactor() {
    return (1.0 + sin(60.0 * DEG)) * 63.7122;
}

std::pair<double, double> project(double lat, double lon) {
    const double r = xfactor() * tan((90.0 - lat) / 2.0 * DEG);
    return {r * sin((lon + 105.0) * DEG), -r * cos((lon + 105.0) * DEG)};
}

} // namespace

std::pair<double, double> mdr_grid(const std::vector<std::string> &lines, const char *id) {
    double lat = 0, lon = 0;
    for (const std::string &s : lines)
        if (s.find(" " + std::string(id) + " ") != std::string::npos)
            sscanf(s.c_str(), "%*s %*s %*s %*s %*d %lf %lf", &lat, &lon);
    const auto [xc, yc] = project(39.578445, -97.42146);
    const auto [x, y] = project(lat, lon);
    return {(x - xc) / 0.47625 + 56.5, (yc - y) / 0.47625 + 44.5};
}

void grid_latlon(double clat, double clon, double d, double cx, double cy, double gx, double gy,
                 double *lat, double *lon) {
    const auto [xc, yc] = project(clat, clon);
    const double x = xc + (gx - cx) * d, y = yc - (gy - cy) * d;
    *lat = 90.0 - 2.0 * atan(sqrt(x * x + y * y) / xfactor()) / DEG;
    *lon = atan2(x, -y) / DEG - 105.0;
}

Started::Started(const std::vector<std::string> &args, const std::string &cwd,
                 const std::map<std::string, std::string> &env, const std::string &input) {
    write_file(io_.file("stdin"), input);
    std::vector<std::string> argv_s = {binary_dir + "/dirida"};
    argv_s.insert(argv_s.end(), args.begin(), args.end());
    std::vector<std::string> env_s = {"PATH=/usr/bin:/bin", "HOME=" + cwd};
    for (const auto &[k, v] : env) env_s.push_back(k + "=" + v);
    std::vector<char *> av, ev;
    for (auto [from, to] : {std::pair{&argv_s, &av}, {&env_s, &ev}}) {
        for (std::string &a : *from) to->push_back(a.data());
        to->push_back(nullptr);
    }
    const std::string in = io_.file("stdin"), out = io_.file("stdout"), err = io_.file("stderr");

    fflush(stdout);
    fflush(stderr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(open(in.c_str(), O_RDONLY), 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        execve(av[0], av.data(), ev.data());
        _exit(127);
    }
}

Started::~Started() {
    if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
}

RunResult Started::finish() {
    int wstatus = 0;
    RunResult r;
    if (pid_ > 0 && waitpid(pid_, &wstatus, 0) == pid_)
        r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    pid_ = -1;
    r.out = read_file(io_.file("stdout"));
    r.err = read_file(io_.file("stderr"));
    return r;
}

Install::Install(const std::vector<std::string> &stations) {
    for (const std::string &d : {etc(), raw(), defaults()}) std::filesystem::create_directories(d);
    std::string cty;
    for (const std::string &s : stations) cty += s + "\n";
    write_file(etc() + "/rad.cty",
               stations.empty() ? read_file(source_dir + "/data/rad.cty") : cty);
    write_file(etc() + "/name_conv", read_file(source_dir + "/data/name_conv"));
}

std::vector<std::string> Install::args(const std::vector<std::string> &more, bool batch) const {
    std::vector<std::string> all = {"-fp", etc(), "-dp", raw(), "-cp", out()};
    if (batch) all.insert(all.begin(), "-ba");
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

std::vector<std::filesystem::path> Install::entries() const {
    std::vector<std::filesystem::path> all;
    if (std::filesystem::exists(out()))
        for (const auto &e : std::filesystem::directory_iterator(out())) all.push_back(e.path());
    std::sort(all.begin(), all.end());
    return all;
}

std::string Install::out_entries() const {
    std::string names = std::filesystem::exists(out()) ? "" : "none";
    for (const auto &p : entries()) names += " " + p.filename().string();
    return names;
}

std::string Install::take_output(bool names) const {
    std::string all;
    for (const auto &p : entries())
        all += read_file(p) + (names ? "\n@" + p.filename().string() : "");
    std::filesystem::remove_all(out());
    return all;
}

} // namespace vektest
