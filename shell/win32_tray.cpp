// The notification-area icon and its popup menu.
#include <windows.h>

#include <shellapi.h>

#include "dialogs/win32_editing_dialogs.h"
#include "resources/resource_ids.h"
#include "shell/popup_items.h"
#include "shell/win32_app.h"
#include "watcher/win32_window_ops.h"

namespace {

constexpr int kWindowTitleCapacity = kOfferedTitleCapacity;

// The pause submenu's lengths, in menu order.
constexpr struct {
    UINT command;
    PauseLength length;
} kPauseItems[] = {
    {IDM_PAUSE_QUARTER_HOUR, PauseLength::QuarterHour},
    {IDM_PAUSE_HOUR, PauseLength::Hour},
    {IDM_PAUSE_UNTIL_MIDNIGHT, PauseLength::UntilMidnight},
};

// Icons come from the program's own module; each handle lives for one call only.
bool NotifyTray(DWORD action, HWND page, WORD icon, const char* tip)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = page;
    data.uID = BOXSWEEP_TRAY_ICON_ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = BOXSWEEP_TRAY_CALLBACK;
    data.hIcon = static_cast<HICON>(LoadImageA(g_program->instance, MAKEINTRESOURCEA(icon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    lstrcpynA(data.szTip, tip, 64);
    const bool done = Shell_NotifyIconA(action, &data) != FALSE;
    if (data.hIcon != nullptr)
        DestroyIcon(data.hIcon);
    return done;
}

void RememberTrayState(WORD icon, const char* tip)
{
    g_program->tray.icon = icon;
    lstrcpynA(g_program->tray.tip, tip, sizeof g_program->tray.tip);
}

void AddWindowItem(WindowHandle handle)
{
    TrayState& tray = g_program->tray;
    char title[kWindowTitleCapacity];
    if (!ReadOfferedTitle(RealWindowOps(), handle, title, sizeof title))
        return;
    const UINT command = tray.windowItems.Add(handle, title);
    if (command == 0)
        return;
    DeleteMenu(tray.popup, command, MF_BYCOMMAND);
    InsertMenuA(tray.popup, IDM_WIZARD, MF_BYCOMMAND | MF_STRING, command, title);
}

// The submenu of menu that holds command, or nullptr.
HMENU SubmenuHolding(HMENU menu, UINT command)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU submenu = GetSubMenu(menu, i);
        if (submenu != nullptr && GetMenuState(submenu, command, MF_BYCOMMAND) != static_cast<UINT>(-1))
            return submenu;
    }
    return nullptr;
}

void RemoveResumeItem(HMENU pauseMenu)
{
    DeleteMenu(pauseMenu, 1, MF_BYPOSITION);  // the separator below it
    DeleteMenu(pauseMenu, 0, MF_BYPOSITION);
}

// "Fortsetzen" and the separator below it leave the pause submenu until a pause holds; the
// caption stays to put them back.
void TakeOutResumeItem(TrayState& tray)
{
    HMENU pauseMenu = SubmenuHolding(tray.popup, IDM_PAUSE_RESUME);
    if (pauseMenu == nullptr || GetMenuItemID(pauseMenu, 0) != IDM_PAUSE_RESUME)
        return;
    tray.pauseMenu = pauseMenu;
    GetMenuStringA(pauseMenu, IDM_PAUSE_RESUME, tray.resumeText, sizeof tray.resumeText, MF_BYCOMMAND);
    RemoveResumeItem(pauseMenu);
}

// While paused the submenu starts with "Fortsetzen"; without the active flag there is nothing to
// pause.
void ShowPauseItems(TrayState& tray)
{
    if (tray.pauseMenu == nullptr)
        return;
    const bool paused = CurrentPause().on;
    const bool shown = GetMenuItemID(tray.pauseMenu, 0) == IDM_PAUSE_RESUME;
    if (paused && !shown) {
        InsertMenuA(tray.pauseMenu, 0, MF_BYPOSITION | MF_STRING, IDM_PAUSE_RESUME, tray.resumeText);
        InsertMenuA(tray.pauseMenu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    } else if (!paused && shown) {
        RemoveResumeItem(tray.pauseMenu);
    }
    const UINT enable = g_program->settings.active != 0 ? MF_ENABLED : MF_GRAYED;
    for (const auto& item : kPauseItems)
        EnableMenuItem(tray.pauseMenu, item.command, MF_BYCOMMAND | enable);
}

void ShowPopup(HWND page)
{
    TrayState& tray = g_program->tray;
    // Past the separator of the last popup: every id below belongs to its items.
    const UINT previousEnd = tray.windowItems.NextCommand() + 1;
    tray.windowItems.Begin();
    POINT pointer{};
    GetCursorPos(&pointer);
    const UINT check = g_program->settings.active == 1 ? MF_CHECKED : MF_UNCHECKED;
    CheckMenuItem(tray.popup, IDM_ACTIVE, MF_BYCOMMAND | check);
    EndPauseWhenOver();  // a pause that ran out offers no "Fortsetzen"
    ShowPauseItems(tray);

    auto addItem = [](WindowHandle window) {
        AddWindowItem(window);
        return true;
    };
    ForEachWindow(RealWindowOps(), addItem);
    const UINT separator = tray.windowItems.NextCommand();
    DeleteMenu(tray.popup, separator, MF_BYCOMMAND);
    InsertMenuA(tray.popup, IDM_WIZARD, MF_BYCOMMAND | MF_SEPARATOR, separator, nullptr);
    // Items left over from a longer list last time.
    for (UINT id = separator + 1; id < previousEnd; ++id)
        DeleteMenu(tray.popup, id, MF_BYCOMMAND);

    TrackPopupMenu(tray.popup, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, page, nullptr);
}

void StartWizardFromTray()
{
    if (g_program->openDialog != nullptr)
        return;
    ShowConfiguration();
    ShowWindow(g_program->mainWindow, SW_HIDE);
    AddEntryWithWizard();
    HideToTray();
}

}  // namespace

void AddTrayIcon(HWND page)
{
    TrayState& tray = g_program->tray;
    tray.menuBar = LoadLanguageMenu(IDM_POPUP);
    tray.popup = GetSubMenu(tray.menuBar, 0);
    TakeOutResumeItem(tray);
    RememberTrayState(IDI_ACTIVE, kVersionTip);
    if (g_program->trayEnabled)
        NotifyTray(NIM_ADD, page, IDI_ACTIVE, kVersionTip);
}

void SetTrayState(HWND page, WORD icon, const char* tip)
{
    RememberTrayState(icon, tip);
    if (g_program->trayEnabled)
        NotifyTray(NIM_MODIFY, page, icon, tip);
}

void RemoveTrayIcon(HWND page)
{
    if (!g_program->trayEnabled)
        return;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = page;
    data.uID = BOXSWEEP_TRAY_ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &data);
}

