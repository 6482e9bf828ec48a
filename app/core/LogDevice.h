// The online log written straight to a port: "[COMn]" or "[LPTn]" instead of
// a file name.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct TLogDeviceName {
  bool Com = true;   // false: a parallel port
  char Number = '1';  // the character after "COM"/"LPT"
};

// Exactly six characters, "[COM" or "[LPT", one character, "]".
std::optional<TLogDeviceName> ParseLogDeviceName(std::string_view name);

// Where a device name leads; empty when nowhere. Tests put a
// pseudo-terminal behind it.
using TLogDevicePathMap = std::function<std::string(const TLogDeviceName&)>;

// "[COMn]" → /dev/ttyS(n-1), "[LPTn]" → /dev/lp(n-1), n from 1 to 9.
std::string DefaultLogDevicePath(const TLogDeviceName& device);

// Opens the device for reading and writing, non-blocking (writes wait in
// poll, never forever). A serial line is set to 9600 baud, no parity, 8 data
// bits, 1 stop bit, no flow control, raw output, with RTS and DTR raised.
// Returns the descriptor, or -1 with `error` set.
int OpenLogDevice(const std::string& path, bool serialLine, std::string& error);
