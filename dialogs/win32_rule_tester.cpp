// The rule tester: what the watcher would do with a rule, as the editor holds it now, on every
// window open on the desktop whose title its pattern matches, and why not where it would not.
// It only reads: nothing is pressed, closed or changed and no count moves. The verdicts are the
// watcher's own (JudgeRule); a button that only the window's accessibility tree can show is
// looked for by the watcher's walk, on a thread of its own, and its line says "looking..." until
// the result comes back.
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/win32_editing_dialogs.h"
#include "dialogs/wizard_steps.h"
#include "resources/resource_ids.h"
#include "rules/match_pattern.h"
#include "shell/win32_app.h"
#include "watcher/win32_window_ops.h"

namespace {

struct TestedWindow {
    WindowHandle window;
    std::string title;
    std::string program;
    std::string verdict;
    bool looking;  // its walk is still to come back, or to begin
};

struct TesterRun {
    HWND dialog = nullptr;
    ListEntry rule{};
    const EntryNode* self = nullptr;
    int windowsLookedAt = 0;
    std::vector<TestedWindow> lines;
};

std::string LanguageText(UINT id)
{
    char text[512];
    LoadLanguageString(id, text, sizeof text);
    return text;
}

std::string Filled(UINT id, std::initializer_list<const char*> texts)
{
    const std::string format = LanguageText(id);
    std::vector<const char*> arguments(texts);
    return FormatWithTexts(format.c_str(), arguments.data(), static_cast<int>(arguments.size()));
}

// Why not, by verdict; Acts and NeedsWalk are told with what would be done.
UINT ReasonText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::SwitchedOff:
        return IDS_TESTER_SWITCHED_OFF;
    case Verdict::NotWholeTitle:
        return IDS_TESTER_NOT_WHOLE_TITLE;
    case Verdict::OtherProgram:
        return IDS_TESTER_OTHER_PROGRAM;
    case Verdict::NoMessage:
        return IDS_TESTER_NO_MESSAGE;
    case Verdict::ButtonMissing:
        return IDS_TESTER_BUTTON_MISSING;
    case Verdict::AlreadyInState:
        return IDS_TESTER_ALREADY;
    case Verdict::HigherRights:
        return IDS_TESTER_HIGHER_RIGHTS;
    default:
        return IDS_TESTER_NOT_ANSWERING;
    }
}

UINT PlaceText(ButtonPlace place)
{
    switch (place) {
    case ButtonPlace::Direct:
        return IDS_TESTER_DIRECT;
    case ButtonPlace::Nested:
        return IDS_TESTER_NESTED;
    default:
        return IDS_TESTER_ACCESSIBLE;
    }
}

// What would be done: the method, and for a button its caption and where it was found; a delay
// the rule waits out first is said too.
std::string ActsText(const ListEntry& rule, ButtonPlace place)
{
    const std::string method = LanguageText(IDS_METHOD_FIRST + static_cast<UINT>(rule.method));
    std::string text = PressesButton(rule.method)
                           ? Filled(IDS_TESTER_PRESSES, {method.c_str(), rule.button, LanguageText(PlaceText(place)).c_str()})
                           : Filled(IDS_TESTER_ACTS, {method.c_str()});
    if (rule.delayMs > 0)
        text += Filled(IDS_TESTER_AFTER_DELAY, {std::to_string(rule.delayMs).c_str()});
    return text;
}

std::string VerdictText(const ListEntry& rule, const RuleVerdict& verdict)
{
    switch (verdict.verdict) {
    case Verdict::Acts:
        return ActsText(rule, verdict.place);
    case Verdict::NeedsWalk:
        return LanguageText(IDS_TESTER_LOOKING);
    case Verdict::EarlierRule:
        return Filled(IDS_TESTER_EARLIER_RULE, {verdict.earlier->entry.title});
    default:
        return LanguageText(ReasonText(verdict.verdict));
    }
}

void ShowLines(const TesterRun& run)
{
    std::string text = Filled(IDS_TESTER_HEADER, {std::to_string(run.windowsLookedAt).c_str()});
    for (const TestedWindow& line : run.lines)
        text += "\r\n" + line.title + "  |  " + line.program + "  |  " + line.verdict;
    SetDlgItemTextA(run.dialog, IDC_TESTER_RESULT, text.c_str());
}

void OnWalkResult(const ActionReply& reply, void* context);

// One walk at a time: the watcher's walks are bounded in number, and the tester takes no more
// of them than it needs.
void StartNextWalk(TesterRun& run)
{
    for (TestedWindow& line : run.lines) {
        if (!line.looking)
            continue;
        if (StartTestWalk(line.window, run.rule.button, OnWalkResult, &run))
            return;
        line.looking = false;
        line.verdict = LanguageText(IDS_TESTER_NOT_ANSWERING);
    }
}

// Walks go one at a time, in the order of the lines: a result is the first looking line's.
void OnWalkResult(const ActionReply& reply, void* context)
{
    TesterRun& run = *static_cast<TesterRun*>(context);
    for (TestedWindow& line : run.lines) {
        if (!line.looking)
            continue;
        line.looking = false;
        RuleVerdict found;
        found.place = ButtonPlace::Accessible;
        found.verdict = reply.outcome == ReplyOutcome::Located ? Verdict::Acts : Verdict::ButtonMissing;
        line.verdict = VerdictText(run.rule, found);
        break;
    }
    StartNextWalk(run);
    ShowLines(run);
}

void TestWindow(TesterRun& run, WindowHandle window)
{
    WindowOps& ops = RealWindowOps();
    if (window == reinterpret_cast<WindowHandle>(run.dialog) || !ops.IsWindowVisible(window))
        return;
    char title[kTitleCapacity] = "";
    ops.GetWindowTextA(window, title, kTitleCapacity);
    CutToField(title, kTitleCapacity);
    if (title[0] == '\0')
        return;
    ++run.windowsLookedAt;
    if (!MatchPattern(run.rule.title, title))
        return;
    char program[kProgramCapacity] = "";
    ops.GetProgramFileName(window, program, kProgramCapacity);
    const RuleVerdict verdict = JudgeRule(ServiceWatch(), run.rule, run.self, window);
    run.lines.push_back(TestedWindow{window, title, program, VerdictText(run.rule, verdict),
                                     verdict.verdict == Verdict::NeedsWalk});
}

void OnInitDialog(HWND dialog, TesterRun& run)
{
    run.dialog = dialog;
    UseTextFont(dialog, {IDC_TESTER_RESULT});
    auto testWindow = [&run](WindowHandle window) {
        TestWindow(run, window);
        return true;
    };
    ForEachWindow(RealWindowOps(), testWindow);
    StartNextWalk(run);
    ShowLines(run);
}

INT_PTR CALLBACK RuleTesterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, *reinterpret_cast<TesterRun*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)
            EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void RunRuleTester(HWND owner, const ListEntry& rule, const EntryNode* self)
{
    TesterRun run;
    run.rule = rule;
    run.self = self;
    RunLanguageDialog(IDD_TESTER, owner, RuleTesterProc, reinterpret_cast<LPARAM>(&run));
    ForgetTestWalks(&run);
}
