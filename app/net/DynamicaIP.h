// The addresses of active dial-up (point-to-point) connections, joined by
// "; ". Without any: text 1101; when the interfaces cannot be listed: 1100.
#pragma once

#include <string>

std::string DialUpAddresses();
