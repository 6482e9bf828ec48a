#include "core/SettingsSections.h"

#include <algorithm>

#include "core/IniFile.h"
#include "core/SettingKeys.h"

namespace {

using F = TFrmMainSettings;
constexpr TSettingKey<F> kFrmMainKeys[] = {
    {"Left", &F::Left},
    {"Top", &F::Top},
    {"Width", &F::Width},
    {"Height", &F::Height},
    {"WindowState", &F::WindowState},
    {"ed1_WordWrap", &F::ed1_WordWrap},
    {"Panel5_Width", &F::Panel5_Width},
    {"edtTextPC_Text", &F::edtTextPC},
    {"edtTextSPS_Text", &F::edtTextSPS},
    {"grpSSA_ItemIndex_S", &F::grpSSA_ItemIndex_S},
    {"grpSSB_ItemIndex_S", &F::grpSSB_ItemIndex_S},
    {"grpSSA_ItemIndex", &F::grpSSA_ItemIndex},
    {"grpSSB_ItemIndex", &F::grpSSB_ItemIndex},
    {"rgrpA_Checked", &F::rgrpA},
    {"rgrpB_Checked", &F::rgrpB},
    {"rgrpC_Checked", &F::rgrpC},
    {"rgrpD_Checked", &F::rgrpD},
    {"rgrpE_Checked", &F::rgrpE},
    {"rgrpF_Checked", &F::rgrpF},
    {"rgrpG_Checked", &F::rgrpG},
    {"rgrpH_Checked", &F::rgrpH},
    {"grpBaud_ItemIndex", &F::grpBaud},
    {"grpDaten_ItemIndex", &F::grpDaten},
    {"grpParitaet_ItemIndex", &F::grpParitaet},
    {"grpStop_ItemIndex", &F::grpStop},
    {"grpFluss_ItemIndex", &F::grpFluss},
    {"edOtherBaud_Text", &F::edOtherBaud},
    {"chkSound_Checked", &F::chkSound},
    {"chkCTSDSR_Checked", &F::chkCTSDSR},
    {"chkError_Checked", &F::chkError},
    {"chkProtZeit_Checked", &F::chkProtZeit},
    {"chkProtZeitEnde_Checked", &F::chkProtZeitEnde},
    {"chkProtZeitDiff_Checked", &F::chkProtZeitDiff},
    {"chkMs_Checked", &F::chkMs},
    {"chkProtZyk_Checked", &F::chkProtZyk},
    {"edProtZyk_Value", &F::edProtZyk},
    {"chkTextBegin_Checked", &F::chkTextBegin},
    {"chkTextEnde_Checked", &F::chkTextEnde},
    {"SDlg_FileName", &F::SDlg_FileName},
    {"chkOnlineLog_Checked", &F::chkOnlineLog},
    {"SDlgRoh_FileName", &F::SDlgRoh_FileName},
    {"chkOnlineRohLog_Checked", &F::chkOnlineRohLog},
    {"Sprache", &F::Sprache},
    {"grpUSB_ItemString", &F::grpUSB},
    {"edIP_Text", &F::edIP},
    {"TCP_Port", &F::TCP_Port},
    {"chkIPSend_Checked", &F::chkIPSend},
    {"TCP_Bind", &F::TCP_Bind},
    {"TCP_Allow", &F::TCP_Allow},
    {"XMLSource", &F::XMLSource},
};

using P = TProtArtSettings;
constexpr TSettingKey<P> kProtArtKeys[] = {
    {"chkColorNeg_Checked", &P::chkColorNeg},
    {"chkProtScroll_Checked", &P::chkProtScroll},
};

using L = TLogSettings;
constexpr TSettingKey<L> kLogKeys[] = {
    {"chkLogBegrenzen_Checked", &L::chkLogBegrenzen},
    {"chkLogFile_Checked", &L::chkLogFile},
    {"rbLogFile1_Checked", &L::rbLogFile1},
    {"rbLogFile2_Checked", &L::rbLogFile2},
    {"rbLogFile3_Checked", &L::rbLogFile3},
    {"chkNoPortA_Checked", &L::chkNoPortA},
    {"chkNoPortB_Checked", &L::chkNoPortB},
};

using S = TPortSettings;
constexpr TSettingKey<S> kPortAKeys[] = {
    {"ppSSABaudrate", &S::Baudrate},   {"ppSSADataBits", &S::DataBits},   {"ppSSAParity", &S::Parity},
    {"ppSSAStopBits", &S::StopBits},   {"ppSSAFlowMode", &S::FlowMode},   {"ppSSAOtherBaud", &S::OtherBaud},
    {"ppSSAInitValues", &S::InitValues},
};
constexpr TSettingKey<S> kPortBKeys[] = {
    {"ppSSBBaudrate", &S::Baudrate},   {"ppSSBDataBits", &S::DataBits},   {"ppSSBParity", &S::Parity},
    {"ppSSBStopBits", &S::StopBits},   {"ppSSBFlowMode", &S::FlowMode},   {"ppSSBOtherBaud", &S::OtherBaud},
    {"ppSSBInitValues", &S::InitValues},
};

using A = TPortABSettings;
constexpr TSettingKey<A> kPortABKeys[] = {
    {"sbBaudADown", &A::sbBaudADown},
    {"sbBaudBDown", &A::sbBaudBDown},
};

using C = TFlowCtrlSettings;
constexpr TSettingKey<C> kFlowCtrlKeys[] = {
    {"chkFlowSignals_Checked", &C::chkFlowSignals},
    {"chkFlowSignalsRTSA_Checked", &C::chkFlowSignalsRTSA},
    {"chkFlowSignalsDTRA_Checked", &C::chkFlowSignalsDTRA},
    {"chkFlowSignalsRTSB_Checked", &C::chkFlowSignalsRTSB},
    {"chkFlowSignalsDTRB_Checked", &C::chkFlowSignalsDTRB},
};

constexpr std::string_view kFrmMain = "FrmMain";
constexpr std::string_view kProtArt = "ProtArt";
constexpr std::string_view kLog = "Log";
constexpr std::string_view kPortAB = "PortAB";
constexpr std::string_view kFlowCtrl = "FlowCtrl";

}  // namespace

