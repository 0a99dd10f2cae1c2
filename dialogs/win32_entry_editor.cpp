// The entry editor: every field of the entry selected in the configuration list.
#include <windows.h>

#include "dialogs/capture.h"
#include "dialogs/win32_editing_dialogs.h"
#include "dialogs/win32_pointer_capture.h"
#include "dialogs/wizard_steps.h"
#include "resources/resource_ids.h"
#include "shell/timer_ids.h"
#include "shell/win32_app.h"
#include "watcher/win32_window_ops.h"

namespace {

constexpr CaptureTarget kEditorTarget = {0, 0, IDC_EDITOR_MESSAGE};
constexpr int kMethodNameCapacity = 64;

// The editor's window while it runs, for the tray to bring forward.

void EnableMessageFields(HWND editor, bool enable)
{
    EnableWindow(GetDlgItem(editor, IDC_EDITOR_MESSAGE), enable);
    EnableWindow(GetDlgItem(editor, IDC_EDITOR_CAPTURE), enable);
}

void FillMethods(HWND editor, int32_t method)
{
    HWND methods = GetDlgItem(editor, IDC_EDITOR_METHOD);
    for (UINT id = IDS_METHOD_FIRST; id <= IDS_METHOD_LAST; ++id) {
        char name[kMethodNameCapacity];
        LoadLanguageString(id, name, sizeof name);
        SendMessageA(methods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    // A method the list file brought from outside 0 to 6 shows no selection.
    const bool known = method >= kLeftClick && method <= kClickThenBack;
    SendMessageA(methods, CB_SETCURSEL, known ? static_cast<WPARAM>(method) : static_cast<WPARAM>(-1), 0);
}

void LoadEntry(HWND editor, const ListEntry& entry)
{
    SetDlgItemTextA(editor, IDC_EDITOR_TITLE, entry.title);
    SetDlgItemTextA(editor, IDC_EDITOR_BUTTON, entry.button);
    FillMethods(editor, entry.method);
    if (entry.condition == kNeverClick)
        CheckDlgButton(editor, IDC_EDITOR_NEVER, BST_CHECKED);
    else if (entry.condition == kAlwaysClick)
        CheckDlgButton(editor, IDC_EDITOR_ALWAYS, BST_CHECKED);
    else if (entry.condition == kClickIfMessage) {
        CheckDlgButton(editor, IDC_EDITOR_IF_MESSAGE, BST_CHECKED);
        EnableMessageFields(editor, true);
    }
    SetDlgItemTextA(editor, IDC_EDITOR_MESSAGE, entry.message);
    SetDlgItemInt(editor, IDC_EDITOR_COUNT, static_cast<UINT>(entry.clicks), FALSE);
}

// Texts are kept as the list file will give them back: a line break (the Dutch message field
// takes Enter as one) ends the text, marked with "*".
// A field as the rule holds it: its characters up to the field's count, never a part of one.
void ReadField(HWND editor, int id, char* text, int capacity)
{
    RealWindowOps().GetDlgItemTextA(reinterpret_cast<WindowHandle>(editor), id, text, capacity);
    CutToField(text, capacity);
    CutAtFirstLineBreak(text);
}

// The entry the editor opened, kept in its user word.
ListEntry* EditedEntry(HWND editor)
{
    return reinterpret_cast<ListEntry*>(GetWindowLongPtrA(editor, DWLP_USER));
}

// The condition the radio buttons choose; none checked keeps the entry's own.
ClickCondition CheckedCondition(HWND editor, ClickCondition current)
{
    if (IsDlgButtonChecked(editor, IDC_EDITOR_NEVER) == BST_CHECKED)
        return kNeverClick;
    if (IsDlgButtonChecked(editor, IDC_EDITOR_ALWAYS) == BST_CHECKED)
        return kAlwaysClick;
    if (IsDlgButtonChecked(editor, IDC_EDITOR_IF_MESSAGE) == BST_CHECKED)
        return kClickIfMessage;
    return current;
}

void SaveEntry(HWND editor, ListEntry& entry)
{
    ReadField(editor, IDC_EDITOR_TITLE, entry.title, kTitleCapacity);
    ReadField(editor, IDC_EDITOR_BUTTON, entry.button, kButtonCapacity);
    ReadField(editor, IDC_EDITOR_MESSAGE, entry.message, kMessageCapacity);
    const LRESULT method = SendDlgItemMessageA(editor, IDC_EDITOR_METHOD, CB_GETCURSEL, 0, 0);
    entry.method = static_cast<ClickMethod>(method);
    entry.condition = CheckedCondition(editor, entry.condition);
}

// A title that would match windows nobody meant is refused as the wizard refuses it, and the
// dialog stays open with the title field ready to be corrected.
void OnOk(HWND editor)
{
    ListEntry* entry = EditedEntry(editor);
    if (entry == nullptr)
        return;
    char title[kTitleCapacity];
    ReadField(editor, IDC_EDITOR_TITLE, title, kTitleCapacity);
    const int error = RuleTitleError(title, CheckedCondition(editor, entry->condition));
    if (error != kNoInputError) {
        ShowInputError(editor, error);
        SetFocus(GetDlgItem(editor, IDC_EDITOR_TITLE));
        return;
    }
    SaveEntry(editor, *entry);
    EndDialog(editor, 1);
}

void OnCommand(HWND editor, UINT id)
{
    switch (id) {
    case IDC_EDITOR_NEVER:
    case IDC_EDITOR_ALWAYS:
        EnableMessageFields(editor, false);
        break;
    case IDC_EDITOR_IF_MESSAGE:
        EnableMessageFields(editor, true);
        SetFocus(GetDlgItem(editor, IDC_EDITOR_MESSAGE));
        break;
    case IDC_EDITOR_CAPTURE:
        StartCapture(editor, IDC_EDITOR_CAPTURE, kEditorCaptureTimer);
        break;
    case IDC_EDITOR_OK:
        OnOk(editor);
        break;
    case IDC_EDITOR_CANCEL:
    case IDCANCEL:
        EndDialog(editor, 0);
        break;
    }
}

// What one run of the editor shows.
struct EditorRun {
    ListEntry* entry;
    bool readOnly;
};

// Every control that could change the entry is disabled, whichever fields the template has; the
// labels, the group boxes, Cancel and the rule tester stay as they are. Cancel takes the focus and
// the Enter key.
BOOL CALLBACK DisableInput(HWND control, LPARAM)
{
    const int id = GetDlgCtrlID(control);
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
    const bool label = lstrcmpiA(className, "Static") == 0;
    const bool group = lstrcmpiA(className, "Button") == 0 && type == BS_GROUPBOX;
    const bool kept = id == IDCANCEL || id == IDC_EDITOR_CANCEL || id == IDC_EDITOR_TEST;
    if (!label && !group && !kept)
        EnableWindow(control, FALSE);
    return TRUE;
}

void MakeReadOnly(HWND editor)
{
    EnumChildWindows(editor, DisableInput, 0);
    SendMessageA(editor, DM_SETDEFID, IDC_EDITOR_CANCEL, 0);
    SetFocus(GetDlgItem(editor, IDC_EDITOR_CANCEL));
}

INT_PTR CALLBACK EntryEditorProc(HWND editor, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        const EditorRun& run = *reinterpret_cast<const EditorRun*>(lParam);
        g_program->openDialog = editor;
        SetWindowLongPtrA(editor, DWLP_USER, reinterpret_cast<LONG_PTR>(run.entry));
        UseTextFont(editor, {IDC_EDITOR_TITLE, IDC_EDITOR_BUTTON, IDC_EDITOR_MESSAGE});
        LoadEntry(editor, *run.entry);
        if (!run.readOnly)
            return TRUE;
        MakeReadOnly(editor);
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        OnCommand(editor, LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kEditorCaptureTimer)
            CaptureTick(editor, kEditorCaptureTimer, kEditorTarget, kCaptureMessage, IDC_EDITOR_CAPTURE);
        return TRUE;
    case WM_CLOSE:
        EndDialog(editor, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool RunEntryEditor(HWND owner, ListEntry& entry, bool readOnly)
{
    // Read-only, the editor works on a copy: nothing it does can reach the entry.
    ListEntry shown = entry;
    EditorRun run = {readOnly ? &shown : &entry, readOnly};
    const auto parameter = reinterpret_cast<LPARAM>(&run);
    const INT_PTR saved = RunLanguageDialog(IDD_EDITOR, owner, EntryEditorProc, parameter);
    g_program->openDialog = nullptr;
    return saved == 1 && !readOnly;
}
