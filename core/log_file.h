// Making the log's file without being led elsewhere: the installer writes it
// with administrator's or SYSTEM's rights, often into a folder where any user
// may plant a file or link at the name it is about to use.
#pragma once

#include <windows.h>

enum LogFileUse {
  kLogNewFileOnly,         // a name that is taken is refused, whatever is there
  kLogMayReplacePlainFile  // a plain file there, with no other name, is emptied and used
};

// Opens the log's file at `path`, taken as given (relative to the current
// directory), for writing from its start. Refused, with INVALID_HANDLE_VALUE:
// a path that is not below a drive or share root; a folder along it that is
// missing, a junction or a symbolic link; a symbolic link, a folder, a file
// with a second name (a hard link) or a device at the name itself. The folders
// along the path are held while the file is made, so none can be swapped in
// between. `full` (kPathSize) receives the full path when it could be formed.
HANDLE CreateLogFile(const char *path, LogFileUse use, char *full);
// A new file in the TEMP folder under a name nobody can know in advance;
// `full` (kPathSize) receives its path.
HANDLE CreateLogInTempFolder(char *full);
