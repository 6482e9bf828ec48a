// Emulated interface boxes for the main program: chip and board together.
#include <memory>
#include <mutex>
#include <vector>

#include "InterfaceBoard.h"
#include "TamarikUsb.h"

namespace tamarikusb {

namespace {
// The board refers to its chip: the chip is declared first, so it outlives
// the board.
struct TBox {
  std::shared_ptr<TEzUsbDevice> chip;
  std::unique_ptr<TInterfaceBoard> board;
};
std::mutex boxesMutex;
std::vector<TBox> boxes;
}  // namespace

void AttachEmulatedBoxes(int count) {
  std::lock_guard lock(boxesMutex);
  for (int i = 0; i < count; ++i) {
    TBox box;
    box.chip = AttachEmulated(true, true, true);
    box.board = std::make_unique<TInterfaceBoard>(*box.chip);
    boxes.push_back(std::move(box));
  }
}

}  // namespace tamarikusb
