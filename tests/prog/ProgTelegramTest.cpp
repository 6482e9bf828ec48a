// The telegrams of a transfer, connect and the extras, driven by hand.
#include "ProgFixture.h"

using namespace std::chrono_literals;
using canboot::TGroup;

TEST_F(ProgFixture, A300ByteFileGivesItsStartTelegramAnd38DataTelegramsTheLastWith4Bytes) {
  prog.btnSendFileClick(BinFile(300));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "1 0x00 0x00 0x00 0x01 0x2B");
  EXPECT_EQ(prog.View().lbSendOK, "Start...");
  EXPECT_TRUE(prog.View().Tmr1Enabled);

  RunTransferAnswered(300);
  ASSERT_EQ(sent.size(), 1u + 38u);
  EXPECT_EQ(sent[1], "2 0x01 0x08 0x0F 0x16 0x1D 0x24 0x2B 0x32");
  EXPECT_EQ(sent.back(), "2 0x19 0x20 0x27 0x2E");  // bytes 296 … 299
  EXPECT_EQ(prog.View().lbSendOK, "OK");
  EXPECT_EQ(prog.Step(), TProgAtmel::stIdle);
  EXPECT_FALSE(prog.View().Tmr1Enabled);
  EXPECT_TRUE(prog.View().btnStartDevEnabled);
}

TEST_F(ProgFixture, TheGapsOfAHexFileAreSentAs0xFF) {
  const std::string name = dir.File("gaps.HeX");
  // Four bytes at 0x0000, two at 0x0010, nothing between.
  TTempDir::Write(name, ":040000001122334452\r\n:02001000AABB89\r\n:00000001FF\r\n");
  prog.btnSendFileClick(name);
  EXPECT_EQ(sent.at(0), "1 0x00 0x00 0x00 0x00 0x11");
  RunTransferAnswered(0x12);
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[1], "2 0x11 0x22 0x33 0x44 0xFF 0xFF 0xFF 0xFF");
  EXPECT_EQ(sent[2], "2 0xFF 0xFF 0xFF 0xFF 0xFF 0xFF 0xFF 0xFF");
  EXPECT_EQ(sent[3], "2 0xAA 0xBB");
}

TEST_F(ProgFixture, AMissingFileSendsNothingAndABadOneSendsNothingAndSaysError) {
  prog.btnSendFileClick(dir.File("none.bin"));
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(prog.View().lbSendOK, "---");

  const std::string bad = dir.File("bad.hex");
  TTempDir::Write(bad, ":0400000011223344FF\r\n");  // wrong checksum
  std::vector<std::string> messages;
  prog.btnSendFileClick(bad, [&](std::string_view m) { messages.emplace_back(m); });
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");
  EXPECT_EQ(prog.Step(), TProgAtmel::stIdle);
}

TEST_F(ProgFixture, StartConnectTwiceShowsSende1ThenSendeStop) {
  prog.btnStartConnectClick();
  EXPECT_EQ(prog.View().lbStartStatus, "Sende: 1");
  EXPECT_EQ(sent, std::vector<std::string>{"0 0xFF"});
  EXPECT_TRUE(prog.View().Tmr2Enabled);
  prog.btnStartConnectClick();
  EXPECT_EQ(prog.View().lbStartStatus, "Sende: Stop");
  EXPECT_FALSE(prog.View().Tmr2Enabled);
  EXPECT_EQ(prog.Step(), TProgAtmel::stIdle);
}

