// Test side: Starting programs, the Windows version, short path names, named mutexes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim {

struct ProgramStart {
  std::string commandLine;
  UINT show;
  // The program that Windows would run for this command line: a quoted first
  // word as it stands; an unquoted one tried at every blank in turn ("C:\Program"
  // before "C:\Program Files\x"), ".exe" added to a name without extension,
  // the first that exists winning. Empty when none exists.
  std::string program;
};
// Every WinExec call, in order.
const std::vector<ProgramStart> &ProgramStarts();
// The program that WinExec would run for this command line (see above).
std::string ProgramFor(const std::string &commandLine);
// Later WinExec calls return this (2, file not found, for a failed start).
void SetWinExecResult(UINT result);

// The version word GetVersion returns (default: NT 5.1).
void SetVersionWord(DWORD version);
int VersionQueries();

// GetShortPathNameA gives `shortForm` for `longPath` (compared without
// regard to case), whether it exists or not. Any other path must exist: each
// component becomes its name on disk when that is an 8.3 name, else an alias
// such as "PROGRA~1" (Wine hashes the alias instead); a missing one fails
// with ERROR_FILE_NOT_FOUND. With short names failing every call returns 0.
void SetShortPath(const std::string &longPath, const std::string &shortForm);
void FailShortPaths(bool fail);
int ShortPathQueries();

// Another process holds a mutex of this name (until Reset): CreateMutexA
// with it gives ERROR_ALREADY_EXISTS.
void HoldMutex(const std::string &name);
// CreateMutexA fails with ERROR_ACCESS_DENIED, as for a name whose object
// another user made without rights for the caller.
void FailMutexCreation(bool fail);
// The names CreateMutexA was given, in order.
const std::vector<std::string> &MutexNames();

}  // namespace sim
