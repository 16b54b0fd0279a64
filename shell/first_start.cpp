// The installed program's first start, with "-Q", before the installer ends.
#include <windows.h>

#include "core/bounded_string.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "shell/associations.h"

void RunProgramWithQ() {
  // Always lume32.exe in the destination itself, not the main program path.
  char program[kPathSize];
  char commandLine[kPathSize] = "";
  if (!JoinPath(program, sizeof program, g_destinationDir, "lume32.exe") ||
      !AppendProgramPath(commandLine, sizeof commandLine, program) ||
      !AppendString(commandLine, sizeof commandLine, " -Q"))
    return;
  LogProgramStart(commandLine, WinExec(commandLine, SW_SHOWNORMAL));
}
