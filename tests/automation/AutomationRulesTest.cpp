// The automation methods' decisions without the bus: the binary send text
// must come back from the send parser as exactly the client's bytes, and
// SetCOM collects its bits while it walks the page.
#include <gtest/gtest.h>

#include "FakeSetComTarget.h"
#include "automation/AutomationFeed.h"
#include "automation/AutomationRules.h"
#include "core/SendText.h"

namespace {

std::string Parsed(const std::u16string& text) {
  const auto escaped = BinarySendText(text);
  EXPECT_TRUE(escaped.has_value());
  return escaped ? ParseSendText(*escaped) : std::string();
}

TEST(BinarySendText, EveryByteComesBackExactly) {
  std::u16string all;
  std::string want;
  for (int b = 0; b < 256; ++b) {
    all.push_back(static_cast<char16_t>(b));
    want.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(Parsed(all), want);
  // Blanks next to escapes and a literal "0x" are where the parser bends text.
  for (const std::u16string& text : {std::u16string(u"A \r B"), std::u16string(u"\r  A"), std::u16string(u"0x41"),
                                     std::u16string(u" \x01 "), std::u16string(u"\xFF\xFF" u"0"), std::u16string(u"x0")}) {
    std::string bytes;
    for (char16_t c : text) bytes.push_back(static_cast<char>(c));
    EXPECT_EQ(Parsed(text), bytes);
  }
}

TEST(BinarySendText, CrAfterLettersIsOneEscape) {
  EXPECT_EQ(BinarySendText(u"AB\r"), "AB 0x0D");
  EXPECT_EQ(Parsed(u"AB\r"), "AB\r");
}

TEST(BinarySendText, CharactersAboveLatin1) {
  EXPECT_EQ(Parsed(u"\u20AC"), "\x80");              // the euro sign has an ANSI byte
  EXPECT_FALSE(BinarySendText(u"\u4E2D").has_value());  // no byte: nothing is sent
  EXPECT_EQ(PlainSendBytes(u"A\u4E2D\u00E9"), "A?\xE9");
}

TEST(SendByteStatus, CollectsBits) {
  EXPECT_EQ(SendByteStatus(comPortA, 0x41, 110), 0);
  EXPECT_EQ(SendByteStatus(comPortAB, 256, 440), 1 + 2 + 4);
  EXPECT_EQ(SendByteStatus(comPortB, -1, 470), 2 + 4);
}

TEST(SetCOM, BadDirectionBaudAndParityGive145) {
  TFakeSetComTarget target;
  const TSetComRequest request{9, 0, comPortA, 1, 0, comDbt8, comSbt1, 7};
  EXPECT_EQ(SetCOM(target, request), 145);
  EXPECT_EQ(target.Mode, mbNone);
  EXPECT_EQ(target.DataBits, 3);
  EXPECT_EQ(target.StopBits, 0);
  EXPECT_EQ(target.PortA, 1);
}

TEST(SetCOM, UsbModeAndUnknownBaud) {
  TFakeSetComTarget target;
  EXPECT_EQ(SetCOM(target, {7, 5, comPortA, 0, 9600, comDbt8, comSbt1, comParityNone}), kComBadUsbMode);
  EXPECT_EQ(target.Mode, mbG);
  EXPECT_EQ(target.PortA, -1);  // the port lists do not count in USB mode
  EXPECT_EQ(SetCOM(target, {3, 2, comPortAB, 4, 12345, comDbt7, comSbt2, comParityEven}), 0);
  EXPECT_EQ(target.Mode, mbD);
  EXPECT_EQ(target.Speed, 0);
  EXPECT_EQ(target.PortA, 4);
  EXPECT_EQ(target.PortB, 2);  // Direction2 picks port B for comPortAB
  EXPECT_EQ(target.Baud, 0);
  EXPECT_EQ(target.OtherBaud, "12345");
  EXPECT_EQ(SetCOM(target, {0, 0, 7, 0, 9600, 4, comSbt1, comParityNone}), kComBadPortAB + kComBadDataBit);
  EXPECT_EQ(target.Baud, 1);
}

TEST(AutomationFeed, CanRecordsAsEvents) {
  TSeriellData r;
  r.RecType = rtCAN;
  r.Ident = 0x1234567;
  r.Signals = 0x100 | 0x40;
  r.Count = 2;
  TAutomationEvent e = CanEventOf(r);
  EXPECT_EQ(e.CanTyp, ctID29);
  EXPECT_TRUE(e.Rtr);
  EXPECT_EQ(e.Dlc, 2);
  r.LineFlags = 0x80;
  EXPECT_EQ(CanEventOf(r).CanTyp, ctBusErrDetail);
  r.LineFlags = 0x200;
  EXPECT_EQ(CanEventOf(r).CanTyp, ctBusErrOther);
}

}  // namespace
