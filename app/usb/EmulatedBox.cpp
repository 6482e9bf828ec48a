#include "EmulatedBox.h"

#include "EzUsbDevice.h"
#include "InterfaceBoard.h"
#include "TamarikUsb.h"

TEmulatedBox::TEmulatedBox() {
  chip_ = tamarikusb::AttachEmulated(true, true, true);
  board_ = std::make_unique<tamarikusb::TInterfaceBoard>(*chip_);
  // Ours is the last emulated box attached (others may come from the
  // environment): the highest number that opens.
  for (int n = 0; n < 8; ++n) {
    const std::string candidate = "\\\\.\\tamarik-emu-" + std::to_string(n);
    const tamarikusb::THandle h = tamarikusb::Open(candidate);
    if (!h) break;
    tamarikusb::Close(h);
    name_ = candidate;
  }
}

TEmulatedBox::~TEmulatedBox() {
  board_.reset();
  tamarikusb::DetachEmulated(chip_);
}
