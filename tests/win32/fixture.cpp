// A target window for the Win32 tests: a top-level window with a given title, buttons and static
// texts, that writes what happens to it into a report file, one line per event, flushed at once.
//
//   fixture.exe --title T [--button TEXT]... [--static TEXT]... [--nested TEXT]...
//               [--report FILE] [--hang-on-click MS] [--modal-on-click MS] [--at X Y] [--copies N]
//               [--also-hidden TEXT]... [--also-untitled]
//               [--nested-button TEXT]... [--nested-disabled TEXT]... [--nested-hidden TEXT]...
//               [--windowless TEXT]... [--modal-on-default MS] [--late-windowless MS TEXT]...
//               [--winforms-button TEXT]... [--delphi-button TEXT]... [--panel-static TEXT]...
//               [--embedded-windowless TEXT]... [--enum-variant] [--close-delay MS]
//
// --nested puts a static inside a group box, so that it is a grandchild of the window.
// --nested-button, --nested-disabled and --nested-hidden put buttons two container windows down,
// as task dialogs keep theirs; their clicks report "command nested TEXT".
// --windowless draws a push button with no window of its own, known to other programs only
// through the window's accessibility object; its default action reports "default TEXT", mouse
// buttons on it "lbuttondown windowless TEXT" and so on.
// --late-windowless adds such a button only MS after the window is shown, reporting "appear TEXT";
// until then the window describes no tree at all.
// --winforms-button, --delphi-button and --panel-static put superclasses of the system button
// and a static into a panel (clicks report "command toolkit TEXT", a BM_CLICK reaching the static
// "clicked static TEXT"); --embedded-windowless puts windowless buttons into a child window that
// describes them while the top-level window describes none (see fixture_toolkits.h).
// --enum-variant makes the accessibility objects offer IEnumVARIANT over their children. The
// registered message "BoxSweepFixtureCalls" reports the questions they answered since the last
// time, by kind: "calls queries=N childcounts=N children=N roles=N names=N states=N ...".
// --hang-on-click makes the window's thread stop pumping messages for MS milliseconds when a
// button is clicked, like a program that hangs while handling it.
// --modal-on-click and --modal-on-default run a modal loop of MS milliseconds inside a button's
// click handler or a windowless button's default action, as a confirmation box would: the thread
// takes messages meanwhile, but the click's sender hears back only at its end, which reports
// "modal end TEXT" or "default end TEXT".
// --copies N opens N plain windows titled "T 1" to "T N" instead (for the benchmarks), each with a
// button "OK" whose click reports "command T i"; with --hang-on-click each window has a thread of
// its own, so that one that hangs holds up none of the others.
// --close-delay makes the window take MS milliseconds to go after a close request, as a program
// that tidies up first.
// --also-hidden opens one more window with that title that is never shown; --also-untitled one
// more visible window without a title (windows a window list must leave out).
// Report lines: "command TEXT", "lbuttondown TEXT", "lbuttonup TEXT", "rbuttondown TEXT",
// "rbuttonup TEXT", "close WPARAM", "maximized", "minimized".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fixture_toolkits.h"

#include "fixture_accessible.h"

