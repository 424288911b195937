// The message facility: selection by class and sublevel, the "message"
// string, message files, time stamps and paging.

#include "vek_test.h"

#include <cctype>

using namespace vektest;

class Messages : public VekTest {};

TEST_F(Messages, DefaultSelectionShowsPrintThroughOut2) {
    Capture cap;
    EXPECT_EQ(MESS_print(M_PRINT, "p\n"), 1);
    EXPECT_EQ(MESS_print(M_MESS, "m%d\n", 1), 1);
    EXPECT_EQ(MESS_print(M_OUT2, "o2\n"), 1);
    EXPECT_EQ(MESS_print(M_OUT3, "o3\n"), 0);
    EXPECT_EQ(MESS_print(M_OUT4, "o4\n"), 0);
    EXPECT_EQ(MESS_print(M_DEBUG, "d\n"), 0);
    EXPECT_EQ(MESS_print(M_ERROR, "e\n"), 1);
    EXPECT_EQ(MESS_print(0x40, "w\n"), 1);
    EXPECT_EQ(cap.out(), "p\nm1\no2\n");
    EXPECT_EQ(cap.err(), "e\nw\n");
}

TEST_F(Messages, ClassWordsSelectTheClassAndEveryMoreImportantOne) {
    struct Case {
        const char *str;
        M_type level;
    } cases[] = {
        {"debug", 0xFFFFFFFF}, {"warn", 0xFF},  {"none", 0},       {"errora", 0x1F},
        {"warnb", 0},          {"warnc", 0x7F}, {"WARNING", 0xFF}, {"mess", 0xFFF},
        {"out1d", 0xFFFF},     {"bogus", 0},    {"print", 0xF},    {"out4a", 0x1FFFFFF},
    };
    for (const Case &c : cases) {
        mess_reset_state();
        MESS_set_str(c.str);
        EXPECT_EQ(MESS_get(), c.level) << c.str;
    }
}

TEST_F(Messages, SignedTokensAddAndRemove) {
    MESS_set_str("warn,+out1d");
    EXPECT_EQ(MESS_get(), 0xFFu | 0x8000u);
    mess_reset_state();
    MESS_set_str("-warn");
    EXPECT_EQ(MESS_get(), 0x000FFFFFu & ~0xC0u);
    mess_reset_state();
    MESS_set_str("+bogus");
    EXPECT_EQ(MESS_get(), 0x000FFFFFu);
}

TEST_F(Messages, SelectionCodesAndDefaultsThatYield) {
    MESS_set(20, 0xFF); // a default: applies while nothing was set explicitly
    EXPECT_EQ(MESS_get(), 0xFFu);
    MESS_set(0, 0x800);
    EXPECT_EQ(MESS_get(), 0xFFFu);
    EXPECT_EQ(MESS_check_set(), 1);
    MESS_set(20, 0xF); // yields to the explicit selection
    EXPECT_EQ(MESS_get(), 0xFFFu);
    MESS_set(-1, 0xC0);
    EXPECT_EQ(MESS_get(), 0xF3Fu);
    MESS_set(1, 0x80000000);
    EXPECT_EQ(MESS_get(), 0x80000F3Fu);
    MESS_set(7, 0);
    EXPECT_EQ(MESS_get(), 0x80000F3Fu);
}

TEST_F(Messages, NoneSilencesEverythingIncludingErrors) {
    MESS_set_str("none");
    Capture cap;
    EXPECT_EQ(MESS_print(M_ERROR, "e\n"), 0);
    EXPECT_EQ(MESS_print(M_PRINT, "p\n"), 0);
    EXPECT_EQ(cap.out(), "");
    EXPECT_EQ(cap.err(), "");
}

TEST_F(Messages, TimeStampedMessageFileAndTerminal) {
    TempDir dir;
    std::string log = dir.file("x.log");
    MESS_set_str(("@fi=" + log).c_str());
    Capture cap;
    EXPECT_EQ(MESS_print(M_PRINT, "hello %s\n", "world"), 1);
    EXPECT_EQ(cap.out(), "hello world\n");
    mess_reset_state(); // closes the file
    std::string text = read_file(log);
    // "YY MON DD  hh:mm:ssZ -- " before the message.
    const std::string shape = "99 AAA 99  99:99:99Z -- hello world\n";
    ASSERT_EQ(text.size(), shape.size()) << text;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '9')
            EXPECT_TRUE(isdigit(static_cast<unsigned char>(text[i]))) << text;
        else if (shape[i] == 'A')
            EXPECT_TRUE(isupper(static_cast<unsigned char>(text[i]))) << text;
        else
            EXPECT_EQ(text[i], shape[i]) << text;
    }
}

TEST_F(Messages, FileOnlyModeKeepsTheTerminalQuiet) {
    TempDir dir;
    std::string log = dir.file("only.log");
    MESS_set_str(("fi=" + log).c_str());
    Capture cap;
    EXPECT_EQ(MESS_print(M_PRINT, "quiet\n"), 0);
    EXPECT_EQ(cap.out(), "");
    mess_reset_state();
    EXPECT_EQ(read_file(log), "quiet\n");
}

