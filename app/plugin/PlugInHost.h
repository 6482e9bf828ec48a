// The conversion plug-in host: loads one library at a time, checks its
// exports and version, and renders whole receive batches through its
// Convert while the plug-in is in use. Window-free: the window and the
// terminal front end both drive it.
//
// Threads: loading, unloading and the parameter dialog run on the front
// end's thread; batches on the consumer thread; the plug-in's timer on a
// thread of its own. Convert calls never overlap.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/ReceivePipeline.h"
#include "plugin/PlugInLibrary.h"
#include "plugin/PlugInTimer.h"

class TPlugInOutput;

struct TPlugInHooks {
  // "Error in PlugIn!" for the user: any thread, must not wait for the
  // consumer. Missing: nothing is shown (the error log still gets its line).
  std::function<void(std::string_view message)> ShowError;
  // The clock for the timer's calls. Missing: NowDateTime.
  std::function<double()> Now;
};

class TPlugInHost final : public TBatchRenderer {
 public:
  static constexpr std::string_view kErrorText = "Error in PlugIn!";
  // A plug-in that keeps asking to be called at once gets the consumer back
  // after this many calls in a row, and is called again a millisecond later.
  static constexpr int kMaxCallsAtOnce = 1000;

  // programDir: where a library given by its bare name lies.
  TPlugInHost(TReceivePipeline& pipeline, std::string programDir, TPlugInHooks hooks = {});
  ~TPlugInHost() override;
  TPlugInHost(const TPlugInHost&) = delete;
  TPlugInHost& operator=(const TPlugInHost&) = delete;

  // The check box: loads name and keeps it only with a version from "3"
  // to "9". True when the plug-in is in use afterwards; otherwise nothing is
  // loaded. Writes the user action to the error log.
  bool Activate(const std::string& name);
  // The box unchecked: the library goes.
  void Deactivate() { PlugInUnloadDLL(); }

  bool PlugInLoadDLL(const std::string& name);
  void PlugInUnloadDLL();
  bool PlugInTest();
  std::string PlugInTamarik();
  std::string PlugInPlugInType();
  // A version text is accepted when it begins with "3".."9" (empty counts as "0").
  static bool VersionAccepted(std::string_view version);
  // lbPlugInVersion: "Version: " + version, a line break, the plug-in type.
  std::string VersionLabel();

  bool Loaded() const { return loaded_.load(); }
  const std::string& PlugInDllName() const { return dllName_; }
  // btnPlugInParam: enabled, and the plug-in's own caption (empty: text 1143).
  bool ParamEnabled() const { return paramEnabled_; }
  const std::string& ParamCaption() const { return paramCaption_; }
  // Opens the plug-in's dialog; window: the main window's native id. The
  // library stays in memory until the dialog returns, even if unloaded meanwhile.
  bool ParamSet(std::uintptr_t window);

  // One batch (the consumer thread): every record through Convert.
  bool PlugInConvert(TReceivePipeline& pipeline, const ReceiveRing& ring, int batchStart, int batchCount);
  bool Active() const override { return Loaded(); }
  void RenderBatch(TReceivePipeline& pipeline, const ReceiveRing& ring, int batchStart, int batchCount) override {
    PlugInConvert(pipeline, ring, batchStart, batchCount);
  }
  // What the timer does when it fires; between batches.
  void tmrPlugInTimer();
  int TimerInterval() const { return timer_.Interval(); }
  // Ends the timer thread (before the pipeline goes).
  void Shutdown() { timer_.Stop(); }

 private:
  std::string ResolvePath(const std::string& name) const;
  // Both with convertLock_ held.
  std::int32_t CallConvert(const TSeriellData* record, std::uint32_t& color, std::int32_t& interval,
                           const char*& text);
  void TimerCalls(TPlugInOutput& out);
  void SetTimer(std::int32_t interval, TPlugInOutput& out);

  TReceivePipeline& pipeline_;
  std::string programDir_;
  TPlugInHooks hooks_;

  std::mutex convertLock_;  // the library and every call of Convert
  std::shared_ptr<TPlugInLibrary> library_;
  std::string loadedName_;  // for the error log line
  std::atomic<bool> loaded_{false};
  std::optional<TSeriellData> batchFirst_;
  bool errorShown_ = false;  // one message per batch or timer call

  // Front end's thread.
  std::string dllName_;
  bool paramEnabled_ = false;
  std::string paramCaption_;

  TPlugInTimer timer_;  // last: its thread goes first
};
