#include <gtest/gtest.h>

#include "simulated_desktop.h"
#include "watcher/early_scan.h"
#include "watcher/pause.h"
#include "watcher/scan.h"

namespace {

constexpr int64_t kNow = 13'300'000'000;  // any reading of the system clock

TEST(PauseTest, EndsOnTheMinuteItsLengthReachesOrAtTheNextMidnight)
{
    struct {
        int hour, minute, second;
        PauseLength length;
        int64_t seconds;  // from now to the end
        const char* end;
    } cases[] = {
        {14, 15, 0, PauseLength::QuarterHour, 900, "14:30"},
        // The end is the minute the tip shows, not forty seconds after it.
        {14, 15, 40, PauseLength::QuarterHour, 860, "14:30"},
        {23, 50, 0, PauseLength::QuarterHour, 900, "00:05"},
        {9, 5, 0, PauseLength::Hour, 3600, "10:05"},
        {23, 30, 10, PauseLength::Hour, 3590, "00:30"},
        {10, 0, 0, PauseLength::UntilMidnight, 14 * 3600, "00:00"},
        {23, 59, 59, PauseLength::UntilMidnight, 1, "00:00"},
        // At midnight itself the next one is a day away.
        {0, 0, 0, PauseLength::UntilMidnight, 24 * 3600, "00:00"},
    };
    for (const auto& c : cases) {
        const WatchPause pause = PauseFrom(ClockReading{kNow, c.hour, c.minute, c.second}, c.length);
        SCOPED_TRACE(testing::Message() << c.hour << ":" << c.minute << ":" << c.second << " length "
                                        << static_cast<int>(c.length));
        EXPECT_EQ(pause.endSeconds - kNow, c.seconds);
        EXPECT_EQ(PauseEndText(pause), c.end);
        EXPECT_TRUE(PauseHoldsAt(pause, pause.endSeconds - 1));
        EXPECT_FALSE(PauseHoldsAt(pause, pause.endSeconds));
    }
}

// Neither a tick nor an early scan acts during a pause, and a tick after its end does, however
// long nobody looked (the computer slept).
TEST(PauseTest, APausedWatchActsOnNothingUntilItsEnd)
{
    SimulatedDesktop desktop;
    EntryList rules;
    ListEntry& rule = rules.AppendAtTail()->entry;
    CopyText(rule.title, kTitleCapacity, "Werbung");
    rule.condition = kAlwaysClick;
    rule.method = kCloseWindow;
    const WindowHandle box = desktop.AddWindow("Werbung");
    WatchContext watch = WatchOver(desktop, rules);
    EarlyScanQueue queue{};
    const WatchPause pause = PauseFrom(ClockReading{kNow, 14, 15, 0}, PauseLength::QuarterHour);

    for (int64_t at : {kNow, pause.endSeconds - 1}) {
        watch.acting = WatcherMayActAt(true, true, pause, at);
        ScanTick(watch);
        NoteWindowEvent(queue, box, 0);
        RunEarlyScan(watch, queue, 20);
        EXPECT_TRUE(desktop.actions.empty()) << at - kNow << " s into the pause";
    }
    watch.acting = WatcherMayActAt(true, true, pause, pause.endSeconds + 8 * 3600);
    ScanTick(watch);
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 1);
}

}  // namespace
