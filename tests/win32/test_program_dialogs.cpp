// The editing dialogs of the real program, driven as a person would: the wizard with its
// buttons and fields, capture by pointing, the entry editor, the about box and the setup.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "program_process.h"
#include "resources/resource_ids.h"

namespace {

struct DialogSearch {
    DWORD processId;
    const char* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && std::string(className) == "#32770" && IsWindowVisible(window) &&
        (search->caption == nullptr || WindowText(window) == search->caption))
        search->found.push_back(window);
    return TRUE;
}

// The visible top-level dialog windows of a process, optionally with a given caption.
std::vector<HWND> DialogsOf(DWORD processId, const char* caption = nullptr)
{
    DialogSearch search{processId, caption, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs = 5000)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> dialogs = DialogsOf(processId, caption);
            found = dialogs.empty() ? nullptr : dialogs.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

// The wizard is the dialog window that has a current property sheet page.
HWND WaitForWizard(DWORD processId, DWORD timeoutMs = 5000)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : DialogsOf(processId)) {
                if (SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0) != 0)
                    found = dialog;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool WaitForTemplate(HWND wizard, int id, DWORD timeoutMs = 5000)
{
    return WaitUntil([&] { return CurrentTemplate(wizard) == id; }, timeoutMs);
}

void Press(HWND wizard, int button)
{
    PostMessageA(wizard, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

void SetText(HWND page, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string Text(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

// A rule list with one saved setting line block; the rules go first.
std::string ListOf(const std::string& rules, int interval = 1000)
{
    return "1.63\r\n" + rules + "end of list\r\n1\r\n" + std::to_string(interval) + "\r\nboxsweep.exe\r\n3\r\n";
}

class DialogTest : public ProgramTest {
protected:
    // Starts the program and leaves its configuration window open, as "Hinzufügen..." needs.
    ProgramProcess* StartConfiguring(const std::string& list)
    {
        WriteList(list);
        app_ = std::make_unique<ProgramProcess>(temp.Path(), ProgramCommand("/nodde"));
        EXPECT_TRUE(app_->WaitWatching());
        app_->PostTray(WM_LBUTTONDBLCLK);
        EXPECT_TRUE(app_->WaitVisible(true));
        return app_.get();
    }

    HWND OpenWizard(ProgramProcess& app)
    {
        app.PostCommand(IDC_ADD);
        HWND wizard = WaitForWizard(app.Id());
        EXPECT_NE(wizard, nullptr);
        return wizard;
    }

    // Walks page 620 to the summary page 660 with the given texts.
    void FillButtonRule(HWND wizard, const char* title, const char* button, const char* message)
    {
        Press(wizard, PSBTN_NEXT);
        ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_TEXTS));
        HWND page = CurrentPage(wizard);
        SetText(page, IDC_WIZ_TITLE, title);
        SetText(page, IDC_WIZ_BUTTON, button);
        if (message != nullptr) {
            Click(page, IDC_WIZ_USE_MESSAGE);
            SetText(page, IDC_WIZ_MESSAGE, message);
        }
        Press(wizard, PSBTN_NEXT);
        ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_METHOD));
        Press(wizard, PSBTN_NEXT);
        ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_FINISH));
    }

    // The error box the wizard shows: its text, after which it is closed.
    std::string TakeInputError(ProgramProcess& app)
    {
        HWND box = WaitForDialog(app.Id(), "Eingabefehler");
        if (box == nullptr)
            return "";
        const std::string text = Text(box, 0xFFFF);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(box); }, 3000);
        return text;
    }

    // Selects the rule at index and opens the editor on it; its caption depends on the language.
    HWND OpenEditor(ProgramProcess& app, int index, const char* caption = "Erweitert")
    {
        SendMessageA(app.Control(IDC_ENTRIES), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        app.Command(IDC_ENTRIES, LBN_SELCHANGE);
        app.PostCommand(IDC_ADVANCED);
        return WaitForDialog(app.Id(), caption);
    }

    // Closes the configuration with "Schließen", which saves, and gives the saved rules.
    std::string SaveAndReadRules(ProgramProcess& app)
    {
        const std::string list = ListSavedBy(app, IDOK);
        return list.substr(0, list.find("end of list"));
    }

    std::unique_ptr<ProgramProcess> app_;
};

