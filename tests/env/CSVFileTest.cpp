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
  TRows ReadAll(const std::string& Content, TCSVFile& Reader) {
    WriteWholeFile(Folder / "data.csv", Content);
    TRows rows;
    if (!Reader.Open(Name("data.csv")))
      return rows;
    for (TArrayOfString fields; Reader.ReadLine(fields);)
      rows.push_back(fields);
    Reader.Close();
    return rows;
  }
  TRows ReadAll(const std::string& Content, std::int32_t ColumnCount = 0) {
    TCSVFile reader(ColumnCount);
    return ReadAll(Content, reader);
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
      {R"("a;b	c")", {"a;b\tc"}},
      {R"("")", {""}},
      {R"("""")", {"\""}},
      {R"(ab"c,d"e)", {"abc,de"}}, // a quote inside a field opens quoted text too
      {R"("open,to the end)", {"open,to the end"}},
      {R"( "a" ,b)", {" a ", "b"}},
      {"\xC3\xA4,\xE2\x82\xAC", {"\xC3\xA4", "\xE2\x82\xAC"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadAll(c.Line + "\n"), TRows{c.Fields}) << c.Line;
}

TEST_F(TCSVFileTest, FixedColumnCountDropsFieldsBeyondIt) {
  EXPECT_EQ(ReadAll("a,b,c\nx\n", 2), (TRows{{"a", "b"}, {"x", ""}}));
}

TEST_F(TCSVFileTest, CommentAndEmptyLinesAreSkippedUnlessCommentsAreAccepted) {
  const std::string content = "# comment\n\na,b\r\n\r\n#x,y\n c\n";
  TCSVFile reader;
  EXPECT_EQ(ReadAll(content, reader), (TRows{{"a", "b"}, {" c"}}));
  EXPECT_EQ(reader.LineIndex(), 2);
  TCSVFile accepting;
  accepting.AcceptComments = true;
  EXPECT_EQ(ReadAll(content, accepting), (TRows{{"# comment"}, {"a", "b"}, {"#x", "y"}, {" c"}}));
}

TEST_F(TCSVFileTest, ColumnMapMovesAndDropsFields) {
  TCSVFile reader;
  reader.ColumnMap[0] = 2;
  reader.ColumnMap[1] = -1;
  reader.ColumnMap[2] = 0;
  EXPECT_EQ(ReadAll("a,b,c,d\n", reader), (TRows{{"c", "", "a", "d"}}));
  TCSVFile fixed(2);
  fixed.ColumnMap[0] = 1;
  fixed.ColumnMap[1] = 5; // outside the two entries: dropped
  EXPECT_EQ(ReadAll("a,b\n", fixed), (TRows{{"", "a"}}));
}

TEST_F(TCSVFileTest, FieldsBeyondTheMapGoToTheirOwnIndex) {
  std::string line;
  TArrayOfString expected;
  for (int i = 0; i < 300; ++i) {
    line += (i ? "," : "") + std::to_string(i);
    expected.push_back(std::to_string(i));
  }
  EXPECT_EQ(ReadAll(line), TRows{expected});
  // Close empties the map; a file opened again reads the same.
  TCSVFile reader;
  EXPECT_EQ(ReadAll("a,b", reader), (TRows{{"a", "b"}}));
  EXPECT_TRUE(reader.ColumnMap.empty());
  EXPECT_EQ(ReadAll("c,d", reader), (TRows{{"c", "d"}}));
}

TEST_F(TCSVFileTest, EndOfFileAndNoFileGiveEmptyEntries) {
  TCSVFile reader(3);
  TArrayOfString fields{"stale"};
  EXPECT_TRUE(reader.Eof());
  EXPECT_FALSE(reader.ReadLine(fields));
  EXPECT_EQ(fields, TArrayOfString(3));
  WriteWholeFile(Folder / "data.csv", "a\n\n# only a comment left\n");
  ASSERT_TRUE(reader.Open(Name("data.csv")));
  EXPECT_TRUE(reader.ReadLine(fields));
  EXPECT_FALSE(reader.Eof());
  EXPECT_FALSE(reader.ReadLine(fields));
  EXPECT_EQ(fields, TArrayOfString(3));
  EXPECT_TRUE(reader.Eof());
}

TEST_F(TCSVFileTest, Utf8MarkIsSkipped) {
  EXPECT_EQ(ReadAll("\xEF\xBB\xBFk,v\n"), (TRows{{"k", "v"}}));
}

// Writes Fields as a line the way common CSV writers do: a field holding a separator or a quote
// is quoted with its quotes doubled, and any field may be quoted anyway.
std::string WriteRecord(const TArrayOfString& Fields, std::mt19937& Random) {
  static const char Separators[] = {',', ';', '\t'};
  std::string line;
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    if (i > 0)
      line += Separators[Random() % 3];
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
