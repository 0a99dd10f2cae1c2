// The list file's format, read from and written to bytes in memory.
#include "rules/list_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <variant>
#include <vector>

#include "rules/text_encoding.h"

namespace {

const char kVersionText[] = "1.63";
// A list with rule options: the same layout as 1.63 up to the placement line, then the options.
const char kOptionsVersionText[] = "1.64";
const char kOptionsHeading[] = "rule options";
const char kEndOfList[] = "end of list";
const char kEndOfListTitle[] = "End of list";
const char kLineEnd[] = "\r\n";

// Old-format lines were read 511 characters at a time; the buffer is sized as a rule field's.
constexpr int kOldLineCapacity = 4 * (511 + 1);

// Ctrl-Z ended text files under DOS, and some editors still put one at the end.
constexpr char kEndOfFileMark = '\x1A';

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Text of a code page or of UTF-8 holds no control character but tab, CR and LF; bytes from
// 0x80 up are characters or parts of them, never controls.
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

    // Copies the next line into a field of the given capacity (see CopyField), keeping as many
    // characters as the field holds and skipping the rest of the line. Returns false, leaving
    // dest empty, when no line is left.
    bool ReadField(char* dest, int capacity)
    {
        dest[0] = '\0';
        std::string_view line;
        if (!Next(&line))
            return false;
        const size_t length = FittingLength(line, capacity - 1, capacity / 4 - 1);
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

// A word, such as the language name, is the first word of its line, bounded to the field. False
// when the file has ended.
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
    length = FittingLength(line.substr(start, length), capacity - 1, SIZE_MAX);
    std::memcpy(field, line.data() + start, length);
    field[length] = '\0';
    return true;
}

// A 16-bit field keeps the low 16 bits of the number on its line.
bool ReadShortLine(LineReader& lines, int16_t* field)
{
    int32_t value = *field;
    if (!ReadIntLine(lines, &value))
        return false;
    *field = static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
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

bool ReadSettingLine(LineReader& lines, const SettingLine& line, Settings& settings)
{
    if (const NumberSetting* number = std::get_if<NumberSetting>(&line.field))
        return ReadIntLine(lines, &(settings.*(*number)));
    if (const ShortSetting* shortNumber = std::get_if<ShortSetting>(&line.field))
        return ReadShortLine(lines, &(settings.*(*shortNumber)));
    return ReadWordLine(lines, settings.*std::get<WordSetting>(line.field), kLanguageCapacity);
}

// The default is read from the line a new file holds, as the file would be.
void SetDefaultSetting(const SettingLine& line, Settings& settings)
{
    const std::string text = line.defaultLine;
    LineReader lines(text, 0);
    ReadSettingLine(lines, line, settings);
}

// Reads the setting lines, or in the old format those it has; the others take their defaults.
// A file that ends before all its settings keeps those it has, and the rest take their defaults
// rather than the zeros they start with, which would switch the watcher off. False when the
// file ends first.
bool ReadSettings(LineReader& lines, bool oldFormat, Settings& settings)
{
    bool ended = false;
    for (const SettingLine& line : kSettingLines) {
        const bool inFile = !oldFormat || line.inOldFormat;
        if (inFile && !ended)
            ended = !ReadSettingLine(lines, line, settings);
        if (!inFile || ended)
            SetDefaultSetting(line, settings);
    }
    return !ended;
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
    CopyField(entry.title, kTitleCapacity, title.c_str());
    if (found > 1) {
        std::string button(pieces[1], lengths[1]);
        CopyField(entry.button, kButtonCapacity, button.c_str());
    }
    entry.condition = kAlwaysClick;
    entry.method = kButtonMessage;
    return true;
}

// The old format is read whole, but the next save writes it in the current one. *rulesEnded tells
// whether the rules ended with "end of list", whatever follows.
LoadOutcome ParseOldFormat(LineReader& lines, EntryList& list, Settings& settings, bool* rulesEnded)
{
    char line[kOldLineCapacity];
    for (;;) {
        if (!lines.ReadField(line, sizeof line)) {
            SetDefaultSettings(settings);
            return LoadOutcome::Incomplete;
        }
        if (std::strcmp(line, kEndOfList) == 0)
            break;
        ListEntry entry{};
        if (ReadOldFormatEntry(line, entry))
            list.AppendAtTail()->entry = entry;
    }
    *rulesEnded = true;
    if (!ReadSettings(lines, true, settings))
        return LoadOutcome::Incomplete;
    return LoadOutcome::Converted;
}

// Reads the five lines after the title. False when the file ends first.
bool ReadEntryBody(LineReader& lines, ListEntry& entry)
{
    if (!lines.ReadField(entry.button, kButtonCapacity) || !lines.ReadField(entry.message, kMessageCapacity))
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

// What the options section says of one rule, applied once the whole section is read: a rule one
// of whose lines cannot be understood stays switched off, whatever its other lines say.
struct RuleOptionLines {
    bool hasCondition = false;
    int32_t condition = 0;
    bool malformed = false;
};

// "delay" takes plain digits within its bound; "whole" 0 or 1.
bool ReadOptionNumber(std::string_view value, int32_t low, int32_t high, int32_t* number)
{
    if (value.empty() || value.size() > 6 || !std::all_of(value.begin(), value.end(), IsDigit))
        return false;
    const int32_t parsed = static_cast<int32_t>(std::strtol(std::string(value).c_str(), nullptr, 10));
    if (parsed < low || parsed > high)
        return false;
    *number = parsed;
    return true;
}

// One option of entry; false when its value cannot be understood. Options this version does not
// know are kept as they stand.
bool ApplyOption(std::string_view name, std::string_view value, ListEntry& entry, RuleOptionLines& lines)
{
    int32_t number = 0;
    if (name == "program") {
        const size_t length = FittingLength(value, kProgramCapacity - 1, kProgramChars);
        std::memcpy(entry.program, value.data(), length);
        entry.program[length] = '\0';
    } else if (name == "whole") {
        if (!ReadOptionNumber(value, 0, 1, &number))
            return false;
        entry.wholeTitle = number == 1;
    } else if (name == "delay") {
        if (!ReadOptionNumber(value, 0, kMaxDelayMs, &entry.delayMs))
            return false;
    } else if (name == "condition") {
        const std::string text(value);
        const char* cursor = text.c_str();
        if (!ScanInt(&cursor, &lines.condition) || *cursor != '\0')
            return false;
        lines.hasCondition = true;
    } else {
        entry.laterOptions.append(name).append("=").append(value).append("\n");
    }
    return true;
}

// "N name=value": the rule's position in the file (1 = the first), one space, the option. False
// when the line cannot be understood; *position is then the rule it names, or 0.
bool ApplyOptionLine(std::string_view line, std::vector<ListEntry*>& entries, std::vector<RuleOptionLines>& rules,
                     size_t* position)
{
    *position = 0;
    const size_t space = line.find(' ');
    const size_t equals = line.find('=');
    const std::string_view number = line.substr(0, space);
    if (space == std::string_view::npos || number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), IsDigit))
        return false;
    const size_t named = static_cast<size_t>(std::strtol(std::string(number).c_str(), nullptr, 10));
    if (named == 0 || named > entries.size())
        return false;
    *position = named;
    if (equals == std::string_view::npos || equals <= space + 1)
        return false;
    return ApplyOption(line.substr(space + 1, equals - space - 1), line.substr(equals + 1), *entries[named - 1],
                       rules[named - 1]);
}

// The options section after the placement line. A rule with options is written switched off in
// the rules above, its real condition an option, so that a reader that knows no options never
// acts on more than was meant. False when a line could not be understood: its rule stays
// switched off.
bool ReadRuleOptions(LineReader& lines, std::vector<ListEntry*>& entries)
{
    std::string_view line;
    if (!lines.NextNonBlank(&line) || line != kOptionsHeading)
        return true;
    std::vector<RuleOptionLines> rules(entries.size());
    bool understood = true;
    while (lines.Next(&line)) {
        if (IsBlank(line))
            continue;
        size_t position = 0;
        if (ApplyOptionLine(line, entries, rules, &position))
            continue;
        understood = false;
        if (position != 0)
            rules[position - 1].malformed = true;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (rules[i].malformed)
            entries[i]->condition = kNeverClick;
        else if (rules[i].hasCondition)
            entries[i]->condition = static_cast<ClickCondition>(rules[i].condition);
    }
    return understood;
}

LoadOutcome ParseCurrentFormat(LineReader& lines, EntryList& list, Settings& settings, bool* rulesEnded)
{
    std::vector<ListEntry*> entries;
    for (;;) {
        ListEntry entry{};
        // Only whole records join the list: a file cut inside one keeps those before it.
        if (!lines.ReadField(entry.title, kTitleCapacity) ||
            (std::strcmp(entry.title, kEndOfList) != 0 && !ReadEntryBody(lines, entry))) {
            SetDefaultSettings(settings);
            return LoadOutcome::Incomplete;
        }
        if (std::strcmp(entry.title, kEndOfList) == 0)
            break;
        entries.push_back(&list.AppendAtTail()->entry);
        *entries.back() = entry;
    }
    *rulesEnded = true;
    if (!ReadSettings(lines, false, settings))
        return LoadOutcome::Incomplete;
    ReadPlacementLine(lines, settings);
    return ReadRuleOptions(lines, entries) ? LoadOutcome::Complete : LoadOutcome::OptionsDamaged;
}

LoadOutcome ParseText(const std::string& text, EntryList& list, Settings& settings, bool* rulesEnded)
{
    *rulesEnded = false;
    size_t afterVersionLine = 0;
    float version = ScanVersion(text, &afterVersionLine);
    if (version == 0) {
        LineReader lines(text, 0);
        return ParseOldFormat(lines, list, settings, rulesEnded);
    }
    if (static_cast<double>(version) > 1.519) {
        LineReader lines(text, afterVersionLine);
        return ParseCurrentFormat(lines, list, settings, rulesEnded);
    }
    return LoadOutcome::Incomplete;
}

// The list's bytes as the program's text; *encoding tells what they were in. False for bytes
// that are no list: other data read as one would give rules made of junk, which the next save
// would write back. The control characters are looked for in the text, not in the bytes, since
// UTF-16 holds a zero byte in every character of ASCII.
bool DecodeListBytes(const std::string& bytes, std::string* text, TextEncoding* encoding)
{
    const std::string_view all = bytes;
    *encoding = DetectTextEncoding(all);
    switch (*encoding) {
    case TextEncoding::Ansi:
        *text = ProgramTextFromAnsi(all);
        break;
    case TextEncoding::Utf8:
        *text = ProgramTextFromUtf8(all);
        break;
    case TextEncoding::Utf8WithMark:
        *text = ProgramTextFromUtf8(all.substr(std::strlen(kUtf8ByteOrderMark)));
        break;
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
        *text = ProgramTextFromUtf8(Utf16ToUtf8(all.substr(2), *encoding == TextEncoding::Utf16BigEndian));
        break;
    }
    if (text->ends_with(kEndOfFileMark))
        text->pop_back();
    return std::none_of(text->begin(), text->end(), IsControlByte);
}

// The list's text in the ANSI code page where every character has its place there, byte for
// byte as earlier versions wrote it and other programs read it; otherwise all of it in UTF-8
// after a byte order mark, which earlier versions read too. Text whose bytes in the code page
// would read as UTF-8 (a title "Ã¤" typed as it stands, whose Windows-1252 bytes are "ä" in
// UTF-8) goes the second way as well, so that what is saved always reads back as it was.
std::string EncodeListText(const std::string& text)
{
    std::string ansi;
    if (ProgramTextToAnsi(text, &ansi) && DetectTextEncoding(ansi) == TextEncoding::Ansi)
        return ansi;
    return kUtf8ByteOrderMark + ProgramTextToUtf8(text);
}

// A window's title can hold control characters, and a rule made from it takes them; in the file
// they would make it no list. Each is written as the replacement character: unlike a "*" or a
// "?", it lets the rule match only titles that hold that very character, which hardly any does.
void AppendText(std::string& out, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (IsControlByte(text[i]))
            out += ProgramReplacement();
        else
            out += text[i];
    }
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

// A word is read back as the first word of its line, and a blank line is passed over: it is
// written the same way, and a missing one as emptyAs.
void AppendWordLine(std::string& out, const char* word, const char* emptyAs)
{
    while (IsSpace(*word))
        ++word;
    size_t length = 0;
    while (word[length] != '\0' && !IsSpace(word[length]))
        ++length;
    if (length == 0)
        out += emptyAs;
    AppendText(out, word, length);
    out += kLineEnd;
}

void AppendNumberLine(std::string& out, int32_t value)
{
    out += std::to_string(value);
    out += kLineEnd;
}

void AppendSettingLine(std::string& out, const SettingLine& line, const Settings& settings)
{
    if (const NumberSetting* number = std::get_if<NumberSetting>(&line.field))
        AppendNumberLine(out, settings.*(*number));
    else if (const ShortSetting* shortNumber = std::get_if<ShortSetting>(&line.field))
        AppendNumberLine(out, settings.*(*shortNumber));
    else
        AppendWordLine(out, settings.*std::get<WordSetting>(line.field), line.defaultLine);
}

void AppendOptionLine(std::string& out, int position, const char* name, std::string_view value)
{
    out += std::to_string(position);
    out += ' ';
    out += name;
    out += '=';
    // A value ends at a line break, which the next load would take for the next option.
    out += value.substr(0, value.find_first_of("\r\n"));
    out += kLineEnd;
}

// After the placement line, which gets its line end: "rule options", then each option of each
// rule that has some, its real condition first.
void AppendRuleOptions(std::string& out, const EntryList& list)
{
    out += kLineEnd;
    out += kOptionsHeading;
    out += kLineEnd;
    int position = 0;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get()) {
        // The positions are those of the file, which holds the user's rules only.
        if (node->managed)
            continue;
        ++position;
        const ListEntry& entry = node->entry;
        if (!HasOptions(entry))
            continue;
        AppendOptionLine(out, position, "condition", std::to_string(entry.condition));
        if (entry.program[0] != '\0')
            AppendOptionLine(out, position, "program", entry.program);
        if (entry.wholeTitle)
            AppendOptionLine(out, position, "whole", "1");
        if (entry.delayMs != 0)
            AppendOptionLine(out, position, "delay", std::to_string(entry.delayMs));
        // Options of later versions, "name=value" each, as they were read.
        const std::string_view later = entry.laterOptions;
        for (size_t start = 0, end; start < later.size(); start = end + 1) {
            end = std::min(later.find('\n', start), later.size());
            out += std::to_string(position);
            out += ' ';
            out += later.substr(start, end - start);
            out += kLineEnd;
        }
    }
}

