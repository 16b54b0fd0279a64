// The stand-in registry behaves as the Windows calls that the installer
// relies on: case-insensitive key names, RegQueryValueA's sizes, faults.
#include <windows.h>

#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

using RegistryTest = InstallerTest;

TEST_F(RegistryTest, KeyNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\shell", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "moralume_tova", REG_SZ, "x", 1), ERROR_SUCCESS);
  EXPECT_EQ(sim::RegistrySubKeys(HKEY_CLASSES_ROOT, ""), std::vector<std::string>{"MoraLUME_TOVA"});
  EXPECT_EQ(sim::RegistryString(HKEY_CLASSES_ROOT, "MORALUME_TOVA"), "x");
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "MORALUME_tova\\SHELL", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

TEST_F(RegistryTest, OpenFailsForAMissingKeyAndCreateMakesEveryLevel) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing", &key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\A\\B", &key), ERROR_SUCCESS);
  HKEY child;
  ASSERT_EQ(RegCreateKeyA(key, "C", &child), ERROR_SUCCESS);
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, "software\\a\\b\\c"));
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "\\Lead", &key), ERROR_BAD_PATHNAME);
  // An empty level in between is skipped, as under Wine.
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "A\\\\B", &key), ERROR_SUCCESS);
  EXPECT_TRUE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, "A\\B"));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, std::string(256, 'k').c_str(), &key), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, SetValueStoresTheWholeStringWhateverLengthIsPassed) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".gif", REG_SZ, "MoraLume_TOVA", 1), ERROR_SUCCESS);
  EXPECT_EQ(sim::RegistryValue(HKEY_CLASSES_ROOT, ".gif"), std::string("MoraLume_TOVA\0", 14));
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".gif", REG_DWORD, "1", 2), ERROR_INVALID_PARAMETER);

  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "U", &key), ERROR_SUCCESS);
  const char text[] = "MoraLUME Viewer";
  ASSERT_EQ(RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE *>(text), 16), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Cut", 0, REG_SZ, reinterpret_cast<const BYTE *>(text), 4), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(sim::RegistryValue(HKEY_LOCAL_MACHINE, "U", "displayname"), std::string(text, 16));
  EXPECT_EQ(sim::RegistryValue(HKEY_LOCAL_MACHINE, "U", "Cut"), "Mora");
}

TEST_F(RegistryTest, QueryValuePassesSizesInAndOutLikeWindows) {
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".jpg", "", "jpegfile");
  LONG size = 0;
  ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".jpg", nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 9);

  char buffer[16];
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".jpg", buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 9);
  EXPECT_STREQ(buffer, "jpegfile");

  size = 8;  // one short of the NUL
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".jpg", buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 9);
  EXPECT_EQ(memchr(buffer, '\0', 8), nullptr) << "the buffer must not look like a valid string";

  sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".raw", "", "abc");  // stored without its NUL
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".raw", buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3) << "the stored size, as under Wine; the NUL is added where there is room";
  EXPECT_STREQ(buffer, "abc");
}

TEST_F(RegistryTest, KeyWithoutDefaultValueReadsEmptyAndMissingKeyFails) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, ".png", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  char buffer[8] = "junk";
  LONG size = sizeof buffer;
  ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".png", buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1);
  EXPECT_STREQ(buffer, "");
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".none", buffer, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, LogKeepsWritesAndReadsInOrderAsSpelled) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "MoraLUME_TOVA", &key), ERROR_SUCCESS);
  RegSetValueA(key, "installed\\A.TXT", REG_SZ, "", 1);
  RegCloseKey(key);
  LONG size = 0;
  RegQueryValueA(HKEY_CLASSES_ROOT, "moralume_tova", nullptr, &size);
  ASSERT_EQ(sim::RegistryLog().size(), 2u);
  EXPECT_EQ(sim::RegistryLog()[0].kind, sim::RegistryEvent::kSetValue);
  EXPECT_EQ(sim::RegistryLog()[0].key, "HKEY_CLASSES_ROOT\\MoraLUME_TOVA\\installed\\A.TXT");
  EXPECT_EQ(sim::RegistryLog()[0].data, std::string(1, '\0'));
  EXPECT_EQ(sim::RegistryLog()[1].kind, sim::RegistryEvent::kQueryValue);
  EXPECT_EQ(sim::RegistryLog()[1].key, "HKEY_CLASSES_ROOT\\moralume_tova");
  EXPECT_EQ(sim::RegistryWrites(), std::vector<std::string>{"HKEY_CLASSES_ROOT\\MoraLUME_TOVA\\installed\\A.TXT = "});
  EXPECT_NE(sim::DumpRegistry().find(
                "HKEY_LOCAL_MACHINE\\Software\\Classes\\MoraLUME_TOVA\\installed\\A.TXT [@] type 1 = \\x00"),
            std::string::npos)
      << sim::DumpRegistry();
}

