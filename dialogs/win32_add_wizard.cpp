// The add-entry wizard: a seven-page wizard property sheet whose course the program steers
// itself. Each Next or Back is vetoed and the page for the new step shown by its template id.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>

#include "dialogs/capture.h"
#include "dialogs/win32_editing_dialogs.h"
#include "dialogs/win32_pointer_capture.h"
#include "dialogs/wizard_steps.h"
#include "resources/resource_ids.h"
#include "shell/popup_items.h"
#include "shell/timer_ids.h"
#include "shell/win32_app.h"
#include "watcher/win32_window_ops.h"

namespace {

constexpr CaptureTarget kWizardTarget = {IDC_WIZ_TITLE, IDC_WIZ_BUTTON, IDC_WIZ_MESSAGE, IDC_WIZ_PROGRAM};
// "Erkennen" beside the title reads everything the page can take from the pointed window.
constexpr unsigned kCaptureAll = kCaptureButton | kCaptureTitle | kCaptureMessage | kCaptureProgram;
constexpr int kSummaryFormatCapacity = 256;
constexpr int kMethodNameCapacity = 32;
constexpr int kErrorTextCapacity = 200;
constexpr int kErrorCaptionCapacity = 32;

// One run of the wizard.
struct WizardRun {
    EntryList* list;
    WizardState state;
    EntryNode* newEntry;
    HWND window;  // the sheet, once its first page exists
    bool finished;
};

WizardRun* g_run = nullptr;

void SetResult(HWND page, LONG_PTR result)
{
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
}

std::string MethodName(int32_t method)
{
    char name[kMethodNameCapacity];
    LoadLanguageString(static_cast<UINT>(method + IDS_METHOD_FIRST), name, sizeof name);
    return name;
}

void ShowSummary(HWND page, UINT formatId, const char* const* texts, int count, size_t capacity)
{
    char format[kSummaryFormatCapacity];
    LoadLanguageString(formatId, format, sizeof format);
    std::string summary = FormatWithTexts(format, texts, count);
    if (summary.size() > capacity - 1)
        summary.resize(capacity - 1);
    SetDlgItemTextA(page, IDC_WIZ_SUMMARY, summary.c_str());
}

void ShowButtonRuleSummary(HWND page, const ListEntry& entry)
{
    const std::string method = MethodName(entry.method);
    const char* message = entry.condition == kClickIfMessage ? entry.message : "-";
    const char* texts[] = {entry.title, entry.button, message, method.c_str()};
    ShowSummary(page, IDS_SUMMARY_BUTTON, texts, 4, 1024);
}

void ShowWindowRuleSummary(HWND page, const ListEntry& entry)
{
    const std::string method = MethodName(entry.method);
    const char* texts[] = {entry.title, method.c_str()};
    ShowSummary(page, IDS_SUMMARY_WINDOW, texts, 2, 512);
}

void AddOpenWindow(HWND list, WindowHandle handle)
{
    if (reinterpret_cast<HWND>(handle) == g_run->window)
        return;
    char title[kOfferedTitleCapacity];
    if (!ReadOfferedTitle(RealWindowOps(), handle, title, sizeof title))
        return;
    // Each item keeps its window, whose program the rule takes when the item is picked.
    const LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title));
    if (item >= 0)
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(handle));
}

