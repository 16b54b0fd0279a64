// OpenFile and the _h/_l file calls over POSIX descriptors.
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
}  // namespace sim

namespace {

std::map<int, std::string> g_openDescriptors;  // descriptor -> full Windows path
std::set<std::string> g_failCreation;     // full upper-case Windows paths
std::set<std::string> g_failDirectories;  // likewise
long long g_diskSpace = -1;

// A full path in one letter case, for comparing paths as Windows does.
std::string PathKey(const std::string &windowsPath) {
  std::string full;
  if (!sim::FullWindowsPath(windowsPath, full)) return "";
  while (full.size() > 3 && full.back() == '\\') full.pop_back();
  for (char &c : full) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return full;
}

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

void SetError(LPOFSTRUCT info, int error) {
  if (info) info->nErrCode = static_cast<WORD>(error);
}

}  // namespace

HFILE WINAPI OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style) {
  if (info) {
    memset(info, 0, sizeof(*info));
    info->cBytes = sizeof(*info);
  }
  std::string full;
  if (!path || !sim::FullWindowsPath(path, full)) {
    SetError(info, 3);  // ERROR_PATH_NOT_FOUND
    return HFILE_ERROR;
  }
  std::string host = sim::HostPath(path);
  if (info) snprintf(info->szPathName, sizeof(info->szPathName), "%s", full.c_str());
  int access = style & 0x3;
  struct stat existing;
  bool exists = stat(host.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) {
    SetError(info, 5);  // ERROR_ACCESS_DENIED
    return HFILE_ERROR;
  }
  int flags = access == OF_READ ? O_RDONLY : access == OF_WRITE ? O_WRONLY : O_RDWR;
  if (style & OF_CREATE) {
    if (g_failCreation.count(PathKey(path))) {
      SetError(info, 5);
      return HFILE_ERROR;
    }
    flags |= O_CREAT | O_TRUNC;
    if ((flags & O_ACCMODE) == O_RDONLY) flags = (flags & ~O_ACCMODE) | O_RDWR;
  } else if (!exists) {
    SetError(info, 2);  // ERROR_FILE_NOT_FOUND
    return HFILE_ERROR;
  }
  // Root ignores permission bits; Windows refuses writing a read-only file.
  if (exists && (flags & O_ACCMODE) != O_RDONLY && !IsWritable(existing)) {
    SetError(info, 5);
    return HFILE_ERROR;
  }
  int fd = open(host.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetError(info, errno == ENOENT ? 3 : 5);
    return HFILE_ERROR;
  }
  g_openDescriptors[fd] = full;
  if (style & OF_CREATE) sim::LogEvent("create " + full);
  return fd;
}

LONG WINAPI _hread(HFILE file, LPVOID buffer, LONG bytes) {
  if (!g_openDescriptors.count(file) || bytes < 0) return HFILE_ERROR;
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
  if (!g_openDescriptors.count(file) || bytes < 0) return HFILE_ERROR;
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
  if (total > 0) sim::LogWrite(g_openDescriptors[file]);
  return total;
}

LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
  if (!g_openDescriptors.count(file)) return HFILE_ERROR;
  int whence = origin == FILE_BEGIN ? SEEK_SET : origin == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t at = lseek(file, offset, whence);
  return at < 0 ? HFILE_ERROR : static_cast<LONG>(at);
}

HFILE WINAPI _lclose(HFILE file) {
  if (!g_openDescriptors.erase(file)) return HFILE_ERROR;
  close(file);
  return 0;
}

BOOL WINAPI DeleteFileA(LPCSTR path) {
  std::string host = sim::HostPath(path ? path : "");
  struct stat info;
  if (host.empty() || stat(host.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return FALSE;
  if (!IsWritable(info)) return FALSE;  // Windows refuses to delete a read-only file
  if (unlink(host.c_str()) != 0) return FALSE;
  std::string full;
  sim::FullWindowsPath(path, full);
  sim::LogEvent("delete " + full);
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  if (!path || g_failDirectories.count(PathKey(path))) return FALSE;
  std::string host = sim::HostPath(path);
  // Drive roots exist; a directory is made only inside an existing parent.
  if (host.empty() || mkdir(host.c_str(), 0755) != 0) return FALSE;
  std::string full;
  sim::FullWindowsPath(path, full);
  sim::LogEvent("mkdir " + full);
  return TRUE;
}

DWORD WINAPI GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR *filePart) {
  std::string full;
  if (!path || !*path || !sim::FullWindowsPath(path, full)) return 0;
  if (full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
  memcpy(buffer, full.c_str(), full.size() + 1);
  if (filePart) {
    char *last = strrchr(buffer, '\\');
    *filePart = (last && last[1]) ? last + 1 : nullptr;
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
  g_diskSpace = -1;
  for (auto &open : g_openDescriptors) close(open.first);
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

int OpenFileHandles() { return static_cast<int>(g_openDescriptors.size()); }

void FailFileCreation(const std::string &windowsPath) { g_failCreation.insert(PathKey(windowsPath)); }
void FailDirectoryCreation(const std::string &windowsPath) { g_failDirectories.insert(PathKey(windowsPath)); }
void SetDiskSpace(long long bytes) { g_diskSpace = bytes; }

std::vector<std::string> ListDirectories() { return ListEntries(true); }

}  // namespace sim
