// The monitor without a window: the same core, the trace in the terminal.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "headless/AnsiTerminal.h"
#include "headless/HeadlessLogs.h"
#include "headless/HeadlessSend.h"
#include "serial/DemoLink.h"
#include "serial/InterfacePorts.h"
#include "serial/SerialThreadOut.h"
#include "serial/Seriell.h"

struct THeadlessOptions {
  bool Demo = true;       // the built-in demo instead of real ports
  double RunSeconds = 0;  // 0: until SIGINT/SIGTERM
  int WorkMode = 200;
  std::string PortA;  // below /dev ("ttyUSB0", "pts/3")
  std::string PortB;
  int Baudrate = 9600;
  eFlowControl FlowMode = fcNone;  // used in mode 200 only
  // The interface chosen in Tamarik.ini, used when no port is given on the
  // command line; the receive options the file holds for the trace.
  std::optional<TInterfaceRequest> Stored;
  bool chkSound = false, chkCTSDSR = true, chkError = true;
  // Lines typed on standard input go to the link.
  THeadlessSendOptions Send;
  int SendInput = 0;  // the descriptor typed lines come from; -1: none
};

class TStartup;
// Takes the stored interface when the settings file exists and names a port
// A, and neither ports nor the demo were asked for on the command line.
void UseStoredInterface(TStartup& startup, bool demoAsked, THeadlessOptions& options);

class THeadlessApp {
 public:
  explicit THeadlessApp(const THeadlessOptions& options);
  ~THeadlessApp();
  int Run();

  // Logs (HeadlessLogs.cpp): those that ran at the last exit go on; they
  // close when Run ends.
  void StartLogsFromSettings(const TSettingsValues& values);
  const THeadlessLogs& Logs() const { return logs_; }

 private:
  void Drain();
  void Timer1Timer();
  bool StartSource();
  bool OpenPorts();
  bool OpenStoredPorts();
  void ClosePorts();
  void StartTyping();

  THeadlessOptions options_;
  TRunQueue queue_;
  TReceivePipeline pipeline_;
  TSerialThreadOut consumer_;
  TAnsiTerminal terminal_;
  std::unique_ptr<TDemoLink> demo_;
  std::unique_ptr<TSeriell> portA_;
  std::unique_ptr<TSeriell> portB_;
  std::vector<TTextRun> runs_;
  THeadlessLogs logs_{pipeline_};
  std::unique_ptr<TInterfacePorts> interface_;  // after the consumer: closed before it stops
  std::unique_ptr<THeadlessSend> send_;          // stopped before the ports close
};
