#include "scratch.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

const char kScratchDestination[] = "C:\\FUZZ\\DEST";

namespace {

// Windows compares paths without regard to case.
bool StartsWith(const std::string &text, const std::string &prefix) {
  return text.size() >= prefix.size() && strncasecmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

bool SamePath(const std::string &a, const std::string &b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void LoadInstallerResources() { Require(sim::LoadResourceFile(SETUP_RES_PATH), "resources loaded", SETUP_RES_PATH); }

void StartInput() {
  sim::Reset();
  ResetInstallerState();
}

void Require(bool holds, const char *what, const std::string &detail) {
  if (holds) return;
  fprintf(stderr, "\n*** broken: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  abort();
}

void RequireNothingOutside(const std::string &destination, const std::vector<std::string> &allowedFiles) {
  const std::string inside = destination + "\\";
  for (const std::string &file : sim::ListFiles()) {
    bool allowed = StartsWith(file, inside);
    for (const std::string &other : allowedFiles) allowed = allowed || SamePath(file, other);
    Require(allowed, "file outside the destination", file);
  }
  for (const std::string &directory : sim::ListDirectories()) {
    bool driveRoot = directory.size() == 3;  // "C:\", there from the start
    std::string asParent = driveRoot ? directory : directory + "\\";
    bool onTheWay = driveRoot || StartsWith(inside, asParent);
    for (const std::string &other : allowedFiles) onTheWay = onTheWay || StartsWith(other, asParent);
    Require(onTheWay || StartsWith(directory, inside), "directory outside the destination", directory);
  }
}
