#include "watcher/win32_window_ops.h"

#include <windows.h>

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
};

}  // namespace

WindowOps& RealWindowOps()
{
    static Win32WindowOps ops;
    return ops;
}
