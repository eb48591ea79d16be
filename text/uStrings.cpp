#include "text/uStrings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The Windows-1250 small letters beyond ASCII that have a capital, each with its capital.
constexpr std::pair<unsigned char, unsigned char> LetterCases1250[] = {
    {0x9A, 0x8A}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0xE1, 0xC1}, {0xE8, 0xC8},
    {0xE9, 0xC9}, {0xEC, 0xCC}, {0xED, 0xCD}, {0xEF, 0xCF}, {0xF2, 0xD2},
    {0xF3, 0xD3}, {0xF8, 0xD8}, {0xF9, 0xD9}, {0xFA, 0xDA}, {0xFD, 0xDD}};

std::array<unsigned char, 256> UpperTable;
std::array<unsigned char, 256> LowerTable;

bool IsBlank(char c) noexcept {
  return c == '\0' || c == '\t' || c == '\n' || c == '\v' || c == '\r' || c == ' ';
}

bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

bool IsLowerAscii(char c) noexcept {
  return c >= 'a' && c <= 'z';
}

bool IsUpperAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z';
}

std::ptrdiff_t Length(std::string_view S) noexcept {
  return static_cast<std::ptrdiff_t>(S.size());
}

// Whether Sub occurs in S at the 1-based position p; false where it does not fit.
bool OccursAt(std::string_view Sub, std::string_view S, std::ptrdiff_t p) noexcept {
  return p >= 1 && p - 1 + Length(Sub) <= Length(S) &&
         S.compare(static_cast<std::size_t>(p - 1), Sub.size(), Sub) == 0;
}

std::string MapBytes(std::string_view S, const std::array<unsigned char, 256>& table) {
  std::string result(S);
  for (char& c : result)
    c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return result;
}

// The parallel arrays of SortIndexes, moved together.
struct TSortArrays {
  std::span<std::int32_t> Indexes;
  std::span<std::uint32_t> Keys;

  void Swap(std::size_t i, std::size_t j) noexcept {
    std::swap(Keys[i], Keys[j]);
    std::swap(Indexes[i], Indexes[j]);
  }
};

// Hoare partitioning around the key in the middle of [low, high]; equal keys may change order.
// Recursing into the smaller part only keeps the stack depth logarithmic.
void QuickSort(TSortArrays& a, std::ptrdiff_t low, std::ptrdiff_t high) {
  while (low < high) {
    const std::uint32_t pivot = a.Keys[static_cast<std::size_t>(low + (high - low) / 2)];
    std::ptrdiff_t i = low;
    std::ptrdiff_t j = high;
    while (i <= j) {
      while (a.Keys[static_cast<std::size_t>(i)] < pivot)
        ++i;
      while (a.Keys[static_cast<std::size_t>(j)] > pivot)
        --j;
      if (i <= j) {
        a.Swap(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
        ++i;
        --j;
      }
    }
    if (j - low < high - i) {
      QuickSort(a, low, j);
      low = i;
    } else {
      QuickSort(a, i, high);
      high = j;
    }
  }
}

// Each element moves left past the keys strictly greater than its own.
void InsertionSort(TSortArrays& a) {
  for (std::size_t i = 1; i < a.Keys.size(); ++i) {
    const std::uint32_t key = a.Keys[i];
    const std::int32_t index = a.Indexes[i];
    std::size_t j = i;
    for (; j > 0 && a.Keys[j - 1] > key; --j) {
      a.Keys[j] = a.Keys[j - 1];
      a.Indexes[j] = a.Indexes[j - 1];
    }
    a.Keys[j] = key;
    a.Indexes[j] = index;
  }
}

// Top-down merge sort of [low, high]; the left run takes the middle element, and the merge takes
// from the right run only when its key is strictly smaller, so equal keys keep their order.
void MergeSort(TSortArrays& a, TSortArrays& buffer, std::size_t low, std::size_t high) {
  if (low >= high)
    return;
  const std::size_t middle = low + (high - low) / 2;
  MergeSort(a, buffer, low, middle);
  MergeSort(a, buffer, middle + 1, high);
  std::size_t left = low;
  std::size_t right = middle + 1;
  for (std::size_t out = low; out <= high; ++out) {
    const bool takeRight = left > middle || (right <= high && a.Keys[right] < a.Keys[left]);
    const std::size_t from = takeRight ? right++ : left++;
    buffer.Keys[out] = a.Keys[from];
    buffer.Indexes[out] = a.Indexes[from];
  }
  std::copy(buffer.Keys.begin() + static_cast<std::ptrdiff_t>(low),
            buffer.Keys.begin() + static_cast<std::ptrdiff_t>(high + 1),
            a.Keys.begin() + static_cast<std::ptrdiff_t>(low));
  std::copy(buffer.Indexes.begin() + static_cast<std::ptrdiff_t>(low),
            buffer.Indexes.begin() + static_cast<std::ptrdiff_t>(high + 1),
            a.Indexes.begin() + static_cast<std::ptrdiff_t>(low));
}

// Up to this many elements a stable sort is an insertion sort.
constexpr std::size_t InsertionSortLimit = 71;

} // namespace

