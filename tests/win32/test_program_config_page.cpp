// The main window and its configuration page in the real program: texts in each language, the
// layout on resizing, the ways of closing, removing entries and choosing the language.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>

#include "program_process.h"
#include "resources/resource_ids.h"

namespace {

using Captions = std::map<int, std::string>;

const Captions kGermanCaptions = {
    {IDC_ACTIVE, "&Aktiv"},
    {IDC_INTERVAL_LABEL, "A&lle"},
    {IDC_INTERVAL_UNIT, "ms. prüfen"},
    {IDC_ADD, "&Hinzufügen..."},
    {IDC_REMOVE, "&Entfernen"},
    {IDC_ENTRIES_LABEL, "&Fenster:"},
    {IDC_ADVANCED, "Er&weitert..."},
    {IDC_LANGUAGE_LABEL, "Spr&ache:"},
    {IDOK, "&Schließen"},
    {IDC_EXIT, "&Beenden"},
};

const Captions kDutchCaptions = {
    {IDC_ACTIVE, "A&ktief"},
    {IDC_INTERVAL_LABEL, "&Elke"},
    {IDC_INTERVAL_UNIT, "ms. scannen"},
    {IDC_ADD, "&Toevoegen..."},
    {IDC_REMOVE, "&Verwijderen"},
    {IDC_ENTRIES_LABEL, "Ve&nsters:"},
    {IDC_ADVANCED, "&Geavanceerd..."},
    {IDC_LANGUAGE_LABEL, "T&aal:"},
    {IDOK, "&Minimaliseren"},
    {IDC_EXIT, "&Afsluiten"},
};

const Captions kEnglishCaptions = {
    {IDC_ACTIVE, "&Active"},
    {IDC_INTERVAL_LABEL, "Scan &every"},
    {IDC_INTERVAL_UNIT, "ms"},
    {IDC_ADD, "A&dd..."},
    {IDC_REMOVE, "&Remove"},
    {IDC_ENTRIES_LABEL, "&Windows:"},
    {IDC_ADVANCED, "Ad&vanced..."},
    {IDC_LANGUAGE_LABEL, "&Language:"},
    {IDOK, "&Close"},
    {IDC_EXIT, "E&xit"},
};

const char kGerman[] = "Deutsch (boxsweep.exe)";
const char kEnglish[] = "English (english.dll)";
const char kDutch[] = "Nederlands (dutch.dll)";

std::string ListWith(const std::vector<std::string>& titles, const std::string& tail)
{
    std::string bytes = "1.63\r\n";
    for (const std::string& title : titles)
        bytes += title + "\r\nOK\r\n\r\n1\r\n3\r\n0\r\n";
    return bytes + "end of list\r\n" + tail;
}

void Select(ProgramProcess& app, int index)
{
    SendMessageA(app.Control(IDC_ENTRIES), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ASSERT_TRUE(app.Command(IDC_ENTRIES, LBN_SELCHANGE));
}

bool EntryButtonsEnabled(ProgramProcess& app, bool enabled)
{
    return (IsWindowEnabled(app.Control(IDC_REMOVE)) != FALSE) == enabled
           && (IsWindowEnabled(app.Control(IDC_ADVANCED)) != FALSE) == enabled;
}

// Opens the configuration from the tray icon, as the user does once the program is watching.
void OpenConfiguration(ProgramProcess& app)
{
    ASSERT_TRUE(app.WaitWatching());
    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
}

// The new main window that is not the given instance's, among the job's processes.
DWORD OtherInstance(const ProcessJob& job, DWORD old)
{
    DWORD found = 0;
    WaitUntil([&] {
        for (DWORD id : RunningInstances()) {
            std::vector<DWORD> ours = job.ProcessIds();
            if (id != old && std::find(ours.begin(), ours.end(), id) != ours.end()) {
                found = id;
                return true;
            }
        }
        return false;
    });
    return found;
}

class ConfigPageTest : public ProgramTest {};

TEST_F(ConfigPageTest, ShowsTheListAndSettingsInEachLanguage)
{
    struct Case {
        const char* language;
        std::string module;  // the module copied beside the program under the language's name
        const char* caption;
        const Captions* captions;
        std::vector<std::string> languages;
        const char* selected;
    } cases[] = {
        {"boxsweep.exe", "", "BoxSweep Fensterliste", &kGermanCaptions, {kGerman}, kGerman},
        {"dutch.dll", DutchModulePath(), "BoxSweep Lijst", &kDutchCaptions, {kGerman, kDutch}, kDutch},
        // A language module is only mapped as data, so one of the other architecture serves too.
        {"dutch.dll", OtherArchDutchModulePath(), "BoxSweep Lijst", &kDutchCaptions, {kGerman, kDutch},
         kDutch},
        {"english.dll", EnglishModulePath(), "BoxSweep Window List", &kEnglishCaptions, {kGerman, kEnglish},
         kEnglish},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " " + c.module);
        TempFolder folder;
        if (!c.module.empty()) {
            ASSERT_TRUE(CopyFileA(c.module.c_str(), folder.File(c.language).c_str(), FALSE))
                << c.module << " is missing: build the other architecture first (tools/test.sh does)";
        }
        ASSERT_TRUE(WriteBytes(folder.File("BOXSWEEP.LST"),
                               ListWith({"Zeta", "Alpha", "Mitte"}, std::string("1\r\n750\r\n") + c.language + "\r\n3\r\n")));
        ProgramProcess app(folder.Path(), ProgramCommand("/nodde"));
        ASSERT_NE(app.Page(), nullptr);

        EXPECT_EQ(WindowText(app.MainWindow()), c.caption);
        for (const auto& [id, text] : *c.captions)
            EXPECT_EQ(app.ControlText(id), text) << "control " << id;
        EXPECT_TRUE(app.Checked(IDC_ACTIVE));
        EXPECT_EQ(app.ControlText(IDC_INTERVAL), "750");
        EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), (std::vector<std::string>{"Zeta", "Alpha", "Mitte"}));
        EXPECT_EQ(ComboItems(app.Control(IDC_LANGUAGE)), c.languages);
        EXPECT_EQ(ComboSelection(app.Control(IDC_LANGUAGE)), c.selected);

