// Window events from other programs bring a scan forward, so that a matching dialog is answered
// within a fraction of a second instead of up to a whole scan interval. The scan timer stays the
// guarantee: when the hooks cannot be installed the timer alone carries on.
#include <windows.h>

#include "shell/win32_app.h"
#include "watcher/early_scan.h"

namespace {

// Created, shown and renamed: a new dialog, one shown again, one that got its title late.
constexpr DWORD kHookedEvents[] = {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE};

HWINEVENTHOOK g_hooks[std::size(kHookedEvents)] = {};
EarlyScanQueue g_queue{};

// Rules are never applied while they are being edited, and an inactive watcher has nothing to
// bring forward.
bool EarlyScansWanted()
{
    return g_program->watching && g_program->settings.active != 0;
}

void SetEarlyScanTimer(uint32_t delay)
{
    if (delay != 0)
        SetTimer(g_program->page, kEarlyScanTimer, delay, nullptr);
}

// Out of context: the system posts the events to this thread, so they arrive between messages
// and never inside a scan. An event queued before the hooks went away still arrives.
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (!EarlyScansWanted())
        return;
    if (window == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF)
        return;
    HWND root = GetAncestor(window, GA_ROOT);
    SetEarlyScanTimer(NoteWindowEvent(g_queue, reinterpret_cast<WindowHandle>(root), GetTickCount()));
}

bool HooksInstalled()
{
    return g_hooks[0] != nullptr;
}

void InstallHooks()
{
#ifdef BOXSWEEP_TIMER_ONLY
    // The benchmarks' build that measures the timer alone.
    return;
#endif
    if (HooksInstalled())
        return;
    for (size_t i = 0; i < std::size(kHookedEvents); ++i) {
        g_hooks[i] = SetWinEventHook(kHookedEvents[i], kHookedEvents[i], nullptr, OnWinEvent, 0, 0,
                                     WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    }
}

void RemoveHooks()
{
    for (HWINEVENTHOOK& hook : g_hooks) {
        if (hook != nullptr)
            UnhookWinEvent(hook);
        hook = nullptr;
    }
    KillTimer(g_program->page, kEarlyScanTimer);
    ClearEarlyScans(g_queue);
}

}  // namespace

void SetWatching(bool watching)
{
    g_program->watching = watching;
    UpdateEarlyScans();
}

// Listening only while early scans are wanted.
void UpdateEarlyScans()
{
    if (EarlyScansWanted())
        InstallHooks();
    else
        RemoveHooks();
}

void OnEarlyScanTimer()
{
    KillTimer(g_program->page, kEarlyScanTimer);
    if (!EarlyScansWanted()) {
        ClearEarlyScans(g_queue);
        return;
    }
    SetEarlyScanTimer(RunEarlyScan(g_program->watch, g_queue, GetTickCount()));
}
