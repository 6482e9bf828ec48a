// The main window: controls and their handlers, thin over the core. Split by
// concern: FMain.cpp (construction, ownership), FMain_Pages.cpp (the page
// control), FMain_Receive.cpp (ring, consumer, pipeline, draining the runs),
// FMain_Options.cpp (the options the receive handler reads),
// FMain_Trace.cpp (AppendText), FMain_TraceCommands.cpp, FMain_Save.cpp,
// FMain_Timer.cpp, FMain_Demo.cpp and FMain_Settings.cpp (Tamarik.ini).
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string_view>
#include <vector>

#include "serial/DemoLink.h"
#include "core/InterfaceConfig.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "core/Shutdown.h"
#include "serial/SerialThreadOut.h"

namespace Ui {
class FrmMain;
class TabTamarik;
class TabZeit;
class TabSchnittstelle;
}  // namespace Ui
class TInterfacePorts;

class QAction;
class QCheckBox;
class QLabel;
class TTracePane;
class TStartup;
class TShutdown;

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

  // The receive handler reads this snapshot of the controls; every handler of
  // a control it reads calls this.
  void PublishRxOptions();

  // The save step after the dialog: filterIndex 1 all files, 2 rich text,
  // 3 text. Returns the system's message on failure, empty on success.
  QString SaveProtocol(const QString& fileName, int filterIndex);
  // What confirming the search dialog does.
  void Search(const QString& text);
  void ShowStatusMessage(const QString& text);
  QString StatusMessage() const;

  ReceiveRing& Ring() { return consumer_.Ring(); }
  TReceivePipeline& Pipeline() { return pipeline_; }
  TTracePane* TracePane() const { return ed1; }
  int LastLineIdx() const { return lastLineIdx_; }

 public slots:
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
  int protZykMinutes_ = 0;
  double nextDateRef_ = 0.0;
  QString searchText_;
  qsizetype searchPos_ = -1;
  QString sdlgFileName_;

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
  bool languageSwitching_ = false;
  bool chkIPSend_ = true;  // the TCP page's choice, kept for the layout
};