TEST_F(RegistryTest, ClassesRootShowsTheUsersClassesOverTheMachines) {
  sim::SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.gif", "", "giffile");
  sim::SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.jpg", "", "jpegfile");
  sim::SetRegistryString(HKEY_CURRENT_USER, "Software\\Classes\\.GIF", "", "exefile");
  EXPECT_EQ(sim::RegistryString(HKEY_CLASSES_ROOT, ".gif"), "exefile");
  char buffer[16];
  LONG size = sizeof buffer;
  ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, ".gif", buffer, &size), ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "exefile");
  // A value goes to the user's key where there is one, else to the machine's, new keys too.
  for (const char *extension : {".gif", ".jpg", ".png"})
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, extension, REG_SZ, "MoraLume_TOVA", 0), ERROR_SUCCESS);
  EXPECT_EQ(sim::RegistryString(HKEY_CURRENT_USER, "Software\\Classes\\.gif"), "MoraLume_TOVA");
  EXPECT_EQ(sim::RegistryString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.gif"), "giffile");
  EXPECT_EQ(sim::RegistryString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.jpg"), "MoraLume_TOVA");
  EXPECT_EQ(sim::RegistryString(HKEY_LOCAL_MACHINE, "Software\\Classes\\.png"), "MoraLume_TOVA");
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Classes\\.png"));
  // Each name once, as the user spelled it.
  char name[8];
  std::vector<std::string> names;
  for (DWORD index = 0; RegEnumKeyA(HKEY_CLASSES_ROOT, index, name, sizeof name) == ERROR_SUCCESS; ++index)
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{".GIF", ".jpg", ".png"}));
  EXPECT_EQ(RegEnumKeyA(HKEY_CLASSES_ROOT, 0, name, 4), ERROR_MORE_DATA);
  // A delete takes what the view shows; a key with subkeys stays.
  ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ".gif"), ERROR_SUCCESS);
  EXPECT_EQ(sim::RegistryString(HKEY_CLASSES_ROOT, ".gif"), "giffile");
  sim::SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\A\\B", "", "");
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\A"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.none"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(sim::OpenRegistryKeys(), 0);
}

TEST_F(RegistryTest, RefusedKeyPathFailsForItselfAndBelowOnly) {
  sim::FailKeyCreation(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed");
  HKEY key;
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "moralume_tova\\INSTALLED", &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed\\X", REG_SZ, "", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installedX", &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, "MoraLUME_TOVA\\installed"));
}

TEST_F(RegistryTest, ReadOnlyRegistryRefusesEveryWriteButReads) {
  sim::SetRegistryString(HKEY_CLASSES_ROOT, ".gif", "", "giffile");
  sim::SetRegistryWritable(false);
  HKEY key;
  EXPECT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, ".new", &key), ERROR_ACCESS_DENIED);
  // An existing key opens, for reading only, as on Windows.
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, ".gif", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueA(key, nullptr, REG_SZ, "x", 2), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".gif", REG_SZ, "x", 2), ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, ".gif", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE *>("x"), 2), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(sim::RegistryString(HKEY_CLASSES_ROOT, ".gif"), "giffile");
}

}  // namespace
