// The list file on disk: whole-file reads and writes, retries, the backup and the fallback files.
#include "rules/list_storage.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "rules/replace_file.h"

const char kListFileName[] = "BOXSWEEP.LST";
const char kBackupFileName[] = "BOXSWEEP.BAK";
const char kUnsavedFileName[] = "BOXSWEEP.UNSAVED";
const char kManagedListFileName[] = "managed.lst";

namespace {

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
    fs::path folder = FileSystemPath(path).parent_path();
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
    const fs::file_time_type listWritten = fs::last_write_time(FileSystemPath(path), error);
    return error || fallbacks.front().written > listWritten ? fallbacks.front().name : "";
}

// The first fallback name no file has: a new fallback file never takes the place of another
// session's. Empty when none is free or the folder cannot tell.
std::string FreeFallbackName(const char* path)
{
    for (int number = 0; number < kFallbackNumberLimit; ++number) {
        const std::string name = FallbackName(number);
        std::error_code error;
        const fs::path sibling = FileSystemPath(SiblingPath(path, name.c_str()).c_str());
        if (fs::symlink_status(sibling, error).type() == fs::file_type::not_found)
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

ManagedListRead ReadManagedList(const char* path, EntryList& rules, int retryMs)
{
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFileRetrying(path, bytes, &missing, retryMs))
        return missing ? ManagedListRead::Missing : ManagedListRead::Unreadable;
    if (bytes.empty())
        return ManagedListRead::Missing;
    return ParseListRules(bytes, rules) ? ManagedListRead::Whole : ManagedListRead::Damaged;
}

SaveOutcome SaveList(const char* path, const EntryList& list, const Settings& settings, ListFileState& state,
                     int retryMs)
{
    return SaveListBytes(path, FormatList(list, settings), state, retryMs);
}

SaveOutcome SaveListBytes(const char* path, const std::string& bytes, ListFileState& state, int retryMs)
{
    if (!state.unreadable && RetryFor(retryMs, [&] { return WriteListFile(path, bytes, state); }))
        return SaveOutcome::ListFile;
    return WriteFallback(path, bytes, state) ? SaveOutcome::Fallback : SaveOutcome::NotSaved;
}

bool FinishNewListFile(const char* path, bool keepEntries, const Settings& settings)
{
    if (!keepEntries)
        return WriteFileWhole(path, FormatDefaultList(settings));
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, &missing))
        return false;
    return WriteFileWhole(path, FinishPreparedList(bytes, settings));
}
