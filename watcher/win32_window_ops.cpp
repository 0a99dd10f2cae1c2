#include "watcher/win32_window_ops.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "watcher/scan.h"
#include "watcher/win32_accessibility.h"

namespace {

HWND ToHwnd(WindowHandle window)
{
    return reinterpret_cast<HWND>(window);
}

WindowHandle FromHwnd(HWND window)
{
    return reinterpret_cast<WindowHandle>(window);
}

struct EnumThunk {
    EnumStep step;
    void* context;
};

BOOL CALLBACK EnumThunkProc(HWND window, LPARAM param)
{
    const EnumThunk* thunk = reinterpret_cast<const EnumThunk*>(param);
    return thunk->step(FromHwnd(window), thunk->context) ? TRUE : FALSE;
}

// For comparing texts as the window manager does: in UTF-16, each character folded on its own.
std::wstring UpperWide(const char* text)
{
    std::wstring wide = WideText(text);
    if (!wide.empty())
        CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wide;
}

// Other programs' texts are read in UTF-16, as they hold them, and never through a code page
// that lacks their characters. Longer texts than the buffer can take are cut there.
constexpr int kWideReadUnits = 2048;

int ReadWindowText(HWND window, char* buffer, int capacity)
{
    wchar_t wide[kWideReadUnits];
    const int units = capacity < kWideReadUnits ? capacity : kWideReadUnits;
    const int length = ::GetWindowTextW(window, wide, units);
    return NarrowText(wide, length > 0 ? length : 0, buffer, capacity);
}

// The mandatory integrity level of a token (low, medium, high, system), 0 when it cannot be read.
DWORD IntegrityLevel(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0)
        return 0;
    std::vector<BYTE> buffer(size);
    auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data());
    if (!GetTokenInformation(token, TokenIntegrityLevel, label, size, &size))
        return 0;
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    return count == 0 ? 0 : *GetSidSubAuthority(label->Label.Sid, count - 1);
}

// Access denied is a window of a higher integrity level: the message never arrived; any other
// failure is a window that is gone.
Delivery DeliveryAfterFailure()
{
    return GetLastError() == ERROR_ACCESS_DENIED ? Delivery::Refused : Delivery::Gone;
}

// --- Replies ------------------------------------------------------------------------------------

// Where replies and walk results go. Walk threads read it, so it changes under the lock only.
std::mutex g_sinkLock;
ReplySink g_sink = nullptr;
void* g_sinkContext = nullptr;
std::atomic<int> g_liveWalks{0};

void HandOver(const ActionReply& reply)
{
    std::lock_guard<std::mutex> hold(g_sinkLock);
    if (g_sink != nullptr)
        g_sink(reply, g_sinkContext);
}

// SendMessageCallback's completion, on the sending thread: the target has handled the message,
// or its process ended.
void CALLBACK OnMessageHandled(HWND, UINT, ULONG_PTR token, LRESULT)
{
    HandOver(ActionReply{static_cast<ActionToken>(token), ReplyOutcome::Processed, {}});
}

Delivery SendWithReply(HWND window, UINT message, ActionToken token)
{
    SetLastError(0);
    if (SendMessageCallbackA(window, message, 0, 0, OnMessageHandled, token))
        return Delivery::Delivered;
    return DeliveryAfterFailure();
}

// A walk may wait on its target for as long as the target hangs: each runs on a thread of its own,
// counted while it lives, which is left to finish on its own when the target never answers.
DWORD WINAPI SearchThread(void* parameter)
{
    std::unique_ptr<AccessibleRequest> request(static_cast<AccessibleRequest*>(parameter));
    HandOver(SearchAccessibleTree(*request));
    --g_liveWalks;
    return 0;
}

// Asks window whether its thread takes messages, without taking any of this thread's meanwhile:
// a look must not run other work while it waits.
bool SendWithinProbeBound(HWND window, UINT message, DWORD_PTR* result)
{
    return ::SendMessageTimeoutA(window, message, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kPingTimeoutMs,
                                 result) != 0;
}

class Win32WindowOps : public WindowOps {
public:
    void EnumWindows(EnumStep step, void* context) override
    {
        EnumThunk thunk{step, context};
        ::EnumWindows(EnumThunkProc, reinterpret_cast<LPARAM>(&thunk));
    }

    bool IsWindowVisible(WindowHandle window) override
    {
        return ::IsWindowVisible(ToHwnd(window)) != FALSE;
    }

