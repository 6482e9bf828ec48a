// The terminal front end takes the trace settings of Tamarik.ini as the
// window does: the same function turns them into the receive options, so
// the same file gives the same trace and the same online log.
#include <filesystem>

#include "core/Startup.h"
#include "core/StoredRxOptions.h"
#include "headless/HeadlessApp.h"

int RunningWorkMode(const THeadlessOptions& options) {
  if (options.Stored) return options.Stored->WorkMode;
  if (options.DemoUsb) return 410;
  if (options.DemoCan) return 440;
  return options.Demo ? 200 : options.WorkMode;
}

void UseStoredTraceSettings(TStartup& startup, THeadlessOptions& options) {
  TSettings& settings = startup.Settings();
  TSettingsValues& values = settings.Values();
  std::error_code ec;
  if (options.Demo && !std::filesystem::exists(settings.IniPath(), ec))
    ApplyDemoPresets(values, settings.CodePages());
  const TFrmMainSettings& f = values.FrmMain;
  options.Rx =
      RxOptionsFromSettings(values, settings.CodePages(), RunningWorkMode(options), startup.BuildTimeFormat(f.chkMs));
  options.chkColorNeg = values.ProtArt.chkColorNeg;
  options.ProtZykMinutes = f.chkProtZyk ? f.edProtZyk : 0;
}
