#include "watcher/scan.h"

#include <climits>

#include "rules/match_pattern.h"
#include "watcher/button_search.h"

namespace {

// Program scratch for the window under test: titles are read with capacity 256, child texts
// with 512. Single-threaded use makes sharing them safe.
char g_titleBuffer[512];
char g_childBuffer[512];
PreparedText g_preparedTitle;
// Set while a scan runs. Cross-process calls of the accessibility walk pump this thread's
// messages while they wait, so a timer tick or an early scan can arrive in the middle of an action.
bool g_scanRunning;

constexpr int kTitleReadCapacity = 256;
constexpr int kChildReadCapacity = 512;

void CountAction(ListEntry& entry)
{
    if (entry.clicks < INT32_MAX)
        ++entry.clicks;
}

int UnresponsiveIndex(WatchContext& watch, WindowHandle window)
{
    const UnresponsiveWindows& known = watch.unresponsive;
    for (int i = 0; i < known.count; ++i) {
        if (known.windows[i] == window)
            return i;
    }
    return -1;
}

void ForgetUnresponsive(WatchContext& watch, int index)
{
    UnresponsiveWindows& known = watch.unresponsive;
    for (int i = index + 1; i < known.count; ++i)
        known.windows[i - 1] = known.windows[i];
    --known.count;
}

void RememberUnresponsive(WatchContext& watch, WindowHandle window)
{
    if (UnresponsiveIndex(watch, window) >= 0)
        return;
    UnresponsiveWindows& known = watch.unresponsive;
    if (known.count == kMaxUnresponsiveWindows)
        ForgetUnresponsive(watch, 0);
    known.windows[known.count++] = window;
}

// The probe before a call that would hold the one thread for as long as the target's thread
// sleeps (raising, showing, activating). A target that does not answer is remembered.
bool Answers(WatchContext& watch, WindowHandle window)
{
    if (watch.ops->Ping(window))
        return true;
    RememberUnresponsive(watch, window);
    return false;
}

bool AnyChildMatches(WatchContext& watch, WindowHandle window, const char* messagePattern)
{
    WindowOps& ops = *watch.ops;
    for (WindowHandle child = ops.GetWindow(window, WindowRelation::FirstChild); child != 0;
         child = ops.GetWindow(child, WindowRelation::NextSibling)) {
        ops.GetWindowTextA(child, g_childBuffer, kChildReadCapacity);
        if (MatchPattern(messagePattern, g_childBuffer))
            return true;
    }
    return false;
}

// Methods 0 and 1: press the button with the mouse where it is on screen, and put the pointer
// back where the user left it. False when the window did not answer.
bool ClickWithMouse(WatchContext& watch, WindowHandle window, ListEntry& entry, uint32_t downFlag,
                    uint32_t upFlag)
{
    WindowOps& ops = *watch.ops;
    FoundButton button;
    FindButton(ops, window, entry.button, &button);
    WinRect rect{};
    if (!ButtonRect(button, &rect))
        return true;
    if (!Answers(watch, window))
        return false;
    ops.BringWindowToTop(window);
    int32_t x = rect.right - (rect.right - rect.left) / 2;
    int32_t y = rect.bottom - (rect.bottom - rect.top) / 2;
    WinPoint saved{};
    bool haveSaved = ops.GetCursorPos(&saved);
    ops.SetCursorPos(x, y);
    ops.MouseEvent(downFlag, x, y);
    ops.MouseEvent(upFlag, x, y);
    if (haveSaved)
        ops.SetCursorPos(saved.x, saved.y);
    CountAction(entry);
    return true;
}

// Methods 3 and 6. Returns true when the click counted. A click that ran into the send's bound
// still reached the target, which is busy with it: it counts once, and the window is passed
// over until it answers again, so that the click is not sent again while it hangs. Only a
// refusal or a window gone meanwhile means it never arrived.
bool ClickWithMessage(WatchContext& watch, WindowHandle window, ListEntry& entry)
{
    WindowOps& ops = *watch.ops;
    FoundButton button;
    FindButton(ops, window, entry.button, &button);
    const Delivery delivery = PressButton(button);
    if (delivery == Delivery::Refused)
        return false;
    if (delivery == Delivery::Unanswered) {
        if (button.kind == ButtonKind::Window && !ops.IsWindow(button.window))
            return false;
        RememberUnresponsive(watch, window);
    }
    CountAction(entry);
    return true;
}

// Methods 4 and 5. False when the window did not answer.
bool ShowWindowOnce(WatchContext& watch, WindowHandle window, ListEntry& entry, ShowCommand command)
{
    WindowOps& ops = *watch.ops;
    bool already = command == ShowCommand::Maximize ? ops.IsZoomed(window) : ops.IsIconic(window);
    if (already)
        return true;
    if (!Answers(watch, window))
        return false;
    if (ops.ShowWindow(window, command))
        CountAction(entry);
    return true;
}

// Method 6 after its click: the focus goes back where it was, unless that window hangs.
void ReturnFocus(WatchContext& watch)
{
    const WindowHandle previous = watch.previousForeground;
    if (previous == 0 || !Answers(watch, previous))
        return;
    watch.ops->SetForegroundWindow(previous);
}

}  // namespace

