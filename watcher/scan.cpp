#include "watcher/scan.h"

#include <climits>

#include "rules/match_pattern.h"
#include "watcher/button_search.h"

WatchContext g_watch{};

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

bool AnyChildMatches(WindowHandle window, const char* messagePattern)
{
    WindowOps& ops = *g_watch.ops;
    for (WindowHandle child = ops.GetWindow(window, WindowRelation::FirstChild); child != 0;
         child = ops.GetWindow(child, WindowRelation::NextSibling)) {
        ops.GetWindowTextA(child, g_childBuffer, kChildReadCapacity);
        if (MatchPattern(messagePattern, g_childBuffer))
            return true;
    }
    return false;
}

// Methods 0 and 1: press the button with the mouse where it is on screen, and put the pointer
// back where the user left it.
void ClickWithMouse(WindowHandle window, ListEntry& entry, uint32_t downFlag, uint32_t upFlag)
{
    WindowOps& ops = *g_watch.ops;
    FoundButton button;
    FindButton(ops, window, entry.button, &button);
    WinRect rect{};
    if (!ButtonRect(button, &rect))
        return;
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
}

// Methods 3 and 6. Returns true when the click reached the button.
bool ClickWithMessage(WindowHandle window, ListEntry& entry)
{
    FoundButton button;
    FindButton(*g_watch.ops, window, entry.button, &button);
    if (PressButton(button) != Delivery::Delivered)
        return false;
    CountAction(entry);
    return true;
}

void ShowWindowOnce(WindowHandle window, ListEntry& entry, ShowCommand command)
{
    WindowOps& ops = *g_watch.ops;
    bool already = command == ShowCommand::Maximize ? ops.IsZoomed(window) : ops.IsIconic(window);
    if (already)
        return;
    if (ops.ShowWindow(window, command))
        CountAction(entry);
}

}  // namespace

void ScanTick()
{
    if (g_scanRunning)
        return;
    if (g_watch.settings->active != 0)
        ScanOnce();
    g_watch.previousForeground = g_watch.ops->GetForegroundWindow();
}

void ScanOnce()
{
    if (g_scanRunning)
        return;
    g_scanRunning = true;
    g_watch.ops->EnumWindows(EnumWindowsCallback, kEnumScan);
    g_scanRunning = false;
}

bool ScanRunning()
{
    return g_scanRunning;
}

int ScanWindow(WindowHandle window)
{
    WindowOps& ops = *g_watch.ops;
    if (!ops.IsWindowVisible(window))
        return 1;
    g_titleBuffer[0] = '\0';
    ops.GetWindowTextA(window, g_titleBuffer, kTitleReadCapacity);
    if (g_titleBuffer[0] == '\0')
        return 1;
    ListEntry* entry = FindMatchingEntry(g_titleBuffer, window);
    if (entry == nullptr)
        return 1;
    PerformAction(window, *entry);
    return 0;
}

ListEntry* FindMatchingEntry(const char* title, WindowHandle window)
{
    PrepareText(&g_preparedTitle, title);
    for (EntryNode* node = g_watch.list->First(); node != nullptr; node = node->next.get()) {
        ListEntry& entry = node->entry;
        // A disabled rule never matches, so it need not be compared at all.
        if (entry.condition == kNeverClick)
            continue;
        if (!MatchPreparedText(entry.title, g_preparedTitle))
            continue;
        if (entry.condition == kAlwaysClick)
            return &entry;
        if (AnyChildMatches(window, entry.message))
            return &entry;
    }
    return nullptr;
}

void PerformAction(WindowHandle window, ListEntry& entry)
{
    WindowOps& ops = *g_watch.ops;
    switch (entry.method) {
    case kLeftClick:
        ClickWithMouse(window, entry, kMouseLeftDown, kMouseLeftUp);
        break;
    case kRightClick:
        ClickWithMouse(window, entry, kMouseRightDown, kMouseRightUp);
        break;
    case kCloseWindow:
        if (ops.PostClose(window) == Delivery::Delivered)
            CountAction(entry);
        break;
    case kButtonMessage:
        ClickWithMessage(window, entry);
        break;
    case kMaximizeWindow:
        ShowWindowOnce(window, entry, ShowCommand::Maximize);
        break;
    case kMinimizeWindow:
        ShowWindowOnce(window, entry, ShowCommand::Minimize);
        break;
    case kClickThenBack:
        if (!ClickWithMessage(window, entry))
            break;
        // Let the target finish with the click before the focus goes back.
        ops.Sleep(800);
        if (g_watch.previousForeground != 0)
            ops.SetForegroundWindow(g_watch.previousForeground);
        break;
    default:
        break;
    }
}

int EnumWindowsCallback(WindowHandle window, intptr_t value)
{
    switch (value) {
    case kEnumScan:
        return ScanWindow(window);
    case kEnumPopupItems:
        if (g_watch.popupItemStep != nullptr)
            g_watch.popupItemStep(window);
        return 1;
    case kEnumWizardList:
        if (g_watch.wizardListStep != nullptr)
            g_watch.wizardListStep(window);
        return 1;
    default:
        return 1;
    }
}
