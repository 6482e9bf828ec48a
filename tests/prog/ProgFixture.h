// A programmer with a hand-driven clock and the telegrams it sent, and the
// boot loader's answers built by hand.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

#include "CanBootProtocol.h"
#include "core/TempDir.h"
#include "prog/ProgAtmel.h"

class ProgFixture : public ::testing::Test {
 protected:
  using Clock = std::chrono::steady_clock;

  TProgAtmel prog{[this](const std::string& t) { sent.push_back(t); }, [this] { return now; }};
  std::vector<std::string> sent;
  Clock::time_point now{};
  TTempDir dir;

  void Advance(std::chrono::milliseconds ms) { now += ms; }

  // Carries the telegrams sent so far to a node and its answers back; the
  // tests that answer by hand have none.
  virtual void Pump() {}

  // Runs the window's two timers against the clock until the programmer is
  // idle; false when it still is not after `limit` of dialog time.
  bool RunUntilIdle(std::chrono::milliseconds limit = std::chrono::minutes(10)) {
    using namespace std::chrono_literals;
    Pump();
    for (auto t = 0ms; t < limit; t += 36ms) {
      if (prog.Step() == TProgAtmel::stIdle) return true;
      Advance(36ms);
      if (prog.View().Tmr1Enabled) prog.Tmr1Timer();
      if (prog.View().Tmr2Enabled && t.count() % 144 == 0) prog.Tmr2Timer();
      Pump();
    }
    return prog.Step() == TProgAtmel::stIdle;
  }

  void ConnectAndErase() {
    prog.btnStartConnectClick();
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_EQ(prog.View().lbStartStatus, "OK");
    prog.btnEraseClick();
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_EQ(prog.View().lbEraseOK, "OK");
  }

  static TCanFrame Answer(canboot::TGroup group, std::initializer_list<std::uint8_t> data) {
    TCanFrame f;
    f.Ident = canboot::Ident(0, group);
    f.Length = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), f.Data.begin());
    return f;
  }

  std::string BinFile(int size) {
    std::string bytes;
    for (int i = 0; i < size; ++i) bytes += static_cast<char>(i * 7 + 1);
    const std::string name = dir.File("prog.bin");
    TTempDir::Write(name, bytes);
    return name;
  }

  // Answers every telegram as a node that takes `size` bytes would, until
  // the transfer ends or `limit` ticks pass.
  void RunTransferAnswered(int size, int limit = 10000) {
    int received = 0;
    std::size_t answered = sent.size() - 1;  // the start telegram
    prog.CanFrameReceived(Answer(canboot::ProgStart, {}));
    for (int i = 0; i < limit && prog.Step() == TProgAtmel::stTransfer; ++i) {
      Advance(std::chrono::milliseconds(36));
      prog.Tmr1Timer();
      if (sent.size() - 1 == answered) continue;
      answered = sent.size() - 1;
      received += (static_cast<int>(sent.back().size()) - 1) / 5;
      prog.CanFrameReceived(Answer(canboot::ProgData, {received >= size ? canboot::kDataDone : canboot::kDataMore}));
    }
  }
};
