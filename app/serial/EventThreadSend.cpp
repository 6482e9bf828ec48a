#include "serial/EventThreadSend.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "core/AppFlags.h"
#include "serial/Seriell.h"

namespace {

constexpr std::size_t kWriteMax = 4096;

bool TwoPortMode(int mode) { return mode >= 100 && mode <= 199; }
bool ConverterMode(int mode) { return mode >= 500 && mode <= 599; }

}  // namespace

TEventThreadSend::TEventThreadSend(TSeriell& port) : port_(port) {}

TEventThreadSend::~TEventThreadSend() { Terminate(); }

void TEventThreadSend::Resume() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

void TEventThreadSend::Terminate() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  port_.Device().ReleaseWaits();
  thread_.join();
}

void TEventThreadSend::TakeOver() { port_.TakeOverTxOut(txBuffer_); }

bool TEventThreadSend::NewBlockWaiting() { return !port_.CanAddTxOut() || !txBuffer_.empty(); }

void TEventThreadSend::Loop(std::stop_token stop) {
  while (!stop.stop_requested() && !AppClosing.load()) {
    TakeOver();
    block_.swap(txBuffer_);
    txBuffer_.clear();
    if (!block_.empty()) SendBlock(block_, stop);
    port_.TxBlockDone(block_.size());
    block_.clear();
    // Woken at once when a block is handed in.
    if (txBuffer_.empty()) port_.WaitForTxOut(stop, std::chrono::milliseconds(2));
  }
}

void TEventThreadSend::SendBlock(const std::string& block, std::stop_token stop) {
  // A closed or vanished port takes nothing; the slot still empties so that
  // nobody waits for it forever.
  if (!port_.Opened() || port_.Lost()) return;
  const int mode = port_.WorkMode.load();
  const int line = port_.DirectionLine.load();
  if (TwoPortMode(mode)) port_.SetLine(line, false);
  if (ConverterMode(mode)) port_.SetLine(line, true);

  // As much at once as the device takes: a write per byte would cap a
  // relayed line far below what a fast port carries.
  const auto* data = reinterpret_cast<const std::uint8_t*>(block.data());
  for (std::size_t at = 0; at < block.size();) {
    if (stop.stop_requested() || AppClosing.load()) return;
    std::size_t written = 0;
    if (!port_.WriteSome(data + at, std::min(block.size() - at, kWriteMax), written)) {
      if (!port_.Opened() || port_.Lost()) return;
      written = 1;  // a byte that could not leave is given up, as before
    }
    at += written;
    TakeOver();
  }
  if (!TwoPortMode(mode) && !ConverterMode(mode)) return;

  WaitUntilSent(stop);
  // With the next block already here the line stays in its transmit state.
  if (NewBlockWaiting()) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(12));
  port_.SetLine(line, TwoPortMode(mode));
}

void TEventThreadSend::WaitUntilSent(std::stop_token stop) {
  while (!stop.stop_requested() && !AppClosing.load() && port_.Opened() && !port_.Lost()) {
    bool pending = false;
    if (port_.Device().OutputPending(pending) != 0 || !pending) {
      port_.TxEmpty.store(true);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    TakeOver();
  }
}
