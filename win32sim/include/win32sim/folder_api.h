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

#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004

// A junction (sim::MakeJunction) reports FILE_ATTRIBUTE_REPARSE_POINT |
// FILE_ATTRIBUTE_DIRECTORY itself, while a path through it reaches what it
// points to, as on Windows.
DWORD WINAPI GetFileAttributesA(LPCSTR path);
// Removes an empty folder; a junction goes itself, its target stays.
BOOL WINAPI RemoveDirectoryA(LPCSTR path);
// Only the delete at the next start of Windows (no new name,
// MOVEFILE_DELAY_UNTIL_REBOOT), which is recorded (sim::DelayedDeletes).
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);
