// The whole run from WinMain: dialogs in order, every way out with what the
// user saw, and what is left on disk, in the registry and started.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <regex>

#include "core/installation.h"
#include "core/installer_state.h"
#include "core/messages.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "ui/dialog_ids.h"
#include "win32sim/testapi.h"

namespace {

using sim::UserStep;

const char kClassKey[] = "MoraLUME_TOVA";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";

class InstallationTest : public InstallerTest {
 protected:
  int Run(const std::string &arguments = "") { return RunWinMain(arguments); }
  static std::vector<int> DialogsShown() {
    std::vector<int> ids;
    for (const auto &run : sim::DialogRuns())
      if (run.shown) ids.push_back(run.templateId);
    return ids;
  }
  static std::vector<int> DialogsRun() {
    std::vector<int> ids;
    for (const auto &run : sim::DialogRuns()) ids.push_back(run.templateId);
    return ids;
  }
  // Nothing but the options file beside the installer.
  static bool NothingInstalled() {
    std::vector<std::string> files = sim::ListFiles();
    files.erase(std::remove(files.begin(), files.end(), "C:\\dist\\tovaopt.ini"), files.end());
    return files.empty() && !sim::RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey) &&
           !sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && sim::ProgramStarts().empty() &&
           sim::DdeCommandTexts().empty();
  }
  static bool AllAssociated() {
    for (const char *extension : {".gif", ".jpg", ".pcx", ".png", ".bmp", ".rle", ".dib", ".tif", ".tga", ".pcd"})
      if (sim::RegistryString(HKEY_CLASSES_ROOT, extension) != std::optional<std::string>("MoraLume_TOVA"))
        return false;
    return true;
  }
  static bool AnyAssociated() { return sim::RegistryKeyExists(HKEY_CLASSES_ROOT, ".gif"); }
};

TEST_F(InstallationTest, InteractiveRunInstallsEverythingAndStartsTheProgram) {
  WriteOptionsFile("prefZoom=2\n");
  AcceptEveryDialog();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(DialogsShown(), (std::vector<int>{kPathDialogId, kLicenseDialogId, kAssocDialogId, kCopyDialogId,
                                              kCompleteDialogId}));
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_TRUE(sim::FileExists("C:\\MLUME\\lume32.exe"));
  EXPECT_TRUE(sim::FileExists("C:\\MLUME\\SCRIPTS\\DEFSCR"));
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\tova.opt"), std::string("\x01\x00prefZoom\x00" "2\x00", 13));
  EXPECT_EQ(sim::RegistryString(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\shell\\open\\command"),
            std::optional<std::string>("C:\\MLUME\\lume32.exe \"%1\""));
  EXPECT_TRUE(AllAssociated());
  EXPECT_EQ(sim::RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
            std::optional<std::string>("C:\\MLUME\\lume32.exe . -u"));
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), 7u);
  EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"C:\\MLUME\\lume32.exe -Q", "C:\\MLUME\\lume32.exe"}));
  EXPECT_EQ(sim::ProgramStarts().back().show, static_cast<UINT>(SW_SHOWNORMAL));
  EXPECT_EQ(sim::LoadedResources(), 0);  // the payload was closed
  EXPECT_TRUE(sim::DialogFaults().empty());
  // The run was marked as the only one before its first dialog, and the mark let go.
  EXPECT_EQ(sim::MutexNames(), (std::vector<std::string>{"Global\\MoraLUME Setup"}));
  EXPECT_LT(sim::EventIndex("mutex Global\\MoraLUME Setup"), sim::EventIndex("dialog "));
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

TEST_F(InstallationTest, DllSearchIsLimitedToTheSystemFolderBeforeAnythingElse) {
  for (bool available : {true, false}) {
    SetUp();
    sim::SetDefaultDllDirectoriesAvailable(available);
    WriteOptionsFile("sSilent=1\n");
    EXPECT_EQ(Run(), kExitCompleted);
    std::vector<std::string> first(sim::Events().begin(), sim::Events().begin() + 2);
    if (available)
      EXPECT_EQ(first, (std::vector<std::string>{"dll-search default 800", "dll-search directory "}));
    else  // a system without it still drops the current directory
      EXPECT_EQ(first[0], "dll-search directory ");
  }
}

TEST_F(InstallationTest, MissingPayloadShowsDataNotFoundAndNoDialog) {
  RemovePayload();
  EXPECT_EQ(Run(), kExitNotBegun);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "Installation data not found. (Executable is corrupted.)");
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(sim::MessageBoxes()[0].owner, nullptr);
  EXPECT_EQ(sim::MessageBoxes()[0].flags, static_cast<unsigned>(MB_OK));
  EXPECT_TRUE(sim::DialogRuns().empty());
  EXPECT_TRUE(NothingInstalled());
}

TEST_F(InstallationTest, DamagedPayloadShowsCorruptedData) {
  InstallPayload(PayloadResourceAround("not a zlib stream"));
  EXPECT_EQ(Run(), kExitNotBegun);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Corrupted data. Installation aborted."}));
  EXPECT_TRUE(sim::DialogRuns().empty());
  EXPECT_TRUE(NothingInstalled());
}

