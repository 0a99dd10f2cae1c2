// Input: a pattern, a zero byte, a text. MatchPattern, the prepared path the scan uses, and a
// plain transcription of the matching steps (lowered copies, std::string searches) must all
// give the same answer; the two fast paths share helpers, so only the transcription can catch
// a fault common to both.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "reference_match.h"
#include "rules/match_pattern.h"

namespace {

void Fail(const char* what, const std::string& pattern, const std::string& text, bool a, bool b)
{
    std::fprintf(stderr, "%s: pattern \"%s\" text \"%s\": %d against %d\n", what, pattern.c_str(),
                 text.c_str(), a, b);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string pattern = input.substr(0, split);
    // Both sides are C strings to the matcher: the text ends at its own first zero byte.
    const std::string text =
        split == std::string::npos ? std::string() : std::string(input.c_str() + split + 1);

    const bool answer = MatchPattern(pattern.c_str(), text.c_str());
    const bool expected = ReferenceMatch(pattern, text);
    if (answer != expected)
        Fail("MatchPattern differs from the matching steps", pattern, text, answer, expected);

    // The scan prepares titles no longer than the buffer; longer texts never reach this path.
    PreparedText prepared;
    if (text.size() >= sizeof prepared.lowered)
        return 0;
    PrepareText(&prepared, text.c_str());
    const bool preparedAnswer = MatchPreparedText(pattern.c_str(), prepared);
    if (preparedAnswer != answer)
        Fail("MatchPreparedText differs from MatchPattern", pattern, text, preparedAnswer, answer);
    return 0;
}
