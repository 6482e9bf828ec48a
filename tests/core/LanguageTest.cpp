#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "LanguageTestSupport.h"
#include "core/Language.h"
#include "core/LanguageFile.h"
#include "core/LocaleLanguage.h"
#include "core/TextIds.h"

namespace {

constexpr const char* Version = "V 2.3.2700";

class Language : public LanguageFileFixture {
 protected:
  TLanguage Make() { return TLanguage(path, Version); }
  // A file as the current version writes it, plus a user language in section 6000.
  void WriteWithUserLanguage(const std::string& userSection) {
    TLanguage writer = Make();
    writer.KeepFileUpToDate(false);
    WriteBytes(ReadBytes() + "[6000]\r\n" + userSection);
  }
};

}  // namespace

TEST_F(Language, TranslatesGermanIdsIntoTheSelectedLanguage) {
  TLanguage language = Make();
  language.BuildLanguageList();
  EXPECT_EQ(language.GetText(1038, true), "Sie müssen eine Baudrate eingeben!");  // nothing selected yet
  EXPECT_EQ(language.Select(1), 1000);
  EXPECT_EQ(language.GetText(1038, true), "You must set a baud rate!");
  EXPECT_EQ(language.GetText(1038, false), "Sie müssen eine Baudrate eingeben!");
  EXPECT_EQ(language.GetText(3032, true), "Lyd, når data modtages");  // not a German id: stays
  language.Select(4);
  EXPECT_EQ(language.GetText(TextId::btnOK1), "Appliquer");
}

TEST_F(Language, TurnsBackslashNIntoALineBreak) {
  EXPECT_EQ(GetText(TextId::MsgNewVersion, false),
            "Sie können aus dem Internet eine neuere Version laden.\nWollen Sie den Download jetzt starten?");
  TLanguage language = Make();
  EXPECT_EQ(language.GetText(1145),
            "Sie können aus dem Internet eine neuere Version laden.\nWollen Sie den Download jetzt starten?");
  language.Select(2);
  EXPECT_EQ(language.GetText(1145), "Du kan hente en nyere version fra internettet.\nVil du starte overførslen nu?");
}

TEST_F(Language, UserLanguageShowsItsTextsAndAddsMissingOnesInEnglish) {
  WriteWithUserLanguage("1=\"Polski\"\r\n7=\"Zastosuj\"\r\n");
  TLanguage language = Make();
  const auto items = language.BuildLanguageList();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[5], "Polski");
  EXPECT_EQ(language.Select(5), 5000);
  EXPECT_EQ(language.GetText(TextId::btnOK1), "Zastosuj");
  EXPECT_EQ(language.GetText(TextId::LanguageName), "Polski");

  EXPECT_EQ(language.GetText(TextId::btnClose), "&Close");
  EXPECT_EQ(language.GetText(TextId::MsgPortOpenFailedBefore), "Interface \"");
  EXPECT_EQ(language.GetText(TextId::MsgNewVersion),
            "A newer version can be downloaded from the Internet.\nDo you want to start the download now?");
  TLanguageFile file(path);
  file.Load();
  EXPECT_EQ(file.Read("6000", "2"), "\"&Close\"");
  EXPECT_EQ(file.Read("6000", "57"), "\"Interface \"\"\"");
  EXPECT_EQ(file.Read("6000", "145"),
            "\"A newer version can be downloaded from the Internet.\\nDo you want to start the download now?\"");
  EXPECT_EQ(file.Read("6000", "7"), "\"Zastosuj\"");
  EXPECT_TRUE(errors.empty());

  // A second run reads the added text from the file like any other.
  TLanguage again = Make();
  again.BuildLanguageList();
  again.Select(5);
  EXPECT_EQ(again.GetText(TextId::btnClose), "&Close");
}

// Choosing a language that lacks most texts writes the file once, with all
// of them, and keeps the file's mode.
TEST_F(Language, MissingTextsAreAddedInOneWriteWhenTheLanguageIsChosen) {
  WriteWithUserLanguage("1=\"Polski\"\r\n7=\"Zastosuj\"\r\n");
  std::filesystem::permissions(path, std::filesystem::perms(0640));
  TLanguage language = Make();
  language.BuildLanguageList();
  language.Select(5);
  TLanguageFile file(path);
  file.Load();
  EXPECT_EQ(file.Read("6000", "2"), "\"&Close\"");  // before any lookup
  EXPECT_EQ(file.Read("6000", "38"), "\"You must set a baud rate!\"");
  EXPECT_EQ(file.Read("6000", "7"), "\"Zastosuj\"");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(entry.path().filename(), "Language.txt") << "no temporary file is left";
  EXPECT_TRUE(errors.empty());
}

