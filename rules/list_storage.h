// The list file on disk: reading it, saving it whole, the backup, the fallback files beside it,
// and the file the first-run setup makes. The bytes are list_format.h's.
#pragma once

#include <string>

#include "rules/entry_list.h"
#include "rules/list_format.h"

extern const char kListFileName[];    // "BOXSWEEP.LST"
extern const char kBackupFileName[];   // "BOXSWEEP.BAK"
// The first fallback file; the next ones add ".1", ".2" and so on.
extern const char kUnsavedFileName[];  // "BOXSWEEP.UNSAVED"

// Keeps what the last load learned about the file on disk. A file that was not read whole, or
// that the next save writes in another form, is copied to the backup name before the first save
// replaces it. A file that could not be read at all is never written over: the saves go to a
// fallback file beside it, so that neither its rules nor the session's are lost. A fallback
// file holds a session that could not reach the list file; a save replaces only the session's
// own one, never one an earlier session left.
struct ListFileState {
    bool backupPending;
    bool unreadable;
    // The file was read but holds no list: its text holds control characters. It is handled as
    // one that cannot be read.
    bool notAList;
    // The session's own fallback file, once it has one: the one it started from, or the one its
    // first fallback save made. A name in the list file's folder.
    std::string fallbackName;
    // The newest fallback file the load found written after the list file (or without a list
    // file at all): the rules of a session that could not save them there. Empty when none.
    std::string newerFallbackName;
};

// How long a list file that is there but cannot be read or written is tried again.
constexpr int kListReadRetryMs = 1000;

// Appends the stored entries to list (the tail follows) and fills the persisted settings. When
// the file is there but cannot be read, or holds no list, starts from the newest fallback file
// that reads whole.
LoadOutcome LoadList(const char* path, EntryList& list, Settings& settings, ListFileState& state,
                     int retryMs = kListReadRetryMs);

// The managed list beside the program: rules an administrator sets for every user of the computer.
extern const char kManagedListFileName[];  // "managed.lst"

enum class ManagedListRead {
    Missing,     // no file, or an empty one: there are no managed rules
    Whole,       // every rule was read
    Damaged,     // the whole rules before the damage were read (ParseListRules)
    Unreadable,  // the file is there but could not be read: nothing was read
};

// How long a managed list that is there but cannot be read is tried again: briefly, since the
// program reads it while the user waits for the configuration window.
constexpr int kManagedReadRetryMs = 250;

// Appends the rules of the managed list at path to rules, in any form a list file may have. Its
// settings are passed over, and nothing is ever written: the file is the administrator's.
ManagedListRead ReadManagedList(const char* path, EntryList& rules, int retryMs = kManagedReadRetryMs);

enum class SaveOutcome {
    ListFile,  // the list file holds the list
    Fallback,  // the session's fallback file, state.fallbackName, holds it
    NotSaved,  // nothing could be written
};

// Rewrites path from the list and settings through a temporary file in the same folder, so
// that a failure leaves the old file as it was, trying again for retryMs. What cannot go there,
// and every save after a load that found the file unreadable, goes to the session's fallback
// file beside path.
SaveOutcome SaveList(const char* path, const EntryList& list, const Settings& settings, ListFileState& state,
                     int retryMs = kListReadRetryMs);
// The same for bytes FormatList made already: what must be written is taken at once, and the
// writing, which may wait for a held file, can happen elsewhere.
SaveOutcome SaveListBytes(const char* path, const std::string& bytes, ListFileState& state,
                          int retryMs = kListReadRetryMs);

// Finishes the list file the first-run setup begins: either the rules already in it (a copy of
// a prepared list, cut before "end of list") are kept, or it starts empty; then "end of list"
// and the settings without a placement follow. A kept file that does not end its last line gets
// a line end first. Written whole through a temporary file; false, with nothing changed, when
// the file cannot be read or written.
bool FinishNewListFile(const char* path, bool keepEntries, const Settings& settings);
