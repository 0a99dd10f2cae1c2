// The watcher's timed pause, chosen from the tray: when it ends, whether it holds, and what the
// user reads of its end. Platform-neutral so that it is tested natively; the watch service reads
// the clock and keeps the one pause.
#pragma once

#include <cstdint>
#include <string>

// How long a pause lasts.
enum class PauseLength { QuarterHour, Hour, UntilMidnight };

// One reading of the computer's clock: the system time in whole seconds (UTC, counted from any
// fixed moment in the past) and the local time of day at that moment.
struct ClockReading {
    int64_t seconds;
    int hour;  // 0 to 23
    int minute;
    int second;
};

// A pause ends at a moment of the system clock, not after a span of running time, so that one
// whose end passed while the computer slept is over as soon as anyone looks. It ends on a whole
// local minute, the one the user is shown.
struct WatchPause {
    bool on = false;         // chosen and not ended yet
    int64_t endSeconds = 0;  // the system clock's seconds at its end
    int endHour = 0;         // the local time of the end
    int endMinute = 0;
};

// The pause that the user chooses at now: a quarter of an hour or an hour later, at the minute
// that span reaches (never after it), or at the next local midnight, which at midnight itself is
// a day away.
WatchPause PauseFrom(const ClockReading& now, PauseLength length);
// True while the pause holds at the system clock's seconds: up to, not including, its end.
bool PauseHoldsAt(const WatchPause& pause, int64_t seconds);
// The one answer to "may the watcher act": while it watches, is active and no pause holds.
bool WatcherMayActAt(bool watching, bool active, const WatchPause& pause, int64_t seconds);
// The local time of the pause's end as the tray tip shows it: "HH:MM", 24 hours.
std::string PauseEndText(const WatchPause& pause);
