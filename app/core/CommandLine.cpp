#include "core/CommandLine.h"

#include <strings.h>

namespace {
bool Same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }
}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    line.Parameters.push_back(arg);
    if (Same(arg, "/ERRLOG") || arg == "--errlog") line.ErrLog = true;
    else if (Same(arg, "/DEBUGMODE") || arg == "--debug-mode") line.DebugMode = true;
    else if (Same(arg, "/TCPOFF") || arg == "--tcp-off") line.TcpOff = true;
    else if (arg == "/Quorvent") line.ServiceMode = true;
    else if (Same(arg, "/COMON")) line.ComOn = true;
    else if (arg == "/?" || arg == "?" || arg == "--help" || arg == "-h") line.ShowAbout = true;
    else line.Unknown.push_back(arg);
  }
  return line;
}

std::string StartupLogLine(const TCommandLine& line) {
  std::string text = "Startup Tamarik.";
  for (const std::string& p : line.Parameters) text.append(" ").append(p);
  return text;
}
