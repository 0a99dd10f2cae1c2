// Where the session keeps its files. The facts are gathered here; the choice itself is
// ChooseStorage's (storage_folder.h).
#include <windows.h>

#include <shlobj.h>

#include "shell/storage_folder.h"
#include "shell/win32_app.h"

namespace {

constexpr char kUserFolderName[] = "BoxSweep";
constexpr char kCommonListName[] = "mostcommon.lst";
// Longer paths than this are not worth a program folder: a marker there is taken as absent.
constexpr DWORD kLongestModulePath = 32768;

std::string WithBackslash(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

// Only creating a file tells whether this user may write here: an elevated start may write
// Program Files, and so may every program under Wine. The program asks to run as invoker, so
// Windows never redirects an unelevated one's writes into the virtual store, which would make a
// folder of the administrator's look writable.
bool WorkingFolderWritable()
{
    char probe[MAX_PATH];
    if (GetTempFileNameA(".", "bsw", 0, probe) == 0)
        return false;
    DeleteFileA(probe);
    return true;
}

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// An empty list file holds nothing to take over, like a missing one.
bool HoldsSomething(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    const bool isFile = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return isFile && (data.nFileSizeLow | data.nFileSizeHigh) != 0;
}

// BoxSweep's folder in one of the user's folders (CSIDL_APPDATA, CSIDL_LOCAL_APPDATA), created when
// missing; empty when there is none to be had. The path comes in the program's own narrow code
// page, as every other path it uses.
std::string UserFolder(int which)
{
    char base[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, which | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return "";
    const std::string folder = WithBackslash(base) + kUserFolderName;
    CreateDirectoryA(folder.c_str(), nullptr);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return "";
    return WithBackslash(folder);
}

std::string WorkingFolder()
{
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length);
}

// In the working folder the names stay relative, as they always were.
void PlaceListIn(StorageFolder where, const std::string& userFolder, std::string& path)
{
    path = where == StorageFolder::User ? userFolder + kListFileName : kListFileName;
}

}  // namespace

std::string ProgramFolder()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return "";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestModulePath)
            return "";
        path.resize(path.size() * 2);
    }
    path.erase(path.find_last_of('\\') + 1);
    return path;
}

StoragePaths ChooseStoragePaths()
{
    const std::string programFolder = ProgramFolder();
    StorageFacts facts{};
    facts.allUsersMarker = !programFolder.empty() && IsFile(programFolder + BOXSWEEP_ALL_USERS_MARKER);
    facts.workingFolderWritable = WorkingFolderWritable();
    facts.workingFolderHasList = HoldsSomething(kListFileName);
    std::string listFolder;
    if (facts.allUsersMarker || !facts.workingFolderWritable) {
        listFolder = UserFolder(CSIDL_APPDATA);
        facts.userFolderReady = !listFolder.empty();
        facts.userFolderHasList = facts.userFolderReady && IsFile(listFolder + kListFileName);
    }
    const StorageChoice choice = ChooseStorage(facts);

    StoragePaths paths{};
    // Beside the program in every installation: its folder is trusted as the program itself is.
    if (!programFolder.empty())
        paths.managedList = programFolder + kManagedListFileName;
    PlaceListIn(choice.readFrom, listFolder, paths.listRead);
    PlaceListIn(choice.writeTo, listFolder, paths.list);
    paths.listMoves = choice.readFrom != choice.writeTo;
    if (choice.writeTo == StorageFolder::Working) {
        paths.log = kLogFileName;
        paths.oldLog = kOldLogFileName;
        paths.commonList = kCommonListName;
        paths.folderShown = WorkingFolder();
        return paths;
    }
    // The log is no roaming data; where its folder cannot be had, it goes beside the list.
    std::string logFolder = UserFolder(CSIDL_LOCAL_APPDATA);
    if (logFolder.empty())
        logFolder = listFolder;
    paths.log = logFolder + kLogFileName;
    paths.oldLog = logFolder + kOldLogFileName;
    // The working folder of an installation for all users is no place to look for it: the
    // package puts the prepared list beside the program.
    paths.commonList = programFolder + kCommonListName;
    paths.folderShown = listFolder.substr(0, listFolder.size() - 1);
    return paths;
}
