// The program body: the window when there is a display, the terminal trace otherwise.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

void PrintUsage() {
  std::puts(
      "tamarik [--headless] [--demo] [--seconds N]\n"
      "  --headless   trace in the terminal, no window\n"
      "  --demo       simulated PC and controller (the built-in default)\n"
      "  --seconds N  end after N seconds (headless)");
}

}  // namespace

int main(int argc, char** argv) {
  bool headless = !HasDisplay();
  THeadlessOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--headless") headless = true;
    else if (arg == "--demo") options.Demo = true;
    else if (arg == "--seconds" && i + 1 < argc) options.RunSeconds = std::atof(argv[++i]);
    else if (arg == "--help" || arg == "/?" || arg == "?") {
      PrintUsage();
      return 0;
    }
  }
#ifdef TAMARIK_HAS_WINDOW
  if (!headless) return RunWindow(argc, argv);
#else
  (void)headless;  // built without the window: always the terminal
#endif
  THeadlessApp app(options);
  return app.Run();
}
