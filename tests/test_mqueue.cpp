// The loop-window link: the program run against a stand-in window
// (tests/loop_window.cpp) that logs every request it receives.

#include "mqueue.h"
#include "vek_test.h"

#include <cerrno>
#include <cstring>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

using namespace vektest;

namespace {

// A queue key of this process that no queue has yet.
int fresh_key() {
    static int counter = 0;
    for (;;) {
        int key = 0x2a000000 + ((getpid() & 0xFFFF) << 8) + (counter++ & 0xFF);
        if (msgget(key, 0) < 0 && errno == ENOENT) return key;
    }
}

// The stand-in window on a fresh key for the scope; removing its queue
// however the test ends also ends the window.
class LoopWindow {
  public:
    explicit LoopWindow(const std::string &options) : key(fresh_key()) {
        std::string cmd =
            fmt("exec '%s/loop_window' %d '%s'", binary_dir.c_str(), key, log.c_str());
        for (const std::string &word : split(options)) cmd += " '" + word + "'";
        window_ = popen(cmd.c_str(), "r");
        char ready[8] = "";
        EXPECT_TRUE(window_ && fgets(ready, sizeof ready, window_) && !strcmp(ready, "ready\n"));
    }
    ~LoopWindow() {
        msgctl(msgget(key, 0), IPC_RMID, nullptr);
        if (window_) pclose(window_);
    }
    const int key;
    const TempDir dir;
    const std::string log = dir.file("log");
    FILE *window_ = nullptr;
};

std::string no_input(const std::string &name) {
    return "RAD_decode_file: Unable to open file:" + name + ": No such file or directory\n";
}

class Link : public VekTest {
  protected:
    void SetUp() override {
        VekTest::SetUp();
        write_file(work.file("name_conv"), ""); // names are used as typed
    }
    RunResult run(const std::string &path, const std::vector<std::string> &args,
                  std::map<std::string, std::string> env = {}) {
        env["vekdefault"] = path;
        return run_dirida(args, work.path(), env);
    }
    TempDir work, before;
};

// Each case: the window's values, the defaults file before it in the path, an
// environment variable, the arguments, the input the run then fails to open,
// what the window hears after its queries and what is said.
TEST_F(Link, WindowValuesTakeTheirPlaceInThePrecedence) {
    const struct {
        const char *window, *before_cfg, *env, *args, *input, *later, *err;
    } cases[] = {
        // the window's value, a value "!" that is none, values it lacks told to it
        {"filename=win.dat parameter=!none", "*input mdr\n*parameter p1\n*filename b.dat\n", "",
         "-ba", "win.dat", "set res input mdr|set res parameter p1|set res batch |quit",
         "RAD_parameter: parameter \"p1\" is not raw_sum, noclar or range=before:after: "
         "ignored\n"},
        // the environment and the command line come after it
        {"filename=win.dat message=none", "", "env.dat", "-me error", "env.dat",
         "set res message error|quit", ""},
        // a value that could run a command is refused
        {"filename=|true", "", "", "cl.dat", "cl.dat", "quit",
         "RES_decode: The loop window's value of filename is refused: it could run a command: "
         "|true\n"},
    };
    for (const auto &c : cases) {
        LoopWindow window(c.window);
        write_file(before.file("vek.cfg"), c.before_cfg);
        std::map<std::string, std::string> env;
        if (*c.env) env["vekfilename"] = c.env;
        RunResult r = run(before.path() + ":#" + std::to_string(window.key), split(c.args), env);
        EXPECT_EQ(r.status, 10) << c.input;
        EXPECT_EQ(r.err, c.err + no_input(c.input));
        std::string later;
        for (const std::string &line : split(c.later, '|')) later += "A" + line + "\n";
        const std::string log = read_file(window.log);
        EXPECT_TRUE(log.starts_with(fmt("/%u\n", getuid())) &&
                    log.ends_with("Aquery res filename\n" + later))
            << log;
    }
}

// No queue: a warning, and the run goes on; a queue is never made. A window
// that never answers ends the program with status 7 at its alarm.
TEST_F(Link, WindowThatIsAbsentOrNeverAnswers) {
    write_file(before.file("vek.cfg"), "*filename before.dat\n");
    const int absent = fresh_key();
    RunResult r = run(before.path() + ":#" + std::to_string(absent), {});
    EXPECT_EQ(r.status, 10);
    EXPECT_EQ(r.err, "ZOZiziz window: " + std::to_string(absent) +
                         " not running or no message queue exists\n" + no_input("before.dat"));
    EXPECT_EQ(MQ_open(0), -1);
    LoopWindow alarming("--alarm");
    r = run("#" + std::to_string(alarming.key), {"in.dat"});
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.err, "Queue not responding!!\n");
}

} // namespace
