// SetCOM in the terminal front end: it fills the interface OpenPort will
// open, and a speed button keeps the other port's line as it was.
#include <gtest/gtest.h>

#include "automation/AutomationRules.h"
#include "headless/HeadlessAutomation.h"

namespace {

class HeadlessSetCom : public ::testing::Test {
 protected:
  void SetUp() override {
    request.BaudItems = {"Andere", "9600", "19200"};
    request.Ports.PortASettings.Baudrate = 1;
    request.Ports.PortBSettings.Baudrate = 1;
  }
  TInterfaceRequest request;
  TRequestSetComTarget target{request, {"ttyS0", "ttyS1", "ttyUSB0"}};
};

TEST_F(HeadlessSetCom, TwoPortModeTakesBothPortsAndTheRate) {
  EXPECT_EQ(SetCOM(target, {3, 2, comPortAB, 1, 19200, comDbt8, comSbt1, comParityNone}), 0);
  EXPECT_EQ(request.Mode, mbD);
  EXPECT_EQ(request.WorkMode, WorkModeFor(mbD, 0));
  EXPECT_EQ(request.PortA, "ttyS1");
  EXPECT_EQ(request.PortB, "ttyUSB0");  // Direction2 picks port B
  EXPECT_EQ(request.Ports.PortASettings.Baudrate, 2);
  EXPECT_EQ(request.Ports.PortBSettings.Baudrate, 2);
}

TEST_F(HeadlessSetCom, PortOutsideTheListKeepsTheOldOne) {
  request.PortA = "ttyS0";
  SetCOM(target, {0, 0, comPortA, 9, 0, comDbt8, comSbt1, comParityNone});
  EXPECT_EQ(request.PortA, "ttyS0");
}

TEST_F(HeadlessSetCom, UnknownRateGoesToTheOtherField) {
  EXPECT_EQ(SetCOM(target, {0, 0, comPortAB, 0, 12345, comDbt8, comSbt1, comParityNone}), 0);
  EXPECT_EQ(request.Ports.PortASettings.Baudrate, 0);
  EXPECT_EQ(request.Ports.PortASettings.OtherBaud, "12345");
}

TEST_F(HeadlessSetCom, BadParametersLeaveTheRequestAndSayWhich) {
  const TInterfaceRequest before = request;
  EXPECT_EQ(SetCOM(target, {9, 0, comPortA, 1, 0, comDbt8, comSbt1, 7}), 145);
  EXPECT_EQ(request.Mode, before.Mode);
}

}  // namespace
