// The watch cycle: on each tick find the first visible, titled window a rule matches and answer it.
//
// Nothing here waits on another program. A click goes out and is counted when the target's reply
// comes back (CompleteAction); until then its window is pending and no rule acts on it again, so
// a target that hangs, or runs a modal loop inside its button handler, holds up neither the scan
// nor the windows behind it, and is never pressed twice for one appearance.
#pragma once

#include <cstdint>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "watcher/button_search.h"
#include "watcher/window_ops.h"

// Windows acted on whose reply has not come yet, and windows that did not answer the short probe
// before a raise or an activation. Looks pass them over.
constexpr int kMaxPendingActions = 16;
// A reply that takes longer than this shows its window as not answering; the window stays
// pending until the reply comes all the same.
constexpr uint32_t kReplyBoundMs = 3000;
// Method 6 gives the focus back this long after the target handled the click.
constexpr uint32_t kFocusBackDelayMs = 800;

// What became of an action the watcher attempted.
enum class ActionOutcome {
    Done,          // carried out and counted
    Refused,       // the window belongs to a program with higher rights, which may not be driven
    NotAnswering,  // the window did not answer in time
    Gone,          // the window or its button was gone
};

constexpr int kProgramNameCapacity = 128;

// One action the watcher attempted, as its observer hears of it.
struct ActionReport {
    uint32_t time;    // WindowOps::Now() when it was reported
    RuleId rule;
    int rulePosition;  // in list order from 0; -1 once the rule has been removed
    char rulePattern[kTitleCapacity];
    ClickMethod method;
    WindowHandle window;
    char windowTitle[kTitleCapacity];
    char program[kProgramNameCapacity];  // the target's file name, empty when it cannot be read
    char button[kButtonCapacity];        // the rule's button text; empty for the window methods
    ActionOutcome outcome;
};

// Hears of every action the watcher attempts (never of windows that matched nothing). A done
// action is reported each time; any other outcome once per window and rule, and again only
// when it changes, since a window that lacks its button is tried on every tick.
class ActionObserver {
public:
    virtual ~ActionObserver() = default;
    virtual void OnAction(const ActionReport& report) = 0;
};

// The outcomes last reported, per window and rule; reused in turn.
struct ReportedOutcome {
    WindowHandle window;
    RuleId rule;
    ActionOutcome outcome;
};
constexpr int kRememberedOutcomes = 32;
struct ReportedOutcomes {
    ReportedOutcome items[kRememberedOutcomes];
    int next;
};

enum class Awaiting : uint8_t {
    Answer,  // a probe went unanswered: the window is probed again when it is next looked at
    Reply,   // a click or a show went out: its reply
    Search,  // an accessibility walk: its result
};

struct PendingAction {
    WindowHandle window;  // the top-level window acted on
    Awaiting awaiting;
    ActionToken token;        // 0 while awaiting an answer to a probe
    WindowHandle focusBack;   // method 6: gets the focus back after the reply
    uint32_t since;           // when the action went out
    bool overdue;             // past kReplyBoundMs: not answering
    // The rule (by identity), the method, the window's title and program as they were when
    // the action went out: the window may have changed or gone when the reply comes.
    ActionReport subject;
};

struct PendingActions {
    PendingAction items[kMaxPendingActions];
    int count;
    ActionToken lastToken;
};

// Everything the watcher works on. The program keeps one for its whole run; tests make their
// own over a simulated desktop.
struct WatchContext {
    WindowOps* ops;
    EntryList* list;
    Settings* settings;
    WindowHandle previousForeground;
    PendingActions pending;
    FruitlessWalks fruitless;
    ActionObserver* observer = nullptr;  // hears of every action attempted; may be none
    ReportedOutcomes reported{};
    // A window of the program's own that no rule is applied to (the log window), or 0.
    WindowHandle exempt = 0;
};

// What the caller does after a reply: method 6 hands the focus back to focusBack (when not 0)
// kFocusBackDelayMs later, through ReturnFocus.
struct ReplyEffect {
    WindowHandle focusBack;
};

// Runs a scan if the watcher is active, then remembers the foreground window for method 6.
void ScanTick(WatchContext& watch);
// The scan alone, without touching the previous foreground window.
void ScanOnce(WatchContext& watch);
// True while a scan is under way (a scan never dispatches messages, so nothing should find it
// set; a scan started then does nothing).
bool ScanRunning();
// The per-window step: false after acting on window (ends the enumeration), true to go on.
bool ScanWindow(WatchContext& watch, WindowHandle window);
// The first rule that wants window, or nullptr.
EntryNode* FindMatchingEntry(WatchContext& watch, const char* title, WindowHandle window);
// True while window waits for a reply, or did not answer a probe and still does not: looks pass
// it over as if no rule wanted it.
bool PassedOver(WatchContext& watch, WindowHandle window);
// Carries out the rule's method on window, or sends it on its way. Returns false when window was
// passed over instead: it did not answer the probe before a call that would wait on it, or too
// many actions are still pending. The scan then goes on as if no rule wanted it.
bool PerformAction(WatchContext& watch, WindowHandle window, EntryNode& rule);
// Finishes the action the reply belongs to: counts it for its rule when that still exists and
// the action was carried out. mayAct is false while the user configures: a windowless button
// located for a click is then not clicked. A reply for no pending action is ignored.
ReplyEffect CompleteAction(WatchContext& watch, const ActionReply& reply, bool mayAct = true);
// Method 6 after its delay: the focus goes back to window, unless it hangs or is gone.
void ReturnFocus(WatchContext& watch, WindowHandle window);