TEST_F(ProgFixture, Tmr2RepeatsTheConnectUntilANodeOpensAndThenEraseIsOffered) {
  prog.btnStartConnectClick();
  prog.Tmr2Timer();
  prog.Tmr2Timer();
  EXPECT_EQ(prog.View().lbStartStatus, "Sende: 3");
  EXPECT_EQ(sent.size(), 3u);
  // Closed: the node is there but has not opened; the asking goes on.
  prog.CanFrameReceived(Answer(canboot::SelectNode, {0x10, 0}));
  EXPECT_TRUE(prog.View().Tmr2Enabled);
  // The host's own select (one byte) is no answer.
  prog.CanFrameReceived(Answer(canboot::SelectNode, {0xFF}));
  EXPECT_TRUE(prog.View().Tmr2Enabled);
  prog.CanFrameReceived(Answer(canboot::SelectNode, {0x10, 1}));
  EXPECT_FALSE(prog.View().Tmr2Enabled);
  EXPECT_EQ(prog.View().lbStartStatus, "OK");
  EXPECT_TRUE(prog.View().btnEraseEnabled);
  EXPECT_FALSE(prog.View().btnSendFileEnabled);

  prog.btnEraseClick();
  EXPECT_EQ(sent.back(), "4 0x00 0xFF");
  EXPECT_EQ(prog.View().lbEraseOK, "...");
  prog.CanFrameReceived(Answer(canboot::WriteCommand, {0x00}));
  EXPECT_EQ(prog.View().lbEraseOK, "OK");
  EXPECT_TRUE(prog.View().btnFileEnabled);
  EXPECT_TRUE(prog.View().btnSendFileEnabled);
}

TEST_F(ProgFixture, StartProgramClearsTheLabelsAndLocksTheButtons) {
  prog.btnStartConnectClick();
  prog.CanFrameReceived(Answer(canboot::SelectNode, {0x10, 1}));
  prog.btnStartDevClick();
  EXPECT_EQ(sent.back(), "4 0x03 0x01 0x00 0x00");
  EXPECT_EQ(prog.View().lbStartStatus, "---");
  EXPECT_EQ(prog.View().lbStartDev, "OK");
  EXPECT_FALSE(prog.View().btnEraseEnabled || prog.View().btnStartDevEnabled || prog.View().tabExtraVisible);
}

TEST_F(ProgFixture, TheExtrasAreReadOneByOneAndOnlyFilledEditsAreWritten) {
  prog.ExtraPageShown();
  const std::uint8_t values[] = {0x11, 0x33, 0x44, 0xB0, 0xE0, 0x5B};
  for (std::uint8_t v : values) prog.CanFrameReceived(Answer(canboot::ReadCommand, {v}));
  EXPECT_EQ(sent, (std::vector<std::string>{"5 0x01 0x02", "5 0x01 0x03", "5 0x01 0x04", "5 0x01 0x00",
                                            "5 0x01 0x06", "5 0x01 0x01"}));
  EXPECT_EQ(prog.View().Extras, (std::array<std::string, 6>{"11", "33", "44", "B0", "E0", "5B"}));
  EXPECT_EQ(prog.Step(), TProgAtmel::stIdle);

  sent.clear();
  prog.btnSetExtraClick({"A5", "", "7", "", "", "FC"});
  EXPECT_EQ(prog.View().lbSetExtra, "1");
  prog.CanFrameReceived(Answer(canboot::WriteCommand, {0x00}));
  EXPECT_EQ(prog.View().lbSetExtra, "3");
  prog.CanFrameReceived(Answer(canboot::WriteCommand, {}));
  prog.CanFrameReceived(Answer(canboot::WriteCommand, {0x00}));
  EXPECT_EQ(sent, (std::vector<std::string>{"4 0x01 0x02 0xA5", "4 0x01 0x04 0x07", "4 0x01 0x01 0xFC"}));
  EXPECT_EQ(prog.View().lbSetExtra, "OK");
}

TEST_F(ProgFixture, ExtrasThatStayUnansweredOrAreRefusedEndInError) {
  prog.ExtraPageShown();
  for (int i = 0; i <= TProgAtmel::kMaxRepeats; ++i) {
    Advance(201ms);
    prog.Tmr1Timer();
  }
  EXPECT_EQ(sent.size(), 1u + TProgAtmel::kMaxRepeats);
  EXPECT_EQ(sent.back(), "5 0x01 0x02");
  EXPECT_EQ(prog.View().lbSetExtra, "ERROR");
  EXPECT_FALSE(prog.View().Tmr1Enabled);

  prog.btnSetExtraClick({"01", "", "", "", "", ""});
  prog.CanFrameReceived(Answer(canboot::ErrorAnswer, {canboot::kErrorSecurity}));
  EXPECT_EQ(prog.View().lbSetExtra, "ERROR");
}
