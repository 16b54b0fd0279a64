// Extraction through the copy dialog: files on disk, installed-file records,
// every failure and its message, and names that try to leave the destination.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "core/messages.h"
#include "payload/copy_dialog.h"
#include "payload/destination_path.h"
#include "payload/payload_reader.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "ui/dialog_ids.h"
#include "ui/run_dialog.h"
#include "win32sim/testapi.h"

namespace {

const char kInstalledKey[] = "MoraLUME_TOVA\\installed";
const std::string kBigData(5000, 'z');

class ExtractionTest : public InstallerTest {
 protected:
  // Path creation refuses roots and folders too deep for every name; below
  // those, joining and refusing are extraction's own, tested without it.
  LONG ExtractInto(const std::string &destination, const std::string &resource, bool createPath = true) {
    InstallPayload(resource);
    strcpy(g_destinationDir, destination.c_str());
    EXPECT_EQ(OpenPayload(nullptr), kPayloadOpened);
    if (createPath) {
      EXPECT_EQ(CreateDestinationPath(), kDestinationCreated);
    }
    LONG result = RunDialog(nullptr, kCopyDialogId, nullptr, CopyDialogProc);
    ClosePayload();
    return result;
  }
  LONG Extract(const std::string &destination, const std::vector<ArchiveEntry> &entries, bool createPath = true) {
    return ExtractInto(destination, BuildPayloadResource(entries), createPath);
  }
  static std::vector<std::string> Records() { return sim::RegistrySubKeys(HKEY_CLASSES_ROOT, kInstalledKey); }
  static std::string Text(const char *key) { return GetMessageText(key); }
  // Every folder but the drives' roots.
  static std::vector<std::string> Folders() {
    std::vector<std::string> folders;
    for (const std::string &folder : sim::ListDirectories())
      if (folder.size() > 3) folders.push_back(folder);
    return folders;
  }
};

// Every file and directory lies inside `destination` (a Windows path).
void ExpectOnlyInside(const std::string &destination) {
  std::string prefix = destination + "\\";
  for (const std::string &file : sim::ListFiles()) EXPECT_EQ(file.rfind(prefix, 0), 0u) << file;
  for (const std::string &directory : sim::ListDirectories()) {
    bool isDriveRoot = directory.size() == 3;
    bool insideOrAbove = directory.rfind(prefix, 0) == 0 || prefix.rfind(directory, 0) == 0;
    EXPECT_TRUE(isDriveRoot || insideOrAbove) << directory;
  }
}

TEST_F(ExtractionTest, WritesEveryEntryAndRecordsIt) {
  EXPECT_EQ(Extract("C:\\MLUME", {{"lume32.exe", "MZ program"}, {"readme.txt", "Read me"}, {"DEFSCR!SCRIPTS", "script"}}), 0);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\lume32.exe"), "MZ program");
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\readme.txt"), "Read me");
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\SCRIPTS\\DEFSCR"), "script");
  EXPECT_STREQ(g_mainProgramPath, "C:\\MLUME\\lume32.exe");
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD", "lume32.exe", "readme.txt", "SCRIPTS$DEFSCR"}));
  EXPECT_EQ(sim::FolderSecurity("C:\\MLUME\\SCRIPTS"), kMadeFolderRights);
  EXPECT_EQ(sim::LiveSecurityDescriptors(), 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_EQ(sim::TimersNeverKilled(), 0);
  EXPECT_EQ(sim::OpenFileHandles(), 0);
  EXPECT_FALSE(sim::FileExists("C:\\MLUME\\DEF.TVD"));
  ExpectOnlyInside("C:\\MLUME");
}

// A subfolder left by an earlier installation is taken over like the
// destination; one that cannot be, or is a reparse point (never followed),
// fails its file as a folder that cannot be made does.
TEST_F(ExtractionTest, ExistingSubfolderIsTakenOverOrItsFileFails) {
  const std::string scripts = "C:\\MLUME\\SCRIPTS";
  const std::vector<ArchiveEntry> entries = {{"a.txt", "a"}, {"DEFSCR!SCRIPTS", "script"}, {"MORE!SCRIPTS", "more"}};
  sim::WriteFile(scripts + "\\old", "x");
  sim::WriteFile(scripts + "\\DEFSCR.~$00000001", "set aside by a run killed during its copy");
  EXPECT_EQ(Extract("C:\\MLUME", entries), 0);
  EXPECT_EQ(sim::FolderSecurity(scripts), kTakenFolderRights);
  EXPECT_FALSE(sim::FileExists(scripts + "\\DEFSCR.~$00000001"));
  EXPECT_EQ(sim::ReadFile(scripts + "\\MORE"), "more");
  for (bool junction : {false, true}) {
    SetUp();
    if (junction) {
      sim::MakeJunction(scripts, "C:\\Elsewhere");
    } else {
      CreateDirectoryA("C:\\MLUME", nullptr);
      CreateDirectoryA(scripts.c_str(), nullptr);
      sim::FailSecuritySetting(scripts);
    }
    EXPECT_EQ(Extract("C:\\MLUME", entries), -1);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Error creating destination file, the target disk may be full. "
                                                        "(-1)\r\n\r\nFilename=C:\\MLUME\\SCRIPTS\\DEFSCR\r\n\r\n"
                                                        "Installation aborted."}));
    EXPECT_TRUE(sim::ListFiles().empty()) << junction;
    EXPECT_EQ(sim::FolderSecurity(scripts), "");
    EXPECT_EQ(sim::FolderSecurity("C:\\Elsewhere"), "");
    EXPECT_EQ(sim::LiveSecurityDescriptors(), 0);
  }
}

