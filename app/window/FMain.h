// The main window: controls and their handlers, thin over the core. Split by
// concern: FMain.cpp (construction, ownership), FMain_Pages.cpp (the page
// control), FMain_Receive.cpp (ring, consumer, pipeline, draining the runs),
// FMain_Options.cpp (the options the receive handler reads),
// FMain_Trace.cpp (AppendText), FMain_TraceCommands.cpp, FMain_Save.cpp,
// FMain_Timer.cpp, FMain_Demo.cpp and FMain_Settings.cpp (Tamarik.ini).
// FMain_Timer.cpp, FMain_Demo.cpp, FMain_Language.cpp (the language choice
// and the texts of every control) and FMain_Help.cpp.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "serial/DemoLink.h"
#include "core/OnlineLog.h"
#include "core/RawLog.h"
#include "core/CanFilter.h"
#include "core/CanTiming.h"
#include "core/InterfaceConfig.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "core/Shutdown.h"
#include "core/SerialThreadOut.h"
#include "core/TraceStatusLines.h"
#include "plugin/PlugInHost.h"
#include "plugin/PlugInSettings.h"

namespace Ui {
class FrmMain;
class TabTamarik;
class TabZeit;
class TabSchnittstelle;
class TabDaten;
class TabProtokollbegrenzung;
}  // namespace Ui
class TInterfacePorts;
class TRemoteCoupling;
class TUsbPage;
class TUSBTamarik;
struct TCouplingSettings;

