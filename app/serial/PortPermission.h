// What to tell a user who may not open a serial device: the group that owns
// it (dialout on Debian) and how to join it.
#pragma once

#include <string>

// The hint for a device that refused to open for lack of permission; the
// group is read from the device, "dialout" when it cannot be.
std::string PortPermissionHint(const std::string& devicePath);
