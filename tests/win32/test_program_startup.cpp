// Start-up, the command line, the single instance and the ways the program ends, against the
// real boxsweep.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <random>
#include <string>

#include "program_process.h"
#include "resources/resource_ids.h"

namespace {

// Two rules, the second with an empty message pattern, and settings that differ from the
// defaults everywhere, placement included.
const char kTwoRules[] =
    "1.63\r\n"
    "Speichern?\r\n&Ja\r\n*nicht gespeichert*\r\n2\r\n3\r\n17\r\n"
    "Werbung*\r\n\r\n\r\n1\r\n2\r\n4\r\n"
    "end of list\r\n0\r\n2500\r\nboxsweep.exe\r\n7\r\n100,120,500,600,1";

// Selects an entry as a click in the list box would, then presses "Entfernen".
void RemoveEntry(ProgramProcess& app, int index)
{
    SendMessageA(app.Control(IDC_ENTRIES), LB_SETCURSEL, index, 0);
    ASSERT_TRUE(app.Command(IDC_ENTRIES, LBN_SELCHANGE));
    ASSERT_TRUE(app.Command(IDC_REMOVE));
}

class StartupTest : public ProgramTest {};

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<BoxSearch*>(context);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || std::string(className) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible top-level dialog of the process (a message box), or nullptr.
HWND MessageBoxOf(DWORD processId)
{
    BoxSearch search{processId, nullptr};
    EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The longest text among a window's static controls: a message box's message.
std::string MessageText(HWND box)
{
    std::string longest;
    for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child != nullptr;
         child = FindWindowExA(box, child, "Static", nullptr)) {
        std::string text = WindowText(child);
        if (text.size() > longest.size())
            longest = text;
    }
    return longest;
}

std::string ProgramString(UINT id)
{
    HMODULE program = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[1024] = "";
    LoadStringA(program, id, text, sizeof text);
    FreeLibrary(program);
    return text;
}

TEST_F(StartupTest, WithoutListFileWritesTheDefaultsAndGoesToWatching)
{
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    HWND main = app.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(List(), kDefaultListFile);
    EXPECT_EQ(WindowText(main), "BoxSweep Fensterliste");
    EXPECT_TRUE(app.Checked(IDC_ACTIVE));
    EXPECT_EQ(app.ControlText(IDC_INTERVAL), "1000");
    EXPECT_TRUE(ListBoxItems(app.Control(IDC_ENTRIES)).empty());
    // Shown by the dialog loop, hidden by the start-up timer.
    ASSERT_TRUE(app.WaitWatching());
    EXPECT_TRUE(app.HasTrayIcon());
    EXPECT_FALSE(app.ExitStatus(0).has_value());
}

// A first start takes the module of the display language where it is there, and the new list
// file names it. Wine takes the display language from LC_ALL, which ctest sets: English for this
// test among the others, German for a second run of it alone (tests/win32/CMakeLists.txt).
TEST_F(StartupTest, FirstStartSpeaksTheDisplayLanguage)
{
    const std::string locale = std::getenv("LC_ALL") != nullptr ? std::getenv("LC_ALL") : "";
    struct Case {
        const char* language;  // the start of LC_ALL
        const char* module;
        const char* caption;
    } cases[] = {
        {"en", "english.dll", "BoxSweep Window List"},
        {"de", "boxsweep.exe", "BoxSweep Fensterliste"},
    };
    const Case* expected = nullptr;
    for (const Case& c : cases) {
        if (locale.rfind(c.language, 0) == 0)
            expected = &c;
    }
    if (expected == nullptr)
        GTEST_SKIP() << "LC_ALL is '" << locale << "', neither English nor German";
    CopyDutchModule();
    ASSERT_TRUE(CopyFileA(EnglishModulePath().c_str(), temp.File("english.dll").c_str(), FALSE));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_EQ(WindowText(app.MainWindow()), expected->caption);
    EXPECT_EQ(List(), std::string("1.63\r\nend of list\r\n1\r\n1000\r\n") + expected->module + "\r\n3\r\n");
}

TEST_F(StartupTest, ListFileIsReadAndWrittenBackUnchanged)
{
    WriteList(kTwoRules);
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_NE(app.Page(), nullptr);
    EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), (std::vector<std::string>{"Speichern?", "Werbung*"}));
    EXPECT_FALSE(app.Checked(IDC_ACTIVE));
    EXPECT_EQ(app.ControlText(IDC_INTERVAL), "2500");
    ASSERT_TRUE(app.WaitWatching());
    RECT placed{};
    GetWindowRect(app.MainWindow(), &placed);
    EXPECT_EQ(placed.left, 100);
    EXPECT_EQ(placed.top, 120);
    EXPECT_EQ(placed.right, 500);
    EXPECT_EQ(placed.bottom, 600);

    app.PostCommand(IDC_EXIT);
    EXPECT_EQ(app.ExitStatus(10000), 0u);
    EXPECT_EQ(List(), kTwoRules);
}

