#include <gtest/gtest.h>

#include <string>

#include "reference_match.h"
#include "rules/match_pattern.h"

namespace {

struct MatchCase {
    const char* pattern;
    const char* text;
    bool expected;
};

// Each row is a way the matcher could answer the wrong window.
const MatchCase kCases[] = {
    // Without an asterisk the pattern must open the text; anything may follow.
    {"Fehler", "Fehlermeldung", true},
    {"Fehler", "Ein Fehler", false},
    {"Fehler", "Fehl", false},
    {"Speichern unter", "Speichern unter", true},
    // Only A to Z fold; umlauts and other bytes must match exactly.
    {"*fehler", "Schwerer FEHLER!", true},
    {"FEHLER", "fehler", true},
    {"*\xe4nderung", "\xc4NDERUNG", false},
    {"*\xe4nderung", "Die \xe4nderung", true},
    {"[", "{", false},
    {"@", "`", false},
    {"*`", "@", false},
    {"*@", "x`", false},
    {"*q", "xQ", true},
    // UTF-8 is compared byte by byte: A to Z fold next to any script, no other letter folds (a
    // fold of every byte by its bit 5 would), and a token only ever meets whole characters.
    {"*Документ", "Microsoft Word - Документ", true},
    {"*word - Док", "MICROSOFT WORD - Документ", true},
    {"*документ", "ДОКУМЕНТ", false},
    {"*\xC3\xA4nderung", "\xC3\x84NDERUNG", false},
    // Two titles that a code page without Cyrillic turns into the same question marks.
    {"Сохранить документ", "Завершить удаление", false},
    {"*????????? ????????", "Завершить удаление", false},
    {"*\xC2\xAC", "\xE2\x82\xAC", false},  // the last byte of the Euro sign is no Not sign
    // Tokens in order; each later token may sit anywhere after the previous one's start.
    {"a*b", "axxbyy", true},
    {"a*b", "xab", false},
    {"*ab*ab", "xab", true},
    {"*ab*ba", "xaba", true},
    {"*b*a", "ab", false},
    {"*Editor*Neu", "Editor - Neu", true},
    {"*Neu*Editor", "Editor - Neu", false},
    // Repeated and trailing asterisks change nothing.
    {"**Fehler***", "Fehlerbericht", true},
    {"Fehler*", "Fehler", true},
    {"*", "", true},
    {"***", "Hallo", true},
    {"", "Hallo", true},
    {"", "", true},
    {"x", "", false},
    // A text holding an asterisk is compared whole, letter case aside.
    {"*Neu*", "*Neu - Editor", false},
    {"*neu - editor", "*Neu - Editor", true},
    {"*neu - edit", "*Neu - Editor", false},
    {"Neu", "Neu*", false},
    {"neu*", "Neu*", true},
    // The first search hunts for the token's first letter; a false start must not skip a hit.
    {"*aab", "aaab", true},
    {"*abc", "ababc", true},
    {"*abc", "ababd", false},
};

TEST(MatchPatternTest, TableOfPatternsAndTexts)
{
    for (const MatchCase& c : kCases) {
        ASSERT_EQ(ReferenceMatch(c.pattern, c.text), c.expected) << "table row \"" << c.pattern << "\"";
        EXPECT_EQ(MatchPattern(c.pattern, c.text), c.expected)
            << "pattern \"" << c.pattern << "\" text \"" << c.text << "\"";
        PreparedText prepared;
        PrepareText(&prepared, c.text);
        EXPECT_EQ(MatchPreparedText(c.pattern, prepared), c.expected)
            << "prepared: pattern \"" << c.pattern << "\" text \"" << c.text << "\"";
    }
}

TEST(MatchPatternTest, LeavesBothStringsAsTheyWere)
{
    char pattern[] = "*FEHLER*";
    char text[] = "Schwerer FEHLER";
    EXPECT_TRUE(MatchPattern(pattern, text));
    EXPECT_STREQ(pattern, "*FEHLER*");
    EXPECT_STREQ(text, "Schwerer FEHLER");
}

// Both fast paths must agree with the plain steps on every pattern built from a small alphabet,
// including the ones nobody thought to put in the table.
TEST(MatchPatternTest, AgreesWithThePlainStepsOnEveryShortPattern)
{
    const char alphabet[] = {'a', 'B', '*'};
    const char* texts[] = {"", "a", "ab", "ba", "aBa", "bab", "abab", "a*b", "BBA", "aaab"};
    std::string pattern;
    int compared = 0;
    for (int length = 0; length <= 4; ++length) {
        int combinations = 1;
        for (int i = 0; i < length; ++i)
            combinations *= 3;
        for (int n = 0; n < combinations; ++n) {
            pattern.clear();
            for (int i = 0, rest = n; i < length; ++i, rest /= 3)
                pattern += alphabet[rest % 3];
            for (const char* text : texts) {
                PreparedText prepared;
                PrepareText(&prepared, text);
                bool expected = ReferenceMatch(pattern, text);
                ASSERT_EQ(MatchPattern(pattern.c_str(), text), expected)
                    << "pattern \"" << pattern << "\" text \"" << text << "\"";
                ASSERT_EQ(MatchPreparedText(pattern.c_str(), prepared), expected)
                    << "prepared: pattern \"" << pattern << "\" text \"" << text << "\"";
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, (1 + 3 + 9 + 27 + 81) * 10);
}

}  // namespace