TEST_F(DialogTest, ButtonRulesWithAndWithoutMessageAreAddedWithTheirSummaries)
{
    ProgramProcess& app = *StartConfiguring(ListOf("Alt\r\nOK\r\n\r\n1\r\n3\r\n5\r\n"));
    HWND wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    EXPECT_FALSE(app.MainVisible()) << "the main window hides while the wizard runs";
    EXPECT_EQ(CurrentTemplate(wizard), IDD_WIZARD_START);
    FillButtonRule(wizard, "Speichern", "&Ja", nullptr);
    EXPECT_EQ(Text(CurrentPage(wizard), IDC_WIZ_SUMMARY),
              "Fenstertitel: Speichern\r\nButtontext: &Ja\r\nMeldungstext: -\r\nBoxSweep-Methode: Button-Message");
    Press(wizard, PSBTN_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
    EXPECT_TRUE(app.WaitVisible(true)) << "the main window returns after the wizard";
    EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), (std::vector<std::string>{"Alt", "Speichern"}));

    wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    FillButtonRule(wizard, "Frage", "&Nein", "*nicht gespeichert*");
    EXPECT_EQ(Text(CurrentPage(wizard), IDC_WIZ_SUMMARY),
              "Fenstertitel: Frage\r\nButtontext: &Nein\r\nMeldungstext: *nicht gespeichert*\r\n"
              "BoxSweep-Methode: Button-Message");
    Press(wizard, PSBTN_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
    EXPECT_EQ(SaveAndReadRules(app),
              "1.63\r\nAlt\r\nOK\r\n\r\n1\r\n3\r\n5\r\nSpeichern\r\n&Ja\r\n\r\n1\r\n3\r\n0\r\n"
              "Frage\r\n&Nein\r\n*nicht gespeichert*\r\n2\r\n3\r\n0\r\n");
}

TEST_F(DialogTest, InputErrorsShowTheirTextAndKeepTheStep)
{
    ProgramProcess& app = *StartConfiguring(ListOf(""));
    HWND wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_TEXTS));
    HWND page = CurrentPage(wizard);
    SetText(page, IDC_WIZ_TITLE, "Speichern");
    SetText(page, IDC_WIZ_BUTTON, "&Ja");
    Click(page, IDC_WIZ_USE_MESSAGE);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_MESSAGE)));
    Press(wizard, PSBTN_NEXT);
    EXPECT_EQ(TakeInputError(app), "Wenn die Option \"Meldungstext in die Erkennung einbeziehen\" aktiviert ist, "
                                   "darf das Feld \"Meldungstext\" nicht leer sein.");
    EXPECT_EQ(CurrentTemplate(wizard), IDD_WIZARD_BUTTON_TEXTS);
    SetText(page, IDC_WIZ_BUTTON, "");
    Press(wizard, PSBTN_NEXT);
    EXPECT_EQ(TakeInputError(app), "Die Felder \"Fenstertitel\" und \"Buttontext\" dürfen nicht leer sein");
    EXPECT_EQ(CurrentTemplate(wizard), IDD_WIZARD_BUTTON_TEXTS);

    // Back to the start and on as a window rule without a title.
    Press(wizard, PSBTN_BACK);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_START));
    Click(CurrentPage(wizard), IDC_WIZ_KIND_WINDOW);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_WINDOW_TITLE));
    SetText(CurrentPage(wizard), IDC_WIZ_TITLE, "");
    Press(wizard, PSBTN_NEXT);
    EXPECT_EQ(TakeInputError(app), "Das Feld \"Fenstertitel\" darf nicht leer sein");
    EXPECT_EQ(CurrentTemplate(wizard), IDD_WIZARD_WINDOW_TITLE);
    Press(wizard, PSBTN_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
}

TEST_F(DialogTest, AWindowRulePickedFromTheOpenWindowsCanBeEditedFirst)
{
    FixtureProcess editor("Unbenannt - Editor", {}, temp.File("editor.txt"));
    ASSERT_NE(editor.Window(), nullptr);
    ProgramProcess& app = *StartConfiguring(ListOf(""));
    HWND wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    // Through the button pages first: the window path must not lose what they wrote.
    FillButtonRule(wizard, "Knopf", "&OK", "*Meldung*");
    for (int back = 0; back < 3; ++back)
        Press(wizard, PSBTN_BACK);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_START));
    Click(CurrentPage(wizard), IDC_WIZ_KIND_WINDOW);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_WINDOW_TITLE));
    HWND page = CurrentPage(wizard);
    std::vector<std::string> windows = ListBoxItems(GetDlgItem(page, IDC_WIZ_WINDOWS));
    auto at = std::find(windows.begin(), windows.end(), "Unbenannt - Editor");
    ASSERT_NE(at, windows.end());
    EXPECT_EQ(std::find(windows.begin(), windows.end(), WindowText(wizard)), windows.end())
        << "the wizard does not offer itself";
    SendMessageA(GetDlgItem(page, IDC_WIZ_WINDOWS), LB_SETCURSEL, static_cast<WPARAM>(at - windows.begin()), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_WIZ_WINDOWS, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_WIZ_WINDOWS)));
    EXPECT_EQ(Text(page, IDC_WIZ_TITLE), "Unbenannt - Editor");
    EXPECT_EQ(Text(page, IDC_WIZ_PROGRAM), "fixture.exe");
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_WIZ_WHOLE_TITLE), BST_CHECKED);
    SetText(page, IDC_WIZ_TITLE, "*Editor");
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_WINDOW_ACTION));
    Click(CurrentPage(wizard), IDC_WIZ_MINIMIZE);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_WINDOW_FINISH));
    EXPECT_EQ(Text(CurrentPage(wizard), IDC_WIZ_SUMMARY), "Fenstertitel: *Editor\r\nBoxSweep-Methode: Fenster minimieren");
    Press(wizard, PSBTN_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
    const std::string list = ListSavedBy(app, IDOK);
    EXPECT_EQ(list.substr(0, list.find("end of list")),
              "1.64\r\n*Editor\r\n&OK\r\n*Meldung*\r\n0\r\n5\r\n0\r\n");
    EXPECT_EQ(list.substr(list.find("rule options")),
              "rule options\r\n1 condition=1\r\n1 program=fixture.exe\r\n1 whole=1\r\n");
}

