// The watch cycle against real windows of the fixture program, through the real USER32 calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "fixture_process.h"
#include "watching.h"
#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "watcher/scan.h"
#include "watcher/win32_window_ops.h"

namespace {

size_t Occurrences(const FixtureProcess& box, const std::string& line)
{
    const std::vector<std::string> events = box.Events();
    return static_cast<size_t>(std::count(events.begin(), events.end(), line));
}

class RealWindowsTest : public ::testing::Test {
protected:
    ListEntry& AddRule(const char* title, ClickCondition condition, ClickMethod method,
                       const char* button = "", const char* message = "")
    {
        ListEntry& entry = list.AppendAtTail()->entry;
        CopyText(entry.title, kTitleCapacity, title);
        CopyText(entry.button, kButtonCapacity, button);
        CopyText(entry.message, kMessageCapacity, message);
        entry.condition = condition;
        entry.method = method;
        return entry;
    }

    static bool Has(const std::vector<std::string>& events, const std::string& line)
    {
        return std::find(events.begin(), events.end(), line) != events.end();
    }

    TempFolder temp;
    EntryList list;
    Watching watching{list};
    WatchContext& watch = watching.Context();
};

TEST_F(RealWindowsTest, ButtonMessagePressesTheNamedButtonOnly)
{
    FixtureProcess box("Speichern BM", {"--button", "&Ja", "--button", "&Nein"}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    ListEntry& rule = AddRule("Speichern BM", kAlwaysClick, kButtonMessage, "&ja");

    WatchTick();
    ASSERT_TRUE(box.WaitForEvent("command &Ja"));
    EXPECT_FALSE(Has(box.Events(), "command &Nein"));
    EXPECT_TRUE(CountReaches(rule, 1));
}

struct RecordingObserver : ActionObserver {
    void OnAction(const ActionReport& report) override { reports.push_back(report); }
    std::vector<ActionReport> reports;
};

// The observer hears once that the button is not there, with the window's program.
TEST_F(RealWindowsTest, MissingButtonDoesNothingAndIsReportedOnce)
{
    RecordingObserver observer;
    watch.observer = &observer;
    FixtureProcess box("Ohne Knopf", {"--button", "&Nein"}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    ListEntry& rule = AddRule("Ohne Knopf", kAlwaysClick, kButtonMessage, "Ja");
    ASSERT_TRUE(TickUntil([&] { return !observer.reports.empty(); }));
    WatchTick();
    EXPECT_EQ(rule.clicks, 0);
    EXPECT_FALSE(box.WaitForEvent("command &Nein", 300));
    ASSERT_EQ(observer.reports.size(), 1u);
    EXPECT_EQ(observer.reports[0].outcome, ActionOutcome::Gone);
    EXPECT_STREQ(observer.reports[0].program, "fixture.exe");
    EXPECT_STREQ(observer.reports[0].windowTitle, "Ohne Knopf");
    watch.observer = nullptr;
}

TEST_F(RealWindowsTest, SimulatedClicksLandOnTheButtonAndThePointerComesBack)
{
    struct Case {
        ClickMethod method;
        const char* down;
        const char* up;
    } cases[] = {
        {kLeftClick, "lbuttondown &Ja", "lbuttonup &Ja"},
        {kRightClick, "rbuttondown &Ja", "rbuttonup &Ja"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.down);
        TempFolder own;
        FixtureProcess box("Mausklick", {"--button", "&Nein", "--button", "&Ja", "--at", "300", "200"},
                           own.File("r.txt"));
        ASSERT_NE(box.Window(), nullptr);
        EntryList rules;
        watch.list = &rules;
        ListEntry& rule = rules.AppendAtTail()->entry;
        CopyText(rule.title, kTitleCapacity, "Mausklick");
        CopyText(rule.button, kButtonCapacity, "&Ja");
        rule.condition = kAlwaysClick;
        rule.method = c.method;
        SetCursorPos(20, 30);

        WatchTick();
        EXPECT_EQ(rule.clicks, 1);
        ASSERT_TRUE(box.WaitForEvent(c.down));
        ASSERT_TRUE(box.WaitForEvent(c.up));
        std::vector<std::string> events = box.Events();
        EXPECT_FALSE(Has(events, "lbuttondown &Nein"));
        EXPECT_FALSE(Has(events, "rbuttondown &Nein"));
        if (c.method == kLeftClick)
            EXPECT_TRUE(box.WaitForEvent("command &Ja"));
        else
            EXPECT_FALSE(Has(events, "command &Ja")) << "a right click does not press a button";
        // Wine hands injected input to the X server asynchronously: the pointer settles a
        // moment after the call returns.
        POINT pointer{};
        EXPECT_TRUE(WaitUntil([&] { return GetCursorPos(&pointer) && pointer.x == 20 && pointer.y == 30; }, 3000))
            << "pointer left at " << pointer.x << "," << pointer.y;
    }
}

TEST_F(RealWindowsTest, CloseArrivesWithWParamOne)
{
    FixtureProcess box("Werbung Schliessen", {}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    ListEntry& rule = AddRule("Werbung", kAlwaysClick, kCloseWindow);
    WatchTick();
    ASSERT_TRUE(box.WaitForEvent("close 1"));
    EXPECT_TRUE(box.Exited(5000));
    EXPECT_EQ(rule.clicks, 1);
}

// The rule's options against real windows: a program read from the system, a title that only
// begins like the rule's, and a delay that the looks keep.
TEST_F(RealWindowsTest, ProgramWholeTitleAndDelayNarrowWhatARuleCloses)
{
    FixtureProcess foreign("Fremdes", {}, temp.File("f.txt"));
    FixtureProcess named("Genanntes", {}, temp.File("n.txt"));
    FixtureProcess any("Beliebiges", {}, temp.File("b.txt"));
    FixtureProcess exact("Ganzer Titel", {}, temp.File("g.txt"));
    FixtureProcess longer("Ganzer Titel 2", {}, temp.File("l.txt"));
    ASSERT_NE(longer.Window(), nullptr);
    CopyText(AddRule("Fremdes", kAlwaysClick, kCloseWindow).program, kProgramCapacity, "notepad.exe");
    CopyText(AddRule("Genanntes", kAlwaysClick, kCloseWindow).program, kProgramCapacity, "FIXTURE*");
    AddRule("Beliebiges", kAlwaysClick, kCloseWindow);
    AddRule("Ganzer Titel", kAlwaysClick, kCloseWindow).wholeTitle = true;
    auto closed = [](const FixtureProcess& box) { return Has(box.Events(), "close 1"); };
    ASSERT_TRUE(TickUntil([&] { return closed(named) && closed(any) && closed(exact); }));
    WatchTick();
    EXPECT_FALSE(foreign.WaitForEvent("close 1", 300)) << "a rule for another program closed it";
    EXPECT_FALSE(closed(longer)) << "a whole-title rule closed a title that only begins like it";

    // The look that first finds the window starts the delay; a look before its end leaves it.
    FixtureProcess delayed("Verzögert", {}, temp.File("v.txt"));
    ASSERT_NE(delayed.Window(), nullptr);
    AddRule("Verzögert", kAlwaysClick, kCloseWindow).delayMs = 1500;
    WatchTick();
    WatchTick();
    EXPECT_FALSE(delayed.WaitForEvent("close 1", 300)) << "closed before its delay";
    EXPECT_TRUE(TickUntil([&] { return closed(delayed); }));
}

TEST_F(RealWindowsTest, MaximiseAndMinimiseHappenOnceAndAreNotRepeated)
{
    FixtureProcess large("Gross machen", {}, temp.File("a.txt"));
    ASSERT_NE(large.Window(), nullptr);
    ListEntry& grow = AddRule("Gross machen", kAlwaysClick, kMaximizeWindow);
    WatchTick();
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(large.Window()) != FALSE; }));
    EXPECT_TRUE(CountReaches(grow, 1));
    WatchTick();
    WatchTick();
    EXPECT_EQ(grow.clicks, 1);
    std::vector<std::string> events = large.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "maximized"), 1);

    FixtureProcess small("Klein machen", {}, temp.File("b.txt"));
    ASSERT_NE(small.Window(), nullptr);
    grow.condition = kNeverClick;
    ListEntry& shrink = AddRule("Klein machen", kAlwaysClick, kMinimizeWindow);
    WatchTick();
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(small.Window()) != FALSE; }));
    EXPECT_TRUE(CountReaches(shrink, 1));
    WatchTick();
    EXPECT_EQ(shrink.clicks, 1);
    events = small.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "minimized"), 1);
}

