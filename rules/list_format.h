// The list file's format: its bytes read into rules and settings, and written from them. Pure:
// no file is touched here (list_storage.h reads and writes the files).
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "rules/entry_list.h"

constexpr int kLanguageCapacity = 24;

struct Settings {
    int32_t active;
    int32_t scanInterval;
    char language[kLanguageCapacity];
    int16_t reservedValue;
    int32_t normalLeft;
    int32_t normalTop;
    int32_t normalRight;
    int32_t normalBottom;
    int32_t showCommand;
};

// A setting line after "end of list". The field's type is the line's kind: a signed 32-bit
// number, a signed 16-bit number read as "%d" of which the low 16 bits are kept, or the first
// word of the line, cut to the field.
using NumberSetting = int32_t Settings::*;
using ShortSetting = int16_t Settings::*;
using WordSetting = char (Settings::*)[kLanguageCapacity];

struct SettingLine {
    std::variant<NumberSetting, ShortSetting, WordSetting> field;
    // The line as a file without the setting would have it: read into the field, it gives the
    // default; a word field written empty is written as it.
    const char* defaultLine;
    // Whether the old format, which has no version line, stores it too; if not, it takes the
    // default there.
    bool inOldFormat;
};

// The setting lines in their order in the file. The reader, the writers and the defaults all go
// by this table: a new setting is a field of Settings and a row here.
inline constexpr SettingLine kSettingLines[] = {
    {&Settings::active, "1", true},
    {&Settings::scanInterval, "1000", true},
    {&Settings::language, "boxsweep.exe", true},
    {&Settings::reservedValue, "3", false},
};

enum class LoadOutcome {
    Created,       // no file, or an empty one: the defaults were set and written
    Complete,      // read through its settings
    Converted,     // read through its settings, but from the old format or another encoding
    Incomplete,    // unknown version, or the file ended before its settings did
    Unreadable,    // the file is there but could not be read: the defaults were set
    FromFallback,  // the file is there but could not be read: the newest fallback file was read
    NotAList,      // ParseList only: the bytes are no list (see there); nothing was read
    OptionsDamaged,  // read through its settings, but a rule option could not be understood: its
                     // rule stays switched off
};

// Reads a list from the bytes of a list file, appending the entries to list (the tail follows)
// and filling the persisted settings; the texts become the program's (text_encoding.h). Bytes
// that begin with a UTF-8 byte order mark, and bytes without one that are well-formed UTF-8 with
// some character beyond ASCII, are read as UTF-8; bytes that begin with a UTF-16 byte order mark
// as UTF-16 of that byte order; all others in the system's ANSI code page. A text longer than its
// field keeps as many characters as the field holds. A cut file keeps its whole records, and the
// settings it lacks take their defaults. Bytes whose text holds a control character other than
// tab, CR, LF and a Ctrl-Z at the very end are no list: nothing is read from them. A file read
// whole in another form than the one FormatList gives it is Converted.
LoadOutcome ParseList(const std::string& bytes, EntryList& list, Settings& settings);

// Reads only the rules from the bytes of a list file, as ParseList reads them, appending them to
// list; its settings and placement are passed over. True when the rules are whole: they end with
// "end of list" (what follows may be missing) and their options are understood. Otherwise the
// whole rules before the damage are read, a rule whose option cannot be understood switched off.
bool ParseListRules(const std::string& bytes, EntryList& list);

// The bytes of a list file for the list and settings: in the system's ANSI code page when every
// character has its place there and the bytes cannot be taken for UTF-8, otherwise in UTF-8 with
// a byte order mark. A control character in a text, which would make the file no list, is
// written as the replacement character (text_encoding.h).
std::string FormatList(const EntryList& list, const Settings& settings);

// The default settings and the six lines written when no list file exists.
void SetDefaultSettings(Settings& settings);
std::string FormatDefaultList(const Settings& settings);

// A prepared list (the version line and rules, cut before "end of list") finished with "end of
// list" and the settings without a placement, all in the form FormatList would choose. A last
// line without a line end gets one first.
std::string FinishPreparedList(const std::string& prepared, const Settings& settings);
