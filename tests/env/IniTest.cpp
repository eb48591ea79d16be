#include "EnvTestSupport.h"
#include "env/uIni.h"
#include "text/uOutputFormat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

using TIniTest = TEnvTest;

// The sections as text, one "[Name]" or "key=value" entry a line.
std::string Dump(const TDIniFile& Ini) {
  std::ostringstream out;
  for (const TIniSection& section : Ini.Sections()) {
    out << "[" << section.Name << "]\n";
    for (std::size_t i = 0; i + 1 < section.Keys.size(); i += 2)
      out << section.Keys[i] << "=" << section.Keys[i + 1] << "\n";
  }
  return out.str();
}

TEST_F(TIniTest, NumbersStopAtTheCommaAndKeysMatchTheirCase) {
  WriteWholeFile(Folder / "a.ini", "[Sounds]\nEnabled=1\nVolume=3,5\nEmpty=\nWord=abc\n");
  TDIniFile ini(Name("a.ini"));
  EXPECT_EQ(ini.ReadNum("Sounds", "Volume", 0), 3);
  EXPECT_TRUE(ini.ReadBool("Sounds", "Enabled", false));
  EXPECT_EQ(ini.ReadNum("Sounds", "volume", 7), 7) << "another letter case is another key";
  EXPECT_EQ(ini.ReadString("sounds", "Volume", "d"), "d");
  EXPECT_EQ(ini.ReadNum("Sounds", "Empty", 9), 9) << "an empty value gives the default";
  EXPECT_EQ(ini.ReadNum("Sounds", "Word", 9), 0) << "a value without digits reads as 0";
  EXPECT_TRUE(ini.Loaded()) << "the first read loads the file";
}

TEST_F(TIniTest, LoadKeepsSectionsAndKeysInFileOrder) {
  WriteWholeFile(Folder / "a.ini", "\xEF\xBB\xBF"
                                   "orphan=1\r\n"
                                   "[A]\r\nk=1\r\nk=2\r\n\r\n"
                                   "[B\nx=a=b\nnovalue\n =\n"
                                   "[A]\nk=3\nj=4\n"
                                   "[C]]\n");
  TDIniFile ini;
  ini.Load(Name("a.ini"));
  EXPECT_EQ(Dump(ini), "[A]\nk=1\nk=2\n"
                       "[B]\nx=a=b\nnovalue=\n =\n"
                       "[A]\nk=3\nj=4\n"
                       "[C]]\n");
  EXPECT_EQ(ini.ReadString("A", "k", ""), "1") << "the first key of the first section";
  EXPECT_EQ(ini.ReadString("A", "j", "none"), "none") << "only the first section of a name counts";
  EXPECT_TRUE(ini.Saved());
}

TEST_F(TIniTest, AMissingFileGivesAnEmptyLoadedObject) {
  TDIniFile ini(Name("missing.ini"));
  EXPECT_EQ(ini.ReadString("A", "k", "d"), "d");
  EXPECT_TRUE(ini.Loaded());
  EXPECT_TRUE(ini.Saved());
  EXPECT_EQ(ini.SectionCount(), 0);
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TIniTest, WritesAppendSectionsAndKeysOrChangeValues) {
  WriteWholeFile(Folder / "a.ini", "[A]\nk=1\n");
  TDIniFile ini(Name("a.ini"));
  ini.WriteString("A", "k", "2");
  ini.WriteNum("B", "n", -42);
  ini.WriteBool("B", "on", true);
  ini.WriteBool("B", "off", false);
  EXPECT_FALSE(ini.Saved());
  EXPECT_EQ(Dump(ini), "[A]\nk=2\n[B]\nn=-42\non=1\noff=0\n");

  std::int32_t number = 5;
  bool flag = true;
  std::string text = "t";
  ini.RWNum("B", "missing", number, false);
  ini.RWBool("B", "off", flag, false);
  ini.RWString("A", "k", text, false);
  EXPECT_EQ(number, 5);
  EXPECT_FALSE(flag);
  EXPECT_EQ(text, "2");
  ini.RWNum("C", "x", number, true);
  EXPECT_EQ(ini.ReadString("C", "x", ""), "5");
}

