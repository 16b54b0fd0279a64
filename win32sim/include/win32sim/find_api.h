// Listing a folder: FindFirstFileA, FindNextFileA, FindClose.
#pragma once

#include "win32sim/folder_handle_api.h"
#include "win32sim/types.h"

#define ERROR_NO_MORE_FILES 18L

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// Only "folder\*" patterns: every entry of the folder, by name, after "."
// and ".." in a folder that is not a drive's root, as Windows gives them. A junction shows as one
// (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY), never followed.
// The handle counts among sim::OpenFileHandles until FindClose.
HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found);
BOOL WINAPI FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found);
BOOL WINAPI FindClose(HANDLE search);