TEST_F(StartupTest, OldFormatIsConvertedAndUnknownVersionReadsNothing)
{
    WriteList("Fehler;OK\r\nWarnung;;Ja\r\nend of list\r\n1\r\n500\r\nboxsweep.exe\r\n");
    {
        ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
        ASSERT_NE(app.Page(), nullptr);
        EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), (std::vector<std::string>{"Fehler", "Warnung"}));
        EXPECT_TRUE(app.Checked(IDC_ACTIVE));
        EXPECT_EQ(app.ControlText(IDC_INTERVAL), "500");
        app.PostCommand(IDC_EXIT);
        ASSERT_EQ(app.ExitStatus(10000), 0u);
    }
    std::vector<std::string> lines = SplitCrLf(List());
    ASSERT_EQ(lines.size(), 19u) << List();
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end() - 1),
              (std::vector<std::string>{"1.63", "Fehler", "OK", "", "1", "3", "0", "Warnung", "Ja", "", "1", "3",
                                        "0", "end of list", "1", "500", "boxsweep.exe", "3"}));
    EXPECT_TRUE(IsPlacementLine(lines.back())) << lines.back();

    // A version the reader does not know: no entries, and the settings stay as they were
    // before reading (inactive, interval 0, no language module).
    WriteList("1.20\r\nFehler\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n500\r\nboxsweep.exe\r\n3\r\n");
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_NE(app.Page(), nullptr);
    EXPECT_TRUE(ListBoxItems(app.Control(IDC_ENTRIES)).empty());
    EXPECT_FALSE(app.Checked(IDC_ACTIVE));
    EXPECT_EQ(app.ControlText(IDC_INTERVAL), "0");
    EXPECT_EQ(WindowText(app.MainWindow()), "BoxSweep Fensterliste");
}

// A notice as the program fills it in: each %s the file's name.
std::string Filled(std::string text, const std::string& name)
{
    for (size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + name.size()))
        text.replace(at, 2, name);
    return text;
}

// Another program holds the list file open without sharing: the program says so without waiting
// for an answer, runs on the defaults, and saves the session beside the file instead of over it.
// The next start, the file still held, goes on with that session; once the file can be read
// again, a start names the file that holds the newer rules.
TEST_F(StartupTest, ListFileHeldByAnotherProgramIsLeftAloneAndTheSessionSavedBeside)
{
    WriteList(kTwoRules);
    HANDLE held = CreateFileA(ListFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const struct {
        bool held;
        UINT notice;
        const char* shownInterval;
        const char* typedInterval;
    } rounds[] = {
        {true, IDS_LIST_UNREADABLE, "1000", "3000"},
        {true, IDS_LIST_FROM_FALLBACK, "3000", "4000"},
        {false, IDS_FALLBACK_NEWER, "2500", "2500"},
    };
    for (const auto& round : rounds) {
        SCOPED_TRACE(round.notice);
        if (!round.held && held != nullptr) {
            CloseHandle(held);
            held = nullptr;
            EXPECT_EQ(List(), kTwoRules) << "the held file was written";
        }
        ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Id())) != nullptr; }));
        // Nobody answers the box: the program comes up and goes to watching all the same.
        ASSERT_TRUE(app.WaitWatching());
        EXPECT_TRUE(app.HasTrayIcon());
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_EQ(MessageText(box), Filled(ProgramString(round.notice), "BOXSWEEP.UNSAVED"));
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(app.ControlText(IDC_INTERVAL), round.shownInterval);
        ASSERT_TRUE(app.SetControlText(IDC_INTERVAL, round.typedInterval));
        app.PostCommand(IDC_EXIT);
        EXPECT_EQ(app.ExitStatus(10000), 0u);
    }

    // The second session replaced the first one's file, which it had started from, and no other.
    const std::string session = "1.63\r\nend of list\r\n1\r\n4000\r\nboxsweep.exe\r\n3\r\n";
    const std::string unsaved = ReadBytes(temp.File("BOXSWEEP.UNSAVED"));
    ASSERT_EQ(unsaved.substr(0, session.size()), session) << unsaved;
    EXPECT_TRUE(IsPlacementLine(unsaved.substr(session.size()))) << unsaved;
    EXPECT_FALSE(FileExists(temp.File("BOXSWEEP.UNSAVED.1")));
}

