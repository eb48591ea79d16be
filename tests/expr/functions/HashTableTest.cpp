#include "expr/functions/uHashTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every item Find and FindNext visit for key, in order.
std::vector<std::string> ItemsOf(THashTable<std::string>& table, std::uint32_t key) {
  std::vector<std::string> items;
  for (std::string* item = table.Find(key); item; item = table.FindNext())
    items.push_back(*item);
  return items;
}

TEST(THashTable, AnEmptyTableFindsNothingNotEvenKeyZero) {
  THashTable<std::string> table(16);
  EXPECT_EQ(table.Find(0), nullptr);
  EXPECT_EQ(table.Find(5), nullptr);
  EXPECT_EQ(table.Count(), 0);
}

TEST(THashTable, KeepsEveryItemOfOneKeyInTheOrderOfAdding) {
  THashTable<std::string> table(16);
  table.Add(7, "first");
  table.Add(7, "second");
  table.Add(7, "third");
  EXPECT_EQ(ItemsOf(table, 7), (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(table.Count(), 3);
}

TEST(THashTable, KeepsKeysWhoseHomeSlotsCollide) {
  THashTable<std::string> table(16);
  table.Add(3, "three");
  table.Add(3 + 16, "nineteen");
  EXPECT_EQ(table.HomeSlot(3), table.HomeSlot(19));
  EXPECT_EQ(ItemsOf(table, 3), std::vector<std::string>{"three"});
  EXPECT_EQ(ItemsOf(table, 19), std::vector<std::string>{"nineteen"});
  EXPECT_EQ(ItemsOf(table, 35), std::vector<std::string>{});
}

TEST(THashTable, ProbingWrapsAroundTheEndOfTheSlots) {
  THashTable<std::string> table(8);
  table.Add(7, "a");
  table.Add(15, "b");
  table.Add(7, "c");
  EXPECT_EQ(ItemsOf(table, 7), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(ItemsOf(table, 15), std::vector<std::string>{"b"});
}

TEST(THashTable, PositionIsTheSlotOfTheLastFind) {
  THashTable<std::string> table(16);
  table.Add(21, "x");
  ASSERT_NE(table.Find(21), nullptr);
  EXPECT_EQ(table.Position(), 5);
}

TEST(THashTable, GrowsAtHalfLoadWithoutLosingItemsOrTheirOrder) {
  THashTable<std::string> table(4);
  for (int i = 0; i < 40; ++i)
    table.Add(static_cast<std::uint32_t>(i % 3), std::to_string(i));
  EXPECT_GE(table.Capacity(), 80);
  EXPECT_EQ(table.Count(), 40);
  std::vector<std::string> expected;
  for (int i = 1; i < 40; i += 3)
    expected.push_back(std::to_string(i));
  EXPECT_EQ(ItemsOf(table, 1), expected);
}

TEST(THashTable, FoundItemsStayValidWhileOthersAreAdded) {
  THashTable<std::string> table(4);
  table.Add(1, "kept");
  std::string* found = table.Find(1);
  for (std::uint32_t key = 2; key < 100; ++key)
    table.Add(key, "other");
  EXPECT_EQ(*found, "kept");
  EXPECT_EQ(table.Find(1), found);
}

TEST(THashTable, ClearEmptiesTheTableAndForEachFollowsTheOrderOfAdding) {
  THashTable<std::string> table(16);
  table.Add(9, "b");
  table.Add(1, "a");
  std::string joined;
  table.ForEach([&](const std::string& item) { joined += item; });
  EXPECT_EQ(joined, "ba");
  table.Clear();
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.Find(9), nullptr);
}

} // namespace
