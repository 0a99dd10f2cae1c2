// The watching's one home on the Win32 side. The service owns a message-only window of the thread
// that starts it and, through it: the timers of the looks that window events bring forward and of
// method 6's focus return, the delivery of replies and walk results, the window-event hooks, the
// watch context, and the one answer to "may the watcher act now?". The configuration page's scan
// timer calls WatchTick; everything else arrives at the service's window.
//
// Replies and walk results wait in a queue the service owns; a message to its window only wakes it
// to look at that queue and never carries anything, so that no other program can hand it a
// pointer or a command.
#pragma once

#include <windows.h>

#include "watcher/scan.h"

// Starts the service on the calling thread, which must keep taking messages. The watch context
// goes over list and the real windows; observer hears of every action. Without earlyScans the
// window-event hooks stay out (the benchmarks' timer-only build). False when the window cannot be
// made.
bool StartWatchService(EntryList& list, ActionObserver* observer, bool earlyScans = true);
// Takes in the replies still outstanding for at most settleMs (their counts belong in the list
// that is saved next), then unhooks, lets go of later replies and destroys the window.
void StopWatchService(DWORD settleMs);

// Watching (the configuration window hidden) or configuring, and the active flag. The watcher
// acts only while it watches and is active; window events are listened to only then.
void SetWatchState(bool watching, bool active);

// The scan timer's tick.
void WatchTick();
// A window of the program's own that no rule is applied to (the log window), or nullptr.
void ExemptFromWatching(HWND window);
// The context the service watches with.
WatchContext& ServiceWatch();
