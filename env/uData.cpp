#include "env/uData.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace {

// The fewest slots a list allocates.
constexpr std::uint32_t MinCapacity = 8;

} // namespace

void TData::SetItemSize(std::int32_t Size) {
  Size = std::max(Size, 0);
  if (Size > MaxItemSize)
    throw std::length_error("TData item size too large");
  if (ItemsAreObjects_) {
    // The references would otherwise stay behind as plain bytes, and their objects be lost.
    Clear();
    ItemsAreObjects_ = false;
  }
  if (Size == ItemSize_)
    return;
  Clear();
  ItemSize_ = Size;
  ItemShift_ = static_cast<std::uint8_t>(std::bit_width(std::uint32_t(std::max(Size, 1)) - 1));
  ItemMemSize_ = std::int32_t(1) << ItemShift_;
}

void* TData::Add() {
  return Insert(Count_);
}

void* TData::Insert(std::int32_t Index) {
  if (ItemSize_ == 0 || Index < 0)
    return nullptr;
  const std::int32_t oldCount = Count_;
  const std::int64_t newCount = std::int64_t(std::max(Index, oldCount)) + 1;
  if (newCount > MaxCount)
    throw std::length_error("TData too long");
  SetCount(std::int32_t(newCount));
  if (Index < oldCount)
    std::memmove(Slot(Index + 1), Slot(Index), std::size_t(oldCount - Index) << ItemShift_);
  // A reference left over from the item moved up would be owned twice.
  if (Initialize_ || ItemsAreObjects_)
    std::memset(Slot(Index), 0, std::size_t(ItemSize_));
  return Slot(Index);
}

void* TData::Get(std::int32_t Index) const noexcept {
  if (Index < 0 || Index >= Count_)
    return nullptr;
  return Slot(Index);
}

void TData::Replace(std::int32_t Index, const void* Source) {
  if (ItemsAreObjects_ || !Source)
    return;
  if (void* item = Get(Index))
    std::memmove(item, Source, std::size_t(ItemSize_));
}

void* TData::GetFirst() noexcept {
  IterIndex_ = 0;
  return Count_ > 0 ? Slot(0) : nullptr;
}

void TData::Next(void*& P) noexcept {
  ++IterIndex_;
  P = P && IterIndex_ < Count_ ? Slot(IterIndex_) : nullptr;
}

void* TData::GetLast() const noexcept {
  return Count_ > 0 ? Slot(Count_ - 1) : nullptr;
}

TObject* TData::AddObject(std::unique_ptr<TObject> Object) {
  if (!ItemsAreObjects_)
    return nullptr;
  Add();
  SetObjectAt(Count_ - 1, Object.get());
  return Object.release();
}

TObject* TData::GetObject(std::int32_t Index) const noexcept {
  if (!ItemsAreObjects_ || Index < 0 || Index >= Count_)
    return nullptr;
  return ObjectAt(Index);
}

void TData::ReplaceObject(std::int32_t Index, std::unique_ptr<TObject> Object) {
  if (!ItemsAreObjects_ || Index < 0 || Index >= Count_)
    return;
  std::unique_ptr<TObject> replaced(ObjectAt(Index));
  SetObjectAt(Index, Object.release());
  if (!FreeObjects)
    (void)replaced.release(); // its owner is elsewhere
}

void TData::SetCount(std::int32_t NewCount) {
  NewCount = std::max(NewCount, 0);
  if (NewCount > MaxCount)
    throw std::length_error("TData too long");
  const bool zeroNew = Initialize_ || ItemsAreObjects_;
  if (NewCount > Capacity_) {
    const std::uint32_t capacity = std::max(MinCapacity, std::bit_ceil(std::uint32_t(NewCount)));
    const std::size_t bytes = std::size_t(capacity) << ItemShift_;
    auto block = std::make_unique_for_overwrite<std::byte[]>(bytes);
    const std::size_t kept = std::size_t(Count_) << ItemShift_;
    if (kept > 0)
      std::memcpy(block.get(), Data_.get(), kept);
    if (zeroNew)
      std::memset(block.get() + kept, 0, bytes - kept);
    Data_ = std::move(block);
    Capacity_ = std::int32_t(capacity);
  } else if (NewCount > Count_ && zeroNew) {
    std::memset(Slot(Count_), 0, std::size_t(NewCount - Count_) << ItemShift_);
  }
  if (NewCount < Count_ && ItemsAreObjects_ && FreeObjects)
    FreeObjectsFrom(NewCount);
  Count_ = NewCount;
  if (NewCount == 0 && Capacity_ != 0) {
    Data_.reset();
    Capacity_ = 0;
  }
}

void TData::Clear() noexcept {
  if (ItemsAreObjects_ && FreeObjects)
    FreeObjectsFrom(0);
  Data_.reset();
  Count_ = 0;
  Capacity_ = 0;
}

TObject* TData::ObjectAt(std::int32_t Index) const noexcept {
  TObject* object = nullptr;
  std::memcpy(&object, Slot(Index), sizeof object);
  return object;
}

void TData::SetObjectAt(std::int32_t Index, TObject* Object) noexcept {
  std::memcpy(Slot(Index), &Object, sizeof Object);
}

void TData::FreeObjectsFrom(std::int32_t First) noexcept {
  for (std::int32_t i = First; i < Count_; ++i) {
    std::unique_ptr<TObject> object(ObjectAt(i));
    SetObjectAt(i, nullptr);
  }
}
