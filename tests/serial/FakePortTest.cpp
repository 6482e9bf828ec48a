// The port component and its threads over the fake device: modem lines,
// mirroring, line errors, a vanishing device, the send thread's direction
// line, breaks and reopening.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "FakePortDevice.h"
#include "SerialTestUtil.h"
#include "serial/Seriell.h"

using namespace serial_test;

namespace {

struct TFakePort {
  explicit TFakePort(ReceiveRing& ring, TSerialDirections dir, bool withCounters = true) {
    auto device = std::make_unique<TFakePortDevice>(withCounters);
    Fake = device.get();
    Port = std::make_unique<TSeriell>(ring, std::move(device));
    Port->SetDirection(dir);
    Port->IsPortB.store(dir == dirPortB);
    Port->SetPort(dir == dirPortB ? "fakeB" : "fakeA");
  }
  TFakePortDevice* Fake = nullptr;
  std::unique_ptr<TSeriell> Port;
};

class SerialFakePort : public ::testing::Test {
 protected:
  ReceiveRing ring;
};

}  // namespace

TEST_F(SerialFakePort, CtsChangeGivesOneSignalRecordAndTheSameSignalsAgainNone) {
  TFakePort a(ring, dirPortA);
  a.Port->SetActive(true);
  ASSERT_TRUE(a.Port->Opened());
  EXPECT_EQ(a.Fake->LastPath(), "/dev/fakeA");
  ASSERT_TRUE(a.Fake->Settle());

  a.Fake->SetInputs(mlCTS);
  ASSERT_TRUE(a.Fake->Settle());
  auto records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Count, 0);
  EXPECT_EQ(records[0].Signals, msCTS1);
  EXPECT_EQ(records[0].Dir, dirPortA);
  EXPECT_EQ(records[0].Ready, 1);

  a.Fake->SetInputs(mlCTS);
  ASSERT_TRUE(a.Fake->Settle());
  EXPECT_TRUE(TakeRecords(ring).empty());

  // Bytes after a change carry the new word; port B uses its own bits.
  TFakePort b(ring, dirPortB);
  b.Port->SetActive(true);
  ASSERT_TRUE(b.Fake->Settle());
  b.Fake->SetInputs(mlCTS | mlDSR | mlDCD | mlRI);
  ASSERT_TRUE(b.Fake->Settle());
  b.Fake->PushByte('x');
  ASSERT_TRUE(b.Fake->Settle());
  records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Signals, msCTS2 | msDSR2 | msCD | msRing);
  EXPECT_EQ(records[1].Count, 1);
  EXPECT_EQ(records[1].Data[0], 'x');
  EXPECT_EQ(records[1].Signals, msCTS2 | msDSR2 | msCD | msRing);
}

TEST_F(SerialFakePort, MirroringCopiesCtsAndDsrOntoThePartnerButNeverDcd) {
  TFakePort a(ring, dirPortA);
  TFakePort b(ring, dirPortB);
  a.Port->SetPartner(b.Port.get());
  b.Port->SetPartner(a.Port.get());
  b.Port->LinesOn.store(false);  // RTS and DTR of B start off
  a.Port->MirrorSignals.store(true);
  a.Port->SetActive(true);
  b.Port->SetActive(true);
  ASSERT_EQ(b.Fake->Outputs(), 0u);
  ASSERT_TRUE(a.Fake->Settle());

  a.Fake->SetInputs(mlCTS);
  ASSERT_TRUE(a.Fake->Settle());
  EXPECT_EQ(b.Fake->Outputs(), mlRTS);
  a.Fake->SetInputs(mlCTS | mlDSR);
  ASSERT_TRUE(a.Fake->Settle());
  EXPECT_EQ(b.Fake->Outputs(), mlRTS | mlDTR);
  a.Fake->SetInputs(mlDSR | mlDCD);
  ASSERT_TRUE(a.Fake->Settle());
  EXPECT_EQ(b.Fake->Outputs(), mlDTR);

  // Without MirrorSignals nothing is copied, even the other way.
  b.Fake->SetInputs(mlCTS);
  ASSERT_TRUE(b.Fake->Settle());
  EXPECT_EQ(a.Fake->Outputs(), mlRTS | mlDTR);  // as LinesOn set them
  a.Port->MirrorSignals.store(false);
  a.Fake->SetInputs(0);
  ASSERT_TRUE(a.Fake->Settle());
  EXPECT_EQ(b.Fake->Outputs(), mlDTR);
}

