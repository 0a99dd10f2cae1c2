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

// --- What the observer hears -------------------------------------------------------------------

// The window, the rule and the method of an action about to be attempted. The title is the one
// the scan matched, when it has it; the program's name costs a question to the system, so it
// is read only for what is reported or kept.
ActionReport Subject(WatchContext& watch, WindowHandle window, const EntryNode& rule, const char* title)
{
    ActionReport subject{};
    subject.rule = rule.id;
    CopyText(subject.rulePattern, kTitleCapacity, rule.entry.title);
    subject.method = rule.entry.method;
    if (PressesButton(rule.entry.method))
        CopyText(subject.button, kButtonCapacity, rule.entry.button);
    subject.window = window;
    if (title != nullptr)
        CopyText(subject.windowTitle, kTitleCapacity, title);
    else
        watch.ops->GetWindowTextA(window, subject.windowTitle, kTitleReadCapacity);
    return subject;
}

void ReadProgramName(WatchContext& watch, ActionReport& subject)
{
    if (subject.program[0] == '\0')
        watch.ops->GetProgramFileName(subject.window, subject.program, kProgramNameCapacity);
}

int RulePosition(const EntryList& list, RuleId id)
{
    int position = 0;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get(), ++position) {
        if (node->id == id)
            return position;
    }
    return -1;
}

ReportedOutcome* FindReported(ReportedOutcomes& reported, WindowHandle window, RuleId rule)
{
    for (ReportedOutcome& item : reported.items) {
        if (item.window == window && item.rule == rule)
            return &item;
    }
    return nullptr;
}

// A done action is reported every time; any other outcome only when it differs from what was
// last reported for the same window and rule.
void Report(WatchContext& watch, ActionReport subject, ActionOutcome outcome)
{
    if (watch.observer == nullptr)
        return;
    ReportedOutcome* known = FindReported(watch.reported, subject.window, subject.rule);
    if (known != nullptr && known->outcome == outcome && outcome != ActionOutcome::Done)
        return;
    if (known == nullptr) {
        known = &watch.reported.items[watch.reported.next];
        watch.reported.next = (watch.reported.next + 1) % kRememberedOutcomes;
    }
    *known = ReportedOutcome{subject.window, subject.rule, outcome};
    ReadProgramName(watch, subject);
    subject.time = watch.ops->Now();
    subject.rulePosition = RulePosition(*watch.list, subject.rule);
    subject.outcome = outcome;
    watch.observer->OnAction(subject);
}

ActionOutcome OutcomeOf(Delivery delivery)
{
    return delivery == Delivery::Refused ? ActionOutcome::Refused : ActionOutcome::Gone;
}

// Counts the action for its rule, found by identity: a probe may have let a message through
// that removed the rule meanwhile.
void CountAction(WatchContext& watch, const ActionReport& subject)
{
    EntryNode* rule = watch.list->FindById(subject.rule);
    if (rule != nullptr && rule->entry.clicks < INT32_MAX)
        ++rule->entry.clicks;
    Report(watch, subject, ActionOutcome::Done);
}

// --- Pending actions ---------------------------------------------------------------------------

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

// The caller has made room. The subject is kept whole: the reply reports it.
PendingAction& AddPending(WatchContext& watch, Awaiting awaiting, ActionReport subject)
{
    PendingActions& pending = watch.pending;
    ActionToken token = 0;
    if (awaiting != Awaiting::Answer) {
        if (++pending.lastToken == 0)
            ++pending.lastToken;
        token = pending.lastToken;
        ReadProgramName(watch, subject);
    }
    PendingAction& item = pending.items[pending.count++];
    item = PendingAction{subject.window, awaiting, token, 0, watch.ops->Now(), false, subject};
    if (subject.method == kClickThenBack)
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
        if (item.awaiting != Awaiting::Answer && !item.overdue && now - item.since > kReplyBoundMs) {
            item.overdue = true;
            Report(watch, item.subject, ActionOutcome::NotAnswering);
        }
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
        ActionReport subject{};
        subject.window = window;
        AddPending(watch, Awaiting::Answer, subject);
    }
    return false;
}

// --- Actions -----------------------------------------------------------------------------------

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
bool ClickAt(WatchContext& watch, const ActionReport& subject, const WinRect& rect)
{
    WindowOps& ops = *watch.ops;
    if (!Answers(watch, subject.window)) {
        Report(watch, subject, ActionOutcome::NotAnswering);
        return false;
    }
    const uint32_t downFlag = subject.method == kLeftClick ? kMouseLeftDown : kMouseRightDown;
    const uint32_t upFlag = subject.method == kLeftClick ? kMouseLeftUp : kMouseRightUp;
    ops.BringWindowToTop(subject.window);
    int32_t x = rect.right - (rect.right - rect.left) / 2;
    int32_t y = rect.bottom - (rect.bottom - rect.top) / 2;
    WinPoint saved{};
    bool haveSaved = ops.GetCursorPos(&saved);
    ops.SetCursorPos(x, y);
    ops.MouseEvent(downFlag, x, y);
    ops.MouseEvent(upFlag, x, y);
    if (haveSaved)
        ops.SetCursorPos(saved.x, saved.y);
    CountAction(watch, subject);
    return true;
}

