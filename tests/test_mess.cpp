// The message facility: the level words, message files and time stamps, long
// and composed texts.

#include "mess.h"
#include "vek_test.h"

#include <regex>

using namespace vektest;

class Messages : public VekTest {};

// Level words select their class and those below it, "+" adds a class and "-"
// takes one away; a word that is no level selects nothing.
TEST_F(Messages, LevelWordsSelectTheClassesShown) {
    for (auto [str, shown] : {std::pair{"mess", "EWMm"},
                              {"warn", "EW"},
                              {"mess,-warn", "EMm"},
                              {"error,+debug", "ED"},
                              {"none", ""},
                              {"bogus", ""}}) {
        mess_reset_state();
        Capture quiet;
        MESS_set_str(str);
        std::string got;
        for (auto [type, c] : {std::pair{M_ERROR, 'E'},
                               {M_WARN, 'W'},
                               {M_MESS, 'M'},
                               {M_MESS_D, 'm'},
                               {M_DEBUG, 'D'}})
            if (MESS_check(type)) got += c;
        EXPECT_EQ(got, shown) << str;
    }
}

// Message files: time-stamped ("@"), file only, emptied first ("-"), and one
// that cannot be opened.
TEST_F(Messages, MessageFiles) {
    TempDir dir;
    write_file(dir.file("f.log"), "old\n");
    for (auto [setting, shown] : {std::pair{"@fi=" + dir.file("s.log"), "hello world\n"},
                                  {"fi=" + dir.file("o.log"), ""},
                                  {"-fi=" + dir.file("f.log"), "hello world\n"}}) {
        MESS_set_str(setting.c_str());
        Capture cap;
        EXPECT_EQ(MESS_print(M_PRINT, "hello %s\n", "world"), *shown ? 1 : 0);
        EXPECT_EQ(cap.out(), shown);
        mess_reset_state();
    }
    EXPECT_TRUE(
        std::regex_match(read_file(dir.file("s.log")),
                         std::regex("[0-9]{2} [A-Z]{3} [0-9]{2}  [0-9]{2}:[0-9]{2}:[0-9]{2}Z "
                                    "-- hello world\n")));
    EXPECT_EQ(read_file(dir.file("o.log")) + read_file(dir.file("f.log")),
              "hello world\nhello world\n");
    Capture cap;
    MESS_set_str("@fi=/dev/null/x.log");
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
