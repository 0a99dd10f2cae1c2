// The program's verbs: what the main window, the configuration page, the tray and a second start
// ask of the program. The windows call these, never each other's.
#include <windows.h>

#include <memory>

#include "dialogs/win32_editing_dialogs.h"
#include "dialogs/wizard_steps.h"
#include "resources/resource_ids.h"
#include "shell/popup_items.h"
#include "shell/win32_app.h"

Program* g_program = nullptr;

namespace {

constexpr int kNoticeCapacity = 1024;

struct Notice {
    char text[kNoticeCapacity];
};

DWORD WINAPI RunNotice(void* parameter)
{
    std::unique_ptr<Notice> notice(static_cast<Notice*>(parameter));
    MessageBoxA(nullptr, notice->text, "BoxSweep", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    return 0;
}

// Once for each fallback file the list goes to, and once for a save that went nowhere. On the disk
// writer's thread.
void TellWhereSaved(SaveOutcome saved)
{
    Program& program = *g_program;
    if (saved == SaveOutcome::ListFile)
        return;
    if (saved == SaveOutcome::NotSaved) {
        if (!program.toldNotSaved)
            ShowNotice(IDS_NOT_SAVED);
        program.toldNotSaved = true;
        return;
    }
    const std::string& name = program.listFileState.fallbackName;
    if (name == program.toldFallbackName)
        return;
    program.toldFallbackName = name;
    ShowNotice(IDS_SAVED_TO_FALLBACK, name.c_str());
}

// Said once a session each: the list is read again whenever the configuration window opens.
void TellAboutManagedList(ManagedListRead read, const char* path)
{
    Program& program = *g_program;
    if (read == ManagedListRead::Unreadable && !program.toldManagedUnreadable) {
        program.toldManagedUnreadable = true;
        ShowNotice(IDS_MANAGED_UNREADABLE, path);
    } else if (read == ManagedListRead::Damaged && !program.toldManagedDamaged) {
        program.toldManagedDamaged = true;
        ShowNotice(IDS_MANAGED_DAMAGED, path);
    }
}

// Active, paused until a time, or switched off: a pause shows the inactive icon as well, and its
// tip says when the watcher acts again.
void ShowWatchStateInTray()
{
    char tip[64];
    if (g_program->settings.active == 0) {
        LoadLanguageString(IDS_INACTIVE_TIP, tip, sizeof tip);
        SetTrayState(g_program->page, IDI_INACTIVE, tip);
        return;
    }
    const WatchPause& pause = CurrentPause();
    if (!pause.on) {
        SetTrayState(g_program->page, IDI_ACTIVE, kVersionTip);
        return;
    }
    char format[64];
    LoadLanguageString(IDS_PAUSED_TIP, format, sizeof format);
    const std::string end = PauseEndText(pause);
    const char* texts[] = {end.c_str()};
    CopyText(tip, sizeof tip, FormatWithTexts(format, texts, 1).c_str());
    SetTrayState(g_program->page, IDI_INACTIVE, tip);
}

}  // namespace

void ShowNotice(UINT id, const char* name)
{
    char format[kNoticeCapacity];
    LoadLanguageString(id, format, sizeof format);
    const char* names[] = {name, name};
    auto notice = std::make_unique<Notice>();
    CopyText(notice->text, kNoticeCapacity, FormatWithTexts(format, names, 2).c_str());
    // The thread reads only its own copy of the text: the program's state stays with this one.
    HANDLE thread = CreateThread(nullptr, 0, RunNotice, notice.get(), 0, nullptr);
    // Without a thread the box holds the program for a while rather than leaving it unsaid.
    if (thread == nullptr) {
        RunNotice(notice.release());
        return;
    }
    notice.release();  // the thread owns it now
    CloseHandle(thread);
}

void ReadManagedRules()
{
    Program& program = *g_program;
    if (program.storage.managedList.empty())
        return;
    const char* path = program.storage.managedList.c_str();
    EntryList rules;
    const ManagedListRead read = ReadManagedList(path, rules);
    // A list another program holds for the moment takes none of the rules away.
    if (read != ManagedListRead::Unreadable)
        program.list.ReplaceManagedRules(rules);
    TellAboutManagedList(read, path);
}

// What is saved is taken now; the writing, which may wait for a file another program holds,
// happens on the disk writer's thread, which also tells where it landed.
void SaveListFile()
{
    const std::string bytes = FormatList(g_program->list, g_program->settings);
    g_program->writer->Post([bytes] {
        Program& program = *g_program;
        TellWhereSaved(SaveListBytes(program.storage.list.c_str(), bytes, program.listFileState));
    });
}

void SaveListFileAtEnd()
{
    const std::string bytes = FormatList(g_program->list, g_program->settings);
    g_program->writer->Post([bytes] {
        Program& program = *g_program;
        SaveListBytes(program.storage.list.c_str(), bytes, program.listFileState);
    });
}

void UpdateWatchState()
{
    SetWatchState(g_program->watching, g_program->settings.active != 0);
    ShowWatchStateInTray();
}

void PauseWatcher(PauseLength length)
{
    PauseWatching(length);
    ShowWatchStateInTray();
}

void ResumeWatcher()
{
    ResumeWatching();
    ShowWatchStateInTray();
}

void EndPauseWhenOver()
{
    if (EndPauseWhenDue())
        ShowWatchStateInTray();
}

void HideToTray()
{
    ShowWindow(g_program->mainWindow, SW_HIDE);
    SetTimer(g_program->page, kScanTimer, static_cast<UINT>(g_program->settings.scanInterval), nullptr);
    g_program->watching = true;
    UpdateWatchState();
}

void ShowConfiguration()
{
    KillTimer(g_program->page, kScanTimer);
    g_program->watching = false;
    UpdateWatchState();
    if (!IsWindowVisible(g_program->mainWindow)) {
        // A dialog that is open may hold a rule: the managed rules stay as they are under it.
        if (g_program->openDialog == nullptr) {
            ReadManagedRules();
            RefillList(g_program->page);
        }
        ShowWindow(g_program->mainWindow, SW_SHOW);
    }
    SetForegroundWindow(g_program->page);
}

void EndProgram(INT_PTR result)
{
    EndDialog(g_program->mainWindow, result);
}

// The check box, the tray icon and the early scans follow the flag. Switching it off ends a
// pause; switching it on, or leaving it on, keeps one.
void SetActive(bool active)
{
    g_program->settings.active = active ? 1 : 0;
    CheckDlgButton(g_program->page, IDC_ACTIVE, active ? BST_CHECKED : BST_UNCHECKED);
    UpdateWatchState();
}

void ToggleActive()
{
    SetActive(g_program->settings.active == 0);
}

void CollectSettings()
{
    Settings& settings = g_program->settings;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(g_program->mainWindow, &placement)) {
        settings.normalLeft = placement.rcNormalPosition.left;
        settings.normalTop = placement.rcNormalPosition.top;
        settings.normalRight = placement.rcNormalPosition.right;
        settings.normalBottom = placement.rcNormalPosition.bottom;
        settings.showCommand = static_cast<int32_t>(placement.showCmd);
    }
    HWND page = g_program->page;
    const bool checked = IsDlgButtonChecked(page, IDC_ACTIVE) == BST_CHECKED;
    settings.scanInterval = static_cast<int32_t>(GetDlgItemInt(page, IDC_INTERVAL, nullptr, FALSE));
    if (ReadLanguageChoice(page, settings.language))
        g_program->languageChanged = true;
    SetActive(checked);
}

void AddEntryWithWizard()
{
    if (RunAddWizard(g_program->page, g_program->list))
        RefillList(g_program->page);
}

void AddCloseRule(const char* title, const char* program)
{
    ListEntry& entry = g_program->list.AppendAtTail()->entry;
    CopyTitleAsPattern(entry.title, title);
    CopyField(entry.program, kProgramCapacity, program);
    entry.wholeTitle = true;
    entry.condition = kAlwaysClick;
    entry.method = kCloseWindow;
    RefillList(g_program->page);
    SelectLastEntry(g_program->page);
    SaveListFile();
}