    int GetWindowTextA(WindowHandle window, char* buffer, int capacity) override
    {
        return ReadWindowText(ToHwnd(window), buffer, capacity);
    }

    WindowHandle GetWindow(WindowHandle window, WindowRelation relation) override
    {
        UINT command = relation == WindowRelation::FirstChild ? GW_CHILD : GW_HWNDNEXT;
        return FromHwnd(::GetWindow(ToHwnd(window), command));
    }

    WindowHandle FindWindowExA(WindowHandle parent, const char* text) override
    {
        return FromHwnd(::FindWindowExW(ToHwnd(parent), nullptr, nullptr, WideText(text).c_str()));
    }

    bool GetWindowRect(WindowHandle window, WinRect* rect) override
    {
        RECT r;
        if (!::GetWindowRect(ToHwnd(window), &r))
            return false;
        *rect = WinRect{r.left, r.top, r.right, r.bottom};
        return true;
    }

    void BringWindowToTop(WindowHandle window) override { ::BringWindowToTop(ToHwnd(window)); }

    bool GetCursorPos(WinPoint* point) override
    {
        POINT p;
        if (!::GetCursorPos(&p))
            return false;
        *point = WinPoint{p.x, p.y};
        return true;
    }

    void SetCursorPos(int32_t x, int32_t y) override { ::SetCursorPos(x, y); }

