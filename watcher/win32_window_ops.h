// WindowOps over USER32, for the program and the Win32 tests.
#pragma once

#include <string>

#include "watcher/scan.h"
#include "watcher/window_ops.h"

// The operations of the thread that calls it first: replies to its actions come back to that
// thread, which must keep taking messages.
WindowOps& RealWindowOps();

// Where the replies to RealWindowOps' actions go: a send's reply is handed over on the thread that
// sent it, while that thread takes messages; a walk's result on the walk's own thread. The sink
// must be quick and safe on any thread; after SetReplySink(nullptr, nullptr) returns, nothing
// reaches the old one.
using ReplySink = void (*)(const ActionReply& reply, void* context);
void SetReplySink(ReplySink sink, void* context);
// Accessibility walks still running, each on a thread of its own; at most kMaxLiveWalks.
int LiveWalkThreads();

// Two window texts compared as the window manager compares them: letter case ignored.
bool SameWindowText(const char* a, const char* b);

// The program's narrow texts are in the process code page: UTF-8 where the manifest's setting is
// honoured (Windows 10 1903 and later, Wine), the system's ANSI code page on older systems. These
// turn them into the UTF-16 of the system's wide calls and back; a narrow text is cut to
// capacity - 1 bytes, never inside a character. NarrowText returns its length.
std::wstring WideText(const char* text);
int NarrowText(const wchar_t* wide, int length, char* buffer, int capacity);
