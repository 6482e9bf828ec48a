#include "core/StoredRxOptions.h"

#include <utility>

#include "core/CodePageList.h"
#include "core/InterfaceConfig.h"
#include "core/Measurement.h"
#include "core/Settings.h"

TRxOptions RxOptionsFromSettings(const TSettingsValues& values, const TCodePages& codePages, int workMode,
                                 std::string timeFmt) {
  const TFrmMainSettings& f = values.FrmMain;
  TRxOptions rx;
  rx.WorkMode = workMode;
  rx.RelayPorts = TwoPortWorkMode(workMode);
  // The first checked mode button counts, as on the interface page.
  rx.UsbModeSelected = f.rgrpG && !(f.rgrpA || f.rgrpB || f.rgrpC || f.rgrpD || f.rgrpE || f.rgrpF);
  rx.chkSound = f.chkSound;
  rx.chkCTSDSR = f.chkCTSDSR;
  rx.chkError = f.chkError;

  rx.TimeFmt = std::move(timeFmt);
  rx.chkProtZeit = f.chkProtZeit;
  rx.chkProtZeitDiff = f.chkProtZeitDiff;
  // The end time's box is disabled in the modes without lines of bytes.
  rx.chkProtZeitEnde = f.chkProtZeitEnde && ModeLayoutFor(workMode, f.chkIPSend).ProtZeitEndeEnabled;
  rx.chkMs = f.chkMs;
  rx.chkTextBegin = f.chkTextBegin;
  rx.chkTextEnde = f.chkTextEnde;
  // The data-conversion page is no tab in the frequency and CAN modes.
  rx.DataPageShown = workMode != 430 && workMode != 440 && workMode != 470;
  rx.edtTextPC = f.edtTextPC;
  rx.edtTextSPS = f.edtTextSPS;

  values.LineRules.ApplyTo(rx);

  // Both set (a file edited by hand) would log nothing: taken as if B was
  // checked last.
  const TNoPortFlags noPort =
      values.Log.chkNoPortA && values.Log.chkNoPortB ? ClickNoPort(values.Log.NoPort(), false, true) : values.Log.NoPort();
  rx.chkNoPortA = noPort.chkNoPortA;
  rx.chkNoPortB = noPort.chkNoPortB;

  rx.Codes = codePages.RxCodes();
  rx.CanFilter = values.Can.MakeFilter();
  rx.DecimalSep = SystemDecimalSeparator();
  return rx;
}

void ApplyDemoPresets(TSettingsValues& values, TCodePages& codePages) {
  values.FrmMain.chkProtZeit = true;
  values.FrmMain.chkMs = true;
  values.FrmMain.chkTextBegin = true;
  values.LineRules.chkDatenAend = true;
  codePages.SetFlag(TByteFlag::LineBreak, '\n', true);
}
