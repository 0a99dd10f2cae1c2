#include "watcher/win32_watch_service.h"

#include <iterator>
#include <memory>
#include <mutex>
#include <vector>

#include "resources/shared_names.h"
#include "shell/timer_ids.h"
#include "watcher/early_scan.h"
#include "watcher/win32_window_ops.h"

namespace {

// Wakes the service to look at its queue. It carries nothing: a wake from anywhere else finds
// the queue as it is.
constexpr UINT kWakeMessage = WM_APP + 1;

// Created, shown and renamed: a new dialog, one shown again, one that got its title late.
constexpr DWORD kHookedEvents[] = {EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, EVENT_OBJECT_NAMECHANGE};

// Everything here belongs to the thread that started the service, except the queue of arrived
// replies, which walk threads fill under its lock.
struct WatchService {
    HWND window = nullptr;
    WatchContext watch;
    bool earlyScans = true;
    bool watching = false;
    bool active = false;
    WatchPause pause{};
    EarlyScanQueue early{};
    HWINEVENTHOOK hooks[std::size(kHookedEvents)] = {};
    bool focusBackTimer = false;
    // Window events that arrived during a look, noted once it is over.
    std::vector<WindowHandle> eventsDuringLook;

    // The rule tester's walks under way, by token.
    struct TestWalk {
        ActionToken token;
        TestWalkSink sink;
        void* context;
    };
    std::vector<TestWalk> testWalks;

    std::mutex arrivedLock;
    std::vector<ActionReply> arrived;  // under arrivedLock
    bool wakePosted = false;           // under arrivedLock
};

std::unique_ptr<WatchService> g_service;

// --- Replies ---------------------------------------------------------------------------------------

// The sink of the real window operations: on any thread.
void QueueReply(const ActionReply& reply, void* context)
{
    auto* service = static_cast<WatchService*>(context);
    std::lock_guard<std::mutex> hold(service->arrivedLock);
    service->arrived.push_back(reply);
    if (service->wakePosted)
        return;
    service->wakePosted = PostMessageA(service->window, kWakeMessage, 0, 0) != FALSE;
}

std::vector<ActionReply> TakeArrived(WatchService& service)
{
    std::vector<ActionReply> replies;
    std::lock_guard<std::mutex> hold(service.arrivedLock);
    replies.swap(service.arrived);
    service.wakePosted = false;
    return replies;
}

// --- Early scans -----------------------------------------------------------------------------------

void SetEarlyScanTimer(WatchService& service, uint32_t delay)
{
    if (delay != 0)
        SetTimer(service.window, kEarlyScanTimer, delay, nullptr);
}

void NoteEvent(WatchService& service, WindowHandle root)
{
    SetEarlyScanTimer(service, NoteWindowEvent(service.early, root, GetTickCount()));
}

// Out of context: the system posts the events to this thread, so they arrive between messages.
// Should one arrive while a look waits, it is noted after the look. An event queued before the
// hooks went away still arrives.
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    WatchService* service = g_service.get();
    if (service == nullptr || !service->watch.acting)
        return;
    if (window == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF)
        return;
    const auto root = reinterpret_cast<WindowHandle>(GetAncestor(window, GA_ROOT));
    if (service->watch.scanning)
        service->eventsDuringLook.push_back(root);
    else
        NoteEvent(*service, root);
}

bool HooksInstalled(const WatchService& service)
{
    return service.hooks[0] != nullptr;
}

