// The window-manager operations the watcher, the tray menu, the wizard and the pointer capture
// need. The real implementation goes to USER32; tests use a simulated desktop.
#pragma once

#include <cstdint>

#include "rules/entry_list.h"

// Opaque window handle, compared only for equality; 0 is "no window".
using WindowHandle = uintptr_t;

struct WinRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct WinPoint {
    int32_t x;
    int32_t y;
};

enum class WindowRelation { FirstChild, NextSibling };
enum class ShowCommand { Maximize, Minimize };

// mouse_event flags.
constexpr uint32_t kMouseLeftDown = 0x0002;
constexpr uint32_t kMouseLeftUp = 0x0004;
constexpr uint32_t kMouseRightDown = 0x0008;
constexpr uint32_t kMouseRightUp = 0x0010;

// What became of a message sent or posted to another program's window.
enum class Delivery {
    Delivered,  // on its way: a post is queued; a send's reply follows as an ActionReply
    Refused,    // never arrived: the window belongs to a program with higher rights
    Gone,       // never arrived: there is no such window any more
};

// One step of an enumeration, called per window (top-level, or descendant) with the caller's
// context; returns false to stop the enumeration.
using EnumStep = bool (*)(WindowHandle window, void* context);

// How long a probe waits for a target's thread to take a message (also the dialog manager's
// question to a superclassed button).
constexpr uint32_t kPingTimeoutMs = 100;

// Names one action that went out without waiting, so that its reply finds it again.
using ActionToken = uint32_t;

// What comes back, later, for an action that went out without waiting.
enum class ReplyOutcome {
    Processed,  // the target has handled the message, or its process ended meanwhile
    Pressed,    // an accessible button's default action reported success
    Located,    // an accessible button to click was found, at location
    NotFound,   // the window offers no accessibility tree, or its tree holds no such button
    Failed,     // the button was found, but its default action or its location failed
};

struct ActionReply {
    ActionToken token;
    ReplyOutcome outcome;
    WinRect location;  // for Located: the button's rectangle on screen
};

// A rule's button text, as its field holds it.
constexpr int kButtonTextCapacity = kButtonCapacity;

// A search of a window's accessibility tree for a button without a window of its own, run on
// a thread of its own because every question goes to the target program and may wait on it.
struct AccessibleRequest {
    ActionToken token;
    WindowHandle window;
    char text[kButtonTextCapacity];  // the rule's button text as typed
    bool press;                      // press it (default action), or only find where it is
};

// One object or element of a window's accessibility tree (Active Accessibility), valid from the
// BeginAccessibleWalk that produced it to the next EndAccessibleWalk; 0 is "none".
using AccessibleItem = uintptr_t;

constexpr uint32_t kRolePushButton = 0x2B;  // ROLE_SYSTEM_PUSHBUTTON
// State bits of an accessible object that make a button one that must not be pressed.
constexpr uint32_t kStateUnavailable = 0x1;    // STATE_SYSTEM_UNAVAILABLE: greyed out
constexpr uint32_t kStateInvisible = 0x8000;   // STATE_SYSTEM_INVISIBLE
// Scrolled out of view: its location is not where a click would reach it.
constexpr uint32_t kStateOffscreen = 0x10000;  // STATE_SYSTEM_OFFSCREEN

// How a window answered the question for its accessibility object.
enum class ObjectAnswer {
    Object,    // its client object
    None,      // it has none of its own
    NoAnswer,  // it did not answer in time
};

// The questions of one accessibility walk, asked on the thread that walks: every object belongs
// to that thread, and every question may wait on the target program.
class AccessibleOps {
public:
    virtual ~AccessibleOps() = default;

    virtual void BeginAccessibleWalk() = 0;
    // Asks window for its client object (WM_GETOBJECT), waiting at most timeoutMs.
    virtual ObjectAnswer GetClientObject(WindowHandle window, uint32_t timeoutMs, AccessibleItem* object) = 0;
    // Fills children with at most capacity children of item, in order; returns how many.
    virtual int GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity) = 0;
    virtual uint32_t GetAccessibleRole(AccessibleItem item) = 0;
    // The STATE_SYSTEM_ bits; 0 when the object does not tell.
    virtual uint32_t GetAccessibleState(AccessibleItem item) = 0;
    // The name in the ANSI code page, truncated like a window text; empty when there is none.
    virtual int GetAccessibleName(AccessibleItem item, char* buffer, int capacity) = 0;
    virtual bool GetAccessibleLocation(AccessibleItem item, WinRect* rect) = 0;
    // True only when the object reports that it carried out its default action.
    virtual bool DoAccessibleDefaultAction(AccessibleItem item) = 0;
    // Releases every item of the walk.
    virtual void EndAccessibleWalk() = 0;
    // Whole texts compared as FindWindowExA compares a window's text: letter case ignored.
    virtual bool SameTextIgnoringCase(const char* a, const char* b) = 0;
    // Every descendant window of parent, as WindowOps::EnumChildWindows.
    virtual void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) = 0;
    // Milliseconds from a fixed start, wrapping around like GetTickCount.
    virtual uint32_t Now() = 0;
};

