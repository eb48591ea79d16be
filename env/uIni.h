#pragma once

// The framework's ini file: sections of keys with text values, read from and written to a file
// of lines "[Section]" and "Key=Value", and a list of registered read/write callbacks through
// which every unit with settings reads them when it registers and writes them when it
// unregisters. The program holds one global ini object, MainIni, which nothing sets unless a
// front end does; every user tests it first.
//
// Sections and keys are found by exact, case-sensitive comparison, the first in file order. Every
// read and write loads the file first if that has not been done.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The keys of a section: key and value alternately.
using TKeys = std::vector<std::string>;

struct TIniSection {
  std::string Name;
  TKeys Keys;

  std::int32_t KeyCount() const noexcept { return std::int32_t(Keys.size() / 2); }
};

// A callback bound to an object: Code(Object, Save). Save false asks it to read its options now,
// true to write them. Make one with MakeRWOptions.
struct TRWOptions {
  void* Object = nullptr;
  void (*Code)(void* Object, bool Save) = nullptr;

  friend bool operator==(const TRWOptions&, const TRWOptions&) = default;
};

// The callback that calls Object.Method(Save).
template <class T, void (T::*Method)(bool)>
TRWOptions MakeRWOptions(T& Object) noexcept {
  return {&Object, [](void* object, bool save) { (static_cast<T*>(object)->*Method)(save); }};
}

class TDIniFile {
 public:
  // An ini object of FileName, not yet loaded.
  explicit TDIniFile(std::string FileName = {});
  TDIniFile(const TDIniFile&) = delete;
  TDIniFile& operator=(const TDIniFile&) = delete;

  // Reads the file, FileName when it is not empty (it then becomes the object's file), into the
  // sections, replacing what they held. Empty lines are skipped; "[Name]" (the "]" optional)
  // starts a section; any other line adds to the current section the key before its first "="
  // with the text behind it as value; lines before the first section are ignored. A missing
  // file gives no sections. A byte-order mark is skipped. Unreadable files are reported.
  void Load(std::string_view FileName = {});
  // Writes the sections and keys in their order, one "[Name]" or "Key=Value" line each, as the
  // new content of the file, through a temporary copy: the file is at every moment the old one or
  // the whole new one. Loads first if not loaded. False, with nothing written, when the file has
  // no name, when the file exists but could not be read at Load (reported: its content would be
  // lost), when an entry would not read back as it is (a key holding "=" or starting with "[", a
  // line break in any text: reported), or when writing fails (reported).
  [[nodiscard]] bool Save();

  // The value of Key in Section, or Default when there is none.
  std::string ReadString(std::string_view Section, std::string_view Key, std::string_view Default);
  // Sets Key in Section to Value, appending the section and the key when missing.
  void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
  // The stored text up to its first "," read as a signed integer (spaces, signs and digits, the
  // rest ignored); Default when the key is missing or its value empty.
  std::int32_t ReadNum(std::string_view Section, std::string_view Key, std::int32_t Default);
  // ReadNum != 0.
  bool ReadBool(std::string_view Section, std::string_view Key, bool Default);
  // Writes "1" or "0".
  void WriteBool(std::string_view Section, std::string_view Key, bool Value);
  // Writes the decimal text of Value.
  void WriteNum(std::string_view Section, std::string_view Key, std::int32_t Value);

  // With Save the Value is written, else it is read, the current Value serving as default.
  void RWBool(std::string_view Section, std::string_view Key, bool& Value, bool Save);
  void RWNum(std::string_view Section, std::string_view Key, std::int32_t& Value, bool Save);
  void RWString(std::string_view Section, std::string_view Key, std::string& Value, bool Save);

  // Appends Callback and calls it at once to read (Save false); logs "RegisterRW " and the code
  // address. A callback without code is ignored.
  void RegisterRW(TRWOptions Callback);
  // Logs "UnregisterRW " and the code address, calls Callback to write (Save true), and removes
  // its first entry from the list, if it has one.
  void UnregisterRW(TRWOptions Callback);

  const std::string& FileName() const noexcept { return FileName_; }
  bool Loaded() const noexcept { return Loaded_; }
  // No change since loading or saving.
  bool Saved() const noexcept { return Saved_; }
  const std::vector<TIniSection>& Sections() const noexcept { return Sections_; }
  std::int32_t SectionCount() const noexcept { return std::int32_t(Sections_.size()); }
  const std::vector<TRWOptions>& Callbacks() const noexcept { return Callbacks_; }

 private:
  void EnsureLoaded();
  // The value of Key in Section, or null.
  const std::string* Find(std::string_view Section, std::string_view Key);

  std::string FileName_;
  bool Loaded_ = false;
  bool Saved_ = false;
  bool ReadFailed_ = false; // the file is there but could not be read
  std::vector<TIniSection> Sections_;
  std::vector<TRWOptions> Callbacks_;
};

// The program's ini object, or null: none is set unless a front end sets one.
TDIniFile* MainIni() noexcept;
// Sets the program's ini object, freeing the one before; null removes it.
void SetMainIni(std::unique_ptr<TDIniFile> Ini) noexcept;
// Frees the program's ini object at shut-down.
void FinalizeIni() noexcept;
