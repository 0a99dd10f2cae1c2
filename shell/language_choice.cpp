#include "shell/language_choice.h"

#include <cstring>

std::string FormatLanguageItem(const char* name, const char* fileName)
{
    std::string item = name;
    item += " (";
    item += fileName;
    item += ')';
    return item;
}

bool ModuleNameFromChoice(const char* text, char* name, int capacity)
{
    const char* open = std::strchr(text, '(');
    if (open == nullptr)
        return false;
    const char* close = std::strchr(open + 1, ')');
    if (close == nullptr)
        return false;
    const size_t length = static_cast<size_t>(close - (open + 1));
    if (capacity <= 0 || length > static_cast<size_t>(capacity - 1))
        return false;
    std::memcpy(name, open + 1, length);
    name[length] = '\0';
    return true;
}

bool IsOfferableModuleName(const char* fileName, int capacity)
{
    const size_t length = std::strlen(fileName);
    if (capacity <= 0 || length > static_cast<size_t>(capacity - 1))
        return false;
    // "dutch (1).dll" would come back from its item as "dutch (1", and the list file reads the
    // language up to the first white space.
    return std::strpbrk(fileName, "() \t\r\n\v\f") == nullptr;
}

namespace {

// Keyed by the primary language, the low ten bits of a language id, so that every country's
// English or Dutch counts.
struct DisplayLanguageModule {
    unsigned primaryLanguage;
    const char* module;
};

constexpr DisplayLanguageModule kDisplayLanguageModules[] = {
    {0x09, "english.dll"},
    {0x13, "dutch.dll"},
};

}  // namespace

const char* FirstStartModule(unsigned displayLanguage, const std::function<bool(const char*)>& isUsable)
{
    for (const DisplayLanguageModule& row : kDisplayLanguageModules) {
        if (row.primaryLanguage == (displayLanguage & 0x3FF))
            return isUsable(row.module) ? row.module : nullptr;
    }
    return nullptr;
}