std::string FormatListEnd(const Settings& settings)
{
    std::string out;
    out += kEndOfList;
    out += kLineEnd;
    for (const SettingLine& line : kSettingLines)
        AppendSettingLine(out, line, settings);
    return out;
}

}  // namespace

LoadOutcome ParseList(const std::string& bytes, EntryList& list, Settings& settings)
{
    std::string text;
    TextEncoding encoding = TextEncoding::Ansi;
    if (!DecodeListBytes(bytes, &text, &encoding))
        return LoadOutcome::NotAList;
    bool rulesEnded = false;
    const LoadOutcome outcome = ParseText(text, list, settings, &rulesEnded);
    if (outcome != LoadOutcome::Complete)
        return outcome;
    // Read whole, but the next save writes it in another form.
    return DetectTextEncoding(FormatList(list, settings)) == encoding ? outcome : LoadOutcome::Converted;
}

bool ParseListRules(const std::string& bytes, EntryList& list)
{
    std::string text;
    TextEncoding encoding = TextEncoding::Ansi;
    if (!DecodeListBytes(bytes, &text, &encoding))
        return false;
    Settings ignored{};
    bool rulesEnded = false;
    const LoadOutcome outcome = ParseText(text, list, ignored, &rulesEnded);
    return rulesEnded && outcome != LoadOutcome::OptionsDamaged;
}

