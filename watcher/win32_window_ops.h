// WindowOps over USER32, for the program and the Win32 tests.
#pragma once

#include "watcher/window_ops.h"

// How long a button click may keep the one thread waiting for a target that does not answer.
constexpr unsigned kClickTimeoutMs = 3000;
// How long a probe waits for a target's thread to take a message.
constexpr unsigned kPingTimeoutMs = 100;

WindowOps& RealWindowOps();
