// How fast BoxSweep answers a new dialog, with early scans and with the scan timer alone, and
// what the early scans cost in CPU while unrelated windows come and go. Run under Wine by
// tools/bench.sh, never by the tests.
//
//   bench_early_scan.exe [dialogs] [cpu-seconds] [NAME=PROGRAM]...
//
// For each build (boxsweep.exe and boxsweep_timer_only.exe, the same program without early
// scans) it starts the program in a temporary working folder with one rule and the default
// interval of 1000 ms, then shows a matching dialog at random moments and records the time
// from the dialog becoming visible to its button's click. Then it opens and closes 100
// unrelated windows over the CPU period and reads the program's CPU time. Each NAME=PROGRAM adds
// another build to the same run (an older boxsweep.exe, to compare before and after a change).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr char kProbeTitle[] = "Latenzprobe";
constexpr int kOkId = 1;
constexpr DWORD kClickTimeoutMs = 3000;

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

double g_clickedAt = 0;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == kOkId && g_clickedAt == 0)
        g_clickedAt = NowMs();
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpFor(double milliseconds)
{
    const double end = NowMs() + milliseconds;
    while (NowMs() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(1);
    }
}

std::string ExeFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

struct Program {
    PROCESS_INFORMATION process{};
    std::string folder;
};

bool StartProgram(const std::string& exe, Program& program)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    program.folder = std::string(temp) + "boxsweep-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(program.folder.c_str(), nullptr);
    const std::string list = program.folder + "\\BOXSWEEP.LST";
    FILE* file = std::fopen(list.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fprintf(file, "1.63\r\n%s\r\nOK\r\n\r\n1\r\n3\r\n0\r\nend of list\r\n1\r\n1000\r\nboxsweep.exe\r\n3\r\n",
                 kProbeTitle);
    std::fclose(file);
    std::string commandLine = "\"" + exe + "\" /nodde";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program.folder.c_str(), &startup, &program.process))
        return false;
    // The main window hides 800 ms after start; watching (and listening) begins then.
    PumpFor(2000);
    return true;
}

void StopProgram(Program& program)
{
    TerminateProcess(program.process.hProcess, 0);
    WaitForSingleObject(program.process.hProcess, 5000);
    CloseHandle(program.process.hThread);
    CloseHandle(program.process.hProcess);
    DeleteFileA((program.folder + "\\BOXSWEEP.LST").c_str());
    DeleteFileA((program.folder + "\\BOXSWEEP.LST.new").c_str());
    RemoveDirectoryA(program.folder.c_str());
}

double CpuMs(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    auto toMs = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               1e4;
    };
    return toMs(kernel) + toMs(user);
}

// Shows the probe dialog at random moments; returns the reaction times in milliseconds
// (a dialog not answered within the bound counts as the bound).
std::vector<double> MeasureReactions(int dialogs, std::mt19937& random)
{
    std::uniform_int_distribution<int> pause(200, 1200);
    std::vector<double> reactions;
    for (int i = 0; i < dialogs; ++i) {
        PumpFor(pause(random));
        g_clickedAt = 0;
        HWND box = CreateWindowExA(0, "BenchProbe", kProbeTitle, WS_POPUP | WS_CAPTION, 200, 200, 240, 120,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 80, 40, 80, 26, box,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOkId)), GetModuleHandleA(nullptr), nullptr);
        ShowWindow(box, SW_SHOWNOACTIVATE);
        const double shown = NowMs();
        while (g_clickedAt == 0 && NowMs() - shown < kClickTimeoutMs)
            PumpFor(1);
        reactions.push_back(g_clickedAt != 0 ? g_clickedAt - shown : kClickTimeoutMs);
        DestroyWindow(box);
    }
    return reactions;
}

double CpuWhileWindowsComeAndGo(HANDLE process, int seconds)
{
    const int windows = 100;
    const double gap = seconds * 1000.0 / windows;
    const double before = CpuMs(process);
    for (int i = 0; i < windows; ++i) {
        const std::string title = "Unbeteiligtes Fenster " + std::to_string(i);
        HWND window = CreateWindowExA(0, "BenchProbe", title.c_str(), WS_OVERLAPPEDWINDOW, 300, 300, 200, 100,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        PumpFor(gap / 2);
        DestroyWindow(window);
        PumpFor(gap / 2);
    }
    return CpuMs(process) - before;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
    return values[index];
}

void Report(const char* name, const std::vector<double>& reactions, double cpu, int seconds)
{
    std::printf("%-22s reaction p50 %6.1f ms  p95 %6.1f ms  max %6.1f ms   CPU over %d s: %6.1f ms\n", name,
                Percentile(reactions, 0.5), Percentile(reactions, 0.95), Percentile(reactions, 1.0), seconds, cpu);
}

}  // namespace

int main(int argc, char** argv)
{
    const int dialogs = argc > 1 ? std::atoi(argv[1]) : 50;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    WNDCLASSA probeClass{};
    probeClass.lpfnWndProc = ProbeProc;
    probeClass.hInstance = GetModuleHandleA(nullptr);
    probeClass.lpszClassName = "BenchProbe";
    probeClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&probeClass);

    const std::string folder = ExeFolder();
    struct Build {
        std::string name;
        std::string exe;
    };
    std::vector<Build> builds = {
        {"with early scans", folder + "boxsweep.exe"},
        {"timer alone", folder + "boxsweep_timer_only.exe"},
    };
    for (int i = 3; i < argc; ++i) {
        const std::string named = argv[i];
        const size_t equals = named.find('=');
        if (equals != std::string::npos)
            builds.push_back(Build{named.substr(0, equals), named.substr(equals + 1)});
    }
    std::mt19937 random(1963);
    for (const auto& build : builds) {
        Program program;
        if (!StartProgram(build.exe, program)) {
            std::printf("%s: could not start %s\n", build.name.c_str(), build.exe.c_str());
            return 1;
        }
        const std::vector<double> reactions = MeasureReactions(dialogs, random);
        const double cpu = CpuWhileWindowsComeAndGo(program.process.hProcess, seconds);
        Report(build.name.c_str(), reactions, cpu, seconds);
        StopProgram(program);
        std::fflush(stdout);
    }
    return 0;
}
