// Test helper for the installed package: reads shortcuts the way the shell does and starts the
// program from one, as a click on it would.
//
//   shortcut_start.exe --folders          the folders the packages install into, and the user's
//                                         application data folder
//   shortcut_start.exe --products UPGRADE the installed products of that upgrade code, one
//                                         "{PRODUCT-CODE} VERSION" a line
//   shortcut_start.exe --show LNK         the shortcut's target, working folder and arguments
//   shortcut_start.exe --start LNK MS     start the shortcut's target with its arguments in its
//                                         working folder and wait for it to end, at most MS ms
//   shortcut_start.exe --stop             end a program that --start still waits for
//
// --start prints "exit N" with the program's exit status when it ends by itself. When the wait
// runs out or --stop asks, it ends the program, prints "terminated" and returns 2, so that a
// failed test never leaves the program running.
#include <windows.h>
#include <msi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kStopEventName[] = "BoxSweepPackageTestStop";

void PrintLine(const char* key, const std::string& value)
{
    std::printf("%s=%s\n", key, value.c_str());
    std::fflush(stdout);
}

bool PrintFolder(const char* key, int folder)
{
    char path[MAX_PATH] = "";
    // The Startup folder may not exist before a package puts a shortcut there.
    if (FAILED(SHGetFolderPathA(nullptr, folder | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT,
                                path)))
        return false;
    PrintLine(key, path);
    return true;
}

// Windows Installer's own view: what msiexec registered, not what happens to be on disk.
int PrintProducts(const char* upgradeCode)
{
    char product[39] = "";
    for (DWORD i = 0; MsiEnumRelatedProductsA(upgradeCode, 0, i, product) == ERROR_SUCCESS; ++i) {
        char version[64] = "";
        DWORD size = sizeof version;
        MsiGetProductInfoA(product, INSTALLPROPERTY_VERSIONSTRING, version, &size);
        std::printf("%s %s\n", product, version);
    }
    std::fflush(stdout);
    return 0;
}

struct Shortcut {
    std::string target;
    std::string workingFolder;
    std::string arguments;
};

bool ReadShortcut(const char* file, Shortcut& shortcut)
{
    wchar_t wideFile[MAX_PATH] = L"";
    if (MultiByteToWideChar(CP_ACP, 0, file, -1, wideFile, MAX_PATH) == 0)
        return false;

    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* persist = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)));
    if (ok) {
        ok = SUCCEEDED(persist->Load(wideFile, STGM_READ));
        persist->Release();
    }
    char text[MAX_PATH * 2] = "";
    if (ok && SUCCEEDED(link->GetPath(text, sizeof text, nullptr, 0)))
        shortcut.target = text;
    text[0] = '\0';
    if (ok && SUCCEEDED(link->GetWorkingDirectory(text, sizeof text)))
        shortcut.workingFolder = text;
    text[0] = '\0';
    if (ok && SUCCEEDED(link->GetArguments(text, sizeof text)))
        shortcut.arguments = text;
    link->Release();
    return ok && !shortcut.target.empty();
}

void PrintShortcut(const Shortcut& shortcut)
{
    PrintLine("target", shortcut.target);
    PrintLine("workdir", shortcut.workingFolder);
    PrintLine("args", shortcut.arguments);
}

int StartAndWait(const Shortcut& shortcut, DWORD timeoutMs)
{
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, kStopEventName);
    if (stop == nullptr)
        return 1;
    std::string commandLine = "\"" + shortcut.target + "\"";
    if (!shortcut.arguments.empty())
        commandLine += " " + shortcut.arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const char* folder = shortcut.workingFolder.empty() ? nullptr : shortcut.workingFolder.c_str();
    if (!CreateProcessA(shortcut.target.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                        nullptr, folder, &startup, &process)) {
        std::printf("cannot start %s\n", shortcut.target.c_str());
        return 1;
    }
    CloseHandle(process.hThread);
    std::printf("started\n");
    std::fflush(stdout);

    HANDLE waitFor[2] = {process.hProcess, stop};
    DWORD which = WaitForMultipleObjects(2, waitFor, FALSE, timeoutMs);
    if (which == WAIT_OBJECT_0) {
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        std::printf("exit %lu\n", static_cast<unsigned long>(status));
        std::fflush(stdout);
        return 0;
    }
    TerminateProcess(process.hProcess, 3);
    WaitForSingleObject(process.hProcess, 5000);
    std::printf("terminated\n");
    std::fflush(stdout);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--folders") {
        bool ok = PrintFolder("localappdata", CSIDL_LOCAL_APPDATA) &&
                  PrintFolder("programs", CSIDL_PROGRAMS) && PrintFolder("startup", CSIDL_STARTUP) &&
                  PrintFolder("appdata", CSIDL_APPDATA) &&
                  PrintFolder("programfiles", CSIDL_PROGRAM_FILES) &&
                  PrintFolder("commonprograms", CSIDL_COMMON_PROGRAMS) &&
                  PrintFolder("commonstartup", CSIDL_COMMON_STARTUP);
        return ok ? 0 : 1;
    }
    if (mode == "--products" && argc == 3)
        return PrintProducts(argv[2]);
    if (mode == "--stop") {
        HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, kStopEventName);
        if (stop == nullptr)
            return 0;
        SetEvent(stop);
        CloseHandle(stop);
        return 0;
    }
    if ((mode == "--show" && argc == 3) || (mode == "--start" && argc == 4)) {
        if (FAILED(CoInitialize(nullptr)))
            return 1;
        Shortcut shortcut;
        bool ok = ReadShortcut(argv[2], shortcut);
        CoUninitialize();
        if (!ok) {
            std::printf("cannot read %s\n", argv[2]);
            return 1;
        }
        PrintShortcut(shortcut);
        if (mode == "--show")
            return 0;
        return StartAndWait(shortcut, static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    }
    std::fprintf(stderr, "usage: shortcut_start --folders | --products UPGRADE | --show LNK | --start LNK MS"
                         " | --stop\n");
    return 2;
}
