// Creating the destination directories.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "payload/destination_path.h"
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
}

TEST_F(DestinationPathTest, StripsLeadingBlanksAndTabsAndCreatesEveryLevel) {
  EXPECT_EQ(Create("  \tC:\\A\\B\\"), kDestinationCreated);
  EXPECT_STREQ(g_destinationDir, "C:\\A\\B\\");
  EXPECT_TRUE(sim::DirectoryExists("C:\\A"));
  EXPECT_TRUE(sim::DirectoryExists("C:\\A\\B"));
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
  EXPECT_EQ(Create("C:\\" + std::string(256, 'x')), kDestinationCreated);  // 259 characters fit
}

TEST_F(DestinationPathTest, UncreatableDirectoryIsNotReportedHere) {
  sim::FailDirectoryCreation("C:\\LOCKED");
  EXPECT_EQ(Create("C:\\LOCKED\\SUB"), kDestinationCreated);
  EXPECT_FALSE(sim::DirectoryExists("C:\\LOCKED"));
}

}  // namespace
