// The capture timers of the wizard's button page and the entry editor.
#pragma once

#include <windows.h>

// The calling dialog's fields: title, button text, message, program; 0 where the dialog has none.
struct CaptureTarget {
    int titleField;
    int buttonField;
    int messageField;
    int programField;
};

// Disables the detect button and starts a capture on the dialog's timer.
void StartCapture(HWND dialog, int detectButton, UINT_PTR timer);
// One 50 ms tick: refills the fields from what lies under the pointer; after 2 s of rest stops
// the timer and enables the detect button again.
void CaptureTick(HWND dialog, UINT_PTR timer, const CaptureTarget& target, unsigned flags, int detectButton);
