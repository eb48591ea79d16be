#include "env/uData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// An object that counts itself out when freed.
class TCounted : public TObject {
 public:
  TCounted(int Id, std::vector<int>& Freed) : Id(Id), Freed_(Freed) {}
  ~TCounted() override { Freed_.push_back(Id); }

  int Id;

 private:
  std::vector<int>& Freed_;
};

struct TRecord {
  char Bytes[30];
};

TEST(TDataTest, SlotsAreThePowerOfTwoAtOrAboveTheItemSize) {
  const struct {
    std::int32_t Size;
    std::uint8_t Shift;
    std::int32_t MemSize;
  } cases[] = {{0, 0, 1}, {1, 0, 1}, {2, 1, 2}, {3, 2, 4}, {8, 3, 8}, {30, 5, 32}, {33, 6, 64}};
  for (const auto& c : cases) {
    TData data;
    data.SetItemSize(c.Size);
    EXPECT_FALSE(data.ItemsAreObjects()) << c.Size;
    EXPECT_EQ(data.ItemShift(), c.Shift) << c.Size;
    EXPECT_EQ(data.ItemMemSize(), c.MemSize) << c.Size;
  }
}

TEST(TDataTest, ThirtyByteItemsUse32ByteSlotsAndTheNinthGrowsTheCapacityTo16) {
  TData data;
  data.SetItemSize(sizeof(TRecord));
  std::vector<std::int32_t> capacities;
  for (int i = 0; i < 9; ++i) {
    auto* item = static_cast<TRecord*>(data.Add());
    ASSERT_NE(item, nullptr);
    std::memset(item->Bytes, 'a' + i, sizeof item->Bytes);
    capacities.push_back(data.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<std::int32_t>{8, 8, 8, 8, 8, 8, 8, 8, 16}));
  for (int i = 0; i < 9; ++i) {
    auto* item = static_cast<const char*>(data.Get(i));
    EXPECT_EQ(item, static_cast<char*>(data.Data()) + 32 * i) << i;
    EXPECT_EQ(item[29], 'a' + i) << "kept across the growth: item " << i;
  }
}

TEST(TDataTest, GetBeyondTheEndAndGetLastOfAnEmptyListAreNull) {
  TData data;
  data.SetItemSize(4);
  EXPECT_EQ(data.GetLast(), nullptr);
  EXPECT_EQ(data.GetFirst(), nullptr);
  data.Add();
  data.Add();
  EXPECT_EQ(data.Get(2), nullptr);
  EXPECT_EQ(data.Get(-1), nullptr);
  EXPECT_EQ(data.GetLast(), data.Get(1));
}

TEST(TDataTest, InsertMovesTheRestUpAndZeroFillsTheNewItem) {
  TData data;
  data.SetItemSize(sizeof(std::int32_t));
  for (std::int32_t value : {10, 20, 30}) {
    const std::int32_t* item = static_cast<std::int32_t*>(data.Add());
    EXPECT_EQ(*item, 0);
    data.Replace(data.Count() - 1, &value);
  }
  const auto* inserted = static_cast<std::int32_t*>(data.Insert(1));
  EXPECT_EQ(*inserted, 0);
  // Beyond the end, the list first grows to the index.
  data.Insert(6);
  std::vector<std::int32_t> values;
  for (void* p = data.GetFirst(); p; data.Next(p))
    values.push_back(*static_cast<std::int32_t*>(p));
  EXPECT_EQ(values, (std::vector<std::int32_t>{10, 0, 20, 30, 0, 0, 0}));
  EXPECT_EQ(data.IterIndex(), 7);
}

TEST(TDataTest, CapacityDoublesFromEightAndCountZeroReleasesTheBlock) {
  TData data;
  data.SetItemSize(1);
  const struct {
    std::int32_t Count;
    std::int32_t Capacity;
  } steps[] = {{1, 8}, {8, 8}, {9, 16}, {3, 16}, {100, 128}, {0, 0}, {2, 8}};
  for (const auto& step : steps) {
    data.SetCount(step.Count);
    EXPECT_EQ(data.Count(), step.Count);
    EXPECT_EQ(data.Capacity(), step.Capacity) << "count " << step.Count;
    EXPECT_EQ(data.Data() == nullptr, step.Capacity == 0) << "count " << step.Count;
  }
  EXPECT_THROW(data.SetCount(TData::MaxCount + 1), std::length_error);
}

TEST(TDataTest, ItemSizeZeroAddsNothing) {
  TData data;
  data.SetItemSize(0);
  EXPECT_EQ(data.Add(), nullptr);
  EXPECT_EQ(data.Count(), 0);
}

TEST(TDataTest, ClearFreesEveryObjectOnceAndNotWithoutFreeObjects) {
  std::vector<int> freed;
  std::vector<std::unique_ptr<TCounted>> kept;
  {
    TData data;
    for (int id = 1; id <= 3; ++id)
      data.AddObject(std::make_unique<TCounted>(id, freed));
    EXPECT_EQ(static_cast<TCounted*>(data.GetObject(1))->Id, 2);
    data.Clear();
    EXPECT_EQ(freed, (std::vector<int>{1, 2, 3}));
    data.FreeObjects = false;
    kept.push_back(std::make_unique<TCounted>(4, freed));
    data.AddObject(std::unique_ptr<TObject>(kept.back().get()));
  }
  EXPECT_EQ(freed, (std::vector<int>{1, 2, 3})) << "the list does not own it without FreeObjects";
}

// Objects must never be lost or freed twice, whatever changes the list.
TEST(TDataTest, ObjectsAreFreedWhenReplacedDroppedOrLeftBehind) {
  std::vector<int> freed;
  TData data(false); // no zero-fill asked for: object slots are zeroed all the same
  for (int id = 1; id <= 4; ++id)
    data.AddObject(std::make_unique<TCounted>(id, freed));
  data.ReplaceObject(0, std::make_unique<TCounted>(5, freed));
  EXPECT_EQ(freed, (std::vector<int>{1})) << "replaced";
  data.Insert(1);
  EXPECT_EQ(data.GetObject(1), nullptr) << "no copy of the reference moved up";
  data.SetCount(3);
  EXPECT_EQ(freed, (std::vector<int>{1, 3, 4})) << "dropped by shrinking";
  data.SetCount(5);
  EXPECT_EQ(data.GetObject(4), nullptr) << "grown again, without stale references";
  data.SetItemSize(8);
  EXPECT_FALSE(data.ItemsAreObjects());
  EXPECT_EQ(freed, (std::vector<int>{1, 3, 4, 5, 2})) << "left behind in record mode";
  EXPECT_EQ(data.Count(), 0);
}

} // namespace
