// The programmer and an emulated boot-loader node on one bus: telegram
// texts become frames as the send routine makes them, the node's answers
// queue up and reach the programmer after the call that caused them, as
// they do through the receive path.
#pragma once

#include <chrono>
#include <deque>
#include <vector>

#include "AvrBootNode.h"
#include "ProgFixture.h"
#include "core/SendText.h"

class BootNodeRig : public ProgFixture {
 protected:
  TAvrBootNode node;
  std::deque<TCanFrame> answers;

  BootNodeRig() {
    node.FrameOut = [this](const TCanFrame& f) { answers.push_back(f); };
  }

  static TCanFrame FrameOf(const std::string& telegram) {
    const TCanHeader header = ParseCanHeader(telegram);
    const std::string data = ParseSendText(header.DataText);
    TCanFrame f;
    f.Ident = header.Ident;
    f.Extended = header.Extended;
    f.Length = static_cast<std::uint8_t>(std::min<std::size_t>(data.size(), 8));
    std::copy_n(data.begin(), f.Length, f.Data.begin());
    return f;
  }

  // Every telegram sent so far goes onto the bus, every answer back.
  void Pump() override {
    while (delivered_ < sent.size()) node.FrameIn(FrameOf(sent[delivered_++]));
    while (!answers.empty()) {
      const TCanFrame f = answers.front();
      answers.pop_front();
      prog.CanFrameReceived(f);
    }
  }

  // The node's flash read back over the bus, as a programmer reads it.
  std::vector<std::uint8_t> ReadBack(unsigned first, unsigned last) {
    TCanFrame f;
    f.Ident = canboot::Ident(0, canboot::DisplayData);
    f.Length = 5;
    f.Data = {0x00, static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first),
              static_cast<std::uint8_t>(last >> 8), static_cast<std::uint8_t>(last)};
    answers.clear();
    node.FrameIn(f);
    std::vector<std::uint8_t> bytes;
    for (const TCanFrame& a : answers) bytes.insert(bytes.end(), a.Data.begin(), a.Data.begin() + a.Length);
    answers.clear();
    return bytes;
  }

 private:
  std::size_t delivered_ = 0;
};
