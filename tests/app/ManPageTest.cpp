// The manual pages against the programs' own help: every option that --help names is described
// in the page's OPTIONS section, and the section describes no option that --help lacks.

#include "support/RunProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The options of a help text: on each line that begins with two blanks and "-", the options
// before the description, separated by ", ", each without its value ("--min X" is "--min").
std::set<std::string> HelpOptions(const std::string& Help) {
  std::set<std::string> options;
  std::istringstream lines(Help);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("  -"))
      continue;
    std::string names = line.substr(2, line.find("  ", 2) - 2);
    for (std::size_t start = 0; start != std::string::npos;) {
      const std::size_t comma = names.find(", ", start);
      const std::string piece = names.substr(start, comma - start);
      options.insert(piece.substr(0, piece.find(' ')));
      start = comma == std::string::npos ? comma : comma + 2;
    }
  }
  return options;
}

// A line of troff source as plain text: "\-" as "-", font changes and quotes dropped, named
// characters for quotes as the quotes.
std::string PlainText(std::string Line) {
  const std::pair<std::string, std::string> replacements[] = {
      {"\\-", "-"}, {"\\fB", ""},   {"\\fI", ""},    {"\\fR", ""},
      {"\\fP", ""}, {"\\(aq", "'"}, {"\\(dq", "\""}, {"\"", ""},
  };
  for (const auto& [from, to] : replacements) {
    for (std::size_t at = Line.find(from); at != std::string::npos;
         at = Line.find(from, at + to.size()))
      Line.replace(at, from.size(), to);
  }
  return Line;
}

// The options the page's OPTIONS section describes: the words beginning with "-" on each line
// that follows a ".TP", the tag of a described item.
std::set<std::string> PageOptions(const std::string& Page) {
  std::set<std::string> options;
  std::istringstream lines(Page);
  bool inOptions = false;
  bool tag = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(".SH")) {
      inOptions = line == ".SH OPTIONS";
      continue;
    }
    if (!inOptions)
      continue;
    if (tag) {
      std::istringstream words(PlainText(line));
      for (std::string word; words >> word;) {
        word.erase(std::remove(word.begin(), word.end(), ','), word.end());
        if (word.starts_with("-"))
          options.insert(word);
      }
    }
    tag = line == ".TP";
  }
  return options;
}

std::string Listed(const std::set<std::string>& Options) {
  std::string list;
  for (const std::string& option : Options)
    list += " " + option;
  return list;
}

TEST(ManPages, DescribeExactlyTheOptionsOfTheHelp) {
  const struct {
    std::string Name;
    std::string Program;
    std::string Title;             // the page's first line begins so
    std::set<std::string> AtLeast; // options the help must name, so that its parsing is checked
  } programs[] = {
      {"dexpr",
       DEXPR_PATH,
       ".TH DEXPR 1 ",
       {"--fixed-format", "--min", "--max", "--functions", "--"}},
      {"bmi", BMI_PATH, ".TH BMI 1 ", {"-h", "--help", "--help-all", "-v", "--version"}},
  };
  for (const auto& program : programs) {
    const TProcessResult help =
        RunProcess(program.Program, {"--help"}, "", {"LC_ALL=C", "QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(help.ExitCode, 0) << program.Name << ": " << help.Err;
    const std::set<std::string> helpOptions = HelpOptions(help.Out);
    for (const std::string& option : program.AtLeast)
      EXPECT_TRUE(helpOptions.contains(option)) << program.Name << " --help lacks " << option;

    const std::string page = ReadWholeFile(std::filesystem::path(MAN_DIR) / (program.Name + ".1"));
    ASSERT_FALSE(page.empty()) << program.Name << ".1";
    EXPECT_TRUE(page.starts_with(program.Title)) << program.Name;
    EXPECT_NE(page.find(".SH NAME\n" + program.Name + " \\- "), std::string::npos) << program.Name;
    EXPECT_EQ(PageOptions(page), helpOptions)
        << program.Name << ".1 describes" << Listed(PageOptions(page)) << ", --help names"
        << Listed(helpOptions);
  }
}

} // namespace
