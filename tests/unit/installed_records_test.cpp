// Installed-file records: the key named after the path relative to the
// destination directory, with '\' and '/' as '$'.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "shell/installed_records.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

class InstalledRecordsTest : public InstallerTest {
 protected:
  static std::vector<std::string> Records() { return sim::RegistrySubKeys(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed"); }
  static void Destination(const char *directory) { strcpy(g_destinationDir, directory); }
};

TEST_F(InstalledRecordsTest, RecordIsAnEmptyDefaultValueWrittenWithLengthOne) {
  RecordInstalledFile("C:\\MLUME\\README.TXT");
  ASSERT_EQ(sim::RegistryLog().size(), 1u);
  const sim::RegistryEvent &write = sim::RegistryLog()[0];
  EXPECT_EQ(write.key, "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\README.TXT");
  EXPECT_EQ(write.valueName, "");
  EXPECT_EQ(write.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(write.data, std::string(1, '\0'));
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

TEST_F(InstalledRecordsTest, RelativePathAfterEveryKindOfDestination) {
  RecordInstalledFile("C:\\MLUME\\tova.opt");
  RecordInstalledFile("C:\\MLUME\\SCRIPTS\\DEFSCR");
  RecordInstalledFile("C:\\MLUME/HELP/INDEX.HLP");
  EXPECT_EQ(Records(), (std::vector<std::string>{"HELP$INDEX.HLP", "SCRIPTS$DEFSCR", "tova.opt"}));

  sim::Reset();
  Destination("D:\\");
  RecordInstalledFile("D:\\README.TXT");
  RecordInstalledFile("D:\\\\DEF.TVD");  // the DEF.TVD path always adds a backslash
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD", "README.TXT"}));

  sim::Reset();
  Destination("D:");
  RecordInstalledFile("D:README.TXT");
  RecordInstalledFile("D:\\DEF.TVD");
  EXPECT_EQ(Records(), (std::vector<std::string>{"DEF.TVD", "README.TXT"}));
}

TEST_F(InstalledRecordsTest, DollarSignsAlreadyInTheNameStay) {
  RecordInstalledFile("C:\\MLUME\\A$B\\C$D.TXT");
  EXPECT_EQ(Records(), std::vector<std::string>{"A$B$C$D.TXT"});
}

TEST_F(InstalledRecordsTest, NoRecordWhenTheInstalledKeyCannotBeCreated) {
  sim::FailKeyCreation(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed");
  RecordInstalledFile("C:\\MLUME\\README.TXT");
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed"));
  EXPECT_TRUE(sim::RegistryWrites().empty());
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

TEST_F(InstalledRecordsTest, TooLongRelativePathIsNotRecordedRatherThanCut) {
  std::string fits = "C:\\MLUME\\" + std::string(kPathSize - 1, 'a');
  std::string tooLong = "C:\\MLUME\\" + std::string(kPathSize, 'b');
  EXPECT_FALSE(RecordInstalledFile(tooLong.c_str()));
  EXPECT_TRUE(sim::RegistryWrites().empty());
  // A 259-byte name fits the buffer, but the registry refuses key names over
  // 255 bytes: no record, and none counted as made.
  EXPECT_FALSE(RecordInstalledFile(fits.c_str()));
  EXPECT_TRUE(sim::RegistryWrites().empty());
  std::string longest = "C:\\MLUME\\" + std::string(255, 'c');
  EXPECT_TRUE(RecordInstalledFile(longest.c_str()));
  ASSERT_EQ(sim::RegistryLog().size(), 1u);
  EXPECT_EQ(sim::RegistryLog()[0].key.size(), strlen("HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\") + 255);
  // Made once: the same record again is left as it is.
  EXPECT_FALSE(RecordInstalledFile(longest.c_str()));
  EXPECT_EQ(sim::RegistryLog().size(), 1u);
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

TEST_F(InstalledRecordsTest, PathShorterThanTheDestinationIsIgnored) {
  RecordInstalledFile("C:\\ML");
  EXPECT_TRUE(sim::RegistryWrites().empty());
}

}  // namespace
