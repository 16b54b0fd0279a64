// Process entry: instance, options list, installer directory, command line.
#pragma once

#include <windows.h>

void InitInstaller(HINSTANCE instance);
// Reads "-noautorun", "-language=X", "-nomsgbox" and "-dir=PATH" from the
// argument string.
void ScanCommandLine(const char *arguments);
