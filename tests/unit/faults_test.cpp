// Faults of the platform in whole silent runs: each ends with its message and
// what was written so far, or, in the best-effort shell steps, with a complete
// installation; never a crash, never a byte outside the destination.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/messages.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "ui/dialog_ids.h"
#include "win32sim/testapi.h"

namespace {

const char kOptionsFile[] = "C:\\dist\\tovaopt.ini";
const char kInstalledOptions[] = "C:\\MLUME\\tova.opt";
const char kMainProgram[] = "C:\\MLUME\\main.exe";
const char kClassKey[] = "MoraLUME_TOVA";
const char kOpenCommandKey[] = "MoraLUME_TOVA\\shell\\open\\command";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";
const size_t kChunk = 2048;

// main.exe takes three chunks: 2,048 + 2,048 + 904 bytes.
std::string MainData() {
  std::string data;
  for (unsigned i = 0; i < 5000; ++i) data += static_cast<char>('a' + i % 26);
  return data;
}

struct PayloadFile {
  std::string path;  // as written below C:\MLUME
  std::string data;
};
const std::vector<PayloadFile> kFiles = {
    {"C:\\MLUME\\main.exe", MainData()},
    {"C:\\MLUME\\readme.txt", "Read me"},
    {"C:\\MLUME\\SCRIPTS\\DEFSCR", "script"},
};

class FaultsTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InstallPayload(BuildPayloadResource(
        {{"main.exe", kFiles[0].data}, {"readme.txt", kFiles[1].data}, {"DEFSCR!SCRIPTS", kFiles[2].data}}));
    WriteOptionsFile("sSilent=1\nprefZoom=2\n");
  }
  static void Run() { RunWinMain(); }
  static bool AllFilesIntact() {
    for (const PayloadFile &file : kFiles)
      if (!sim::FileExists(file.path) || sim::ReadFile(file.path) != file.data) return false;
    return true;
  }
  // Nothing but the destination (and the options file beside the installer),
  // nothing left open or running.
  static void ExpectNothingOutsideOrLeftOpen() {
    for (const std::string &file : sim::ListFiles())
      EXPECT_TRUE(file == kOptionsFile || file.rfind("C:\\MLUME\\", 0) == 0) << file;
    for (const std::string &directory : sim::ListDirectories())
      EXPECT_TRUE(directory.size() == 3 || directory == "C:\\dist" || directory.rfind("C:\\MLUME", 0) == 0)
          << directory;
    EXPECT_EQ(sim::OpenFileHandles(), 0);
    EXPECT_EQ(sim::LoadedResources(), 0);
    EXPECT_EQ(sim::TimersNeverKilled(), 0);
    EXPECT_EQ(sim::OpenRegistryKeys(), 0);
    EXPECT_EQ(sim::LiveDdeInstances(), 0);
    EXPECT_EQ(sim::LiveDdeConversations(), 0);
    EXPECT_EQ(sim::LiveSecurityDescriptors(), 0);
    EXPECT_TRUE(sim::DialogFaults().empty());
  }
  // An ended extraction: its message, the files before the failing one
  // intact, no later file, and none of the shell steps.
  static void ExpectStoppedAt(size_t failingFile, const std::string &message) {
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{message}));
    for (size_t i = 0; i < failingFile; ++i) EXPECT_EQ(sim::ReadFile(kFiles[i].path), kFiles[i].data) << i;
    for (size_t i = failingFile + 1; i < kFiles.size(); ++i) EXPECT_FALSE(sim::FileExists(kFiles[i].path)) << i;
    EXPECT_TRUE(StartedCommandLines().empty());
    EXPECT_TRUE(sim::DdeCommandTexts().empty());
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, kOpenCommandKey));
    EXPECT_FALSE(sim::FileExists(kInstalledOptions));
    ExpectNothingOutsideOrLeftOpen();
  }
  static void ExpectCompleteWithoutMessage() {
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_TRUE(AllFilesIntact());
    EXPECT_EQ(sim::FolderSecurity("C:\\MLUME\\SCRIPTS"), kMadeFolderRights);
    EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"C:\\MLUME\\lume32.exe -Q", kMainProgram}));
    ExpectNothingOutsideOrLeftOpen();
  }
};

// ---- The disk filling up

struct DiskFull {
  const char *label;
  long long space;      // bytes the disk still takes
  size_t failingFile;   // index into kFiles
  size_t bytesWritten;  // of the failing file
};

