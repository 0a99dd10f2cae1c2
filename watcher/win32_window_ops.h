// WindowOps over USER32, for the program and the Win32 tests.
#pragma once

#include "watcher/window_ops.h"

// How long a button click may keep the one thread waiting for a target that does not answer.
constexpr unsigned kClickTimeoutMs = 3000;

WindowOps& RealWindowOps();
