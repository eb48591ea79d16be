#pragma once

// The process-wide registry of named functions that expressions may call. The function libraries
// register at start-up; the expression compiler looks names up and the evaluator calls them.
// Lookups ignore ASCII case. Every value that crosses the registry is a TVector.

#include "expr/functions/uVector.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// Callback forms by argument count. Arguments are read only; Result is the output, left as the
// caller gave it when the callee assigns nothing.
using TCallback0 = void (*)(TVector& Result);
using TCallback1 = void (*)(const TVector& A, TVector& Result);
using TCallback2 = void (*)(const TVector& A, const TVector& B, TVector& Result);
using TCallback3 = void (*)(const TVector& A, const TVector& B, const TVector& C, TVector& Result);
using TCallbackN = void (*)(std::span<const TVector> Args, TVector& Result);
// One of the forms, or none.
using TCallback =
    std::variant<std::monostate, TCallback0, TCallback1, TCallback2, TCallback3, TCallbackN>;

// One registry entry.
struct TFunction {
  std::string Name;      // as registered, with its case
  std::string Namespace; // the group it belongs to, for listings and help
  std::int32_t ArgCount; // 0 to 3 fixed arguments, or -1 for any number
  TCallback Callback;
  std::string Description; // help text, may be empty
};

// Registers a function. A name may be registered with several argument counts; registering the
// same name with the same count again replaces the earlier entry.
void AddFunction(std::string_view Namespace, std::string_view Name, TCallback Callback,
                 std::string_view Description, std::int32_t ArgCount);
// Typed forms: the argument count follows the callback's form (0, 1, 2, 3, or -1 for TCallbackN).
void AddFunction(std::string_view Namespace, std::string_view Name, TCallback0 Callback,
                 std::string_view Description);
void AddFunction(std::string_view Namespace, std::string_view Name, TCallback1 Callback,
                 std::string_view Description);
void AddFunction(std::string_view Namespace, std::string_view Name, TCallback2 Callback,
                 std::string_view Description);
void AddFunction(std::string_view Namespace, std::string_view Name, TCallback3 Callback,
                 std::string_view Description);
void AddFunction(std::string_view Namespace, std::string_view Name, TCallbackN Callback,
                 std::string_view Description);

// The entry of Name (any case) that takes ArgCount arguments, or nullptr. ArgCount -1 asks for any
// count; a variadic entry matches every count. Namespace is not consulted. The entry stays valid
// until the registry is finalized.
const TFunction* FindFunction(std::string_view Namespace, std::string_view Name,
                              std::int32_t ArgCount);
bool FunctionExists(std::string_view Namespace, std::string_view Name, std::int32_t ArgCount);
bool FunctionExists(std::string_view Namespace, std::string_view Name);

// Calls the function of Name for Args.size() arguments. An unknown name, or a known one without a
// callback, gives the empty vector. Raises Exception "Invalid number of function arguments." when
// the entry's count and callback form disagree; errors of the callback pass through unchanged.
void CallFunction(std::string_view Namespace, std::string_view Name, std::span<const TVector> Args,
                  TVector& Result);
// Calls a found entry with Args, as above.
void CallFunction(const TFunction& Function, std::span<const TVector> Args, TVector& Result);

// Calls f(entry) for every registered function in the order of registration.
void ForEachFunction(const std::function<void(const TFunction&)>& f);

// The registry's key of a name: StringHash of the name with ASCII letters upper-cased.
std::uint32_t FunctionKey(std::string_view Name) noexcept;

// Changes whenever the registry frees its table, so that entries found before then can be told
// from live ones. Entries stay where they are while the generation stays the same.
std::uint64_t RegistryGeneration() noexcept;

// Frees the registry at shut-down.
void FinalizeNamespace();
