// Every rules/*.cpp is compiled on both platforms; this half serves the POSIX build, where the
// program's texts are taken to be Windows-1252, the code page of German and Dutch systems.
#ifndef _WIN32

#include "rules/text_encoding.h"

#include <cstdint>

namespace {

// Windows-1252 gives 0x80 to 0x9F to these characters; the rest of 0xA0 to 0xFF is Latin-1.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char ToWindows1252(uint32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == code)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Decodes one character at utf8[*at] and moves past it. A malformed sequence gives 0xFFFFFFFF
// and moves past its first byte only, so that what follows is read again.
uint32_t NextCharacter(const std::string& utf8, size_t* at)
{
    const unsigned char lead = static_cast<unsigned char>(utf8[*at]);
    uint32_t code = lead;
    const size_t length = lead < 0x80 ? 1 : Utf8SequenceAt(utf8, *at, &code);
    *at += length == 0 ? 1 : length;
    return length == 0 ? UINT32_MAX : code;
}

}  // namespace

std::string Utf8ToAnsi(const std::string& utf8)
{
    std::string ansi;
    ansi.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();)
        ansi += ToWindows1252(NextCharacter(utf8, &at));
    return ansi;
}

#endif
