// The asterisk matcher used for window titles and message texts.
#pragma once

#include <cstddef>

// True when pattern accepts text. '*' is the only wildcard; only A to Z fold case. A text that
// itself holds an asterisk is compared with the whole pattern instead. A pattern without
// asterisks accepts every text that starts with it; nothing is required after the last token.
bool MatchPattern(const char* pattern, const char* text);

// A text lowered once so that many patterns can be tried against it (the scan tries every rule
// against one title). MatchPreparedText gives the same answers as MatchPattern.
struct PreparedText {
    char lowered[512];
    size_t length;
    bool hasAsterisk;
};

void PrepareText(PreparedText* prepared, const char* text);
bool MatchPreparedText(const char* pattern, const PreparedText& text);

// Lowers A to Z only, as the C runtime's _strlwr does in the default locale.
inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
