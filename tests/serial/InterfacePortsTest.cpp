// Applying the interface page's choice to port A and port B: line settings,
// the order of opening, failures of one port, the modem lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "FakePortDevice.h"
#include "SerialTestUtil.h"
#include "core/ReceivePipeline.h"
#include "core/RunQueue.h"
#include "serial/InterfacePorts.h"
#include "core/ReceiveRing.h"

namespace {

const std::vector<std::string> kBaudItems = {"Andere", "300",   "600",   "1200",  "2400",  "4800", "9600",
                                             "14400",  "19200", "28800", "38400", "57600", "115200"};

class InterfacePortsTest : public ::testing::Test {
 protected:
  InterfacePortsTest() : pipeline(queue) {
    auto a = std::make_unique<TFakePortDevice>();
    auto b = std::make_unique<TFakePortDevice>();
    devA = a.get();
    devB = b.get();
    ports = std::make_unique<TInterfacePorts>(ring, pipeline, std::move(a), std::move(b));
  }

  TInterfaceRequest Request(TModeButton mode) {
    TInterfaceRequest r;
    r.Mode = mode;
    r.WorkMode = WorkModeFor(mode, 0);
    r.PortA = "fakeA";
    r.PortB = "fakeB";
    r.BaudItems = kBaudItems;
    r.Ports.PortASettings.DataBits = 3;
    r.Ports.PortBSettings.DataBits = 3;
    return r;
  }

