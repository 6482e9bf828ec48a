#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "core/AppFlags.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/ProgramVersion.h"
#include "core/SettingKeys.h"
#include "core/Settings.h"
#include "core/SysTest.h"

namespace {

std::string Flags(std::initializer_list<int> set) {
  std::string flags(256, '0');
  for (int b : set) flags[static_cast<std::size_t>(b)] = '1';
  return flags;
}

// Every key of the file with a value other than its default.
std::string EveryKeyChanged(const std::string& logDir) {
  return "[Programm]\r\nVersion=V 2.3.1000\r\n"
         "[FrmMain]\r\nLeft=11\r\nTop=12\r\nWidth=613\r\nHeight=414\r\nWindowState=2\r\ned1_WordWrap=1\r\n"
         "Panel5_Width=190\r\nedtTextPC_Text=PC>\r\nedtTextSPS_Text=\" SPS< \"\r\n"
         "grpSSA_ItemIndex_S=ttyUSB0\r\ngrpSSB_ItemIndex_S=ttyUSB1\r\ngrpSSA_ItemIndex=2\r\ngrpSSB_ItemIndex=3\r\n"
         "rgrpA_Checked=0\r\nrgrpB_Checked=1\r\nrgrpC_Checked=1\r\nrgrpD_Checked=1\r\nrgrpE_Checked=1\r\n"
         "rgrpF_Checked=1\r\nrgrpG_Checked=1\r\nrgrpH_Checked=1\r\n"
         "grpBaud_ItemIndex=9\r\ngrpDaten_ItemIndex=3\r\ngrpParitaet_ItemIndex=2\r\ngrpStop_ItemIndex=1\r\n"
         "grpFluss_ItemIndex=2\r\nedOtherBaud_Text=250000\r\n"
         "chkSound_Checked=1\r\nchkCTSDSR_Checked=1\r\nchkError_Checked=1\r\nchkProtZeit_Checked=1\r\n"
         "chkProtZeitEnde_Checked=1\r\nchkProtZeitDiff_Checked=1\r\nchkMs_Checked=1\r\nchkProtZyk_Checked=1\r\n"
         "edProtZyk_Value=15\r\nchkTextBegin_Checked=1\r\nchkTextEnde_Checked=1\r\n"
         "chkDatenAend_Checked=1\r\nchkZeichBegr_Checked=1\r\nedZeichBegr_Text=40\r\nchkZwPause_Checked=1\r\n"
         "edZwPause_Text=250\r\niStopNachZeichen=500\r\nchkProtWechsel_Checked=1\r\n"
         "Zeilenw=" + Flags({10, 13}) + "\r\nStart=" + Flags({2}) + "\r\nStop=" + Flags({3, 255}) + "\r\n"
         "SDlg_FileName=" + logDir + "/trace [DATE].rtf\r\nchkOnlineLog_Checked=1\r\n"
         "SDlgRoh_FileName=" + logDir + "/raw[AB].roh\r\nchkOnlineRohLog_Checked=1\r\n"
         "CodeSeite=5\r\nSprache=3\r\ngrpUSB_ItemString=CAN- Bus\r\nedIP_Text=192.168.1.20\r\n"
         "TCP_Port=6000\r\nchkIPSend_Checked=0\r\nTCP_Bind=192.168.1.5\r\nTCP_Allow=192.168.1.0/24; 10.1.2.3\r\n"
         "[ProtArt]\r\nchkColorNeg_Checked=1\r\nchkProtScroll_Checked=1\r\n"
         "[Log]\r\nchkLogBegrenzen_Checked=0\r\nchkLogFile_Checked=0\r\nrbLogFile1_Checked=1\r\n"
         "rbLogFile2_Checked=1\r\nrbLogFile3_Checked=0\r\nchkNoPortA_Checked=1\r\nchkNoPortB_Checked=1\r\n"
         "[PortAB]\r\nsbBaudADown=1\r\nsbBaudBDown=1\r\n"
         "ppSSABaudrate=3\r\nppSSADataBits=2\r\nppSSAParity=1\r\nppSSAStopBits=1\r\nppSSAFlowMode=2\r\n"
         "ppSSAOtherBaud=19201\r\nppSSAInitValues=0\r\n"
         "ppSSBBaudrate=4\r\nppSSBDataBits=0\r\nppSSBParity=4\r\nppSSBStopBits=1\r\nppSSBFlowMode=1\r\n"
         "ppSSBOtherBaud=7\r\nppSSBInitValues=0\r\n"
         "[FlowCtrl]\r\nchkFlowSignals_Checked=1\r\nchkFlowSignalsRTSA_Checked=1\r\nchkFlowSignalsDTRA_Checked=1\r\n"
         "chkFlowSignalsRTSB_Checked=1\r\nchkFlowSignalsDTRB_Checked=1\r\n"
         "[USB-CAN]\r\nedCANBTR0=00\r\nedCANBTR1=14\r\nrgrpCANQuarz=0\r\nchkCANRS=1\r\nrgrpCANLOM=1\r\n"
         "rgrpCANAFM=0\r\nedCANACR0=01\r\nedCANACR1=02\r\nedCANACR2=03\r\nedCANACR3=04\r\nedCANAMR0=F0\r\n"
         "edCANAMR1=F1\r\nedCANAMR2=F2\r\nedCANAMR3=F3\r\nchkCANFilter=1\r\n"
         "[USB-CAN-Filter]\r\nlstCANFilter_1=200-100\r\nlstCANFilterChecked_1=1\r\nlstCANFilter_2=1?3\r\n"
         "lstCANFilterChecked_2=0\r\n"
         "[USB-FQ]\r\ngrpFQIN_ItemIndex=3\r\nedFQZyk_Text=10\r\n"
         "[Codes]\r\nAnzahl=1\r\nSeite1=Mine [HEX]\r\nCodes1=\r\n";
}

// The values EveryKeyChanged holds, field by field.
TSettingsValues EveryValueChanged(const std::string& logDir) {
  TSettingsValues v;
  v.ProgrammVersion = "V 2.3.1000";
  TFrmMainSettings& f = v.FrmMain;
  f.Left = 11, f.Top = 12, f.Width = 613, f.Height = 414, f.WindowState = 2, f.ed1_WordWrap = true;
  f.Panel5_Width = 190, f.edtTextPC = "PC>", f.edtTextSPS = " SPS< ";
  f.grpSSA_ItemIndex_S = "ttyUSB0", f.grpSSB_ItemIndex_S = "ttyUSB1", f.grpSSA_ItemIndex = 2, f.grpSSB_ItemIndex = 3;
  f.rgrpA = false, f.rgrpB = f.rgrpC = f.rgrpD = f.rgrpE = f.rgrpF = f.rgrpG = f.rgrpH = true;
  f.grpBaud = 9, f.grpDaten = 3, f.grpParitaet = 2, f.grpStop = 1, f.grpFluss = 2, f.edOtherBaud = "250000";
  f.chkSound = f.chkCTSDSR = f.chkError = f.chkProtZeit = f.chkProtZeitEnde = f.chkProtZeitDiff = f.chkMs = true;
  f.chkProtZyk = true, f.edProtZyk = 15, f.chkTextBegin = f.chkTextEnde = true;
  f.SDlg_FileName = logDir + "/trace [DATE].rtf", f.chkOnlineLog = true;
  f.SDlgRoh_FileName = logDir + "/raw[AB].roh", f.chkOnlineRohLog = true;
  f.Sprache = 3, f.grpUSB = "CAN- Bus", f.edIP = "192.168.1.20", f.TCP_Port = 6000, f.chkIPSend = false;
  f.TCP_Bind = "192.168.1.5", f.TCP_Allow = "192.168.1.0/24; 10.1.2.3";
  TLineRuleSettings& r = v.LineRules;
  r.chkDatenAend = r.chkZeichBegr = r.chkZwPause = r.chkProtWechsel = true;
  r.edZeichBegr = "40", r.edZwPause = "250", r.iStopNachZeichen = 500;
  v.ProtArt = {true, true};
  v.Log = {false, false, true, true, false, true, true};
  v.PortAB.sbBaudADown = v.PortAB.sbBaudBDown = true;
  v.PortAB.PortASettings = {3, 2, 1, 1, 2, "19201", false};
  v.PortAB.PortBSettings = {4, 0, 4, 1, 1, "7", false};
  v.FlowCtrl = {true, true, true, true, true};
  TCanRegisters& c = v.Can.Registers;
  c.edCANBTR0 = "00", c.edCANBTR1 = "14", c.rgrpCANQuarz = 0, c.chkCANRS = true, c.rgrpCANLOM = 1, c.rgrpCANAFM = 0;
  c.edCANACR = {"01", "02", "03", "04"}, c.edCANAMR = {"F0", "F1", "F2", "F3"};
  v.Can.Filter = {{"1?3", false}, {"200-100", true}};
  v.Can.chkCANFilter = true;
  v.Fq = {3, "10"};
  return v;
}

void ExpectSameValues(const TSettingsValues& got, const TSettingsValues& want) {
  EXPECT_EQ(got.ProgrammVersion, want.ProgrammVersion);
  EXPECT_TRUE(got.FrmMain == want.FrmMain);
  EXPECT_TRUE(got.LineRules == want.LineRules);
  EXPECT_TRUE(got.ProtArt == want.ProtArt);
  EXPECT_TRUE(got.Log == want.Log);
  EXPECT_TRUE(got.PortAB == want.PortAB);
  EXPECT_TRUE(got.FlowCtrl == want.FlowCtrl);
  EXPECT_TRUE(got.Can == want.Can);
  EXPECT_TRUE(got.Fq == want.Fq);
}

void ExpectChangedCodePages(const TCodePages& pages) {
  EXPECT_EQ(pages.Selected(), 5);
  EXPECT_EQ(pages.PageNames().back(), "Mine [HEX]");
  EXPECT_EQ(pages.FlagString(TByteFlag::LineBreak), Flags({10, 13}));
  EXPECT_EQ(pages.FlagString(TByteFlag::Start), Flags({2}));
  EXPECT_EQ(pages.FlagString(TByteFlag::Stop), Flags({3, 255}));
}

}  // namespace

