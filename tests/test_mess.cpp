// The message facility: selection by class and sublevel, the "message"
// string, message files, time stamps and paging.

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

TEST_F(Messages, LevelTokensOfTheMessageString) {
    struct {
        const char *str;
        M_type level;
    } cases[] = {{"debug", 0xFFFFFFFF},
                 {"warn", 0xFF},
                 {"none", 0},
                 {"errora", 0x1F},
                 {"warnb", 0},
                 {"warnc", 0x7F},
                 {"WARNING", 0xFF},
                 {"out1d", 0xFFFF},
                 {"bogus", 0},
                 {"+bogus", 0xFFFFF},
                 {"warn,+out1d", 0x80FF},
                 {"-warn", 0xFFF3F}};
    for (auto c : cases) {
        mess_reset_state();
        MESS_set_str(c.str);
        EXPECT_EQ(MESS_get(), c.level) << c.str;
    }
}

TEST_F(Messages, SelectionCodesAndDefaultsThatYield) {
    MESS_set(20, 0xFF); // a default applies while nothing was set explicitly
    EXPECT_EQ(MESS_get(), 0xFFu);
    MESS_set(0, 0x800);
    MESS_set(20, 0xF); // and yields once something was
    EXPECT_EQ(MESS_get(), 0xFFFu);
    MESS_set(-1, 0xC0);
    MESS_set(1, 0x80000000);
    EXPECT_EQ(MESS_get(), 0x80000F3Fu);
}

TEST_F(Messages, MessageFilesTimeStampedAppendedEmptiedAndFileOnly) {
    TempDir dir;
    std::string stamped = dir.file("s.log"), only = dir.file("o.log"), fresh = dir.file("f.log");
    write_file(fresh, "old\n");
    {
        MESS_set_str(("@fi=" + stamped).c_str());
        Capture cap;
        EXPECT_EQ(MESS_print(M_PRINT, "hello %s\n", "world"), 1);
        EXPECT_EQ(cap.out(), "hello world\n");
    }
    mess_reset_state();
    const std::string text = read_file(stamped);
    EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]{2} [A-Z]{3} [0-9]{2}  "
                                                  "[0-9]{2}:[0-9]{2}:[0-9]{2}Z -- hello world\n")))
        << text;

    MESS_set_str(("fi=" + only).c_str());
    {
        Capture cap;
        EXPECT_EQ(MESS_print(M_PRINT, "quiet\n"), 0);
        EXPECT_EQ(cap.out(), "");
    }
    mess_reset_state();
    EXPECT_EQ(read_file(only), "quiet\n");

    MESS_set_str(("-fi=" + fresh).c_str());
    {
        Capture cap;
        MESS_print(M_PRINT, "new\n");
    }
    mess_reset_state();
    EXPECT_EQ(read_file(fresh), "new\n");
}

TEST_F(Messages, DeferredFileIsOpenedAroundEachMessage) {
    TempDir dir;
    std::string log = dir.file("d.log");
    MESS_set_str(("dfi=" + log).c_str());
    Capture cap;
    MESS_print(M_PRINT, "one\n");
    EXPECT_EQ(read_file(log), "one\n"); // closed again, so already on disk
    MESS_print(M_PRINT, "two\n");
    EXPECT_EQ(read_file(log), "one\ntwo\n");
}

TEST_F(Messages, UnopenableMessageFileAndTheLogStream) {
    TempDir dir;
    {
        Capture warned;
        MESS_set_str("@fi=/dev/null/x.log");
        EXPECT_EQ(warned.err(),
                  "MESS_set_str: Unable to open message file /dev/null/x.log: Not a directory\n");
    }
    ASSERT_EQ(MESS_file(dir.file("log.txt").c_str(), "w"), 0);
    Capture cap;
    EXPECT_EQ(MESS_print(M_PRINT, "%d-%s\n", 7, "x"), 1);
    MESS_print(M_DEBUG, "hidden\n");
    MESS_file_close();
    EXPECT_EQ(cap.out(), "7-x\n");
    EXPECT_EQ(read_file(dir.file("log.txt")), "7-x\n");
}

TEST_F(Messages, PagingCountsNewlinesOfTheFormatNotOfTheArguments) {
    MESS_set_str("page,line=2");
    Capture cap("\n");
    MESS_print(M_PRINT, "a%s\n", "\n\n\n"); // one line
    MESS_print(M_PRINT, "b\n");             // two
    MESS_print_str(M_PRINT, "%s\n");        // a composed text counts its own: three
    EXPECT_EQ(cap.out(), "a\n\n\n\nb\n%s\nPress return to continue\n");
}

TEST_F(Messages, HoldsAreSkippedInBatchModeAndGoToStdoutUnlessErrorAndWarning) {
    Capture cap("\n\n");
    FLAG_set_batch(1);
    MESS_set_page(2);
    EXPECT_EQ(MESS_hold(M_PRINT, "batch\n"), 0);
    FLAG_set_batch(-9999);
    MESS_hold(M_ERROR, "to stdout\n");
    MESS_hold(0x50, "to stderr\n");
    MESS_set_page(0);
    MESS_hold(M_PRINT, "no paging\n");
    EXPECT_EQ(cap.out(), "to stdout\n");
    EXPECT_EQ(cap.err(), "to stderr\n");
}

TEST_F(Messages, LineCountBelowOneMeans22AndLongMessagesAreWhole) {
    MESS_set_str("line=0");
    EXPECT_EQ(MESS_get_max_lines(), 22);
    MESS_set_str("line=-99999999999");
    EXPECT_EQ(MESS_get_max_lines(), 22);
    MESS_set_str("line=99999999999");
    EXPECT_EQ(MESS_get_max_lines(), 2147483647);
    std::string big(5000, 'z');
    Capture cap;
    MESS_print(M_PRINT, "%s|\n", big.c_str());
    EXPECT_EQ(cap.out(), big + "|\n");
}
