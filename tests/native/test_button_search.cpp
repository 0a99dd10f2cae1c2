// Buttons below the direct children and buttons without a window, over a simulated desktop.
#include <gtest/gtest.h>

#include "dialogs/capture.h"
#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "simulated_desktop.h"
#include "watcher/button_search.h"
#include "watcher/scan.h"

namespace {

constexpr WinRect kNestedRect{300, 400, 380, 430};  // centre 340, 415
constexpr WinRect kWindowlessRect{500, 600, 560, 620};  // centre 530, 610

// A task dialog's shape: the button two containers down.
WindowHandle AddNestedButton(SimulatedDesktop& desktop, WindowHandle box, const char* text)
{
    WindowHandle outer = desktop.AddChild(box, "");
    WindowHandle inner = desktop.AddChild(outer, "");
    return desktop.AddButton(inner, text, kNestedRect);
}

ListEntry& AddSaveRule(EntryList& list, ClickMethod method, const char* button)
{
    ListEntry& entry = list.AppendAtTail()->entry;
    CopyText(entry.title, kTitleCapacity, "Speichern");
    CopyText(entry.button, kButtonCapacity, button);
    entry.condition = kAlwaysClick;
    entry.method = method;
    return entry;
}

std::vector<WindowHandle> Clicked(const SimulatedDesktop& desktop)
{
    std::vector<WindowHandle> windows;
    for (const SimAction& action : desktop.ActionsOf(SimAction::ButtonClick))
        windows.push_back(action.window);
    return windows;
}

class ButtonSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        watch = WatchOver(desktop, list);
        box = desktop.AddWindow("Speichern?");
        desktop.AddChild(box, "Die Datei wurde nicht gespeichert.");
    }
    void TearDown() override
    {
        EXPECT_EQ(desktop.openAccessibleWalks, 0) << "every accessibility walk is ended";
        watch = WatchContext{};
    }

    WindowHandle NestedButton(const char* text) { return AddNestedButton(desktop, box, text); }
    // A tick, then every reply and walk result before the next one.
    void Tick(SimulatedDesktop& on)
    {
        ScanTick(watch);
        on.DeliverReplies(watch);
    }
    void Tick() { Tick(desktop); }
    ListEntry& AddRule(ClickMethod method, const char* button) { return AddSaveRule(list, method, button); }
    std::vector<WindowHandle> Clicked() const { return ::Clicked(desktop); }

    SimulatedDesktop desktop;
    EntryList list;
    WatchContext watch{};
    WindowHandle box = 0;
};

TEST_F(ButtonSearchTest, ANestedButtonIsPressedByEveryButtonMethodAndCounted)
{
    WindowHandle yes = NestedButton("&Ja");
    ListEntry& rule = AddRule(kButtonMessage, "&JA");
    for (ClickMethod method : {kButtonMessage, kClickThenBack, kLeftClick, kRightClick}) {
        SCOPED_TRACE(method);
        rule.method = method;
        rule.clicks = 0;
        desktop.actions.clear();
        desktop.now += kReplyBoundMs + 1;  // a window clicked with the mouse has that long to go
        Tick();
        EXPECT_EQ(rule.clicks, 1);
        if (method == kButtonMessage || method == kClickThenBack) {
            EXPECT_EQ(Clicked(), std::vector<WindowHandle>{yes});
            continue;
        }
        std::vector<SimAction> mouse = desktop.ActionsOf(SimAction::Mouse);
        ASSERT_EQ(mouse.size(), 2u);
        EXPECT_EQ(mouse[0].x, 340);
        EXPECT_EQ(mouse[0].y, 415);
    }
    EXPECT_EQ(desktop.accessibleWalks, 0) << "a window-backed button needs no accessibility";
}

TEST_F(ButtonSearchTest, ADirectChildWithTheTextWinsWhateverItsState)
{
    NestedButton("&Ja");
    WindowHandle direct = desktop.AddChild(box, "&Ja");
    desktop.Window(direct).enabled = false;
    desktop.Window(direct).visible = false;
    ListEntry& rule = AddRule(kButtonMessage, "&Ja");
    Tick();
    EXPECT_EQ(Clicked(), std::vector<WindowHandle>{direct});
    EXPECT_EQ(rule.clicks, 1);
}

