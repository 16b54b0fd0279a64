#include "core/format_text.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

namespace {
// The system formatter never writes more than 1,024 characters and the NUL.
const size_t kFormatterLimit = 1025;
}  // namespace

void FormatText(char *buffer, size_t size, const char *format, ...) {
  if (size == 0) return;
  char formatted[kFormatterLimit];
  va_list arguments;
  va_start(arguments, format);
  wvsprintfA(formatted, format, arguments);
  va_end(arguments);
  formatted[kFormatterLimit - 1] = '\0';
  size_t length = strlen(formatted);
  if (length >= size) length = size - 1;
  memcpy(buffer, formatted, length);
  buffer[length] = '\0';
}
