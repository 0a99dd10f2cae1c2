// Every rules/*.cpp is compiled on both platforms; this half serves the Windows build.
#ifdef _WIN32

#include "rules/replace_file.h"

#include <io.h>
#include <windows.h>

#include <string>

bool SyncFile(std::FILE* file)
{
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

// The C runtime's rename() refuses to replace an existing file on Windows; MoveFileExA does it
// in one step, and write-through keeps it from returning before the move is on disk.
bool ReplaceFileInOneStep(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// The standard library takes each byte of a narrow name for a character of its own, whereas the
// system reads narrow names in the ANSI code page (UTF-8 where the program's manifest asks for
// it). A list in a user folder such as C:\Users\Łukasz would otherwise be looked for elsewhere.
std::filesystem::path FileSystemPath(const char* path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0)
        return std::filesystem::path(path);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return std::filesystem::path(wide);
}

#endif