class WindowOps {
public:
    virtual ~WindowOps() = default;

    virtual void EnumWindows(EnumStep step, void* context) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    // Copies at most capacity - 1 characters and a terminator; an empty text when there is none.
    virtual int GetWindowTextA(WindowHandle window, char* buffer, int capacity) = 0;
    virtual WindowHandle GetWindow(WindowHandle window, WindowRelation relation) = 0;
    // The first direct child whose text equals text, letter case ignored, or 0.
    virtual WindowHandle FindWindowExA(WindowHandle parent, const char* text) = 0;
    virtual bool GetWindowRect(WindowHandle window, WinRect* rect) = 0;
    virtual void BringWindowToTop(WindowHandle window) = 0;
    virtual bool GetCursorPos(WinPoint* point) = 0;
    virtual void SetCursorPos(int32_t x, int32_t y) = 0;
    virtual void MouseEvent(uint32_t flags, int32_t x, int32_t y) = 0;
    // Whether the window's thread answers a message within a short bound; false at once for a
    // thread the system already counts as hung.
    virtual bool Ping(WindowHandle window) = 0;
    // Whether the system counts the window's thread as hung already; asks the window nothing.
    virtual bool IsHung(WindowHandle window) = 0;
    // Whether the window belongs to a program running with higher rights than this one's, which
    // this one may not drive.
    virtual bool HasHigherRights(WindowHandle window) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    // WM_CLOSE with wParam 1, queued.
    virtual Delivery PostClose(WindowHandle window) = 0;
    virtual bool IsZoomed(WindowHandle window) = 0;
    virtual bool IsIconic(WindowHandle window) = 0;
    virtual WindowHandle GetForegroundWindow() = 0;
    virtual void SetForegroundWindow(WindowHandle window) = 0;
    virtual WindowHandle WindowFromPoint(WinPoint point) = 0;
    virtual WindowHandle GetParent(WindowHandle window) = 0;
    virtual bool IsChild(WindowHandle parent, WindowHandle window) = 0;
    virtual int GetDlgItemTextA(WindowHandle window, int id, char* buffer, int capacity) = 0;
    // Milliseconds from a fixed start, wrapping around like GetTickCount.
    virtual uint32_t Now() = 0;
    // The file name (without its folder) of the program the window belongs to; empty when it
    // cannot be read, as for a program running with higher rights.
    virtual int GetProgramFileName(WindowHandle window, char* buffer, int capacity) = 0;
    // The id of the process the window belongs to; 0 when it is gone.
    virtual uint32_t GetProcessId(WindowHandle window) = 0;

    // Actions that never wait on the target. Each Delivered one is answered later, exactly
    // once, by an ActionReply with its token.
    // BM_CLICK; the reply comes when the target has handled it.
    virtual Delivery SendButtonClick(WindowHandle button, ActionToken token) = 0;
    // Maximises or minimises; the reply comes when the target has done it.
    virtual Delivery ShowWindowAsync(WindowHandle window, ShowCommand command, ActionToken token) = 0;
    // Walks the window's accessibility tree elsewhere; false when that cannot begin.
    virtual bool StartAccessibleSearch(const AccessibleRequest& request) = 0;

    // Buttons that are not direct children of the window under test.
    // Calls back once per descendant of parent, depth first in z-order as EnumChildWindows
    // walks them; stops when the callback returns 0.
    virtual void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) = 0;
    virtual bool IsWindowEnabled(WindowHandle window) = 0;
    virtual int GetClassNameA(WindowHandle window, char* buffer, int capacity) = 0;
    // Whether the window says it is a button when the dialog manager asks (WM_GETDLGCODE gives
    // DLGC_BUTTON), within the probe's short bound: superclasses of the system button (WinForms,
    // Delphi) go by class names of their own.
    virtual bool AnswersAsButton(WindowHandle window) = 0;
    // Whole texts compared as FindWindowExA compares a window's text: letter case ignored.
    virtual bool SameTextIgnoringCase(const char* a, const char* b) = 0;
    // The top-level window that window belongs to (window itself when it is one), or 0.
    virtual WindowHandle GetRootWindow(WindowHandle window) = 0;
};

// Calls step(window) for each top-level window until it returns false.
template <typename Step>
void ForEachWindow(WindowOps& ops, Step& step)
{
    const EnumStep call = [](WindowHandle window, void* context) {
        return (*static_cast<Step*>(context))(window);
    };
    ops.EnumWindows(call, &step);
}
