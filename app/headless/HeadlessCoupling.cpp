// The terminal front end coupled to another instance: the same coupling as
// the window's, its sockets run by the loop of THeadlessApp::Run.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/Startup.h"
#include "headless/HeadlessApp.h"

void UseStoredCoupling(TStartup& startup, THeadlessOptions& options) {
  const TFrmMainSettings& f = startup.Settings().Values().FrmMain;
  TCouplingSettings& c = options.Coupling;
  c.edIP = f.edIP;
  c.TCP_Port = f.TCP_Port;
  c.chkIPSend = f.chkIPSend;
  c.TCP_Bind = f.TCP_Bind;
  c.TCP_Allow = f.TCP_Allow;
  options.CouplingWanted = true;
  if (!options.Peer.empty()) c.edIP = options.Peer;
  if (options.TcpPort > 0) c.TCP_Port = options.TcpPort;
}

void THeadlessApp::StartCoupling() {
  if (!options_.CouplingWanted) return;
  EnsureQtApp();
  if (!options_.Peer.empty()) options_.Coupling.edIP = options_.Peer;
  if (options_.TcpPort > 0) options_.Coupling.TCP_Port = options_.TcpPort;
  coupling_ = std::make_unique<TRemoteCoupling>(consumer_.Ring());
  coupling_->OnStatusLine = [this](const std::string& line) { pipeline_.ShowStatusLine(line, true); };
  coupling_->Start(options_.Coupling, TcpOff.load());
  TRemoteCoupling* coupling = coupling_.get();
  pipeline_.SetBatchForward(
      [coupling](const ReceiveRing& ring, int start, int count) { coupling->Forward(ring, start, count); });
}

bool THeadlessApp::StartViewer() {
  if (!coupling_ || TcpOff.load()) {
    ReportError("6.2", "Mode 300 needs the coupling, which /TCPOFF switches off");
    return false;
  }
  if (options_.Coupling.edIP.empty()) {
    ReportError("6.2", "Mode 300 needs the other instance: --peer HOST (or edIP_Text in Tamarik.ini)");
    return false;
  }
  coupling_->SetWorkMode(300, true);
  TRxOptions rx = pipeline_.Options();
  rx.WorkMode = 300;
  rx.RelayPorts = false;
  pipeline_.SetOptions(rx);
  coupling_->ConnectTo(QString::fromStdString(options_.Coupling.edIP));
  return true;
}

// After the consumer has stopped: nothing forwards any more.
void THeadlessApp::StopCoupling() {
  pipeline_.SetBatchForward(nullptr);
  coupling_.reset();
  qtApp_.reset();
}

void THeadlessApp::EnsureQtApp() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "tamarik";
  static char* argv[] = {name, nullptr};
  qtApp_ = std::make_unique<QCoreApplication>(argc, argv);
}

void THeadlessApp::TurnEventLoop(int ms) {
  if (!QCoreApplication::instance()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}
