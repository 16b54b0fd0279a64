#include "core/log_file.h"

#include <ntsecapi.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/installer_state.h"
#include "core/path_parts.h"

namespace {

// A folder at least every other character of a full path.
const size_t kMostFolders = kPathSize / 2;
const int kTempNameAttempts = 8;
const char kTempNamePrefix[] = "MoraLUME Setup ";
const char kTempNameSuffix[] = ".log";

// Never the target of a link at the name; and a named pipe at the name may
// not act with the installer's identity.
const DWORD kOpenFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS;

struct HeldFolders {
  HANDLE handles[kMostFolders];
  size_t count;
};

void ReleaseFolders(HeldFolders *held) {
  while (held->count > 0) CloseHandle(held->handles[--held->count]);
}

// Opens each folder below the root that holds the file, itself and not what
// a reparse point there leads to, and keeps it open without delete sharing:
// it can then be neither moved nor replaced until released. False when one
// is missing or is no plain folder.
bool HoldFolders(char *full, HeldFolders *held) {
  held->count = 0;
  size_t position = FirstFolderAt(full);
  if (position == 0) return false;
  for (;;) {
    size_t end = SkipComponent(full, position);
    if (full[end] == '\0') return end > position;  // the file's own name: there must be one
    if (held->count == kMostFolders) return false;
    char kept = full[end];
    full[end] = '\0';
    HANDLE folder = CreateFileA(full, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    full[end] = kept;
    if (folder == INVALID_HANDLE_VALUE) return false;
    held->handles[held->count++] = folder;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(folder, &information) ||
        !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return false;
    position = SkipSeparators(full, end);
    if (full[position] == '\0') return false;  // a folder's path: no file name
  }
}

// A file on a disk, not a link and with no second name: writing it changes
// nothing but itself.
bool IsPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information;
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
         !(information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
         information.nNumberOfLinks == 1;
}

HANDLE OpenInHeldFolders(const char *full, LogFileUse use) {
  HANDLE file = CreateFileA(full, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            use == kLogNewFileOnly ? CREATE_NEW : OPEN_ALWAYS, kOpenFlags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  bool existed = use == kLogMayReplacePlainFile && GetLastError() == ERROR_ALREADY_EXISTS;
  if (IsPlainFile(file) && SetEndOfFile(file)) return file;
  CloseHandle(file);
  if (!existed) DeleteFileA(full);  // the folders are still held: it is the file just made
  SetLastError(ERROR_ACCESS_DENIED);
  return INVALID_HANDLE_VALUE;
}

void AppendHexDigits(char *text, const BYTE *bytes, size_t count) {
  const char digits[] = "0123456789ABCDEF";
  size_t length = strlen(text);
  for (size_t i = 0; i < count; ++i) {
    text[length++] = digits[bytes[i] >> 4];
    text[length++] = digits[bytes[i] & 0xF];
  }
  text[length] = '\0';
}

}  // namespace

HANDLE CreateLogFile(const char *path, LogFileUse use, char *full) {
  full[0] = '\0';
  DWORD length = GetFullPathNameA(path, kPathSize, full, nullptr);
  if (path[0] == '\0' || length == 0 || length >= kPathSize) {
    full[0] = '\0';
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  HeldFolders held;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (HoldFolders(full, &held)) {
    file = OpenInHeldFolders(full, use);
  } else {
    SetLastError(ERROR_PATH_NOT_FOUND);
  }
  DWORD error = GetLastError();
  ReleaseFolders(&held);
  SetLastError(error);
  return file;
}

HANDLE CreateLogInTempFolder(char *full) {
  char folder[kPathSize];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) {
    full[0] = '\0';
    return INVALID_HANDLE_VALUE;
  }
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    // Sixty-four random bits: no name to plant a file or link at beforehand.
    BYTE random[8];
    char name[sizeof kTempNamePrefix + 2 * sizeof random + sizeof kTempNameSuffix];
    CopyString(name, sizeof name, kTempNamePrefix);
    if (!RtlGenRandom(random, sizeof random)) break;
    AppendHexDigits(name, random, sizeof random);
    AppendString(name, sizeof name, kTempNameSuffix);
    char path[kPathSize];
    if (!JoinPath(path, sizeof path, folder, name)) break;
    HANDLE file = CreateLogFile(path, kLogNewFileOnly, full);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  CopyString(full, kPathSize, folder);
  return INVALID_HANDLE_VALUE;
}
