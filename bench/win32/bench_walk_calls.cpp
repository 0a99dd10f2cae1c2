// The questions one accessibility walk asks the target program, by kind, and how long it takes:
// a fixture window with 200 windowless push buttons, none of them the one looked for, once
// without and once with IEnumVARIANT on its object (many toolkits offer it, the fixture by
// default does not). The fixture counts what it answers. Run by tools/bench.sh under wine64.
//
//   bench_walk_calls.exe [walks]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "rules/entry_list.h"
#include "watcher/win32_accessibility.h"

namespace {

constexpr char kTitle[] = "Bench Fragen";

std::string ExeFolder()
{
    std::string folder(MAX_PATH, '\0');
    folder.resize(GetModuleFileNameA(nullptr, folder.data(), MAX_PATH));
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string LastCallsLine(const std::string& report)
{
    std::ifstream file(report);
    std::string line;
    std::string last;
    while (std::getline(file, line)) {
        if (line.rfind("calls ", 0) == 0)
            last = line;
    }
    return last;
}

bool Measure(bool enumVariant, int walks)
{
    const std::string report = ExeFolder() + "walk-calls.txt";
    DeleteFileA(report.c_str());
    std::string command = "\"";
    command.append(ExeFolder()).append("..\\..\\tests\\win32\\fixture.exe\" --title \"").append(kTitle);
    command.append("\" --report \"").append(report).append("\"");
    if (enumVariant)
        command.append(" --enum-variant");
    for (int i = 0; i < 200; ++i)
        command += " --windowless \"Knopf " + std::to_string(i) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    HWND window = nullptr;
    for (int wait = 0; wait < 1000 && window == nullptr; ++wait) {
        window = FindWindowA(nullptr, kTitle);
        Sleep(10);
    }
    const UINT reportCalls = RegisterWindowMessageA("BoxSweepFixtureCalls");
    std::vector<double> times;
    std::string calls;
    for (int walk = 0; window != nullptr && walk < walks; ++walk) {
        SendMessageA(window, reportCalls, 0, 0);
        AccessibleRequest request{1, reinterpret_cast<WindowHandle>(window), {}, true};
        CopyText(request.text, kButtonTextCapacity, "&Weiter");
        const DWORD start = GetTickCount();
        const ActionReply reply = SearchAccessibleTree(request);
        times.push_back(GetTickCount() - start);
        SendMessageA(window, reportCalls, 0, 0);
        calls = LastCallsLine(report);
        if (reply.outcome != ReplyOutcome::NotFound)
            calls += " (the walk did not end as expected)";
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (times.empty())
        return false;
    std::sort(times.begin(), times.end());
    std::printf("%-22s walk median %6.0f ms   %s\n", enumVariant ? "with IEnumVARIANT" : "without IEnumVARIANT",
                times[times.size() / 2], calls.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const int walks = argc > 1 ? std::atoi(argv[1]) : 5;
    std::printf("one walk of 200 windowless buttons, by the questions the target answered\n");
    bool ok = Measure(false, walks);
    ok = Measure(true, walks) && ok;
    return ok ? 0 : 1;
}
