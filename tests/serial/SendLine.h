// A send routine whose port A is a real port component on a pseudo-terminal,
// and the far end's reader: what was sent arrives in `received`.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>

#include "SerialTestUtil.h"
#include "core/ReceiveRing.h"
#include "core/SendData.h"
#include "serial/PseudoTerminal.h"
#include "serial/SerialSendPort.h"
#include "serial/Seriell.h"

namespace serial_test {

struct TSendLine {
  // Opens the port without flow control and hands it to the routine as port
  // A in mode 200; configure sets what a test wants before the port opens.
  ::testing::AssertionResult Open(const std::function<void(TSeriell&)>& configure = {}) {
    if (const int error = line.Open(); error != 0)
      return ::testing::AssertionFailure() << "pseudo-terminal: errno " << error;
    port = std::make_unique<TSeriell>(ring);
    if (configure) configure(*port);
    port->SetFlowMode(fcNone);
    port->SetPort(line.SlaveName());
    port->SetActive(true);
    if (!port->Opened()) return ::testing::AssertionFailure() << "the port did not open " << line.SlaveName();
    sendPort = std::make_unique<TSerialSendPort>(*port);
    routine.SetPorts(sendPort.get(), nullptr);
    routine.SetWorkMode(200, false);
    return ::testing::AssertionSuccess();
  }

  // Reads what the far end received until want bytes came.
  std::string Receive(std::size_t want, std::chrono::milliseconds limit = 20s) {
    WaitFor([&] {
      pollfd fd{line.Master(), POLLIN, 0};
      if (poll(&fd, 1, 10) > 0) {
        char buffer[4096];
        const ssize_t n = ::read(line.Master(), buffer, sizeof buffer);
        if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
      }
      return received.size() >= want;
    }, limit);
    return received;
  }

  ReceiveRing ring;
  TPseudoTerminal line;
  std::unique_ptr<TSeriell> port;
  std::unique_ptr<TSerialSendPort> sendPort;
  TSendRoutine routine;
  std::string received;
};

}  // namespace serial_test