TEST(Settings, EveryKeyIsReadUnderItsName) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"), EveryKeyChanged(dir.Path().string()));
  TReports reports;
  TSettings settings(dir.Path().string());
  settings.Load();
  EXPECT_TRUE(reports.All.empty()) << reports.All.front();
  ExpectSameValues(settings.Values(), EveryValueChanged(dir.Path().string()));
  ExpectChangedCodePages(settings.CodePages());
}

TEST(Settings, WhatOneRunWritesTheNextReadsBackUnchanged) {
  TTempDir dir;
  const std::string logDir = dir.Path().string();
  {
    TSettings first(logDir);  // no file yet: every value comes from this run
    first.Load();
    first.Values() = EveryValueChanged(logDir);
    ASSERT_TRUE(first.CodePages().NewPage("Mine [HEX]"));
    first.CodePages().SetFlagString(TByteFlag::LineBreak, Flags({10, 13}));
    first.CodePages().SetFlagString(TByteFlag::Start, Flags({2}));
    first.CodePages().SetFlagString(TByteFlag::Stop, Flags({3, 255}));
    ASSERT_TRUE(first.Save(TSysTestInfo{}));
  }
  TSettings next(logDir);
  next.Load();
  TSettingsValues want = EveryValueChanged(logDir);
  want.ProgrammVersion = TLanguage::RunningVersion();  // every write stores the running version
  ExpectSameValues(next.Values(), want);
  ExpectChangedCodePages(next.CodePages());
}

