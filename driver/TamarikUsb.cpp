// The device objects, their names, handles and the entry points.
#include "TamarikUsb.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <vector>

#include "DeviceObject.h"
#include "device/EzUsbDevice.h"

namespace tamarikusb {

bool TDeviceObject::Acquire() {
  std::lock_guard l(lockMutex);
  if (removing) return false;
  ++pendingIo;
  return true;
}

void TDeviceObject::Release() {
  std::lock_guard l(lockMutex);
  if (--pendingIo == 0) removeEvent.notify_all();
}

void TDeviceObject::RemoveAndWait() {
  std::unique_lock l(lockMutex);
  removing = true;
  if (--pendingIo == 0) removeEvent.notify_all();
  removeEvent.wait(l, [&] { return pendingIo == 0; });
}

namespace {

constexpr int kMaxDevices = 8;

struct TRegistry {
  std::mutex mutex;
  std::vector<std::shared_ptr<TDeviceObject>> devices;
  std::map<THandle, std::shared_ptr<TDeviceObject>> handles;
  THandle nextHandle = 1;
  std::chrono::steady_clock::time_point lastScan{};
  std::string lastScanMessage;
};

TRegistry& Registry() {
  static TRegistry r;
  return r;
}

std::string Strip(const std::string& name) {
  const std::string prefix = "\\\\.\\";
  return name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name;
}

// The first digit whose name is free, as the driver names devices when they
// are added; empty when all eight are taken.
std::string FreeName(TRegistry& r, const std::string& base) {
  for (int n = 0; n < kMaxDevices; ++n) {
    const std::string name = base + std::to_string(n);
    bool taken = false;
    for (const auto& d : r.devices) taken = taken || d->linkName == name || d->aliasName == name;
    if (!taken) return name;
  }
  return {};
}

void AddDevice(TRegistry& r, std::shared_ptr<TDeviceObject> dev, bool emulated) {
  dev->linkName = FreeName(r, dev->target->Configured() ? "tamarik-" : "ezusb-");
  if (emulated) dev->aliasName = FreeName(r, "tamarik-emu-");
  if (!dev->linkName.empty()) r.devices.push_back(std::move(dev));
}

void ScanUsb(TRegistry& r) {
  const auto now = std::chrono::steady_clock::now();
  if (now - r.lastScan < std::chrono::milliseconds(500)) return;
  r.lastScan = now;
  std::vector<std::string> known;
  for (const auto& d : r.devices)
    if (!d->key.empty()) known.push_back(d->key);
  TLibusbScan scan = ScanLibusb(known);
  r.lastScanMessage = scan.message;
  for (size_t i = 0; i < scan.targets.size(); ++i) {
    auto dev = std::make_shared<TDeviceObject>();
    dev->target = std::move(scan.targets[i]);
    dev->key = scan.keys[i];
    AddDevice(r, std::move(dev), false);
  }
}

std::shared_ptr<TDeviceObject> Find(TRegistry& r, const std::string& name) {
  for (const auto& d : r.devices)
    if (d->linkName == name || d->aliasName == name) return d;
  return nullptr;
}

}  // namespace

THandle Open(const std::string& name) {
  TRegistry& r = Registry();
  std::lock_guard l(r.mutex);
  const std::string n = Strip(name);
  auto dev = Find(r, n);
  if (!dev && n.rfind("tamarik-emu-", 0) != 0) {
    ScanUsb(r);
    dev = Find(r, n);
  }
  if (!dev || !dev->started) return 0;
  {
    std::lock_guard dl(dev->lockMutex);
    if (dev->removing) return 0;
  }
  const THandle h = r.nextHandle++;
  r.handles[h] = dev;
  return h;
}

void Close(THandle handle) {
  TRegistry& r = Registry();
  std::lock_guard l(r.mutex);
  r.handles.erase(handle);
}

uint32_t Ioctl(THandle handle, uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
               size_t* information) {
  size_t info = 0;
  std::shared_ptr<TDeviceObject> dev;
  {
    TRegistry& r = Registry();
    std::lock_guard l(r.mutex);
    auto it = r.handles.find(handle);
    if (it != r.handles.end()) dev = it->second;
  }
  uint32_t status = stInvalidHandle;
  if (dev) {
    if (!dev->Acquire()) {
      status = stDeletePending;
    } else {
      status = Dispatch(*dev, code, static_cast<const uint8_t*>(in), in ? inLength : 0, static_cast<uint8_t*>(out),
                        out ? outLength : 0, info);
      dev->Release();
    }
  }
  if (information) *information = info;
  return status;
}

std::shared_ptr<TEzUsbDevice> AttachEmulated(bool configured, bool startCore, bool realTime, bool started) {
  auto chip = std::make_shared<TEzUsbDevice>(configured);
  if (startCore) chip->StartCore(realTime);
  auto dev = std::make_shared<TDeviceObject>();
  dev->emulated = chip;
  dev->target = MakeEmulatedTarget(chip);
  dev->started = started;
  TRegistry& r = Registry();
  std::lock_guard l(r.mutex);
  AddDevice(r, std::move(dev), true);
  return chip;
}

void StartEmulated(const std::shared_ptr<TEzUsbDevice>& device) {
  TRegistry& r = Registry();
  std::lock_guard l(r.mutex);
  for (const auto& d : r.devices)
    if (d->emulated == device) d->started = true;
}

void DetachEmulated(const std::shared_ptr<TEzUsbDevice>& device) {
  std::shared_ptr<TDeviceObject> dev;
  TRegistry& r = Registry();
  {
    std::lock_guard l(r.mutex);
    for (const auto& d : r.devices)
      if (d->emulated == device) dev = d;
    if (!dev) return;
  }
  device->Unplug();
  dev->RemoveAndWait();  // outside the registry lock: requests in progress finish first
  {
    std::lock_guard il(dev->isoMutex);
    dev->iso.reset();
  }
  std::lock_guard l(r.mutex);
  std::erase(r.devices, dev);
  std::erase_if(r.handles, [&](const auto& h) { return h.second == dev; });
}

void DetachAllEmulated() {
  std::vector<std::shared_ptr<TEzUsbDevice>> chips;
  {
    TRegistry& r = Registry();
    std::lock_guard l(r.mutex);
    for (const auto& d : r.devices)
      if (d->emulated) chips.push_back(d->emulated);
  }
  for (const auto& c : chips) DetachEmulated(c);
}

void AttachEmulatedFromEnvironment() {
  const char* v = std::getenv("TAMARIK_USB_EMU");
  const int n = v ? std::atoi(v) : 0;
  for (int i = 0; i < n && i < kMaxDevices; ++i) AttachEmulated(true, true, true);
}

TLibusbScanResult ScanRealChips() {
  TRegistry& r = Registry();
  std::lock_guard l(r.mutex);
  r.lastScan = {};
  ScanUsb(r);
  TLibusbScanResult result;
  for (const auto& d : r.devices) result.found += d->key.empty() ? 0 : 1;
  result.message = r.lastScanMessage;
  return result;
}

}  // namespace tamarikusb
