// The pure parts of sending: hexadecimal fields, escapes, CAN lines and their
// preview, the USB send frame, the dialog's mode table and the history.
#include <gtest/gtest.h>

#include "core/SendDialogMode.h"
#include "core/SendSettings.h"
#include "core/SendText.h"
#include "core/UsbSendFrame.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(HexToInt, TrimsLeadingZerosAndTakesEightDigits) {
  EXPECT_EQ(HexToInt(" 0a "), 10u);
  EXPECT_EQ(HexToInt("0000"), 0u);
  EXPECT_EQ(HexToInt(""), 0u);
  EXPECT_EQ(HexToInt("0012345678FF"), 0x12345678u);
  EXPECT_THROW(HexToInt("1G"), THexError);
  EXPECT_THROW(HexToInt("-1"), THexError);
}

TEST(ParseSendText, EscapesAndTheBlanksAroundThem) {
  EXPECT_EQ(ParseSendText("A 0x42 0x43 D"), "ABCD");
  EXPECT_EQ(ParseSendText("0x41  B"), "A B");
  EXPECT_EQ(WithLineEnd(ParseSendText("41 0x42"), true, true), Bytes({0x34, 0x31, 0x42, 13, 10}));
  // Too short to be an escape: sent as it stands.
  EXPECT_EQ(ParseSendText("0x4"), "0x4");
  EXPECT_EQ(ParseSendText("A 0x4"), "A 0x4");
  EXPECT_EQ(ParseSendText("0x000xff"), Bytes({0, 0xFF}));
}

TEST(ParseSendText, ABadEscapeFailsTheWholeLine) {
  EXPECT_THROW(ParseSendText("AB 0xZZ CD"), THexError);
  EXPECT_THROW(ParseSendText("0x4G"), THexError);
}

TEST(CanHeader, PrefixIdentifierAndData) {
  TCanHeader h = ParseCanHeader("x10 1 2");
  EXPECT_TRUE(h.Extended);
  EXPECT_EQ(h.Ident, 0x10u);
  EXPECT_EQ(ParseSendText(h.DataText), "1 2");

  h = ParseCanHeader("  7FF 0x01");
  EXPECT_FALSE(h.Extended);
  EXPECT_EQ(h.Ident, 0x7FFu);
  EXPECT_EQ(ParseSendText(h.DataText), Bytes({1}));

  EXPECT_TRUE(ParseCanHeader("800 0x01").Extended);
  EXPECT_TRUE(ParseCanHeader("x 10").Extended);
  EXPECT_EQ(ParseCanHeader("x 10").Ident, 0x10u);
  EXPECT_THROW(ParseCanHeader("7G1 1"), THexError);
}

TEST(CanPreview, ShowsTheFrameAsItGoesOut) {
  EXPECT_EQ(CanPreview("x10 1 2", -1, "Wrong CAN-ID!"), "ID29: 00000010      DLC: 3  > 31 20 32");
  EXPECT_EQ(CanPreview("7FF 0x01", -1, "Wrong CAN-ID!"), "ID11: 7FF      DLC: 1  > 01");
  EXPECT_EQ(CanPreview("1 123456789", -1, "Wrong CAN-ID!"), "ID11: 001      DLC: 8  > 31 32 33 34 35 36 37 38");
  EXPECT_EQ(CanPreview("123 1", 8, "Wrong CAN-ID!"), "ID11: 123  RTR DLC: 8");
  EXPECT_EQ(CanPreview("12Q 1", -1, "Wrong CAN-ID!"), "Wrong CAN-ID!");
  EXPECT_EQ(RtrLengthOf("8"), 8);
  EXPECT_EQ(RtrLengthOf(""), 0);
}

TEST(UsbSendFrame, CanHeaderBytes) {
  std::array<std::uint8_t, kUsbFrameHeader> header{};
  TUsbSendFrame f;
  f.Can = true;
  f.Ident = 0x7FF;
  f.Data = Bytes({1, 2});
  f.Sequence = 7;
  BuildUsbSendHeader(f, header);
  EXPECT_EQ(header, (std::array<std::uint8_t, 8>{0x02, 0x00, 0x00, 0xFF, 0xE0, 1, 2, 7}));

  f.Extended = true;
  f.Ident = 0x10;
  f.Rtr = true;
  f.RtrLength = 8;
  f.Data.clear();
  BuildUsbSendHeader(f, header);
  EXPECT_EQ(header, (std::array<std::uint8_t, 8>{0xC8, 0x00, 0x00, 0x00, 0x80, 1, 0, 7}));
  f.Extended = false;
  BuildUsbSendHeader(f, header);
  EXPECT_EQ(header[0], 0x48);
}

