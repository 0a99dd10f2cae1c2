#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialogs/wizard_steps.h"

namespace {

WizardInput ButtonPage(const char* title, const char* button, const char* message, bool useMessage)
{
    WizardInput input{};
    input.title = title;
    input.button = button;
    input.message = message;
    input.useMessage = useMessage;
    return input;
}

WizardInput KindPage(bool button)
{
    WizardInput input{};
    input.kindButton = button;
    input.kindWindow = !button;
    return input;
}

TEST(WizardStepsTest, AButtonRuleWalksPages600To660)
{
    WizardState state{};
    ListEntry entry{};
    EXPECT_EQ(WizardPageTemplate(state), 600);
    ASSERT_EQ(WizardNext(state, KindPage(true), entry), kNoInputError);
    EXPECT_EQ(state.kind, kKindButtonRule);
    EXPECT_EQ(WizardPageTemplate(state), 620);
    ASSERT_EQ(WizardNext(state, ButtonPage("Speichern", "&Ja", "", false), entry), kNoInputError);
    EXPECT_EQ(WizardPageTemplate(state), 640);
    WizardInput method{};
    method.leftClick = true;
    ASSERT_EQ(WizardNext(state, method, entry), kNoInputError);
    EXPECT_EQ(WizardPageTemplate(state), 660);
    EXPECT_EQ(state.step, 3);
    EXPECT_STREQ(entry.title, "Speichern");
    EXPECT_STREQ(entry.button, "&Ja");
    EXPECT_EQ(entry.condition, kAlwaysClick);
    EXPECT_EQ(entry.method, kLeftClick);
    // Next on the last page stays there.
    ASSERT_EQ(WizardNext(state, method, entry), kNoInputError);
    EXPECT_EQ(state.step, 3);
}

TEST(WizardStepsTest, ButtonPageChecksTheTextsAndTheLaterErrorWins)
{
    struct {
        const char* title;
        const char* button;
        const char* message;
        bool useMessage;
        int error;
        ClickCondition condition;
    } cases[] = {
        {"Speichern", "&Ja", "", true, kErrorMessageTextMissing, kClickIfMessage},
        {"", "&Ja", "", true, kErrorButtonRuleTexts, kClickIfMessage},
        {"Speichern", "", "*gespeichert*", true, kErrorButtonRuleTexts, kClickIfMessage},
        {"Speichern", "&Ja", "*gespeichert*", true, kNoInputError, kClickIfMessage},
        {"Speichern", "&Ja", "", false, kNoInputError, kAlwaysClick},
        {"", "", "", false, kErrorButtonRuleTexts, kAlwaysClick},
    };
    for (const auto& c : cases) {
        WizardState state{1, kKindButtonRule};
        ListEntry entry{};
        EXPECT_EQ(WizardNext(state, ButtonPage(c.title, c.button, c.message, c.useMessage), entry), c.error)
            << c.title << "/" << c.button;
        EXPECT_EQ(state.step, c.error == kNoInputError ? 2 : 1) << "a failed check keeps the step";
        EXPECT_EQ(entry.condition, c.condition);
    }
}

TEST(WizardStepsTest, AWindowRuleNeedsATitleAndMapsTheActions)
{
    WizardState state{};
    ListEntry entry{};
    ASSERT_EQ(WizardNext(state, KindPage(false), entry), kNoInputError);
    EXPECT_EQ(WizardPageTemplate(state), 680);
    WizardInput title{};
    title.title = "";
    EXPECT_EQ(WizardNext(state, title, entry), kErrorWindowTitleMissing);
    EXPECT_EQ(WizardPageTemplate(state), 680);
    title.title = "*Editor";
    title.program = "notepad.exe";
    title.wholeTitle = true;
    ASSERT_EQ(WizardNext(state, title, entry), kNoInputError);
    EXPECT_EQ(WizardPageTemplate(state), 700);
    EXPECT_STREQ(entry.title, "*Editor");
    EXPECT_STREQ(entry.program, "notepad.exe");
    EXPECT_TRUE(entry.wholeTitle);
    EXPECT_EQ(entry.condition, kAlwaysClick);

    struct {
        bool close;
        bool minimize;
        ClickMethod method;
    } actions[] = {{true, false, kCloseWindow}, {false, true, kMinimizeWindow}, {false, false, kMaximizeWindow}};
    for (const auto& a : actions) {
        WizardState onAction{2, kKindWindowRule};
        WizardInput input{};
        input.closeWindow = a.close;
        input.minimizeWindow = a.minimize;
        ASSERT_EQ(WizardNext(onAction, input, entry), kNoInputError);
        EXPECT_EQ(entry.method, a.method);
        EXPECT_EQ(WizardPageTemplate(onAction), 720);
    }
}

// The editor and both wizard paths refuse the same titles: an empty one, and for a rule that acts
// always one that matches every window, unless a program narrows it. Rows: title, condition,
// program, what the editor says.
TEST(WizardStepsTest, TheEditorAndTheWizardRefuseTitlesThatMatchEveryWindow)
{
    const struct {
        const char* title;
        ClickCondition condition;
        const char* program;
        int error;
    } cases[] = {{"", kClickIfMessage, "", kErrorWindowTitleMissing},
                 {"", kAlwaysClick, "setup.exe", kErrorWindowTitleMissing},
                 {" ** * ", kAlwaysClick, "", kErrorTitleMatchesEveryWindow},
                 {"*", kAlwaysClick, " * ", kErrorTitleMatchesEveryWindow},
                 {"*", kAlwaysClick, "setup.exe", kNoInputError},
                 {"*", kClickIfMessage, "", kNoInputError},
                 {"*a*", kAlwaysClick, "", kNoInputError}};
    for (const auto& c : cases) {
        SCOPED_TRACE('"' + std::string(c.title) + "\" in \"" + c.program + '"');
        EXPECT_EQ(RuleTitleError(c.title, c.condition, c.program), c.error);
        ListEntry entry{};
        WizardState button{1, kKindButtonRule}, window{1, kKindWindowRule};
        const bool always = c.condition == kAlwaysClick;
        WizardInput texts = ButtonPage(c.title, "&Ja", "x", !always);
        texts.program = c.program;
        EXPECT_EQ(WizardNext(button, texts, entry), c.title[0] == '\0' ? kErrorButtonRuleTexts : c.error);
        WizardInput input{};
        input.title = c.title;
        input.program = c.program;
        if (always) {
            EXPECT_EQ(WizardNext(window, input, entry), c.error);
        }
    }
}

// Going back to the first page and on as the other kind keeps what the first path wrote where
// the second path does not write.
TEST(WizardStepsTest, BackToTheStartAndOnAsTheOtherKindKeepsEarlierTexts)
{
    WizardState state{};
    ListEntry entry{};
    WizardNext(state, KindPage(true), entry);
    WizardNext(state, ButtonPage("Frage", "&OK", "*sicher*", true), entry);
    WizardBack(state);
    EXPECT_EQ(WizardPageTemplate(state), 620);
    WizardBack(state);
    EXPECT_EQ(state.step, 0);
    EXPECT_EQ(WizardPageTemplate(state), 600);
    ASSERT_EQ(WizardNext(state, KindPage(false), entry), kNoInputError);
    EXPECT_EQ(state.step, 1);
    EXPECT_EQ(WizardPageTemplate(state), 680);
    WizardInput title{};
    title.title = "Werbung";
    WizardNext(state, title, entry);
    WizardInput action{};
    action.minimizeWindow = true;
    WizardNext(state, action, entry);
    EXPECT_STREQ(entry.title, "Werbung");
    EXPECT_STREQ(entry.button, "&OK");
    EXPECT_STREQ(entry.message, "*sicher*");
    EXPECT_EQ(entry.condition, kAlwaysClick);
    EXPECT_EQ(entry.method, kMinimizeWindow);

    // And from the window path back to the start, on as a button rule: page 620 at step 1.
    WizardState again{1, kKindWindowRule};
    WizardBack(again);
    ASSERT_EQ(WizardNext(again, KindPage(true), entry), kNoInputError);
    EXPECT_EQ(again.step, 1);
    EXPECT_EQ(WizardPageTemplate(again), 620);
}

// The editor's delay: a number of milliseconds from 0 to 60000, nothing else.
TEST(WizardStepsTest, TheDelayIsANumberFrom0To60000)
{
    const struct {
        const char* text;
        int32_t delayMs;  // -1: refused
    } cases[] = {{"0", 0},      {"60000", 60000}, {" 1500 ", 1500}, {"007", 7},  {"60001", -1},
                 {"-1", -1},    {"", -1},         {"  ", -1},       {"12a", -1}, {"1 5", -1},
                 {"+5", -1},    {"99999999999999999999", -1}};
    for (const auto& c : cases) {
        int32_t delayMs = 42;
        const int error = ReadDelay(c.text, &delayMs);
        EXPECT_EQ(error, c.delayMs < 0 ? kErrorDelayOutOfRange : kNoInputError) << '"' << c.text << '"';
        EXPECT_EQ(delayMs, c.delayMs < 0 ? 42 : c.delayMs) << '"' << c.text << '"';
    }
}

TEST(WizardStepsTest, SummaryFormattingTakesOnlyPercentS)
{
    const char* texts[] = {"Speichern", "&Ja", "-", "Button-Message"};
    EXPECT_EQ(FormatWithTexts("Fenstertitel: %s\r\nButtontext: %s\r\nMeldungstext: %s\r\nBoxSweep-Methode: %s",
                              texts, 4),
              "Fenstertitel: Speichern\r\nButtontext: &Ja\r\nMeldungstext: -\r\nBoxSweep-Methode: Button-Message");
    // A module's format with more, or other, conversions than the program passes.
    EXPECT_EQ(FormatWithTexts("%s %s %s", texts, 2), "Speichern &Ja ");
    EXPECT_EQ(FormatWithTexts("%d %n %x 100%% %s", texts, 1), "%d %n %x 100% Speichern");
    EXPECT_EQ(FormatWithTexts("Ende %", texts, 1), "Ende %");
}

}  // namespace
