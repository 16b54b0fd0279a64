// Files: attributes, folders going, deletes at the next start of Windows.
#pragma once

#include "win32sim/error_api.h"
#include "win32sim/types.h"

#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_DIRECTORY 267L

#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004

// A junction (sim::MakeJunction) reports FILE_ATTRIBUTE_REPARSE_POINT |
// FILE_ATTRIBUTE_DIRECTORY itself, while a path through it reaches what it
// points to, as on Windows.
DWORD WINAPI GetFileAttributesA(LPCSTR path);
// Removes an empty folder; a junction goes itself, its target stays.
BOOL WINAPI RemoveDirectoryA(LPCSTR path);
// Renames an entry itself (a junction stays one, a read-only file may go),
// within its drive; a new name that is taken fails with ERROR_ALREADY_EXISTS
// unless MOVEFILE_REPLACE_EXISTING lets a file (not a read-only one, nor a
// folder) be replaced; an entry with a handle open that does not share
// deleting fails with ERROR_SHARING_VIOLATION. Or, with no new name and
// MOVEFILE_DELAY_UNTIL_REBOOT, the delete at the next start of Windows,
// which is recorded (sim::DelayedDeletes).
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);
// Only FILE_ATTRIBUTE_READONLY matters; FILE_ATTRIBUTE_NORMAL clears it.
BOOL WINAPI SetFileAttributesA(LPCSTR path, DWORD attributes);
