#include "support/installer_fixture.h"

#include <cstring>

#include "core/installer_state.h"
#include "core/messages.h"
#include "core/options.h"
#include "payload/copy_dialog.h"
#include "payload/payload_reader.h"
#include "resources/message_text.h"
#include "shell/exports.h"
#include "shell/program_group.h"
#include "ui/license_dialog.h"
#include "ui/dialog_ids.h"
#include "win32sim/testapi.h"

namespace {
const char *const kNoMessages[] = {nullptr};
}

void ResetInstallerState() {
  g_instance = nullptr;
  g_installerDir[0] = '\0';
  g_autorun = 1;
  g_languageIndex = 0;
  g_languageGiven = 0;
  g_noMessageBoxes = 0;
  strcpy(g_destinationDir, kDefaultDestination);
  g_destinationGiven = 0;
  g_logRequest = kNoLogAsked;
  g_logPath[0] = '\0';
  g_commandLine = "";
  g_mainProgramPath[0] = '\0';
  memset(g_associationFlags, 0, sizeof g_associationFlags);
  g_optionNames = nullptr;
  g_optionValues = nullptr;
  g_optionCount = 0;
  g_messageTables[0] = kEnglishMessages;
  for (LONG i = 1; i < kLanguageCount; ++i) g_messageTables[i] = kNoMessages;
  // The payload closed: what a previous test left open is let go (the
  // stand-in has already dropped its blocks and resources).
  ClosePayload();
  g_payloadFileCount = 0;
  g_payloadTotalSize = 0;
  g_payloadDelivered = 0;
  g_agreementFont = nullptr;
  g_extractionBegun = false;
  g_windowsGeneration = kWindowsUnknown;
  g_ddeInstance = 0;
  g_progmanName = nullptr;
}

void InstallerTest::SetUp() {
  // The resources of the product as built; Reset reloads them for every test.
  static bool resourcesLoaded = sim::LoadResourceFile(SETUP_RES_PATH);
  ASSERT_TRUE(resourcesLoaded) << SETUP_RES_PATH;
  sim::Reset();
  ResetInstallerState();
}

void InstallerTest::WriteOptionsFile(const std::string &text) { sim::WriteFile("C:\\dist\\tovaopt.ini", text); }

int InstallerTest::RunWinMain(const std::string &arguments) {
  std::vector<char> line(arguments.begin(), arguments.end());
  line.push_back('\0');
  return WinMain(nullptr, nullptr, line.data(), SW_SHOWNORMAL);
}

void InstallerTest::AcceptEveryDialog() {
  for (int dialog : {kPathDialogId, kLicenseDialogId, kAssocDialogId, kCompleteDialogId})
    sim::ScriptDialog(dialog, {sim::Press(kGoOnButtonId)});
}

void InstallerTest::FillDiskDuringCopy(long long bytes) {
  sim::SetDiskSpace(bytes);
  sim::SetDiskReport({1LL << 30});
}

std::vector<std::string> InstallerTest::MessageTexts() {
  std::vector<std::string> texts;
  for (const auto &box : sim::MessageBoxes()) texts.push_back(box.text);
  return texts;
}

std::vector<std::string> InstallerTest::StartedCommandLines() {
  std::vector<std::string> lines;
  for (const auto &start : sim::ProgramStarts()) lines.push_back(start.commandLine);
  return lines;
}