TEST_F(DialogTest, CancelLeavesTheListAsItWas)
{
    const std::string list = ListOf("Alt\r\nOK\r\n\r\n1\r\n3\r\n5\r\n");
    ProgramProcess& app = *StartConfiguring(list);
    HWND wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_TEXTS));
    SetText(CurrentPage(wizard), IDC_WIZ_TITLE, "Weg");
    SetText(CurrentPage(wizard), IDC_WIZ_BUTTON, "OK");
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_METHOD));
    Press(wizard, PSBTN_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
    EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), std::vector<std::string>{"Alt"});
    EXPECT_EQ(SaveAndReadRules(app), "1.63\r\nAlt\r\nOK\r\n\r\n1\r\n3\r\n5\r\n");
}

TEST_F(DialogTest, AWizardFromTheTrayIsOnlyBroughtForwardAndEndsWatching)
{
    WriteList(ListOf(""));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde"));
    ASSERT_TRUE(app.WaitWatching());
    app.PostCommand(IDM_WIZARD, 0);
    HWND wizard = WaitForWizard(app.Id());
    ASSERT_NE(wizard, nullptr);
    EXPECT_FALSE(app.MainVisible());
    app.PostTray(WM_RBUTTONUP);
    app.PostCommand(IDM_WIZARD, 0);
    Sleep(500);
    EXPECT_TRUE(app.MenuWindows().empty()) << "a tray click while the wizard runs opens no menu";
    int sheets = 0;
    for (HWND dialog : DialogsOf(app.Id()))
        sheets += SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0) != 0;
    EXPECT_EQ(sheets, 1) << "a second \"Wizard starten\" does nothing";
    FillButtonRule(wizard, "Vom Tray", "OK", nullptr);
    Press(wizard, PSBTN_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
    EXPECT_FALSE(app.MainVisible()) << "watching again after the wizard";
    EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), std::vector<std::string>{"Vom Tray"});
}

// A message box as the system builds one, in the test's own process: the message in a static
// with id 0xFFFF, a button beside it.
class MessageBoxWindow {
public:
    MessageBoxWindow(const char* title, const char* message, const char* button)
    {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "CaptureTarget";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(WS_EX_TOPMOST, "CaptureTarget", title, WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 400,
                                  320, 160, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        CreateWindowExA(0, "STATIC", message, WS_CHILD | WS_VISIBLE, 10, 10, 300, 40, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xFFFF)), GetModuleHandleA(nullptr), nullptr);
        button_ = CreateWindowExA(0, "BUTTON", button, WS_CHILD | WS_VISIBLE, 110, 70, 100, 30, window_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(6)), GetModuleHandleA(nullptr), nullptr);
        WaitUntil([] { return false; }, 200);  // let it paint
    }
    ~MessageBoxWindow() { DestroyWindow(window_); }
    POINT ButtonCentre() const
    {
        RECT rect{};
        GetWindowRect(button_, &rect);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

private:
    HWND window_ = nullptr;
    HWND button_ = nullptr;
};

