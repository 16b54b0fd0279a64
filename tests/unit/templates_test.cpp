// The five dialog templates, control by control, as the tables of the design
// give them. Runs on the resources of the host build, and (through
// tests/pe/templates_from_exe.sh) on those read back from the built setup.exe.
#include <cstdlib>
#include <vector>

#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

enum Kind { kIcon, kText, kCentredText, kEntry, kTextBox, kButton, kDefaultButton, kCheckBox };

struct KindOf {
  const char *className;
  uint32_t style;
};
const KindOf kKinds[] = {{"STATIC", 0x50000003}, {"STATIC", 0x50020000}, {"STATIC", 0x50020001},
                         {"EDIT", 0x50810080},   {"EDIT", 0x50A10004},   {"BUTTON", 0x50010000},
                         {"BUTTON", 0x50010001}, {"BUTTON", 0x50010003}};

struct ExpectedControl {
  int id;
  Kind kind;
  const char *text;  // ignored for icons, which show icon 100
  int x, y, width, height;
};

struct ExpectedDialog {
  int id;
  const char *caption;
  int x, y, width, height;
  std::vector<ExpectedControl> controls;
};

const ExpectedDialog kDialogs[] = {
    {200, "", 10, 30, 200, 132,
     {{-1, kIcon, "", 10, 10, 32, 32},
      {-1, kText, "Welcome to the MoraLUME installation!", 30, 15, 400, 15},
      {-1, kText, "Enter the path to copy MoraLUME's files into and then", 10, 35, 400, 15},
      {-1, kText, "press the 'Install MoraLUME' button when finished.  This", 10, 43, 400, 15},
      {-1, kText, "path is where MoraLUME will be executed from once the", 10, 51, 400, 15},
      {-1, kText, "MoraLUME files have been properly copied to your disk.", 10, 59, 400, 15},
      {102, kText, ".", 10, 67, 400, 15},
      {101, kEntry, "", 10, 83, 170, 12},
      {1, kDefaultButton, "Install MoraLUME", 10, 108, 80, 14},
      {2, kButton, "Exit Installation", 100, 108, 80, 14}}},
    {210, "License Agreement", 10, 30, 250, 180,
     {{-1, kText, "Read the following terms and conditions.  If you agree to abide by this", 10, 10, 400, 15},
      {-1, kText, "agreement, press the 'I Agree' button below and continue the installation.", 10, 18, 400, 15},
      {-1, kText, "If you do not agree, press the 'Exit Installation' button below.", 10, 26, 400, 15},
      {101, kTextBox, "", 10, 45, 230, 105},
      {1, kDefaultButton, "``I Agree''", 10, 160, 80, 14},
      {2, kButton, "Exit Installation", 160, 160, 80, 14},
      {-1, kIcon, "", 115, 160, 32, 32}}},
    {220, "MoraLUME Installation", 50, 80, 100, 55,
     {{-1, kIcon, "", 10, 10, 32, 32},
      {-1, kText, "Copying files...", 30, 15, 400, 15},
      {101, kCentredText, "0%", 10, 30, 80, 12}}},
    {230, "Installation Complete", 10, 30, 190, 119,
     {{-1, kIcon, "", 10, 10, 32, 32},
      {-1, kText, "MoraLUME has been successfully installed.", 30, 15, 400, 15},
      {-1, kText, "A program manager group called 'MoraLUME' has", 10, 35, 400, 15},
      {-1, kText, "been created with an icon for the MoraLUME program.", 10, 43, 400, 15},
      {-1, kText, "To move this to a different group, just drag the icon", 10, 51, 400, 15},
      {-1, kText, "to another group window in the program manager.", 10, 59, 400, 15},
      {114, kText, "Click 'Run MoraLUME Now' now to automatically start,", 10, 70, 400, 15},
      {115, kText, "or click 'Exit Installation' to exit to Windows.", 10, 78, 400, 15},
      {1, kDefaultButton, "Run MoraLUME Now", 10, 95, 80, 14},
      {2, kButton, "Exit Installation", 100, 95, 80, 14}}},
    {240, "MoraLUME Installation", 10, 30, 190, 132,
     {{-1, kIcon, "", 10, 10, 32, 32},
      {-1, kText, "File Association Checklist", 30, 15, 400, 15},
      {-1, kText, "Set the checkboxes below to indicate which formats", 10, 30, 400, 15},
      {-1, kText, "are to be associated through File Manager, Explorer", 10, 38, 400, 15},
      {-1, kText, "and many other supportive applications.", 10, 46, 400, 15},
      {-1, kText, "These associations automatically start MoraLUME", 10, 60, 400, 15},
      {-1, kText, "from applications to view these file types.", 10, 68, 400, 15},
      {103, kCheckBox, ".GIF", 10, 80, 30, 10},
      {104, kCheckBox, ".JPG", 10, 90, 30, 10},
      {105, kCheckBox, ".PCX", 45, 80, 30, 10},
      {106, kCheckBox, ".PNG", 45, 90, 30, 10},
      {107, kCheckBox, ".BMP", 80, 80, 30, 10},
      {108, kCheckBox, ".RLE", 80, 90, 30, 10},
      {109, kCheckBox, ".DIB", 115, 80, 30, 10},
      {110, kCheckBox, ".TIF", 115, 90, 30, 10},
      {111, kCheckBox, ".TGA", 150, 80, 30, 10},
      {112, kCheckBox, ".PCD", 150, 90, 30, 10},
      {1, kButton, "Associate Files", 10, 108, 80, 14},
      {113, kDefaultButton, "Skip", 100, 108, 30, 14},
      {2, kButton, "Exit", 140, 108, 40, 14}}},
};

class TemplatesTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    // The resources read back from setup.exe, when the exe check runs us.
    const char *fromExe = getenv("DIALOG_TEMPLATES_RES");
    if (fromExe) {
      ASSERT_TRUE(sim::LoadResourceFile(fromExe)) << fromExe;
    }
  }
  void TearDown() override {
    if (getenv("DIALOG_TEMPLATES_RES")) sim::LoadResourceFile(SETUP_RES_PATH);
  }
};

TEST_F(TemplatesTest, EveryTemplateMatchesItsTable) {
  for (const ExpectedDialog &expected : kDialogs) {
    SCOPED_TRACE("template " + std::to_string(expected.id));
    const sim::Resource *resource = sim::FindResource(5, expected.id);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->language, 1033u);
    sim::DialogTemplate parsed;
    std::string error;
    ASSERT_TRUE(sim::ParseDialogTemplate(resource->bytes, parsed, error)) << error;
    EXPECT_EQ(parsed.style, 0x10C800C0u);
    EXPECT_EQ(parsed.exStyle, 0u);
    EXPECT_EQ(parsed.menu, "");
    EXPECT_EQ(parsed.className, "");
    EXPECT_EQ(parsed.caption, expected.caption);
    EXPECT_EQ(parsed.fontName, "Arial");
    EXPECT_EQ(parsed.pointSize, 11);
    EXPECT_EQ(parsed.x, expected.x);
    EXPECT_EQ(parsed.y, expected.y);
    EXPECT_EQ(parsed.width, expected.width);
    EXPECT_EQ(parsed.height, expected.height);
    ASSERT_EQ(parsed.controls.size(), expected.controls.size());
    for (size_t i = 0; i < parsed.controls.size(); ++i) {
      SCOPED_TRACE("control " + std::to_string(i + 1));
      const sim::TemplateControl &control = parsed.controls[i];
      const ExpectedControl &want = expected.controls[i];
      EXPECT_EQ(control.id, want.id);
      EXPECT_EQ(control.className, kKinds[want.kind].className);
      EXPECT_EQ(control.style, kKinds[want.kind].style);
      EXPECT_EQ(control.exStyle, 0u);
      if (want.kind == kIcon) {
        EXPECT_EQ(control.textOrdinal, 100);
      } else {
        EXPECT_EQ(control.textOrdinal, -1);
        EXPECT_EQ(control.text, want.text);
      }
      EXPECT_EQ(control.x, want.x);
      EXPECT_EQ(control.y, want.y);
      EXPECT_EQ(control.width, want.width);
      EXPECT_EQ(control.height, want.height);
      EXPECT_EQ(control.creationData, "");
    }
  }
}

TEST_F(TemplatesTest, OnlyTheBaseTemplatesAndOneGroupIcon) {
  int dialogs = 0, groupIcons = 0;
  for (const sim::Resource &resource : sim::Resources()) {
    dialogs += resource.type == "#5";
    groupIcons += resource.type == "#14";
  }
  EXPECT_EQ(dialogs, 5);
  EXPECT_EQ(groupIcons, 1);
  ASSERT_NE(sim::FindResource(14, 100), nullptr);
  ASSERT_NE(sim::FindResource(3, 1), nullptr);
  EXPECT_EQ(sim::FindResource(3, 1)->bytes.size(), 744u);
}

}  // namespace
