#include "EnvTestSupport.h"
#include "env/uProjectInfo.h"
#include "platform/uProcess.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

using TProjectInfoTest = TEnvTest;
using TValues = std::array<std::string, ProjectInfoCount>;

TEST(ProjectInfoKey, IsTheNameWithoutItsPrefix) {
  EXPECT_EQ(ProjectInfoKey(piFileVersion), "FileVersion");
  EXPECT_EQ(ProjectInfoKey(piOriginalFilename), "OriginalFilename");
  EXPECT_EQ(ProjectInfoKey(piEMail), "EMail");
  EXPECT_EQ(ProjectInfoKey(piWeb), "Web");
  EXPECT_EQ(ProjectInfoKey(TProjectInfoName(13)), "");
}

TEST(ParseProjectInfo, ReadsKeysAndCompletesVersions) {
  using namespace std::string_literals;
  struct {
    std::string Section;
    std::string FileVersion, ProductVersion, Company;
  } const cases[] = {
      {"FileVersion=1, 2, 3, 4\0"s, "1.2.3.4", "", ""},
      {"FileVersion=17\0ProductVersion=1.0\0"s, "1.0.17", "1.0", ""},
      {"ProductVersion=1, 0\0FileVersion=17\0"s, "1.0.17", "1.0", ""},
      {"FileVersion=17\0ProductVersion=1\0"s, "17", "1", ""},
      // No file version stays none, rather than becoming "1.0.".
      {"ProductVersion=1.0\0"s, "", "1.0", ""},
      {"FileVersion=1,2\0"s, "1,2", "", ""},
      // Of a key given twice the first counts; unknown keys, entries without "=", empty
      // entries and a last entry without its NUL are all fine.
      {"CompanyName=A\0CompanyName=B\0"s, "", "", "A"},
      {"\0\0Unknown=x\0no equals\0companyname=lower\0CompanyName=a=b"s, "", "", "a=b"},
      {"CompanyName=\0CompanyName=B\0"s, "", "", ""},
      {""s, "", "", ""},
  };
  for (const auto& c : cases) {
    TValues values;
    ParseProjectInfo(c.Section, values);
    EXPECT_EQ(values[piFileVersion], c.FileVersion) << c.Section;
    EXPECT_EQ(values[piProductVersion], c.ProductVersion) << c.Section;
    EXPECT_EQ(values[piCompanyName], c.Company) << c.Section;
  }
}

TEST_F(TProjectInfoTest, ReadsTheSectionOfAProgramFile) {
  const TProjectInfo info(ENVPROBE_INFO);
  EXPECT_EQ(info.FileName(), ENVPROBE_INFO);
  EXPECT_EQ(info.GetValue(piFileVersion), "1.0.17");
  EXPECT_EQ(info.GetValue(piProductVersion), "1.0");
  EXPECT_EQ(info.GetValue(piCompanyName), "Probe Works");
  EXPECT_EQ(info.GetValue(piInternalName), "Probe");
  EXPECT_EQ(info.GetValue(piFileDescription), "Environment probe \"with\" information");
  EXPECT_EQ(info.GetValue(piOriginalFilename), "envprobe");
  EXPECT_EQ(info.GetValue(piWeb), "https://probe.example/");
  EXPECT_EQ(info.GetValue(piRelease), "Test");
  EXPECT_EQ(info.GetValue(piProductName), "Body Mass Index");
  EXPECT_EQ(info.GetValue(piAuthor), "");
  EXPECT_EQ(info.GetValue(TProjectInfoName(200)), "");

  const TProjectInfo commas(PROJINFO_COMMAS);
  EXPECT_EQ(commas.GetValue(piFileVersion), "1.2.3.4");
  EXPECT_EQ(commas.GetValue(piProductVersion), "5.6");
}

TEST_F(TProjectInfoTest, DexprCarriesItsOwnInformationThroughStrip) {
  const std::string stripped = Name("dexpr");
  const TProcessResult strip = RunProcess("/usr/bin/strip", {"-o", stripped, DEXPR_PATH});
  if (strip.ExitCode != 0)
    GTEST_SKIP() << "no strip here: " << strip.Err;
  for (const std::string& program : {std::string(DEXPR_PATH), stripped}) {
    const TProjectInfo info(program);
    EXPECT_EQ(info.GetValue(piInternalName), "dexpr") << program;
    EXPECT_EQ(info.GetValue(piOriginalFilename), "dexpr") << program;
    EXPECT_EQ(info.GetValue(piCompanyName), "Korvane") << program;
    EXPECT_EQ(info.GetValue(piProductName), "Body Mass Index") << program;
    EXPECT_EQ(info.GetValue(piFileVersion).rfind(BMI_PROJECT_VERSION, 0), 0u) << program;
    EXPECT_EQ(info.GetValue(piFileVersion), info.GetValue(piProductVersion)) << program;
    EXPECT_NE(info.GetValue(piFileDescription), "") << program;
    EXPECT_NE(info.GetValue(piLegalCopyright), "") << program;
  }
}

TEST_F(TProjectInfoTest, AFileWithoutReadableInformationLeavesEveryFieldEmptyQuietly) {
  const std::string program = ReadWholeFile(ENVPROBE_INFO);
  ASSERT_GT(program.size(), 4096u);
  WriteWholeFile(Folder / "text", "not a program\n");
  WriteWholeFile(Folder / "empty", "");
  WriteWholeFile(Folder / "head", program.substr(0, 100));
  WriteWholeFile(Folder / "half", program.substr(0, program.size() / 2));
  WriteWholeFile(Folder / "no-sections", program.substr(0, 40) + std::string(24, '\0'));
  fs::create_directory(Folder / "dir");
  for (const std::string& file :
       {std::string(ENVPROBE_BARE), Name("text"), Name("empty"), Name("head"), Name("half"),
        Name("no-sections"), Name("dir"), Name("missing")}) {
    const TProjectInfo info(file);
    for (std::size_t name = 0; name < ProjectInfoCount; ++name)
      EXPECT_EQ(info.GetValue(TProjectInfoName(name)), "") << file << " " << name;
  }
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TProjectInfoTest, RelativeNamesComeFromTheProgramDirectory) {
  ExeDir = fs::path(ENVPROBE_INFO).parent_path().string() + "/";
  EXPECT_EQ(TProjectInfo(fs::path(ENVPROBE_INFO).filename().string()).GetValue(piInternalName),
            "Probe");
}

TEST(GetProjectInfo, DefaultsToKorvaneAndTheProgramFileName) {
  const std::string program = ProgramFileName();
  EXPECT_EQ(GetProjectInfo(piCompanyName), "Korvane");
  EXPECT_EQ(GetProjectInfo(piInternalName), program.substr(program.rfind('/') + 1));
  EXPECT_EQ(GetProjectInfo(piFileVersion), "");
}

} // namespace
