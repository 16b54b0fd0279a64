// Named mutexes, which keep two runs apart.
#pragma once

#include "win32sim/error_api.h"
#include "win32sim/file_api.h"
#include "win32sim/types.h"

// A handle to a new mutex (last error ERROR_SUCCESS) or, when the name is
// taken already, to that one (last error ERROR_ALREADY_EXISTS). Names are
// case-sensitive; "Local\" names the session's namespace, as a bare name does,
// and "Global\" the machine's. Any other '\' fails with ERROR_PATH_NOT_FOUND.
// CloseHandle closes the handle; the name lives while a handle is open.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);
