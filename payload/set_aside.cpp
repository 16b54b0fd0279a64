#include "payload/set_aside.h"

#include <cstring>

#include "core/bounded_string.h"
#include "core/install_log.h"
#include "core/installer_state.h"

namespace {

const char kAsideMark[] = ".~$";
const int kNameAttempts = 64;

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool IsAsideName(const char *name) {
  size_t length = strlen(name);
  if (length <= kAsideSuffixLength) return false;
  const char *suffix = name + length - kAsideSuffixLength;
  if (strncmp(suffix, kAsideMark, sizeof kAsideMark - 1) != 0) return false;
  for (const char *digit = suffix + sizeof kAsideMark - 1; *digit; ++digit)
    if (!IsUpperHexDigit(*digit)) return false;
  return true;
}

// Whether the file the name was set aside from is there: every file of the
// payload is, after a complete copy, while a stray name of that form beside
// no such file is nobody's leftover of ours, and stays.
bool IsSetAsideFromAFile(const char *path) {
  char base[kPathSize];
  if (!CopyString(base, sizeof base, path)) return false;
  base[strlen(base) - kAsideSuffixLength] = '\0';
  DWORD attributes = GetFileAttributesA(base);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool IsDotEntry(const char *name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// Gone now, or when Windows next starts; a file set aside read-only must
// first lose that attribute.
void RemoveFile(const char *path) {
  if (DeleteFileA(path) || (GetLastError() == ERROR_ACCESS_DENIED && SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) &&
                            DeleteFileA(path))) {
    LogLine("File set aside removed: %s", path);
    return;
  }
  if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    LogLine("File set aside to be removed when Windows next starts: %s", path);
  else
    LogLine("File set aside could not be removed: %s", path);
}

}  // namespace

void RemoveSetAsideFiles(const char *folder) {
  char pattern[kPathSize];
  if (!JoinPath(pattern, sizeof pattern, folder, "*")) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    char path[kPathSize];
    if (IsDotEntry(found.cFileName) || !JoinPath(path, sizeof path, folder, found.cFileName)) continue;
    if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
        IsAsideName(found.cFileName) && IsSetAsideFromAFile(path))
      RemoveFile(path);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

bool FormAsideName(const char *target, DWORD token, char *aside, size_t size) {
  char suffix[kAsideSuffixLength + 1];
  memcpy(suffix, kAsideMark, sizeof kAsideMark - 1);
  const char digits[] = "0123456789ABCDEF";
  for (size_t i = 0; i < 8; ++i) suffix[sizeof kAsideMark - 1 + i] = digits[(token >> (28 - 4 * i)) & 0xF];
  suffix[kAsideSuffixLength] = '\0';
  return CopyString(aside, size, target) && AppendString(aside, size, suffix);
}

bool SetAsideFile(const char *target, DWORD *token) {
  DWORD first = GetTickCount();
  for (DWORD attempt = 0; attempt < kNameAttempts; ++attempt) {
    char aside[kPathSize];
    DWORD candidate = first + attempt;
    if (!FormAsideName(target, candidate, aside, sizeof aside)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    // Never over a file that is there: a name taken means the next digits.
    if (MoveFileExA(target, aside, 0)) {
      *token = candidate;
      return true;
    }
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool PutBackFile(const char *target, DWORD token) {
  char aside[kPathSize];
  return FormAsideName(target, token, aside, sizeof aside) && MoveFileExA(aside, target, 0);
}
