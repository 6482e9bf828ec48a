#include <gtest/gtest.h>

#include "LanguageTestSupport.h"
#include "core/Language.h"
#include "core/LanguageFile.h"
#include "core/TextIds.h"

namespace {

class LanguageFileInput : public LanguageFileFixture {
 protected:
  // Builds the list and selects the sixth language; the German caption of
  // btnOK1 must come back in some form whatever the file holds.
  std::string ApplyCaption(TLanguage& language) {
    const auto items = language.BuildLanguageList();
    language.KeepFileUpToDate(false);
    language.Select(static_cast<int>(items.size()) - 1);
    return language.GetText(TextId::btnOK1);
  }
};

}  // namespace

TEST(LanguageText, QuotesAreDoubledAndLineBreaksWrittenAsBackslashN) {
  EXPECT_EQ(QuoteLanguageText("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(QuoteLanguageText("two\r\nlines"), "\"two\\nlines\"");
  EXPECT_EQ(QuoteLanguageText(""), "\"\"");
  for (const char* text : {"plain", "say \"hi\"", "\"", "", "a\\nb", "\"\""})
    EXPECT_EQ(UnquoteLanguageText(QuoteLanguageText(text)), text);
  EXPECT_EQ(UnquoteLanguageText("without quotes"), "without quotes");
  EXPECT_EQ(UnquoteLanguageText("\"cut off"), "cut off");
  EXPECT_TRUE(LanguageValueUnterminated("\"cut off"));
  EXPECT_TRUE(LanguageValueUnterminated("\""));
  EXPECT_FALSE(LanguageValueUnterminated("\"whole\""));
}

TEST_F(LanguageFileInput, ReadsEachLineAsUtf8WhereItIsValidElseAsWindows1252) {
  WriteBytes("[6000]\r\n1=\"Fran\xE7" "ais bis\"\r\n2=\"\xE2\x82\xAC und \x80\"\n3=x=y\r\n");
  TLanguageFile file(path);
  file.Load();
  ASSERT_EQ(file.State(), TLanguageFile::TState::Loaded);
  EXPECT_EQ(file.Read("6000", "1"), "\"Français bis\"");
  EXPECT_EQ(file.Read("6000", "2"), "\"â‚¬ und €\"");  // 0x80 is no UTF-8: the whole line is Windows-1252
  EXPECT_EQ(file.Read("6000", "3"), "x=y");
}

TEST_F(LanguageFileInput, ReadsAWindows1252FileAndKeepsItsBytes) {
  const std::string original = "[6000]\r\n1=\"Fran\xE7" "ais\"\r\n2=\"\x80 \x81 \x9F\"\r\n";
  WriteBytes(original);
  TLanguageFile file(path);
  file.Load();
  EXPECT_EQ(file.Read("6000", "1"), "\"Français\"");
  EXPECT_EQ(file.Read("6000", "2"), "\"€ \xC2\x81 Ÿ\"");
  ASSERT_TRUE(file.Store());
  EXPECT_EQ(ReadBytes(), original);
}

TEST_F(LanguageFileInput, GarbageIsReportedUsedForNothingAndNeverOverwritten) {
  std::string garbage = "\x7F" "ELF\x02\x01";
  garbage.push_back('\0');
  garbage += "[6000]\n1=\"Polski\"\n";
  WriteBytes(garbage);
  TLanguage language(path, "V 2.3.2700");
  EXPECT_EQ(ApplyCaption(language), "Appliquer");  // the last item is French: no user language
  EXPECT_EQ(language.Items().size(), 5u);
  EXPECT_TRUE(ErrorMentions("NUL"));
  EXPECT_TRUE(ErrorMentions("1.4: "));
  EXPECT_EQ(ReadBytes(), garbage);
}

TEST_F(LanguageFileInput, AHugeFileIsReportedAndLeftAlone) {
  std::string huge = "[6000]\r\n1=\"Polski\"\r\n";
  huge.append(TLanguageFile::MaxSize, 'x');
  WriteBytes(huge);
  TLanguage language(path, "V 2.3.2700");
  language.BuildLanguageList();
  language.KeepFileUpToDate(false);
  EXPECT_EQ(language.Items().size(), 5u);
  EXPECT_TRUE(ErrorMentions("more than a language file can be"));
  EXPECT_EQ(std::filesystem::file_size(path), huge.size());
}

TEST_F(LanguageFileInput, ATruncatedFileKeepsWhatItHolds) {
  // Cut in the middle of a value, of a UTF-8 character and of a section name.
  WriteBytes("[6000]\r\n1=\"Polski\"\r\n7=\"Zastosuj zmian\xC4\r\n2=\"Zamknij\r\n[70");
  TLanguage language(path, "V 2.3.2700");
  EXPECT_EQ(ApplyCaption(language), "Zastosuj zmian\xC3\x84");  // the broken line read as Windows-1252
  EXPECT_EQ(language.GetText(TextId::btnClose), "Zamknij");
  EXPECT_TRUE(ErrorMentions("closing double quote is missing"));
  EXPECT_TRUE(ErrorMentions("neither a [section] nor a key=value line"));
  EXPECT_EQ(language.GetText(TextId::btnHelp), "&Help");  // missing: English, added to the file
  TLanguageFile file(path);
  file.Load(true);
  EXPECT_EQ(file.Read("6000", "8"), "\"&Help\"");
}

// The settings file's rules: reported, not used, and left out when written.
TEST_F(LanguageFileInput, UnreadableLinesAreReportedAndLeftOut) {
  WriteBytes("stray line\r\n[6000]\r\n; a comment\r\n1=\"Polski\"\r\nno equals sign\r\n\r\n[7000]\r\n");
  TLanguageFile file(path);
  file.Load();
  EXPECT_TRUE(ErrorMentions("2 line(s)"));
  EXPECT_TRUE(ErrorMentions("first: line 1"));
  file.Write("6000", "7", "\"Zastosuj\"");
  ASSERT_TRUE(file.Store());
  EXPECT_EQ(ReadBytes(), "[6000]\r\n; a comment\r\n1=\"Polski\"\r\n7=\"Zastosuj\"\r\n\r\n[7000]\r\n");
}

TEST_F(LanguageFileInput, SectionsAndKeysIgnoreCaseAndTheFirstOneCounts) {
  WriteBytes("[programm]\r\nversion=V 1\r\nVERSION=V 2\r\n[Programm]\r\n# a note\r\nVersion=V 3\r\nBuild=7\r\n");
  TLanguageFile file(path);
  file.Load();
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(file.Read("Programm", "Version"), "V 1");
  EXPECT_EQ(file.Read("PROGRAMM", "build"), "7");  // a repeated section continues the first
  file.EraseSection("PROGRAMM");
  EXPECT_FALSE(file.Read("Programm", "Version"));
}
