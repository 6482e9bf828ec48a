#include <gtest/gtest.h>

#include "TempDir.h"
#include "core/AppFlags.h"
#include "core/CodePageList.h"
#include "core/IniFile.h"

namespace {

class CodePageList : public ::testing::Test {
 protected:
  void SetUp() override { IniReadOnly = false; }
  void TearDown() override { IniReadOnly = false; }

  // A settings file with the given Codes section, loaded.
  TIniFile& Ini(const std::string& codesSection = "") {
    TTempDir::Write(path_, "[Codes]\r\n" + codesSection);
    ini_ = std::make_unique<TIniFile>(path_);
    return *ini_;
  }
  std::string Stored() const { return TTempDir::Read(path_); }

  TTempDir dir_;
  std::string path_ = dir_.File("Tamarik.ini");
  std::unique_ptr<TIniFile> ini_;
};

std::vector<std::string> Names(const TCodePages& pages) {
  return {pages.PageNames().begin() + BuiltInPageCount, pages.PageNames().end()};
}

}  // namespace

TEST_F(CodePageList, UserPagesLoadOnTheirBasePageAndMarkChangedTexts) {
  TCodePages pages(Ini("Anzahl=2\r\nSeite1=Mein [HEX]\r\nCodes1='00 ','X','02 '\r\n"
                       "Seite2=Frei\r\nCodes2='a','b'\r\n"));
  pages.Load();
  ASSERT_EQ(pages.PageNames().size(), 7u);
  EXPECT_EQ(pages.PageNames()[4], "Hexadezimal");
  EXPECT_EQ(pages.PageNames()[5], "Mein [HEX]");

  pages.Select(5);
  EXPECT_EQ(pages.Kind(), cpHexadezimal);
  EXPECT_EQ(pages.Entries()[1].Text, "X");
  EXPECT_EQ(pages.Entries()[1].BaseText, "01 ");
  EXPECT_TRUE(pages.ShowsChanged(1));
  EXPECT_FALSE(pages.ShowsChanged(0));
  EXPECT_EQ(pages.EditPromptSuffix(1), " (01 )");
  EXPECT_EQ(pages.EditPromptSuffix(0), "");
  EXPECT_EQ(pages.Entries()[3].Text, "");  // the stored value was short
  EXPECT_TRUE(pages.ShowsChanged(3));
  EXPECT_EQ(pages.Item(1), "001: X");
  EXPECT_EQ(pages.ItemColor(1, false, true, clBlack), clRed);
  EXPECT_EQ(pages.ItemColor(1, true, true, clWhite), clAqua);
  EXPECT_EQ(pages.ItemColor(0, true, true, clWhite), clWhite);
  EXPECT_EQ(pages.ItemColor(1, false, false, clBlack), clRed ^ 0x303030);

  pages.Select(6);
  EXPECT_EQ(pages.Kind(), cpNone);
  EXPECT_EQ(pages.Entries()[1].Text, "b");
  EXPECT_EQ(pages.Entries()[1].BaseText, "b");
  EXPECT_FALSE(pages.ShowsChanged(1));
  EXPECT_EQ(pages.Entries()[200].Text, "");
}

TEST_F(CodePageList, StoredTextsAreReadWithAndWithoutTheirEnclosingApostrophes) {
  TCodePages pages(Ini("Anzahl=3\r\nSeite1=Gequotet\r\nCodes1='','x','''\r\n"
                       "Seite2=Ohne\r\nCodes2=A','B\r\nSeite3=Doppelt\r\nCodes3=\"'A','B'\"\r\n"));
  pages.Load();
  pages.Select(5);
  EXPECT_EQ(pages.Entries()[0].Text, "");
  EXPECT_EQ(pages.Entries()[1].Text, "x");
  EXPECT_EQ(pages.Entries()[2].Text, "'");
  pages.Select(6);
  EXPECT_EQ(pages.Entries()[0].Text, "A");
  EXPECT_EQ(pages.Entries()[1].Text, "B");
  EXPECT_EQ(pages.Entries()[2].Text, "");
  // Quoted twice: the reader drops one pair, the apostrophes stay in the texts.
  pages.Select(7);
  EXPECT_EQ(pages.Entries()[0].Text, "'A");
  EXPECT_EQ(pages.Entries()[1].Text, "B'");
}

