#include "EnvTestSupport.h"
#include "env/uCSVFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using TRows = std::vector<TArrayOfString>;

class TCSVFileTest : public TEnvTest {
 protected:
  // Every row of Content read by Reader.
  TRows ReadAll(const std::string& Content, TCSVFile&& Reader = TCSVFile()) {
    WriteWholeFile(Folder / "data.csv", Content);
    TRows rows;
    EXPECT_TRUE(Reader.Open(Name("data.csv")));
    for (TArrayOfString fields; Reader.ReadLine(fields);)
      rows.push_back(fields);
    EXPECT_TRUE(Reader.Close());
    return rows;
  }
};

TEST_F(TCSVFileTest, QuotesSeparatorsAndDoubledQuotes) {
  const struct {
    std::string Line;
    TArrayOfString Fields;
  } cases[] = {
      {R"(a,"b,c",d)", {"a", "b,c", "d"}},
      {R"("x""y")", {"x\"y"}},
      {"a\tb,c;d", {"a", "b", "c", "d"}},
      {"a,,", {"a", "", ""}},
      {R"(ab"c,d"e)", {"abc,de"}}, // a quote inside a field opens quoted text too
      {R"("open,to the end)", {"open,to the end"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadAll(c.Line + "\n"), TRows{c.Fields}) << c.Line;
}

TEST_F(TCSVFileTest, ColumnCountTwoDropsTheThirdField) {
  EXPECT_EQ(ReadAll("a,b,c\nx\n", TCSVFile(2)), (TRows{{"a", "b"}, {"x", ""}}));
  TCSVFile mapped(2);
  mapped.ColumnMap[0] = 5; // beyond the two entries: dropped too
  EXPECT_EQ(ReadAll("a,b\n", std::move(mapped)), (TRows{{"", "b"}}));
}

TEST_F(TCSVFileTest, CommentAndEmptyLinesAreSkipped) {
  EXPECT_EQ(ReadAll("# comment\n\na,b\r\n\r\n#x,y\n c\n"), (TRows{{"a", "b"}, {" c"}}));
}

TEST_F(TCSVFileTest, FieldsBeyondTheColumnMapGoToTheirOwnIndex) {
  std::string line;
  TArrayOfString expected;
  for (int i = 0; i < 300; ++i) {
    line += (i ? "," : "") + std::to_string(i);
    expected.push_back(std::to_string(i));
  }
  EXPECT_EQ(ReadAll(line), TRows{expected});
}

// Writes Fields as a line the way common CSV writers do: a field holding a separator or a quote
// is quoted with its quotes doubled, and any field may be quoted anyway.
std::string WriteRecord(const TArrayOfString& Fields, std::mt19937& Random) {
  std::string line;
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    if (i > 0)
      line += ",;\t"[Random() % 3];
    const std::string& field = Fields[i];
    const bool special = field.find_first_of(",;\t\"") != std::string::npos ||
                         (i == 0 && (field.empty() || field[0] == '#'));
    if (!special && Random() % 4 != 0) {
      line += field;
      continue;
    }
    line += '"';
    for (char c : field)
      line += c == '"' ? std::string("\"\"") : std::string(1, c);
    line += '"';
  }
  return line;
}

TEST_F(TCSVFileTest, RandomRecordsReadBackFieldForField) {
  static const std::string Alphabet = "abcXYZ019 #,;\t\"'_-.\xC3\xA4\xE2\x82\xAC";
  std::mt19937 random(20240607);
  TRows records;
  std::string content;
  for (int r = 0; r < 400; ++r) {
    TArrayOfString fields(1 + random() % 8);
    for (std::string& field : fields)
      for (std::size_t n = random() % 12; n > 0; --n)
        field += Alphabet[random() % Alphabet.size()];
    content += WriteRecord(fields, random) + (random() % 2 ? "\r\n" : "\n");
    records.push_back(std::move(fields));
  }
  const TRows rows = ReadAll(content);
  ASSERT_EQ(rows.size(), records.size());
  for (std::size_t r = 0; r < rows.size(); ++r)
    EXPECT_EQ(rows[r], records[r]) << "record " << r;
}

} // namespace
