// The send routine over fake outputs: routing by mode, refusals, reports,
// echo, totals and the stop flags; the file chunking and the stored keys.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"
#include "core/SendData.h"
#include "core/SendFile.h"
#include "core/SendSettings.h"
#include "TempDir.h"

namespace {

class TFakeSendPort final : public TSendPort {
 public:
  explicit TFakeSendPort(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  bool Opened() const override { return open; }
  bool CanAddTxOut() const override { return free; }
  void AddTxOut(std::string_view bytes) override {
    sent.emplace_back(bytes);
    log += "DATA;";
  }
  bool TxDrained() override {
    ++drainPolls;
    return drainPolls > 3;
  }
  void SetDirectionLine(int line) override { directionLine = line; }
  void SendBreak(const TSendWait&) override { log += "BRK;"; }

  bool open = true;
  bool free = true;
  int directionLine = -1;
  int drainPolls = 0;
  std::vector<std::string> sent;
  std::string log;

 private:
  std::string name_;
};

class TFakeUsb final : public TUsbSendOutput {
 public:
  std::size_t SendFrames(std::vector<TUsbSendFrame>& f, bool, const TSendWait&) override {
    frames = f;
    std::size_t n = 0;
    for (const auto& frame : f) n += frame.Data.size();
    return n;
  }
  std::vector<TUsbSendFrame> frames;
};

class SendRoutineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SendAbort.store(false);
    AppClosing.store(false);
    SentTotal.store(0);
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      reports.push_back(location + ": " + message);
    });
    routine.SetPorts(&a, &b);
    routine.SetEcho([this](const std::string& text) { echoes.push_back(text); });
    routine.SetWorkMode(200, false);
  }
  void TearDown() override {
    SetErrorReporter(nullptr);
    SendAbort.store(false);
  }
  bool Send(bool targetB, std::string_view text, bool cr = false, bool lf = false, bool brk = false) {
    return routine.DatenSenden(targetB, text, cr, lf, false, false, brk, 0, [](int) {});
  }

  TFakeSendPort a{"ttyS0"}, b{"ttyS1"};
  TSendRoutine routine;
  std::vector<std::string> reports, echoes;
};

TEST_F(SendRoutineTest, RoutesByModeAndTarget) {
  struct Row {
    int mode;
    bool targetB;
    TFakeSendPort* port;
    int line;
  };
  const Row rows[] = {{110, false, &a, 0}, {110, true, &a, 1}, {500, true, &a, 0},
                      {300, false, &a, 0}, {200, true, &b, 1}, {200, false, &a, 0}};
  for (const Row& r : rows) {
    a.sent.clear();
    b.sent.clear();
    routine.SetWorkMode(r.mode, false);
    EXPECT_TRUE(Send(r.targetB, "x")) << r.mode;
    EXPECT_EQ(r.port->sent.size(), 1u) << r.mode;
    EXPECT_EQ(r.port->directionLine, r.line) << r.mode;
    EXPECT_EQ(a.sent.size() + b.sent.size(), 1u) << r.mode;
  }
}

TEST_F(SendRoutineTest, CouplingModeSendsNothingToB) {
  routine.SetWorkMode(300, false);
  EXPECT_FALSE(Send(true, "x"));
  EXPECT_TRUE(a.sent.empty());
  EXPECT_TRUE(b.sent.empty());
  EXPECT_TRUE(echoes.empty());
  EXPECT_EQ(SentTotal.load(), 0);
}

TEST_F(SendRoutineTest, BreakGoesFirstAndEchoLosesOneLineEnd) {
  EXPECT_TRUE(Send(false, "41 0x42", true, true, true));
  EXPECT_EQ(a.log, "BRK;DATA;");
  EXPECT_EQ(a.sent.at(0), "41B\r\n");
  EXPECT_EQ(SentTotal.load(), 5);
  routine.DatenSenden(false, "line\r\n\r\n", false, false, true, false, false, 0, [](int) {});
  ASSERT_EQ(echoes.size(), 2u);
  EXPECT_EQ(echoes[0], "41 0x42");
  EXPECT_EQ(echoes[1], "line\r\n");
  EXPECT_TRUE(reports.empty());
}

TEST_F(SendRoutineTest, BadEscapeSendsNothingAndReports282) {
  EXPECT_FALSE(Send(false, "AB 0xZZ CD", true, true));
  EXPECT_TRUE(a.sent.empty());
  EXPECT_TRUE(echoes.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].rfind("28.2: Fehler bei der Wandlung", 0), 0u) << reports[0];
}

TEST_F(SendRoutineTest, ClosedPortIsReportedNotPretended) {
  a.open = false;
  EXPECT_FALSE(Send(false, "x"));
  EXPECT_TRUE(a.sent.empty());
  EXPECT_TRUE(echoes.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("ttyS0"), std::string::npos);
}

