// A transfer whose answers go missing, come wrong or say no.
#include "ProgFixture.h"

using namespace std::chrono_literals;

class ProgTransferFault : public ProgFixture {
 protected:
  void SetUp() override {
    prog.btnSendFileClick(BinFile(600));
    prog.CanFrameReceived(Answer(canboot::ProgStart, {}));
    prog.Tmr1Timer();
  }
  // Acknowledges the telegram in flight and lets the timer send the next.
  void AckNext() {
    prog.CanFrameReceived(Answer(canboot::ProgData, {canboot::kDataMore}));
    Advance(36ms);
    prog.Tmr1Timer();
  }
};

TEST_F(ProgTransferFault, AnUnansweredDataTelegramIsRepeatedAfter200MsFromTheStartOfItsPage) {
  for (int i = 0; i < 40; ++i) AckNext();  // 41 telegrams out, 328 bytes
  ASSERT_EQ(prog.Counter(), 328);
  const std::size_t before = sent.size();
  Advance(199ms);
  prog.Tmr1Timer();
  EXPECT_EQ(sent.size(), before);  // still waiting
  Advance(2ms);
  prog.Tmr1Timer();
  ASSERT_EQ(sent.size(), before + 1);
  // From 0x0100 to the last byte 0x0257: a node that had written the lost
  // telegram gets the same bytes at the same places.
  EXPECT_EQ(sent.back(), "1 0x00 0x01 0x00 0x02 0x57");
  EXPECT_EQ(prog.LastCommand(), sent.back());
  EXPECT_EQ(prog.Counter(), 0x100);
  // A late answer to the lost telegram is not taken for the new start's.
  prog.CanFrameReceived(Answer(canboot::ProgData, {canboot::kDataMore}));
  EXPECT_FALSE(prog.Acknowledged());
  prog.CanFrameReceived(Answer(canboot::ProgStart, {}));
  Advance(36ms);
  prog.Tmr1Timer();
  EXPECT_EQ(sent.back().substr(0, 1), "2");
  EXPECT_EQ(prog.View().lbSendOK, "0100");
}

TEST_F(ProgTransferFault, ANodeThatStopsAnsweringEndsInErrorAfterItsRepeats) {
  AckNext();
  for (int i = 0; i < 100 && prog.Step() == TProgAtmel::stTransfer; ++i) {
    Advance(201ms);
    prog.Tmr1Timer();
  }
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");
  EXPECT_EQ(prog.Step(), TProgAtmel::stIdle);
  EXPECT_FALSE(prog.View().Tmr1Enabled);
  // The first repeat restarts the page, the others repeat that start.
  EXPECT_EQ(sent.size(), 3u + TProgAtmel::kMaxRepeats);
  EXPECT_EQ(sent.back(), "1 0x00 0x00 0x00 0x02 0x57");
}

TEST_F(ProgTransferFault, ARefusalOrAFailedWriteEndsTheTransferAtOnce) {
  prog.CanFrameReceived(Answer(canboot::ErrorAnswer, {canboot::kErrorSecurity}));
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");
  EXPECT_FALSE(prog.View().Tmr1Enabled);

  SetUp();
  prog.CanFrameReceived(Answer(canboot::ProgData, {canboot::kDataFail}));
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");
}

TEST_F(ProgTransferFault, ANodeThatCountsOtherwiseThanTheFileEndsInError) {
  // Done while bytes are left: the node took a shorter range.
  prog.CanFrameReceived(Answer(canboot::ProgData, {canboot::kDataDone}));
  prog.Tmr1Timer();
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");
  EXPECT_FALSE(prog.View().btnStartDevEnabled);
}

TEST_F(ProgTransferFault, CancelStopsTheTimersAndTheRepeats) {
  prog.btnStartConnectClick();
  prog.btnSendFileClick(BinFile(20));
  prog.Cancel();
  EXPECT_FALSE(prog.View().Tmr1Enabled || prog.View().Tmr2Enabled);
  const std::size_t before = sent.size();
  Advance(1s);
  prog.Tmr1Timer();
  prog.Tmr2Timer();
  EXPECT_EQ(sent.size(), before);
}