// The payload's checksum (512/302) is checked before the first dialog: a
// payload that does not match it, or one too short to hold it, shows
// "corData" and changes nothing at all; later fields are not read; a payload
// without one, from a tool that writes none, installs.
TEST_F(InstallationTest, ChecksumIsCheckedBeforeAnythingIsShownOrWritten) {
  enum class Stored { kBuilt, kNone, kThreeBytes, kWithLaterFields };
  struct Case {
    const char *label;
    bool byteChanged;  // one byte of the payload's last kilobyte
    Stored checksum;
    int exitCode;
  };
  const Case cases[] = {{"built", false, Stored::kBuilt, kExitCompleted},
                        {"later fields", false, Stored::kWithLaterFields, kExitCompleted},
                        {"none", false, Stored::kNone, kExitCompleted},
                        {"byte changed", true, Stored::kBuilt, kExitNotBegun},
                        {"three bytes", false, Stored::kThreeBytes, kExitNotBegun}};
  for (const Case &c : cases) {
    SetUp();
    AcceptEveryDialog();
    std::string payload = sim::FindResource(512, 301)->bytes, checksum = sim::FindResource(512, 302)->bytes;
    ASSERT_EQ(checksum.size(), 6u);  // the CRC-32, then the code page of the names
    if (c.byteChanged) payload[payload.size() - 700] ^= 0x10;
    InstallPayload(payload, PayloadChecksum::kNone);
    if (c.checksum == Stored::kBuilt) InstallChecksumResource(checksum);
    if (c.checksum == Stored::kThreeBytes) InstallChecksumResource(checksum.substr(0, 3));
    if (c.checksum == Stored::kWithLaterFields) InstallChecksumResource(checksum + std::string("\xE4\x04", 2));
    const std::vector<std::string> files = sim::ListFiles(), folders = sim::ListDirectories();
    const std::string registry = sim::DumpRegistry();

    EXPECT_EQ(Run(), c.exitCode) << c.label;
    EXPECT_EQ(sim::LoadedResources(), 0) << c.label;
    if (c.exitCode == kExitCompleted) {
      EXPECT_TRUE(sim::MessageBoxes().empty()) << c.label;
      EXPECT_EQ(sim::ReadFile("C:\\MLUME\\lume32.exe").substr(0, 2), "MZ") << c.label;
      continue;
    }
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Corrupted data. Installation aborted."})) << c.label;
    EXPECT_TRUE(sim::DialogRuns().empty()) << c.label;
    EXPECT_EQ(sim::ListFiles(), files) << c.label;
    EXPECT_EQ(sim::ListDirectories(), folders) << c.label;
    EXPECT_EQ(sim::DumpRegistry(), registry) << c.label;
    EXPECT_TRUE(sim::ProgramStarts().empty()) << c.label;
  }
}

// A second run while one is going, or one that cannot mark itself as the
// only one, shows its message in the run's language before the payload is
// even looked for, and changes nothing.
TEST_F(InstallationTest, SecondRunShowsItsMessageAndChangesNothing) {
  const char *const kGermanTable[] = {"Grunning\0L\xE4uft schon.", nullptr};
  for (bool held : {true, false}) {
    SetUp();
    AcceptEveryDialog();
    g_messageTables[1] = kGermanTable;
    sim::SetCountryCode("49");
    if (held)
      sim::HoldMutex("Global\\MoraLUME Setup");
    else
      sim::FailMutexCreation(true);
    RemovePayload();  // its message would come first if it were looked for
    const std::vector<std::string> files = sim::ListFiles(), folders = sim::ListDirectories();
    const std::string registry = sim::DumpRegistry();

    EXPECT_EQ(Run(), kExitNotBegun) << held;
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"L\xE4uft schon."})) << held;
    EXPECT_TRUE(sim::DialogRuns().empty()) << held;
    EXPECT_EQ(sim::ListFiles(), files) << held;
    EXPECT_EQ(sim::ListDirectories(), folders) << held;
    EXPECT_EQ(sim::DumpRegistry(), registry) << held;
    EXPECT_EQ(sim::OpenFileHandles(), 0) << held;  // the other run's mutex is not kept open
  }
}

// A disk that reports too little room for the payload: the full disk's
// message once the destination is known, and nothing written at all, not
// even the destination folder; silent runs too.
TEST_F(InstallationTest, TooLittleRoomShowsTheFullDiskMessageAndChangesNothing) {
  for (bool silent : {false, true}) {
    SetUp();
    AcceptEveryDialog();
    WriteOptionsFile(silent ? "sSilent=1\n" : "prefZoom=2\n");
    sim::SetDiskReport({20000});  // the sample's files take some 24 kB
    const std::vector<std::string> files = sim::ListFiles(), folders = sim::ListDirectories();
    const std::string registry = sim::DumpRegistry();

    EXPECT_EQ(Run(), kExitNotBegun) << silent;
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{GetMessageText("errDest2")})) << silent;
    EXPECT_EQ(DialogsRun().back(), kAssocDialogId) << silent;
    EXPECT_EQ(sim::ListFiles(), files) << silent;
    EXPECT_EQ(sim::ListDirectories(), folders) << silent;
    EXPECT_EQ(sim::DumpRegistry(), registry) << silent;
    EXPECT_TRUE(StartedCommandLines().empty()) << silent;
    EXPECT_TRUE(sim::DdeCommandTexts().empty()) << silent;
    EXPECT_EQ(sim::LoadedResources(), 0) << silent;
  }
}

