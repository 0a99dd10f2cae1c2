// The log window: the newest actions first, following new ones while it is open. Modeless, so
// that the watcher goes on meanwhile; no rule is applied to it, and it stays out of the one slot
// of the modal dialogs, so the tray keeps working while it is open.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "resources/resource_ids.h"
#include "shell/win32_app.h"

namespace {

constexpr UINT kColumnTitles[] = {IDS_LOG_TIME,   IDS_LOG_RESULT, IDS_LOG_PROGRAM,
                                  IDS_LOG_WINDOW, IDS_LOG_RULE,   IDS_LOG_BUTTON};
// Column widths and the layout's distances in dialog units, so that they follow the font and DPI.
constexpr int kColumnWidths[] = {74, 52, 50, 90, 66, 50};
constexpr int kMargin = 6;
constexpr int kButtonWidth = 66;
constexpr int kButtonHeight = 14;

// The main loop is the main window's modal loop, which knows nothing of this window: its
// keys (Tab, Escape, access keys) are handed to it through the loop's message filter.
HHOOK g_keyHook = nullptr;

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* message = reinterpret_cast<MSG*>(lParam);
    HWND log = g_program->logWindow;
    if (code >= 0 && log != nullptr && (message->hwnd == log || IsChild(log, message->hwnd))
        && IsDialogMessageA(log, message))
        return TRUE;
    return CallNextHookEx(g_keyHook, code, wParam, lParam);
}

int DialogUnits(HWND window, int units, bool horizontal)
{
    RECT rect{0, 0, units, units};
    MapDialogRect(window, &rect);
    return horizontal ? rect.right : rect.bottom;
}

void AddColumns(HWND window, HWND list)
{
    for (int i = 0; i < static_cast<int>(std::size(kColumnTitles)); ++i) {
        char title[64];
        LoadLanguageString(kColumnTitles[i], title, sizeof title);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title;
        column.cx = DialogUnits(window, kColumnWidths[i], true);
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void SetCell(HWND list, int row, int column, const char* text)
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void InsertRow(HWND list, const LogEntry& entry, int row)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(entry.time.c_str());
    row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    char outcome[64];
    LoadLanguageString(IDS_OUTCOME_FIRST + OutcomeTextIndex(entry.outcome), outcome, sizeof outcome);
    SetCell(list, row, 1, outcome);
    SetCell(list, row, 2, entry.program.c_str());
    SetCell(list, row, 3, entry.title.c_str());
    SetCell(list, row, 4, entry.pattern.c_str());
    SetCell(list, row, 5, entry.button.c_str());
}

// The list fills the window above a row with "Datei öffnen" on the left and "Schließen" on the
// right.
void LayOut(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const int margin = DialogUnits(window, kMargin, true);
    const int width = DialogUnits(window, kButtonWidth, true);
    const int height = DialogUnits(window, kButtonHeight, false);
    const int buttonTop = client.bottom - margin - height;
    SetWindowPos(GetDlgItem(window, IDC_LOG_LIST), nullptr, margin, margin, client.right - 2 * margin,
                 buttonTop - 2 * margin, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(window, IDC_LOG_OPEN), nullptr, margin, buttonTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(GetDlgItem(window, IDCANCEL), nullptr, client.right - margin - width, buttonTop, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ShellExecute reports success with a value above 32.
bool OpenedByShell(HINSTANCE result)
{
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void OnInitDialog(HWND window)
{
    Program& program = *g_program;
    program.logWindow = window;
    ExemptFromWatching(window);
    HWND list = GetDlgItem(window, IDC_LOG_LIST);
    UseTextFont(window, {IDC_LOG_LIST});
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumns(window, list);
    for (int i = 0; i < program.log.Count(); ++i)
        InsertRow(list, program.log.Newest(i), i);
    // Where the user left it earlier in the session.
    const RECT& placed = program.logRect;
    if (placed.right > placed.left && placed.bottom > placed.top)
        SetWindowPos(window, nullptr, placed.left, placed.top, placed.right - placed.left,
                     placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut(window);
    g_keyHook = SetWindowsHookExA(WH_MSGFILTER, KeyHook, nullptr, GetCurrentThreadId());
}

void OnClose(HWND window)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement))
        g_program->logRect = placement.rcNormalPosition;
    DestroyWindow(window);
}

void OnDestroy()
{
    g_program->logWindow = nullptr;
    ExemptFromWatching(nullptr);
    if (g_keyHook != nullptr)
        UnhookWindowsHookEx(g_keyHook);
    g_keyHook = nullptr;
}

// With the shell's program for .LOG files, by its full path: the working folder is BoxSweep's.
// Many systems register no program for .LOG; Notepad is there on every one. A log not yet
// written is begun empty, so that either program shows it rather than asking to create it.
void OpenLogFile(HWND window)
{
    const StoragePaths& storage = g_program->storage;
    char path[MAX_PATH];
    const DWORD length = GetFullPathNameA(storage.log.c_str(), sizeof path, path, nullptr);
    if (length == 0 || length >= sizeof path)
        return;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        AppendLogLine(path, storage.oldLog.c_str(), "");
    if (OpenedByShell(ShellExecuteA(window, "open", path, nullptr, nullptr, SW_SHOWNORMAL)))
        return;
    const std::string quoted = std::string("\"") + path + "\"";
    if (OpenedByShell(ShellExecuteA(window, "open", "notepad.exe", quoted.c_str(), nullptr, SW_SHOWNORMAL)))
        return;
    ShowNotice(IDS_LOG_OPEN_FAILED, path);
}

INT_PTR CALLBACK LogWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LOG_OPEN)
            OpenLogFile(window);
        else if (LOWORD(wParam) == IDCANCEL)
            OnClose(window);
        return TRUE;
    case WM_CLOSE:
        OnClose(window);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_SIZE:
        LayOut(window);
        return TRUE;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{DialogUnits(window, 2 * kButtonWidth + 3 * kMargin, true) + 16,
                                       DialogUnits(window, 80, false)};
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

void ShowLogWindow()
{
    HWND open = g_program->logWindow;
    if (open != nullptr) {
        if (IsIconic(open))
            ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return;
    }
    HWND window = CreateLanguageDialog(IDD_LOG, nullptr, LogWindowProc);
    if (window == nullptr)
        return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void AddLogWindowRow(const LogEntry& entry)
{
    HWND window = g_program->logWindow;
    if (window == nullptr)
        return;
    HWND list = GetDlgItem(window, IDC_LOG_LIST);
    InsertRow(list, entry, 0);
    const LRESULT rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    if (rows > kLogMemoryEntries)
        SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(rows - 1), 0);
}

void CloseLogWindow()
{
    if (g_program->logWindow != nullptr)
        DestroyWindow(g_program->logWindow);
}
