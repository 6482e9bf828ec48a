#include "InterfaceBoard.h"

#include <algorithm>
#include <memory>

namespace tamarikusb {

namespace {
constexpr uint16_t kUartBase = 0x4000, kUartEnd = 0x4010;
constexpr uint16_t kCanBase = 0x6000, kCanEnd = 0x6080;
constexpr uint16_t kOutA = 0x7F96, kPinsA = 0x7F99, kOeA = 0x7F9C, kOutB = 0x7F97, kOeB = 0x7F9D;
constexpr uint8_t kClock12 = 0x01, kLed = 0x02;
}  // namespace

class TInterfaceBoard::TExternalBus : public emu8051::TXdataBus {
 public:
  explicit TExternalBus(TInterfaceBoard& board) : board_(board) {}
  uint8_t XRead(uint16_t address) override {
    if (address >= kUartBase && address < kUartEnd)
      return board_.uarts_[(address >> 3) & 1].Read(address & 7, board_.core_->Cycles());
    if (address >= kCanBase && address < kCanEnd)
      return board_.sja_.Read(static_cast<uint8_t>(address - kCanBase), board_.core_->Cycles());
    return 0xFF;  // nothing else answers: open bus
  }
  void XWrite(uint16_t address, uint8_t value) override {
    if (address >= kUartBase && address < kUartEnd)
      board_.uarts_[(address >> 3) & 1].Write(address & 7, value, board_.core_->Cycles());
    else if (address >= kCanBase && address < kCanEnd)
      board_.sja_.Write(static_cast<uint8_t>(address - kCanBase), value, board_.core_->Cycles());
  }

 private:
  TInterfaceBoard& board_;
};

// Port A as the board uses it; the rest of the register block reads back
// what was written.
class TInterfaceBoard::TPortRegisters : public emu8051::TXdataBus {
 public:
  explicit TPortRegisters(TInterfaceBoard& board) : board_(board) {}
  uint8_t XRead(uint16_t address) override {
    uint8_t* x = board_.core_->Xdata();
    if (address == kPinsA) return static_cast<uint8_t>((x[kOutA] & x[kOeA]) | (0xFF & ~x[kOeA]));
    return x[address];
  }
  void XWrite(uint16_t address, uint8_t) override {
    const uint8_t* x = board_.core_->Xdata();
    if (address == kOutB || address == kOeB) board_.portB_ = static_cast<uint8_t>((x[kOutB] & x[kOeB]) | (0xFF & ~x[kOeB]));
    if (address != kOutA && address != kOeA) return;
    // An output not enabled floats high through the board's pull-ups.
    const uint8_t level = static_cast<uint8_t>((x[kOutA] & x[kOeA]) | (0xFF & ~x[kOeA]));
    board_.portA_ = level;
    const uint32_t crystal = (level & kClock12) ? 12'000'000 : 11'059'200;
    for (TUart16550& u : board_.uarts_) u.SetCrystal(crystal);
    board_.sja_.SetCrystal(crystal);
  }