TEST_F(DialogTest, PointingAtAMessageBoxFillsTheFieldsAndRestingEndsTheCapture)
{
    ProgramProcess& app = *StartConfiguring(ListOf(""));
    HWND wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_TEXTS));
    HWND page = CurrentPage(wizard);

    // Pointing at the wizard itself writes nothing.
    RECT wizardRect{};
    GetWindowRect(wizard, &wizardRect);
    SetCursorPos(wizardRect.left + 40, wizardRect.top + 60);
    PostMessageA(page, WM_COMMAND, IDC_WIZ_CAPTURE_ALL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(page, IDC_WIZ_CAPTURE_ALL)); }, 3000));
    WaitUntil([] { return false; }, 400);
    EXPECT_EQ(Text(page, IDC_WIZ_TITLE), "");
    EXPECT_EQ(Text(page, IDC_WIZ_BUTTON), "");

    MessageBoxWindow box("Speichern", "Datei speichern?\r\nJa oder Nein", "&Ja");
    const POINT centre = box.ButtonCentre();
    SetCursorPos(centre.x, centre.y);
    EXPECT_TRUE(WaitUntil([&] { return Text(page, IDC_WIZ_BUTTON) == "&Ja"; }, 3000));
    EXPECT_EQ(Text(page, IDC_WIZ_TITLE), "Speichern");
    EXPECT_EQ(Text(page, IDC_WIZ_MESSAGE), "Datei speichern?*");
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_EQ(Text(page, IDC_WIZ_PROGRAM), std::string(self).substr(std::string(self).find_last_of('\\') + 1))
        << "the box's program, the test's own";
    // Two seconds of rest end the capture.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDC_WIZ_CAPTURE_ALL)) != FALSE; }, 5000));
    Press(wizard, PSBTN_CANCEL);
    WaitUntil([&] { return !IsWindow(wizard); });
}

// A Cyrillic box is captured without loss: its rule answers that box and not another Cyrillic box
// of the same length (both were "????????? ????????" once), and the configuration list and the log
// show its title.
TEST_F(DialogTest, ARuleCapturedFromACyrillicBoxAnswersThatBoxAndNoOther)
{
    const std::string title = "Сохранить документ";
    ProgramProcess& app = *StartConfiguring(ListOf("", 200));
    HWND wizard = OpenWizard(app);
    ASSERT_NE(wizard, nullptr);
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_TEXTS));
    HWND page = CurrentPage(wizard);
    {
        MessageBoxWindow box(title.c_str(), "Сохранить изменения?", "&Да");
        const POINT centre = box.ButtonCentre();
        SetCursorPos(centre.x, centre.y);
        PostMessageA(page, WM_COMMAND, IDC_WIZ_CAPTURE_ALL, 0);
        EXPECT_TRUE(WaitUntil([&] { return Text(page, IDC_WIZ_BUTTON) == "&Да"; }, 3000));
        EXPECT_EQ(Text(page, IDC_WIZ_TITLE), title);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(page, IDC_WIZ_CAPTURE_ALL)) != FALSE; }, 5000));
    }
    // The box was the test's own; the rule is for the fixture's boxes.
    SetText(page, IDC_WIZ_PROGRAM, "fixture.exe");
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_METHOD));
    Press(wizard, PSBTN_NEXT);
    ASSERT_TRUE(WaitForTemplate(wizard, IDD_WIZARD_BUTTON_FINISH));
    Press(wizard, PSBTN_FINISH);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }));
    EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), std::vector<std::string>{title});

    ASSERT_TRUE(app.Command(IDOK));
    FixtureProcess other("Завершить удаление", {"--button", "&Да", "--static", "Удалить все файлы?"},
                         temp.File("other.txt"));
    FixtureProcess meant(title, {"--button", "&Да"}, temp.File("meant.txt"));
    EXPECT_TRUE(meant.WaitForEvent("command &Да"));
    EXPECT_FALSE(other.WaitForEvent("command &Да", 1000));
    EXPECT_TRUE(WaitUntil([&] {
        return ReadBytes(temp.File("BOXSWEEP.LOG")).find("\t" + title + "\t") != std::string::npos;
    }));
}

