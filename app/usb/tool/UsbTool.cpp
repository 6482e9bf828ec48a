// tamarik-usb: talks to the USB interface through the access layer, with
// emulated interfaces behind the names when asked (--emu N).
//   tamarik-usb [--emu N] [--device NAME] version | read ADDR COUNT |
//               write ADDR BYTE | load FILE.bin | hold | run
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "EZUSB.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tamarik-usb [--emu N] [--device NAME] version | read ADDR COUNT | write ADDR BYTE |"
               " load FILE.bin | hold | run\n");
  return 2;
}

unsigned Number(const std::string& s) { return static_cast<unsigned>(std::strtoul(s.c_str(), nullptr, 0)); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  TEzUsb& usb = EzUsb();
  tamarikusb::AttachEmulatedFromEnvironment();
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; i += 2) {
    if (i + 1 >= args.size()) return Usage();
    if (args[i] == "--emu") {
      for (unsigned n = 0; n < Number(args[i + 1]); ++n) tamarikusb::AttachEmulated(true, true, true);
    } else if (args[i] == "--device") {
      usb.UsbDeviceName = args[i + 1];
      usb.UsbFixedName = true;
    } else {
      return Usage();
    }
  }
  if (i >= args.size()) return Usage();
  const std::string cmd = args[i];
  int rc = 0;
  if (cmd == "version") {
    uint16_t major = 0, minor = 0, build = 0;
    if (usb.UsbGetDriverVersion(major, minor, build))
      std::printf("%s: driver %u.%u.%u\n", usb.UsbDeviceName.c_str(), major, minor, build);
  } else if (cmd == "read" && i + 2 < args.size()) {
    const unsigned address = Number(args[i + 1]), count = Number(args[i + 2]);
    const int n = usb.UsbReadRamBlock(static_cast<uint16_t>(address), static_cast<int>(count));
    for (int k = 0; k < n; ++k) {
      if (k % 16 == 0) std::printf("%04X:", address + k);
      std::printf(" %02X%s", usb.UsbReadBuffer[k], k % 16 == 15 || k + 1 == n ? "\n" : "");
    }
  } else if (cmd == "write" && i + 2 < args.size()) {
    usb.UsbWriteRam(static_cast<uint16_t>(Number(args[i + 1])), static_cast<uint8_t>(Number(args[i + 2])));
  } else if (cmd == "load" && i + 1 < args.size()) {
    std::ifstream in(args[i + 1], std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "cannot read %s\n", args[i + 1].c_str());
      return 1;
    }
    if (image.size() > usb.UsbDownloadBuffer.size()) {
      std::fprintf(stderr, "%s is larger than the chip's 8192 bytes\n", args[i + 1].c_str());
      return 1;
    }
    std::copy(image.begin(), image.end(), usb.UsbDownloadBuffer.begin());
    usb.Hold8051();
    usb.UsbDownload(0, static_cast<int>(image.size()));
    usb.Run8051();
  } else if (cmd == "hold") {
    usb.Hold8051();
  } else if (cmd == "run") {
    usb.Run8051();
  } else {
    return Usage();
  }
  if (usb.UsbError) {
    std::fprintf(stderr, "USB device error (%s)\n", usb.UsbDeviceName.c_str());
    const tamarikusb::TLibusbScanResult scan = tamarikusb::ScanRealChips();
    if (!scan.message.empty()) std::fprintf(stderr, "%s\n", scan.message.c_str());
    rc = 1;
  }
  usb.UsbClose();
  tamarikusb::DetachAllEmulated();
  return rc;
}
