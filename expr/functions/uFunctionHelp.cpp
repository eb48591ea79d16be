#include "expr/functions/uFunctionHelp.h"

#include "expr/functions/uNamespace.h"

#include <algorithm>
#include <unordered_map>

namespace {

// The parameters of a call whose description names none.
constexpr std::string_view DefaultParameters[] = {"x", "y", "z"};
// Stands for the further arguments of a variadic call.
constexpr std::string_view Ellipsis = "\xE2\x80\xA6";

char AsciiUpper(char c) noexcept {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperName(std::string_view Name) {
  std::string upper(Name);
  std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
  return upper;
}

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trimmed(std::string_view Text) noexcept {
  while (!Text.empty() && IsBlank(Text.front()))
    Text.remove_prefix(1);
  while (!Text.empty() && IsBlank(Text.back()))
    Text.remove_suffix(1);
  return Text;
}

// Where the reference link of Description begins, or npos.
std::size_t LinkStart(std::string_view Description) noexcept {
  for (std::size_t i = 0; i < Description.size(); ++i) {
    if (i > 0 && !IsBlank(Description[i - 1]))
      continue;
    const std::string_view rest = Description.substr(i);
    if (rest.starts_with("http://") || rest.starts_with("https://"))
      return i;
  }
  return std::string_view::npos;
}

// The names in a bracketed list at the start of Description, "(Base;Exponent)"; none when the
// description does not begin with one or a name in it is empty.
std::vector<std::string_view> ParameterNames(std::string_view Description) {
  if (!Description.starts_with('('))
    return {};
  const std::size_t close = Description.find(')');
  if (close == std::string_view::npos)
    return {};
  std::vector<std::string_view> names;
  std::string_view list = Description.substr(1, close - 1);
  for (;;) {
    const std::size_t separator = list.find(';');
    const std::string_view name = Trimmed(list.substr(0, separator));
    if (name.empty())
      return {};
    names.push_back(name);
    if (separator == std::string_view::npos)
      return names;
    list.remove_prefix(separator + 1);
  }
}

} // namespace

std::vector<TFunctionHelp> RegisteredFunctions() {
  std::vector<TFunctionHelp> functions;
  std::unordered_map<std::string, std::size_t> byName;
  ForEachFunction([&](const TFunction& entry) {
    const auto [found, added] = byName.try_emplace(UpperName(entry.Name), functions.size());
    if (added) {
      functions.push_back({entry.Name, entry.Namespace, {entry.ArgCount}, entry.Description});
      return;
    }
    TFunctionHelp& function = functions[found->second];
    if (std::find(function.ArgCounts.begin(), function.ArgCounts.end(), entry.ArgCount) ==
        function.ArgCounts.end())
      function.ArgCounts.push_back(entry.ArgCount);
    if (function.Description.empty())
      function.Description = entry.Description;
  });
  return functions;
}

std::vector<TFunctionHelp> FunctionsStartingWith(std::string_view Prefix) {
  const std::string prefix = UpperName(Prefix);
  std::vector<TFunctionHelp> matches;
  for (TFunctionHelp& function : RegisteredFunctions())
    if (UpperName(function.Name).starts_with(prefix))
      matches.push_back(std::move(function));
  std::stable_sort(matches.begin(), matches.end(),
                   [](const TFunctionHelp& a, const TFunctionHelp& b) {
                     return UpperName(a.Name) < UpperName(b.Name);
                   });
  return matches;
}

std::string CallText(std::string_view Name, std::int32_t ArgCount, std::string_view Description) {
  std::string call(Name);
  if (ArgCount == 0)
    return call;
  call += '(';
  if (ArgCount < 0) {
    call += "x; y; ";
    call += Ellipsis;
  } else {
    std::vector<std::string_view> names = ParameterNames(Description);
    if (names.size() != static_cast<std::size_t>(ArgCount))
      names.assign(std::begin(DefaultParameters), std::begin(DefaultParameters) + ArgCount);
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i > 0)
        call += "; ";
      call += names[i];
    }
  }
  call += ')';
  return call;
}

std::string CallsText(const TFunctionHelp& Function) {
  std::string calls;
  for (std::int32_t count : Function.ArgCounts) {
    if (!calls.empty())
      calls += ", ";
    calls += CallText(Function.Name, count, Function.Description);
  }
  return calls;
}

bool TakesArguments(const TFunctionHelp& Function) noexcept {
  return std::any_of(Function.ArgCounts.begin(), Function.ArgCounts.end(),
                     [](std::int32_t count) { return count != 0; });
}

std::string InsertionText(const TFunctionHelp& Function) {
  return TakesArguments(Function) ? Function.Name + '(' : Function.Name;
}

std::string_view ReferenceLink(std::string_view Description) {
  const std::size_t start = LinkStart(Description);
  if (start == std::string_view::npos)
    return {};
  std::string_view link = Description.substr(start);
  std::size_t end = 0;
  while (end < link.size() && !IsBlank(link[end]))
    ++end;
  return link.substr(0, end);
}

std::string DescriptionText(std::string_view Description) {
  const std::size_t start = LinkStart(Description);
  if (start == std::string_view::npos)
    return std::string(Trimmed(Description));
  const std::string_view link = ReferenceLink(Description);
  std::string text(Trimmed(Description.substr(0, start)));
  const std::string_view after = Trimmed(Description.substr(start + link.size()));
  if (!text.empty() && !after.empty())
    text += ' ';
  text += after;
  return text;
}

std::string_view FirstSentence(std::string_view Text) {
  Text = Trimmed(Text);
  for (std::size_t i = 0; i < Text.size(); ++i)
    if (Text[i] == '.' && (i + 1 == Text.size() || IsBlank(Text[i + 1])))
      return Text.substr(0, i + 1);
  return Text;
}

std::string LinkTitle(std::string_view Link) {
  std::string_view section;
  if (const std::size_t hash = Link.find('#'); hash != std::string_view::npos) {
    section = Link.substr(hash + 1);
    Link = Link.substr(0, hash);
  }
  while (Link.ends_with('/'))
    Link.remove_suffix(1);
  if (const std::size_t slash = Link.rfind('/'); slash != std::string_view::npos)
    Link.remove_prefix(slash + 1);
  std::string title(Link);
  if (!section.empty()) {
    title += ": ";
    title += section;
  }
  std::replace(title.begin(), title.end(), '_', ' ');
  return title;
}

std::string Summary(std::string_view Description) {
  const std::string text = DescriptionText(Description);
  // A list of parameter names at the start belongs to the call; the line tells what the rest
  // says, or what the link names.
  std::string_view rest = text;
  if (!ParameterNames(rest).empty())
    rest = Trimmed(rest.substr(rest.find(')') + 1));
  if (!rest.empty())
    return std::string(FirstSentence(rest));
  const std::string_view link = ReferenceLink(Description);
  return link.empty() ? std::string(FirstSentence(text)) : LinkTitle(link);
}
