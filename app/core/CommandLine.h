// The program's switches. The slash forms are compared in full and without
// regard to case, except the service switch; Linux-style options sit beside
// them. The front end's own options (--headless, ports) are read elsewhere.
#pragma once

#include <string>
#include <vector>

struct TCommandLine {
  bool ErrLog = false;     // "/ERRLOG"
  bool DebugMode = false;  // "/DEBUGMODE"
  bool TcpOff = false;     // "/TCPOFF"
  bool ServiceMode = false;  // "/Quorvent", exactly so written
  bool ShowAbout = false;  // "/?", "?", "--help"
  bool ComOn = false;      // "/COMON": the automation object on the session bus
  std::vector<std::string> Parameters;  // everything given, for the error log's first line
  std::vector<std::string> Unknown;
};

TCommandLine ParseCommandLine(const std::vector<std::string>& args);
// "Startup Tamarik." and each parameter, separated by spaces.
std::string StartupLogLine(const TCommandLine& line);