TEST_F(RealWindowsTest, MessageConditionReadsARealStaticAndIgnoresAGrandchild)
{
    FixtureProcess nested("Editor Verschachtelt",
                          {"--nested", "Die Datei wurde nicht gespeichert.", "--button", "&Ja"},
                          temp.File("n.txt"));
    ASSERT_NE(nested.Window(), nullptr);
    ListEntry& rule = AddRule("Editor", kClickIfMessage, kButtonMessage, "&Ja", "*nicht gespeichert*");
    WatchTick();
    EXPECT_EQ(rule.clicks, 0);
    EXPECT_FALSE(nested.WaitForEvent("command &Ja", 300));

    FixtureProcess direct("Editor Direkt",
                          {"--static", "Die Datei wurde nicht gespeichert.", "--button", "&Ja"},
                          temp.File("d.txt"));
    ASSERT_NE(direct.Window(), nullptr);
    WatchTick();
    EXPECT_TRUE(direct.WaitForEvent("command &Ja"));
    EXPECT_TRUE(CountReaches(rule, 1));
    EXPECT_FALSE(Has(nested.Events(), "command &Ja"));
}

// A button whose handler runs a modal loop past the bound and a windowless button whose default
// action takes 5 s hold up nothing: a dialog shown meanwhile is answered before either returns.
// Each is pressed once and counted once, when its reply or its walk's result comes.
TEST_F(RealWindowsTest, SlowTargetsHoldUpNoOtherDialogAndArePressedOnce)
{
    FixtureProcess modal("Langsam modal", {"--button", "OK", "--modal-on-click", "5000"}, temp.File("m.txt"));
    FixtureProcess windowless("Langsam fensterlos", {"--windowless", "OK", "--modal-on-default", "5000"},
                              temp.File("w.txt"));
    ASSERT_NE(modal.Window(), nullptr);
    ASSERT_NE(windowless.Window(), nullptr);
    ListEntry& modalRule = AddRule("Langsam modal", kAlwaysClick, kButtonMessage, "OK");
    ListEntry& windowlessRule = AddRule("Langsam fensterlos", kAlwaysClick, kButtonMessage, "OK");
    AddRule("Schnell", kAlwaysClick, kButtonMessage, "OK");
    ASSERT_TRUE(TickUntil([&] {
        return Has(modal.Events(), "command OK") && Has(windowless.Events(), "default OK");
    }));

    FixtureProcess quick("Schnell", {"--button", "OK"}, temp.File("q.txt"));
    ASSERT_NE(quick.Window(), nullptr);
    ASSERT_TRUE(TickUntil([&] { return Has(quick.Events(), "command OK"); }));
    EXPECT_FALSE(Has(modal.Events(), "modal end OK"));
    EXPECT_FALSE(Has(windowless.Events(), "default end OK"));

    // Both dialogs stay open after their clicks: pressing them again is the next appearance's
    // business.
    ASSERT_TRUE(TickUntil([&] { return modalRule.clicks == 1 && windowlessRule.clicks == 1; }));
    modalRule.condition = kNeverClick;
    windowlessRule.condition = kNeverClick;
    ASSERT_TRUE(windowless.WaitForEvent("default end OK"));
    EXPECT_EQ(Occurrences(modal, "command OK"), 1u);
    EXPECT_EQ(Occurrences(windowless, "default OK"), 1u);
    EXPECT_EQ(modalRule.clicks, 1);
    EXPECT_EQ(windowlessRule.clicks, 1);
}

