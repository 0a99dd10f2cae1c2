// The matcher against the C library's fnmatch with case folding, on the kind of titles and
// patterns a scan compares: most rules fail on their first characters, some search the title.
#include <benchmark/benchmark.h>

#include <fnmatch.h>

#include <string>
#include <vector>

#include "rules/match_pattern.h"

namespace {

const char* const kTitles[] = {
    "Unbenannt - Editor",
    "Speichern unter",
    "Microsoft Word - Bericht 2026 Quartal drei.docx",
    "Fehler beim Öffnen der Datei",
    "Downloads",
    "Windows-Sicherheitswarnung",
    "Programm reagiert nicht",
    "Eingabeaufforderung - ping -t localhost",
};

// Patterns in this program's sense; the fnmatch form appends "*" where this matcher accepts
// any rest of the title, so both answer the same question.
const char* const kPatterns[] = {
    "Fehler", "*warnung", "Speichern*", "*reagiert nicht", "Sicherheits*hinweis",
    "*Editor", "Update verfügbar", "*Quartal*docx", "Achtung", "*ping*",
};

std::vector<std::string> FnmatchForms()
{
    std::vector<std::string> forms;
    for (const char* pattern : kPatterns) {
        std::string form = pattern;
        form += '*';
        forms.push_back(form);
    }
    return forms;
}

void BM_MatchPattern(benchmark::State& state)
{
    int matches = 0;
    for (auto _ : state) {
        for (const char* title : kTitles)
            for (const char* pattern : kPatterns)
                matches += MatchPattern(pattern, title);
    }
    benchmark::DoNotOptimize(matches);
    state.counters["ns_per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * std::size(kTitles) * std::size(kPatterns),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MatchPattern);

// How the scan uses it: the title lowered once, then every rule tried against it.
void BM_MatchPreparedText(benchmark::State& state)
{
    int matches = 0;
    PreparedText prepared;
    for (auto _ : state) {
        for (const char* title : kTitles) {
            PrepareText(&prepared, title);
            for (const char* pattern : kPatterns)
                matches += MatchPreparedText(pattern, prepared);
        }
    }
    benchmark::DoNotOptimize(matches);
    state.counters["ns_per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * std::size(kTitles) * std::size(kPatterns),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MatchPreparedText);

void BM_Fnmatch(benchmark::State& state)
{
    std::vector<std::string> forms = FnmatchForms();
    int matches = 0;
    for (auto _ : state) {
        for (const char* title : kTitles)
            for (const std::string& form : forms)
                matches += fnmatch(form.c_str(), title, FNM_CASEFOLD) == 0;
    }
    benchmark::DoNotOptimize(matches);
    state.counters["ns_per_pair"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * std::size(kTitles) * forms.size(),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Fnmatch);

}  // namespace

BENCHMARK_MAIN();