TEST_F(DialogTest, TheEditorLoadsChangesAndCancelsAnEntry)
{
    FixtureProcess first("Zwei Eins", {}, temp.File("a.txt"));
    FixtureProcess second("Zwei Zwei", {}, temp.File("b.txt"));
    ASSERT_NE(second.Window(), nullptr);
    // The second rule carries options: switched off in the rules, its condition an option.
    ProgramProcess& app = *StartConfiguring(
        "1.64\r\nEins\r\nOK\r\n\r\n0\r\n3\r\n1\r\nZwei\r\n&Ja\r\n*gespeichert*\r\n0\r\n6\r\n42\r\n"
        "Drei\r\nOK\r\n\r\n1\r\n9\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n"
        "60,60,360,460,1\r\nrule options\r\n2 condition=2\r\n2 program=fixture*\r\n2 whole=1\r\n"
        "2 delay=1500\r\n");
    HWND list = app.Control(IDC_ENTRIES);

    HWND editor = OpenEditor(app, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor, IDC_EDITOR_TITLE), "Zwei");
    EXPECT_EQ(Text(editor, IDC_EDITOR_BUTTON), "&Ja");
    EXPECT_EQ(Text(editor, IDC_EDITOR_MESSAGE), "*gespeichert*");
    EXPECT_EQ(Text(editor, IDC_EDITOR_COUNT), "42");
    EXPECT_EQ(Text(editor, IDC_EDITOR_PROGRAM), "fixture*");
    EXPECT_EQ(IsDlgButtonChecked(editor, IDC_EDITOR_WHOLE_TITLE), BST_CHECKED);
    EXPECT_EQ(Text(editor, IDC_EDITOR_DELAY), "1500");
    std::vector<std::string> programs = ComboItems(GetDlgItem(editor, IDC_EDITOR_PROGRAM));
    EXPECT_EQ(std::count(programs.begin(), programs.end(), "fixture.exe"), 1) << "each program once";
    EXPECT_EQ(IsDlgButtonChecked(editor, IDC_EDITOR_IF_MESSAGE), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_MESSAGE)));
    EXPECT_EQ(SendDlgItemMessageA(editor, IDC_EDITOR_METHOD, CB_GETCURSEL, 0, 0), 6);
    // Condition 2 to 1 keeps the message text; a new title shows in the list.
    Click(editor, IDC_EDITOR_ALWAYS);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_MESSAGE)));
    // An empty title would match every window: it is refused, and the editor stays open.
    SetText(editor, IDC_EDITOR_TITLE, "");
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_OK, 0);
    EXPECT_EQ(TakeInputError(app), "Das Feld \"Fenstertitel\" darf nicht leer sein");
    EXPECT_TRUE(IsWindowVisible(editor));
    // A title of "*" is narrowed by the program; a delay beyond a minute is refused.
    SetText(editor, IDC_EDITOR_TITLE, "*");
    SetText(editor, IDC_EDITOR_PROGRAM, "other.exe");
    SetText(editor, IDC_EDITOR_DELAY, "60001");
    Click(editor, IDC_EDITOR_WHOLE_TITLE);
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_OK, 0);
    EXPECT_EQ(TakeInputError(app), "Im Feld \"Verzögerung (ms)\" muss eine Zahl von 0 bis 60000 stehen.");
    EXPECT_TRUE(IsWindowVisible(editor));
    SetText(editor, IDC_EDITOR_DELAY, "250");
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_OK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"Eins", "*", "Drei"}));
    EXPECT_FALSE(IsWindowEnabled(app.Control(IDC_REMOVE)));
    EXPECT_FALSE(IsWindowEnabled(app.Control(IDC_ADVANCED)));

    // A method outside 0 to 6 shows no selection; Cancel keeps everything.
    editor = OpenEditor(app, 2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(editor, IDC_EDITOR_METHOD, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Text(editor, IDC_EDITOR_PROGRAM), "");
    EXPECT_EQ(Text(editor, IDC_EDITOR_DELAY), "0");
    SetText(editor, IDC_EDITOR_TITLE, "Verworfen");
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_CANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    const std::string saved = ListSavedBy(app, IDOK);
    EXPECT_EQ(saved.substr(0, saved.find("end of list")),
              "1.64\r\nEins\r\nOK\r\n\r\n0\r\n3\r\n1\r\n*\r\n&Ja\r\n*gespeichert*\r\n0\r\n6\r\n42\r\n"
              "Drei\r\nOK\r\n\r\n1\r\n9\r\n0\r\n");
    EXPECT_EQ(saved.substr(saved.find("rule options")),
              "rule options\r\n2 condition=1\r\n2 program=other.exe\r\n2 delay=250\r\n");
}

// Rules from managed.lst beside the program come first, marked, and answer windows. They are
// shown read-only, can be neither removed nor moved, no rule of the user's moves above them, and
// no save writes them. A change deployed while the window was hidden shows when it opens again;
// an unchanged rule keeps its count.
TEST_F(DialogTest, ManagedRulesComeFirstAreOnlyShownAndNeverSaved)
{
    const std::string program = temp.File("boxsweep.exe");
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), FALSE));
    const std::string managed = "Verwaltet\r\n\r\n\r\n1\r\n2\r\n0\r\n";
    ASSERT_TRUE(WriteBytes(temp.File("managed.lst"), ListOf(managed)));
    const std::string own = "Eigene\r\nOK\r\n\r\n1\r\n3\r\n0\r\n";
    WriteList(ListOf(own));
    FixtureProcess box("Verwaltet", {}, temp.File("box.txt"));
    ProgramProcess app(temp.Path(), ProgramCommand("/nodde", program));
    ASSERT_TRUE(app.WaitWatching());
    EXPECT_TRUE(box.Exited(5000));
    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
    HWND list = app.Control(IDC_ENTRIES);
    for (int selected : {0, 1}) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        app.Command(IDC_ENTRIES, LBN_SELCHANGE);
        EXPECT_EQ(IsWindowEnabled(app.Control(IDC_REMOVE)) != FALSE, selected == 1);
        EXPECT_FALSE(IsWindowEnabled(app.Control(selected == 0 ? IDC_MOVE_DOWN : IDC_MOVE_UP)));
        // Commands that reach the page all the same change nothing.
        app.Command(selected == 0 ? IDC_REMOVE : IDC_MOVE_UP);
        EXPECT_EQ(ListBoxItems(list), (std::vector<std::string>{"[verwaltet] Verwaltet", "Eigene"}));
    }

    ASSERT_TRUE(WriteBytes(temp.File("managed.lst"), ListOf(managed + "Neu\r\n\r\n\r\n1\r\n2\r\n0\r\n")));
    EXPECT_EQ(SaveAndReadRules(app), "1.63\r\n" + own);
    app.PostTray(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(app.WaitVisible(true));
    EXPECT_EQ(ListBoxItems(list),
              (std::vector<std::string>{"[verwaltet] Verwaltet", "[verwaltet] Neu", "Eigene"}));
    HWND editor = OpenEditor(app, 0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor, IDC_EDITOR_COUNT), "1");
    for (int id : {IDC_EDITOR_TITLE, IDC_EDITOR_PROGRAM, IDC_EDITOR_DELAY, IDC_EDITOR_ALWAYS, IDC_EDITOR_METHOD,
                   IDC_EDITOR_OK})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, id))) << "control " << id;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_CANCEL)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_TEST)));
}

