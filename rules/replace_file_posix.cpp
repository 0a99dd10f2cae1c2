// Every rules/*.cpp is compiled on both platforms; this half serves the POSIX build.
#ifndef _WIN32

#include "rules/replace_file.h"

#include <unistd.h>

bool SyncFile(std::FILE* file)
{
    return fsync(fileno(file)) == 0;
}

// rename() replaces an existing target atomically on POSIX file systems.
bool ReplaceFileInOneStep(const char* from, const char* to)
{
    return std::rename(from, to) == 0;
}

std::filesystem::path FileSystemPath(const char* path)
{
    return std::filesystem::path(path);
}

#endif
