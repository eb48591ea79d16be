#include "expr/functions/uNamespace.h"

#include "expr/functions/uHashTable.h"
#include "platform/uExceptions.h"

#include <memory>

namespace {

constexpr int FunctionTableCapacity = 10240;

// Created by the first registration, which may come before the registry's own start-up.
std::unique_ptr<THashTable<TFunction>> FunctionTable;
// Counts the tables freed, so that a found entry can be known to be still alive.
std::uint64_t Generation = 0;

char AsciiUpper(char c) noexcept {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
      return false;
  return true;
}

bool CountMatches(std::int32_t entryCount, std::int32_t askedCount) noexcept {
  return askedCount == -1 || entryCount == -1 || entryCount == askedCount;
}

// The hash only chooses where to look: an entry matches when its name is the asked name,
// so a name that merely shares a hash with a function never reaches it.
TFunction* Lookup(std::string_view Name, std::int32_t ArgCount) {
  if (!FunctionTable)
    return nullptr;
  for (TFunction* entry = FunctionTable->Find(FunctionKey(Name)); entry;
       entry = FunctionTable->FindNext())
    if (SameName(entry->Name, Name) && CountMatches(entry->ArgCount, ArgCount))
      return entry;
  return nullptr;
}

} // namespace

std::uint32_t FunctionKey(std::string_view Name) noexcept {
  // StringHash of the upper-cased name, folded into one pass: every operator of every expression
  // comes through here, so no copy of the name is made.
  std::uint32_t hash = 0;
  for (char c : Name)
    hash = hash * 31 + static_cast<unsigned char>(AsciiUpper(c));
  return hash;
}

void AddFunction(std::string_view Namespace, std::string_view Name, TCallback Callback,
                 std::string_view Description, std::int32_t ArgCount) {
  if (!FunctionTable)
    FunctionTable = std::make_unique<THashTable<TFunction>>(FunctionTableCapacity);
  TFunction entry{std::string(Name), std::string(Namespace), ArgCount, Callback,
                  std::string(Description)};
  // Only an entry of the same name and count is replaced; a variadic one does not stand for a
  // fixed count here.
  for (TFunction* found = FunctionTable->Find(FunctionKey(Name)); found;
       found = FunctionTable->FindNext())
    if (SameName(found->Name, Name) && found->ArgCount == ArgCount) {
      *found = std::move(entry);
      return;
    }
  FunctionTable->Add(FunctionKey(Name), std::move(entry));
}

void AddFunction(std::string_view Namespace, std::string_view Name, TCallback0 Callback,
                 std::string_view Description) {
  AddFunction(Namespace, Name, TCallback(Callback), Description, 0);
}

void AddFunction(std::string_view Namespace, std::string_view Name, TCallback1 Callback,
                 std::string_view Description) {
  AddFunction(Namespace, Name, TCallback(Callback), Description, 1);
}

void AddFunction(std::string_view Namespace, std::string_view Name, TCallback2 Callback,
                 std::string_view Description) {
  AddFunction(Namespace, Name, TCallback(Callback), Description, 2);
}

void AddFunction(std::string_view Namespace, std::string_view Name, TCallback3 Callback,
                 std::string_view Description) {
  AddFunction(Namespace, Name, TCallback(Callback), Description, 3);
}

void AddFunction(std::string_view Namespace, std::string_view Name, TCallbackN Callback,
                 std::string_view Description) {
  AddFunction(Namespace, Name, TCallback(Callback), Description, -1);
}

const TFunction* FindFunction(std::string_view, std::string_view Name, std::int32_t ArgCount) {
  return Lookup(Name, ArgCount);
}

bool FunctionExists(std::string_view Namespace, std::string_view Name, std::int32_t ArgCount) {
  return FindFunction(Namespace, Name, ArgCount) != nullptr;
}

bool FunctionExists(std::string_view Namespace, std::string_view Name) {
  return FunctionExists(Namespace, Name, -1);
}

void CallFunction(std::string_view Namespace, std::string_view Name, std::span<const TVector> Args,
                  TVector& Result) {
  const TFunction* function = FindFunction(Namespace, Name, static_cast<std::int32_t>(Args.size()));
  if (!function) {
    Result = TVector();
    return;
  }
  CallFunction(*function, Args, Result);
}

void CallFunction(const TFunction& Function, std::span<const TVector> Args, TVector& Result) {
  if (std::holds_alternative<std::monostate>(Function.Callback)) {
    Result = TVector();
    return;
  }
  // The callback's form must agree with the entry's count, and a fixed count with the arguments.
  const std::size_t count = Args.size();
  switch (Function.ArgCount) {
  case -1:
    if (auto callback = std::get_if<TCallbackN>(&Function.Callback))
      return (*callback)(Args, Result);
    break;
  case 0:
    if (auto callback = std::get_if<TCallback0>(&Function.Callback); callback && count == 0)
      return (*callback)(Result);
    break;
  case 1:
    if (auto callback = std::get_if<TCallback1>(&Function.Callback); callback && count == 1)
      return (*callback)(Args[0], Result);
    break;
  case 2:
    if (auto callback = std::get_if<TCallback2>(&Function.Callback); callback && count == 2)
      return (*callback)(Args[0], Args[1], Result);
    break;
  case 3:
    if (auto callback = std::get_if<TCallback3>(&Function.Callback); callback && count == 3)
      return (*callback)(Args[0], Args[1], Args[2], Result);
    break;
  }
  throw Exception("Invalid number of function arguments.");
}

void ForEachFunction(const std::function<void(const TFunction&)>& f) {
  if (FunctionTable)
    FunctionTable->ForEach(f);
}

void FinalizeNamespace() {
  FunctionTable.reset();
  ++Generation;
}

std::uint64_t RegistryGeneration() noexcept {
  return Generation;
}
