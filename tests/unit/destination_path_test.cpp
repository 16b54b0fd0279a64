// Creating the destination directories.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "payload/destination_path.h"
#include "payload/payload_reader.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

class DestinationPathTest : public InstallerTest {
 protected:
  int Create(const std::string &destination) {
    strcpy(g_destinationDir, destination.c_str());
    return CreateDestinationPath();
  }
};

TEST_F(DestinationPathTest, CreatesTheDefaultDestination) {
  EXPECT_EQ(Create("C:\\MLUME"), kDestinationCreated);
  EXPECT_TRUE(sim::DirectoryExists("C:\\MLUME"));
  EXPECT_STREQ(g_destinationDir, "C:\\MLUME");
  EXPECT_EQ(sim::FolderSecurity("C:\\MLUME"), kMadeFolderRights);
  EXPECT_EQ(sim::LiveSecurityDescriptors(), 0);
}

TEST_F(DestinationPathTest, StripsLeadingBlanksAndTabsAndCreatesEveryLevel) {
  EXPECT_EQ(Create("  \tC:\\A\\B\\"), kDestinationCreated);
  EXPECT_STREQ(g_destinationDir, "C:\\A\\B\\");
  EXPECT_TRUE(sim::DirectoryExists("C:\\A"));
  EXPECT_TRUE(sim::DirectoryExists("C:\\A\\B"));
  EXPECT_EQ(sim::FolderSecurity("C:\\A"), kMadeFolderRights);
  EXPECT_EQ(sim::FolderSecurity("C:\\A\\B"), kMadeFolderRights);
}

TEST_F(DestinationPathTest, KeepsInnerBlanksAndBecomesTheFullPath) {
  EXPECT_EQ(Create(" C:\\My Pictures/view"), kDestinationCreated);
  EXPECT_STREQ(g_destinationDir, "C:\\My Pictures\\view");
  EXPECT_TRUE(sim::DirectoryExists("C:\\My Pictures\\view"));
}

TEST_F(DestinationPathTest, ExistingDirectoriesAreNoError) {
  sim::WriteFile("C:\\A\\B\\old.txt", "x");
  EXPECT_EQ(Create("C:\\A\\B\\C"), kDestinationCreated);
  EXPECT_TRUE(sim::DirectoryExists("C:\\A\\B\\C"));
  EXPECT_EQ(sim::ReadFile("C:\\A\\B\\old.txt"), "x");
  EXPECT_EQ(sim::FolderSecurity("C:\\A\\B\\C"), kMadeFolderRights);
  EXPECT_EQ(sim::FolderSecurity("C:\\A\\B"), "");
}

// Folders above that were there keep their rights; the destination, which
// any user may have made before, or an earlier installation left open, is
// taken over. A folder made by the installer is never given them twice.
TEST_F(DestinationPathTest, ExistingDestinationIsTakenOverItsParentsKeepTheirRights) {
  CreateDirectoryA("C:\\Image Tools", nullptr);
  EXPECT_EQ(Create("C:\\Image Tools\\MoraLUME"), kDestinationCreated);
  EXPECT_EQ(sim::FolderSecurity("C:\\Image Tools"), "");
  EXPECT_EQ(sim::FolderSecurity("C:\\Image Tools\\MoraLUME"), kMadeFolderRights);
  sim::WriteFile("C:\\MLUME\\old.txt", "x");
  for (const char *typed : {"C:\\MLUME", "C:\\mlume\\"}) {
    EXPECT_EQ(Create(typed), kDestinationCreated) << typed;
    EXPECT_EQ(sim::FolderSecurity("C:\\MLUME"), kTakenFolderRights) << typed;
  }
  EXPECT_EQ(sim::LiveSecurityDescriptors(), 0);
}

