// Attributes, folder removal and junctions, over the host folder of files.cpp:
// a junction is a host symbolic link, which the host follows as Windows
// follows a junction inside a path, and which lstat tells apart as Windows'
// attributes do.
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "event_log.h"
#include "internal.h"
#include "win32sim/testapi.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> g_delayedDeletes;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

std::string FullPath(LPCSTR path) {
  std::string full;
  return path && sim::FullWindowsPath(path, full) ? full : "";
}

// lstat of the entry itself; the error Windows gives for a missing one.
bool Inspect(LPCSTR path, struct stat &info, DWORD &error) {
  std::string host = path && *path ? sim::HostPath(path) : "";
  if (host.empty()) {
    error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (lstat(host.c_str(), &info) == 0) return true;
  struct stat parent;
  size_t slash = host.find_last_of('/');
  error = stat(host.substr(0, slash).c_str(), &parent) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  return false;
}

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR path) {
  struct stat info;
  DWORD error;
  if (!Inspect(path, info, error)) return Fail(error, INVALID_FILE_ATTRIBUTES);
  if (S_ISLNK(info.st_mode)) return sim::LinkAttributes(sim::HostPath(path));
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR path) {
  struct stat info;
  DWORD error;
  if (!Inspect(path, info, error)) return Fail(error, FALSE);
  if (sim::FolderHeldFromDeletion(info.st_dev, info.st_ino)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  std::string host = sim::HostPath(path);
  if (S_ISLNK(info.st_mode)) {
    if (unlink(host.c_str()) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  } else if (!S_ISDIR(info.st_mode)) {
    return Fail(ERROR_DIRECTORY, FALSE);
  } else if (rmdir(host.c_str()) != 0) {
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ERROR_ACCESS_DENIED, FALSE);
  }
  sim::LogEvent("rmdir " + FullPath(path));
  return TRUE;
}

// The delete at the next start of Windows, recorded.
static BOOL DeleteAtRestart(LPCSTR existing) {
  std::string full = FullPath(existing);
  if (full.empty()) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  g_delayedDeletes.push_back(full);
  sim::LogEvent("delete-at-restart " + full);
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
  if (!newName) return flags == MOVEFILE_DELAY_UNTIL_REBOOT ? DeleteAtRestart(existing) : Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (flags & ~static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  struct stat from, to;
  DWORD error;
  if (!Inspect(existing, from, error)) return Fail(error, FALSE);
  std::string fromFull = FullPath(existing), toFull = FullPath(newName);
  std::string toHost = *newName ? sim::HostPath(newName) : "";
  if (toHost.empty() || toFull.compare(0, 2, fromFull, 0, 2) != 0) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  if (sim::FileHeldFromDeletion(from.st_dev, from.st_ino) || sim::FolderHeldFromDeletion(from.st_dev, from.st_ino))
    return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (lstat(toHost.c_str(), &to) == 0) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS, FALSE);
    if (S_ISDIR(to.st_mode) || S_ISLNK(to.st_mode) || !(to.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (sim::FileHeldFromDeletion(to.st_dev, to.st_ino)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  }
  if (rename(sim::HostPath(existing).c_str(), toHost.c_str()) != 0)
    return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED, FALSE);
  sim::LogEvent("rename " + fromFull + " -> " + toFull);
  return TRUE;
}

BOOL WINAPI SetFileAttributesA(LPCSTR path, DWORD attributes) {
  struct stat info;
  DWORD error;
  if (!Inspect(path, info, error)) return Fail(error, FALSE);
  if (S_ISLNK(info.st_mode)) return TRUE;
  mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (info.st_mode & ~0222) : (info.st_mode | S_IWUSR);
  if (chmod(sim::HostPath(path).c_str(), mode & 07777) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  return TRUE;
}

namespace sim {

void ResetFolders() { g_delayedDeletes.clear(); }

void MakeJunction(const std::string &windowsPath, const std::string &target) {
  std::string link = HostPath(windowsPath), to = HostPath(target);
  if (link.empty() || to.empty()) abort();
  fs::create_directories(to);
  fs::remove_all(link);
  fs::create_directories(fs::path(link).parent_path());
  fs::create_directory_symlink(to, link);
}

bool IsJunction(const std::string &windowsPath) { return fs::is_symlink(HostPath(windowsPath)); }

void MakeFileLink(const std::string &windowsPath, const std::string &target) {
  std::string link = HostPath(windowsPath), to = HostPath(target);
  if (link.empty() || to.empty()) abort();
  fs::remove_all(link);
  fs::create_symlink(to, link);
}

void MakeHardLink(const std::string &windowsPath, const std::string &target) {
  std::string link = HostPath(windowsPath), to = HostPath(target);
  if (link.empty() || to.empty()) abort();
  fs::create_hard_link(to, link);
}

DWORD LinkAttributes(const std::string &host) {
  struct stat target;
  bool folder = stat(host.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
  return FILE_ATTRIBUTE_REPARSE_POINT | (folder ? FILE_ATTRIBUTE_DIRECTORY : 0);
}

const std::vector<std::string> &DelayedDeletes() { return g_delayedDeletes; }

}  // namespace sim
