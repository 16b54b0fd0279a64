// The sample lume32.exe's uninstall, which runs elevated, after a silent
// installation: what an ordinary user changed in between (a junction in the
// program's folder, classes under HKCU\Software\Classes) must not steer what
// it deletes or writes into the machine's keys.
#include <windows.h>

#include <functional>

#include "sample/uninstall.h"
#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

const char kProgram[] = "C:\\MLUME\\lume32.exe";
const std::string kClasses = "Software\\Classes\\";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";

class SampleUninstallTest : public InstallerTest {
 protected:
  UninstallResult InstallThenUninstall(const std::function<void()> &between) {
    WriteOptionsFile("sSilent=1\n");
    EXPECT_EQ(RunWinMain(), 0);
    EXPECT_TRUE(sim::FileExists("C:\\MLUME\\SCRIPTS\\DEFSCR"));
    between();
    return Uninstall(kProgram, "C:\\MLUME\\lume32.log", 1);
  }
  static std::optional<std::string> Machine(const std::string &key) {
    return sim::RegistryString(HKEY_LOCAL_MACHINE, kClasses + key);
  }
};

TEST_F(SampleUninstallTest, NothingIsDeletedThroughAJunction) {
  const struct {
    const char *junction;  // made a junction to C:\ELSEWHERE after the installation
    const char *survivor;  // a file there of a recorded name
    const char *gone;      // a recorded file beside the junction, or null
  } cases[] = {
      {"C:\\MLUME\\SCRIPTS", "C:\\ELSEWHERE\\DEFSCR", "C:\\MLUME\\readme.txt"},
      {"C:\\MLUME", "C:\\ELSEWHERE\\readme.txt", nullptr},
  };
  for (const auto &c : cases) {
    SetUp();
    EXPECT_EQ(InstallThenUninstall([&c] {
                sim::WriteFile(c.survivor, "not the installer's");
                sim::MakeJunction(c.junction, "C:\\ELSEWHERE");
              }),
              UNINSTALL_PARTLY)
        << c.junction;
    EXPECT_EQ(sim::ReadFile(c.survivor), "not the installer's") << c.junction;
    EXPECT_TRUE(sim::IsJunction(c.junction)) << c.junction;
    // Through a junction in place of the program's folder nothing is scheduled at all.
    EXPECT_EQ(sim::DelayedDeletes().empty(), c.gone == nullptr) << c.junction;
    for (const std::string &path : sim::DelayedDeletes()) EXPECT_NE(path, c.junction);
    if (c.gone) {
      EXPECT_FALSE(sim::FileExists(c.gone)) << c.junction;
    }
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << c.junction;
  }
}

TEST_F(SampleUninstallTest, OnlyTheMachinesClassesDecideWhatIsRestored) {
  const struct {
    const char *name;
    const char *extension;
    const char *before;   // the machine's class of the extension before the installation
    const char *plantedBefore;  // the user's backup, and records key, under HKCU\Software\Classes before it
    const char *planted;  // the user's backup under HKCU\Software\Classes after it, or null
    const char *machineBackup;  // the machine's backup after it, or null (as an earlier installer left it)
    std::optional<std::string> after;  // the machine's class after the uninstall; nothing: no key
  } cases[] = {
      {"a user's backup", ".gif", "giffile", nullptr, "exefile", nullptr, "giffile"},
      {"a user's keys before the installation", ".gif", "giffile", "exefile", nullptr, nullptr, "giffile"},
      {"the machine's backup", ".gif", "giffile", nullptr, nullptr, nullptr, "giffile"},
      {"our own class in another case before", ".bmp", "moraLUME_tova", nullptr, nullptr, nullptr, std::nullopt},
      {"a backup naming our own class", ".png", "pngfile", nullptr, nullptr, "MORALUME_TOVA", std::nullopt},
  };
  for (const auto &c : cases) {
    SetUp();
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, kClasses + c.extension, "", c.before);
    if (c.plantedBefore) {
      // Keys the installer's writes would land in, were they made through HKEY_CLASSES_ROOT.
      sim::SetRegistryString(HKEY_CURRENT_USER, kClasses + "MoraLUME_TOVA\\license\\ins" + c.extension, "",
                             c.plantedBefore);
      sim::SetRegistryString(HKEY_CURRENT_USER, kClasses + "MoraLUME_TOVA\\installed", "", "");
    }
    EXPECT_EQ(InstallThenUninstall([&c] {
                if (c.planted)
                  sim::SetRegistryString(HKEY_CURRENT_USER, kClasses + "MoraLUME_TOVA\\license\\ins" + c.extension,
                                         "", c.planted);
                if (c.machineBackup)
                  sim::SetRegistryString(HKEY_LOCAL_MACHINE, kClasses + "MoraLUME_TOVA\\license\\ins" + c.extension,
                                         "", c.machineBackup);
              }),
              UNINSTALL_DONE)
        << c.name;
    EXPECT_EQ(Machine(c.extension), c.after) << c.name;
    EXPECT_EQ(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kClasses + c.extension), c.after.has_value()) << c.name;
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_LOCAL_MACHINE, kClasses + "MoraLUME_TOVA")) << c.name;
    EXPECT_FALSE(Machine(".jpg")) << c.name << ": an extension without a class before goes";
    if (c.planted) {
      EXPECT_EQ(sim::RegistryString(HKEY_CURRENT_USER, kClasses + "MoraLUME_TOVA\\license\\ins" + c.extension),
                c.planted)
          << "the user's own key is not the uninstall's";
    }
  }
}

}  // namespace
