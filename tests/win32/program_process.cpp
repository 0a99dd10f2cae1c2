#include "program_process.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

constexpr UINT kTrayCallback = BOXSWEEP_TRAY_CALLBACK;
constexpr UINT kTrayIconId = BOXSWEEP_TRAY_ICON_ID;
constexpr DWORD kAnswerTimeoutMs = 15000;

HANDLE g_currentJob = nullptr;

bool HasClass(HWND window, const char* name)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, name) == 0;
}

DWORD OwnerOf(HWND window)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

struct WindowSearch {
    const char* className;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    if (HasClass(window, search->className) && (search->processId == 0 || OwnerOf(window) == search->processId))
        search->found.push_back(window);
    return TRUE;
}

// Top-level windows of one class, of one process unless it is 0, in enumeration order.
std::vector<HWND> TopLevelWindows(const char* className, DWORD processId)
{
    WindowSearch search{className, processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectOfferedTitle(HWND window, LPARAM context)
{
    if (!IsWindowVisible(window))
        return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    if (title[0] != '\0' && std::strcmp(title, "Program Manager") != 0)
        reinterpret_cast<std::vector<std::string>*>(context)->push_back(title);
    return TRUE;
}

// Takes the tray icon of a page whose process was ended without its own clean-up.
void DropTrayIcon(HWND page)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = page;
    data.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
}

std::vector<HWND> PagesOf(DWORD processId)
{
    std::vector<HWND> pages;
    for (HWND main : TopLevelWindows(BOXSWEEP_WINDOW_CLASS, processId)) {
        if (HWND page = FindWindowExA(main, nullptr, "#32770", nullptr))
            pages.push_back(page);
    }
    return pages;
}

}  // namespace

const char kDefaultListFile[] = "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n";

std::string ProgramPath()
{
    return TestBinaryFolder() + "..\\..\\boxsweep.exe";
}

std::string DutchModulePath()
{
    return TestBinaryFolder() + "..\\..\\dutch.dll";
}

std::string EnglishModulePath()
{
    return TestBinaryFolder() + "..\\..\\english.dll";
}

static std::string OtherArchFile(const char* name)
{
    std::string path = std::string(OTHER_ARCH_TREE) + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string OtherArchProgramPath()
{
    return OtherArchFile("boxsweep.exe");
}

std::string OtherArchDutchModulePath()
{
    return OtherArchFile("dutch.dll");
}

std::string ProgramCommand(const std::string& argument, const std::string& program)
{
    std::string commandLine = QuoteArgument(program);
    if (!argument.empty())
        commandLine += " " + argument;
    return commandLine;
}

std::string FixtureCommand(const std::string& title, const std::string& report,
                           const std::vector<std::string>& options)
{
    std::string commandLine = QuoteArgument(TestBinaryFolder() + "fixture.exe");
    commandLine += " --title ";
    commandLine += QuoteArgument(title);
    commandLine += " --report ";
    commandLine += QuoteArgument(report);
    for (const std::string& option : options) {
        commandLine += ' ';
        commandLine += QuoteArgument(option);
    }
    return commandLine;
}

HMODULE LoadModuleAsData(const std::string& path)
{
    HMODULE module =
        LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const DWORD error = module == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_BAD_EXE_FORMAT)
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file);
}

std::vector<std::string> SplitCrLf(const std::string& bytes)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            pieces.push_back(bytes.substr(start));
            return pieces;
        }
        pieces.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
}

bool IsPlacementLine(const std::string& line)
{
    static const std::regex placement("-?[0-9]+,-?[0-9]+,-?[0-9]+,-?[0-9]+,-?[0-9]+");
    return std::regex_match(line, placement);
}

std::vector<std::string> ListBoxItems(HWND listBox)
{
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        items.push_back(ItemText(listBox, LB_GETTEXTLEN, LB_GETTEXT, i));
    return items;
}

int ListBoxSelection(HWND listBox)
{
    return static_cast<int>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
}

