// The watch cycle over a simulated desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "simulated_desktop.h"
#include "watcher/scan.h"

namespace {

ListEntry& AddRuleTo(EntryList& list, const char* title, ClickCondition condition, ClickMethod method,
                     const char* button = "", const char* message = "")
{
    ListEntry& entry = list.AppendAtTail()->entry;
    CopyText(entry.title, kTitleCapacity, title);
    CopyText(entry.button, kButtonCapacity, button);
    CopyText(entry.message, kMessageCapacity, message);
    entry.condition = condition;
    entry.method = method;
    return entry;
}

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        watch = WatchOver(desktop, list, &desktop);
    }

    ListEntry& AddRule(const char* title, ClickCondition condition, ClickMethod method,
                       const char* button = "", const char* message = "")
    {
        return AddRuleTo(list, title, condition, method, button, message);
    }

    // A tick, then every reply the targets give before the next one.
    void Tick(SimulatedDesktop& on)
    {
        ScanTick(watch);
        on.DeliverReplies(watch);
    }
    void Tick() { Tick(desktop); }

    SimulatedDesktop desktop;
    EntryList list;
    WatchContext watch{};
};

TEST_F(ScanTest, OnlyTheFirstMatchingWindowIsAnsweredPerTick)
{
    WindowHandle first = desktop.AddWindow("Speichern?");
    WindowHandle second = desktop.AddWindow("Werbung");
    ListEntry& save = AddRule("Speichern", kAlwaysClick, kCloseWindow);
    ListEntry& ad = AddRule("Werbung", kAlwaysClick, kCloseWindow);

    ScanTick(watch);
    ASSERT_EQ(desktop.CountOf(SimAction::PostClose), 1);
    EXPECT_EQ(desktop.actions.back().window, first);
    EXPECT_EQ(save.clicks, 1);
    EXPECT_EQ(ad.clicks, 0);

    // Once the first window is gone, the second gets its turn.
    desktop.Window(first).visible = false;
    ScanTick(watch);
    EXPECT_EQ(desktop.actions.back().window, second);
    EXPECT_EQ(ad.clicks, 1);
}

TEST_F(ScanTest, FirstMatchingRuleWinsAndDisabledRulesAreSkipped)
{
    WindowHandle box = desktop.AddWindow("Fehler beim Laden");
    desktop.AddChild(box, "OK");
    ListEntry& disabled = AddRule("Fehler", kNeverClick, kCloseWindow);
    ListEntry& active = AddRule("Fehler", kAlwaysClick, kButtonMessage, "OK");
    ListEntry& later = AddRule("*Laden", kAlwaysClick, kCloseWindow);

    Tick();
    EXPECT_EQ(disabled.clicks, 0);
    EXPECT_EQ(active.clicks, 1);
    EXPECT_EQ(later.clicks, 0);
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 0);
    EXPECT_EQ(desktop.CountOf(SimAction::ButtonClick), 1);
}

TEST_F(ScanTest, MessageConditionLooksAtDirectChildrenOnly)
{
    WindowHandle direct = desktop.AddWindow("Editor");
    desktop.AddChild(direct, "&Ja");
    desktop.AddChild(direct, "Die Datei wurde nicht gespeichert.");
    WindowHandle nested = desktop.AddWindow("Editor");
    WindowHandle group = desktop.AddChild(nested, "Gruppe");
    desktop.AddChild(group, "Die Datei wurde nicht gespeichert.");
    desktop.AddChild(nested, "&Ja");
    ListEntry& rule = AddRule("Editor", kClickIfMessage, kButtonMessage, "&Ja", "*nicht gespeichert*");

    desktop.Window(direct).visible = false;
    Tick();
    EXPECT_EQ(rule.clicks, 0) << "the text sits in a grandchild only";
    EXPECT_EQ(desktop.CountOf(SimAction::ButtonClick), 0);

    desktop.Window(direct).visible = true;
    Tick();
    EXPECT_EQ(rule.clicks, 1);
    ASSERT_EQ(desktop.CountOf(SimAction::ButtonClick), 1);
    EXPECT_EQ(desktop.Window(desktop.ActionsOf(SimAction::ButtonClick)[0].window).text, "&Ja");
}

TEST_F(ScanTest, MessageConditionFallsThroughToTheNextRule)
{
    WindowHandle box = desktop.AddWindow("Hinweis");
    desktop.AddChild(box, "Alles in Ordnung");
    AddRule("Hinweis", kClickIfMessage, kCloseWindow, "", "*Fehler*");
    ListEntry& fallback = AddRule("Hinweis", kAlwaysClick, kMinimizeWindow);

    Tick();
    EXPECT_EQ(fallback.clicks, 1);
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 0);
    EXPECT_EQ(desktop.CountOf(SimAction::Minimize), 1);
}

