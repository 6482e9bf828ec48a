// The serial ports present on this machine, named as the Port property
// wants them: below /dev.
#pragma once

#include <string>
#include <vector>

struct TPortInfo {
  std::string Kernel;  // "ttyUSB0"
  std::string ById;    // "serial/by-id/usb-…-if00-port0", or empty
  // The name offered for choice: the stable by-id name where there is one.
  const std::string& Name() const { return ById.empty() ? Kernel : ById; }
};

// Real ports only: ttys with a device behind them, less the UART slots the
// kernel keeps for hardware that is not there (type 0). Sorted naturally.
std::vector<TPortInfo> ListSerialPorts(const std::string& sysClassTty = "/sys/class/tty",
                                       const std::string& dev = "/dev");

// Fills list with the names of the ports present; false when there is none.
bool EnumeratePorts(std::vector<std::string>& list);

// A stored or typed name that is not in the list but exists as a character
// device (a pseudo-terminal from socat, say) is added at the end. True when
// the name is in the list afterwards. "/dev/" in front is dropped.
bool AddPortIfPresent(std::vector<std::string>& list, std::string name, const std::string& dev = "/dev");

// The name (below dev) is a character device: the port is there.
bool PortPresent(const std::string& name, const std::string& dev = "/dev");

// "/dev/pts/3" → "pts/3"; other names unchanged.
std::string PortNameBelowDev(const std::string& name);
