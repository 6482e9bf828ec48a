// Port A (PC side) and port B (controller side) of the monitor, and how the
// interface page's choice becomes open ports: the line settings, the order
// in which ports are closed and opened, the modem lines and the relay
// between the ports in the two-port modes. The window and the terminal
// front end both drive the ports through this class.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/InterfaceConfig.h"
#include "core/Settings.h"
#include "core/SettingsSections.h"
#include "serial/Seriell.h"

class ReceiveRing;
class TReceivePipeline;

// What the page holds when the settings are applied.
struct TInterfaceRequest {
  TModeButton Mode = mbA;
  int WorkMode = 110;
  std::string PortA, PortB;          // below /dev
  TPortABSettings Ports;             // the line records of both ports
  std::vector<std::string> BaudItems;  // grpBaud's items; item 0 "Andere"
  TFlowCtrlSettings Flow;
};

// One port's line settings as the port takes them; an index outside its
// list leaves the port's property as it is.
struct TPortLineChoice {
  int Baudrate = 0;
  std::optional<eParity> Parity;
  std::optional<eDataBits> DataBits;
  std::optional<int> StopBitsIndex;  // resolved against the data bits
  std::optional<eFlowControl> FlowMode;
};

// False when the rate is not a number (error holds the message).
bool MapLineSettings(const TPortSettings& settings, const std::vector<std::string>& baudItems, bool flowApplies,
                     TPortLineChoice& out, std::string& error);
// Every rate the request's ports need is a number.
bool LineSettingsUsable(const TInterfaceRequest& request);
// Index 1 means two stop bits, or one and a half with five data bits.
std::optional<eStopBits> StopBitsFor(int index, eDataBits dataBits);

struct TApplyResult {
  bool ConversionFailed = false;  // nothing was opened
  std::string ConversionError;
  std::vector<std::string> FailedPorts;  // port B before port A
  bool Pending = true;                   // the button stays "Übernehmen"
  TFlowCtrlSettings Boxes;               // the flow-signal boxes as the ports left them
};

class TInterfacePorts {
 public:
  TInterfacePorts(ReceiveRing& ring, TReceivePipeline& pipeline, std::unique_ptr<TPortDevice> deviceA = nullptr,
                  std::unique_ptr<TPortDevice> deviceB = nullptr);
  ~TInterfacePorts();
  TInterfacePorts(const TInterfacePorts&) = delete;
  TInterfacePorts& operator=(const TInterfacePorts&) = delete;

  TSeriell& PortA() { return *portA_; }
  TSeriell& PortB() { return *portB_; }
  bool AnyOpen() const { return portA_->Opened() || portB_->Opened(); }

  // The relay lets go first, then port A and port B close.
  void CloseAll();
  // Opens what the mode needs (both ports closed before). Only the serial
  // modes A–E and H get here.
  TApplyResult Open(const TInterfaceRequest& request);

  // chkFlowSignals changed: mirroring and line ownership follow it. Returns
  // the boxes, set on every open port when the signals go back to normal.
  TFlowCtrlSettings FlowSignalsChanged(const TFlowCtrlSettings& flow);
  // One of the four boxes: portB false = A; line 0 RTS, 1 DTR.
  void FlowSignalBoxClicked(bool portB, int line, bool on, bool chkFlowSignals);

 private:
  bool OpenOne(TSeriell& port, const TPortLineChoice& line, const std::string& name, bool chkFlowSignals, bool rts,
               bool dtr, bool& rtsBox, bool& dtrBox, int workMode, bool converter);

  TReceivePipeline& pipeline_;
  std::unique_ptr<TSeriell> portA_;
  std::unique_ptr<TSeriell> portB_;
};

// The request the stored settings make, for a start without the page (the
// terminal front end): mode, port names looked up in portList (a stored name
// that exists as a device is taken too), the line records with the
// data-bits rule, and the baud list of the mode.
TInterfaceRequest RequestFromSettings(const TSettingsValues& values, bool oldDataBitsNumbering,
                                      std::vector<std::string> portList);
