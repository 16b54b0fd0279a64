// Handles to folders (CreateFileA with backup semantics), what a handle
// refers to, and rights set through a handle.
#pragma once

#include "win32sim/types.h"
#include "win32sim/file_api.h"
#include "win32sim/folder_api.h"
#include "win32sim/security_api.h"

#define FILE_LIST_DIRECTORY 0x0001
#define DELETE 0x00010000L
#define READ_CONTROL 0x00020000L
#define WRITE_DAC 0x00040000L
#define WRITE_OWNER 0x00080000L
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;

typedef struct _BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;

// CreateFileA opens an existing folder only with FILE_FLAG_BACKUP_SEMANTICS
// and OPEN_EXISTING (otherwise ERROR_ACCESS_DENIED, as for a folder opened
// like a file). It follows a junction to its folder unless
// FILE_FLAG_OPEN_REPARSE_POINT is given, which opens the junction itself.
// While a folder handle without FILE_SHARE_DELETE is open, RemoveDirectoryA
// of that folder fails with ERROR_SHARING_VIOLATION, if the handle has some
// data access (list, read, write or delete): one with rights access alone
// (READ_CONTROL, WRITE_DAC, WRITE_OWNER) takes no part in sharing.

// Attributes as GetFileAttributesA gives them, of what the handle refers to;
// size, link count and index from the host.
BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
// As SetFileSecurityA, for the folder the handle was opened on; the handle
// needs WRITE_OWNER for the owner and WRITE_DAC for the DACL
// (ERROR_ACCESS_DENIED, as for any handle to a file).
BOOL WINAPI SetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor);
