// Windows that draw their buttons without windows of their own, searched through Microsoft Active
// Accessibility.
#pragma once

#include <windows.h>

#include "watcher/window_ops.h"

// Runs the search on the calling thread, in a single-threaded apartment of that thread: every
// question it asks goes to the target program and may wait on it, so the program calls this on
// a thread of its own, never on the one that runs the scans.
ActionReply SearchAccessibleTree(const AccessibleRequest& request);
