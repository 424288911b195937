// The message facility: selection by class and sublevel, the "message"
// string, message files and time stamps, long and composed texts.

#include "mess.h"
#include "vek_test.h"

#include <regex>

using namespace vektest;

class Messages : public VekTest {};

TEST_F(Messages, DefaultSelectionAndTheTwoTerminalStreams) {
    Capture cap;
    for (M_type t : {M_PRINT, M_MESS, M_OUT2, M_OUT3, M_OUT4, M_DEBUG, M_ERROR, M_WARN})
        EXPECT_EQ(MESS_print(t, "%x\n", t), (t & 0x000FFFFF) ? 1 : 0) << t;
    EXPECT_EQ(cap.out(), "f\nf00\nf0000\n");
    EXPECT_EQ(cap.err(), "30\nc0\n");
}

// Level words select their class and those below it (a letter adds debug
// sublevels), "+" and "-" add and take away, anything else selects nothing.
TEST_F(Messages, LevelWordsOfTheMessageString) {
    struct {
        const char *str;
        M_type level;
    } cases[] = {{"debug", 0xFFFFFFFF}, {"warn", 0xFF},          {"none", 0},
                 {"warnc", 0x7F},       {"WARNING", 0xFF},       {"bogus", 0},
                 {"+bogus", 0xFFFFF},   {"warn,+out1d", 0x80FF}, {"-warn", 0xFFF3F}};
    for (auto c : cases) {
        mess_reset_state();
        MESS_set_str(c.str);
        EXPECT_EQ(MESS_get(), c.level) << c.str;
    }
}

// Message files: time-stamped ("@"), file only, emptied first ("-"),
// deferred (opened around each message), one that cannot be opened, and the
// log stream.
TEST_F(Messages, MessageFilesAndTheLogStream) {
    TempDir dir;
    const std::string stamped = dir.file("s.log"), only = dir.file("o.log"),
                      fresh = dir.file("f.log"), deferred = dir.file("d.log");
    write_file(fresh, "old\n");
    const struct {
        std::string setting, format, shown;
    } cases[] = {{"@fi=" + stamped, "hello %s\n", "hello world\n"},
                 {"fi=" + only, "quiet %s\n", ""},
                 {"-fi=" + fresh, "new %s\n", "new world\n"}};
    for (const auto &c : cases) {
        MESS_set_str(c.setting.c_str());
        Capture cap;
        EXPECT_EQ(MESS_print(M_PRINT, c.format.c_str(), "world"), c.shown.empty() ? 0 : 1);
        EXPECT_EQ(cap.out(), c.shown);
        mess_reset_state();
    }
    EXPECT_TRUE(std::regex_match(
        read_file(stamped), std::regex("[0-9]{2} [A-Z]{3} [0-9]{2}  [0-9]{2}:[0-9]{2}:[0-9]{2}Z "
                                       "-- hello world\n")))
        << read_file(stamped);
    EXPECT_EQ(read_file(only) + read_file(fresh), "quiet world\nnew world\n");
    Capture cap;
    MESS_set_str(("dfi=" + deferred).c_str());
    MESS_print(M_PRINT, "one\n");
    EXPECT_EQ(read_file(deferred), "one\n"); // closed again, so already on disk
    MESS_print(M_PRINT, "two\n");
    EXPECT_EQ(read_file(deferred), "one\ntwo\n");
    mess_reset_state();
    MESS_set_str("@fi=/dev/null/x.log");
    ASSERT_EQ(MESS_file(dir.file("log.txt").c_str(), "w"), 0);
    EXPECT_EQ(MESS_print(M_PRINT, "%d-%s\n", 7, "x"), 1);
    MESS_print(M_DEBUG, "hidden\n");
    MESS_file_close();
    EXPECT_EQ(read_file(dir.file("log.txt")), "7-x\n");
    EXPECT_EQ(cap.out(), "one\ntwo\n7-x\n");
    EXPECT_EQ(cap.err(),
              "MESS_set_str: Unable to open message file /dev/null/x.log: Not a directory\n");
}

// A message longer than any buffer is shown whole; a format's composed text
// is never read as a format again.
TEST_F(Messages, LongMessagesWholeAndComposedTextsNoFormats) {
    const std::string big(5000, 'z');
    Capture cap;
    MESS_print(M_PRINT, "%s|\n", big.c_str());
    MESS_print_str(M_PRINT, "%s%n\n");
    EXPECT_EQ(cap.out(), big + "|\n%s%n\n");
}