TEST_F(TIniTest, SaveThenLoadGivesTheSameSectionsAndKeys) {
  WriteWholeFile(Folder / "a.ini",
                 "\xEF\xBB\xBF[A]\r\nk=1\r\nk=2\r\n[B\nx=a=b\nnovalue\n[A]\n=\n[]\n[C]]\n");
  TDIniFile ini(Name("a.ini"));
  ini.WriteString("New", "key", "value with spaces, commas; and = signs");
  ini.WriteString("A", "", "empty key");
  ASSERT_TRUE(ini.Save());
  EXPECT_TRUE(ini.Saved());
  EXPECT_TRUE(TempCopies().empty());
  TDIniFile again;
  again.Load(Name("a.ini"));
  EXPECT_EQ(Dump(again), Dump(ini));
}

TEST_F(TIniTest, SaveRefusesEntriesThatWouldNotReadBack) {
  const struct {
    const char* Section;
    const char* Key;
    const char* Value;
  } cases[] = {
      {"S", "a=b", "v"},    {"S", "[k", "v"},     {"S", "k\n", "v"},
      {"S", "k", "v\r[x]"}, {"S\nk=v", "k", "v"},
  };
  for (const auto& c : cases) {
    WriteWholeFile(Folder / "a.ini", "[Old]\nk=1\n");
    Reports.Questions.clear();
    TDIniFile ini(Name("a.ini"));
    ini.WriteString(c.Section, c.Key, c.Value);
    EXPECT_FALSE(ini.Save()) << c.Key;
    EXPECT_EQ(ReadWholeFile(Folder / "a.ini"), "[Old]\nk=1\n") << c.Key;
    EXPECT_EQ(Reports.Texts(mlError).size(), 1u) << c.Key;
  }
}

TEST_F(TIniTest, AFileThatCouldNotBeReadIsNotOverwritten) {
  WriteWholeFile(Folder / "a.ini", "[Old]\nk=1\n");
  TDIniFile ini(Name("a.ini"));
  {
    TFaultyOps ops;
    TFileOpsScope installed(ops);
    ops.Fault[foOpen] = EACCES;
    Reports.AnswerAlways(AnswerIgnore);
    ini.Load();
  }
  EXPECT_EQ(ini.SectionCount(), 0);
  ini.WriteString("New", "k", "v");
  EXPECT_FALSE(ini.Save());
  EXPECT_EQ(ReadWholeFile(Folder / "a.ini"), "[Old]\nk=1\n");
}

// A unit with settings: reads them when it registers, writes them when it unregisters.
class TSettings {
 public:
  void RWOptions(bool Save) { Calls.push_back(Save); }
  std::vector<bool> Calls;
};

TEST_F(TIniTest, RegisterReadsAtOnceAndUnregisterWritesAndRemoves) {
  TDIniFile ini(Name("a.ini"));
  TSettings first, second;
  const TRWOptions a = MakeRWOptions<TSettings, &TSettings::RWOptions>(first);
  const TRWOptions b = MakeRWOptions<TSettings, &TSettings::RWOptions>(second);
  ini.RegisterRW(a);
  ini.RegisterRW(b);
  EXPECT_EQ(first.Calls, std::vector<bool>{false});
  ini.UnregisterRW(a);
  EXPECT_EQ(first.Calls, (std::vector<bool>{false, true}));
  EXPECT_EQ(ini.Callbacks(), std::vector<TRWOptions>{b});
  ini.RegisterRW(TRWOptions{&first, nullptr});
  EXPECT_EQ(ini.Callbacks().size(), 1u) << "a callback without code is ignored";

  const std::string address =
      NumberToText(std::int64_t(reinterpret_cast<std::uintptr_t>(a.Code)), 0, nsPlain);
  EXPECT_EQ(Reports.Log, (std::vector<std::string>{"Debug: RegisterRW " + address,
                                                   "Debug: RegisterRW " + address,
                                                   "Debug: UnregisterRW " + address}));
}

} // namespace
