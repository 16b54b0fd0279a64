#include "core/installed_options.h"

#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/format_text.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "core/messages.h"
#include "core/options.h"
#include "shell/installed_records.h"

namespace {

// Option strings live as long as the list; these are never released.
char g_languageOptionName[] = "prefLanguage";
char g_languageOptionValue[8];

// Index 6 (D) lies past the letters of the message tables.
constexpr char kLastLanguageLetter = 'D';

bool WriteAll(HFILE file, const char *bytes, size_t length) {
  return _hwrite(file, bytes, static_cast<LONG>(length)) == static_cast<LONG>(length);
}

bool WriteString(HFILE file, const char *text) { return WriteAll(file, text, strlen(text) + 1); }

bool WriteOptions(HFILE file) {
  unsigned count = static_cast<unsigned>(g_optionCount) & 0xFFFF;
  const char header[2] = {static_cast<char>(count & 0xFF), static_cast<char>(count >> 8)};
  if (!WriteAll(file, header, sizeof header)) return false;
  for (LONG i = 0; i < g_optionCount; ++i)
    if (!WriteString(file, g_optionNames[i]) || !WriteString(file, g_optionValues[i])) return false;
  return true;
}

}  // namespace

void AddLanguageOption() {
  if (g_languageIndex <= 0 || g_languageIndex >= kLanguageCount) return;
  LONG lettersKnown = static_cast<LONG>(strlen(kLanguageLetters));
  char letter = g_languageIndex < lettersKnown ? kLanguageLetters[g_languageIndex] : kLastLanguageLetter;
  FormatText(g_languageOptionValue, sizeof g_languageOptionValue, "%d", letter);
  AppendOption(g_languageOptionName, g_languageOptionValue);
}

void WriteInstalledOptions() {
  if (g_optionCount <= 0 || !g_optionNames || !g_optionValues) {
    LogLine("Program options: none to write");
    return;
  }
  char path[kPathSize];
  if (!JoinPath(path, sizeof path, g_destinationDir, "tova.opt")) {
    LogLine("Program options: none written, the path is too long");
    return;
  }

  // _lopen and _lcreat, not OpenFile: it refuses full paths of 128
  // characters or more.
  HFILE existing = _lopen(path, OF_READWRITE | OF_SHARE_DENY_NONE);
  if (existing != HFILE_ERROR) {
    _lclose(existing);
    LogLine("Program options: %s there already, kept", path);
    return;
  }
  HFILE file = _lcreat(path, 0);
  if (file == HFILE_ERROR) {
    LogLine("Program options: %s could not be made", path);
    return;
  }
  bool complete = WriteOptions(file);
  _lclose(file);
  if (!complete) {
    // The installed program must never read a cut list.
    DeleteFileA(path);
    LogLine("Program options: %s could not be written whole, removed", path);
    return;
  }
  LogLine("Program options: %s written, options: %d", path, static_cast<int>(g_optionCount));
  RecordInstalledFile(path);
}
