// Copying into fixed buffers: a string that does not fit is refused whole,
// never cut into a different string.
#pragma once

#include <cstddef>

// Copies source into buffer; false (buffer left empty) when it does not fit.
bool CopyString(char *buffer, size_t size, const char *source);
// Appends source; false (buffer unchanged) when the result would not fit.
bool AppendString(char *buffer, size_t size, const char *source);
// True when text ends with '\', '/' or ':'.
bool EndsWithSeparator(const char *text);
// Directory join: directory, a '\' unless it already ends with a separator,
// then name. False (buffer left empty) when the result does not fit.
bool JoinPath(char *buffer, size_t size, const char *directory, const char *name);
// Appends a program path as a command line's first word: in quotes when it
// holds a blank, since Windows would otherwise try "C:\Program" before
// "C:\Program Files\...". False (buffer unchanged) when it does not fit.
bool AppendProgramPath(char *buffer, size_t size, const char *path);
