// The main window: controls and handlers, thin over the core.
#pragma once

#include <QMainWindow>
#include <QTextEdit>
#include <QTimer>
#include <memory>
#include <vector>

#include "core/DemoSource.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "serial/SerialThreadOut.h"

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFrmMain(QWidget* parent = nullptr);
  ~TFrmMain() override;

 private slots:
  void DrainRuns();

 private:
  TRunQueue queue_;
  TReceivePipeline pipeline_;
  TSerialThreadOut consumer_;
  std::unique_ptr<TDemoSource> demo_;
  QTextEdit* ed1 = nullptr;
  QTimer drainTimer_;
  std::vector<TTextRun> runs_;
};