std::string FormatList(const EntryList& list, const Settings& settings)
{
    bool options = false;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get())
        options = options || (!node->managed && HasOptions(node->entry));
    std::string out;
    out += options ? kOptionsVersionText : kVersionText;
    out += kLineEnd;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get()) {
        // The managed rules come from their own file, which the administrator keeps.
        if (node->managed)
            continue;
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
        AppendNumberLine(out, HasOptions(entry) ? kNeverClick : entry.condition);
        AppendNumberLine(out, entry.method);
        AppendNumberLine(out, entry.clicks);
    }
    out += FormatListEnd(settings);
    char placement[80];
    std::snprintf(placement, sizeof placement, "%d,%d,%d,%d,%d", static_cast<int>(settings.normalLeft),
                  static_cast<int>(settings.normalTop), static_cast<int>(settings.normalRight),
                  static_cast<int>(settings.normalBottom), static_cast<int>(settings.showCommand));
    out += placement;
    if (options)
        AppendRuleOptions(out, list);
    return EncodeListText(out);
}

void SetDefaultSettings(Settings& settings)
{
    for (const SettingLine& line : kSettingLines)
        SetDefaultSetting(line, settings);
}

std::string FormatDefaultList(const Settings& settings)
{
    return EncodeListText(std::string(kVersionText) + kLineEnd + FormatListEnd(settings));
}

// The prepared list is read as a list file is, so that the whole file comes out in one encoding.
// One that is no list is finished as it stands: loading it will refuse it all the same.
std::string FinishPreparedList(const std::string& prepared, const Settings& settings)
{
    std::string text;
    TextEncoding encoding = TextEncoding::Ansi;
    const bool decoded = DecodeListBytes(prepared, &text, &encoding);
    std::string out = decoded ? text : prepared;
    if (!out.empty() && out.back() != '\n')
        out += kLineEnd;
    if (!decoded)
        return out + EncodeListText(FormatListEnd(settings));
    return EncodeListText(out + FormatListEnd(settings));
}
