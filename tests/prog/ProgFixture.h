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
