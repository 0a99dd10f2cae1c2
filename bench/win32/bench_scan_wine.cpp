// ScanTick over 100 real windows of another process, beside the floor of a bare enumeration of
// the same windows (EnumWindows, IsWindowVisible, GetWindowTextA), in one run. Then the same with
// one more window at the bottom of the window order that a rule matches but that lacks the
// rule's button: once with 200 descendants (two containers holding 200 buttons), once with 200
// windowless buttons behind its accessibility object. Such a window is looked at on every tick.
//
//   bench_scan_wine.exe [samples]
//
// Floor and ScanTick passes alternate (ABAB...), so that both see the same load of the machine
// (the floor alone moves by a quarter within a run under Wine); a sample of 20 pairs of passes
// gives one ratio, ScanTick time over floor time. Printed per configuration: the median of the
// samples' ratios with their quartiles and extremes, and the median microseconds per pass of each.
//
// A window that lacks the button among its child windows sends the scan on to its accessibility
// tree, walked on a thread of its own whose result comes back as a message. A ScanTick pass that
// started a walk takes this thread's messages until that result has reached the watch context,
// so the pass measures the scan and the walk together.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rules/entry_list.h"
#include "rules/list_file.h"
#include "watcher/scan.h"
#include "watcher/win32_watch_service.h"

