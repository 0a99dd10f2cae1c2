#include "shell/help_topics.h"

#include <cstring>

namespace {

constexpr char kOverviewPage[] = "overview.htm";

// The tray menu's "Help" is the one place that asks for help; each module names it in its own
// language, as the program's text holds it (UTF-8).
constexpr HelpTopic kHelpTopics[] = {
    {"Übersicht", kOverviewPage},
    {"Index_English", kOverviewPage},
    {"Overview", kOverviewPage},
};

char FoldAsciiCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldAsciiCase(*a) != FoldAsciiCase(*b))
            return false;
    }
    return *a == *b;
}

}  // namespace

const HelpTopic* FindHelpTopic(const char* keyword)
{
    for (const HelpTopic& topic : kHelpTopics) {
        if (EqualIgnoringAsciiCase(topic.keyword, keyword))
            return &topic;
    }
    return nullptr;
}

const char* HelpPageFor(const char* keyword)
{
    const HelpTopic* topic = FindHelpTopic(keyword);
    return topic != nullptr ? topic->page : kOverviewPage;
}

bool IsHelpFileName(const char* name)
{
    const size_t length = std::strlen(name);
    constexpr char kExtension[] = ".chm";
    const size_t extension = sizeof kExtension - 1;
    if (length <= extension || !EqualIgnoringAsciiCase(name + length - extension, kExtension))
        return false;
    return std::strpbrk(name, "\\/:") == nullptr;
}