TEST_F(ExtractionTest, RecordsEachFileBeforeItsDataIsWritten) {
  EXPECT_EQ(Extract("C:\\MLUME", {{"a.txt", "data"}, {"b.txt", "more"}}), 0);
  int previous = -1;
  for (std::string name : {"a.txt", "b.txt"}) {
    int created = sim::EventIndex("create C:\\MLUME\\" + name);
    int recorded = sim::EventIndex("registry HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\" + name + " = ");
    int written = sim::EventIndex("write C:\\MLUME\\" + name);
    EXPECT_LT(previous, created) << name;
    EXPECT_LT(created, recorded) << name;
    EXPECT_LT(recorded, written) << name;
    previous = written;
  }
  // Recorded even when no byte of it could be written, and taken away again
  // with its keys by the undoing of the copy, before the message.
  SetUp();
  FillDiskDuringCopy(0);
  EXPECT_EQ(Extract("C:\\MLUME", {{"a.txt", "data"}}), -1);
  EXPECT_NE(sim::EventIndex("registry HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\a.txt = "), -1);
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Text("errDest2")}));
}

TEST_F(ExtractionTest, EmptyArchiveStillRecordsTheUnextractedFile) {
  EXPECT_EQ(Extract("C:\\MLUME", {}), 0);
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_STREQ(g_mainProgramPath, "");
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD"}));
}

TEST_F(ExtractionTest, EmptyEntryGivesAnEmptyRecordedFile) {
  EXPECT_EQ(Extract("C:\\MLUME", {{"empty.dat", ""}}), 0);
  EXPECT_TRUE(sim::FileExists("C:\\MLUME\\empty.dat"));
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\empty.dat"), "");
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD", "empty.dat"}));
}

TEST_F(ExtractionTest, SeparatorOnlyWhereTheDestinationLacksOne) {
  EXPECT_EQ(Extract("C:\\", {{"README.TXT", "r"}}, false), 0);
  EXPECT_TRUE(sim::FileExists("C:\\README.TXT"));
  EXPECT_STREQ(g_mainProgramPath, "C:\\README.TXT");
}

TEST_F(ExtractionTest, DriveColonDestinationIsThatDrivesCurrentDirectory) {
  CreateDirectoryA("C:\\work", nullptr);
  sim::SetCurrentDirectory("C:\\work");
  EXPECT_EQ(Extract("C:", {{"README.TXT", "r"}}), 0);
  EXPECT_STREQ(g_mainProgramPath, "C:\\work\\README.TXT");
  EXPECT_TRUE(sim::FileExists("C:\\work\\README.TXT"));
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD", "README.TXT"}));
}

TEST_F(ExtractionTest, UnextractedRecordAlwaysGetsItsBackslash) {
  EXPECT_EQ(Extract("D:\\", {{"README.TXT", "r"}}, false), 0);
  EXPECT_TRUE(sim::FileExists("D:\\README.TXT"));
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD", "README.TXT"}));
}

