#include "BootNodeOnBus.h"

#include <algorithm>

namespace tamarikusb {

TBootNodeOnBus::TBootNodeOnBus(TCanBus& bus, TAvrBootNode& node, int busNode)
    : bus_(bus), node_(node), busNode_(busNode) {
  node_.FrameOut = [this](const ::TCanFrame& f) { answers_.push_back(f); };
  bus_.AddObserver(this);
}

TBootNodeOnBus::~TBootNodeOnBus() {
  bus_.RemoveObserver(this);
  node_.FrameOut = nullptr;
}

void TBootNodeOnBus::FrameOnBus(const TCanFrame& frame, int node, uint64_t end) {
  if (node == busNode_) return;
  answers_.clear();
  node_.FrameIn(HostFrameOf(frame));
  // Queued in order at the same start: equal identifiers keep their order.
  for (const ::TCanFrame& a : answers_) bus_.Put(end, BusFrameOf(a), busNode_);
  answers_.clear();
}

::TCanFrame HostFrameOf(const TCanFrame& frame) {
  ::TCanFrame f;
  f.Ident = frame.id;
  f.Extended = frame.extended;
  f.Remote = frame.remote;
  f.Length = std::min<uint8_t>(frame.dlc, 8);
  f.Data = frame.data;
  return f;
}

TCanFrame BusFrameOf(const ::TCanFrame& frame) {
  TCanFrame f;
  f.id = frame.Ident;
  f.extended = frame.Extended;
  f.remote = frame.Remote;
  f.dlc = std::min<uint8_t>(frame.Length, 8);
  f.data = frame.Data;
  return f;
}

}  // namespace tamarikusb
