// The conversion plug-in without a window: the same host and the same keys
// of Tamarik.ini, so a converted trace can be logged on a box without a
// display. There is no parameter dialog here.
#include <cstdio>

#include "core/Startup.h"
#include "headless/HeadlessApp.h"

bool THeadlessApp::StartPlugInFromSettings(const TPlugInSettings& settings) {
  if (!settings.Aktiv) return false;
  TPlugInHooks hooks;
  hooks.ShowError = [](std::string_view message) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
  };
  plugIn_ = std::make_unique<TPlugInHost>(pipeline_, ProgramDirectory(), std::move(hooks));
  pipeline_.SetBatchRenderer(plugIn_.get());
  if (!plugIn_->Activate(settings.DllName)) {
    std::fprintf(stderr, "PlugIn %s not used: missing, incomplete or older than version 3\n",
                 settings.DllName.c_str());
    return false;
  }
  std::fprintf(stderr, "PlugIn %s: %s\n", settings.DllName.c_str(), plugIn_->VersionLabel().c_str());
  TRxOptions rx = pipeline_.Options();
  rx.chkUsePlugin = true;
  pipeline_.SetOptions(rx);
  return true;
}
