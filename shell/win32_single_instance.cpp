#include "shell/win32_single_instance.h"

#include <windows.h>

#include <ddeml.h>

#include <cstring>

#include "shell/win32_app.h"

namespace {

constexpr char kServiceName[] = "BOXSWEEP";
constexpr char kShowTopic[] = "SHOWCFGDLG";
constexpr char kExitTopic[] = "EXITAPP";
constexpr DWORD kRestartWaitMs = 500;

DWORD g_ddeInstance = 0;

// The running instance's side. Every transaction that names a topic and a service is looked
// at (a connect arrives as XTYP_CONNECT and again as XTYP_CONNECT_CONFIRM; acting twice is
// harmless). A start that arrives while the setup dialog still runs finds no window to show or
// end and only connects.
HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ first, HSZ second, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    if (second == nullptr)
        return nullptr;
    char topic[16] = "";
    DdeQueryStringA(g_ddeInstance, first, topic, sizeof topic, CP_WINANSI);
    if (std::strcmp(topic, kShowTopic) == 0) {
        if (g_program->page != nullptr)
            ShowConfiguration();
    } else if (std::strcmp(topic, kExitTopic) == 0) {
        if (g_program->mainWindow != nullptr) {
            CollectSettings();
            EndProgram(0);
        }
    }
    return reinterpret_cast<HDDEDATA>(1);
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
    // The running instance acts on the topic while it accepts the connection.
    HCONV conversation = DdeConnect(g_ddeInstance, service, topic, nullptr);
    if (option == StartOption::Restart) {
        Sleep(kRestartWaitMs);
        g_program->hideAtStart = false;
    } else if (conversation != nullptr || option == StartOption::Exit) {
        return false;
    }
    return DdeNameService(g_ddeInstance, service, nullptr, DNS_REGISTER) != nullptr;
}
