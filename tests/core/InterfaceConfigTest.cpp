// The interface page's decisions: modes, the baud-rate lists and how the
// port records follow them, the data-bits rule and the refusals of an apply.
#include <gtest/gtest.h>

#include "core/InterfaceConfig.h"
#include "core/Language.h"

namespace {

TBaudListState ListOfKind(int kind, bool usb, int index, TPortABSettings& ports, TSpeedButtons buttons = {}) {
  TBaudListState list;
  list.Items = {"Andere"};
  list.ItemIndex = index;
  BaudList(list, kind, usb, "Messen", ports, buttons);
  return list;
}

TEST(BaudListTest, SwitchingToUsbKeepsTheRateWhenMessenIsInserted) {
  TPortABSettings ports;
  TBaudListState list = ListOfKind(1, false, 6, ports);
  ASSERT_EQ(list.Items[6], "9600");
  ASSERT_EQ(list.Items.size(), 13u);
  // Port A on show; port B keeps its own rate (19200, index 8).
  ports.PortBSettings.Baudrate = 8;
  BaudList(list, 1, true, "Messen", ports, {false, true, false});
  EXPECT_EQ(list.Kind, 4);
  EXPECT_EQ(list.Items[1], "Messen");
  EXPECT_EQ(list.Items[static_cast<std::size_t>(list.ItemIndex)], "9600");
  EXPECT_EQ(list.Items[static_cast<std::size_t>(ports.PortASettings.Baudrate)], "9600");
  EXPECT_EQ(list.Items[static_cast<std::size_t>(ports.PortBSettings.Baudrate)], "19200");
  // And back: "Messen" leaves, the rates stay.
  BaudList(list, 1, false, "Messen", ports, {false, true, false});
  EXPECT_EQ(list.Items[static_cast<std::size_t>(list.ItemIndex)], "9600");
  EXPECT_EQ(list.Items[static_cast<std::size_t>(ports.PortBSettings.Baudrate)], "19200");
  EXPECT_EQ(list.Items.size(), 13u);
}

TEST(BaudListTest, KindsCutExtendAndReplaceTheList) {
  TPortABSettings ports;
  TBaudListState list = ListOfKind(1, false, 12, ports);
  EXPECT_EQ(list.Items[12], "115200");
  BaudList(list, 0, false, "Messen", ports, {});
  EXPECT_EQ(list.Items.size(), 11u);
  EXPECT_EQ(list.ItemIndex, 10) << "the choice is clamped to the shorter list";
  EXPECT_EQ(ports.PortASettings.Baudrate, 10);
  EXPECT_EQ(ports.PortBSettings.Baudrate, 10) << "with A=B both records follow the list";
  BaudList(list, 2, true, "Messen", ports, {});
  EXPECT_EQ(list.Items.front(), "Andere");
  EXPECT_EQ(list.Items[1], "Messen");
  EXPECT_EQ(list.Items.back(), "1000000");
  EXPECT_EQ(list.Items.size(), 12u);
  const std::vector<std::string> before = list.Items;
  BaudList(list, 2, true, "Messen", ports, {});
  EXPECT_EQ(list.Items, before) << "the same kind again changes nothing";
}

TEST(InterfaceConfigTest, ModesAndLayout) {
  EXPECT_EQ(WorkModeFor(mbD, 0), 140);
  EXPECT_EQ(WorkModeFor(mbE, 0), 200);
  EXPECT_EQ(WorkModeFor(mbH, 0), 500);
  EXPECT_EQ(WorkModeFor(mbG, UsbWorkMode("CAN- Bus")), 440);
  EXPECT_EQ(UsbWorkMode("Frequenz-Messung"), 430);
  EXPECT_EQ(UsbWorkMode("unknown"), 0);
  EXPECT_EQ(WorkModeFor(mbNone, 0), 0);
  EXPECT_TRUE(FlowApplies(mbE));
  EXPECT_TRUE(FlowApplies(mbF));
  EXPECT_FALSE(FlowApplies(mbD));
  EXPECT_FALSE(FlowApplies(mbH));
  EXPECT_TRUE(ModeLayoutFor(200, true).CtsDsrEnabled);
  EXPECT_FALSE(ModeLayoutFor(140, true).CtsDsrEnabled);
  EXPECT_TRUE(ModeLayoutFor(140, true).KeepPortChoice);
  EXPECT_FALSE(ModeLayoutFor(110, true).PortButtons);
  EXPECT_EQ(ModeLayoutFor(430, true).BaudKind, -1);
  EXPECT_FALSE(ModeLayoutFor(300, true).FlowSignalsVisible);
  EXPECT_TRUE(ModeLayoutFor(300, false).FlowSignalsVisible);
}

TEST(InterfaceConfigTest, StopBitsItemAndDataBitsRule) {
  EXPECT_EQ(StopItemText("5"), "1.5");
  EXPECT_EQ(StopItemText("8"), "2");
  TPortABSettings ports;
  ports.PortASettings.DataBits = 0;
  ports.PortBSettings.DataBits = 3;
  UpgradeDataBits(ports, false);
  EXPECT_EQ(ports.PortASettings.DataBits, 0);
  UpgradeDataBits(ports, true);
  EXPECT_EQ(ports.PortASettings.DataBits, 2) << "old files counted from 7";
  EXPECT_EQ(ports.PortBSettings.DataBits, 3);
}

TEST(InterfaceConfigTest, ApplyRefusals) {
  EXPECT_EQ(CheckApply(mbD, "ttyS1", "ttyS1", 6, ""), arPortsMustDiffer);
  EXPECT_EQ(CheckApply(mbE, "ttyS0", "ttyS0", 6, ""), arPortsMustDiffer);
  EXPECT_EQ(CheckApply(mbA, "ttyS1", "ttyS1", 6, ""), arNone) << "one-port modes ignore port B";
  EXPECT_EQ(CheckApply(mbA, "ttyS0", "ttyS1", 0, ""), arBaudrateMissing);
  EXPECT_EQ(CheckApply(mbA, "ttyS0", "ttyS1", 0, "1234"), arNone);
  const std::string text = PortOpenFailedText("ttyUSB3", true);
  EXPECT_NE(text.find("\"ttyUSB3\""), std::string::npos) << text;
  EXPECT_NE(text.find("\nBitte überprüfen Sie die Baudrate."), std::string::npos) << text;
  EXPECT_EQ(PortOpenFailedText("x", false).find('\n'), std::string::npos);
}

}  // namespace

// The USB sub-mode is a position in grpUSB; its stored text may come from any
// language, and the language shown must not change the mode.
TEST(InterfaceConfigTest, UsbModesFollowThePositionInEveryLanguage) {
  ProgramLanguage().Select(1);  // English
  EXPECT_EQ(UsbWorkMode("Frequenz-Messung"), 430);
  EXPECT_EQ(UsbWorkMode("Frequency measurement"), 430);
  EXPECT_EQ(UsbModeIndexOfText("CAN bus"), 2);
  ProgramLanguage().Select(0);
  EXPECT_EQ(UsbWorkMode("Frequency measurement"), 430);
  const int expected[] = {410, 420, 440, 430, 450, 460, 470};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(UsbWorkModeAt(i), expected[i]) << i;
  EXPECT_EQ(UsbWorkModeAt(7), 0);
  EXPECT_EQ(UsbWorkModeAt(-1), 0);
}
