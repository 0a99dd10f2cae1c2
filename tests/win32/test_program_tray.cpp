// The tray icon's callback and the popup menu of the real program. The menu of another process
// cannot be read on Wine, so it is driven with keys like a user's and judged by what choosing an
// item does; the page takes the item commands directly as well.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "program_process.h"
#include "resources/resource_ids.h"

namespace {

// From the top of the popup: "Konfigurieren", "Aktiv", the pause submenu, then the submenu of
// windows.
constexpr int kDownToActive = 2;
constexpr int kDownToPause = 3;
constexpr int kDownToWindows = 4;

std::string Report(const TempFolder& folder, const char* name)
{
    return folder.File(name);
}

class TrayTest : public ProgramTest {
protected:
    // Opens the popup with a right click on the icon; the pointer stays clear of the menu so
    // that only keys move its selection.
    HWND OpenPopup(ProgramProcess& app)
    {
        SetCursorPos(1270, 10);
        app.PostTray(WM_RBUTTONUP);
        return app.WaitForMenu();
    }

    // Opens the popup, notes the windows it offers, and chooses the window item reached with
    // the keys after the submenu opens (its first item is selected then).
    std::vector<std::string> ChooseWindowItem(ProgramProcess& app, std::initializer_list<WORD> keys)
    {
        HWND menu = OpenPopup(app);
        EXPECT_NE(menu, nullptr);
        if (menu == nullptr)
            return {};
        std::vector<std::string> offered = OfferedWindowTitles();
        PostKey(menu, VK_DOWN, kDownToWindows);
        PostKey(menu, VK_RIGHT);
        PostKeys(menu, keys);
        PostKey(menu, VK_RETURN);
        EXPECT_TRUE(app.WaitMenuClosed());
        return offered;
    }

    // Opens the popup and chooses the first item of the pause submenu.
    void ChooseFirstPauseItem(ProgramProcess& app)
    {
        HWND menu = OpenPopup(app);
        ASSERT_NE(menu, nullptr);
        PostKey(menu, VK_DOWN, kDownToPause);
        PostKey(menu, VK_RIGHT);
        PostKey(menu, VK_RETURN);
        ASSERT_TRUE(app.WaitMenuClosed());
    }

    // Sends the window item commands first to last, as if each had been chosen in turn.
    void SendWindowCommands(ProgramProcess& app, UINT first, UINT last)
    {
        for (UINT id = first; id <= last; ++id)
            ASSERT_TRUE(app.Command(static_cast<int>(id), 0)) << id;
    }