void InstallHooks(WatchService& service)
{
    if (HooksInstalled(service))
        return;
    for (size_t i = 0; i < std::size(kHookedEvents); ++i) {
        service.hooks[i] = SetWinEventHook(kHookedEvents[i], kHookedEvents[i], nullptr, OnWinEvent, 0, 0,
                                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    }
}

void RemoveHooks(WatchService& service)
{
    for (HWINEVENTHOOK& hook : service.hooks) {
        if (hook != nullptr)
            UnhookWinEvent(hook);
        hook = nullptr;
    }
    KillTimer(service.window, kEarlyScanTimer);
    ClearEarlyScans(service.early);
}

// Listening only while the watcher may act: rules are never applied while they are being edited,
// and an inactive watcher has nothing to bring forward.
void UpdateHooks(WatchService& service)
{
    if (service.watch.acting && service.earlyScans)
        InstallHooks(service);
    else
        RemoveHooks(service);
}

// --- After the core -------------------------------------------------------------------------------

// What a look or a reply left for the service: method 6's focus return, and the window events
// that came during the look.
void AfterCore(WatchService& service)
{
    if (service.watch.focusBack != 0 && !service.focusBackTimer)
        service.focusBackTimer = SetTimer(service.window, kFocusBackTimer, kFocusBackDelayMs, nullptr) != 0;
    // A window waiting out a rule's delay is looked at again as soon as the delay is over, not a
    // scan interval later.
    const uint32_t due = service.watch.acting ? DelayDueIn(service.watch, GetTickCount()) : 0;
    if (due != 0)
        SetTimer(service.window, kDelayTimer, due, nullptr);
    std::vector<WindowHandle> events;
    events.swap(service.eventsDuringLook);
    for (WindowHandle root : events)
        NoteEvent(service, root);
}

// A result of the rule tester's goes to the tester; every other one to the watcher.
bool HandToTester(WatchService& service, const ActionReply& reply)
{
    for (size_t i = 0; i < service.testWalks.size(); ++i) {
        const WatchService::TestWalk walk = service.testWalks[i];
        if (walk.token != reply.token)
            continue;
        service.testWalks.erase(service.testWalks.begin() + static_cast<std::ptrdiff_t>(i));
        if (walk.sink != nullptr)
            walk.sink(reply, walk.context);
        return true;
    }
    return false;
}

void FinishArrivedReplies(WatchService& service)
{
    for (const ActionReply& reply : TakeArrived(service)) {
        if (!HandToTester(service, reply))
            CompleteAction(service.watch, reply);
    }
    AfterCore(service);
}

void OnEarlyScanTimer(WatchService& service)
{
    KillTimer(service.window, kEarlyScanTimer);
    if (!service.watch.acting) {
        ClearEarlyScans(service.early);
        return;
    }
    SetEarlyScanTimer(service, RunEarlyScan(service.watch, service.early, GetTickCount()));
    AfterCore(service);
}

void OnDelayTimer(WatchService& service)
{
    KillTimer(service.window, kDelayTimer);
    if (service.watch.acting)
        ScanOnce(service.watch);
    AfterCore(service);
}

void OnFocusBackTimer(WatchService& service)
{
    KillTimer(service.window, kFocusBackTimer);
    service.focusBackTimer = false;
    ReturnFocus(service.watch);
}

LRESULT CALLBACK ServiceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WatchService* service = g_service.get();
    if (service == nullptr || window != service->window)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case kWakeMessage:
        FinishArrivedReplies(*service);
        return 0;
    case WM_TIMER:
        if (wParam == kEarlyScanTimer)
            OnEarlyScanTimer(*service);
        else if (wParam == kFocusBackTimer)
            OnFocusBackTimer(*service);
        else if (wParam == kDelayTimer)
            OnDelayTimer(*service);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateServiceWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ServiceWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = BOXSWEEP_WATCH_CLASS;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, BOXSWEEP_WATCH_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

// The computer's clock now: the system time and the local time of day it stands for, from one
// reading, so that the two agree.
ClockReading ReadClock()
{
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SYSTEMTIME local = utc;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    FILETIME file{};
    SystemTimeToFileTime(&utc, &file);
    ULARGE_INTEGER hundredNs{};
    hundredNs.LowPart = file.dwLowDateTime;
    hundredNs.HighPart = file.dwHighDateTime;
    return ClockReading{static_cast<int64_t>(hundredNs.QuadPart / 10000000), local.wHour, local.wMinute,
                        local.wSecond};
}

// The one answer to "may the watcher act now?", taken again whenever what it depends on changes.
// A pause whose end has passed is over here, whoever asks first.
void DecideActing(WatchService& service)
{
    const int64_t now = ReadClock().seconds;
    if (service.pause.on && !PauseHoldsAt(service.pause, now))
        service.pause = WatchPause{};
    service.watch.acting = WatcherMayActAt(service.watching, service.active, service.pause, now);
    UpdateHooks(service);
}

bool AwaitsReplies(const WatchContext& watch)
{
    for (const PendingAction& item : watch.pending.items) {
        if (item.awaiting == Awaiting::Reply || item.awaiting == Awaiting::Search)
            return true;
    }
    return false;
}

}  // namespace