TEST_F(ScanTest, UntitledAndInvisibleWindowsAreNeverActedOn)
{
    desktop.AddWindow("");
    WindowHandle hidden = desktop.AddWindow("Versteckt");
    desktop.Window(hidden).visible = false;
    ListEntry& everything = AddRule("", kAlwaysClick, kCloseWindow);
    AddRule("*", kAlwaysClick, kCloseWindow);
    // The program's own log window is never answered.
    watch.exempt = desktop.AddWindow("BoxSweep Protokoll");

    ScanTick(watch);
    EXPECT_TRUE(desktop.actions.empty());
    EXPECT_TRUE(desktop.reports.empty()) << "windows that matched nothing are not reported";
    EXPECT_EQ(everything.clicks, 0);

    WindowHandle titled = desktop.AddWindow("Sichtbar");
    ScanTick(watch);
    ASSERT_EQ(desktop.CountOf(SimAction::PostClose), 1);
    EXPECT_EQ(desktop.actions.back().window, titled);
    EXPECT_EQ(everything.clicks, 1);
}

TEST_F(ScanTest, AMatchThatCannotActLetsTheLookGoOnToTheWindowsBehind)
{
    // A maximise rule on a window that is already maximised, a button rule whose button is
    // missing (its tree walked long ago, so no walk is due), a minimise rule on a minimised
    // window, a window that refuses: each matches, does nothing, counts nothing, and the window
    // behind it is answered in the same look. Only the first matching rule is tried on a window.
    struct Case {
        const char* name;
        ClickMethod method;
        bool zoomed;
        bool iconic;
        bool refuses;
        std::vector<ActionOutcome> reported;
    } cases[] = {
        {"maximised", kMaximizeWindow, true, false, false, {}},
        {"minimised", kMinimizeWindow, false, true, false, {}},
        {"no button, message", kButtonMessage, false, false, false, {ActionOutcome::Gone}},
        {"no button, left click", kLeftClick, false, false, false, {ActionOutcome::Gone}},
        {"no button, right click", kRightClick, false, false, false, {ActionOutcome::Gone}},
        {"no button, click then back", kClickThenBack, false, false, false, {ActionOutcome::Gone}},
        {"unknown method", static_cast<ClickMethod>(7), false, false, false, {}},
        {"higher rights, close", kCloseWindow, false, false, true, {ActionOutcome::Refused}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules, &fresh);
        WindowHandle stuck = fresh.AddWindow("Stuck");
        fresh.Window(stuck).zoomed = c.zoomed;
        fresh.Window(stuck).iconic = c.iconic;
        fresh.Window(stuck).refusesMessages = c.refuses;
        fresh.AddChild(stuck, "Abbrechen");
        WindowHandle behind = fresh.AddWindow("Behind");
        fresh.now = 40000;
        NoteAccessibleWalk(watch.fruitless, stuck, "OK", false, 0);
        NoteAccessibleWalk(watch.fruitless, stuck, "OK", false, fresh.now - 1000);
        ListEntry& stuckRule = AddRuleTo(rules, "Stuck", kAlwaysClick, c.method, "OK");
        ListEntry& sameTitle = AddRuleTo(rules, "Stuck", kAlwaysClick, kCloseWindow);
        ListEntry& behindRule = AddRuleTo(rules, "Behind", kAlwaysClick, kCloseWindow);

        ScanTick(watch);
        EXPECT_EQ(behindRule.clicks, 1);
        ASSERT_EQ(fresh.CountOf(SimAction::PostClose), 1);
        EXPECT_EQ(fresh.ActionsOf(SimAction::PostClose)[0].window, behind);
        fresh.now += kReplyBoundMs + 1;
        Tick(fresh);
        EXPECT_EQ(stuckRule.clicks + sameTitle.clicks, 0);
        EXPECT_EQ(behindRule.clicks, 2);
        EXPECT_EQ(fresh.CountOf(SimAction::Maximize) + fresh.CountOf(SimAction::Minimize), 0);
        EXPECT_EQ(fresh.CountOf(SimAction::Mouse), 0);
        std::vector<ActionOutcome> expected = c.reported;
        expected.insert(expected.begin() + (expected.empty() ? 0 : 1), ActionOutcome::Done);
        expected.push_back(ActionOutcome::Done);
        EXPECT_EQ(fresh.ReportedOutcomes(), expected);
    }
}