// "Testen" judges the rule as the editor's fields hold it, unsaved: a window with the button
// would be answered, one without it would not, and neither is pressed. Cancel afterwards keeps
// the saved rule.
TEST_F(DialogTest, TheTesterJudgesTheEditedRuleAndPressesNothing)
{
    FixtureProcess with("Probe mit", {"--button", "OK"}, temp.File("with.txt"));
    FixtureProcess without("Probe ohne", {"--button", "Abbrechen"}, temp.File("without.txt"));
    ASSERT_NE(without.Window(), nullptr);
    const std::string rule = "Probe\r\nWeiter\r\n\r\n1\r\n0\r\n0\r\n";
    ProgramProcess& app = *StartConfiguring(ListOf(rule));
    HWND editor = OpenEditor(app, 0);
    ASSERT_NE(editor, nullptr);
    SetText(editor, IDC_EDITOR_BUTTON, "OK");
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_TEST, 0);
    HWND tester = WaitForDialog(app.Id(), "Regeltest");
    ASSERT_NE(tester, nullptr);
    std::string result;
    const bool walked = WaitUntil([&] {
        result = Text(tester, IDC_TESTER_RESULT);
        return result.find("sucht...") == std::string::npos;
    });
    EXPECT_TRUE(walked) << result;
    EXPECT_NE(result.find("nichts wurde gedrückt"), std::string::npos) << result;
    EXPECT_NE(result.find("Probe mit  |  fixture.exe  |  würde beantwortet: "), std::string::npos) << result;
    EXPECT_NE(result.find("Probe ohne  |  fixture.exe  |  nicht: der Button ist nicht da"), std::string::npos)
        << result;
    const std::vector<std::string> untouched = {"ready"};
    EXPECT_EQ(with.Events(), untouched);
    EXPECT_EQ(without.Events(), untouched);

    PostMessageA(tester, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(tester); }));
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_CANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_EQ(SaveAndReadRules(app), "1.63\r\n" + rule);
}

// The tray stays out of an edit: its popup could add a rule and move the list's selection
// under the editor, which must still save into the entry it opened.
TEST_F(DialogTest, DuringAnEditTheTrayOpensNoPopupAndOkSavesTheOpenedEntry)
{
    const std::string second = "Zwei\r\nOK\r\n\r\n1\r\n3\r\n0\r\n";
    ProgramProcess& app = *StartConfiguring(ListOf("Eins\r\nOK\r\n\r\n1\r\n3\r\n0\r\n" + second));
    HWND list = app.Control(IDC_ENTRIES);
    HWND editor = OpenEditor(app, 0);
    ASSERT_NE(editor, nullptr);
    SetText(editor, IDC_EDITOR_TITLE, "Eins neu");

    app.PostTray(WM_RBUTTONUP);
    HWND menu = app.WaitForMenu(1, 1000);
    EXPECT_EQ(menu, nullptr) << "a tray click during an edit opened the popup";
    if (menu != nullptr)
        PostKey(menu, VK_ESCAPE);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_OK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_EQ(SaveAndReadRules(app), "1.63\r\nEins neu\r\nOK\r\n\r\n1\r\n3\r\n0\r\n" + second);
}

