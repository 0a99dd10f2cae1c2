// Scans brought forward by window events, beside the scan timer.
//
// A window event (a window created, shown or renamed) makes its top-level window a candidate.
// Shortly afterwards, and a few times more because a new window often gets its title and texts
// only after it is created, the candidates are looked at; when a rule would act on one of them
// the scan runs at once, exactly as a tick would, but without touching the previous foreground
// window. Windows no rule wants cost one title read per look, so unrelated windows opening and
// closing all day cost next to nothing.
#pragma once

#include <cstdint>

#include "watcher/scan.h"

// Milliseconds after the latest event at which the candidates are looked at.
constexpr uint32_t kEarlyScanOffsetsMs[] = {20, 50, 100, 200, 400, 800};
constexpr int kEarlyScanLooks = static_cast<int>(sizeof kEarlyScanOffsetsMs / sizeof kEarlyScanOffsetsMs[0]);
constexpr int kMaxEarlyCandidates = 8;

struct EarlyScanQueue {
    WindowHandle candidates[kMaxEarlyCandidates];
    int count;
    bool pending;      // a timer is set for the next look
    uint32_t series;   // when the latest series of looks began
    int look;          // index of the next look in kEarlyScanOffsetsMs
};

// Notes an event on root (a top-level window). Returns the delay to set the one-shot timer to,
// or 0 when the timer already set is due soon enough: a burst of events makes one look.
uint32_t NoteWindowEvent(EarlyScanQueue& queue, WindowHandle root, uint32_t now);

// The timer's handler: looks at the candidates and scans when a rule would act on one. Returns
// the delay to the next look, or 0 when the series is over.
uint32_t RunEarlyScan(WatchContext& watch, EarlyScanQueue& queue, uint32_t now);

// Forgets every candidate and pending look (watching stopped).
void ClearEarlyScans(EarlyScanQueue& queue);