TEST_F(InstallationTest, NoMemoryForThePayloadWindow) {
  // Start-up takes the two list arrays; the reader's window is the next block.
  sim::FailAllocations(2, 1);
  EXPECT_EQ(Run(), kExitNotBegun);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Not enough memory to complete installation."}));
  EXPECT_TRUE(NothingInstalled());
}

TEST_F(InstallationTest, ExitInThePathOrLicenceDialogWritesNothing) {
  for (int dialog : {kPathDialogId, kLicenseDialogId}) {
    SetUp();
    AcceptEveryDialog();
    sim::ScriptDialog(dialog, {sim::Press(kExitButtonId)});
    EXPECT_EQ(Run(), kExitCancelled);
    EXPECT_EQ(DialogsRun().back(), dialog);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_TRUE(NothingInstalled()) << dialog;
    EXPECT_EQ(sim::LoadedResources(), 0) << dialog;
  }
}

TEST_F(InstallationTest, ExitInTheChecklistWritesNothing) {
  AcceptEveryDialog();
  sim::ScriptDialog(kAssocDialogId, {sim::Escape()});
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_EQ(DialogsRun().back(), kAssocDialogId);
  EXPECT_TRUE(NothingInstalled());
  // Closing the copy dialog before its timer ends the run before anything is
  // written, and the destination's folders made for the copy go again.
  SetUp();
  AcceptEveryDialog();
  sim::ScriptDialog(kCopyDialogId, {sim::CloseBox()});
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_EQ(DialogsRun().back(), kCopyDialogId);
  EXPECT_NE(sim::EventIndex("mkdir C:\\MLUME"), -1);
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_FALSE(sim::DirectoryExists("C:\\MLUME"));
}

TEST_F(InstallationTest, SkipInstallsEverythingButTheAssociations) {
  AcceptEveryDialog();
  sim::ScriptDialog(kAssocDialogId, {sim::Press(kSkipButtonId)});
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(sim::FileExists("C:\\MLUME\\readme.txt"));
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed\\readme.txt"));
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\shell\\open\\command"));
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(sim::ProgmanItems("MoraLUME").size(), 7u);
  EXPECT_FALSE(AnyAssociated());
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license"));
  EXPECT_EQ(StartedCommandLines().size(), 2u);
}

class UnformablePathTest : public InstallationTest {
 protected:
  void SetUp() override {
    InstallationTest::SetUp();
    // A relative path of 250 characters is 261 once made absolute against this.
    CreateDirectoryA("C:\\work", nullptr);
    sim::SetCurrentDirectory("C:\\work\\dir");
    AcceptEveryDialog();
  }
  const std::string kTooLong = std::string(250, 'p');
};

TEST_F(UnformablePathTest, MessageThenThePathDialogAgainThenAShorterPathInstalls) {
  sim::ScriptDialogShowings(kPathDialogId, {{sim::Type(kPathEntryId, kTooLong), sim::Press(kGoOnButtonId)},
                                            {sim::Inspect(), sim::Type(kPathEntryId, "D:\\VIEW"), sim::Press(kGoOnButtonId)}});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Unable to create the path you've entered."}));
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(sim::MessageBoxes()[0].dialogBelow, 0);
  EXPECT_EQ(DialogsShown(), (std::vector<int>{kPathDialogId, kLicenseDialogId, kAssocDialogId, kPathDialogId,
                                              kCopyDialogId, kCompleteDialogId}));
  // The second showing offers what was entered before.
  const sim::DialogRun &second = sim::DialogRuns()[3];
  EXPECT_EQ(second.views[0].Control(kPathEntryId)->text, kTooLong);
  EXPECT_TRUE(sim::FileExists("D:\\VIEW\\lume32.exe"));
  EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"D:\\VIEW\\lume32.exe -Q", "D:\\VIEW\\lume32.exe"}));
}

TEST_F(UnformablePathTest, ExitInTheRepeatedPathDialogEndsTheRun) {
  sim::ScriptDialogShowings(kPathDialogId, {{sim::Type(kPathEntryId, kTooLong), sim::Press(kGoOnButtonId)},
                                            {sim::Press(kExitButtonId)}});
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(DialogsRun().back(), kPathDialogId);
  EXPECT_TRUE(NothingInstalled());
  EXPECT_EQ(sim::LoadedResources(), 0);
}

TEST_F(UnformablePathTest, RepeatsForAsLongAsThePathCannotBeFormed) {
  sim::ScriptDialogShowings(kPathDialogId, {{sim::Type(kPathEntryId, kTooLong), sim::Press(kGoOnButtonId)},
                                            {sim::Press(kGoOnButtonId)},
                                            {sim::Press(kGoOnButtonId)},
                                            {sim::Type(kPathEntryId, "C:\\OK"), sim::Press(kGoOnButtonId)}});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(MessageTexts().size(), 3u);
  EXPECT_TRUE(sim::FileExists("C:\\OK\\lume32.exe"));
}

