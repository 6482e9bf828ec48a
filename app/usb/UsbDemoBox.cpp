#include "UsbDemoBox.h"

#include <algorithm>

#include "EmulatedBox.h"
#include "InterfaceBoard.h"
#include "serial/DemoSource.h"

TUsbDemoBox::TUsbDemoBox(int pauseMs) : pauseMs_(pauseMs) {}

TUsbDemoBox::~TUsbDemoBox() { StopConversation(); }

std::string TUsbDemoBox::Attach() {
  box_ = std::make_unique<TEmulatedBox>();
  return box_->Name();
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
  if (!box_) return;
  std::lock_guard lock(feedLock_);
  const int input = fromSps ? 2 : 1;
  // A little ahead of the core, and never over the telegram still going out.
  const uint64_t start = std::max(box_->Board().Now() + 6000, feedEnd_[input - 1]);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  feedEnd_[input - 1] = box_->Board().SendToInput(input, start, {data, bytes.size()}, kBaud);
}