// Twenty targets hang after their click: each is pressed once, and a dialog that comes after
// them is answered all the same.
TEST_F(RealWindowsTest, TwentyTargetsThatHangHoldUpNoDialogAfterThem)
{
    constexpr int kHung = 20;
    FixtureProcess hung("Haengt nach Klick", {"--copies", std::to_string(kHung), "--hang-on-click", "60000"},
                        temp.File("h.txt"));
    AddRule("Haengt nach Klick", kAlwaysClick, kButtonMessage, "OK");
    AddRule("Danach", kAlwaysClick, kButtonMessage, "OK");
    auto allPressed = [&] {
        for (int i = 1; i <= kHung; ++i) {
            if (!Has(hung.Events(), "command Haengt nach Klick " + std::to_string(i)))
                return false;
        }
        return true;
    };
    ASSERT_TRUE(TickUntil(allPressed, 60000));

    FixtureProcess after("Danach", {"--button", "OK"}, temp.File("d.txt"));
    ASSERT_NE(after.Window(), nullptr);
    ASSERT_TRUE(TickUntil([&] { return Has(after.Events(), "command OK"); }));
    for (int i = 1; i <= kHung; ++i)
        EXPECT_EQ(Occurrences(hung, "command Haengt nach Klick " + std::to_string(i)), 1u) << i;
}