TEST_F(SerialFakePort, LineErrorsAreNamedAsTheDeviceCountsThem) {
  TFakePort a(ring, dirPortA);
  a.Port->SetActive(true);
  ASSERT_TRUE(a.Fake->Settle());
  // One fault a wake-up: within one read the counters cannot say which
  // byte had which fault.
  a.Fake->PushByte('a');
  a.Fake->PushParityError('p');
  ASSERT_TRUE(a.Fake->Settle());
  a.Fake->PushFrameError('f');
  a.Fake->PushByte(0xFF);
  ASSERT_TRUE(a.Fake->Settle());
  a.Fake->PushBreak();
  a.Fake->PushByte('z');
  ASSERT_TRUE(a.Fake->Settle());
  auto records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0].LineFlags, 0);
  EXPECT_EQ(records[1].Data[0], 'p');
  EXPECT_EQ(records[1].LineFlags, sePE);
  EXPECT_EQ(records[2].Data[0], 'f');
  EXPECT_EQ(records[2].LineFlags, seFE);
  EXPECT_EQ(records[3].Count, 1);
  EXPECT_EQ(records[3].Data[0], 0xFF);
  EXPECT_EQ(records[3].LineFlags, 0);
  EXPECT_EQ(records[4].Count, 0);  // a break is no byte
  EXPECT_EQ(records[4].LineFlags, seBI);
  EXPECT_EQ(records[5].LineFlags, 0);

  // An overrun marks the first record of its wake-up, or one of its own.
  a.Fake->PushOverrun();
  a.Fake->PushByte('o');
  a.Fake->PushByte('k');
  ASSERT_TRUE(a.Fake->Settle());
  records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].LineFlags, seOE);
  EXPECT_EQ(records[1].LineFlags, 0);
  a.Fake->PushOverrun();
  a.Fake->SetInputs(0);  // a wake-up without bytes
  ASSERT_TRUE(a.Fake->Settle());
  records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Count, 0);
  EXPECT_EQ(records[0].LineFlags, seOE);
}

TEST_F(SerialFakePort, UncheckedParityAndADeviceWithoutCounters) {
  TFakePort a(ring, dirPortA);
  a.Port->SetCheckParity(false);
  a.Port->SetActive(true);
  ASSERT_TRUE(a.Fake->Settle());
  a.Fake->PushParityError('p');
  ASSERT_TRUE(a.Fake->Settle());
  auto records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Data[0], 'p');
  EXPECT_EQ(records[0].LineFlags, 0);

  TFakePort b(ring, dirPortB, false);
  b.Port->SetActive(true);
  ASSERT_TRUE(b.Fake->Settle());
  b.Fake->PushFrameError('f');
  b.Fake->PushBreak();
  ASSERT_TRUE(b.Fake->Settle());
  records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].LineFlags, sePE | seFE);
  EXPECT_EQ(records[1].LineFlags, seBI);
}

TEST_F(SerialFakePort, VanishingDeviceReportsOnceAndKeepsWhatCameBefore) {
  TReportCapture reports;
  TFakePort a(ring, dirPortA);
  a.Port->SetActive(true);
  ASSERT_TRUE(a.Fake->Settle());
  for (char c : std::string("before")) a.Fake->PushByte(static_cast<std::uint8_t>(c));
  a.Fake->Vanish();
  ASSERT_TRUE(WaitFor([&] { return a.Port->Lost(); }));
  const auto records = TakeRecords(ring);
  ASSERT_EQ(records.size(), 6u);
  std::string text;
  for (const TSeriellData& r : records) text.push_back(static_cast<char>(r.Data[0]));
  EXPECT_EQ(text, "before");

  a.Port->AddTxOut("lost");  // the slot still empties: nobody waits forever
  EXPECT_TRUE(a.Port->WaitCanAddTxOut(std::chrono::seconds(20)));
  a.Port->SetActive(false);
  ASSERT_EQ(reports.Count(), 1u);
  EXPECT_EQ(reports.Reports()[0].Location, "23");
  EXPECT_NE(reports.Reports()[0].Message.find("fakeA"), std::string::npos);
  EXPECT_FALSE(a.Port->Opened());
}