// What is there and cannot be made ours is refused like a path that cannot
// be formed; a reparse point is never followed.
TEST_F(DestinationPathTest, ExistingDestinationThatCannotBeTakenOverIsRefused) {
  sim::MakeJunction("C:\\LINKED", "C:\\Users\\Someone");
  sim::WriteFile("C:\\AFILE", "x");
  CreateDirectoryA("C:\\LOCKED", nullptr);
  sim::FailSecuritySetting("C:\\LOCKED");
  for (const char *typed : {"C:\\LINKED", "C:\\AFILE", "C:\\LOCKED"}) {
    EXPECT_EQ(Create(typed), kDestinationUnformable) << typed;
    EXPECT_EQ(sim::FolderSecurity(typed), "") << typed;
  }
  EXPECT_EQ(sim::FolderSecurity("C:\\Users\\Someone"), "");
  EXPECT_EQ(sim::LiveSecurityDescriptors(), 0);
}

// Whatever form names it, a drive or share root is no destination, nor is a
// device path, nor a folder too deep for the longest name of the archive
// (51 characters, one subfolder included, behind a separator) with the 11 of
// the name it is set aside under; nothing is made for any of them.
TEST_F(DestinationPathTest, RootsDevicePathsAndFoldersTooDeepAreRefusedBeforeAnythingIsMade) {
  struct Case {
    std::string typed, current;
  };
  const std::string deep = "C:\\" + std::string(205, 'x');  // 208 characters
  const Case cases[] = {{"C:\\", "C:\\"},          {"\\", "C:\\work"},       {"/", "C:\\work"},
                        {"C:", "C:\\"},            {".", "C:\\"},              {"D:.", "C:\\"},
                        {"C:\\.", "C:\\work"},     {"C:\\..\\", "C:\\work"},   {"C:/", "C:\\work"},
                        {"..\\..", "C:\\work"},    {"C:\\work\\..", "C:\\"},   {"D:\\", "C:\\"},
                        {"\\\\?\\C:\\", "C:\\"},    {"\\\\.\\C:\\", "C:\\"},     {"\\\\?\\C:\\MLUME", "C:\\"},
                        {"\\\\server\\share", "C:\\"}, {"//server/share/", "C:\\"}, {"\\\\server\\share\\a\\..", "C:\\"},
                        {deep, "C:\\"},            {deep + "\\", "C:\\"}};
  for (const Case &c : cases) {
    SetUp();
    CreateDirectoryA("C:\\work", nullptr);
    sim::SetCurrentDirectory(c.current);
    EXPECT_EQ(Create(c.typed), kDestinationUnformable) << c.typed;
    EXPECT_EQ(g_destinationDir, c.typed);
    EXPECT_EQ(sim::ListDirectories(), (std::vector<std::string>{"C:\\", "C:\\work", "D:\\"})) << c.typed;
    for (const char *root : {"C:\\", "D:\\", "C:\\work"}) EXPECT_EQ(sim::FolderSecurity(root), "") << c.typed;
  }
}

TEST_F(DestinationPathTest, RelativeAndDriveRelativeFormsUseTheCurrentDirectory) {
  sim::SetCurrentDirectory("C:\\work");
  CreateDirectoryA("C:\\work", nullptr);
  EXPECT_EQ(Create("viewer\\bin"), kDestinationCreated);
  EXPECT_TRUE(sim::DirectoryExists("C:\\work\\viewer\\bin"));
  EXPECT_EQ(Create("C:other"), kDestinationCreated);
  EXPECT_TRUE(sim::DirectoryExists("C:\\work\\other"));
  EXPECT_STREQ(g_destinationDir, "C:\\work\\other");
  EXPECT_EQ(Create("\\root"), kDestinationCreated);
  EXPECT_STREQ(g_destinationDir, "C:\\root");
}

TEST_F(DestinationPathTest, EmptyDestinationCannotBeFormed) {
  sim::SetCurrentDirectory("D:\\work");
  EXPECT_EQ(Create(""), kDestinationUnformable);
  EXPECT_EQ(Create("  \t"), kDestinationUnformable);
  EXPECT_STREQ(g_destinationDir, "");
  EXPECT_TRUE(sim::ListDirectories() == (std::vector<std::string>{"C:\\", "D:\\"}));
}

