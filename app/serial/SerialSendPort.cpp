#include "serial/SerialSendPort.h"

#include "serial/Seriell.h"

std::string TSerialSendPort::Name() const { return port_.Port(); }

bool TSerialSendPort::Opened() const { return port_.Opened() && !port_.Lost(); }

bool TSerialSendPort::CanAddTxOut() const { return port_.CanAddTxOut(); }

void TSerialSendPort::AddTxOut(std::string_view bytes) { port_.AddTxOut(bytes); }

bool TSerialSendPort::TxDrained() {
  if (!port_.CanAddTxOut()) return false;
  // A closed port holds nothing any more.
  if (!Opened()) return true;
  bool pending = false;
  return port_.Device().OutputPending(pending) != 0 || !pending;
}

void TSerialSendPort::SetDirectionLine(int line) { port_.DirectionLine.store(line); }

void TSerialSendPort::SendBreak(const TSendWait& wait) { port_.SendBreak(wait); }
