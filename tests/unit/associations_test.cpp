// The class key, open command, extension associations with their backups,
// the uninstall entry and the "-Q" start.
#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "shell/associations.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

const char kClassWrite[] = "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA = MoraLUME_TOVA";
const char kOpenWrite[] = "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\shell\\open\\command = C:\\MLUME\\MAIN.EXE \"%1\"";

class AssociationsTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    strcpy(g_mainProgramPath, "C:\\MLUME\\MAIN.EXE");
  }
  static void Choose(int index) { g_associationFlags[index] = 1; }
  static std::optional<std::string> Class(const std::string &key) { return sim::RegistryString(HKEY_CLASSES_ROOT, key); }
  static int Queries(const std::string &key) {
    int count = 0;
    for (const sim::RegistryEvent &event : sim::RegistryLog())
      if (event.kind == sim::RegistryEvent::kQueryValue && event.key == key) ++count;
    return count;
  }
};

TEST_F(AssociationsTest, ResultZeroWritesTheOpenCommandAndTouchesNoExtension) {
  for (int i = 0; i < kAssociationCount; ++i) Choose(i);
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile");
  AssociateFileTypes(0);
  EXPECT_EQ(sim::RegistryWrites(), (std::vector<std::string>{kClassWrite, kOpenWrite}));
  EXPECT_EQ(sim::RegistryValue(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\shell\\open\\command"),
            std::string("C:\\MLUME\\MAIN.EXE \"%1\"\0", 23));
  for (const sim::RegistryEvent &event : sim::RegistryLog()) EXPECT_NE(event.kind, sim::RegistryEvent::kQueryValue);
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license"));
  EXPECT_EQ(Class(".gif"), "giffile");
  EXPECT_EQ(sim::LiveBlocks(), 0);
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

TEST_F(AssociationsTest, ExtensionWithoutKeyGetsAnEmptyBackupThenTheAssociation) {
  Choose(3);  // .png
  AssociateFileTypes(1);
  EXPECT_EQ(sim::RegistryWrites(),
            (std::vector<std::string>{kClassWrite, kOpenWrite, kClassWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\license\\ins.png = ", kClassWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\.png = MoraLume_TOVA"}));
  EXPECT_EQ(sim::RegistryValue(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license\\ins.png"), std::string(1, '\0'));
  EXPECT_EQ(Class(".png"), "MoraLume_TOVA");
  EXPECT_EQ(sim::LiveBlocks(), 0);
}

// Key names compare without case, so any spelling of our class is ours: no
// backup of it, or the uninstall would restore .jpg to the class it deletes.
TEST_F(AssociationsTest, AlreadyAssociatedExtensionInAnyCaseKeepsTheFirstBackup) {
  for (const char *earlier : {"MoraLume_TOVA", "MoraLUME_TOVA", "MORALUME_TOVA", "moralume_tova"}) {
    SetUp();
    sim::SetRegistryString(HKEY_CLASSES_ROOT, ".jpg", "", earlier);
    sim::SetRegistryString(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license\\ins.jpg", "", "jpegfile");
    Choose(1);
    AssociateFileTypes(1);
    EXPECT_EQ(sim::RegistryWrites(), (std::vector<std::string>{kClassWrite, kOpenWrite, kClassWrite,
                                                               "HKEY_LOCAL_MACHINE\\Software\\Classes\\.jpg = MoraLume_TOVA"}))
        << earlier;
    EXPECT_EQ(Class("MoraLUME_TOVA\\license\\ins.jpg"), "jpegfile") << earlier;
  }
}

TEST_F(AssociationsTest, ClassNameWithMoreOrLessIsForeignAndBackedUp) {
  // 0x7F is '_' with bit 5 set: a fold that clears that bit would call it ours.
  for (const char *earlier : {"MoraLume_TOV", "MoraLume_TOVAx", "MoraLume_TOVA ", "MoraLume\x7FTOVA"}) {
    SetUp();
    sim::SetRegistryString(HKEY_CLASSES_ROOT, ".bmp", "", earlier);
    Choose(4);
    AssociateFileTypes(1);
    EXPECT_EQ(Class("MoraLUME_TOVA\\license\\ins.bmp"), earlier);
    EXPECT_EQ(Class(".bmp"), "MoraLume_TOVA");
  }
}

TEST_F(AssociationsTest, TwoForeignExtensionsGetTheirOwnBackupsInListOrder) {
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile");
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".jpg", "", "jpegfile");
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".pcx", "", "pcxfile");
  Choose(1);
  Choose(0);
  AssociateFileTypes(1);
  EXPECT_EQ(sim::RegistryWrites(),
            (std::vector<std::string>{kClassWrite, kOpenWrite, kClassWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\license\\ins.gif = giffile", kClassWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\.gif = MoraLume_TOVA", kClassWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\license\\ins.jpg = jpegfile", kClassWrite,
                                      "HKEY_LOCAL_MACHINE\\Software\\Classes\\.jpg = MoraLume_TOVA"}));
  EXPECT_EQ(Class(".pcx"), "pcxfile");
  EXPECT_EQ(Queries("HKEY_LOCAL_MACHINE\\Software\\Classes\\.pcx"), 0);
  EXPECT_EQ(sim::RegistrySubKeys(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license"),
            (std::vector<std::string>{"ins.gif", "ins.jpg"}));
}

TEST_F(AssociationsTest, LongEarlierClassIsBackedUpWholeStoredWithOrWithoutItsNul) {
  for (size_t length : {259, 260, 261, 703}) {
    for (bool withNul : {true, false}) {
      SetUp();
      std::string longClass = std::string(length - 3, 'c') + "END";
      sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".tif", "", withNul ? longClass + '\0' : longClass);
      Choose(7);
      AssociateFileTypes(1);
      EXPECT_EQ(Class("MoraLUME_TOVA\\license\\ins.tif"), longClass) << length << " " << withNul;
      EXPECT_EQ(Class(".tif"), "MoraLume_TOVA") << length << " " << withNul;
      EXPECT_EQ(sim::LiveBlocks(), 0);
    }
  }
}

TEST_F(AssociationsTest, EarlierClassThatCannotBeKeptIsNotReplaced) {
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".tga", "", std::string(700, 't'));
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile");
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".pcd", "", "pcdfile");
  Choose(8);
  Choose(0);
  Choose(9);
  sim::FailAllocations(1, 1);  // the work buffer, then the long value's buffer
  sim::FailKeyCreation(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license\\ins.pcd");
  AssociateFileTypes(1);
  EXPECT_EQ(Class(".tga"), std::string(700, 't'));
  EXPECT_EQ(Class(".pcd"), "pcdfile");
  EXPECT_EQ(Class(".gif"), "MoraLume_TOVA");
  EXPECT_EQ(sim::LiveBlocks(), 0);
  // A backup key left by an earlier installation that may be opened but not written.
  SetUp();
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".pcd", "", "pcdfile");
  sim::SetRegistryString(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license\\ins.pcd", "", "older");
  sim::DenyKeyWrites(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\license\\ins.pcd");
  Choose(9);
  AssociateFileTypes(1);
  EXPECT_EQ(Class(".pcd"), "pcdfile");
}

TEST_F(AssociationsTest, NoWorkBufferSkipsTheWholeStep) {
  Choose(0);
  sim::FailAllocations(0, 1);
  AssociateFileTypes(1);
  EXPECT_TRUE(sim::RegistryLog().empty());
}

TEST_F(AssociationsTest, ProgramPathTooLongForTheOpenCommandLeavesEveryAssociation) {
  std::string path = "C:\\" + std::string(kPathSize - 6, 'p');  // 257 characters
  strcpy(g_mainProgramPath, path.c_str());
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile");
  Choose(0);
  AssociateFileTypes(1);
  EXPECT_TRUE(sim::RegistryWrites().empty());
  EXPECT_EQ(Class(".gif"), "giffile");
  EXPECT_EQ(sim::LiveBlocks(), 0);
}

TEST_F(AssociationsTest, SetClassValueFailsOnlyWhenTheTargetKeyCannotBeMade) {
  sim::FailKeyCreation(HKEY_CLASSES_ROOT, ".gif");
  EXPECT_EQ(SetClassValue(".gif", "x"), -1);
  EXPECT_EQ(sim::RegistryWrites(), std::vector<std::string>{kClassWrite});
  sim::FailKeyCreation(HKEY_CLASSES_ROOT, "MoraLUME_TOVA");
  EXPECT_EQ(SetClassValue(".jpg", "y"), 0);
  EXPECT_EQ(Class(".jpg"), "y");
}

TEST_F(AssociationsTest, GetClassValueReadsTerminatedOrReportsWhy) {
  char buffer[8] = "keep";
  EXPECT_EQ(GetClassValue(".none", buffer, sizeof buffer), -1);
  EXPECT_STREQ(buffer, "keep");
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile");
  EXPECT_EQ(GetClassValue(".gif", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "giffile");
  EXPECT_EQ(GetClassValueSize(".gif"), 8);
  EXPECT_EQ(GetClassValue(".gif", buffer, 7), -2);
  EXPECT_STREQ(buffer, "");
  sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".raw", "", "abcdefg");  // no NUL stored
  EXPECT_EQ(GetClassValue(".raw", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

// The plain command and the quiet one (the main program's "-s"), quoted
// alike; the quiet one is there whenever the plain one fits.
TEST_F(AssociationsTest, UninstallEntryHasNameAndBothCommandsWithTheirNuls) {
  const std::string longest = "C:\\" + std::string(kPathSize - 9, 'p');  // 254 + " . -u" = 259
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\MLUME\\MAIN.EXE", "C:\\MLUME\\MAIN.EXE . -u"},
      {"C:\\Program Files\\MAIN.EXE", "\"C:\\Program Files\\MAIN.EXE\" . -u"},
      {longest, longest + " . -u"}};
  const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";
  for (const auto &[program, command] : cases) {
    sim::Reset();
    strcpy(g_mainProgramPath, program.c_str());
    WriteUninstallEntry();
    EXPECT_EQ(sim::RegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayName"), std::string("MoraLUME Viewer\0", 16));
    EXPECT_EQ(sim::RegistryValue(HKEY_LOCAL_MACHINE, key, "UninstallString"), command + '\0');
    EXPECT_EQ(sim::RegistryValue(HKEY_LOCAL_MACHINE, key, "QuietUninstallString"), command + " -s" + '\0');
    ASSERT_EQ(sim::RegistryLog().size(), 3u) << program;
    EXPECT_EQ(sim::RegistryLog()[0].valueName, "DisplayName");
    EXPECT_EQ(sim::RegistryLog()[1].valueName, "UninstallString");
    EXPECT_EQ(sim::RegistryLog()[2].valueName, "QuietUninstallString");
    EXPECT_EQ(sim::OpenRegistryKeys(), 0);
  }
}

TEST_F(AssociationsTest, UninstallEntryIsSkippedWhenItCannotBeWhole) {
  sim::FailKeyCreation(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME");
  WriteUninstallEntry();
  EXPECT_TRUE(sim::RegistryLog().empty());
  sim::Reset();
  strcpy(g_mainProgramPath, ("C:\\" + std::string(kPathSize - 7, 'p')).c_str());  // 255 + " . -u" > 259
  WriteUninstallEntry();
  EXPECT_TRUE(sim::RegistryLog().empty());
}

TEST_F(AssociationsTest, QuickStartLineForEveryKindOfDestination) {
  const std::pair<const char *, const char *> cases[] = {
      {"C:\\MLUME", "C:\\MLUME\\lume32.exe -Q"}, {"D:\\", "D:\\lume32.exe -Q"}, {"D:", "D:lume32.exe -Q"}};
  for (const auto &[destination, line] : cases) {
    sim::Reset();
    strcpy(g_destinationDir, destination);
    RunProgramWithQ();
    ASSERT_EQ(sim::ProgramStarts().size(), 1u) << destination;
    EXPECT_EQ(sim::ProgramStarts()[0].commandLine, line);
    EXPECT_EQ(sim::ProgramStarts()[0].show, static_cast<UINT>(SW_SHOWNORMAL));
  }
}

TEST_F(AssociationsTest, QuickStartLineTooLongIsNotStarted) {
  strcpy(g_destinationDir, ("C:\\" + std::string(kPathSize - 16, 'd')).c_str());
  RunProgramWithQ();
  EXPECT_TRUE(sim::ProgramStarts().empty());
}

}  // namespace
