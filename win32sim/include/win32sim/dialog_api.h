// Dialog manager, windows, message boxes, timers and the tick count.
#pragma once

#include "win32sim/types.h"
