#include <gtest/gtest.h>

#include "simulated_desktop.h"
#include "watcher/early_scan.h"
#include "watcher/scan.h"

namespace {

class EarlyScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        watch = WatchOver(desktop, rules);
    }

    ListEntry& AddRule(const char* title, const char* button)
    {
        ListEntry& rule = rules.AppendAtTail()->entry;
        CopyText(rule.title, kTitleCapacity, title);
        CopyText(rule.button, kButtonCapacity, button);
        rule.condition = kAlwaysClick;
        rule.method = kButtonMessage;
        return rule;
    }

    SimulatedDesktop desktop;
    EntryList rules;
    WatchContext watch{};
    EarlyScanQueue queue{};
};

// An early scan answers the first matching window as a tick does, and leaves the previous
// foreground window, which only ticks track, alone.
TEST_F(EarlyScanTest, ActsOnTheFirstMatchingWindowAndLeavesThePreviousForegroundAlone)
{
    ListEntry& rule = AddRule("Speichern", "&Ja");
    WindowHandle older = desktop.AddWindow("Speichern?");
    WindowHandle olderYes = desktop.AddChild(older, "&Ja");
    WindowHandle box = desktop.AddWindow("Speichern");
    desktop.AddChild(box, "&Ja");
    watch.previousForeground = 77;
    desktop.foreground = older;

    EXPECT_EQ(NoteWindowEvent(queue, box, 1000), kEarlyScanOffsetsMs[0]);
    RunEarlyScan(watch, queue, 1020);
    desktop.DeliverReplies(watch);
    EXPECT_EQ(rule.clicks, 1);
    std::vector<SimAction> clicks = desktop.ActionsOf(SimAction::ButtonClick);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].window, olderYes) << "the enumeration's first matching window is answered";
    EXPECT_EQ(watch.previousForeground, 77u);
}

TEST_F(EarlyScanTest, ABurstOfEventsMakesOneLookAndUnwantedWindowsNoScan)
{
    AddRule("Speichern", "&Ja");
    WindowHandle other = desktop.AddWindow("Unbenannt - Editor");
    WindowHandle child = desktop.AddChild(other, "Text");
    EXPECT_EQ(NoteWindowEvent(queue, other, 1000), kEarlyScanOffsetsMs[0]);
    for (uint32_t t = 1001; t < 1015; ++t)
        EXPECT_EQ(NoteWindowEvent(queue, other, t), 0u) << "the pending look serves the burst";
    EXPECT_EQ(queue.count, 1);
    const int before = desktop.enumerations;
    uint32_t now = 1020;
    int looks = 0;
    for (uint32_t delay = RunEarlyScan(watch, queue, now); delay != 0;
         delay = RunEarlyScan(watch, queue, now)) {
        now += delay;
        ++looks;
    }
    EXPECT_EQ(looks + 1, kEarlyScanLooks);
    EXPECT_EQ(now, 1000 + kEarlyScanOffsetsMs[kEarlyScanLooks - 1]);
    EXPECT_EQ(desktop.enumerations, before) << "no rule wants the window: no scan at all";
    EXPECT_FALSE(queue.pending);
    (void)child;
}

// On Wine a new window's only event comes before it has a title; a later look finds it.
TEST_F(EarlyScanTest, AWindowTitledAfterItsEventIsFoundByALaterLook)
{
    ListEntry& rule = AddRule("Fehler", "OK");
    WindowHandle box = desktop.AddWindow("");
    desktop.AddChild(box, "OK");
    desktop.Window(box).visible = false;
    uint32_t now = 5000;
    uint32_t delay = NoteWindowEvent(queue, box, now);
    now += delay;
    delay = RunEarlyScan(watch, queue, now);
    EXPECT_EQ(rule.clicks, 0);
    ASSERT_NE(delay, 0u);
    desktop.Window(box).visible = true;
    desktop.Window(box).text = "Fehler";
    now += delay;
    RunEarlyScan(watch, queue, now);
    desktop.DeliverReplies(watch);
    EXPECT_EQ(rule.clicks, 1);
    EXPECT_EQ(queue.count, 0) << "an answered window gets no further looks";
}

TEST_F(EarlyScanTest, InactiveOrClearedItDoesNothing)
{
    ListEntry& rule = AddRule("Fehler", "OK");
    WindowHandle box = desktop.AddWindow("Fehler");
    desktop.AddChild(box, "OK");
    watch.acting = false;
    NoteWindowEvent(queue, box, 0);
    RunEarlyScan(watch, queue, 20);
    EXPECT_EQ(rule.clicks, 0);
    watch.acting = true;
    ClearEarlyScans(queue);
    EXPECT_EQ(RunEarlyScan(watch, queue, 40), 0u);
    EXPECT_EQ(rule.clicks, 0);
}

TEST_F(EarlyScanTest, ManyNewWindowsKeepTheNewestCandidates)
{
    for (WindowHandle w = 1; w <= kMaxEarlyCandidates + 3; ++w)
        NoteWindowEvent(queue, w, 100);
    ASSERT_EQ(queue.count, kMaxEarlyCandidates);
    EXPECT_EQ(queue.candidates[kMaxEarlyCandidates - 1], static_cast<WindowHandle>(kMaxEarlyCandidates + 3));
    EXPECT_EQ(queue.candidates[0], 4u);
    EXPECT_EQ(NoteWindowEvent(queue, 0, 100), 0u);
}

}  // namespace
