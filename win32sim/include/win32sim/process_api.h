// Starting programs, the Windows version, short path names.
#pragma once

#include "win32sim/types.h"
