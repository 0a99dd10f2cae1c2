#include "window_support.h"

#include <commctrl.h>

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(pollMs);
    }
}

std::string WindowText(HWND window)
{
    // GetWindowText does not ask another process's window, and an edit control keeps its text
    // to itself: WM_GETTEXT asks the control. Room for the longest text the program shows, the
    // wizard's summary.
    char text[2048] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                        &copied);
    return text;
}

// Wine 8 hands LB_GETTEXT and CB_GETLBTEXT of another process's control back unconverted to an
// ANSI caller; the wide forms work, and the text is converted here as the control would.
std::string ItemText(HWND control, UINT lengthMessage, UINT textMessage, LRESULT index)
{
    const LRESULT length = SendMessageW(control, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return "";
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(control, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()));
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

HWND CurrentPage(HWND wizard)
{
    return reinterpret_cast<HWND>(SendMessageA(wizard, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int CurrentTemplate(HWND wizard)
{
    const auto page = reinterpret_cast<WPARAM>(CurrentPage(wizard));
    const LRESULT index = SendMessageA(wizard, PSM_HWNDTOINDEX, page, 0);
    return static_cast<int>(SendMessageA(wizard, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}
