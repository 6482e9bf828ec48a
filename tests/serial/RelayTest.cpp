// The monitor in the line, end to end: bytes written on one pseudo-terminal
// travel through a port, its event thread, the ring, the receive pipeline's
// relay and the other port's send thread to the other pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <future>
#include <mutex>
#include <random>
#include <thread>

#include "FakePortDevice.h"
#include "SerialTestUtil.h"
#include "core/ReceivePipeline.h"
#include "serial/DemoLink.h"
#include "serial/PseudoTerminal.h"
#include "core/SerialThreadOut.h"
#include "serial/Seriell.h"

using namespace serial_test;

namespace {

class TCollectingSink final : public TTraceSink {
 public:
  void AppendText(std::string_view text, TColor color) override {
    std::lock_guard lock(lock_);
    (color == clRed ? sps_ : pc_).append(text);
  }
  bool LastLineEmpty() const override { return false; }
  std::string Pc() const {
    std::lock_guard lock(lock_);
    return pc_;
  }
  std::string Sps() const {
    std::lock_guard lock(lock_);
    return sps_;
  }

 private:
  mutable std::mutex lock_;
  std::string pc_, sps_;
};

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(gen() & 0xFF));
  return s;
}

void Prepare(TSeriell& port, TSerialDirections dir, const std::string& name) {
  port.SetDirection(dir);
  port.IsPortB.store(dir == dirPortB);
  port.WorkMode.store(200);
  port.SetBaudrate(115200);
  port.SetFlowMode(fcNone);
  port.SetPort(name);
}

}  // namespace

TEST(SerialRelay, EveryByteCrossesBothWaysInOrder) {
  TCollectingSink sink;
  TReceivePipeline pipeline(sink);
  TSerialThreadOut consumer([&](TSerialThreadOut& sender) { pipeline.RxData(sender); });
  TPseudoTerminal pc, sps;
  ASSERT_EQ(pc.Open(), 0);
  ASSERT_EQ(sps.Open(), 0);
  TSeriell a(consumer.Ring()), b(consumer.Ring());
  Prepare(a, dirPortA, pc.SlaveName());
  Prepare(b, dirPortB, sps.SlaveName());
  a.SetActive(true);
  b.SetActive(true);
  ASSERT_TRUE(a.Opened() && b.Opened());
  TRxOptions options;
  options.WorkMode = 200;
  options.RelayPorts = true;
  pipeline.SetOptions(options);
  pipeline.SetRelayPorts(&a, &b);
  consumer.Resume();

  // Less than the ring holds, so nothing can be lost however slow the relay.
  const std::string fromPc = RandomBytes(8000, 1), fromSps = RandomBytes(8000, 2);
  const auto writer = [](TPseudoTerminal& line, const std::string& data) {
    for (std::size_t at = 0; at < data.size(); at += 100)
      line.WriteAll(data.data() + at, std::min<std::size_t>(100, data.size() - at), 20000);
  };
  std::jthread pcWriter(writer, std::ref(pc), std::cref(fromPc));
  std::jthread spsWriter(writer, std::ref(sps), std::cref(fromSps));

  std::string atSps, atPc;
  WaitFor(
      [&] {
        pollfd fds[2] = {{pc.Master(), POLLIN, 0}, {sps.Master(), POLLIN, 0}};
        if (poll(fds, 2, 10) > 0) {
          char buffer[1024];
          if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(pc.Master(), buffer, sizeof buffer);
            if (n > 0) atPc.append(buffer, static_cast<std::size_t>(n));
          }
          if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(sps.Master(), buffer, sizeof buffer);
            if (n > 0) atSps.append(buffer, static_cast<std::size_t>(n));
          }
        }
        return atPc.size() >= fromSps.size() && atSps.size() >= fromPc.size();
      },
      60s);
  EXPECT_TRUE(atSps == fromPc) << atSps.size() << " of " << fromPc.size() << " bytes reached the controller";
  EXPECT_TRUE(atPc == fromSps) << atPc.size() << " of " << fromSps.size() << " bytes reached the PC";
  EXPECT_EQ(consumer.Ring().LostTotal(), 0u);

  pipeline.SetRelayPorts(nullptr, nullptr);
  a.SetActive(false);
  b.SetActive(false);
  consumer.Terminate();
}