TEST_F(Messages, MessageFileAppendsOrEmpties) {
    TempDir dir;
    std::string log = dir.file("m.log");
    write_file(log, "old\n");
    MESS_set_str(("+fi=" + log).c_str());
    {
        Capture cap;
        MESS_print(M_PRINT, "new\n");
    }
    mess_reset_state();
    EXPECT_EQ(read_file(log), "old\nnew\n");

    MESS_set_str(("-fi=" + log).c_str());
    {
        Capture cap;
        MESS_print(M_PRINT, "fresh\n");
    }
    mess_reset_state();
    EXPECT_EQ(read_file(log), "fresh\n");
}

TEST_F(Messages, DeferredFileIsOpenedAroundEachMessage) {
    TempDir dir;
    std::string log = dir.file("d.log");
    MESS_set_str(("dfi=" + log).c_str());
    EXPECT_FALSE(file_exists(log));
    Capture cap;
    MESS_print(M_PRINT, "one\n");
    // Already closed again, so the text is on disk at once.
    EXPECT_EQ(read_file(log), "one\n");
    MESS_print(M_PRINT, "two\n");
    EXPECT_EQ(read_file(log), "one\ntwo\n");
    EXPECT_EQ(cap.out(), "one\ntwo\n");
}

TEST_F(Messages, UnopenableMessageFileIsSkipped) {
    MESS_set_str("@fi=/nonexistent-dir/\x01/x.log");
    Capture cap;
    EXPECT_EQ(MESS_print(M_PRINT, "still shown\n"), 1);
    EXPECT_EQ(cap.out(), "still shown\n");
}

TEST_F(Messages, LogStreamReceivesTheSameText) {
    TempDir dir;
    std::string log = dir.file("log.txt");
    ASSERT_EQ(MESS_file(log.c_str(), "w"), 0);
    Capture cap;
    MESS_print(M_PRINT, "%d-%s\n", 7, "x");
    MESS_print(M_DEBUG, "hidden\n");
    MESS_file_close();
    EXPECT_EQ(read_file(log), "7-x\n");
}

TEST_F(Messages, PagingCountsNewlinesOfTheFormatAndHolds) {
    MESS_set_str("page,line=2");
    EXPECT_EQ(MESS_get_max_lines(), 2);
    Capture cap("\n\n");
    // The argument's newlines do not count: one line, then two more.
    MESS_print(M_PRINT, "a%s\n", "\n\n\n");
    EXPECT_EQ(cap.out(), "a\n\n\n\n");
}

TEST_F(Messages, PagingHoldsWhenTheScreenIsFull) {
    MESS_set_str("page,line=2");
    Capture cap("\n");
    MESS_print(M_PRINT, "1\n2\n");
    MESS_print(M_PRINT, "3\n");
    EXPECT_EQ(cap.out(), "1\n2\n3\nPress return to continue\n");
}

TEST_F(Messages, ComposedTextCountsItsOwnNewlines) {
    MESS_set_str("page,line=1");
    Capture cap("\n");
    MESS_print_str(M_PRINT, "x\ny\n%s%d\n");
    EXPECT_EQ(cap.out(), "x\ny\n%s%d\nPress return to continue\n");
}

TEST_F(Messages, HoldIsSkippedInBatchModeAndWithoutPaging) {
    Capture cap("\n");
    FLAG_set_batch(1);
    MESS_set_page(2);
    EXPECT_EQ(MESS_hold(M_PRINT, "held\n"), 0);
    FLAG_set_batch(-9999);
    MESS_set_page(0);
    MESS_hold(M_PRINT, "held\n");
    EXPECT_EQ(cap.out(), "");
}

TEST_F(Messages, ErrorHoldGoesToStdoutUnlessBothErrorAndWarning) {
    Capture cap("\n\n");
    MESS_hold(M_ERROR, "Press return to continue\n");
    MESS_hold(0x50, "both\n");
    EXPECT_EQ(cap.out(), "Press return to continue\n");
    EXPECT_EQ(cap.err(), "both\n");
}

TEST_F(Messages, LineCountBelowOneMeans22) {
    MESS_set_str("line=0");
    EXPECT_EQ(MESS_get_max_lines(), 22);
    MESS_set_str("line=40");
    EXPECT_EQ(MESS_get_max_lines(), 40);
}

TEST_F(Messages, BannerCarriesTheVersion) {
    Capture cap;
    MESS_print_prog("RADAR DATA CONVERSION PROGRAM");
    EXPECT_EQ(cap.out(),
              std::string("      RADAR DATA CONVERSION PROGRAM (Ver ") + VEK_version() + ")\n\n");
}

TEST_F(Messages, LongMessagesAreNotCut) {
    std::string big(5000, 'z');
    Capture cap;
    MESS_print(M_PRINT, "%s|\n", big.c_str());
    EXPECT_EQ(cap.out(), big + "|\n");
}
