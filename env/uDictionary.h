#pragma once

// Translations: a dictionary of phrases and their replacements for one chosen language, read
// from ExeDir + "Languages/" + language + ".csv" (phrase in the first column, replacement in the
// second; "#" comment lines and empty lines skipped). Installed, it becomes the Translate hook,
// so every caption and message passes through it; until a front end installs it, texts pass
// unchanged.

#include "report/uTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TDictEntry {
  std::string Phrase;      // found case-insensitively, as a whole word
  std::string Replacement; // put in its place
};

class TDictionary {
 public:
  // The states of the entries: not read, reading or unreadable, read.
  static constexpr std::uint8_t NotLoaded = 0;
  static constexpr std::uint8_t LoadAttempted = 1;
  static constexpr std::uint8_t Loaded = 2;

  // A dictionary of Languages (the names of the dictionary files) with none chosen.
  explicit TDictionary(TArrayOfString Languages = {});
  TDictionary(const TDictionary&) = delete;
  TDictionary& operator=(const TDictionary&) = delete;

  // Chooses a language by its index in Languages; a negative index, or one beyond them,
  // switches translation off. Another language's entries are read at the next translation.
  void SetLanguageIndex(std::int32_t Index);
  std::int32_t LanguageIndex() const noexcept { return LanguageIndex_; }
  const TArrayOfString& Languages() const noexcept { return Languages_; }
  std::int32_t LanguageCount() const noexcept { return std::int32_t(Languages_.size()); }

  // Text translated: unchanged while no language is chosen or its file could not be read.
  // Otherwise its accelerator marks are dropped ("&&" leaves one "&"), then every entry, those
  // with longer replacements first and equal lengths in reverse file order, replaces each
  // occurrence of its phrase (compared upper-cased) that stands as a word: the bytes before and
  // after it are ASCII and neither letters nor "_" (the ends of the text count as such), and the
  // byte before is not "/". A replacement at the start of the text, in place of a capital that
  // its own first letter differs from, gets its first letter upper-cased. The search goes on
  // behind each replacement. The first translation with a language chosen reads its file.
  std::string Translate(std::string_view Text);

  // Reads the chosen language's file (State 1 while reading; 2 when read). A missing or
  // unreadable file leaves the dictionary empty, at State 1, and texts unchanged. Entries with
  // an empty phrase are skipped.
  void Load();

  std::uint8_t State() const noexcept { return State_; }
  const std::vector<TDictEntry>& Entries() const noexcept { return Entries_; }
  std::int32_t EntryCount() const noexcept { return std::int32_t(Entries_.size()); }
  // The entries' order of processing, and the replacement length of each entry in that order.
  const std::vector<std::int32_t>& Order() const noexcept { return Order_; }
  const std::vector<std::uint32_t>& Lengths() const noexcept { return Lengths_; }

 private:
  std::int32_t LanguageIndex_ = -1;
  TArrayOfString Languages_;
  std::vector<TDictEntry> Entries_;
  std::vector<std::string> UpperPhrases_; // each phrase upper-cased, for the search
  std::uint8_t State_ = NotLoaded;
  std::vector<std::int32_t> Order_;
  std::vector<std::uint32_t> Lengths_;
};

// The file of a language's dictionary: ExeDir + "Languages/" + Language + ".csv".
std::string DictionaryFileName(std::string_view Language);

// Installs a dictionary of Languages with Language chosen, in place of any installed before, and
// makes it the Translate hook. A Language that is not among them (such as "") chooses none, so
// texts pass unchanged, and gives false.
[[nodiscard]] bool InstallDictionary(TArrayOfString Languages, std::string_view Language);
// The installed dictionary, or null.
TDictionary* InstalledDictionary() noexcept;
// Removes the dictionary and the hook; part of the framework's shut-down.
void RemoveDictionary() noexcept;
