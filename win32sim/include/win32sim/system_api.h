// Process and system information.
#pragma once

#include <cstdarg>

#include "win32sim/types.h"

#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_ICOUNTRY 0x0005

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size);

// Where LoadLibrary and the loader look for DLLs.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI SetDllDirectoryA(LPCSTR directory);
BOOL WINAPI SetDefaultDllDirectories(DWORD flags);

// The system's formatter: %d, %ld, %s and the like; at most 1,024
// characters and the NUL are written.
int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments);
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);

// The GUI entry that the product defines.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);
