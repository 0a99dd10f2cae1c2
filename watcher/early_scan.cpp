#include "watcher/early_scan.h"

#include "watcher/scan.h"

namespace {

bool HoldsCandidate(const EarlyScanQueue& queue, WindowHandle root)
{
    for (int i = 0; i < queue.count; ++i) {
        if (queue.candidates[i] == root)
            return true;
    }
    return false;
}

void AddCandidate(EarlyScanQueue& queue, WindowHandle root)
{
    if (HoldsCandidate(queue, root))
        return;
    if (queue.count == kMaxEarlyCandidates) {
        // The oldest has had its looks; the newest matters most.
        for (int i = 1; i < queue.count; ++i)
            queue.candidates[i - 1] = queue.candidates[i];
        --queue.count;
    }
    queue.candidates[queue.count++] = root;
}

void DropCandidate(EarlyScanQueue& queue, int index)
{
    for (int i = index + 1; i < queue.count; ++i)
        queue.candidates[i - 1] = queue.candidates[i];
    --queue.count;
}

// The candidates are looked at within one look, with the same step a tick takes; when a rule
// wants one of them, the look goes on over every window, exactly as a tick's would.
void LookAtCandidates(WatchContext& watch, EarlyScanQueue& queue)
{
    if (!BeginLook(watch))
        return;
    bool wanted = false;
    for (int i = 0; i < queue.count;) {
        if (RuleFor(watch, queue.candidates[i]) != nullptr) {
            wanted = true;
            // Answered now; a later look must not answer it a second time.
            DropCandidate(queue, i);
        } else {
            ++i;
        }
    }
    if (wanted)
        LookAtEveryWindow(watch);
    EndLook(watch);
}

}  // namespace

uint32_t NoteWindowEvent(EarlyScanQueue& queue, WindowHandle root, uint32_t now)
{
    if (root == 0)
        return 0;
    // A window already waiting for its looks (a dialog whose controls are being created, a
    // title that keeps changing) gets no new series: its looks are under way.
    if (queue.pending && HoldsCandidate(queue, root))
        return 0;
    AddCandidate(queue, root);
    // A first look already due within the first offset serves this event too.
    if (queue.pending && queue.look == 0)
        return 0;
    queue.pending = true;
    queue.series = now;
    queue.look = 0;
    return kEarlyScanOffsetsMs[0];
}

uint32_t RunEarlyScan(WatchContext& watch, EarlyScanQueue& queue, uint32_t now)
{
    queue.pending = false;
    if (watch.acting)
        LookAtCandidates(watch, queue);
    ++queue.look;
    if (queue.look >= kEarlyScanLooks || queue.count == 0) {
        ClearEarlyScans(queue);
        return 0;
    }
    const uint32_t due = queue.series + kEarlyScanOffsetsMs[queue.look];
    queue.pending = true;
    // A late timer still waits at least a moment, so looks never pile up.
    return due > now ? due - now : 1;
}

void ClearEarlyScans(EarlyScanQueue& queue)
{
    queue = EarlyScanQueue{};
}