    // The height of the open submenu of windows.
    int WindowSubmenuHeight(ProgramProcess& app, std::vector<std::string>* offered)
    {
        HWND menu = OpenPopup(app);
        EXPECT_NE(menu, nullptr);
        if (menu == nullptr)
            return 0;
        *offered = OfferedWindowTitles();
        PostKey(menu, VK_DOWN, kDownToWindows);
        PostKey(menu, VK_RIGHT);
        HWND submenu = app.WaitForMenu(2);
        int height = 0;
        if (submenu != nullptr) {
            std::vector<HWND> menus = app.MenuWindows();
            RECT rect{};
            GetWindowRect(menus.front() == menu ? menus.back() : menus.front(), &rect);
            height = rect.bottom - rect.top;
        }
        PostKey(menu, VK_ESCAPE, 2);
        EXPECT_TRUE(app.WaitMenuClosed());
        return height;
    }
};

TEST_F(TrayTest, DoubleClickConfiguresAndRulesActOnlyWhileWatching)
{
    WriteList("1.63\r\nZiel*\r\n\r\n\r\n1\r\n2\r\n0\r\nend of list\r\n1\r\n100\r\nboxsweep.exe\r\n3\r\n");
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    {
        // Closed at once, perhaps before it could be waited for as a FixtureProcess does.
        ChildProcess target(temp.Path(), FixtureCommand("Ziel Eins", Report(temp, "eins.txt")));
        EXPECT_TRUE(target.ExitStatus(5000).has_value()) << "watching closes the window";
        EXPECT_NE(ReadBytes(Report(temp, "eins.txt")).find("close 1"), std::string::npos);
    }

    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
    FixtureProcess target("Ziel Zwei", {}, Report(temp, "zwei.txt"));
    ASSERT_NE(target.Window(), nullptr);
    // Fifteen scan intervals pass without an action while the configuration is open.
    EXPECT_FALSE(target.Exited(1500)) << "a rule acted while configuring";

    ASSERT_TRUE(app.MainCommand(IDCANCEL));
    EXPECT_TRUE(target.Exited(5000)) << "watching again after Escape";
}

// What a rule did is in BOXSWEEP.LOG, one tab-separated line per action, and in the log window
// the tray opens. A close rule presses no button, whatever button text it holds.
TEST_F(TrayTest, AnAnsweredWindowIsLoggedAndTheTrayOpensTheLog)
{
    WriteList("1.63\r\nZiel*\r\nOK\r\n\r\n1\r\n2\r\n0\r\nend of list\r\n1\r\n100\r\nboxsweep.exe\r\n3\r\n");
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    {
        ChildProcess target(temp.Path(), FixtureCommand("Ziel Protokoll", Report(temp, "r.txt")));
        ASSERT_TRUE(target.ExitStatus(5000).has_value()) << "watching closes the window";
    }
    const std::string log = temp.File("BOXSWEEP.LOG");
    ASSERT_TRUE(WaitUntil([&] { return !ReadBytes(log).empty(); }, 3000));
    ASSERT_EQ(ReadBytes(log).substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with its byte order mark";
    const std::vector<std::string> lines = SplitCrLf(ReadBytes(log).substr(3));
    ASSERT_EQ(lines.size(), 2u) << "one line and what follows its CR LF";
    std::vector<std::string> fields;
    for (size_t start = 0, tab;; start = tab + 1) {
        tab = lines[0].find('\t', start);
        fields.push_back(lines[0].substr(start, tab - start));
        if (tab == std::string::npos)
            break;
    }
    ASSERT_EQ(fields.size(), 7u) << lines[0];
    EXPECT_EQ(fields[0].size(), 19u) << "YYYY-MM-DD HH:MM:SS";
    EXPECT_EQ(fields[1], "done");
    EXPECT_EQ(fields[2], "2");
    EXPECT_EQ(fields[3], "fixture.exe");
    EXPECT_EQ(fields[4], "Ziel Protokoll");
    EXPECT_EQ(fields[5], "Ziel*");
    EXPECT_EQ(fields[6], "");

    ASSERT_TRUE(app.Command(IDM_LOG, 0));
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindWindowA(nullptr, "BoxSweep Protokoll")) != nullptr; }));
    EXPECT_EQ(SendMessageA(GetDlgItem(window, IDC_LOG_LIST), LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageA(ListView_GetHeader(GetDlgItem(window, IDC_LOG_LIST)), HDM_GETITEMCOUNT, 0, 0), 6)
        << "a column for each field but the method";

    // "Datei öffnen" shows the file, with Notepad where Windows has no program for .LOG (Wine).
    PostMessageA(window, WM_COMMAND, IDC_LOG_OPEN, 0);
    HWND viewer = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (viewer = FindWindowA(nullptr, "BOXSWEEP.LOG - Notepad")) != nullptr; }));
    DWORD viewerId = 0;
    GetWindowThreadProcessId(viewer, &viewerId);
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, viewerId);
    TerminateProcess(process, 0);
    CloseHandle(process);
    EXPECT_TRUE(app.WaitWatching()) << "the watcher goes on while the log is open";
}

