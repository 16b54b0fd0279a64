// Process and system information.
#pragma once

#include <cstdarg>

#include "win32sim/types.h"

#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_ICOUNTRY 0x0005

// System error codes that the stand-in's calls leave for GetLastError; other
// areas may define some of them too.
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2L
#endif
#define ERROR_PATH_NOT_FOUND 3L
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5L
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L
#endif
#define ERROR_INVALID_DATA 13L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_FILE_EXISTS 80L
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L
#endif
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DISCARDED 157L
#define ERROR_NOT_LOCKED 158L
#ifndef ERROR_BAD_PATHNAME
#define ERROR_BAD_PATHNAME 161L
#endif
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

// The path's length without the NUL when it fits; else as many characters as
// fit, without a NUL, the size returned and ERROR_INSUFFICIENT_BUFFER set.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
// Characters written with the NUL; the size needed for size 0; 0 and
// ERROR_INSUFFICIENT_BUFFER when it does not fit (what fits is written).
int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size);

// Where LoadLibrary and the loader look for DLLs.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI SetDllDirectoryA(LPCSTR directory);
BOOL WINAPI SetDefaultDllDirectories(DWORD flags);

// The system's formatter: %d, %ld, %s and the like; at most 1,024 bytes are
// written, the NUL included (1,023 characters), and a cut text reports 1,024.
int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments);
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);

// The GUI entry that the product defines.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);
