// The first-run setup ("/setup"): the language, and whether to start from the prepared list of
// common pop-ups. Runs before the list file is read.
#include <windows.h>

#include "dialogs/win32_editing_dialogs.h"
#include "resources/resource_ids.h"
#include "shell/win32_app.h"

namespace {

void OnInitDialog(HWND setup)
{
    HWND dropdown = GetDlgItem(setup, IDC_LANGUAGE);
    FillLanguages(dropdown);
    CheckDlgButton(setup, IDC_SETUP_COMMON_LIST, BST_CHECKED);
    SelectFirstStartLanguage(dropdown);
    // Only a new user gets the dialog: with a list already there, or nothing to start from,
    // it ends before it is shown.
    const StoragePaths& storage = g_program->storage;
    if (!CopyFileA(storage.commonList.c_str(), storage.list.c_str(), TRUE))
        EndDialog(setup, 0);
}

// When the list file cannot be finished, the copy made at the start goes again (no list of the
// user's existed, or the copy would have failed), so that start-up goes on as for a missing
// file and creates the defaults.
void OnOk(HWND setup, Settings& settings)
{
    settings.active = 1;
    settings.scanInterval = 1000;
    ReadLanguageChoice(setup, settings.language);
    settings.reservedValue = 3;
    const bool keepCommonList = IsDlgButtonChecked(setup, IDC_SETUP_COMMON_LIST) == BST_CHECKED;
    const char* list = g_program->storage.list.c_str();
    if (!FinishNewListFile(list, keepCommonList, settings))
        DeleteFileA(list);
    EndDialog(setup, 1);
}

// No close box and no Escape: OK is the only way out.
INT_PTR CALLBACK SetupDialogProc(HWND setup, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(setup, DWLP_USER, lParam);
        OnInitDialog(setup);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            OnOk(setup, *reinterpret_cast<Settings*>(GetWindowLongPtrA(setup, DWLP_USER)));
        return TRUE;
    case WM_CLOSE:
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void RunSetupDialog(Settings& settings)
{
    // Always the built-in template: no language has been chosen yet.
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP), nullptr, SetupDialogProc,
                    reinterpret_cast<LPARAM>(&settings));
}
