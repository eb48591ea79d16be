#pragma once

// A table of items keyed by a 32-bit number. An item's home slot is its key modulo the capacity;
// items whose home slots collide, or that share a key, all stay: they take the next free slot
// (linear probing), and Find with FindNext visits every item of one key in turn.

#include <cstdint>
#include <deque>
#include <vector>

template <class TItem>
class THashTable {
 public:
  // A table with capacity slots, all empty.
  explicit THashTable(int capacity) : Slots_(capacity > 0 ? capacity : 1) {}

  // Number of items added.
  int Count() const noexcept { return static_cast<int>(Entries_.size()); }
  // Number of slots. The table doubles it when it becomes half full.
  int Capacity() const noexcept { return static_cast<int>(Slots_.size()); }
  // Slot of the most recent Find or FindNext.
  int Position() const noexcept { return Position_; }
  // The slot where a search for key starts.
  int HomeSlot(std::uint32_t key) const noexcept {
    return static_cast<int>(key % static_cast<std::uint32_t>(Slots_.size()));
  }

  // Stores item under key, keeping every item already stored.
  void Add(std::uint32_t key, TItem item) {
    if (Count() >= Capacity() / 2)
      Grow();
    Entries_.push_back(TEntry{key, std::move(item)});
    Place(key, static_cast<int>(Entries_.size()) - 1);
  }

  // The first item stored under key, or nullptr. Items stay where they are until Clear.
  TItem* Find(std::uint32_t key) {
    SearchKey_ = key;
    Position_ = HomeSlot(key);
    return Scan();
  }

  // The next item stored under the key of the last Find, or nullptr.
  TItem* FindNext() {
    Position_ = Next(Position_);
    return Scan();
  }

  // Releases every item and slot.
  void Clear() {
    Entries_.clear();
    Slots_.assign(Slots_.size(), TSlot{});
    Position_ = 0;
  }

  // Calls f(item) for every item in the order of adding.
  template <class F>
  void ForEach(F f) const {
    for (const TEntry& entry : Entries_)
      f(entry.Item);
  }

 private:
  struct TEntry {
    std::uint32_t Key;
    TItem Item;
  };

  struct TSlot {
    std::uint32_t Key = 0;
    int Index = -1; // into Entries_; -1 marks an empty slot
  };

  int Next(int slot) const noexcept { return slot + 1 < Capacity() ? slot + 1 : 0; }

  // Probes from Position_ up to the first empty slot for an item of SearchKey_.
  TItem* Scan() {
    for (;;) {
      const TSlot& slot = Slots_[Position_];
      if (slot.Index < 0)
        return nullptr;
      if (slot.Key == SearchKey_)
        return &Entries_[slot.Index].Item;
      Position_ = Next(Position_);
    }
  }

  void Place(std::uint32_t key, int index) {
    int slot = HomeSlot(key);
    while (Slots_[slot].Index >= 0)
      slot = Next(slot);
    Slots_[slot] = TSlot{key, index};
  }

  // Doubles the slots and places every item again in the order of adding, so that the items
  // of one key are still found in that order.
  void Grow() {
    Slots_.assign(Slots_.size() * 2, TSlot{});
    for (int index = 0; index < Count(); ++index)
      Place(Entries_[index].Key, index);
  }

  std::vector<TSlot> Slots_;
  std::deque<TEntry> Entries_; // stable addresses: found items stay valid while others are added
  int Position_ = 0;
  std::uint32_t SearchKey_ = 0;
};