// Neither the current directory for an emptied entry, nor a root in any
// form, nor a folder too deep for the archive's longest name; nothing is
// made, and no folder's rights change.
TEST_F(UnformablePathTest, EmptiedEntriesRootsAndFoldersTooDeepAreRefused) {
  struct Case {
    std::string typed, current;
  };
  const Case cases[] = {{"", "C:\\work\\dir"}, {" \t ", "C:\\work\\dir"}, {"C:\\", "C:\\work"}, {"\\", "C:\\work"},
                        {".", "C:\\"},           {"C:", "C:\\"},           {"C:\\..\\", "C:\\work"},
                        {"\\\\?\\C:\\", "C:\\"}, {"\\\\server\\share\\", "C:\\"}, {"C:\\" + std::string(205, 'd'), "C:\\"}};
  for (const Case &c : cases) {
    SetUp();
    sim::SetCurrentDirectory(c.current);
    sim::ScriptDialogShowings(kPathDialogId, {{sim::Type(kPathEntryId, c.typed), sim::Press(kGoOnButtonId)},
                                              {sim::Press(kExitButtonId)}});
    EXPECT_EQ(Run(), kExitCancelled);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Unable to create the path you've entered."})) << c.typed;
    EXPECT_EQ(DialogsRun().back(), kPathDialogId);
    EXPECT_TRUE(NothingInstalled()) << c.typed;
    EXPECT_EQ(sim::ListDirectories(), (std::vector<std::string>{"C:\\", "C:\\work", "D:\\"})) << c.typed;
    EXPECT_EQ(sim::FolderSecurity("C:\\"), "");
  }
}

// The default destination, already there, is refused when its rights cannot
// be replaced; another one then installs.
TEST_F(UnformablePathTest, ExistingDestinationWhoseRightsCannotBeSetIsRefused) {
  CreateDirectoryA("C:\\MLUME", nullptr);
  sim::FailSecuritySetting("C:\\MLUME");
  sim::ScriptDialogShowings(kPathDialogId, {{sim::Press(kGoOnButtonId)}, {sim::Press(kExitButtonId)}});
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Unable to create the path you've entered."}));
  EXPECT_TRUE(NothingInstalled());
  EXPECT_EQ(sim::FolderSecurity("C:\\MLUME"), "");

  SetUp();
  CreateDirectoryA("C:\\MLUME", nullptr);
  sim::FailSecuritySetting("C:\\MLUME");
  sim::ScriptDialogShowings(kPathDialogId, {{sim::Press(kGoOnButtonId)},
                                            {sim::Type(kPathEntryId, "C:\\Image Tools\\MoraLUME"), sim::Press(kGoOnButtonId)}});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(MessageTexts().size(), 1u);
  EXPECT_TRUE(sim::FileExists("C:\\Image Tools\\MoraLUME\\lume32.exe"));
  EXPECT_FALSE(sim::FileExists("C:\\MLUME\\lume32.exe"));
  EXPECT_EQ(sim::FolderSecurity("C:\\Image Tools"), kMadeFolderRights);
}

