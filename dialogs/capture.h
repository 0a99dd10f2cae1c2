// Filling a rule's fields by pointing: what lies under the mouse pointer, read every 50 ms until
// the pointer has rested for 2 seconds. Written against WindowOps, so it is tested natively.
#pragma once

#include <cstdint>

#include "watcher/window_ops.h"

// Which texts a capture reads.
constexpr unsigned kCaptureButton = 1;
constexpr unsigned kCaptureTitle = 2;
constexpr unsigned kCaptureMessage = 4;
constexpr unsigned kCaptureProgram = 8;  // the file name of the program of the window's top level

constexpr int32_t kCaptureRestMs = 2000;
constexpr int32_t kCaptureTickMs = 50;

// A captured message keeps 509 characters, as a rule's field cut by CopyField at this capacity.
constexpr int kCapturedMessageCapacity = 4 * 510;

struct CapturedTexts {
    char title[kTitleCapacity];
    char button[kButtonCapacity];
    char message[kCapturedMessageCapacity];
    char program[kProgramCapacity];
};

// Reads the texts the flags ask for from the window under the pointer into texts. False, with
// texts untouched, when no window is there or it is excluded or one of its descendants (the
// calling dialog's parent: a wizard never captures itself).
bool CapturePointedWindow(WindowOps& ops, WindowHandle excluded, unsigned flags, CapturedTexts* texts);

// Ends a message at its first line break, marked with "*": the rule then matches every message
// that begins with that line.
void CutAtFirstLineBreak(char* text);

// Only the low 8 bits of each coordinate enter the key, so moves by whole multiples of 256
// pixels count as rest.
uint16_t RestKey(WinPoint pointer);

// One tick's bookkeeping. A new key restarts the countdown and is stored; the same key lowers
// the countdown by one tick. True only for the tick that brings it to exactly 0.
bool CountRest(uint16_t key, uint16_t* storedKey, int32_t* countdown);