TEST(Settings, TheCanFilterListStopsAtAGapAndItsBoxFollowsTheList) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"),
                  "[USB-CAN-Filter]\r\nlstCANFilter_1=7FF\r\nlstCANFilter_3=100\r\n[USB-FQ]\r\ngrpFQIN_ItemIndex=9\r\n");
  TSettings settings(dir.Path().string());
  settings.Load();
  const TCanSettings& can = settings.Values().Can;
  ASSERT_EQ(can.Filter, (std::vector<TCanFilterEntry>{{"7FF", true}}));
  EXPECT_TRUE(can.chkCANFilter);  // not stored: on, as the list has entries
  EXPECT_FALSE(can.MakeFilter()->Pass(0x100));
  EXPECT_EQ(settings.Values().Fq.grpFQIN_ItemIndex, 3);
  // A shorter list leaves no stale entry behind.
  settings.Values().Can.Filter.clear();
  settings.Values().Can.chkCANFilter = false;
  ASSERT_TRUE(settings.Save(TSysTestInfo{}));
  TSettings next(dir.Path().string());
  next.Load();
  EXPECT_TRUE(next.Values().Can.Filter.empty());
  EXPECT_TRUE(next.Values().Can.MakeFilter()->Pass(0x100));
}

TEST(Settings, AMissingFileGivesTheDefaults) {
  TTempDir dir;
  TSettings settings(dir.Path().string() + "/");
  settings.Load();
  const TSettingsValues& v = settings.Values();
  EXPECT_EQ(settings.IniPath(), dir.File("Tamarik.ini"));
  EXPECT_FALSE(settings.ReadOnly());
  EXPECT_EQ(v.ProgrammVersion, "V 0.0.0000");
  EXPECT_EQ(v.FrmMain.Left, 200);
  EXPECT_EQ(v.FrmMain.Height, 412);
  EXPECT_EQ(v.FrmMain.WindowState, 3);
  EXPECT_EQ(v.FrmMain.edtTextSPS, "< von SPS");
  EXPECT_TRUE(v.FrmMain.rgrpA);
  EXPECT_EQ(v.FrmMain.SDlg_FileName, dir.File("Tamarik.txt"));
  EXPECT_EQ(v.FrmMain.SDlgRoh_FileName, dir.File("Tamarik.roh"));
  EXPECT_EQ(v.FrmMain.Sprache, -2);
  EXPECT_EQ(v.FrmMain.TCP_Port, 5839);
  EXPECT_TRUE(v.FrmMain.chkIPSend);
  EXPECT_TRUE(v.Log.chkLogBegrenzen);
  EXPECT_EQ(v.Log.Limit().rbLogFile, 3);
  EXPECT_EQ(v.PortAB.PortASettings.Baudrate, 6);
  EXPECT_TRUE(v.PortAB.PortBSettings.InitValues);
  EXPECT_EQ(settings.CodePages().Selected(), 0);
  EXPECT_TRUE(settings.ResetPanelHeights());  // a file without a version is an old one
}