std::vector<std::string> ComboItems(HWND comboBox)
{
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(comboBox, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        items.push_back(ItemText(comboBox, CB_GETLBTEXTLEN, CB_GETLBTEXT, i));
    return items;
}

std::string ComboSelection(HWND comboBox)
{
    const LRESULT selected = SendMessageA(comboBox, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return "(none)";
    return ComboItems(comboBox).at(static_cast<size_t>(selected));
}

RECT RectIn(HWND control, HWND parent)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<std::string> OfferedWindowTitles()
{
    std::vector<std::string> titles;
    EnumWindows(CollectOfferedTitle, reinterpret_cast<LPARAM>(&titles));
    return titles;
}

std::vector<DWORD> RunningInstances()
{
    std::vector<DWORD> owners;
    for (HWND main : TopLevelWindows(BOXSWEEP_WINDOW_CLASS, 0)) {
        DWORD owner = OwnerOf(main);
        if (std::find(owners.begin(), owners.end(), owner) == owners.end())
            owners.push_back(owner);
    }
    return owners;
}

// ---- ProcessJob ------------------------------------------------------------------------------

ProcessJob::ProcessJob()
{
    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    g_currentJob = job_;
}

ProcessJob::~ProcessJob()
{
    if (g_currentJob == job_)
        g_currentJob = nullptr;
    if (job_ == nullptr)
        return;
    std::vector<HANDLE> processes;
    std::vector<HWND> pages;
    for (DWORD id : ProcessIds()) {
        if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id))
            processes.push_back(process);
        for (HWND page : PagesOf(id))
            pages.push_back(page);
    }
    TerminateJobObject(job_, 99);
    for (HANDLE process : processes) {
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    for (HWND page : pages)
        DropTrayIcon(page);
    CloseHandle(job_);
}

HANDLE ProcessJob::Current()
{
    return g_currentJob;
}

std::vector<DWORD> ProcessJob::ProcessIds() const
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[63];
    } ids{};
    std::vector<DWORD> result;
    if (!QueryInformationJobObject(job_, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr))
        return result;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
        DWORD id = static_cast<DWORD>(ids.list.ProcessIdList[i]);
        // The list can still name a process that has just ended.
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
        if (process == nullptr)
            continue;
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            result.push_back(id);
        CloseHandle(process);
    }
    return result;
}

// ---- ChildProcess ----------------------------------------------------------------------------

ChildProcess::ChildProcess(const std::string& folder, const std::string& commandLine)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    // Wine now and then refuses a start with ERROR_INTERNAL_ERROR while another process of the
    // desktop is being torn down; a moment later the same start works.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                 folder.empty() ? nullptr : folder.c_str(), &startup, &info) != FALSE;
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
        if (!started)
            Sleep(200);
    }
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine << " (error " << GetLastError() << ")";
        return;
    }
    if (HANDLE job = ProcessJob::Current())
        AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
}

ChildProcess::ChildProcess(DWORD processId)
    : process_(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId)),
      id_(processId)
{
}

ChildProcess::~ChildProcess()
{
    if (process_ == nullptr)
        return;
    Terminate();
    CloseHandle(process_);
}

std::optional<DWORD> ChildProcess::ExitStatus(DWORD timeoutMs) const
{
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD status = 0;
    GetExitCodeProcess(process_, &status);
    return status;
}

