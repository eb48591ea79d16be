#include "EnvTestSupport.h"
#include "env/uIni.h"
#include "text/uOutputFormat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using TIniTest = TEnvTest;

// The sections as "[Name]" and "key=value" lines.
std::string Dump(const TDIniFile& Ini) {
  std::string text;
  for (const TIniSection& section : Ini.Sections()) {
    text += "[" + section.Name + "]\n";
    for (std::size_t i = 0; i + 1 < section.Keys.size(); i += 2)
      text += section.Keys[i] + "=" + section.Keys[i + 1] + "\n";
  }
  return text;
}

TEST_F(TIniTest, NumbersStopAtTheCommaAndKeysMatchTheirCase) {
  WriteWholeFile(Folder / "a.ini", "[Sounds]\nEnabled=1\nVolume=3,5\n");
  TDIniFile ini(Name("a.ini"));
  EXPECT_EQ(ini.ReadNum("Sounds", "Volume", 0), 3);
  EXPECT_TRUE(ini.ReadBool("Sounds", "Enabled", false));
  EXPECT_EQ(ini.ReadNum("Sounds", "volume", 7), 7) << "another letter case is another key";
}

TEST_F(TIniTest, LoadKeepsSectionsAndKeysInFileOrder) {
  WriteWholeFile(Folder / "a.ini", "\xEF\xBB\xBF"
                                   "orphan=1\r\n"
                                   "[A]\r\nk=1\r\nk=2\r\n\r\n"
                                   "[B\nx=a=b\nnovalue\n"
                                   "[A]\nk=3\nj=4\n");
  TDIniFile ini(Name("a.ini"));
  ini.Load();
  EXPECT_EQ(Dump(ini), "[A]\nk=1\nk=2\n[B]\nx=a=b\nnovalue=\n[A]\nk=3\nj=4\n");
  EXPECT_EQ(ini.ReadString("A", "k", ""), "1") << "the first key of the first section";
  EXPECT_EQ(ini.ReadString("A", "j", "none"), "none") << "only the first section of a name counts";
}

TEST_F(TIniTest, SaveThenLoadGivesTheSameSectionsAndKeys) {
  WriteWholeFile(Folder / "a.ini", "[A]\nk=1\nk=2\n[B\n=\n[A]\n[C]]\n");
  TDIniFile untouched(Name("a.ini"));
  ASSERT_TRUE(untouched.Save()) << "loads before it saves";
  TDIniFile ini(Name("a.ini"));
  ini.Load();
  EXPECT_EQ(Dump(ini), "[A]\nk=1\nk=2\n[B]\n=\n[A]\n[C]]\n");
  ini.WriteString("New", "key", "value, with = signs");
  ini.WriteNum("A", "n", -42);
  ASSERT_TRUE(ini.Save());
  TDIniFile again(Name("a.ini"));
  again.Load();
  EXPECT_EQ(Dump(again), Dump(ini));
  EXPECT_EQ(Dump(again),
            "[A]\nk=1\nk=2\nn=-42\n[B]\n=\n[A]\n[C]]\n[New]\nkey=value, with = signs\n");
}

TEST_F(TIniTest, SaveRefusesEntriesThatWouldNotReadBackAndKeepsTheFile) {
  const char* keys[] = {"a=b", "[k", "k\n"};
  for (const char* key : keys) {
    WriteWholeFile(Folder / "a.ini", "[Old]\n");
    TDIniFile ini(Name("a.ini"));
    ini.WriteString("S", key, "v");
    EXPECT_FALSE(ini.Save()) << key;
    EXPECT_EQ(ReadWholeFile(Folder / "a.ini"), "[Old]\n") << key;
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
  ini.WriteString("New", "k", "v");
  EXPECT_FALSE(ini.Save());
  EXPECT_EQ(ReadWholeFile(Folder / "a.ini"), "[Old]\nk=1\n");
}

// A unit with settings: reads them when it registers, writes them when it unregisters.
struct TSettings {
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
  const std::string address =
      NumberToText(std::int64_t(reinterpret_cast<std::uintptr_t>(a.Code)), 0, nsPlain);
  EXPECT_EQ(Reports.Log, (std::vector<std::string>{"Debug: RegisterRW " + address,
                                                   "Debug: RegisterRW " + address,
                                                   "Debug: UnregisterRW " + address}));
}

} // namespace