// Whatever the user types, the files, their records and every command name
// one absolute folder, and every start runs the program installed there.
TEST_F(UnformablePathTest, EveryAcceptedDestinationInstallsCompletelyAndStartsOnlyItsProgram) {
  struct Case {
    std::string typed, installedIn;
  };
  const std::string longFolder = "C:\\" + std::string(121, 'L');  // every file's path passes 128 characters
  const Case cases[] = {{"C:\\Program Files\\MoraLUME", "C:\\Program Files\\MoraLUME"},
                        {longFolder, longFolder},
                        {"MLUME", "C:\\work\\dir\\MLUME"},
                        {"C:MLUME", "C:\\work\\dir\\MLUME"},
                        {"\\MLUME", "C:\\MLUME"}};
  for (const Case &c : cases) {
    SetUp();
    sim::WriteFile("C:\\Program.exe", "planted");  // named like the first word of "C:\Program Files"
    WriteOptionsFile("prefZoom=2\n");  // so that tova.opt is written too
    sim::ScriptDialog(kPathDialogId, {sim::Type(kPathEntryId, c.typed), sim::Press(kGoOnButtonId)});
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(MessageTexts().empty()) << c.typed;
    EXPECT_EQ(sim::FolderSecurity(c.installedIn), kMadeFolderRights) << c.typed;
    EXPECT_EQ(sim::FolderSecurity(c.installedIn + "\\SCRIPTS"), kMadeFolderRights) << c.typed;
    const std::string program = c.installedIn + "\\lume32.exe";
    for (const char *file : {"lume32.exe", "readme.txt", "SCRIPTS\\DEFSCR", "tova.opt"})
      EXPECT_TRUE(sim::FileExists(c.installedIn + "\\" + file)) << c.typed << " " << file;
    ASSERT_EQ(sim::ProgramStarts().size(), 2u) << c.typed;
    for (const sim::ProgramStart &start : sim::ProgramStarts())
      EXPECT_EQ(start.program, program) << start.commandLine;
    EXPECT_EQ(sim::ProgramFor(*sim::RegistryString(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\shell\\open\\command")), program);
    EXPECT_EQ(sim::ProgramFor(*sim::RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString")), program);
    EXPECT_EQ(sim::ReadFile("C:\\Program.exe"), "planted");
  }
}

TEST_F(UnformablePathTest, SilentModeShowsThePathDialogWithDefPathAfterARefusal) {
  WriteOptionsFile("sSilent=1\nsDefPathNT=D:\\APPS\\VIEW\n");
  // The silent default is itself made unformable here: a relative destination.
  sim::SetCurrentDirectory("C:\\" + std::string(200, 'c') + "\\" + std::string(54, 'c'));
  strcpy(g_destinationDir, "MLUME");
  sim::ScriptDialog(kPathDialogId, {sim::Inspect(), sim::Press(kGoOnButtonId)});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Unable to create the path you've entered."}));
  EXPECT_EQ(DialogsShown(), (std::vector<int>{kPathDialogId, kCopyDialogId}));
  EXPECT_EQ(sim::LastDialogRun(kPathDialogId)->views[0].Control(kPathEntryId)->text, "D:\\APPS\\VIEW");
  EXPECT_TRUE(sim::FileExists("D:\\APPS\\VIEW\\lume32.exe"));
}

TEST_F(InstallationTest, SilentRunShowsOnlyTheCopyDialog) {
  WriteOptionsFile("sSilent=1\r\n");
  EXPECT_EQ(Run("-noautorun"), 0);
  EXPECT_EQ(DialogsShown(), (std::vector<int>{kCopyDialogId}));
  EXPECT_EQ(DialogsRun(), (std::vector<int>{kAssocDialogId, kCopyDialogId}));
  EXPECT_TRUE(sim::FileExists("C:\\MLUME\\lume32.exe"));
  EXPECT_TRUE(AllAssociated());
  // Started at the end even with -noautorun.
  EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"C:\\MLUME\\lume32.exe -Q", "C:\\MLUME\\lume32.exe"}));
}

// Silent runs keep the built-in destination despite "sDefPathNT"; "-dir="
// chooses another, and is what the path dialog proposes when there is one.
TEST_F(InstallationTest, DestinationOfTheCommandLineWinsOverDefaultAndDefPath) {
  struct Case {
    bool silent;
    std::string arguments, installedIn;
  };
  const Case cases[] = {{true, "", "C:\\MLUME"},
                        {true, "-dir=\"C:\\Program Files\\MoraLUME\"", "C:\\Program Files\\MoraLUME"},
                        {true, "-noautorun -DIR=D:\\VIEW", "D:\\VIEW"},
                        {false, "", "D:\\APPS\\VIEW"},
                        {false, "-dir=\"C:\\Program Files\\MoraLUME\"", "C:\\Program Files\\MoraLUME"}};
  for (const Case &c : cases) {
    SetUp();
    AcceptEveryDialog();
    sim::ScriptDialog(kPathDialogId, {sim::Inspect(), sim::Press(kGoOnButtonId)});
    WriteOptionsFile(std::string(c.silent ? "sSilent=1\n" : "") + "sDefPathNT=D:\\APPS\\VIEW\n");
    EXPECT_EQ(Run(c.arguments), 0) << c.arguments;
    EXPECT_TRUE(MessageTexts().empty()) << c.arguments;
    EXPECT_TRUE(sim::FileExists(c.installedIn + "\\lume32.exe")) << c.arguments;
    const auto quiet = sim::RegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    EXPECT_EQ(sim::ProgramFor(quiet.value_or("")), c.installedIn + "\\lume32.exe") << c.arguments;
    EXPECT_EQ(sim::DirectoryExists("D:\\APPS"), c.installedIn == "D:\\APPS\\VIEW") << c.arguments;
    if (!c.silent)
      EXPECT_EQ(sim::LastDialogRun(kPathDialogId)->views[0].Control(kPathEntryId)->text, c.installedIn);
    else
      EXPECT_EQ(sim::LastDialogRun(kPathDialogId), nullptr);
  }
}

// Without boxes a silent run shows only the copy dialog and starts only the
// quick start: nobody is there to see the program, which would run with the
// installer's rights. The option counts by its presence, like "sSilent".
TEST_F(InstallationTest, RunWithoutBoxesStartsNothingAtTheEnd) {
  struct Case {
    const char *options, *arguments;
    std::vector<int> shown;
  };
  const std::vector<int> silent = {kCopyDialogId};
  const std::vector<int> interactive = {kPathDialogId, kLicenseDialogId, kAssocDialogId, kCopyDialogId,
                                        kCompleteDialogId};
  const Case cases[] = {{"sSilent=1\n", "-nomsgbox", silent},
                        {"sSilent=1\nsNoMsgBox=1\n", "", silent},
                        {"sNoMsgBox=0\nsSilent=1\n", "", silent},
                        {"prefZoom=2\n", "-NoMsgBox", interactive}};
  for (const Case &c : cases) {
    SetUp();
    AcceptEveryDialog();
    WriteOptionsFile(c.options);
    EXPECT_EQ(Run(c.arguments), kExitCompleted) << c.options << c.arguments;
    EXPECT_EQ(DialogsShown(), c.shown) << c.options << c.arguments;
    EXPECT_TRUE(AllAssociated()) << c.options << c.arguments;
    EXPECT_EQ(StartedCommandLines(), std::vector<std::string>{"C:\\MLUME\\lume32.exe -Q"}) << c.options << c.arguments;
  }
}

// Without boxes every way out ends the run with its exit code and nothing
// shown; where the path dialog would come back after a refused destination,
// the run ends instead with exit 1, nothing written.
TEST_F(InstallationTest, RunWithoutBoxesShowsNoneAndLeavesTheMachineAsItWas) {
  struct Case {
    const char *label;
    std::string options, arguments;
    void (*prepare)();
    int exitCode;
    std::vector<int> run;  // the dialogs run
  };
  const std::vector<int> checklist = {kAssocDialogId}, copy = {kAssocDialogId, kCopyDialogId};
  const std::string noBoxes = "sSilent=1\nsNoMsgBox=1\n";
  const Case cases[] = {
      {"damaged", noBoxes, "", [] { InstallPayload(PayloadResourceAround("not a zlib stream")); }, kExitNotBegun, {}},
      {"no room", noBoxes, "", [] { sim::SetDiskReport({20000}); }, kExitNotBegun, checklist},
      {"copy failed", noBoxes, "", [] { sim::FailFileCreation("C:\\MLUME\\order.txt"); }, kExitFailed, copy},
      {"root", noBoxes, "-dir=C:\\", [] {}, kExitNotBegun, checklist},
      {"root by switch", "sSilent=1\n", "-nomsgbox -dir=C:\\", [] {}, kExitNotBegun, checklist},
      {"rights", noBoxes, "", [] { CreateDirectoryA("C:\\MLUME", nullptr); sim::FailSecuritySetting("C:\\MLUME"); },
       kExitNotBegun, checklist},
      {"too deep", noBoxes, "-dir=\"C:\\Image Tools\\" + std::string(200, 'd') + "\"", [] {}, kExitNotBegun, checklist},
      {"too long", noBoxes, "-dir=C:\\" + std::string(kPathSize, 'd'), [] {}, kExitNotBegun, checklist},
      {"lost quote", noBoxes, "-dir=\"C:\\Program Files\\MoraLUME", [] {}, kExitNotBegun, checklist},
      {"typed root", "sNoMsgBox=1\n", "",
       [] {
         sim::ScriptDialogShowings(kPathDialogId, {{sim::Type(kPathEntryId, "C:\\"), sim::Press(kGoOnButtonId)},
                                                   {sim::Press(kExitButtonId)}});
       },
       kExitNotBegun, {kPathDialogId, kLicenseDialogId, kAssocDialogId}},
  };
  for (const Case &c : cases) {
    SetUp();
    AcceptEveryDialog();
    // Were the path dialog to come back, whoever answered it would leave.
    sim::ScriptDialog(kPathDialogId, {sim::Press(kExitButtonId)});
    WriteOptionsFile(c.options);
    c.prepare();
    const std::vector<std::string> files = sim::ListFiles(), folders = sim::ListDirectories();
    const std::string registry = sim::DumpRegistry();
    EXPECT_EQ(Run(c.arguments), c.exitCode) << c.label;
    EXPECT_TRUE(sim::MessageBoxes().empty()) << c.label;
    EXPECT_EQ(DialogsRun(), c.run) << c.label;
    EXPECT_EQ(sim::ListFiles(), files) << c.label;
    EXPECT_EQ(sim::ListDirectories(), folders) << c.label;
    EXPECT_EQ(sim::DumpRegistry(), registry) << c.label;
    EXPECT_TRUE(StartedCommandLines().empty()) << c.label;
    EXPECT_EQ(sim::LoadedResources(), 0) << c.label;
  }
}

// The log names each step with its time, one CR LF line each; a value from
// outside, here a class planted in the registry, cannot start a line.
TEST_F(InstallationTest, LogNamesEveryStepAndNoValueCanForgeALine) {
  CreateDirectoryA("C:\\logs", nullptr);
  const std::string forged = "2026-01-01 00:00:00.000  End: exit code 0, installed";
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile\r\n" + forged);
  WriteOptionsFile("sSilent=1\nprefZoom=2\n");
  EXPECT_EQ(Run("-log=\"C:\\logs\\run 1.log\""), kExitCompleted);
  const std::string log = sim::ReadFile("C:\\logs\\run 1.log");
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(log.substr(start, end - start));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(log.size(), log.rfind("\r\n") + 2) << "the last line ends CR LF";
  size_t associations = 0;
  const std::regex timed("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  \\S");
  for (const std::string &line : lines) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    ASSERT_GT(line.size(), 25u);
    EXPECT_TRUE(std::regex_search(line, timed)) << line;
    EXPECT_NE(line, forged);
    associations += line.compare(25, 13, "Association .") == 0;
  }
  EXPECT_EQ(associations, 10u);
  auto has = [&](const std::string &text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string &line) { return line.substr(25) == text; });
  };
  EXPECT_TRUE(has("Option prefZoom=2"));
  EXPECT_TRUE(has("Association .gif: earlier class giffile<0D><0A>" + forged +
                  ", backup MoraLUME_TOVA\\license\\ins.gif; now MoraLume_TOVA"));
  EXPECT_TRUE(has("File written: C:\\MLUME\\lume32.exe, " + std::to_string(sim::ReadFile("C:\\MLUME\\lume32.exe").size()) +
                  " bytes"));
  EXPECT_TRUE(has("Record HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\SCRIPTS$DEFSCR: made"));
  EXPECT_TRUE(has("Program Manager: [CreateGroup(MoraLUME)] accepted"));
  EXPECT_TRUE(has("Started C:\\MLUME\\lume32.exe -Q"));
  EXPECT_TRUE(has("Started C:\\MLUME\\lume32.exe"));
  EXPECT_EQ(lines.back().substr(25), "End: exit code 0, installed");
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

