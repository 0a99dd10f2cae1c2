// Starts the fixture program (or any program of the tests) and waits for it with bounded polls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "window_support.h"

// The folder of the running test executable, with a trailing backslash.
std::string TestBinaryFolder();

// A fresh temporary folder for one test, removed with everything in it on destruction.
// Removes a folder with everything in it.
void RemoveTree(const std::string& folder);

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};


class FixtureProcess {
public:
    // Starts fixture.exe with the title and extra arguments, and waits until its window shows
    // (with "--copies", until all of them do; Window() is then none).
    FixtureProcess(const std::string& title, const std::vector<std::string>& arguments,
                   const std::string& reportPath);
    ~FixtureProcess();

    HWND Window() const { return window_; }
    HWND Child(const char* text) const;
    // The report file's lines so far.
    std::vector<std::string> Events() const;
    bool WaitForEvent(const std::string& line, DWORD timeoutMs = 10000) const;
    bool Exited(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::string reportPath_;
};

std::string QuoteArgument(const std::string& argument);
