// Process and system information.
#pragma once

#include <cstdarg>

#include "win32sim/error_api.h"
#include "win32sim/types.h"

#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_ICOUNTRY 0x0005

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

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;
// 1 January 2026, midnight, plus the clock's milliseconds (GetTickCount),
// which it reads without moving on.
void WINAPI GetLocalTime(LPSYSTEMTIME time);
// "C:\WINDOWS\TEMP\", with its closing separator, as SYSTEM's TEMP; the
// folder itself need not exist. The length without the NUL, or the size
// needed with it when the buffer is too small.
DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer);