TEST_F(ButtonSearchTest, OnlyAVisibleEnabledButtonWithTheWholeTextIsPressed)
{
    struct Case {
        const char* name;
        void (*spoil)(SimulatedDesktop&, WindowHandle button);
    } cases[] = {
        {"disabled", [](SimulatedDesktop& d, WindowHandle b) { d.Window(b).enabled = false; }},
        {"hidden", [](SimulatedDesktop& d, WindowHandle b) { d.Window(b).visible = false; }},
        {"container hidden",
         [](SimulatedDesktop& d, WindowHandle b) { d.Window(d.GetParent(b)).visible = false; }},
        {"not a button", [](SimulatedDesktop& d, WindowHandle b) { d.Window(b).className = "Static"; }},
        {"longer text", [](SimulatedDesktop& d, WindowHandle b) { d.Window(b).text = "&Ja, immer"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDesktop fresh;
        EntryList rules;
        watch.ops = &fresh;
        watch.list = &rules;
        WindowHandle dialog = fresh.AddWindow("Speichern?");
        c.spoil(fresh, AddNestedButton(fresh, dialog, "&Ja"));
        ListEntry& rule = AddSaveRule(rules, kButtonMessage, "&Ja");
        Tick(fresh);
        EXPECT_TRUE(::Clicked(fresh).empty());
        EXPECT_EQ(rule.clicks, 0);
        // The next usable one in the walk's order is taken instead.
        WindowHandle later = AddNestedButton(fresh, dialog, "&ja");
        Tick(fresh);
        EXPECT_EQ(::Clicked(fresh), std::vector<WindowHandle>{later});
    }
    watch.ops = &desktop;
    watch.list = &list;
}

TEST_F(ButtonSearchTest, AnEmptyButtonTextIsLookedForAmongTheDirectChildrenOnly)
{
    // Named containers: an unnamed direct child would be found, as it always has been.
    desktop.AddButton(desktop.AddChild(desktop.AddChild(box, "Bereich"), "Zeile"), "");
    desktop.Window(box).exposesAccessible = true;
    desktop.Window(box).accessible.Add(kRolePushButton, "");
    ListEntry& rule = AddRule(kButtonMessage, "");
    ScanTick(watch);
    EXPECT_TRUE(desktop.actions.empty());
    EXPECT_EQ(rule.clicks, 0);
}

TEST_F(ButtonSearchTest, AWindowlessButtonIsPressedByItsDefaultActionOrClickedAtItsCentre)
{
    desktop.Window(box).exposesAccessible = true;
    SimAccessible& pane = desktop.Window(box).accessible.Add(0x14, "Inhalt");  // a grouping
    pane.Add(kRolePushButton, "Nein");
    pane.Add(0x29, "Ja");  // static text with the same name
    SimAccessible& yes = pane.Add(kRolePushButton, "JA", kWindowlessRect);
    ListEntry& rule = AddRule(kButtonMessage, "&Ja");

    Tick();
    EXPECT_EQ(yes.actions, 1);
    EXPECT_EQ(rule.clicks, 1);

    yes.actionFails = true;
    Tick();
    EXPECT_EQ(rule.clicks, 1) << "a default action that failed is not counted";

    rule.method = kLeftClick;
    Tick();
    EXPECT_EQ(rule.clicks, 2);
    std::vector<SimAction> mouse = desktop.ActionsOf(SimAction::Mouse);
    ASSERT_EQ(mouse.size(), 2u);
    EXPECT_EQ(mouse[0].x, 530);
    EXPECT_EQ(mouse[0].y, 610);
    EXPECT_EQ(pane.children[0].actions, 0);

    // A location is clicked only while the window stands where it stood during the walk: moved
    // meanwhile, the window is walked again rather than clicked where the button no longer is.
    desktop.now += kReplyBoundMs + 1;
    ScanTick(watch);
    desktop.Window(box).rect.left += 40;
    desktop.Window(box).rect.right += 40;
    desktop.DeliverReplies(watch);
    EXPECT_EQ(desktop.CountOf(SimAction::Mouse), 2);
    Tick();
    EXPECT_EQ(desktop.CountOf(SimAction::Mouse), 4);
    EXPECT_EQ(rule.clicks, 3);
}

TEST_F(ButtonSearchTest, AGreyedOrInvisibleWindowlessButtonIsNeverPressed)
{
    desktop.Window(box).exposesAccessible = true;
    SimAccessible& tree = desktop.Window(box).accessible;
    tree.Add(kRolePushButton, "Ja").state = kStateUnavailable;
    tree.Add(kRolePushButton, "Ja").state = kStateInvisible;
    // Scrolled out of view: pressed by its default action, but a click would land elsewhere.
    SimAccessible& offscreen = tree.Add(kRolePushButton, "Ja", WinRect{0, 0, 10, 10});
    offscreen.state = kStateOffscreen;
    tree.Add(kRolePushButton, "Ja", kWindowlessRect);
    ListEntry& rule = AddRule(kButtonMessage, "&Ja");
    Tick();
    EXPECT_EQ(tree.children[0].actions + tree.children[1].actions, 0);
    EXPECT_EQ(offscreen.actions, 1);
    EXPECT_EQ(rule.clicks, 1);

    rule.method = kLeftClick;
    Tick();
    std::vector<SimAction> mouse = desktop.ActionsOf(SimAction::Mouse);
    ASSERT_EQ(mouse.size(), 2u);
    EXPECT_EQ(mouse[0].x, 530) << "the click goes to the button in view";
    EXPECT_EQ(rule.clicks, 2);
}

// "Speichern && Beenden" shows as "Speichern & Beenden", and so an accessible object names it.
TEST_F(ButtonSearchTest, AnAccessibleNameMatchesTheTextAsTypedOrAsTheWindowShowsIt)
{
    const struct {
        const char* name;
        const char* text;
        bool matches;
    } rows[] = {
        {"Ja", "&Ja", true},
        {"JA", "&ja", true},
        {"Speichern & Beenden", "Speichern && Beenden", true},
        {"Speichern && Beenden", "Speichern && Beenden", true},
        {"Speichern Beenden", "Speichern && Beenden", false},
        {"&Ja", "&Ja", true},
        {"Ja", "Ja!", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AccessibleNameMatches(desktop, row.name, row.text), row.matches) << row.name << " / " << row.text;
}

TEST_F(ButtonSearchTest, AWindowBackedButtonWinsOverAWindowlessOneOfTheSameName)
{
    desktop.Window(box).exposesAccessible = true;
    SimAccessible& windowless = desktop.Window(box).accessible.Add(kRolePushButton, "Ja");
    WindowHandle nested = NestedButton("&Ja");
    AddRule(kButtonMessage, "&Ja");
    Tick();
    EXPECT_EQ(Clicked(), std::vector<WindowHandle>{nested});
    EXPECT_EQ(windowless.actions, 0);
}

TEST_F(ButtonSearchTest, TheAccessibilityWalkStopsAtFourLevelsAndFiveHundredObjects)
{
    struct Case {
        const char* name;
        int depth;    // levels of groupings above the button
        int fillers;  // objects before the first grouping
        bool found;
    } cases[] = {
        {"level 4", 3, 0, true},
        {"level 5", 4, 0, false},
        {"object 500", 0, 499, true},
        {"object 501", 0, 500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDesktop fresh;
        watch.ops = &fresh;
        watch.fruitless = FruitlessWalks{};
        WindowHandle window = fresh.AddWindow("Speichern?");
        fresh.Window(window).exposesAccessible = true;
        SimAccessible* parent = &fresh.Window(window).accessible;
        for (int i = 0; i < c.fillers; ++i)
            parent->Add(0x29, "Text");
        for (int i = 0; i < c.depth; ++i)
            parent = &parent->Add(0x14, "Gruppe");
        SimAccessible& button = parent->Add(kRolePushButton, "OK");
        EntryList rules;
        watch.list = &rules;
        ListEntry& rule = AddSaveRule(rules, kButtonMessage, "OK");
        Tick(fresh);
        EXPECT_EQ(button.actions, c.found ? 1 : 0);
        EXPECT_EQ(rule.clicks, c.found ? 1 : 0);
        EXPECT_EQ(fresh.openAccessibleWalks, 0);
    }
    watch.ops = &desktop;
    watch.list = &list;
}

// Trees are built late: a young window is walked at every look, then every 2 s, and from 30 s
// on every 30 s; a window walked twice a second as a short interval would look at it.
TEST_F(ButtonSearchTest, AWindowWhoseTreeLacksTheButtonIsWalkedAgainByItsAge)
{
    desktop.Window(box).exposesAccessible = true;
    SimAccessible& pane = desktop.Window(box).accessible.Add(0x14, "Inhalt");
    ListEntry& rule = AddRule(kButtonMessage, "Weiter");
    std::vector<uint32_t> walkedAt;
    for (desktop.now = 0; desktop.now <= 70000; desktop.now += 500) {
        const int before = desktop.accessibleWalks;
        Tick();
        if (desktop.accessibleWalks != before)
            walkedAt.push_back(desktop.now);
    }
    const std::vector<uint32_t> expected = {0,     500,   1000,  1500,  3500,  5500,  7500,  9500,
                                            11500, 13500, 15500, 17500, 19500, 21500, 23500, 25500,
                                            27500, 29500, 59500};
    EXPECT_EQ(walkedAt, expected);

    pane.Add(kRolePushButton, "Weiter");
    for (; rule.clicks == 0 && desktop.now <= 100000; desktop.now += 500)
        Tick();
    EXPECT_EQ(desktop.now, 90000u) << "found at the walk due 30 s after the last";
    Tick();
    EXPECT_EQ(rule.clicks, 2) << "found once, the window is walked again at once";
}

// Every question is a call into the target program: the name is asked of every object, the
// role and the state only of the objects that carry the caption.
TEST_F(ButtonSearchTest, AWalkAsksTheRoleAndStateOnlyOfObjectsWithTheCaption)
{
    const struct {
        const char* name;
        int others;           // push buttons with other captions
        bool staticWithIt;    // a text with the caption before the button
        bool withButton;
        SimulatedDesktop::AccessibleCalls calls;
    } rows[] = {
        {"200 other buttons", 200, false, false, {1, 201, 0, 0, 200, 0, 0}},
        {"the button after 200 others", 200, false, true, {1, 201, 1, 1, 201, 0, 1}},
        {"a text with the caption first", 3, true, true, {1, 5, 2, 1, 5, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedDesktop fresh;
        watch.ops = &fresh;
        watch.fruitless = FruitlessWalks{};
        WindowHandle window = fresh.AddWindow("Speichern?");
        fresh.Window(window).exposesAccessible = true;
        SimAccessible& tree = fresh.Window(window).accessible;
        for (int i = 0; i < row.others; ++i)
            tree.Add(kRolePushButton, "Knopf " + std::to_string(i));
        if (row.staticWithIt)
            tree.Add(0x29, "Weiter");
        if (row.withButton)
            tree.Add(kRolePushButton, "Weiter");
        EntryList rules;
        watch.list = &rules;
        AddSaveRule(rules, kButtonMessage, "&Weiter");
        Tick(fresh);
        const SimulatedDesktop::AccessibleCalls& calls = fresh.accessibleCalls;
        EXPECT_EQ(calls.objects, row.calls.objects);
        EXPECT_EQ(calls.names, row.calls.names);
        EXPECT_EQ(calls.roles, row.calls.roles);
        EXPECT_EQ(calls.states, row.calls.states);
        EXPECT_EQ(calls.actions, row.calls.actions);
        EXPECT_EQ(calls.children, row.calls.children) << "children are asked of each object walked";
    }
    watch.ops = &desktop;
    watch.list = &list;
}

// WinForms and Delphi buttons are superclasses of the system button with class names of their
// own; only they answer the dialog manager's question as a button, and only they are asked.
TEST_F(ButtonSearchTest, ASuperclassedButtonIsPressedAndOnlyCandidatesAreAsked)
{
    const struct {
        const char* className;
        bool answersAsButton;
        bool pressed;
        int questions;
    } rows[] = {
        {"Button", false, true, 0},
        {"WindowsForms10.BUTTON.app.0.1", true, true, 1},
        {"TButton", true, true, 1},
        {"Static", false, false, 1},
        {"MyButtonLabel", false, false, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.className);
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules);
        WindowHandle dialog = fresh.AddWindow("Speichern?");
        WindowHandle panel = fresh.AddChild(dialog, "");
        for (int i = 0; i < 20; ++i)
            fresh.AddButton(panel, "Knopf " + std::to_string(i));
        WindowHandle button = fresh.AddChild(panel, "Weiter");
        fresh.Window(button).className = row.className;
        fresh.Window(button).answersAsButton = row.answersAsButton;
        ListEntry& rule = AddSaveRule(rules, kButtonMessage, "Weiter");
        Tick(fresh);
        EXPECT_EQ(::Clicked(fresh), row.pressed ? std::vector<WindowHandle>{button} : std::vector<WindowHandle>{});
        EXPECT_EQ(rule.clicks, row.pressed ? 1 : 0);
        EXPECT_EQ(fresh.dialogCodeQueries, row.questions);
    }
    watch = WatchOver(desktop, list);
}

// A classic dialog that hosts a browser or another toolkit in a child window has no tree of its
// own: its descendant windows are asked, within one budget, until one does not answer.
TEST_F(ButtonSearchTest, AChildWindowsTreeIsSearchedWhenTheWindowHasNone)
{
    const struct {
        const char* name;
        uint32_t firstMs;   // how long the first of the three windows before the host takes
        uint32_t othersMs;  // and each of the two others
        bool pressed;
    } rows[] = {
        {"answering windows before it", 0, 0, true},
        {"one that never answers ends the search", 100000, 0, false},
        {"slow ones use up the one budget", 1200, 1200, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules);
        WindowHandle dialog = fresh.AddWindow("Speichern?");
        for (int i = 0; i < 3; ++i) {
            WindowHandle before = fresh.AddChild(dialog, "Bereich");
            fresh.Window(before).getObjectMs = i == 0 ? row.firstMs : row.othersMs;
        }
        WindowHandle host = fresh.AddChild(dialog, "");
        fresh.Window(host).exposesAccessible = true;
        SimAccessible& ok = fresh.Window(host).accessible.Add(kRolePushButton, "OK");
        ListEntry& rule = AddSaveRule(rules, kButtonMessage, "OK");
        Tick(fresh);
        EXPECT_EQ(ok.actions, row.pressed ? 1 : 0);
        EXPECT_EQ(rule.clicks, row.pressed ? 1 : 0);
    }
    watch = WatchOver(desktop, list);
}

TEST(NestedCaptureTest, PointingAtANestedButtonReadsTheTopLevelTitleAndMessage)
{
    SimulatedDesktop desktop;
    WindowHandle dialog = desktop.AddWindow("Editor", WinRect{0, 0, 400, 300});
    desktop.AddChild(dialog, "Änderungen speichern?\nSonst gehen sie verloren.", WinRect{0, 0, 400, 40},
                     0xFFFF);
    WindowHandle sink = desktop.AddChild(dialog, "", WinRect{0, 200, 400, 300});
    WindowHandle row = desktop.AddChild(sink, "Zeile", WinRect{0, 200, 400, 300});
    desktop.AddButton(row, "&Speichern", WinRect{10, 210, 100, 240});
    desktop.cursor = WinPoint{50, 220};
    CapturedTexts texts{};
    ASSERT_TRUE(CapturePointedWindow(desktop, 0, kCaptureButton | kCaptureTitle | kCaptureMessage, &texts));
    EXPECT_STREQ(texts.title, "Editor");
    EXPECT_STREQ(texts.button, "&Speichern");
    EXPECT_STREQ(texts.message, "Änderungen speichern?*");
}

}  // namespace