void ScanTick(WatchContext& watch)
{
    if (g_scanRunning)
        return;
    if (watch.settings->active != 0)
        ScanOnce(watch);
    watch.previousForeground = watch.ops->GetForegroundWindow();
}

void ScanOnce(WatchContext& watch)
{
    if (g_scanRunning)
        return;
    g_scanRunning = true;
    auto scanWindow = [&watch](WindowHandle window) { return ScanWindow(watch, window); };
    ForEachWindow(*watch.ops, scanWindow);
    g_scanRunning = false;
}

bool ScanRunning()
{
    return g_scanRunning;
}

bool ScanWindow(WatchContext& watch, WindowHandle window)
{
    WindowOps& ops = *watch.ops;
    if (!ops.IsWindowVisible(window))
        return true;
    g_titleBuffer[0] = '\0';
    ops.GetWindowTextA(window, g_titleBuffer, kTitleReadCapacity);
    if (g_titleBuffer[0] == '\0')
        return true;
    ListEntry* entry = FindMatchingEntry(watch, g_titleBuffer, window);
    if (entry == nullptr || StillUnresponsive(watch, window))
        return true;
    return !PerformAction(watch, window, *entry);
}

ListEntry* FindMatchingEntry(WatchContext& watch, const char* title, WindowHandle window)
{
    PrepareText(&g_preparedTitle, title);
    for (EntryNode* node = watch.list->First(); node != nullptr; node = node->next.get()) {
        ListEntry& entry = node->entry;
        // A disabled rule never matches, so it need not be compared at all.
        if (entry.condition == kNeverClick)
            continue;
        if (!MatchPreparedText(entry.title, g_preparedTitle))
            continue;
        if (entry.condition == kAlwaysClick)
            return &entry;
        if (AnyChildMatches(watch, window, entry.message))
            return &entry;
    }
    return nullptr;
}

bool StillUnresponsive(WatchContext& watch, WindowHandle window)
{
    const int index = UnresponsiveIndex(watch, window);
    if (index < 0)
        return false;
    WindowOps& ops = *watch.ops;
    if (ops.IsWindow(window) && !ops.Ping(window))
        return true;
    ForgetUnresponsive(watch, index);
    return false;
}

bool PerformAction(WatchContext& watch, WindowHandle window, ListEntry& entry)
{
    WindowOps& ops = *watch.ops;
    switch (entry.method) {
    case kLeftClick:
        return ClickWithMouse(watch, window, entry, kMouseLeftDown, kMouseLeftUp);
    case kRightClick:
        return ClickWithMouse(watch, window, entry, kMouseRightDown, kMouseRightUp);
    case kCloseWindow:
        if (ops.PostClose(window) == Delivery::Delivered)
            CountAction(entry);
        return true;
    case kButtonMessage:
        ClickWithMessage(watch, window, entry);
        return true;
    case kMaximizeWindow:
        return ShowWindowOnce(watch, window, entry, ShowCommand::Maximize);
    case kMinimizeWindow:
        return ShowWindowOnce(watch, window, entry, ShowCommand::Minimize);
    case kClickThenBack:
        if (!ClickWithMessage(watch, window, entry))
            return true;
        // Let the target finish with the click before the focus goes back.
        ops.Sleep(800);
        ReturnFocus(watch);
        return true;
    default:
        return true;
    }
}
