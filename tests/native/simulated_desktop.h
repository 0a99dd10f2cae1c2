// A desktop held in memory behind WindowOps: top-level windows in enumeration order, their
// children and grandchildren, and a record of everything done to them. Replies to actions that
// went out without waiting come when the test says so (DeliverReplies), as a target program
// would answer them later.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "watcher/scan.h"
#include "watcher/window_ops.h"

// An object or element of a window's accessibility tree.
struct SimAccessible {
    uint32_t role = 0;
    uint32_t state = 0;  // STATE_SYSTEM_ bits
    std::string name;
    WinRect rect{};
    bool actionFails = false;           // the default action reports failure
    int actions = 0;                    // default actions carried out
    std::vector<SimAccessible> children;

    SimAccessible& Add(uint32_t childRole, const std::string& childName, WinRect childRect = {});
};

struct SimWindow {
    WindowHandle handle = 0;
    WindowHandle parent = 0;  // 0 for a top-level window
    std::string text;
    bool visible = true;
    bool zoomed = false;
    bool iconic = false;
    int controlId = 0;
    WinRect rect{};
    std::vector<WindowHandle> children;  // in z-order
    // What the simulated system does with messages to this window.
    bool refusesMessages = false;  // a higher integrity level: sends and posts fail
    bool refusesShow = false;      // showing it maximised or minimised has no effect
    bool showsAfterReply = false;  // a show takes effect only after the reply to it has come
    bool hung = false;             // its thread takes no messages: probes go unanswered, replies wait
    bool gone = false;             // destroyed
    // What a click on one of its buttons does to the window's thread: a handler that hangs or
    // runs a modal loop replies only once the test lets it (hung = false); a process that dies
    // replies at once, with its windows gone.
    enum { Answers, Hangs, Vanishes } onClick = Answers;
    bool enabled = true;
    std::string className = "Static";
    bool answersAsButton = false;    // a superclass of the system button: says so when asked
    bool exposesAccessible = false;  // answers with its client object, accessible below
    std::string program;             // for a top-level window: its program's file name
    uint32_t process = 0;            // for a top-level window: its process (0: one of its own)
    uint32_t getObjectMs = 0;        // how long it takes to answer for its client object
    SimAccessible accessible;
};

// One thing done to the desktop, in the order it happened.
struct SimAction {
    enum Kind {
        ButtonClick,
        PostClose,
        Maximize,
        Minimize,
        BringToTop,
        SetCursor,
        Mouse,
        SetForeground,
        DefaultAction,
        Reply,  // a reply reached the watcher
    } kind;
    WindowHandle window;
    int32_t x;
    int32_t y;
    uint32_t value;  // mouse flags or sleep milliseconds
};

class SimulatedDesktop : public WindowOps, public AccessibleOps, public ActionObserver {
public:
    // Adds a top-level window at the end of the enumeration order.
    WindowHandle AddWindow(const std::string& title, WinRect rect = {100, 100, 400, 300});
    WindowHandle AddChild(WindowHandle parent, const std::string& text, WinRect rect = {0, 0, 0, 0},
                          int controlId = 0);
    SimWindow& Window(WindowHandle handle);
    // A visible, enabled control of the push-button class.
    WindowHandle AddButton(WindowHandle parent, const std::string& text, WinRect rect = {0, 0, 0, 0});

    std::vector<SimAction> actions;
    WindowHandle foreground = 0;
    WinPoint cursor{500, 400};
    bool cursorReadable = true;
    int enumerations = 0;
    // Calls that would have held the caller until a hung window's thread woke up.
    int waitsOnHung = 0;
    int unansweredProbes = 0;  // probes that waited their whole bound
    int programQueries = 0;    // questions for a window's program
    int accessibleWalks = 0;      // begun
    int openAccessibleWalks = 0;  // begun and not yet ended
    int dialogCodeQueries = 0;    // messages asking a window whether it is a button
    // The questions walks asked, by kind: each one a call into the target program.
    struct AccessibleCalls {
        int objects;
        int children;
        int roles;
        int states;
        int names;
        int locations;
        int actions;
    } accessibleCalls{};
    uint32_t now = 0;             // what Now() answers; tests move it on

    // Replies the targets have not given yet, and walks not yet run, in the order they went out.
    struct Outstanding {
        ActionToken token;
        WindowHandle target;  // a top-level window: its thread replies
        bool search;
        AccessibleRequest request;
        std::function<void()> onReply;  // the target's handler finishing (a show taking effect)
        bool effectAfterReply;          // onReply runs once the reply has reached the watcher
    };
    std::vector<Outstanding> outstanding;
    // What the watcher's observer heard, in order (a watch context that names this desktop as
    // its observer).
    std::vector<ActionReport> reports;
    std::vector<ActionOutcome> ReportedOutcomes() const;