// The log is written with the installer's rights, often where any user may
// plant a file or link at its name: it is only ever a new file, or one
// plain file named on the command line, never what a link leads to. A log
// that cannot be made stops the run before anything is written.
TEST_F(InstallationTest, LogIsOnlyANewFileOrAPlainOneAskedFor) {
  struct Case {
    const char *label, *options;
    std::string arguments;
    void (*prepare)();
    int exitCode;
  };
  const std::string planted = "C:\\WINDOWS\\win.ini";
  const Case cases[] = {
      {"bare -log at a planted name", "", "-log", [] { sim::QueueRandomBytes(std::vector<BYTE>(8, 0)); },
       kExitCompleted},
      {"sLog over a file", "sLog=C:\\logs\\run.log\n", "", [] { sim::WriteFile("C:\\logs\\run.log", "planted"); },
       kExitNotBegun},
      {"sLog not a text file", "sLog=C:\\logs\\run.cmd\n", "", [] {}, kExitNotBegun},
      {"-log through a link", "", "-log=C:\\logs\\run.log",
       [] { sim::MakeFileLink("C:\\logs\\run.log", "C:\\WINDOWS\\win.ini"); }, kExitNotBegun},
      {"-log below a junction", "", "-log=C:\\logs\\j\\win.ini", [] { sim::MakeJunction("C:\\logs\\j", "C:\\WINDOWS"); },
       kExitNotBegun},
      {"-log on a second name", "", "-log=C:\\logs\\run.log",
       [] { sim::MakeHardLink("C:\\logs\\run.log", "C:\\WINDOWS\\win.ini"); }, kExitNotBegun},
      {"-log in a missing folder", "", "-log=C:\\nowhere\\run.log", [] {}, kExitNotBegun},
      {"-log over a plain file", "", "-log=C:\\logs\\run.log", [] { sim::WriteFile("C:\\logs\\run.log", "planted"); },
       kExitCompleted},
  };
  for (const Case &c : cases) {
    SetUp();
    sim::WriteFile(planted, "planted");
    sim::WriteFile("C:\\WINDOWS\\TEMP\\MoraLUME Setup 0000000000000000.log", "planted");
    CreateDirectoryA("C:\\logs", nullptr);
    WriteOptionsFile(std::string("sSilent=1\n") + c.options);
    c.prepare();
    EXPECT_EQ(Run(c.arguments), c.exitCode) << c.label;
    EXPECT_EQ(sim::ReadFile(planted), "planted") << c.label;
    EXPECT_EQ(sim::ReadFile("C:\\WINDOWS\\TEMP\\MoraLUME Setup 0000000000000000.log"), "planted") << c.label;
    EXPECT_EQ(sim::DirectoryExists("C:\\MLUME"), c.exitCode == kExitCompleted) << c.label;
    EXPECT_EQ(sim::OpenFileHandles(), 0) << c.label;
    std::vector<std::string> logs;
    for (const std::string &file : sim::ListFiles())
      if (sim::ReadFile(file).find("  End: exit code 0, installed\r\n") != std::string::npos) logs.push_back(file);
    EXPECT_EQ(logs.size(), c.exitCode == kExitCompleted ? 1u : 0u) << c.label;
    if (c.exitCode != kExitCompleted) {
      EXPECT_TRUE(StartedCommandLines().empty()) << c.label;
      EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey)) << c.label;
      EXPECT_EQ(MessageTexts().size(), 1u) << c.label;
      EXPECT_EQ(MessageTexts().front().rfind("The log could not be created:\r\n\r\nC:\\", 0), 0u) << c.label;
    }
  }
}

