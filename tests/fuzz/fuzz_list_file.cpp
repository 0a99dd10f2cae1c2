// Input: the bytes of a list file. Read, saved and read again, it must give back the same rules
// and settings (the one form a save changes in what was loaded is an empty language name; bytes
// that are no list give none, and their save is an empty list); and before that, the stronger
// promise for safety: no rule may match a window title after the save that it did not match
// before, since a widened "close" rule closes windows the user never meant.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rules/list_file.h"
#include "rules/match_pattern.h"

namespace {

// Non-printable bytes as \xNN, so that a report shows CRs and zero-width differences.
std::string Shown(const char* text)
{
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (*p >= 0x20 && *p < 0x7F && *p != '\\') {
            out += static_cast<char>(*p);
            continue;
        }
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02X", *p);
        out += code;
    }
    return out;
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "list file round trip: %s\n", what.c_str());
    std::abort();
}

std::vector<std::string> TokensOf(const char* pattern)
{
    std::vector<std::string> tokens;
    std::string token;
    for (const char* p = pattern;; ++p) {
        if (*p != '*' && *p != '\0') {
            token += *p;
            continue;
        }
        if (!token.empty())
            tokens.push_back(token);
        token.clear();
        if (*p == '\0')
            return tokens;
    }
}

// Titles a cut or rewritten pattern would newly accept: each pattern whole, without its
// asterisks, and token by token, plus titles every rule meets.
std::vector<std::string> TitlesToTry(const char* before, const char* after)
{
    std::vector<std::string> titles = {"", "x", "end of list", "*", before, after};
    for (const char* pattern : {before, after}) {
        std::string joined;
        for (const std::string& token : TokensOf(pattern)) {
            titles.push_back(token);
            titles.push_back("x" + token);
            joined += token;
        }
        titles.push_back(joined);
    }
    return titles;
}

void CheckNotWidened(int index, const char* field, const char* before, const char* after)
{
    for (const std::string& title : TitlesToTry(before, after)) {
        if (MatchPattern(after, title.c_str()) && !MatchPattern(before, title.c_str())) {
            Fail("rule " + std::to_string(index) + " " + field + " \"" + Shown(before) + "\" saved as \"" +
                 Shown(after) + "\" now matches \"" + Shown(title.c_str()) + "\"");
        }
    }
}

// A missing language name stands for the built-in language and is written as its name.
const char* SavedLanguage(const char* language, const Settings& defaults)
{
    return language[0] == '\0' ? defaults.language : language;
}

void CheckText(int index, const char* field, const char* before, const char* after)
{
    if (std::strcmp(before, after) != 0) {
        Fail("rule " + std::to_string(index) + " " + field + " \"" + Shown(before) + "\" reads back as \"" +
             Shown(after) + "\"");
    }
}

void CheckNumber(const std::string& what, int64_t before, int64_t after)
{
    if (before != after)
        Fail(what + " " + std::to_string(before) + " reads back as " + std::to_string(after));
}

void CheckSameRules(const EntryList& first, const EntryList& second)
{
    const EntryNode* a = first.First();
    const EntryNode* b = second.First();
    for (int i = 0; a != nullptr && b != nullptr; ++i, a = a->next.get(), b = b->next.get()) {
        CheckNotWidened(i, "title", a->entry.title, b->entry.title);
        CheckNotWidened(i, "message", a->entry.message, b->entry.message);
    }
    CheckNumber("rule count", first.Count(), second.Count());
    a = first.First();
    b = second.First();
    for (int i = 0; a != nullptr; ++i, a = a->next.get(), b = b->next.get()) {
        CheckText(i, "title", a->entry.title, b->entry.title);
        CheckText(i, "button", a->entry.button, b->entry.button);
        CheckText(i, "message", a->entry.message, b->entry.message);
        const std::string rule = "rule " + std::to_string(i);
        CheckNumber(rule + " condition", a->entry.condition, b->entry.condition);
        CheckNumber(rule + " method", a->entry.method, b->entry.method);
        CheckNumber(rule + " count", a->entry.clicks, b->entry.clicks);
    }
}

void CheckSameSettings(const Settings& first, const Settings& second)
{
    CheckNumber("active", first.active, second.active);
    CheckNumber("scan interval", first.scanInterval, second.scanInterval);
    Settings defaults{};
    SetDefaultSettings(defaults);
    const char* language = SavedLanguage(first.language, defaults);
    if (std::strcmp(language, second.language) != 0)
        Fail("language \"" + Shown(language) + "\" reads back as \"" + Shown(second.language) + "\"");
    CheckNumber("reserved value", first.reservedValue, second.reservedValue);
    CheckNumber("left", first.normalLeft, second.normalLeft);
    CheckNumber("top", first.normalTop, second.normalTop);
    CheckNumber("right", first.normalRight, second.normalRight);
    CheckNumber("bottom", first.normalBottom, second.normalBottom);
    CheckNumber("show command", first.showCommand, second.showCommand);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The program reads its file into zeroed settings, so the fuzzer does too.
    EntryList first;
    Settings firstSettings{};
    ParseList(bytes, first, firstSettings);
    EntryList second;
    Settings secondSettings{};
    // Bytes that are no list load nothing; what a save writes is always a list.
    if (ParseList(FormatList(first, firstSettings), second, secondSettings) == LoadOutcome::NotAList)
        Fail("the saved list reads as no list");
    CheckSameRules(first, second);
    CheckSameSettings(firstSettings, secondSettings);
    return 0;
}
