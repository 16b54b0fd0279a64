// Reading the parts of a full Windows path: separators, components, and
// where the folders below its root begin.
#pragma once

#include <cstddef>

bool IsPathSeparator(char c);
// The position of the first character past any separators at `position`.
size_t SkipSeparators(const char *path, size_t position);
// The position of the separator or NUL that ends the component at `position`.
size_t SkipComponent(const char *path, size_t position);
// Where the first folder below the root begins in a full path: past "C:\" or
// "\\server\share\". 0 for device paths ("\\?\", "\\.\"), which are no
// place for the installer to write, and for any form not known here.
size_t FirstFolderAt(const char *full);
