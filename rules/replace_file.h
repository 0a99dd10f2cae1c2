// The two steps of saving a file whole that differ between the platforms, and the name the
// standard file system library takes for a narrow path.
#pragma once

#include <cstdio>
#include <filesystem>

// Pushes what was written to file through to the disk, so that a replacement made afterwards
// never points at data still held in memory.
bool SyncFile(std::FILE* file);

// Puts the finished file from in the place of to in one step, replacing any file there. Both
// names lie in the same folder. When this fails, to is left as it was.
bool ReplaceFileInOneStep(const char* from, const char* to);

// The same file as the C runtime and the system's narrow functions open for path.
std::filesystem::path FileSystemPath(const char* path);
