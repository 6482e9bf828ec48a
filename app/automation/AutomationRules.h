// What the automation methods decide before anything reaches a port or a
// control: the text a binary send becomes, the status codes, and SetCOM's
// walk over the interface page. No D-Bus and no widget here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/AutomationTypes.h"
#include "core/InterfaceConfig.h"

// A binary text (UTF-16 code units as the client sent them) as the escaped
// text the send parser turns back into exactly these bytes: controls, bytes
// above 0x7E and a "0" that opens "0x" become "0x" and two hexadecimal
// digits. A character up to 0xFF is that byte; above, its ANSI byte.
// nullopt when a character has no single byte.
std::optional<std::string> BinarySendText(const std::u16string& text);
// A plain text as the ANSI bytes the send parser reads.
std::string PlainSendBytes(const std::u16string& text);

inline bool CanWorkModeActive(int workMode) { return workMode == 440 || workMode == 470; }
inline bool PortABSelectsOne(int portAB) { return portAB == comPortA || portAB == comPortB; }
int SendByteStatus(int portAB, std::int32_t byte, int workMode);

// SetCOM's parameters, as they came.
struct TSetComRequest {
  std::int32_t Direction = 0;
  std::int32_t Direction2 = 0;
  std::int32_t PortAB = comPortAB;
  std::uint8_t COMPort = 0;
  std::int32_t Baud = 0;
  std::int32_t DataBit = comDbt8;
  std::int32_t StopBit = comSbt1;
  std::int32_t Parity = comParityNone;
};

// The interface page as SetCOM drives it: the window's controls or the
// terminal front end's pending interface.
class TSetComTarget {
 public:
  virtual ~TSetComTarget() = default;
  virtual void SelectMode(TModeButton mode) = 0;
  virtual int UsbModeCount() const = 0;
  virtual void SelectUsbMode(int index) = 0;
  virtual bool BaudSwitchVisible() const = 0;
  // 0 the common button, 1 port A's, 2 port B's.
  virtual void PressSpeedButton(int which) = 0;
  virtual bool PortListVisible() const = 0;
  virtual bool PortBListVisible() const = 0;
  virtual void SelectPortA(int index) = 0;
  virtual void SelectPortB(int index) = 0;
  virtual std::vector<std::string> BaudItems() const = 0;
  virtual void SelectBaud(int index) = 0;
  virtual void SetOtherBaud(const std::string& text) = 0;
  virtual int DataBitCount() const = 0;
  virtual int StopBitCount() const = 0;
  virtual int ParityCount() const = 0;
  virtual void SelectDataBits(int index) = 0;
  virtual void SelectStopBits(int index) = 0;
  virtual void SelectParity(int index) = 0;
};

// Walks the five steps on target and returns the collected status bits.
int SetCOM(TSetComTarget& target, const TSetComRequest& request);
