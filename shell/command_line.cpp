#include "shell/command_line.h"

#include <cstring>

#include "rules/match_pattern.h"

namespace {

bool EqualIgnoringCase(const char* a, const char* b)
{
    for (; LowerAscii(*a) == LowerAscii(*b); ++a, ++b) {
        if (*a == '\0')
            return true;
    }
    return false;
}

const char* SkipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

}  // namespace

const char* ExtractArgument(const char* commandLine)
{
    if (commandLine[0] == '"') {
        const char* closing = std::strchr(commandLine + 1, '"');
        if (closing == nullptr)
            return commandLine;
        return SkipSpaces(closing + 1);
    }
    const char* space = std::strchr(commandLine, ' ');
    if (space == nullptr)
        return commandLine + std::strlen(commandLine);
    return SkipSpaces(space);
}

StartOption ParseStartOption(const char* argument)
{
    static const struct {
        const char* text;
        StartOption option;
    } kOptions[] = {
        {"/setup", StartOption::Setup},     {"/notray", StartOption::NoTray},
        {"/restart", StartOption::Restart}, {"/exit", StartOption::Exit},
        {"/nodde", StartOption::NoDde},
    };
    for (const auto& known : kOptions) {
        if (EqualIgnoringCase(argument, known.text))
            return known.option;
    }
    return StartOption::None;
}
