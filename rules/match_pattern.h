// The asterisk matcher used for window titles and message texts.
//
// It compares bytes, which is right for UTF-8 as it is for an 8-bit code page: only the bytes of
// A to Z fold, and every byte of a character beyond ASCII lies at 0x80 or above, so no other
// letter ever folds (Cyrillic "Д" and "д" stay apart, as umlauts do). A token is whole
// characters, and UTF-8 never starts a character with a byte that continues another, so a token
// is only ever found where a character of the text begins.
#pragma once

#include <cstddef>

#include "rules/entry_list.h"

// True when pattern accepts text. '*' is the only wildcard; only A to Z fold case. A text that
// itself holds an asterisk is compared with the whole pattern instead. A pattern without
// asterisks accepts every text that starts with it; nothing is required after the last token.
bool MatchPattern(const char* pattern, const char* text);

// A text lowered once so that many patterns can be tried against it (the scan tries every rule
// against one title). MatchPreparedText gives the same answers as MatchPattern for texts shorter
// than the buffer, which holds any title a rule field can hold.
struct PreparedText {
    char lowered[kTitleCapacity];
    size_t length;
    bool hasAsterisk;
};

void PrepareText(PreparedText* prepared, const char* text);
bool MatchPreparedText(const char* pattern, const PreparedText& text);
// The check of a rule's "whole title" option, made after the pattern matched: the text ends where
// the pattern ends. A pattern without asterisks then equals the whole text (A to Z folded), one
// whose last character is not an asterisk needs a text that ends with its last token, and one
// that ends in an asterisk accepts every ending, as before.
bool EndsWherePatternEnds(const char* pattern, const PreparedText& text);

// Lowers A to Z only, as the C runtime's _strlwr does in the default locale.
inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
