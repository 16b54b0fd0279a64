// Strings: the kernel's lstr calls.
#pragma once

#include "win32sim/types.h"

int WINAPI lstrlenA(LPCSTR text);
// Copies at most size - 1 characters and always terminates (size > 0).
LPSTR WINAPI lstrcpynA(LPSTR destination, LPCSTR source, int size);
