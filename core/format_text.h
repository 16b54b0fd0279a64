// printf-style formatting into a fixed buffer with the system's own
// formatter (%d, %ld, %s, %%), which keeps the C runtime's larger one out of
// the executable.
#pragma once

#include <cstddef>

// Formats into `buffer`; a result longer than `size - 1` is cut there, and
// the buffer is always terminated.
void FormatText(char *buffer, size_t size, const char *format, ...);