void TFrmMainSettings::Read(const TIniFile& ini) { ReadKeys<F>(ini, kFrmMain, kFrmMainKeys, *this); }
void TFrmMainSettings::Write(TIniFile& ini) const { WriteKeys<F>(ini, kFrmMain, kFrmMainKeys, *this); }

void TProtArtSettings::Read(const TIniFile& ini) { ReadKeys<P>(ini, kProtArt, kProtArtKeys, *this); }
void TProtArtSettings::Write(TIniFile& ini) const { WriteKeys<P>(ini, kProtArt, kProtArtKeys, *this); }

void TLogSettings::Read(const TIniFile& ini) { ReadKeys<L>(ini, kLog, kLogKeys, *this); }
void TLogSettings::Write(TIniFile& ini) const { WriteKeys<L>(ini, kLog, kLogKeys, *this); }

TLogLimit TLogSettings::Limit() const {
  return {chkLogFile, rbLogFile1 ? 1 : rbLogFile2 ? 2 : 3};
}

void TPortABSettings::Read(const TIniFile& ini, const TFrmMainSettings& frmMain) {
  if (!ini.SectionExists(kPortAB)) {
    PortASettings = {frmMain.grpBaud, frmMain.grpDaten, frmMain.grpParitaet, frmMain.grpStop,
                     frmMain.grpFluss, frmMain.edOtherBaud, true};
    PortBSettings = PortASettings;
  } else {
    ReadKeys<A>(ini, kPortAB, kPortABKeys, *this);
    ReadKeys<S>(ini, kPortAB, kPortAKeys, PortASettings);
    ReadKeys<S>(ini, kPortAB, kPortBKeys, PortBSettings);
  }
  for (TPortSettings* port : {&PortASettings, &PortBSettings}) port->FlowMode = std::clamp(port->FlowMode, 0, 2);
}

void TPortABSettings::Write(TIniFile& ini) const {
  WriteKeys<A>(ini, kPortAB, kPortABKeys, *this);
  WriteKeys<S>(ini, kPortAB, kPortAKeys, PortASettings);
  WriteKeys<S>(ini, kPortAB, kPortBKeys, PortBSettings);
}

void TFlowCtrlSettings::Read(const TIniFile& ini) { ReadKeys<C>(ini, kFlowCtrl, kFlowCtrlKeys, *this); }
void TFlowCtrlSettings::Write(TIniFile& ini) const { WriteKeys<C>(ini, kFlowCtrl, kFlowCtrlKeys, *this); }
