// The program body: the window when there is a display, the terminal trace otherwise.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/AppFlags.h"
#include "core/CommandLine.h"
#include "core/InstallPaths.h"
#include "core/Language.h"
#include "headless/HeadlessCommandLine.h"
#include "headless/HeadlessApp.h"
#include "headless/HeadlessStartup.h"
#include "TamarikUsb.h"

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
    std::fprintf(stderr, "tamarik: %s\nTry 'tamarik --help'.\n", cl.Error.c_str());
    return 2;
  }
  if (cl.Help) {
    std::puts(HeadlessUsage());
    return 0;
  }
  if (cl.Version) {
    std::printf("tamarik %s\n", TLanguage::RunningVersion().c_str() + 2);  // without the "V "
    return 0;
  }
  // From the menu there is no meaningful working folder: the user's
  // configuration folder takes its place for Tamarik.ini and the error log.
  if (cl.Desktop) {
    const std::string config = MakeUserConfigDirectory();
    if (config.empty() || ::chdir(config.c_str()) != 0)
      std::fprintf(stderr, "tamarik: cannot use the configuration folder %s\n", UserConfigDirectory().c_str());
  }
  if (cl.UsbEmu > 0) tamarikusb::AttachEmulatedBoxes(cl.UsbEmu);
#ifdef TAMARIK_HAS_WINDOW
  if (!cl.Headless) return RunWindow(argc, argv, cl.DemoAsked, cl.Options.DemoUsb, cl.Options.DemoCan);
#endif
  return RunHeadless(args, cl.Options, cl.DemoAsked);
}
