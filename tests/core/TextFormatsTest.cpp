#include <gtest/gtest.h>

#include "core/Charsets.h"
#include "core/DateTime.h"
#include "core/FileNamePlaceholders.h"
#include "core/RtfWriter.h"

TEST(DateTime, EncodesDecodesAndFormatsAroundTheDayEnd) {
  const double t = EncodeDateTime({2026, 12, 6, 22, 37, 40, 5});
  EXPECT_EQ(FormatDateTime("yy.mm.dd hh:nn:ss.zzz", t), "26.12.06 22:37:40.005");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy \"um\" hh:nn", t), "06.12.2026 um 22:37");
  // 23:59:59.9996 rounds into the next day, not to second 60.
  const double late = EncodeDateTime({2026, 12, 31, 23, 59, 59, 999}) + 0.6 / 86'400'000.0;
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", late), "2027-01-01 00:00:00.000");
  EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
}

TEST(DateTime, TimeFormatFollowsTheSystemOrderWithTwoDigitFields) {
  bool ok = false;
  EXPECT_EQ(TimeFmtFromStrftime("%H:%M:%S", false, &ok), "hh:nn:ss");
  EXPECT_TRUE(ok);
  EXPECT_EQ(TimeFmtFromStrftime("%r", true, &ok), "hh:nn:ss.zzz");
  EXPECT_EQ(TimeFmtFromStrftime("%H.%M.%S", false, &ok), "hh.nn.ss");
  EXPECT_EQ(TimeFmtFromStrftime("", false, &ok), "hh:nn:ss");
  EXPECT_FALSE(ok);
  EXPECT_EQ(TimeFmtFromStrftime("%H", true, &ok), "hh:nn:ss.zzz");
  EXPECT_FALSE(ok);
}

TEST(FileNamePlaceholders, ExpandInOrderAndTellTheLastKind) {
  const double t = EncodeDateTime({2026, 12, 6, 22, 37, 40, 0});
  TExpandedName e = ExpandFileNamePlaceholders("/logs/trace [DATETIME].rtf", t);
  EXPECT_EQ(e.Name, "/logs/trace 26-12-06 22.37.40.rtf");
  EXPECT_EQ(e.Kind, nkDateTime);
  e = ExpandFileNamePlaceholders("t[DATE][TIME]", t);
  EXPECT_EQ(e.Name, "t26-12-06 22.37.40");
  EXPECT_EQ(e.Kind, nkDateTime);
  e = ExpandFileNamePlaceholders("[date]_[TIME]", t);
  EXPECT_EQ(e.Name, "26-12-06_22.37.40");
  EXPECT_EQ(e.Kind, nkTime);
  e = ExpandFileNamePlaceholders("plain.txt", t);
  EXPECT_EQ(e.Kind, nkNone);
}

TEST(Rtf, EscapesBracesBackslashesLineEndsAndNonAscii) {
  EXPECT_EQ(RtfEscape("a{b}\\x"), "a\\{b\\}\\\\x");
  EXPECT_EQ(RtfEscape("1\r\n2"), "1\r\n\\par 2");
  EXPECT_EQ(RtfEscape("\xC3\xA4\xE2\x82\xAC"), "\xE4\x80");  // ä € as cp1252 bytes
  EXPECT_EQ(RtfEscape("\xE2\x94\x80"), "\\u9472?");          // ─ has no cp1252 byte
  EXPECT_EQ(RtfEscape("\xFF"), "\\u-3?");                    // broken UTF-8: replacement character
}

TEST(Rtf, ColourTagsOnlyWhenTheColourChanges) {
  TRtfRunWriter w;
  EXPECT_EQ(w.Run("a", clBlack), "\\cf1 a");
  EXPECT_EQ(w.Run("b", clBlack), "b");
  EXPECT_EQ(w.Run("c", clMaroon), "\\cf5 c");
  EXPECT_EQ(w.Run("d", clOlive), "\\cf1 d");
  const std::string doc = RtfDocument({{"x", clRed}});
  EXPECT_TRUE(doc.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031"));
  EXPECT_TRUE(doc.ends_with("\\viewkind4\\uc1\\pard\\f0\\fs20\\cf2 x}"));
}

TEST(Cp1252, RoundTripsAndValidatesUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("\xE4\x80\x81"), "\xC3\xA4\xE2\x82\xAC\xC2\x81");
  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<std::uint8_t>(b))), b);
  EXPECT_TRUE(IsValidUtf8("gr\xC3\xBC\xC3\x9F"));
  EXPECT_FALSE(IsValidUtf8("gr\xFC\xDF"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));  // overlong
}