// A save that meets the list file held by another program waits for it on the disk writer's
// thread: the page answers meanwhile, before the save has landed anywhere.
TEST_F(StartupTest, ThePageAnswersWhileASaveWaitsForAHeldListFile)
{
    WriteList(kTwoRules);
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
    ASSERT_TRUE(app.SetControlText(IDC_INTERVAL, "4321"));
    HANDLE held = CreateFileA(ListFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    app.PostCommand(IDOK);
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(app.Page(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result), 0);
    EXPECT_FALSE(FileExists(temp.File("BOXSWEEP.UNSAVED"))) << "the page answered only after the save";
    CloseHandle(held);
    EXPECT_TRUE(WaitUntil([&] {
        return List().find("\r\n4321\r\n") != std::string::npos
               || ReadBytes(temp.File("BOXSWEEP.UNSAVED")).find("\r\n4321\r\n") != std::string::npos;
    }));
}

// A file of random bytes is no list: the program loads no rule from it, says so without waiting
// for an answer, and keeps the session beside the file, which stays as it was.
TEST_F(StartupTest, ListFileOfRandomBytesLoadsNothingAndIsLeftAsItWas)
{
    std::mt19937 random(24);
    std::string junk(512, '\0');
    for (char& byte : junk)
        byte = static_cast<char>(random() & 0xFF);
    WriteList(junk);
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = MessageBoxOf(app.Id())) != nullptr; }));
    ASSERT_TRUE(app.WaitWatching());
    EXPECT_EQ(MessageText(box), ProgramString(IDS_LIST_NOT_A_LIST));
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(ListBoxItems(app.Control(IDC_ENTRIES)).empty());
    ASSERT_TRUE(app.SetControlText(IDC_INTERVAL, "3000"));
    app.PostCommand(IDC_EXIT);
    EXPECT_EQ(app.ExitStatus(10000), 0u);
    EXPECT_EQ(List(), junk);
    const std::string session = "1.63\r\nend of list\r\n1\r\n3000\r\nboxsweep.exe\r\n3\r\n";
    EXPECT_EQ(ReadBytes(temp.File("BOXSWEEP.UNSAVED")).substr(0, session.size()), session);
}

// A UTF-8 list keeps every character; one whose texts all fit the system's code page (Windows-1252
// under the tests' locale) is written back in it, as earlier versions wrote it, the original kept.
TEST_F(StartupTest, Utf8ListFileKeepsEveryCharacterAndIsWrittenInTheCodePageWhereItFits)
{
    const std::string tail = "&Ja\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n";
    const struct {
        std::string file;
        const char* shown;
        std::string saved;
        bool backedUp;
    } rounds[] = {
        {"\xEF\xBB\xBF" "1.63\r\nGrüß☃\r\n" + tail, "Grüß☃", "\xEF\xBB\xBF" "1.63\r\nGrüß☃\r\n&Ja\r\n", false},
        {"1.63\r\nGrüß\r\n" + tail, "Grüß", "1.63\r\nGr\xFC\xDF\r\n&Ja\r\n", true},
    };
    for (const auto& round : rounds) {
        SCOPED_TRACE(round.shown);
        DeleteFileA(temp.File("BOXSWEEP.BAK").c_str());
        WriteList(round.file);
        ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
        ASSERT_NE(app.Page(), nullptr);
        EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), std::vector<std::string>{round.shown});
        app.PostCommand(IDC_EXIT);
        EXPECT_EQ(app.ExitStatus(10000), 0u);
        EXPECT_EQ(List().substr(0, round.saved.size()), round.saved);
        EXPECT_EQ(ReadBytes(temp.File("BOXSWEEP.BAK")), round.backedUp ? round.file : "");
    }
}

