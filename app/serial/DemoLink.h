// The built-in demo on the real serial path: a simulated PC and controller
// each talk into one pseudo-terminal pair, port A and port B open the other
// ends as the monitor in the line and relay between them, so every byte goes
// through the ports, their threads, the receive ring and the relay.
#pragma once

#include <memory>
#include <thread>

#include "serial/DemoSource.h"
#include "serial/PseudoTerminal.h"
#include "serial/Seriell.h"

class ReceiveRing;
class TReceivePipeline;

class TDemoLink {
 public:
  TDemoLink(ReceiveRing& ring, TReceivePipeline& pipeline, int pauseMs = 250);
  ~TDemoLink();
  TDemoLink(const TDemoLink&) = delete;
  TDemoLink& operator=(const TDemoLink&) = delete;

  // False, with the failure reported, when the pseudo-terminals or the
  // ports cannot be opened.
  bool Start();
  void Stop();
  bool Running() const { return running_; }

  TSeriell& PortA() { return portA_; }
  TSeriell& PortB() { return portB_; }

 private:
  void DrainLoop(std::stop_token stop);

  TReceivePipeline& pipeline_;
  TSeriell portA_;
  TSeriell portB_;
  TPseudoTerminal pcLine_;   // the PC's end is the master, port A the slave
  TPseudoTerminal spsLine_;  // the controller's end, port B
  TDemoSource source_;
  std::jthread drain_;
  bool running_ = false;
};
