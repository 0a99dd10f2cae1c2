// Which folder holds the user's files: the list file with its backup and fallback files, and the
// log. Platform-neutral so that it is tested natively; the Win32 side only gathers the facts
// (win32_storage.cpp).
#pragma once

enum class StorageFolder {
    Working,  // the working folder, as for a program unpacked into a folder of the user's
    User,     // the user's own: %APPDATA%\BoxSweep for the list, %LOCALAPPDATA%\BoxSweep for the log
};

struct StorageFacts {
    // The marker of the package for all users lies beside the program (BOXSWEEP_ALL_USERS_MARKER).
    // It says that the program's folder is the administrator's, even where this user happens to be
    // able to write it (an elevated start, or Wine).
    bool allUsersMarker;
    bool workingFolderWritable;  // a file could be created in the working folder
    bool userFolderReady;        // the user's folder is known and exists
    bool userFolderHasList;      // a list file in the user's folder
    bool workingFolderHasList;   // a list file in the working folder that holds something
};

struct StorageChoice {
    StorageFolder readFrom;  // the list file read at start-up
    StorageFolder writeTo;   // every save, the backup, the fallback files and the log
};

// The working folder while it can be written and no marker says otherwise. Else the user's folder,
// which takes over the working folder's list: that one is read until the user's folder holds a
// list of its own, and never written. Without a user's folder the working folder stays, and the
// saves say what they could not write.
StorageChoice ChooseStorage(const StorageFacts& facts);
