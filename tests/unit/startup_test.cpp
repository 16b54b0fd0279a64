// Start-up: command-line switches and the installer directory.
#include <windows.h>

#include <tuple>

#include "core/installer_state.h"
#include "core/options.h"
#include "core/startup.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

class CommandLineTest : public InstallerTest {};

TEST_F(CommandLineTest, EmptyArgumentsKeepDefaults) {
  ScanCommandLine("");
  EXPECT_EQ(g_autorun, 1);
  EXPECT_EQ(g_noMessageBoxes, 0);
  EXPECT_EQ(g_destinationGiven, 0);
  EXPECT_EQ(g_languageIndex, 0);
  EXPECT_EQ(g_languageGiven, 0);
}

TEST_F(CommandLineTest, NoAutorunIgnoresCaseButNeedsWholeWord) {
  for (const char *word : {"-noautorun", "-NOAUTORUN", "-NoAutoRun", "x -noautorun", "-noautorun -x"}) {
    g_autorun = 1;
    ScanCommandLine(word);
    EXPECT_EQ(g_autorun, 0) << word;
  }
  for (const char *word : {"-noautorunx", "x-noautorun", "-noautorun\tx", "\t-noautorun", "-noauto"}) {
    g_autorun = 1;
    ScanCommandLine(word);
    EXPECT_EQ(g_autorun, 1) << word;
  }
}

TEST_F(CommandLineTest, LanguageLetterSetsIndexAndGivenFlag) {
  ScanCommandLine("-language=G");
  EXPECT_EQ(g_languageIndex, 1);
  EXPECT_EQ(g_languageGiven, 1);
  ResetInstallerState();
  ScanCommandLine("-LANGUAGE=G");
  EXPECT_EQ(g_languageIndex, 1);
  EXPECT_EQ(g_languageGiven, 1);
}

TEST_F(CommandLineTest, UnknownOrLowerCaseLetterOnlySetsGivenFlag) {
  for (const char *word : {"-language=g", "-language=X"}) {
    ResetInstallerState();
    ScanCommandLine(word);
    EXPECT_EQ(g_languageIndex, 0) << word;
    EXPECT_EQ(g_languageGiven, 1) << word;
  }
}

TEST_F(CommandLineTest, MalformedLanguageWordsChangeNothing) {
  for (const char *word : {"-language=GE", "-language=", "x -language=", "-language=G\t", "a-language=G"}) {
    ResetInstallerState();
    ScanCommandLine(word);
    EXPECT_EQ(g_languageIndex, 0) << word;
    EXPECT_EQ(g_languageGiven, 0) << word;
  }
}

TEST_F(CommandLineTest, LastValidLanguageWordWins) {
  ScanCommandLine("-language=F -language=S");
  EXPECT_EQ(g_languageIndex, 3);
  ResetInstallerState();
  ScanCommandLine("-language=S -language=GE");
  EXPECT_EQ(g_languageIndex, 3);
}

TEST_F(CommandLineTest, EveryLetterOfTheTable) {
  const char letters[] = "EGFSIPD";
  for (int index = 0; index < 7; ++index) {
    ResetInstallerState();
    std::string word = std::string("-language=") + letters[index];
    ScanCommandLine(word.c_str());
    EXPECT_EQ(g_languageIndex, index) << word;
  }
}

TEST_F(CommandLineTest, BothSwitchesTogether) {
  ScanCommandLine("-noautorun -language=D");
  EXPECT_EQ(g_autorun, 0);
  EXPECT_EQ(g_languageIndex, 6);
}

TEST_F(CommandLineTest, NoMessageBoxesIgnoresCaseButNeedsWholeWord) {
  for (const char *word : {"-nomsgbox", "-NOMSGBOX", "x -NoMsgBox", "-nomsgbox -x", "-dir=C:\\A -nomsgbox"}) {
    ResetInstallerState();
    ScanCommandLine(word);
    EXPECT_EQ(g_noMessageBoxes, 1) << word;
  }
  for (const char *word : {"-nomsgboxes", "x-nomsgbox", "-nomsgbox\tx", "-nomsg", "-dir=\"C:\\A -nomsgbox B\""}) {
    ResetInstallerState();
    ScanCommandLine(word);
    EXPECT_EQ(g_noMessageBoxes, 0) << word;
  }
}