TEST_F(ExtractionTest, BangInTheDestinationIsJustACharacter) {
  EXPECT_EQ(Extract("C:\\A!B", {{"README.TXT", "r"}, {"X!SUB", "x"}}), 0);
  EXPECT_TRUE(sim::FileExists("C:\\A!B\\README.TXT"));
  EXPECT_TRUE(sim::FileExists("C:\\A!B\\SUB\\X"));
}

// The name that the copy set `target` aside under, from the event log.
std::string AsideNameOf(const std::string &target) {
  const std::string prefix = "rename " + target + " -> ";
  int index = sim::EventIndex(prefix);
  return index < 0 ? "" : sim::Events()[index].substr(prefix.size());
}

// An existing file is renamed aside before its new copy is made, never over
// a name that is taken, and goes once every file is in place; a read-only
// one too. A folder in the way is never moved.
TEST_F(ExtractionTest, ExistingFileIsSetAsideThenRemoved) {
  const std::vector<ArchiveEntry> entries = {{"new.txt", "n"}, {"readme.txt", "new"}};
  auto plantEarlierFiles = [] {
    sim::WriteFile("C:\\MLUME\\readme.txt", std::string(10000, 'o'));
    sim::SetReadOnly("C:\\MLUME\\readme.txt", true);
    sim::WriteFile("C:\\MLUME\\gone.txt.~$0000ABCD", "nobody's: no gone.txt beside it");
    // Beside its file, but in a folder the copy neither made nor took over.
    sim::WriteFile("C:\\MLUME\\OTHER\\x.txt", "x");
    sim::WriteFile("C:\\MLUME\\OTHER\\x.txt.~$0000ABCD", "not looked at");
  };
  plantEarlierFiles();
  EXPECT_EQ(Extract("C:\\MLUME", entries), 0);
  const std::string firstChoice = AsideNameOf("C:\\MLUME\\readme.txt");
  ASSERT_EQ(firstChoice.size(), strlen("C:\\MLUME\\readme.txt.~$12345678"));
  // The same run again, with the name it chose taken by a file already.
  SetUp();
  plantEarlierFiles();
  sim::WriteFile(firstChoice, "taken");
  EXPECT_EQ(Extract("C:\\MLUME", entries), 0);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\readme.txt"), "new");
  const std::string aside = AsideNameOf("C:\\MLUME\\readme.txt");
  EXPECT_NE(aside, firstChoice);
  EXPECT_EQ(aside.substr(0, aside.size() - 8), firstChoice.substr(0, firstChoice.size() - 8));
  EXPECT_LT(sim::EventIndex("rename C:\\MLUME\\readme.txt"), sim::EventIndex("create C:\\MLUME\\readme.txt"));
  EXPECT_NE(sim::EventIndex("delete " + aside), -1);
  EXPECT_EQ(sim::EventIndex("rename C:\\MLUME\\new.txt"), -1);
  // The taken name beside readme.txt reads as a leftover of an earlier run
  // and goes too; the one beside no file stays, and so does the one in a
  // folder that is not the payload's.
  EXPECT_EQ(sim::ListFiles(),
            (std::vector<std::string>{"C:\\MLUME\\OTHER\\x.txt", "C:\\MLUME\\OTHER\\x.txt.~$0000ABCD",
                                      "C:\\MLUME\\gone.txt.~$0000ABCD", "C:\\MLUME\\new.txt", "C:\\MLUME\\readme.txt"}));
  EXPECT_TRUE(sim::DelayedDeletes().empty());
  SetUp();
  CreateDirectoryA("C:\\MLUME", nullptr);
  CreateDirectoryA("C:\\MLUME\\readme.txt", nullptr);
  EXPECT_EQ(Extract("C:\\MLUME", {{"readme.txt", "new"}}), -1);
  EXPECT_TRUE(sim::DirectoryExists("C:\\MLUME\\readme.txt"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                            "Error creating destination file, the target disk may be full. (-1)\r\n\r\n"
                            "Filename=C:\\MLUME\\readme.txt\r\n\r\nInstallation aborted."}));
}