std::uint32_t StringHash(std::string_view text) noexcept {
  std::uint32_t hash = 0;
  for (unsigned char byte : text)
    hash = hash * 31 + byte;
  return hash;
}

// Searching and replacing

std::ptrdiff_t FindSubText(std::string_view Sub, std::string_view S, std::ptrdiff_t From,
                           std::ptrdiff_t To) {
  if (Sub.empty() || S.size() < Sub.size())
    return 0;
  From = std::max<std::ptrdiff_t>(From, 1);
  To = std::max<std::ptrdiff_t>(To, 1);
  const std::ptrdiff_t last = Length(S) - Length(Sub) + 1;
  const std::ptrdiff_t step = From <= To ? 1 : -1;
  // Only start positions inside the range and where Sub fits are tried, so nothing before a
  // forward search's From is ever found.
  if (step > 0)
    To = std::min(To, last);
  else
    From = std::min(From, last);
  if ((To - From) * step < 0)
    return 0;
  for (std::ptrdiff_t p = From;; p += step) {
    if (OccursAt(Sub, S, p))
      return p;
    if (p == To)
      return 0;
  }
}

std::ptrdiff_t FindSubText(std::string_view Sub, std::string_view S, std::ptrdiff_t From) {
  return FindSubText(Sub, S, From, Length(S));
}

std::string ReplaceEvery(std::string_view S, std::string_view Old, std::string_view New) {
  if (Old.empty())
    return std::string(S);
  std::string result;
  result.reserve(S.size());
  std::size_t from = 0;
  for (std::size_t found = S.find(Old); found != std::string_view::npos;
       found = S.find(Old, from)) {
    result.append(S.substr(from, found - from));
    result.append(New);
    from = found + Old.size();
  }
  result.append(S.substr(from));
  return result;
}

std::string ReplaceSeveral(std::string_view S, std::span<const std::string_view> Olds,
                           std::span<const std::string_view> News) {
  const std::size_t count = std::min(Olds.size(), News.size());
  // counters[i]: how many bytes of Olds[i] the bytes just read have matched.
  std::vector<std::size_t> counters(count, 0);
  std::string result;
  result.reserve(S.size());
  // A match is always made of bytes read since the last replacement, which are still the last
  // bytes of the result, so a replacement only rewrites the result's end.
  for (char c : S) {
    result.push_back(c);
    for (std::size_t i = 0; i < count; ++i) {
      const std::string_view old = Olds[i];
      if (old.empty())
        continue;
      if (c == old[counters[i]]) {
        if (++counters[i] == old.size()) {
          result.resize(result.size() - old.size());
          result.append(News[i]);
          std::fill(counters.begin(), counters.end(), 0);
          break;
        }
      } else if (counters[i] > 0) {
        counters[i] = c == old[0] ? 1 : 0;
      }
    }
  }
  return result;
}

std::string RemoveChars(std::string_view S, char C) {
  std::string result;
  result.reserve(S.size());
  for (char c : S)
    if (c != C)
      result.push_back(c);
  return result;
}

