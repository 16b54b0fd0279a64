#include "core/install_log.h"

#include <cstdarg>
#include <cstring>

#include "core/bounded_string.h"
#include "core/installation.h"
#include "core/installer_state.h"
#include "core/log_file.h"
#include "core/options.h"

namespace {

// Room for the longest message with its addition, escaped, and a time.
const size_t kLineSize = 4096;
const char kCutMark[] = "...";
const char kLineEnd[] = "\r\n";

HANDLE g_logFile = INVALID_HANDLE_VALUE;

// A fixed line buffer filled from the left; what does not fit is dropped and
// the line ends with the cut mark.
struct Line {
  char text[kLineSize];
  size_t length;
  bool cut;
};

void Put(Line &line, char c) {
  if (line.length + sizeof kCutMark + sizeof kLineEnd - 1 >= kLineSize) {
    line.cut = true;
    return;
  }
  line.text[line.length++] = c;
}

void PutText(Line &line, const char *text) {
  for (; *text; ++text) Put(line, *text);
}

void PutEscaped(Line &line, const char *value) {
  const char digits[] = "0123456789ABCDEF";
  for (; *value; ++value) {
    unsigned char c = static_cast<unsigned char>(*value);
    if (c >= 0x20 && c != 0x7F) {
      Put(line, *value);
      continue;
    }
    Put(line, '<');
    Put(line, digits[c >> 4]);
    Put(line, digits[c & 0xF]);
    Put(line, '>');
  }
}

void PutNumber(Line &line, unsigned long long number, size_t width) {
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0 && count < sizeof digits);
  while (count < width) digits[count++] = '0';
  while (count > 0) Put(line, digits[--count]);
}

void PutSigned(Line &line, int number) {
  if (number < 0) Put(line, '-');
  PutNumber(line, number < 0 ? 0ull - static_cast<unsigned long long>(static_cast<long long>(number))
                             : static_cast<unsigned long long>(number),
            1);
}

// "2026-12-08 04:36:07.123  "
void PutTime(Line &line) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const struct {
    WORD value;
    size_t width;
    const char *after;
  } fields[] = {{now.wYear, 4, "-"},   {now.wMonth, 2, "-"},  {now.wDay, 2, " "},           {now.wHour, 2, ":"},
                {now.wMinute, 2, ":"}, {now.wSecond, 2, "."}, {now.wMilliseconds, 3, "  "}};
  for (const auto &field : fields) {
    PutNumber(line, field.value, field.width);
    PutText(line, field.after);
  }
}

void WriteLine(const char *format, va_list arguments) {
  Line line;
  line.length = 0;
  line.cut = false;
  PutTime(line);
  for (const char *f = format; *f; ++f) {
    if (*f != '%') {
      Put(line, *f);
      continue;
    }
    switch (*++f) {
      case 's': {
        const char *value = va_arg(arguments, const char *);
        PutEscaped(line, value ? value : "");
        break;
      }
      case 'd':
        PutSigned(line, va_arg(arguments, int));
        break;
      case 'u':
        PutNumber(line, va_arg(arguments, unsigned), 1);
        break;
      case '%':
        Put(line, '%');
        break;
      default:
        --f;  // a lone '%' at the end, or one this writer does not know: as it stands
        Put(line, '%');
        break;
    }
  }
  // Put kept room for both.
  if (line.cut) {
    memcpy(line.text + line.length, kCutMark, sizeof kCutMark - 1);
    line.length += sizeof kCutMark - 1;
  }
  memcpy(line.text + line.length, kLineEnd, sizeof kLineEnd - 1);
  line.length += sizeof kLineEnd - 1;
  // One write per line, straight to the system: nothing waits in the
  // installer should it be killed.
  DWORD written = 0;
  WriteFile(g_logFile, line.text, static_cast<DWORD>(line.length), &written, nullptr);
}

bool EndsWithIgnoringCase(const char *text, const char *end) {
  size_t length = strlen(text), endLength = strlen(end);
  if (length < endLength) return false;
  for (size_t i = 0; i < endLength; ++i) {
    char c = text[length - endLength + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != end[i]) return false;
  }
  return true;
}

// "sLog" comes from a folder that others may write to: it may only make a
// new file, and only one that is read as text. The log holds values from the
// options file, and a script of the writer's choosing in a folder only
// administrators can write would run with the rights of whoever starts it.
HANDLE CreateOptionLog(const char *path, char *shown) {
  if (!EndsWithIgnoringCase(path, ".log") && !EndsWithIgnoringCase(path, ".txt")) {
    CopyString(shown, kPathSize, path);
    return INVALID_HANDLE_VALUE;
  }
  return CreateLogFile(path, kLogNewFileOnly, shown);
}

const char *MeaningOf(int exitCode) {
  switch (exitCode) {
    case kExitCompleted:
      return "installed";
    case kExitNotBegun:
      return "nothing was written";
    case kExitCancelled:
      return "cancelled before anything was written";
    case kExitFailed:
      return "the copy failed and was undone";
    case kExitNotRestored:
      return "the copy failed and not all could be put back";
  }
  return "unknown";
}

}  // namespace

bool OpenInstallLog(char *shown) {
  shown[0] = '\0';
  const char *optionPath = FindOption("sLog");
  const char *from = "the command line";
  if (g_logRequest == kLogInTemp) {
    g_logFile = CreateLogInTempFolder(shown);
  } else if (g_logRequest == kLogAtPath) {
    g_logFile = CreateLogFile(g_logPath, kLogMayReplacePlainFile, shown);
    // A value refused as it was read (too long, a quote left open) has no path to show.
    if (shown[0] == '\0') CopyString(shown, kPathSize, g_logPath[0] ? g_logPath : "-log=");
  } else if (optionPath) {
    from = "the option sLog";
    g_logFile = CreateOptionLog(optionPath, shown);
    if (shown[0] == '\0') CopyString(shown, kPathSize, optionPath);
  } else {
    return true;
  }
  if (g_logFile == INVALID_HANDLE_VALUE) return false;
  LogLine("Log: %s, asked for by %s", shown, from);
  return true;
}

bool IsLogging() { return g_logFile != INVALID_HANDLE_VALUE; }

void LogLine(const char *format, ...) {
  if (g_logFile == INVALID_HANDLE_VALUE) return;
  va_list arguments;
  va_start(arguments, format);
  WriteLine(format, arguments);
  va_end(arguments);
}

void LogProgramStart(const char *commandLine, UINT result) {
  if (result > 31)
    LogLine("Started %s", commandLine);
  else
    LogLine("Could not start %s: error %u", commandLine, static_cast<unsigned>(result));
}

void CloseInstallLog(int exitCode) {
  if (g_logFile == INVALID_HANDLE_VALUE) return;
  LogLine("End: exit code %d, %s", exitCode, MeaningOf(exitCode));
  CloseHandle(g_logFile);
  g_logFile = INVALID_HANDLE_VALUE;
}