// The Dutch message field takes Enter as a line break; whatever the field holds, the rule keeps
// only what the list file can give back.
TEST_F(DialogTest, AMessageWithLineBreaksIsKeptAsTheListFileGivesItBack)
{
    CopyDutchModule();
    ProgramProcess& app = *StartConfiguring(
        "1.63\r\nEins\r\nOK\r\nalt\r\n2\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\ndutch.dll\r\n3\r\n");
    HWND editor = OpenEditor(app, 0, "Geavanceerde Eigenschappen");
    ASSERT_NE(editor, nullptr);
    SetText(editor, IDC_EDITOR_MESSAGE, "Erste Zeile\r\nZweite Zeile");
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_OK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    // The rule in memory already holds what a load of the saved file will give.
    editor = OpenEditor(app, 0, "Geavanceerde Eigenschappen");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Text(editor, IDC_EDITOR_MESSAGE), "Erste Zeile*");
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_CANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_EQ(SaveAndReadRules(app), "1.63\r\nEins\r\nOK\r\nErste Zeile*\r\n2\r\n3\r\n0\r\n");
}

TEST_F(DialogTest, TheEditorCapturesItsOwnCaptionWhenThePointerNeverMoves)
{
    ProgramProcess& app = *StartConfiguring(ListOf("Eins\r\nOK\r\nalt\r\n2\r\n3\r\n0\r\n"));
    HWND editor = OpenEditor(app, 0);
    ASSERT_NE(editor, nullptr);
    RECT rect{};
    GetWindowRect(GetDlgItem(editor, IDC_EDITOR_CAPTURE), &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_CAPTURE, 0);
    EXPECT_TRUE(WaitUntil([&] { return Text(editor, IDC_EDITOR_MESSAGE) == "Erweitert"; }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_CAPTURE)) != FALSE; }, 5000));
    EXPECT_EQ(Text(editor, IDC_EDITOR_MESSAGE), "Erweitert");
    // OK after a capture saves into the entry the editor opened.
    PostMessageA(editor, WM_COMMAND, IDC_EDITOR_OK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_EQ(SaveAndReadRules(app), "1.63\r\nEins\r\nOK\r\nErweitert\r\n2\r\n3\r\n0\r\n");
}

TEST_F(DialogTest, TheAboutBoxShowsTheTotalOfAllCounts)
{
    ProgramProcess& app = *StartConfiguring(ListOf("Eins\r\nOK\r\n\r\n1\r\n3\r\n3\r\nZwei\r\nOK\r\n\r\n1\r\n3\r\n4\r\n"));
    app.PostCommand(IDM_INFO, 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND dialog : DialogsOf(app.Id())) {
            if (GetDlgItem(dialog, IDC_ABOUT_TOTAL) != nullptr)
                about = dialog;
        }
        return about != nullptr;
    }));
    EXPECT_EQ(Text(about, IDC_ABOUT_TOTAL), "7");
    EXPECT_EQ(Text(about, IDC_ABOUT_FOLDER), temp.Path()) << "the list file's folder";
    EXPECT_NE(SendDlgItemMessageA(about, IDC_ABOUT_MAIN_ICON, STM_GETICON, 0, 0), 0) << "the program icon shows";
    app.PostTray(WM_RBUTTONUP);
    HWND menu = app.WaitForMenu(1, 1000);
    EXPECT_EQ(menu, nullptr) << "a tray click while the about box is open opened the popup";
    if (menu != nullptr)
        PostKey(menu, VK_ESCAPE);
    PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "OK closes it";
}

