// An installer made by the pack tool from the stub, read through the host
// resource reader: its resources (converted from the executable by the shell
// check tests/pack/stub_installer_test.sh, which names them in
// PACKED_INSTALLER_RES) install the sample silently as the linked ones do.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

class StubInstallerTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    const char *packed = getenv("PACKED_INSTALLER_RES");
    if (!packed) GTEST_SKIP() << "run by tests/pack/stub_installer_test.sh with PACKED_INSTALLER_RES";
    ASSERT_TRUE(sim::LoadResourceFile(packed)) << packed;
    sim::Reset();
    ResetInstallerState();
  }
  void TearDown() override {
    if (getenv("PACKED_INSTALLER_RES")) sim::LoadResourceFile(SETUP_RES_PATH);
  }
};

TEST_F(StubInstallerTest, SilentInstallPutsEverySampleFileInPlace) {
  const sim::Resource *payload = sim::FindResource(512, 301);
  ASSERT_NE(payload, nullptr);
  EXPECT_EQ(payload->language, 1033u);
  ASSERT_NE(sim::FindResource(5, 220), nullptr);  // the copy dialog came along from the stub

  WriteOptionsFile("sSilent=1\nsAssoc=0\n");
  char arguments[] = "";
  EXPECT_EQ(WinMain(nullptr, nullptr, arguments, SW_SHOWNORMAL), 0);
  EXPECT_TRUE(sim::MessageBoxes().empty());
  std::vector<std::string> files = sim::ListFiles();
  for (const char *expected : {"C:\\MLUME\\lume32.exe", "C:\\MLUME\\readme.txt", "C:\\MLUME\\SCRIPTS\\DEFSCR"})
    EXPECT_NE(std::find(files.begin(), files.end(), expected), files.end()) << expected;
  EXPECT_EQ(sim::ReadFile("C:\\MLUME\\lume32.exe").substr(0, 2), "MZ");
  ASSERT_FALSE(sim::ProgramStarts().empty());
  EXPECT_NE(sim::ProgramStarts().back().commandLine.find("lume32.exe"), std::string::npos);
}

}  // namespace