TEST_F(SendRoutineTest, WaitsForTheSlotAndStopsOnAbort) {
  a.free = false;
  int waits = 0;
  const bool sent = routine.DatenSenden(false, "x", false, false, false, false, false, 0, [&](int ms) {
    EXPECT_EQ(ms, 2);
    if (++waits == 3) a.free = true;
  });
  EXPECT_TRUE(sent);
  EXPECT_EQ(waits, 3);

  a.free = false;
  a.sent.clear();
  waits = 0;
  EXPECT_FALSE(routine.DatenSenden(false, "x", false, false, false, false, false, 0, [&](int) {
    if (++waits == 2) SendAbort.store(true);
  }));
  EXPECT_TRUE(a.sent.empty());
  EXPECT_TRUE(reports.empty());
}

TEST_F(SendRoutineTest, WaitDonePollsUntilDrained) {
  int waits = 0;
  routine.DatenSenden(false, "x", false, false, true, true, false, 0, [&](int ms) {
    EXPECT_EQ(ms, 1);
    ++waits;
  });
  EXPECT_EQ(a.drainPolls, 4);
  EXPECT_EQ(waits, 3);
}

TEST_F(SendRoutineTest, UsbWithoutTransferReportsAndSendsNothing) {
  routine.SetWorkMode(410, true);
  EXPECT_FALSE(Send(false, "abc"));
  EXPECT_TRUE(echoes.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].rfind("28.2: ", 0), 0u);
  EXPECT_EQ(SentTotal.load(), 0);
}

TEST_F(SendRoutineTest, CanLinesBecomeOneFrame) {
  TFakeUsb usb;
  routine.SetUsb(&usb);
  routine.SetWorkMode(440, true);
  EXPECT_TRUE(Send(false, "x10 1 2", true, true));
  ASSERT_EQ(usb.frames.size(), 1u);
  EXPECT_TRUE(usb.frames[0].Extended);
  EXPECT_EQ(usb.frames[0].Ident, 0x10u);
  EXPECT_EQ(usb.frames[0].Data, "1 2\r\n");

  EXPECT_TRUE(Send(false, "1 0x010x020x030x040x050x060x070x080x09"));
  EXPECT_EQ(usb.frames[0].Data.size(), 8u);

  EXPECT_TRUE(routine.DatenSenden(false, "123 1 2", false, false, false, false, true, 8, [](int) {}));
  EXPECT_TRUE(usb.frames[0].Rtr);
  EXPECT_TRUE(usb.frames[0].Data.empty());

  usb.frames.clear();
  EXPECT_FALSE(Send(false, "12Q 1"));
  EXPECT_TRUE(usb.frames.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].rfind("28: ", 0), 0u);
}

TEST(SentTotal, StartsAgainAtZeroInsteadOfOverflowing) {
  SentTotal.store(std::numeric_limits<std::int32_t>::max() - 1);
  AddSentTotal(1);
  EXPECT_EQ(SentTotal.load(), std::numeric_limits<std::int32_t>::max());
  AddSentTotal(1);
  EXPECT_EQ(SentTotal.load(), 0);
}

std::vector<std::string> Chunks(const std::string& data, bool waitAfterLine) {
  std::istringstream in(data);
  std::vector<std::string> out;
  for (;;) {
    std::string chunk = NextFileChunk(in, waitAfterLine, [] { return false; });
    if (chunk.empty()) return out;
    out.push_back(std::move(chunk));
  }
}

TEST(FileChunks, ShortLinesGatherBeyondFiftyBytes) {
  std::string lines;
  for (int i = 0; i < 12; ++i) lines += "12345678\r\n";  // 10 bytes each
  const auto chunks = Chunks(lines, false);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].size(), 60u);
  EXPECT_EQ(chunks[0].substr(58), "\r\n");
  EXPECT_EQ(chunks[1].size(), 60u);

  const auto perLine = Chunks(lines, true);
  ASSERT_EQ(perLine.size(), 12u);
  EXPECT_EQ(perLine[0], "12345678\r\n");
}

TEST(FileChunks, LoneCrAndTheSixHundredByteLimit) {
  EXPECT_EQ(Chunks("ab\rcd\r\n", true), (std::vector<std::string>{"ab\r", "cd\r\n"}));
  const auto chunks = Chunks(std::string(1300, 'x'), false);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].size(), 600u);
  EXPECT_EQ(chunks[2].size(), 100u);
}

TEST(SendSettingsKeys, HistoryAndBoxesSurviveARestart) {
  TIniFile ini;
  ini.Parse("[SendBytes]\nID0=old\nID1=older\nID2=gone\n");
  TSendSettings s = ReadSendSettings(ini);
  EXPECT_EQ(s.History, (std::vector<std::string>{"old", "older", "gone"}));
  EXPECT_EQ(s.Form, TSendFormSettings{});
  s.History = {"new"};
  s.Form.chkCRAdd_Checked = false;
  s.Form.edRTRLen_Text = "8";
  WriteSendSettings(ini, s);
  EXPECT_FALSE(ini.ValueExists("SendBytes", "ID1"));
  const TSendSettings back = ReadSendSettings(ini);
  EXPECT_EQ(back.History, s.History);
  EXPECT_EQ(back.Form, s.Form);
}

}  // namespace
