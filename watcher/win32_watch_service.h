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

#include "watcher/pause.h"
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
// acts only while it watches, is active and is not paused; window events are listened to only
// then. Switching the active flag off ends a pause.
void SetWatchState(bool watching, bool active);

// A pause of the given length from now on the computer's clock: the watcher acts on nothing
// until its end, then acts again by itself; resuming or switching the active flag off ends it
// early. Only an active watcher is paused, and a pause lives in memory only.
void PauseWatching(PauseLength length);
void ResumeWatching();
// The pause under way (on is false without one).
const WatchPause& CurrentPause();
// Ends the pause when its end has come on the clock and returns true; false when none ended.
// Looked at on each tick and when the computer wakes, so that a pause never outlasts its end.
bool EndPauseWhenDue();

// The scan timer's tick.
void WatchTick();
// A window of the program's own that no rule is applied to (the log window), or nullptr.
void ExemptFromWatching(HWND window);
// The context the service watches with.
WatchContext& ServiceWatch();

// The rule tester's walks: the watcher's own walk of window's accessibility tree for buttonText,
// which only locates the button, with its result handed to sink on this thread. False when it
// cannot begin now (as many walks as may run are under way).
using TestWalkSink = void (*)(const ActionReply& reply, void* context);
bool StartTestWalk(WindowHandle window, const char* buttonText, TestWalkSink sink, void* context);
// The tester closes: the results of its walks still to come are dropped.
void ForgetTestWalks(void* context);
