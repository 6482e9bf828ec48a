// The program's command line: the terminal front end's options, and until
// the interface page exists, the operating mode and the two ports.
#pragma once

#include <string>
#include <vector>

#include "headless/HeadlessApp.h"

struct THeadlessCommandLine {
  bool Headless = false;
  bool Help = false;     // "--help"/"-h": print the options and end
  bool Version = false;  // "--version": print the version and end
  bool Desktop = false;  // "--desktop": started from the menu, settings in the user's folder
  bool DemoAsked = false;  // "--demo" given
  int UsbEmu = 0;          // "--usb-emu [N]": emulated interfaces behind the device names (1 to 8)
  THeadlessOptions Options;
  std::string Error;  // not empty: the command line was not understood
};

THeadlessCommandLine ParseHeadlessCommandLine(const std::vector<std::string>& args, bool hasDisplay);

const char* HeadlessUsage();
