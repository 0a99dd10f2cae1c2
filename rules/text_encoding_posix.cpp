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

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Decodes one character at utf8[*at] and moves past it. A malformed sequence (a stray
// continuation byte, a cut sequence, an overlong form, a surrogate or a value beyond U+10FFFF)
// gives 0xFFFFFFFF and moves past its first byte only, so that what follows is read again.
uint32_t NextCharacter(const std::string& utf8, size_t* at)
{
    const unsigned char lead = static_cast<unsigned char>(utf8[*at]);
    ++*at;
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead < 0x80)
        return lead;
    if (more == 0 || lead > 0xF4 || *at + more > utf8.size())
        return UINT32_MAX;
    uint32_t code = lead & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        const unsigned char next = static_cast<unsigned char>(utf8[*at + i]);
        if (!IsContinuation(next))
            return UINT32_MAX;
        code = (code << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < smallest[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return UINT32_MAX;
    *at += more;
    return code;
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
