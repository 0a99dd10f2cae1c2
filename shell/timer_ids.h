// Every timer id of the program. Ids only need to differ per window: the start timer and the
// scan timer both use 1, on the main window and on the configuration page; the watch service's
// window has timers of its own.
#pragma once

enum TimerId : unsigned {
    kStartTimer = 1,           // main window: once, shortly after start
    kScanTimer = 1,            // configuration page: the watch cycle
    kEarlyScanTimer = 2,       // watch service: a look brought forward by a window event
    kFocusBackTimer = 5,       // watch service: method 6 hands the focus back
    kDelayTimer = 6,           // watch service: a rule's delay is over: a look answers the window
    kEditorCaptureTimer = 3,   // entry editor: capture of the message
    kCaptureMessageTimer = 4,  // wizard's button page: capture of the message alone
    kCaptureAllTimer = 7,      // wizard's button page: capture of title, button and message
};