// HTML Help's window of the process, found by its class.
HWND HelpWindowOf(DWORD processId)
{
    for (HWND window = FindWindowExA(nullptr, nullptr, "HH Parent", nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, "HH Parent", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

// "Hilfe" opens the language's help file beside the program in a window of HTML Help, titled as
// the help file; without the file, BoxSweep says which file it looked for.
TEST_F(DialogTest, HelpOpensTheHelpFileOrNamesTheFileItLookedFor)
{
    if (!HELP_BUILT)
        GTEST_SKIP() << "chmcmd was not found when the tree was configured: no help files were built";
    ProgramProcess& app = *StartConfiguring(ListOf(""));
    app.PostCommand(IDM_HELP, 0);
    HWND box = WaitForDialog(app.Id(), "BoxSweep");
    ASSERT_NE(box, nullptr) << "nothing said about the missing help file";
    EXPECT_EQ(Text(box, 0xFFFF), "Die Hilfedatei " + temp.File("BoxSweep-de.chm") + " wurde nicht gefunden.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    const std::string program = ProgramPath();
    const std::string built = program.substr(0, program.find_last_of('\\') + 1) + "BoxSweep-de.chm";
    ASSERT_TRUE(CopyFileA(built.c_str(), temp.File("BoxSweep-de.chm").c_str(), FALSE)) << built;
    app.PostCommand(IDM_HELP, 0);
    HWND help = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (help = HelpWindowOf(app.Id())) != nullptr; }));
    EXPECT_EQ(WindowText(help), "BoxSweep-Hilfe");
    EXPECT_TRUE(DialogsOf(app.Id(), "BoxSweep").empty()) << "a message although the help opened";
}

class SetupTest : public ProgramTest {
protected:
    void CopyCommonList() { ASSERT_TRUE(CopyFileA(CommonListPath().c_str(), temp.File("mostcommon.lst").c_str(), FALSE)); }
    static std::string CommonListPath()
    {
        std::string program = ProgramPath();
        return program.substr(0, program.find_last_of('\\') + 1) + "mostcommon.lst";
    }
};

TEST_F(SetupTest, AnExistingListMeansNoDialogAndNoChange)
{
    CopyCommonList();
    const std::string list = ListOf("Meins\r\nOK\r\n\r\n1\r\n3\r\n2\r\n");
    WriteList(list);
    ProgramProcess app(temp.Path(), ProgramCommand("/setup"));
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(DialogsOf(app.Id(), "BoxSweep Setup").empty());
    EXPECT_EQ(ListBoxItems(app.Control(IDC_ENTRIES)), std::vector<std::string>{"Meins"});
    EXPECT_EQ(List(), list);
}

TEST_F(SetupTest, TheCommonListIsKeptOrDeclinedWithTheChosenLanguage)
{
    const std::string common = ReadBytes(CommonListPath());
    ASSERT_FALSE(common.empty());
    for (bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "kept" : "declined");
        TempFolder folder;
        ASSERT_TRUE(CopyFileA(CommonListPath().c_str(), folder.File("mostcommon.lst").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(DutchModulePath().c_str(), folder.File("dutch.dll").c_str(), FALSE));
        ProgramProcess app(folder.Path(), ProgramCommand("/setup"));
        HWND setup = WaitForDialog(app.Id(), "BoxSweep Setup");
        ASSERT_NE(setup, nullptr);
        EXPECT_EQ(IsDlgButtonChecked(setup, IDC_SETUP_COMMON_LIST), BST_CHECKED);
        std::vector<std::string> languages = ComboItems(GetDlgItem(setup, IDC_LANGUAGE));
        auto dutch = std::find(languages.begin(), languages.end(), "Nederlands (dutch.dll)");
        ASSERT_NE(dutch, languages.end());
        SendDlgItemMessageA(setup, IDC_LANGUAGE, CB_SETCURSEL, static_cast<WPARAM>(dutch - languages.begin()), 0);
        if (!keep)
            Click(setup, IDC_SETUP_COMMON_LIST);
        PostMessageA(setup, WM_COMMAND, IDOK, 0);
        ASSERT_NE(app.MainWindow(), nullptr);
        EXPECT_EQ(WindowText(app.MainWindow()), "BoxSweep Lijst");
        const std::string expectedEnd = "end of list\r\n1\r\n1000\r\ndutch.dll\r\n3\r\n";
        const std::string list = ReadBytes(folder.File("BOXSWEEP.LST"));
        if (keep) {
            std::string rules = common;
            if (!rules.empty() && rules.back() != '\n')
                rules += "\r\n";
            EXPECT_EQ(list, rules + expectedEnd);
            EXPECT_FALSE(ListBoxItems(app.Control(IDC_ENTRIES)).empty());
        } else {
            EXPECT_EQ(list, "1.63\r\n" + expectedEnd);
            EXPECT_TRUE(ListBoxItems(app.Control(IDC_ENTRIES)).empty());
        }
    }
}

// With the prepared list as it ships, a document titled like a rule stays as it is, although it
// has the rule's button; the pop-up beneath it is answered, in the look that passed over it.
TEST_F(SetupTest, TheCommonListLeavesDocumentsAloneAndAnswersItsPopUp)
{
    CopyCommonList();
    FixtureProcess popup("Tip of the Day", {"--static", "Did you know?", "--button", "&Close"}, temp.File("p.txt"));
    FixtureProcess word("Tip of the Day.docx - Word", {"--static", "MsoDockTop", "--button", "&Close"},
                        temp.File("w.txt"));
    ProgramProcess app(temp.Path(), ProgramCommand("/setup"));
    HWND setup = WaitForDialog(app.Id(), "BoxSweep Setup");
    ASSERT_NE(setup, nullptr);
    PostMessageA(setup, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(popup.WaitForEvent("command &Close"));
    EXPECT_EQ(word.Events(), std::vector<std::string>{"ready"});
}

TEST_F(SetupTest, WithoutTheCommonListTheDefaultsAreCreated)
{
    ProgramProcess app(temp.Path(), ProgramCommand("/setup"));
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(DialogsOf(app.Id(), "BoxSweep Setup").empty());
    EXPECT_EQ(List(), "1.63\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n");
}

}  // namespace
