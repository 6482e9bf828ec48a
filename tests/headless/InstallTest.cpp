// The program as a package installs it: into a prefix of its own, started
// headless from another folder. It reads its help pages and language
// templates from the prefix and writes nothing there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "ProgramRun.h"
#include "core/IniFile.h"
#include "core/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Listing(const fs::path& root) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    files.insert(fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : ""));
  return files;
}

}  // namespace

TEST(Install, TheInstalledProgramFindsItsFilesAndWritesOnlyWhereTheUserCan) {
  TTempDir prefix, work, home;
  const TProgramResult installed =
      TProgramRun(TAMARIK_CMAKE, {"--install", TAMARIK_BUILD_DIR, "--prefix", prefix.Path().string()}, work.Path().string())
          .Finish();
  ASSERT_EQ(installed.ExitStatus, 0) << installed.Out << installed.Err;
  const fs::path program = prefix.Path() / "bin" / "tamarik";
  ASSERT_TRUE(fs::exists(program));
  EXPECT_TRUE(fs::exists(prefix.Path() / "share" / "tamarik" / "help" / "de" / "1.htm"));
  EXPECT_TRUE(fs::exists(prefix.Path() / "share" / "tamarik" / "Language.txt"));
  EXPECT_TRUE(fs::exists(prefix.Path() / "share" / "man" / "man1" / "tamarik.1.gz"));
  const std::set<std::string> before = Listing(prefix.Path());

  const std::string config = home.File("config");
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const TProgramResult run =
      TProgramRun(program.string(), {"--headless", "--seconds", "1", "/?"}, work.Path().string()).Finish();
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(run.ExitStatus, 0) << run.Err;

  EXPECT_TRUE(TIniFile(work.File("Tamarik.ini")).ReadBool("SysTest", "FoundHelpFile", false));
  // The user's Language.txt starts from the shipped templates.
  const std::string language = config + "/tamarik/Language.txt";
  ASSERT_TRUE(fs::exists(language));
  EXPECT_EQ(TIniFile(language).ReadString("2000", "1", ""), "English");
  EXPECT_EQ(Listing(prefix.Path()), before) << "nothing is written into the prefix";
}
