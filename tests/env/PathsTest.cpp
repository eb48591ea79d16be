#include "EnvTestSupport.h"
#include "env/uFileHelpers.h"
#include "env/uPaths.h"
#include "env/uPathsInit.h"
#include "platform/uProcess.h"
#include "platform/uRegistry.h"
#include "support/RunProcess.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

using TPathsTest = TEnvTest;

TEST(CorrectDir, AppendsTheSeparatorOnce) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"/a", "/a/"}, {"/a/", "/a/"}, {"a", "a/"}, {"/", "/"}};
  for (auto [dir, expected] : cases) {
    const std::string given = dir;
    CorrectDir(dir);
    EXPECT_EQ(dir, expected) << given;
  }
}

TEST(SplitCommandLine, SplitsAtBlanksAndKeepsQuotedItemsWhole) {
  struct {
    const char* Text;
    int Count;
    TArrayOfString Items;
  } const cases[] = {
      {"\"/opt/My Prog/App\" -x", 3, {"/opt/My Prog/App", "-x", ""}},
      {"  a   b  ", 2, {"a", "b"}},
      {"\"open to the end", 2, {"open to the end", ""}},
      {"a\"b c\"", 2, {"a\"b", "c\""}},
      {"\"\" x", 2, {"", "x"}},
      {"", 1, {""}},
      {"a b", 0, {}},
      {"a b", -1, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SplitCommandLine(c.Text, c.Count), c.Items) << c.Text << " / " << c.Count;
}

TEST_F(TPathsTest, ExpandDirTakesRelativePathsFromTheProgramDirectoryWhateverTheCurrentOne) {
  TEnvironmentGuard environment;
  environment.Set("BMI_TEST_DIR", "/srv/data");
  environment.Set("BMI_TEST_EMPTY", "");
  environment.Set("BMI_TEST_SUB", "sub");
  environment.Set("BMI_TEST_PERCENT", "%BMI_TEST_DIR%");
  environment.Unset("BMI_TEST_NO_SUCH");
  ExeDir = "/opt/prog/";
  const std::pair<const char*, const char*> cases[] = {
      {"", "/opt/prog/"},
      {"Data/a.txt", "/opt/prog/Data/a.txt"},
      {"/x", "/x"},
      {"//server/share/x", "//server/share/x"},
      {"/a/../b", "/a/../b"},
      {"../up", "/opt/up"},
      {"./a/./b/", "/opt/prog/a/b/"},
      {"a//b", "/opt/prog/a/b"},
      {"%BMI_TEST_DIR%/x", "/srv/data/x"},
      {"%BMI_TEST_SUB%/f", "/opt/prog/sub/f"},
      {"%BMI_TEST_NO_SUCH%/a", "/opt/prog/%BMI_TEST_NO_SUCH%/a"},
      {"%BMI_TEST_EMPTY%x", "/opt/prog/%BMI_TEST_EMPTY%x"},
      {"a%%b", "/opt/prog/a%%b"},
      {"50%/x", "/opt/prog/50%/x"},
      {"%BMI_TEST_NO_SUCH%%BMI_TEST_SUB%", "/opt/prog/%BMI_TEST_NO_SUCH%sub"},
      // A value is not searched again for variables.
      {"%BMI_TEST_PERCENT%x%BMI_TEST_DIR%", "/opt/prog/%BMI_TEST_DIR%x/srv/data"},
  };
  for (const char* current : {"/", "/tmp"}) {
    TCurrentFolderGuard folder(current);
    for (const auto& [path, expected] : cases)
      EXPECT_EQ(ExpandDir(path), expected) << path << " in " << current;
  }
}

TEST(DelFileExt, DropsTheExtensionOfTheFilePartOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"/Prog/App.exe", "/Prog/App"},
      {"App", "App"},
      {"a.tar.gz", "a.tar"},
      {"/x.d/file", "/x.d/file"},
      {"/x/.profile", "/x/.profile"},
      {"/x/..", "/x/.."},
      {"name.", "name"},
      {"", ""},
  };
  for (const auto& [name, expected] : cases)
    EXPECT_EQ(DelFileExt(name), expected) << name;
}