    std::vector<SimAction> ActionsOf(SimAction::Kind kind) const;
    int CountOf(SimAction::Kind kind) const;

    void EnumWindows(EnumStep step, void* context) override;
    bool IsWindowVisible(WindowHandle window) override;
    int GetWindowTextA(WindowHandle window, char* buffer, int capacity) override;
    WindowHandle GetWindow(WindowHandle window, WindowRelation relation) override;
    WindowHandle FindWindowExA(WindowHandle parent, const char* text) override;
    bool GetWindowRect(WindowHandle window, WinRect* rect) override;
    void BringWindowToTop(WindowHandle window) override;
    bool GetCursorPos(WinPoint* point) override;
    void SetCursorPos(int32_t x, int32_t y) override;
    void MouseEvent(uint32_t flags, int32_t x, int32_t y) override;
    bool Ping(WindowHandle window) override;
    bool IsHung(WindowHandle window) override;
    bool HasHigherRights(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    Delivery PostClose(WindowHandle window) override;
    bool IsZoomed(WindowHandle window) override;
    bool IsIconic(WindowHandle window) override;
    WindowHandle GetForegroundWindow() override;
    void SetForegroundWindow(WindowHandle window) override;
    uint32_t Now() override;
    int GetProgramFileName(WindowHandle window, char* buffer, int capacity) override;
    uint32_t GetProcessId(WindowHandle window) override;
    void OnAction(const ActionReport& report) override;
    Delivery SendButtonClick(WindowHandle button, ActionToken token) override;
    Delivery ShowWindowAsync(WindowHandle window, ShowCommand command, ActionToken token) override;
    bool StartAccessibleSearch(const AccessibleRequest& request) override;
    WindowHandle WindowFromPoint(WinPoint point) override;
    WindowHandle GetParent(WindowHandle window) override;
    bool IsChild(WindowHandle parent, WindowHandle window) override;
    int GetDlgItemTextA(WindowHandle window, int id, char* buffer, int capacity) override;
    void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) override;
    bool IsWindowEnabled(WindowHandle window) override;
    int GetClassNameA(WindowHandle window, char* buffer, int capacity) override;
    bool SameTextIgnoringCase(const char* a, const char* b) override;
    WindowHandle GetRootWindow(WindowHandle window) override;
    bool AnswersAsButton(WindowHandle window) override;
    void BeginAccessibleWalk() override;
    ObjectAnswer GetClientObject(WindowHandle window, uint32_t timeoutMs, AccessibleItem* object) override;
    int GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity) override;
    uint32_t GetAccessibleRole(AccessibleItem item) override;
    uint32_t GetAccessibleState(AccessibleItem item) override;
    int GetAccessibleName(AccessibleItem item, char* buffer, int capacity) override;
    bool GetAccessibleLocation(AccessibleItem item, WinRect* rect) override;
    bool DoAccessibleDefaultAction(AccessibleItem item) override;
    void EndAccessibleWalk() override;

    // Lets every target that answers now give its replies, and runs the walks of those that
    // answer, handing each result to the watcher in order. Method 6's focus goes back at once.
    // Returns how many replies were delivered.
    int DeliverReplies(WatchContext& watch);
    // Runs while a probe waits, as messages that arrive meanwhile would; then cleared.
    std::function<void()> duringProbe;

private:
    bool EnumDescendants(WindowHandle parent, EnumStep step, void* context);
    SimAccessible* Item(AccessibleItem item);
    std::vector<SimAccessible*> walkItems_;
    WindowHandle walkWindow_ = 0;

    SimWindow* Find(WindowHandle handle);
    bool Contains(const SimWindow& window, WinPoint point) const;
    WindowHandle DeepestAt(WindowHandle window, WinPoint point);
    SimWindow& TopLevelOf(WindowHandle window);
    void NoteWaitOn(WindowHandle window);

    std::deque<SimWindow> windows_;  // every window, by handle; references stay valid
    std::vector<WindowHandle> topLevel_;
    void Record(SimAction::Kind kind, WindowHandle window, int32_t x = 0, int32_t y = 0,
                uint32_t value = 0);
};

// A watch context over ops and list that may act, as the program's is while it watches.
inline WatchContext WatchOver(WindowOps& ops, EntryList& list, ActionObserver* observer = nullptr)
{
    WatchContext watch;
    watch.ops = &ops;
    watch.list = &list;
    watch.observer = observer;
    watch.acting = true;
    return watch;
}