bool StartWatchService(EntryList& list, ActionObserver* observer, bool earlyScans)
{
    auto service = std::make_unique<WatchService>();
    service->window = CreateServiceWindow();
    if (service->window == nullptr)
        return false;
    service->watch.ops = &RealWindowOps();
    service->watch.list = &list;
    service->watch.observer = observer;
    service->earlyScans = earlyScans;
    g_service = std::move(service);
    SetReplySink(QueueReply, g_service.get());
    return true;
}

void StopWatchService(DWORD settleMs)
{
    WatchService* service = g_service.get();
    if (service == nullptr)
        return;
    const DWORD start = GetTickCount();
    while (AwaitsReplies(service->watch) && GetTickCount() - start < settleMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, settleMs - (GetTickCount() - start), QS_ALLINPUT);
        // The program is ending: only the service's own messages still matter. Taking the
        // messages in also runs the completions of sends.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.hwnd == service->window)
                DispatchMessageA(&message);
        }
        FinishArrivedReplies(*service);
    }
    SetReplySink(nullptr, nullptr);
    service->watch.acting = false;
    RemoveHooks(*service);
    KillTimer(service->window, kFocusBackTimer);
    KillTimer(service->window, kDelayTimer);
    DestroyWindow(service->window);
    g_service.reset();
}

void SetWatchState(bool watching, bool active)
{
    WatchService& service = *g_service;
    service.watching = watching;
    service.active = active;
    if (!active)
        service.pause = WatchPause{};
    DecideActing(service);
}

void PauseWatching(PauseLength length)
{
    WatchService& service = *g_service;
    if (!service.active)
        return;
    service.pause = PauseFrom(ReadClock(), length);
    DecideActing(service);
}

void ResumeWatching()
{
    g_service->pause = WatchPause{};
    DecideActing(*g_service);
}

const WatchPause& CurrentPause()
{
    return g_service->pause;
}

bool EndPauseWhenDue()
{
    WatchService& service = *g_service;
    if (!service.pause.on)
        return false;
    DecideActing(service);
    return !service.pause.on;
}

void WatchTick()
{
    ScanTick(g_service->watch);
    AfterCore(*g_service);
}

void ExemptFromWatching(HWND window)
{
    g_service->watch.exempt = reinterpret_cast<WindowHandle>(window);
}

WatchContext& ServiceWatch()
{
    return g_service->watch;
}

bool StartTestWalk(WindowHandle window, const char* buttonText, TestWalkSink sink, void* context)
{
    WatchService& service = *g_service;
    ActionToken& last = service.watch.pending.lastToken;
    if (++last == 0)
        ++last;
    AccessibleRequest request{last, window, {}, false};
    CopyText(request.text, kButtonTextCapacity, buttonText);
    if (!service.watch.ops->StartAccessibleSearch(request))
        return false;
    service.testWalks.push_back(WatchService::TestWalk{request.token, sink, context});
    return true;
}

void ForgetTestWalks(void* context)
{
    for (WatchService::TestWalk& walk : g_service->testWalks) {
        if (walk.context == context)
            walk.sink = nullptr;
    }
}