// A rule's options narrow the windows it acts on: its program (matched like a title, a program that
// cannot be read being none), the whole title. The program is asked once per window.
TEST_F(ScanTest, RuleOptionsNarrowTheWindowsARuleActsOn)
{
    struct Window {
        const char* title;
        const char* program;
    } windows[] = {
        {"Ordinary window 10", "setup.exe"}, {"Fehler im Setup", "word.exe"},   {"Fehler im Setup", ""},
        {"Fehler im Setup", "SETUP64.EXE"},  {"Ordinary window 1", "setup.exe"}, {"Fehler", "setup.exe"},
    };
    const struct {
        const char* pattern;
        const char* program;
        bool whole;
        std::vector<int> closed;  // indexes into windows, in the order they are closed
    } rules[] = {
        {"Fehler", "setup*", false, {3, 5}},
        {"Fehler", "", false, {1, 2, 3, 5}},
        {"Fehler", "setup*", true, {5}},
        {"Ordinary window 1", "", true, {4}},
        {"*window 1", "", true, {4}},
        {"Ordinary*", "setup.exe", true, {0, 4}},
    };
    for (const auto& rule : rules) {
        SCOPED_TRACE(std::string(rule.pattern) + " / " + rule.program);
        SimulatedDesktop fresh;
        EntryList rulesList;
        watch = WatchOver(fresh, rulesList);
        std::vector<WindowHandle> handles;
        for (const Window& window : windows) {
            handles.push_back(fresh.AddWindow(window.title));
            fresh.Window(handles.back()).program = window.program;
        }
        ListEntry& entry = AddRuleTo(rulesList, rule.pattern, kAlwaysClick, kCloseWindow);
        CopyText(entry.program, kProgramCapacity, rule.program);
        entry.wholeTitle = rule.whole;
        for (int tick = 0; tick < 8; ++tick)
            ScanTick(watch);
        std::vector<int> closed;
        for (const SimAction& action : fresh.ActionsOf(SimAction::PostClose))
            closed.push_back(static_cast<int>(std::find(handles.begin(), handles.end(), action.window) - handles.begin()));
        EXPECT_EQ(closed, rule.closed);
        EXPECT_LE(fresh.programQueries, static_cast<int>(handles.size())) << "once per window";
    }
}

// A rule's delay: a window is answered at the first look once it has matched for that long; one
// that goes, or stops matching, before is never answered, and no later rule acts on it meanwhile.
TEST_F(ScanTest, ADelayedRuleAnswersAWindowOnlyOnceItHasMatchedLongEnough)
{
    WindowHandle renamed = desktop.AddWindow("Werbung umbenannt");
    WindowHandle stays = desktop.AddWindow("Werbung");
    WindowHandle goes = desktop.AddWindow("Werbung bald weg");
    ListEntry& delayed = AddRule("Werbung", kAlwaysClick, kCloseWindow);
    delayed.delayMs = 1500;
    ListEntry& later = AddRule("Werbung", kAlwaysClick, kMinimizeWindow);
    ScanTick(watch);
    EXPECT_EQ(DelayDueIn(watch, desktop.now), 1500u);
    desktop.now = 1000;
    desktop.Window(goes).gone = true;
    desktop.Window(renamed).text = "Anderes";
    ScanTick(watch);
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 0) << "not before its delay";
    desktop.Window(renamed).text = "Werbung umbenannt";
    desktop.now = 1500;
    ScanTick(watch);
    ASSERT_EQ(desktop.CountOf(SimAction::PostClose), 1) << "at the first look after it";
    EXPECT_EQ(desktop.ActionsOf(SimAction::PostClose)[0].window, stays);
    desktop.now = 2900;
    ScanTick(watch);
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 1) << "the renamed window starts afresh";
    desktop.now = 3100;
    ScanTick(watch);
    EXPECT_EQ(desktop.ActionsOf(SimAction::PostClose).back().window, renamed);
    EXPECT_EQ(later.clicks, 0);
    EXPECT_EQ(desktop.CountOf(SimAction::Minimize), 0);
}

