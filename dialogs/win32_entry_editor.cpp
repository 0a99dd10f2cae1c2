// The entry editor: every field of the entry selected in the configuration list.
#include <windows.h>

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

constexpr CaptureTarget kEditorTarget = {0, 0, IDC_EDITOR_MESSAGE, 0};
constexpr int kMethodNameCapacity = 64;

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

void AddProgramOf(HWND programs, WindowHandle window)
{
    char title[kTitleCapacity];
    if (!ReadOfferedTitle(RealWindowOps(), window, title, sizeof title))
        return;
    char program[kProgramCapacity] = "";
    RealWindowOps().GetProgramFileName(window, program, sizeof program);
    CutToField(program, sizeof program);
    const auto text = reinterpret_cast<LPARAM>(program);
    const WPARAM fromTheTop = static_cast<WPARAM>(-1);
    if (program[0] != '\0' && SendMessageA(programs, CB_FINDSTRINGEXACT, fromTheTop, text) == CB_ERR)
        SendMessageA(programs, CB_ADDSTRING, 0, text);
}

// The pick list offers each program that has a visible titled window now, once; the field shows
// the rule's own pattern, which need not be among them.
void FillPrograms(HWND editor, const char* program)
{
    HWND programs = GetDlgItem(editor, IDC_EDITOR_PROGRAM);
    auto addProgram = [programs](WindowHandle window) {
        AddProgramOf(programs, window);
        return true;
    };
    ForEachWindow(RealWindowOps(), addProgram);
    SetWindowTextA(programs, program);
}

void LoadEntry(HWND editor, const ListEntry& entry)
{
    SetDlgItemTextA(editor, IDC_EDITOR_TITLE, entry.title);
    SetDlgItemTextA(editor, IDC_EDITOR_BUTTON, entry.button);
    CheckDlgButton(editor, IDC_EDITOR_WHOLE_TITLE, entry.wholeTitle ? BST_CHECKED : BST_UNCHECKED);
    FillPrograms(editor, entry.program);
    SetDlgItemTextA(editor, IDC_EDITOR_DELAY, std::to_string(entry.delayMs).c_str());
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

// What one run of the editor shows, kept in its user word.
struct EditorRun {
    ListEntry* entry;
    const EntryNode* node;  // where the entry stands in the list, for the rule tester
    bool readOnly;
};

const EditorRun* RunOf(HWND editor)
{
    return reinterpret_cast<const EditorRun*>(GetWindowLongPtrA(editor, DWLP_USER));
}

// The entry the editor opened.
ListEntry* EditedEntry(HWND editor)
{
    const EditorRun* run = RunOf(editor);
    return run == nullptr ? nullptr : run->entry;
}

const EntryNode* EditedNode(HWND editor)
{
    const EditorRun* run = RunOf(editor);
    return run == nullptr ? nullptr : run->node;
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

void SaveEntry(HWND editor, ListEntry& entry, int32_t delayMs)
{
    ReadField(editor, IDC_EDITOR_TITLE, entry.title, kTitleCapacity);
    ReadField(editor, IDC_EDITOR_BUTTON, entry.button, kButtonCapacity);
    ReadField(editor, IDC_EDITOR_MESSAGE, entry.message, kMessageCapacity);
    ReadField(editor, IDC_EDITOR_PROGRAM, entry.program, kProgramCapacity);
    entry.wholeTitle = IsDlgButtonChecked(editor, IDC_EDITOR_WHOLE_TITLE) == BST_CHECKED;
    entry.delayMs = delayMs;
    const LRESULT method = SendDlgItemMessageA(editor, IDC_EDITOR_METHOD, CB_GETCURSEL, 0, 0);
    entry.method = static_cast<ClickMethod>(method);
    entry.condition = CheckedCondition(editor, entry.condition);
}

// Shows the input error and leaves the dialog open with the field at fault ready to be corrected.
void Refuse(HWND editor, int error, int field)
{
    ShowInputError(editor, error);
    SetFocus(GetDlgItem(editor, field));
}

// The delay field as a number of milliseconds; false, with the input error shown, when it holds
// none from 0 to 60000.
bool ReadDelayField(HWND editor, int32_t* delayMs)
{
    // Read whole, so that no cut makes a long number look like a short one.
    HWND delayField = GetDlgItem(editor, IDC_EDITOR_DELAY);
    std::string delayText(static_cast<size_t>(GetWindowTextLengthA(delayField)) + 1, '\0');
    GetWindowTextA(delayField, delayText.data(), static_cast<int>(delayText.size()));
    const int delayError = ReadDelay(delayText.c_str(), delayMs);
    if (delayError == kNoInputError)
        return true;
    Refuse(editor, delayError, IDC_EDITOR_DELAY);
    return false;
}

// A title that would match windows nobody meant is refused as the wizard refuses it, and so is a
// delay outside 0 to 60000 ms.
void OnOk(HWND editor)
{
    ListEntry* entry = EditedEntry(editor);
    if (entry == nullptr)
        return;
    char title[kTitleCapacity];
    char program[kProgramCapacity];
    ReadField(editor, IDC_EDITOR_TITLE, title, kTitleCapacity);
    ReadField(editor, IDC_EDITOR_PROGRAM, program, kProgramCapacity);
    const int titleError = RuleTitleError(title, CheckedCondition(editor, entry->condition), program);
    if (titleError != kNoInputError) {
        Refuse(editor, titleError, IDC_EDITOR_TITLE);
        return;
    }
    int32_t delayMs = 0;
    if (!ReadDelayField(editor, &delayMs))
        return;
    SaveEntry(editor, *entry, delayMs);
    EndDialog(editor, 1);
}

// The rule as the fields hold it now, tested where the entry stands in the list; the entry
// itself is not touched, so Cancel still leaves it as it was.
void OnTest(HWND editor)
{
    const ListEntry* entry = EditedEntry(editor);
    if (entry == nullptr)
        return;
    int32_t delayMs = 0;
    if (!ReadDelayField(editor, &delayMs))
        return;
    ListEntry edited = *entry;
    SaveEntry(editor, edited, delayMs);
    RunRuleTester(editor, edited, EditedNode(editor));
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
    case IDC_EDITOR_TEST:
        OnTest(editor);
        break;
    case IDC_EDITOR_CANCEL:
    case IDCANCEL:
        EndDialog(editor, 0);
        break;
    }
}

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
        SetWindowLongPtrA(editor, DWLP_USER, lParam);
        UseTextFont(editor, {IDC_EDITOR_TITLE, IDC_EDITOR_BUTTON, IDC_EDITOR_PROGRAM, IDC_EDITOR_MESSAGE});
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

bool RunEntryEditor(HWND owner, EntryNode& node)
{
    // A managed rule is only shown, from a copy: nothing the editor does can reach it.
    const bool readOnly = node.managed;
    ListEntry shown = node.entry;
    EditorRun run = {readOnly ? &shown : &node.entry, &node, readOnly};
    const auto parameter = reinterpret_cast<LPARAM>(&run);
    const INT_PTR saved = RunLanguageDialog(IDD_EDITOR, owner, EntryEditorProc, parameter);
    g_program->openDialog = nullptr;
    return saved == 1 && !readOnly;
}
