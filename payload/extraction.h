// Writing every entry of the archive into the destination directory.
#pragma once

#include <windows.h>

// Extracts all entries, recording each file and drawing the progress into
// the dialog's control; shows its own message on failure. 0 or -1.
LONG ExtractArchive(HWND dialog);
