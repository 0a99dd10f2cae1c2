#include "watcher/win32_window_ops.h"

#include <windows.h>

#include <string>

#include "watcher/win32_accessibility.h"

namespace {

HWND ToHwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

WindowHandle FromHwnd(HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

struct EnumThunk {
    EnumStep step;
    void* context;
};

BOOL CALLBACK EnumThunkProc(HWND window, LPARAM param)
{
    const EnumThunk* thunk = reinterpret_cast<const EnumThunk*>(param);
    return thunk->step(FromHwnd(window), thunk->context) ? TRUE : FALSE;
}

// For comparing texts as the window manager does: in UTF-16, each character folded on its own.
std::wstring UpperWide(const char* text)
{
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), needed);
    wide.resize(static_cast<size_t>(needed - 1));
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wide;
}

// Access denied is a window of a higher integrity level: the message never arrived. Anything
// else (the bound ran out, the target hung or went away) leaves it to the caller to judge.
Delivery DeliveryAfterFailure()
{
    if (GetLastError() == ERROR_ACCESS_DENIED)
        return Delivery::Refused;
    return Delivery::Unanswered;
}

class Win32WindowOps : public WindowOps {
public:
    void EnumWindows(EnumStep step, void* context) override
    {
        EnumThunk thunk{step, context};
        ::EnumWindows(EnumThunkProc, reinterpret_cast<LPARAM>(&thunk));
    }

    bool IsWindowVisible(WindowHandle window) override
    {
        return ::IsWindowVisible(ToHwnd(window)) != FALSE;
    }

    int GetWindowTextA(WindowHandle window, char* buffer, int capacity) override
    {
        if (capacity <= 0)
            return 0;
        buffer[0] = '\0';
        int length = ::GetWindowTextA(ToHwnd(window), buffer, capacity);
        if (length < 0 || length >= capacity)
            length = 0;
        buffer[length] = '\0';
        return length;
    }

    WindowHandle GetWindow(WindowHandle window, WindowRelation relation) override
    {
        UINT command = relation == WindowRelation::FirstChild ? GW_CHILD : GW_HWNDNEXT;
        return FromHwnd(::GetWindow(ToHwnd(window), command));
    }

    WindowHandle FindWindowExA(WindowHandle parent, const char* text) override
    {
        return FromHwnd(::FindWindowExA(ToHwnd(parent), nullptr, nullptr, text));
    }

    bool GetWindowRect(WindowHandle window, WinRect* rect) override
    {
        RECT r;
        if (!::GetWindowRect(ToHwnd(window), &r))
            return false;
        *rect = WinRect{r.left, r.top, r.right, r.bottom};
        return true;
    }

    void BringWindowToTop(WindowHandle window) override { ::BringWindowToTop(ToHwnd(window)); }

    bool GetCursorPos(WinPoint* point) override
    {
        POINT p;
        if (!::GetCursorPos(&p))
            return false;
        *point = WinPoint{p.x, p.y};
        return true;
    }

    void SetCursorPos(int32_t x, int32_t y) override { ::SetCursorPos(x, y); }

