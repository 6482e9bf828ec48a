#include "plugin/PlugInHost.h"

#include <sys/stat.h>

#include "core/DateTime.h"
#include "core/ErrorLog.h"
#include "core/ErrorReport.h"
#include "plugin/PlugInRendering.h"
#include "core/ReceiveRing.h"

namespace {
constexpr std::string_view kLocation = "22";

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void UserAction(std::string_view text) {
  if (ErrorLogEnabled()) WriteErrorLog(text);
}

TPlugInRecord ToPlugInRecord(const TSeriellData& r) {
  const TSeriellDataBytes bytes = ToExchangeBytes(r);
  TPlugInRecord record;
  static_assert(sizeof(record) == sizeof(bytes));
  std::memcpy(&record, bytes.data(), sizeof(record));
  return record;
}
}  // namespace

TPlugInHost::TPlugInHost(TReceivePipeline& pipeline, std::string programDir, TPlugInHooks hooks)
    : pipeline_(pipeline),
      programDir_(std::move(programDir)),
      hooks_(std::move(hooks)),
      timer_([this] { tmrPlugInTimer(); }) {}

TPlugInHost::~TPlugInHost() {
  timer_.Stop();
  PlugInUnloadDLL();
}

std::string TPlugInHost::ResolvePath(const std::string& name) const {
  if (name.find('/') != std::string::npos) return name;
  return (programDir_.empty() ? std::string(".") : programDir_) + "/" + name;
}

bool TPlugInHost::PlugInLoadDLL(const std::string& name) {
  try {
    // File names are case-sensitive here: "a.so" and "A.so" are two libraries.
    if (name != dllName_ && Loaded() && !name.empty()) PlugInUnloadDLL();
    if ((name != dllName_ || !Loaded()) && !name.empty()) {
      const std::string path = ResolvePath(name);
      if (FileExists(path)) {
        std::string error;
        auto library = TPlugInLibrary::Open(path, error);
        if (!library) {
          ReportError(kLocation, error);
        } else {
          std::lock_guard lock(convertLock_);
          library_ = std::move(library);
          loadedName_ = name;
        }
      }
    }
    if (!PlugInTest()) {
      dllName_.clear();
      PlugInUnloadDLL();
      return false;
    }
    dllName_ = name;
    TParamGetProc paramGet = nullptr;
    {
      std::lock_guard lock(convertLock_);
      paramGet = library_->Exports().ParamGet;
    }
    paramEnabled_ = paramGet != nullptr;
    paramCaption_.clear();
    if (paramGet) {
      const char* caption = nullptr;
      paramEnabled_ = paramGet(&caption) != 0;
      if (paramEnabled_ && caption) paramCaption_ = caption;
    }
    return true;
  } catch (const std::exception& e) {
    ReportError(kLocation, e);
  } catch (...) {
    ReportError(kLocation, "unknown exception while loading " + name);
  }
  return false;
}

void TPlugInHost::PlugInUnloadDLL() {
  std::shared_ptr<TPlugInLibrary> library;
  {
    std::lock_guard lock(convertLock_);
    loaded_.store(false);
    library = std::move(library_);
    library_.reset();
    loadedName_.clear();
    batchFirst_.reset();
  }
  timer_.SetInterval(0);
  paramEnabled_ = false;
  paramCaption_.clear();
  // The library goes here, unless a parameter dialog still runs in it.
}

bool TPlugInHost::PlugInTest() {
  std::lock_guard lock(convertLock_);
  const bool complete = library_ && library_->Exports().Complete();
  loaded_.store(complete);
  return complete;
}

std::string TPlugInHost::PlugInTamarik() {
  std::lock_guard lock(convertLock_);
  if (!library_ || !library_->Exports().Tamarik) return {};
  const char* text = nullptr;
  const std::int32_t length = library_->Exports().Tamarik(&text);
  return PlugInText(text, length);
}

std::string TPlugInHost::PlugInPlugInType() {
  std::lock_guard lock(convertLock_);
  if (!library_ || !library_->Exports().PlugInType) return {};
  const char* text = nullptr;
  const std::int32_t length = library_->Exports().PlugInType(&text);
  return PlugInText(text, length);
}

bool TPlugInHost::VersionAccepted(std::string_view version) {
  const char first = version.empty() ? '0' : version.front();
  return first >= '3' && first <= '9';
}

