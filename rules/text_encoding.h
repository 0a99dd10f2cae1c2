// The encodings of text files: telling them apart, and turning UTF-8 into the program's 8-bit
// code page, which differs between the platforms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How the bytes of a text file are encoded, as far as the bytes tell.
enum class TextEncoding {
    Ansi,          // the ANSI code page: what is none of the others
    Utf8,          // well-formed UTF-8 with some character beyond ASCII, without a byte order mark
    Utf8WithMark,  // begins with the UTF-8 byte order mark
    Utf16,         // begins with a UTF-16 byte order mark, of either byte order
};

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// A text editor's UTF-8 save starts with a byte order mark, or, as Notepad's has since 2019,
// without one. Text in an 8-bit code page hardly ever is well-formed UTF-8: an accented letter
// followed by a plain one is none.
TextEncoding DetectTextEncoding(std::string_view bytes);

// The length of the well-formed UTF-8 sequence of two to four bytes at bytes[at], with its
// character in *code, or 0 when there is none there. Overlong forms, surrogates and values beyond
// U+10FFFF are not well formed.
size_t Utf8SequenceAt(std::string_view bytes, size_t at, uint32_t* code);

// The UTF-8 bytes as text of the ANSI code page; a character the code page lacks, and a byte
// that is no valid UTF-8, each become "?". ASCII, line ends included, stays as it is.
std::string Utf8ToAnsi(const std::string& utf8);
