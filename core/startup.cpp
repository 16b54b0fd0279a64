#include "core/startup.h"

#include <cstring>

#include "core/dll_search.h"
#include "core/installation.h"
#include "core/installer_state.h"
#include "core/options.h"

namespace {

struct LanguageLetter {
  char letter;
  LONG index;
};
const LanguageLetter kLanguageByLetter[] = {{'E', 0}, {'G', 1}, {'F', 2}, {'S', 3}, {'I', 4}, {'P', 5}, {'D', 6}};

const char kNoAutorun[] = "-noautorun";
const char kLanguage[] = "-language=";
const char kNoMessageBoxes[] = "-nomsgbox";
const char kDestination[] = "-dir=";
const char kLog[] = "-log";
const char kLogAt[] = "-log=";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when text begins with the switch `word` (N counts its zero), ignoring case.
template <size_t N>
bool StartsWithSwitch(const char *text, const char (&word)[N]) {
  for (size_t i = 0; i + 1 < N; ++i)
    if (text[i] == '\0' || LowerAscii(text[i]) != word[i]) return false;
  return true;
}

bool EndsWord(char c) { return c == ' ' || c == '\0'; }

// Takes the path value of a switch ("-dir=", "-log="): up to the next blank,
// or between quotes when it holds blanks. A value that would not fit is
// refused whole rather than cut, and so is a quoted one without its closing
// quote (or with more after it), whose end cannot be known: the path is then
// emptied, which the installation refuses (an emptied destination entry, a
// log it cannot make). Returns how many characters the value takes when
// well-formed, so that the words within a quoted path are not read as
// switches; 0 otherwise.
size_t ReadPathValue(const char *value, char *path) {
  path[0] = '\0';
  const bool quoted = value[0] == '"';
  const char *begin = value + (quoted ? 1 : 0);
  const char *end = quoted ? strchr(begin, '"') : begin + strcspn(begin, " ");
  if (!end || (quoted && !EndsWord(end[1]))) return 0;
  size_t length = static_cast<size_t>(end - begin);
  if (length >= kPathSize) return 0;
  memcpy(path, begin, length);
  path[length] = '\0';
  return static_cast<size_t>(end - value) + (quoted ? 1 : 0);
}

// The installer's own directory: its module path cut after the last '\', '/'
// or ':', with a '\' added after a bare drive colon.
void FindInstallerDirectory() {
  DWORD got = GetModuleFileNameA(g_instance, g_installerDir, kPathSize);
  if (got == 0 || got >= kPathSize) {
    g_installerDir[0] = '\0';  // cut off: no directory rather than a wrong one
    return;
  }
  size_t position = strlen(g_installerDir);
  while (position > 0 && !strchr("\\/:", g_installerDir[position - 1])) --position;
  if (position > 0 && g_installerDir[position - 1] == ':' && position + 1 < kPathSize) g_installerDir[position++] = '\\';
  g_installerDir[position] = '\0';
}

}  // namespace

void InitInstaller(HINSTANCE instance) {
  g_instance = instance;
  CreateOptionsList();
  FindInstallerDirectory();
}

void ScanCommandLine(const char *arguments) {
  size_t length = strlen(arguments);
  for (size_t i = 0; i < length; ++i) {
    if (i > 0 && arguments[i - 1] != ' ') continue;
    const char *word = arguments + i;
    const size_t letter = sizeof kLanguage - 1;
    if (StartsWithSwitch(word, kNoAutorun) && EndsWord(word[sizeof kNoAutorun - 1])) g_autorun = 0;
    if (StartsWithSwitch(word, kNoMessageBoxes) && EndsWord(word[sizeof kNoMessageBoxes - 1])) g_noMessageBoxes = 1;
    if (StartsWithSwitch(word, kLanguage) && word[letter] != '\0' && EndsWord(word[letter + 1])) {
      for (const LanguageLetter &entry : kLanguageByLetter)
        if (entry.letter == word[letter]) g_languageIndex = entry.index;
      g_languageGiven = 1;
    }
    if (StartsWithSwitch(word, kLog) && EndsWord(word[sizeof kLog - 1])) g_logRequest = kLogInTemp;
    if (StartsWithSwitch(word, kLogAt)) {
      g_logRequest = kLogAtPath;
      i += sizeof kLogAt - 1 + ReadPathValue(word + sizeof kLogAt - 1, g_logPath);
    }
    if (StartsWithSwitch(word, kDestination)) {
      g_destinationGiven = 1;
      i += sizeof kDestination - 1 + ReadPathValue(word + sizeof kDestination - 1, g_destinationDir);
    }
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  RestrictDllSearch();
  InitInstaller(instance);
  g_commandLine = arguments ? arguments : "";
  ScanCommandLine(g_commandLine);
  return RunInstallation();
}
