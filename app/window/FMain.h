// The main window: controls and their handlers, thin over the core. Split by
// concern: FMain.cpp (construction, ownership), FMain_Pages.cpp (the page
// control), FMain_Receive.cpp (ring, consumer, pipeline, draining the runs),
// FMain_Options.cpp (the options the receive handler reads),
// FMain_Trace.cpp (AppendText), FMain_TraceCommands.cpp, FMain_Save.cpp,
// FMain_Timer.cpp, FMain_Demo.cpp, FMain_Language.cpp (the language choice
// and the texts of every control) and FMain_Help.cpp.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string_view>
#include <vector>

#include "serial/DemoLink.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "serial/SerialThreadOut.h"

namespace Ui {
class FrmMain;
class TabTamarik;
class TabZeit;
}  // namespace Ui

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class THelp;
class TTracePane;

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFrmMain(QWidget* parent = nullptr);
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

  // The language: the stored choice (−2 until the user has chosen), the
  // start-up choice, choosing an item, and applying the texts of a block.
  int Sprache = -2;
  bool LanguageSwitching = false;
  void StartLanguage();
  void SelectLanguage(int index);
  void Spracheinstellung(int offset);
  // The logging state in the status bar, in the words of the language.
  void ShowLoggingState(bool on);

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
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
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
  void FitCaptions();
  void ConnectHelp();

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
  bool loggingOn_ = true;
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
};
