#include "shell/win32_single_instance.h"

#include <windows.h>

#include <ddeml.h>

#include <cstring>

#include "shell/win32_app.h"

namespace {

constexpr char kServiceName[] = BOXSWEEP_DDE_SERVICE;
constexpr char kShowTopic[] = BOXSWEEP_DDE_SHOW_TOPIC;
constexpr char kExitTopic[] = BOXSWEEP_DDE_EXIT_TOPIC;
constexpr DWORD kRestartWaitMs = 500;
// How long a start that asked the running instance to end waits for it to be gone. The
// installer asks with "/exit" just before it replaces the program file, and "/restart" reads
// the list the old instance writes as it ends.
constexpr DWORD kExitWaitMs = 10000;

DWORD g_ddeInstance = 0;

// The running instance's side. Every transaction that names a topic and a service is looked
// at (a connect arrives as XTYP_CONNECT and again as XTYP_CONNECT_CONFIRM; asking twice is
// harmless). The request becomes the page's own command, "Konfigurieren" or "Beenden" of the tray menu, posted:
// the callback may run while the thread waits inside other work (a look of the watcher), which
// must not see the state change under it. A start that arrives while the setup dialog still runs
// finds no page and only connects.
HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ first, HSZ second, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    if (second == nullptr)
        return nullptr;
    char topic[16] = "";
    DdeQueryStringA(g_ddeInstance, first, topic, sizeof topic, CP_WINANSI);
    HWND page = g_program->page;
    if (page != nullptr && std::strcmp(topic, kShowTopic) == 0)
        PostMessageA(page, WM_COMMAND, IDM_CONFIGURE, 0);
    else if (page != nullptr && std::strcmp(topic, kExitTopic) == 0)
        PostMessageA(page, WM_COMMAND, IDM_EXIT, 0);
    return reinterpret_cast<HDDEDATA>(1);
}

// The process of the running instance's main window, to wait on; nullptr without one.
HANDLE OpenRunningInstance()
{
    HWND main = FindWindowA(BOXSWEEP_WINDOW_CLASS, nullptr);
    DWORD processId = 0;
    if (main == nullptr || GetWindowThreadProcessId(main, &processId) == 0)
        return nullptr;
    return OpenProcess(SYNCHRONIZE, FALSE, processId);
}

}  // namespace

bool NegotiateSingleInstance(StartOption option)
{
    const DWORD flags = APPCMD_FILTERINITS | CBF_FAIL_SELFCONNECTIONS | MF_SENDMSGS;
    if (DdeInitializeA(&g_ddeInstance, DdeCallback, flags, 0) != DMLERR_NO_ERROR)
        return false;
    const bool asksExit = option == StartOption::Exit || option == StartOption::Restart;
    HSZ service = DdeCreateStringHandleA(g_ddeInstance, kServiceName, CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(g_ddeInstance, asksExit ? kExitTopic : kShowTopic, CP_WINANSI);
    if (service == nullptr || topic == nullptr)
        return false;
    HANDLE running = asksExit ? OpenRunningInstance() : nullptr;
    // The running instance acts on the topic while it accepts the connection.
    HCONV conversation = DdeConnect(g_ddeInstance, service, topic, nullptr);
    // It saves its list and ends after the request is taken: only then is the list on disk
    // and the program file free.
    if (running != nullptr) {
        if (conversation != nullptr)
            WaitForSingleObject(running, kExitWaitMs);
        CloseHandle(running);
    }
    if (option == StartOption::Restart) {
        Sleep(kRestartWaitMs);
        g_program->hideAtStart = false;
    } else if (conversation != nullptr || option == StartOption::Exit) {
        return false;
    }
    return DdeNameService(g_ddeInstance, service, nullptr, DNS_REGISTER) != nullptr;
}
