#include "watcher/scan.h"

#include <climits>

#include "rules/match_pattern.h"

namespace {

// Program scratch for the window under test: titles are read with capacity 256, child texts
// with 512. Single-threaded use makes sharing them safe.
char g_titleBuffer[kTitleCapacity];
char g_childBuffer[kMessageCapacity];
PreparedText g_preparedTitle;


// A window's title as a rule's title field can hold it (255 characters), the length every
// comparison has seen.
void ReadTitle(WatchContext& watch, WindowHandle window, char* title)
{
    watch.ops->GetWindowTextA(window, title, kTitleCapacity);
    CutToField(title, kTitleCapacity);
}

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
        ReadTitle(watch, window, subject.windowTitle);
    return subject;
}

// The program's file name costs a question to the system: it is asked once per window, for as
// long as the window exists.
const char* ProgramOf(WatchContext& watch, WindowHandle window)
{
    for (const ProgramOfWindow& known : watch.programs) {
        if (known.window == window)
            return known.name;
    }
    watch.programs.push_back(ProgramOfWindow{window, {}});
    ProgramOfWindow& read = watch.programs.back();
    watch.ops->GetProgramFileName(window, read.name, kProgramNameCapacity);
    return read.name;
}

void ReadProgramName(WatchContext& watch, ActionReport& subject)
{
    if (subject.program[0] == '\0')
        CopyText(subject.program, kProgramNameCapacity, ProgramOf(watch, subject.window));
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

ReportedOutcome* FindReported(std::vector<ReportedOutcome>& reported, WindowHandle window, RuleId rule)
{
    for (ReportedOutcome& item : reported) {
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
        if (watch.reported.size() >= kRememberedOutcomes)
            watch.reported.erase(watch.reported.begin());
        watch.reported.push_back(ReportedOutcome{});
        known = &watch.reported.back();
    }
    *known = ReportedOutcome{subject.window, subject.rule, outcome};
    ReadProgramName(watch, subject);
    subject.time = watch.ops->Now();
    subject.rulePosition = RulePosition(*watch.list, subject.rule);
    subject.outcome = outcome;
    watch.observer->OnAction(subject);
}

template <typename Item>
void ForgetGone(WatchContext& watch, std::vector<Item>& items)
{
    for (size_t i = 0; i < items.size();) {
        if (watch.ops->IsWindow(items[i].window))
            ++i;
        else
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

// A window that is gone needs no memory of what was said about it, of its program, or of how long
// it has matched.
void ForgetGoneWindows(WatchContext& watch)
{
    ForgetGone(watch, watch.reported);
    ForgetGone(watch, watch.programs);
    ForgetGone(watch, watch.delayed);
}

// A window that stops matching a rule with a delay, or matches another, starts afresh. Rule ids
// start at 1: 0 forgets every delay of the window.
void ForgetDelaysOtherThan(WatchContext& watch, WindowHandle window, RuleId rule)
{
    std::vector<DelayedMatch>& delayed = watch.delayed;
    for (size_t i = 0; i < delayed.size();) {
        if (delayed[i].window == window && delayed[i].rule != rule)
            delayed.erase(delayed.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

// True while window has matched rule for less than the rule's delay, counted from the first look
// that found it matching.
bool WaitsOutDelay(WatchContext& watch, WindowHandle window, const EntryNode& rule)
{
    ForgetDelaysOtherThan(watch, window, rule.id);
    if (rule.entry.delayMs <= 0)
        return false;
    const uint32_t now = watch.ops->Now();
    for (const DelayedMatch& match : watch.delayed) {
        if (match.window == window)
            return now - match.since < static_cast<uint32_t>(rule.entry.delayMs);
    }
    watch.delayed.push_back(DelayedMatch{window, rule.id, now});
    return true;
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
    for (size_t i = 0; i < pending.items.size(); ++i) {
        if (pending.items[i].window == window)
            return static_cast<int>(i);
    }
    return -1;
}

int TokenIndex(const PendingActions& pending, ActionToken token)
{
    for (size_t i = 0; i < pending.items.size(); ++i) {
        if (pending.items[i].token == token)
            return static_cast<int>(i);
    }
    return -1;
}

void DropPending(PendingActions& pending, int index)
{
    pending.items.erase(pending.items.begin() + index);
}

bool IsShow(ClickMethod method)
{
    return method == kMaximizeWindow || method == kMinimizeWindow;
}

bool InStateAskedFor(WatchContext& watch, const PendingAction& item)
{
    WindowOps& ops = *watch.ops;
    return item.subject.method == kMaximizeWindow ? ops.IsZoomed(item.window) : ops.IsIconic(item.window);
}

// The subject is kept whole: the reply reports it.
PendingAction& AddPending(WatchContext& watch, Awaiting awaiting, ActionReport subject)
{
    PendingActions& pending = watch.pending;
    ActionToken token = 0;
    if (awaiting == Awaiting::Reply || awaiting == Awaiting::Search) {
        if (++pending.lastToken == 0)
            ++pending.lastToken;
        token = pending.lastToken;
    }
    if (awaiting != Awaiting::Answer)
        ReadProgramName(watch, subject);
    PendingAction item{};
    item.window = subject.window;
    item.awaiting = awaiting;
    item.token = token;
    item.since = watch.ops->Now();
    item.subject = subject;
    if (subject.method == kClickThenBack)
        item.focusBack = watch.previousForeground;
    pending.items.push_back(item);
    return pending.items.back();
}

// What a look finds of the actions under way: a reply overdue is shown as not answering; a show
// that took effect counts, one that did not within the bound is reported; a window that went
// after its close, or had time enough to, is let go. Returns true when the item is finished.
// A reply or a walk's result comes in the end, also for a window that is gone meanwhile (the
// system answers a send when the target's process ends), and still counts then: those items stay
// until it comes.
bool SweepItem(WatchContext& watch, PendingAction& item, uint32_t now)
{
    const bool gone = !watch.ops->IsWindow(item.window);
    const bool late = now - item.since > kReplyBoundMs;
    switch (item.awaiting) {
    case Awaiting::Reply:
    case Awaiting::Search:
        // A show may take effect before its reply comes back (the system may carry out the
        // posted show first): it counts then, and the reply that follows is ignored.
        if (item.awaiting == Awaiting::Reply && IsShow(item.subject.method) && !gone &&
            InStateAskedFor(watch, item)) {
            CountAction(watch, item.subject);
            return true;
        }
        if (!item.overdue && late) {
            item.overdue = true;
            Report(watch, item.subject, ActionOutcome::NotAnswering);
        }
        return false;
    case Awaiting::Show:
        if (gone) {
            Report(watch, item.subject, ActionOutcome::Gone);
            return true;
        }
        if (InStateAskedFor(watch, item)) {
            CountAction(watch, item.subject);
            return true;
        }
        if (late)
            Report(watch, item.subject, ActionOutcome::NotTaken);
        return late;
    case Awaiting::Settle:
        return gone || late;
    case Awaiting::Answer:
        return gone;
    }
    return false;
}

void SweepPending(WatchContext& watch)
{
    std::vector<PendingAction>& items = watch.pending.items;
    const uint32_t now = watch.ops->Now();
    for (size_t i = 0; i < items.size();) {
        if (SweepItem(watch, items[i], now))
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    ForgetGoneWindows(watch);
}

enum class Probe { Answered, NoAnswer, NotAsked };

// The short question before a call that would hold the one thread for as long as the target's
// thread sleeps (raising, activating). What a look spends on these is bounded: once it is spent,
// the window is not asked this time.
Probe AskWindow(WatchContext& watch, WindowHandle window)
{
    if (watch.probeSpentMs >= kProbeBudgetMs)
        return Probe::NotAsked;
    WindowOps& ops = *watch.ops;
    const uint32_t start = ops.Now();
    const bool answered = ops.Ping(window);
    watch.probeSpentMs += ops.Now() - start;
    return answered ? Probe::Answered : Probe::NoAnswer;
}

// Records what a probe of a window left alone since found out. The window is found again: a
// reply taken in while the probe waited may have moved the entries.
void NoteProbe(WatchContext& watch, WindowHandle window, Probe probe)
{
    const int index = PendingIndex(watch.pending, window);
    if (index < 0)
        return;
    if (probe == Probe::Answered) {
        DropPending(watch.pending, index);
        return;
    }
    PendingAction& item = watch.pending.items[static_cast<size_t>(index)];
    item.probeOwed = probe == Probe::NotAsked;
    if (probe == Probe::NoAnswer)
        item.since = watch.ops->Now();
}

// A window not asked because a look's probe time ran out is asked first at the next look.
void AskOwedWindows(WatchContext& watch)
{
    std::vector<WindowHandle> owed;
    for (const PendingAction& item : watch.pending.items) {
        if (item.awaiting == Awaiting::Answer && item.probeOwed)
            owed.push_back(item.window);
    }
    for (WindowHandle window : owed) {
        const Probe probe = AskWindow(watch, window);
        if (probe == Probe::NotAsked)
            return;
        NoteProbe(watch, window, probe);
    }
}

// A target that does not answer is left alone until it does.
Probe Answers(WatchContext& watch, WindowHandle window)
{
    const Probe probe = AskWindow(watch, window);
    if (probe == Probe::Answered)
        return probe;
    if (PendingIndex(watch.pending, window) < 0) {
        ActionReport subject{};
        subject.window = window;
        AddPending(watch, Awaiting::Answer, subject).probeOwed = probe == Probe::NotAsked;
    }
    return probe;
}

// --- Actions -----------------------------------------------------------------------------------

bool AnyChildMatches(WatchContext& watch, WindowHandle window, const char* messagePattern)
{
    WindowOps& ops = *watch.ops;
    for (WindowHandle child = ops.GetWindow(window, WindowRelation::FirstChild); child != 0;
         child = ops.GetWindow(child, WindowRelation::NextSibling)) {
        ops.GetWindowTextA(child, g_childBuffer, kMessageCapacity);
        CutToField(g_childBuffer, kMessageCapacity);
        if (MatchPattern(messagePattern, g_childBuffer))
            return true;
    }
    return false;
}

// Methods 0 and 1: press the button with the mouse where it is on screen, and put the pointer
// back where the user left it. Raising the window waits on its thread, hence the probe first.
// Clicked, the window is left alone until it is gone or has had kReplyBoundMs to go. False when
// nothing was clicked.
bool ClickAt(WatchContext& watch, const ActionReport& subject, const WinRect& rect)
{
    WindowOps& ops = *watch.ops;
    const Probe probe = Answers(watch, subject.window);
    if (probe != Probe::Answered) {
        if (probe == Probe::NoAnswer)
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
    AddPending(watch, Awaiting::Settle, subject);
    return true;
}

// Sends an action that is answered later; the window waits for the reply. A refusal or a window
// gone meanwhile means it never arrived: reported, and nothing waits.
template <typename Send>
bool SendAndAwait(WatchContext& watch, const ActionReport& subject, Send send)
{
    const ActionToken token = AddPending(watch, Awaiting::Reply, subject).token;
    const Delivery delivery = send(token);
    if (delivery == Delivery::Delivered)
        return true;
    watch.pending.items.pop_back();
    Report(watch, subject, OutcomeOf(delivery));
    return false;
}

int LiveWalks(const PendingActions& pending)
{
    int walks = 0;
    for (const PendingAction& item : pending.items)
        walks += item.awaiting == Awaiting::Search ? 1 : 0;
    return walks;
}

// A walk that has not come back within the bound is stuck in its program, which would most
// likely hold the next walk as well.
bool HasStuckWalk(const PendingActions& pending, uint32_t process)
{
    for (const PendingAction& item : pending.items) {
        if (item.awaiting == Awaiting::Search && item.overdue && item.process == process)
            return true;
    }
    return false;
}

// A button the window draws itself: the walk of its accessibility tree runs elsewhere and
// presses the button (press) or finds where to click it. Walks are bounded in number, and none
// goes to a program that holds a stuck one.
bool SearchAccessible(WatchContext& watch, const ActionReport& subject, const char* text, bool press)
{
    const uint32_t process = watch.ops->GetProcessId(subject.window);
    if (HasStuckWalk(watch.pending, process)) {
        Report(watch, subject, ActionOutcome::NotAnswering);
        return false;
    }
    if (LiveWalks(watch.pending) >= kMaxLiveWalks)
        return false;
    PendingAction& item = AddPending(watch, Awaiting::Search, subject);
    item.process = process;
    watch.ops->GetWindowRect(subject.window, &item.walkRect);
    AccessibleRequest request{item.token, subject.window, {}, press};
    CopyText(request.text, kButtonTextCapacity, text);
    if (watch.ops->StartAccessibleSearch(request))
        return true;
    watch.pending.items.pop_back();
    return false;
}

// Methods 0, 1, 3 and 6. A button with a window is measured when it is clicked.
bool PressButton(WatchContext& watch, const ActionReport& subject, const ListEntry& entry, const RuleVerdict& found)
{
    const bool byMouse = entry.method == kLeftClick || entry.method == kRightClick;
    if (found.verdict == Verdict::ButtonMissing) {
        Report(watch, subject, ActionOutcome::Gone);
        return false;
    }
    if (found.verdict == Verdict::NeedsWalk)
        return SearchAccessible(watch, subject, entry.button, !byMouse);
    const WindowHandle button = found.button;
    if (!byMouse)
        return SendAndAwait(watch, subject,
                            [&](ActionToken token) { return watch.ops->SendButtonClick(button, token); });
    WinRect rect{};
    if (!watch.ops->GetWindowRect(button, &rect)) {
        Report(watch, subject, ActionOutcome::Gone);
        return false;
    }
    return ClickAt(watch, subject, rect);
}

// Methods 4 and 5: the window changes its state when its thread gets to it.
bool ShowOnce(WatchContext& watch, const ActionReport& subject, ShowCommand command)
{
    WindowOps& ops = *watch.ops;
    return SendAndAwait(watch, subject, [&](ActionToken token) {
        return ops.ShowWindowAsync(subject.window, command, token);
    });
}

// Method 2: the close is carried out when it is posted; the window then has kReplyBoundMs to go
// before it is answered again, so that a program asking "save changes?" meets one close only.
bool PostCloseRequest(WatchContext& watch, const ActionReport& subject)
{
    const Delivery delivery = watch.ops->PostClose(subject.window);
    if (delivery != Delivery::Delivered) {
        Report(watch, subject, OutcomeOf(delivery));
        return false;
    }
    CountAction(watch, subject);
    AddPending(watch, Awaiting::Settle, subject);
    return true;
}

// --- Replies -----------------------------------------------------------------------------------

// A show counts once the window is in the state asked for: its reply may come before the window
// has got there, which then has kReplyBoundMs from the reply.
void FinishReply(WatchContext& watch, const PendingAction& action)
{
    const ActionReport& subject = action.subject;
    if (!IsShow(subject.method)) {
        CountAction(watch, subject);
        watch.focusBack = action.focusBack != 0 ? action.focusBack : watch.focusBack;
        return;
    }
    if (InStateAskedFor(watch, action)) {
        CountAction(watch, subject);
    } else if (!watch.ops->IsWindow(action.window)) {
        Report(watch, subject, ActionOutcome::Gone);
    } else {
        PendingAction waiting = action;
        waiting.awaiting = Awaiting::Show;
        waiting.token = 0;
        waiting.since = watch.ops->Now();
        waiting.overdue = false;
        watch.pending.items.push_back(waiting);
    }
}

// Where the walk found the button is where it was: a window moved since, or a result that came
// after the bound, sends the window to be walked again rather than clicked where it no longer is.
bool LocationStillHolds(WatchContext& watch, const PendingAction& action)
{
    WinRect now{};
    if (action.overdue || !watch.ops->GetWindowRect(action.window, &now))
        return false;
    const WinRect& then = action.walkRect;
    return now.left == then.left && now.top == then.top && now.right == then.right && now.bottom == then.bottom;
}

// A press counts whenever its result comes, as a late reply to a button message does. A button
// found but not pressed, or not there, is gone as far as the rule is concerned. A location is
// clicked only while the watcher may act.
void FinishSearch(WatchContext& watch, const PendingAction& action, const ActionReply& reply)
{
    const EntryNode* rule = watch.list->FindById(action.subject.rule);
    if (rule == nullptr)
        return;
    NoteAccessibleWalk(watch.fruitless, action.window, rule->entry.button,
                       reply.outcome != ReplyOutcome::NotFound, action.since);
    switch (reply.outcome) {
    case ReplyOutcome::Pressed:
        CountAction(watch, action.subject);
        watch.focusBack = action.focusBack != 0 ? action.focusBack : watch.focusBack;
        return;
    case ReplyOutcome::Located:
        if (watch.acting && LocationStillHolds(watch, action) && watch.ops->IsWindowVisible(action.window))
            ClickAt(watch, action.subject, reply.location);
        return;
    default:
        Report(watch, action.subject, ActionOutcome::Gone);
        return;
    }
}

}  // namespace

void ScanTick(WatchContext& watch)
{
    if (watch.acting)
        ScanOnce(watch);
    watch.previousForeground = watch.ops->GetForegroundWindow();
}

void ScanOnce(WatchContext& watch)
{
    if (!BeginLook(watch))
        return;
    LookAtEveryWindow(watch);
    EndLook(watch);
}

bool BeginLook(WatchContext& watch)
{
    if (watch.scanning)
        return false;
    watch.scanning = true;
    watch.probeSpentMs = 0;
    SweepPending(watch);
    AskOwedWindows(watch);
    return true;
}

void EndLook(WatchContext& watch)
{
    watch.probeSpentMs = 0;
    watch.scanning = false;
    std::vector<ActionReply> arrived;
    arrived.swap(watch.arrivedDuringLook);
    for (const ActionReply& reply : arrived)
        CompleteAction(watch, reply);
}

void LookAtEveryWindow(WatchContext& watch)
{
    auto scanWindow = [&watch](WindowHandle window) { return ScanWindow(watch, window); };
    ForEachWindow(*watch.ops, scanWindow);
}

EntryNode* RuleFor(WatchContext& watch, WindowHandle window)
{
    WindowOps& ops = *watch.ops;
    if (window == watch.exempt || !ops.IsWindowVisible(window))
        return nullptr;
    g_titleBuffer[0] = '\0';
    ReadTitle(watch, window, g_titleBuffer);
    if (g_titleBuffer[0] == '\0')
        return nullptr;
    EntryNode* rule = FindMatchingEntry(watch, g_titleBuffer, window);
    if (rule == nullptr) {
        ForgetDelaysOtherThan(watch, window, 0);
        return nullptr;
    }
    if (WaitsOutDelay(watch, window, *rule) || PassedOver(watch, window))
        return nullptr;
    return rule;
}

bool ScanWindow(WatchContext& watch, WindowHandle window)
{
    EntryNode* rule = RuleFor(watch, window);
    return rule == nullptr || !PerformAction(watch, window, *rule);
}

Verdict MatchVerdict(WatchContext& watch, const ListEntry& entry, WindowHandle window, const PreparedText& title)
{
    // A disabled rule never matches, so it need not be compared at all.
    if (entry.condition == kNeverClick)
        return Verdict::SwitchedOff;
    if (!MatchPreparedText(entry.title, title))
        return Verdict::TitleDiffers;
    if (entry.wholeTitle && !EndsWherePatternEnds(entry.title, title))
        return Verdict::NotWholeTitle;
    // A window whose program cannot be read is no window of the program named.
    if (entry.program[0] != '\0' && !MatchPattern(entry.program, ProgramOf(watch, window)))
        return Verdict::OtherProgram;
    if (entry.condition != kAlwaysClick && !AnyChildMatches(watch, window, entry.message))
        return Verdict::NoMessage;
    return Verdict::Acts;
}

RuleVerdict ActionVerdict(WatchContext& watch, const ListEntry& entry, WindowHandle window)
{
    RuleVerdict verdict;
    WindowOps& ops = *watch.ops;
    if (PressesButton(entry.method)) {
        verdict.button = FindWindowButton(ops, window, entry.button, &verdict.place);
        if (verdict.button != 0)
            return verdict;
        // A window whose walk is not due lacks the button as far as is known.
        verdict.verdict = AccessibleWalkDue(watch.fruitless, window, entry.button, ops.Now()) ? Verdict::NeedsWalk
                                                                                           : Verdict::ButtonMissing;
        return verdict;
    }
    const bool already = (entry.method == kMaximizeWindow && ops.IsZoomed(window)) ||
                         (entry.method == kMinimizeWindow && ops.IsIconic(window));
    if (already)
        verdict.verdict = Verdict::AlreadyInState;
    return verdict;
}

RuleVerdict JudgeRule(WatchContext& watch, const ListEntry& rule, const EntryNode* self, WindowHandle window)
{
    char title[kTitleCapacity];
    ReadTitle(watch, window, title);
    PreparedText prepared;
    PrepareText(&prepared, title);
    RuleVerdict verdict;
    verdict.verdict = MatchVerdict(watch, rule, window, prepared);
    if (verdict.verdict != Verdict::Acts)
        return verdict;
    for (const EntryNode* node = watch.list->First(); node != nullptr && node != self; node = node->next.get()) {
        if (MatchVerdict(watch, node->entry, window, prepared) == Verdict::Acts) {
            verdict.verdict = Verdict::EarlierRule;
            verdict.earlier = node;
            return verdict;
        }
    }
    WindowOps& ops = *watch.ops;
    if (ops.HasHigherRights(window))
        verdict.verdict = Verdict::HigherRights;
    else if (ops.IsHung(window))
        verdict.verdict = Verdict::NotAnswering;
    else
        verdict = ActionVerdict(watch, rule, window);
    return verdict;
}

EntryNode* FindMatchingEntry(WatchContext& watch, const char* title, WindowHandle window)
{
    PrepareText(&g_preparedTitle, title);
    for (EntryNode* node = watch.list->First(); node != nullptr; node = node->next.get()) {
        if (MatchVerdict(watch, node->entry, window, g_preparedTitle) == Verdict::Acts)
            return node;
    }
    return nullptr;
}

bool PassedOver(WatchContext& watch, WindowHandle window)
{
    const int index = PendingIndex(watch.pending, window);
    if (index < 0)
        return false;
    const PendingAction& item = watch.pending.items[static_cast<size_t>(index)];
    if (item.awaiting != Awaiting::Answer)
        return true;
    if (!item.probeOwed && watch.ops->Now() - item.since < kReplyBoundMs)
        return true;
    const Probe probe = AskWindow(watch, window);
    NoteProbe(watch, window, probe);
    return probe != Probe::Answered;
}

bool PerformAction(WatchContext& watch, WindowHandle window, EntryNode& rule)
{
    const RuleVerdict found = ActionVerdict(watch, rule.entry, window);
    if (found.verdict == Verdict::AlreadyInState)
        return false;
    const ActionReport subject = Subject(watch, window, rule, g_titleBuffer);
    switch (rule.entry.method) {
    case kLeftClick:
    case kRightClick:
    case kButtonMessage:
    case kClickThenBack:
        return PressButton(watch, subject, rule.entry, found);
    case kCloseWindow:
        return PostCloseRequest(watch, subject);
    case kMaximizeWindow:
        return ShowOnce(watch, subject, ShowCommand::Maximize);
    case kMinimizeWindow:
        return ShowOnce(watch, subject, ShowCommand::Minimize);
    default:
        return false;
    }
}

void CompleteAction(WatchContext& watch, const ActionReply& reply)
{
    if (watch.scanning) {
        watch.arrivedDuringLook.push_back(reply);
        return;
    }
    const int index = reply.token != 0 ? TokenIndex(watch.pending, reply.token) : -1;
    if (index < 0)
        return;
    const PendingAction action = watch.pending.items[static_cast<size_t>(index)];
    DropPending(watch.pending, index);
    if (action.awaiting == Awaiting::Search)
        FinishSearch(watch, action, reply);
    else
        FinishReply(watch, action);
}

void ReturnFocus(WatchContext& watch)
{
    const WindowHandle window = watch.focusBack;
    watch.focusBack = 0;
    if (window == 0 || Answers(watch, window) != Probe::Answered)
        return;
    watch.ops->SetForegroundWindow(window);
}

uint32_t DelayDueIn(const WatchContext& watch, uint32_t now)
{
    uint32_t due = 0;
    for (const DelayedMatch& match : watch.delayed) {
        const EntryNode* rule = watch.list->FindById(match.rule);
        if (rule == nullptr)
            continue;
        // One whose delay is over already is the next look's to answer.
        const uint32_t waited = now - match.since;
        const uint32_t delay = static_cast<uint32_t>(rule->entry.delayMs);
        if (waited >= delay)
            continue;
        if (due == 0 || delay - waited < due)
            due = delay - waited;
    }
    return due;
}
