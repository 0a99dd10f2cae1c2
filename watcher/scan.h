// The watch cycle: on each tick find the first visible, titled window a rule matches and answer it.
//
// Nothing here waits on another program. A click goes out and is counted when the target's reply
// comes back (CompleteAction); until then its window is pending and no rule acts on it again, so
// a target that hangs, or runs a modal loop inside its button handler, holds up neither the scan
// nor the windows behind it, and is never pressed twice for one appearance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rules/entry_list.h"
#include "rules/match_pattern.h"
#include "watcher/button_search.h"
#include "watcher/window_ops.h"

// A reply that takes longer than this shows its window as not answering; the window stays
// pending until the reply comes all the same. It is also how long a window that did not answer a
// probe is left alone before it is asked again, and how long a window has to go after a close, or
// to reach the state a show asked for.
constexpr uint32_t kReplyBoundMs = 3000;
// Method 6 gives the focus back this long after the target handled the click.
constexpr uint32_t kFocusBackDelayMs = 800;
// The time one look may spend on probes: each that goes unanswered costs up to kPingTimeoutMs.
// Windows left over when it is spent are probed first at the next look.
constexpr uint32_t kProbeBudgetMs = 200;

// What became of an action the watcher attempted.
enum class ActionOutcome {
    Done,          // carried out and counted
    Refused,       // the window belongs to a program with higher rights, which may not be driven
    NotAnswering,  // the window did not answer in time
    Gone,          // the window or its button was gone
    NotTaken,      // the window handled the show but did not reach the state asked for
};

// A program's file name holds as many characters as a rule's program pattern.
constexpr int kProgramNameCapacity = kProgramCapacity;

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

// The outcomes last reported, per window and rule. Windows that are gone are forgotten.
struct ReportedOutcome {
    WindowHandle window;
    RuleId rule;
    ActionOutcome outcome;
};
constexpr size_t kRememberedOutcomes = 256;  // beyond that the oldest is forgotten

// Why a window is left alone for now. No window gets a second action before its first has taken
// effect.
enum class Awaiting : uint8_t {
    Answer,  // a probe went unanswered: asked again once kReplyBoundMs has passed
    Reply,   // a click or a show went out: its reply
    Search,  // an accessibility walk: its result
    Show,    // a show was handled: the window has until kReplyBoundMs to reach the state asked for
    Settle,  // a close was posted, or a button clicked with the mouse: the window has until
             // kReplyBoundMs to go; still there then, it is answered again when it still matches
};

struct PendingAction {
    WindowHandle window;  // the top-level window acted on
    Awaiting awaiting;
    ActionToken token;        // Reply and Search: names the reply to come; 0 otherwise
    WindowHandle focusBack;   // method 6: gets the focus back after the reply
    uint32_t since;           // when the action went out; Show: when its reply came; Answer:
                              // when it was last asked
    bool overdue;             // past kReplyBoundMs: not answering
    bool probeOwed;           // Answer: not asked yet, the look's probe time having run out
    WinRect walkRect;         // Search: the window's rectangle when the walk began
    uint32_t process;         // Search: the program the window belongs to
    // The rule (by identity), the method, the window's title and program as they were when
    // the action went out: the window may have changed or gone when the reply comes.
    ActionReport subject;
};

// A window's program, read once for as long as the window exists; empty when it cannot be read.
struct ProgramOfWindow {
    WindowHandle window;
    char name[kProgramNameCapacity];
};

// A window that matches a rule with a delay, and since when.
struct DelayedMatch {
    WindowHandle window;
    RuleId rule;
    uint32_t since;
};

// Any number of windows may wait at a time: a window that hangs after its click keeps nobody
// else from being answered.
struct PendingActions {
    std::vector<PendingAction> items;
    ActionToken lastToken;
};

// Everything the watcher works on. The program's watch service keeps one for the whole run; tests
// make their own over a simulated desktop (WatchOver in the native tests).
struct WatchContext {
    WindowOps* ops = nullptr;
    EntryList* list = nullptr;
    ActionObserver* observer = nullptr;  // hears of every action attempted; may be none
    // May the watcher act now: set by whoever runs the watch (the program's watch service), read
    // by every look and every reply. Nothing is pressed, closed or shown while it is false.
    bool acting = false;
    // A window of the program's own that no rule is applied to (the log window), or 0.
    WindowHandle exempt = 0;

    WindowHandle previousForeground = 0;
    PendingActions pending{};
    FruitlessWalks fruitless{};
    std::vector<ReportedOutcome> reported{};
    std::vector<ProgramOfWindow> programs{};
    std::vector<DelayedMatch> delayed{};
    // Method 6: the window that gets the focus back kFocusBackDelayMs after the reply, through
    // ReturnFocus; 0 when none is due.
    WindowHandle focusBack = 0;
    // A look is under way. Replies that arrive meanwhile wait in arrivedDuringLook for its end,
    // so that nothing changes the state a look reads.
    bool scanning = false;
    std::vector<ActionReply> arrivedDuringLook{};
    // The time the look under way has spent on probes.
    uint32_t probeSpentMs = 0;
};

