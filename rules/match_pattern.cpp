#include "rules/match_pattern.h"

#include <cstring>

// The matcher never lowers into a copy: pattern characters are folded as they are read, and the
// text either is folded the same way (MatchPattern) or was lowered once beforehand
// (PreparedText). Both paths share the helpers below through the Fold policy, so they cannot
// drift apart. Nothing here allocates, and the caller's strings are only read.

namespace {

struct RawText {
    static char Fold(char c) { return LowerAscii(c); }
};

struct LoweredText {
    static char Fold(char c) { return c; }
};

bool IsTokenEnd(char c)
{
    return c == '*' || c == '\0';
}

// True when text begins with the token at token; *tokenEnd is then where the token stops. The
// text's terminator never equals a token character, so a short text ends the loop by itself.
template <class Text>
bool StartsWithToken(const char* text, const char* token, const char** tokenEnd)
{
    for (; !IsTokenEnd(*token); ++token, ++text) {
        if (Text::Fold(*text) != LowerAscii(*token)) {
            return false;
        }
    }
    *tokenEnd = token;
    return true;
}

// Whole pattern against whole text, A to Z folded, asterisks taken literally.
template <class Text>
bool EqualFolded(const char* pattern, const char* text)
{
    for (;; ++pattern, ++text) {
        if (LowerAscii(*pattern) != Text::Fold(*text)) {
            return false;
        }
        if (*pattern == '\0') {
            return true;
        }
    }
}

// First occurrence of the token at token in text, or nullptr. Setting bit 5 folds an upper-case
// letter onto its lower case and nothing else onto a lower-case letter, so when the token starts
// with a letter one OR per character finds both cases of it.
const char* FindInRaw(const char* text, const char* token, const char** tokenEnd)
{
    const char first = LowerAscii(*token);
    const char fold = (first >= 'a' && first <= 'z') ? 0x20 : 0;
    for (; *text != '\0'; ++text) {
        if (static_cast<char>(*text | fold) == first && StartsWithToken<RawText>(text + 1, token + 1, tokenEnd)) {
            return text;
        }
    }
    return nullptr;
}

// As FindInRaw for lowered text of known length, where memchr can do the hunting.
const char* FindInLowered(const char* text, const char* end, const char* token, const char** tokenEnd)
{
    const char first = LowerAscii(*token);
    while (text < end) {
        const char* hit = static_cast<const char*>(std::memchr(text, first, end - text));
        if (hit == nullptr) {
            return nullptr;
        }
        if (StartsWithToken<LoweredText>(hit + 1, token + 1, tokenEnd)) {
            return hit;
        }
        text = hit + 1;
    }
    return nullptr;
}

// A leading token without an asterisk before it must open the text. Most rules fail right
// here on the first character, so this runs before anything that walks the whole text. When
// the token does not open the text the whole-text comparison cannot succeed either, so the
// early false is right whether or not the text holds an asterisk.
template <class Text>
bool MatchLeadingToken(const char** pattern, const char** position)
{
    if (**pattern == '*') {
        return true;
    }
    const char* tokenStart = *pattern;
    if (!StartsWithToken<Text>(*position, tokenStart, pattern)) {
        return false;
    }
    *position += *pattern - tokenStart;
    return true;
}

const char* SkipAsterisks(const char* pattern)
{
    while (*pattern == '*') {
        ++pattern;
    }
    return pattern;
}

}  // namespace

bool MatchPattern(const char* pattern, const char* text)
{
    const char* p = pattern;
    const char* position = text;
    if (!MatchLeadingToken<RawText>(&p, &position)) {
        return false;
    }
    // Each further token is searched from the start of the previous one's occurrence, not
    // its end, so overlapping tokens may share characters.
    const char* searchFrom = position;
    for (p = SkipAsterisks(p); *p != '\0'; p = SkipAsterisks(p)) {
        searchFrom = FindInRaw(searchFrom, p, &p);
        if (searchFrom == nullptr) {
            return false;
        }
    }
    // A text holding an asterisk is compared whole instead. The search above never fails where
    // the whole comparison succeeds (equal texts hold every token where the pattern has it, and
    // the search takes the earliest occurrences), so asking only after a hit changes no answer
    // and spares most calls a walk over the text. The matched leading token holds no asterisk.
    if (std::strchr(position, '*') != nullptr) {
        return EqualFolded<RawText>(pattern, text);
    }
    return true;
}

void PrepareText(PreparedText* prepared, const char* text)
{
    constexpr size_t kLimit = sizeof(prepared->lowered) - 1;
    size_t length = 0;
    bool hasAsterisk = false;
    for (; length < kLimit && text[length] != '\0'; ++length) {
        hasAsterisk = hasAsterisk || text[length] == '*';
        prepared->lowered[length] = LowerAscii(text[length]);
    }
    prepared->lowered[length] = '\0';
    prepared->length = length;
    prepared->hasAsterisk = hasAsterisk;
}

bool MatchPreparedText(const char* pattern, const PreparedText& text)
{
    const char* p = pattern;
    const char* position = text.lowered;
    if (!MatchLeadingToken<LoweredText>(&p, &position)) {
        return false;
    }
    if (text.hasAsterisk) {
        return EqualFolded<LoweredText>(pattern, text.lowered);
    }
    const char* end = text.lowered + text.length;
    for (p = SkipAsterisks(p); *p != '\0'; p = SkipAsterisks(p)) {
        position = FindInLowered(position, end, p, &p);
        if (position == nullptr) {
            return false;
        }
    }
    return true;
}

bool EndsWherePatternEnds(const char* pattern, const PreparedText& text)
{
    const size_t length = std::strlen(pattern);
    // A text with an asterisk was compared whole; a trailing asterisk accepts any ending.
    if (text.hasAsterisk || (length > 0 && pattern[length - 1] == '*'))
        return true;
    const char* star = std::strrchr(pattern, '*');
    if (star == nullptr)
        return EqualFolded<LoweredText>(pattern, text.lowered);
    const char* lastToken = star + 1;
    const size_t tokenLength = length - static_cast<size_t>(lastToken - pattern);
    if (tokenLength > text.length)
        return false;
    return EqualFolded<LoweredText>(lastToken, text.lowered + text.length - tokenLength);
}
