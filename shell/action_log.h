// The action log: what the watcher did, kept in memory for the log window and appended to
// "BOXSWEEP.LOG" beside the list file, or in the user's local folder when the list goes to the
// user's folder. Platform-neutral so that it is tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "watcher/scan.h"

extern const char kLogFileName[];     // "BOXSWEEP.LOG"
extern const char kOldLogFileName[];  // "BOXSWEEP.LOG.1"

// The log window lists this many of the newest actions; the files hold two of this size at most.
constexpr int kLogMemoryEntries = 1000;
constexpr uint64_t kLogFileLimit = 1024 * 1024;

struct LogEntry {
    std::string time;  // local time "YYYY-MM-DD HH:MM:SS"
    ActionOutcome outcome;
    ClickMethod method;
    std::string program;
    std::string title;
    std::string pattern;
    std::string button;  // the rule's button text; empty for the window methods
};

LogEntry LogEntryOf(const ActionReport& report, const std::string& time);

// "YYYY-MM-DD HH:MM:SS".
std::string FormatLogTime(int year, int month, int day, int hour, int minute, int second);

// The outcome as the file names it: "done", "refused", "not-answering" or "gone". A show the
// window did not take is refused as well.
const char* OutcomeWord(ActionOutcome outcome);
// Which of the four outcome texts the log window shows for it (0 done to 3 gone).
unsigned OutcomeTextIndex(ActionOutcome outcome);

// One line of the file: time, outcome, method, program, window title, rule pattern and button
// text, separated by tabs and ended by CR LF. A tab or line break inside a text becomes a space,
// so that every line keeps its seven fields.
std::string FormatLogLine(const LogEntry& entry);

enum class LogAppend {
    Written,
    Failed,  // the file could not be written
    Full,    // the file had to be turned over and could not be: the line was dropped
};

// Appends line, the program's text, to the file at path in UTF-8; a new file begins with the
// UTF-8 byte order mark. When the file would grow past limit, or was begun by an earlier version
// (it is not empty and lacks the mark), it first becomes oldPath (replacing an older one) and a
// new file is begun, so that no file mixes two encodings; while that cannot be done, no line is
// appended, so that the log never grows past its bound. Each call tries the turnover again.
LogAppend AppendLogLine(const char* path, const char* oldPath, const std::string& line,
                        uint64_t limit = kLogFileLimit);

// The newest entries, at most kLogMemoryEntries; the oldest makes room.
class ActionLog {
public:
    void Add(LogEntry entry);
    int Count() const { return static_cast<int>(entries_.size()); }
    // 0 is the newest.
    const LogEntry& Newest(int index) const;

private:
    std::vector<LogEntry> entries_;
    size_t oldest_ = 0;  // once full, where the next entry goes
};
