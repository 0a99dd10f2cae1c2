#include <gtest/gtest.h>

#include <string>

#include "rules/text_encoding.h"

namespace {

#ifdef _WIN32
// The whole test program runs with the code pages of a Western Windows and the program's
// manifest, so that the bytes the tests expect do not hang on the locale Wine or Windows has.
[[maybe_unused]] const bool kCodePagesPinned = (PinCodePagesForTests(1252, 65001), true);
#endif

// Each row a character the list file's code page must keep, or must refuse rather than write a
// look-alike or a "?" that matches other titles.
TEST(TextEncodingTest, TheAnsiCodePageTakesWhatItHasAndRefusesTheRest)
{
    const struct {
        const char* text;
        const char* ansi;  // nullptr: does not fit
    } rows[] = {
        {"Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\xE2\x80\x9E", "Gr\xFC\xDF \x80\x84"},
        {"\xC2\x81\xC2\x8D\xC2\x9D", "\x81\x8D\x9D"},  // bytes the code page leaves free stay themselves
        {"\xC4\x80", nullptr},                          // A with macron: never a plain A
        {"\xD0\xA1", nullptr},                          // Cyrillic Es: never a "?"
        {"a\xF0\x9F\x98\x80", nullptr},                 // beyond U+FFFF
        {kReplacementCharacter, nullptr},
    };
    for (const auto& row : rows) {
        std::string ansi;
        EXPECT_EQ(ProgramTextToAnsi(row.text, &ansi), row.ansi != nullptr) << row.text;
        if (row.ansi == nullptr)
            continue;
        EXPECT_EQ(ansi, row.ansi);
        EXPECT_EQ(ProgramTextFromAnsi(row.ansi), row.text);
    }
}

// Whatever the bytes, the text read is well-formed, and bad bytes become U+FFFD, each on its own:
// a stray byte, a surrogate in UTF-8, a surrogate without its partner, half a unit at the end.
TEST(TextEncodingTest, BadUtf8AndUtf16BecomeTheReplacementCharacter)
{
    const std::string r = kReplacementCharacter;
    EXPECT_EQ(ProgramTextFromUtf8("a\xC3(\xED\xA0\x80"), "a" + r + "(" + r + r + r);
    const std::string read = "A\xF0\x9F\x98\x80" + r + r;
    EXPECT_EQ(Utf16ToUtf8(std::string("A\0\x3D\xD8\x00\xDE\x00\xDCx", 9), false), read);
    EXPECT_EQ(Utf16ToUtf8(std::string("\0A\xD8\x3D\xDE\x00\xDC\x00x", 9), true), read);
}

}  // namespace
