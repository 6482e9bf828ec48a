// The monitor without a window: the same core, the trace in the terminal.
#pragma once

#include <QCoreApplication>
#include <memory>
#include <optional>
#include <string>

#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "core/TraceStatusLines.h"
#include "UsbStart.h"
#include "core/CanSettings.h"
#include "headless/AnsiTerminal.h"
#include "headless/HeadlessLogs.h"
#include "net/RemoteCoupling.h"
#include "plugin/PlugInHost.h"
#include "plugin/PlugInSettings.h"
#include "headless/HeadlessSend.h"
#include "serial/DemoLink.h"
#include "serial/InterfacePorts.h"
#include "core/SerialThreadOut.h"
#include "serial/Seriell.h"

class THeadlessAutomation;
class THeadlessUsb;
class TTamarikServer;

struct THeadlessOptions {
  bool Demo = true;       // the built-in demo instead of real ports
  bool DemoUsb = false;   // "--demo usb": an emulated box instead of the pseudo-terminals
  bool DemoCan = false;   // "--demo can": an emulated box on its CAN bus
  std::string UsbDevice;  // "--device": the box to open in the USB modes (empty: the first found)
  double RunSeconds = 0;  // 0: until SIGINT/SIGTERM
  int WorkMode = 200;
  std::string PortA;  // below /dev ("ttyUSB0", "pts/3")
  std::string PortB;
  int Baudrate = 9600;
  eFlowControl FlowMode = fcNone;  // used in mode 200 only
  // The interface chosen in Tamarik.ini, used when no port is given on the
  // command line.
  std::optional<TInterfaceRequest> Stored;
  // What Tamarik.ini says about the trace (UseStoredTraceSettings).
  TRxOptions Rx;
  bool chkColorNeg = false;  // colours negated, the terminal's own text colour kept
  int ProtZykMinutes = 0;    // periodic date entry, 0: off
  // The coupling's keys from Tamarik.ini; "--peer" and "--tcp-port" override
  // the other PC and the port.
  TCouplingSettings Coupling;
  bool CouplingWanted = false;  // the program sets it; tests of other parts leave the network alone
  std::string Peer;
  int TcpPort = 0;
  // Lines typed on standard input go to the link.
  THeadlessSendOptions Send;
  int SendInput = 0;  // the descriptor typed lines come from; -1: none
  bool ComOn = false;  // "/COMON": the automation object on the session bus
  // The CAN page's registers and the frequency panel as stored: the USB
  // start configures the CAN and frequency images from them.
  TCanSettings Can;
  TFqSettings Fq;
};

class TStartup;
// Takes the stored interface when the settings file exists and names a port
// A, and neither ports nor the demo were asked for on the command line.
void UseStoredInterface(TStartup& startup, bool demoAsked, THeadlessOptions& options);
// The trace settings of Tamarik.ini, for the interface chosen above; the
// demo's first start (no file yet) brings the demo's presets first.
void UseStoredTraceSettings(TStartup& startup, THeadlessOptions& options);
// The operating mode the front end will run: the stored one, the demo's
// 200, or the command line's.
int RunningWorkMode(const THeadlessOptions& options);
// "Mode 200: port A pts/3, port B pts/4, 115200 Bd (demo)".
std::string StartLine(int workMode, const std::string& portA, const std::string& portB, int baudrate, bool demo);
// "Mode 410: USB \\.\tamarik-0, 115200 Bd".
std::string UsbStartLine(int workMode, const std::string& device, uint32_t baud, bool demo);
// The coupling's keys, with the command line's peer and port over them.
void UseStoredCoupling(TStartup& startup, THeadlessOptions& options);

class THeadlessApp {
 public:
  explicit THeadlessApp(const THeadlessOptions& options);
  ~THeadlessApp();
  int Run();

  // Logs (HeadlessLogs.cpp): those that ran at the last exit go on; they
  // close when Run ends.
  void StartLogsFromSettings(const TSettingsValues& values);
  const THeadlessLogs& Logs() const { return logs_; }
  TReceivePipeline& Pipeline() { return pipeline_; }
  // The sound rule switched the sound off (the setting to store at exit).
  bool SoundSwitchedOff() const { return soundSwitchedOff_; }
  // The plug-in (HeadlessPlugIn.cpp): loaded when the settings say it is in use.
  bool StartPlugInFromSettings(const TPlugInSettings& settings);

 private:
  void Drain();
  void Timer1Timer();
  bool StartSource();
  bool OpenPorts();
  bool OpenStoredPorts();
  // The USB modes (HeadlessUsbMode.cpp).
  bool StartUsb(const TUsbStartRequest& request);
  bool StartUsbFromOptions();
  bool StartUsbDemo();
  void ClosePorts();
  void ShowStartLine();
  // The coupling (HeadlessCoupling.cpp): every run listens as the first
  // instance for its port; mode 300 takes the peer's records.
  void StartCoupling();
  bool StartViewer();
  void StopCoupling();
  void TurnEventLoop(int ms);
  void EnsureQtApp();
  // The automation object (HeadlessAutomation.cpp), with "/COMON".
  void StartAutomation();
  void StopAutomation();
  TInterfaceRequest RunningRequest() const;
  bool ReopenPorts(const TInterfaceRequest& request);
  // Typed lines and the automation object send through send_ to what is open.
  void BindSend();

  THeadlessOptions options_;
  TRunQueue queue_;
  TReceivePipeline pipeline_;
  TSerialThreadOut consumer_;
  TAnsiTerminal terminal_;
  std::unique_ptr<TDemoLink> demo_;
  std::unique_ptr<TSeriell> portA_;
  std::unique_ptr<TSeriell> portB_;
  std::vector<TTextRun> runs_;
  TPeriodicDateEntry periodicDate_;
  bool soundSwitchedOff_ = false;
  uint32_t usbBaud_ = 0;  // input 1's rate in the USB modes, for the start line
  THeadlessLogs logs_{pipeline_};
  std::unique_ptr<TInterfacePorts> interface_;  // after the consumer: closed before it stops
  std::unique_ptr<THeadlessUsb> usb_;           // likewise
  std::unique_ptr<QCoreApplication> qtApp_;  // for the sockets, when nobody else made one
  std::unique_ptr<TRemoteCoupling> coupling_;
  std::unique_ptr<TPlugInHost> plugIn_;          // after the consumer: goes before the pipeline
  THeadlessSend send_{pipeline_, options_.Send};  // unbound before the ports close
  std::unique_ptr<THeadlessAutomation> automationHost_;
  std::unique_ptr<TTamarikServer> automation_;  // before the host and the pipeline go
};