// The rule tester's verdict is the look's own decision: for each reason a rule may or may not act on
// a window, the verdict names it, and a look acts exactly where the verdict says it would.
TEST_F(ScanTest, TheVerdictOfARuleIsWhatTheLookDoes)
{
    struct Case {
        const char* name;
        std::function<void(SimulatedDesktop&, WindowHandle, ListEntry&, EntryList&)> setUp;
        Verdict verdict;
        ButtonPlace place;
    } cases[] = {
        {"a direct button", [](SimulatedDesktop& d, WindowHandle w, ListEntry&, EntryList&) { d.AddButton(w, "OK"); },
         Verdict::Acts, ButtonPlace::Direct},
        {"a nested button",
         [](SimulatedDesktop& d, WindowHandle w, ListEntry&, EntryList&) {
             d.AddButton(d.AddChild(w, ""), "OK");
         },
         Verdict::Acts, ButtonPlace::Nested},
        {"no button window", [](SimulatedDesktop&, WindowHandle, ListEntry&, EntryList&) {}, Verdict::NeedsWalk,
         ButtonPlace::None},
        {"switched off", [](SimulatedDesktop&, WindowHandle, ListEntry& r, EntryList&) { r.condition = kNeverClick; },
         Verdict::SwitchedOff, ButtonPlace::None},
        {"not the whole title",
         [](SimulatedDesktop&, WindowHandle, ListEntry& r, EntryList&) {
             CopyText(r.title, kTitleCapacity, "Fehler im");
             r.wholeTitle = true;
         },
         Verdict::NotWholeTitle, ButtonPlace::None},
        {"another program",
         [](SimulatedDesktop& d, WindowHandle w, ListEntry& r, EntryList&) {
             d.Window(w).program = "word.exe";
             CopyText(r.program, kProgramCapacity, "setup*");
         },
         Verdict::OtherProgram, ButtonPlace::None},
        {"no message",
         [](SimulatedDesktop&, WindowHandle, ListEntry& r, EntryList&) {
             r.condition = kClickIfMessage;
             CopyText(r.message, kMessageCapacity, "*Lizenz*");
         },
         Verdict::NoMessage, ButtonPlace::None},
        {"an earlier rule",
         [](SimulatedDesktop&, WindowHandle, ListEntry&, EntryList& rules) {
             ListEntry& earlier = rules.First()->entry;
             earlier.condition = kAlwaysClick;
         },
         Verdict::EarlierRule, ButtonPlace::None},
        {"maximised already",
         [](SimulatedDesktop& d, WindowHandle w, ListEntry& r, EntryList&) {
             d.Window(w).zoomed = true;
             r.method = kMaximizeWindow;
         },
         Verdict::AlreadyInState, ButtonPlace::None},
        {"higher rights",
         [](SimulatedDesktop& d, WindowHandle w, ListEntry&, EntryList&) {
             d.Window(d.AddButton(w, "OK")).refusesMessages = true;
             d.Window(w).refusesMessages = true;
         },
         Verdict::HigherRights, ButtonPlace::None},
        {"not answering",
         [](SimulatedDesktop& d, WindowHandle w, ListEntry&, EntryList&) {
             d.AddButton(w, "OK");
             d.Window(w).hung = true;
         },
         Verdict::NotAnswering, ButtonPlace::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules, &fresh);
        WindowHandle window = fresh.AddWindow("Fehler im Setup");
        fresh.AddChild(window, "Die Datei fehlt.");
        AddRuleTo(rules, "Fehler", kNeverClick, kCloseWindow);  // switched on where the case says so
        ListEntry& rule = AddRuleTo(rules, "Fehler im Setup", kAlwaysClick, kButtonMessage, "OK");
        c.setUp(fresh, window, rule, rules);
        const RuleVerdict verdict = JudgeRule(watch, rule, rules.NodeAt(2), window);
        EXPECT_EQ(verdict.verdict, c.verdict);
        EXPECT_EQ(verdict.place, c.place);
        EXPECT_TRUE(fresh.actions.empty() && fresh.outstanding.empty()) << "the verdict only reads";

        ScanTick(watch);
        const bool acted = !fresh.actions.empty() || !fresh.outstanding.empty();
        const bool expected = c.verdict == Verdict::Acts || c.verdict == Verdict::NeedsWalk ||
                              c.verdict == Verdict::EarlierRule || c.verdict == Verdict::NotAnswering;
        EXPECT_EQ(acted, expected) << "a look acts where the verdict says a rule would";
        EXPECT_EQ(rule.clicks + rules.First()->entry.clicks, c.verdict == Verdict::EarlierRule ? 1 : 0);
    }
}

// Each done action is heard, any other outcome only when it changes for the window and rule,
// with the rule's position and pattern, the window's title and the target program's name.
TEST_F(ScanTest, TheObserverHearsEachDoneActionAndOtherOutcomesWhenTheyChange)
{
    WindowHandle box = desktop.AddWindow("Speichern?");
    desktop.Window(box).program = "editor.exe";
    AddRule("Werbung", kAlwaysClick, kCloseWindow);
    AddRule("Speichern", kAlwaysClick, kButtonMessage, "OK");
    Tick();
    Tick();
    WindowHandle ok = desktop.AddChild(box, "OK");
    Tick();
    Tick();
    desktop.Window(ok).gone = true;
    Tick();
    Tick();
    using O = ActionOutcome;
    EXPECT_EQ(desktop.ReportedOutcomes(), (std::vector<O>{O::Gone, O::Done, O::Done, O::Gone}));
    const ActionReport& done = desktop.reports[1];
    EXPECT_EQ(done.rulePosition, 1);
    EXPECT_STREQ(done.rulePattern, "Speichern");
    EXPECT_EQ(done.method, kButtonMessage);
    EXPECT_STREQ(done.windowTitle, "Speichern?");
    EXPECT_STREQ(done.program, "editor.exe");
    EXPECT_STREQ(done.button, "OK");
}

TEST_F(ScanTest, MaximiseAndMinimiseHappenOnce)
{
    WindowHandle small = desktop.AddWindow("Klein");
    WindowHandle large = desktop.AddWindow("Gross");
    ListEntry& grow = AddRule("Klein", kAlwaysClick, kMaximizeWindow);
    ListEntry& shrink = AddRule("Gross", kAlwaysClick, kMinimizeWindow);

    Tick();
    EXPECT_TRUE(desktop.Window(small).zoomed);
    Tick();  // already maximised: nothing to do there, so the look goes on
    EXPECT_TRUE(desktop.Window(large).iconic);
    Tick();
    EXPECT_EQ(grow.clicks, 1);
    EXPECT_EQ(shrink.clicks, 1);
    EXPECT_EQ(desktop.CountOf(SimAction::Maximize), 1);
    EXPECT_EQ(desktop.CountOf(SimAction::Minimize), 1);
}

