#include "rules/list_file.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "rules/replace_file.h"
#include "rules/text_encoding.h"

const char kListFileName[] = "BOXSWEEP.LST";
const char kBackupFileName[] = "BOXSWEEP.BAK";
const char kUnsavedFileName[] = "BOXSWEEP.UNSAVED";

namespace {

const char kVersionText[] = "1.63";
const char kEndOfList[] = "end of list";
const char kEndOfListTitle[] = "End of list";
const char kLineEnd[] = "\r\n";
const char kBuiltInLanguage[] = "boxsweep.exe";

// Old-format lines were read 511 characters at a time.
constexpr int kOldLineCapacity = 512;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Text of a code page or of UTF-8 holds no control character but tab, CR and LF; bytes from
// 0x80 up are characters, never controls.
bool IsControlByte(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\r' && c != '\n') || byte == 0x7F;
}

bool IsBlank(std::string_view line)
{
    for (char c : line) {
        if (!IsSpace(c))
            return false;
    }
    return true;
}

// Hands out the lines of the file one by one. A line ends at LF; a CR right before it belongs
// to the line end, so files with CR LF and with bare LF read the same. Any other CR is part of
// the text. A last line without a line end still counts.
class LineReader {
public:
    LineReader(const std::string& bytes, size_t position) : bytes_(bytes), position_(position) {}

    // The next line without its line end; false when no line is left.
    bool Next(std::string_view* line)
    {
        if (position_ >= bytes_.size())
            return false;
        size_t end = bytes_.find('\n', position_);
        size_t next = end == std::string::npos ? bytes_.size() : end + 1;
        if (end == std::string::npos)
            end = bytes_.size();
        else if (end > position_ && bytes_[end - 1] == '\r')
            --end;
        *line = std::string_view(bytes_).substr(position_, end - position_);
        position_ = next;
        return true;
    }

    // The next line holding more than white space. Numbers and the language name are scanned
    // the way "%d" and "%s" scan them, which pass over blank lines. False when none is left.
    bool NextNonBlank(std::string_view* line)
    {
        while (Next(line)) {
            if (!IsBlank(*line))
                return true;
        }
        return false;
    }