TEST_F(InstallationTest, SilentRunWithNegativeAssocEndsAtTheChecklist) {
  WriteOptionsFile("sSilent=1\nsAssoc=-1\n");
  EXPECT_EQ(Run(), kExitCancelled);
  EXPECT_EQ(DialogsRun(), (std::vector<int>{kAssocDialogId}));
  EXPECT_TRUE(NothingInstalled());
}

TEST_F(InstallationTest, SilentRunWithAssocZeroOrLowBitsZeroAssociatesNothing) {
  for (const char *value : {"0", "256"}) {
    SetUp();
    WriteOptionsFile(std::string("sSilent=1\nsAssoc=") + value + "\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(sim::FileExists("C:\\MLUME\\lume32.exe")) << value;
    EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\shell\\open\\command")) << value;
    EXPECT_FALSE(AnyAssociated()) << value;
  }
}

TEST_F(InstallationTest, ExitInTheCompletionDialogLeavesACompleteInstallationUnstarted) {
  WriteOptionsFile("prefZoom=2\n");
  AcceptEveryDialog();
  sim::ScriptDialog(kCompleteDialogId, {sim::Press(kExitButtonId)});
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(sim::FileExists("C:\\MLUME\\tova.opt"));
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed\\tova.opt"));
  EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"C:\\MLUME\\lume32.exe -Q"}));
}