TEST(Settings, OldFilesTakeTheLineSettingsFromFrmMainForBothPorts) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"),
                  "[FrmMain]\r\ngrpBaud_ItemIndex=0\r\ngrpDaten_ItemIndex=3\r\ngrpParitaet_ItemIndex=1\r\n"
                  "grpStop_ItemIndex=1\r\ngrpFluss_ItemIndex=1\r\nedOtherBaud_Text=31250\r\nTCP_Port=999\r\n");
  TSettings settings(dir.Path().string());
  settings.Load();
  const TPortSettings want{0, 3, 1, 1, 1, "31250", true};
  EXPECT_TRUE(settings.Values().PortAB.PortASettings == want);
  EXPECT_TRUE(settings.Values().PortAB.PortBSettings == want);
  EXPECT_EQ(settings.Values().FrmMain.TCP_Port, 5839);  // below 1000
}

TEST(Settings, PanelHeightsAreResetOnlyForFilesOlderThan2_2_2629) {
  const struct {
    const char* Stored;
    bool Reset;
  } cases[] = {{"V 2.2.2628", true},  {"V 2.1.9999", true},  {"V 1.9.0001", true}, {"V 2.2.2629", false},
               {"V 2.2.262A", false}, {"V 2.3.0001", false}, {"garbage", true},  {"", true}};
  for (const auto& c : cases) {
    TTempDir dir;
    TTempDir::Write(dir.File("Tamarik.ini"), std::string("[Programm]\r\nVersion=") + c.Stored + "\r\n");
    TSettings settings(dir.Path().string());
    settings.Load();
    EXPECT_EQ(settings.ResetPanelHeights(), c.Reset) << c.Stored;
  }
  EXPECT_EQ(ParseProgramVersion("2.2.2629")->Build, 0x2629);
  EXPECT_FALSE(ParseProgramVersion("2.x.1").has_value());
}