void ChildProcess::Terminate()
{
    if (process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

// ---- ProgramProcess --------------------------------------------------------------------------

ProgramProcess::~ProgramProcess()
{
    if (ExitStatus(0))
        return;
    HWND page = page_;
    Terminate();
    if (page != nullptr)
        DropTrayIcon(page);
}

HWND ProgramProcess::MainWindow(DWORD timeoutMs)
{
    // The dialog loop shows the window once its initialisation (the page's included) is over;
    // only then are the controls filled.
    if (main_ == nullptr && Started()) {
        WaitUntil(
            [&] {
                std::vector<HWND> mains = TopLevelWindows(BOXSWEEP_WINDOW_CLASS, Id());
                if (mains.empty() || !IsWindowVisible(mains.front()))
                    return false;
                HWND page = FindWindowExA(mains.front(), nullptr, "#32770", nullptr);
                if (page == nullptr)
                    return false;
                main_ = mains.front();
                page_ = page;
                return true;
            },
            timeoutMs);
    }
    return main_;
}

HWND ProgramProcess::Page(DWORD timeoutMs)
{
    MainWindow(timeoutMs);
    return page_;
}

HWND ProgramProcess::Control(int id)
{
    HWND page = Page();
    return page == nullptr ? nullptr : GetDlgItem(page, id);
}

bool ProgramProcess::MainVisible()
{
    HWND main = MainWindow();
    return main != nullptr && IsWindowVisible(main);
}

bool ProgramProcess::WaitVisible(bool visible, DWORD timeoutMs)
{
    return MainWindow() != nullptr && WaitUntil([&] { return MainVisible() == visible; }, timeoutMs);
}

bool ProgramProcess::WaitWatching(DWORD timeoutMs)
{
    return WaitVisible(false, timeoutMs);
}

bool ProgramProcess::Command(int id, WORD notification)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(Page(), WM_COMMAND, MAKEWPARAM(id, notification),
                               reinterpret_cast<LPARAM>(Control(id)), SMTO_NORMAL, kAnswerTimeoutMs, &result)
           != 0;
}

void ProgramProcess::PostCommand(int id, WORD notification)
{
    PostMessageA(Page(), WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(Control(id)));
}

bool ProgramProcess::MainCommand(WPARAM wParam)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(MainWindow(), WM_COMMAND, wParam, 0, SMTO_NORMAL, kAnswerTimeoutMs, &result) != 0;
}

void ProgramProcess::PostTray(UINT mouseMessage)
{
    PostMessageA(Page(), kTrayCallback, kTrayIconId, mouseMessage);
}

bool ProgramProcess::HasTrayIcon()
{
    // Modifying nothing succeeds exactly when the icon is there.
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = Page();
    data.uID = kTrayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

std::vector<HWND> ProgramProcess::MenuWindows()
{
    std::vector<HWND> visible;
    for (HWND menu : TopLevelWindows("#32768", Id())) {
        if (IsWindowVisible(menu))
            visible.push_back(menu);
    }
    return visible;
}

HWND ProgramProcess::WaitForMenu(size_t depth, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> menus = MenuWindows();
            if (menus.size() < depth)
                return false;
            found = menus.front();
            return true;
        },
        timeoutMs);
    return found;
}

bool ProgramProcess::WaitMenuClosed(DWORD timeoutMs)
{
    return WaitUntil([&] { return MenuWindows().empty(); }, timeoutMs);
}

bool ProgramProcess::SetControlText(int id, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               kAnswerTimeoutMs, &result)
           != 0;
}

std::string ProgramProcess::ControlText(int id)
{
    return WindowText(Control(id));
}

bool ProgramProcess::Checked(int id)
{
    return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PostKeys(HWND window, std::initializer_list<WORD> keys)
{
    for (WORD key : keys)
        PostMessageA(window, WM_KEYDOWN, key, 1);
}

void PostKey(HWND window, WORD key, int times)
{
    for (int i = 0; i < times; ++i)
        PostMessageA(window, WM_KEYDOWN, key, 1);
}

FILETIME ProgramTest::ListWritten() const
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(ListFile().c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Wine replaces a file in two steps: for a moment there is none, and no write time to read.
std::string ProgramTest::ListSavedSince(FILETIME before) const
{
    std::string saved;
    WaitUntil([&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(ListFile().c_str(), GetFileExInfoStandard, &data)
            || CompareFileTime(&before, &data.ftLastWriteTime) == 0)
            return false;
        saved = List();
        return !saved.empty();
    }, 5000);
    return saved.empty() ? List() : saved;
}

std::string ProgramTest::ListSavedBy(ProgramProcess& app, int id, WORD notification) const
{
    const FILETIME before = ListWritten();
    EXPECT_TRUE(app.Command(id, notification));
    return ListSavedSince(before);
}

void ProgramTest::SetUp()
{
    ASSERT_FALSE(temp.Path().empty());
    // A program left from elsewhere would answer this test's starts over DDE.
    ASSERT_TRUE(WaitUntil([] { return RunningInstances().empty(); }, 5000))
        << "another BoxSweep instance runs on this desktop";
}
