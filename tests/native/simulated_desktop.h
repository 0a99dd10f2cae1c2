// A desktop held in memory behind WindowOps: top-level windows in enumeration order, their
// children and grandchildren, and a record of everything done to them.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "watcher/window_ops.h"

// An object or element of a window's accessibility tree.
struct SimAccessible {
    uint32_t role = 0;
    uint32_t state = 0;  // STATE_SYSTEM_ bits
    std::string name;
    WinRect rect{};
    bool actionFails = false;           // the default action reports failure
    std::function<void()> onAction;     // runs inside the default action, as a pumped message would
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
    bool refusesShow = false;      // ShowWindow has no effect
    bool hung = false;             // its thread takes no messages: probes and clicks go unanswered
    bool gone = false;             // destroyed
    // What a click on one of its buttons does to the window's thread.
    enum { Answers, Hangs, Vanishes } onClick = Answers;
    bool enabled = true;
    std::string className = "Static";
    bool exposesAccessible = false;  // answers with its client object, accessible below
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
        Sleep,
        DefaultAction,
    } kind;
    WindowHandle window;
    int32_t x;
    int32_t y;
    uint32_t value;  // mouse flags or sleep milliseconds
};

class SimulatedDesktop : public WindowOps {
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
    int accessibleWalks = 0;      // begun
    int openAccessibleWalks = 0;  // begun and not yet ended

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
    Delivery SendButtonClick(WindowHandle button) override;
    bool Ping(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    Delivery PostClose(WindowHandle window) override;
    bool IsZoomed(WindowHandle window) override;
    bool IsIconic(WindowHandle window) override;
    bool ShowWindow(WindowHandle window, ShowCommand command) override;
    WindowHandle GetForegroundWindow() override;
    void SetForegroundWindow(WindowHandle window) override;
    void Sleep(uint32_t milliseconds) override;
    WindowHandle WindowFromPoint(WinPoint point) override;
    WindowHandle GetParent(WindowHandle window) override;
    bool IsChild(WindowHandle parent, WindowHandle window) override;
    int GetDlgItemTextA(WindowHandle window, int id, char* buffer, int capacity) override;
    void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) override;
    bool IsWindowEnabled(WindowHandle window) override;
    int GetClassNameA(WindowHandle window, char* buffer, int capacity) override;
    bool SameTextIgnoringCase(const char* a, const char* b) override;
    WindowHandle GetRootWindow(WindowHandle window) override;
    AccessibleItem BeginAccessibleWalk(WindowHandle window) override;
    int GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity) override;
    uint32_t GetAccessibleRole(AccessibleItem item) override;
    uint32_t GetAccessibleState(AccessibleItem item) override;
    int GetAccessibleName(AccessibleItem item, char* buffer, int capacity) override;
    bool GetAccessibleLocation(AccessibleItem item, WinRect* rect) override;
    bool DoAccessibleDefaultAction(AccessibleItem item) override;
    void EndAccessibleWalk() override;

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
