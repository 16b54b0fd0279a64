// The scan of the argument string, held against a plain word-by-word model.
#include <cstddef>
#include <cstdint>
#include <string>
#include <strings.h>

#include "core/installer_state.h"
#include "core/startup.h"
#include "scratch.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

struct Switches {
  BYTE autorun = 1;
  BYTE noMessageBoxes = 0;
  LONG languageIndex = 0;
  LONG languageGiven = 0;
  BYTE destinationGiven = 0;
  std::string destination = kDefaultDestination;
};

// Words start after a space (tabs do not separate); the switches ignore the
// case of their letters, the language letter does not. Exactly one
// character, whatever it is (a blank too), follows "-language=". The value
// of "-dir=" runs to the next space, or is quoted and then followed by a
// space or the end; one that is not, or would not fit, empties the
// destination. The words within a value taken are not switches.
Switches ExpectedSwitches(const std::string &line) {
  const std::string letters = "EGFSIPD";
  Switches expected;
  for (size_t i = 0; i < line.size(); ++i) {
    if (i > 0 && line[i - 1] != ' ') continue;
    std::string word = line.substr(i, line.find(' ', i) - i);
    if (strcasecmp(word.c_str(), "-noautorun") == 0) expected.autorun = 0;
    if (strcasecmp(word.c_str(), "-nomsgbox") == 0) expected.noMessageBoxes = 1;
    bool oneCharacterFollows = line.size() == i + 11 || (line.size() > i + 11 && line[i + 11] == ' ');
    if (oneCharacterFollows && strncasecmp(line.c_str() + i, "-language=", 10) == 0) {
      size_t index = letters.find(line[i + 10]);
      if (index != std::string::npos) expected.languageIndex = static_cast<LONG>(index);
      expected.languageGiven = 1;
    }
    if (strncasecmp(line.c_str() + i, "-dir=", 5) != 0) continue;
    expected.destinationGiven = 1;
    expected.destination.clear();
    std::string value = line.substr(i + 5);
    size_t taken = 0;
    if (value.empty() || value[0] != '"') {
      taken = value.find(' ') == std::string::npos ? value.size() : value.find(' ');
      value.resize(taken);
    } else {
      size_t close = value.find('"', 1);
      if (close == std::string::npos || (close + 1 < value.size() && value[close + 1] != ' ')) continue;
      taken = close + 1;
      value = value.substr(1, close - 1);
    }
    if (value.size() >= kPathSize) continue;
    expected.destination = value;
    i += 5 + taken;
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // The scan touches no file: one fresh stand-in serves every input.
  StartInput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The argument string ends at its first zero byte, as Windows hands it over.
  const std::string line = std::string(reinterpret_cast<const char *>(data), size).c_str();
  ResetInstallerState();
  ScanCommandLine(line.c_str());
  Switches expected = ExpectedSwitches(line);
  Require(g_autorun == expected.autorun, "autorun flag", line);
  Require(g_languageIndex == expected.languageIndex, "language index", line);
  Require(g_languageGiven == expected.languageGiven, "language-given flag", line);
  Require(g_noMessageBoxes == expected.noMessageBoxes, "no-message-boxes flag", line);
  Require(g_destinationGiven == expected.destinationGiven, "destination-given flag", line);
  Require(g_destinationDir == expected.destination, "destination", line);
  RequireNothingOutside(kScratchDestination);
  return 0;
}
