// Common ground of the dialog procedures' tests: options from "tovaopt.ini",
// a scripted run through RunDialog, and no misuse of windows, contexts or
// fonts left behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/installer_state.h"
#include "core/options.h"
#include "core/startup.h"
#include "support/installer_fixture.h"
#include "ui/run_dialog.h"
#include "win32sim/testapi.h"

class DialogTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InitInstaller(nullptr);  // installer directory C:\dist\, empty options list
  }
  void TearDown() override {
    EXPECT_TRUE(sim::DialogFaults().empty()) << sim::DialogFaults().front();
    EXPECT_TRUE(sim::GdiFaults().empty()) << sim::GdiFaults().front();
    EXPECT_EQ(sim::LiveWindows(), 0);
    EXPECT_EQ(sim::LiveDeviceContexts(), 0);
    EXPECT_EQ(sim::LiveFonts(), 0);
  }
  void SetOptions(const std::string &text) {
    WriteOptionsFile(text);
    ReadInstallerOptions();
  }
  LONG Run(WORD templateId, DLGPROC procedure, const std::vector<sim::UserStep> &steps) {
    sim::ScriptDialog(templateId, steps);
    return RunDialog(nullptr, templateId, nullptr, procedure);
  }
  // What the user saw before the first step.
  const sim::DialogView &FirstView(int templateId) {
    const sim::DialogRun *run = sim::LastDialogRun(templateId);
    EXPECT_NE(run, nullptr);
    EXPECT_FALSE(run->views.empty());
    return run->views.front();
  }
};