TEST_F(DestinationPathTest, FullPathThatDoesNotFitCannotBeFormed) {
  // Short as typed, but 264 characters once made absolute.
  sim::SetCurrentDirectory("C:\\" + std::string(250, 'c'));
  EXPECT_EQ(Create("abcdefghij"), kDestinationUnformable);
  EXPECT_STREQ(g_destinationDir, "abcdefghij");
  EXPECT_FALSE(sim::DirectoryExists("C:\\" + std::string(250, 'c')));
  // The longest name of the archive, set aside by an update, fits below a
  // folder of 196 characters, or of 197 that end in a separator.
  EXPECT_EQ(Create("C:\\" + std::string(194, 'w')), kDestinationUnformable);
  EXPECT_EQ(Create("C:\\" + std::string(193, 'x')), kDestinationCreated);
  EXPECT_EQ(Create("C:\\" + std::string(193, 'y') + "\\"), kDestinationCreated);
  EXPECT_EQ(Create("C:\\" + std::string(194, 'z') + "\\"), kDestinationUnformable);
}

// Room for the archive's total and one cluster per file, as free to the user
// on the volume of the deepest folder that exists, or nothing is made or
// changed; a free space that cannot be learnt refuses nothing.
TEST_F(DestinationPathTest, TooLittleRoomIsRefusedBeforeAnythingIsMade) {
  const long long total = 100000, needed = total + 3 * 4096, neededInBigClusters = total + 3 * 65536;
  struct Case {
    const char *typed, *asked;
    sim::DiskReport report;
    int result;
  };
  const Case cases[] = {{"C:\\A\\B\\C", "C:\\A", {needed}, kDestinationCreated},
                        {"C:\\A\\B\\C", "C:\\A", {needed - 1}, kDestinationNoRoom},
                        {"C:\\A\\", "C:\\A", {needed - 1}, kDestinationNoRoom},
                        {"D:\\NEW\\SUB", "D:\\", {needed - 1}, kDestinationNoRoom},
                        {"C:\\A\\B", "C:\\A", {neededInBigClusters, 128, 512}, kDestinationCreated},
                        {"C:\\A\\B", "C:\\A", {neededInBigClusters - 1, 128, 512}, kDestinationNoRoom},
                        {"C:\\A\\B", "C:\\A", {needed, 128, 512, false, true}, kDestinationCreated},
                        {"C:\\A\\B", "C:\\A", {needed - 1, 128, 512, false, true}, kDestinationNoRoom},
                        {"C:\\A\\B", "C:\\A", {0, 8, 512, true}, kDestinationCreated}};
  for (const Case &c : cases) {
    SetUp();
    CreateDirectoryA("C:\\A", nullptr);
    g_payloadTotalSize = total;
    g_payloadFileCount = 3;
    sim::SetDiskReport(c.report);
    const std::string trace = std::string(c.typed) + " " + std::to_string(c.report.freeBytes);
    EXPECT_EQ(Create(c.typed), c.result) << trace;
    EXPECT_EQ(sim::DiskSpaceQueries(), std::vector<std::string>{c.asked}) << trace;
    if (c.result == kDestinationNoRoom) {
      EXPECT_EQ(sim::ListDirectories(), (std::vector<std::string>{"C:\\", "C:\\A", "D:\\"})) << trace;
      EXPECT_EQ(sim::FolderSecurity("C:\\A"), "") << trace;
    }
  }
}

TEST_F(DestinationPathTest, UncreatableDirectoryIsNotReportedHere) {
  sim::FailDirectoryCreation("C:\\LOCKED");
  EXPECT_EQ(Create("C:\\LOCKED\\SUB"), kDestinationCreated);
  EXPECT_FALSE(sim::DirectoryExists("C:\\LOCKED"));
}

}  // namespace