TEST(Settings, AReadOnlyFileStaysByteForByteTheSame) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  const std::string bytes = "[FrmMain]\nLeft=17\n[Codes]\nAnzahl=1\nSeite1=Mine\n";
  TTempDir::Write(path, bytes);
  ::chmod(path.c_str(), 0444);  // read-only even for root: the mode bits decide
  TSettings settings(dir.Path().string());
  EXPECT_TRUE(settings.ReadOnly());
  EXPECT_TRUE(IniReadOnly.load());
  settings.Load();
  EXPECT_EQ(settings.Values().FrmMain.Left, 17);
  settings.Values().FrmMain.Left = 99;
  EXPECT_FALSE(settings.CodePages().NewPage("Other"));
  EXPECT_FALSE(settings.Save(TSysTestInfo{}));
  EXPECT_EQ(TTempDir::Read(path), bytes);
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST(Settings, AFileThatCannotBeReadIsNeitherUsedNorReplaced) {
  TTempDir dir;
  std::filesystem::create_directory(dir.File("Tamarik.ini"));  // there, but no file
  TReports reports;
  TSettings settings(dir.Path().string());
  settings.Load();
  EXPECT_TRUE(settings.ReadOnly());
  EXPECT_EQ(settings.Values().FrmMain.Left, 200);
  EXPECT_FALSE(settings.Save(TSysTestInfo{}));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("Tamarik.ini")));
  EXPECT_TRUE(reports.Contains("not written this run"));
}

TEST(Settings, BinaryGarbageGivesDefaultsIsReportedAndKeptAsItIs) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
  TTempDir::Write(path, garbage);
  TReports reports;
  TSettings settings(dir.Path().string());
  settings.Load();
  EXPECT_TRUE(settings.ReadOnly());
  EXPECT_EQ(settings.Values().FrmMain.Width, 562);
  EXPECT_TRUE(reports.Contains("not written this run"));
  EXPECT_FALSE(settings.Save(TSysTestInfo{}));
  EXPECT_EQ(TTempDir::Read(path), garbage);
}

TEST(Settings, DamagedLinesAndValuesFallBackToTheirDefaultsOneByOne) {
  TTempDir dir;
  const std::string path = dir.File("Tamarik.ini");
  TTempDir::Write(path, "[FrmMain]\r\nLeft=33\r\nTop=abc\r\nWidth=99999999999\r\nbroken line\x01\r\n"
                        "edtTextPC_Text=" + std::string(kMaxSettingText + 1, 'x') + "\r\n"
                        "edtTextSPS_Text=" + std::string(TIniFile::kMaxLineBytes + 5, 'y') + "\r\n"
                        "[Log]\r\nchkNoPortA_Checked=yes\r\n[FlowCtrl]\r\nchkFlowSignals_Checked=1");  // cut off
  TReports reports;
  TSettings settings(dir.Path().string());
  settings.Load();
  const TSettingsValues& v = settings.Values();
  EXPECT_FALSE(settings.ReadOnly());
  EXPECT_EQ(v.FrmMain.Left, 33);
  EXPECT_EQ(v.FrmMain.Top, 100);
  EXPECT_EQ(v.FrmMain.Width, 562);
  EXPECT_EQ(v.FrmMain.edtTextPC, "> von PC");
  EXPECT_EQ(v.FrmMain.edtTextSPS, "< von SPS");
  EXPECT_FALSE(v.Log.chkNoPortA);
  EXPECT_TRUE(v.FlowCtrl.chkFlowSignals);
  EXPECT_TRUE(reports.Contains("unreadable line(s) skipped"));
  EXPECT_TRUE(reports.Contains("Top: 'abc' is not a number"));
  EXPECT_TRUE(reports.Contains("Width"));
  EXPECT_TRUE(reports.Contains("edtTextPC_Text: value of 4097 characters is too long"));
  EXPECT_TRUE(reports.Contains("chkNoPortA_Checked"));
  ASSERT_TRUE(settings.Save(TSysTestInfo{}));
  TSettings next(dir.Path().string());
  next.Load();
  EXPECT_EQ(next.Values().FrmMain.Left, 33);
  EXPECT_EQ(next.Values().FrmMain.Top, 100);
}

