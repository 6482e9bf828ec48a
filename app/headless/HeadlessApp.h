// The monitor without a window: the same core, the trace in the terminal.
#pragma once

#include <memory>

#include "core/DemoSource.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "headless/AnsiTerminal.h"
#include "serial/SerialThreadOut.h"

struct THeadlessOptions {
  bool Demo = true;
  double RunSeconds = 0;  // 0: until SIGINT/SIGTERM
};

class THeadlessApp {
 public:
  explicit THeadlessApp(const THeadlessOptions& options);
  ~THeadlessApp();
  int Run();

 private:
  void Drain();
  void Timer1Timer();

  THeadlessOptions options_;
  TRunQueue queue_;
  TReceivePipeline pipeline_;
  TSerialThreadOut consumer_;
  TAnsiTerminal terminal_;
  std::unique_ptr<TDemoSource> demo_;
  std::vector<TTextRun> runs_;
};