// Each way of ending, with an entry removed in memory only beforehand: the status tells the
// way, and the shut-down saves what is in memory.
TEST_F(StartupTest, EveryWayOfEndingGivesItsStatusAndSaves)
{
    const std::string twoRules = "1.63\r\nErste\r\nOK\r\n\r\n1\r\n3\r\n0\r\nZweite\r\nOK\r\n\r\n1\r\n3\r\n0\r\n"
                                 "end of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n";
    const std::string secondOnly = "1.63\r\nZweite\r\nOK\r\n\r\n1\r\n3\r\n0\r\n"
                                   "end of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n";
    enum class Way { ExitButton, TrayExit, ExitRequest, StrayCommand, SessionEnd };
    struct Case {
        Way way;
        const char* name;
        DWORD status;
    } cases[] = {
        {Way::ExitButton, "Beenden button", 0},
        {Way::TrayExit, "popup command Beenden", 0},
        {Way::ExitRequest, "second start with /exit", 0},
        {Way::StrayCommand, "command 1234 to the main window", 1},
        {Way::SessionEnd, "session end", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteList(twoRules);
        // The exit request travels over DDE; the others need no negotiation.
        ProgramProcess app(temp.Path(), ProgramCommand(c.way == Way::ExitRequest ? "" : "/nodde"));
        ASSERT_TRUE(app.WaitWatching());
        RemoveEntry(app, 0);
        ASSERT_EQ(List(), twoRules) << "removing does not save";
        // At log-off a backup tool or a sync client may hold the list file: the session goes
        // beside it.
        HANDLE held = c.way == Way::SessionEnd
                          ? CreateFileA(ListFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                          : INVALID_HANDLE_VALUE;

        switch (c.way) {
        case Way::ExitButton:
            app.PostCommand(IDC_EXIT);
            break;
        case Way::TrayExit:
            app.PostCommand(IDM_EXIT, 0);
            break;
        case Way::ExitRequest: {
            TempFolder other;
            ProgramProcess request(other.Path(), ProgramCommand("/exit"));
            EXPECT_EQ(request.ExitStatus(10000), 0u);
            EXPECT_FALSE(FileExists(other.File("BOXSWEEP.LST"))) << "the asking start reads no list";
            break;
        }
        case Way::StrayCommand:
            ASSERT_TRUE(app.MainCommand(MAKEWPARAM(1234, BN_CLICKED)));
            break;
        case Way::SessionEnd: {
            DWORD_PTR answer = 0;
            ASSERT_TRUE(SendMessageTimeoutA(app.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &answer));
            EXPECT_NE(answer, 0u) << "the session end is not refused";
            break;
        }
        }
        EXPECT_EQ(app.ExitStatus(10000), c.status);
        EXPECT_FALSE(app.HasTrayIcon()) << "the icon stays after the end";
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        std::string saved = held != INVALID_HANDLE_VALUE ? ReadBytes(temp.File("BOXSWEEP.UNSAVED")) : List();
        ASSERT_EQ(saved.substr(0, secondOnly.size()), secondOnly);
        EXPECT_TRUE(IsPlacementLine(saved.substr(secondOnly.size()))) << saved;
    }
}

// BoxSweep's folder in one of the user's folders (CSIDL_APPDATA, CSIDL_LOCAL_APPDATA), with a
// closing backslash; removed before and after a test, which shares it with the whole prefix.
class UserFolder {
public:
    explicit UserFolder(int which)
    {
        char base[MAX_PATH] = "";
        SHGetFolderPathA(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, base);
        path_ = std::string(base) + "\\BoxSweep\\";
        RemoveTree(path_);
    }
    ~UserFolder() { RemoveTree(path_); }
    std::string File(const char* name) const { return path_ + name; }

private:
    std::string path_;
};

// The program beside the marker of the package for all users: the working folder (its own, which
// Wine lets every user write, as Windows does for an elevated start) gets nothing. The list goes
// to %APPDATA%\BoxSweep, taking over the working folder's list while that holds none, and the log
// to %LOCALAPPDATA%\BoxSweep; the about box names the folder.
TEST_F(StartupTest, BesideTheAllUsersMarkerTheFilesGoToTheUsersFolders)
{
    const std::string program = temp.File("boxsweep.exe");
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(temp.File(BOXSWEEP_ALL_USERS_MARKER), "all users"));
    const UserFolder roaming(CSIDL_APPDATA);
    const UserFolder local(CSIDL_LOCAL_APPDATA);
    const std::string rule = "1.63\r\nMarker check\r\nOK\r\n\r\n1\r\n3\r\n";
    const std::string old = rule + "0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n";
    WriteList(old);
    for (const char* start : {"taking over the working folder's list", "from the user's own list"}) {
        SCOPED_TRACE(start);
        FixtureProcess box("Marker check", {"--button", "OK"}, temp.File(std::string(start) + ".txt"));
        ProgramProcess app(temp.Path(), ProgramCommand("/nodde", program));
        ASSERT_TRUE(app.WaitWatching());
        EXPECT_TRUE(box.WaitForEvent("command OK"));
        app.PostCommand(IDM_INFO, 0);
        HWND about = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (about = MessageBoxOf(app.Id())) != nullptr; }));
        EXPECT_EQ(WindowText(GetDlgItem(about, IDC_ABOUT_FOLDER)) + "\\", roaming.File(""));
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        app.PostCommand(IDC_EXIT);
        EXPECT_EQ(app.ExitStatus(10000), 0u);
    }
    EXPECT_EQ(List(), old) << "the working folder's list is never written";
    EXPECT_EQ(ReadBytes(roaming.File("BOXSWEEP.LST")).substr(0, rule.size() + 3), rule + "2\r\n");
    EXPECT_NE(ReadBytes(local.File("BOXSWEEP.LOG")).find("Marker check"), std::string::npos);
    EXPECT_FALSE(FileExists(temp.File("BOXSWEEP.LOG")));
}

