#include "rules/list_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rules/replace_file.h"

const char kListFileName[] = "BOXSWEEP.LST";
const char kBackupFileName[] = "BOXSWEEP.BAK";

namespace {

const char kVersionText[] = "1.63";
const char kEndOfList[] = "end of list";
const char kLineEnd[] = "\r\n";

// Old-format lines were read 511 characters at a time.
constexpr int kOldLineCapacity = 512;
// Plenty for any number line; longer lines keep their start and the number saturates anyway.
constexpr int kNumberLineCapacity = 64;

// Hands out the lines of the file one by one. A line ends at LF; a CR right before it belongs
// to the line end, so files with CR LF and with bare LF read the same. A last line without a
// line end still counts.
class LineReader {
public:
    LineReader(const std::string& bytes, size_t position) : bytes_(bytes), position_(position) {}

    // Copies the next line into dest, keeping capacity - 1 characters and skipping the rest of
    // the line. Returns false, leaving dest empty, when no line is left.
    bool ReadLine(char* dest, int capacity)
    {
        dest[0] = '\0';
        if (position_ >= bytes_.size())
            return false;
        size_t end = bytes_.find('\n', position_);
        size_t next = end == std::string::npos ? bytes_.size() : end + 1;
        if (end == std::string::npos)
            end = bytes_.size();
        else if (end > position_ && bytes_[end - 1] == '\r')
            --end;
        size_t length = end - position_;
        if (length > static_cast<size_t>(capacity - 1))
            length = capacity - 1;
        std::memcpy(dest, bytes_.data() + position_, length);
        dest[length] = '\0';
        position_ = next;
        return true;
    }

private:
    const std::string& bytes_;
    size_t position_;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a signed decimal the way "%d" does (leading blanks, optional sign, digits) and moves
// *cursor past it. Values beyond 32 bits saturate instead of wrapping. False when no digit.
bool ScanInt(const char** cursor, int32_t* value)
{
    const char* p = *cursor;
    while (IsSpace(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!IsDigit(*p))
        return false;
    int64_t magnitude = 0;
    for (; IsDigit(*p); ++p) {
        if (magnitude <= INT32_MAX)
            magnitude = magnitude * 10 + (*p - '0');
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        signedValue = INT32_MAX;
    if (signedValue < INT32_MIN)
        signedValue = INT32_MIN;
    *value = static_cast<int32_t>(signedValue);
    *cursor = p;
    return true;
}

// An unreadable number leaves the field as it was.
void ReadIntLine(LineReader& lines, int32_t* field)
{
    char line[kNumberLineCapacity];
    if (!lines.ReadLine(line, sizeof line))
        return;
    const char* cursor = line;
    ScanInt(&cursor, field);
}

// The language name is the line's first word, bounded to the field.
void ReadWordLine(LineReader& lines, char* field, int capacity)
{
    char line[kOldLineCapacity];
    if (!lines.ReadLine(line, sizeof line))
        return;
    const char* start = line;
    while (IsSpace(*start))
        ++start;
    if (*start == '\0')
        return;
    int length = 0;
    while (start[length] != '\0' && !IsSpace(start[length]))
        ++length;
    if (length > capacity - 1)
        length = capacity - 1;
    std::memcpy(field, start, length);
    field[length] = '\0';
}

// "left,top,right,bottom,show": fields are taken in order until one is missing.
void ReadPlacementLine(LineReader& lines, Settings& settings)
{
    char line[kNumberLineCapacity * 2];
    if (!lines.ReadLine(line, sizeof line))
        return;
    int32_t* fields[] = {&settings.normalLeft, &settings.normalTop, &settings.normalRight,
                         &settings.normalBottom, &settings.showCommand};
    const char* cursor = line;
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        if (i > 0) {
            if (*cursor != ',')
                return;
            ++cursor;
        }
        if (!ScanInt(&cursor, fields[i]))
            return;
    }
}

// The version as a single-precision number, scanned like "%f" but only in its decimal form:
// some C runtimes also read "inf" or "nan", which would take an old-format first line such as
// "Information;OK" for a version. *afterVersionLine is where the next line starts.
float ScanVersion(const std::string& bytes, size_t* afterVersionLine)
{
    size_t p = 0;
    while (p < bytes.size() && IsSpace(bytes[p]))
        ++p;
    size_t start = p;
    if (p < bytes.size() && (bytes[p] == '-' || bytes[p] == '+'))
        ++p;
    size_t digits = 0;
    for (; p < bytes.size() && IsDigit(bytes[p]); ++p)
        ++digits;
    if (p < bytes.size() && bytes[p] == '.') {
        ++p;
        for (; p < bytes.size() && IsDigit(bytes[p]); ++p)
            ++digits;
    }
    float version = 0;
    if (digits > 0) {
        size_t end = p;
        if (p < bytes.size() && (bytes[p] == 'e' || bytes[p] == 'E')) {
            size_t q = p + 1;
            if (q < bytes.size() && (bytes[q] == '-' || bytes[q] == '+'))
                ++q;
            if (q < bytes.size() && IsDigit(bytes[q])) {
                while (q < bytes.size() && IsDigit(bytes[q]))
                    ++q;
                end = q;
            }
        }
        std::string number = bytes.substr(start, end - start);
        version = std::strtof(number.c_str(), nullptr);
        p = end;
    }
    size_t lineEnd = bytes.find('\n', p);
    *afterVersionLine = lineEnd == std::string::npos ? bytes.size() : lineEnd + 1;
    return version;
}

// Pieces are the non-empty runs between semicolons: the first is the title, the second the
// button. A line without any piece would make a rule that matches every window, so it makes none.
bool ReadOldFormatEntry(const char* line, ListEntry& entry)
{
    const char* pieces[2] = {nullptr, nullptr};
    int lengths[2] = {0, 0};
    int found = 0;
    for (const char* p = line; *p != '\0' && found < 2;) {
        while (*p == ';')
            ++p;
        if (*p == '\0')
            break;
        const char* start = p;
        while (*p != '\0' && *p != ';')
            ++p;
        pieces[found] = start;
        lengths[found] = static_cast<int>(p - start);
        ++found;
    }
    if (found == 0)
        return false;
    std::string title(pieces[0], lengths[0]);
    CopyText(entry.title, kTitleCapacity, title.c_str());
    if (found > 1) {
        std::string button(pieces[1], lengths[1]);
        CopyText(entry.button, kButtonCapacity, button.c_str());
    }
    entry.condition = kAlwaysClick;
    entry.method = kButtonMessage;
    return true;
}

LoadOutcome ParseOldFormat(LineReader& lines, EntryList& list, Settings& settings)
{
    char line[kOldLineCapacity];
    for (;;) {
        if (!lines.ReadLine(line, sizeof line))
            return LoadOutcome::Incomplete;
        if (std::strcmp(line, kEndOfList) == 0)
            break;
        ListEntry entry{};
        if (ReadOldFormatEntry(line, entry))
            list.AppendAtTail()->entry = entry;
    }
    settings.reservedValue = 3;
    ReadIntLine(lines, &settings.active);
    ReadIntLine(lines, &settings.scanInterval);
    ReadWordLine(lines, settings.language, kLanguageCapacity);
    return LoadOutcome::Complete;
}

// Reads the five lines after the title. False when the file ends first.
bool ReadEntryBody(LineReader& lines, ListEntry& entry)
{
    char numbers[3][kNumberLineCapacity];
    if (!lines.ReadLine(entry.button, kButtonCapacity) ||
        !lines.ReadLine(entry.message, kMessageCapacity))
        return false;
    for (auto& number : numbers) {
        if (!lines.ReadLine(number, kNumberLineCapacity))
            return false;
    }
    int32_t values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const char* cursor = numbers[i];
        ScanInt(&cursor, &values[i]);
    }
    entry.condition = static_cast<ClickCondition>(values[0]);
    entry.method = static_cast<ClickMethod>(values[1]);
    entry.clicks = values[2];
    return true;
}

LoadOutcome ParseCurrentFormat(LineReader& lines, EntryList& list, Settings& settings)
{
    for (;;) {
        ListEntry entry{};
        if (!lines.ReadLine(entry.title, kTitleCapacity))
            return LoadOutcome::Incomplete;
        if (std::strcmp(entry.title, kEndOfList) == 0)
            break;
        // Only whole records join the list: a file cut inside one keeps those before it.
        if (!ReadEntryBody(lines, entry))
            return LoadOutcome::Incomplete;
        list.AppendAtTail()->entry = entry;
    }
    ReadIntLine(lines, &settings.active);
    ReadIntLine(lines, &settings.scanInterval);
    ReadWordLine(lines, settings.language, kLanguageCapacity);
    int32_t reserved = settings.reservedValue;
    ReadIntLine(lines, &reserved);
    settings.reservedValue = static_cast<int16_t>(static_cast<uint16_t>(reserved & 0xFFFF));
    ReadPlacementLine(lines, settings);
    return LoadOutcome::Complete;
}

// A text goes on one line of its own: it ends at its first line break, marked with "*" so that
// it still matches what it matched up to there.
void AppendTextLine(std::string& out, const char* text)
{
    size_t length = std::strcspn(text, "\r\n");
    out.append(text, length);
    if (text[length] != '\0')
        out += '*';
    out += kLineEnd;
}

void AppendNumberLine(std::string& out, int32_t value)
{
    out += std::to_string(value);
    out += kLineEnd;
}

bool ReadWholeFile(const char* path, std::string& bytes, bool* missing)
{
    *missing = false;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        *missing = errno == ENOENT;
        return false;
    }
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

// Writes bytes to a temporary file beside path, pushes it to disk and only then puts it in
// path's place, so that a failure at any step leaves the old file untouched.
bool WriteFileWhole(const char* path, const std::string& bytes)
{
    std::string temporary = std::string(path) + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = ok && SyncFile(file);
    ok = std::fclose(file) == 0 && ok;
    ok = ok && ReplaceFileInOneStep(temporary.c_str(), path);
    if (!ok)
        std::remove(temporary.c_str());
    return ok;
}

std::string BackupPathFor(const char* path)
{
    std::string folder(path);
    size_t slash = folder.find_last_of("/\\");
    folder.erase(slash == std::string::npos ? 0 : slash + 1);
    return folder + kBackupFileName;
}

// Keeps a copy of the file as it is on disk. A file that is gone needs no copy.
bool BackUpListFile(const char* path)
{
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, &missing))
        return missing;
    return WriteFileWhole(BackupPathFor(path).c_str(), bytes);
}

}  // namespace