TEST_F(TrayTest, PopupOffersTheVisibleTitledWindowsInOrder)
{
    FixtureProcess first("Angebot Eins", {"--also-hidden", "Verstecktes Fenster", "--also-untitled"},
                         Report(temp, "a.txt"));
    FixtureProcess manager("Program Manager", {}, Report(temp, "b.txt"));
    FixtureProcess lower("program manager", {}, Report(temp, "c.txt"));
    FixtureProcess last("Angebot Zwei", {}, Report(temp, "d.txt"));
    ASSERT_NE(last.Window(), nullptr);
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    HWND list = app.Control(IDC_ENTRIES);

    // Up from the first item wraps to "Wizard starten", up once more skips the separator to
    // the last window.
    std::vector<std::string> offered = ChooseWindowItem(app, {VK_UP, VK_UP});
    ASSERT_FALSE(offered.empty());
    for (const char* title : {"Angebot Eins", "program manager", "Angebot Zwei"})
        EXPECT_NE(std::find(offered.begin(), offered.end(), title), offered.end()) << title;
    for (const char* title : {"Program Manager", "Verstecktes Fenster", "BoxSweep Fensterliste"})
        EXPECT_EQ(std::find(offered.begin(), offered.end(), title), offered.end()) << title;
    ASSERT_TRUE(WaitUntil([&] { return !ListBoxItems(list).empty(); }, 3000));
    EXPECT_EQ(ListBoxItems(list), std::vector<std::string>{offered.back()});

    // Every item in turn: the entries come out as the window system enumerates the windows.
    HWND menu = OpenPopup(app);
    ASSERT_NE(menu, nullptr);
    offered = OfferedWindowTitles();
    PostKey(menu, VK_ESCAPE);
    ASSERT_TRUE(app.WaitMenuClosed());
    const std::string kept = ListBoxItems(list).at(0);
    SendWindowCommands(app, IDM_WINDOW_FIRST, IDM_WINDOW_FIRST + static_cast<UINT>(offered.size()) - 1);
    std::vector<std::string> expected{kept};
    expected.insert(expected.end(), offered.begin(), offered.end());
    EXPECT_EQ(ListBoxItems(list), expected);
}

// The rule names the chosen window's program and its whole title: a window whose title only begins
// like it is left alone.
TEST_F(TrayTest, ChosenWindowBecomesACloseRuleForThatWindowOnly)
{
    WriteList("1.63\r\nend of list\r\n1\r\n200\r\nboxsweep.exe\r\n3\r\n");
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    FixtureProcess target("Werbefenster Test", {}, Report(temp, "r.txt"));
    FixtureProcess similar("Werbefenster Test 2", {}, Report(temp, "s.txt"));
    ASSERT_NE(similar.Window(), nullptr);

    HWND menu = OpenPopup(app);
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> offered = OfferedWindowTitles();
    auto at = std::find(offered.begin(), offered.end(), "Werbefenster Test");
    ASSERT_NE(at, offered.end());
    const int index = static_cast<int>(at - offered.begin());
    const FILETIME before = ListWritten();
    PostKey(menu, VK_DOWN, kDownToWindows);
    PostKey(menu, VK_RIGHT);
    PostKey(menu, VK_DOWN, index);
    PostKey(menu, VK_RETURN);
    ASSERT_TRUE(app.WaitMenuClosed());

    HWND list = app.Control(IDC_ENTRIES);
    ASSERT_TRUE(WaitUntil([&] { return !ListBoxItems(list).empty(); }, 3000));
    EXPECT_EQ(ListBoxItems(list), std::vector<std::string>{"Werbefenster Test"});
    EXPECT_EQ(ListBoxSelection(list), 0);
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_REMOVE)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_ADVANCED)));
    const std::string expected = "1.64\r\nWerbefenster Test\r\n\r\n\r\n0\r\n2\r\n0\r\n"
                                 "end of list\r\n1\r\n200\r\nboxsweep.exe\r\n3\r\n";
    const std::string saved = ListSavedSince(before);
    EXPECT_EQ(saved.substr(0, expected.size()), expected);
    const size_t options = saved.find("\r\nrule options\r\n");
    ASSERT_NE(options, std::string::npos) << saved;
    EXPECT_TRUE(IsPlacementLine(saved.substr(expected.size(), options - expected.size()))) << saved;
    EXPECT_EQ(saved.substr(options + 2),
              "rule options\r\n1 condition=1\r\n1 program=fixture.exe\r\n1 whole=1\r\n");

    EXPECT_TRUE(target.WaitForEvent("close 1"));
    EXPECT_TRUE(target.Exited(5000));
    EXPECT_FALSE(similar.WaitForEvent("close 1", 1000)) << "closed a window whose title only begins like it";
}

