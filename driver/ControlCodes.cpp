// The control codes: each checks its lengths first, then talks to the chip.
#include <cstring>
#include <vector>

#include "DeviceObject.h"

namespace tamarikusb {

namespace {

constexpr uint16_t kChunk = 64;
constexpr uint16_t kBlock512 = 512;
constexpr uint32_t kUsbStall = 0xC0000004;  // the USB status kept for a failed transfer

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Dword(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
void PutWord(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutDword(uint8_t* p, uint32_t v) {
  PutWord(p, v);
  PutWord(p + 2, v >> 16);
}

struct TPipe {
  uint8_t endpoint, type, interval;
  uint16_t maxPacket;
};

// The pipes of the selected interface, from the configuration descriptor.
std::vector<TPipe> Pipes(TDeviceObject& dev) {
  std::vector<TPipe> pipes;
  const std::vector<uint8_t> c = dev.target->ConfigDescriptor();
  bool inInterface = false;
  for (size_t i = 0; i + 1 < c.size() && c[i] >= 2; i += c[i]) {
    if (c[i + 1] == 4 && i + 3 < c.size()) inInterface = c[i + 2] == dev.interfaceNumber && c[i + 3] == dev.alternateSetting;
    if (c[i + 1] == 5 && inInterface && i + 6 < c.size())
      pipes.push_back({c[i + 2], static_cast<uint8_t>(c[i + 3] & 3), c[i + 6], Word(&c[i + 4])});
  }
  return pipes;
}

bool Transfer(TDeviceObject& dev, uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint8_t* data,
              uint16_t length, size_t& done) {
  if (dev.target->Control(type, request, value, index, data, length, done)) return true;
  dev.lastUsbError = kUsbStall;
  return false;
}

// Memory-load and other vendor requests of the 10-byte record.
uint32_t VendorRequest(TDeviceObject& dev, const uint8_t* in, size_t inLength, uint8_t* out, size_t outLength,
                       size_t& information) {
  if (inLength != sizeof(TVendorRequestIn)) return stInvalidParameter;
  TVendorRequestIn r;
  std::memcpy(&r, in, sizeof r);
  size_t done = 0;
  if (r.direction == 1) {
    if (r.wLength > outLength) return stInvalidParameter;
    if (!Transfer(dev, 0xC0, r.bRequest, r.wValue, r.wIndex, out, r.wLength, done)) return stUnsuccessful;
    information = done;
    return stSuccess;
  }
  // A write of one byte carries bData; longer writes send the test pattern
  // 0, 1, 2, ...
  std::vector<uint8_t> data(r.wLength);
  if (r.wLength == 1)
    data[0] = r.bData;
  else
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  return Transfer(dev, 0x40, r.bRequest, r.wValue, r.wIndex, data.data(), r.wLength, done) ? stSuccess : stUnsuccessful;
}

uint32_t AnchorDownload(TDeviceObject& dev, const uint8_t* in, size_t inLength, uint8_t* out, size_t outLength) {
  if (inLength != 2 || outLength == 0 || outLength > 0xFFFF) return stInvalidParameter;
  const uint16_t start = Word(in);
  for (size_t off = 0; off < outLength; off += kChunk) {
    const uint16_t n = static_cast<uint16_t>(std::min<size_t>(kChunk, outLength - off));
    size_t done = 0;
    if (!Transfer(dev, 0x40, 0xA0, static_cast<uint16_t>(start + off), 0, out + off, n, done))
      return stUnsuccessful;
  }
  return stSuccess;
}

uint32_t PipeInfo(TDeviceObject& dev, uint8_t* out, size_t outLength, size_t& information) {
  const std::vector<TPipe> pipes = Pipes(dev);
  const size_t length = 16 + 20 * pipes.size();
  if (outLength < length) return stInvalidParameter;
  std::memset(out, 0, length);
  PutWord(out, static_cast<uint32_t>(length));
  out[2] = dev.interfaceNumber;
  out[3] = dev.alternateSetting;
  out[4] = out[5] = out[6] = 0xFF;
  PutDword(out + 8, 1);  // interface handle
  PutDword(out + 12, static_cast<uint32_t>(pipes.size()));
  for (size_t i = 0; i < pipes.size(); ++i) {
    uint8_t* p = out + 16 + 20 * i;
    PutWord(p, pipes[i].maxPacket);
    p[2] = pipes[i].endpoint;
    p[3] = pipes[i].interval;
    PutDword(p + 4, pipes[i].type);
    PutDword(p + 8, static_cast<uint32_t>(i + 1));  // pipe handle
    PutDword(p + 12, 0xFFFF);                        // maximum transfer size
  }
  information = length;
  return stSuccess;
}

// Bulk or interrupt transfer on a pipe of the selected interface; a read
// needs an IN pipe, a write an OUT pipe. Both carry their data in the
// output buffer.
uint32_t ReadWrite(TDeviceObject& dev, bool read, const uint8_t* in, size_t inLength, uint8_t* out, size_t outLength,
                   size_t& information) {
  if (inLength < 4) return stInvalidParameter;
  const std::vector<TPipe> pipes = Pipes(dev);
  const uint32_t pipe = Dword(in);
  if (pipe >= pipes.size() || (pipes[pipe].type != 2 && pipes[pipe].type != 3) || outLength > 0xFFFF)
    return stInvalidParameter;
  if (read != bool(pipes[pipe].endpoint & 0x80)) return stInvalidParameter;
  size_t done = 0;
  const uint8_t endpoint = pipes[pipe].endpoint;
  const bool ok = pipes[pipe].type == 3 ? dev.target->Interrupt(endpoint, out, outLength, done)
                                        : dev.target->Bulk(endpoint, out, outLength, done);
  if (!ok) {
    dev.lastUsbError = kUsbStall;
    return stUnsuccessful;
  }
  information = done;
  return stSuccess;
}

uint32_t CopyOut(const std::vector<uint8_t>& d, uint8_t* out, size_t outLength, size_t& information) {
  information = std::min(d.size(), outLength);
  if (information) std::memcpy(out, d.data(), information);
  return d.empty() ? stUnsuccessful : stSuccess;
}

}  // namespace

uint32_t Dispatch(TDeviceObject& dev, uint32_t code, const uint8_t* in, size_t inLength, uint8_t* out,
                  size_t outLength, size_t& information) {
  information = 0;
  switch (code) {
    case ioVendorRequest: return VendorRequest(dev, in, inLength, out, outLength, information);
    case ioAnchorDownload: return AnchorDownload(dev, in, inLength, out, outLength);
    case ioGetDriverVersion: {
      if (outLength < sizeof(TDriverVersion)) return stUnsuccessful;
      std::memcpy(out, &kDriverVersion, sizeof kDriverVersion);
      information = sizeof kDriverVersion;
      return stSuccess;
    }
    case ioGetPipeInfo: return PipeInfo(dev, out, outLength, information);
    case ioGetDeviceDescriptor: {
      const std::vector<uint8_t> d = dev.target->DeviceDescriptor();
      if (outLength < 18 || d.size() != 18) return stUnsuccessful;
      return CopyOut(d, out, outLength, information);
    }
    case ioGetConfigDescriptor: return CopyOut(dev.target->ConfigDescriptor(), out, outLength, information);
    case ioNoOperation: return stSuccess;
    case ioBlockWrite512: {
      // Whole blocks only; a shorter remainder is not written.
      std::vector<uint8_t> block(kBlock512);
      for (size_t off = 0; off + kBlock512 <= inLength; off += kBlock512) {
        std::memcpy(block.data(), in + off, kBlock512);
        size_t done = 0;
        if (!Transfer(dev, 0x40, 0xA0, static_cast<uint16_t>(off), 0, block.data(), kBlock512, done))
          return stUnsuccessful;
      }
      return stSuccess;
    }
    case ioResetParentPort: return dev.target->ResetPort() ? stSuccess : stUnsuccessful;
    case ioResetPipe:
    case ioAbortPipe:
      if (inLength < 4 || Dword(in) >= Pipes(dev).size()) return stInvalidParameter;
      return stSuccess;
    case ioSetInterface:
      if (inLength < 2) return stInvalidParameter;
      if (in[0] != 0 || in[1] != 0) return stInvalidParameter;  // the chip has one interface setting
      dev.interfaceNumber = in[0];
      dev.alternateSetting = in[1];
      return stSuccess;
    case ioGetStringDescriptor:
      if (inLength < 4 || outLength == 0) return stInvalidParameter;
      return CopyOut(dev.target->StringDescriptor(in[0], Word(in + 2)), out, outLength, information);
    case ioBulkRead: return ReadWrite(dev, true, in, inLength, out, outLength, information);
    case ioBulkWrite: return ReadWrite(dev, false, in, inLength, out, outLength, information);
    case ioGetFrameNumber:
      if (outLength < 4) return stUnsuccessful;
      PutDword(out, dev.target->FrameNumber());
      information = 4;
      return stSuccess;
    case ioVendorRequest2: {
      // direction, type (0 vendor, 1 class), recipient, reserved bits,
      // request, padding, value, index; the data is the output buffer.
      if (inLength != 10 || outLength > 0xFFFF) return stInvalidParameter;
      const uint8_t type = static_cast<uint8_t>((in[0] ? 0x80 : 0) | ((in[1] ? 1 : 2) << 5) | (in[2] & 0x1F));
      size_t done = 0;
      if (!Transfer(dev, type, in[4], Word(in + 6), Word(in + 8), out, static_cast<uint16_t>(outLength), done))
        return stUnsuccessful;
      information = done;
      return stSuccess;
    }
    case ioGetLastError:
      if (outLength < 4) return stUnsuccessful;
      PutDword(out, dev.lastUsbError);
      information = 4;
      return stSuccess;
    case ioIsoRead: {
      if (inLength < 4) return stInvalidParameter;
      const std::vector<TPipe> pipes = Pipes(dev);
      const uint32_t pipe = Dword(in);
      if (pipe >= pipes.size() || pipes[pipe].type != 1 || !(pipes[pipe].endpoint & 0x80)) return stInvalidParameter;
      for (size_t off = 0; off < outLength; off += pipes[pipe].maxPacket) {
        size_t got = 0;
        if (!dev.target->IsoIn(pipes[pipe].endpoint, out + off, std::min<size_t>(pipes[pipe].maxPacket, outLength - off), got))
          return stUnsuccessful;
        information += got;
      }
      return stSuccess;
    }
    case ioIsoWrite: return stInvalidParameter;  // the interface has no isochronous OUT pipe
    case ioStartIsoStream: {
      if (inLength < sizeof(TIsoStreamRequest)) return stInvalidParameter;
      TIsoStreamRequest r;
      std::memcpy(&r, in, sizeof r);
      const std::vector<TPipe> pipes = Pipes(dev);
      if (r.pipe >= pipes.size() || pipes[r.pipe].type != 1 || r.packetSize == 0 || r.packetSize > 1023 ||
          r.ringPackets == 0 || r.ringPackets > 16384)
        return stInvalidParameter;
      std::lock_guard l(dev.isoMutex);
      dev.iso.reset();
      dev.iso = std::make_unique<TIsoStream>(*dev.target, pipes[r.pipe].endpoint, r);
      return stSuccess;
    }
    case ioStopIsoStream: {
      std::lock_guard l(dev.isoMutex);
      dev.iso.reset();
      return stSuccess;
    }
    case ioReadIsoBuffer: {
      if (inLength < 20) return stInvalidParameter;
      const uint32_t size = Dword(in + 4), count = Dword(in + 8);
      if (size == 0 || size > 1023 || count > 16384 || outLength < size_t(count) * (size + 12)) return stInvalidParameter;
      std::lock_guard l(dev.isoMutex);
      if (!dev.iso) return stUnsuccessful;
      information = dev.iso->Read(size, count, out);
      return stSuccess;
    }
    case ioSetFeature: {
      if (inLength < 4) return stInvalidParameter;
      size_t done = 0;
      return Transfer(dev, 0x00, 3, Word(in), Word(in + 2), nullptr, 0, done) ? stSuccess : stUnsuccessful;
    }
    default: return stInvalidParameter;
  }
}

}  // namespace tamarikusb