void SetDefaultSettings(Settings& settings)
{
    settings.active = 1;
    settings.scanInterval = 1000;
    CopyText(settings.language, kLanguageCapacity, "boxsweep.exe");
    settings.reservedValue = 3;
}

namespace {

std::string FormatListEnd(const Settings& settings)
{
    std::string out;
    out += kEndOfList;
    out += kLineEnd;
    AppendNumberLine(out, settings.active);
    AppendNumberLine(out, settings.scanInterval);
    AppendTextLine(out, settings.language);
    AppendNumberLine(out, settings.reservedValue);
    return out;
}

}  // namespace

std::string FormatDefaultList(const Settings& settings)
{
    return std::string(kVersionText) + kLineEnd + FormatListEnd(settings);
}

bool FinishNewListFile(const char* path, bool keepEntries, const Settings& settings)
{
    if (!keepEntries)
        return WriteFileWhole(path, FormatDefaultList(settings));
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, &missing))
        return false;
    if (!bytes.empty() && bytes.back() != '\n')
        bytes += kLineEnd;
    return WriteFileWhole(path, bytes + FormatListEnd(settings));
}

std::string FormatList(const EntryList& list, const Settings& settings)
{
    std::string out;
    out += kVersionText;
    out += kLineEnd;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get()) {
        const ListEntry& entry = node->entry;
        // A title reading exactly "end of list" would end the rules on the next load; the
        // trailing asterisk keeps it matching the same titles.
        if (std::strcmp(entry.title, kEndOfList) == 0) {
            out += kEndOfList;
            out += '*';
            out += kLineEnd;
        } else {
            AppendTextLine(out, entry.title);
        }
        AppendTextLine(out, entry.button);
        AppendTextLine(out, entry.message);
        AppendNumberLine(out, entry.condition);
        AppendNumberLine(out, entry.method);
        AppendNumberLine(out, entry.clicks);
    }
    out += FormatListEnd(settings);
    char placement[80];
    std::snprintf(placement, sizeof placement, "%d,%d,%d,%d,%d", static_cast<int>(settings.normalLeft),
                  static_cast<int>(settings.normalTop), static_cast<int>(settings.normalRight),
                  static_cast<int>(settings.normalBottom), static_cast<int>(settings.showCommand));
    out += placement;
    return out;
}

