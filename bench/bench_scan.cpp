// ScanTick over a simulated desktop of 100 titled windows against rules that match none of them,
// reported per window-rule pair.
#include <benchmark/benchmark.h>

#include <string>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "simulated_desktop.h"
#include "watcher/scan.h"

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
    Settings settings{};
    settings.active = 1;
    WatchContext watch{&desktop, &list, &settings, 0, {}};

    for (auto _ : state)
        ScanTick(watch);

    if (!desktop.actions.empty())
        state.SkipWithError("a rule matched");
    state.counters["ns_per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * windows * rules,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanTickNoMatch)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
