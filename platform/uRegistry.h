#pragma once

// The registry: a process-wide store of keys holding named string values, under two roots. It
// lives in memory only and starts empty: nothing is read from or written to disk, so the keys of
// the shell folders, display drivers and sound schemes exist only when someone writes them.
//
// Key paths are separated by "\"; leading, trailing and doubled separators are ignored. Key
// paths and value names compare without regard to ASCII case, as the platform's registry does.

#include <cstdint>
#include <string>
#include <string_view>

enum TRegistryRoot : std::uint8_t {
  HKEY_CURRENT_USER,
  HKEY_LOCAL_MACHINE,
};

// Access to the keys of one root, through one open key at a time.
class TRegistry {
 public:
  explicit TRegistry(TRegistryRoot Root = HKEY_CURRENT_USER) noexcept : RootKey(Root) {}

  TRegistryRoot RootKey;

  // Opens Key; with CanCreate a missing key is created with its parents. False when it is
  // missing and not created.
  [[nodiscard]] bool OpenKey(std::string_view Key, bool CanCreate);
  // Opens an existing Key for reading only: writing and deleting values fail.
  [[nodiscard]] bool OpenKeyReadOnly(std::string_view Key);
  void CloseKey() noexcept;
  bool KeyExists(std::string_view Key) const;
  // Removes Key with every key below it; false when it does not exist.
  [[nodiscard]] bool DeleteKey(std::string_view Key);

  // The values of the open key. Without an open key they fail or read nothing.
  bool ValueExists(std::string_view Name) const;
  // The value Name, or the empty text when there is none.
  std::string ReadString(std::string_view Name) const;
  [[nodiscard]] bool WriteString(std::string_view Name, std::string_view Value);
  [[nodiscard]] bool DeleteValue(std::string_view Name);

 private:
  std::string Key_; // normalized path of the open key; empty when none is open
  bool Open_ = false;
  bool ReadOnly_ = false;
};

// Empties the whole registry, for tests.
void ClearRegistry();
