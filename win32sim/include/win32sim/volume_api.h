// The room on a volume.
#pragma once

#include "win32sim/error_api.h"
#include "win32sim/types.h"

// Bytes free to the caller (after quotas), bytes in all and bytes free on
// the volume of an existing folder (any of the three may be null). A missing
// folder fails with ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when a
// folder above it is missing too (also for a missing drive); a file with
// ERROR_DIRECTORY.
BOOL WINAPI GetDiskFreeSpaceExA(LPCSTR directory, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER totalBytes,
                                PULARGE_INTEGER totalFreeBytes);
// The volume's cluster geometry and counts, for its root with the trailing
// separator ("C:\") as Windows documents it; anything else fails with
// ERROR_INVALID_NAME, a missing drive with ERROR_PATH_NOT_FOUND.
BOOL WINAPI GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                              LPDWORD totalClusters);
