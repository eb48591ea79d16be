#include "env/uDictionary.h"

#include "env/uCSVFile.h"
#include "env/uPaths.h"
#include "text/uStrings.h"
#include "text/uTranslate.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <numeric>
#include <utility>

namespace {

std::unique_ptr<TDictionary> Installed;

// A byte that may stand next to a whole word: ASCII, neither a letter nor "_".
bool IsWordBoundary(char C) noexcept {
  const auto c = static_cast<unsigned char>(C);
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return c < 128 && !letter && c != '_';
}

bool StandsAsWord(std::string_view Text, std::size_t Pos, std::size_t Length) noexcept {
  if (Pos > 0 && (!IsWordBoundary(Text[Pos - 1]) || Text[Pos - 1] == '/'))
    return false;
  const std::size_t end = Pos + Length;
  return end >= Text.size() || IsWordBoundary(Text[end]);
}

// A capital letter by the framework's case tables.
bool IsCapital(char C) {
  const std::string_view c(&C, 1);
  return UpperCase1250(c)[0] == C && LowerCase1250(c)[0] != C;
}

std::string TranslateHook(std::string_view Text) {
  return Installed ? Installed->Translate(Text) : std::string(Text);
}

} // namespace

TDictionary::TDictionary(TArrayOfString Languages) : Languages_(std::move(Languages)) {}

void TDictionary::SetLanguageIndex(std::int32_t Index) {
  if (Index == LanguageIndex_)
    return;
  LanguageIndex_ = Index;
  Entries_.clear();
  UpperPhrases_.clear();
  Order_.clear();
  Lengths_.clear();
  State_ = NotLoaded;
}

void TDictionary::Load() {
  State_ = LoadAttempted;
  Entries_.clear();
  UpperPhrases_.clear();
  Order_.clear();
  Lengths_.clear();
  if (LanguageIndex_ < 0 || LanguageIndex_ >= LanguageCount())
    return;
  TCSVFile file(2);
  if (!file.Open(DictionaryFileName(Languages_[std::size_t(LanguageIndex_)])))
    return;
  std::vector<TDictEntry> entries;
  TArrayOfString fields;
  while (file.ReadLine(fields)) {
    // An empty phrase would be found everywhere.
    if (!fields[0].empty())
      entries.push_back({std::move(fields[0]), std::move(fields[1])});
  }
  // Every line was read already; a failed close of the read-only file is reported by Close.
  (void)file.Close();
  Entries_ = std::move(entries);
  Order_.resize(Entries_.size());
  std::iota(Order_.begin(), Order_.end(), 0);
  Lengths_.reserve(Entries_.size());
  for (const TDictEntry& entry : Entries_) {
    Lengths_.push_back(static_cast<std::uint32_t>(std::min<std::size_t>(
        entry.Replacement.size(), std::numeric_limits<std::uint32_t>::max())));
    UpperPhrases_.push_back(UpperCase1250(entry.Phrase));
  }
  // Longer replacements first; of equal ones, the later in the file first.
  SortIndexes(true, true, Order_, Lengths_);
  State_ = Loaded;
}

std::string TDictionary::Translate(std::string_view Text) {
  if (LanguageIndex_ < 0 || LanguageIndex_ >= LanguageCount())
    return std::string(Text);
  if (State_ == NotLoaded)
    Load();
  if (State_ != Loaded)
    return std::string(Text);
  std::string text = DropAmpersands(Text);
  std::string upper = UpperCase1250(text);
  for (const std::int32_t index : Order_) {
    const std::string& phrase = UpperPhrases_[std::size_t(index)];
    const std::string& replacement = Entries_[std::size_t(index)].Replacement;
    for (std::size_t pos = upper.find(phrase); pos != std::string::npos;
         pos = upper.find(phrase, pos)) {
      if (!StandsAsWord(text, pos, phrase.size())) {
        pos += phrase.size();
        continue;
      }
      std::string inserted = replacement;
      // Only an ASCII first byte is changed: any other starts or continues a multi-byte
      // character, which changing would break.
      if (pos == 0 && !inserted.empty() && inserted[0] != text[0] && IsCapital(text[0]) &&
          static_cast<unsigned char>(inserted[0]) < 128)
        inserted[0] = UpperCase1250(std::string_view(inserted.data(), 1))[0];
      text.replace(pos, phrase.size(), inserted);
      upper.replace(pos, phrase.size(), UpperCase1250(inserted));
      pos += inserted.size();
    }
  }
  return text;
}

std::string DictionaryFileName(std::string_view Language) {
  return ExeDir + "Languages/" + std::string(Language) + ".csv";
}

bool InstallDictionary(TArrayOfString Languages, std::string_view Language) {
  const auto found = std::find(Languages.begin(), Languages.end(), Language);
  const bool chosen = !Language.empty() && found != Languages.end();
  const auto index = chosen ? std::int32_t(found - Languages.begin()) : -1;
  auto dictionary = std::make_unique<TDictionary>(std::move(Languages));
  dictionary->SetLanguageIndex(index);
  Installed = std::move(dictionary);
  SetTranslateHook(TranslateHook);
  return chosen;
}

TDictionary* InstalledDictionary() noexcept {
  return Installed.get();
}

void RemoveDictionary() noexcept {
  const TTranslateHook previous = SetTranslateHook(nullptr);
  if (previous != TranslateHook)
    SetTranslateHook(previous);
  Installed.reset();
}
