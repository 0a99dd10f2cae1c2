// Buttons two container windows down and buttons without a window, in another process, through
// the real USER32 and Active Accessibility calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "dialogs/capture.h"
#include "fixture_process.h"
#include "watching.h"
#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "watcher/scan.h"
#include "watcher/win32_window_ops.h"

namespace {

class NestedButtonsTest : public ::testing::Test {
protected:
    ListEntry& AddRule(const char* title, ClickMethod method, const char* button)
    {
        ListEntry& entry = list.AppendAtTail()->entry;
        CopyText(entry.title, kTitleCapacity, title);
        CopyText(entry.button, kButtonCapacity, button);
        entry.condition = kAlwaysClick;
        entry.method = method;
        return entry;
    }

    static bool Has(const FixtureProcess& box, const std::string& line)
    {
        std::vector<std::string> events = box.Events();
        return std::find(events.begin(), events.end(), line) != events.end();
    }

    TempFolder temp;
    EntryList list;
    Watching watching{list};
    WatchContext& watch = watching.Context();
};

TEST_F(NestedButtonsTest, ANestedButtonIsPressedByMethods0And3And6AndCounted)
{
    for (ClickMethod method : {kButtonMessage, kClickThenBack, kLeftClick}) {
        SCOPED_TRACE(method);
        TempFolder own;
        FixtureProcess box("Aufgabe", {"--nested-button", "&Nein", "--nested-button", "&Ja"},
                           own.File("r.txt"));
        ASSERT_NE(box.Window(), nullptr);
        EntryList rules;
        watch.list = &rules;
        ListEntry& rule = rules.AppendAtTail()->entry;
        CopyText(rule.title, kTitleCapacity, "Aufgabe");
        CopyText(rule.button, kButtonCapacity, "&ja");
        rule.condition = kAlwaysClick;
        rule.method = method;

        WatchTick();
        EXPECT_TRUE(box.WaitForEvent("command nested &Ja"));
        EXPECT_TRUE(CountReaches(rule, 1));
        EXPECT_FALSE(Has(box, "command nested &Nein"));
    }
}

TEST_F(NestedButtonsTest, ADirectButtonWinsAndADisabledOrHiddenNestedOneIsNeverPressed)
{
    FixtureProcess both("Beide", {"--nested-button", "OK", "--button", "OK"}, temp.File("b.txt"));
    ASSERT_NE(both.Window(), nullptr);
    ListEntry& direct = AddRule("Beide", kButtonMessage, "OK");
    WatchTick();
    EXPECT_TRUE(both.WaitForEvent("command OK"));
    EXPECT_TRUE(CountReaches(direct, 1));
    direct.condition = kNeverClick;

    FixtureProcess unusable("Unbrauchbar", {"--nested-disabled", "OK", "--nested-hidden", "OK"},
                            temp.File("u.txt"));
    ASSERT_NE(unusable.Window(), nullptr);
    ListEntry& never = AddRule("Unbrauchbar", kButtonMessage, "OK");
    WatchTick();
    WatchTick();
    EXPECT_EQ(never.clicks, 0);
    EXPECT_FALSE(unusable.WaitForEvent("command nested OK", 300));
    EXPECT_FALSE(Has(both, "command nested OK"));
}

TEST_F(NestedButtonsTest, CapturingANestedButtonGivesTheTopLevelTitle)
{
    FixtureProcess box("Verschachtelt Erfassen", {"--nested-button", "&Speichern", "--at", "250", "180"},
                       temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    HWND outer = FindWindowExA(box.Window(), nullptr, "BoxSweepContainer", nullptr);
    HWND inner = FindWindowExA(outer, nullptr, "BoxSweepContainer", nullptr);
    HWND button = FindWindowExA(inner, nullptr, nullptr, "&Speichern");
    ASSERT_NE(button, nullptr);
    RECT rect{};
    GetWindowRect(button, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);

    CapturedTexts texts{};
    ASSERT_TRUE(WaitUntil(
        [&] {
            return CapturePointedWindow(RealWindowOps(), 0, kCaptureButton | kCaptureTitle, &texts)
                   && std::string(texts.button) == "&Speichern";
        },
        3000));
    EXPECT_STREQ(texts.title, "Verschachtelt Erfassen");
}

TEST_F(NestedButtonsTest, AWindowlessButtonIsPressedThroughAccessibilityAndCounted)
{
    FixtureProcess box("Ohne Fenster", {"--windowless", "Abbrechen", "--windowless", "Speichern"},
                       temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    ListEntry& rule = AddRule("Ohne Fenster", kButtonMessage, "&speichern");

    WatchTick();
    EXPECT_TRUE(box.WaitForEvent("default Speichern"));
    EXPECT_TRUE(CountReaches(rule, 1));

    rule.method = kLeftClick;
    WatchTick();
    EXPECT_TRUE(box.WaitForEvent("lbuttondown windowless Speichern"));
    EXPECT_TRUE(CountReaches(rule, 2));
    EXPECT_FALSE(Has(box, "default Abbrechen"));
    EXPECT_FALSE(Has(box, "lbuttondown windowless Abbrechen"));
}

// Buttons of other toolkits: superclasses of the system button in a panel (a static with the
// caption beside them is left alone), a windowless button described by a child window of a
// window that describes none, and one that appears only a while after its window.
TEST_F(NestedButtonsTest, ButtonsOfOtherToolkitsArePressed)
{
    const struct {
        const char* name;
        std::vector<std::string> options;
        const char* button;
        const char* pressed;
        const char* before;  // what must have happened first
    } cases[] = {
        {"WinForms", {"--panel-static", "Weiter", "--winforms-button", "Weiter"}, "Weiter",
         "command toolkit Weiter", nullptr},
        {"Delphi", {"--panel-static", "Weiter", "--delphi-button", "Weiter"}, "Weiter", "command toolkit Weiter",
         nullptr},
        {"embedded", {"--embedded-windowless", "OK"}, "OK", "default OK", nullptr},
        {"built late", {"--late-windowless", "1500", "Fertig"}, "Fertig", "default Fertig", "appear Fertig"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder own;
        FixtureProcess box("Werkzeug", c.options, own.File("r.txt"));
        ASSERT_NE(box.Window(), nullptr);
        EntryList rules;
        watch.list = &rules;
        ListEntry& rule = rules.AppendAtTail()->entry;
        CopyText(rule.title, kTitleCapacity, "Werkzeug");
        CopyText(rule.button, kButtonCapacity, c.button);
        rule.condition = kAlwaysClick;
        rule.method = kButtonMessage;

        ASSERT_TRUE(TickUntil([&] { return Has(box, c.pressed); }));
        const std::vector<std::string> events = box.Events();
        if (c.before != nullptr) {
            const auto first = std::find(events.begin(), events.end(), c.before);
            EXPECT_LT(first, std::find(events.begin(), events.end(), c.pressed));
        }
        EXPECT_FALSE(Has(box, "clicked static Weiter"));
        EXPECT_TRUE(CountReaches(rule, 1));
        watch.list = &list;
    }
}

TEST_F(NestedButtonsTest, AWindowBackedButtonWinsOverAWindowlessOneOfTheSameText)
{
    FixtureProcess box("Gemischt", {"--windowless", "OK", "--nested-button", "OK"}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    ListEntry& rule = AddRule("Gemischt", kButtonMessage, "OK");
    WatchTick();
    EXPECT_TRUE(box.WaitForEvent("command nested OK"));
    EXPECT_TRUE(CountReaches(rule, 1));
    EXPECT_FALSE(Has(box, "default OK"));
}

}  // namespace