// Windows documents the reply to a message sent after a posted show as coming first; the show
// counts when the window is seen in the state asked for, within the bound after the reply. A
// window that never gets there is reported once, as refused, and is not counted.
TEST_F(ScanTest, AShowCountsOnceWhenItTakesEffectAndIsReportedOnceWhenItNeverDoes)
{
    WindowHandle late = desktop.AddWindow("Spaet");
    desktop.Window(late).showsAfterReply = true;
    WindowHandle vetoes = desktop.AddWindow("Nie");
    desktop.Window(vetoes).refusesShow = true;
    ListEntry& lateRule = AddRule("Spaet", kAlwaysClick, kMaximizeWindow);
    ListEntry& vetoRule = AddRule("Nie", kAlwaysClick, kMinimizeWindow);

    Tick();  // the reply comes before the show took effect
    EXPECT_EQ(lateRule.clicks, 0);
    Tick();  // seen maximised: counted; the look goes on to the other window
    Tick();
    EXPECT_EQ(lateRule.clicks, 1);
    EXPECT_EQ(desktop.CountOf(SimAction::Maximize), 1);
    for (int i = 0; i < 4; ++i) {
        desktop.now += kReplyBoundMs + 1;
        Tick();
    }
    EXPECT_EQ(vetoRule.clicks, 0);
    EXPECT_GE(desktop.CountOf(SimAction::Minimize), 2) << "asked again after the bound";
    using O = ActionOutcome;
    EXPECT_EQ(desktop.ReportedOutcomes(), (std::vector<O>{O::Done, O::NotTaken}));
}

TEST_F(ScanTest, MouseClicksHitTheButtonCentreAndPutThePointerBack)
{
    struct Case {
        ClickMethod method;
        uint32_t down;
        uint32_t up;
        WinRect rect;
        int32_t x;
        int32_t y;
    } cases[] = {
        {kLeftClick, kMouseLeftDown, kMouseLeftUp, {100, 200, 175, 223}, 138, 212},
        {kRightClick, kMouseRightDown, kMouseRightUp, {100, 200, 175, 223}, 138, 212},
        // A monitor left of and above the primary one: the centre is measured from the right
        // and bottom edges, so negative coordinates round the same way as positive ones.
        {kLeftClick, kMouseLeftDown, kMouseLeftUp, {-175, -223, -100, -200}, -137, -211},
    };
    for (const Case& c : cases) {
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules);
        WindowHandle box = fresh.AddWindow("Frage");
        fresh.AddChild(box, "&Nein", WinRect{0, 0, 10, 10});
        fresh.AddChild(box, "&Ja", c.rect);
        ListEntry& rule = rules.AppendAtTail()->entry;
        CopyText(rule.title, kTitleCapacity, "Frage");
        CopyText(rule.button, kButtonCapacity, "&JA");  // letter case ignored
        rule.condition = kAlwaysClick;
        rule.method = c.method;
        fresh.cursor = WinPoint{5, 6};

        ScanTick(watch);
        ASSERT_EQ(rule.clicks, 1);
        std::vector<SimAction> moves = fresh.ActionsOf(SimAction::SetCursor);
        std::vector<SimAction> mouse = fresh.ActionsOf(SimAction::Mouse);
        ASSERT_EQ(moves.size(), 2u);
        ASSERT_EQ(mouse.size(), 2u);
        EXPECT_EQ(moves[0].x, c.x);
        EXPECT_EQ(moves[0].y, c.y);
        EXPECT_EQ(mouse[0].value, c.down);
        EXPECT_EQ(mouse[1].value, c.up);
        EXPECT_EQ(mouse[0].x, c.x);
        EXPECT_EQ(mouse[1].y, c.y);
        EXPECT_EQ(fresh.cursor.x, 5);
        EXPECT_EQ(fresh.cursor.y, 6);
        EXPECT_EQ(fresh.CountOf(SimAction::BringToTop), 1);
        // The window comes to the top before the pointer moves.
        EXPECT_EQ(fresh.actions.front().kind, SimAction::BringToTop);
    }
}