    // Copies the next line into dest, keeping capacity - 1 characters and skipping the rest of
    // the line. Returns false, leaving dest empty, when no line is left.
    bool ReadLine(char* dest, int capacity)
    {
        dest[0] = '\0';
        std::string_view line;
        if (!Next(&line))
            return false;
        size_t length = line.size() < static_cast<size_t>(capacity - 1) ? line.size() : capacity - 1;
        std::memcpy(dest, line.data(), length);
        dest[length] = '\0';
        return true;
    }

private:
    const std::string& bytes_;
    size_t position_;
};

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

// A line that holds no number leaves the field as it was. False when the file has ended.
bool ReadIntLine(LineReader& lines, int32_t* field)
{
    std::string_view line;
    if (!lines.NextNonBlank(&line))
        return false;
    const std::string text(line);
    const char* cursor = text.c_str();
    ScanInt(&cursor, field);
    return true;
}

// The language name is the first word of its line, bounded to the field. False when the file
// has ended.
bool ReadWordLine(LineReader& lines, char* field, int capacity)
{
    std::string_view line;
    if (!lines.NextNonBlank(&line))
        return false;
    size_t start = 0;
    while (IsSpace(line[start]))
        ++start;
    size_t length = 0;
    while (start + length < line.size() && line[start + length] != '\0' && !IsSpace(line[start + length]))
        ++length;
    if (length > static_cast<size_t>(capacity - 1))
        length = capacity - 1;
    std::memcpy(field, line.data() + start, length);
    field[length] = '\0';
    return true;
}

bool ReadReservedLine(LineReader& lines, int16_t* field)
{
    int32_t reserved = *field;
    if (!ReadIntLine(lines, &reserved))
        return false;
    *field = static_cast<int16_t>(static_cast<uint16_t>(reserved & 0xFFFF));
    return true;
}

// "left,top,right,bottom,show": fields are taken in order until one is missing.
void ReadPlacementLine(LineReader& lines, Settings& settings)
{
    std::string_view line;
    if (!lines.NextNonBlank(&line))
        return;
    const std::string text(line);
    int32_t* fields[] = {&settings.normalLeft, &settings.normalTop, &settings.normalRight,
                         &settings.normalBottom, &settings.showCommand};
    const char* cursor = text.c_str();
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

// The setting lines after "end of list", in their order in the file.
enum SettingLine { kActiveLine, kIntervalLine, kLanguageLine, kReservedLine, kSettingLineCount };

// A file that ends before all its settings keeps those it has; the rest take their defaults
// rather than the zeros they start with, which would switch the watcher off.
void DefaultSettingsFrom(int firstMissing, Settings& settings)
{
    Settings defaults{};
    SetDefaultSettings(defaults);
    if (firstMissing <= kActiveLine)
        settings.active = defaults.active;
    if (firstMissing <= kIntervalLine)
        settings.scanInterval = defaults.scanInterval;
    if (firstMissing <= kLanguageLine)
        CopyText(settings.language, kLanguageCapacity, defaults.language);
    if (firstMissing <= kReservedLine)
        settings.reservedValue = defaults.reservedValue;
}

bool ReadSettingLine(LineReader& lines, int which, Settings& settings)
{
    switch (which) {
    case kActiveLine:
        return ReadIntLine(lines, &settings.active);
    case kIntervalLine:
        return ReadIntLine(lines, &settings.scanInterval);
    case kLanguageLine:
        return ReadWordLine(lines, settings.language, kLanguageCapacity);
    default:
        return ReadReservedLine(lines, &settings.reservedValue);
    }
}

// Reads the first count setting lines. False when the file ends before them.
bool ReadSettings(LineReader& lines, int count, Settings& settings)
{
    for (int which = 0; which < count; ++which) {
        if (!ReadSettingLine(lines, which, settings)) {
            DefaultSettingsFrom(which, settings);
            return false;
        }
    }
    return true;
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
    // Written as it is, this title would end the rules on the next load. The matcher folds A
    // to Z, so with a capital E it matches exactly the same titles.
    if (title == kEndOfList)
        title = kEndOfListTitle;
    CopyText(entry.title, kTitleCapacity, title.c_str());
    if (found > 1) {
        std::string button(pieces[1], lengths[1]);
        CopyText(entry.button, kButtonCapacity, button.c_str());
    }
    entry.condition = kAlwaysClick;
    entry.method = kButtonMessage;
    return true;
}

// The old format is read whole, but the next save writes it in the current one.
LoadOutcome ParseOldFormat(LineReader& lines, EntryList& list, Settings& settings)
{
    char line[kOldLineCapacity];
    for (;;) {
        if (!lines.ReadLine(line, sizeof line)) {
            DefaultSettingsFrom(kActiveLine, settings);
            return LoadOutcome::Incomplete;
        }
        if (std::strcmp(line, kEndOfList) == 0)
            break;
        ListEntry entry{};
        if (ReadOldFormatEntry(line, entry))
            list.AppendAtTail()->entry = entry;
    }
    settings.reservedValue = 3;
    if (!ReadSettings(lines, kReservedLine, settings))
        return LoadOutcome::Incomplete;
    return LoadOutcome::Converted;
}

// Reads the five lines after the title. False when the file ends first.
bool ReadEntryBody(LineReader& lines, ListEntry& entry)
{
    if (!lines.ReadLine(entry.button, kButtonCapacity) || !lines.ReadLine(entry.message, kMessageCapacity))
        return false;
    int32_t values[3] = {0, 0, 0};
    for (int32_t& value : values) {
        if (!ReadIntLine(lines, &value))
            return false;
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
        // Only whole records join the list: a file cut inside one keeps those before it.
        if (!lines.ReadLine(entry.title, kTitleCapacity) ||
            (std::strcmp(entry.title, kEndOfList) != 0 && !ReadEntryBody(lines, entry))) {
            DefaultSettingsFrom(kActiveLine, settings);
            return LoadOutcome::Incomplete;
        }
        if (std::strcmp(entry.title, kEndOfList) == 0)
            break;
        list.AppendAtTail()->entry = entry;
    }
    if (!ReadSettings(lines, kSettingLineCount, settings))
        return LoadOutcome::Incomplete;
    ReadPlacementLine(lines, settings);
    return LoadOutcome::Complete;
}

// A window's title can hold control characters, and a rule made from it takes them; in the file
// they would make it no list. Each is written as "?", as a character the code page lacks is;
// unlike a "*", it does not let the rule match any text in its place.
void AppendText(std::string& out, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        out += IsControlByte(text[i]) ? '?' : text[i];
}

// A text goes on one line of its own, so it ends at its first line break (LF or CR LF); a lone
// CR is text like any other, since only LF ends a line on reading. A pattern cut there is marked
// with "*" so that it still matches what it matched up to there; a button text, compared whole,
// is cut without a mark.
void AppendTextLine(std::string& out, const char* text, bool markCut)
{
    const char* lineFeed = std::strchr(text, '\n');
    if (lineFeed == nullptr) {
        AppendText(out, text, std::strlen(text));
        out += kLineEnd;
        return;
    }
    size_t length = lineFeed - text;
    if (length > 0 && text[length - 1] == '\r')
        --length;
    AppendText(out, text, length);
    if (markCut)
        out += '*';
    out += kLineEnd;
}

// The language is read back as the first word of its line, and a blank line is passed over:
// the name is written the same way, and a missing one as the built-in language's name.
void AppendWordLine(std::string& out, const char* word)
{
    while (IsSpace(*word))
        ++word;
    size_t length = 0;
    while (word[length] != '\0' && !IsSpace(word[length]))
        ++length;
    if (length == 0)
        out += kBuiltInLanguage;
    AppendText(out, word, length);
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

// The file name in the folder of path.
std::string SiblingPath(const char* path, const char* name)
{
    std::string folder(path);
    size_t slash = folder.find_last_of("/\\");
    folder.erase(slash == std::string::npos ? 0 : slash + 1);
    return folder + name;
}

// Keeps a copy of the file as it is on disk. A file that is gone needs no copy.
bool BackUpListFile(const char* path)
{
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, &missing))
        return missing;
    return WriteFileWhole(SiblingPath(path, kBackupFileName).c_str(), bytes);
}

}  // namespace

