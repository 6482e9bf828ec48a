// A serial port component as the send routine's output.
#pragma once

#include "core/SendData.h"

class TSeriell;

class TSerialSendPort final : public TSendPort {
 public:
  explicit TSerialSendPort(TSeriell& port) : port_(port) {}
  std::string Name() const override;
  bool Opened() const override;
  bool CanAddTxOut() const override;
  void AddTxOut(std::string_view bytes) override;
  bool TxDrained() override;
  void SetDirectionLine(int line) override;
  void SendBreak(const TSendWait& wait) override;

 private:
  TSeriell& port_;
};
