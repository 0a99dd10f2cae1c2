// WindowOps over USER32, for the program and the Win32 tests.
#pragma once

#include "watcher/window_ops.h"

// The operations of the thread that calls it first: replies to its actions come back to that
// thread, which must keep taking messages.
WindowOps& RealWindowOps();

// Where the replies to RealWindowOps' actions go. Called on the thread that sent the action, while
// it takes messages; a reply that arrives during a scan waits for the scan's end.
using ActionReplyHandler = void (*)(const ActionReply& reply, void* context);
void SetActionReplyHandler(ActionReplyHandler handler, void* context);

// Two window texts compared as the window manager compares them: letter case ignored.
bool SameWindowText(const char* a, const char* b);
