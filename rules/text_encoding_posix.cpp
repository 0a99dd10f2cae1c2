// Every rules/*.cpp is compiled on both platforms; this half serves the POSIX build, where the
// program's texts are UTF-8 and the system's ANSI code page is taken to be Windows-1252, the code
// page of German and Dutch systems.
#ifndef _WIN32

#include "rules/text_encoding.h"

#include <cstdint>

namespace {

// Windows-1252 gives 0x80 to 0x9F to these characters; the rest of 0xA0 to 0xFF is Latin-1. The
// five bytes it leaves free stand for the control characters of the same number, as Windows'
// own conversion has them, so that every byte reads and writes back as itself.
const uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t FromWindows1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

// False when the code page has no place for the character.
bool ToWindows1252(uint32_t code, char* byte)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        *byte = static_cast<char>(code);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == code) {
            *byte = static_cast<char>(0x80 + i);
            return true;
        }
    }
    return false;
}

}  // namespace

std::string ProgramTextFromUtf8(std::string_view utf8)
{
    return RepairUtf8(utf8);
}

std::string ProgramTextToUtf8(std::string_view text)
{
    return RepairUtf8(text);
}

std::string ProgramTextFromAnsi(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size());
    for (char byte : bytes)
        AppendUtf8(utf8, FromWindows1252(static_cast<unsigned char>(byte)));
    return utf8;
}

bool ProgramTextToAnsi(std::string_view text, std::string* bytes)
{
    bytes->clear();
    bytes->reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        uint32_t code = static_cast<unsigned char>(text[at]);
        const size_t length = code < 0x80 ? 1 : Utf8SequenceAt(text, at, &code);
        char byte = 0;
        if (length == 0 || !ToWindows1252(code, &byte))
            return false;
        *bytes += byte;
        at += length;
    }
    return true;
}

const char* ProgramReplacement()
{
    return kReplacementCharacter;
}

#endif
