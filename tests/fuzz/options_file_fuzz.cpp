// The reader of "tovaopt.ini" and the number grammar of "sAssoc", then the
// hand-over of the list into "tova.opt". Each is held against a plain model
// of the line grammar and against strtoll.
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/decimal_option.h"
#include "core/installed_options.h"
#include "core/installer_state.h"
#include "core/options.h"
#include "core/startup.h"
#include "payload/destination_path.h"
#include "scratch.h"
#include "win32sim/testapi.h"

namespace {

const char kOptionsFile[] = "C:\\dist\\tovaopt.ini";  // beside the stand-in's C:\dist\setup.exe

struct Setting {
  std::string name;  // as C strings: a zero byte in the file ends them early
  std::string value;
};

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlankOrLineEnd(char c) { return c == ' ' || c == '\t' || IsLineEnd(c); }

// The settings that the file's lines hold: name up to a blank, tab or '=';
// value after the first '=' from there on, which must not end the line.
std::vector<Setting> ExpectedSettings(const std::string &text) {
  std::vector<Setting> settings;
  size_t p = 0;
  while (p < text.size()) {
    while (p < text.size() && IsBlankOrLineEnd(text[p])) ++p;
    size_t end = p;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    std::string line = text.substr(p, end - p);
    p = end;
    size_t nameEnd = line.find_first_of(" \t=");
    if (nameEnd == std::string::npos) nameEnd = line.size();
    size_t equals = line.find('=', nameEnd);
    if (nameEnd == 0 || equals == std::string::npos || equals + 1 == line.size()) continue;
    Setting setting{line.substr(0, nameEnd).c_str(), line.substr(equals + 1).c_str()};
    // One slot stays free for the language entry added at the end.
    if (setting.name != "prefRelativeSelPaths" && settings.size() < static_cast<size_t>(kOptionCapacity - 1))
      settings.push_back(setting);
  }
  return settings;
}

LONG ExpectedNumber(const char *text) {
  long long number = strtoll(text, nullptr, 10);  // saturates; C locale white space
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<LONG>(number);
}

void RequireListIs(const std::vector<Setting> &expected) {
  Require(g_optionCount == static_cast<LONG>(expected.size()), "number of settings read",
          std::to_string(g_optionCount) + " for " + std::to_string(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    Require(expected[i].name == g_optionNames[i], "setting name", g_optionNames[i]);
    Require(expected[i].value == g_optionValues[i], "setting value", g_optionValues[i]);
    Require(ReadDecimalOption(g_optionValues[i]) == ExpectedNumber(g_optionValues[i]), "number in a value",
            g_optionValues[i]);
  }
}

void RequireFirstAssocWins(const std::vector<Setting> &expected) {
  const char *assoc = FindOption("sAssoc");
  for (const Setting &setting : expected) {
    if (setting.name != "sAssoc") continue;
    Require(assoc && setting.value == assoc, "FindOption gives the first sAssoc");
    return;
  }
  Require(assoc == nullptr, "FindOption finds no sAssoc that the file lacks");
}

std::string ExpectedInstalledOptions(const std::vector<Setting> &expected) {
  if (expected.empty()) return "";
  std::string bytes{static_cast<char>(expected.size() & 0xFF), static_cast<char>(expected.size() >> 8 & 0xFF)};
  for (const Setting &setting : expected) {
    bytes += setting.name + '\0';
    bytes += setting.value + '\0';
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  StartInput();
  InitInstaller(nullptr);
  sim::WriteFile(kOptionsFile, text);
  ReadInstallerOptions();

  std::vector<Setting> expected = ExpectedSettings(text);
  RequireListIs(expected);
  RequireFirstAssocWins(expected);
  // The whole input once more as a number, not only values behind "sAssoc=".
  Require(ReadDecimalOption(text.c_str()) == ExpectedNumber(text.c_str()), "number of the whole input");

  strcpy(g_destinationDir, kScratchDestination);
  Require(CreateDestinationPath() == kDestinationCreated, "the scratch destination can be created");
  WriteInstalledOptions();
  const std::string installed = std::string(kScratchDestination) + "\\tova.opt";
  Require(sim::ReadFile(installed) == ExpectedInstalledOptions(expected), "tova.opt holds the list");
  Require(sim::FileExists(installed) == !expected.empty(), "tova.opt written exactly when there are settings");
  Require(sim::ReadFile(kOptionsFile) == text, "tovaopt.ini left as it was");
  Require(sim::OpenFileHandles() == 0, "every file closed");
  RequireNothingOutside(kScratchDestination, {kOptionsFile});
  return 0;
}
