#include "fixture_process.h"

#include <algorithm>

#include <cstdio>
#include <fstream>

std::string TestBinaryFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : folder.substr(0, slash + 1);
}

TempFolder::TempFolder()
{
    char base[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, base);
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%sboxsweep-test-%lu-%lu", base, GetCurrentProcessId(),
                      GetTickCount() + attempt);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

TempFolder::~TempFolder()
{
    if (!path_.empty())
        RemoveTree(path_);
}

std::string QuoteArgument(const std::string& argument)
{
    std::string quoted(1, '"');
    quoted += argument;
    quoted += '"';
    return quoted;
}

FixtureProcess::FixtureProcess(const std::string& title, const std::vector<std::string>& arguments,
                               const std::string& reportPath)
    : reportPath_(reportPath)
{
    std::string commandLine = QuoteArgument(TestBinaryFolder() + "fixture.exe") + " --title "
                              + QuoteArgument(title) + " --report " + QuoteArgument(reportPath);
    for (const std::string& argument : arguments) {
        commandLine += ' ';
        commandLine += QuoteArgument(argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_))
        return;
    // Copies have numbered titles: there is no window of the title itself to wait for.
    const bool copies = std::find(arguments.begin(), arguments.end(), "--copies") != arguments.end();
    WaitUntil([&] {
        if (copies)
            return WaitForEvent("ready", 0);
        HWND found = FindWindowA("BoxSweepFixture", title.c_str());
        if (found == nullptr || !IsWindowVisible(found))
            return false;
        window_ = found;
        return WaitForEvent("ready", 0);
    });
}

FixtureProcess::~FixtureProcess()
{
    if (process_.hProcess == nullptr)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND FixtureProcess::Child(const char* text) const
{
    return FindWindowExA(window_, nullptr, nullptr, text);
}

std::vector<std::string> FixtureProcess::Events() const
{
    std::vector<std::string> lines;
    std::ifstream file(reportPath_);
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line);
    return lines;
}

bool FixtureProcess::WaitForEvent(const std::string& line, DWORD timeoutMs) const
{
    return WaitUntil(
        [&] {
            for (const std::string& event : Events()) {
                if (event == line)
                    return true;
            }
            return false;
        },
        timeoutMs);
}

bool FixtureProcess::Exited(DWORD timeoutMs) const
{
    return process_.hProcess != nullptr
           && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}
