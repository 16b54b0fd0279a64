// The installation's folders get the rights of Program Files, so that an
// ordinary user can neither plant nor change what the administrator runs.
#pragma once

// Creates the folder with those rights. False as CreateDirectoryA (its error
// set), and also when the rights cannot be built (nothing is made then).
bool CreateProtectedFolder(const char *path);

// Gives a folder that is already there those rights and Administrators as its
// owner, on the folder alone (not the files below, which are replaced). False
// for something missing, no folder, a reparse point (never followed), or
// rights that cannot be set.
bool ProtectExistingFolder(const char *path);

// Creates the folder protected or, when something is there already, protects
// it; `made` tells which, for undoing the copy. False only when something
// there cannot be protected; a folder that cannot be made is left for the
// file inside it to report.
bool MakeFolderOurs(const char *path, bool *made);
