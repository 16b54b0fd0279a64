// Writing every entry of the archive into the destination directory.
#pragma once

#include <windows.h>

// Extracts all entries, recording each file and drawing the progress into
// the dialog's control. On a failure it undoes the copy, then shows its own
// message. 0 or -1.
LONG ExtractArchive(HWND dialog);

// False once a failed copy could not put everything back as it was.
extern bool g_copyRestored;