TEST_F(StartupTest, StartsThatEndEarly)
{
    // Nobody to ask: "/exit" ends at once without reading or writing a list.
    {
        ProgramProcess request(temp.Path(), ProgramCommand("/exit"));
        EXPECT_EQ(request.ExitStatus(10000), 0u);
        EXPECT_FALSE(FileExists(ListFile()));
    }

    ProgramProcess running(temp.Path(), ProgramCommand(""));
    ASSERT_TRUE(running.WaitWatching());
    TempFolder other;
    ProgramProcess second(other.Path(), ProgramCommand(""));
    EXPECT_EQ(second.ExitStatus(10000), 0u);
    EXPECT_FALSE(FileExists(other.File("BOXSWEEP.LST")));
    EXPECT_TRUE(running.WaitVisible(true)) << "the running instance opens its configuration";
    EXPECT_FALSE(running.ExitStatus(0).has_value());
}

TEST_F(StartupTest, RestartEndsTheRunningInstanceAndStaysOpen)
{
    WriteList("1.63\r\nWerbung*\r\n\r\n\r\n1\r\n2\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n"
              "150,100,550,560,1");
    ProgramProcess old(temp.Path(), ProgramCommand(""));
    ASSERT_TRUE(old.WaitWatching());

    ProgramProcess restarted(temp.Path(), ProgramCommand("/restart"));
    EXPECT_EQ(old.ExitStatus(10000), 0u);
    HWND main = restarted.MainWindow();
    ASSERT_NE(main, nullptr);
    // The start-up timer restores the placement saved by the old instance; the window must
    // still be open once the timer's handling is over (the sent message waits for it).
    ASSERT_TRUE(WaitUntil([&] {
        RECT rect{};
        GetWindowRect(main, &rect);
        return rect.left == 150 && rect.top == 100 && rect.right == 550 && rect.bottom == 560;
    }));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(ListBoxItems(restarted.Control(IDC_ENTRIES)), std::vector<std::string>{"Werbung*"});

    // The new instance took over the service name: a plain start reaches it.
    TempFolder other;
    ProgramProcess third(other.Path(), ProgramCommand(""));
    EXPECT_EQ(third.ExitStatus(10000), 0u);
}