TEST_F(TPathsTest, FileExistsExSeesFilesOnly) {
  fs::create_directory(Folder / "dir");
  WriteWholeFile(Folder / "file", "");
  ExeDir = Name("");
  EXPECT_TRUE(FileExistsEx(Name("file")));
  EXPECT_TRUE(FileExistsEx("file"));
  EXPECT_FALSE(FileExistsEx(Name("dir")));
  EXPECT_FALSE(FileExistsEx(Name("missing")));
}

TEST_F(TPathsTest, CreateDirCheckedReportsWhatItCannotCreate) {
  WriteWholeFile(Folder / "file", "");
  EXPECT_FALSE(CreateDirChecked(""));
  EXPECT_TRUE(CreateDirChecked(Name("")));
  EXPECT_TRUE(Reports.Questions.empty());
  EXPECT_TRUE(CreateDirChecked(Name("new/")));
  EXPECT_TRUE(fs::is_directory(Folder / "new"));
  EXPECT_FALSE(CreateDirChecked(Name("a/b/")));
  EXPECT_FALSE(CreateDirChecked(Name("file/x/")));
  EXPECT_EQ(Reports.Texts(mlError),
            (std::vector<std::string>{ErrorCodeToStr(ENOENT) + "\n'" + Name("a/b/") + "'",
                                      ErrorCodeToStr(ENOTDIR) + "\n'" + Name("file/x/") + "'"}));
}

TEST_F(TPathsTest, CreateDirExCreatesEveryParentAndStopsAtTheFirstFailure) {
  WriteWholeFile(Folder / "file", "");
  EXPECT_TRUE(CreateDirEx(Name("a/b/c/")));
  EXPECT_TRUE(fs::is_directory(Folder / "a" / "b" / "c"));
  EXPECT_TRUE(CreateDirEx(Name("a/b/c")));
  EXPECT_FALSE(CreateDirEx(Name("file/x/y/")));
  EXPECT_EQ(Reports.Texts(mlError).size(), 1u);
}

TEST(GetShellFolder, ReadsTheShellFoldersKeyWhenSomeoneWroteIt) {
  ClearRegistry();
  EXPECT_EQ(GetShellFolder("Local AppData", false), "");
  TRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
  ASSERT_TRUE(registry.WriteString("Local AppData", "/srv/local"));
  EXPECT_EQ(GetShellFolder("Local AppData", false), "/srv/local/");
  EXPECT_EQ(GetShellFolder("local appdata", false), "/srv/local/");
  EXPECT_EQ(GetShellFolder("Personal", false), "");
  EXPECT_EQ(GetShellFolder("Local AppData", true), "") << "all users have a key of their own";
  ClearRegistry();
}

TEST_F(TPathsTest, ReadEnvironmentSplitsEachEntryAtItsFirstEquals) {
  TEnvironmentGuard environment;
  environment.Set("BMI_TEST_PAIR", "a=b");
  ReadEnvironment();
  std::size_t count = 0;
  while (environ[count])
    ++count;
  ASSERT_EQ(EnvironmentList.size(), count);
  for (std::size_t i = 0; i < count; ++i)
    EXPECT_EQ(EnvironmentList[i].Name + "=" + EnvironmentList[i].Value, environ[i]);
  EXPECT_NE(std::find(EnvironmentList.begin(), EnvironmentList.end(),
                      TStringPair{"BMI_TEST_PAIR", "a=b"}),
            EnvironmentList.end());
}

TEST_F(TPathsTest, ReadEnvironmentWarnsWithoutAnEnvironment) {
  char** saved = environ;
  environ = nullptr;
  ReadEnvironment();
  environ = saved;
  EXPECT_TRUE(EnvironmentList.empty());
  const auto warnings = Reports.Texts(mlWarning);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("GetEnvironmentStrings failed ('Error Code ", 0), 0u) << warnings[0];
}

// Runs InitPaths again in this process with the environment a test set.
class TInitPathsTest : public TPathsTest {
 protected:
  void SetUp() override {
    Environment.Set("HOME", Name("home"));
    Environment.Set("TMPDIR", Name("tmp"));
    Environment.Set("XDG_CONFIG_HOME", Name("config"));
    Environment.Set("XDG_DATA_HOME", Name("data"));
    Environment.Unset("XDG_DOCUMENTS_DIR");
    fs::create_directory(Folder / "tmp");
  }
  void Init() {
    FinalizePaths();
    InitPaths();
  }