        EXPECT_EQ(ListBoxSelection(app.Control(IDC_ENTRIES)), LB_ERR);
        EXPECT_TRUE(EntryButtonsEnabled(app, false));
        Select(app, 1);
        EXPECT_TRUE(EntryButtonsEnabled(app, true));
        Select(app, -1);
        EXPECT_TRUE(EntryButtonsEnabled(app, false));
    }
}

TEST_F(ConfigPageTest, LanguageModuleThatIsGoneOrNotChosenLeavesGerman)
{
    struct Case {
        const char* language;
        bool withModule;
        std::vector<std::string> languages;
    } cases[] = {
        {"dutch.dll", false, {kGerman}},
        {"boxsweep.exe", true, {kGerman, kDutch}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language) + (c.withModule ? " with" : " without") + " dutch.dll");
        TempFolder folder;
        if (c.withModule) {
            ASSERT_TRUE(CopyFileA(DutchModulePath().c_str(), folder.File("dutch.dll").c_str(), FALSE));
        }
        ASSERT_TRUE(WriteBytes(folder.File("BOXSWEEP.LST"),
                               ListWith({}, std::string("1\r\n1000\r\n") + c.language + "\r\n3\r\n")));
        ProgramProcess app(folder.Path(), ProgramCommand("/nodde"));
        ASSERT_NE(app.Page(), nullptr);
        EXPECT_EQ(WindowText(app.MainWindow()), "BoxSweep Fensterliste");
        EXPECT_EQ(app.ControlText(IDC_EXIT), "&Beenden");
        EXPECT_EQ(ComboItems(app.Control(IDC_LANGUAGE)), c.languages);
        EXPECT_EQ(ComboSelection(app.Control(IDC_LANGUAGE)), kGerman);
    }
}

