// Every rules/*.cpp is compiled on both platforms; this half serves the Windows build.
#ifdef _WIN32

#include "rules/text_encoding.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring Utf8ToWide(const std::string& utf8)
{
    const int inLength = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, nullptr, 0);
    if (wideLength <= 0)
        return std::wstring();
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, wide.data(), wideLength);
    return wide;
}

// No ANSI code page holds a character beyond U+FFFF; its two UTF-16 halves would each become a
// "?", where every other missing character gives one.
std::wstring OneMarkPerCharacter(const std::wstring& wide)
{
    std::wstring joined;
    joined.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
        joined += pair ? L'?' : wide[i];
        i += pair ? 1 : 0;
    }
    return joined;
}

}  // namespace

// Through UTF-16, the only way between two code pages the system offers. WC_NO_BEST_FIT_CHARS
// keeps the system from putting a look-alike (a plain "A" for an A with a macron) where the code
// page lacks a character: a pattern must not quietly turn into one that matches other titles. A system whose
// ANSI code page is UTF-8 itself (a Windows 10 option) takes the text as it is; so does a text
// the system cannot convert, rather than losing the whole list.
std::string Utf8ToAnsi(const std::string& utf8)
{
    if (GetACP() == CP_UTF8 || utf8.size() > INT_MAX / 2)
        return utf8;
    const std::wstring wide = OneMarkPerCharacter(Utf8ToWide(utf8));
    const int wideLength = static_cast<int>(wide.size());
    const int ansiLength =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, "?", nullptr);
    if (ansiLength <= 0)
        return utf8;
    std::string ansi(ansiLength, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, ansi.data(), ansiLength, "?",
                        nullptr);
    return ansi;
}

#endif
