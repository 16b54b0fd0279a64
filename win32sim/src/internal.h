// Shared between the stand-in's areas; not for tests or product code.
#pragma once

#include <string>

#include "win32sim/file_api.h"
#include "win32sim/security_api.h"

namespace sim {

void ResetMemory();
void ResetFiles();
void ResetSystem();
void ResetResources();
void ResetDialogs();
void ResetGdi();
void ResetRegistry();
void ResetDde();
void ResetProcess();
void ResetDllSearch();
void ResetSecurity();
void ResetFolders();
void ResetFolderHandles();
void ResetSearches();
void ResetVolumes();
void ResetMutexes();
void ResetThreads();

// What _hwrite may still write (negative: unlimited), which the free space
// reported follows unless a test sets it apart.
long long DiskSpaceLeft();
// CloseHandle's mutexes (false when the handle is no mutex's), and how many
// are open.
bool CloseMutex(HANDLE handle);
int OpenMutexHandles();
// The same for threads and events.
bool CloseSyncObject(HANDLE handle);
int OpenSyncHandles();

// Windows rules for forming a full path (drive-relative and relative paths
// against the current directory, '.' and '..', '/' as '\'). False for what
// the stand-in does not map (UNC paths, no drive).
bool FullWindowsPath(const std::string &path, std::string &full);
// Shares and device namespaces, for GetFullPathNameA only.
bool FullNetworkPath(const std::string &path, std::string &full);
// A full path in one letter case and without trailing separators, for
// comparing paths as Windows does; "" for one that cannot be formed.
std::string PathKey(const std::string &windowsPath);

// 8.3 names: whether a name is one, and Windows' alias of a longer one.
bool IsShortName(const std::string &name);
std::string ShortAlias(const std::string &name);

// What GetFileAttributesA reports of the symbolic link at this host path: a
// reparse point, and a folder when it leads to one.
DWORD LinkAttributes(const std::string &host);

// The descriptor that CreateDirectoryA is given: whether it is one the
// stand-in made, and the folder's record of it once made.
bool CreationSecurityValid(const SECURITY_ATTRIBUTES *security);
void RecordCreationSecurity(const std::string &path, const SECURITY_ATTRIBUTES *security);

// Sets the owner and DACL recorded for the folder with this PathKey, as
// SetFileSecurityA and SetKernelObjectSecurity do once they know the folder.
BOOL SetRecordedRights(const std::string &key, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor);

// Between files.cpp and folder_handles.cpp: CreateFileA's folder opens
// (false when the call is not one, and files.cpp goes on), CloseHandle's
// (false when the handle is no folder's), whether a file handle is open, and
// whether a folder handle keeps this host entry from being deleted.
bool OpenFolder(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags, HANDLE &handle);
bool CloseFolder(HANDLE handle);
bool IsOpenFileHandle(HANDLE handle);
bool FolderHeldFromDeletion(unsigned long long device, unsigned long long inode);
int OpenFolderHandles();
// Whether a file handle open on this host entry does not share deleting
// (nor renaming); and the searches that FindClose has not closed.
bool FileHeldFromDeletion(unsigned long long device, unsigned long long inode);
int OpenSearches();

}  // namespace sim