TEST_F(Language, UserLanguageWithoutItsFileFallsBackToEnglishAndWritesNothing) {
  WriteWithUserLanguage("1=\"Polski\"\r\n");
  TLanguage language = Make();
  language.BuildLanguageList();
  std::filesystem::remove(path);
  language.Select(5);
  EXPECT_EQ(language.GetText(TextId::btnOK1), "Apply");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Language, FirstStartFollowsTheSystemLocale) {
  TLanguage language = Make();
  language.BuildLanguageList();
  EXPECT_EQ(LocaleLanguageCode(2055), "de-ch");
  EXPECT_EQ(language.StartIndex(-2, LocaleLanguageCode(2055)), 0);  // Deutsch
  EXPECT_EQ(LocaleLanguageCode(1053), "");
  EXPECT_EQ(language.StartIndex(-2, LocaleLanguageCode(1053)), 1);  // English
  EXPECT_EQ(language.StartIndex(-2, LocaleLanguageCode(2067)), 3);  // Nederlands
  EXPECT_EQ(language.StartIndex(-2, LocaleLanguageCode(1030)), 2);  // Dansk
  EXPECT_EQ(language.StartIndex(-2, LocaleLanguageCode(3084)), 4);  // Français
}

TEST_F(Language, StoredChoiceBeyondTheListIsDetectedAgain) {
  TLanguage language = Make();
  ASSERT_EQ(language.BuildLanguageList().size(), 5u);
  EXPECT_EQ(language.StartIndex(3, "de"), 3);
  EXPECT_EQ(language.StartIndex(7, "de"), 0);
  EXPECT_EQ(language.StartIndex(7, ""), 1);
  EXPECT_EQ(language.StartIndex(5, "fr-ch"), 4);
  EXPECT_EQ(language.StartIndex(-1, "nl"), 3);
}

TEST(LocaleLanguage, PosixLocaleNamesBecomeLocaleNumbers) {
  EXPECT_EQ(LocaleNumberFromPosixName("de_CH.UTF-8"), 2055);
  EXPECT_EQ(LocaleNumberFromPosixName("de_DE.UTF-8"), 1031);
  EXPECT_EQ(LocaleNumberFromPosixName("de_AT@euro"), 3079);
  EXPECT_EQ(LocaleNumberFromPosixName("de_BE.UTF-8"), 1031);  // territory not listed: the language's main locale
  EXPECT_EQ(LocaleNumberFromPosixName("fr_CA"), 3084);
  EXPECT_EQ(LocaleNumberFromPosixName("nl"), 1043);
  EXPECT_EQ(LocaleNumberFromPosixName("sv_SE.UTF-8"), 1053);
  EXPECT_EQ(LocaleNumberFromPosixName("en_US.UTF-8"), 1033);
  EXPECT_EQ(LocaleNumberFromPosixName("C.UTF-8"), 0);
  EXPECT_EQ(LocaleNumberFromPosixName("POSIX"), 0);
  EXPECT_EQ(LocaleNumberFromPosixName(""), 0);
  EXPECT_EQ(LocaleNumberFromPosixName("xx_YY"), 0);
}

TEST(LocaleLanguage, SystemLocaleComesFromLcAllThenLcMessagesThenLang) {
  const auto keep = [](const char* name) {
    const char* value = std::getenv(name);
    return std::pair<std::string, bool>(value ? value : "", value != nullptr);
  };
  const auto all = keep("LC_ALL"), messages = keep("LC_MESSAGES"), lang = keep("LANG");
  ::unsetenv("LC_ALL");
  ::setenv("LC_MESSAGES", "fr_BE.UTF-8", 1);
  ::setenv("LANG", "de_CH.UTF-8", 1);
  EXPECT_EQ(LocaleLanguageCode(), "fr-be");
  ::setenv("LC_ALL", "da_DK.UTF-8", 1);
  EXPECT_EQ(LocaleLanguageCode(), "da");
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  EXPECT_EQ(SystemLocaleNumber(), 2055);
  const auto restore = [](const char* name, const std::pair<std::string, bool>& value) {
    if (value.second) ::setenv(name, value.first.c_str(), 1);
    else ::unsetenv(name);
  };
  restore("LC_ALL", all);
  restore("LC_MESSAGES", messages);
  restore("LANG", lang);
}

// The consumer thread looks texts up while the window switches the language.
TEST_F(Language, LookupsFromSeveralThreadsWhileTheLanguageSwitches) {
  WriteWithUserLanguage("1=\"Polski\"\r\n");
  TLanguage language = Make();
  language.BuildLanguageList();
  {
    std::vector<std::jthread> readers;
    for (int t = 0; t < 3; ++t)
      readers.emplace_back([&language, t] {
        for (int i = 0; i < 200; ++i) {
          const std::string text = language.GetText(1002 + (i + t) % 300);
          ASSERT_LT(text.size(), 200u);
        }
      });
    for (int i = 0; i < 30; ++i) language.Select(i % 6);
  }
  language.Select(5);
  EXPECT_EQ(language.GetText(TextId::btnClose), "&Close");
  TLanguageFile file(path);
  file.Load();
  EXPECT_EQ(file.Read("6000", "2"), "\"&Close\"");
}
