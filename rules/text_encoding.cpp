// The half of the text encodings that is the same on every platform.
#include "rules/text_encoding.h"

size_t Utf8SequenceAt(std::string_view bytes, size_t at, uint32_t* code)
{
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > bytes.size())
        return 0;
    uint32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *code = value;
    return length;
}

namespace {

bool IsUtf8BeyondAscii(std::string_view bytes)
{
    bool beyondAscii = false;
    for (size_t at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        uint32_t code = 0;
        const size_t length = Utf8SequenceAt(bytes, at, &code);
        if (length == 0)
            return false;
        beyondAscii = true;
        at += length;
    }
    return beyondAscii;
}

}  // namespace

TextEncoding DetectTextEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return TextEncoding::Utf16;
    if (bytes.starts_with(kUtf8ByteOrderMark))
        return TextEncoding::Utf8WithMark;
    return IsUtf8BeyondAscii(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}
