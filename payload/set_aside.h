// Files that an update replaces are set aside under a name of their own in
// their own folder until the copy is complete, so that a failed copy can put
// them back.
#pragma once

#include <windows.h>

#include <cstddef>

// The file's own name followed by ".~$" and 8 upper-case hex digits: a '$'
// never occurs in the archive's names, so no file of the payload bears such
// a name, and the digits (from the clock) are tried onwards until no file
// there has it: nothing is ever renamed over.
constexpr size_t kAsideSuffixLength = 11;

// `target` + the suffix for `token`; false when it does not fit `size`.
bool FormAsideName(const char *target, DWORD token, char *aside, size_t size);

// Renames the existing file `target` aside; `token` receives the digits of
// its new name. False, with the system's error, when it cannot be renamed.
bool SetAsideFile(const char *target, DWORD *token);

// Renames the file set aside back to `target`, which must be free again.
bool PutBackFile(const char *target, DWORD token);

// After a complete copy: removes every file set aside in `folder` (the
// destination, or a subfolder the copy made or took over, never one it did
// not: another could be a user's, swapped for a link meanwhile), this run's
// and those an interrupted run left, each beside the file it was set aside
// from; one that cannot go yet goes when Windows next starts.
void RemoveSetAsideFiles(const char *folder);
