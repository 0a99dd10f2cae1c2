// The in-process Win32 tests drive the watcher themselves: replies to its actions go to the
// test's own watch context, as the program hands them to its own, while the test takes messages.
#pragma once

#include <functional>

#include "watcher/scan.h"
#include "watcher/win32_window_ops.h"
#include "window_support.h"

class ReplyRouting {
public:
    explicit ReplyRouting(WatchContext& watch)
    {
        SetActionReplyHandler(
            [](const ActionReply& reply, void* context) {
                auto* routed = static_cast<WatchContext*>(context);
                ReturnFocus(*routed, CompleteAction(*routed, reply).focusBack);
            },
            &watch);
    }
    ~ReplyRouting() { SetActionReplyHandler(nullptr, nullptr); }
    ReplyRouting(const ReplyRouting&) = delete;
    ReplyRouting& operator=(const ReplyRouting&) = delete;
};

// Ticks four times a second until done() holds, as a short scan interval would; false when it
// does not within the bound.
inline bool TickUntil(WatchContext& watch, const std::function<bool()>& done, DWORD boundMs = 20000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > boundMs)
            return false;
        ScanTick(watch);
        WaitUntil(done, 250);
    }
    return true;
}

// Counts come with the replies, which arrive while the test waits.
inline bool CountReaches(const ListEntry& rule, int32_t clicks, DWORD timeoutMs = 5000)
{
    return WaitUntil([&] { return rule.clicks == clicks; }, timeoutMs);
}