TEST_F(ScanTest, ClickThenBackReturnsFocusToThePreviousForegroundWindow)
{
    WindowHandle editor = desktop.AddWindow("Mein Dokument");
    desktop.foreground = editor;
    ScanTick(watch);  // nothing matches; the editor is remembered
    EXPECT_EQ(watch.previousForeground, editor);

    WindowHandle box = desktop.AddWindow("Nachfrage");
    WindowHandle ok = desktop.AddChild(box, "OK");
    desktop.foreground = box;
    ListEntry& rule = AddRule("Nachfrage", kAlwaysClick, kClickThenBack, "OK");

    ScanTick(watch);
    EXPECT_EQ(rule.clicks, 0) << "counted when the target has handled the click";
    desktop.foreground = box;
    ScanTick(watch);  // the box is now the previous foreground window; the editor still gets it
    desktop.DeliverReplies(watch);
    EXPECT_EQ(rule.clicks, 1);
    ASSERT_EQ(desktop.actions.size(), 3u);
    EXPECT_EQ(desktop.actions[0].kind, SimAction::ButtonClick);
    EXPECT_EQ(desktop.actions[0].window, ok);
    EXPECT_EQ(desktop.actions[1].kind, SimAction::Reply);
    EXPECT_EQ(desktop.actions[2].kind, SimAction::SetForeground);
    EXPECT_EQ(desktop.actions[2].window, editor);
}

TEST_F(ScanTest, ClickThenBackWithoutPreviousWindowDoesNotActivateAnything)
{
    WindowHandle box = desktop.AddWindow("Nachfrage");
    desktop.AddChild(box, "OK");
    ListEntry& rule = AddRule("Nachfrage", kAlwaysClick, kClickThenBack, "OK");

    Tick();
    EXPECT_EQ(rule.clicks, 1);
    EXPECT_EQ(desktop.CountOf(SimAction::SetForeground), 0);
}

TEST_F(ScanTest, InactiveWatcherTouchesNothingButTracksTheForegroundWindow)
{
    WindowHandle box = desktop.AddWindow("Werbung");
    ListEntry& rule = AddRule("Werbung", kAlwaysClick, kCloseWindow);
    watch.acting = false;
    desktop.foreground = box;

    ScanTick(watch);
    EXPECT_EQ(desktop.enumerations, 0);
    EXPECT_TRUE(desktop.actions.empty());
    EXPECT_EQ(rule.clicks, 0);
    EXPECT_EQ(watch.previousForeground, box);
}

TEST_F(ScanTest, RefusedActionsAreNotCounted)
{
    // A window of a higher integrity level rejects the post and the click; one that will not
    // change its show state is not counted either.
    WindowHandle elevated = desktop.AddWindow("Administrator");
    WindowHandle button = desktop.AddChild(elevated, "OK");
    desktop.Window(elevated).refusesMessages = true;
    desktop.Window(button).refusesMessages = true;
    desktop.Window(elevated).refusesShow = true;
    ListEntry* rules[] = {
        &AddRule("Administrator", kAlwaysClick, kCloseWindow),
    };
    Tick();
    EXPECT_EQ(rules[0]->clicks, 0);

    for (ClickMethod method : {kButtonMessage, kClickThenBack, kMaximizeWindow, kMinimizeWindow}) {
        rules[0]->method = method;
        CopyText(rules[0]->button, kButtonCapacity, "OK");
        Tick();
        EXPECT_EQ(rules[0]->clicks, 0) << "method " << method;
        EXPECT_EQ(watch.pending.items.size(), 0u) << "nothing to wait for after a refusal";
    }
    // One that takes the request but will not change its show state is not counted either.
    desktop.Window(elevated).refusesMessages = false;
    rules[0]->method = kMaximizeWindow;
    Tick();
    EXPECT_EQ(rules[0]->clicks, 0);
    EXPECT_EQ(desktop.ReportedOutcomes(), std::vector<ActionOutcome>{ActionOutcome::Refused})
        << "one refusal per window and rule, not one per tick";
}

