// Folder listings over the host folder of files.cpp, each search a snapshot
// of the folder taken at FindFirstFileA.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

struct FoundEntry {
  std::string name;
  DWORD attributes;
  unsigned long long size;
};
std::map<uintptr_t, std::vector<FoundEntry>> g_searches;  // by handle, entries still to give
uintptr_t g_nextSearch = 0x5000;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

DWORD AttributesOf(const struct stat &info) {
  if (S_ISLNK(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

void Fill(const FoundEntry &entry, LPWIN32_FIND_DATAA found) {
  memset(found, 0, sizeof *found);
  found->dwFileAttributes = entry.attributes;
  found->nFileSizeLow = static_cast<DWORD>(entry.size);
  found->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  strncpy(found->cFileName, entry.name.c_str(), MAX_PATH - 1);
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
  std::string text = pattern ? pattern : "";
  if (!found || text.size() < 2 || text.compare(text.size() - 2, 2, "\\*") != 0)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  std::string folder = text.substr(0, text.size() - 2);
  std::string full;
  std::string host = sim::FullWindowsPath(folder.empty() ? "\\" : folder, full) ? sim::HostPath(full) : "";
  struct stat info;
  if (host.empty() || stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  DIR *listing = opendir(host.c_str());
  if (!listing) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  std::vector<FoundEntry> entries;
  while (dirent *entry = readdir(listing)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat entryInfo;
    if (lstat((host + "/" + name).c_str(), &entryInfo) != 0) continue;
    entries.push_back({name, AttributesOf(entryInfo), static_cast<unsigned long long>(entryInfo.st_size)});
  }
  closedir(listing);
  std::sort(entries.begin(), entries.end(), [](const FoundEntry &a, const FoundEntry &b) { return a.name < b.name; });
  if (full.size() > 3) {
    entries.insert(entries.begin(), {"..", FILE_ATTRIBUTE_DIRECTORY, 0});
    entries.insert(entries.begin(), {".", FILE_ATTRIBUTE_DIRECTORY, 0});
  }
  if (entries.empty()) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  Fill(entries.front(), found);
  entries.erase(entries.begin());
  uintptr_t handle = g_nextSearch++;
  g_searches[handle] = entries;
  return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) {
  auto it = g_searches.find(reinterpret_cast<uintptr_t>(search));
  if (it == g_searches.end() || !found) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (it->second.empty()) return Fail(ERROR_NO_MORE_FILES, FALSE);
  Fill(it->second.front(), found);
  it->second.erase(it->second.begin());
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE search) {
  return g_searches.erase(reinterpret_cast<uintptr_t>(search)) ? TRUE : Fail(ERROR_INVALID_HANDLE, FALSE);
}

namespace sim {
int OpenSearches() { return static_cast<int>(g_searches.size()); }
void ResetSearches() { g_searches.clear(); }
}  // namespace sim
