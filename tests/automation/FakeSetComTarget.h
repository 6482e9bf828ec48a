// The interface page as a few fields: what SetCOM selected.
#pragma once

#include "automation/AutomationRules.h"

struct TFakeSetComTarget : TSetComTarget {
  TModeButton Mode = mbNone;
  int Usb = -1, Speed = -1, PortA = -1, PortB = -1, Baud = -1, DataBits = -1, StopBits = -1, Parity = -1;
  std::string OtherBaud;
  void SelectMode(TModeButton mode) override { Mode = mode; }
  int UsbModeCount() const override { return 5; }
  void SelectUsbMode(int index) override { Usb = index; }
  bool BaudSwitchVisible() const override { return true; }
  void PressSpeedButton(int which) override { Speed = which; }
  bool PortListVisible() const override { return true; }
  bool PortBListVisible() const override { return true; }
  void SelectPortA(int index) override { PortA = index; }
  void SelectPortB(int index) override { PortB = index; }
  std::vector<std::string> BaudItems() const override { return {"Andere", "9600", "19200"}; }
  void SelectBaud(int index) override { Baud = index; }
  void SetOtherBaud(const std::string& text) override { OtherBaud = text; }
  int DataBitCount() const override { return 4; }
  int StopBitCount() const override { return 2; }
  int ParityCount() const override { return 5; }
  void SelectDataBits(int index) override { DataBits = index; }
  void SelectStopBits(int index) override { StopBits = index; }
  void SelectParity(int index) override { Parity = index; }
};
