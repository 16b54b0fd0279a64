// Folder handles over host descriptors: CreateFileA with backup semantics
// opens a directory, or with FILE_FLAG_OPEN_REPARSE_POINT a junction (host
// symbolic link) itself; the handle keeps the path it was opened on, whose
// rights record (security.cpp) SetKernelObjectSecurity sets.
#include <windows.h>

#include <cstdint>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

struct OpenedFolder {
  dev_t device;
  ino_t inode;
  DWORD access;
  DWORD share;
  std::string key;  // PathKey of the path it was opened on
};
std::map<int, OpenedFolder> g_openFolders;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

// Only a handle with some of these takes part in sharing, as on Windows.
const DWORD kReadAccess = GENERIC_READ | FILE_LIST_DIRECTORY;
const DWORD kWriteAccess = GENERIC_WRITE;
const DWORD kSharedAccess = kReadAccess | kWriteAccess | DELETE;

int DescriptorOf(HANDLE handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

bool SharingAllows(const struct stat &folder, DWORD access, DWORD share) {
  for (const auto &entry : g_openFolders) {
    const OpenedFolder &open = entry.second;
    if (open.device != folder.st_dev || open.inode != folder.st_ino) continue;
    if (!(open.access & kSharedAccess) || !(access & kSharedAccess)) continue;
    if (((access & kReadAccess) && !(open.share & FILE_SHARE_READ)) ||
        ((access & kWriteAccess) && !(open.share & FILE_SHARE_WRITE)) ||
        ((access & DELETE) && !(open.share & FILE_SHARE_DELETE)) ||
        ((open.access & kReadAccess) && !(share & FILE_SHARE_READ)) ||
        ((open.access & kWriteAccess) && !(share & FILE_SHARE_WRITE)) ||
        ((open.access & DELETE) && !(share & FILE_SHARE_DELETE)))
      return false;
  }
  return true;
}

// Windows counts 100 ns steps from 1601.
FILETIME FileTimeOf(time_t seconds) {
  uint64_t ticks = (static_cast<uint64_t>(seconds) + 11644473600ull) * 10000000ull;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

DWORD AttributesOf(const struct stat &info) {
  if (S_ISLNK(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

}  // namespace

BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  int fd = DescriptorOf(file);
  struct stat info;
  if ((!g_openFolders.count(fd) && !sim::IsOpenFileHandle(file)) || fstat(fd, &info) != 0)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!information) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  uint64_t size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
  uint64_t index = static_cast<uint64_t>(info.st_ino);
  DWORD attributes = AttributesOf(info);
  // A file handle is on a link only when opened as the link itself, and
  // only a link to a file opens so.
  if (S_ISLNK(info.st_mode) && !g_openFolders.count(fd)) attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
  *information = BY_HANDLE_FILE_INFORMATION{attributes,
                                            FileTimeOf(info.st_ctime),
                                            FileTimeOf(info.st_atime),
                                            FileTimeOf(info.st_mtime),
                                            static_cast<DWORD>(info.st_dev),
                                            static_cast<DWORD>(size >> 32),
                                            static_cast<DWORD>(size),
                                            static_cast<DWORD>(info.st_nlink),
                                            static_cast<DWORD>(index >> 32),
                                            static_cast<DWORD>(index)};
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI SetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor) {
  auto open = g_openFolders.find(DescriptorOf(object));
  if (open == g_openFolders.end()) {
    // A file handle holds GENERIC_ rights only, which grant neither.
    return Fail(sim::IsOpenFileHandle(object) ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE, FALSE);
  }
  DWORD needed = ((what & OWNER_SECURITY_INFORMATION) ? WRITE_OWNER : 0) |
                 ((what & DACL_SECURITY_INFORMATION) ? WRITE_DAC : 0);
  if ((open->second.access & needed) != needed) return Fail(ERROR_ACCESS_DENIED, FALSE);
  return sim::SetRecordedRights(open->second.key, what, descriptor);
}

namespace sim {

bool OpenFolder(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags, HANDLE &handle) {
  if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || disposition != OPEN_EXISTING) return false;
  std::string host = path && *path ? HostPath(path) : "";
  bool itself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
  struct stat info;
  if (host.empty() || (itself ? lstat(host.c_str(), &info) : stat(host.c_str(), &info)) != 0) return false;
  // Files, and what is missing, are files.cpp's.
  if (!S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode)) return false;
  if (!SharingAllows(info, access, share)) {
    handle = Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
    return true;
  }
  int fd = open(host.c_str(), (S_ISLNK(info.st_mode) ? O_PATH | O_NOFOLLOW : O_RDONLY | O_DIRECTORY) | O_CLOEXEC);
  struct stat opened;
  // The entry checked must be the entry opened.
  if (fd < 0 || fstat(fd, &opened) != 0 || opened.st_dev != info.st_dev || opened.st_ino != info.st_ino) {
    if (fd >= 0) close(fd);
    handle = Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    return true;
  }
  g_openFolders[fd] = OpenedFolder{opened.st_dev, opened.st_ino, access, share, PathKey(path)};
  SetLastError(ERROR_SUCCESS);
  handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
  return true;
}

bool CloseFolder(HANDLE handle) {
  int fd = DescriptorOf(handle);
  if (!g_openFolders.erase(fd)) return false;
  close(fd);
  return true;
}

bool FolderHeldFromDeletion(unsigned long long device, unsigned long long inode) {
  for (const auto &entry : g_openFolders)
    if (entry.second.device == device && entry.second.inode == inode && (entry.second.access & kSharedAccess) &&
        !(entry.second.share & FILE_SHARE_DELETE))
      return true;
  return false;
}

int OpenFolderHandles() { return static_cast<int>(g_openFolders.size()); }

void ResetFolderHandles() {
  for (const auto &entry : g_openFolders) close(entry.first);
  g_openFolders.clear();
}

}  // namespace sim