// A window already in the state its rule asks for and a window lacking its rule's button stand
// in front of a dialog: the look goes on past them, and the dialog is answered.
TEST_F(RealWindowsTest, WindowsThatCannotBeAnsweredHoldUpNoDialogBehindThem)
{
    // Shown first, so that the other two stand in front of it in the window order.
    FixtureProcess behind("Dahinter", {"--button", "OK"}, temp.File("d.txt"));
    FixtureProcess large("Schon gross", {}, temp.File("g.txt"));
    FixtureProcess lacking("Ohne Knopf davor", {"--button", "Abbrechen"}, temp.File("o.txt"));
    ASSERT_NE(behind.Window(), nullptr);
    ASSERT_NE(large.Window(), nullptr);
    ASSERT_NE(lacking.Window(), nullptr);
    ShowWindow(large.Window(), SW_MAXIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(large.Window()) != FALSE; }));
    AddRule("Schon gross", kAlwaysClick, kMaximizeWindow);
    AddRule("Ohne Knopf davor", kAlwaysClick, kButtonMessage, "OK");
    ListEntry& behindRule = AddRule("Dahinter", kAlwaysClick, kButtonMessage, "OK");
    ASSERT_TRUE(TickUntil([&] { return Has(behind.Events(), "command OK"); }, 10000));
    EXPECT_TRUE(CountReaches(behindRule, 1));
    EXPECT_FALSE(Has(lacking.Events(), "command Abbrechen"));
}

// A window that takes a moment to go after its close request gets one close, and one count.
TEST_F(RealWindowsTest, AWindowThatTakesAMomentToCloseGetsOneClose)
{
    FixtureProcess slow("Langsam zu", {"--close-delay", "700"}, temp.File("z.txt"));
    ASSERT_NE(slow.Window(), nullptr);
    ListEntry& rule = AddRule("Langsam zu", kAlwaysClick, kCloseWindow);
    ASSERT_TRUE(TickUntil([&] { return IsWindow(slow.Window()) == FALSE; }));
    WatchTick();
    EXPECT_EQ(Occurrences(slow, "close 1"), 1u);
    EXPECT_EQ(rule.clicks, 1);
}

// Waits until the window's thread takes messages again.
bool AnswersAgain(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result) != 0;
}

TEST_F(RealWindowsTest, AMaximiseRuleOnAHungWindowCountsWhenItAnswers)
{
    FixtureProcess box("Haengt schon", {"--button", "OK", "--hang-on-click", "4000"}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    PostMessageA(box.Child("OK"), BM_CLICK, 0, 0);
    ASSERT_TRUE(box.WaitForEvent("command OK"));
    ListEntry& rule = AddRule("Haengt schon", kAlwaysClick, kMaximizeWindow);

    WatchTick();
    EXPECT_EQ(rule.clicks, 0) << "counted once the window has done it";
    ASSERT_TRUE(AnswersAgain(box.Window()));
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(box.Window()) != FALSE; }, 3000));
    EXPECT_TRUE(CountReaches(rule, 1));
}

}  // namespace
