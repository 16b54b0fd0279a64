#include "payload/destination_path.h"

#include <windows.h>

#include <cstring>

#include "core/installer_state.h"

namespace {

void RemoveLeadingBlanks(char *text) {
  size_t skip = strspn(text, " \t");
  if (skip > 0) memmove(text, text + skip, strlen(text + skip) + 1);
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

int CreateDestinationPath() {
  RemoveLeadingBlanks(g_destinationDir);
  // An emptied entry is no destination: it would strew the files over
  // whatever the current directory is, often a drive's root.
  if (g_destinationDir[0] == '\0') return kDestinationUnformable;
  char full[kPathSize];
  DWORD length = GetFullPathNameA(g_destinationDir, kPathSize, full, nullptr);
  if (length == 0 || length >= kPathSize) return kDestinationUnformable;
  // From here on the destination is the absolute path: a relative one would
  // leave records, commands and the uninstall entry that mean nothing once
  // the current directory changes.
  memcpy(g_destinationDir, full, length + 1);

  // Past the drive, its colon and separator; every directory below is created
  // in turn, and one that exists already is no error.
  size_t position = length < 3 ? length : 3;
  while (full[position] != '\0') {
    while (full[position] != '\0' && !IsPathSeparator(full[position])) ++position;
    char kept = full[position];
    full[position] = '\0';
    CreateDirectoryA(full, nullptr);
    full[position] = kept;
    if (kept == '\0') break;
    ++position;
  }
  return kDestinationCreated;
}
