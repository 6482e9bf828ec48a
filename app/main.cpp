// The program body: the window when there is a display, the terminal trace otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/AppFlags.h"
#include "core/CommandLine.h"
#include "core/Startup.h"
#include "headless/HeadlessCommandLine.h"
#include "headless/HeadlessApp.h"

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
  if (cl.Help) {
    std::puts(HeadlessUsage());
    return 0;
  }
  if (!cl.Error.empty()) {
    std::fprintf(stderr, "%s\n%s\n", cl.Error.c_str(), HeadlessUsage());
    return 2;
  }
#ifdef TAMARIK_HAS_WINDOW
  if (!cl.Headless) return RunWindow(argc, argv, cl.DemoAsked);
#endif
  // The settings file of the start directory, read as the window reads it.
  TStartup startup({args, "", ProgramDirectory()});
  THeadlessOptions options = cl.Options;
  UseStoredInterface(startup, cl.DemoAsked, options);
  THeadlessApp app(options);
  return app.Run();
}
