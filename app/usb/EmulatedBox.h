// An emulated interface box for a demo: the chip with its board, attached
// behind the next free emulator name, and that name to open it by. Close
// the access layer's handle before the box goes.
#pragma once

#include <memory>
#include <string>

namespace tamarikusb {
class TEzUsbDevice;
class TInterfaceBoard;
}  // namespace tamarikusb

class TEmulatedBox {
 public:
  TEmulatedBox();
  ~TEmulatedBox();
  TEmulatedBox(const TEmulatedBox&) = delete;
  TEmulatedBox& operator=(const TEmulatedBox&) = delete;

  // "\\.\tamarik-emu-N"; empty when the box could not be opened.
  const std::string& Name() const { return name_; }
  tamarikusb::TEzUsbDevice& Chip() { return *chip_; }
  tamarikusb::TInterfaceBoard& Board() { return *board_; }

 private:
  std::shared_ptr<tamarikusb::TEzUsbDevice> chip_;
  std::unique_ptr<tamarikusb::TInterfaceBoard> board_;
  std::string name_;
};
