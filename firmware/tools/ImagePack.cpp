// Turns the linked firmware images (Intel-HEX from sdld) into one C++ source
// with a byte array per image, so that the program carries them inside.
// Gaps are filled with 0xFF, as an erased or untouched memory reads on the
// host side (the readiness byte 0x100 starts as 0xFF). An image that is
// empty, reaches past the chip's 8 KB of RAM or puts code into the areas
// the host writes fails the build instead of producing a broken image.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kRamSize = 0x2000;
// The vectors end before 0x60; from there up to 0x0EFF lie the mailbox, the
// record buffers and the page buffer, which the host owns or shares.
constexpr size_t kSharedFrom = 0x60, kSharedTo = 0x0F00;

[[noreturn]] void Fail(const std::string& text) {
  std::cerr << "firmware_pack: " << text << "\n";
  std::exit(1);
}

int Hex(const std::string& s, size_t pos, size_t n, const std::string& where) {
  if (pos + n > s.size()) Fail(where + ": line too short");
  int v = 0;
  for (size_t i = 0; i < n; ++i) {
    const char c = s[pos + i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else Fail(where + ": bad hex digit");
    v = v * 16 + d;
  }
  return v;
}

// Reads an Intel-HEX file into `image` (filled with 0xFF); returns the
// length up to the highest byte written.
size_t ReadImage(const std::string& path, std::vector<uint8_t>& image, bool allowShared) {
  std::ifstream in(path);
  if (!in) Fail("cannot open " + path);
  image.assign(0x10000, 0xFF);
  size_t top = 0;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::string where = path + ":" + std::to_string(number);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) continue;
    if (line[0] != ':') Fail(where + ": no record");
    const int count = Hex(line, 1, 2, where), address = Hex(line, 3, 4, where), type = Hex(line, 7, 2, where);
    int sum = count + (address >> 8) + (address & 0xFF) + type;
    for (int i = 0; i <= count; ++i) sum += Hex(line, 9 + 2 * i, 2, where);
    if (sum & 0xFF) Fail(where + ": checksum");
    if (type == 1) break;
    if (type != 0) Fail(where + ": record type " + std::to_string(type));
    for (int i = 0; i < count; ++i) {
      const size_t a = static_cast<size_t>(address + i);
      if (a >= kRamSize) Fail(where + ": byte at 0x" + std::to_string(a) + " lies outside the 8 KB RAM");
      if (!allowShared && a >= kSharedFrom && a < kSharedTo) Fail(where + ": code in the host's shared area");
      image[a] = static_cast<uint8_t>(Hex(line, 9 + 2 * i, 2, where));
      if (a + 1 > top) top = a + 1;
    }
  }
  if (top == 0) Fail(path + ": empty image");
  return top;
}

// The chip's EEPROM boot format: 0xB2, vendor, product, release (low byte
// first), then records of length (high first, bit 15 on the last), address
// (high first) and data. One record per contiguous run of written bytes,
// a last record releasing the core through CPUCS.
std::vector<uint8_t> BootFormat(const std::vector<uint8_t>& image, const std::vector<bool>& used,
                                int vid, int pid, int release) {
  std::vector<uint8_t> out = {0xB2, uint8_t(vid), uint8_t(vid >> 8), uint8_t(pid), uint8_t(pid >> 8),
                              uint8_t(release), uint8_t(release >> 8)};
  for (size_t a = 0; a < kRamSize;) {
    if (!used[a]) {
      ++a;
      continue;
    }
    size_t end = a;
    while (end < kRamSize && used[end] && end - a < 1023) ++end;
    const size_t n = end - a;
    out.insert(out.end(), {uint8_t(n >> 8), uint8_t(n), uint8_t(a >> 8), uint8_t(a)});
    out.insert(out.end(), image.begin() + static_cast<long>(a), image.begin() + static_cast<long>(end));
    a = end;
  }
  out.insert(out.end(), {0x80, 0x01, 0x7F, 0x92, 0x00});
  return out;
}

std::vector<bool> UsedBytes(const std::string& path) {
  // A second pass that only marks which addresses the file writes.
  std::vector<bool> used(kRamSize, false);
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 11 || line[0] != ':') continue;
    const int count = Hex(line, 1, 2, path), address = Hex(line, 3, 4, path), type = Hex(line, 7, 2, path);
    if (type != 0) continue;
    for (int i = 0; i < count; ++i) used[static_cast<size_t>(address + i) % kRamSize] = true;
  }
  return used;
}

}  // namespace

// firmware_pack OUT.cpp NAME=FILE.ihx ... [boot:NAME=FILE.ihx:VID:PID]
int main(int argc, char** argv) {
  if (argc < 3) Fail("usage: firmware_pack OUT.cpp NAME=FILE.ihx ...");
  std::ostringstream body, table;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    const bool boot = arg.rfind("boot:", 0) == 0;
    if (boot) arg = arg.substr(5);
    const size_t eq = arg.find('=');
    if (eq == std::string::npos) Fail("bad argument " + arg);
    const std::string name = arg.substr(0, eq);
    std::string path = arg.substr(eq + 1);
    int vid = 0, pid = 0;
    if (boot) {
      const size_t c1 = path.find(':');
      const size_t c2 = path.find(':', c1 + 1);
      if (c1 == std::string::npos || c2 == std::string::npos) Fail("boot image needs :VID:PID");
      vid = std::stoi(path.substr(c1 + 1, c2 - c1 - 1), nullptr, 16);
      pid = std::stoi(path.substr(c2 + 1), nullptr, 16);
      path = path.substr(0, c1);
    }
    std::vector<uint8_t> image;
    size_t size = ReadImage(path, image, boot);
    if (boot) {
      image = BootFormat(image, UsedBytes(path), vid, pid, 0x0001);
      size = image.size();
    }
    body << "const uint8_t k" << name << "[" << size << "] = {";
    for (size_t b = 0; b < size; ++b) body << (b % 24 ? "" : "\n ") << " " << int(image[b]) << ",";
    body << "\n};\n";
    table << "    {\"" << name << "\", k" << name << ", " << size << "},\n";
  }
  std::ofstream out(argv[1]);
  out << "// Generated by firmware_pack from the images built with sdcc. Do not edit.\n"
         "#include \"FirmwareImages.h\"\n\nnamespace {\n"
      << body.str() << "\nstruct TEntry {\n  const char* name;\n  const uint8_t* data;\n  size_t size;\n};\n"
      << "const TEntry kImages[] = {\n" << table.str() << "};\n}  // namespace\n\n"
      << "std::span<const uint8_t> FirmwareImage(std::string_view name) {\n"
         "  for (const TEntry& e : kImages)\n"
         "    if (name == e.name) return {e.data, e.size};\n"
         "  return {};\n}\n";
  return out ? 0 : 1;
}
