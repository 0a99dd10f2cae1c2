// The help: one compiled HTML Help file per language, in the working folder beside the language
// modules. Each module names its own file (string 50), so that a module and its help travel
// together; a module that names none gets the built-in language's.
//
// HTML Help's entry point lives in hhctrl.ocx, looked up at run time from the system folder: the
// program needs no import library for it, runs on where it is missing, and a copy dropped into
// the working folder can never stand in for it. Topics are opened by path ("FILE.chm::/page"),
// never by keyword: Wine's HtmlHelpA does not pass an HH_AKLINK request on to its wide form.
#include <windows.h>

#include <string>

#include "resources/resource_ids.h"
#include "shell/help_topics.h"
#include "shell/win32_app.h"

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kCloseAll = 0x0012;      // HH_CLOSE_ALL
constexpr int kHelpKeywordCapacity = 23;
constexpr int kHelpFileCapacity = 64;

// Loaded on the first request for help and never released: the library must outlive its
// windows, and the process's end releases it.
HtmlHelpFn g_htmlHelp = nullptr;

HtmlHelpFn LoadHtmlHelp()
{
    if (g_htmlHelp != nullptr)
        return g_htmlHelp;
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    HMODULE library = LoadLibraryA((std::string(folder, length) + "\\hhctrl.ocx").c_str());
    if (library == nullptr)
        return nullptr;
    FARPROC entry = GetProcAddress(library, "HtmlHelpA");
    g_htmlHelp = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(entry));
    return g_htmlHelp;
}

// The language module's help file, or the built-in language's where the module names none or a
// name that is not a plain file beside it.
std::string HelpFileName()
{
    char name[kHelpFileCapacity];
    LoadLanguageString(IDS_HELP_FILE, name, sizeof name);
    if (!IsHelpFileName(name))
        LoadStringA(g_program->instance, IDS_HELP_FILE, name, sizeof name);
    return name;
}

std::string InWorkingFolder(const std::string& name)
{
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return name;
    std::string path(folder, length);
    if (path.back() != '\\')
        path += '\\';
    return path + name;
}

}  // namespace

// The page that the language module's help keyword names, in a window of its own: the main
// window is hidden while BoxSweep watches, so it cannot own the help.
void OpenHelp()
{
    const std::string path = InWorkingFolder(HelpFileName());
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Said in the program's language, naming the file that was looked for: a help that
        // opens nothing would leave the user guessing.
        ShowNotice(IDS_HELP_MISSING, path.c_str());
        return;
    }
    char keyword[kHelpKeywordCapacity];
    LoadLanguageString(IDS_HELP_KEYWORD, keyword, sizeof keyword);
    const std::string topic = path + "::/" + HelpPageFor(keyword);
    HtmlHelpFn htmlHelp = LoadHtmlHelp();
    if (htmlHelp == nullptr || htmlHelp(nullptr, topic.c_str(), kDisplayTopic, 0) == nullptr)
        ShowNotice(IDS_HELP_FAILED, path.c_str());
}

void CloseHelpWindows()
{
    if (g_htmlHelp != nullptr)
        g_htmlHelp(nullptr, nullptr, kCloseAll, 0);
}
