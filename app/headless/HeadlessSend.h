// The terminal front end's one send output: the routine and its ports that
// typed lines and the automation object both send through, as the window
// has one. Every line read from standard input goes to port A (or B) with
// the line end the send dialog's boxes ask for; the end of input leaves the
// monitor running.
#pragma once

#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "core/SendData.h"

class TReceivePipeline;
class TSeriell;
class TSerialSendPort;

struct THeadlessSendOptions {
  bool TargetB = false;
  bool AddCR = true;
  bool AddLF = true;
};

class THeadlessSend {
 public:
  THeadlessSend(TReceivePipeline& pipeline, const THeadlessSendOptions& options);
  ~THeadlessSend();
  THeadlessSend(const THeadlessSend&) = delete;
  THeadlessSend& operator=(const THeadlessSend&) = delete;

  // The ports now open (null where the mode has none) and, in the USB
  // modes, the box's send path; typing from fd (standard input, -1: none)
  // goes on from where it stood.
  void Bind(int workMode, TSeriell* portA, TSeriell* portB, int fd, TUsbSendOutput* usb = nullptr);
  // Before the ports close: no send runs afterwards.
  void Unbind();
  // One typed line, without its line end.
  void SendLine(const std::string& line);
  TSendRoutine& Routine() { return routine_; }

 private:
  void ReadLoop(std::stop_token stop, int fd);

  THeadlessSendOptions options_;
  TSendRoutine routine_;
  std::unique_ptr<TSerialSendPort> sendA_;
  std::unique_ptr<TSerialSendPort> sendB_;
  std::string pending_;  // typed text without its line end yet, kept over a reopen
  bool inputEnded_ = false;
  std::jthread reader_;
};
