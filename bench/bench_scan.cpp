// ScanTick over a simulated desktop of 100 titled windows against rules that match none of them,
// reported per window-rule pair; and the same desktop with one more window that a rule matches
// but that lacks the rule's button, looked at again on every tick; and a window a rule matches on
// every tick without acting, with and without the rule naming its program.
//
// The source also builds against trees without the search in depth (for comparisons with an
// earlier commit): there the matching window's descendants are only created, never searched.
#include <benchmark/benchmark.h>

#include <string>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "simulated_desktop.h"
#include "watcher/scan.h"

#if __has_include("watcher/button_search.h")
#define BENCH_HAS_ACCESSIBILITY 1
#endif


namespace {

const char* const kTitles[] = {
    "Posteingang - Outlook",         "Unbenannt - Editor",
    "Downloads",                     "Rechner",
    "Neuer Tab - Mozilla Firefox",   "Dokument1 - Word",
    "Einstellungen",                 "Task-Manager",
    "Bericht_2026.xlsx - Excel",     "Eingabeaufforderung",
};

const char* const kPatterns[] = {
    "Speichern unter",  "*nicht gespeichert*", "Fehler",         "*Update verfügbar*",
    "Microsoft Edge",   "*Werbung*",           "Warnung*",       "Sicherheitshinweis",
    "*- Installation",  "Bestätigen",          "Windows-Sicherheit", "*Lizenz*abgelaufen*",
};

void BM_ScanTickNoMatch(benchmark::State& state)
{
    const int windows = 100;
    const int rules = static_cast<int>(state.range(0));
    SimulatedDesktop desktop;
    for (int i = 0; i < windows; ++i) {
        std::string title = std::string(kTitles[i % 10]) + " " + std::to_string(i);
        desktop.AddWindow(title);
    }
    EntryList list;
    for (int i = 0; i < rules; ++i) {
        ListEntry& entry = list.AppendAtTail()->entry;
        CopyText(entry.title, kTitleCapacity, kPatterns[i % 12]);
        entry.condition = kAlwaysClick;
        entry.method = kCloseWindow;
    }
    WatchContext watch = WatchOver(desktop, list);

    for (auto _ : state)
        ScanTick(watch);

    if (!desktop.actions.empty())
        state.SkipWithError("a rule matched");
    state.counters["ns_per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * windows * rules,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanTickNoMatch)->Arg(10)->Arg(100)->Arg(1000);

enum Shape { kDescendants = 0, kAccessibleObjects = 1 };

// The matching window: 200 descendants (10 panes of 19 controls, none with the text), or 200
// accessible objects (10 groupings of 19 push buttons, none with the name).
void AddWindowWithoutTheButton(SimulatedDesktop& desktop, Shape shape)
{
    WindowHandle window = desktop.AddWindow("Aenderungen speichern?");
    desktop.AddChild(window, "Die Datei wurde nicht gespeichert.");
    if (shape == kDescendants) {
        for (int pane = 0; pane < 10; ++pane) {
            WindowHandle parent = desktop.AddChild(window, "");
            for (int i = 0; i < 19; ++i)
                desktop.AddChild(parent, "Knopf " + std::to_string(i));
        }
        return;
    }
#ifdef BENCH_HAS_ACCESSIBILITY
    desktop.Window(window).exposesAccessible = true;
    for (int group = 0; group < 10; ++group) {
        SimAccessible& parent = desktop.Window(window).accessible.Add(0x14, "Gruppe");
        for (int i = 0; i < 19; ++i)
            parent.Add(kRolePushButton, "Knopf " + std::to_string(i));
    }
#endif
}

void BM_ScanTickMatchWithoutButton(benchmark::State& state)
{
    const int windows = 100;
    const int rules = 100;
    SimulatedDesktop desktop;
    for (int i = 0; i < windows; ++i)
        desktop.AddWindow(std::string(kTitles[i % 10]) + " " + std::to_string(i));
    AddWindowWithoutTheButton(desktop, static_cast<Shape>(state.range(0)));
    EntryList list;
    for (int i = 0; i < rules; ++i) {
        ListEntry& entry = list.AppendAtTail()->entry;
        CopyText(entry.title, kTitleCapacity, kPatterns[i % 12]);
        entry.condition = kAlwaysClick;
        entry.method = kCloseWindow;
    }
    ListEntry& save = list.AppendAtTail()->entry;
    CopyText(save.title, kTitleCapacity, "Aenderungen speichern");
    CopyText(save.button, kButtonCapacity, "&Weiter");
    save.condition = kAlwaysClick;
    save.method = kButtonMessage;
    WatchContext watch = WatchOver(desktop, list);

    // A tick a second, as at the default interval. The walk a tick starts runs elsewhere in the
    // program; here it runs right after the tick.
    for (auto _ : state) {
        ScanTick(watch);
        desktop.DeliverReplies(watch);
        desktop.now += 1000;
    }

    if (desktop.CountOf(SimAction::Reply) != desktop.accessibleWalks || save.clicks != 0)
        state.SkipWithError("something was pressed");
    state.counters["ns_per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * (windows + 1) * (rules + 1),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanTickMatchWithoutButton)->ArgName("accessible")->Arg(kDescendants)->Arg(kAccessibleObjects);

// The cost of a rule's program option: 100 windows, and one more that a rule matches on every tick
// without acting on it (it is maximised already), once with the rule naming the window's program
// and once without. The program is read once per window and remembered, so the option adds a
// match of its pattern per tick.
void BM_ScanTickMatchingWindowProgram(benchmark::State& state)
{
    const bool namesProgram = state.range(0) != 0;
    SimulatedDesktop desktop;
    for (int i = 0; i < 100; ++i)
        desktop.AddWindow(std::string(kTitles[i % 10]) + " " + std::to_string(i));
    const WindowHandle matching = desktop.AddWindow("Setup - Lizenzvertrag");
    desktop.Window(matching).program = "setup.exe";
    desktop.Window(matching).zoomed = true;
    EntryList list;
    for (int i = 0; i < 100; ++i) {
        ListEntry& entry = list.AppendAtTail()->entry;
        CopyText(entry.title, kTitleCapacity, kPatterns[i % 12]);
        entry.condition = kAlwaysClick;
        entry.method = kCloseWindow;
    }
    ListEntry& grow = list.AppendAtTail()->entry;
    CopyText(grow.title, kTitleCapacity, "Setup");
    if (namesProgram)
        CopyText(grow.program, kProgramCapacity, "setup*.exe");
    grow.condition = kAlwaysClick;
    grow.method = kMaximizeWindow;
    WatchContext watch = WatchOver(desktop, list);

    for (auto _ : state)
        ScanTick(watch);

    if (!desktop.actions.empty())
        state.SkipWithError("something was acted on");
    state.counters["ns_per_tick"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanTickMatchingWindowProgram)->ArgName("program")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