void FillOpenWindows(HWND page)
{
    HWND list = GetDlgItem(page, IDC_WIZ_WINDOWS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    auto addWindow = [list](WindowHandle window) {
        AddOpenWindow(list, window);
        return true;
    };
    ForEachWindow(RealWindowOps(), addWindow);
}

void OnPageInit(HWND page)
{
    // Page 600 is created when the sheet starts, and only then is the step 0: exactly one new
    // entry per run, linked after the tail but not kept until Finish.
    if (g_run->state.step == 0)
        g_run->newEntry = g_run->list->AppendAfter(g_run->list->Tail());
    CheckDlgButton(page, IDC_WIZ_BUTTON_MESSAGE, BST_CHECKED);
    CheckDlgButton(page, IDC_WIZ_CLOSE, BST_CHECKED);
    CheckDlgButton(page, IDC_WIZ_KIND_BUTTON, BST_CHECKED);
    HWND sheet = GetParent(page);
    SetWindowPos(sheet, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_run->window = sheet;
    g_program->openDialog = sheet;
}

void OnSetActive(HWND page)
{
    const WizardState& state = g_run->state;
    const ListEntry& entry = g_run->newEntry->entry;
    if (state.step == 0)
        PropSheet_SetWizButtons(GetParent(page), PSWIZB_NEXT);
    if (state.kind == kKindButtonRule && state.step == 3)
        ShowButtonRuleSummary(page, entry);
    if (state.kind == kKindWindowRule && state.step == 1)
        FillOpenWindows(page);
    if (state.kind == kKindWindowRule && state.step == 3)
        ShowWindowRuleSummary(page, entry);
    SetResult(page, 0);
}

bool Checked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void ShowPageForStep(HWND page)
{
    HWND sheet = GetParent(page);
    const WizardState& state = g_run->state;
    PropSheet_SetCurSelByID(sheet, WizardPageTemplate(state));
}

void OnNext(HWND page)
{
    char title[kTitleCapacity];
    char button[kButtonCapacity];
    char message[kMessageCapacity];
    char program[kProgramCapacity];
    GetDlgItemTextA(page, IDC_WIZ_TITLE, title, sizeof title);
    GetDlgItemTextA(page, IDC_WIZ_BUTTON, button, sizeof button);
    GetDlgItemTextA(page, IDC_WIZ_MESSAGE, message, sizeof message);
    GetDlgItemTextA(page, IDC_WIZ_PROGRAM, program, sizeof program);
    WizardInput input{};
    input.title = title;
    input.button = button;
    input.message = message;
    input.program = program;
    input.useMessage = Checked(page, IDC_WIZ_USE_MESSAGE);
    input.wholeTitle = Checked(page, IDC_WIZ_WHOLE_TITLE);
    input.buttonMessage = Checked(page, IDC_WIZ_BUTTON_MESSAGE);
    input.leftClick = Checked(page, IDC_WIZ_LEFT_CLICK);
    input.closeWindow = Checked(page, IDC_WIZ_CLOSE);
    input.minimizeWindow = Checked(page, IDC_WIZ_MINIMIZE);
    input.kindButton = Checked(page, IDC_WIZ_KIND_BUTTON);
    input.kindWindow = Checked(page, IDC_WIZ_KIND_WINDOW);

    const int error = WizardNext(g_run->state, input, g_run->newEntry->entry);
    if (error != kNoInputError) {
        ShowInputError(page, error);
    } else {
        const bool last = g_run->state.step == 3;
        PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | (last ? PSWIZB_FINISH : PSWIZB_NEXT));
        ShowPageForStep(page);
    }
    // The sheet's own page change is always vetoed; the program has shown the page itself.
    // Set last: showing the page sends this page notifications of its own that must not see
    // the veto.
    SetResult(page, -1);
}

void OnBack(HWND page)
{
    WizardBack(g_run->state);
    PropSheet_SetWizButtons(GetParent(page), PSWIZB_BACK | PSWIZB_NEXT);
    ShowPageForStep(page);
    SetResult(page, -1);
}

void OnFinish(HWND page)
{
    g_run->list->SetTail(g_run->newEntry);
    g_run->finished = true;
    SetResult(page, 0);
}

void OnQueryCancel(HWND page)
{
    g_run->list->RemoveAfter(g_run->list->Tail());
    SetResult(page, 0);
}

// True when the notification was handled and its result set; the others (leaving a page,
// help, reset) get the dialog manager's default answer.
bool OnNotify(HWND page, const NMHDR& header)
{
    switch (header.code) {
    case PSN_SETACTIVE:
        OnSetActive(page);
        return true;
    case PSN_WIZNEXT:
        OnNext(page);
        return true;
    case PSN_WIZBACK:
        OnBack(page);
        return true;
    case PSN_WIZFINISH:
        OnFinish(page);
        return true;
    case PSN_QUERYCANCEL:
        OnQueryCancel(page);
        return true;
    }
    return false;
}

void EnableMessageFields(HWND page)
{
    const BOOL enable = Checked(page, IDC_WIZ_USE_MESSAGE);
    EnableWindow(GetDlgItem(page, IDC_WIZ_MESSAGE), enable);
    EnableWindow(GetDlgItem(page, IDC_WIZ_MESSAGE_LABEL), enable);
    EnableWindow(GetDlgItem(page, IDC_WIZ_CAPTURE_MESSAGE), enable);
}

// The picked window becomes the rule's whole title and its program: the user meant that window.
void TakeSelectedWindow(HWND page)
{
    HWND list = GetDlgItem(page, IDC_WIZ_WINDOWS);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR)
        return;
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == LB_ERR)
        return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text.data()));
    char title[kTitleCapacity];
    CopyTitleAsPattern(title, text.c_str());
    SetDlgItemTextA(page, IDC_WIZ_TITLE, title);
    const LRESULT window = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    char program[kProgramCapacity];
    RealWindowOps().GetProgramFileName(static_cast<WindowHandle>(window), program, sizeof program);
    SetDlgItemTextA(page, IDC_WIZ_PROGRAM, program);
    CheckDlgButton(page, IDC_WIZ_WHOLE_TITLE, BST_CHECKED);
}