void ShowTrayBalloon(const char* title, const char* text)
{
    if (!g_program->trayEnabled)
        return;
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = g_program->page;
    data.uID = BOXSWEEP_TRAY_ICON_ID;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_WARNING;
    lstrcpynA(data.szInfoTitle, title, sizeof data.szInfoTitle);
    lstrcpynA(data.szInfo, text, sizeof data.szInfo);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void DestroyPopupMenu()
{
    TrayState& tray = g_program->tray;
    if (tray.menuBar != nullptr)
        DestroyMenu(tray.menuBar);
    tray.menuBar = nullptr;
    tray.popup = nullptr;
    tray.pauseMenu = nullptr;
}

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// Explorer forgets every icon when it restarts; it announces itself again with this message.
void OnTaskbarCreated(HWND page)
{
    if (g_program->trayEnabled)
        NotifyTray(NIM_ADD, page, g_program->tray.icon, g_program->tray.tip);
}

void OnTrayCallback(HWND page, LPARAM mouseMessage)
{
    // The wizard, the editor or the about box while one runs: the tray only brings it forward,
    // so that the popup can neither change the list under an edit nor stack a second dialog.
    if (g_program->openDialog != nullptr) {
        SetForegroundWindow(g_program->openDialog);
        return;
    }
    if (mouseMessage == WM_LBUTTONDBLCLK)
        ShowConfiguration();
    else if (mouseMessage == WM_RBUTTONUP)
        ShowPopup(page);
}

bool HandlePopupCommand(UINT command)
{
    switch (command) {
    case IDM_CONFIGURE:
        ShowConfiguration();
        return true;
    case IDM_ACTIVE:
        ToggleActive();
        return true;
    case IDM_INFO:
        RunAboutBox(g_program->list.TotalClicks());
        return true;
    case IDM_HELP:
        OpenHelp();
        return true;
    case IDM_LOG:
        ShowLogWindow();
        return true;
    case IDM_EXIT:
        CollectSettings();
        EndProgram(0);
        return true;
    case IDM_WIZARD:
        StartWizardFromTray();
        return true;
    case IDM_PAUSE_RESUME:
        ResumeWatcher();
        return true;
    }
    for (const auto& item : kPauseItems) {
        if (item.command == command) {
            PauseWatcher(item.length);
            return true;
        }
    }
    // A window item of the popup last shown: the rule takes the title the item showed and the
    // program of its window (none when the window is gone meanwhile or its program is unreadable).
    if (const WindowItem* item = g_program->tray.windowItems.Find(command)) {
        char program[kProgramCapacity];
        RealWindowOps().GetProgramFileName(item->window, program, sizeof program);
        AddCloseRule(item->title, program);
        return true;
    }
    return command >= IDM_WINDOW_FIRST && command < IDM_WINDOW_END;
}
