#include "env/uData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// An object that notes its id when freed.
class TCounted : public TObject {
 public:
  TCounted(int Id, std::vector<int>& Freed) : Id_(Id), Freed_(Freed) {}
  ~TCounted() override { Freed_.push_back(Id_); }

 private:
  int Id_;
  std::vector<int>& Freed_;
};

TEST(TDataTest, ThirtyByteItemsUse32ByteSlotsAndTheNinthGrowsTheCapacityTo16) {
  TData data;
  data.SetItemSize(30);
  EXPECT_EQ(data.ItemMemSize(), 32);
  std::vector<std::int32_t> capacities;
  for (int i = 0; i < 9; ++i) {
    std::memset(data.Add(), 'a' + i, 30);
    capacities.push_back(data.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<std::int32_t>{8, 8, 8, 8, 8, 8, 8, 8, 16}));
  for (int i = 0; i < 9; ++i) {
    const auto* item = static_cast<const char*>(data.Get(i));
    EXPECT_EQ(item, static_cast<char*>(data.Data()) + 32 * i) << i;
    EXPECT_EQ(item[29], 'a' + i) << "kept across the growth: item " << i;
  }
  data.SetCount(0);
  EXPECT_EQ(data.Data(), nullptr) << "no items, no block";
}

TEST(TDataTest, GetOfCountAndGetLastOfAnEmptyListAreNull) {
  TData data;
  data.SetItemSize(4);
  EXPECT_EQ(data.GetLast(), nullptr);
  data.Add();
  data.Add();
  EXPECT_EQ(data.Get(2), nullptr);
  EXPECT_EQ(data.GetLast(), data.Get(1));
}

TEST(TDataTest, InsertMovesTheRestUpAndZeroFillsTheNewItem) {
  TData data;
  data.SetItemSize(sizeof(std::int32_t));
  for (std::int32_t value : {10, 20}) {
    data.Add();
    data.Replace(data.Count() - 1, &value);
  }
  data.Insert(1);
  data.Insert(4); // beyond the end: the list grows to it first
  std::vector<std::int32_t> values;
  for (void* p = data.GetFirst(); p; data.Next(p))
    values.push_back(*static_cast<std::int32_t*>(p));
  EXPECT_EQ(values, (std::vector<std::int32_t>{10, 0, 20, 0, 0}));
}

// An owned object must be freed exactly once, whatever changes the list.
TEST(TDataTest, ObjectsAreFreedWhenReplacedDroppedLeftBehindOrCleared) {
  std::vector<int> freed;
  TData data(false); // no zero-fill asked for: reference slots are zeroed all the same
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
  EXPECT_EQ(freed, (std::vector<int>{1, 3, 4, 5, 2})) << "left behind by record mode";
  TData objects;
  objects.AddObject(std::make_unique<TCounted>(6, freed));
  objects.Clear();
  EXPECT_EQ(freed.back(), 6);
}

} // namespace
