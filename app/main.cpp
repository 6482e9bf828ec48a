// The program body: the window when there is a display, the terminal trace otherwise.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/AppFlags.h"
#include "core/CommandLine.h"
#include "headless/HeadlessCommandLine.h"
#include "headless/HeadlessApp.h"
#include "headless/HeadlessStartup.h"

#ifdef TAMARIK_HAS_WINDOW
#include "window/WindowMain.h"
#endif

namespace {

bool HasDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wl = std::getenv("WAYLAND_DISPLAY");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  return (x && *x) || (wl && *wl) || (qpa && *qpa);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const TCommandLine switches = ParseCommandLine(args);
  DebugMode = switches.DebugMode;
  TcpOff = switches.TcpOff;
  ServiceMode = switches.ServiceMode;
  const THeadlessCommandLine cl = ParseHeadlessCommandLine(args, HasDisplay());
  if (!cl.Error.empty()) {
    std::fprintf(stderr, "%s\n%s\n", cl.Error.c_str(), HeadlessUsage());
    return 2;
  }
  // "--help" also prints the options; like "/?" it shows the version and the
  // program then runs on.
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    std::puts(HeadlessUsage());
    std::fflush(stdout);
  }
#ifdef TAMARIK_HAS_WINDOW
  if (!cl.Headless) return RunWindow(argc, argv, cl.DemoAsked);
#endif
  return RunHeadless(args, cl.Options, cl.DemoAsked);
}