TEST_F(InstallationTest, NoAutorunCompletionStartsNothingMore) {
  AcceptEveryDialog();
  sim::ScriptDialog(kCompleteDialogId, {sim::Escape()});
  EXPECT_EQ(Run("-noautorun"), 0);
  const sim::DialogRun *completion = sim::LastDialogRun(kCompleteDialogId);
  ASSERT_NE(completion, nullptr);
  ASSERT_FALSE(completion->views.empty());
  EXPECT_FALSE(completion->views[0].Control(kGoOnButtonId)->visible);
  EXPECT_EQ(completion->views[0].focusId, kExitButtonId);
  EXPECT_EQ(StartedCommandLines(), (std::vector<std::string>{"C:\\MLUME\\lume32.exe -Q"}));
}

TEST_F(InstallationTest, FirstStartComesBeforeTheOptionsFileAndTheCompletionDialog) {
  AcceptEveryDialog();
  sim::ScriptDialog(kCompleteDialogId, {sim::Inspect(), sim::Press(kGoOnButtonId)});
  EXPECT_EQ(Run("-language=G"), 0);
  // tova.opt holds the language entry that was added after the -Q start.
  std::string options = sim::ReadFile("C:\\MLUME\\tova.opt");
  EXPECT_EQ(options, std::string("\x01\x00prefLanguage\x00" "71\x00", 18));
  std::vector<sim::RegistryEvent> log = sim::RegistryLog();
  EXPECT_EQ(log.back().key, "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\tova.opt");
  int firstStart = sim::EventIndex("start C:\\MLUME\\lume32.exe -Q");
  ASSERT_GE(firstStart, 0);
  EXPECT_LT(firstStart, sim::EventIndex("create C:\\MLUME\\tova.opt"));
  EXPECT_LT(firstStart, sim::EventIndex("registry HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\tova.opt"));
  EXPECT_LT(firstStart, sim::EventIndex("dialog " + std::to_string(kCompleteDialogId)));
  EXPECT_LT(sim::EventIndex("end " + std::to_string(kCopyDialogId) + " 0"), firstStart);
}

TEST_F(InstallationTest, FinalStartUsesTheShortPathOrFallsBackToTheLongOne) {
  AcceptEveryDialog();
  sim::SetShortPath("C:\\MLUME\\lume32.exe", "C:\\MLUME\\LUME32~1.EXE");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(StartedCommandLines().back(), "C:\\MLUME\\LUME32~1.EXE");
  SetUp();
  AcceptEveryDialog();
  sim::FailShortPaths(true);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(StartedCommandLines().back(), "C:\\MLUME\\lume32.exe");
}

// The copy is undone before its message: what the run made goes; what
// cannot go is named, and the exit code says so.
TEST_F(InstallationTest, FailedCopyIsUndoneThenShowsItsMessage) {
  for (bool deletable : {true, false}) {
    SetUp();
    AcceptEveryDialog();
    sim::FailFileCreation("C:\\MLUME\\order.txt");
    if (!deletable) sim::FailFileDeletion("C:\\MLUME\\lume32.exe");
    EXPECT_EQ(Run(), deletable ? kExitFailed : kExitNotRestored);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const std::string &text = sim::MessageBoxes()[0].text;
    EXPECT_NE(text.find("Filename=C:\\MLUME\\order.txt"), std::string::npos);
    EXPECT_EQ(text.find("Not restored"), deletable ? std::string::npos : text.find("Not restored: C:\\MLUME\\lume32.exe"));
    EXPECT_EQ(sim::ListFiles(), deletable ? std::vector<std::string>{}
                                          : std::vector<std::string>{"C:\\MLUME\\lume32.exe"});
    EXPECT_EQ(sim::DirectoryExists("C:\\MLUME"), !deletable);
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA"));
    EXPECT_TRUE(StartedCommandLines().empty());
    EXPECT_TRUE(sim::DdeCommandTexts().empty());
    EXPECT_EQ(sim::LoadedResources(), 0);
  }
}

}  // namespace