TEST(UsbSendFrame, SerialHeaderKeepsWhatItDoesNotSet) {
  std::array<std::uint8_t, kUsbFrameHeader> header{9, 9, 9, 9, 9, 9, 9, 9};
  TUsbSendFrame f;
  f.TargetB = true;
  f.Break = true;
  f.WorkMode = 440;  // no break flag here
  f.Data = "abc";
  f.Sequence = 249;
  BuildUsbSendHeader(f, header);
  EXPECT_EQ(header, (std::array<std::uint8_t, 8>{9, 9, 9, 9, 9, 1, 3, 249}));
  f.WorkMode = 410;
  BuildUsbSendHeader(f, header);
  EXPECT_EQ(header[4], 1);
}

TEST(UsbSendFrame, SequenceAndSplitting) {
  EXPECT_EQ(NextUsbSequence(0), 1);
  EXPECT_EQ(NextUsbSequence(248), 249);
  EXPECT_EQ(NextUsbSequence(249), 1);

  TUsbSendFrame serial;
  serial.Break = true;
  const auto frames = SplitUsbSend(serial, std::string(250, 'x'));
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].Data.size(), 118u);
  EXPECT_EQ(frames[2].Data.size(), 14u);
  EXPECT_TRUE(frames[0].Break);
  EXPECT_FALSE(frames[1].Break);

  TUsbSendFrame can;
  can.Can = true;
  EXPECT_EQ(SplitUsbSend(can, "").size(), 1u);
  EXPECT_EQ(SplitUsbSend(can, "123456789A")[0].Data, "12345678");
  EXPECT_TRUE(SplitUsbSend(serial, "").empty());
}

TEST(SendDialogMode, PortChoicePerMode) {
  struct Row {
    int mode;
    bool a, b;
    char forced;
    bool brk;
  };
  const Row rows[] = {{110, true, true, 0, true},    {140, true, true, 0, true},   {200, true, true, 0, true},
                      {410, true, true, 0, true},    {120, true, false, 'A', true}, {130, false, true, 'B', true},
                      {430, false, false, 0, false}, {440, false, false, 0, true},  {500, false, false, 0, true},
                      {450, false, false, 'A', true}, {460, false, false, 'B', true}};
  for (const Row& r : rows) {
    const TSendDialogMode m = SendDialogModeFor(r.mode, false);
    EXPECT_EQ(m.rbAVisible, r.a) << r.mode;
    EXPECT_EQ(m.rbBVisible, r.b) << r.mode;
    EXPECT_EQ(m.Forced, r.forced) << r.mode;
    EXPECT_EQ(m.chkBrkAddVisible, r.brk) << r.mode;
  }
  EXPECT_TRUE(SendDialogModeFor(300, false).rbBVisible);
  EXPECT_FALSE(SendDialogModeFor(300, true).rbAVisible);
  EXPECT_TRUE(SendDialogModeFor(470, false).CanMode);
  EXPECT_FALSE(CanSendData(true, true, false, 300));
  EXPECT_TRUE(CanSendData(true, false, false, 300));
  EXPECT_FALSE(CanSendData(false, false, true, 430));
  EXPECT_TRUE(CanSendData(false, false, true, 440));
}

TEST(SendHistory, NewestFirstAtMostTwentyFive) {
  std::vector<std::string> h;
  for (int i = 0; i < 26; ++i) AddToSendHistory(h, "t" + std::to_string(i));
  ASSERT_EQ(h.size(), 25u);
  EXPECT_EQ(h.front(), "t25");
  EXPECT_EQ(h.back(), "t1");  // t0 was pushed out
  AddToSendHistory(h, "t10");
  EXPECT_EQ(h.size(), 25u);
  EXPECT_EQ(h[0], "t10");
  EXPECT_EQ(h[1], "t25");
}

}  // namespace