std::string TPlugInHost::VersionLabel() {
  if (!Loaded()) return {};
  return "Version: " + PlugInTamarik() + "\n" + PlugInPlugInType();
}

bool TPlugInHost::Activate(const std::string& name) {
  UserAction("UserAction: Activate PlugIn.");
  bool active = PlugInLoadDLL(name);
  if (active && !VersionAccepted(PlugInTamarik())) active = false;
  if (!active) PlugInUnloadDLL();
  return active;
}

bool TPlugInHost::ParamSet(std::uintptr_t window) {
  std::shared_ptr<TPlugInLibrary> library;
  {
    std::lock_guard lock(convertLock_);
    library = library_;
  }
  if (!library) return false;
  UserAction("UserAction: Activate PlugIn Parameter.");
  if (!library->Exports().ParamSet) return false;
  try {
    library->Exports().ParamSet(window);
  } catch (...) {
    ReportError(kLocation, std::string(kErrorText));
  }
  return true;
}

std::int32_t TPlugInHost::CallConvert(const TSeriellData* record, std::uint32_t& color, std::int32_t& interval,
                                      const char*& text) {
  color = 0;
  interval = 0;
  text = nullptr;
  try {
    if (record == nullptr) return library_->Exports().Convert(nullptr, &color, &interval, &text);
    const TPlugInRecord exchange = ToPlugInRecord(*record);
    return library_->Exports().Convert(&exchange, &color, &interval, &text);
  } catch (...) {
    UserAction("Error in PlugIn! (" + loadedName_ + ")");
    if (!errorShown_ && hooks_.ShowError) hooks_.ShowError(kErrorText);
    errorShown_ = true;
    return 0;
  }
}

bool TPlugInHost::PlugInConvert(TReceivePipeline& pipeline, const ReceiveRing& ring, int batchStart,
                                int batchCount) {
  TPlugInOutput out;
  {
    std::lock_guard lock(convertLock_);
    if (!library_ || !library_->Exports().Convert) return false;
    errorShown_ = false;
    batchFirst_ = ring.Slot(batchStart);
    if (!pipeline.LastRec()) pipeline.SetLastRec(ring.Slot(batchStart));
    for (int i = batchStart; i < batchStart + batchCount; ++i) {
      const TSeriellData& r = ring.Slot(i);
      std::uint32_t color = 0;
      std::int32_t interval = 0;
      const char* text = nullptr;
      const std::int32_t result = CallConvert(&r, color, interval, text);
      if (result > 0 && text != nullptr) {
        RenderPlugInText(pipeline, r, PlugInText(text, result), color, out);
        SetTimer(interval, out);
      }
      pipeline.SetLastRec(r);
    }
  }
  out.EmitTo(pipeline);
  return true;
}

void TPlugInHost::SetTimer(std::int32_t interval, TPlugInOutput& out) {
  if (interval == 1)
    TimerCalls(out);
  else
    timer_.SetInterval(interval);
}

void TPlugInHost::tmrPlugInTimer() {
  pipeline_.RunExclusive([this] {
    TPlugInOutput out;
    {
      std::lock_guard lock(convertLock_);
      errorShown_ = false;
      TimerCalls(out);
    }
    out.EmitTo(pipeline_);
  });
}

void TPlugInHost::TimerCalls(TPlugInOutput& out) {
  timer_.SetInterval(0);
  if (!library_ || !library_->Exports().Convert) return;
  TSeriellData record = pipeline_.LastRec() ? *pipeline_.LastRec() : batchFirst_.value_or(TSeriellData{});
  record.Time = hooks_.Now ? hooks_.Now() : NowDateTime();
  record.SubMs = 0;
  for (int calls = 1;; ++calls) {
    std::uint32_t color = 0;
    std::int32_t interval = 0;
    const char* text = nullptr;
    const std::int32_t result = CallConvert(nullptr, color, interval, text);
    if (result > 0 && text != nullptr) RenderPlugInText(pipeline_, record, PlugInText(text, result), color, out);
    if (interval != 1) {
      timer_.SetInterval(interval);
      return;
    }
    if (calls >= kMaxCallsAtOnce) {
      timer_.SetInterval(1);
      return;
    }
  }
}