// Targets whose handlers run a modal loop (or hang) answer later: each window is pending
// meanwhile, pressed once and counted once when its reply comes, however late, and however many
// of them wait, a window that comes after them is answered in the meantime. Walks of
// accessibility trees are bounded in number, and none goes to a program with a stuck one.
TEST_F(ScanTest, WindowsAwaitingTheirRepliesArePressedOnceAndHoldUpNoOther)
{
    struct Case {
        const char* name;
        ClickMethod method;
        bool windowless;
        SimAction::Kind sent;
    } cases[] = {
        {"button message", kButtonMessage, false, SimAction::ButtonClick},
        {"click then back", kClickThenBack, false, SimAction::ButtonClick},
        {"maximise", kMaximizeWindow, false, SimAction::Maximize},
        {"minimise", kMinimizeWindow, false, SimAction::Minimize},
        {"windowless button", kButtonMessage, true, SimAction::DefaultAction},
    };
    constexpr int kHung = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules, &fresh);
        std::vector<WindowHandle> boxes;
        for (int i = 0; i < kHung; ++i) {
            WindowHandle box = fresh.AddWindow("Speichern?");
            if (c.windowless) {
                // Tabs of one program: at most kMaxLiveWalks walks go out, and none more to a
                // program whose walks are stuck.
                fresh.Window(box).process = 77;
                fresh.Window(box).exposesAccessible = true;
                fresh.Window(box).accessible.Add(kRolePushButton, "OK");
            } else {
                fresh.AddChild(box, "OK");
            }
            // The click starts the modal loop; the others find the target busy already.
            if (c.sent == SimAction::ButtonClick)
                fresh.Window(box).onClick = SimWindow::Hangs;
            else
                fresh.Window(box).hung = true;
            boxes.push_back(box);
        }
        ListEntry& click = AddRuleTo(rules, "Speichern", kAlwaysClick, c.method, "OK");
        ListEntry& behind = AddRuleTo(rules, "Werbung", kAlwaysClick, kCloseWindow);

        for (int tick = 0; tick < kHung + 2; ++tick)
            Tick(fresh);
        fresh.now += kReplyBoundMs + 1;
        Tick(fresh);
        fresh.AddWindow("Werbung");
        Tick(fresh);
        Tick(fresh);
        EXPECT_EQ(fresh.CountOf(c.sent), c.windowless ? 0 : kHung) << "the walks wait on the targets";
        EXPECT_EQ(click.clicks, 0);
        EXPECT_EQ(behind.clicks, 1) << "the window that came after them is answered meanwhile";
        using O = ActionOutcome;
        std::vector<O> expected(kHung, O::NotAnswering);
        expected.push_back(O::Done);
        EXPECT_EQ(fresh.ReportedOutcomes(), expected) << "not answering, once per window";

        for (WindowHandle box : boxes)
            fresh.Window(box).hung = false;
        fresh.DeliverReplies(watch);
        const int pressed = c.windowless ? kMaxLiveWalks : kHung;
        EXPECT_EQ(fresh.CountOf(c.sent), pressed);
        EXPECT_EQ(click.clicks, pressed) << "a late reply, and a late press, count when they come";
    }
}

// A reply that arrives while a look waits on a probe is finished after the look: nothing that
// arrives meanwhile changes the state the look reads.
TEST_F(ScanTest, AReplyArrivingDuringALookIsFinishedAfterIt)
{
    WindowHandle box = desktop.AddWindow("Speichern?");
    desktop.AddChild(box, "OK");
    ListEntry& click = AddRule("Speichern", kAlwaysClick, kButtonMessage, "OK");
    ScanTick(watch);
    WindowHandle slow = desktop.AddWindow("Haengt");
    desktop.AddChild(slow, "OK", WinRect{10, 10, 50, 30});
    desktop.Window(slow).hung = true;
    AddRule("Haengt", kAlwaysClick, kLeftClick, "OK");
    int countDuringLook = -1;
    desktop.duringProbe = [&] {
        desktop.DeliverReplies(watch);
        countDuringLook = click.clicks;
    };
    ScanTick(watch);
    EXPECT_EQ(countDuringLook, 0);
    EXPECT_EQ(click.clicks, 1);
}

// A reply refers to its rule by identity: one removed while its action was pending is never
// written (the sanitizer build checks the memory), and the count goes nowhere else.
TEST_F(ScanTest, ARuleRemovedWhileItsActionIsPendingIsNeverTouched)
{
    WindowHandle box = desktop.AddWindow("Speichern?");
    desktop.AddChild(box, "OK");
    AddRule("Speichern", kAlwaysClick, kButtonMessage, "OK");
    ListEntry& other = AddRule("Anderes", kAlwaysClick, kCloseWindow);
    ScanTick(watch);
    list.RemoveAfter(list.Head());
    EXPECT_EQ(desktop.DeliverReplies(watch), 1);
    EXPECT_EQ(other.clicks, 0);
    EXPECT_EQ(watch.pending.items.size(), 0u);
}

// A click that reached the target counts when its reply comes, also when the target's process
// ended while handling it; a window gone before the send never got it.
TEST_F(ScanTest, AClickCountsWhenItReachedTheTargetAndNotWhenTheWindowWasGone)
{
    WindowHandle dies = desktop.AddWindow("Fehler");
    desktop.AddChild(dies, "OK");
    desktop.Window(dies).onClick = SimWindow::Vanishes;
    ListEntry& rule = AddRule("Fehler", kAlwaysClick, kButtonMessage, "OK");
    Tick();
    EXPECT_EQ(rule.clicks, 1);

    WindowHandle gone = desktop.AddWindow("Fehler");
    WindowHandle button = desktop.AddChild(gone, "OK");
    desktop.Window(button).gone = true;
    Tick();
    EXPECT_EQ(desktop.CountOf(SimAction::ButtonClick), 1);
    EXPECT_EQ(rule.clicks, 1);
    EXPECT_EQ(watch.pending.items.size(), 0u);
}

