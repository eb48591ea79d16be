#include "env/uIni.h"

#include "env/uFile.h"
#include "env/uFileHelpers.h"
#include "report/uLog.h"
#include "report/uMsg.h"
#include "text/uOutputFormat.h"
#include "text/uStrings.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

std::unique_ptr<TDIniFile> GlobalIni;

bool HasLineBreak(std::string_view Text) noexcept {
  return Text.find_first_of("\r\n") != std::string_view::npos;
}

// The code address of a callback as the log shows it.
std::string CodeAddress(const TRWOptions& Callback) {
  const auto address = reinterpret_cast<std::uintptr_t>(Callback.Code);
  return NumberToText(static_cast<std::int64_t>(address), 0, nsPlain);
}

// Callbacks whose code lies in the first 64 KiB are unset.
bool IsSet(const TRWOptions& Callback) noexcept {
  return reinterpret_cast<std::uintptr_t>(Callback.Code) > 65535;
}

} // namespace

TDIniFile::TDIniFile(std::string FileName) : FileName_(std::move(FileName)) {}

void TDIniFile::Load(std::string_view FileName) {
  if (!FileName.empty())
    FileName_ = FileName;
  Sections_.clear();
  ReadFailed_ = false;
  Loaded_ = true;
  Saved_ = true;
  if (FileName_.empty() || !FileExistsEx(FileName_))
    return;
  std::string text;
  if (!ReadStringFromFile(FileName_, text)) {
    ReadFailed_ = true;
    return;
  }
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end);
    if (!rest.empty())
      rest.remove_prefix(rest.starts_with("\r\n") ? 2 : 1);
    if (line.empty())
      continue;
    if (line.front() == '[') {
      std::string_view name = line.substr(1);
      if (name.ends_with(']'))
        name.remove_suffix(1);
      Sections_.push_back({std::string(name), {}});
    } else if (!Sections_.empty()) {
      const std::size_t equal = line.find('=');
      TKeys& keys = Sections_.back().Keys;
      keys.emplace_back(line.substr(0, equal));
      keys.emplace_back(equal == std::string_view::npos ? std::string_view()
                                                        : line.substr(equal + 1));
    }
  }
}

bool TDIniFile::Save() {
  EnsureLoaded();
  if (FileName_.empty())
    return false;
  if (ReadFailed_) {
    // Its content is unknown here; writing would lose it.
    ShowError("The ini file %1 could not be read, so it is not overwritten.", {FileName_});
    return false;
  }
  std::string text;
  for (const TIniSection& section : Sections_) {
    if (HasLineBreak(section.Name)) {
      ShowError("Section %1 cannot be stored in the ini file %2.", {section.Name, FileName_});
      return false;
    }
    text += '[';
    text += section.Name;
    text += "]\n";
    for (std::size_t i = 0; i + 1 < section.Keys.size(); i += 2) {
      const std::string& key = section.Keys[i];
      const std::string& value = section.Keys[i + 1];
      if (key.find('=') != std::string::npos || key.starts_with('[') || HasLineBreak(key) ||
          HasLineBreak(value)) {
        ShowError("Key %1 of section %2 cannot be stored in the ini file %3.",
                  {key, section.Name, FileName_});
        return false;
      }
      text += key;
      text += '=';
      text += value;
      text += '\n';
    }
  }
  if (!WriteBlockToFile(FileName_, text.data(), text.size()))
    return false;
  Saved_ = true;
  return true;
}

void TDIniFile::EnsureLoaded() {
  if (!Loaded_)
    Load();
}

const std::string* TDIniFile::Find(std::string_view Section, std::string_view Key) {
  EnsureLoaded();
  const auto section = std::find_if(Sections_.begin(), Sections_.end(),
                                    [&](const TIniSection& s) { return s.Name == Section; });
  if (section == Sections_.end())
    return nullptr;
  for (std::size_t i = 0; i + 1 < section->Keys.size(); i += 2)
    if (section->Keys[i] == Key)
      return &section->Keys[i + 1];
  return nullptr;
}

std::string TDIniFile::ReadString(std::string_view Section, std::string_view Key,
                                  std::string_view Default) {
  const std::string* value = Find(Section, Key);
  return value ? *value : std::string(Default);
}

void TDIniFile::WriteString(std::string_view Section, std::string_view Key,
                            std::string_view Value) {
  EnsureLoaded();
  Saved_ = false;
  auto section = std::find_if(Sections_.begin(), Sections_.end(),
                              [&](const TIniSection& s) { return s.Name == Section; });
  if (section == Sections_.end()) {
    Sections_.push_back({std::string(Section), {}});
    section = Sections_.end() - 1;
  }
  TKeys& keys = section->Keys;
  for (std::size_t i = 0; i + 1 < keys.size(); i += 2) {
    if (keys[i] == Key) {
      keys[i + 1] = Value;
      return;
    }
  }
  keys.emplace_back(Key);
  keys.emplace_back(Value);
}

std::int32_t TDIniFile::ReadNum(std::string_view Section, std::string_view Key,
                                std::int32_t Default) {
  const std::string* value = Find(Section, Key);
  if (!value)
    return Default;
  const std::string number = TextBefore(*value, ',');
  return number.empty() ? Default : TextToInt(number);
}

bool TDIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) {
  return ReadNum(Section, Key, Default ? 1 : 0) != 0;
}

void TDIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value) {
  WriteString(Section, Key, Value ? "1" : "0");
}

void TDIniFile::WriteNum(std::string_view Section, std::string_view Key, std::int32_t Value) {
  WriteString(Section, Key, IntToText(Value, nsPlain));
}

void TDIniFile::RWBool(std::string_view Section, std::string_view Key, bool& Value, bool Save) {
  if (Save)
    WriteBool(Section, Key, Value);
  else
    Value = ReadBool(Section, Key, Value);
}

void TDIniFile::RWNum(std::string_view Section, std::string_view Key, std::int32_t& Value,
                      bool Save) {
  if (Save)
    WriteNum(Section, Key, Value);
  else
    Value = ReadNum(Section, Key, Value);
}

void TDIniFile::RWString(std::string_view Section, std::string_view Key, std::string& Value,
                         bool Save) {
  if (Save)
    WriteString(Section, Key, Value);
  else
    Value = ReadString(Section, Key, Value);
}

void TDIniFile::RegisterRW(TRWOptions Callback) {
  if (!IsSet(Callback))
    return;
  MainLogAdd("RegisterRW " + CodeAddress(Callback), mlDebug);
  Callbacks_.push_back(Callback);
  Callback.Code(Callback.Object, false);
}

void TDIniFile::UnregisterRW(TRWOptions Callback) {
  if (!IsSet(Callback))
    return;
  MainLogAdd("UnregisterRW " + CodeAddress(Callback), mlDebug);
  Callback.Code(Callback.Object, true);
  const auto entry = std::find(Callbacks_.begin(), Callbacks_.end(), Callback);
  if (entry != Callbacks_.end())
    Callbacks_.erase(entry);
}

TDIniFile* MainIni() noexcept {
  return GlobalIni.get();
}

void SetMainIni(std::unique_ptr<TDIniFile> Ini) noexcept {
  GlobalIni = std::move(Ini);
}

void FinalizeIni() noexcept {
  GlobalIni.reset();
}
