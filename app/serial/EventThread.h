// The receive thread of one port: waits for its events, reads at most
// kReadMax bytes a wake-up and writes one ring record per byte, or one per
// change of the modem inputs, claiming the read's records at once. It never
// allocates while the port is open.
#pragma once

#include <array>
#include <cstdint>
#include <thread>

#include "serial/ReceiveDecoder.h"

class TSeriell;

class TEventThread {
 public:
  static constexpr std::size_t kReadMax = 4096;

  explicit TEventThread(TSeriell& port);
  ~TEventThread();
  TEventThread(const TEventThread&) = delete;
  TEventThread& operator=(const TEventThread&) = delete;

  // Starts the loop (once); it runs until Terminate.
  void Resume();
  void Terminate();

 private:
  void Loop(std::stop_token stop);
  void ServeOneEvent(std::stop_token stop);
  void StartSession();
  void FollowModemLines();
  // How much to read: what the ring can take, waiting while it is full.
  std::size_t RoomToRead(std::stop_token stop);
  // Records for decoded_[0 … n).
  void WriteRecords(std::size_t n);

  TSeriell& port_;
  unsigned session_ = 0;
  bool hasLines_ = false;
  bool hasCounters_ = false;
  unsigned lines_ = 0;
  std::uint16_t signals_ = 0;
  std::uint16_t savedSignals_ = 0;
  TReceiveDecoder decoder_;
  std::array<std::uint8_t, kReadMax> raw_{};
  std::array<TDecodedByte, kReadMax + 1> decoded_{};
  std::jthread thread_;
};
