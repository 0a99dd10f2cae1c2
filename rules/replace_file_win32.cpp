// Every rules/*.cpp is compiled on both platforms; this half serves the Windows build.
#ifdef _WIN32

#include "rules/replace_file.h"

#include <io.h>
#include <windows.h>

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

#endif
