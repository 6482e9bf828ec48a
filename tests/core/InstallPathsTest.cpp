// Where shipped files are read and written files go: a portable copy keeps
// everything beside the program, an installed one reads its prefix and
// writes to the user's configuration folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "core/InstallPaths.h"

namespace fs = std::filesystem;

namespace {

class InstallPathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) oldConfig_ = old, hadConfig_ = true;
    ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    fs::create_directories(bin);
  }
  void TearDown() override {
    if (hadConfig_) ::setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
  }

  TTempDir dir;
  fs::path bin = dir.Path() / "prefix" / "bin";
  fs::path share = dir.Path() / "prefix" / "share" / "tamarik";

 private:
  std::string oldConfig_;
  bool hadConfig_ = false;
};

}  // namespace

TEST_F(InstallPathsTest, APortableCopyKeepsEverythingBesideTheProgram) {
  fs::create_directories(bin / "help" / "de");
  fs::create_directories(share / "help");  // another installation's pages do not count
  EXPECT_EQ(HelpFolder(bin.string()), (bin / "help").string());
  EXPECT_TRUE(HelpPagesPresent(bin.string()));
  EXPECT_FALSE(InstalledProgram(bin.string()));
  EXPECT_EQ(LanguageFileFor(bin.string()), (bin / "Language.txt").string());
}

TEST_F(InstallPathsTest, AnInstalledProgramReadsItsPrefixAndWritesToTheUsersFolder) {
  fs::create_directories(share / "help" / "de");
  TTempDir::Write((share / "Language.txt").string(), "[Programm]\r\n");
  EXPECT_EQ(fs::path(HelpFolder(bin.string())), share / "help");
  EXPECT_TRUE(InstalledProgram(bin.string()));
  EXPECT_EQ(fs::path(InstalledLanguageTemplates(bin.string())), share / "Language.txt");
  // The prefix is writable here, as for root; it is written all the same never.
  EXPECT_EQ(LanguageFileFor(bin.string()), dir.File("config") + "/tamarik/Language.txt");
  EXPECT_EQ(MakeUserConfigDirectory(), dir.File("config") + "/tamarik");
  EXPECT_TRUE(fs::is_directory(dir.File("config") + "/tamarik"));

  // A Language.txt placed beside the program by hand wins while it is writable.
  TTempDir::Write((bin / "Language.txt").string(), "");
  EXPECT_EQ(LanguageFileFor(bin.string()), (bin / "Language.txt").string());
}

TEST_F(InstallPathsTest, WithoutXdgConfigHomeTheFolderIsBelowHome) {
  ::unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') GTEST_SKIP() << "no HOME";
  EXPECT_EQ(UserConfigDirectory(), std::string(home) + "/.config/tamarik");
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(UserConfigDirectory(), std::string(home) + "/.config/tamarik");
}
