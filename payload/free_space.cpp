#include "payload/free_space.h"

#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/installer_state.h"
#include "core/path_parts.h"
#include "payload/payload_reader.h"

namespace {

const ULONGLONG kAssumedClusterSize = 4096;
// No file system has clusters larger; the cap keeps the sum below 2^49.
const ULONGLONG kLargestClusterSize = 1ull << 32;

ULONGLONG ClusterSize(const char *full, size_t rootLength) {
  // The root with exactly one closing separator, as the call wants it.
  while (rootLength > 1 && IsPathSeparator(full[rootLength - 1]) && IsPathSeparator(full[rootLength - 2]))
    --rootLength;
  char root[kPathSize];
  if (rootLength >= sizeof root) return kAssumedClusterSize;
  memcpy(root, full, rootLength);
  root[rootLength] = '\0';
  DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectors, &bytesPerSector, &freeClusters, &clusters)) return kAssumedClusterSize;
  ULONGLONG size = static_cast<ULONGLONG>(sectors) * bytesPerSector;
  if (size == 0) return kAssumedClusterSize;
  return size < kLargestClusterSize ? size : kLargestClusterSize;
}

// The bytes this user may still write on the volume of the deepest folder
// of `full` that exists (the destination itself seldom does yet); false
// when none does or the query fails.
bool FreeBytesBelow(const char *full, size_t rootLength, ULONGLONG &freeBytes) {
  char path[kPathSize];
  if (!CopyString(path, sizeof path, full)) return false;
  size_t end = strlen(path);
  for (;;) {
    while (end > rootLength && IsPathSeparator(path[end - 1])) --end;
    path[end] = '\0';
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ULARGE_INTEGER available;
      if (!GetDiskFreeSpaceExA(path, &available, nullptr, nullptr)) return false;
      freeBytes = available.QuadPart;
      return true;
    }
    if (end <= rootLength) return false;
    while (end > rootLength && !IsPathSeparator(path[end - 1])) --end;
  }
}

}  // namespace

bool PayloadFitsBelow(const char *full, size_t rootLength) {
  ULONGLONG freeBytes = 0;
  if (!FreeBytesBelow(full, rootLength, freeBytes)) return true;
  ULONGLONG needed = g_payloadTotalSize + g_payloadFileCount * ClusterSize(full, rootLength);
  return needed <= freeBytes;
}