    void MouseEvent(uint32_t flags, int32_t x, int32_t y) override
    {
        ::mouse_event(flags, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
    }

    // A plain SendMessage would wait forever on a hung target and freeze the program with it.
    Delivery SendButtonClick(WindowHandle button) override
    {
        DWORD_PTR result = 0;
        SetLastError(0);
        LRESULT sent = ::SendMessageTimeoutA(ToHwnd(button), BM_CLICK, 0, 0,
                                             SMTO_NORMAL | SMTO_ABORTIFHUNG, kClickTimeoutMs, &result);
        if (sent != 0)
            return Delivery::Delivered;
        return DeliveryAfterFailure();
    }

    bool Ping(WindowHandle window) override
    {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutA(ToHwnd(window), WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                     kPingTimeoutMs, &result) != 0;
    }

    bool IsWindow(WindowHandle window) override { return ::IsWindow(ToHwnd(window)) != FALSE; }

    Delivery PostClose(WindowHandle window) override
    {
        if (::PostMessageA(ToHwnd(window), WM_CLOSE, 1, 0))
            return Delivery::Delivered;
        return Delivery::Refused;
    }

    bool IsZoomed(WindowHandle window) override { return ::IsZoomed(ToHwnd(window)) != FALSE; }
    bool IsIconic(WindowHandle window) override { return ::IsIconic(ToHwnd(window)) != FALSE; }

    bool ShowWindow(WindowHandle window, ShowCommand command) override
    {
        HWND hwnd = ToHwnd(window);
        if (command == ShowCommand::Maximize) {
            ::ShowWindow(hwnd, SW_SHOWMAXIMIZED);
            return ::IsZoomed(hwnd) != FALSE;
        }
        ::ShowWindow(hwnd, SW_MINIMIZE);
        return ::IsIconic(hwnd) != FALSE;
    }

    WindowHandle GetForegroundWindow() override { return FromHwnd(::GetForegroundWindow()); }
    void SetForegroundWindow(WindowHandle window) override { ::SetForegroundWindow(ToHwnd(window)); }
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

    WindowHandle WindowFromPoint(WinPoint point) override
    {
        POINT p{point.x, point.y};
        return FromHwnd(::WindowFromPoint(p));
    }

    WindowHandle GetParent(WindowHandle window) override { return FromHwnd(::GetParent(ToHwnd(window))); }

    bool IsChild(WindowHandle parent, WindowHandle window) override
    {
        return ::IsChild(ToHwnd(parent), ToHwnd(window)) != FALSE;
    }

    int GetDlgItemTextA(WindowHandle window, int id, char* buffer, int capacity) override
    {
        if (capacity <= 0)
            return 0;
        buffer[0] = '\0';
        UINT length = ::GetDlgItemTextA(ToHwnd(window), id, buffer, capacity);
        if (length >= static_cast<UINT>(capacity))
            length = 0;
        buffer[length] = '\0';
        return static_cast<int>(length);
    }

    void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) override
    {
        EnumThunk thunk{step, context};
        ::EnumChildWindows(ToHwnd(parent), EnumThunkProc, reinterpret_cast<LPARAM>(&thunk));
    }

    bool IsWindowEnabled(WindowHandle window) override { return ::IsWindowEnabled(ToHwnd(window)) != FALSE; }

    int GetClassNameA(WindowHandle window, char* buffer, int capacity) override
    {
        if (capacity <= 0)
            return 0;
        buffer[0] = '\0';
        int length = ::GetClassNameA(ToHwnd(window), buffer, capacity);
        if (length < 0 || length >= capacity)
            length = 0;
        buffer[length] = '\0';
        return length;
    }

    bool SameTextIgnoringCase(const char* a, const char* b) override { return UpperWide(a) == UpperWide(b); }

    WindowHandle GetRootWindow(WindowHandle window) override
    {
        return FromHwnd(::GetAncestor(ToHwnd(window), GA_ROOT));
    }

    AccessibleItem BeginAccessibleWalk(WindowHandle window) override
    {
        return ::BeginAccessibleWalk(ToHwnd(window));
    }

    int GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity) override
    {
        return ::GetAccessibleChildren(item, children, capacity);
    }

    uint32_t GetAccessibleRole(AccessibleItem item) override { return ::GetAccessibleRole(item); }
    uint32_t GetAccessibleState(AccessibleItem item) override { return ::GetAccessibleState(item); }

    int GetAccessibleName(AccessibleItem item, char* buffer, int capacity) override
    {
        return ::GetAccessibleName(item, buffer, capacity);
    }

    bool GetAccessibleLocation(AccessibleItem item, WinRect* rect) override
    {
        return ::GetAccessibleLocation(item, rect);
    }

    bool DoAccessibleDefaultAction(AccessibleItem item) override
    {
        return ::DoAccessibleDefaultAction(item);
    }
    void EndAccessibleWalk() override { ::EndAccessibleWalk(); }
};

}  // namespace

WindowOps& RealWindowOps()
{
    static Win32WindowOps ops;
    return ops;
}