// At most this many accessibility walks run at a time (each on a thread of its own). A window
// whose walk would pass the bound waits for a later look.
constexpr int kMaxLiveWalks = 8;

// Why a rule would or would not act on a window: the watcher's own decision, as the rule tester
// shows it.
enum class Verdict {
    Acts,           // the rule acts on the window; for a button, place tells where it was found
    SwitchedOff,    // its condition is "never"
    TitleDiffers,   // its title pattern does not match
    NotWholeTitle,  // the pattern matches, but the title goes on after its end
    OtherProgram,   // the window's program is another one, or cannot be read
    NoMessage,      // the message pattern matches none of the window's texts
    EarlierRule,    // an earlier rule takes the window
    NeedsWalk,      // no button with a window: the window's accessibility tree is to be walked
    ButtonMissing,  // the button is not there
    AlreadyInState, // the window is maximised or minimised already
    HigherRights,   // the window's program runs with higher rights
    NotAnswering,   // the window's program does not answer
};

struct RuleVerdict {
    Verdict verdict = Verdict::Acts;
    ButtonPlace place = ButtonPlace::None;
    const EntryNode* earlier = nullptr;  // EarlierRule: the rule that takes the window
    WindowHandle button = 0;             // Acts on a button with a window: that window
};

// Whether entry matches window by its title, its options (whole title, program) and its
// condition: Acts when it does. The look's first question to each rule, in list order.
Verdict MatchVerdict(WatchContext& watch, const ListEntry& entry, WindowHandle window, const PreparedText& title);
// What acting on window would meet, found without acting: the button and where it is, or a window
// in the state asked for already. The look's second question, to the rule that matched.
RuleVerdict ActionVerdict(WatchContext& watch, const ListEntry& entry, WindowHandle window);
// Everything a look would decide about rule on window, without acting and without changing
// anything the watcher keeps. The rule stands in the list where self is (the rules before it come
// first), or after every rule when self is nullptr; its fields are rule's, which may differ from
// self's (a rule being edited). A verdict NeedsWalk is completed by a walk that only locates the
// button (AccessibleRequest::press false).
RuleVerdict JudgeRule(WatchContext& watch, const ListEntry& rule, const EntryNode* self, WindowHandle window);

// Runs a look if the watcher may act, then remembers the foreground window for method 6.
void ScanTick(WatchContext& watch);
// A look over every window, without touching the previous foreground window. Does nothing while
// another look is under way.
void ScanOnce(WatchContext& watch);

// A look's frame: whatever happens between BeginLook and EndLook sees one state of the context.
// BeginLook returns false while a look is under way already; EndLook finishes the replies that
// arrived meanwhile.
bool BeginLook(WatchContext& watch);
void EndLook(WatchContext& watch);
// Within a look: every window in turn, until one is acted on.
void LookAtEveryWindow(WatchContext& watch);

// The one step that decides whether a rule wants a window now: visible, titled, not the
// program's own exempt window, a rule matches, and the window is not left alone (waiting for an
// earlier action to take effect, or not answering). The rule, or nullptr.
EntryNode* RuleFor(WatchContext& watch, WindowHandle window);
// The per-window step of a look: false after acting on window (ends the enumeration), true to go
// on.
bool ScanWindow(WatchContext& watch, WindowHandle window);
// The first rule that matches window by its title, its options (program, whole title) and its
// condition, or nullptr.
EntryNode* FindMatchingEntry(WatchContext& watch, const char* title, WindowHandle window);
// True while window waits for its action to take effect, or did not answer a probe and still does
// not (asked again at most once per kReplyBoundMs): looks pass it over as if no rule wanted it.
bool PassedOver(WatchContext& watch, WindowHandle window);
// Carries out the rule's method on window, or sends it on its way, and returns true: the look
// ends there. Returns false when nothing could be done to window (the button is missing, the
// window is in the state asked for already, refused the message, is gone, or did not answer the
// probe before a call that would wait on it); the look then goes on with the next window.
bool PerformAction(WatchContext& watch, WindowHandle window, EntryNode& rule);
// Finishes the action the reply belongs to: counts it for its rule when that still exists and
// the action was carried out; method 6 sets focusBack. A windowless button located for a click
// is clicked only while the watcher may act. A reply for no pending action is ignored; one that
// arrives during a look is finished at its end.
void CompleteAction(WatchContext& watch, const ActionReply& reply);
// Method 6 after its delay: the focus goes back to focusBack, unless it hangs or is gone.
void ReturnFocus(WatchContext& watch);
// Milliseconds until the next window waiting out a rule's delay may be answered, or 0 when none
// waits for a time still to come: a look then keeps the delay to within a moment.
uint32_t DelayDueIn(const WatchContext& watch, uint32_t now);