TEST_F(CodePageList, BuiltInPagesRenderTheirEntriesAndCannotBeEdited) {
  TCodePages pages(Ini());
  pages.Load();
  pages.Select(cpHexadezimal);
  EXPECT_EQ(pages.Item(255), "255: FF ");
  EXPECT_EQ(pages.Entries()[255].Text, "FF ");
  pages.Select(cpDezimal);
  EXPECT_EQ(pages.Item(65), "065 ");
  pages.Select(99);
  EXPECT_EQ(pages.Selected(), cpHexadezimal);  // clamped to the list
  EXPECT_EQ(pages.EditText(65, "x"), TCodeEditResult::NotEditable);
  EXPECT_FALSE(pages.DeletePage());
}

TEST_F(CodePageList, SwitchingThePageKeepsTheFlagsAndTheirLists) {
  TIniFile& ini = Ini();
  ini.WriteString("FrmMain", "Zeilenw", std::string(13, '0') + "1");
  ini.WriteString("FrmMain", "Start", "001");
  ini.WriteInteger("FrmMain", "CodeSeite", 4);
  TCodePages pages(ini);
  pages.Load();
  EXPECT_EQ(pages.Selected(), cpHexadezimal);
  EXPECT_TRUE(pages.Flag(TByteFlag::LineBreak, 13));
  EXPECT_EQ(pages.FlagList(TByteFlag::LineBreak), (std::vector<std::string>{"013: 0D "}));
  EXPECT_EQ(pages.FlagList(TByteFlag::Start), (std::vector<std::string>{"002: 02 "}));

  const int selection[] = {3, 10};
  pages.SetFlag(TByteFlag::LineBreak, selection, true);
  pages.Select(cpAscii);
  EXPECT_EQ(pages.FlagList(TByteFlag::LineBreak),
            (std::vector<std::string>{"003: [ETX]", "010: [LF]", "013: [CR]"}));
  EXPECT_TRUE(pages.RxCodes()->at(10).LineBreak);
  EXPECT_EQ(pages.RxCodes()->at(10).Text, "[LF]");
  EXPECT_TRUE(pages.RxCodes()->at(2).StartChar);

  // Removing a byte from the list of line-break characters.
  pages.SetFlag(TByteFlag::LineBreak, ByteOfItem("010: [LF]"), false);
  EXPECT_FALSE(pages.Flag(TByteFlag::LineBreak, 10));
  EXPECT_FALSE(pages.AnyFlag(TByteFlag::Stop));

  pages.WriteSettings();
  EXPECT_EQ(ini.ReadInteger("FrmMain", "CodeSeite", -1), 0);
  const std::string zeilenw = ini.ReadString("FrmMain", "Zeilenw", "");
  ASSERT_EQ(zeilenw.size(), 256u);
  EXPECT_EQ(zeilenw.substr(0, 14), "00010000000001");
}

TEST_F(CodePageList, EditingStoresTheTextsAndRefusesWhatCannotBeStored) {
  TCodePages pages(Ini("Anzahl=1\r\nSeite1=Mein [HEX]\r\nCodes1=\r\n"));
  pages.Load();
  pages.Select(5);
  // A new page stores an empty value: empty texts, all differing from the base page.
  EXPECT_EQ(pages.Entries()[65].Text, "");
  EXPECT_TRUE(pages.ShowsChanged(65));
  pages.Select(cpHexadezimal);
  ASSERT_TRUE(pages.CopyPage("Kopie [HEX]"));
  EXPECT_EQ(pages.Selected(), 6);
  EXPECT_FALSE(pages.ShowsChanged(65));

  EXPECT_EQ(pages.EditText(65, "Buchstabe A"), TCodeEditResult::Done);
  EXPECT_TRUE(pages.ShowsChanged(65));
  EXPECT_EQ(pages.EditText(66, "x','y"), TCodeEditResult::NotStorable);
  EXPECT_EQ(pages.EditText(66, ",'y"), TCodeEditResult::NotStorable);
  EXPECT_EQ(pages.Entries()[66].Text, "42 ");
  EXPECT_EQ(pages.EditText(67, std::string(40, 'z')), TCodeEditResult::Done);
  EXPECT_EQ(pages.Entries()[67].Text, std::string(30, 'z'));

  // The file holds the page, and a fresh start reads it back.
  EXPECT_NE(Stored().find("Seite2=Kopie [HEX]"), std::string::npos);
  EXPECT_NE(Stored().find("'40 ','Buchstabe A','42 ','" + std::string(30, 'z') + "','44 '"), std::string::npos);
  TIniFile again(path_);
  TCodePages reloaded(again);
  reloaded.Load();
  reloaded.Select(6);
  EXPECT_EQ(reloaded.Entries()[65].Text, "Buchstabe A");
  EXPECT_EQ(reloaded.Entries()[255].Text, "FF ");
  EXPECT_TRUE(reloaded.ShowsChanged(65));
}

