// Typing in the terminal front end: lines from an input descriptor reach the
// port with the configured line end and are echoed into the trace.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "headless/HeadlessSend.h"
#include "serial/PseudoTerminal.h"
#include "core/ReceiveRing.h"
#include "serial/Seriell.h"

namespace {

std::string ReadUntil(int fd, std::size_t want) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

TEST(HeadlessSend, TypedLinesGoToTheChosenPortOverAReopenAndEndOfInputKeepsRunning) {
  TPseudoTerminal lineA;
  ASSERT_EQ(lineA.Open(), 0);
  ReceiveRing ring;
  TSeriell portA(ring);
  portA.SetFlowMode(fcNone);
  portA.SetPort(lineA.SlaveName());
  portA.SetActive(true);
  ASSERT_TRUE(portA.Opened());

  TRunQueue queue;
  TReceivePipeline pipeline(queue);
  THeadlessSend send(pipeline, {false, true, false});  // CR only
  int input[2];
  ASSERT_EQ(::pipe(input), 0);
  send.Bind(110, &portA, nullptr, input[0]);
  const std::string typed = "hello\n0x41 0x";
  ASSERT_EQ(::write(input[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  EXPECT_EQ(ReadUntil(lineA.Master(), 6), "hello\r");

  // The automation object reopens the ports: typing goes on, the half line kept.
  send.Unbind();
  send.Bind(110, &portA, nullptr, input[0]);
  const std::string rest = "42\r\nlast";
  ASSERT_EQ(::write(input[1], rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
  ::close(input[1]);  // end of input
  EXPECT_EQ(ReadUntil(lineA.Master(), 8), "AB\rlast\r");
  // Still sending after the end of input.
  send.SendLine("more");
  EXPECT_EQ(ReadUntil(lineA.Master(), 5), "more\r");
  send.Unbind();
  ::close(input[0]);

  std::vector<TTextRun> runs;
  queue.Take(runs);
  std::string trace;
  for (const TTextRun& run : runs) trace += run.Text;
  EXPECT_NE(trace.find("0x41 0x42"), std::string::npos) << trace;
  EXPECT_NE(trace.find("more"), std::string::npos) << trace;
}

}  // namespace
