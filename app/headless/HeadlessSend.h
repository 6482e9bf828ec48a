// Typing in the terminal front end: every line read from standard input is
// sent through DatenSenden to port A (or B), with the line end the send
// dialog's boxes ask for. The end of input leaves the monitor running.
#pragma once

#include <memory>
#include <stop_token>
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

  // Starts reading fd (standard input) once the ports are open.
  void Start(int workMode, TSeriell* portA, TSeriell* portB, int fd);
  void Stop();
  // One typed line, without its line end.
  void SendLine(const std::string& line);
  TSendRoutine& Routine() { return routine_; }

 private:
  void ReadLoop(std::stop_token stop, int fd);

  THeadlessSendOptions options_;
  TSendRoutine routine_;
  std::unique_ptr<TSerialSendPort> sendA_;
  std::unique_ptr<TSerialSendPort> sendB_;
  std::jthread reader_;
};
