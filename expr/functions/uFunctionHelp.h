#pragma once

// What help shows of the registered functions: each name once with every argument count it is
// registered with, a call written for each count, and the parts of a description: its text, its
// first sentence and its reference link. Everything is read from the registry when asked, so a
// function registered later appears by itself.
//
// Texts are the framework's UTF-8; names are ASCII.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One registered name as help shows it.
struct TFunctionHelp {
  std::string Name;                    // as first registered
  std::string Namespace;               // the group of its first registration
  std::vector<std::int32_t> ArgCounts; // every count it is registered with, in that order
  std::string Description;             // of its first registration with one; may be empty
};

// Every registered name once (names that differ only in ASCII case are one name), in the order of
// their first registration.
std::vector<TFunctionHelp> RegisteredFunctions();

// The registered names that begin with Prefix, ignoring ASCII case, sorted by name ignoring case.
// An empty Prefix gives every name.
std::vector<TFunctionHelp> FunctionsStartingWith(std::string_view Prefix);

// A call of Name with ArgCount arguments as help writes it: "PI" for none, "sqrt(x)", "div(x; y)",
// "IfElse(x; y; z)", and "Max(x; y; …)" for any number (-1). A description that begins with a
// bracketed list of exactly ArgCount names gives the parameters their names: "(Base;Exponent)"
// makes "power(Base; Exponent)".
std::string CallText(std::string_view Name, std::int32_t ArgCount,
                     std::string_view Description = {});
// The calls of every count of Function, joined by ", ".
std::string CallsText(const TFunctionHelp& Function);
// Whether Function takes arguments: some count other than 0.
bool TakesArguments(const TFunctionHelp& Function) noexcept;
// What completion inserts for Function: its name, followed by "(" when it takes arguments.
std::string InsertionText(const TFunctionHelp& Function);

// The reference link of a description: its first word that begins with "http://" or "https://";
// empty when there is none.
std::string_view ReferenceLink(std::string_view Description);
// The description without its reference link, blanks around it removed.
std::string DescriptionText(std::string_view Description);
// The first sentence of Text: up to and including the first "." that ends the text or stands
// before a blank; the whole text when there is no such point. Blanks around it are removed.
std::string_view FirstSentence(std::string_view Text);
// The title of the page a link names: the last segment of its path with "_" as blanks, and a
// "#" section after ": ". "https://en.wikipedia.org/wiki/Bitwise_operation#NOT" gives
// "Bitwise operation: NOT". Empty for an empty link.
std::string LinkTitle(std::string_view Link);
// One line about a function: the first sentence of its description's text after a list of
// parameter names that begins it ("(Base;Exponent)", which the call shows already), or, when
// nothing else is left, the title of the linked page; the list itself when there is no link
// either. Empty for an empty description.
std::string Summary(std::string_view Description);
