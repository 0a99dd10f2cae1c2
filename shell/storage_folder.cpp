#include "shell/storage_folder.h"

StorageChoice ChooseStorage(const StorageFacts& facts)
{
    if (!facts.allUsersMarker && facts.workingFolderWritable)
        return {StorageFolder::Working, StorageFolder::Working};
    if (!facts.userFolderReady)
        return {StorageFolder::Working, StorageFolder::Working};
    if (!facts.userFolderHasList && facts.workingFolderHasList)
        return {StorageFolder::Working, StorageFolder::User};
    return {StorageFolder::User, StorageFolder::User};
}
