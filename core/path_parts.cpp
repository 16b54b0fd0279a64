#include "core/path_parts.h"

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

size_t SkipSeparators(const char *path, size_t position) {
  while (IsPathSeparator(path[position])) ++position;
  return position;
}

size_t SkipComponent(const char *path, size_t position) {
  while (path[position] != '\0' && !IsPathSeparator(path[position])) ++position;
  return position;
}

size_t FirstFolderAt(const char *full) {
  if (full[0] != '\0' && full[1] == ':' && IsPathSeparator(full[2])) return SkipSeparators(full, 3);
  if (!IsPathSeparator(full[0]) || !IsPathSeparator(full[1])) return 0;
  if ((full[2] == '?' || full[2] == '.') && (IsPathSeparator(full[3]) || full[3] == '\0')) return 0;
  size_t share = SkipSeparators(full, SkipComponent(full, 2));
  return SkipSeparators(full, SkipComponent(full, share));
}
