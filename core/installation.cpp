#include "core/installation.h"

#include "core/messages.h"
#include "core/options.h"

int RunInstallation() {
  ReadInstallerOptions();
  AutoSelectLanguage();
  return 0;
}
