// Files: the 16-bit-era OpenFile family and CreateFileA over a folder per
// drive letter. An HFILE is a file handle, as on Windows: the _h/_l calls take
// CreateFileA's handles and CloseHandle takes HFILEs.
#pragma once

#include "win32sim/types.h"

#define OFS_MAXPATHNAME 128
typedef struct _OFSTRUCT {
  BYTE cBytes;
  BYTE fFixedDisk;
  WORD nErrCode;
  WORD Reserved1;
  WORD Reserved2;
  CHAR szPathName[OFS_MAXPATHNAME];
} OFSTRUCT, *LPOFSTRUCT, *POFSTRUCT;

#define HFILE_ERROR ((HFILE)-1)

#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_SHARE_COMPAT 0x0000
#define OF_SHARE_EXCLUSIVE 0x0010
#define OF_SHARE_DENY_WRITE 0x0020
#define OF_SHARE_DENY_READ 0x0030
#define OF_SHARE_DENY_NONE 0x0040
#define OF_PARSE 0x0100
#define OF_DELETE 0x0200
#define OF_CREATE 0x1000
#define OF_EXIST 0x4000

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

#define GENERIC_READ 0x80000000L
#define GENERIC_WRITE 0x40000000L
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

// Refuses a path whose full form does not fit szPathName (128 characters with
// the NUL): nErrCode ERROR_INVALID_DATA. Without OF_CREATE a bare name is
// looked for in the module's folder, then in the current one.
HFILE WINAPI OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style);
// Creates or truncates, for reading and writing; attribute 1 makes the file
// read-only once created.
HFILE WINAPI _lcreat(LPCSTR path, int attribute);
// Opens an existing file; the access and sharing are OpenFile's OF_ bits.
HFILE WINAPI _lopen(LPCSTR path, int style);
LONG WINAPI _hread(HFILE file, LPVOID buffer, LONG bytes);
LONG WINAPI _hwrite(HFILE file, LPCCH buffer, LONG bytes);
LONG WINAPI _llseek(HFILE file, LONG offset, int origin);
HFILE WINAPI _lclose(HFILE file);
// Sharing as on Windows: a handle's access must be shared by every other
// handle of the file and vice versa (ERROR_SHARING_VIOLATION).
HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                          DWORD attributes, HANDLE templateFile);
BOOL WINAPI CloseHandle(HANDLE object);

// Fails with ERROR_SHARING_VIOLATION while a handle without FILE_SHARE_DELETE
// is open on the file.
BOOL WINAPI DeleteFileA(LPCSTR path);
BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
// Length without the NUL on success; the size needed (NUL included) when the
// buffer is too small; 0 on failure: an empty path, or a full path of
// MAX_PATH characters or more (ERROR_FILENAME_EXCED_RANGE).
DWORD WINAPI GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR *filePart);
DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer);

// Writing through CreateFileA's handles: WriteFile takes what the disk has
// room for (sim::SetDiskSpace) and fails with ERROR_DISK_FULL when that is
// less than asked; SetEndOfFile cuts the file at the handle's position.
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped);
BOOL WINAPI SetEndOfFile(HANDLE file);
#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
// FILE_TYPE_DISK for every handle to a file.
DWORD WINAPI GetFileType(HANDLE file);
// With CreateFileA's flags: a named pipe server may not act as the caller.
#define SECURITY_ANONYMOUS 0x00000000
#define SECURITY_SQOS_PRESENT 0x00100000
