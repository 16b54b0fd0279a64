// Faults of the platform in whole silent runs: a fault in the copy ends with
// its message once the machine is back as it was, an earlier installation
// included; one in the best-effort shell steps with a complete installation.
// Never a crash, never a byte outside the destination.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/installation.h"
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

// What the tests compare before and after a failed run: every file with its
// bytes, every folder, every key and value.
std::string MachineState() {
  std::string state;
  for (const std::string &file : sim::ListFiles()) state += file + " = " + sim::ReadFile(file) + "\n";
  for (const std::string &folder : sim::ListDirectories()) state += folder + "\\\n";
  return state + sim::DumpRegistry();
}

class FaultsTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InstallPayload(BuildPayloadResource(
        {{"main.exe", kFiles[0].data}, {"readme.txt", kFiles[1].data}, {"DEFSCR!SCRIPTS", kFiles[2].data}}));
    WriteOptionsFile("sSilent=1\nprefZoom=2\n");
  }
  // An earlier installation as its user left it: older payload files, one
  // read-only, their records, one file gone and one of the user's own.
  static void PlantEarlierInstallation() {
    sim::WriteFile("C:\\MLUME\\main.exe", "earlier main");
    sim::SetReadOnly("C:\\MLUME\\main.exe", true);
    sim::WriteFile("C:\\MLUME\\readme.txt", "changed by the user");
    sim::WriteFile("C:\\MLUME\\notes.txt", "the user's own");
    CreateDirectoryA("C:\\MLUME\\SCRIPTS", nullptr);
    for (const char *record : {"main.exe", "readme.txt", "SCRIPTS$DEFSCR", "DEF.TVD"})
      sim::SetRegistryString(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\MoraLUME_TOVA\\installed\\") + record, "", "");
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Classes\\MoraLUME_TOVA\\shell\\open\\command", "",
                           "C:\\MLUME\\main.exe %1");
  }
  static int Run() { return RunWinMain(); }
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
  // A copy that failed and was undone: its message, exit 3, the machine as
  // before the run, and none of the shell steps.
  static void ExpectUndone(int exitCode, const std::string &before, const std::string &message) {
    EXPECT_EQ(exitCode, kExitFailed);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{message}));
    EXPECT_EQ(MachineState(), before);
    EXPECT_TRUE(StartedCommandLines().empty());
    EXPECT_TRUE(sim::DdeCommandTexts().empty());
    EXPECT_TRUE(sim::DelayedDeletes().empty());
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

// ---- The disk filling up, on a fresh machine and over an earlier installation

struct DiskFull {
  const char *label;
  long long space;  // bytes the disk still takes
};

void PrintTo(const DiskFull &fault, std::ostream *out) { *out << fault.label; }

class DiskFullTest : public FaultsTest, public ::testing::WithParamInterface<std::tuple<DiskFull, bool>> {};

TEST_P(DiskFullTest, WriteErrorOnceTheCopyIsUndone) {
  if (std::get<1>(GetParam())) PlantEarlierInstallation();
  const std::string before = MachineState();
  FillDiskDuringCopy(std::get<0>(GetParam()).space);
  ExpectUndone(Run(), before, GetMessageText("errDest2"));
}

const size_t kMainSize = 5000;
INSTANTIATE_TEST_SUITE_P(
    Table, DiskFullTest,
    ::testing::Combine(::testing::Values(DiskFull{"FirstChunk", 0}, DiskFull{"FirstChunkPartly", 100},
                                         DiskFull{"MiddleChunk", kChunk + 100},
                                         DiskFull{"LastChunkOfAFile", kMainSize - 1},
                                         DiskFull{"LastChunkOfThePayload", kMainSize + 7 + 5}),
                       ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<DiskFull, bool>> &info) {
      return std::string(std::get<0>(info.param).label) + (std::get<1>(info.param) ? "OverAnEarlierOne" : "");
    });

// ---- A file that cannot be created, or replaced

class UncreatableFileTest : public FaultsTest, public ::testing::WithParamInterface<std::tuple<size_t, bool>> {};

TEST_P(UncreatableFileTest, CreateErrorNamesTheFile) {
  size_t failing = std::get<0>(GetParam());
  bool update = std::get<1>(GetParam());
  if (update) PlantEarlierInstallation();
  const std::string before = MachineState();
  // Over an earlier installation the file is there: held without sharing,
  // it cannot be set aside; new, it cannot be made.
  HANDLE held = INVALID_HANDLE_VALUE;
  if (update && sim::FileExists(kFiles[failing].path))
    held = CreateFileA(kFiles[failing].path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  else
    sim::FailFileCreation(kFiles[failing].path);
  int exitCode = Run();
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  ExpectUndone(exitCode, before,
               "Error creating destination file, the target disk may be full. (-1)\r\n\r\nFilename=" +
                   kFiles[failing].path + "\r\n\r\nInstallation aborted.");
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleLast, UncreatableFileTest,
                         ::testing::Combine(::testing::Values(0, 1, 2), ::testing::Bool()));

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
  for (bool update : {false, true}) {
    int messagesShown = 0;
    int completedDespiteTheFault = 0;
    int site = 0;
    for (;; ++site) {
      SetUp();
      if (update) PlantEarlierInstallation();
      const std::string before = MachineState();
      AcceptEveryDialog();
      sim::FailAllocations(site, 1);
      int exitCode = Run();
      if (sim::AllocationCalls() <= site) break;  // this run took fewer blocks: every site has failed once
      SCOPED_TRACE("allocation " + std::to_string(site) + (update ? " over an earlier installation" : ""));
      std::vector<std::string> messages = MessageTexts();
      if (messages.empty()) {
        ++completedDespiteTheFault;
        EXPECT_TRUE(AllFilesIntact());
        ASSERT_FALSE(StartedCommandLines().empty());
        EXPECT_EQ(StartedCommandLines().back(), kMainProgram);
        ExpectNothingOutsideOrLeftOpen();
      } else {
        ++messagesShown;
        // The window's block fails before anything is written.
        if (exitCode == kExitFailed) {
          ExpectUndone(exitCode, before, GetMessageText("noMem"));
        } else {
          EXPECT_EQ(messages, (std::vector<std::string>{GetMessageText("noMem")}));
          EXPECT_EQ(MachineState(), before);
        }
      }
    }
    // The window, the copy's journal and the three copy buffers end the run;
    // the options list, its strings and the shell's buffers do not.
    EXPECT_EQ(messagesShown, 5);
    EXPECT_GT(completedDespiteTheFault, 3);
    EXPECT_GT(site, 8);
  }
}

}  // namespace
