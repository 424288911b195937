// Prompts with their "set" and "exit" commands.

#include "mess.h"
#include "resrc.h"
#include "system.h"
#include "vek_test.h"

#include <cmath>
#include <tuple>

using namespace vektest;

class Prompts : public VekTest {};

// "set" stores resources without converting them and asks again; its forms;
// "exit" ends with status 0.
TEST_F(Prompts, SetAndExitCommands) {
    RES_put("alpha", "1");
    Capture cap("set message debug\nset\nanswer\nexit\nEXIT now\n");
    char buf[20] = "";
    VEK_prompts("Name? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "answer");
    EXPECT_STREQ(RES_get("message"), "debug");
    EXPECT_EQ(MESS_get(), 0x000FFFFFu); // stored, not applied
    for (int i = 0; i < 2; ++i) EXPECT_EQ(exit_status([&] { VEK_prompts("? ", buf, 8); }), 0);
    EXPECT_EQ(cap.out(), "Name? Name? Set resources\nalpha: 1\nmessage: debug\n\nName? ? ? ");
    for (auto [line, name, value] :
         {std::tuple{"SET out_file = y.dat", "out_file", "y.dat"},
          {"set flagonly", "flagonly", ""},
          {"set averyveryverylongresourcename=1", "averyveryverylongre", "1"}}) {
        EXPECT_EQ(VEK_set_command(line), 1) << line;
        EXPECT_STREQ(RES_get(name), value) << line;
    }
    EXPECT_EQ(VEK_set_command("sunset"), 0);
}

TEST_F(Prompts, AnswersAreCutKeptOrAllocatedUpToTheEndOfInput) {
    Capture cap("abcdefgh\n\n" + std::string(200, 'x') + "\nsecond\nword\n");
    char buf[8] = "";
    VEK_prompts("? ", buf, 5);
    EXPECT_STREQ(buf, "abcd");
    VEK_prompts("? ", buf, sizeof buf); // an empty answer keeps the preset
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(VEK_prompt_status(), VEK_PROMPT_ANSWER);
    VEK_prompts("? ", buf, sizeof buf); // the rest of an overlong line is dropped
    EXPECT_EQ(VEK_prompt_status(), VEK_PROMPT_LONG);
    VEK_prompts("? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "second");
    char *p = VEK_prompts("? ", nullptr, 1);
    EXPECT_STREQ(p, "w"); // a length below 2 counts as 2
    free(p);
    EXPECT_EQ(VEK_prompts("? ", buf, sizeof buf), buf); // end of input
    EXPECT_STREQ(buf, "second");
    EXPECT_EQ(VEK_prompt_status(), VEK_PROMPT_END);
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
