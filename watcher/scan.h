// The watch cycle: on each tick find the first visible, titled window a rule matches and answer it.
#pragma once

#include <cstdint>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "watcher/window_ops.h"

// Windows that did not answer: a button click ran into the send's bound, or a probe before a
// call that waits on the target's thread went unanswered. Looks pass them over until they
// answer a probe again or are gone. When full, the one remembered longest makes room.
constexpr int kMaxUnresponsiveWindows = 16;
struct UnresponsiveWindows {
    WindowHandle windows[kMaxUnresponsiveWindows];
    int count;
};

// Everything the watcher works on. The program keeps one for its whole run; tests make their
// own over a simulated desktop.
struct WatchContext {
    WindowOps* ops;
    EntryList* list;
    Settings* settings;
    WindowHandle previousForeground;
    UnresponsiveWindows unresponsive;
};

// Runs a scan if the watcher is active, then remembers the foreground window for method 6.
void ScanTick(WatchContext& watch);
// The scan alone, without touching the previous foreground window.
void ScanOnce(WatchContext& watch);
// True while a scan is under way: a message pumped in the middle of an action sees it set, and a
// scan started then does nothing.
bool ScanRunning();
// The per-window step: false after acting on window (ends the enumeration), true to go on.
bool ScanWindow(WatchContext& watch, WindowHandle window);
ListEntry* FindMatchingEntry(WatchContext& watch, const char* title, WindowHandle window);
// True while window is one that did not answer and still does not: looks pass it over.
bool StillUnresponsive(WatchContext& watch, WindowHandle window);
// Carries out entry's method on window; the click count rises only when it was carried out.
// Returns false when window did not answer the probe before a call that would wait on it: it
// was neither acted on nor counted, and the scan goes on as if no rule wanted it.
bool PerformAction(WatchContext& watch, WindowHandle window, ListEntry& entry);