// Trimming and cutting

std::string TrimStart(std::string_view S) {
  std::size_t start = 0;
  while (start < S.size() && IsBlank(S[start]))
    ++start;
  return std::string(S.substr(start));
}

std::string TrimEnd(std::string_view S) {
  std::size_t end = S.size();
  while (end > 0 && IsBlank(S[end - 1]))
    --end;
  return std::string(S.substr(0, end));
}

std::string TrimBoth(std::string_view S) {
  return TrimStart(TrimEnd(S));
}

std::string DropLast(std::string_view S, std::ptrdiff_t N) {
  if (N <= 0)
    return std::string(S);
  if (N >= Length(S))
    return {};
  return std::string(S.substr(0, S.size() - static_cast<std::size_t>(N)));
}

std::string DropNumberSuffix(std::string_view S) {
  std::size_t end = S.size();
  while (end > 0 && IsDigit(S[end - 1]))
    --end;
  if (end > 0 && S[end - 1] == '_')
    --end;
  return std::string(S.substr(0, end));
}

std::string DropAmpersands(std::string_view S) {
  std::string result;
  result.reserve(S.size());
  bool dropped = false;
  for (char c : S) {
    if (c == '&' && !dropped) {
      dropped = true;
      continue;
    }
    result.push_back(c);
    dropped = false;
  }
  return result;
}

std::string QuoteText(std::string_view S) {
  std::string result;
  result.reserve(S.size() + 2);
  result.push_back('"');
  result.append(S);
  result.push_back('"');
  return result;
}

// Reading at a position

char CharAtPos(std::string_view S, std::ptrdiff_t Pos) noexcept {
  if (Pos < 1 || Pos > Length(S))
    return '\0';
  return S[static_cast<std::size_t>(Pos - 1)];
}

std::string TextBefore(std::string_view S, char C) {
  return std::string(S.substr(0, S.find(C)));
}

std::string ReadField(std::string_view S, std::ptrdiff_t& Pos, char Sep) {
  const std::ptrdiff_t start = std::max<std::ptrdiff_t>(Pos, 1);
  if (start > Length(S)) {
    Pos = start;
    return {};
  }
  const auto first = static_cast<std::size_t>(start - 1);
  const std::size_t end = std::min(S.find(Sep, first), S.size());
  // One past the separator, or one past the end when there is none.
  Pos = static_cast<std::ptrdiff_t>(std::min(end + 2, S.size() + 1));
  return std::string(S.substr(first, end - first));
}

std::string ReadTextLine(std::string_view S, std::ptrdiff_t& Pos) {
  const std::ptrdiff_t start = std::max<std::ptrdiff_t>(Pos, 1);
  if (start > Length(S)) {
    Pos = start;
    return {};
  }
  const auto first = static_cast<std::size_t>(start - 1);
  const std::size_t end = std::min(S.find_first_of("\r\n", first), S.size());
  std::string line(S.substr(first, end - first));
  std::size_t next = end;
  if (next < S.size()) {
    if (S[next] == '\r' && next + 1 < S.size() && S[next + 1] == '\n')
      ++next;
    ++next;
  }
  Pos = static_cast<std::ptrdiff_t>(next) + 1;
  return line;
}

void SkipSpaces(std::string_view S, std::ptrdiff_t& Pos) noexcept {
  for (char c = CharAtPos(S, Pos); c == ' ' || c == '\t'; c = CharAtPos(S, Pos))
    ++Pos;
}

