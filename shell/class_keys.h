// Keys of the machine's classes, where the class, its records, the backups
// and the associations live.
#pragma once

#include <windows.h>

// HKEY_LOCAL_MACHINE\Software\Classes\keyName, created or opened. Never
// through HKEY_CLASSES_ROOT: there a key of the user's own classes wins,
// which any program the user runs may have planted, and the elevated
// installer would read its class from it or write its records and backups
// into it, out of the uninstall's sight. ERROR_FILENAME_EXCED_RANGE when the
// full name does not fit.
LONG CreateClassKey(const char *keyName, HKEY *key);
LONG OpenClassKey(const char *keyName, HKEY *key);