class QAction;
class QKeyEvent;
class QListWidgetItem;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class THelp;
class TTracePane;
class TStartup;
class TShutdown;
struct TSettingsValues;

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  // Without a start-up (tests) the window runs on defaults and stores nothing.
  explicit TFrmMain(QWidget* parent = nullptr, TStartup* startup = nullptr);
  ~TFrmMain() override;

  // The only way text reaches a trace pane; returns the pane's last line index.
  int AppendText(TTracePane* pane, std::string_view text, TColor color);
  // A green status line in order with the received text (the send routine's echo).
  void ShowSentData(std::string_view text);
  // Shows every run waiting in the queue (normally on a short timer).
  void DrainRuns();
  // The built-in demo: a simulated PC and controller on the serial path.
  void StartDemo();
  // The same conversation through an emulated USB box on its V24 image.
  void StartUsbDemo();
  // The CAN demo: an emulated box on our CAN image on its busy bus.
  void StartCanDemo();
  bool UsbDemoRunning() const { return usbDemo_ != nullptr || canDemo_ != nullptr; }

  // The receive handler reads this snapshot of the controls; every handler of
  // a control it reads calls this.
  void PublishRxOptions();

  // The save step after the dialog: filterIndex 1 all files, 2 rich text,
  // 3 text. Returns the message on failure (a file a log writes is refused),
  // empty on success or when the user keeps an existing file.
  QString SaveProtocol(const QString& fileName, int filterIndex);
  bool IsLogFile(const QString& name) const;
  // What confirming the search dialog does.
  void Search(const QString& text);
  void ShowStatusMessage(const QString& text);
  QString StatusMessage() const;

  // The language: the stored choice (−2 until the user has chosen), the
  // start-up choice, choosing an item, and applying the texts of a block.
  int Sprache = -2;
  bool LanguageSwitching = false;
  void StartLanguage();
  void SelectLanguage(int index);
  void Spracheinstellung(int offset);
  // The logging state in the status bar, in the words of the language: on
  // while the display runs and the logging window (start characters) is open.
  void ShowLoggingState();

  // Help: command 1 shows the page of the help context data.
  static constexpr int HelpCommandContext = 1;
  bool FOnHelp(int command, int data);
  THelp& Help() { return *help_; }

  ReceiveRing& Ring() { return consumer_.Ring(); }
  TReceivePipeline& Pipeline() { return pipeline_; }
  TTracePane* TracePane() const { return ed1; }
  int LastLineIdx() const { return lastLineIdx_; }

 signals:
  // After every switch of the language, for texts that are not a control's
  // caption (list items that depend on the mode, open dialogs).
  void LanguageSwitched();

 public slots:
  void rgrpSpracheClick();
  void HelpKey();
  void btnPauseClick();
  void btnLoeschClick();
  void btnSpeichernClick();
  void popSuchenClick();
  void popWeitersuchenClick();
  void popWordWrapClick();
  void chkProtScrollClick();
  void chkColorNegClick();
  void chkMsClick();
  void chkProtZykClick();
  void edProtZykChange();
  void chkSoundClick();
  void btnHelpClick();
  void btnEndeClick();
  void Timer1Timer();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // Tamarik.ini (FMain_Settings.cpp).
  void ApplySettings();
  void StoreSettings();
  void KeepOnScreen();
  void FirstActivation();
  void FormClose();

  void BuildPages();
  void BuildEmptyPage(const char* name, const QString& caption, int tag, int helpContext, int buttonIndex);
  void BuildStatusBar();
  void BuildTracePopup();
  void ConnectPageButtons();
  void ConnectTrace();
  void ConnectTimeOptions();
  void StartReceiving();
  void StopReceiving();
  void ReadTraceOptions(TRxOptions& rx) const;
  void ReadInterfaceOptions(TRxOptions& rx) const;
  void RebuildTimeFmt();
  void ArmPeriodicDateEntry();
  void PeriodicDateEntry();
  void TrimForScrolling(TTracePane* pane);
  void TrimPane(TTracePane* pane, qsizetype count);
  bool TracePageShown() const;
  void UpdateProtZykMinutes();
  void ApplyNoteColor();
  void ScheduleDrain();
  void BuildLanguageChoice();
  void FillLanguageChoice(const std::vector<std::string>& items);
  void ApplyStatusBarTexts(int offset);
  void SwitchListTexts();
  void FitCaptions();
  void ConnectHelp();

  TStartup* startup_ = nullptr;
  std::unique_ptr<TShutdown> shutdown_;
  TDelayedShutdown delayedShutdown_;
  bool formClosed_ = false;
  bool activated_ = false;

  std::unique_ptr<Ui::FrmMain> ui_;
  std::unique_ptr<Ui::TabTamarik> uiTamarik_;
  std::unique_ptr<Ui::TabZeit> uiZeit_;
  TTracePane* ed1 = nullptr;
  QCheckBox* chkSound = nullptr;  // interface page
  QLabel* stPanel0_ = nullptr;
  QLabel* stPanel1_ = nullptr;
  QLabel* stMessage_ = nullptr;
  QAction* popLoeschen = nullptr;
  QAction* popSuchen = nullptr;
  QAction* popWeitersuchen = nullptr;
  QAction* popWordWrap = nullptr;
  QGroupBox* rgrpSprache = nullptr;
  QButtonGroup* rgrpSpracheItems_ = nullptr;
  std::unique_ptr<THelp> help_;
  bool hintShown_ = false;  // the message panel holds a control's hint
  QTimer Timer1;
  QTimer drainTimer_;

  // Receive path. The consumer is declared last so that it is built after,
  // and stopped before, the pipeline and queue it feeds.
  TRunQueue queue_;
  TReceivePipeline pipeline_;
  TSerialThreadOut consumer_;
  std::unique_ptr<TDemoLink> demo_;
  std::vector<TTextRun> runs_;
  // Options the receive handler reads that no control of this window holds yet.
  TRxOptions rxBase_;

  // Trace display state.
  int lastLineIdx_ = 0;
  std::string timeFmt_ = "hh:nn:ss";
  TPeriodicDateEntry periodicDate_;
  QString searchText_;
  qsizetype searchPos_ = -1;
  QString sdlgFileName_;

  // Data conversion and protocol limit pages (FMain_CodePages.cpp,
  // FMain_ProtLimits.cpp, FMain_DataOptions.cpp).
 public:
  class TCodePages& CodePages() { return *codePages_; }
 public slots:
  void cbxCodeseiteClick();
  void lstCodesClickCheck();
  void lstCodesDblClick();
  void lstZeileDblClick();
  void mnCodeNeuClick();
  void mnCodeKopierenClick();
  void mnCodeLoeschenClick();
  void lstStartProtClickCheck();
  void lstStopProtClickCheck();
  void lstStartProtListDblClick();
  void lstStopProtListDblClick();
  void edProtCharChange();
  void chkZeichBegrClick();
  void edZeichBegrExit();
  void chkZwPauseClick();

 private:
  void BuildDataPages();
  void ConnectDataPages();
  void ApplyDataSettings();
  void StoreDataSettings();
  void ReadDataOptions(TRxOptions& rx) const;
  void PublishCodes();
  void ShowPageList();
  void ShowSelectedPage();
  void FillCodeList();
  void RebuildLineBreakList();
  void FillProtLists();
  void RebuildProtList(bool start, bool byUser);
  void ShowProtState();
  void EnableStopControls();
  bool EditCodeText(int b, const QString& text);

  std::unique_ptr<Ui::TabDaten> uiDaten_;
  std::unique_ptr<Ui::TabProtokollbegrenzung> uiProt_;
  QWidget* tabDaten = nullptr;
  QWidget* tabProtokollbegrenzung = nullptr;
  QMenu* popCodeseite = nullptr;
  QAction* mnCodeNeu = nullptr;
  QAction* mnCodeKopieren = nullptr;
  QAction* mnCodeLoeschen = nullptr;
  // Without a settings file: a read-only file in memory, so nothing is stored.
  std::unique_ptr<class TIniFile> ownIni_;
  std::unique_ptr<class TCodePages> ownCodePages_;
  class TCodePages* codePages_ = nullptr;
  std::shared_ptr<const TCodeEntries> rxCodes_;
  bool fillingLists_ = false;
  int charLimit_ = -1;
  int stopAfterChars_ = 0;
  int panel5Width_ = 181;

  // Start-up and the Info page (FMain_Info.cpp): version, error list, "/?" box.
 public:
  QString AboutText() const;
  void ShowAbout();
  void lbErrMsgDblClick();

 private:
  void SetupInfo();
  void ShowErrorList(const QString& displayText);
  std::shared_ptr<class TInfoPage> infoPage_;
  // --- Log files (FMain_Logs.cpp): the online and the raw-data log ---
 public:
  // What the logs ask of the user; tests put their own answers in place.
  struct TLogPrompts {
    std::function<std::optional<TLogFileChoice>(const TLogFileChoice& proposed)> OnlineDialog;
    std::function<std::optional<TLogFileChoice>(const TLogFileChoice& proposed)> RawDialog;
    std::function<bool(std::string_view question)> AskYesNo;
    std::function<void()> Beep;
  };
  TLogPrompts& LogPrompts() { return logPrompts_; }
  TOnlineLog& OnlineLog() { return *onlineLog_; }
  TRawLog& RawLog() { return *rawLog_; }

 public slots:
  void chkOnlineLogClick();
  void chkOnlineRohLogClick();
  void chkLogFileClick();
  void chkNoPortAClick();
  void chkNoPortBClick();

 private:
  void SetupLogs();
  void ApplyLogSettings(const TSettingsValues& values);
  void StoreLogSettings(TSettingsValues& values) const;
  void RestoreLogs();
  void CloseLogs();
  void ReadLogOptions(TRxOptions& rx) const;
  void LogUnchecked(bool raw);
  std::optional<TLogFileChoice> ShowLogSaveDialog(bool raw, const TLogFileChoice& proposed);

  TLogPrompts logPrompts_;
  std::unique_ptr<TOnlineLog> onlineLog_;
  std::unique_ptr<TRawLog> rawLog_;
  bool restoreOnlineLog_ = false;  // the logs ran at the last exit
  bool restoreRawLog_ = false;
  // --- Interface page: modes, port settings, apply and disconnect
  // (TabSchnittstelle.ui, FMain_Interface*.cpp) ---
 public:
  void SetIcon(int picture);
  void btnOK1Enabled(bool pending);
  void btnOK1Click();
  void grpSSClick(QObject* sender);
  void spBaudClick();
  void edOtherBaudChange();
  void grpSSAClick();
  void grpSSBClick();
  void rgrpDClick();
  void chkFlowSignalsClick();
  void chkFlowSignalsBoxClick(QCheckBox* box);
  int WorkMode() const { return workMode_; }
  int ActiveWorkMode() const { return activeWorkMode_; }
  bool ApplyPending() const { return applyPending_; }
  TInterfacePorts& Ports() { return *ports_; }
  const TPortABSettings& PortSettings() const { return portAB_; }
  bool DemoRunning() const { return demo_ != nullptr; }

 private:
  void BuildInterfacePage();
  void ConnectInterface();
  void ApplyInterfaceSettings();
  void StoreInterfaceSettings();
  void InterfaceFirstActivation();
  void BaudList(int kind);
  void FillPortLists(std::vector<std::string> ports);
  bool TakeTypedPort(bool portB);
  void UpdatePortLabels(bool portB);
  void LoadPortRecord(const TPortSettings& record);
  TPortSettings ControlsRecord() const;
  void ColourLineGroups(bool red);
  void StopDemo();
  void ShowDemoInterface();
  void ShowUsbDemoInterface(int workMode, uint32_t rate);
  static void KeepStoredInterface(TFrmMainSettings& f, const TFrmMainSettings& stored, TPortABSettings& ports,
                                  const TPortABSettings& storedPorts);
  TModeButton SelectedMode() const;
  void ShowInterfaceMessage(const QString& text, bool error);
  void ReportOpenFailure(const std::string& port);
  void SetBoxQuietly(QCheckBox* box, bool checked);

  std::unique_ptr<Ui::TabSchnittstelle> uiSchnittstelle_;
  std::unique_ptr<TInterfacePorts> ports_;  // after the consumer: closed before it stops
  TPortABSettings portAB_;
  std::vector<std::string> portList_;
  int workMode_ = 0;
  int activeWorkMode_ = 0;
  int baudListKind_ = -1;
  bool applyPending_ = true;
  bool lastBaudADown_ = false;
  bool lastBaudBDown_ = false;
  bool lineGroupsRed_ = false;
  bool windowStarting_ = true;
  bool chkIPSend_ = true;  // the TCP page's choice, kept for the layout
  bool demoOnPage_ = false;  // the page shows the demo's interface, not the stored one

  // --- TCP/IP coupling (FMain_Tcp.cpp) ---
 public:
  void LeseSysIP();
  void edIPExit();
  void edIPChange();
  void chkIPSendClick();
  // Starts listening (first instance for the port) with these keys.
  void StartTcp(const TCouplingSettings& settings);
  TRemoteCoupling& Coupling() { return *coupling_; }

 private:
  void SetupTcp();
  void StopTcp();
  void StoreTcpSettings(TFrmMainSettings& f) const;
  void ShowIPLamp(int lamp);  // a TCouplingLamp
  void grpIPentferntEinstellen();
  void ApplyTcpMode();
  void TcpModeChanged();
  // Last: it holds the ring of the consumer and goes before it.
  std::unique_ptr<TRemoteCoupling> coupling_;

  // --- Conversion plug-in (FMain_PlugIn.cpp): the group grpPlugIn ---
 public:
  TPlugInHost& PlugIn() { return *plugIn_; }
  // The open dialog: returns the chosen file, empty when cancelled. Tests
  // put their own choice in place.
  std::function<QString(const QString& proposed)>& PlugInDialog() { return plugInDialog_; }

 public slots:
  void chkUsePluginClick();
  void BtnLoadDllClick();
  void btnPlugInParamClick();

 private:
  void SetupPlugIn();
  void ApplyPlugInSettings();
  void StorePlugInSettings();
  void ReadPlugInOptions(TRxOptions& rx) const;
  void ShowPlugInParamButton();
  void ShowPlugInError(const QString& message);

  TPlugInSettings plugInSettings_;
  std::function<QString(const QString&)> plugInDialog_;
  bool plugInErrorShowing_ = false;
  // After the consumer: goes first, while the pipeline still stands.
  std::unique_ptr<TPlugInHost> plugIn_;
  // --- Sending (FMain_Send.cpp): the send routine, the trace's menu entry
  // popDatenSenden and the send dialog ---
 public:
  // The one routine that sends to the link (see core/SendData.h).
  bool DatenSenden(bool TargetB, std::string_view Text, bool AddCR, bool AddLF, bool Raw, bool WaitDone,
                   bool BreakOrRtr, int RtrLength);
  class TSendRoutine& SendRoutine() { return *sendRoutine_; }
  bool CanSendData() const;
  class TfrmSend* frmSend() const { return frmSend_; }
  QAction* popDatenSendenAction() const { return popDatenSenden; }
  void popDatenSendenClick();

 private:
  void SetupSend();
  // The interface page changed: the menu entry and the routine follow.
  void UpdateSendEntry();
  // Closing: a running file send ends before the ports close.
  void StopSending();

  std::unique_ptr<class TSendRoutine> sendRoutine_;
  std::unique_ptr<class TSerialSendPort> sendPortA_;
  std::unique_ptr<class TSerialSendPort> sendPortB_;
  std::unique_ptr<class TUsbSendDevice> usbSendDevice_;
  std::unique_ptr<class TUsbHandshakeSend> usbSend_;
  std::unique_ptr<struct TSendSettings> storedSend_;
  class TfrmSend* frmSend_ = nullptr;  // a child of the window
  QAction* popDatenSenden = nullptr;

  // --- AVR programmer (FMain_ProgAtmel.cpp): the dialog and the tap that
  // hands it the boot loader's answers from the receive path ---
 public slots:
  void btnPrgAtmelCANClick();

 public:
  class TfrmProgAtmel* frmProgAtmel() const { return frmProgAtmel_; }

 private:
  class TfrmProgAtmel* frmProgAtmel_ = nullptr;  // a child of the window

  // --- Automation object (FMain_Automation.cpp), served with "/COMON" ---
 public:
  // Registers the object on the session bus; false (reported) when it cannot.
  bool StartAutomation();
  class TTamarikServer* Automation() const;

 private:
  friend class TWindowAutomation;
  void SetupAutomation();
  void AutomationActiveChanged(bool active);
  QLabel* stOLE_ = nullptr;
  // --- USB interface (FMain_Usb.cpp; the page in FMain_UsbPage.cpp, mode G
  // in FMain_UsbStart.cpp, the USB demo in FMain_Demo.cpp) ---
 public:
  TUsbPage* UsbPage() const { return usbPage_.get(); }
  TUSBTamarik& UsbMonitor() { return *usbMonitor_; }
  // A box on USB this program may not open: the dialog offers the udev rule.
  void UsbAccessCheck();

 private:
  void SetupUsb();
  void UsbTimerTick();
  // Switches the monitor off and lets the device go (closing, another mode).
  void StopUsbMonitor();
  // Mode G applied: the USB start on the window's monitor (FMain_UsbStart.cpp).
  void StartUsbMode();
  struct TUsbStartUi UsbStartUi();
  // The demo's box goes after the monitor that reads it.
  std::unique_ptr<class TUsbDemoBox> usbDemo_;
  std::unique_ptr<class TCanDemo> canDemo_;
  // After the consumer: its thread ends before the ring it writes into.
  std::unique_ptr<TUSBTamarik> usbMonitor_;
  std::unique_ptr<TUsbPage> usbPage_;

  // --- Version check (FMain_Version.cpp) ---
 public:
  struct TVersionPrompts {
    std::function<bool(const QString& question)> Ask;  // Yes/No
    std::function<void(const QString& message)> Tell;
  };
  TVersionPrompts& VersionPrompts() { return versionPrompts_; }
  class TQvVersionCtrl* VCtrl = nullptr;  // a child of the window
  QPushButton* btnCheckNewVersion = nullptr;
  void btnCheckNewVersionClick();
  void VCtrlEventLoadReady();

 private:
  void SetupVersionCheck();
  TVersionPrompts versionPrompts_;
  long long installedHelpSize_ = 0;

  // --- CAN page (FMain_Can.cpp, FMain_CanFilter.cpp) and the frequency
  // panel (FMain_FqMess.cpp) ---
 public:
  struct TCanPageUi& CanPage() { return *canUi_; }
  struct TFqPanelUi& FqPanel() { return *fqUi_; }
  // One byte into the interface's memory; tests put their own in place.
  TUsbRamWrite& UsbRamWrite() { return usbWriteRam_; }
  void CalcgrdCANObj();
  void btnInitCANClick();
  bool edCANFilterKeyPress(QKeyEvent* key);  // true: the key was handled
  void edCANFilterChange();
  void edCANFilterKeyUp();
  void lstCANFilterClickCheck(QListWidgetItem* changed);
  bool lstCANFilterKeyDown(QKeyEvent* key);
  void lstCANFilterClick();
  void chkCANFilterClick();
  void grpFQINClick();
  void edFQZykChange();

 private:
  static TUsbRamWrite DefaultUsbWriteRam();
  void BuildCanPage();
  void BuildCanFilter();
  void BuildFqPanel();
  TCanRegisters CanRegistersFromControls() const;
  void ApplyCanRegisters(const TCanRegisters& registers);
  void ShowCanModeControls();
  std::vector<TCanFilterEntry> CanFilterEntries() const;
  void FillCanFilterList(const std::vector<TCanFilterEntry>& entries, bool checked);
  void ApplyCanSettings(const TSettingsValues& values);
  void StoreCanSettings(TSettingsValues& values) const;
  void ApplyFqSettings(const struct TFqSettings& fq);
  void StoreFqSettings(struct TFqSettings& fq) const;
  void ReadCanOptions(TRxOptions& rx) const;
  std::unique_ptr<struct TCanPageUi> canUi_;
  std::unique_ptr<struct TFqPanelUi> fqUi_;
  TUsbRamWrite usbWriteRam_;
  bool fillingCanFilter_ = false;
  bool fqCycleChanging_ = false;

  // Last: it goes first, while the pipeline it taps still stands.
  std::shared_ptr<class TWindowAutomation> automation_;
};