void PrintTo(const DiskFull &fault, std::ostream *out) { *out << fault.label; }

class DiskFullTest : public FaultsTest, public ::testing::WithParamInterface<DiskFull> {};

TEST_P(DiskFullTest, WriteErrorLeavesThePartialFile) {
  const DiskFull &fault = GetParam();
  FillDiskDuringCopy(fault.space);
  Run();
  ExpectStoppedAt(fault.failingFile, GetMessageText("errDest2"));
  const PayloadFile &failing = kFiles[fault.failingFile];
  EXPECT_EQ(sim::ReadFile(failing.path), failing.data.substr(0, fault.bytesWritten));
}

const size_t kMainSize = 5000;
INSTANTIATE_TEST_SUITE_P(
    Table, DiskFullTest,
    ::testing::Values(DiskFull{"FirstChunk", 0, 0, 0}, DiskFull{"FirstChunkPartly", 100, 0, 100},
                      DiskFull{"MiddleChunk", kChunk + 100, 0, kChunk + 100},
                      DiskFull{"LastChunkOfAFile", kMainSize - 1, 0, kMainSize - 1},
                      DiskFull{"LastChunkOfThePayload", kMainSize + 7 + 5, 2, 5}),
    [](const ::testing::TestParamInfo<DiskFull> &info) { return info.param.label; });

// ---- A file that cannot be created

class UncreatableFileTest : public FaultsTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(UncreatableFileTest, CreateErrorNamesTheFile) {
  size_t failing = GetParam();
  sim::FailFileCreation(kFiles[failing].path);
  Run();
  ExpectStoppedAt(failing, "Error creating destination file, the target disk may be full. (-1)\r\n\r\nFilename=" +
                               kFiles[failing].path + "\r\n\r\nInstallation aborted.");
  EXPECT_FALSE(sim::FileExists(kFiles[failing].path));
  // The first file is the main program even when it could not be created.
  EXPECT_EQ(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed\\main.exe"), failing > 0);
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleLast, UncreatableFileTest, ::testing::Values(0, 1, 2));

// ---- Best-effort steps: the installation completes without a message

TEST_F(FaultsTest, UnwritableRegistryStillInstallsEverythingElse) {
  sim::SetRegistryWritable(false);
  Run();
  ExpectCompleteWithoutMessage();
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, ".gif"));
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), 7u);
  const std::string zero(1, '\0');
  EXPECT_EQ(sim::ReadFile(kInstalledOptions),
            std::string("\x02", 1) + zero + "sSilent" + zero + "1" + zero + "prefZoom" + zero + "2" + zero);
}

TEST_F(FaultsTest, NoProgramManagerStillInstallsEverythingElse) {
  sim::SetProgmanPresent(false);
  Run();
  ExpectCompleteWithoutMessage();
  EXPECT_TRUE(sim::ProgmanGroups().empty());
  EXPECT_TRUE(sim::DdeCommandTexts().empty());
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, kOpenCommandKey));
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(FaultsTest, NoShortPathsUsesTheLongPathEverywhere) {
  sim::FailShortPaths(true);
  Run();
  ExpectCompleteWithoutMessage();
  std::vector<std::string> items = sim::ProgmanItems("MoraLUME");
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[0], "MoraLUME|C:\\MLUME\\main.exe|C:\\MLUME\\main.exe|");
  EXPECT_GT(sim::ShortPathQueries(), 0);
}

TEST_F(FaultsTest, ReadOnlyOptionsFileIsTreatedAsAbsentAndKept) {
  sim::SetReadOnly(kOptionsFile, true);
  AcceptEveryDialog();
  Run();
  // Not silent: the dialogs appear, and no options travel to tova.opt.
  ASSERT_NE(sim::LastDialogRun(kPathDialogId), nullptr);
  EXPECT_TRUE(sim::LastDialogRun(kPathDialogId)->shown);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(AllFilesIntact());
  EXPECT_FALSE(sim::FileExists(kInstalledOptions));
  EXPECT_EQ(sim::ReadFile(kOptionsFile), "sSilent=1\nprefZoom=2\n");
  ExpectNothingOutsideOrLeftOpen();
}

TEST_F(FaultsTest, InstalledOptionsFileAlreadyThereIsLeftAsItWas) {
  sim::WriteFile(kInstalledOptions, "earlier");
  Run();
  ExpectCompleteWithoutMessage();
  EXPECT_EQ(sim::ReadFile(kInstalledOptions), "earlier");
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed\\tova.opt"));
}

