#pragma once

// TData, the framework's general list: a growable array of fixed-size records kept in one memory
// block, or of objects that the list owns. Items sit in slots whose stride is the item size
// rounded up to a power of two; an item's address stays valid until the list grows, shrinks or is
// cleared.
//
// Records are copied as bytes, so they must be trivially copyable; lists of strings or callbacks
// use a standard container instead.

#include <cstddef>
#include <cstdint>
#include <memory>

// The base of the objects a TData owns in object mode; they are freed through its destructor.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;
};

class TData {
 public:
  // A list in object mode. Initialize zero-fills every new record slot.
  TData() : TData(true) {}
  explicit TData(bool Initialize) noexcept : Initialize_(Initialize) {}
  TData(const TData&) = delete;
  TData& operator=(const TData&) = delete;
  ~TData() { Clear(); }

  // Leaves object mode, freeing the objects held (with FreeObjects), and makes the list hold
  // records of Size bytes; a size other than the current one empties the list first. A negative
  // Size counts as 0; a Size above MaxItemSize raises std::length_error.
  void SetItemSize(std::int32_t Size);

  // A new item at the end: Insert(Count). Null when the item size is 0.
  void* Add();
  // Makes room for an item at Index (>= 0) and returns it: the items from Index on move up one
  // slot; an Index beyond the end first extends the list to it. The new item is zero-filled when
  // Initialize is set, and always in object mode. Null when the item size is 0 or Index < 0.
  void* Insert(std::int32_t Index);
  // The item at Index; null when there is no such item.
  void* Get(std::int32_t Index) const noexcept;
  // Copies ItemSize bytes from Source into the item at Index, if it exists. In object mode use
  // ReplaceObject, which frees the object replaced.
  void Replace(std::int32_t Index, const void* Source);

  // Iteration: the first item (null when empty) with IterIndex 0; Next moves P to the following
  // item and sets it to null past the last one. P must come from GetFirst or Next.
  void* GetFirst() noexcept;
  void Next(void*& P) noexcept;
  // The last item, or null when empty.
  void* GetLast() const noexcept;

  // Object mode: appends Object, which the list then owns; null in record mode (Object is freed).
  TObject* AddObject(std::unique_ptr<TObject> Object);
  // The object at Index, or null when there is none or the list holds records.
  TObject* GetObject(std::int32_t Index) const noexcept;
  // Puts Object in place of the object at Index, freeing the one replaced (with FreeObjects).
  // Nothing happens, and Object is freed, when there is no such item or the list holds records.
  void ReplaceObject(std::int32_t Index, std::unique_ptr<TObject> Object);

  // Sets the number of items. Growing beyond Capacity reallocates to the next power of two of at
  // least 8 slots, zero-filling the new ones with Initialize (always in object mode); 0 releases
  // the block. Dropped objects are freed (with FreeObjects). A negative NewCount counts as 0;
  // more than MaxCount items raise std::length_error.
  void SetCount(std::int32_t NewCount);
  // Frees the objects in object mode (with FreeObjects) and releases the block.
  void Clear() noexcept;

  bool ItemsAreObjects() const noexcept { return ItemsAreObjects_; }
  bool Initialize() const noexcept { return Initialize_; }
  std::int32_t ItemSize() const noexcept { return ItemSize_; }
  std::uint8_t ItemShift() const noexcept { return ItemShift_; }
  std::int32_t ItemMemSize() const noexcept { return ItemMemSize_; }
  std::int32_t Count() const noexcept { return Count_; }
  std::int32_t Capacity() const noexcept { return Capacity_; }
  std::int32_t IterIndex() const noexcept { return IterIndex_; }
  void* Data() const noexcept { return Data_.get(); }

  // Clear (and shrinking) frees the objects held in object mode.
  bool FreeObjects = true;

  static constexpr std::int32_t MaxItemSize = 1 << 30;
  static constexpr std::int32_t MaxCount = 1 << 30;

 private:
  std::byte* Slot(std::int32_t Index) const noexcept {
    return Data_.get() + (std::size_t(Index) << ItemShift_);
  }
  TObject* ObjectAt(std::int32_t Index) const noexcept;
  void SetObjectAt(std::int32_t Index, TObject* Object) noexcept;
  // Frees the objects of the items from First to the end of the list.
  void FreeObjectsFrom(std::int32_t First) noexcept;

  bool ItemsAreObjects_ = true;
  std::unique_ptr<std::byte[]> Data_;
  bool Initialize_;
  std::int32_t ItemSize_ = sizeof(TObject*);
  std::uint8_t ItemShift_ = 3;
  std::int32_t ItemMemSize_ = sizeof(TObject*);
  std::int32_t Count_ = 0;
  std::int32_t Capacity_ = 0;
  std::int32_t IterIndex_ = 0;

  static_assert(sizeof(TObject*) == 8, "an object reference fills an 8-byte slot");
};
