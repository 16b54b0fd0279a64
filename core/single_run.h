// One installation at a time on the machine: two runs at once would undo
// each other's work.
#pragma once

#include <windows.h>

// The handle that marks this run, to be closed when it ends; null when
// another run holds the mark, or it cannot be made: nothing may begin then.
HANDLE ClaimSingleRun();
