// The options list and the grammar of "tovaopt.ini".
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "core/installer_state.h"
#include "core/options.h"
#include "core/startup.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class OptionsFileTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InitInstaller(nullptr);  // installer directory C:\dist\ from the stand-in's module path
  }
  Pairs Read(const std::string &text) {
    WriteOptionsFile(text);
    ReadInstallerOptions();
    return List();
  }
  static Pairs List() {
    Pairs pairs;
    for (LONG i = 0; i < g_optionCount; ++i) pairs.emplace_back(g_optionNames[i], g_optionValues[i]);
    return pairs;
  }
};

TEST_F(OptionsFileTest, NameEqualsValue) {
  EXPECT_EQ(Read("sSilent=1"), (Pairs{{"sSilent", "1"}}));
  EXPECT_STREQ(FindOption("sSilent"), "1");
  EXPECT_EQ(FindOption("ssilent"), nullptr);
}

TEST_F(OptionsFileTest, SettingsWithoutValueAreDropped) {
  EXPECT_EQ(Read("sSilent\r\nsSilent=\r\nlast =\r\n"), Pairs{});
  EXPECT_EQ(FindOption("sSilent"), nullptr);
}

TEST_F(OptionsFileTest, NameEndsAtBlankTabOrEquals) {
  EXPECT_EQ(Read("a=b=c\nkey x=y\ntab\tz=w\n=ignored\n"),
            (Pairs{{"a", "b=c"}, {"key", "y"}, {"tab", "w"}}));
}

TEST_F(OptionsFileTest, ValueKeepsItsBlanks) {
  EXPECT_EQ(Read("  sAssoc = 0\n"), (Pairs{{"sAssoc", " 0"}}));
  EXPECT_EQ(Read("x=trailing  \n"), (Pairs{{"sAssoc", " 0"}, {"x", "trailing  "}}));
}

TEST_F(OptionsFileTest, EveryLineEndWorksAndLastLineNeedsNone) {
  EXPECT_EQ(Read("a=1\r\nb=2\nc=3\rd=4"), (Pairs{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}));
}

TEST_F(OptionsFileTest, BlankAndIndentedLinesAreRead) {
  EXPECT_EQ(Read("\r\n\r\n   \t a=1\r\n\n\n\tb=2\r\n   \r\n"), (Pairs{{"a", "1"}, {"b", "2"}}));
}

TEST_F(OptionsFileTest, FirstOfTwoEqualNamesWinsButBothStay) {
  EXPECT_EQ(Read("sAssoc=0\nsAssoc=1\n"), (Pairs{{"sAssoc", "0"}, {"sAssoc", "1"}}));
  EXPECT_STREQ(FindOption("sAssoc"), "0");
}

TEST_F(OptionsFileTest, RelativeSelPathsIsDroppedInItsExactCaseOnly) {
  EXPECT_EQ(Read("prefRelativeSelPaths=1\nPrefRelativeSelPaths=1\n"), (Pairs{{"PrefRelativeSelPaths", "1"}}));
}

TEST_F(OptionsFileTest, DroppedLinesReleaseTheirBlocks) {
  int before = sim::LiveBlocks();
  Read("a\nb=\n=c\nprefRelativeSelPaths=1\n");
  EXPECT_EQ(sim::LiveBlocks(), before);
}

TEST_F(OptionsFileTest, KeptStringsAreLockedBlocksOfTheirExactSize) {
  int before = sim::LiveBlocks();
  Read("name=value\n");
  EXPECT_EQ(sim::LiveBlocks(), before + 2);  // name and value; the file buffer is gone
  HGLOBAL name = GlobalHandle(g_optionNames[0]);
  HGLOBAL value = GlobalHandle(g_optionValues[0]);
  EXPECT_EQ(sim::BlockSize(name), sizeof "name");
  EXPECT_EQ(sim::BlockSize(value), sizeof "value");
  EXPECT_EQ(sim::BlockLocks(name), 1);
  EXPECT_EQ(sim::BlockLocks(value), 1);
}

TEST_F(OptionsFileTest, MissingOrEmptyFileGivesNoOptions) {
  ReadInstallerOptions();
  EXPECT_EQ(g_optionCount, 0);
  EXPECT_EQ(Read(""), Pairs{});
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

TEST_F(OptionsFileTest, ReadOnlyFileIsTreatedAsAbsent) {
  WriteOptionsFile("sSilent=1\n");
  sim::SetReadOnly("C:\\dist\\tovaopt.ini", true);
  ReadInstallerOptions();
  EXPECT_EQ(g_optionCount, 0);
}

TEST_F(OptionsFileTest, FileIsFoundInTheInstallerDirectoryOnly) {
  sim::WriteFile("C:\\tovaopt.ini", "a=1\n");
  ReadInstallerOptions();
  EXPECT_EQ(g_optionCount, 0);
  sim::SetModuleFileName("C:setup.exe");
  InitInstaller(nullptr);
  ReadInstallerOptions();
  EXPECT_EQ(List(), (Pairs{{"a", "1"}}));
  // A module path cut by its buffer leaves no installer directory: the bare
  // name would be searched for in the current directory and along the PATH.
  SetUp();
  sim::WriteFile("C:\\tovaopt.ini", "a=1\n");
  sim::SetModuleFileName("C:\\" + std::string(300, 'm') + "\\setup.exe");
  InitInstaller(nullptr);
  ASSERT_STREQ(g_installerDir, "");
  ReadInstallerOptions();
  EXPECT_EQ(g_optionCount, 0);
}

TEST_F(OptionsFileTest, InstallerDirectoryTooLongForThePathMeansNoOptions) {
  std::string directory = "C:\\" + std::string(246, 'd');  // 250 with its separator
  sim::SetModuleFileName(directory + "\\s.exe");
  InitInstaller(nullptr);
  ASSERT_EQ(std::string(g_installerDir), directory + "\\");
  sim::WriteFile(directory + "\\tovaopt.ini", "a=1\n");
  sim::WriteFile(directory + "\\tovaopt.in", "b=1\n");  // what a cut path would name
  ReadInstallerOptions();
  EXPECT_EQ(g_optionCount, 0);
}

TEST_F(OptionsFileTest, FailedStringAllocationsSkipOnlyThatLine) {
  sim::FailAllocations(1, 1);  // the file buffer, then the first name
  EXPECT_EQ(Read("a=1\nb=2\n"), (Pairs{{"b", "2"}}));
  ResetInstallerState();
  sim::Reset();
  InitInstaller(nullptr);
  sim::FailAllocations(2, 1);  // the first value
  EXPECT_EQ(Read("a=1\nb=2\n"), (Pairs{{"b", "2"}}));
}

TEST_F(OptionsFileTest, OverfullFileLeavesOneSlotForTheLanguageEntry) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  Pairs pairs = Read(text);
  ASSERT_EQ(pairs.size(), static_cast<size_t>(kOptionCapacity - 1));
  EXPECT_EQ(pairs.back(), (std::pair<std::string, std::string>{"k498", "498"}));
  char name[] = "prefLanguage", value[] = "71";
  EXPECT_TRUE(AppendOption(name, value));
  EXPECT_FALSE(AppendOption(name, value));
  EXPECT_EQ(g_optionCount, kOptionCapacity);
}

TEST_F(OptionsFileTest, ReleaseEmptiesTheList) {
  Read("a=1\n");
  ReleaseOptionsList();
  EXPECT_EQ(g_optionCount, 0);
  EXPECT_EQ(FindOption("a"), nullptr);
}

}  // namespace
