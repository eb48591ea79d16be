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
}

TEST_F(TDictionaryTest, PhrasesAreReplacedOnlyAsWholeWords) {
  InstallFrench("# French\nClose,Fermer\nsave,enregistrer\nquit,\xE9\x80\x80\n");
  const struct {
    const char* Text;
    const char* Translated;
  } cases[] = {
      {"Close Program", "Fermer Program"},
      {"Closed", "Closed"},   // a letter follows
      {"a/Close", "a/Close"}, // a "/" precedes
      {"close_", "close_"},
      {"(close) 2", "(Fermer) 2"},
      {"close\xC3\xA4", "close\xC3\xA4"},         // a byte beyond ASCII follows
      {"Save, save", "Enregistrer, enregistrer"}, // a capital at the start stays one
      {"Quit", "\xE9\x80\x80"},                   // but a multi-byte character is not broken for it
  };
  for (const auto& c : cases)
    EXPECT_EQ(Translate(c.Text), c.Translated) << c.Text;
}

TEST_F(TDictionaryTest, AcceleratorMarksAreDropped) {
  InstallFrench("Open,Ouvrir\n");
  EXPECT_EQ(Translate("&Close Program"), "Close Program");
}

TEST_F(TDictionaryTest, LongerReplacementsComeFirstAndEqualOnesInReverseFileOrder) {
  InstallFrench("\xEF\xBB\xBFSave,Enregistrer\nSave As,Enregistrer sous\nopen,ouvrir\n"
                "open,ouvrez\n");
  EXPECT_EQ(Translate("Save As"), "Enregistrer sous");
  EXPECT_EQ(Translate("open"), "ouvrez");
  EXPECT_EQ(InstalledDictionary()->Order(), (std::vector<std::int32_t>{1, 0, 3, 2}));
}

TEST_F(TDictionaryTest, EntriesWithoutAPhraseAreSkippedInsteadOfMatchingEverywhere) {
  InstallFrench(",x\nz,zz\n");
  EXPECT_EQ(Translate("a z"), "a zz");
}

TEST_F(TDictionaryTest, AMissingFileIsReportedOnceAndLeavesTextsUnchanged) {
  ASSERT_TRUE(InstallDictionary({"Klingon"}, "Klingon"));
  EXPECT_EQ(Translate("&Close"), "&Close");
  EXPECT_EQ(Translate("&Close"), "&Close");
  EXPECT_EQ(Reports.RetryQuestions(), 1u);
}

} // namespace
