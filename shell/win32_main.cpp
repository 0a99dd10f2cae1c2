// Start-up and shut-down of the program.
#include <windows.h>

#include <commctrl.h>

#include "dialogs/win32_editing_dialogs.h"
#include "resources/resource_ids.h"
#include "shell/command_line.h"
#include "shell/win32_app.h"
#include "shell/win32_single_instance.h"

namespace {

// How long the end of the program waits for replies still outstanding, and then for the disk
// writer to write the list and the log's last lines.
constexpr DWORD kSettleAtExitMs = 1000;
constexpr DWORD kWriterAtExitMs = 2000;
#ifdef BOXSWEEP_TIMER_ONLY
// The benchmarks' build that measures the timer alone.
constexpr bool kEarlyScans = false;
#else
constexpr bool kEarlyScans = true;
#endif

// System DLLs come from the system folder only, so that a DLL dropped into the working folder
// cannot stand in for one. Looked up at run time: systems before Windows 8 (without the update
// that added it) and some Wine versions lack the function.
void RestrictDllSearchToSystemFolder()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return;
    auto setDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories != nullptr)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool RegisterMainWindowClass()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = g_program->instance;
    windowClass.hIcon = LoadIconA(g_program->instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = BOXSWEEP_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0;
}

// Where the rules are when the list file cannot hold them, said at start-up without holding it:
// the main window, the tray icon and the watching come up while the box is open. A program
// started at log-on would otherwise answer nothing until somebody pressed OK.
void ReportListAtStart(LoadOutcome loaded)
{
    Program& program = *g_program;
    const ListFileState& state = program.listFileState;
    if (loaded == LoadOutcome::Unreadable) {
        // The warning names the first fallback file; a save that lands in another one says so.
        program.toldFallbackName = kUnsavedFileName;
        ShowNotice(state.notAList ? IDS_LIST_NOT_A_LIST : IDS_LIST_UNREADABLE);
    } else if (loaded == LoadOutcome::FromFallback) {
        program.toldFallbackName = state.fallbackName;
        ShowNotice(state.notAList ? IDS_LIST_NOT_A_LIST_FROM_FALLBACK : IDS_LIST_FROM_FALLBACK,
                   state.fallbackName.c_str());
    } else if (!state.newerFallbackName.empty()) {
        ShowNotice(IDS_FALLBACK_NEWER, state.newerFallbackName.c_str());
    } else if (loaded == LoadOutcome::OptionsDamaged) {
        ShowNotice(IDS_LIST_OPTIONS_DAMAGED, kBackupFileName);
    }
}

// The replies still outstanding are taken in first: their counts belong in the list saved last.
// Returns false when the disk writer has not finished in time.
bool ShutDown()
{
    KillTimer(g_program->page, kScanTimer);
    CloseLogWindow();
    StopWatchService(kSettleAtExitMs);
    CloseHelpWindows();
    SaveListFileAtEnd();
    RemoveTrayIcon(g_program->page);
    DestroyPopupMenu();
    const bool written = g_program->writer->Finish(kWriterAtExitMs);
    // A notice the writer may still show reads the language module: it stays when time ran out.
    if (written)
        ReleaseLanguageModule();
    return written;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    Program program{};
    g_program = &program;
    program.instance = instance;
    RestrictDllSearchToSystemFolder();
    const StartOption option = ParseStartOption(ExtractArgument(GetCommandLineA()));
    RegisterMainWindowClass();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    program.hideAtStart = true;
    if (option != StartOption::NoDde && !NegotiateSingleInstance(option))
        return 0;
    program.trayEnabled = option != StartOption::NoTray;
    program.storage = ChooseStoragePaths();
    // A user whose list is still to be taken over from the working folder is no new user.
    if (option == StartOption::Setup && !program.storage.listMoves)
        RunSetupDialog(program.settings);

    const LoadOutcome loaded =
        LoadList(program.storage.listRead.c_str(), program.list, program.settings, program.listFileState);
    // A first start speaks the display language, and the new list file names it from the start.
    if (loaded == LoadOutcome::Created && ChooseDisplayLanguage(program.settings.language))
        FinishNewListFile(program.storage.list.c_str(), false, program.settings);
    program.writer = std::make_unique<DiskWriter>();
    StartWatchService(program.list, &ProgramObserver(), kEarlyScans);
    LoadLanguageModule(program.settings.language);
    ReportListAtStart(loaded);
    // After the language module, which says what is wrong with the managed list. Nothing is
    // looked at before the main window's loop runs.
    ReadManagedRules();

    const INT_PTR result =
        DialogBoxParamA(program.instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainWindowProc, 0);
    // A writer still waiting for a held file ends with the process, before anything it reads is
    // taken down.
    if (!ShutDown())
        ExitProcess(static_cast<UINT>(result));
    return static_cast<int>(result);
}