// Whatever the file holds: values that could not be read keep their
// defaults, skipped lines are reported once, what is saved reads back the
// same, and a read-only file is left byte for byte.
TEST(Settings, RandomFilesNeverBreakLoadingOrSaving) {
  std::uint32_t seed = 99;
  const TSettingsValues defaults = [] {
    TTempDir empty;
    TSettings settings(empty.Path().string());
    settings.Load();
    return settings.Values();
  }();
  for (int round = 0; round < 60; ++round) {
    std::string bytes = "[FrmMain]\n";
    for (int i = 0; i < round * 50; ++i) {
      seed = seed * 1103515245u + 12345u;
      const unsigned pick = (seed >> 16) % 12;
      bytes.push_back(pick == 0 ? '\n' : pick == 1 ? '=' : pick == 2 ? '[' : static_cast<char>(seed >> 8));
    }
    TTempDir dir;
    const std::string path = dir.File("Tamarik.ini");
    TTempDir::Write(path, bytes);
    const bool readOnly = round % 5 == 4;
    if (readOnly) ::chmod(path.c_str(), 0444);
    TReports reports;
    TSettings settings(dir.Path().string());
    settings.Load();
    const int skipped = settings.Ini()->SkippedLines();
    int skipReports = 0;
    for (const std::string& report : reports.All) skipReports += report.find("unreadable line(s) skipped") != std::string::npos;
    EXPECT_EQ(skipReports, skipped > 0 ? 1 : 0) << "round " << round;
    // A file of which nothing could be read gives exactly the defaults.
    if (settings.ReadOnly() && !readOnly) {
      TSettingsValues values = settings.Values();
      values.FrmMain.SDlg_FileName = defaults.FrmMain.SDlg_FileName;
      values.FrmMain.SDlgRoh_FileName = defaults.FrmMain.SDlgRoh_FileName;
      EXPECT_TRUE(values == defaults) << "round " << round;
    }
    const bool saved = settings.Save(TSysTestInfo{});
    EXPECT_EQ(saved, !settings.ReadOnly()) << "round " << round;
    if (!saved) {
      EXPECT_EQ(TTempDir::Read(path), bytes) << "round " << round;
      continue;
    }
    TSettings again(dir.Path().string());
    again.Load();
    TSettingsValues reread = again.Values();
    reread.ProgrammVersion = settings.Values().ProgrammVersion;
    EXPECT_TRUE(reread == settings.Values()) << "round " << round;
  }
}

TEST(Settings, BadLineRuleValuesKeepTheirDefaultsAndAreReported) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"), "[FrmMain]\r\niStopNachZeichen=abc\r\nchkZwPause_Checked=1\r\n"
                                           "edZeichBegr_Text=" + std::string(kMaxSettingText + 1, '9') + "\r\n");
  TReports reports;
  TSettings settings(dir.Path().string());
  settings.Load();
  EXPECT_EQ(settings.Values().LineRules.iStopNachZeichen, 0);
  EXPECT_EQ(settings.Values().LineRules.edZeichBegr, "78");
  EXPECT_TRUE(settings.Values().LineRules.chkZwPause);
  EXPECT_TRUE(reports.Contains("iStopNachZeichen"));
  EXPECT_TRUE(reports.Contains("edZeichBegr_Text"));
}

TEST(Settings, ARegisteredModuleReadsAndWritesItsOwnKeys) {
  TTempDir dir;
  TTempDir::Write(dir.File("Tamarik.ini"), "[PlugIn]\r\nDllName=conv.so\r\n");
  TSettings settings(dir.Path().string());
  settings.Load();
  std::string dllName;
  settings.Register({"PlugIn", [&](const TIniFile& ini) { dllName = ini.ReadString("PlugIn", "DllName", ""); },
                     [&](TIniFile& ini) { ini.WriteString("PlugIn", "DllName", dllName + "2"); }});
  EXPECT_EQ(dllName, "conv.so");  // registered after Load: read at once
  ASSERT_TRUE(settings.Save(TSysTestInfo{}));
  TIniFile written(dir.File("Tamarik.ini"));
  EXPECT_EQ(written.ReadString("PlugIn", "DllName", ""), "conv.so2");
}
