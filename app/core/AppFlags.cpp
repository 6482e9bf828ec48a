#include "core/AppFlags.h"

std::atomic<bool> AppClosing{false};
std::atomic<bool> SendAbort{false};
std::atomic<bool> DebugMode{false};
std::atomic<bool> ServiceMode{false};
std::atomic<bool> IniReadOnly{false};
std::atomic<bool> TcpOff{false};
std::atomic<bool> UsbError{false};
