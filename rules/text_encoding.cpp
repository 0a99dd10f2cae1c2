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

bool IsHighSurrogate(uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    const int length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    const unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(leads[length] | (code >> (6 * (length - 1))));
    for (int shift = 6 * (length - 2); shift >= 0; shift -= 6)
        out += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
}

TextEncoding DetectTextEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return TextEncoding::Utf16LittleEndian;
    if (bytes.starts_with("\xFE\xFF"))
        return TextEncoding::Utf16BigEndian;
    if (bytes.starts_with(kUtf8ByteOrderMark))
        return TextEncoding::Utf8WithMark;
    return IsUtf8BeyondAscii(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

size_t CharacterLength(std::string_view text)
{
    uint32_t code = 0;
    const size_t length = text.empty() ? 0 : Utf8SequenceAt(text, 0, &code);
    return length == 0 ? 1 : length;
}

std::string RepairUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        uint32_t code = 0;
        const bool ascii = static_cast<unsigned char>(bytes[at]) < 0x80;
        const size_t length = ascii ? 1 : Utf8SequenceAt(bytes, at, &code);
        if (length == 0) {
            out += kReplacementCharacter;
            ++at;
            continue;
        }
        out.append(bytes.substr(at, length));
        at += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const int high = bigEndian ? 0 : 1;
    auto unitAt = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + high]) << 8 |
                                     static_cast<unsigned char>(bytes[at + 1 - high]));
    };
    std::string out;
    out.reserve(bytes.size());
    size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        uint32_t code = unitAt(at);
        if (IsHighSurrogate(code) && at + 3 < bytes.size() && IsLowSurrogate(unitAt(at + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00);
            at += 2;
        } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    if (at < bytes.size())
        out += kReplacementCharacter;
    return out;
}