// 25 more windows make 25 more items, every one of which adds its window, and the items go again
// when the windows do.
TEST_F(TrayTest, WindowItemsFollowTheDesktopAndEveryOneActs)
{
    auto single = std::make_unique<FixtureProcess>("Einzelfenster", std::vector<std::string>{}, Report(temp, "s.txt"));
    ASSERT_NE(single->Window(), nullptr);
    // Stays to the end, so that the shorter submenu is never empty whatever else Wine shows.
    FixtureProcess keeper("Bleibt", {}, Report(temp, "b.txt"));
    ASSERT_NE(keeper.Window(), nullptr);
    auto copies = std::make_unique<ChildProcess>(temp.Path(),
                                                 FixtureCommand("Kopie", Report(temp, "k.txt"), {"--copies", "25"}));
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(Report(temp, "k.txt")).find("ready") != std::string::npos; }));
    // Switched off: the close rules the test adds must not close the windows it counts.
    ASSERT_TRUE(WriteBytes(temp.File("BOXSWEEP.LST"), "1.63\r\nend of list\r\n0\r\n1000\r\nboxsweep.exe\r\n3\r\n"));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    HWND list = app.Control(IDC_ENTRIES);

    std::vector<std::string> all;
    const int allHeight = WindowSubmenuHeight(app, &all);
    ASSERT_EQ(std::count_if(all.begin(), all.end(), [](const std::string& t) { return t.rfind("Kopie ", 0) == 0; }),
              25);

    // The last window item lies beyond the 19th and adds its window as the 19th does.
    std::vector<std::string> offered = ChooseWindowItem(app, {VK_UP, VK_UP});
    ASSERT_GE(offered.size(), 26u);
    ASSERT_TRUE(WaitUntil([&] { return !ListBoxItems(list).empty(); }, 3000));
    EXPECT_EQ(ListBoxItems(list), std::vector<std::string>{offered.back()});
    offered = ChooseWindowItem(app, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                                     VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN});
    ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == 2; }, 3000));
    EXPECT_EQ(ListBoxItems(list).back(), offered.at(18));

    // The commands of all items in turn, after the popup has closed: each adds its window.
    std::vector<std::string> before = ListBoxItems(list);
    SendWindowCommands(app, IDM_WINDOW_FIRST, IDM_WINDOW_FIRST + static_cast<UINT>(offered.size()) - 1);
    std::vector<std::string> expected = before;
    expected.insert(expected.end(), offered.begin(), offered.end());
    EXPECT_EQ(ListBoxItems(list), expected);

    // One window fewer: the submenu loses one item's height. The copies gone: 25 items more.
    single.reset();
    std::vector<std::string> withoutSingle;
    const int oneLessHeight = WindowSubmenuHeight(app, &withoutSingle);
    ASSERT_EQ(withoutSingle.size() + 1, all.size());
    const int itemHeight = allHeight - oneLessHeight;
    ASSERT_GT(itemHeight, 0);
    copies.reset();
    ASSERT_TRUE(WaitUntil([] {
        std::vector<std::string> titles = OfferedWindowTitles();
        return std::none_of(titles.begin(), titles.end(), [](const std::string& t) { return t.rfind("Kopie ", 0) == 0; });
    }));
    std::vector<std::string> few;
    const int fewHeight = WindowSubmenuHeight(app, &few);
    // Measured against what was offered each time: Wine's own windows (its system tray) may come
    // and go between the two looks.
    ASSERT_GE(withoutSingle.size(), few.size() + 25);
    EXPECT_EQ(oneLessHeight - fewHeight, static_cast<int>(withoutSingle.size() - few.size()) * itemHeight)
        << "items left from the longer list";

    // Nothing stale at the top or the bottom of the shorter submenu, nor behind old ids.
    ASSERT_FALSE(few.empty());
    before = ListBoxItems(list);
    std::vector<std::string> now = ChooseWindowItem(app, {});
    ASSERT_EQ(now, few);
    now = ChooseWindowItem(app, {VK_UP, VK_UP});
    ASSERT_EQ(now, few);
    expected = before;
    expected.push_back(few.front());
    expected.push_back(few.back());
    ASSERT_TRUE(WaitUntil([&] { return ListBoxItems(list).size() == expected.size(); }, 3000));
    EXPECT_EQ(ListBoxItems(list), expected);
    // The ids of the longer popup's items behind the separator add nothing any more.
    SendWindowCommands(app, IDM_WINDOW_FIRST + static_cast<UINT>(few.size()) + 1,
                       IDM_WINDOW_FIRST + static_cast<UINT>(all.size()));
    EXPECT_EQ(ListBoxItems(list), expected) << "an item of an earlier popup acted";
}

