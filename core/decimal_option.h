// Numbers in option values.
#pragma once

#include <windows.h>

// Leading white space, one optional '+' or '-', then decimal digits up to the
// first other character; no digits give 0. Values beyond the 32-bit range
// stop at its limits rather than wrapping.
LONG ReadDecimalOption(const char *text);