TEST_F(CodePageList, CopyingTheDecimalPageTakesTheNumbers) {
  TCodePages pages(Ini());
  pages.Load();
  pages.Select(cpDezimal);
  ASSERT_TRUE(pages.CopyPage("Zahlen"));
  EXPECT_EQ(pages.Entries()[65].Text, "065");
  EXPECT_EQ(pages.Entries()[0].Text, "000");
  EXPECT_EQ(pages.Item(65), "065: 065");
  EXPECT_FALSE(pages.CopyPage(""));
}

TEST_F(CodePageList, DeletingSelectsTheFollowingPageOrThePreviousOneAtTheEnd) {
  TCodePages pages(Ini("Anzahl=3\r\nSeite1=Eins\r\nCodes1='1'\r\nSeite2=Zwei\r\nCodes2='2'\r\n"
                       "Seite3=Drei\r\nCodes3='3'\r\n"));
  pages.Load();
  pages.Select(6);  // "Zwei"
  ASSERT_TRUE(pages.DeletePage());
  EXPECT_EQ(Names(pages), (std::vector<std::string>{"Eins", "Drei"}));
  EXPECT_EQ(pages.Selected(), 6);
  EXPECT_EQ(pages.Entries()[0].Text, "3");
  TIniFile stored(path_);
  EXPECT_EQ(stored.ReadInteger("Codes", "Anzahl", 0), 2);
  EXPECT_EQ(stored.ReadString("Codes", "Seite2", ""), "Drei");
  EXPECT_EQ(stored.ReadString("Codes", "Codes2", ""), "3");
  EXPECT_FALSE(stored.ValueExists("Codes", "Seite3"));
  EXPECT_FALSE(stored.ValueExists("Codes", "Codes3"));

  ASSERT_TRUE(pages.DeletePage());  // "Drei", the last item
  EXPECT_EQ(pages.Selected(), 5);
  EXPECT_EQ(pages.Entries()[0].Text, "1");
  ASSERT_TRUE(pages.DeletePage());  // the last user page
  EXPECT_EQ(pages.Selected(), cpHexadezimal);
  EXPECT_EQ(TIniFile(path_).ReadInteger("Codes", "Anzahl", -1), 0);
}

TEST_F(CodePageList, PagesWithoutANameAreSkippedAndTheRestRenumbered) {
  TCodePages pages(Ini("Anzahl=3\r\nSeite1=Eins\r\nCodes1='1'\r\nSeite2=\r\nCodes2='2'\r\n"
                       "Seite3=Drei\r\nCodes3='3'\r\n"));
  pages.Load();
  EXPECT_EQ(Names(pages), (std::vector<std::string>{"Eins", "Drei"}));
  pages.Select(6);
  EXPECT_EQ(pages.Entries()[0].Text, "3");  // the texts of "Drei", not of the nameless page
  ASSERT_TRUE(pages.NewPage("Vier"));
  EXPECT_EQ(pages.Selected(), 7);
  TIniFile stored(path_);
  EXPECT_EQ(stored.ReadInteger("Codes", "Anzahl", 0), 3);
  EXPECT_EQ(stored.ReadString("Codes", "Seite2", ""), "Drei");
  EXPECT_EQ(stored.ReadString("Codes", "Seite3", ""), "Vier");
}

TEST_F(CodePageList, ADamagedPageCountIsBoundedByTheStoredKeys) {
  {
    TCodePages pages(Ini("Anzahl=2147483647\r\nSeite1=Eins\r\nCodes1='1'\r\n"));
    pages.Load();
    EXPECT_EQ(Names(pages), std::vector<std::string>{"Eins"});
  }
  TCodePages negative(Ini("Anzahl=-3\r\nSeite1=Eins\r\n"));
  negative.Load();
  EXPECT_EQ(negative.PageNames().size(), static_cast<std::size_t>(BuiltInPageCount));
}

TEST_F(CodePageList, NothingIsStoredWhileTheSettingsFileIsReadOnly) {
  TCodePages pages(Ini("Anzahl=1\r\nSeite1=Eins\r\nCodes1='1'\r\n"));
  pages.Load();
  const std::string before = Stored();
  IniReadOnly = true;
  EXPECT_FALSE(pages.NewPage("Neu"));
  pages.Select(5);
  EXPECT_EQ(pages.EditText(0, "x"), TCodeEditResult::Done);
  EXPECT_EQ(pages.Entries()[0].Text, "x");
  EXPECT_FALSE(pages.DeletePage());
  EXPECT_EQ(Stored(), before);
}
