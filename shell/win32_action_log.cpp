// The watcher's observer in the program: every action it reports goes into the log the log
// window shows, is appended to BOXSWEEP.LOG, and a refusal is shown once per window in the tray.
#include <windows.h>

#include "resources/resource_ids.h"
#include "shell/win32_app.h"

namespace {

std::string LocalTimeNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormatLogTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// The line is appended by the disk writer, so the watcher never waits for the file. A log that
// cannot be written is said once a session, and so is a log that has reached its bound and cannot
// be turned over.
void WriteToFile(const LogEntry& entry)
{
    g_program->writer->Post([line = FormatLogLine(entry)] {
        Program& program = *g_program;
        const char* path = program.storage.log.c_str();
        const LogAppend appended = AppendLogLine(path, program.storage.oldLog.c_str(), line);
        if (appended == LogAppend::Written || program.toldLogUnwritable)
            return;
        program.toldLogUnwritable = true;
        ShowNotice(appended == LogAppend::Full ? IDS_LOG_FULL : IDS_LOG_UNWRITABLE, path);
    });
}

bool RefusalShown(WindowHandle window)
{
    for (WindowHandle shown : g_program->refusalsShown) {
        if (shown == window)
            return true;
    }
    return false;
}

// One balloon per window: the user learns why it stays unanswered without being told each tick.
void ShowRefusalOnce(const ActionReport& report)
{
    if (RefusalShown(report.window))
        return;
    Program& program = *g_program;
    program.refusalsShown[program.nextRefusalShown] = report.window;
    program.nextRefusalShown = (program.nextRefusalShown + 1) % static_cast<int>(std::size(program.refusalsShown));
    char text[256];
    LoadLanguageString(IDS_REFUSED_BALLOON, text, sizeof text);
    ShowTrayBalloon(report.windowTitle, text);
}

class Observer : public ActionObserver {
public:
    void OnAction(const ActionReport& report) override
    {
        const LogEntry entry = LogEntryOf(report, LocalTimeNow());
        WriteToFile(entry);
        g_program->log.Add(entry);
        AddLogWindowRow(entry);
        if (report.outcome == ActionOutcome::Refused)
            ShowRefusalOnce(report);
    }
};

}  // namespace

ActionObserver& ProgramObserver()
{
    static Observer observer;
    return observer;
}
