// Registry: opening with options, walking and deleting keys and values.
#pragma once

#include "win32sim/error_api.h"
#include "win32sim/file_api.h"
#include "win32sim/registry_api.h"
#include "win32sim/types.h"

typedef DWORD REGSAM;
typedef DWORD ACCESS_MASK;

#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_KEY_DELETED 1018L

#define DELETE 0x00010000L
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_OPTION_OPEN_LINK 0x00000008L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L
#define REG_LINK 6

// As RegOpenKeyA, but an empty subkey gives a new handle on `key` itself.
// The stand-in makes no registry links, so REG_OPTION_OPEN_LINK opens what
// it would without; the access asked for is not checked.
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
// As RegCreateKeyA, telling whether the key was there (disposition); only
// REG_OPTION_NON_VOLATILE keys, no class, no security.
LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options, REGSAM access,
                            LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
// The name of the index-th subkey (ERROR_NO_MORE_ITEMS past the last,
// ERROR_MORE_DATA when it does not fit `size` with its NUL); below
// HKEY_CLASSES_ROOT the user's and the machine's merged.
LONG WINAPI RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD size);
// Deletes key\subKey, which must have no subkeys (else access denied, as
// Windows answers); below HKEY_CLASSES_ROOT the key that the view shows.
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey);
LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name);
LONG WINAPI RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                             LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                             LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                             void *lastWriteTime);
