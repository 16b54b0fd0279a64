// The compiled resources as the stand-in serves them to the product.
#include <windows.h>

#include "support/installer_fixture.h"
#include "win32sim/testapi.h"

namespace {

class ResourcesTest : public InstallerTest {};

TEST_F(ResourcesTest, IconImageAndGroupInEnglish) {
  const sim::Resource *image = sim::FindResource(3, 1);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->bytes.size(), 744u);
  EXPECT_EQ(image->language, 1033u);
  const sim::Resource *group = sim::FindResource(14, 100);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->language, 1033u);
  // One entry: 32 x 32, 16 colours, 744 bytes, image id 1.
  ASSERT_EQ(group->bytes.size(), 6u + 14u);
  EXPECT_EQ(group->bytes[4], 1);
  EXPECT_EQ(static_cast<unsigned char>(group->bytes[6]), 32);
  EXPECT_EQ(group->bytes[8], 16);
  EXPECT_EQ(group->bytes[18], 1);
}

TEST_F(ResourcesTest, FindLoadLockAndFree) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(100), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 20u);
  HGLOBAL loaded = LoadResource(nullptr, found);
  EXPECT_NE(LockResource(loaded), nullptr);
  EXPECT_EQ(sim::LoadedResources(), 1);
  FreeResource(loaded);
  EXPECT_EQ(sim::LoadedResources(), 0);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(303), MAKEINTRESOURCEA(512)), nullptr);
  EXPECT_NE(FindResourceA(nullptr, "#100", RT_GROUP_ICON), nullptr);
}

TEST_F(ResourcesTest, TestsCanReplaceAndBreakResources) {
  sim::SetResource(512, 301, "abc");
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 3u);
  sim::FailResourceLock(true);
  EXPECT_EQ(LockResource(LoadResource(nullptr, found)), nullptr);
  sim::RemoveResource(512, 301);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512)), nullptr);
  sim::Reset();  // back to the built resources, the sample payload among them
  EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(301), MAKEINTRESOURCEA(512)), nullptr);
  EXPECT_NE(sim::FindResource(3, 1), nullptr);
}

}  // namespace
