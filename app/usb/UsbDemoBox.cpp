#include "UsbDemoBox.h"

#include <algorithm>

#include "EzUsbDevice.h"
#include "InterfaceBoard.h"
#include "TamarikUsb.h"
#include "serial/DemoSource.h"

TUsbDemoBox::TUsbDemoBox(int pauseMs) : pauseMs_(pauseMs) {}

TUsbDemoBox::~TUsbDemoBox() {
  StopConversation();
  board_.reset();
  if (chip_) tamarikusb::DetachEmulated(chip_);
}

std::string TUsbDemoBox::Attach() {
  chip_ = tamarikusb::AttachEmulated(true, true, true);
  board_ = std::make_unique<tamarikusb::TInterfaceBoard>(*chip_);
  std::string name;
  for (int n = 0; n < 8; ++n) {
    const std::string candidate = "\\\\.\\tamarik-emu-" + std::to_string(n);
    const tamarikusb::THandle h = tamarikusb::Open(candidate);
    if (!h) break;
    tamarikusb::Close(h);
    name = candidate;
  }
  return name;
}

TUsbStartRequest TUsbDemoBox::Request() {
  TUsbStartRequest request;
  request.WorkMode = 410;
  request.Input1.Baud = request.Input2.Baud = kBaud;
  return request;
}

void TUsbDemoBox::StartConversation() {
  source_ = std::make_unique<TDemoSource>([this](bool fromSps, const std::string& bytes) { Feed(fromSps, bytes); },
                                          pauseMs_);
  source_->Start();
}

void TUsbDemoBox::StopConversation() {
  if (source_) source_->Stop();
  source_.reset();
}

void TUsbDemoBox::Feed(bool fromSps, const std::string& bytes) {
  if (!board_) return;
  std::lock_guard lock(feedLock_);
  const int input = fromSps ? 2 : 1;
  // A little ahead of the core, and never over the telegram still going out.
  const uint64_t start = std::max(board_->Now() + 6000, feedEnd_[input - 1]);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  feedEnd_[input - 1] = board_->SendToInput(input, start, {data, bytes.size()}, kBaud);
}
