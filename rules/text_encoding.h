// The encodings of text: telling those of a file apart, and converting between them and the
// program's own texts.
//
// The program's texts (every rule field, window title and log line) are in its own code page,
// which is UTF-8 wherever the system lets a program choose: on Windows the manifest makes UTF-8
// the process code page (Windows 10 1903 and later); an older Windows keeps its ANSI code page
// there, and the program then works in that code page as it always did. On POSIX it is UTF-8.
// The system's ANSI code page is another matter: it is the one older versions wrote the list file
// in, and the manifest does not change it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How the bytes of a text file are encoded, as far as the bytes tell.
enum class TextEncoding {
    Ansi,             // the system's ANSI code page: what is none of the others
    Utf8,             // well-formed UTF-8 with some character beyond ASCII, without a byte order mark
    Utf8WithMark,     // begins with the UTF-8 byte order mark
    Utf16LittleEndian,  // begins with the byte order mark FF FE, as Notepad's "Unicode"
    Utf16BigEndian,     // begins with FE FF
};

constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

// U+FFFD, the character that stands for one that could not be read. It is what a program's
// text holds in place of bytes that are no valid UTF-8, never a "?": a rule holding "?" where
// its file had some other character would match every title with a question mark there, and
// window titles hold question marks often, U+FFFD hardly ever.
constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

// A text editor's UTF-8 save starts with a byte order mark, or, as Notepad's has since 2019,
// without one. Text in an 8-bit code page hardly ever is well-formed UTF-8: an accented letter
// followed by a plain one is none.
TextEncoding DetectTextEncoding(std::string_view bytes);

// The length of the well-formed UTF-8 sequence of two to four bytes at bytes[at], with its
// character in *code, or 0 when there is none there. Overlong forms, surrogates and values beyond
// U+10FFFF are not well formed.
size_t Utf8SequenceAt(std::string_view bytes, size_t at, uint32_t* code);

// The number of bytes of the character that starts text: a well-formed UTF-8 sequence counts as
// one character, and so does every other byte, so that text of an 8-bit code page is counted
// byte by byte and a cut never falls inside a character of either.
size_t CharacterLength(std::string_view text);

// Appends the character's UTF-8 bytes.
void AppendUtf8(std::string& out, uint32_t code);

// The bytes as well-formed UTF-8: each byte that belongs to no well-formed sequence becomes
// U+FFFD.
std::string RepairUtf8(std::string_view bytes);

// UTF-16 text without its byte order mark as UTF-8. A surrogate without its partner, and a last
// byte without its partner, become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// Between the program's texts and UTF-8. From UTF-8, a byte that is no valid UTF-8 becomes
// U+FFFD; where the program's code page is not UTF-8, a character it lacks becomes "?", as it
// always did there.
std::string ProgramTextFromUtf8(std::string_view utf8);
std::string ProgramTextToUtf8(std::string_view text);

// Between the program's texts and the system's ANSI code page. ProgramTextToAnsi is false when
// some character has no place in the code page (its bytes are then of no use): a look-alike is
// never put in its place.
std::string ProgramTextFromAnsi(std::string_view bytes);
bool ProgramTextToAnsi(std::string_view text, std::string* bytes);

// What stands in the program's texts for a character that cannot be kept: U+FFFD, or "?" where
// the program's code page is not UTF-8 and has no place for it.
const char* ProgramReplacement();

#ifdef _WIN32
// The code pages come from the machine: the tests fix them (ANSI 1252, program 65001, as on a
// Western Windows with the program's manifest), so that the bytes they expect hold everywhere.
// Zero for either gives the machine's back.
void PinCodePagesForTests(unsigned ansiCodePage, unsigned programCodePage);
#endif
