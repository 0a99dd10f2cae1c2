// The matching steps transcribed plainly, for the unit tests and the fuzz target to hold the
// matcher's fast paths against: lowered copies, tokens split at asterisks, std::string searches.
#pragma once

#include <string>

#include "rules/match_pattern.h"

inline bool ReferenceMatch(const std::string& pattern, const std::string& text)
{
    std::string p = pattern, t = text;
    for (char& c : p)
        c = LowerAscii(c);
    for (char& c : t)
        c = LowerAscii(c);
    if (t.find('*') != std::string::npos)
        return p == t;
    bool floating = !p.empty() && p[0] == '*';
    size_t position = 0;
    size_t i = 0;
    while (i < p.size()) {
        if (p[i] == '*') {
            ++i;
            continue;
        }
        size_t end = p.find('*', i);
        std::string token = p.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? p.size() : end;
        if (floating) {
            position = t.find(token, position);
            if (position == std::string::npos)
                return false;
        } else {
            if (t.compare(position, token.size(), token) != 0)
                return false;
            position += token.size();
        }
        floating = true;
    }
    return true;
}