TEST_F(StartupTest, NoDdeNeitherAsksNorAnswers)
{
    TempFolder second;
    TempFolder third;
    ProgramProcess quiet(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(quiet.WaitWatching());
    // A plain start finds nobody (its negotiation is over once its window exists) and runs.
    ProgramProcess plain(second.Path(), ProgramCommand(""));
    ASSERT_NE(plain.MainWindow(), nullptr);
    EXPECT_FALSE(plain.ExitStatus(0).has_value());
    EXPECT_FALSE(quiet.MainVisible()) << "the /nodde instance was reached";

    ASSERT_TRUE(plain.WaitWatching());
    ProgramProcess another(third.Path(), ProgramCommand("/nodde"));
    ASSERT_NE(another.MainWindow(), nullptr);
    EXPECT_FALSE(another.ExitStatus(0).has_value());
    EXPECT_FALSE(plain.MainVisible()) << "a /nodde start asked the running instance";
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM windows)
{
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The program's own windows: its main window with the page and every control on it, and the
// watch service's message-only window. (The system's windows in the process, such as the one
// COM keeps, answer messages of their own and are not the program's.)
std::vector<HWND> ProgramWindows(ProgramProcess& app)
{
    std::vector<HWND> windows{app.MainWindow()};
    EnumChildWindows(app.MainWindow(), CollectChild, reinterpret_cast<LPARAM>(&windows));
    for (HWND service = FindWindowExA(HWND_MESSAGE, nullptr, BOXSWEEP_WATCH_CLASS, nullptr); service != nullptr;
         service = FindWindowExA(HWND_MESSAGE, service, BOXSWEEP_WATCH_CLASS, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(service, &owner);
        if (owner == app.Id())
            windows.push_back(service);
    }
    return windows;
}

// Any program can post to the program's windows. Made-up application messages, the tray's
// callback among them, with parameters that would be wild pointers, neither crash the program
// nor stop it answering.
TEST_F(StartupTest, MadeUpMessagesFromOtherProgramsAreNeverTakenOnTrust)
{
    WriteList("1.63\r\nNach Unfug\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n200\r\nboxsweep.exe\r\n3\r\n");
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    const std::vector<HWND> windows = ProgramWindows(app);
    ASSERT_GE(windows.size(), 3u) << "the main window, the page and the watch service's window";
    ASSERT_STREQ(ClassOf(windows.back()).c_str(), BOXSWEEP_WATCH_CLASS);
    for (HWND window : windows) {
        for (UINT message = WM_APP; message < WM_APP + 16; ++message) {
            PostMessageA(window, message, 0x10, 0x10);
            PostMessageA(window, message, static_cast<WPARAM>(-1), static_cast<LPARAM>(0xDEADBEEF));
        }
        PostMessageA(window, BOXSWEEP_TRAY_CALLBACK, 0x10, 0xDEADBEEF);
    }
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(app.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result), 0);
    FixtureProcess box("Nach Unfug", {"--button", "OK"}, temp.File("r.txt"));
    ASSERT_NE(box.Window(), nullptr);
    EXPECT_TRUE(box.WaitForEvent("command OK")) << "the watcher still answers";
    EXPECT_FALSE(app.ExitStatus(0).has_value());
}

TEST_F(StartupTest, OptionIsTheWholeArgumentWithCaseIgnored)
{
    struct Case {
        const char* argument;
        bool tray;
    } cases[] = {
        {"/NOTRAY", false},
        {"/setup /notray", true},  // two options are no option: a normal start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        ProgramProcess app(temp.Path(), ProgramCommand(c.argument));
        // The main window comes only after a setup dialog would have ended.
        ASSERT_TRUE(app.WaitWatching());
        EXPECT_EQ(app.HasTrayIcon(), c.tray);
    }
}

TEST_F(StartupTest, QuotedProgramPathWithSpaces)
{
    const std::string folder = temp.File("Box Sweep Ordner");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string program = folder + "\\boxsweep.exe";
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), FALSE));
    TempFolder work;

    ProgramProcess request(work.Path(), QuoteArgument(program) + "  /exit");
    EXPECT_EQ(request.ExitStatus(10000), 0u);
    EXPECT_FALSE(FileExists(work.File("BOXSWEEP.LST"))) << "\"/exit\" was not recognised";

    ProgramProcess app(work.Path(), QuoteArgument(program) + "  /notray");
    ASSERT_TRUE(app.WaitWatching());
    EXPECT_FALSE(app.HasTrayIcon()) << "\"/notray\" was not recognised";
}

}  // namespace