TEST_F(ConfigPageTest, ResizingLaysOutThePageAboveTheMinimumSize)
{
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    OpenConfiguration(app);
    HWND main = app.MainWindow();
    HWND page = app.Page();

    auto checkLayout = [&](const char* what) {
        SCOPED_TRACE(what);
        RECT client{};
        GetClientRect(main, &client);
        const int w = client.right + 8;
        const int h = client.bottom + 26;
        RECT pageRect{};
        GetWindowRect(page, &pageRect);
        EXPECT_EQ(pageRect.right - pageRect.left, w);
        EXPECT_EQ(pageRect.bottom - pageRect.top, h);
        RECT list = RectIn(app.Control(IDC_ENTRIES), page);
        EXPECT_EQ(list.right - list.left, w - 24);
        EXPECT_EQ(list.bottom - list.top, h - 241);
        const struct {
            int id;
            int x;
            int y;
        } places[] = {
            {IDC_REMOVE, w - 114, 41},     {IDC_ADVANCED, w - 114, h - 142}, {IDC_LANGUAGE_LABEL, 9, h - 95},
            {IDC_MOVE_UP, 9, h - 142},     {IDC_MOVE_DOWN, 81, h - 142},
            {IDC_LANGUAGE, 84, h - 99},    {IDOK, 9, h - 66},                {IDC_EXIT, w - 114, h - 66},
        };
        for (const auto& place : places) {
            RECT rect = RectIn(app.Control(place.id), page);
            EXPECT_EQ(rect.left, place.x) << "control " << place.id;
            EXPECT_EQ(rect.top, place.y) << "control " << place.id;
        }
    };

    for (SIZE size : {SIZE{520, 610}, SIZE{300, 380}, SIZE{760, 420}}) {
        ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
        RECT window{};
        GetWindowRect(main, &window);
        ASSERT_EQ(window.right - window.left, size.cx);
        ASSERT_EQ(window.bottom - window.top, size.cy);
        checkLayout("resized");
    }

    // Minimised, the page keeps its layout; restored, it is laid out again.
    RECT before = RectIn(app.Control(IDC_ENTRIES), page);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }));
    RECT minimised = RectIn(app.Control(IDC_ENTRIES), page);
    EXPECT_EQ(minimised.right - minimised.left, before.right - before.left);
    EXPECT_EQ(minimised.bottom - minimised.top, before.bottom - before.top);
    ShowWindow(main, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) == FALSE; }));
    checkLayout("restored");

    ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT smallest{};
    GetWindowRect(main, &smallest);
    EXPECT_EQ(smallest.right - smallest.left, 272);
    EXPECT_EQ(smallest.bottom - smallest.top, 344);
    checkLayout("at the minimum");
}

TEST_F(ConfigPageTest, CloseButtonSavesAndHides)
{
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    OpenConfiguration(app);
    ASSERT_TRUE(app.SetControlText(IDC_INTERVAL, "4321"));
    SendMessageA(app.Control(IDC_ACTIVE), BM_SETCHECK, BST_UNCHECKED, 0);
    std::string saved = ListSavedBy(app, IDOK);
    EXPECT_FALSE(app.MainVisible());
    const std::string expected = "1.63\r\nend of list\r\n0\r\n4321\r\nboxsweep.exe\r\n3\r\n";
    ASSERT_EQ(saved.substr(0, expected.size()), expected);
    EXPECT_TRUE(IsPlacementLine(saved.substr(expected.size()))) << saved;
    EXPECT_FALSE(app.Checked(IDC_ACTIVE));
    EXPECT_FALSE(app.ExitStatus(0).has_value());
}