// Explorer forgets every icon when it restarts and announces itself with "TaskbarCreated",
// which the shell broadcasts to top-level windows only.
TEST_F(TrayTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain)
{
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    ASSERT_TRUE(app.HasTrayIcon());
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = app.Page();
    data.uID = BOXSWEEP_TRAY_ICON_ID;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_FALSE(app.HasTrayIcon());

    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return app.HasTrayIcon(); }, 3000));
}

TEST_F(TrayTest, ActiveItemTogglesTheFlag)
{
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    ASSERT_TRUE(app.Checked(IDC_ACTIVE));
    for (bool expected : {false, true}) {
        HWND menu = OpenPopup(app);
        ASSERT_NE(menu, nullptr);
        PostKey(menu, VK_DOWN, kDownToActive);
        PostKey(menu, VK_RETURN);
        ASSERT_TRUE(app.WaitMenuClosed());
        EXPECT_TRUE(WaitUntil([&] { return app.Checked(IDC_ACTIVE) == expected; }, 3000)) << expected;
    }
}

// A pause holds every rule back and leaves the active flag as it is; it can be chosen before the
// configuration window of a restart was ever closed. While paused, the pause submenu starts with
// "Fortsetzen", which answers at once; switching the watcher off ends a pause too, and while it is
// off the pause lengths do nothing.
TEST_F(TrayTest, APauseHoldsTheRulesUntilResumedOrSwitchedOff)
{
    WriteList("1.63\r\nZiel*\r\n\r\n\r\n1\r\n2\r\n0\r\nend of list\r\n1\r\n100\r\nboxsweep.exe\r\n3\r\n");
    ProgramProcess app(temp.Path(), ProgramCommand("/restart"));
    ASSERT_TRUE(app.WaitVisible(true));
    ChooseFirstPauseItem(app);  // "15 Minuten"
    ASSERT_TRUE(app.MainCommand(IDCANCEL));
    FixtureProcess paused("Ziel Pause", {}, Report(temp, "p.txt"));
    ASSERT_NE(paused.Window(), nullptr);
    // Fifteen scan intervals pass without an action.
    EXPECT_FALSE(paused.Exited(1500)) << "a rule acted during a pause";
    EXPECT_TRUE(app.Checked(IDC_ACTIVE));
    ChooseFirstPauseItem(app);  // "Fortsetzen"
    EXPECT_TRUE(paused.Exited(5000)) << "not answered after resuming";

    ASSERT_TRUE(app.Command(IDM_PAUSE_HOUR, 0));
    ASSERT_TRUE(app.Command(IDM_ACTIVE, 0));
    ASSERT_TRUE(app.Command(IDM_PAUSE_QUARTER_HOUR, 0));
    ASSERT_TRUE(app.Command(IDM_ACTIVE, 0));
    FixtureProcess later("Ziel Danach", {}, Report(temp, "d.txt"));
    EXPECT_TRUE(later.Exited(5000)) << "a pause outlasted switching the watcher off and on";
}

}  // namespace
