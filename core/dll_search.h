// Where the process looks for DLLs.
#pragma once

// Limits the DLL search to the system folder, so that a DLL planted beside
// the installer (a downloads folder, say) is never loaded in place of a
// system one, and drops the current directory from the search.
void RestrictDllSearch();
