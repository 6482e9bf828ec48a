// Typing in the terminal while a USB mode runs: the lines go out through the
// box, here the CAN demo's, and reach its bus as the frames they name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "BootNodeOnBus.h"
#include "CanDemo.h"
#include "InterfaceBoard.h"
#include "USB.h"
#include "core/AppFlags.h"
#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"
#include "core/RunQueue.h"
#include "headless/HeadlessSend.h"
#include "headless/HeadlessUsb.h"

namespace {

using tamarikusb::TCanBus;

// Frames the box's own controller completed on the bus, until `count` came
// or 20 s passed.
std::vector<TCanBus::TSeen> SeenFrom(TCanBus& bus, int node, std::size_t count) {
  std::vector<TCanBus::TSeen> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (seen.size() < count && std::chrono::steady_clock::now() < deadline) {
    for (const auto& s : bus.TakeSeen())
      if (s.node == node) seen.push_back(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return seen;
}

TEST(HeadlessUsbSend, TypedLinesGoOutThroughTheBoxAsCanFramesAndTheBootNodeAnswers) {
  SendAbort = false;
  AppClosing = false;
  ReceiveRing ring;
  TRunQueue queue;
  TReceivePipeline pipeline(queue);
  THeadlessUsb usb(ring);
  ASSERT_TRUE(usb.StartCanDemo());
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  THeadlessSend send(pipeline, {});  // CR LF asked for: a CAN line still carries none
  send.Bind(TCanDemo::kWorkMode, nullptr, nullptr, fds[0], &usb.SendOutput());
  auto& bus = usb.CanDemo()->Board().Can();
  bus.TakeSeen();

  const std::string typed = "7FF 0x01 0x02\nx10 1 2\n0 0xFF\n";
  ASSERT_EQ(::write(fds[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  const auto sent = SeenFrom(bus, tamarikusb::kControllerNode, 3);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].frame.id, 0x7FFu);
  EXPECT_FALSE(sent[0].frame.extended);
  EXPECT_EQ(sent[0].frame.dlc, 2);
  EXPECT_EQ(sent[0].frame.data[1], 0x02);
  EXPECT_EQ(sent[1].frame.id, 0x10u);
  EXPECT_TRUE(sent[1].frame.extended);
  EXPECT_EQ(sent[1].frame.dlc, 3);
  EXPECT_EQ(sent[1].frame.data[0], '1');
  EXPECT_EQ(sent[2].frame.id, 0x000u);
  // The boot-loader node took its number and opened.
  EXPECT_TRUE(usb.CanDemo()->Board().WithCanController([&](auto&) { return usb.CanDemo()->BootNode().Open(); }));
  send.Unbind();
  ::close(fds[1]);
  ::close(fds[0]);
  usb.Stop();
}

}  // namespace
