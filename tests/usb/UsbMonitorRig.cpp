#include "UsbMonitorRig.h"

#include <thread>

#include "core/ErrorReport.h"

using namespace tamarikusb;

TUsbMonitorRig::TUsbMonitorRig() {
  chip = AttachEmulated(true, true, true);
  board = std::make_unique<TInterfaceBoard>(*chip);
  usb.UsbDeviceName = "\\\\.\\tamarik-emu-0";
  usb.UsbFixedName = true;
  monitor = std::make_unique<TUSBTamarik>(usb, ring);
  loader = std::make_unique<TFirmwareLoader>(usb, TUsbLoadUi{});
  SetErrorReporter([this](const std::string& location, const std::string& message) {
    std::lock_guard lock(reportLock_);
    reports_.push_back(location + ": " + message);
  });
}

TUsbMonitorRig::~TUsbMonitorRig() {
  monitor.reset();
  usb.UsbClose();
  board.reset();
  DetachAllEmulated();
  SetErrorReporter(nullptr);
}

TUsbStartResult TUsbMonitorRig::Start(int workMode, uint32_t baud) {
  TUsbStartRequest request;
  request.WorkMode = workMode;
  request.Input1.Baud = request.Input2.Baud = baud;
  return TUsbStart(usb, *monitor, *loader, {}).Run(request);
}

uint64_t TUsbMonitorRig::Feed(int input, const std::vector<uint8_t>& bytes, uint32_t baud) {
  // 2 ms ahead: the core thread must not have passed the first start bit.
  return board->SendToInput(input, board->Now() + 12000, bytes, baud);
}

void TUsbMonitorRig::TakeRecords() {
  int start = 0;
  while (const int n = ring.ReadyBatch(start)) {
    for (int i = 0; i < n; ++i) {
      const TSeriellData& r = ring.Slot(start + i);
      records.push_back(r);
      if (r.RecType == rtSeriell && r.Ready > 0 && r.Count > 0) (r.Dir == dirUSB1 ? input1 : input2).push_back(r.Data[0]);
    }
    ring.Release(n);
  }
}

bool TUsbMonitorRig::CollectBytes(size_t bytes, std::chrono::seconds deadline) {
  return WaitUntil([&] { return input1.size() + input2.size() >= bytes; }, deadline);
}

std::vector<std::string> TUsbMonitorRig::Reports() {
  std::lock_guard lock(reportLock_);
  return reports_;
}
