// The main window: a hidden, resizable dialog that hosts the configuration page.
#include <windows.h>

#include "resources/resource_ids.h"
#include "shell/config_layout.h"
#include "shell/win32_app.h"

namespace {

constexpr int kCaptionCapacity = 64;
// A list file that never stored a placement gives an empty rectangle: the window then opens at
// this size, the smallest it can have.
constexpr LONG kFirstLeft = 120;
constexpr LONG kFirstTop = 80;

// The window's DPI where the system can tell it per monitor (Windows 10 1607 and later),
// else the screen's.
UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0)
            return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

void OnInitDialog(HWND main)
{
    g_program->mainWindow = main;
    g_program->page = CreateLanguageDialog(IDD_CONFIG, main, ConfigPageProc);
    char caption[kCaptionCapacity];
    LoadLanguageString(IDS_CAPTION, caption, sizeof caption);
    SetWindowTextA(main, caption);
    SetTimer(main, kStartTimer, kStartDelayMs, nullptr);
}

void RestorePlacement(HWND main)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.flags = 0;
    const Settings& settings = g_program->settings;
    placement.showCmd = static_cast<UINT>(settings.showCommand);
    placement.rcNormalPosition =
        RECT{settings.normalLeft, settings.normalTop, settings.normalRight, settings.normalBottom};
    RECT& normal = placement.rcNormalPosition;
    if (normal.right <= normal.left || normal.bottom <= normal.top) {
        const LayoutPoint minimum = MinimumTrackSize(WindowDpi(main));
        normal = RECT{kFirstLeft, kFirstTop, kFirstLeft + minimum.x, kFirstTop + minimum.y};
    }
    // A list file without a placement stores 0, which would hide the window for good.
    if (placement.showCmd == SW_HIDE)
        placement.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(main, &placement);
}

void OnStartTimer(HWND main)
{
    KillTimer(main, kStartTimer);
    RestorePlacement(main);
    if (g_program->hideAtStart)
        HideToTray();
}

void MoveControl(HWND page, int id, LayoutPoint at)
{
    SetWindowPos(GetDlgItem(page, id), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayOutPage(int clientWidth, int clientHeight)
{
    HWND page = g_program->page;
    if (page == nullptr)
        return;
    const UINT dpi = WindowDpi(g_program->mainWindow);
    const ConfigLayout layout = ComputeConfigLayout(clientWidth, clientHeight, dpi);
    SetWindowPos(page, nullptr, 0, 0, layout.pageSize.x, layout.pageSize.y,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(page, IDC_ENTRIES), nullptr, 0, 0, layout.entriesSize.x, layout.entriesSize.y,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveControl(page, IDC_REMOVE, layout.removeAt);
    MoveControl(page, IDC_MOVE_UP, layout.moveUpAt);
    MoveControl(page, IDC_MOVE_DOWN, layout.moveDownAt);
    MoveControl(page, IDC_ADVANCED, layout.advancedAt);
    MoveControl(page, IDC_LANGUAGE_LABEL, layout.languageLabelAt);
    MoveControl(page, IDC_LANGUAGE, layout.languageAt);
    MoveControl(page, IDOK, layout.closeAt);
    MoveControl(page, IDC_EXIT, layout.exitAt);
    InvalidateRect(page, nullptr, TRUE);
}

}  // namespace

INT_PTR CALLBACK MainWindowProc(HWND main, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Broadcast to top-level windows only: the page, a child, never sees it.
    if (message == TaskbarCreatedMessage() && message != 0) {
        OnTaskbarCreated(g_program->page);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(main);
        return TRUE;
    case WM_TIMER:
        if (wParam == kStartTimer)
            OnStartTimer(main);
        return TRUE;
    case WM_CLOSE:
        CollectSettings();
        HideToTray();
        return TRUE;
    case WM_COMMAND:
        // The dialog manager hands Enter to the top-level dialog as a click of the page's default
        // button: a command from one of the page's controls belongs to the page.
        if (lParam != 0 && IsChild(g_program->page, reinterpret_cast<HWND>(lParam))) {
            SendMessageA(g_program->page, WM_COMMAND, wParam, lParam);
            return TRUE;
        }
        // Escape only hides; any other command reaching the window itself ends the program.
        if (LOWORD(wParam) == IDCANCEL)
            HideToTray();
        else
            EndProgram(1);
        return TRUE;
    case WM_POWERBROADCAST:
        // No tick comes while the computer sleeps: a pause whose end passed meanwhile ends now.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
            EndPauseWhenOver();
        return FALSE;  // the system's default answer stands
    case WM_QUERYENDSESSION:
        EndProgram(1);
        SetWindowLongPtrA(main, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)
            LayOutPage(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        const LayoutPoint minimum = MinimumTrackSize(WindowDpi(main));
        limits->ptMinTrackSize = POINT{minimum.x, minimum.y};
        return TRUE;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: take the size the system suggests; the WM_SIZE
        // that follows lays the page out for the new DPI.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(main, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    }
    return FALSE;
}