    void MouseEvent(uint32_t flags, int32_t x, int32_t y) override
    {
        ::mouse_event(flags, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
    }

    bool Ping(WindowHandle window) override
    {
        DWORD_PTR result = 0;
        return SendWithinProbeBound(ToHwnd(window), WM_NULL, &result);
    }

    bool IsWindow(WindowHandle window) override { return ::IsWindow(ToHwnd(window)) != FALSE; }

    bool IsHung(WindowHandle window) override { return ::IsHungAppWindow(ToHwnd(window)) != FALSE; }

    // A process of higher integrity lets this one open it for the query, but its token may be shut
    // to it; that, too, means higher rights.
    bool HasHigherRights(WindowHandle window) override
    {
        DWORD processId = 0;
        if (GetWindowThreadProcessId(ToHwnd(window), &processId) == 0)
            return false;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (process == nullptr)
            return GetLastError() == ERROR_ACCESS_DENIED;
        HANDLE token = nullptr;
        const bool opened = OpenProcessToken(process, TOKEN_QUERY, &token) != FALSE;
        const bool denied = !opened && GetLastError() == ERROR_ACCESS_DENIED;
        CloseHandle(process);
        if (!opened)
            return denied;
        const DWORD theirs = IntegrityLevel(token);
        CloseHandle(token);
        HANDLE own = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
            return false;
        const DWORD ours = IntegrityLevel(own);
        CloseHandle(own);
        return theirs > ours;
    }

    Delivery PostClose(WindowHandle window) override
    {
        SetLastError(0);
        if (::PostMessageA(ToHwnd(window), WM_CLOSE, 1, 0))
            return Delivery::Delivered;
        return DeliveryAfterFailure();
    }

    bool IsZoomed(WindowHandle window) override { return ::IsZoomed(ToHwnd(window)) != FALSE; }
    bool IsIconic(WindowHandle window) override { return ::IsIconic(ToHwnd(window)) != FALSE; }

    WindowHandle GetForegroundWindow() override { return FromHwnd(::GetForegroundWindow()); }
    void SetForegroundWindow(WindowHandle window) override { ::SetForegroundWindow(ToHwnd(window)); }
    uint32_t Now() override { return GetTickCount(); }

    uint32_t GetProcessId(WindowHandle window) override
    {
        DWORD processId = 0;
        return GetWindowThreadProcessId(ToHwnd(window), &processId) != 0 ? processId : 0;
    }

    // A program with higher rights lets a program without them open it for this query too.
    int GetProgramFileName(WindowHandle window, char* buffer, int capacity) override
    {
        if (capacity <= 0)
            return 0;
        buffer[0] = '\0';
        DWORD processId = 0;
        if (GetWindowThreadProcessId(ToHwnd(window), &processId) == 0)
            return 0;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (process == nullptr)
            return 0;
        wchar_t path[kWideReadUnits];
        DWORD size = kWideReadUnits;
        const BOOL read = QueryFullProcessImageNameW(process, 0, path, &size);
        CloseHandle(process);
        if (!read)
            return 0;
        const wchar_t* slash = std::wcsrchr(path, L'\\');
        const wchar_t* name = slash != nullptr ? slash + 1 : path;
        return NarrowText(name, static_cast<int>(std::wcslen(name)), buffer, capacity);
    }

    Delivery SendButtonClick(WindowHandle button, ActionToken token) override
    {
        return SendWithReply(ToHwnd(button), BM_CLICK, token);
    }

    // The window's thread shows it when it gets to the request; the reply to a message sent after
    // it comes once it has.
    Delivery ShowWindowAsync(WindowHandle window, ShowCommand command, ActionToken token) override
    {
        HWND hwnd = ToHwnd(window);
        SetLastError(0);
        if (!::ShowWindowAsync(hwnd, command == ShowCommand::Maximize ? SW_SHOWMAXIMIZED : SW_MINIMIZE))
            return DeliveryAfterFailure();
        return SendWithReply(hwnd, WM_NULL, token);
    }

    bool StartAccessibleSearch(const AccessibleRequest& request) override
    {
        if (g_liveWalks >= kMaxLiveWalks)
            return false;
        auto job = std::make_unique<AccessibleRequest>(request);
        ++g_liveWalks;
        HANDLE thread = CreateThread(nullptr, 0, SearchThread, job.get(), 0, nullptr);
        if (thread == nullptr) {
            --g_liveWalks;
            return false;
        }
        job.release();  // the thread owns it now
        CloseHandle(thread);
        return true;
    }

    WindowHandle WindowFromPoint(WinPoint point) override
    {
        POINT p{point.x, point.y};
        return FromHwnd(::WindowFromPoint(p));
    }

    WindowHandle GetParent(WindowHandle window) override { return FromHwnd(::GetParent(ToHwnd(window))); }

    bool IsChild(WindowHandle parent, WindowHandle window) override
    {
        return ::IsChild(ToHwnd(parent), ToHwnd(window)) != FALSE;
    }

    int GetDlgItemTextA(WindowHandle window, int id, char* buffer, int capacity) override
    {
        return ReadWindowText(::GetDlgItem(ToHwnd(window), id), buffer, capacity);
    }

    void EnumChildWindows(WindowHandle parent, EnumStep step, void* context) override
    {
        EnumThunk thunk{step, context};
        ::EnumChildWindows(ToHwnd(parent), EnumThunkProc, reinterpret_cast<LPARAM>(&thunk));
    }

    bool IsWindowEnabled(WindowHandle window) override { return ::IsWindowEnabled(ToHwnd(window)) != FALSE; }

    int GetClassNameA(WindowHandle window, char* buffer, int capacity) override
    {
        wchar_t wide[256];
        const int length = ::GetClassNameW(ToHwnd(window), wide, 256);
        return NarrowText(wide, length > 0 ? length : 0, buffer, capacity);
    }

    bool AnswersAsButton(WindowHandle window) override
    {
        DWORD_PTR code = 0;
        if (!SendWithinProbeBound(ToHwnd(window), WM_GETDLGCODE, &code))
            return false;
        return (code & DLGC_BUTTON) != 0;
    }

    bool SameTextIgnoringCase(const char* a, const char* b) override { return SameWindowText(a, b); }

    WindowHandle GetRootWindow(WindowHandle window) override
    {
        return FromHwnd(::GetAncestor(ToHwnd(window), GA_ROOT));
    }

};

}  // namespace

WindowOps& RealWindowOps()
{
    static Win32WindowOps ops;
    return ops;
}

void SetReplySink(ReplySink sink, void* context)
{
    std::lock_guard<std::mutex> hold(g_sinkLock);
    g_sink = sink;
    g_sinkContext = context;
}

int LiveWalkThreads()
{
    return g_liveWalks;
}

bool SameWindowText(const char* a, const char* b)
{
    return UpperWide(a) == UpperWide(b);
}

std::wstring WideText(const char* text)
{
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), needed);
    wide.resize(static_cast<size_t>(needed - 1));
    return wide;
}

int NarrowText(const wchar_t* wide, int length, char* buffer, int capacity)
{
    if (capacity <= 0)
        return 0;
    buffer[0] = '\0';
    if (length <= 0)
        return 0;
    // Most texts fit at once; only a longer one is converted whole and cut between characters.
    const int direct = WideCharToMultiByte(CP_ACP, 0, wide, length, buffer, capacity - 1, nullptr, nullptr);
    if (direct > 0) {
        buffer[direct] = '\0';
        return direct;
    }
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return 0;
    std::string text(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), needed, nullptr, nullptr);
    CopyText(buffer, capacity, text.c_str());
    return static_cast<int>(std::strlen(buffer));
}
