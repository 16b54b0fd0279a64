// Installed-file records: one registry key per file that the installation
// put into the destination directory, left for the installed program.
#pragma once

// Records `fullPath`, a path that begins with the destination directory,
// under MoraLUME_TOVA\installed of the machine's classes. Best effort:
// failures are silent, and a relative path too long for its buffer is not
// recorded.
void RecordInstalledFile(const char *fullPath);

// Keeps the records' parent key open for a run of records (every file of the
// archive), so that each record costs only its own key; without it each record
// opens and closes the parent. Best effort, like the records themselves.
void OpenInstalledRecords();
void CloseInstalledRecords();
