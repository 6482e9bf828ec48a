// The send thread of one port: takes over what is handed in through the
// port's AddTxOut slot and writes it in blocks, switching the transmit
// direction of a two-wire bus around each block.
#pragma once

#include <string>
#include <thread>

class TSeriell;

class TEventThreadSend {
 public:
  explicit TEventThreadSend(TSeriell& port);
  ~TEventThreadSend();
  TEventThreadSend(const TEventThreadSend&) = delete;
  TEventThreadSend& operator=(const TEventThreadSend&) = delete;

  void Resume();
  void Terminate();

 private:
  void Loop(std::stop_token stop);
  void SendBlock(const std::string& block, std::stop_token stop);
  void TakeOver();
  bool NewBlockWaiting();
  void WaitUntilSent(std::stop_token stop);

  TSeriell& port_;
  std::string txBuffer_;  // taken over, not yet written; this thread's alone
  std::string block_;
  std::jthread thread_;
};
