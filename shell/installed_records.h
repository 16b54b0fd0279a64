// Installed-file records: one registry key per file that the installation
// put into the destination directory, left for the installed program.
#pragma once

#include <cstddef>

// Records `fullPath`, a path that begins with the destination directory,
// under MoraLUME_TOVA\installed of the machine's classes. Best effort:
// failures are silent, and a relative path too long for its buffer is not
// recorded. True only when the record is new: one there already, from an
// earlier installation, is left as it is.
bool RecordInstalledFile(const char *fullPath);

// Keeps the records' parent key open for a run of records (every file of the
// archive), so that each record costs only its own key; without it each record
// opens and closes the parent. Best effort, like the records themselves.
// Opening notes whether the class key and the records' key were there before.
void OpenInstalledRecords();
void CloseInstalledRecords();

// Undoing a failed copy: takes away a record that RecordInstalledFile made,
// then the records' key and the class key if OpenInstalledRecords made them.
// False when a key stays; `key` then names it (at most `size` bytes).
bool RemoveInstalledRecord(const char *fullPath, char *key, size_t size);
bool RemoveRecordKeysMade(char *key, size_t size);
// The copy is complete: the keys made stay.
void ForgetRecordKeysMade();
