#include <gtest/gtest.h>

#include "core/CodePages.h"

TEST(CodePages, AsciiPageNamesControlsBlankGraveAndHighBytes) {
  EXPECT_EQ(BuiltInText(cpAscii, 0x0D), "[CR]");
  EXPECT_EQ(BuiltInText(cpAscii, 0x20), "[ ]");
  EXPECT_EQ(BuiltInText(cpAscii, 0x60), "'");
  EXPECT_EQ(BuiltInText(cpAscii, 0x27), "'");
  EXPECT_EQ(BuiltInText(cpAscii, 0x7F), "[DEL]");
  EXPECT_EQ(BuiltInText(cpAscii, 0xE4), "[228]");
  EXPECT_EQ(BuiltInText(cpAscii, 'A'), "A");
}

TEST(CodePages, AnsiAndOemShowUnicodeAboveTheControlNames) {
  EXPECT_EQ(BuiltInText(cpAnsi, 0x0D), "[CR]");
  EXPECT_EQ(BuiltInText(cpAnsi, 0x20), " ");
  EXPECT_EQ(BuiltInText(cpAnsi, 0x60), "`");
  EXPECT_EQ(BuiltInText(cpAnsi, 0xE4), "ä");
  EXPECT_EQ(BuiltInText(cpAnsi, 0x80), "€");
  EXPECT_EQ(BuiltInText(cpAnsi, 0x9F), "Ÿ");
  EXPECT_EQ(BuiltInText(cpAnsi, 0x81), "\xC2\x81");  // undefined: the control of the same value
  EXPECT_EQ(BuiltInText(cpOem, 0x84), "ä");
  EXPECT_EQ(BuiltInText(cpOem, 0xE1), "ß");
  EXPECT_EQ(BuiltInText(cpOem, 0xC4), "─");
  EXPECT_EQ(BuiltInText(cpOem, 0xD5), "ı");
  EXPECT_EQ(BuiltInText(cpOem, 0x1B), "[ESC]");
  EXPECT_EQ(BuiltInText(cpOem, 'z'), "z");
}

TEST(CodePages, DecimalAndHexadecimalPagesAndTheirListEntries) {
  EXPECT_EQ(BuiltInText(cpDezimal, 65), "065 ");
  EXPECT_EQ(BuiltInText(cpDezimal, 0), "000 ");
  EXPECT_EQ(BuiltInText(cpHexadezimal, 65), "41 ");
  EXPECT_EQ(BuiltInText(cpHexadezimal, 255), "FF ");
  EXPECT_EQ(BuiltInText(cpNone, 65), "");
  EXPECT_EQ(CodeListItem(255, "FF ", false), "255: FF ");
  EXPECT_EQ(CodeListItem(65, "A", false), "065: A");
  EXPECT_EQ(CodeListItem(65, "065 ", true), "065 ");
}

TEST(CodePages, ByteAndTextReadBackFromAnEntry) {
  EXPECT_EQ(ByteOfItem("255: FF "), 255);
  EXPECT_EQ(ByteOfItem("007 "), 7);
  EXPECT_EQ(ByteOfItem("  9: x"), 9);
  EXPECT_EQ(ByteOfItem("256: x"), -1);
  EXPECT_EQ(ByteOfItem("a12: x"), -1);
  EXPECT_EQ(ByteOfItem("12"), -1);
  EXPECT_EQ(TextOfItem("255: FF "), "FF ");
  EXPECT_EQ(TextOfItem("065 "), "");
  // Characters, not bytes: 30 umlauts survive whole.
  std::string umlauts;
  for (int i = 0; i < 31; ++i) umlauts += "ä";
  const std::string text = TextOfItem("228: " + umlauts);
  EXPECT_EQ(text, umlauts.substr(0, 60));
  EXPECT_EQ(CutCodeText(umlauts), umlauts.substr(0, 60));
}

