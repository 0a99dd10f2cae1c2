// Runs the real program, boxsweep.exe, for the Win32 tests: starts it in a test's own working
// folder, finds its main window and configuration page, drives them the way clicks, keys and the
// tray icon would, and ends every process a test started, also when the test fails.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "fixture_process.h"
#include "resources/shared_names.h"

// The program and the language modules where the build leaves them (two folders above the tests).
std::string ProgramPath();
std::string DutchModulePath();
std::string EnglishModulePath();
// The same two files of the other architecture's build (an x86 one for the x64 tests).
std::string OtherArchProgramPath();
std::string OtherArchDutchModulePath();
// A command line that runs the program: its quoted path, then one space and the argument.
std::string ProgramCommand(const std::string& argument, const std::string& program = ProgramPath());

// A command line that runs the fixture program with a title, a report file and more options.
std::string FixtureCommand(const std::string& title, const std::string& report,
                           const std::vector<std::string>& options = {});

// A module of either architecture mapped as data, as the program maps a language module: the
// image-resource flag where the system takes it, the plain data-file flag where it does not.
HMODULE LoadModuleAsData(const std::string& path);

// Whole files as bytes; an empty string for a file that cannot be read.
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);

// The list file as the program writes it when none exists (and as it stops, before the
// placement line, after every save).
extern const char kDefaultListFile[];
// Splits a list file at CR LF; the last piece is what follows the last CR LF.
std::vector<std::string> SplitCrLf(const std::string& bytes);
// True for a placement line: five signed decimal numbers separated by commas.
bool IsPlacementLine(const std::string& line);

std::vector<std::string> ListBoxItems(HWND listBox);
int ListBoxSelection(HWND listBox);
std::vector<std::string> ComboItems(HWND comboBox);
std::string ComboSelection(HWND comboBox);
// A control's rectangle in the client coordinates of the window that holds it.
RECT RectIn(HWND control, HWND parent);
// The titles of the visible top-level windows with a title other than "Program Manager", in
// the order the window system enumerates them: what the tray popup offers.
std::vector<std::string> OfferedWindowTitles();
// The processes that own a main window of the program (class "boxsweep") on this desktop.
std::vector<DWORD> RunningInstances();

// While one exists, every process a test starts joins it, and so do the processes those start
// themselves (the program's restart). Destroying it ends them all and takes their tray icons.
class ProcessJob {
public:
    ProcessJob();
    ~ProcessJob();
    ProcessJob(const ProcessJob&) = delete;
    ProcessJob& operator=(const ProcessJob&) = delete;

    static HANDLE Current();
    // The processes of the job that still run.
    std::vector<DWORD> ProcessIds() const;

private:
    HANDLE job_ = nullptr;
};

// A process of the tests (the program or a fixture) that ends with its owner.
class ChildProcess {
public:
    ChildProcess(const std::string& folder, const std::string& commandLine);
    explicit ChildProcess(DWORD processId);  // takes over one that runs already
    virtual ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    // The exit status once the process has ended within the time, nothing while it runs.
    std::optional<DWORD> ExitStatus(DWORD timeoutMs) const;
    void Terminate();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

class ProgramProcess : public ChildProcess {
public:
    using ChildProcess::ChildProcess;
    ~ProgramProcess() override;

    // The main window and its configuration page, waited for on first use until the window
    // has come up (nullptr when it does not within the time). Call it early: 800 ms after
    // start-up the window hides again.
    HWND MainWindow(DWORD timeoutMs = 10000);
    HWND Page(DWORD timeoutMs = 10000);
    HWND Control(int id);
    bool MainVisible();
    bool WaitVisible(bool visible, DWORD timeoutMs = 5000);
    // Start-up ends with the main window hidden (watching), 800 ms after it comes up.
    bool WaitWatching(DWORD timeoutMs = 5000);

    // A click on a page control as it arrives: WM_COMMAND with the control's handle, sent and
    // answered before the call returns (false when the program did not answer in time).
    bool Command(int id, WORD notification = BN_CLICKED);
    // The same, posted: for commands that end the program or open a modal loop.
    void PostCommand(int id, WORD notification = BN_CLICKED);
    // A command to the main window itself, sent.
    bool MainCommand(WPARAM wParam);
    // The tray icon's callback to the page with a mouse message, posted as the shell does.
    void PostTray(UINT mouseMessage);
    // Whether the page has its tray icon (id 1234) in the notification area.
    bool HasTrayIcon();
    // The visible popup menu windows ("#32768") of the process, top-level first.
    std::vector<HWND> MenuWindows();
    HWND WaitForMenu(size_t depth = 1, DWORD timeoutMs = 5000);
    bool WaitMenuClosed(DWORD timeoutMs = 5000);
    // Types the interval or sets a check box as the user would before a command collects them.
    bool SetControlText(int id, const std::string& text);
    std::string ControlText(int id);
    bool Checked(int id);

private:
    HWND main_ = nullptr;
    HWND page_ = nullptr;
};

// Posts key presses to a window of another process (a popup menu takes its keys that way).
void PostKeys(HWND window, std::initializer_list<WORD> keys);
void PostKey(HWND window, WORD key, int times = 1);

// A test that runs the program: its own working folder, and a job that ends everything it
// started. No other instance may run, since the instances share one DDE service name.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    std::string ListFile() const { return temp.File("BOXSWEEP.LST"); }
    void WriteList(const std::string& bytes) { ASSERT_TRUE(WriteBytes(ListFile(), bytes)); }
    std::string List() const { return ReadBytes(ListFile()); }
    // The program saves on a thread of its own: a command that saves returns before the file is
    // written. The list file's write time before such a command, and the list file once a save
    // after it has landed (as it is after 5 s when none does).
    FILETIME ListWritten() const;
    std::string ListSavedSince(FILETIME before) const;
    // A page command that saves, and the list file it leaves.
    std::string ListSavedBy(ProgramProcess& app, int id, WORD notification = BN_CLICKED) const;
    void CopyDutchModule() { ASSERT_TRUE(CopyFileA(DutchModulePath().c_str(), temp.File("dutch.dll").c_str(), FALSE)); }

    TempFolder temp;
    ProcessJob job;
};
