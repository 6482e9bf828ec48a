// The values of the settings file's sections, each with its defaults as
// member initialisers. A section is read and written through its key table
// (SettingsSections.cpp); a new key is a field here and a line there.
#pragma once

#include <string>

#include "core/LogOptions.h"

class TIniFile;

// Section FrmMain: the main window and the trace. The keys of the line
// rules (TLineRuleSettings) and of the code pages (TCodePages) live in the
// same section but are kept by their own modules.
struct TFrmMainSettings {
  int Left = 200, Top = 100, Width = 562, Height = 412;
  int WindowState = 3;  // 2: opens maximised
  bool ed1_WordWrap = false;
  int Panel5_Width = 181;
  std::string edtTextPC = "> von PC";
  std::string edtTextSPS = "< von SPS";
  // Port names; the indexes count when a name is not in the port list.
  std::string grpSSA_ItemIndex_S, grpSSB_ItemIndex_S;
  int grpSSA_ItemIndex = 0, grpSSB_ItemIndex = 1;
  bool rgrpA = true, rgrpB = false, rgrpC = false, rgrpD = false;
  bool rgrpE = false, rgrpF = false, rgrpG = false, rgrpH = false;
  // Line settings of files written before section PortAB existed.
  int grpBaud = 6, grpDaten = 1, grpParitaet = 0, grpStop = 0, grpFluss = 0;
  std::string edOtherBaud;
  bool chkSound = false, chkCTSDSR = false, chkError = false;
  bool chkProtZeit = false, chkProtZeitEnde = false, chkProtZeitDiff = false, chkMs = false;
  bool chkProtZyk = false;
  int edProtZyk = 1;
  bool chkTextBegin = false, chkTextEnde = false;
  std::string SDlg_FileName;     // default: StartDir + "/Tamarik.txt"
  bool chkOnlineLog = false;     // the online log ran at exit
  std::string SDlgRoh_FileName;  // default: StartDir + "/Tamarik.roh"
  bool chkOnlineRohLog = false;  // the raw-data log ran at exit
  int Sprache = -2;              // not chosen yet
  std::string grpUSB = "V24";
  std::string edIP;
  int TCP_Port = 5839;
  bool chkIPSend = true;
  std::string TCP_Bind;   // address the coupling listens on; empty: all
  std::string TCP_Allow;  // who may connect (CIDR, ";"); empty: this PC and its networks
  std::string XMLSource;  // the version file (address or file); empty: the build's default

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  bool operator==(const TFrmMainSettings&) const = default;
};

// Section ProtArt: how the trace is drawn.
struct TProtArtSettings {
  bool chkColorNeg = false;
  bool chkProtScroll = false;

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  bool operator==(const TProtArtSettings&) const = default;
};

// Section Log: the log options.
struct TLogSettings {
  bool chkLogBegrenzen = true;
  bool chkLogFile = true;
  bool rbLogFile1 = false, rbLogFile2 = false, rbLogFile3 = true;
  bool chkNoPortA = false, chkNoPortB = false;

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  // The rotation choice as the logs take it (the first selected button).
  TLogLimit Limit() const;
  TNoPortFlags NoPort() const { return {chkNoPortA, chkNoPortB}; }
  bool operator==(const TLogSettings&) const = default;
};

// One port's line settings: indexes into the lists of the interface page.
struct TPortSettings {
  int Baudrate = 6;  // 0: OtherBaud
  int DataBits = 1;
  int Parity = 0;
  int StopBits = 0;
  int FlowMode = 0;  // at most 2
  std::string OtherBaud;
  bool InitValues = true;
  bool operator==(const TPortSettings&) const = default;
};

// Section PortAB: both ports' line settings and the speed buttons.
struct TPortABSettings {
  bool sbBaudADown = false;
  bool sbBaudBDown = false;
  TPortSettings PortASettings;
  TPortSettings PortBSettings;

  // Without the section, port A takes the line settings stored in FrmMain
  // and port B a copy of them.
  void Read(const TIniFile& ini, const TFrmMainSettings& frmMain);
  void Write(TIniFile& ini) const;
  bool operator==(const TPortABSettings&) const = default;
};

// Section FlowCtrl: the flow-signal check boxes.
struct TFlowCtrlSettings {
  bool chkFlowSignals = false;
  bool chkFlowSignalsRTSA = false, chkFlowSignalsDTRA = false;
  bool chkFlowSignalsRTSB = false, chkFlowSignalsDTRB = false;

  void Read(const TIniFile& ini);
  void Write(TIniFile& ini) const;
  bool operator==(const TFlowCtrlSettings&) const = default;
};