std::int32_t ReadInteger(std::string_view S, std::ptrdiff_t& Pos) noexcept {
  if (S.empty())
    return 0;
  SkipSpaces(S, Pos);
  bool negative = false;
  for (char c = CharAtPos(S, Pos); c == '+' || c == '-'; c = CharAtPos(S, Pos)) {
    if (c == '-')
      negative = !negative;
    ++Pos;
  }
  // Unsigned arithmetic wraps modulo 2^32 without undefined behaviour.
  std::uint32_t value = 0;
  for (char c = CharAtPos(S, Pos); IsDigit(c); c = CharAtPos(S, Pos)) {
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
    ++Pos;
  }
  if (negative)
    value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t TextToInt(std::string_view S) noexcept {
  std::ptrdiff_t pos = 1;
  return ReadInteger(S, pos);
}

bool BeginsWith(std::string_view Prefix, std::string_view S) noexcept {
  return S.starts_with(Prefix);
}

// Names and words

std::string SpaceCamelCase(std::string_view S) {
  std::string result;
  result.reserve(S.size() + S.size() / 4);
  for (std::size_t i = 0; i < S.size(); ++i) {
    if (i > 0 && IsUpperAscii(S[i]) && IsLowerAscii(S[i - 1]))
      result.push_back(' ');
    result.push_back(S[i]);
  }
  return result;
}

std::vector<std::string> EnumKeys(std::span<const std::string_view> Names) {
  std::vector<std::string> keys;
  keys.reserve(Names.size());
  for (std::string_view name : Names)
    keys.emplace_back(name.substr(std::min<std::size_t>(2, name.size())));
  return keys;
}

std::vector<std::string> EnumCaptions(std::span<const std::string_view> Names) {
  std::vector<std::string> captions = EnumKeys(Names);
  for (std::string& caption : captions)
    caption = SpaceCamelCase(caption);
  return captions;
}

std::string NameToCaption(std::string_view Name) {
  static constexpr std::string_view Prefixes[] = {"DBUTTON", "BUTTON", "COMBOBOX", "EDIT", "MEMO"};
  std::string upper(Name);
  for (char& c : upper)
    if (IsLowerAscii(c))
      c = static_cast<char>(c - 'a' + 'A');
  for (std::string_view prefix : Prefixes)
    if (BeginsWith(prefix, upper))
      return std::string(Name.substr(prefix.size()));
  return DropNumberSuffix(Name);
}

std::string PluralSuffix(std::int64_t N) {
  return N == 1 || N == -1 ? std::string() : std::string("s");
}

std::string EnsureTrailingBackslash(std::string_view S) {
  std::string result(S);
  if (!result.empty() && result.back() != PathDelimiter)
    result.push_back(PathDelimiter);
  return result;
}

// Case conversion and sorting

std::string UpperCase1250(std::string_view S) {
  return MapBytes(S, UpperTable);
}

std::string LowerCase1250(std::string_view S) {
  return MapBytes(S, LowerTable);
}

void SortIndexes(bool Stable, bool Reverse, std::span<std::int32_t> Indexes,
                 std::span<std::uint32_t> Keys) {
  const std::size_t count = std::min(Indexes.size(), Keys.size());
  if (count < 2)
    return;
  TSortArrays arrays{Indexes.first(count), Keys.first(count)};
  if (!Stable) {
    QuickSort(arrays, 0, static_cast<std::ptrdiff_t>(count) - 1);
  } else if (count <= InsertionSortLimit) {
    InsertionSort(arrays);
  } else {
    std::vector<std::int32_t> indexBuffer(count);
    std::vector<std::uint32_t> keyBuffer(count);
    TSortArrays buffer{indexBuffer, keyBuffer};
    MergeSort(arrays, buffer, 0, count - 1);
  }
  if (Reverse) {
    std::reverse(arrays.Keys.begin(), arrays.Keys.end());
    std::reverse(arrays.Indexes.begin(), arrays.Indexes.end());
  }
}

void InitializeStrings() {
  for (std::size_t c = 0; c < 256; ++c) {
    UpperTable[c] = static_cast<unsigned char>(c);
    LowerTable[c] = static_cast<unsigned char>(c);
  }
  for (unsigned char c = 'a'; c <= 'z'; ++c) {
    UpperTable[c] = static_cast<unsigned char>(c - 'a' + 'A');
    LowerTable[c - 'a' + 'A'] = c;
  }
  for (auto [lower, upper] : LetterCases1250) {
    UpperTable[lower] = upper;
    LowerTable[upper] = lower;
  }
}
