#include "headless/HeadlessSend.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "core/ReceivePipeline.h"
#include "serial/SerialSendPort.h"
#include "serial/Seriell.h"

THeadlessSend::THeadlessSend(TReceivePipeline& pipeline, const THeadlessSendOptions& options) : options_(options) {
  routine_.SetEcho([&pipeline](const std::string& text) { pipeline.ShowStatusLine(text, true); });
}

THeadlessSend::~THeadlessSend() { Unbind(); }

void THeadlessSend::Bind(int workMode, TSeriell* portA, TSeriell* portB, int fd, TUsbSendOutput* usb) {
  Unbind();
  routine_.SetUsb(usb);
  if (portA != nullptr) sendA_ = std::make_unique<TSerialSendPort>(*portA);
  if (portB != nullptr) sendB_ = std::make_unique<TSerialSendPort>(*portB);
  routine_.SetPorts(sendA_.get(), sendB_.get());
  routine_.SetWorkMode(workMode, workMode >= 400 && workMode <= 499);
  if (fd >= 0 && !inputEnded_) reader_ = std::jthread([this, fd](std::stop_token stop) { ReadLoop(stop, fd); });
}

void THeadlessSend::Unbind() {
  if (reader_.joinable()) {
    reader_.request_stop();
    reader_.join();
  }
  routine_.SetPorts(nullptr, nullptr);
  routine_.SetUsb(nullptr);
  sendA_.reset();
  sendB_.reset();
}

void THeadlessSend::SendLine(const std::string& line) {
  // In the CAN modes a line is one frame: a line end would become its data.
  const int mode = routine_.WorkMode();
  const bool lineEnd = mode != 440 && mode != 470;
  routine_.DatenSenden(options_.TargetB, SendBytesFromUtf8(line), lineEnd && options_.AddCR,
                       lineEnd && options_.AddLF, false, false, false, 0);
}

void THeadlessSend::ReadLoop(std::stop_token stop, int fd) {
  char buffer[4096];
  while (!stop.stop_requested()) {
    // A short poll, so that closing never waits on a silent terminal.
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 100);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      if (ready < 0) return;
      continue;
    }
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {  // end of input: the monitor goes on
      inputEnded_ = true;
      break;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      SendLine(line);
    }
  }
  // A last line without its line end still goes out.
  if (inputEnded_ && !pending_.empty()) {
    SendLine(pending_);
    pending_.clear();
  }
}
