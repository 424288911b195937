// Prompts: answers cut to their room, "set" names cut to theirs, numbers
// held, and prompt texts that are never formats. (The dialogue of the input
// file search shows "set", "exit", overlong answers and the end of input.)

#include "mess.h"
#include "resrc.h"
#include "vek_test.h"

#include <cmath>

using namespace vektest;

class Prompts : public VekTest {};

TEST_F(Prompts, AnswersAndSetNamesAreCutToTheirRoom) {
    Capture cap("abcdefgh\n\n");
    char buf[8] = "";
    VEK_prompts("? ", buf, 5);
    EXPECT_STREQ(buf, "abcd");
    VEK_prompts("? ", buf, sizeof buf); // an empty answer keeps the preset
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(VEK_set_command("SET averyveryverylongresourcename = 1"), 1);
    EXPECT_STREQ(RES_get("averyveryverylongre"), "1");
}

// Numbers ask again until they read (beyond any float: held, never
// undefined); the prompt is never a format, and hidden under "none".
TEST_F(Prompts, NumbersAndPromptTexts) {
    Capture cap("abc\n2.5x\n1e999\nx\ny\n");
    EXPECT_FLOAT_EQ(VEK_promptf("n? "), 2.5f);
    EXPECT_TRUE(std::isinf(VEK_promptf("n? ")));
    char buf[8] = "";
    VEK_prompts("100%s %d %n? ", buf, sizeof buf);
    MESS_set_str("none");
    VEK_prompts("Shown? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "y");
    EXPECT_FLOAT_EQ(VEK_promptf("n? "), 0.0f); // end of input
    EXPECT_EQ(cap.out(), "n? n? n? 100%s %d %n? ");
}
