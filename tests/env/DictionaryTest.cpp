#include "EnvTestSupport.h"
#include "env/uDictionary.h"
#include "text/uTranslate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class TDictionaryTest : public TEnvTest {
 protected:
  TDictionaryTest() {
    ExeDir = Folder.Path().string() + "/";
    std::filesystem::create_directory(Folder / "Languages");
  }
  ~TDictionaryTest() override { RemoveDictionary(); }

  // Installs the dictionary of French with the entries Content.
  void InstallFrench(const std::string& Content) {
    WriteWholeFile(Folder / "Languages" / "French.csv", Content);
    ASSERT_TRUE(InstallDictionary({"German", "French"}, "French"));
  }
};

TEST_F(TDictionaryTest, WithoutADictionaryTextsPassUnchanged) {
  EXPECT_EQ(Translate("&Close Program"), "&Close Program");
  EXPECT_EQ(InstalledDictionary(), nullptr);
}

TEST_F(TDictionaryTest, PhrasesAreReplacedOnlyAsWholeWords) {
  InstallFrench("# French\nclose,fermer\n");
  const struct {
    const char* Text;
    const char* Translated;
  } cases[] = {
      {"Close Program", "Fermer Program"}, // a capital at the start gives one
      {"Closed", "Closed"},                // a letter follows
      {"a/Close", "a/Close"},              // a "/" precedes
      {"Do close, CLOSE", "Do fermer, fermer"},
      {"CLOSE", "Fermer"},
      {"close", "fermer"},
      {"_close", "_close"},
      {"close_", "close_"},
      {"xclose", "xclose"},
      {"close2 (close)", "fermer2 (fermer)"},
      {"close/", "fermer/"},
      {"close\xC3\xA4", "close\xC3\xA4"}, // a byte beyond ASCII follows
      {"\xC3\xA4 close", "\xC3\xA4 fermer"},
      {"&Close && &Exit", "Fermer & Exit"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Translate(c.Text), c.Translated) << c.Text;
}

TEST_F(TDictionaryTest, AcceleratorMarksAreDroppedWhenTranslating) {
  InstallFrench("Open,Ouvrir\n");
  EXPECT_EQ(Translate("&Close Program"), "Close Program");
}

TEST_F(TDictionaryTest, LongerReplacementsComeFirstAndEqualOnesInReverseFileOrder) {
  InstallFrench("\xEF\xBB\xBFSave,Enregistrer\nSave As,Enregistrer sous\nopen,ouvrir\n"
                "open,ouvrez\n");
  EXPECT_EQ(Translate("Save As"), "Enregistrer sous");
  EXPECT_EQ(Translate("Save"), "Enregistrer");
  EXPECT_EQ(Translate("open"), "ouvrez");
  const TDictionary* dictionary = InstalledDictionary();
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(dictionary->State(), dsLoaded);
  EXPECT_EQ(dictionary->Order(), (std::vector<std::int32_t>{1, 0, 3, 2}));
  EXPECT_EQ(dictionary->Lengths(), (std::vector<std::uint32_t>{16, 11, 6, 6}));
}

TEST_F(TDictionaryTest, TheSearchGoesOnBehindEachReplacement) {
  InstallFrench("a,a a\nb,\n");
  EXPECT_EQ(Translate("a b a"), "a a  a a");
}

TEST_F(TDictionaryTest, EntriesWithoutAPhraseAreSkipped) {
  InstallFrench(",x\n\"\",y\nz,zz\n");
  EXPECT_EQ(Translate("a z"), "a zz");
  EXPECT_EQ(InstalledDictionary()->EntryCount(), 1);
}

TEST_F(TDictionaryTest, AMissingFileLeavesTextsUnchanged) {
  ASSERT_TRUE(InstallDictionary({"Klingon"}, "Klingon"));
  EXPECT_EQ(Translate("&Close"), "&Close");
  EXPECT_EQ(InstalledDictionary()->State(), dsLoadAttempted);
  EXPECT_EQ(Reports.RetryQuestions(), 1u) << "reported once";
  EXPECT_EQ(Translate("&Close"), "&Close");
  EXPECT_EQ(Reports.RetryQuestions(), 1u) << "not read again";
}

TEST_F(TDictionaryTest, ALanguageNotOfferedChoosesNone) {
  WriteWholeFile(Folder / "Languages" / "French.csv", "close,fermer\n");
  EXPECT_FALSE(InstallDictionary({"French"}, "Dutch"));
  EXPECT_EQ(Translate("&Close"), "&Close");
  EXPECT_FALSE(InstallDictionary({"French"}, ""));
  EXPECT_EQ(Translate("&Close"), "&Close");
  EXPECT_TRUE(InstallDictionary({"French"}, "French"));
  EXPECT_EQ(Translate("&Close"), "Fermer");
  RemoveDictionary();
  EXPECT_EQ(Translate("&Close"), "&Close");
}

} // namespace
