// The installed program's first start, with "-Q", before the installer ends.
#include <windows.h>

#include "core/bounded_string.h"
#include "core/installer_state.h"
#include "shell/associations.h"

void RunProgramWithQ() {
  // Always lume32.exe in the destination itself, not the main program path.
  char commandLine[kPathSize];
  if (!JoinPath(commandLine, sizeof commandLine, g_destinationDir, "lume32.exe -Q")) return;
  WinExec(commandLine, SW_SHOWNORMAL);
}
