// A simulated PC and controller talking a small STX/ETX protocol, so the
// monitor shows a live trace on a machine without serial hardware.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// One telegram of the dialogue: who sends it and its bytes.
struct TDemoTelegram {
  bool FromSps = false;
  std::string Bytes;
};

// The n-th telegram of the endless dialogue (request, answer, request, …).
TDemoTelegram DemoTelegram(std::uint64_t n);

class TDemoSource {
 public:
  // writeBytes delivers a telegram's bytes for one side; it runs on the
  // demo's own thread.
  using TWriter = std::function<void(bool fromSps, const std::string& bytes)>;

  TDemoSource(TWriter writer, int pauseMs = 250);
  ~TDemoSource();
  void Start();
  void Stop();

 private:
  TWriter writer_;
  int pauseMs_;
  std::jthread thread_;
};