// A file set aside that is still held (a running program) goes when Windows
// next starts; one held without sharing its renaming fails the copy, which
// is undone.
TEST_F(ExtractionTest, HeldFilesAreRemovedAtTheNextStartOrFailTheCopy) {
  sim::WriteFile("C:\\MLUME\\lume32.exe", "old");
  HANDLE running = CreateFileA("C:\\MLUME\\lume32.exe", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(running, INVALID_HANDLE_VALUE);
  sim::FailFileDeletion("C:\\MLUME\\lume32.exe.~$*");
  EXPECT_EQ(Extract("C:\\MLUME", {{"lume32.exe", "new"}}), 0);
  CloseHandle(running);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\lume32.exe"), "new");
  EXPECT_EQ(sim::DelayedDeletes(), (std::vector<std::string>{AsideNameOf("C:\\MLUME\\lume32.exe")}));

  SetUp();
  sim::WriteFile("C:\\MLUME\\a.txt", "old a");
  sim::WriteFile("C:\\MLUME\\b.txt", "old b");
  HANDLE locked = CreateFileA("C:\\MLUME\\b.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Extract("C:\\MLUME", {{"new.txt", "n"}, {"a.txt", "new a"}, {"b.txt", "new b"}}), -1);
  CloseHandle(locked);
  EXPECT_EQ(sim::ListFiles(), (std::vector<std::string>{"C:\\MLUME\\a.txt", "C:\\MLUME\\b.txt"}));
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\a.txt"), "old a");
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                            "Error creating destination file, the target disk may be full. (-1)\r\n\r\n"
                            "Filename=C:\\MLUME\\b.txt\r\n\r\nInstallation aborted."}));
}

TEST_F(ExtractionTest, LargeFilesArriveIntact) {
  std::string data;
  for (unsigned i = 0; i < 300000; ++i) data += static_cast<char>((i * 7919u) >> 3);
  EXPECT_EQ(Extract("C:\\MLUME", {{"big.bin", data}, {"after.txt", "after"}}), 0);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\big.bin"), data);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\after.txt"), "after");
}

TEST_F(ExtractionTest, StreamEndingInsideDataIsCorruptAndUndone) {
  std::string archive = BuildArchiveBytes({{"first.txt", "one"}});
  archive[0] = 2;  // two files, the second cut short
  archive += RawEntryBytes(8, std::string("cut.bin\0", 8), 5000, std::string(3000, 'c'));
  EXPECT_EQ(ExtractInto("C:\\MLUME", BuildPayloadResourceFromArchive(archive)), -1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Text("corData")}));
  EXPECT_NE(sim::EventIndex("create C:\\MLUME\\cut.bin"), -1);
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_EQ(Folders(), std::vector<std::string>{});
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

TEST_F(ExtractionTest, FullDiskShowsWriteErrorOnceTheCopyIsUndone) {
  FillDiskDuringCopy(3000);
  EXPECT_EQ(Extract("C:\\MLUME", {{"big.bin", kBigData}, {"never.txt", "n"}}), -1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Text("errDest2")}));
  EXPECT_LT(sim::EventIndex("delete C:\\MLUME\\big.bin"), sim::EventIndex("message "));
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(sim::MessageBoxes()[0].owner, nullptr);
  EXPECT_EQ(sim::MessageBoxes()[0].flags, static_cast<unsigned>(MB_OK));
}

TEST_F(ExtractionTest, UncreatableFileNamesTheOpenResultAndPath) {
  sim::FailFileCreation("C:\\MLUME\\second.txt");
  EXPECT_EQ(Extract("C:\\MLUME", {{"first.txt", "1"}, {"second.txt", "2"}, {"third.txt", "3"}}), -1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                            "Error creating destination file, the target disk may be full. (-1)\r\n\r\n"
                            "Filename=C:\\MLUME\\second.txt\r\n\r\nInstallation aborted."}));
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_TRUE(Records().empty());
}

TEST_F(ExtractionTest, FirstEntryIsTheMainProgramEvenWhenItCannotBeCreated) {
  sim::FailFileCreation("C:\\MLUME\\lume32.exe");
  EXPECT_EQ(Extract("C:\\MLUME", {{"lume32.exe", "MZ"}}), -1);
  EXPECT_STREQ(g_mainProgramPath, "C:\\MLUME\\lume32.exe");
}

