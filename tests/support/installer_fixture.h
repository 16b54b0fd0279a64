// Every test starts from a fresh process state: the stand-in reset and the
// installer's process-wide state back to its initial values.
#pragma once

#include <gtest/gtest.h>

#include <string>

void ResetInstallerState();

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Writes "tovaopt.ini" beside the installer (C:\dist\ by default).
  void WriteOptionsFile(const std::string &text);
};
