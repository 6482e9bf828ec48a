#include "S51Runner.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string Hex(unsigned v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%x", v);
  return b;
}

// A dump line: address and sixteen bytes.
bool ParseDumpLine(const std::string& line, unsigned& address, std::array<uint8_t, 16>& bytes) {
  std::istringstream in(line);
  std::string a;
  if (!(in >> a) || a.rfind("0x", 0) != 0) return false;
  address = static_cast<unsigned>(std::stoul(a, nullptr, 16));
  for (auto& b : bytes) {
    std::string t;
    if (!(in >> t) || t.size() != 2 || !isxdigit(t[0]) || !isxdigit(t[1])) return false;
    b = static_cast<uint8_t>(std::stoul(t, nullptr, 16));
  }
  return true;
}

}  // namespace

std::vector<TSimSnapshot> RunS51(const std::string& simulator, const std::string& ihx,
                                 const std::vector<uint32_t>& steps, uint16_t xramEnd) {
  char tmpl[] = "/tmp/tamarik-s51-XXXXXX";
  const int fd = mkstemp(tmpl);
  if (fd < 0) throw std::runtime_error("no temporary file");
  close(fd);
  {
    std::ofstream cmd(tmpl);
    cmd << "file \"" << ihx << "\"\nfill iram 0 0xff 0\nfill xram 0 0xffff 0\n";
    // The simulator writes slowly, so external RAM is asked for once, at the end.
    for (uint32_t n : steps) cmd << "step " << n << "\ndump /h iram 0 0xff 16\ndump /h sfr 0x80 0xff 16\n";
    cmd << "dump /h xram 0 " << Hex(xramEnd) << " 16\n";
    cmd << "quit\n";
  }
  const std::string command = simulator + " -t 8052 -b -C " + tmpl + " < /dev/null 2>&1";
  FILE* p = popen(command.c_str(), "r");
  if (!p) throw std::runtime_error("cannot start " + simulator);
  std::vector<std::string> lines;
  char buf[4096];
  while (std::fgets(buf, sizeof buf, p)) lines.emplace_back(buf);
  pclose(p);
  unlink(tmpl);

  std::vector<TSimSnapshot> out;
  const unsigned xramLines = (xramEnd + 1u + 15u) / 16u;
  const unsigned perSnapshot = 16 + 8;
  std::vector<std::pair<unsigned, std::array<uint8_t, 16>>> dumps;
  for (const std::string& l : lines) {
    // "Stop at 0x00014f: (109) stepped 24 ticks"
    const size_t at = l.find("Stop at 0x"), stepped = l.find("stepped ");
    if (at != std::string::npos && stepped != std::string::npos) {
      TSimSnapshot s;
      s.pc = static_cast<uint16_t>(std::stoul(l.substr(at + 10), nullptr, 16));
      s.ticks = std::stoull(l.substr(stepped + 8));
      out.push_back(std::move(s));
      continue;
    }
    unsigned a;
    std::array<uint8_t, 16> b;
    if (ParseDumpLine(l, a, b)) dumps.emplace_back(a, b);
  }
  if (out.size() != steps.size() || dumps.size() != perSnapshot * steps.size() + xramLines)
    throw std::runtime_error("unexpected simulator output (" + std::to_string(out.size()) + " stops, " +
                             std::to_string(dumps.size()) + " dump lines)");
  for (size_t i = 0; i < out.size(); ++i) {
    const auto* d = &dumps[i * perSnapshot];
    for (int l = 0; l < 16; ++l) std::copy(d[l].second.begin(), d[l].second.end(), out[i].iram.begin() + 16 * l);
    for (int l = 0; l < 8; ++l) std::copy(d[16 + l].second.begin(), d[16 + l].second.end(), out[i].sfr.begin() + 16 * l);
  }
  const auto* x = &dumps[perSnapshot * steps.size()];
  out.back().xram.resize(xramEnd + 1u);
  for (unsigned l = 0; l < xramLines; ++l)
    for (unsigned k = 0; k < 16 && 16 * l + k <= xramEnd; ++k) out.back().xram[16 * l + k] = x[l].second[k];
  return out;
}

void LoadIhx(const std::string& path, uint8_t* code) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 11 || line[0] != ':') continue;
    auto byte = [&](size_t i) { return static_cast<unsigned>(std::stoul(line.substr(1 + 2 * i, 2), nullptr, 16)); };
    const unsigned n = byte(0), addr = (byte(1) << 8) | byte(2), type = byte(3);
    if (type == 1) break;
    if (type != 0) continue;
    for (unsigned i = 0; i < n; ++i) code[(addr + i) & 0xFFFF] = static_cast<uint8_t>(byte(4 + i));
  }
}