namespace {

constexpr int kWindows = 100;
constexpr int kPassesPerSample = 20;

const char* const kPatterns[] = {
    "Speichern unter",  "*nicht gespeichert*", "Fehler",        "*Update verfügbar*",
    "Microsoft Edge",   "*Werbung*",           "Warnung*",      "Sicherheitshinweis",
    "*- Installation",  "Bestätigen",          "Windows-Sicherheit", "*Lizenz*abgelaufen*",
};

double NowMicroseconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

char g_floorTitle[512];
int g_floorVisible;

BOOL CALLBACK FloorStep(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    GetWindowTextA(window, g_floorTitle, 256);
    if (g_floorTitle[0] != '\0')
        ++g_floorVisible;
    return TRUE;
}

void FloorPass()
{
    g_floorVisible = 0;
    EnumWindows(FloorStep, 0);
}

void FillRules(EntryList& list, int count)
{
    for (int i = 0; i < count; ++i) {
        ListEntry& entry = list.AppendAtTail()->entry;
        std::string pattern = kPatterns[i % (sizeof kPatterns / sizeof kPatterns[0])];
        CopyText(entry.title, kTitleCapacity, pattern.c_str());
        CopyText(entry.button, kButtonCapacity, "OK");
        entry.condition = kAlwaysClick;
        entry.method = kButtonMessage;
    }
}

// A reply that takes longer than this is reported, and the rest of the configuration waits for none.
constexpr DWORD kReplyWaitMs = 20000;

// False when a reply did not come in time.
bool AwaitReplies(WatchContext& watch)
{
    const DWORD start = GetTickCount();
    while (!watch.pending.items.empty()) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= kReplyWaitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kReplyWaitMs - waited, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

struct Paired {
    double floor;     // median microseconds per floor pass
    double scan;      // median microseconds per ScanTick pass
    double ratio;     // median of the samples' ratios
    double low, high;        // their quartiles
    double lowest, highest;  // and extremes
    int waited, passes;      // ScanTick passes that waited for a reply, of all timed ones
    bool repliesMissing;
};

// Samples of alternating passes, floor then ScanTick (ABAB...), after one untimed pass of each.
// A sample's ratio is its ScanTick time over its floor time.
// The list is watched by the program's watch service, which takes the replies to the scan's
// actions; early scans stay off, so that only the measured passes look.
Paired MeasurePaired(EntryList& list, int samples)
{
    StartWatchService(list, nullptr, false);
    SetWatchState(true, true);
    WatchContext& watch = ServiceWatch();
    bool missing = false;
    int waited = 0;
    // Every pass looks at the window lacking the button as one that has just appeared, which is
    // walked at every look: so every pass does the same work.
    auto tickPass = [&] {
        watch.fruitless = FruitlessWalks{};
        ScanTick(watch);
        waited += watch.pending.items.empty() ? 0 : 1;
        if (!missing && !AwaitReplies(watch))
            missing = true;
    };
    FloorPass();
    tickPass();
    waited = 0;
    std::vector<double> floors, scans, ratios;
    for (int s = 0; s < samples; ++s) {
        double floor = 0, scan = 0;
        for (int p = 0; p < kPassesPerSample; ++p) {
            const double start = NowMicroseconds();
            FloorPass();
            const double middle = NowMicroseconds();
            tickPass();
            floor += middle - start;
            scan += NowMicroseconds() - middle;
        }
        floors.push_back(floor / kPassesPerSample);
        scans.push_back(scan / kPassesPerSample);
        ratios.push_back(scan / floor);
    }
    StopWatchService(0);
    for (auto* values : {&floors, &scans, &ratios})
        std::sort(values->begin(), values->end());
    const size_t n = ratios.size();
    return {floors[n / 2], scans[n / 2], ratios[n / 2], ratios[n / 4], ratios[(3 * n) / 4],
            ratios.front(), ratios.back(), waited, samples * kPassesPerSample, missing};
}

void PrintPaired(const char* label, const Paired& paired, const char* note)
{
    std::printf("%s: floor %8.1f us/pass, ScanTick %8.1f us/pass, ratio %.3f "
                "(quartiles %.3f-%.3f, range %.3f-%.3f), %d of %d passes waited for a walk%s%s\n",
                label, paired.floor, paired.scan, paired.ratio, paired.low, paired.high,
                paired.lowest, paired.highest, paired.waited, paired.passes,
                paired.repliesMissing ? " (REPLY MISSING)" : "", note);
}

// Starts the fixture with arguments and waits until a window titled shown exists.
HANDLE StartFixture(const std::string& arguments, const std::string& shown)
{
    std::string folder(MAX_PATH, '\0');
    folder.resize(GetModuleFileNameA(nullptr, folder.data(), MAX_PATH));
    folder = folder.substr(0, folder.find_last_of("\\/") + 1);
    std::string command = "\"" + folder + "..\\..\\tests\\win32\\fixture.exe\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    for (int wait = 0; wait < 1000; ++wait) {
        if (FindWindowA(nullptr, shown.c_str()) != nullptr)
            return process.hProcess;
        Sleep(10);
    }
    return process.hProcess;
}

HANDLE StartWindows()
{
    return StartFixture("--title \"Bench Fenster\" --copies " + std::to_string(kWindows),
                        "Bench Fenster " + std::to_string(kWindows));
}

constexpr const char* kMissingTitle = "Bench Ohne Knopf";

// The window without the rule's button, sent to the bottom so that the scan first passes the
// other 100 windows, as it would on a desktop where the dialog has lost the focus.
HANDLE StartWindowWithoutTheButton(const char* option)
{
    std::string arguments = std::string("--title \"") + kMissingTitle + "\"";
    for (int i = 0; i < 200; ++i)
        arguments += std::string(" ") + option + " \"Knopf " + std::to_string(i) + "\"";
    HANDLE process = StartFixture(arguments, kMissingTitle);
    Sleep(300);
    SetWindowPos(FindWindowA(nullptr, kMissingTitle), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Sleep(200);
    return process;
}

void MeasureWindowWithoutTheButton(const char* label, const char* option, int samples)
{
    HANDLE process = StartWindowWithoutTheButton(option);
    if (process == nullptr)
        return;
    EntryList list;
    FillRules(list, 100);
    ListEntry& rule = list.AppendAtTail()->entry;
    CopyText(rule.title, kTitleCapacity, kMissingTitle);
    CopyText(rule.button, kButtonCapacity, "&Weiter");
    rule.condition = kAlwaysClick;
    rule.method = kButtonMessage;
    const Paired paired = MeasurePaired(list, samples);
    const std::string line = std::string("rules   101, matching window without the button, ") + label;
    PrintPaired(line.c_str(), paired, rule.clicks != 0 ? " (PRESSED?)" : "");
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

}  // namespace

int main(int argc, char** argv)
{
    int samples = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 15;
    HANDLE windows = StartWindows();
    if (windows == nullptr) {
        std::printf("could not start the fixture windows\n");
        return 1;
    }
    Sleep(500);

    FloorPass();
    std::printf("visible titled windows on the desktop: %d\n", g_floorVisible);
    std::printf("%d samples of %d alternating floor and ScanTick passes; ratio = ScanTick time / floor "
                "time per sample.\nA ScanTick pass that starts an accessibility walk includes the wait "
                "for its result.\n", samples, kPassesPerSample);

    for (int rules : {100, 1000}) {
        EntryList list;
        FillRules(list, rules);
        char label[32];
        std::snprintf(label, sizeof label, "rules %5d", rules);
        PrintPaired(label, MeasurePaired(list, samples), "");
    }

    MeasureWindowWithoutTheButton("200 descendants", "--nested-button", samples);
    MeasureWindowWithoutTheButton("200 accessible objects", "--windowless", samples);

    TerminateProcess(windows, 0);
    CloseHandle(windows);
    return 0;
}
