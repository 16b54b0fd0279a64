// The test side of the Win32 stand-in: set up, inspect and break the state
// that the product sees through <windows.h>.
#pragma once

#include <windows.h>

#include <string>
#include <list>
#include <vector>

namespace sim {

// Fresh state for every area: an empty file tree in a new folder, no blocks,
// default module path, country and clock.
void Reset();

// ---- Global heap
// The next `skip` allocations succeed, then `count` fail, then all succeed.
void FailAllocations(int skip, int count);
int AllocationCalls();   // GlobalAlloc calls since Reset
int LiveBlocks();        // allocated and not freed
int LockedBlocks();      // blocks with a lock count above 0
// A live block's size as asked for (0 for no block) and lock count (-1).
size_t BlockSize(HGLOBAL block);
int BlockLocks(HGLOBAL block);

// ---- Files. Windows paths such as C:\dist\x map to <root>/C/dist/x.
std::string FileRoot();
// The host path that a Windows path maps to (the file need not exist), or ""
// for a path the stand-in cannot map.
std::string HostPath(const std::string &windowsPath);
void WriteFile(const std::string &windowsPath, const std::string &bytes);
bool FileExists(const std::string &windowsPath);
bool DirectoryExists(const std::string &windowsPath);
std::string ReadFile(const std::string &windowsPath);
void SetReadOnly(const std::string &windowsPath, bool readOnly);
// Every file below the root, as upper-case-drive Windows paths, sorted.
std::vector<std::string> ListFiles();
// Handles that CloseHandle must still close: files, folders, mutexes,
// threads and events.
int OpenFileHandles();
void SetCurrentDirectory(const std::string &windowsPath);
// Faults: OpenFile with OF_CREATE fails for this path; CreateDirectoryA fails
// for this path; the disk holds only this many more bytes written by _hwrite
// (negative: unlimited).
void FailFileCreation(const std::string &windowsPath);
// DeleteFileA refuses this file (with a trailing '*': every file whose path
// begins so) with access denied, as Windows does the image of a running program.
void FailFileDeletion(const std::string &windowsPath);
void FailDirectoryCreation(const std::string &windowsPath);
void SetDiskSpace(long long bytes);
// What RtlGenRandom hands out first, before its fixed sequence.
void QueueRandomBytes(const std::vector<BYTE> &bytes);
// What GetDiskFreeSpaceExA and GetDiskFreeSpaceA report of every drive: by
// default the bytes SetDiskSpace leaves (2^40 when unlimited), in clusters
// of 8 sectors of 512 bytes. A report apart from that budget is a disk that
// something else fills while the installer writes.
struct DiskReport {
  long long freeBytes = -1;  // negative: what SetDiskSpace leaves
  DWORD sectorsPerCluster = 8;
  DWORD bytesPerSector = 512;
  bool freeSpaceFails = false;    // GetDiskFreeSpaceExA fails with ERROR_NOT_READY
  bool clusterSizeFails = false;  // GetDiskFreeSpaceA does
};
void SetDiskReport(const DiskReport &report);
// The folders GetDiskFreeSpaceExA was asked about, as given, in order.
const std::vector<std::string> &DiskSpaceQueries();
// Every directory below the root, as Windows paths, sorted.
std::vector<std::string> ListDirectories();

// ---- Module and system
void SetModuleFileName(const std::string &windowsPath);
// The user's country code for GetLocaleInfoA; failLookup makes it return 0.
void SetCountryCode(const std::string &code, bool failLookup = false);
int LocaleQueries();
// Whether kernel32 offers SetDefaultDllDirectories (systems before Windows 8
// without its update do not). The calls show in the event log as
// "dll-search default <flags in hex>" and "dll-search directory <text>".
void SetDefaultDllDirectoriesAvailable(bool available);

// ---- Resources. Types and names are "#<number>" for ordinals, else the
// upper-case name.
struct Resource {
  std::string type;
  std::string name;
  unsigned language;
  std::string bytes;
};
// Replaces the module's resources with those of a compiled .res file; Reset
// reloads the last file given here.
bool LoadResourceFile(const std::string &hostPath);
std::list<Resource> &Resources();  // stable: handles point into it
void SetResource(int type, int name, const std::string &bytes, unsigned language = 1033);
void RemoveResource(int type, int name);
const Resource *FindResource(int type, int name);
void FailResourceLock(bool fail);  // LockResource returns null
int LoadedResources();             // loaded and not yet freed

}  // namespace sim

// Areas with test APIs of their own.
#include "win32sim/testapi_dialog.h"
#include "win32sim/testapi_gdi.h"
#include "win32sim/testapi_registry.h"
#include "win32sim/testapi_dde.h"
#include "win32sim/testapi_process.h"
#include "win32sim/testapi_events.h"
#include "win32sim/testapi_security.h"
#include "win32sim/testapi_folders.h"
#include "win32sim/testapi_threads.h"
