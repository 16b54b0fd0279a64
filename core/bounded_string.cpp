#include "core/bounded_string.h"

#include <cstring>

bool CopyString(char *buffer, size_t size, const char *source) {
  size_t length = strlen(source);
  if (size == 0) return false;
  if (length >= size) {
    buffer[0] = '\0';
    return false;
  }
  memcpy(buffer, source, length + 1);
  return true;
}

bool AppendString(char *buffer, size_t size, const char *source) {
  size_t used = strnlen(buffer, size);
  size_t length = strlen(source);
  if (used >= size || length >= size - used) return false;
  memcpy(buffer + used, source, length + 1);
  return true;
}

bool EndsWithSeparator(const char *text) {
  size_t length = strlen(text);
  if (length == 0) return false;
  char last = text[length - 1];
  return last == '\\' || last == '/' || last == ':';
}

bool AppendProgramPath(char *buffer, size_t size, const char *path) {
  if (!strchr(path, ' ')) return AppendString(buffer, size, path);
  size_t used = strnlen(buffer, size);
  if (used >= size || strlen(path) + 2 >= size - used) return false;
  return AppendString(buffer, size, "\"") && AppendString(buffer, size, path) && AppendString(buffer, size, "\"");
}

bool JoinPath(char *buffer, size_t size, const char *directory, const char *name) {
  bool fits = CopyString(buffer, size, directory) &&
              (EndsWithSeparator(directory) || AppendString(buffer, size, "\\")) &&
              AppendString(buffer, size, name);
  if (!fits && size > 0) buffer[0] = '\0';
  return fits;
}
