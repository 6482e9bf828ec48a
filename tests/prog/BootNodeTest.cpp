// The whole sequence against the emulated boot-loader node.
#include "BootNodeRig.h"

#include <random>

using namespace std::chrono_literals;

namespace {
std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(gen());
  return bytes;
}
}  // namespace

TEST_F(BootNodeRig, A20KImageIsProgrammedAndReadsBackEqual) {
  ConnectAndErase();
  const std::string image = RandomBytes(20 * 1024, 1);
  const std::string file = dir.File("app.bin");
  TTempDir::Write(file, image);
  prog.btnSendFileClick(file);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().lbSendOK, "OK");
  const std::vector<std::uint8_t> back = ReadBack(0, image.size() - 1);
  EXPECT_EQ(std::string(back.begin(), back.end()), image);
  EXPECT_EQ(node.Flash()[image.size()], 0xFF);  // past the image: still erased

  prog.btnStartDevClick();
  Pump();
  EXPECT_TRUE(node.ApplicationStarted());
  EXPECT_FALSE(node.Open());
}

TEST_F(BootNodeRig, ALostAcknowledgementIsRepeatedAndTheImageStillReadsBackEqual) {
  ConnectAndErase();
  const std::string image = RandomBytes(3000, 2);
  const std::string file = dir.File("app.bin");
  TTempDir::Write(file, image);
  prog.btnSendFileClick(file);
  // Well into the transfer, the node writes a telegram but its answer is lost.
  for (int i = 0; i < 100; ++i) {
    Advance(36ms);
    prog.Tmr1Timer();
    Pump();
  }
  ASSERT_EQ(prog.Step(), TProgAtmel::stTransfer);
  node.LoseAnswers(1);
  const std::size_t before = sent.size();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().lbSendOK, "OK");
  // The repeat started over from the page of the lost answer.
  const auto restart = std::find_if(sent.begin() + before, sent.end(), [](const std::string& t) { return t[0] == '1'; });
  ASSERT_NE(restart, sent.end());
  const std::vector<std::uint8_t> back = ReadBack(0, image.size() - 1);
  EXPECT_EQ(std::string(back.begin(), back.end()), image);
}

TEST_F(BootNodeRig, ANodeThatStopsAnsweringEndsInErrorWithoutHanging) {
  ConnectAndErase();
  TTempDir::Write(dir.File("app.bin"), RandomBytes(4000, 3));
  prog.btnSendFileClick(dir.File("app.bin"));
  for (int i = 0; i < 20; ++i) {
    Advance(36ms);
    prog.Tmr1Timer();
    Pump();
  }
  node.SetSilent(true);
  ASSERT_TRUE(RunUntilIdle(5s));
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");
  EXPECT_FALSE(prog.View().Tmr1Enabled);
}

TEST_F(BootNodeRig, ASecuredNodeRefusesTheTransferAndAnUnerasedOneKeepsItsBits) {
  prog.btnStartConnectClick();
  ASSERT_TRUE(RunUntilIdle());
  node.SetSecurity(true);
  prog.btnSendFileClick(BinFile(64));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().lbSendOK, "ERROR");

  // Erasing clears the security bit; programming over old contents only
  // clears bits, as the chip does.
  prog.btnEraseClick();
  ASSERT_TRUE(RunUntilIdle());
  node.Flash()[0] = 0x0F;
  TTempDir::Write(dir.File("two.bin"), std::string("\xF1\x22", 2));
  prog.btnSendFileClick(dir.File("two.bin"));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().lbSendOK, "OK");
  EXPECT_EQ(ReadBack(0, 1), (std::vector<std::uint8_t>{0x01, 0x22}));
}

TEST_F(BootNodeRig, TheExtrasComeFromTheNodeAndGoBackToIt) {
  prog.btnStartConnectClick();
  ASSERT_TRUE(RunUntilIdle());
  node.SetConfig(canboot::kP3CF, 0x3C);
  node.SetConfig(canboot::kEB, 0x5A);
  prog.ExtraPageShown();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().Extras, (std::array<std::string, 6>{"FF", "3C", "FF", "FF", "5A", "FC"}));

  prog.btnSetExtraClick({"12", "", "", "00", "", ""});
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(prog.View().lbSetExtra, "OK");
  EXPECT_EQ(node.Config(canboot::kP1CF), 0x12);
  EXPECT_EQ(node.Config(canboot::kBSB), 0x00);
  EXPECT_EQ(node.Config(canboot::kP3CF), 0x3C);
}

TEST_F(BootNodeRig, ANodeWithAnotherNumberNeverOpensAndTheConnectGoesOn) {
  TAvrBootNode other(1024, 0x05);
  other.FrameOut = [this](const TCanFrame& f) { answers.push_back(f); };
  node.SetSilent(true);
  prog.btnStartConnectClick();
  for (int i = 0; i < 10; ++i) {
    Advance(150ms);
    prog.Tmr2Timer();
  }
  for (const std::string& t : sent) other.FrameIn(FrameOf(t));
  Pump();
  EXPECT_FALSE(other.Open());
  EXPECT_EQ(prog.Step(), TProgAtmel::stConnect);
  EXPECT_EQ(prog.View().lbStartStatus, "Sende: 11");
}