// Raising and activating wait on the target's thread: a target that does not answer a probe is
// passed over, neither acted on nor counted, until it answers. It is asked again at most once per
// reply bound, a look spends at most kProbeBudgetMs on probes, and the windows left over are
// asked first at the next look.
TEST_F(ScanTest, ActionsThatWaitOnTheTargetPassOverOneThatDoesNotAnswer)
{
    for (ClickMethod method : {kLeftClick, kRightClick}) {
        SCOPED_TRACE(method);
        SimulatedDesktop fresh;
        EntryList rules;
        watch = WatchOver(fresh, rules);
        std::vector<WindowHandle> stuck;
        for (int i = 0; i < 5; ++i) {
            stuck.push_back(fresh.AddWindow("Haengt"));
            fresh.AddChild(stuck.back(), "OK", WinRect{10, 10, 50, 30});
            fresh.Window(stuck.back()).hung = true;
        }
        fresh.AddWindow("Werbung");
        ListEntry& stuckRule = AddRuleTo(rules, "Haengt", kAlwaysClick, method, "OK");
        ListEntry& behind = AddRuleTo(rules, "Werbung", kAlwaysClick, kCloseWindow);

        const int probesPerLook = static_cast<int>(kProbeBudgetMs / kPingTimeoutMs);
        ScanTick(watch);
        EXPECT_EQ(fresh.unansweredProbes, probesPerLook);
        EXPECT_EQ(behind.clicks, 1) << "passed over as if no rule wanted it";
        for (int look = 0; look < 4; ++look)
            ScanTick(watch);
        EXPECT_EQ(fresh.unansweredProbes, 5) << "each asked once within the bound";
        EXPECT_EQ(fresh.waitsOnHung, 0);
        EXPECT_EQ(fresh.CountOf(SimAction::Mouse), 0);
        EXPECT_EQ(stuckRule.clicks, 0);

        for (WindowHandle window : stuck)
            fresh.Window(window).hung = false;
        fresh.now += kReplyBoundMs + 1;
        for (int look = 0; look < 5; ++look)
            ScanTick(watch);
        EXPECT_EQ(stuckRule.clicks, 5);
        EXPECT_EQ(fresh.CountOf(SimAction::Mouse), 10) << "each window clicked once";
    }
}

TEST_F(ScanTest, ClickThenBackDoesNotActivateAPreviousWindowThatDoesNotAnswer)
{
    WindowHandle editor = desktop.AddWindow("Mein Dokument");
    desktop.foreground = editor;
    ScanTick(watch);
    desktop.Window(editor).hung = true;
    WindowHandle box = desktop.AddWindow("Nachfrage");
    desktop.AddChild(box, "OK");
    ListEntry& rule = AddRule("Nachfrage", kAlwaysClick, kClickThenBack, "OK");

    Tick();
    EXPECT_EQ(rule.clicks, 1);
    EXPECT_EQ(desktop.CountOf(SimAction::SetForeground), 0);
    EXPECT_EQ(desktop.waitsOnHung, 0);
}

// A window has the reply bound to go after its close before it is answered again: a program that
// asks "save changes?" on a close meets one close, not one per tick. One still there after the
// bound is answered again, and each close carried out counts, up to the count's largest value.
TEST_F(ScanTest, AWindowTakingItsTimeToCloseGetsOneCloseAndOneCount)
{
    WindowHandle slow = desktop.AddWindow("Werbung");
    ListEntry& rule = AddRule("Werbung", kAlwaysClick, kCloseWindow);
    for (desktop.now = 0; desktop.now < 700; desktop.now += 200)
        Tick();
    desktop.Window(slow).gone = true;
    Tick();
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 1);
    EXPECT_EQ(rule.clicks, 1);

    desktop.AddWindow("Werbung");
    rule.clicks = INT32_MAX - 1;
    for (int i = 0; i < 3; ++i) {
        Tick();
        desktop.now += kReplyBoundMs + 1;
    }
    EXPECT_EQ(desktop.CountOf(SimAction::PostClose), 4);
    EXPECT_EQ(rule.clicks, INT32_MAX);
}

TEST_F(ScanTest, AnEnumerationRunsTheCallersStepUntilItStops)
{
    desktop.AddWindow("Eins");
    desktop.AddWindow("Zwei");
    AddRule("Eins", kAlwaysClick, kCloseWindow);

    int visits = 0;
    auto everyWindow = [&](WindowHandle) { return ++visits > 0; };
    ForEachWindow(desktop, everyWindow);
    EXPECT_EQ(visits, 2);
    auto firstOnly = [&](WindowHandle) { return ++visits < 3; };
    ForEachWindow(desktop, firstOnly);
    EXPECT_EQ(visits, 3);
    EXPECT_TRUE(desktop.actions.empty()) << "only the scan's step acts";
}

TEST_F(ScanTest, LongTitlesAreComparedAsReadWithCapacity256)
{
    std::string title(300, 'x');
    desktop.AddWindow(title + "END");
    ListEntry& tail = AddRule("*END", kAlwaysClick, kCloseWindow);
    ScanTick(watch);
    EXPECT_EQ(tail.clicks, 0) << "characters past 255 are never read";
    ListEntry& head = AddRule("xxx", kAlwaysClick, kCloseWindow);
    ScanTick(watch);
    EXPECT_EQ(head.clicks, 1);
}

}  // namespace
