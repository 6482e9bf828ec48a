#include "core/SendFile.h"

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/SendData.h"

std::string NextFileChunk(std::istream& in, bool waitAfterLine, const std::function<bool()>& stopped) {
  std::string chunk;
  while (chunk.size() < kChunkMax && !stopped()) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    chunk.push_back(static_cast<char>(c));
    if (c != '\r' || !(waitAfterLine || chunk.size() > kChunkLineMin)) continue;
    if (in.peek() == '\n') chunk.push_back(static_cast<char>(in.get()));
    break;
  }
  return chunk;
}

TFileSend::~TFileSend() { Join(); }

void TFileSend::Join() {
  if (thread_.joinable()) thread_.join();
}

bool TFileSend::Start(TSendRoutine& routine, const TFileSendRequest& request, TCallbacks callbacks) {
  if (running_.load()) return false;
  std::error_code error;
  if (!std::filesystem::is_regular_file(request.FileName, error)) return false;
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(request.FileName, error));
  if (error || size == 0) return false;
  Join();
  running_.store(true);
  thread_ = std::jthread([this, &routine, request, callbacks = std::move(callbacks), size] {
    Run(routine, request, callbacks, size);
  });
  return true;
}

void TFileSend::Run(TSendRoutine& routine, TFileSendRequest request, TCallbacks callbacks, std::int64_t size) {
  try {
    std::ifstream in(request.FileName, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open " + request.FileName);
    while (!SendStopped()) {
      const std::string chunk = NextFileChunk(in, request.WaitAfterLine, SendStopped);
      if (chunk.empty()) break;
      const std::int64_t position = in.eof() ? size : static_cast<std::int64_t>(in.tellg());
      if (callbacks.Progress) callbacks.Progress(position, size);
      // A chunk that did not go out was reported; the rest would fail alike.
      if (!routine.DatenSenden(request.TargetB, chunk, false, false, true, true, false, 0)) break;
      if (request.WaitAfterLine && request.WaitMs > 0) {
        // The pause ends early on a cancel.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(request.WaitMs);
        while (!SendStopped() && std::chrono::steady_clock::now() < until) SleepWait(2);
      }
    }
  } catch (const std::exception& e) {
    ReportError("29", e);
  }
  running_.store(false);
  if (callbacks.Finished) callbacks.Finished();
}
