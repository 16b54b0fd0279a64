// Registry: an in-memory key tree.
#pragma once

#include "win32sim/error_api.h"
#include "win32sim/types.h"

typedef HKEY *PHKEY;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

// Opens an existing key even when it may only be read (as with Windows'
// MAXIMUM_ALLOWED); without a subkey, a new handle on `key` itself.
LONG WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
// Without a subkey, `key` itself comes back.
LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LONG WINAPI RegCloseKey(HKEY key);
// Sets the default value of key\subKey (created if missing) to the whole
// NUL-terminated `data`, whatever `dataSize` says; only REG_SZ is accepted.
LONG WINAPI RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD dataSize);
// Stores exactly `dataSize` bytes under the value `name` (null or "" is the
// default value); a string type counted without its NUL while a NUL follows
// in memory is stored with it.
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD dataSize);
// Reads the default value of key\subKey. `dataSize` passes the buffer size in
// and the stored length (its NUL included if stored) out; ERROR_MORE_DATA
// when it does not fit, the buffer's content then being undefined. A string
// stored without its NUL gets one in the buffer only when there is room
// beyond it. A key without a default value reads as the empty string.
LONG WINAPI RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR data, PLONG dataSize);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

#include "win32sim/registry_edit_api.h"
