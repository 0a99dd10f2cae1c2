#include "watcher/pause.h"

#include <cstdio>

namespace {

constexpr int kMinutesPerDay = 24 * 60;

int MinutesOf(PauseLength length, int minuteOfDay)
{
    switch (length) {
    case PauseLength::QuarterHour:
        return 15;
    case PauseLength::Hour:
        return 60;
    case PauseLength::UntilMidnight:
        break;
    }
    return kMinutesPerDay - minuteOfDay;
}

}  // namespace

WatchPause PauseFrom(const ClockReading& now, PauseLength length)
{
    const int minuteOfDay = now.hour * 60 + now.minute;
    const int minutes = MinutesOf(length, minuteOfDay);
    // The seconds already gone of this minute come off, so that the end is the minute shown.
    const int64_t span = int64_t{minutes} * 60 - now.second;
    const int endOfDay = (minuteOfDay + minutes) % kMinutesPerDay;
    WatchPause pause;
    pause.on = true;
    pause.endSeconds = now.seconds + span;
    pause.endHour = endOfDay / 60;
    pause.endMinute = endOfDay % 60;
    return pause;
}

bool PauseHoldsAt(const WatchPause& pause, int64_t seconds)
{
    return pause.on && seconds < pause.endSeconds;
}

bool WatcherMayActAt(bool watching, bool active, const WatchPause& pause, int64_t seconds)
{
    return watching && active && !PauseHoldsAt(pause, seconds);
}

std::string PauseEndText(const WatchPause& pause)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", pause.endHour % 24, pause.endMinute % 60);
    return text;
}
