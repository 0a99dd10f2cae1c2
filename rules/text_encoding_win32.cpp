// Every rules/*.cpp is compiled on both platforms; this half serves the Windows build.
#ifdef _WIN32

#include "rules/text_encoding.h"

#include <windows.h>

#include <climits>

namespace {

UINT g_pinnedAnsiCodePage = 0;
UINT g_pinnedProgramCodePage = 0;

// The process's code page: UTF-8 where the manifest's setting is honoured.
UINT ProgramCodePage()
{
    return g_pinnedProgramCodePage != 0 ? g_pinnedProgramCodePage : GetACP();
}

// The ANSI code page of the named locale, or 0 when it cannot be learnt.
UINT AnsiCodePageOf(const wchar_t* locale)
{
    DWORD codePage = 0;
    const int got = GetLocaleInfoEx(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                    reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR));
    return got == 0 ? 0 : codePage;
}

// The system's own ANSI code page. GetACP() cannot tell it: the manifest makes that UTF-8. Wine 8
// refuses the system locale's stand-in name, so its real name is asked for when that fails.
UINT AnsiCodePage()
{
    if (g_pinnedAnsiCodePage != 0)
        return g_pinnedAnsiCodePage;
    UINT codePage = AnsiCodePageOf(LOCALE_NAME_SYSTEM_DEFAULT);
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    if (codePage == 0 && GetSystemDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0)
        codePage = AnsiCodePageOf(name);
    // A locale of Unicode only has no ANSI code page: the process's stands in for it.
    return codePage == 0 ? GetACP() : codePage;
}

bool Widen(UINT codePage, std::string_view bytes, std::wstring* wide)
{
    wide->clear();
    if (bytes.empty())
        return true;
    if (bytes.size() > INT_MAX / 2)
        return false;
    const int inLength = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), inLength, nullptr, 0);
    if (length <= 0)
        return false;
    wide->resize(length);
    return MultiByteToWideChar(codePage, 0, bytes.data(), inLength, wide->data(), length) == length;
}

// *fits tells whether every character had its place in the code page. WC_NO_BEST_FIT_CHARS keeps
// the system from putting a look-alike (a plain "A" for an A with a macron) where the code page
// lacks a character: a pattern must not quietly turn into one that matches other titles.
bool Narrow(UINT codePage, const std::wstring& wide, std::string* bytes, bool* fits)
{
    bytes->clear();
    *fits = true;
    if (wide.empty())
        return true;
    // The conversion to UTF-8 takes neither flags nor a default character: it has every character.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* missing = utf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int inLength = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), inLength, nullptr, 0, missing, used);
    if (length <= 0)
        return false;
    bytes->resize(length);
    usedDefault = FALSE;
    const int written =
        WideCharToMultiByte(codePage, flags, wide.data(), inLength, bytes->data(), length, missing, used);
    if (written != length)
        return false;
    *fits = !usedDefault;
    return true;
}

// No 8-bit code page holds a character beyond U+FFFF; its two UTF-16 halves would each become a
// "?", where every other missing character gives one. *joined tells that there was one.
std::wstring OneMarkPerCharacter(const std::wstring& wide, bool* joined)
{
    std::wstring marked;
    marked.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
        marked += pair ? L'?' : wide[i];
        i += pair ? 1 : 0;
        *joined = *joined || pair;
    }
    return marked;
}

// Through UTF-16, the only way between two code pages the system offers. False when the system
// could not convert the text at all.
bool Convert(UINT from, UINT to, std::string_view text, std::string* converted, bool* fits)
{
    std::wstring wide;
    if (!Widen(from, text, &wide))
        return false;
    bool joined = false;
    if (!Narrow(to, to == CP_UTF8 ? wide : OneMarkPerCharacter(wide, &joined), converted, fits))
        return false;
    *fits = *fits && !joined;
    return true;
}

}  // namespace

// UTF-8 is repaired before the system sees it, so that every version of Windows and Wine puts
// the same U+FFFD for the same bad bytes. A text the system cannot convert stays as it is rather
// than being lost.
std::string ProgramTextFromUtf8(std::string_view utf8)
{
    const std::string repaired = RepairUtf8(utf8);
    const UINT program = ProgramCodePage();
    std::string text;
    bool fits = true;
    if (program == CP_UTF8 || !Convert(CP_UTF8, program, repaired, &text, &fits))
        return repaired;
    return text;
}

std::string ProgramTextToUtf8(std::string_view text)
{
    const UINT program = ProgramCodePage();
    std::string utf8;
    bool fits = true;
    if (program == CP_UTF8 || !Convert(program, CP_UTF8, text, &utf8, &fits))
        return RepairUtf8(text);
    return utf8;
}

// Where the program works in the ANSI code page itself (a Windows without the UTF-8 process code
// page), the bytes are taken as they are, as they always were.
std::string ProgramTextFromAnsi(std::string_view bytes)
{
    const UINT program = ProgramCodePage();
    const UINT ansi = AnsiCodePage();
    if (ansi == program)
        return program == CP_UTF8 ? RepairUtf8(bytes) : std::string(bytes);
    std::string text;
    bool fits = true;
    if (!Convert(ansi, program, bytes, &text, &fits))
        return std::string(bytes);
    return text;
}

bool ProgramTextToAnsi(std::string_view text, std::string* bytes)
{
    const UINT program = ProgramCodePage();
    const UINT ansi = AnsiCodePage();
    if (ansi == program) {
        *bytes = text;
        return true;
    }
    bool fits = true;
    const std::string source = program == CP_UTF8 ? RepairUtf8(text) : std::string(text);
    return Convert(program, ansi, source, bytes, &fits) && fits;
}

const char* ProgramReplacement()
{
    return ProgramCodePage() == CP_UTF8 ? kReplacementCharacter : "?";
}

void PinCodePagesForTests(unsigned ansiCodePage, unsigned programCodePage)
{
    g_pinnedAnsiCodePage = ansiCodePage;
    g_pinnedProgramCodePage = programCodePage;
}

#endif