LoadOutcome ParseList(const std::string& bytes, EntryList& list, Settings& settings)
{
    size_t afterVersionLine = 0;
    float version = ScanVersion(bytes, &afterVersionLine);
    if (version == 0) {
        LineReader lines(bytes, 0);
        return ParseOldFormat(lines, list, settings);
    }
    if (static_cast<double>(version) > 1.519) {
        LineReader lines(bytes, afterVersionLine);
        return ParseCurrentFormat(lines, list, settings);
    }
    return LoadOutcome::Incomplete;
}

LoadOutcome LoadList(const char* path, EntryList& list, Settings& settings, ListFileState& state)
{
    state.backupPending = false;
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, &missing)) {
        SetDefaultSettings(settings);
        if (missing) {
            WriteFileWhole(path, FormatDefaultList(settings));
            return LoadOutcome::Created;
        }
        // There is a file, but it cannot be read now. Run with the defaults and never write
        // over it: the copy to the backup name must succeed before any save may replace it.
        state.backupPending = true;
        return LoadOutcome::Incomplete;
    }
    LoadOutcome outcome = ParseList(bytes, list, settings);
    state.backupPending = outcome == LoadOutcome::Incomplete;
    return outcome;
}

bool SaveList(const char* path, const EntryList& list, const Settings& settings, ListFileState& state)
{
    if (state.backupPending) {
        if (!BackUpListFile(path))
            return false;
        state.backupPending = false;
    }
    return WriteFileWhole(path, FormatList(list, settings));
}