void OnCommand(HWND page, UINT id)
{
    switch (id) {
    case IDC_WIZ_CAPTURE_ALL:
        StartCapture(page, IDC_WIZ_CAPTURE_ALL, kCaptureAllTimer);
        break;
    case IDC_WIZ_CAPTURE_MESSAGE:
        StartCapture(page, IDC_WIZ_CAPTURE_MESSAGE, kCaptureMessageTimer);
        break;
    case IDC_WIZ_USE_MESSAGE:
        EnableMessageFields(page);
        break;
    case IDC_WIZ_WINDOWS:
        TakeSelectedWindow(page);
        break;
    }
}

void OnTimer(HWND page, UINT_PTR timer)
{
    if (timer == kCaptureAllTimer)
        CaptureTick(page, timer, kWizardTarget, kCaptureAll, IDC_WIZ_CAPTURE_ALL);
    else if (timer == kCaptureMessageTimer)
        CaptureTick(page, timer, kWizardTarget, kCaptureMessage, IDC_WIZ_CAPTURE_MESSAGE);
}

// The one procedure of all seven pages.
INT_PTR CALLBACK WizardPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        UseTextFont(page, {IDC_WIZ_TITLE, IDC_WIZ_BUTTON, IDC_WIZ_MESSAGE, IDC_WIZ_PROGRAM, IDC_WIZ_WINDOWS,
                           IDC_WIZ_SUMMARY});
        OnPageInit(page);
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(page, wParam);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void ShowInputError(HWND owner, int error)
{
    char text[kErrorTextCapacity];
    char caption[kErrorCaptionCapacity];
    LoadLanguageString(static_cast<UINT>(error), text, sizeof text);
    LoadLanguageString(IDS_INPUT_ERROR, caption, sizeof caption);
    MessageBoxA(owner, text, caption, MB_ICONINFORMATION);
}

bool RunAddWizard(HWND parent, EntryList& list)
{
    // The pages come from the language module alone: a sheet cannot mix modules.
    HMODULE language = LanguageModule();
    PROPSHEETPAGEA pages[std::size(kWizardPageTemplates)] = {};
    for (size_t i = 0; i < std::size(kWizardPageTemplates); ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DEFAULT;
        pages[i].hInstance = language;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kWizardPageTemplates[i]);
        pages[i].pfnDlgProc = WizardPageProc;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_USEICONID;
    header.hwndParent = parent;
    header.hInstance = language;
    header.pszIcon = MAKEINTRESOURCEA(IDI_ACTIVE);
    header.nPages = std::size(kWizardPageTemplates);
    header.nStartPage = 0;
    header.ppsp = pages;

    WizardRun run{};
    run.list = &list;
    g_run = &run;
    PropertySheetA(&header);
    g_run = nullptr;
    g_program->openDialog = nullptr;
    return run.finished;
}