 private:
  TInterfaceBoard& board_;
};

TInterfaceBoard::TInterfaceBoard(TEzUsbDevice& chip) : chip_(chip) {
  core_ = chip_.WithCore([](emu8051::TCore8051& core) { return &core; });
  external_ = std::make_unique<TExternalBus>(*this);
  registers_ = std::make_unique<TPortRegisters>(*this);
  chip_.AttachPeripherals(external_.get(), registers_.get());
  chip_.AttachClockedInputs(this);
}

TInterfaceBoard::~TInterfaceBoard() {
  chip_.AttachClockedInputs(nullptr);
  chip_.AttachPeripherals(nullptr, nullptr);
}

uint64_t TInterfaceBoard::Now() {
  return chip_.WithCore([](emu8051::TCore8051& core) { return core.Cycles(); });
}

uint64_t TInterfaceBoard::SendToInput(int input, uint64_t start, std::span<const uint8_t> bytes, uint32_t baud,
                                      std::span<const uint8_t> errors) {
  return chip_.WithCore([&](emu8051::TCore8051& core) {
    // A start the core has already passed (the caller was held up) is now:
    // bytes dated back would all arrive at once and overrun the FIFO.
    start = std::max(start, core.Cycles());
    TUart16550& u = uarts_[static_cast<size_t>(input - 1) & 1];
    const uint64_t frame = static_cast<uint64_t>(u.FrameBits()) * TUart16550::kCoreHz;
    uint64_t end = start;
    for (size_t i = 0; i < bytes.size(); ++i) {
      end = start + (i + 1) * frame / baud;
      u.Receive(end, bytes[i], i < errors.size() ? errors[i] : 0);
    }
    // The same line reaches the measuring multiplexer.
    AddCharacters(((input - 1) & 1) + 2, start, bytes, baud, u.LineControl());
    return end;
  });
}

void TInterfaceBoard::SetModemLines(int input, uint64_t at, bool cts, bool dsr, bool ri, bool dcd) {
  chip_.WithCore([&](emu8051::TCore8051&) { uarts_[static_cast<size_t>(input - 1) & 1].SetModemLines(at, cts, dsr, ri, dcd); });
}

std::vector<uint8_t> TInterfaceBoard::TakeTransmitted(int input) {
  return chip_.WithCore([&](emu8051::TCore8051& core) {
    return uarts_[static_cast<size_t>(input - 1) & 1].TakeTransmitted(core.Cycles());
  });
}

int TInterfaceBoard::BreaksSent(int input) {
  return chip_.WithCore([&](emu8051::TCore8051&) { return uarts_[static_cast<size_t>(input - 1) & 1].BreaksSent(); });
}

uint64_t TInterfaceBoard::Overruns(int input) {
  return chip_.WithCore([&](emu8051::TCore8051&) { return uarts_[static_cast<size_t>(input - 1) & 1].Overruns(); });
}

uint32_t TInterfaceBoard::InputBaud(int input) {
  return chip_.WithCore([&](emu8051::TCore8051&) { return uarts_[static_cast<size_t>(input - 1) & 1].Baud(); });
}

bool TInterfaceBoard::LedOn() {
  return chip_.WithCore([&](emu8051::TCore8051&) { return !(portA_ & kLed); });
}

void TInterfaceBoard::SetFrequency(int input, double hz) {
  chip_.WithCore([&](emu8051::TCore8051&) { frequency_[static_cast<size_t>(input) & 3] = hz; });
}

uint64_t TInterfaceBoard::SendToMeasuringInput(int input, uint64_t start, std::span<const uint8_t> bytes, uint32_t baud) {
  return chip_.WithCore([&](emu8051::TCore8051& core) {
    start = std::max(start, core.Cycles());
    const int i = input & 3;
    const uint8_t lcr = i >= 2 ? uarts_[static_cast<size_t>(i - 2)].LineControl() : 0x03;
    return AddCharacters(i, start, bytes, baud, lcr);
  });
}

uint64_t TInterfaceBoard::AddCharacters(int input, uint64_t start, std::span<const uint8_t> bytes, uint32_t baud,
                                        uint8_t lcr) {
  const int dataBits = 5 + (lcr & 3);
  const bool parity = lcr & 0x08, even = lcr & 0x10, stick = lcr & 0x20;
  const int stopBits = (lcr & 0x04) ? 2 : 1;
  auto& out = levels_[static_cast<size_t>(input) & 3];
  uint64_t bit = 0;
  auto at = [&](uint64_t n) { return start + n * TUart16550::kCoreHz / baud; };
  auto put = [&](bool high) {
    // Only changes are kept; a level equal to the last one adds nothing.
    const bool last = out.empty() ? true : out.back().high;
    if (high != last) out.push_back({at(bit), high});
    ++bit;
  };
  for (uint8_t b : bytes) {
    put(false);
    int ones = 0;
    for (int k = 0; k < dataBits; ++k) {
      const bool one = (b >> k) & 1;
      ones += one;
      put(one);
    }
    if (parity) put(stick ? !even : ((ones & 1) != 0) != even);
    for (int k = 0; k < stopBits; ++k) put(true);
  }
  return at(bit);
}

void TInterfaceBoard::RunCycles(uint64_t cycles) {
  chip_.WithCore([&](emu8051::TCore8051& core) { RunCore(core, core.Cycles() + cycles); });
}

void TInterfaceBoard::RunCore(emu8051::TCore8051& core, uint64_t until) {
  // Square waves are counted per slice of 100 us; level changes stop the
  // core at their own cycle.
  constexpr uint64_t kSlice = 600;
  while (core.Cycles() < until) {
    const uint64_t from = core.Cycles();
    uint64_t next = std::min(until, from + kSlice);
    for (const auto& l : levels_)
      if (!l.empty() && l.front().at > from) next = std::min(next, l.front().at);
    core.RunUntilCycle(next);
    const uint64_t now = core.Cycles();
    const size_t selected = portB_ & 3;
    uint32_t falling = 0;
    for (size_t i = 0; i < levels_.size(); ++i) {
      auto& l = levels_[i];
      while (!l.empty() && l.front().at <= now) {
        if (i == selected && high_[i] && !l.front().high) ++falling;
        high_[i] = l.front().high;
        l.pop_front();
      }
    }
    edgeRemainder_ += frequency_[selected] * static_cast<double>(now - from) / TUart16550::kCoreHz;
    const auto edges = static_cast<uint32_t>(edgeRemainder_);
    edgeRemainder_ -= edges;
    if (edges + falling) core.CountPulses(0, edges + falling);
    if (high_[selected] != pinHigh_) {
      pinHigh_ = high_[selected];
      core.SetIntPin(0, pinHigh_);
    }
  }
}

uint8_t TInterfaceBoard::PortA() {
  return chip_.WithCore([&](emu8051::TCore8051&) { return portA_; });
}

}  // namespace tamarikusb
