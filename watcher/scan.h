// The watch cycle: on each tick find the first visible, titled window a rule matches and answer it.
#pragma once

#include <cstdint>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "watcher/window_ops.h"

// Values handed to the one enumeration callback; each names the step to run per window.
constexpr intptr_t kEnumScan = 1025;
constexpr intptr_t kEnumPopupItems = 1026;
constexpr intptr_t kEnumWizardList = 1028;

// Windows that did not answer: a button click ran into the send's bound, or a probe before a
// call that waits on the target's thread went unanswered. Looks pass them over until they
// answer a probe again or are gone. When full, the one remembered longest makes room.
constexpr int kMaxUnresponsiveWindows = 16;
struct UnresponsiveWindows {
    WindowHandle windows[kMaxUnresponsiveWindows];
    int count;
};

// Everything the watcher works on. The program keeps one (g_watch); tests make their own and
// install it with SetWatchContext.
struct WatchContext {
    WindowOps* ops;
    EntryList* list;
    Settings* settings;
    WindowHandle previousForeground;
    // The tray menu's and the wizard's per-window steps; null until those parts install them.
    void (*popupItemStep)(WindowHandle window);
    void (*wizardListStep)(WindowHandle window);
    UnresponsiveWindows unresponsive;
};

extern WatchContext g_watch;

// Runs a scan if the watcher is active, then remembers the foreground window for method 6.
void ScanTick();
// The scan alone, without touching the previous foreground window.
void ScanOnce();
// True while a scan is under way: a message pumped in the middle of an action sees it set, and a
// scan started then does nothing.
bool ScanRunning();
// The per-window step: returns 0 after acting on window (ends the enumeration), 1 to go on.
int ScanWindow(WindowHandle window);
ListEntry* FindMatchingEntry(const char* title, WindowHandle window);
// True while window is one that did not answer and still does not: looks pass it over.
bool StillUnresponsive(WindowHandle window);
// Carries out entry's method on window; the click count rises only when it was carried out.
// Returns false when window did not answer the probe before a call that would wait on it: it
// was neither acted on nor counted, and the scan goes on as if no rule wanted it.
bool PerformAction(WindowHandle window, ListEntry& entry);
// The program's one EnumWindows callback; dispatches on value.
int EnumWindowsCallback(WindowHandle window, intptr_t value);
