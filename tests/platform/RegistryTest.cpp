#include "platform/uRegistry.h"

#include <gtest/gtest.h>

namespace {

// Every test starts and ends with an empty registry.
class TRegistryTest : public testing::Test {
 protected:
  void SetUp() override { ClearRegistry(); }
  void TearDown() override { ClearRegistry(); }
};

TEST_F(TRegistryTest, KeysExistOnlyOnceWrittenAndOnlyUnderTheirRoot) {
  TRegistry user(HKEY_CURRENT_USER), machine(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(user.OpenKeyReadOnly("Software\\Korvane"));
  EXPECT_FALSE(user.OpenKey("Software\\Korvane", false));
  ASSERT_TRUE(user.OpenKey("Software\\Korvane\\App", true));
  EXPECT_TRUE(user.KeyExists("Software\\Korvane")) << "parents are created with the key";
  EXPECT_TRUE(user.KeyExists("\\software\\\\KORVANE\\app\\")) << "separators and case do not count";
  EXPECT_FALSE(machine.KeyExists("Software\\Korvane\\App"));
}

TEST_F(TRegistryTest, ValuesAreReadWrittenAndDeletedInTheOpenKey) {
  TRegistry registry;
  EXPECT_FALSE(registry.WriteString("Name", "x")) << "no key is open";
  EXPECT_EQ(registry.ReadString("Name"), "");
  ASSERT_TRUE(registry.OpenKey("Key", true));
  EXPECT_TRUE(registry.WriteString("Name", "value"));
  EXPECT_TRUE(registry.ValueExists("NAME"));
  EXPECT_EQ(registry.ReadString("name"), "value");
  EXPECT_EQ(registry.ReadString("Other"), "");
  EXPECT_TRUE(registry.DeleteValue("Name"));
  EXPECT_FALSE(registry.DeleteValue("Name"));
  EXPECT_FALSE(registry.ValueExists("Name"));
}

TEST_F(TRegistryTest, AKeyOpenedReadOnlyRefusesChanges) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("Key", true));
  ASSERT_TRUE(registry.WriteString("Name", "value"));
  ASSERT_TRUE(registry.OpenKeyReadOnly("Key"));
  EXPECT_FALSE(registry.WriteString("Name", "other"));
  EXPECT_FALSE(registry.DeleteValue("Name"));
  EXPECT_EQ(registry.ReadString("Name"), "value");
}

TEST_F(TRegistryTest, DeleteKeyRemovesTheKeysBelowButNotItsNeighbours) {
  TRegistry registry;
  for (const char* key : {"A\\B\\C", "A\\B!", "A\\BC", "A\\B\\D"})
    ASSERT_TRUE(registry.OpenKey(key, true)) << key;
  EXPECT_TRUE(registry.DeleteKey("A\\B"));
  EXPECT_FALSE(registry.KeyExists("A\\B"));
  EXPECT_FALSE(registry.KeyExists("A\\B\\C"));
  EXPECT_FALSE(registry.KeyExists("A\\B\\D"));
  EXPECT_FALSE(registry.ReadString("x").size()) << "the open key went with them";
  EXPECT_TRUE(registry.KeyExists("A\\B!"));
  EXPECT_TRUE(registry.KeyExists("A\\BC"));
  EXPECT_FALSE(registry.DeleteKey("A\\B"));
  EXPECT_FALSE(registry.DeleteKey("")) << "the root stays";
}

} // namespace