// The destination as given, up to a blank or between quotes; a value that
// would be cut, or whose end is unknown, empties it (a refused destination).
// The last "-dir=" wins; other switches are read around it, not within it.
TEST_F(CommandLineTest, DestinationIsTakenWholeOrEmptied) {
  const std::string longest(kPathSize - 1, 'p');
  const std::pair<std::string, std::string> cases[] = {
      {"-dir=D:\\VIEW", "D:\\VIEW"},
      {"-DIR=D:\\VIEW -noautorun", "D:\\VIEW"},
      {"-dir=\"C:\\Program Files\\MoraLUME\"", "C:\\Program Files\\MoraLUME"},
      {"-dir=\"C:\\My -language=G x\" -x", "C:\\My -language=G x"},
      {"-dir=C:\\A -dir=C:\\B", "C:\\B"},
      {"-dir=" + longest, longest},
      {"-dir=\"" + longest + "\"", longest},
      {"-dir=", ""},
      {"-dir=\"\"", ""},
      {"-dir=" + longest + "p", ""},
      {"-dir=\"" + longest + "p\"", ""},
      {"-dir=\"C:\\Program Files -noautorun", ""},
      {"-dir=\"C:\\A\"B", ""},
  };
  for (const auto &[line, destination] : cases) {
    ResetInstallerState();
    ScanCommandLine(line.c_str());
    EXPECT_EQ(g_destinationDir, destination) << line;
    EXPECT_EQ(g_destinationGiven, 1) << line;
    EXPECT_EQ(g_languageGiven, 0) << line;
  }
  ResetInstallerState();
  ScanCommandLine("-dir=\"C:\\Program Files -noautorun");  // the switches after a lost quote still count
  EXPECT_EQ(g_autorun, 0);
  for (const char *line : {"x-dir=D:\\VIEW", "-dirD:\\VIEW", "-dir", "-destdir=D:\\VIEW"}) {
    ResetInstallerState();
    ScanCommandLine(line);
    EXPECT_EQ(g_destinationGiven, 0) << line;
    EXPECT_STREQ(g_destinationDir, "C:\\MLUME") << line;
  }
}

// "-log" alone asks for a log in TEMP; "-log=" takes its path as "-dir="
// takes the destination, emptied when refused (a log that cannot be made).
TEST_F(CommandLineTest, LogSwitchTakesItsPathAsTheDestinationSwitchDoes) {
  const std::tuple<std::string, BYTE, std::string> cases[] = {
      {"-log", kLogInTemp, ""},
      {"-LOG -noautorun", kLogInTemp, ""},
      {"-log=C:\\logs\\a.log", kLogAtPath, "C:\\logs\\a.log"},
      {"-log=\"C:\\Deploy Logs\\-dir=x.log\" -log", kLogInTemp, "C:\\Deploy Logs\\-dir=x.log"},
      {"-log=\"C:\\Deploy Logs\\a.log", kLogAtPath, ""},
      {"-logfile", kNoLogAsked, ""},
      {"x-log", kNoLogAsked, ""},
  };
  for (const auto &[line, request, path] : cases) {
    ResetInstallerState();
    ScanCommandLine(line.c_str());
    EXPECT_EQ(g_logRequest, request) << line;
    EXPECT_EQ(g_logPath, path) << line;
    EXPECT_EQ(g_destinationGiven, 0) << line;
  }
}

class InstallerDirectoryTest : public InstallerTest {
 protected:
  std::string DirectoryFor(const std::string &modulePath) {
    sim::SetModuleFileName(modulePath);
    InitInstaller(nullptr);
    return g_installerDir;
  }
};

TEST_F(InstallerDirectoryTest, CutAfterLastSeparator) {
  EXPECT_EQ(DirectoryFor("C:\\dist\\setup.exe"), "C:\\dist\\");
  EXPECT_EQ(DirectoryFor("C:/dist/sub/setup.exe"), "C:/dist/sub/");
  EXPECT_EQ(DirectoryFor("C:\\setup.exe"), "C:\\");
}

TEST_F(InstallerDirectoryTest, BareDriveColonGetsBackslash) { EXPECT_EQ(DirectoryFor("C:setup.exe"), "C:\\"); }

TEST_F(InstallerDirectoryTest, NoSeparatorGivesEmptyDirectory) { EXPECT_EQ(DirectoryFor("setup.exe"), ""); }

TEST_F(InstallerDirectoryTest, ModulePathThatDoesNotFitGivesEmptyDirectory) {
  EXPECT_EQ(DirectoryFor("C:\\" + std::string(300, 'a') + "\\setup.exe"), "");
}

TEST_F(InstallerDirectoryTest, InitCreatesEmptyOptionsList) {
  InitInstaller(nullptr);
  EXPECT_NE(g_optionNames, nullptr);
  EXPECT_NE(g_optionValues, nullptr);
  EXPECT_EQ(g_optionCount, 0);
  EXPECT_EQ(sim::LockedBlocks(), 2);
}

TEST_F(InstallerDirectoryTest, FailedListAllocationLeavesASafeEmptyList) {
  sim::FailAllocations(1, 1);
  InitInstaller(nullptr);
  EXPECT_EQ(g_optionNames, nullptr);
  EXPECT_EQ(sim::LiveBlocks(), 0);
  char name[] = "a", value[] = "b";
  EXPECT_FALSE(AppendOption(name, value));
  EXPECT_EQ(FindOption("a"), nullptr);
}


}  // namespace
