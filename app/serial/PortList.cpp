#include "serial/PortList.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

// "ttyS2" before "ttyS10".
bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t ie = i, je = j;
      while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
      while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
      const std::string na = a.substr(i, ie - i), nb = b.substr(j, je - j);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ie;
      j = je;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

// A UART slot without a chip behind it reports type 0 (unknown).
bool IsEmptyUartSlot(const fs::path& tty) {
  std::ifstream type(tty / "type");
  int value = -1;
  return type >> value && value == 0;
}

std::map<std::string, std::string> ByIdNames(const fs::path& dev) {
  std::map<std::string, std::string> byKernel;
  std::error_code ec;
  const fs::path dir = dev / "serial" / "by-id";
  std::vector<std::string> links;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) links.push_back(e.path().filename().string());
  std::sort(links.begin(), links.end());
  for (const std::string& link : links) {
    const fs::path target = fs::read_symlink(dir / link, ec);
    if (ec) continue;
    byKernel.emplace(target.filename().string(), "serial/by-id/" + link);
  }
  return byKernel;
}

}  // namespace

std::vector<TPortInfo> ListSerialPorts(const std::string& sysClassTty, const std::string& dev) {
  std::vector<TPortInfo> ports;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(sysClassTty, ec)) {
    if (!fs::exists(e.path() / "device", ec) || IsEmptyUartSlot(e.path())) continue;
    ports.push_back({e.path().filename().string(), {}});
  }
  std::sort(ports.begin(), ports.end(), [](const TPortInfo& a, const TPortInfo& b) { return NaturalLess(a.Kernel, b.Kernel); });
  const std::map<std::string, std::string> byId = ByIdNames(dev);
  for (TPortInfo& p : ports) {
    const auto found = byId.find(p.Kernel);
    if (found != byId.end()) p.ById = found->second;
  }
  return ports;
}

bool EnumeratePorts(std::vector<std::string>& list) {
  for (const TPortInfo& p : ListSerialPorts()) list.push_back(p.Name());
  return !list.empty();
}

std::string PortNameBelowDev(const std::string& name) {
  const std::string prefix = "/dev/";
  return name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : name;
}

bool PortPresent(const std::string& name, const std::string& dev) {
  const std::string below = PortNameBelowDev(name);
  if (below.empty() || below.find("..") != std::string::npos) return false;
  struct stat st {};
  return stat((dev + "/" + below).c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool AddPortIfPresent(std::vector<std::string>& list, std::string name, const std::string& dev) {
  name = PortNameBelowDev(name);
  if (name.empty() || name.find("..") != std::string::npos) return false;
  if (std::find(list.begin(), list.end(), name) != list.end()) return true;
  if (!PortPresent(name, dev)) return false;
  list.push_back(name);
  return true;
}