void SetDefaultSettings(Settings& settings)
{
    settings.active = 1;
    settings.scanInterval = 1000;
    CopyText(settings.language, kLanguageCapacity, kBuiltInLanguage);
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
    AppendWordLine(out, settings.language);
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
        // A title reading exactly "end of list" would end the rules on the next load. The
        // matcher folds A to Z, so a capital E keeps it matching exactly the same titles; a
        // trailing asterisk would not, since it accepts the title "end of list*" as well.
        if (std::strcmp(entry.title, kEndOfList) == 0) {
            out += kEndOfListTitle;
            out += kLineEnd;
        } else {
            AppendTextLine(out, entry.title, true);
        }
        AppendTextLine(out, entry.button, false);
        AppendTextLine(out, entry.message, true);
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

namespace {

LoadOutcome ParseAnsi(const std::string& bytes, EntryList& list, Settings& settings)
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

// Repeats attempt until it reports done or retryMs have passed; true when it reported done. A
// virus scanner, an editor or a backup tool often holds the list file for a moment.
template <typename Attempt>
bool RetryFor(int retryMs, Attempt attempt)
{
    constexpr int kStepMs = 50;
    for (int waited = 0;; waited += kStepMs) {
        if (attempt())
            return true;
        if (waited >= retryMs)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
}

bool ReadWholeFileRetrying(const char* path, std::string& bytes, bool* missing, int retryMs)
{
    bool read = false;
    RetryFor(retryMs, [&] {
        bytes.clear();
        read = ReadWholeFile(path, bytes, missing);
        return read || *missing;
    });
    return read;
}

// The length of the well-formed UTF-8 sequence of two to four bytes at bytes[at], or 0 when there
// is none there. Overlong forms, surrogates and values beyond U+10FFFF are not well formed.
size_t Utf8SequenceAt(const std::string& bytes, size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > bytes.size())
        return 0;
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Whether the bytes are well-formed UTF-8 with at least one character beyond ASCII. Text in an
// 8-bit code page hardly ever is: an accented letter followed by a plain one is no UTF-8.
bool IsUtf8BeyondAscii(const std::string& bytes)
{
    bool beyondAscii = false;
    for (size_t at = 0; at < bytes.size();) {
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const size_t length = Utf8SequenceAt(bytes, at);
        if (length == 0)
            return false;
        beyondAscii = true;
        at += length;
    }
    return beyondAscii;
}

// Ctrl-Z ended text files under DOS, and some editors still put one at the end.
constexpr char kEndOfFileMark = '\x1A';

// Whether the bytes can be a list at all: other data read as one would give rules made of junk,
// which the next save would write back. UTF-16 text (Notepad's "Unicode") is not read either.
bool IsListText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return false;
    if (bytes.ends_with(kEndOfFileMark))
        bytes.remove_suffix(1);
    return std::none_of(bytes.begin(), bytes.end(), IsControlByte);
}

}  // namespace

LoadOutcome ParseList(const std::string& bytes, EntryList& list, Settings& settings)
{
    if (!IsListText(bytes))
        return LoadOutcome::NotAList;
    const std::string text = bytes.ends_with(kEndOfFileMark) ? bytes.substr(0, bytes.size() - 1) : bytes;
    // A text editor's UTF-8 save starts with a byte order mark, or, as Notepad's has since 2019,
    // without one; the program's texts are in the ANSI code page, as are the files it writes.
    const char kByteOrderMark[] = "\xEF\xBB\xBF";
    const bool marked = text.compare(0, 3, kByteOrderMark) == 0;
    if (!marked && !IsUtf8BeyondAscii(text))
        return ParseAnsi(text, list, settings);
    LoadOutcome outcome = ParseAnsi(Utf8ToAnsi(marked ? text.substr(3) : text), list, settings);
    return outcome == LoadOutcome::Complete ? LoadOutcome::Converted : outcome;
}

namespace {

namespace fs = std::filesystem;

// Fallback files beyond this number are not looked for; a folder holding that many has a
// problem no further file solves.
constexpr int kFallbackNumberLimit = 1000;

template <typename Char>
Char UpperAscii(Char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

// "BOXSWEEP.UNSAVED", or that with a dot and a number, letter case ignored as the file system
// of Windows does. Read in the system's own form of names, so that no other file's name needs a
// conversion that could fail.
bool IsFallbackName(const fs::path::string_type& name)
{
    const size_t base = std::strlen(kUnsavedFileName);
    if (name.size() < base)
        return false;
    for (size_t i = 0; i < base; ++i) {
        if (UpperAscii(name[i]) != static_cast<unsigned char>(kUnsavedFileName[i]))
            return false;
    }
    if (name.size() == base)
        return true;
    if (name[base] != '.' || name.size() == base + 1)
        return false;
    for (size_t i = base + 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return true;
}

std::string FallbackName(int number)
{
    return number == 0 ? kUnsavedFileName : std::string(kUnsavedFileName) + "." + std::to_string(number);
}

struct FallbackFile {
    std::string name;
    fs::file_time_type written;
};

fs::path FolderOf(const char* path)
{
    fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The fallback files beside path, the newest first.
std::vector<FallbackFile> FallbackFilesNewestFirst(const char* path)
{
    std::vector<FallbackFile> found;
    std::error_code error;
    fs::directory_iterator entry(FolderOf(path), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const fs::path name = entry->path().filename();
        std::error_code fileError;
        const fs::file_time_type written = entry->last_write_time(fileError);
        if (!IsFallbackName(name.native()) || fileError || !entry->is_regular_file(fileError))
            continue;
        // Its name is plain ASCII, the same in every form.
        found.push_back({std::string(name.native().begin(), name.native().end()), written});
    }
    std::sort(found.begin(), found.end(),
              [](const FallbackFile& a, const FallbackFile& b) { return a.written > b.written; });
    return found;
}

// The newest fallback file written after the list file; any is newer than a list file that is
// not there. Empty when there is none.
std::string NewerFallbackName(const char* path, const std::vector<FallbackFile>& fallbacks)
{
    if (fallbacks.empty())
        return "";
    std::error_code error;
    const fs::file_time_type listWritten = fs::last_write_time(path, error);
    return error || fallbacks.front().written > listWritten ? fallbacks.front().name : "";
}

// The first fallback name no file has: a new fallback file never takes the place of another
// session's. Empty when none is free or the folder cannot tell.
std::string FreeFallbackName(const char* path)
{
    for (int number = 0; number < kFallbackNumberLimit; ++number) {
        const std::string name = FallbackName(number);
        std::error_code error;
        if (fs::symlink_status(SiblingPath(path, name.c_str()), error).type() == fs::file_type::not_found)
            return name;
    }
    return "";
}

// A session whose list file cannot be read starts from the last session that could not reach it
// either: the newest fallback file that reads whole. One that does not is left as it is, since
// this session's saves replace the file it starts from.
bool LoadNewestFallback(const char* path, const std::vector<FallbackFile>& fallbacks, EntryList& list,
                        Settings& settings, ListFileState& state)
{
    for (const FallbackFile& fallback : fallbacks) {
        std::string bytes;
        bool missing = false;
        if (!ReadWholeFile(SiblingPath(path, fallback.name.c_str()).c_str(), bytes, &missing))
            continue;
        EntryList read;
        Settings readSettings = settings;
        const LoadOutcome outcome = ParseList(bytes, read, readSettings);
        if (outcome != LoadOutcome::Complete && outcome != LoadOutcome::Converted)
            continue;
        for (const EntryNode* node = read.First(); node != nullptr; node = node->next.get())
            list.AppendAtTail()->entry = node->entry;
        settings = readSettings;
        state.fallbackName = fallback.name;
        return true;
    }
    return false;
}

// There is a file that holds no list this session can read. Never write over it in this
// session: the saves go to a file of their own beside it.
LoadOutcome GoOnBesideTheListFile(const char* path, const std::vector<FallbackFile>& fallbacks,
                                  EntryList& list, Settings& settings, ListFileState& state)
{
    state.unreadable = true;
    if (LoadNewestFallback(path, fallbacks, list, settings, state))
        return LoadOutcome::FromFallback;
    SetDefaultSettings(settings);
    return LoadOutcome::Unreadable;
}

bool WriteListFile(const char* path, const std::string& bytes, ListFileState& state)
{
    if (state.backupPending) {
        if (!BackUpListFile(path))
            return false;
        state.backupPending = false;
    }
    return WriteFileWhole(path, bytes);
}

// The session keeps one fallback file: the first fallback save takes a free name, and later
// ones replace that file.
bool WriteFallback(const char* path, const std::string& bytes, ListFileState& state)
{
    const std::string name = state.fallbackName.empty() ? FreeFallbackName(path) : state.fallbackName;
    if (name.empty() || !WriteFileWhole(SiblingPath(path, name.c_str()).c_str(), bytes))
        return false;
    state.fallbackName = name;
    return true;
}

}  // namespace

LoadOutcome LoadList(const char* path, EntryList& list, Settings& settings, ListFileState& state,
                     int retryMs)
{
    state = ListFileState{};
    // Looked at before a missing list file is created.
    const std::vector<FallbackFile> fallbacks = FallbackFilesNewestFirst(path);
    state.newerFallbackName = NewerFallbackName(path, fallbacks);
    std::string bytes;
    bool missing = false;
    bool read = ReadWholeFileRetrying(path, bytes, &missing, retryMs);
    if (!read && !missing)
        return GoOnBesideTheListFile(path, fallbacks, list, settings, state);
    // An empty file holds nothing to keep, like a missing one.
    if (missing || bytes.empty()) {
        SetDefaultSettings(settings);
        WriteFileWhole(path, FormatDefaultList(settings));
        return LoadOutcome::Created;
    }
    LoadOutcome outcome = ParseList(bytes, list, settings);
    if (outcome == LoadOutcome::NotAList) {
        state.notAList = true;
        return GoOnBesideTheListFile(path, fallbacks, list, settings, state);
    }
    state.backupPending = outcome != LoadOutcome::Complete;
    return outcome;
}

SaveOutcome SaveList(const char* path, const EntryList& list, const Settings& settings, ListFileState& state,
                     int retryMs)
{
    const std::string bytes = FormatList(list, settings);
    if (!state.unreadable && RetryFor(retryMs, [&] { return WriteListFile(path, bytes, state); }))
        return SaveOutcome::ListFile;
    return WriteFallback(path, bytes, state) ? SaveOutcome::Fallback : SaveOutcome::NotSaved;
}
