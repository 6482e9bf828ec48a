#include "serial/DemoSource.h"

#include <chrono>
#include <cstdio>

TDemoTelegram DemoTelegram(std::uint64_t n) {
  const std::uint64_t exchange = n / 2;
  const unsigned address = static_cast<unsigned>(exchange % 16);
  char body[48];
  TDemoTelegram t;
  t.FromSps = (n % 2) == 1;
  if (!t.FromSps) {
    std::snprintf(body, sizeof body, "RD DB10.DBW%02u", address * 2);
  } else if (exchange % 7 == 6) {
    std::snprintf(body, sizeof body, "NAK %02u", address);  // now and then a refusal
  } else {
    std::snprintf(body, sizeof body, "DB10.DBW%02u=%05u", address * 2,
                  static_cast<unsigned>((exchange * 7919) % 65536));
  }
  // STX body ETX, a block check (XOR over all), CR LF.
  std::string bytes;
  bytes.reserve(64);
  bytes.push_back('\x02');
  bytes.append(body);
  bytes.push_back('\x03');
  unsigned char bcc = 0;
  for (char c : bytes) bcc ^= static_cast<unsigned char>(c);
  bytes.push_back(static_cast<char>(bcc));
  bytes.append("\r\n");
  t.Bytes = std::move(bytes);
  return t;
}

TDemoSource::TDemoSource(TWriter writer, int pauseMs) : writer_(std::move(writer)), pauseMs_(pauseMs) {}

TDemoSource::~TDemoSource() { Stop(); }

void TDemoSource::Start() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) {
    for (std::uint64_t n = 0; !stop.stop_requested(); ++n) {
      const TDemoTelegram t = DemoTelegram(n);
      writer_(t.FromSps, t.Bytes);
      for (int waited = 0; waited < pauseMs_ && !stop.stop_requested(); waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
}

void TDemoSource::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}
