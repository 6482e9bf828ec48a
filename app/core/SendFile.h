// Sending a file line by line: how the file is cut into chunks, and the
// worker that sends them so that the window thread never waits on the port.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <thread>

class TSendRoutine;

// Short lines are gathered: a CR ends a chunk only when each line is
// followed by a pause, or once the chunk holds more than 50 bytes; an LF
// right after the CR stays with it. No chunk is longer than 600 bytes.
inline constexpr std::size_t kChunkLineMin = 50;
inline constexpr std::size_t kChunkMax = 600;
// The next chunk of in; empty at the end of the input or once stopped() says so.
std::string NextFileChunk(std::istream& in, bool waitAfterLine, const std::function<bool()>& stopped);

struct TFileSendRequest {
  std::string FileName;
  bool TargetB = false;
  bool WaitAfterLine = false;
  int WaitMs = 0;  // pause after each chunk when WaitAfterLine
};

// Runs one file send on a thread of its own. The callbacks run on that
// thread.
class TFileSend {
 public:
  struct TCallbacks {
    std::function<void(std::int64_t position, std::int64_t size)> Progress;
    std::function<void()> Finished;  // always, also after an error or a cancel
  };
  ~TFileSend();
  // False when the file is missing or cannot be opened (nothing started);
  // an empty file starts nothing either.
  bool Start(TSendRoutine& routine, const TFileSendRequest& request, TCallbacks callbacks);
  bool Running() const { return running_.load(); }
  // Waits for the thread to end (after SendAbort or AppClosing it ends soon).
  void Join();

 private:
  void Run(TSendRoutine& routine, TFileSendRequest request, TCallbacks callbacks, std::int64_t size);

  std::atomic<bool> running_{false};
  std::jthread thread_;
};