TEST(SerialRelay, DemoLinkRunsBothSidesThroughThePorts) {
  TReportCapture reports;
  TCollectingSink sink;
  TReceivePipeline pipeline(sink);
  TSerialThreadOut consumer([&](TSerialThreadOut& sender) { pipeline.RxData(sender); });
  consumer.Resume();
  {
    TDemoLink demo(consumer.Ring(), pipeline, 1);
    ASSERT_TRUE(demo.Start());
    EXPECT_TRUE(demo.PortA().Opened());
    EXPECT_TRUE(demo.PortB().Opened());
    EXPECT_TRUE(pipeline.Options().RelayPorts);
    // Requests from the PC in black, answers from the controller in red.
    EXPECT_TRUE(WaitFor([&] {
      return sink.Pc().find("RD[ ]DB10.DBW02") != std::string::npos &&
             sink.Sps().find("DB10.DBW02=07919") != std::string::npos;
    }));
    demo.Stop();
    EXPECT_FALSE(demo.PortA().Opened());
    EXPECT_FALSE(pipeline.Options().RelayPorts);
  }
  consumer.Terminate();
  EXPECT_EQ(reports.Count(), 0u);
}

// Port B stops taking data: the relay drops what does not fit, says so,
// and neither the trace nor the closing waits for the port.
TEST(SerialRelay, AStalledTargetCostsNeitherTheTraceNorTheClosing) {
  TReportCapture reports;
  TCollectingSink sink;
  TReceivePipeline pipeline(sink);
  TSerialThreadOut consumer([&](TSerialThreadOut& sender) { pipeline.RxData(sender); });
  auto deviceA = std::make_unique<TFakePortDevice>();
  auto deviceB = std::make_unique<TFakePortDevice>();
  TFakePortDevice* fakeA = deviceA.get();
  TFakePortDevice* fakeB = deviceB.get();
  TSeriell a(consumer.Ring(), std::move(deviceA)), b(consumer.Ring(), std::move(deviceB));
  a.SetDirection(dirPortA);
  b.SetDirection(dirPortB);
  b.IsPortB.store(true);
  for (TSeriell* port : {&a, &b}) {
    port->SetFlowMode(fcNone);
    port->SetActive(true);
  }
  fakeB->HoldWrites(true);
  TRxOptions options;
  options.WorkMode = 200;
  options.RelayPorts = true;
  pipeline.SetOptions(options);
  pipeline.SetRelayPorts(&a, &b);
  consumer.Resume();

  const std::size_t total = TRelayStage::kPendingLimit + 5000;
  std::size_t pushed = 0;
  for (int round = 0; pushed < total; ++round) {
    for (int i = 0; i < 5000 && pushed < total; ++i, ++pushed) fakeA->PushByte(static_cast<std::uint8_t>('a' + i % 26));
    ASSERT_TRUE(fakeA->Settle());
    ASSERT_TRUE(WaitFor([&] { return sink.Pc().size() == pushed; })) << sink.Pc().size() << " of " << pushed;
  }
  ASSERT_TRUE(fakeB->WaitWriterHeld());
  EXPECT_GE(pipeline.RelayDropped(), total - TRelayStage::kPendingLimit);

  auto closing = std::async(std::launch::async, [&] {
    pipeline.SetRelayPorts(nullptr, nullptr);
    a.SetActive(false);
    b.SetActive(false);
    consumer.Terminate();
  });
  const bool closed = closing.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!closed) fakeB->HoldWrites(false);  // let a faulty build finish the test
  EXPECT_TRUE(closed);
  closing.wait();
  bool reported = false;
  for (const auto& report : reports.Reports())
    reported = reported || (report.Location == "1.2" && report.Message.find("port B took no more data") != std::string::npos);
  EXPECT_TRUE(reported);
}
