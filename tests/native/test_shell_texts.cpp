#include <gtest/gtest.h>

#include <cstring>

#include "shell/command_line.h"
#include "shell/language_choice.h"
#include "shell/popup_items.h"

namespace {

TEST(CommandLineTest, ArgumentIsTheRestAfterTheProgramName)
{
    struct {
        const char* line;
        const char* argument;
    } cases[] = {
        {"boxsweep.exe /notray", "/notray"},
        {"boxsweep.exe", ""},
        {"boxsweep.exe    /exit", "/exit"},
        {"\"C:\\Program Files\\BoxSweep\\boxsweep.exe\"  /notray", "/notray"},
        {"\"C:\\Program Files\\BoxSweep\\boxsweep.exe\"", ""},
        {"\"C:\\a b\\boxsweep.exe\"/exit", "/exit"},
        // Without its closing quote the whole line is the argument.
        {"\"C:\\a b\\boxsweep.exe /exit", "\"C:\\a b\\boxsweep.exe /exit"},
        // Only spaces separate.
        {"boxsweep.exe\t/exit", ""},
        {"boxsweep.exe /setup /notray", "/setup /notray"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(ExtractArgument(c.line), c.argument) << c.line;
}

TEST(CommandLineTest, OnlyAWholeOptionCountsAndCaseIsIgnored)
{
    EXPECT_EQ(ParseStartOption("/notray"), StartOption::NoTray);
    EXPECT_EQ(ParseStartOption("/NOTRAY"), StartOption::NoTray);
    EXPECT_EQ(ParseStartOption("/Setup"), StartOption::Setup);
    EXPECT_EQ(ParseStartOption("/restart"), StartOption::Restart);
    EXPECT_EQ(ParseStartOption("/exit"), StartOption::Exit);
    EXPECT_EQ(ParseStartOption("/nodde"), StartOption::NoDde);
    EXPECT_EQ(ParseStartOption(""), StartOption::None);
    EXPECT_EQ(ParseStartOption("/setup /notray"), StartOption::None);
    EXPECT_EQ(ParseStartOption("/notray "), StartOption::None);
    EXPECT_EQ(ParseStartOption("/exi"), StartOption::None);
    EXPECT_EQ(ParseStartOption("-exit"), StartOption::None);
}

TEST(LanguageChoiceTest, ModuleNameLiesBetweenTheFirstParentheses)
{
    char name[24] = "unchanged";
    EXPECT_TRUE(ModuleNameFromChoice("Nederlands (dutch.dll)", name, sizeof name));
    EXPECT_STREQ(name, "dutch.dll");
    EXPECT_TRUE(ModuleNameFromChoice("Deutsch (boxsweep.exe)", name, sizeof name));
    EXPECT_STREQ(name, "boxsweep.exe");
    EXPECT_TRUE(ModuleNameFromChoice("Svenska (sv (x).dll)", name, sizeof name));
    EXPECT_STREQ(name, "sv (x");

    // Texts that name no file leave the name as it was.
    std::strcpy(name, "dutch.dll");
    EXPECT_FALSE(ModuleNameFromChoice("", name, sizeof name));
    EXPECT_FALSE(ModuleNameFromChoice("Deutsch", name, sizeof name));
    EXPECT_FALSE(ModuleNameFromChoice("Deutsch (boxsweep.exe", name, sizeof name));
    EXPECT_FALSE(ModuleNameFromChoice("Deutsch boxsweep.exe)", name, sizeof name));
    // A shortened name would name another file.
    EXPECT_FALSE(ModuleNameFromChoice("Lang (a-module-name-of-24-chars.dll)", name, sizeof name));
    EXPECT_STREQ(name, "dutch.dll");
    EXPECT_TRUE(ModuleNameFromChoice("Lang (exactly-23-chars-long.d)", name, sizeof name));
    EXPECT_STREQ(name, "exactly-23-chars-long.d");
}

TEST(LanguageChoiceTest, ItemTextRoundTripsToTheFileName)
{
    const std::string item = FormatLanguageItem("Nederlands", "dutch.dll");
    EXPECT_EQ(item, "Nederlands (dutch.dll)");
    char name[24];
    ASSERT_TRUE(ModuleNameFromChoice(item.c_str(), name, sizeof name));
    EXPECT_STREQ(name, "dutch.dll");
}

TEST(PopupItemsTest, OnlyVisibleTitledWindowsOtherThanTheDesktopAreOffered)
{
    EXPECT_TRUE(IsOfferedWindow(true, "Unbenannt - Editor"));
    EXPECT_FALSE(IsOfferedWindow(false, "Unbenannt - Editor"));
    EXPECT_FALSE(IsOfferedWindow(true, ""));
    EXPECT_FALSE(IsOfferedWindow(true, "Program Manager"));
    EXPECT_TRUE(IsOfferedWindow(true, "program manager"));
    EXPECT_TRUE(IsOfferedWindow(true, "Program Manager 2"));
    EXPECT_FALSE(IsActingWindowItem(kWizardCommand));
    EXPECT_TRUE(IsActingWindowItem(16386));
    EXPECT_TRUE(IsActingWindowItem(16404));
    EXPECT_FALSE(IsActingWindowItem(16405));
}

}  // namespace
