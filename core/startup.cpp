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
const size_t kSwitchLength = 10;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesIgnoringCase(const char *text, const char *word, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (text[i] == '\0' || LowerAscii(text[i]) != word[i]) return false;
  return true;
}

bool EndsWord(char c) { return c == ' ' || c == '\0'; }

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
    if (MatchesIgnoringCase(word, kNoAutorun, kSwitchLength) && EndsWord(word[kSwitchLength])) g_autorun = 0;
    if (MatchesIgnoringCase(word, kLanguage, kSwitchLength) && word[kSwitchLength] != '\0' &&
        EndsWord(word[kSwitchLength + 1])) {
      for (const LanguageLetter &entry : kLanguageByLetter)
        if (entry.letter == word[kSwitchLength]) g_languageIndex = entry.index;
      g_languageGiven = 1;
    }
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  RestrictDllSearch();
  InitInstaller(instance);
  ScanCommandLine(arguments ? arguments : "");
  return RunInstallation();
}