TEST_F(SerialFakePort, SendThreadWritesInOrderAndSwitchesTheDirectionLineAroundBlocks) {
  TFakePort a(ring, dirPortA);
  a.Port->WorkMode.store(110);
  a.Port->DirectionLine.store(0);
  a.Port->SetFlowMode(fcNone);
  a.Port->SetActive(true);
  a.Fake->HoldWrites(true);
  a.Port->AddTxOut("ab");
  ASSERT_TRUE(a.Fake->WaitWriterHeld());
  // A second block handed in while the first is being written.
  ASSERT_TRUE(a.Port->WaitCanAddTxOut(std::chrono::seconds(20)));
  a.Port->AddTxOut("c");
  a.Fake->HoldWrites(false);
  ASSERT_TRUE(a.Fake->WaitWritten(3));
  ASSERT_TRUE(WaitFor([&] { return a.Fake->Log().back() == "RTS:1"; }));
  EXPECT_EQ(a.Fake->Written(), "abc");

  std::vector<std::string> log = a.Fake->Log();
  // After the opening (RTS on, DTR on): off before sending, on only after "c".
  const auto first = std::find(log.begin(), log.end(), "W:a");
  ASSERT_NE(first, log.end());
  std::vector<std::string> around(log.begin() + (first - log.begin()) - 1, log.end());
  std::erase(around, "RTS:0");
  EXPECT_EQ(around, (std::vector<std::string>{"W:a", "W:b", "W:c", "RTS:1"}));
  EXPECT_EQ(*(first - 1), "RTS:0");

  // The converter mode switches the other way, here on DTR.
  a.Port->WorkMode.store(500);
  a.Port->DirectionLine.store(1);
  a.Port->AddTxOut("d");
  ASSERT_TRUE(a.Fake->WaitWritten(4));
  ASSERT_TRUE(WaitFor([&] { return a.Fake->Log().back() == "DTR:0"; }));
  log = a.Fake->Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()), (std::vector<std::string>{"DTR:1", "W:d", "DTR:0"}));
}

TEST_F(SerialFakePort, DtrDsrFlowHoldsWritingWhileDsrIsOff) {
  TFakePort a(ring, dirPortA);
  ASSERT_EQ(a.Port->FlowMode(), fcDTR_DSR);  // the default
  a.Port->SetActive(true);
  a.Port->AddTxOut("x");
  ASSERT_TRUE(a.Port->WaitCanAddTxOut(std::chrono::seconds(20)));
  EXPECT_EQ(a.Fake->Written(), "");
  a.Fake->SetInputs(mlDSR);
  ASSERT_TRUE(a.Fake->WaitWritten(1));
  EXPECT_EQ(a.Fake->Written(), "x");
}

TEST_F(SerialFakePort, SendBreakHoldsTheLineAndSwitchesDirectionFirst) {
  TFakePort a(ring, dirPortA);
  a.Port->WorkMode.store(120);
  a.Port->SetActive(true);
  int waited = -1;
  a.Port->SendBreak([&](int ms) {
    waited = ms;
    EXPECT_TRUE(a.Port->BreakActive.load());
  });
  EXPECT_EQ(waited, 20);  // 9600 Bd
  EXPECT_FALSE(a.Port->BreakActive.load());
  EXPECT_TRUE(a.Port->TxEmpty.load());
  const auto log = a.Fake->Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()), (std::vector<std::string>{"RTS:0", "BRK:1", "BRK:0"}));

  EXPECT_EQ(TSeriell::BreakMilliseconds(1200), 20);
  EXPECT_EQ(TSeriell::BreakMilliseconds(600), 23);
  EXPECT_EQ(TSeriell::BreakMilliseconds(300), 40);  // at least twelve bit times
  EXPECT_EQ(TSeriell::BreakMilliseconds(0), 20);
}

TEST_F(SerialFakePort, PropertiesReopenOnlyOnChangeAndOpeningSetsTheLines) {
  TFakePort a(ring, dirPortA);
  a.Port->SetBaudrate(19200);  // closed: stays closed
  EXPECT_EQ(a.Fake->OpenCount(), 0);
  a.Port->LinesOn.store(false);
  a.Port->RtsOn.store(true);
  a.Port->SetActive(true);
  EXPECT_EQ(a.Fake->OpenCount(), 1);
  EXPECT_EQ(a.Fake->Outputs(), mlRTS);
  EXPECT_EQ(a.Fake->Settings().Baudrate, 19200);
  EXPECT_EQ(a.Fake->Settings().FlowMode, fcDTR_DSR);

  a.Port->SetBaudrate(19200);
  a.Port->SetParity(paNone);
  a.Port->SetDataBits(d8bit);
  a.Port->SetStopBits(st1bit);
  a.Port->SetFlowMode(fcDTR_DSR);
  a.Port->SetCheckParity(true);
  a.Port->SetPort("fakeA");
  EXPECT_EQ(a.Fake->OpenCount(), 1);

  a.Port->SetParity(paEven);
  a.Port->SetDataBits(d7bit);
  a.Port->SetStopBits(st2bit);
  a.Port->SetFlowMode(fcNone);
  EXPECT_EQ(a.Fake->OpenCount(), 5);
  EXPECT_TRUE(a.Port->Opened());
  const TLineSettings s = a.Fake->Settings();
  EXPECT_EQ(s.Parity, paEven);
  EXPECT_EQ(s.DataBits, d7bit);
  EXPECT_EQ(s.StopBits, st2bit);
  EXPECT_EQ(s.FlowMode, fcNone);

  // With LinesOn both lines are on whatever RtsOn and DtrOn say.
  a.Port->LinesOn.store(true);
  a.Port->RtsOn.store(false);
  a.Port->SetPort("fakeA2");
  EXPECT_EQ(a.Fake->Outputs(), mlRTS | mlDTR);
  EXPECT_EQ(a.Fake->LastPath(), "/dev/fakeA2");
}

