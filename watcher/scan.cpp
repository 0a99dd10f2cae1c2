#include "watcher/scan.h"

#include <climits>

#include "rules/match_pattern.h"

namespace {

// Program scratch for the window under test: titles are read with capacity 256, child texts
// with 512. Single-threaded use makes sharing them safe.
char g_titleBuffer[512];
char g_childBuffer[512];
PreparedText g_preparedTitle;
// Set while a scan runs.
bool g_scanRunning;

constexpr int kTitleReadCapacity = 256;
constexpr int kChildReadCapacity = 512;

// By identity: a probe may have let a message through that removed the rule meanwhile.
void CountAction(WatchContext& watch, RuleId id)
{
    EntryNode* rule = watch.list->FindById(id);
    if (rule != nullptr && rule->entry.clicks < INT32_MAX)
        ++rule->entry.clicks;
}

int PendingIndex(const PendingActions& pending, WindowHandle window)
{
    for (int i = 0; i < pending.count; ++i) {
        if (pending.items[i].window == window)
            return i;
    }
    return -1;
}

int TokenIndex(const PendingActions& pending, ActionToken token)
{
    for (int i = 0; i < pending.count; ++i) {
        if (pending.items[i].token == token)
            return i;
    }
    return -1;
}

void DropPending(PendingActions& pending, int index)
{
    for (int i = index + 1; i < pending.count; ++i)
        pending.items[i - 1] = pending.items[i];
    --pending.count;
}

void DropLastPending(PendingActions& pending)
{
    --pending.count;
}

// Nothing more is awaited from a window that did not answer a probe or whose reply is overdue:
// once it is gone, it can go.
bool AwaitsNothingMore(const PendingAction& item)
{
    return item.awaiting == Awaiting::Answer || item.overdue;
}

// Room for one more pending action. When the set is full, a window that is gone and awaits
// nothing more makes room; if there is none, the window waits for a later look rather than risk
// a second press of one still pending.
bool MakeRoom(WatchContext& watch)
{
    PendingActions& pending = watch.pending;
    if (pending.count < kMaxPendingActions)
        return true;
    for (int i = 0; i < pending.count; ++i) {
        if (AwaitsNothingMore(pending.items[i]) && !watch.ops->IsWindow(pending.items[i].window)) {
            DropPending(pending, i);
            return true;
        }
    }
    return false;
}

// The caller has made room.
PendingAction& AddPending(WatchContext& watch, WindowHandle window, Awaiting awaiting, const EntryNode& rule)
{
    PendingActions& pending = watch.pending;
    ActionToken token = 0;
    if (awaiting != Awaiting::Answer) {
        if (++pending.lastToken == 0)
            ++pending.lastToken;
        token = pending.lastToken;
    }
    PendingAction& item = pending.items[pending.count++];
    item = PendingAction{window, awaiting, token, rule.id, rule.entry.method, 0, watch.ops->Now(), false};
    if (rule.entry.method == kClickThenBack)
        item.focusBack = watch.previousForeground;
    return item;
}

// Marks replies that take too long, and lets go of windows that are gone and await nothing more.
void SweepPending(WatchContext& watch)
{
    PendingActions& pending = watch.pending;
    const uint32_t now = watch.ops->Now();
    for (int i = 0; i < pending.count;) {
        PendingAction& item = pending.items[i];
        if (item.awaiting != Awaiting::Answer && now - item.since > kReplyBoundMs)
            item.overdue = true;
        if (AwaitsNothingMore(item) && !watch.ops->IsWindow(item.window)) {
            DropPending(pending, i);
            continue;
        }
        ++i;
    }
}

// The probe before a call that would hold the one thread for as long as the target's thread
// sleeps (raising, activating). A target that does not answer is passed over until it does.
bool Answers(WatchContext& watch, WindowHandle window)
{
    if (watch.ops->Ping(window))
        return true;
    if (PendingIndex(watch.pending, window) < 0 && watch.pending.count < kMaxPendingActions) {
        PendingActions& pending = watch.pending;
        pending.items[pending.count++] = PendingAction{window, Awaiting::Answer, 0, 0, kLeftClick, 0,
                                                       watch.ops->Now(), false};
    }
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
// back where the user left it. Raising the window waits on its thread, hence the probe first.
// False when the window did not answer.
bool ClickAt(WatchContext& watch, WindowHandle window, RuleId rule, ClickMethod method, const WinRect& rect)
{
    WindowOps& ops = *watch.ops;
    if (!Answers(watch, window))
        return false;
    const uint32_t downFlag = method == kLeftClick ? kMouseLeftDown : kMouseRightDown;
    const uint32_t upFlag = method == kLeftClick ? kMouseLeftUp : kMouseRightUp;
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
    CountAction(watch, rule);
    return true;
}

// Methods 3 and 6 on a button with a window: BM_CLICK goes out, and the click counts when the
// target has handled it. A refusal or a button gone meanwhile means it never arrived.
bool SendClick(WatchContext& watch, WindowHandle window, const EntryNode& rule, WindowHandle button)
{
    if (!MakeRoom(watch))
        return false;
    const PendingAction& item = AddPending(watch, window, Awaiting::Reply, rule);
    if (watch.ops->SendButtonClick(button, item.token) != Delivery::Delivered)
        DropLastPending(watch.pending);
    return true;
}

// A button the window draws itself: the walk of its accessibility tree runs elsewhere and
// presses the button (press) or finds where to click it.
bool SearchAccessible(WatchContext& watch, WindowHandle window, const EntryNode& rule, bool press)
{
    if (!AccessibleWalkDue(watch.fruitless, window, rule.entry.button, watch.ops->Now()))
        return true;
    if (!MakeRoom(watch))
        return false;
    const PendingAction& item = AddPending(watch, window, Awaiting::Search, rule);
    AccessibleRequest request{item.token, window, {}, press};
    CopyText(request.text, kButtonTextCapacity, rule.entry.button);
    if (!watch.ops->StartAccessibleSearch(request))
        DropLastPending(watch.pending);
    return true;
}

// Methods 0, 1, 3 and 6. A window without the button matches all the same and ends the tick.
bool PressButton(WatchContext& watch, WindowHandle window, const EntryNode& rule)
{
    const ListEntry& entry = rule.entry;
    const bool byMouse = entry.method == kLeftClick || entry.method == kRightClick;
    const WindowHandle button = FindWindowButton(*watch.ops, window, entry.button);
    if (button == 0)
        return SearchAccessible(watch, window, rule, !byMouse);
    if (!byMouse)
        return SendClick(watch, window, rule, button);
    WinRect rect{};
    if (!watch.ops->GetWindowRect(button, &rect))
        return true;
    return ClickAt(watch, window, rule.id, entry.method, rect);
}

// Methods 4 and 5: the window changes its state when its thread gets to it.
bool ShowOnce(WatchContext& watch, WindowHandle window, const EntryNode& rule, ShowCommand command)
{
    WindowOps& ops = *watch.ops;
    const bool already = command == ShowCommand::Maximize ? ops.IsZoomed(window) : ops.IsIconic(window);
    if (already)
        return true;
    if (!MakeRoom(watch))
        return false;
    const PendingAction& item = AddPending(watch, window, Awaiting::Reply, rule);
    if (ops.ShowWindowAsync(window, command, item.token) != Delivery::Delivered)
        DropLastPending(watch.pending);
    return true;
}

ReplyEffect FinishReply(WatchContext& watch, const PendingAction& action)
{
    WindowOps& ops = *watch.ops;
    switch (action.method) {
    case kMaximizeWindow:
        if (ops.IsZoomed(action.window))
            CountAction(watch, action.rule);
        return {};
    case kMinimizeWindow:
        if (ops.IsIconic(action.window))
            CountAction(watch, action.rule);
        return {};
    default:
        CountAction(watch, action.rule);
        return ReplyEffect{action.focusBack};
    }
}

// A walk that answered after the bound is never counted: the window was shown as not answering.
ReplyEffect FinishSearch(WatchContext& watch, const PendingAction& action, const ActionReply& reply,
                         bool mayAct)
{
    const EntryNode* rule = watch.list->FindById(action.rule);
    if (rule == nullptr)
        return {};
    NoteAccessibleWalk(watch.fruitless, action.window, rule->entry.button,
                       reply.outcome != ReplyOutcome::NotFound, action.since);
    if (action.overdue)
        return {};
    if (reply.outcome == ReplyOutcome::Pressed) {
        CountAction(watch, action.rule);
        return ReplyEffect{action.focusBack};
    }
    if (reply.outcome == ReplyOutcome::Located && mayAct && watch.ops->IsWindowVisible(action.window))
        ClickAt(watch, action.window, action.rule, action.method, reply.location);
    return {};
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
    SweepPending(watch);
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
    EntryNode* rule = FindMatchingEntry(watch, g_titleBuffer, window);
    if (rule == nullptr || PassedOver(watch, window))
        return true;
    return !PerformAction(watch, window, *rule);
}

EntryNode* FindMatchingEntry(WatchContext& watch, const char* title, WindowHandle window)
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
            return node;
        if (AnyChildMatches(watch, window, entry.message))
            return node;
    }
    return nullptr;
}

