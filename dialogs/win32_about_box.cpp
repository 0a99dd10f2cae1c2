// The about box: the product, the language module's author, the total number of clicks and the
// folder that holds the list file. The project has no web page and no mail address, so the box
// offers none; its button opens the user's guide instead.
#include <windows.h>

#include <string>

#include "dialogs/win32_editing_dialogs.h"
#include "resources/resource_ids.h"
#include "shell/win32_app.h"

namespace {

// The icon controls show the program's own icons whichever module the template came from.
void ShowProgramIcon(HWND about, int control, WORD icon)
{
    HICON image = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon));
    SendDlgItemMessageA(about, control, STM_SETICON, reinterpret_cast<WPARAM>(image), 0);
}

void OnInitDialog(HWND about, int64_t totalClicks)
{
    g_program->openDialog = about;
    SetDlgItemTextA(about, IDC_ABOUT_TOTAL, std::to_string(totalClicks).c_str());
    SetDlgItemTextA(about, IDC_ABOUT_FOLDER, g_program->storage.folderShown.c_str());
    ShowProgramIcon(about, IDC_ABOUT_MAIN_ICON, IDI_PROGRAM);
    ShowProgramIcon(about, IDC_ABOUT_SPARE_ICON, IDI_SPARE);
}

INT_PTR CALLBACK AboutBoxProc(HWND about, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(about, *reinterpret_cast<const int64_t*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ABOUT_GUIDE:
            OpenHelp();
            break;
        case IDOK:
        case IDCANCEL:
            EndDialog(about, 0);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void RunAboutBox(int64_t totalClicks)
{
    RunLanguageDialog(IDD_ABOUT, nullptr, AboutBoxProc, reinterpret_cast<LPARAM>(&totalClicks));
    g_program->openDialog = nullptr;
}
