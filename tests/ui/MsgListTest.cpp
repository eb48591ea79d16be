#include "ui/uMsgList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TPlace {
  std::size_t Index;
  qsizetype Start, Length;
  bool operator==(const TPlace&) const = default;
};

std::vector<TPlace> Places(const TFilledMessage& Filled) {
  std::vector<TPlace> places;
  for (const TParamPlace& place : Filled.Places)
    places.push_back({place.Index, place.Start, place.Length});
  return places;
}

TEST(FillMessage, FillsInTheParametersAndKeepsALonePercentForTheRest) {
  const struct {
    const char* Template;
    TArrayOfString Params;
    const char* Text;
    std::vector<TPlace> Places;
  } cases[] = {
      {"Cannot open %1 (%2)", {"a", "b"}, "Cannot open 'a' ('b')", {{0, 13, 1}, {1, 18, 1}}},
      // A number beyond the parameters, and none at all, leave a lone "%".
      {"%3 of %1", {"x"}, "% of 'x'", {{0, 6, 1}}},
      {"100% done", {}, "100%done", {}},
      {"50 % off", {"p"}, "50 %off", {}},
      // Signs and white space after "%" are skipped with the number.
      {"a%+1b", {"p"}, "a'p'b", {{0, 2, 1}}},
      {"a% - 1b", {"p"}, "a'p'b", {{0, 2, 1}}},
      {"a%\t-+2b", {"p", "q"}, "a'q'b", {{1, 2, 1}}},
      {"a%-b", {"p"}, "a%b", {}},
      // A parameter used twice is placed at its last occurrence.
      {"%1 and %1", {"xy"}, "'xy' and 'xy'", {{0, 10, 2}}},
      // "%12" with two parameters names the twelfth, not the first followed by "2".
      {"%12", {"a", "b"}, "%", {}},
      {"%", {"a"}, "%", {}},
      {"", {"a"}, "", {}},
      // Positions count the memo's characters: one for a line feed, one for "ž", two for a
      // character beyond the basic plane.
      {"Ž\n%1 %2", {"žluť", "😀x"}, "Ž\n'žluť' '😀x'", {{0, 3, 4}, {1, 10, 3}}},
      // A parameter is never searched for patterns of its own.
      {"%1%2", {"%2", "b"}, "'%2''b'", {{0, 1, 2}, {1, 5, 1}}},
  };
  for (const auto& c : cases) {
    const TFilledMessage filled = FillMessage(c.Template, c.Params);
    EXPECT_EQ(filled.Text.toStdString(), c.Text) << c.Template;
    EXPECT_EQ(Places(filled), c.Places) << c.Template;
    for (const TParamPlace& place : filled.Places)
      EXPECT_EQ(filled.Text.mid(place.Start, place.Length).toStdString(), c.Params[place.Index])
          << c.Template;
  }
}

class TMessageListTest : public testing::Test {
 protected:
  void TearDown() override { FreeMessageList(); }

  static void Add(TMessageLevel Level, bool Retry, const char* Text, std::uint8_t UseForAll,
                  std::int32_t Answer) {
    TIgnore entry;
    entry.MsgType = Level;
    entry.Retry = Retry;
    entry.Text = Text;
    entry.UseForAll = UseForAll;
    entry.Answer = Answer;
    MessageList().push_back(entry);
  }
};

TEST_F(TMessageListTest, ReusesTheNewestAnswerOfTheSameReport) {
  Add(mlError, true, "Cannot read %1", ufReuse, 0);
  Add(mlError, true, "Cannot read %1", ufSingle, 1);
  Add(mlError, true, "Cannot read %1", ufReuse, 1);
  Add(mlError, false, "Cannot write", ufReuse, 0);
  const struct {
    bool Retry;
    TMessageLevel Level;
    const char* Text;
    std::optional<std::int32_t> Answer;
  } cases[] = {
      {true, mlError, "Cannot read %1", 1},
      {false, mlError, "Cannot read %1", std::nullopt},
      {true, mlWarning, "Cannot read %1", std::nullopt},
      {true, mlError, "cannot read %1", std::nullopt},
      {false, mlError, "Cannot write", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindReusableAnswer(c.Retry, c.Level, c.Text), c.Answer) << c.Text << c.Retry;
}

TEST_F(TMessageListTest, FindsTheOldestUnansweredEntry) {
  EXPECT_EQ(FirstUnanswered(), std::nullopt);
  Add(mlError, false, "a", ufSingle, 0);
  Add(mlError, false, "b", ufSingle, -1);
  Add(mlError, false, "c", ufSingle, -1);
  EXPECT_EQ(FirstUnanswered(), 1U);
  FreeMessageList();
  EXPECT_TRUE(MessageList().empty());
  EXPECT_EQ(AnswerMode(), amShow);
}

} // namespace
