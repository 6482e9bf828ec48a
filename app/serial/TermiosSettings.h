// The line settings as a termios2 record. termios2 (free baud rates through
// BOTHER) clashes with <termios.h>: include this only where that is absent.
#pragma once

#include <asm/termbits.h>

#include "serial/PortDevice.h"

// Raw bytes with error marks on; every flag and control character is set
// anew, nothing of what t held before is kept.
void FillTermios(termios2& t, const TLineSettings& s);