// ---- The Program Manager refusing, or not answering, each command in turn

enum class PeerFault { kRefuses, kTimesOut };
struct DdeFault {
  size_t command;  // index among the 16 commands of a sound run
  PeerFault fault;
};

void PrintTo(const DdeFault &fault, std::ostream *out) {
  *out << "command " << fault.command << (fault.fault == PeerFault::kRefuses ? " refused" : " timing out");
}

class DdeCommandFaultTest : public FaultsTest, public ::testing::WithParamInterface<DdeFault> {
 protected:
  // The commands of a sound run, in order: create, show, seven deletes, the
  // program and uninstall items, five text items.
  static std::vector<std::string> SoundRunCommands() {
    static const std::vector<std::string> commands = [] {
      sim::Reset();
      ResetInstallerState();
      InstallPayload(BuildPayloadResource({{"main.exe", "m"}}));
      sim::WriteFile(kOptionsFile, "sSilent=1\n");
      Run();
      return sim::DdeCommandTexts();
    }();
    return commands;
  }
};

TEST_P(DdeCommandFaultTest, GroupStepEndsWhereItMustAndTheRunCompletes) {
  std::vector<std::string> commands = SoundRunCommands();
  ASSERT_EQ(commands.size(), 16u);
  SetUp();
  const DdeFault &fault = GetParam();
  if (fault.fault == PeerFault::kRefuses)
    sim::RefuseDdeCommand(commands[fault.command]);
  else
    sim::TimeOutDdeCommand(commands[fault.command]);
  Run();
  ExpectCompleteWithoutMessage();
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, kOpenCommandKey));
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // Create and delete failures change nothing; the show and every item end
  // the step, keeping the items added before.
  size_t k = fault.command;
  bool ignored = k >= 2 && k <= 8;
  size_t sent = ignored ? 16 : k <= 1 ? 2 : k + 1;
  size_t items = ignored ? 7 : k <= 1 ? 0 : k - 9;
  EXPECT_EQ(sim::DdeCommandTexts(), std::vector<std::string>(commands.begin(), commands.begin() + sent));
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), items);
}

std::vector<DdeFault> EveryCommandBothWays() {
  std::vector<DdeFault> faults;
  for (size_t command = 0; command < 16; ++command)
    for (PeerFault fault : {PeerFault::kRefuses, PeerFault::kTimesOut}) faults.push_back({command, fault});
  return faults;
}

INSTANTIATE_TEST_SUITE_P(EachCommand, DdeCommandFaultTest, ::testing::ValuesIn(EveryCommandBothWays()),
                         [](const ::testing::TestParamInfo<DdeFault> &info) {
                           return "Command" + std::to_string(info.param.command) +
                                  (info.param.fault == PeerFault::kRefuses ? "Refused" : "TimesOut");
                         });

// ---- Memory running out at each allocation of a whole run

TEST_F(FaultsTest, EachFailedAllocationEndsWithNoMemOrACompleteInstallation) {
  int messagesShown = 0;
  int completedDespiteTheFault = 0;
  int site = 0;
  for (;; ++site) {
    SetUp();
    AcceptEveryDialog();
    sim::FailAllocations(site, 1);
    Run();
    if (sim::AllocationCalls() <= site) break;  // this run took fewer blocks: every site has failed once
    SCOPED_TRACE("allocation " + std::to_string(site));
    std::vector<std::string> messages = MessageTexts();
    if (messages.empty()) {
      ++completedDespiteTheFault;
      EXPECT_TRUE(AllFilesIntact());
      ASSERT_FALSE(StartedCommandLines().empty());
      EXPECT_EQ(StartedCommandLines().back(), kMainProgram);
    } else {
      ++messagesShown;
      EXPECT_EQ(messages, (std::vector<std::string>{GetMessageText("noMem")}));
      EXPECT_TRUE(StartedCommandLines().empty());
    }
    ExpectNothingOutsideOrLeftOpen();
  }
  // The window and the three copy buffers end the run; the options list,
  // its strings and the shell's buffers do not.
  EXPECT_EQ(messagesShown, 4);
  EXPECT_GT(completedDespiteTheFault, 3);
  EXPECT_GT(site, 8);
}

}  // namespace
