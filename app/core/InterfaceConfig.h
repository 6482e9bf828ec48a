// The interface page's decisions without a widget: which operating mode the
// buttons select, how the page is laid out per mode, which baud rates are
// offered and how the port records follow a change of that list.
#pragma once

#include <string>
#include <vector>

#include "core/SettingsSections.h"

// The mode buttons rgrpA … rgrpH.
enum TModeButton { mbNone, mbA, mbB, mbC, mbD, mbE, mbF, mbG, mbH };

// The text ids of the USB sub-modes as they stand in grpUSB.
const std::vector<int>& UsbModeTextIds();
// The WorkMode of grpUSB's item index; 0 outside the list. Modes are chosen
// by position, never by caption, so a change of language keeps the mode.
int UsbWorkModeAt(int index);
// The item a stored text (grpUSB_ItemString) names, in whichever built-in
// language it was stored; -1 when none.
int UsbModeIndexOfText(const std::string& itemText);
// The WorkMode of a stored item text in any built-in language; 0 when none.
int UsbWorkMode(const std::string& itemText);

// The operating mode for a button; with rgrpG the USB number decides.
int WorkModeFor(TModeButton mode, int usbWorkMode);

inline bool IsUsbWorkMode(int mode) { return mode >= 400 && mode <= 499; }
// Modes D and E watch both ports and relay between them.
inline bool TwoPortMode(TModeButton mode) { return mode == mbD || mode == mbE; }
inline bool TwoPortWorkMode(int mode) { return mode == 140 || mode == 200; }
// Flow control reaches the ports only in modes E and F.
inline bool FlowApplies(TModeButton mode) { return mode == mbE || mode == mbF; }

// One row of the per-mode layout.
struct TModeLayout {
  bool ErrorEnabled = true;
  bool CtsDsrEnabled = false;
  bool FlowSignalsVisible = true;
  bool PortButtons = false;    // spBaudA/spBaudB shown
  bool KeepPortChoice = false; // false: spBaud is forced down
  int BaudKind = 0;            // -1: the list stays as it is
  bool FrequencyPanel = false; // panFQMess instead of panSeriell (430)
  bool CanGroups = false;      // 440, 470: no data/stop/parity groups
  bool ProtZeitEndeEnabled = true;
};
TModeLayout ModeLayoutFor(int workMode, bool chkIPSend);

// The baud-rate list of grpBaud and which kind it is.
struct TBaudListState {
  std::vector<std::string> Items;  // item 0 is "Andere"
  int ItemIndex = 0;
  int Kind = -1;
};

// Which speed buttons are down: A=B, port A or port B.
struct TSpeedButtons {
  bool Both = true;
  bool A = false;
  bool B = false;
};

// Rebuilds the list for kind (0 standard, 1 with 57600/115200, 2 CAN bit
// rates; +3 when usb, which inserts "Messen" at index 1) and keeps the same
// rate selected; the port records shift with it. Nothing happens when the
// kind does not change.
void BaudList(TBaudListState& list, int kind, bool usb, const std::string& messen, TPortABSettings& ports,
              const TSpeedButtons& buttons);

// Item 1 of grpStop: "1.5" with five data bits, otherwise "2".
std::string StopItemText(const std::string& dataBitsItem);

// Files older than 2.2.2629 counted the data-bits index from "7".
void UpgradeDataBits(TPortABSettings& ports, bool oldNumbering);

// Why an apply is refused before anything is closed.
enum TApplyRefusal { arNone, arPortsMustDiffer, arBaudrateMissing };
TApplyRefusal CheckApply(TModeButton mode, const std::string& portA, const std::string& portB, int baudIndex,
                         const std::string& otherBaud);

// The message of a port that did not open: 1057 + name + 1058, and 1059 on
// a line of its own when the rate was typed in.
std::string PortOpenFailedText(const std::string& port, bool otherBaudSelected);
// The message of a port that is not there at all: 1057 + name + 1506.
std::string PortNotPresentText(const std::string& port);