TEST_F(ExtractionTest, TargetPathTooLongIsRefusedNotCut) {
  std::string destination = "C:\\" + std::string(240, 'd');  // 243 characters
  EXPECT_EQ(Extract(destination, {{"a-name-of-twenty.txt", "x"}}, false), -1);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_NE(sim::MessageBoxes()[0].text.find("(-1)"), std::string::npos);
  EXPECT_NE(sim::MessageBoxes()[0].text.find("a-name-of-twenty.txt"), std::string::npos);
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_STREQ(g_mainProgramPath, "");
}

TEST_F(ExtractionTest, FailedCopyBufferShowsNoMemory) {
  InstallPayload(BuildPayloadResource({{"a.txt", "a"}}));
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  sim::FailAllocations(0, 1);
  EXPECT_EQ(RunDialog(nullptr, kCopyDialogId, nullptr, CopyDialogProc), -1);
  ClosePayload();
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Text("noMem")}));
  EXPECT_TRUE(sim::ListFiles().empty());
}

TEST_F(ExtractionTest, TimerUnderAnErrorBoxDoesNotRestartExtraction) {
  sim::FailFileCreation("C:\\MLUME\\a.txt");
  sim::AnswerMessageBox(0, {5, 60, IDOK});
  EXPECT_EQ(Extract("C:\\MLUME", {{"a.txt", "a"}}), -1);
  EXPECT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].dialogBelow, kCopyDialogId);
  EXPECT_EQ(sim::TimersNeverKilled(), 0);
}

TEST_F(ExtractionTest, ClosingTheDialogBeforeTheTimerEndsWithMinusOne) {
  sim::ScriptDialog(kCopyDialogId, {sim::CloseBox()});
  EXPECT_EQ(Extract("C:\\MLUME", {{"a.txt", "a"}}), -1);
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_EQ(sim::TimersNeverKilled(), 0);
}

TEST_F(ExtractionTest, HugeDataSizeIsCorrupt) {
  std::string archive = BuildArchiveBytes({{"a.txt", ""}});
  archive.resize(archive.size() - 4);
  archive += std::string("\x00\x00\x00\x80", 4);
  EXPECT_EQ(ExtractInto("C:\\MLUME", BuildPayloadResourceFromArchive(archive)), -1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Text("corData")}));
  EXPECT_TRUE(sim::ListFiles().empty());
}

struct HostileName {
  std::string bytes;  // without the terminating zero
  uint8_t length;     // as the header claims, zero included
};

class HostileNameTest : public ExtractionTest, public ::testing::WithParamInterface<HostileName> {};

TEST_P(HostileNameTest, IsCorruptDataAndNothingLeavesTheDestination) {
  CreateDirectoryA("C:\\MLUME", nullptr);
  std::string archive = BuildArchiveBytes({{"first.txt", "ok"}});
  archive[0] = 2;
  archive += RawEntryBytes(GetParam().length, GetParam().bytes + std::string(1, '\0'), 4, "evil");
  archive += std::string(64, 'p');
  EXPECT_EQ(ExtractInto("C:\\MLUME\\SUB", BuildPayloadResourceFromArchive(archive)), -1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{Text("corData")}));
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_EQ(Folders(), (std::vector<std::string>{"C:\\MLUME"}));
  EXPECT_TRUE(Records().empty());
}

HostileName Name(const std::string &bytes) { return {bytes, static_cast<uint8_t>(bytes.size() + 1)}; }

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNameTest,
    ::testing::Values(Name("..\\evil"), Name("../evil"), Name("C:evil"), Name("\\evil"), Name("evil!.."),
                      Name("..!x"), Name("evil!..\\.."), Name("a!b!c"), Name("!x"), Name("x!"), Name(""), Name("."),
                      Name(".."), Name("..."), Name("a."), Name("a "), Name("CON"), Name("nul.txt"), Name("x!COM1"),
                      Name("LPT9.log"), Name("a\x01"), Name("a?b"), Name("a*"), Name("a|b"), Name("a\"b"),
                      Name("a<b"), HostileName{"abc", 0}, HostileName{"abc", 3}, HostileName{"abc", 53},
                      HostileName{std::string("ab\0cd", 5), 6}, Name(std::string(52, 'n'))));

}  // namespace
