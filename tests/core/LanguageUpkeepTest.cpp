#include <gtest/gtest.h>

#include "LanguageTestSupport.h"
#include "core/Language.h"
#include "core/LanguageFile.h"
#include "core/TextIds.h"

namespace {

constexpr const char* Version = "V 2.3.2700";

class LanguageUpkeep : public LanguageFileFixture {
 protected:
  TLanguage Make() { return TLanguage(path, Version); }
  TLanguageFile Reread() const {
    TLanguageFile file(path);
    file.Load();
    return file;
  }
};

}  // namespace

TEST_F(LanguageUpkeep, WritesTheBuiltInLanguagesAsWindows1252Templates) {
  Make().KeepFileUpToDate(false);
  const TLanguageFile file = Reread();
  EXPECT_EQ(file.Read("Programm", "Version"), Version);
  EXPECT_EQ(file.Read("1000", "7"), "\"Übernehmen\"");
  EXPECT_EQ(file.Read("2000", "38"), "\"You must set a baud rate!\"");
  EXPECT_EQ(file.Read("5000", "1"), "\"Français\"");
  EXPECT_EQ(file.Read("1000", "145"),
            "\"Sie können aus dem Internet eine neuere Version laden.\\nWollen Sie den Download jetzt starten?\"");
  EXPECT_EQ(file.Read("1000", "57"), "\"Die Schnittstelle \"\"\"");
  EXPECT_FALSE(file.Read("6000", "1"));
  // Readable by the older program: "Übernehmen" in Windows-1252, lines ending in CR LF.
  const std::string bytes = ReadBytes();
  EXPECT_NE(bytes.find("7=\"\xDC" "bernehmen\"\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\xC3\x9C"), std::string::npos);
}

TEST_F(LanguageUpkeep, RewritesOnlyWhenTheVersionDiffersAndNeverWhileTheSettingsAreReadOnly) {
  Make().KeepFileUpToDate(true);
  EXPECT_FALSE(std::filesystem::exists(path));

  WriteBytes("[Programm]\r\nVersion=V 2.3.2700\r\n[1000]\r\n7=\"Mein Text\"\r\n");
  Make().KeepFileUpToDate(false);
  EXPECT_EQ(Reread().Read("1000", "7"), "\"Mein Text\"");

  WriteBytes("[Programm]\r\nVersion=V 2.2.2629\r\n[1000]\r\n7=\"Mein Text\"\r\n[6000]\r\n1=\"Polski\"\r\n");
  Make().KeepFileUpToDate(false);
  const TLanguageFile file = Reread();
  EXPECT_EQ(file.Read("Programm", "Version"), Version);
  EXPECT_EQ(file.Read("1000", "7"), "\"Übernehmen\"");
  EXPECT_EQ(file.Read("6000", "1"), "\"Polski\"");
}

TEST_F(LanguageUpkeep, UserLanguagesMoveOutOfTheWayOfNewBuiltInLanguages) {
  // Written by a program that had German and English only.
  WriteBytes(
      "[Programm]\r\nVersion=V 1.0.0100\r\n[1000]\r\n1=\"Deutsch\"\r\n[2000]\r\n1=\"English\"\r\n"
      "[3000]\r\n1=\"Polski\"\r\n7=\"Zastosuj\"\r\n[4000]\r\n1=\"Čeština\"\r\n7=\"Použít\"\r\n");
  TLanguage language = Make();
  const auto items = language.BuildLanguageList();
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[5], "Polski");
  EXPECT_EQ(items[6], "Čeština");
  language.KeepFileUpToDate(false);

  const TLanguageFile file = Reread();
  EXPECT_EQ(file.Read("3000", "1"), "\"Dansk\"");
  EXPECT_EQ(file.Read("4000", "1"), "\"Nederlands\"");
  EXPECT_EQ(file.Read("6000", "7"), "\"Zastosuj\"");
  EXPECT_EQ(file.Read("7000", "7"), "\"Použít\"");
  EXPECT_EQ(file.Read("6000", "38"), "\"You must set a baud rate!\"");  // filled in while moving
  EXPECT_TRUE(errors.empty());

  language.Select(6);
  EXPECT_EQ(language.GetText(TextId::btnOK1), "Použít");
}

TEST_F(LanguageUpkeep, AUserLanguageBehindAnOlderTemplateIsNotOverwritten) {
  // Danish was already built in; the user language sits where Dutch now is.
  WriteBytes(
      "[Programm]\r\nVersion=V 2.0.1000\r\n[3000]\r\n1=\"Dansk\"\r\n"
      "[4000]\r\n1=\"Polski\"\r\n7=\"Zastosuj\"\r\n");
  TLanguage language = Make();
  language.BuildLanguageList();
  language.KeepFileUpToDate(false);
  ASSERT_EQ(language.Items().size(), 6u);
  EXPECT_EQ(language.Items()[5], "Polski");
  EXPECT_EQ(Reread().Read("6000", "7"), "\"Zastosuj\"");
  EXPECT_EQ(Reread().Read("4000", "1"), "\"Nederlands\"");
}

TEST_F(LanguageUpkeep, AUserFileInUtf8StaysUtf8) {
  WriteBytes("[Programm]\r\nVersion=V 1.0.0100\r\n[6000]\r\n1=\"Polski\"\r\n7=\"Zastosuj zmianę\"\r\n");
  Make().KeepFileUpToDate(false);
  const std::string bytes = ReadBytes();
  EXPECT_NE(bytes.find("zmian\xC4\x99"), std::string::npos);
  EXPECT_NE(bytes.find("\xC3\x9C" "bernehmen"), std::string::npos);
}
