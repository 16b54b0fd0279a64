// The language entry and "tova.opt", the options handed to the installed program.
#include <windows.h>

#include <cstring>

#include "core/installed_options.h"
#include "core/installer_state.h"
#include "core/options.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

class InstalledOptionsTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    CreateOptionsList();
    ASSERT_TRUE(CreateDirectoryA("C:\\MLUME", nullptr));
  }
  static void Add(const char *name, const char *value) {
    ASSERT_TRUE(AppendOption(const_cast<char *>(name), const_cast<char *>(value)));
  }
  static std::vector<std::string> Records() {
    return sim::RegistrySubKeys(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed");
  }
};

TEST_F(InstalledOptionsTest, LanguageEntryHoldsTheLetterCode) {
  const std::pair<LONG, const char *> cases[] = {{1, "71"}, {2, "70"}, {3, "83"}, {4, "73"}, {5, "80"}, {6, "68"}};
  for (const auto &[index, code] : cases) {
    ReleaseOptionsList();
    CreateOptionsList();
    g_languageIndex = index;
    AddLanguageOption();
    ASSERT_EQ(g_optionCount, 1) << index;
    EXPECT_STREQ(g_optionNames[0], "prefLanguage");
    EXPECT_STREQ(g_optionValues[0], code) << index;
  }
}

TEST_F(InstalledOptionsTest, EnglishAddsNothingAndAnEarlierEntryStays) {
  g_languageIndex = 0;
  AddLanguageOption();
  EXPECT_EQ(g_optionCount, 0);
  Add("prefLanguage", "69");
  g_languageIndex = 1;
  AddLanguageOption();
  ASSERT_EQ(g_optionCount, 2);
  EXPECT_STREQ(FindOption("prefLanguage"), "69");
  EXPECT_STREQ(g_optionValues[1], "71");
}

TEST_F(InstalledOptionsTest, FileIsCountThenNulTerminatedPairsAndIsRecorded) {
  Add("sSilent", "1");
  g_languageIndex = 1;
  AddLanguageOption();
  WriteInstalledOptions();
  const std::string expected("\x02\x00sSilent\x00" "1\x00prefLanguage\x00" "71\x00", 28);
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\tova.opt"), expected);
  EXPECT_EQ(Records(), std::vector<std::string>{"tova.opt"});
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

TEST_F(InstalledOptionsTest, PathFollowsTheDestination) {
  Add("a", "");
  strcpy(g_destinationDir, "D:\\");
  WriteInstalledOptions();
  EXPECT_EQ(sim::ReadFile("D:\\tova.opt"), std::string("\x01\x00" "a\x00\x00", 5));
  EXPECT_EQ(Records(), std::vector<std::string>{"tova.opt"});
}

TEST_F(InstalledOptionsTest, DriveOnlyDestinationGetsNoBackslash) {
  Add("a", "b");
  strcpy(g_destinationDir, "D:");
  WriteInstalledOptions();
  EXPECT_TRUE(sim::FileExists("D:\\tova.opt"));
  ASSERT_EQ(sim::RegistryLog().size(), 1u);
  EXPECT_EQ(sim::RegistryLog()[0].key, "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\tova.opt");
}

TEST_F(InstalledOptionsTest, EmptyListWritesNoFile) {
  WriteInstalledOptions();
  EXPECT_FALSE(sim::FileExists("C:\\MLUME\\tova.opt"));
  EXPECT_TRUE(sim::RegistryLog().empty());
}

TEST_F(InstalledOptionsTest, ExistingFileIsLeftUnchangedAndUnrecorded) {
  sim::WriteFile("C:\\MLUME\\tova.opt", "earlier");
  Add("sSilent", "1");
  WriteInstalledOptions();
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\tova.opt"), "earlier");
  EXPECT_TRUE(sim::RegistryLog().empty());
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

TEST_F(InstalledOptionsTest, FileThatCannotBeCreatedIsSkipped) {
  sim::FailFileCreation("C:\\MLUME\\tova.opt");
  Add("sSilent", "1");
  WriteInstalledOptions();
  EXPECT_FALSE(sim::FileExists("C:\\MLUME\\tova.opt"));
  EXPECT_TRUE(sim::RegistryLog().empty());
}

TEST_F(InstalledOptionsTest, FailedWriteRemovesThePartialFileAndRecordsNothing) {
  Add("sSilent", "1");
  Add("prefLanguage", "71");
  sim::SetDiskSpace(12);
  WriteInstalledOptions();
  EXPECT_FALSE(sim::FileExists("C:\\MLUME\\tova.opt"));
  EXPECT_TRUE(sim::RegistryLog().empty());
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

TEST_F(InstalledOptionsTest, PathTooLongIsNotWritten) {
  Add("sSilent", "1");
  strcpy(g_destinationDir, ("C:\\" + std::string(kPathSize - 12, 'd')).c_str());  // no room for "\tova.opt"
  WriteInstalledOptions();
  EXPECT_TRUE(sim::ListFiles().empty());
  EXPECT_TRUE(sim::RegistryLog().empty());
}

}  // namespace