// Neither the close box nor Escape writes the list; the close box takes the controls' values
// into memory, Escape does not. A stray command ends the program with a save of what is in
// memory, which shows the difference.
TEST_F(ConfigPageTest, CloseBoxStoresWithoutWritingAndEscapeOnlyHides)
{
    struct Case {
        const char* name;
        bool closeBox;
        const char* savedInterval;
    } cases[] = {
        {"close box", true, "4321"},
        {"Escape", false, "1000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        ProgramProcess app(folder.Path(), ProgramCommand("/nodde"));
        OpenConfiguration(app);
        ASSERT_TRUE(app.SetControlText(IDC_INTERVAL, "4321"));
        DWORD_PTR ignored = 0;
        if (c.closeBox) {
            ASSERT_TRUE(SendMessageTimeoutA(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 10000, &ignored));
        } else {
            ASSERT_TRUE(app.MainCommand(IDCANCEL));
        }
        EXPECT_TRUE(app.WaitVisible(false));
        EXPECT_FALSE(app.ExitStatus(0).has_value()) << "hiding must not end the program";
        EXPECT_EQ(ReadBytes(folder.File("BOXSWEEP.LST")), kDefaultListFile);

        ASSERT_TRUE(app.MainCommand(MAKEWPARAM(1234, BN_CLICKED)));
        EXPECT_EQ(app.ExitStatus(10000), 1u);
        std::vector<std::string> lines = SplitCrLf(ReadBytes(folder.File("BOXSWEEP.LST")));
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[3], c.savedInterval);
    }
}

TEST_F(ConfigPageTest, RemovingMovesTheSelectionToTheEntryBefore)
{
    WriteList(ListWith({"A", "B", "C", "D", "E"}, "1\r\n1000\r\nboxsweep.exe\r\n3\r\n"));
    const std::string original = List();
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    OpenConfiguration(app);
    HWND list = app.Control(IDC_ENTRIES);
    struct Step {
        int remove;
        std::vector<std::string> left;
        int selected;
    } steps[] = {
        {2, {"A", "B", "D", "E"}, 1},  // a middle one
        {0, {"B", "D", "E"}, LB_ERR},  // the first
        {2, {"B", "D"}, 1},            // the last
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.remove);
        Select(app, step.remove);
        ASSERT_TRUE(app.Command(IDC_REMOVE));
        EXPECT_EQ(ListBoxItems(list), step.left);
        EXPECT_EQ(ListBoxSelection(list), step.selected);
        EXPECT_TRUE(EntryButtonsEnabled(app, step.selected != LB_ERR));
    }
    EXPECT_EQ(List(), original) << "removing does not save";

    // After the last entry went, a new one goes to the end of what is left.
    app.PostTray(WM_RBUTTONUP);
    HWND menu = app.WaitForMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> offered = OfferedWindowTitles();
    ASSERT_FALSE(offered.empty());
    PostKey(menu, VK_ESCAPE);
    ASSERT_TRUE(app.WaitMenuClosed());
    ASSERT_TRUE(app.Command(IDM_WINDOW_FIRST, 0));
    EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"B", "D", offered[0]}));

    // The window's rule carries options (its program, the whole title): it stands switched off in
    // the rules, its condition an option of the third rule.
    std::string saved = ListSavedBy(app, IDOK);
    const std::string expected = "1.64\r\nB\r\nOK\r\n\r\n1\r\n3\r\n0\r\nD\r\nOK\r\n\r\n1\r\n3\r\n0\r\n" + offered[0]
                                 + "\r\n\r\n\r\n0\r\n2\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n";
    EXPECT_EQ(saved.substr(0, expected.size()), expected);
    EXPECT_NE(saved.find("\r\nrule options\r\n3 condition=1\r\n"), std::string::npos) << saved;
}

