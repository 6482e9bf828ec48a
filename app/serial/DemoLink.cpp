#include "serial/DemoLink.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <system_error>

#include "core/ErrorReport.h"
#include "core/ReceivePipeline.h"

namespace {

constexpr int kDemoMode = 200;  // the monitor in the line

void Configure(TSeriell& port, TSerialDirections direction) {
  port.SetDirection(direction);
  port.IsPortB.store(direction == dirPortB);
  port.WorkMode.store(kDemoMode);
  port.SetBaudrate(115200);
  port.SetFlowMode(fcNone);
}

}  // namespace

TDemoLink::TDemoLink(ReceiveRing& ring, TReceivePipeline& pipeline, int pauseMs)
    : pipeline_(pipeline),
      portA_(ring),
      portB_(ring),
      source_(
          [this](bool fromSps, const std::string& bytes) {
            (fromSps ? spsLine_ : pcLine_).WriteAll(bytes.data(), bytes.size());
          },
          pauseMs) {
  Configure(portA_, dirPortA);
  Configure(portB_, dirPortB);
  portA_.SetPartner(&portB_);
  portB_.SetPartner(&portA_);
}

TDemoLink::~TDemoLink() { Stop(); }

bool TDemoLink::Start() {
  if (running_) return true;
  for (TPseudoTerminal* line : {&pcLine_, &spsLine_}) {
    if (const int error = line->Open(); error != 0) {
      ReportError("23", "Demo: no pseudo-terminal: " + std::system_category().message(error));
      Stop();
      return false;
    }
  }
  portA_.SetPort(pcLine_.SlaveName());
  portB_.SetPort(spsLine_.SlaveName());
  portA_.SetActive(true);
  portB_.SetActive(true);
  if (!portA_.Opened() || !portB_.Opened()) {
    Stop();  // the ports reported why
    return false;
  }
  TRxOptions options = pipeline_.Options();
  options.WorkMode = kDemoMode;
  options.RelayPorts = true;
  pipeline_.SetOptions(options);
  pipeline_.SetRelayPorts(&portA_, &portB_);
  drain_ = std::jthread([this](std::stop_token stop) { DrainLoop(stop); });
  source_.Start();
  running_ = true;
  return true;
}

void TDemoLink::Stop() {
  source_.Stop();
  // The relay lets go of the ports before they close; the far ends keep
  // being read until then, so no hand-over waits on a full line.
  if (running_) {
    pipeline_.SetRelayPorts(nullptr, nullptr);
    TRxOptions options = pipeline_.Options();
    options.RelayPorts = false;
    pipeline_.SetOptions(options);
  }
  portA_.SetActive(false);
  portB_.SetActive(false);
  if (drain_.joinable()) {
    drain_.request_stop();
    drain_.join();
  }
  pcLine_.Close();
  spsLine_.Close();
  running_ = false;
}

// The simulated PC and controller read what the monitor relays to them.
void TDemoLink::DrainLoop(std::stop_token stop) {
  char buffer[512];
  while (!stop.stop_requested()) {
    pollfd fds[2] = {{pcLine_.Master(), POLLIN, 0}, {spsLine_.Master(), POLLIN, 0}};
    if (poll(fds, 2, 20) <= 0) continue;
    bool read = false;
    for (const pollfd& fd : fds) {
      if ((fd.revents & POLLIN) == 0) continue;
      read = ::read(fd.fd, buffer, sizeof buffer) > 0 || read;
    }
    if (!read) std::this_thread::sleep_for(std::chrono::milliseconds(20));  // hung up: do not spin
  }
}
