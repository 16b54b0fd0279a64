// GDI: device contexts, brushes, fonts and drawing, recorded for tests.
#pragma once

#include "win32sim/types.h"