// The first matching rule wins: the order is the user's, by button or by Alt+Down in the list,
// and the next save writes it.
TEST_F(ConfigPageTest, MovingARuleDownChangesTheOrderTheNextSaveWrites)
{
    WriteList(ListWith({"A", "B", "C"}, "1\r\n1000\r\nboxsweep.exe\r\n3\r\n"));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    OpenConfiguration(app);
    HWND list = app.Control(IDC_ENTRIES);
    Select(app, 0);
    EXPECT_FALSE(IsWindowEnabled(app.Control(IDC_MOVE_UP)));
    ASSERT_TRUE(app.Command(IDC_MOVE_DOWN));
    EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(ListBoxSelection(list), 1);
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_MOVE_UP)));

    SendMessageA(list, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
    EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"B", "C", "A"}));
    EXPECT_EQ(ListBoxSelection(list), 2);
    EXPECT_FALSE(IsWindowEnabled(app.Control(IDC_MOVE_DOWN))) << "nothing below the last";

    EXPECT_EQ(ListSavedBy(app, IDOK).substr(0, 50), ListWith({"B", "C", "A"}, "").substr(0, 50));
}

TEST_F(ConfigPageTest, LanguageChoiceSavesAndRestartsOnlyOnAChange)
{
    CopyDutchModule();
    WriteList(ListWith({"Eintrag"}, "1\r\n1000\r\nboxsweep.exe\r\n3\r\n200,150,600,650,1"));
    ProgramProcess old(temp.Path(), ProgramCommand(""));
    ASSERT_TRUE(old.WaitWatching());
    HWND languages = old.Control(IDC_LANGUAGE);
    std::vector<std::string> items = ComboItems(languages);
    ASSERT_EQ(items, (std::vector<std::string>{kGerman, kDutch}));

    // The current language once more: saved, and no new process. A restarted instance would
    // join the job within a fraction of a second of the command and end the old one.
    ASSERT_TRUE(old.SetControlText(IDC_INTERVAL, "600"));
    SendMessageA(languages, CB_SETCURSEL, 0, 0);
    std::vector<std::string> lines = SplitCrLf(ListSavedBy(old, IDC_LANGUAGE, CBN_SELENDOK));
    ASSERT_GE(lines.size(), 13u) << List();
    EXPECT_EQ(lines[9], "600");
    EXPECT_EQ(lines[10], "boxsweep.exe");
    EXPECT_FALSE(WaitUntil([&] { return job.ProcessIds() != std::vector<DWORD>{old.Id()}; }, 3000))
        << "restarted without a change of language";

    // Dutch: saved with the new module, and a restarted instance takes over in Dutch.
    SendMessageA(languages, CB_SETCURSEL, 1, 0);
    ASSERT_TRUE(old.Command(IDC_LANGUAGE, CBN_SELENDOK));
    EXPECT_EQ(old.ExitStatus(15000), 0u);
    lines = SplitCrLf(List());
    ASSERT_GE(lines.size(), 13u) << List();
    EXPECT_EQ(lines[10], "dutch.dll");

    DWORD newId = OtherInstance(job, old.Id());
    ASSERT_NE(newId, 0u) << "no restarted instance";
    ProgramProcess restarted(newId);
    HWND main = restarted.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowText(main), "BoxSweep Lijst");
    EXPECT_EQ(restarted.ControlText(IDC_EXIT), "&Afsluiten");
    EXPECT_EQ(ComboSelection(restarted.Control(IDC_LANGUAGE)), kDutch);
    EXPECT_EQ(restarted.ControlText(IDC_INTERVAL), "600");
    // It comes up open: the placement is restored and the window stays.
    ASSERT_TRUE(WaitUntil([&] {
        RECT rect{};
        GetWindowRect(main, &rect);
        return rect.left == 200 && rect.top == 150 && rect.right == 600 && rect.bottom == 650;
    }));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    EXPECT_TRUE(IsWindowVisible(main));
}

}  // namespace
