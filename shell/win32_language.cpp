// Language modules: resource-only DLLs in the working folder that carry the user's texts.
//
// A module is only ever mapped as data (never run): whatever *.dll lies in the working folder,
// the most it can do is offer texts. Strings, dialogs and menus all load from such a handle.
#include <windows.h>

#include <cstring>
#include <string>

#include "resources/resource_ids.h"
#include "shell/language_choice.h"
#include "shell/win32_app.h"

namespace {

constexpr char kBuiltInItem[] = "Deutsch (boxsweep.exe)";
constexpr char kBuiltInModule[] = "boxsweep.exe";
constexpr int kLanguageNameCapacity = 23;
constexpr int kChoiceCapacity = 64;

// Relative to the working folder, never searched for along the DLL path.
HMODULE OpenModuleAsData(const char* fileName)
{
    const std::string path = std::string(".\\") + fileName;
    HMODULE module =
        LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    // Systems before Vista do not know the second flag and refuse the call; 32-bit Wine refuses
    // a module of the other architecture with it (ERROR_BAD_EXE_FORMAT), yet reads the same file
    // as a plain data file.
    const DWORD error = module == nullptr ? GetLastError() : ERROR_SUCCESS;
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_BAD_EXE_FORMAT)
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

bool IsBuiltIn(const char* name)
{
    return name[0] == '\0' || lstrcmpiA(name, kBuiltInModule) == 0;
}

// Loads from the language module, and from the built-in resources when the module lacks a
// usable resource: a module with a gap must not leave the user without the dialog or text.
// The language name (string 0) of a module in the working folder; false for a file that does not
// load as a module or lacks the name, which is then never offered.
bool ReadModuleLanguageName(const char* fileName, char* name, int capacity)
{
    HMODULE module = OpenModuleAsData(fileName);
    if (module == nullptr)
        return false;
    const bool named = LoadStringA(module, IDS_LANGUAGE, name, capacity) > 0;
    FreeLibrary(module);
    return named;
}

template <typename Result, typename Load>
Result LoadWithFallback(Load load, Result failed)
{
    const Result result = load(g_program->language);
    if (result != failed || g_program->language == g_program->instance)
        return result;
    return load(g_program->instance);
}

}  // namespace

void LoadLanguageModule(const char* name)
{
    g_program->language = IsBuiltIn(name) ? nullptr : OpenModuleAsData(name);
    if (g_program->language == nullptr)
        g_program->language = g_program->instance;
}

HMODULE LanguageModule()
{
    return g_program->language;
}

void ReleaseLanguageModule()
{
    if (g_program->language != nullptr && g_program->language != g_program->instance)
        FreeLibrary(g_program->language);
    g_program->language = nullptr;
}

void LoadLanguageString(UINT id, char* buffer, int capacity)
{
    buffer[0] = '\0';
    auto load = [&](HMODULE module) { return LoadStringA(module, id, buffer, capacity) > 0; };
    LoadWithFallback(load, false);
}

INT_PTR RunLanguageDialog(UINT id, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    return LoadWithFallback(
        [&](HMODULE module) {
            return DialogBoxParamA(module, MAKEINTRESOURCEA(id), owner, procedure, parameter);
        },
        static_cast<INT_PTR>(-1));
}

HWND CreateLanguageDialog(UINT id, HWND parent, DLGPROC procedure)
{
    auto create = [&](HMODULE module) {
        return CreateDialogParamA(module, MAKEINTRESOURCEA(id), parent, procedure, 0);
    };
    return LoadWithFallback(create, static_cast<HWND>(nullptr));
}

HMENU LoadLanguageMenu(UINT id)
{
    return LoadWithFallback([&](HMODULE module) { return LoadMenuA(module, MAKEINTRESOURCEA(id)); },
                            static_cast<HMENU>(nullptr));
}

void FillLanguages(HWND dropdown)
{
    SendMessageA(dropdown, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kBuiltInItem));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.dll", &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // A name that could not be stored and read back would name another file next time.
        if (!IsOfferableModuleName(found.cFileName, kLanguageCapacity))
            continue;
        char name[kLanguageNameCapacity];
        if (!ReadModuleLanguageName(found.cFileName, name, sizeof name))
            continue;
        const std::string item = FormatLanguageItem(name, found.cFileName);
        SendMessageA(dropdown, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The item that begins with the current module's language name, letter case ignored.
void SelectCurrentLanguage(HWND dropdown)
{
    char name[kLanguageNameCapacity];
    LoadLanguageString(IDS_LANGUAGE, name, sizeof name);
    const LRESULT index = SendMessageA(dropdown, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    SendMessageA(dropdown, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool ChooseDisplayLanguage(char* name)
{
    auto isUsable = [](const char* module) {
        char language[kLanguageNameCapacity];
        return ReadModuleLanguageName(module, language, sizeof language);
    };
    const char* module = FirstStartModule(GetUserDefaultUILanguage(), isUsable);
    if (module == nullptr)
        return false;
    lstrcpynA(name, module, kLanguageCapacity);
    return true;
}

// The item of the module a first start takes; the built-in language's when there is none.
void SelectFirstStartLanguage(HWND dropdown)
{
    std::string item = kBuiltInItem;
    char module[kLanguageCapacity];
    char name[kLanguageNameCapacity];
    if (ChooseDisplayLanguage(module) && ReadModuleLanguageName(module, name, sizeof name))
        item = FormatLanguageItem(name, module);
    const LPARAM text = reinterpret_cast<LPARAM>(item.c_str());
    const LRESULT found = SendMessageA(dropdown, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text);
    SendMessageA(dropdown, CB_SETCURSEL, found != CB_ERR ? static_cast<WPARAM>(found) : 0, 0);
}

// Without a selection, or with a text that names no file, the language stays as it was.
bool ReadLanguageChoice(HWND page, char* name)
{
    if (SendDlgItemMessageA(page, IDC_LANGUAGE, CB_GETCURSEL, 0, 0) == CB_ERR)
        return false;
    char text[kChoiceCapacity];
    GetDlgItemTextA(page, IDC_LANGUAGE, text, sizeof text);
    char chosen[kLanguageCapacity];
    if (!ModuleNameFromChoice(text, chosen, sizeof chosen))
        return false;
    const bool changed = std::strcmp(chosen, name) != 0;
    lstrcpynA(name, chosen, kLanguageCapacity);
    return changed;
}

// Starts this very executable again, not whatever "boxsweep.exe" the search path finds first,
// in the same working folder.
void RestartProgram()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    std::string commandLine = std::string("\"") + path + "\" /restart";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}
