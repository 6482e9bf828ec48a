// An emulated CAN bus around the board's controller: other nodes put frames
// and error frames on it at chosen core cycles, and whoever wants to see the
// traffic (tests, the CAN demo, an emulated boot-loader node) registers an
// observer. The bus is the medium only; the controller attached to it keeps
// the bus time and decides arbitration, acknowledge and errors as it runs.
//
// Thread use: Put/PutErrorFrame/observer registration from any thread (the
// bus has its own lock). Observers are called on the emulator's core thread
// with the chip's lock held and without the bus lock: they may put frames,
// but must not call into the chip.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace tamarikusb {

struct TCanFrame {
  uint32_t id = 0;  // 11 or 29 bits
  bool extended = false;
  bool remote = false;
  uint8_t dlc = 0;  // 0..8 (a remote frame's requested length)
  std::array<uint8_t, 8> data{};

  bool operator==(const TCanFrame&) const = default;
};

// Node numbers: 0 is the board's controller, others are the bus's nodes.
constexpr int kControllerNode = 0;

class TCanFrameObserver {
 public:
  virtual ~TCanFrameObserver() = default;
  // A frame completed on the bus at core cycle `end`, sent by `node`.
  virtual void FrameOnBus(const TCanFrame& frame, int node, uint64_t end) = 0;
};

// Error code capture values (the controller's ECC layout: bits 7-6 the kind,
// bit 5 set while receiving, bits 4-0 the segment).
constexpr uint8_t kEccStuffInDataRx = 0x80 | 0x20 | 10;
constexpr uint8_t kEccAckSlotTx = 0xC0 | 25;
constexpr uint8_t kEccBitErrorInIdTx = 0x00 | 2;

class TCanBus {
 public:
  struct TQueued {
    uint64_t at;  // requested start (core cycle)
    TCanFrame frame;
    int node;
    bool error;   // an error frame instead of `frame`
    uint8_t ecc;  // what the controller captures for it
    uint64_t serial = 0;
  };
  struct TSeen {
    TCanFrame frame;
    int node;
    uint64_t end;
  };

  // A node's frame, to start at `at` or as soon after as the bus is free and
  // arbitration lets it.
  void Put(uint64_t at, const TCanFrame& frame, int node = 1);
  // A node signals an error at `at`: the controller sees a bus error with
  // the given capture code while it receives.
  void PutErrorFrame(uint64_t at, uint8_t ecc = kEccStuffInDataRx);
  // Whether any node acknowledges the controller's frames (true: a working
  // bus with others on it).
  void SetAcknowledge(bool ack);
  bool Acknowledge();
  // The controller's next `count` transmissions meet an error with `ecc`.
  void FailTransmissions(int count, uint8_t ecc = kEccBitErrorInIdTx);

  void AddObserver(TCanFrameObserver* observer);
  void RemoveObserver(TCanFrameObserver* observer);
  // Every frame completed since the last call, in bus order.
  std::vector<TSeen> TakeSeen();

  // --- the controller's side ---
  // The entry that goes next once the bus is free at `busFree`: among those
  // due by then (or the earliest, if none is), an error frame first, else
  // the arbitration winner. False when nothing is queued.
  bool Peek(uint64_t busFree, TQueued& out);
  void Pop(uint64_t serial);
  bool TakeTransmitFailure(uint8_t& ecc);
  // Reports a completed frame to the log and the observers.
  void Completed(const TCanFrame& frame, int node, uint64_t end);

 private:
  std::mutex mutex_;
  std::deque<TQueued> queue_;  // sorted by start
  uint64_t nextSerial_ = 1;
  std::vector<TCanFrameObserver*> observers_;
  std::vector<TSeen> seen_;
  bool ack_ = true;
  int failures_ = 0;
  uint8_t failureEcc_ = 0;
};

// Arbitration field of a frame as the bus carries it, bit by bit from the
// first identifier bit (1 = recessive); `length` bits are valid (13 for a
// standard frame up to IDE, 32 for an extended one up to RTR).
struct TArbitrationBits {
  std::array<uint8_t, 32> bits{};
  int length = 0;
};
TArbitrationBits ArbitrationBits(const TCanFrame& frame);
// Which of two frames wins arbitration: <0 when `a`, >0 when `b`, 0 when
// they are the same on the bus. `lostBit` gets the bit at which the loser
// dropped out.
int Arbitrate(const TCanFrame& a, const TCanFrame& b, int& lostBit);
// Bits the frame occupies on the bus, without stuff bits, with intermission.
int FrameBits(const TCanFrame& frame);

}  // namespace tamarikusb
