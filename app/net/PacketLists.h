// Packets waiting to be sent when a connection does not send each one at
// once: they leave together at the next turn of the event loop.
#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

class TFasterPacketList {
 public:
  void Add(QByteArray packet) {
    bytes_ += packet.size();
    packets_.push_back(std::move(packet));
  }
  bool Empty() const { return packets_.empty(); }
  qsizetype Bytes() const { return bytes_; }
  std::vector<QByteArray> Take() {
    bytes_ = 0;
    return std::exchange(packets_, {});
  }
  void Clear() {
    packets_.clear();
    bytes_ = 0;
  }

 private:
  std::vector<QByteArray> packets_;
  qsizetype bytes_ = 0;
};
