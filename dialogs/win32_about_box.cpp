// The about box: the product, the project's contact data and the total number of clicks.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "dialogs/win32_editing_dialogs.h"
#include "resources/resource_ids.h"
#include "shell/win32_app.h"
#include "version.h"

namespace {

// The addresses live here, not in the language modules: a module can only ever offer texts,
// never decide what the shell opens.
constexpr char kProjectWeb[] = "https://boxsweep.example.org";
constexpr char kProjectMail[] = "boxsweep-project@example.org";
constexpr char kMailSubject[] = "?subject=" BOXSWEEP_PRODUCT_TEXT;

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
    ShowProgramIcon(about, IDC_ABOUT_MAIN_ICON, IDI_PROGRAM);
    ShowProgramIcon(about, IDC_ABOUT_SPARE_ICON, IDI_SPARE);
}

void Open(HWND about, const std::string& address)
{
    ShellExecuteA(about, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK AboutBoxProc(HWND about, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(about, *reinterpret_cast<const int64_t*>(lParam));
        return TRUE;
    case WM_COMMAND:
        // Enter and every other command do nothing; only Escape and the close box end it.
        switch (LOWORD(wParam)) {
        case IDC_ABOUT_WEB:
            Open(about, kProjectWeb);
            break;
        case IDC_ABOUT_MAIL:
            Open(about, std::string("mailto:") + kProjectMail + kMailSubject);
            break;
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
