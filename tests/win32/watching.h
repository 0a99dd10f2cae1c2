// The in-process Win32 tests watch with the program's own watch service, over rules of their
// own: replies and walk results reach the service's context while the test takes messages. Early
// scans stay off, so that the tests' ticks are the only looks.
#pragma once

#include <functional>

#include "watcher/win32_watch_service.h"
#include "window_support.h"

class Watching {
public:
    explicit Watching(EntryList& list)
    {
        StartWatchService(list, nullptr, false);
        SetWatchState(true, true);
    }
    ~Watching() { StopWatchService(0); }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;

    WatchContext& Context() { return ServiceWatch(); }
};

// Ticks four times a second until done() holds, as a short scan interval would; false when it
// does not within the bound.
inline bool TickUntil(const std::function<bool()>& done, DWORD boundMs = 20000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > boundMs)
            return false;
        WatchTick();
        WaitUntil(done, 250);
    }
    return true;
}

// Counts come with the replies, which arrive while the test waits.
inline bool CountReaches(const ListEntry& rule, int32_t clicks, DWORD timeoutMs = 5000)
{
    return WaitUntil([&] { return rule.clicks == clicks; }, timeoutMs);
}
