#include "platform/uRegistry.h"

#include <algorithm>
#include <map>

namespace {

struct TKey {
  std::map<std::string, std::string> Values; // by upper-case name
};

// Every key of both roots, by root number + "\" + upper-case path.
std::map<std::string, TKey> Keys;

std::string UpperAscii(std::string_view Text) {
  std::string result(Text);
  for (char& c : result)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return result;
}

// The store's name of Key under Root: its parts in upper case, each after one "\".
std::string KeyName(TRegistryRoot Root, std::string_view Key) {
  std::string name = std::to_string(int(Root));
  std::size_t pos = 0;
  while (pos < Key.size()) {
    const std::size_t end = std::min(Key.find('\\', pos), Key.size());
    if (end > pos) {
      name += '\\';
      name += UpperAscii(Key.substr(pos, end - pos));
    }
    pos = end + 1;
  }
  return name;
}

} // namespace

bool TRegistry::OpenKey(std::string_view Key, bool CanCreate) {
  CloseKey();
  const std::string name = KeyName(RootKey, Key);
  if (!Keys.contains(name)) {
    if (!CanCreate)
      return false;
    // Every parent exists as a key of its own, so that KeyExists sees it.
    for (std::size_t pos = name.find('\\'); pos != std::string::npos;
         pos = name.find('\\', pos + 1))
      Keys.try_emplace(name.substr(0, pos));
    Keys.try_emplace(name);
  }
  Key_ = name;
  Open_ = true;
  ReadOnly_ = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(std::string_view Key) {
  if (!OpenKey(Key, false))
    return false;
  ReadOnly_ = true;
  return true;
}

void TRegistry::CloseKey() noexcept {
  Key_.clear();
  Open_ = false;
  ReadOnly_ = false;
}

bool TRegistry::KeyExists(std::string_view Key) const {
  return Keys.contains(KeyName(RootKey, Key));
}

bool TRegistry::DeleteKey(std::string_view Key) {
  const std::string name = KeyName(RootKey, Key);
  if (name.find('\\') == std::string::npos || !Keys.contains(name))
    return false;
  Keys.erase(name);
  const std::string below = name + '\\';
  for (auto it = Keys.lower_bound(below);
       it != Keys.end() && it->first.compare(0, below.size(), below) == 0;)
    it = Keys.erase(it);
  if (Open_ && (Key_ == name || Key_.compare(0, below.size(), below) == 0))
    CloseKey();
  return true;
}

bool TRegistry::ValueExists(std::string_view Name) const {
  if (!Open_)
    return false;
  const auto key = Keys.find(Key_);
  return key != Keys.end() && key->second.Values.contains(UpperAscii(Name));
}

std::string TRegistry::ReadString(std::string_view Name) const {
  if (!Open_)
    return {};
  const auto key = Keys.find(Key_);
  if (key == Keys.end())
    return {};
  const auto value = key->second.Values.find(UpperAscii(Name));
  return value == key->second.Values.end() ? std::string() : value->second;
}

bool TRegistry::WriteString(std::string_view Name, std::string_view Value) {
  if (!Open_ || ReadOnly_)
    return false;
  const auto key = Keys.find(Key_);
  if (key == Keys.end())
    return false;
  key->second.Values[UpperAscii(Name)] = std::string(Value);
  return true;
}

bool TRegistry::DeleteValue(std::string_view Name) {
  if (!Open_ || ReadOnly_)
    return false;
  const auto key = Keys.find(Key_);
  return key != Keys.end() && key->second.Values.erase(UpperAscii(Name)) > 0;
}

void ClearRegistry() {
  Keys.clear();
}
