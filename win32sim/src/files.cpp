// OpenFile, CreateFileA and the _h/_l file calls over POSIX descriptors: a
// handle is the descriptor's number, kept with the access and sharing it was
// opened with.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "event_log.h"
#include "internal.h"
#include "win32sim/testapi.h"

namespace fs = std::filesystem;

namespace sim {
extern std::string g_currentDirectory;
extern std::string g_fileRoot;

std::string PathKey(const std::string &windowsPath) {
  std::string full;
  if (!FullWindowsPath(windowsPath, full)) return "";
  while (full.size() > 3 && full.back() == '\\') full.pop_back();
  for (char &c : full) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return full;
}
}  // namespace sim

namespace {

struct OpenedFile {
  dev_t device;
  ino_t inode;
  DWORD access;  // GENERIC_READ, GENERIC_WRITE
  DWORD share;   // FILE_SHARE_*
  std::string path;  // full Windows path, for the event log
};
std::map<int, OpenedFile> g_openDescriptors;
std::set<std::string> g_failCreation;     // full upper-case Windows paths
std::set<std::string> g_failDirectories;  // likewise
std::set<std::string> g_failDeletion;     // likewise
long long g_diskSpace = -1;

void RemoveRoot() {
  if (!sim::g_fileRoot.empty()) {
    std::error_code ignored;
    fs::permissions(sim::g_fileRoot, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(sim::g_fileRoot, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(sim::g_fileRoot, ignored);
  }
}

// Files or directories below the root as Windows paths ("C:\\a\\b"), sorted.
std::vector<std::string> ListEntries(bool directories) {
  std::vector<std::string> entries;
  for (auto &entry : fs::recursive_directory_iterator(sim::g_fileRoot)) {
    if (directories ? !entry.is_directory() : !entry.is_regular_file()) continue;
    std::string relative = fs::relative(entry.path(), sim::g_fileRoot).string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    entries.push_back(relative.substr(0, 1) + ":" + (relative.size() > 1 ? relative.substr(1) : "\\"));
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool IsWritable(const struct stat &info) { return (info.st_mode & S_IWUSR) != 0; }

void LogPathEvent(const char *what, LPCSTR path) {
  std::string full;
  sim::FullWindowsPath(path, full);
  sim::LogEvent(what + full);
}

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

// Whether the folder that would hold this host path exists.
bool ParentExists(const std::string &host) {
  struct stat info;
  size_t slash = host.find_last_of('/');
  return slash != std::string::npos && stat(host.substr(0, slash).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A new handle's access and sharing against those of the file's open handles.
bool SharingAllows(const struct stat &file, DWORD access, DWORD share) {
  for (const auto &entry : g_openDescriptors) {
    const OpenedFile &open = entry.second;
    if (open.device != file.st_dev || open.inode != file.st_ino) continue;
    if (((access & GENERIC_READ) && !(open.share & FILE_SHARE_READ)) ||
        ((access & GENERIC_WRITE) && !(open.share & FILE_SHARE_WRITE)) ||
        ((open.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
        ((open.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)))
      return false;
  }
  return true;
}

// A symbolic link opened as itself, as FILE_FLAG_OPEN_REPARSE_POINT asks:
// nothing can be read or written through it, and it stays as it is.
int OpenLinkItself(LPCSTR path, const std::string &host, const struct stat &link, DWORD access, DWORD share,
                   DWORD disposition) {
  if (!SharingAllows(link, access, share)) return Fail(ERROR_SHARING_VIOLATION, -1);
  if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) return Fail(ERROR_ACCESS_DENIED, -1);
  int fd = open(host.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Fail(ERROR_ACCESS_DENIED, -1);
  std::string full;
  sim::FullWindowsPath(path, full);
  g_openDescriptors[fd] = OpenedFile{link.st_dev, link.st_ino, access, share, full};
  SetLastError(disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return fd;
}

// What CreateFileA does: the descriptor, or -1 with the error set.
int OpenOrCreate(LPCSTR path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return Fail(ERROR_INVALID_PARAMETER, -1);
  std::string host = path && *path ? sim::HostPath(path) : "";
  if (host.empty() || !ParentExists(host)) return Fail(ERROR_PATH_NOT_FOUND, -1);
  struct stat existing;
  // A name that is taken, even by a link leading nowhere, is never created.
  bool taken = lstat(host.c_str(), &existing) == 0;
  if (taken && disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS, -1);
  bool itself = (attributes & FILE_FLAG_OPEN_REPARSE_POINT) && taken && S_ISLNK(existing.st_mode);
  if (itself) {
    // The link itself: a link to a folder opens only as a folder does.
    if (sim::LinkAttributes(host) & FILE_ATTRIBUTE_DIRECTORY) return Fail(ERROR_ACCESS_DENIED, -1);
    return OpenLinkItself(path, host, existing, access, share, disposition);
  }
  bool exists = stat(host.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return Fail(ERROR_ACCESS_DENIED, -1);
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    return Fail(ERROR_FILE_NOT_FOUND, -1);
  bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  bool creates = disposition == CREATE_ALWAYS || disposition == CREATE_NEW || (!exists && disposition == OPEN_ALWAYS);
  if (creates && g_failCreation.count(sim::PathKey(path))) return Fail(ERROR_ACCESS_DENIED, -1);
  if (exists) {
    if (!SharingAllows(existing, access, share)) return Fail(ERROR_SHARING_VIOLATION, -1);
    // Root ignores permission bits; Windows refuses writing a read-only file.
    if (((access & GENERIC_WRITE) || truncates) && !IsWritable(existing)) return Fail(ERROR_ACCESS_DENIED, -1);
  }
  // The descriptor may do more than the handle allows: the table says what.
  int flags = ((access & GENERIC_WRITE) || truncates) ? O_RDWR : O_RDONLY;
  if (creates) flags |= O_CREAT;
  if (truncates) flags |= O_TRUNC;
  if (attributes & FILE_FLAG_OPEN_REPARSE_POINT) flags |= O_NOFOLLOW;
  int fd = open(host.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED, -1);
  struct stat opened;
  fstat(fd, &opened);
  if (!exists && (attributes & FILE_ATTRIBUTE_READONLY)) fchmod(fd, 0444);
  std::string full;
  sim::FullWindowsPath(path, full);
  g_openDescriptors[fd] = OpenedFile{opened.st_dev, opened.st_ino, access, share, full};
  if (creates || truncates) sim::LogEvent("create " + full);
  SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                      : ERROR_SUCCESS);
  return fd;
}

bool DeletionRefused(const std::string &key) {
  for (const std::string &refused : g_failDeletion)
    if (key == refused || (refused.back() == '*' && key.compare(0, refused.size() - 1, refused, 0, refused.size() - 1) == 0))
      return true;
  return false;
}

// The access and sharing that OpenFile's and _lopen's OF_ bits stand for.
DWORD AccessOf(UINT style) {
  switch (style & 0x3) {
    case OF_READ: return GENERIC_READ;
    case OF_WRITE: return GENERIC_WRITE;
    default: return GENERIC_READ | GENERIC_WRITE;
  }
}
DWORD SharingOf(UINT style) {
  switch (style & 0x70) {
    case OF_SHARE_EXCLUSIVE: return 0;
    case OF_SHARE_DENY_WRITE: return FILE_SHARE_READ;
    case OF_SHARE_DENY_READ: return FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;  // compatibility mode and deny none
  }
}

bool IsBareName(const char *path) { return !strpbrk(path, "\\/:"); }

// Where OpenFile finds an existing file: a bare name in the module's folder,
// then in the current one; any other path as it is. False when missing.
bool SearchFile(const char *path, std::string &found) {
  std::vector<std::string> candidates;
  if (IsBareName(path)) {
    char module[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module, length < MAX_PATH ? length : 0);
    folder = folder.substr(0, folder.find_last_of("\\/:") + 1);
    if (!folder.empty()) candidates.push_back(folder + path);
  }
  candidates.push_back(path);
  for (const std::string &candidate : candidates) {
    struct stat info;
    if (stat(sim::HostPath(candidate).c_str(), &info) == 0 && sim::FullWindowsPath(candidate, found)) return true;
  }
  return false;
}

}  // namespace

HFILE WINAPI OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style) {
  if (!info) return HFILE_ERROR;
  info->cBytes = sizeof(*info);
  info->nErrCode = 0;
  HFILE file = HFILE_ERROR;
  std::string found;
  DWORD length = path ? GetFullPathNameA(path, sizeof info->szPathName, info->szPathName, nullptr) : 0;
  if (length >= sizeof info->szPathName) {
    SetLastError(ERROR_INVALID_DATA);  // no room for the full path in OFSTRUCT
  } else if (length == 0) {
    // GetFullPathNameA has set the error.
  } else if (style & OF_PARSE) {
    return 0;
  } else if (style & OF_CREATE) {
    file = OpenOrCreate(path, AccessOf(style), SharingOf(style), CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  } else if (!SearchFile(path, found)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
  } else if (found.size() >= sizeof info->szPathName) {
    SetLastError(ERROR_INVALID_DATA);
  } else {
    snprintf(info->szPathName, sizeof info->szPathName, "%s", found.c_str());
    if (style & OF_DELETE) {
      if (DeleteFileA(found.c_str())) return TRUE;
    } else {
      file = _lopen(found.c_str(), static_cast<int>(style));
      if (file != HFILE_ERROR && (style & OF_EXIST)) {
        _lclose(file);
        return TRUE;
      }
    }
  }
  if (file == HFILE_ERROR) info->nErrCode = static_cast<WORD>(GetLastError());
  return file;
}

HFILE WINAPI _lcreat(LPCSTR path, int attribute) {
  return OpenOrCreate(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                      static_cast<DWORD>(attribute) & FILE_ATTRIBUTE_READONLY);
}

HFILE WINAPI _lopen(LPCSTR path, int style) {
  return OpenOrCreate(path, AccessOf(static_cast<UINT>(style)), SharingOf(static_cast<UINT>(style)), OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL);
}

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD attributes, HANDLE) {
  HANDLE folder;
  if (sim::OpenFolder(path, access, share, disposition, attributes, folder)) return folder;
  int fd = OpenOrCreate(path, access, share, disposition, attributes);
  return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

BOOL WINAPI CloseHandle(HANDLE object) {
  // (HANDLE)-1 is also the current process's pseudo handle, which closes.
  if (object == INVALID_HANDLE_VALUE) return TRUE;
  if (sim::CloseFolder(object) || sim::CloseMutex(object) || sim::CloseSyncObject(object)) return TRUE;
  return _lclose(static_cast<HFILE>(reinterpret_cast<intptr_t>(object))) == 0;
}

LONG WINAPI _hread(HFILE file, LPVOID buffer, LONG bytes) {
  auto open = g_openDescriptors.find(file);
  if (open == g_openDescriptors.end()) return Fail(ERROR_INVALID_HANDLE, HFILE_ERROR);
  if (!(open->second.access & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, HFILE_ERROR);
  if (bytes < 0) return HFILE_ERROR;
  LONG total = 0;
  while (total < bytes) {
    ssize_t got = read(file, static_cast<char *>(buffer) + total, bytes - total);
    if (got < 0) return HFILE_ERROR;
    if (got == 0) break;
    total += static_cast<LONG>(got);
  }
  return total;
}

LONG WINAPI _hwrite(HFILE file, LPCCH buffer, LONG bytes) {
  auto open = g_openDescriptors.find(file);
  if (open == g_openDescriptors.end()) return Fail(ERROR_INVALID_HANDLE, HFILE_ERROR);
  if (!(open->second.access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, HFILE_ERROR);
  if (bytes < 0) return HFILE_ERROR;
  if (bytes == 0) {
    // A write of nothing sets the end of the file at the current position.
    off_t here = lseek(file, 0, SEEK_CUR);
    return (here >= 0 && ftruncate(file, here) == 0) ? 0 : HFILE_ERROR;
  }
  if (g_diskSpace >= 0 && bytes > g_diskSpace) bytes = static_cast<LONG>(g_diskSpace);
  LONG total = 0;
  while (total < bytes) {
    ssize_t put = write(file, buffer + total, bytes - total);
    if (put <= 0) break;
    total += static_cast<LONG>(put);
  }
  if (g_diskSpace >= 0) g_diskSpace -= total;
  if (total > 0) sim::LogWrite(open->second.path);
  return total;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED) {
  HFILE descriptor = static_cast<HFILE>(reinterpret_cast<intptr_t>(file));
  if (written) *written = 0;
  if (!g_openDescriptors.count(descriptor)) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (bytes == 0) return TRUE;  // unlike _hwrite, a write of nothing cuts nothing
  LONG put = _hwrite(descriptor, static_cast<LPCCH>(buffer), static_cast<LONG>(bytes));
  if (put == HFILE_ERROR) return FALSE;
  if (written) *written = static_cast<DWORD>(put);
  return static_cast<DWORD>(put) == bytes ? TRUE : Fail(ERROR_DISK_FULL, FALSE);
}

BOOL WINAPI SetEndOfFile(HANDLE file) {
  HFILE descriptor = static_cast<HFILE>(reinterpret_cast<intptr_t>(file));
  auto open = g_openDescriptors.find(descriptor);
  if (open == g_openDescriptors.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!(open->second.access & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  off_t here = lseek(descriptor, 0, SEEK_CUR);
  return here >= 0 && ftruncate(descriptor, here) == 0 ? TRUE : Fail(ERROR_ACCESS_DENIED, FALSE);
}

DWORD WINAPI GetFileType(HANDLE file) {
  if (sim::IsOpenFileHandle(file)) return FILE_TYPE_DISK;
  return Fail(ERROR_INVALID_HANDLE, static_cast<DWORD>(FILE_TYPE_UNKNOWN));
}

LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
  if (!g_openDescriptors.count(file)) return Fail(ERROR_INVALID_HANDLE, HFILE_ERROR);
  if (origin < FILE_BEGIN || origin > FILE_END) return Fail(ERROR_INVALID_PARAMETER, HFILE_ERROR);
  int whence = origin == FILE_BEGIN ? SEEK_SET : origin == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t base = origin == FILE_BEGIN ? 0 : lseek(file, 0, whence);
  if (base + offset < 0) return Fail(ERROR_NEGATIVE_SEEK, HFILE_ERROR);  // the position stays
  off_t at = lseek(file, offset, whence);
  return at < 0 ? HFILE_ERROR : static_cast<LONG>(at);
}

HFILE WINAPI _lclose(HFILE file) {
  if (file == HFILE_ERROR) return 0;  // the pseudo handle: see CloseHandle
  if (!g_openDescriptors.erase(file)) return Fail(ERROR_INVALID_HANDLE, HFILE_ERROR);
  close(file);
  return 0;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
  std::string host = path && *path ? sim::HostPath(path) : "";
  struct stat info;
  if (host.empty() || !ParentExists(host)) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (stat(host.c_str(), &info) != 0) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  // Windows refuses to delete a read-only file or a directory.
  if (S_ISDIR(info.st_mode) || !IsWritable(info) || DeletionRefused(sim::PathKey(path)))
    return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (sim::FileHeldFromDeletion(info.st_dev, info.st_ino)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (unlink(host.c_str()) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  LogPathEvent("delete ", path);
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  std::string host = path && *path ? sim::HostPath(path) : "";
  struct stat info;
  // Drive roots exist; a directory is made only inside an existing parent.
  if (host.empty()) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (stat(host.c_str(), &info) == 0) return Fail(ERROR_ALREADY_EXISTS, FALSE);
  if (!ParentExists(host)) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (g_failDirectories.count(sim::PathKey(path))) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!sim::CreationSecurityValid(security)) return Fail(ERROR_INVALID_SECURITY_DESCR, FALSE);
  if (mkdir(host.c_str(), 0755) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  sim::RecordCreationSecurity(path, security);
  LogPathEvent("mkdir ", path);
  return TRUE;
}

DWORD WINAPI GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR *filePart) {
  std::string full;
  if (!path || !*path) return 0;
  if (strlen(path) >= MAX_PATH) return Fail(ERROR_FILENAME_EXCED_RANGE, 0u);
  if (!sim::FullWindowsPath(path, full) && !sim::FullNetworkPath(path, full)) return Fail(ERROR_BAD_PATHNAME, 0u);
  if (full.size() >= MAX_PATH) return Fail(ERROR_FILENAME_EXCED_RANGE, 0u);
  if (full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
  memcpy(buffer, full.c_str(), full.size() + 1);
  if (filePart) {
    char *last = strrchr(buffer, '\\');
    *filePart = (last && last[1] && last > buffer + 1) ? last + 1 : nullptr;
  }
  return static_cast<DWORD>(full.size());
}

DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  const std::string &current = sim::g_currentDirectory;
  if (current.size() + 1 > size) return static_cast<DWORD>(current.size() + 1);
  memcpy(buffer, current.c_str(), current.size() + 1);
  return static_cast<DWORD>(current.size());
}

namespace sim {

void ResetFiles() {
  g_failCreation.clear();
  g_failDirectories.clear();
  g_failDeletion.clear();
  g_diskSpace = -1;
  for (const auto &entry : g_openDescriptors) close(entry.first);
  g_openDescriptors.clear();
  RemoveRoot();
  const char *tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/win32sim-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) abort();
  g_fileRoot = name.data();
  // Drives C: and D: exist; any other letter is a missing drive.
  fs::create_directories(g_fileRoot + "/C");
  fs::create_directories(g_fileRoot + "/D");
  g_currentDirectory = "C:\\";
  static bool cleanupRegistered = false;
  if (!cleanupRegistered) {
    cleanupRegistered = true;
    atexit(RemoveRoot);
  }
}

std::string FileRoot() { return g_fileRoot; }

void WriteFile(const std::string &windowsPath, const std::string &bytes) {
  std::string host = HostPath(windowsPath);
  fs::create_directories(fs::path(host).parent_path());
  std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
}

bool FileExists(const std::string &windowsPath) { return fs::is_regular_file(HostPath(windowsPath)); }
bool DirectoryExists(const std::string &windowsPath) { return fs::is_directory(HostPath(windowsPath)); }

std::string ReadFile(const std::string &windowsPath) {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void SetReadOnly(const std::string &windowsPath, bool readOnly) {
  fs::permissions(HostPath(windowsPath), readOnly ? fs::perms::owner_read | fs::perms::group_read
                                                  : fs::perms::owner_read | fs::perms::owner_write);
}

std::vector<std::string> ListFiles() { return ListEntries(false); }

int OpenFileHandles() {
  return static_cast<int>(g_openDescriptors.size()) + OpenFolderHandles() + OpenSearches() + OpenMutexHandles() +
         OpenSyncHandles();
}

bool FileHeldFromDeletion(unsigned long long device, unsigned long long inode) {
  for (const auto &entry : g_openDescriptors)
    if (entry.second.device == device && entry.second.inode == inode && !(entry.second.share & FILE_SHARE_DELETE))
      return true;
  return false;
}

bool IsOpenFileHandle(HANDLE handle) {
  return g_openDescriptors.count(static_cast<int>(reinterpret_cast<intptr_t>(handle))) != 0;
}

void FailFileCreation(const std::string &windowsPath) { g_failCreation.insert(PathKey(windowsPath)); }
void FailDirectoryCreation(const std::string &windowsPath) { g_failDirectories.insert(PathKey(windowsPath)); }
void FailFileDeletion(const std::string &windowsPath) {
  bool prefix = !windowsPath.empty() && windowsPath.back() == '*';
  g_failDeletion.insert(PathKey(prefix ? windowsPath.substr(0, windowsPath.size() - 1) : windowsPath) + (prefix ? "*" : ""));
}
void SetDiskSpace(long long bytes) { g_diskSpace = bytes; }
long long DiskSpaceLeft() { return g_diskSpace; }

std::vector<std::string> ListDirectories() { return ListEntries(true); }

}  // namespace sim
