#include "shell/action_log.h"

#include <cstdio>
#include <cstring>

#include "rules/replace_file.h"
#include "rules/text_encoding.h"

const char kLogFileName[] = "BOXSWEEP.LOG";
const char kOldLogFileName[] = "BOXSWEEP.LOG.1";

namespace {

// A text on one line: tabs and line breaks would split the line's fields.
void AppendField(std::string& line, const std::string& text)
{
    line += '\t';
    for (char c : text)
        line += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
}

// The file opened for appending, its size so far, and whether it begins with the UTF-8 byte
// order mark; nullptr when it cannot be opened. Opened for reading too, to look at its start:
// writes still go to its end.
std::FILE* OpenForAppending(const char* path, long* size, bool* marked)
{
    std::FILE* file = std::fopen(path, "a+b");
    if (file == nullptr)
        return nullptr;
    char start[sizeof kUtf8ByteOrderMark - 1] = {};
    *marked = std::fread(start, 1, sizeof start, file) == sizeof start &&
              std::memcmp(start, kUtf8ByteOrderMark, sizeof start) == 0;
    *size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    if (*size < 0)
        *size = 0;
    return file;
}

}  // namespace

LogEntry LogEntryOf(const ActionReport& report, const std::string& time)
{
    return LogEntry{time, report.outcome, report.method, report.program,
                    report.windowTitle, report.rulePattern, report.button};
}

std::string FormatLogTime(int year, int month, int day, int hour, int minute, int second)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return text;
}

const char* OutcomeWord(ActionOutcome outcome)
{
    switch (outcome) {
    case ActionOutcome::Done:
        return "done";
    case ActionOutcome::Refused:
    case ActionOutcome::NotTaken:
        return "refused";
    case ActionOutcome::NotAnswering:
        return "not-answering";
    default:
        return "gone";
    }
}

unsigned OutcomeTextIndex(ActionOutcome outcome)
{
    return outcome == ActionOutcome::NotTaken ? static_cast<unsigned>(ActionOutcome::Refused)
                                              : static_cast<unsigned>(outcome);
}

std::string FormatLogLine(const LogEntry& entry)
{
    std::string line = entry.time;
    line += '\t';
    line += OutcomeWord(entry.outcome);
    AppendField(line, std::to_string(static_cast<int>(entry.method)));
    AppendField(line, entry.program);
    AppendField(line, entry.title);
    AppendField(line, entry.pattern);
    AppendField(line, entry.button);
    line += "\r\n";
    return line;
}

LogAppend AppendLogLine(const char* path, const char* oldPath, const std::string& line, uint64_t limit)
{
    const std::string utf8 = ProgramTextToUtf8(line);
    long size = 0;
    bool marked = false;
    std::FILE* file = OpenForAppending(path, &size, &marked);
    // A file without the mark was begun by an earlier version in the ANSI code page: a UTF-8 line
    // after its lines would leave the file readable in neither.
    const bool earlier = size > 0 && !marked;
    if (file != nullptr && (earlier || (size > 0 && static_cast<uint64_t>(size) + utf8.size() > limit))) {
        std::fclose(file);
        if (!ReplaceFileInOneStep(path, oldPath))
            return LogAppend::Full;
        file = OpenForAppending(path, &size, &marked);
    }
    if (file == nullptr)
        return LogAppend::Failed;
    const std::string bytes = size == 0 ? kUtf8ByteOrderMark + utf8 : utf8;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written ? LogAppend::Written : LogAppend::Failed;
}

void ActionLog::Add(LogEntry entry)
{
    if (entries_.size() < static_cast<size_t>(kLogMemoryEntries)) {
        entries_.push_back(std::move(entry));
        return;
    }
    entries_[oldest_] = std::move(entry);
    oldest_ = (oldest_ + 1) % entries_.size();
}

const LogEntry& ActionLog::Newest(int index) const
{
    const size_t count = entries_.size();
    const size_t newest = entries_.size() < static_cast<size_t>(kLogMemoryEntries) ? count - 1 : (oldest_ + count - 1) % count;
    return entries_[(newest + count - static_cast<size_t>(index)) % count];
}
