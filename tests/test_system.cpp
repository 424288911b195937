// Prompts with their "set" and "exit" commands, the exit hook and sleeping.

#include "vek_test.h"

using namespace vektest;

class Prompts : public VekTest {};

TEST_F(Prompts, SetCommandStoresWithoutConvertingAndAsksAgain) {
    Capture cap("set message debug\nanswer\n");
    char buf[20] = "";
    VEK_prompts("Name? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "answer");
    EXPECT_STREQ(RES_get("message"), "debug");
    EXPECT_EQ(MESS_get(), 0x000FFFFFu);
    EXPECT_EQ(cap.out(), "Name? Name? ");
}

TEST_F(Prompts, SetAloneListsTheResources) {
    RES_put("alpha", "1");
    Capture cap("set\nok\n");
    char buf[20] = "";
    VEK_prompts("? ", buf, sizeof buf);
    EXPECT_EQ(cap.out(), "? Set resources\nalpha: 1\n\n? ");
}

TEST_F(Prompts, SetFormsWithEqualsAndBlanks) {
    EXPECT_EQ(VEK_set_command("set out_file=x.dat"), 1);
    EXPECT_STREQ(RES_get("out_file"), "x.dat");
    EXPECT_EQ(VEK_set_command("SET out_file = y.dat"), 1);
    EXPECT_STREQ(RES_get("out_file"), "y.dat");
    EXPECT_EQ(VEK_set_command("settings path /a b"), 1);
    EXPECT_STREQ(RES_get("path"), "/a b");
    EXPECT_EQ(VEK_set_command("set flagonly"), 1);
    EXPECT_STREQ(RES_get("flagonly"), "");
    EXPECT_EQ(VEK_set_command("set averyveryverylongresourcename=1"), 1);
    EXPECT_STREQ(RES_get("averyveryverylongre"), "1");
    EXPECT_EQ(VEK_set_command("sunset"), 0);
}

TEST_F(Prompts, ExitEndsWithStatusZero) {
    for (const char *answer : {"exit\n", "EXIT now\n"}) {
        Capture cap(answer);
        char buf[8] = "";
        try {
            VEK_prompts("? ", buf, sizeof buf);
            ADD_FAILURE() << "no exit for " << answer;
        } catch (const Exited &e) {
            EXPECT_EQ(e.status, 0);
        }
    }
}

TEST_F(Prompts, AnswerIsCutToTheLength) {
    Capture cap("abcdefgh\n");
    char buf[5] = "";
    VEK_prompts("? ", buf, 5);
    EXPECT_STREQ(buf, "abcd");
}

TEST_F(Prompts, EmptyAnswerKeepsThePresetDefault) {
    Capture cap("\n");
    char buf[8] = "dflt";
    VEK_prompts("? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "dflt");
}

TEST_F(Prompts, EndOfInputReturnsTheBufferAsItWas) {
    Capture cap("");
    char buf[8] = "keep";
    EXPECT_EQ(VEK_prompts("? ", buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "keep");
    EXPECT_FLOAT_EQ(VEK_promptf("n? "), 0.0f);
}

TEST_F(Prompts, OverlongAnswerLineDoesNotSpillIntoTheNextAnswer) {
    Capture cap(std::string(200, 'x') + "\nsecond\n");
    char buf[8] = "";
    VEK_prompts("? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "xxxxxxx");
    VEK_prompts("? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "second");
}

TEST_F(Prompts, NullBufferIsAllocated) {
    Capture cap("word\n");
    char *p = VEK_prompts("? ", nullptr, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "w"); // a length below 2 counts as 2
    free(p);
}

TEST_F(Prompts, NumbersAskAgainUntilTheyRead) {
    Capture cap("abc\n2.5x\n");
    EXPECT_FLOAT_EQ(VEK_promptf("n? "), 2.5f);
    EXPECT_EQ(cap.out(), "n? n? ");
}

TEST_F(Prompts, PromptIsHiddenWhenPrintIsNotSelectedButInputStillRead) {
    MESS_set_str("none");
    Capture cap("yes\n");
    char buf[8] = "";
    VEK_prompts("Shown? ", buf, sizeof buf);
    EXPECT_STREQ(buf, "yes");
    EXPECT_EQ(cap.out(), "");
}

TEST_F(Prompts, PromptTextIsNeverAFormat) {
    Capture cap("x\n");
    char buf[8] = "";
    VEK_prompts("100%s %d %n? ", buf, sizeof buf);
    EXPECT_EQ(cap.out(), "100%s %d %n? ");
}

TEST(ProcessUtilities, SleepKeepsTheElapsedAccount) {
    float before = VEK_elapse();
    EXPECT_EQ(VEK_sleep(0), -1);
    EXPECT_EQ(VEK_sleep(-1), -1);
    EXPECT_FLOAT_EQ(VEK_elapse(), before);
    EXPECT_EQ(VEK_sleep(0.01f), 0);
    EXPECT_FLOAT_EQ(VEK_elapse(), before + 0.01f);
}

TEST(ProcessUtilities, VersionLabelShape) {
    std::string v = VEK_version();
    int dots = 0, dashes = 0;
    for (char c : v) {
        dots += c == '.';
        dashes += c == '-';
    }
    EXPECT_EQ(dots, 2);
    EXPECT_EQ(dashes, 2);
    EXPECT_NE(v.find("-LINUX-"), std::string::npos);
}