// Methods 3 and 6 on a button with a window: BM_CLICK goes out, and the click counts when the
// target has handled it. A refusal or a button gone meanwhile means it never arrived.
bool SendClick(WatchContext& watch, const ActionReport& subject, WindowHandle button)
{
    if (!MakeRoom(watch))
        return false;
    const PendingAction& item = AddPending(watch, Awaiting::Reply, subject);
    const Delivery delivery = watch.ops->SendButtonClick(button, item.token);
    if (delivery != Delivery::Delivered) {
        DropLastPending(watch.pending);
        Report(watch, subject, OutcomeOf(delivery));
    }
    return true;
}

// A button the window draws itself: the walk of its accessibility tree runs elsewhere and
// presses the button (press) or finds where to click it. A window whose walk is not due lacks
// the button as far as is known.
bool SearchAccessible(WatchContext& watch, const ActionReport& subject, const char* text, bool press)
{
    if (!AccessibleWalkDue(watch.fruitless, subject.window, text, watch.ops->Now())) {
        Report(watch, subject, ActionOutcome::Gone);
        return true;
    }
    if (!MakeRoom(watch))
        return false;
    const PendingAction& item = AddPending(watch, Awaiting::Search, subject);
    AccessibleRequest request{item.token, subject.window, {}, press};
    CopyText(request.text, kButtonTextCapacity, text);
    if (!watch.ops->StartAccessibleSearch(request))
        DropLastPending(watch.pending);
    return true;
}

// Methods 0, 1, 3 and 6. A window without the button matches all the same and ends the tick.
bool PressButton(WatchContext& watch, const ActionReport& subject, const ListEntry& entry)
{
    const bool byMouse = entry.method == kLeftClick || entry.method == kRightClick;
    const WindowHandle button = FindWindowButton(*watch.ops, subject.window, entry.button);
    if (button == 0)
        return SearchAccessible(watch, subject, entry.button, !byMouse);
    if (!byMouse)
        return SendClick(watch, subject, button);
    WinRect rect{};
    if (!watch.ops->GetWindowRect(button, &rect)) {
        Report(watch, subject, ActionOutcome::Gone);
        return true;
    }
    return ClickAt(watch, subject, rect);
}

// Methods 4 and 5: the window changes its state when its thread gets to it.
bool ShowOnce(WatchContext& watch, const ActionReport& subject, ShowCommand command)
{
    WindowOps& ops = *watch.ops;
    const bool already = command == ShowCommand::Maximize ? ops.IsZoomed(subject.window) : ops.IsIconic(subject.window);
    if (already)
        return true;
    if (!MakeRoom(watch))
        return false;
    const PendingAction& item = AddPending(watch, Awaiting::Reply, subject);
    const Delivery delivery = ops.ShowWindowAsync(subject.window, command, item.token);
    if (delivery != Delivery::Delivered) {
        DropLastPending(watch.pending);
        Report(watch, subject, OutcomeOf(delivery));
    }
    return true;
}

// --- Replies -----------------------------------------------------------------------------------

// A show counts once the window is in the state asked for.
ReplyEffect FinishReply(WatchContext& watch, const PendingAction& action)
{
    WindowOps& ops = *watch.ops;
    const ActionReport& subject = action.subject;
    if (subject.method == kMaximizeWindow || subject.method == kMinimizeWindow) {
        const bool shown = subject.method == kMaximizeWindow ? ops.IsZoomed(action.window) : ops.IsIconic(action.window);
        if (shown)
            CountAction(watch, subject);
        else if (!ops.IsWindow(action.window))
            Report(watch, subject, ActionOutcome::Gone);
        return {};
    }
    CountAction(watch, subject);
    return ReplyEffect{action.focusBack};
}

// A walk that answered after the bound is never counted: the window was shown as not answering.
// A button found but not pressed, or not there, is gone as far as the rule is concerned.
ReplyEffect FinishSearch(WatchContext& watch, const PendingAction& action, const ActionReply& reply,
                         bool mayAct)
{
    const EntryNode* rule = watch.list->FindById(action.subject.rule);
    if (rule == nullptr)
        return {};
    NoteAccessibleWalk(watch.fruitless, action.window, rule->entry.button,
                       reply.outcome != ReplyOutcome::NotFound, action.since);
    if (action.overdue)
        return {};
    switch (reply.outcome) {
    case ReplyOutcome::Pressed:
        CountAction(watch, action.subject);
        return ReplyEffect{action.focusBack};
    case ReplyOutcome::Located:
        if (mayAct && watch.ops->IsWindowVisible(action.window))
            ClickAt(watch, action.subject, reply.location);
        return {};
    default:
        Report(watch, action.subject, ActionOutcome::Gone);
        return {};
    }
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
    if (window == watch.exempt || !ops.IsWindowVisible(window))
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
    const ActionReport subject = Subject(watch, window, rule, g_titleBuffer);
    switch (rule.entry.method) {
    case kLeftClick:
    case kRightClick:
    case kButtonMessage:
    case kClickThenBack:
        return PressButton(watch, subject, rule.entry);
    case kCloseWindow: {
        const Delivery delivery = watch.ops->PostClose(window);
        if (delivery == Delivery::Delivered)
            CountAction(watch, subject);
        else
            Report(watch, subject, OutcomeOf(delivery));
        return true;
    }
    case kMaximizeWindow:
        return ShowOnce(watch, subject, ShowCommand::Maximize);
    case kMinimizeWindow:
        return ShowOnce(watch, subject, ShowCommand::Minimize);
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