  ReceiveRing ring;
  TRunQueue queue;
  TReceivePipeline pipeline;
  TFakePortDevice* devA = nullptr;
  TFakePortDevice* devB = nullptr;
  std::unique_ptr<TInterfacePorts> ports;
};

TEST(LineSettingsTest, FlowAndIndexesMapAsThePortWantsThem) {
  TPortSettings s;
  s.Baudrate = 12;
  s.FlowMode = 2;  // "Hardware"
  s.Parity = 2;
  TPortLineChoice line;
  std::string error;
  ASSERT_TRUE(MapLineSettings(s, kBaudItems, true, line, error));
  EXPECT_EQ(line.Baudrate, 115200);
  EXPECT_EQ(line.FlowMode, fcDTR_DSR) << "Hardware is DTR/DSR, not RTS/CTS";
  EXPECT_EQ(line.Parity, PaOdd);
  ASSERT_TRUE(MapLineSettings(s, kBaudItems, false, line, error));
  EXPECT_EQ(line.FlowMode, fcNone) << "flow control only in modes E and F";
  s.Parity = 7;
  s.DataBits = 9;
  ASSERT_TRUE(MapLineSettings(s, kBaudItems, true, line, error));
  EXPECT_FALSE(line.Parity.has_value()) << "an index off the list leaves the property";
  EXPECT_FALSE(line.DataBits.has_value());
  s.Baudrate = 0;
  s.OtherBaud = "12a";
  EXPECT_FALSE(MapLineSettings(s, kBaudItems, true, line, error));
  EXPECT_NE(error.find("12a"), std::string::npos);
  s.OtherBaud = "31250";
  ASSERT_TRUE(MapLineSettings(s, kBaudItems, true, line, error));
  EXPECT_EQ(line.Baudrate, 31250);
  EXPECT_EQ(StopBitsFor(1, d5bit), st1bit5);
  EXPECT_EQ(StopBitsFor(1, d8bit), st2bit);
}

TEST_F(InterfacePortsTest, ModeEWithPortBFailingStillOpensPortA) {
  devB->FailOpenWith(ENOENT);
  TInterfaceRequest r = Request(mbE);
  r.Ports.PortASettings.FlowMode = 2;
  const TApplyResult result = ports->Open(r);
  EXPECT_TRUE(ports->PortA().Opened());
  EXPECT_FALSE(ports->PortB().Opened());
  EXPECT_EQ(result.FailedPorts, std::vector<std::string>{"fakeB"});
  EXPECT_TRUE(result.Pending) << "the button stays Übernehmen";
  EXPECT_EQ(devA->Settings().FlowMode, fcDTR_DSR);
  EXPECT_EQ(devA->LastPath(), "/dev/fakeA");
  ports->CloseAll();
}

TEST_F(InterfacePortsTest, BothPortsOpenInModeDWithoutFlowControl) {
  TInterfaceRequest r = Request(mbD);
  r.Ports.PortASettings.FlowMode = 2;
  r.Ports.PortBSettings.FlowMode = 1;
  r.Ports.PortBSettings.Baudrate = 8;
  const TApplyResult result = ports->Open(r);
  EXPECT_FALSE(result.Pending);
  EXPECT_TRUE(result.FailedPorts.empty());
  EXPECT_EQ(devA->Settings().FlowMode, fcNone);
  EXPECT_EQ(devB->Settings().FlowMode, fcNone);
  EXPECT_EQ(devA->Settings().Baudrate, 9600);
  EXPECT_EQ(devB->Settings().Baudrate, 19200);
  EXPECT_EQ(ports->PortB().WorkMode.load(), 140);
  // "Trennen": both ports close.
  ports->CloseAll();
  EXPECT_FALSE(ports->PortA().Opened());
  EXPECT_FALSE(ports->PortB().Opened());
  EXPECT_FALSE(devA->IsOpen());
  EXPECT_FALSE(devB->IsOpen());
}

TEST_F(InterfacePortsTest, FiveDataBitsWithTwoStopBitsBecomeOneAndAHalf) {
  TInterfaceRequest r = Request(mbA);
  r.Ports.PortASettings.DataBits = 0;
  r.Ports.PortASettings.StopBits = 1;
  ports->Open(r);
  EXPECT_EQ(devA->Settings().DataBits, d5bit);
  EXPECT_EQ(devA->Settings().StopBits, st1bit5);
  EXPECT_FALSE(ports->PortB().Opened()) << "mode A watches port A only";
  ports->CloseAll();
}

TEST_F(InterfacePortsTest, ConverterModeOpensWithRtsOffAndDtrOn) {
  TInterfaceRequest r = Request(mbH);
  r.Flow = {true, true, false, true, true};  // the boxes ask for the opposite
  const TApplyResult result = ports->Open(r);
  ASSERT_TRUE(ports->PortA().Opened());
  const std::vector<std::string> log = devA->Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "RTS:1"), 0) << "RTS never on, not even while opening";
  const auto lastRts = std::find(log.rbegin(), log.rend(), "RTS:0");
  const auto lastDtr = std::find_if(log.rbegin(), log.rend(), [](const std::string& s) { return s.rfind("DTR", 0) == 0; });
  EXPECT_NE(lastRts, log.rend());
  ASSERT_NE(lastDtr, log.rend());
  EXPECT_EQ(*lastDtr, "DTR:1");
  EXPECT_FALSE(result.Pending);
  ports->CloseAll();
}

TEST_F(InterfacePortsTest, BadOtherBaudOpensNothing) {
  TInterfaceRequest r = Request(mbE);
  r.Ports.PortBSettings.Baudrate = 0;
  r.Ports.PortBSettings.OtherBaud = "fast";
  const TApplyResult result = ports->Open(r);
  EXPECT_TRUE(result.ConversionFailed);
  EXPECT_EQ(devA->OpenCount(), 0);
  EXPECT_EQ(devB->OpenCount(), 0);
}

TEST_F(InterfacePortsTest, FlowSignalsBackToNormalSwitchLinesOn) {
  TInterfaceRequest r = Request(mbA);
  r.Flow = {true, false, false, false, false};
  ports->Open(r);
  ports->FlowSignalBoxClicked(false, 0, true, true);
  EXPECT_EQ(devA->Log().back(), "RTS:1");
  const TFlowCtrlSettings boxes = ports->FlowSignalsChanged({false, false, false, false, false});
  EXPECT_TRUE(boxes.chkFlowSignalsRTSA);
  EXPECT_TRUE(boxes.chkFlowSignalsDTRA);
  EXPECT_FALSE(boxes.chkFlowSignalsRTSB) << "port B is not open";
  EXPECT_EQ(devA->Log().back(), "DTR:1");
  ports->CloseAll();
}

}  // namespace