bool PassedOver(WatchContext& watch, WindowHandle window)
{
    const int index = PendingIndex(watch.pending, window);
    if (index < 0)
        return false;
    if (watch.pending.items[index].awaiting != Awaiting::Answer)
        return true;
    WindowOps& ops = *watch.ops;
    if (ops.IsWindow(window) && !ops.Ping(window))
        return true;
    // Found again: a reply taken in while the probe waited may have moved the entries.
    const int answered = PendingIndex(watch.pending, window);
    if (answered >= 0)
        DropPending(watch.pending, answered);
    return false;
}

bool PerformAction(WatchContext& watch, WindowHandle window, EntryNode& rule)
{
    switch (rule.entry.method) {
    case kLeftClick:
    case kRightClick:
    case kButtonMessage:
    case kClickThenBack:
        return PressButton(watch, window, rule);
    case kCloseWindow:
        if (watch.ops->PostClose(window) == Delivery::Delivered)
            CountAction(watch, rule.id);
        return true;
    case kMaximizeWindow:
        return ShowOnce(watch, window, rule, ShowCommand::Maximize);
    case kMinimizeWindow:
        return ShowOnce(watch, window, rule, ShowCommand::Minimize);
    default:
        return true;
    }
}

ReplyEffect CompleteAction(WatchContext& watch, const ActionReply& reply, bool mayAct)
{
    const int index = reply.token != 0 ? TokenIndex(watch.pending, reply.token) : -1;
    if (index < 0)
        return {};
    const PendingAction action = watch.pending.items[index];
    DropPending(watch.pending, index);
    if (action.awaiting == Awaiting::Search)
        return FinishSearch(watch, action, reply, mayAct);
    return FinishReply(watch, action);
}

void ReturnFocus(WatchContext& watch, WindowHandle window)
{
    if (window == 0 || !Answers(watch, window))
        return;
    watch.ops->SetForegroundWindow(window);
}
