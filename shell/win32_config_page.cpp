// The configuration page: the rule list, the active switch, the scan interval and the language.
#include <windows.h>

#include <string>

#include "dialogs/win32_editing_dialogs.h"
#include "resources/resource_ids.h"
#include "shell/win32_app.h"

namespace {

// The mark before a managed rule's title in the list box ("[verwaltet] ").
constexpr int kManagedPrefixCapacity = 64;

// The node at the page's current selection; nullptr without one.
EntryNode* SelectedNode(HWND page)
{
    const LRESULT selected = SendDlgItemMessageA(page, IDC_ENTRIES, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return nullptr;
    return g_program->list.NodeAt(static_cast<int>(selected) + 1);
}

// Opened over the page, so that its owner is the main window. The list shows the saved fields
// at once. A managed rule is only shown: the administrator's file is its one source.
void EditSelectedEntry(HWND page)
{
    EntryNode* node = SelectedNode(page);
    if (node != nullptr && RunEntryEditor(page, *node))
        RefillList(page);
}

// The first matching rule wins, so the user sets the order: the selected entry changes places
// with its neighbour and stays selected, scrolled into view. The new order is saved with the
// next save. The list refuses a swap that would move a managed rule.
void MoveSelectedEntry(HWND page, int direction)
{
    HWND list = GetDlgItem(page, IDC_ENTRIES);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    const LRESULT target = selected + direction;
    if (selected == LB_ERR || target < 0 || target >= count)
        return;
    // Nodes before the two that change places: the one above the upper of them.
    const int before = static_cast<int>(direction < 0 ? target : selected);
    if (!g_program->list.SwapAfter(g_program->list.NodeAt(before)))
        return;
    RefillList(page);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(target), 0);
    UpdateEntryButtons(page);
}

// The list box is subclassed so that a double-click opens the editor and Alt+Up and Alt+Down
// move the selected entry; the list box's own procedure is kept in its user data.
LRESULT CALLBACK EntryListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_USERDATA));
    if (message == WM_SYSKEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
        MoveSelectedEntry(GetParent(list), wParam == VK_UP ? -1 : 1);
        return 0;
    }
    if (message == WM_LBUTTONDBLCLK) {
        HWND page = GetParent(list);
        if (IsWindowEnabled(GetDlgItem(page, IDC_ADVANCED)))
            EditSelectedEntry(page);
        return 0;
    }
    return CallWindowProcA(original, list, message, wParam, lParam);
}

void SubclassEntryList(HWND page)
{
    HWND list = GetDlgItem(page, IDC_ENTRIES);
    LONG_PTR original = SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EntryListProc));
    SetWindowLongPtrA(list, GWLP_USERDATA, original);
}

void OnInitDialog(HWND page)
{
    g_program->page = page;
    SetDlgItemInt(page, IDC_INTERVAL, static_cast<UINT>(g_program->settings.scanInterval), FALSE);
    CheckDlgButton(page, IDC_ACTIVE, g_program->settings.active ? BST_CHECKED : BST_UNCHECKED);
    HWND dropdown = GetDlgItem(page, IDC_LANGUAGE);
    SendMessageA(dropdown, CB_RESETCONTENT, 0, 0);
    FillLanguages(dropdown);
    SelectCurrentLanguage(dropdown);
    SubclassEntryList(page);
    UseTextFont(page, {IDC_ENTRIES});
    RefillList(page);
    AddTrayIcon(page);
    // The watch service learns the active flag now, so that a pause can be chosen from the tray
    // before the window first hides.
    UpdateWatchState();
}

void RemoveSelectedEntry(HWND page)
{
    HWND list = GetDlgItem(page, IDC_ENTRIES);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    EntryNode* before = g_program->list.NodeAt(static_cast<int>(selected));
    if (before == nullptr || !g_program->list.RemoveAfter(before))
        return;
    RefillList(page);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected - 1), 0);
    UpdateEntryButtons(page);
}

void OnLanguageChosen()
{
    CollectSettings();
    SaveListFile();
    if (!g_program->languageChanged)
        return;
    g_program->languageChanged = false;
    RestartProgram();
}

void OnAddEntry()
{
    ShowWindow(g_program->mainWindow, SW_HIDE);
    AddEntryWithWizard();
    ShowWindow(g_program->mainWindow, SW_SHOW);
}

void OnCommand(HWND page, UINT id, UINT notification)
{
    if (HandlePopupCommand(id))
        return;
    switch (id) {
    case IDOK:
        CollectSettings();
        SaveListFile();
        HideToTray();
        break;
    case IDC_EXIT:
        CollectSettings();
        EndProgram(0);
        break;
    case IDC_ENTRIES:
        UpdateEntryButtons(page);
        break;
    case IDC_ADD:
        OnAddEntry();
        break;
    case IDC_REMOVE:
        RemoveSelectedEntry(page);
        break;
    case IDC_ADVANCED:
        EditSelectedEntry(page);
        break;
    case IDC_MOVE_UP:
        MoveSelectedEntry(page, -1);
        break;
    case IDC_MOVE_DOWN:
        MoveSelectedEntry(page, 1);
        break;
    case IDC_LANGUAGE:
        if (notification == CBN_SELENDOK)
            OnLanguageChosen();
        break;
    }
}

}  // namespace

// A page from a language module made before the move buttons existed lacks them: enabling a
// window that is not there does nothing. A managed rule can be looked at, not removed or moved,
// and no rule of the user's moves above the managed ones.
void UpdateEntryButtons(HWND page)
{
    const LRESULT selected = SendDlgItemMessageA(page, IDC_ENTRIES, LB_GETCURSEL, 0, 0);
    const LRESULT count = SendDlgItemMessageA(page, IDC_ENTRIES, LB_GETCOUNT, 0, 0);
    const LRESULT managed = g_program->list.ManagedCount();
    const bool any = selected != LB_ERR;
    const bool own = any && selected >= managed;
    EnableWindow(GetDlgItem(page, IDC_REMOVE), own);
    EnableWindow(GetDlgItem(page, IDC_ADVANCED), any);
    EnableWindow(GetDlgItem(page, IDC_MOVE_UP), own && selected > managed);
    EnableWindow(GetDlgItem(page, IDC_MOVE_DOWN), own && selected + 1 < count);
}

void SelectLastEntry(HWND page)
{
    HWND list = GetDlgItem(page, IDC_ENTRIES);
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
    UpdateEntryButtons(page);
}

void RefillList(HWND page)
{
    HWND list = GetDlgItem(page, IDC_ENTRIES);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    char prefix[kManagedPrefixCapacity];
    LoadLanguageString(IDS_MANAGED_PREFIX, prefix, sizeof prefix);
    for (const EntryNode* node = g_program->list.First(); node != nullptr; node = node->next.get()) {
        const std::string title = node->managed ? prefix + std::string(node->entry.title) : node->entry.title;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateEntryButtons(page);
}

INT_PTR CALLBACK ConfigPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page);
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kScanTimer) {
            EndPauseWhenOver();
            WatchTick();
        }
        return TRUE;
    case BOXSWEEP_TRAY_CALLBACK:
        OnTrayCallback(page, lParam);
        return TRUE;
    }
    return FALSE;
}