namespace {

constexpr int kFirstButtonId = 1000;
constexpr int kFirstNestedId = 2000;
constexpr int kFirstToolkitId = 3000;
constexpr int kCopyButtonId = 4000;
constexpr UINT_PTR kLateTimer = 77;
constexpr UINT_PTR kCloseTimer = 78;
constexpr int kRow = 34;

std::string g_reportPath;
DWORD g_hangOnClickMs = 0;
DWORD g_modalOnClickMs = 0;
DWORD g_modalOnDefaultMs = 0;
DWORD g_closeDelayMs = 0;
CRITICAL_SECTION g_reportLock;
std::vector<std::string> g_buttons;
WNDPROC g_originalButtonProc = nullptr;

struct NestedButton {
    std::string text;
    bool disabled;
    bool hidden;
};
std::vector<NestedButton> g_nested;
std::vector<WindowlessButton> g_windowless;
std::vector<std::string> g_late;
DWORD g_lateMs = 0;
int g_lateTop = 0;
ToolkitControls g_toolkit;

void Report(const std::string& line)
{
    if (g_reportPath.empty())
        return;
    // Windows of their own threads report too: one line at a time.
    EnterCriticalSection(&g_reportLock);
    FILE* file = std::fopen(g_reportPath.c_str(), "ab");
    if (file != nullptr) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
    LeaveCriticalSection(&g_reportLock);
}

std::string TextOf(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void RunModalLoop(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
}

// What the accessibility object reports; a default action may run a modal loop before it returns.
void ReportFromAccessible(const std::string& line)
{
    Report(line);
    const std::string action = "default ";
    if (g_modalOnDefaultMs == 0 || line.compare(0, action.size(), action) != 0)
        return;
    RunModalLoop(g_modalOnDefaultMs);
    Report("default end " + line.substr(action.size()));
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        Report("lbuttondown " + TextOf(button));
        break;
    case WM_LBUTTONUP:
        Report("lbuttonup " + TextOf(button));
        break;
    case WM_RBUTTONDOWN:
        Report("rbuttondown " + TextOf(button));
        break;
    case WM_RBUTTONUP:
        Report("rbuttonup " + TextOf(button));
        break;
    default:
        break;
    }
    return CallWindowProcA(g_originalButtonProc, button, message, wParam, lParam);
}

void ReportCommand(int id)
{
    const int index = id - kFirstButtonId;
    const int nested = id - kFirstNestedId;
    if (index >= 0 && index < static_cast<int>(g_buttons.size())) {
        Report("command " + g_buttons[index]);
        if (g_hangOnClickMs != 0)
            Sleep(g_hangOnClickMs);
        if (g_modalOnClickMs != 0) {
            RunModalLoop(g_modalOnClickMs);
            Report("modal end " + g_buttons[index]);
        }
    } else if (nested >= 0 && nested < static_cast<int>(g_nested.size())) {
        Report("command nested " + g_nested[nested].text);
    } else if (const std::string* text = ToolkitButtonText(g_toolkit, kFirstToolkitId, id)) {
        Report("command toolkit " + *text);
    }
}

void ReportWindowlessMouse(const char* event, LPARAM lParam)
{
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    for (const WindowlessButton& button : g_windowless) {
        if (PtInRect(&button.rect, point))
            Report(std::string(event) + " windowless " + button.name);
    }
}

// Buttons drawn only a while after the window appeared, as a page that builds its content late.
void ShowLateButtons(HWND window)
{
    KillTimer(window, kLateTimer);
    for (const std::string& name : g_late) {
        g_windowless.push_back(WindowlessButton{name, RECT{10, g_lateTop, 150, g_lateTop + 28}});
        g_lateTop += kRow;
        Report("appear " + name);
    }
    g_late.clear();
    InvalidateRect(window, nullptr, TRUE);
}

// The containers pass their buttons' notifications up, as a dialog's panes do.
LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        return SendMessageA(GetParent(window), message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

void ReportAccessibleCalls()
{
    AccessibleCallCounts& calls = FixtureAccessibleCalls();
    Report("calls queries=" + std::to_string(calls.queries) + " childcounts=" + std::to_string(calls.childCounts)
           + " children=" + std::to_string(calls.children) + " roles=" + std::to_string(calls.roles)
           + " names=" + std::to_string(calls.names) + " states=" + std::to_string(calls.states)
           + " locations=" + std::to_string(calls.locations) + " actions=" + std::to_string(calls.actions)
           + " enumerations=" + std::to_string(calls.enumerations));
    calls = AccessibleCallCounts{};
}

LRESULT CALLBACK FixtureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static const UINT reportCalls = RegisterWindowMessageA("BoxSweepFixtureCalls");
    if (message == reportCalls && reportCalls != 0) {
        ReportAccessibleCalls();
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kCopyButtonId) {
            Report("command " + TextOf(window));
            if (g_hangOnClickMs != 0)
                Sleep(g_hangOnClickMs);
            return 0;
        }
        ReportCommand(LOWORD(wParam));
        return 0;
    case WM_GETOBJECT:
        return AnswerGetObject(window, wParam, lParam, &g_windowless, ReportFromAccessible);
    case WM_TIMER:
        if (wParam == kLateTimer)
            ShowLateButtons(window);
        if (wParam == kCloseTimer)
            DestroyWindow(window);
        return 0;
    case WM_LBUTTONDOWN:
        ReportWindowlessMouse("lbuttondown", lParam);
        return 0;
    case WM_RBUTTONDOWN:
        ReportWindowlessMouse("rbuttondown", lParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        for (WindowlessButton& button : g_windowless) {
            DrawEdge(dc, &button.rect, EDGE_RAISED, BF_RECT);
            DrawTextA(dc, button.name.c_str(), -1, &button.rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        Report("close " + std::to_string(static_cast<unsigned long>(wParam)));
        if (g_closeDelayMs != 0)
            SetTimer(window, kCloseTimer, g_closeDelayMs, nullptr);
        else
            DestroyWindow(window);
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_MAXIMIZED)
            Report("maximized");
        else if (wParam == SIZE_MINIMIZED)
            Report("minimized");
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateCopy(HINSTANCE instance, const std::string& title, int i)
{
    std::string name = title + " " + std::to_string(i);
    HWND window = CreateWindowExA(0, "BoxSweepFixture", name.c_str(), WS_OVERLAPPEDWINDOW, 10 + i, 10 + i,
                                  300, 120, nullptr, nullptr, instance, nullptr);
    CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 28, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCopyButtonId)), instance, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void PumpMessages()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

struct CopyThread {
    HINSTANCE instance;
    std::string title;
    int index;
    HANDLE created;
};

DWORD WINAPI RunCopyThread(void* parameter)
{
    CopyThread* copy = static_cast<CopyThread*>(parameter);
    CreateCopy(copy->instance, copy->title, copy->index);
    SetEvent(copy->created);
    PumpMessages();
    return 0;
}

// Many plain titled windows, each with a button, as a desktop for the benchmarks; on threads of
// their own when a click hangs.
int RunCopies(HINSTANCE instance, const std::string& title, int copies)
{
    if (g_hangOnClickMs == 0) {
        for (int i = 1; i <= copies; ++i)
            CreateCopy(instance, title, i);
        Report("ready");
        PumpMessages();
        return 0;
    }
    std::vector<CopyThread> threads(static_cast<size_t>(copies));
    std::vector<HANDLE> handles;
    for (int i = 1; i <= copies; ++i) {
        CopyThread& copy = threads[static_cast<size_t>(i - 1)];
        copy = CopyThread{instance, title, i, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        handles.push_back(CreateThread(nullptr, 0, RunCopyThread, &copy, 0, nullptr));
        WaitForSingleObject(copy.created, 10000);
    }
    Report("ready");
    for (HANDLE thread : handles)
        WaitForSingleObject(thread, INFINITE);
    return 0;
}

void SubclassButton(HWND button)
{
    WNDPROC previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProc)));
    if (g_originalButtonProc == nullptr)
        g_originalButtonProc = previous;
}

// A container holding a container holding the buttons. Returns the next free row's top.
int AddNestedButtons(HWND window, HINSTANCE instance, int top)
{
    if (g_nested.empty())
        return top;
    const int height = kRow * static_cast<int>(g_nested.size());
    HWND outer = CreateWindowExA(0, "BoxSweepContainer", "", WS_CHILD | WS_VISIBLE, 10, top, 320, height,
                                 window, nullptr, instance, nullptr);
    HWND inner = CreateWindowExA(0, "BoxSweepContainer", "", WS_CHILD | WS_VISIBLE, 0, 0, 320, height, outer,
                                 nullptr, instance, nullptr);
    for (size_t i = 0; i < g_nested.size(); ++i) {
        DWORD style = WS_CHILD | BS_PUSHBUTTON | (g_nested[i].hidden ? 0 : WS_VISIBLE)
                      | (g_nested[i].disabled ? WS_DISABLED : 0);
        HWND button = CreateWindowExA(0, "BUTTON", g_nested[i].text.c_str(), style, 0,
                                      kRow * static_cast<int>(i), 140, 28, inner,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstNestedId + i)),
                                      instance, nullptr);
        SubclassButton(button);
    }
    return top + height;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InitializeCriticalSection(&g_reportLock);
    std::string title = "Fixture";
    std::vector<std::string> statics;
    std::vector<std::string> nested;
    int x = 200;
    int y = 150;
    int copies = 0;
    std::vector<std::string> hiddenTitles;
    bool untitled = false;
    for (int i = 1; i < __argc; ++i) {
        std::string option = __argv[i];
        bool hasValue = i + 1 < __argc;
        if (TakeToolkitOption(g_toolkit, __argc, __argv, &i))
            continue;
        if (option == "--title" && hasValue)
            title = __argv[++i];
        else if (option == "--button" && hasValue)
            g_buttons.push_back(__argv[++i]);
        else if (option == "--static" && hasValue)
            statics.push_back(__argv[++i]);
        else if (option == "--nested" && hasValue)
            nested.push_back(__argv[++i]);
        else if (option == "--report" && hasValue)
            g_reportPath = __argv[++i];
        else if (option == "--hang-on-click" && hasValue)
            g_hangOnClickMs = static_cast<DWORD>(std::atoi(__argv[++i]));
        else if (option == "--modal-on-click" && hasValue)
            g_modalOnClickMs = static_cast<DWORD>(std::atoi(__argv[++i]));
        else if (option == "--modal-on-default" && hasValue)
            g_modalOnDefaultMs = static_cast<DWORD>(std::atoi(__argv[++i]));
        else if (option == "--also-hidden" && hasValue)
            hiddenTitles.push_back(__argv[++i]);
        else if (option == "--nested-button" && hasValue)
            g_nested.push_back(NestedButton{__argv[++i], false, false});
        else if (option == "--nested-disabled" && hasValue)
            g_nested.push_back(NestedButton{__argv[++i], true, false});
        else if (option == "--nested-hidden" && hasValue)
            g_nested.push_back(NestedButton{__argv[++i], false, true});
        else if (option == "--windowless" && hasValue)
            g_windowless.push_back(WindowlessButton{__argv[++i], RECT{}});
        else if (option == "--late-windowless" && i + 2 < __argc) {
            g_lateMs = static_cast<DWORD>(std::atoi(__argv[++i]));
            g_late.push_back(__argv[++i]);
        } else if (option == "--enum-variant") {
            OfferChildEnumerator(true);
        } else if (option == "--also-untitled")
            untitled = true;
        else if (option == "--copies" && hasValue)
            copies = std::atoi(__argv[++i]);
        else if (option == "--close-delay" && hasValue)
            g_closeDelayMs = static_cast<DWORD>(std::atoi(__argv[++i]));
        else if (option == "--at" && i + 2 < __argc) {
            x = std::atoi(__argv[++i]);
            y = std::atoi(__argv[++i]);
        }
    }

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FixtureProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "BoxSweepFixture";
    RegisterClassA(&windowClass);
    WNDCLASSA containerClass{};
    containerClass.lpfnWndProc = ContainerProc;
    containerClass.hInstance = instance;
    containerClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    containerClass.lpszClassName = "BoxSweepContainer";
    RegisterClassA(&containerClass);

    if (copies > 0)
        return RunCopies(instance, title, copies);

    for (const std::string& hidden : hiddenTitles)
        CreateWindowExA(0, "BoxSweepFixture", hidden.c_str(), WS_OVERLAPPEDWINDOW, x + 20, y + 20, 300,
                        120, nullptr, nullptr, instance, nullptr);
    if (untitled) {
        HWND plain = CreateWindowExA(0, "BoxSweepFixture", "", WS_OVERLAPPEDWINDOW, x + 40, y + 40, 300,
                                     120, nullptr, nullptr, instance, nullptr);
        ShowWindow(plain, SW_SHOWNOACTIVATE);
    }

    int rows = static_cast<int>(g_buttons.size() + statics.size()) + (nested.empty() ? 0 : 2)
               + static_cast<int>(nested.size()) + static_cast<int>(g_nested.size() + g_windowless.size())
               + static_cast<int>(g_late.size() + g_toolkit.winforms.size() + g_toolkit.delphi.size())
               + static_cast<int>(g_toolkit.statics.size() + g_toolkit.embedded.size()) + (g_toolkit.embedded.empty() ? 0 : 1);
    HWND window = CreateWindowExA(0, "BoxSweepFixture", title.c_str(),
                                  WS_OVERLAPPEDWINDOW, x, y, 360, 80 + rows * 34, nullptr, nullptr,
                                  instance, nullptr);
    int top = 10;
    for (size_t i = 0; i < statics.size(); ++i, top += 34)
        CreateWindowExA(0, "STATIC", statics[i].c_str(), WS_CHILD | WS_VISIBLE, 10, top, 320, 28,
                        window, nullptr, instance, nullptr);
    if (!nested.empty()) {
        HWND group = CreateWindowExA(0, "STATIC", "Gruppe", WS_CHILD | WS_VISIBLE, 10, top, 320,
                                     34 * static_cast<int>(nested.size() + 1), window, nullptr,
                                     instance, nullptr);
        int inner = 20;
        for (size_t i = 0; i < nested.size(); ++i, inner += 34)
            CreateWindowExA(0, "STATIC", nested[i].c_str(), WS_CHILD | WS_VISIBLE, 10, inner, 300,
                            28, group, nullptr, instance, nullptr);
        top += 34 * static_cast<int>(nested.size() + 2);
    }
    for (size_t i = 0; i < g_buttons.size(); ++i, top += 34) {
        HWND button = CreateWindowExA(0, "BUTTON", g_buttons[i].c_str(),
                                      WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10 + 0, top, 140, 28,
                                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)),
                                      instance, nullptr);
        SubclassButton(button);
    }
    top = AddNestedButtons(window, instance, top);
    top = AddToolkitControls(window, instance, top, kFirstToolkitId, g_toolkit, ReportFromAccessible);
    for (WindowlessButton& button : g_windowless) {
        button.rect = RECT{10, top, 150, top + 28};
        top += kRow;
    }
    g_lateTop = top;
    // The accessibility objects are handed to other processes through COM.
    if (!g_windowless.empty() || !g_late.empty() || !g_toolkit.embedded.empty())
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    if (!g_late.empty())
        SetTimer(window, kLateTimer, g_lateMs, nullptr);
    Report("ready");
    PumpMessages();
    return 0;
}
