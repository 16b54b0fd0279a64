// The viewer's document class with its open command, the associations of the
// chosen image extensions (each earlier class kept as a backup), the
// uninstall entry and the first start of the installed program with "-Q".
// Everything here is best effort: failures are silent.
#pragma once

#include <windows.h>

// Sets the default value of the machine's classes' keyName, asserting the class
// key's own value first. 0 when the key could be created or opened, else -1.
int SetClassValue(const char *keyName, const char *value);
// Reads the default value of the machine's classes' keyName into `buffer`
// (terminated). 0 on success (a key without a value reads empty), -1 when the
// key cannot be opened, -2 when the value does not fit `bufferSize` (the
// buffer is then empty, never a cut value).
int GetClassValue(const char *keyName, char *buffer, LONG bufferSize);
// The stored length of that default value with its NUL (1 when it has none),
// or -1 when the key cannot be opened.
LONG GetClassValueSize(const char *keyName);
// The open command, then every extension whose association flag is set,
// unless `checklistResult` is 0.
void AssociateFileTypes(LONG checklistResult);
// "DisplayName", "UninstallString" and "QuietUninstallString" of the system's list of installed software.
void WriteUninstallEntry();
// Starts "lume32.exe -Q" in the destination directory, without waiting.
void RunProgramWithQ();
