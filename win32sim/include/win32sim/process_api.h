// Starting programs, the Windows version, short path names.
#pragma once

#include "win32sim/types.h"

// Also a show command of the window calls.
#ifndef SW_SHOWNORMAL
#define SW_SHOWNORMAL 1
#endif

// Records the command line and show state; above 31 on success.
UINT WINAPI WinExec(LPCSTR commandLine, UINT show);
// Major version in bits 0-7, minor in 8-15, bit 31 set on the 95 family.
DWORD WINAPI GetVersion(void);
// The short form's length without the NUL, or the size it needs (NUL
// included) when it does not fit `size` (the buffer left as it was), or 0 on
// failure: a missing file (ERROR_FILE_NOT_FOUND), an empty path.
DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size);
