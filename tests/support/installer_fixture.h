// Every test starts from a fresh process state: the stand-in reset and the
// installer's process-wide state back to its initial values.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

void ResetInstallerState();

// Program Files' rights as the stand-in reads them back: given to a folder
// the installer makes, and set with Administrators as owner on one it finds.
inline const std::string kMadeFolderRights = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
inline const std::string kTakenFolderRights = "O:BA" + kMadeFolderRights;

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Writes "tovaopt.ini" beside the installer (C:\dist\ by default).
  void WriteOptionsFile(const std::string &text);

  // A whole run from the process entry with this argument string.
  static int RunWinMain(const std::string &arguments = "");
  // The interactive user who accepts every dialog as it stands.
  static void AcceptEveryDialog();
  // A disk that reports plenty of room but takes only `bytes` more: one that
  // something else fills while the copy runs.
  static void FillDiskDuringCopy(long long bytes);
  // The texts of the message boxes shown, in order.
  static std::vector<std::string> MessageTexts();
  // The command lines of the programs started, in order.
  static std::vector<std::string> StartedCommandLines();
};
