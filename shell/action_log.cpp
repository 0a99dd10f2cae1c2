#include "shell/action_log.h"

#include <cstdio>

#include "rules/replace_file.h"

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

// The file opened for appending, and its size so far; nullptr when it cannot be opened.
std::FILE* OpenForAppending(const char* path, long* size)
{
    std::FILE* file = std::fopen(path, "ab");
    if (file == nullptr)
        return nullptr;
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
    long size = 0;
    std::FILE* file = OpenForAppending(path, &size);
    if (file != nullptr && size > 0 && static_cast<uint64_t>(size) + line.size() > limit) {
        std::fclose(file);
        if (!ReplaceFileInOneStep(path, oldPath))
            return LogAppend::Full;
        file = OpenForAppending(path, &size);
    }
    if (file == nullptr)
        return LogAppend::Failed;
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
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