  TEnvironmentGuard Environment;
  const std::string Internal =
      DelFileExt(ProgramFileName().substr(ProgramFileName().rfind('/') + 1));
};

TEST_F(TInitPathsTest, MapsEveryPathToTheXdgDirectoriesAndCreatesThem) {
  Init();
  EXPECT_EQ(ExeFileName, ProgramFileName());
  std::string workDir = CurrentDirectory();
  CorrectDir(workDir);
  EXPECT_EQ(WorkDir, workDir);
  EXPECT_EQ(SysDir, "/usr/lib/");
  EXPECT_EQ(WinDir, "/");
  EXPECT_EQ(ProgramFilesDir, "/opt/");
  EXPECT_EQ(TempDir, Name("tmp/"));
  EXPECT_EQ(AppTempDir, Name("tmp/_" + Internal + "/"));
  EXPECT_EQ(UserAppDataDir, Name("config/"));
  EXPECT_EQ(AppDataDir, Name("config/Korvane/" + Internal + "/"));
  EXPECT_EQ(LocalAppDataDir, Name("data/Korvane/" + Internal + "/"));
  EXPECT_EQ(MainIniFileName, AppDataDir + Internal + ".ini");
  EXPECT_EQ(MainLogFileName(), AppDataDir + "Log/" + Internal + ".log");
  EXPECT_EQ(LocalIniFileName, LocalAppDataDir + Internal + ".ini");
  EXPECT_EQ(DocumentsDir, "");
  for (const std::string& dir : {AppTempDir, AppDataDir, LocalAppDataDir})
    EXPECT_TRUE(fs::is_directory(dir)) << dir;
  EXPECT_FALSE(fs::exists(AppDataDir + "Log")) << "the log directory is the sink's business";
  EXPECT_EQ(fs::status(AppTempDir).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(Reports.Questions.empty());
}

TEST_F(TInitPathsTest, WithoutTmpdirTheTemporaryDirectoryIsTmpUnderTheRoot) {
  Environment.Set("TMPDIR", "");
  const std::string appTemp = "/tmp/_" + Internal + "/";
  const bool existed = fs::exists(appTemp);
  Init();
  EXPECT_EQ(TempDir, WinDir + "tmp/");
  if (!existed && AppTempDir == appTemp)
    fs::remove(appTemp);
}

TEST_F(TInitPathsTest, RelativeXdgDirectoriesAreIgnored) {
  Environment.Set("XDG_CONFIG_HOME", "relative");
  Environment.Set("XDG_DATA_HOME", "");
  Init();
  EXPECT_EQ(UserAppDataDir, Name("home/.config/"));
  EXPECT_EQ(LocalAppDataDir, Name("home/.local/share/Korvane/" + Internal + "/"));
}

TEST_F(TInitPathsTest, ATemporaryDirectoryThatIsNotTheUsersOwnIsNotUsed) {
  fs::create_directory(Folder / "elsewhere");
  fs::create_directory_symlink(Folder / "elsewhere", Folder / "tmp" / ("_" + Internal));
  Init();
  EXPECT_EQ(AppTempDir, Name("tmp/_" + Internal + "-" + std::to_string(CurrentUserId()) + "/"));
  EXPECT_TRUE(fs::is_directory(AppTempDir));
  if (CurrentUserId() != 0)
    return;
  // As root another user's directory can be made.
  FinalizePaths();
  fs::remove(Folder / "tmp" / ("_" + Internal));
  fs::create_directory(Folder / "tmp" / ("_" + Internal));
  ASSERT_EQ(::chown(Name("tmp/_" + Internal).c_str(), 65534, 65534), 0);
  Init();
  EXPECT_EQ(AppTempDir, Name("tmp/_" + Internal + "-" + std::to_string(CurrentUserId()) + "/"));
}

TEST_F(TInitPathsTest, DocumentsComeFromTheShellFolderOrTheXdgUserDirectories) {
  fs::create_directories(Folder / "config");
  WriteWholeFile(
      Folder / "config" / "user-dirs.dirs",
      "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
  Init();
  EXPECT_EQ(DocumentsDir, Name("home/Docs/"));
  Environment.Set("XDG_DOCUMENTS_DIR", "/srv/documents");
  Init();
  EXPECT_EQ(DocumentsDir, "/srv/documents/");
  TRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
  ASSERT_TRUE(registry.WriteString("Personal", "/srv/personal"));
  Init();
  ClearRegistry();
  EXPECT_EQ(DocumentsDir, "/srv/personal/");
}

// The paths a copy of a probe program prints when started as Program.
std::map<std::string, std::string> ProbePaths(const std::string& Probe, const fs::path& Program,
                                              const TTempFolder& Folder) {
  fs::create_directories(Program.parent_path());
  fs::copy_file(Probe, Program, fs::copy_options::overwrite_existing);
  fs::create_directories(Folder / "tmp");
  const TProcessResult result =
      RunProcess(Program.string(), {"paths"}, "",
                 {"HOME=" + (Folder / "home").string(), "TMPDIR=" + (Folder / "tmp").string(),
                  "XDG_CONFIG_HOME=" + (Folder / "config").string(),
                  "XDG_DATA_HOME=" + (Folder / "data").string()});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  std::map<std::string, std::string> values;
  for (const std::string& line : SplitLines(result.Out)) {
    const std::size_t equals = line.find('=');
    values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

TEST_F(TPathsTest, ProgramWithoutVersionInformationIsNamedAfterItsFile) {
  const fs::path program = Folder / "My Prog" / "App";
  auto paths = ProbePaths(ENVPROBE_BARE, program, Folder);
  const std::string root = Folder.Path().string();
  EXPECT_EQ(paths["ExeFileName"], program.string());
  EXPECT_EQ(paths["ExeDir"], root + "/My Prog/");
  EXPECT_EQ(paths["GraphDir"], root + "/My Prog/Graphics/");
  EXPECT_EQ(paths["SoundsDir"], root + "/My Prog/Sounds/");
  EXPECT_EQ(paths["DataDir"], root + "/My Prog/Data/");
  EXPECT_EQ(paths["CompanyName"], "Korvane");
  EXPECT_EQ(paths["InternalName"], "App");
  EXPECT_EQ(paths["FileVersion"], "");
  EXPECT_EQ(paths["AppTempDir"], root + "/tmp/_App/");
  EXPECT_EQ(paths["AppDataDir"], root + "/config/Korvane/App/");
  EXPECT_EQ(paths["LocalAppDataDir"], root + "/data/Korvane/App/");
  EXPECT_EQ(paths["MainIniFileName"], root + "/config/Korvane/App/App.ini");
  EXPECT_EQ(paths["MainLogFileName"], root + "/config/Korvane/App/Log/App.log");
  EXPECT_TRUE(fs::is_directory(root + "/config/Korvane/App"));

  // An ini file beside the program keeps the ini and the log there.
  WriteWholeFile(Folder / "My Prog" / "App.ini", "");
  paths = ProbePaths(ENVPROBE_BARE, program, Folder);
  EXPECT_EQ(paths["MainIniFileName"], root + "/My Prog/App.ini");
  EXPECT_EQ(paths["MainLogFileName"], root + "/My Prog/Log/App.log");
}

TEST_F(TPathsTest, ProgramWithVersionInformationIsNamedAfterItsCompanyAndInternalName) {
  auto paths = ProbePaths(ENVPROBE_INFO, Folder / "bin" / "probe", Folder);
  const std::string root = Folder.Path().string();
  EXPECT_EQ(paths["CompanyName"], "Probe Works");
  EXPECT_EQ(paths["InternalName"], "Probe");
  EXPECT_EQ(paths["FileVersion"], "1.0.17");
  EXPECT_EQ(paths["AppTempDir"], root + "/tmp/_Probe/");
  EXPECT_EQ(paths["AppDataDir"], root + "/config/Probe Works/Probe/");
  EXPECT_EQ(paths["LocalIniFileName"], root + "/data/Probe Works/Probe/Probe.ini");
}

} // namespace
