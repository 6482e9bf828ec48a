#include "IoctlFuzz.h"

#include <cstring>
#include <vector>

#include "EzUsbDevice.h"
#include "TamarikUsb.h"

using namespace tamarikusb;

namespace {

constexpr uint32_t kCodes[] = {ioGetPipeInfo, ioGetDeviceDescriptor, ioGetConfigDescriptor, ioVendorRequest,
                               ioNoOperation, ioBlockWrite512, ioResetParentPort, ioResetPipe, ioAbortPipe,
                               ioSetInterface, ioGetStringDescriptor, ioBulkRead, ioBulkWrite, ioGetFrameNumber,
                               ioVendorRequest2, ioGetLastError, ioIsoRead, ioIsoWrite, ioAnchorDownload,
                               ioGetDriverVersion, ioStartIsoStream, ioStopIsoStream, ioReadIsoBuffer, ioSetFeature};

THandle Device() {
  static THandle h = [] {
    AttachEmulated(true, false);
    return Open("tamarik-emu-0");
  }();
  return h;
}

}  // namespace

// Layout: code selector (1 byte; beyond the table: the next four bytes are
// the code), output length (2 bytes, up to 9000), then the input record.
void FuzzIoctl(const uint8_t* data, size_t size) {
  if (size < 3) return;
  size_t pos = 0;
  uint32_t code = 0;
  const uint8_t sel = data[pos++];
  if (sel < std::size(kCodes)) {
    code = kCodes[sel];
  } else {
    if (size < pos + 4) return;
    std::memcpy(&code, data + pos, 4);
    pos += 4;
  }
  if (size < pos + 2) return;
  const size_t outLength = (data[pos] | (data[pos + 1] << 8)) % 9001;
  pos += 2;
  std::vector<uint8_t> in(data + pos, data + size);
  // Exactly as long as asked, so that the sanitizers see any overrun.
  std::vector<uint8_t> out(outLength);
  size_t info = 0;
  Ioctl(Device(), code, in.empty() ? nullptr : in.data(), in.size(), out.empty() ? nullptr : out.data(), out.size(),
        &info);
  if (info > outLength && code != ioAnchorDownload) __builtin_trap();  // never more than the buffer
}
