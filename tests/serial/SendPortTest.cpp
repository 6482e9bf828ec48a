// The send routine and the file send over real port components: a
// pseudo-terminal carries the bytes, the fake device shows break and
// direction line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "FakePortDevice.h"
#include "SendLine.h"
#include "SerialTestUtil.h"
#include "core/AppFlags.h"
#include "core/SendData.h"
#include "core/SendFile.h"
#include "serial/SerialSendPort.h"
#include "serial/Seriell.h"

using namespace serial_test;

namespace {

class SendOverPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    SendAbort.store(false);
    ASSERT_TRUE(wire.Open([](TSeriell& port) {
      port.SetDirection(dirPortA);
      port.SetBaudrate(115200);
    }));
    routine.SetEcho([this](const std::string& text) {
      std::lock_guard lock(echoLock);
      echoes.push_back(text);
    });
  }
  void TearDown() override { SendAbort.store(false); }

  std::string Receive(std::size_t want, std::chrono::milliseconds limit = 20s) { return wire.Receive(want, limit); }

  TSendLine wire;
  TSendRoutine& routine = wire.routine;
  const std::string& received = wire.received;
  std::mutex echoLock;
  std::vector<std::string> echoes;
};

std::string TempFile(const std::string& name, const std::string& content) {
  const auto path = std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary) << content;
  return path.string();
}

TEST_F(SendOverPorts, TypedLineArrivesOnTheLine) {
  EXPECT_TRUE(routine.DatenSenden(false, "A 0x42 0x43 D", true, true, false, true, false, 0));
  EXPECT_EQ(Receive(6), "ABCD\r\n");
  EXPECT_EQ(echoes, (std::vector<std::string>{"A 0x42 0x43 D"}));
}

TEST_F(SendOverPorts, FileArrivesCompleteAndInOrder) {
  std::string content;
  for (int i = 0; i < 2000; ++i) content += "line " + std::to_string(i) + "\r\n";
  const std::string file = TempFile("tamarik-send-", content);
  TFileSend send;
  std::atomic<bool> finished{false};
  ASSERT_TRUE(send.Start(routine, {file, false, false, 0}, {nullptr, [&] { finished.store(true); }}));
  EXPECT_EQ(Receive(content.size()), content);
  ASSERT_TRUE(WaitFor([&] { return finished.load(); }));
  std::filesystem::remove(file);
}

TEST_F(SendOverPorts, CancelStopsAfterTheCurrentChunk) {
  const std::string content(100000, 'x');
  const std::string file = TempFile("tamarik-cancel-", content);
  TFileSend send;
  std::atomic<bool> finished{false};
  const auto sentChunks = [&] {
    std::lock_guard lock(echoLock);
    return echoes.size();
  };
  // A pause after each chunk keeps the send going long enough to cancel it.
  ASSERT_TRUE(send.Start(routine, {file, false, true, 50}, {nullptr, [&] { finished.store(true); }}));
  ASSERT_TRUE(WaitFor([&] { return sentChunks() >= 2; }));
  SendAbort.store(true);
  ASSERT_TRUE(WaitFor([&] { return finished.load(); }));
  EXPECT_LT(sentChunks(), content.size() / 600);
  Receive(sentChunks() * 600);
  Receive(content.size(), 200ms);  // nothing more comes
  EXPECT_EQ(received.size(), sentChunks() * 600);
  std::filesystem::remove(file);
}

TEST(SendOverFakePort, BreakAndDirectionLineWhereTheModeAsksForThem) {
  ReceiveRing ring;
  auto device = std::make_unique<TFakePortDevice>();
  TFakePortDevice* fake = device.get();
  TSeriell port(ring, std::move(device));
  port.SetDirection(dirPortA);
  port.SetFlowMode(fcNone);
  port.SetPort("fakeA");
  port.WorkMode.store(110);
  port.SetActive(true);
  TSerialSendPort send(port);
  TSendRoutine routine;
  routine.SetPorts(&send, nullptr);
  routine.SetWorkMode(110, false);
  // Target B in a spy-cable mode: port A, switching DTR.
  EXPECT_TRUE(routine.DatenSenden(true, "x", false, false, false, true, true, 0));
  ASSERT_TRUE(fake->WaitWritten(1));
  ASSERT_TRUE(WaitFor([&] { return fake->Log().back() == "DTR:1"; }));
  auto log = fake->Log();
  const auto brk = std::find(log.begin(), log.end(), "BRK:1");
  ASSERT_NE(brk, log.end());
  EXPECT_EQ(std::vector<std::string>(brk - 1, log.end()),
            (std::vector<std::string>{"DTR:0", "BRK:1", "BRK:0", "DTR:0", "W:x", "DTR:1"}));
}

}  // namespace