TEST(CodePages, BaseTagsAreFoundInTheirOrderAnywhereInTheName) {
  EXPECT_EQ(BasePageOf("Mein [HEX] Protokoll"), cpHexadezimal);
  EXPECT_EQ(BasePageOf("[DEZ]"), cpDezimal);
  EXPECT_EQ(BasePageOf("x [HEX] [OEM]"), cpOem);  // earlier tag in the test order wins
  EXPECT_EQ(BasePageOf("[ANSI][ASC-II]"), cpAscii);
  EXPECT_EQ(BasePageOf("[hex]"), cpNone);
  EXPECT_EQ(BasePageOf("Hexadezimal"), cpNone);
}

TEST(CodePages, StoredTextsSplitBackAndShortValuesLeaveEmptyTexts) {
  std::array<std::string, 256> texts;
  for (int b = 0; b < 256; ++b) texts[b] = "t" + std::to_string(b);
  texts[1] = "";
  texts[2] = "it's";
  texts[3] = "'q";
  texts[4] = "a,b";
  texts[255] = "end'";
  const std::string stored = JoinCodeTexts(texts);
  EXPECT_EQ(stored.substr(0, 15), "'t0','','it's',");
  EXPECT_EQ(SplitCodeTexts(stored.substr(1, stored.size() - 2)), texts);  // as the reader returns it

  const auto shortValue = SplitCodeTexts("A','B");
  EXPECT_EQ(shortValue[0], "A");
  EXPECT_EQ(shortValue[1], "B");
  EXPECT_EQ(shortValue[2], "");
  EXPECT_EQ(shortValue[255], "");
  for (const std::string& t : SplitCodeTexts("")) EXPECT_EQ(t, "");
  // Empty texts in a row, as a page saved with mostly empty entries has them.
  const auto empties = SplitCodeTexts("','','A','");
  EXPECT_EQ(empties[0], "");
  EXPECT_EQ(empties[1], "");
  EXPECT_EQ(empties[2], "A");
  EXPECT_EQ(empties[3], "");
  EXPECT_EQ(empties[4], "");
  // A value cut off after a separator.
  const auto cut = SplitCodeTexts("A','B','");
  EXPECT_EQ(cut[1], "B");
  EXPECT_EQ(cut[2], "");
}

TEST(CodePages, TextsThatWouldNotReadBackAreNotStorable) {
  EXPECT_TRUE(CodeTextStorable("a,b"));
  EXPECT_TRUE(CodeTextStorable("'"));
  EXPECT_TRUE(CodeTextStorable("it's"));
  EXPECT_FALSE(CodeTextStorable("a','b"));
  EXPECT_FALSE(CodeTextStorable(",'x"));  // would close the text before it
  EXPECT_FALSE(CodeTextStorable("x',"));
}

TEST(CodePages, FlagStringsRoundTripAndShortStringsLeaveTheRestUnflagged) {
  TCodeEntries entries;
  entries[0].LineBreak = true;
  entries[13].LineBreak = true;
  entries[255].LineBreak = true;
  entries[2].StartChar = true;
  const std::string zeilenw = FlagString(entries, TByteFlag::LineBreak);
  ASSERT_EQ(zeilenw.size(), 256u);
  EXPECT_EQ(zeilenw[0], '1');
  EXPECT_EQ(zeilenw[13], '1');
  EXPECT_EQ(zeilenw[255], '1');
  EXPECT_EQ(std::count(zeilenw.begin(), zeilenw.end(), '1'), 3);

  TCodeEntries loaded;
  ApplyFlagString(loaded, TByteFlag::LineBreak, zeilenw);
  EXPECT_EQ(FlagString(loaded, TByteFlag::LineBreak), zeilenw);
  EXPECT_FALSE(loaded[2].StartChar);

  for (auto& e : loaded) e.StopChar = true;
  ApplyFlagString(loaded, TByteFlag::Stop, "01x1");
  EXPECT_FALSE(loaded[0].StopChar);
  EXPECT_TRUE(loaded[1].StopChar);
  EXPECT_FALSE(loaded[2].StopChar);
  EXPECT_TRUE(loaded[3].StopChar);
  EXPECT_FALSE(loaded[4].StopChar);
  EXPECT_FALSE(loaded[255].StopChar);
}