TEST_F(SerialFakePort, WriteTimeOutComesWithAFlowModeAndStaysAfterFcNone) {
  TFakePort a(ring, dirPortA);
  a.Port->SetFlowMode(fcNone);
  a.Port->SetActive(true);
  a.Port->AddTxOut("1");
  ASSERT_TRUE(a.Fake->WaitWritten(1));
  EXPECT_EQ(a.Fake->LastWriteTimeout(), 0);  // never a flow mode: no limit

  a.Port->SetFlowMode(fcRTS_CTS);
  a.Port->AddTxOut("2");
  ASSERT_TRUE(a.Fake->WaitWritten(2));
  EXPECT_EQ(a.Fake->LastWriteTimeout(), 10000);
  a.Port->SetFlowMode(fcNone);
  a.Port->AddTxOut("3");
  ASSERT_TRUE(a.Fake->WaitWritten(3));
  EXPECT_EQ(a.Fake->LastWriteTimeout(), 10000);
}

TEST_F(SerialFakePort, FailedOpenLeavesThePortClosedWithErrorCodeReadOnce) {
  TReportCapture reports;
  TFakePort a(ring, dirPortA);
  a.Fake->FailOpenWith(EBUSY);
  a.Port->SetActive(true);
  EXPECT_FALSE(a.Port->Opened());
  EXPECT_EQ(a.Port->ErrorCode(), EBUSY);
  EXPECT_EQ(a.Port->ErrorCode(), 0);
  ASSERT_EQ(reports.Count(), 1u);
  EXPECT_EQ(reports.Reports()[0].Location, "23");
}

TEST_F(SerialFakePort, ABaudRateTheDriverDoesNotTakeIsReported) {
  TReportCapture reports;
  TFakePort a(ring, dirPortA);
  a.Port->SetBaudrate(250000);
  a.Fake->RunAtBaudrate(249000);  // within a UART's tolerance: taken
  a.Port->SetActive(true);
  EXPECT_EQ(reports.Count(), 0u);
  a.Fake->RunAtBaudrate(9600);
  a.Port->SetActive(true);
  ASSERT_EQ(reports.Count(), 1u);
  EXPECT_EQ(reports.Reports()[0].Location, "23");
  EXPECT_NE(reports.Reports()[0].Message.find("baud rate 250000 not taken, the driver set 9600"), std::string::npos);
  EXPECT_EQ(a.Port->ErrorCode(), EINVAL);
  EXPECT_TRUE(a.Port->Opened());  // it runs, at the rate the driver chose
  a.Port->SetActive(false);
}

TEST_F(SerialFakePort, BytesTheFullRingCannotHoldWaitInTheDeviceAndNoneIsLost) {
  TFakePort a(ring, dirPortA);
  a.Port->SetActive(true);
  ASSERT_TRUE(a.Fake->Settle());
  constexpr int kBytes = ReceiveRing::Size + 3000;
  for (int i = 0; i < kBytes; ++i) a.Fake->PushByte(static_cast<std::uint8_t>(i % 251));
  // Nobody takes records yet: the ring fills and the rest stays unread.
  ASSERT_TRUE(WaitFor([&] { return ring.FreeSlots() <= 1; }));
  const auto records = TakeRecords(ring, kBytes);
  ASSERT_EQ(records.size(), static_cast<std::size_t>(kBytes));
  for (int i = 0; i < kBytes; ++i) ASSERT_EQ(records[i].Data[0], i % 251) << i;
  EXPECT_EQ(ring.LostTotal(), 0u);
  a.Port->SetActive(false);
}
