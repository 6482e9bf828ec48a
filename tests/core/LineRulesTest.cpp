#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/CodePageList.h"
#include "core/DateTime.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"
#include "core/LineRuleSettings.h"
#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"

namespace {

struct TRun {
  std::string Text;
  TColor Color;
};

// Records the runs, joining neighbours of one colour as the pane would.
class TRunRecorder : public TTraceSink {
 public:
  void AppendText(std::string_view text, TColor color) override {
    if (!Runs.empty() && Runs.back().Color == color)
      Runs.back().Text.append(text);
    else
      Runs.push_back({std::string(text), color});
  }
  bool LastLineEmpty() const override { return Runs.empty() || Runs.back().Text.ends_with("\r\n"); }
  std::string Text() const {
    std::string all;
    for (const TRun& r : Runs) all += r.Text;
    return all;
  }
  std::vector<TRun> Runs;
};

const double kBase = EncodeDateTime({2024, 5, 1, 12, 0, 0, 0});

TSeriellData Byte(std::uint8_t dir, std::uint8_t b, double ms = 0, int subMs = 0) {
  TSeriellData r;
  r.RecType = rtSeriell;
  r.Ready = 1;
  r.Count = 1;
  r.Data[0] = b;
  r.Dir = dir;
  r.Time = kBase + ms / 86'400'000.0;
  r.SubMs = subMs;
  return r;
}

std::vector<TSeriellData> Bytes(std::uint8_t dir, std::string_view text, double ms = 0) {
  std::vector<TSeriellData> records;
  for (const char c : text) records.push_back(Byte(dir, static_cast<std::uint8_t>(c), ms));
  return records;
}

// The trace pipeline fed through the receive ring, with the code pages of
// the data-conversion page and the line rule settings.
class LineRules : public ::testing::Test {
 protected:
  LineRules() { pages_.Load(); }

  void Publish() {
    TRxOptions options;
    options.chkCTSDSR = false;
    options.chkProtZeit = withTime_;
    rules_.ApplyTo(options);
    options.Codes = pages_.RxCodes();
    pipe_.SetOptions(options);
  }
  void Feed(const std::vector<TSeriellData>& records) {
    Publish();
    for (const TSeriellData& r : records) ASSERT_TRUE(ring_.Put(r, true));
    int start = 0;
    while (const int count = ring_.ReadyBatch(start)) {
      pipe_.RxData(ring_, start, count);
      ring_.Release(count);
    }
  }
  std::string Text() const { return trace_.Text(); }

  TIniFile ini_;
  TCodePages pages_{ini_};
  TLineRuleSettings rules_;
  bool withTime_ = false;
  TRunRecorder trace_;
  TReceivePipeline pipe_{trace_};
  ReceiveRing ring_;
};

constexpr std::uint8_t STX = 2, ETX = 3;

}  // namespace

TEST_F(LineRules, StartAndStopCharactersShowOnlyTheTelegramAndEndItsLine) {
  pages_.SetFlag(TByteFlag::Start, STX, true);
  pages_.SetFlag(TByteFlag::Stop, ETX, true);
  rules_.chkProtWechsel = true;
  withTime_ = true;
  std::vector<TSeriellData> records = Bytes(dirPortA, "xx");
  records.push_back(Byte(dirPortA, STX));
  for (const TSeriellData& r : Bytes(dirPortA, "AB")) records.push_back(r);
  records.push_back(Byte(dirPortA, ETX));
  for (const TSeriellData& r : Bytes(dirPortA, "yy")) records.push_back(r);
  Feed(records);

  EXPECT_EQ(Text(), "12:00:00 : [STX]AB[ETX]\r\n");
  ASSERT_EQ(trace_.Runs.size(), 2u);
  EXPECT_EQ(trace_.Runs[0].Text, "12:00:00 : ");  // the time stamp in the start colour
  EXPECT_EQ(trace_.Runs[0].Color, clGray);
  EXPECT_EQ(trace_.Runs[1].Color, clBlack);
  EXPECT_FALSE(pipe_.ProtActive());

  // The controller's telegram: maroon stamp, red bytes.
  std::vector<TSeriellData> sps = {Byte(dirPortB, STX), Byte(dirPortB, 'C'), Byte(dirPortB, ETX)};
  Feed(sps);
  ASSERT_EQ(trace_.Runs.size(), 4u);
  EXPECT_EQ(trace_.Runs[2].Color, clMaroon);
  EXPECT_EQ(trace_.Runs[3].Text, "[STX]C[ETX]\r\n");
  EXPECT_EQ(trace_.Runs[3].Color, clRed);
}

TEST_F(LineRules, StopAfterCharactersCountsFromTheStartOfTheLine) {
  pages_.SetFlag(TByteFlag::Start, STX, true);
  rules_.iStopNachZeichen = 5;
  std::vector<TSeriellData> records = {Byte(dirPortA, STX)};
  for (const TSeriellData& r : Bytes(dirPortA, "abcde")) records.push_back(r);
  records.push_back(Byte(dirPortA, STX));
  for (const TSeriellData& r : Bytes(dirPortA, "fghij")) records.push_back(r);
  Feed(records);
  // The line still holds five bytes when the second start byte arrives.
  EXPECT_EQ(Text(), "[STX]abcd[STX]");

  rules_.chkProtWechsel = true;
  trace_.Runs.clear();
  pipe_.RequestLineReset();
  Feed(records);
  EXPECT_EQ(Text(), "[STX]abcd\r\n[STX]fghi\r\n");
}

TEST_F(LineRules, ADirectionChangeBreaksBeforeTheByteButNotBeforeTheFirst) {
  rules_.chkDatenAend = true;
  pages_.Select(cpHexadezimal);
  Feed({Byte(dirPortA, 0x41), Byte(dirPortB, 0x42), Byte(dirPortA, 0x43), Byte(dirPortB, 0x44)});
  EXPECT_EQ(Text(), "41 \r\n42 \r\n43 \r\n44 ");
  EXPECT_EQ(trace_.Runs.back().Color, clRed);
}

TEST_F(LineRules, APauseLongerThanTheLimitInWholeMillisecondsBreaksTheLine) {
  rules_.chkZwPause = true;
  rules_.edZwPause = "50";
  Feed({Byte(dirPortA, 'a', 0), Byte(dirPortA, 'b', 50), Byte(dirPortA, 'c', 101), Byte(dirPortA, 'd', 151.9)});
  EXPECT_EQ(Text(), "ab\r\ncd");
}

TEST_F(LineRules, ThePauseIgnoresTheMicrosecondsOfUsbRecords) {
  rules_.chkZwPause = true;
  rules_.edZwPause = "50";
  // 51 ms between the record times; the microseconds would make it 50.3.
  Feed({Byte(dirUSB1, 'a', 0, 500), Byte(dirUSB1, 'b', 51, 200), Byte(dirUSB1, 'c', 101, 900)});
  EXPECT_EQ(Text(), "a\r\nbc");
}

TEST_F(LineRules, TheCharacterLimitEndsTheLineAtItsLastByte) {
  rules_.chkZeichBegr = true;
  rules_.edZeichBegr = "78";
  Feed(Bytes(dirPortA, std::string(80, 'x')));
  EXPECT_EQ(Text(), std::string(78, 'x') + "\r\nxx");

  trace_.Runs.clear();
  pipe_.RequestLineReset();
  rules_.edZeichBegr = "viele";  // not a number: every byte ends its line
  Feed(Bytes(dirPortA, "ab"));
  EXPECT_EQ(Text(), "a\r\nb\r\n");
}

TEST_F(LineRules, ABreakByteThatIsAlsoAStartByteOpensAndEndsTheLine) {
  pages_.SetFlag(TByteFlag::Start, STX, true);
  pages_.SetFlag(TByteFlag::LineBreak, STX, true);
  Feed({Byte(dirPortA, 'x'), Byte(dirPortA, STX), Byte(dirPortA, 'a')});
  EXPECT_EQ(Text(), "[STX]\r\na");
  EXPECT_TRUE(pipe_.ProtActive());
}

TEST_F(LineRules, RemovingTheLastStartCharacterReopensTheWindow) {
  pages_.SetFlag(TByteFlag::Start, STX, true);
  Feed(Bytes(dirPortA, "ab"));
  EXPECT_EQ(Text(), "");
  EXPECT_FALSE(pipe_.ProtActive());

  pages_.SetFlag(TByteFlag::Start, STX, false);
  pipe_.ResetProtActive(!pages_.AnyFlag(TByteFlag::Start));
  EXPECT_TRUE(pipe_.ProtActive());  // the status bar shows it before the next byte
  EXPECT_EQ(ProtStatusText(pipe_.ProtActive()), txtProtAn);
  Feed(Bytes(dirPortA, "cd"));
  EXPECT_EQ(Text(), "cd");

  // A changed start set closes the window again.
  pages_.SetFlag(TByteFlag::Start, ETX, true);
  pipe_.ResetProtActive(!pages_.AnyFlag(TByteFlag::Start));
  Feed(Bytes(dirPortA, "ef"));
  EXPECT_EQ(Text(), "cd");
}

TEST_F(LineRules, TheTimeDifferenceAtTheLineStartKeepsItsDigits) {
  pages_.SetFlag(TByteFlag::LineBreak, 'a', true);
  pages_.SetFlag(TByteFlag::LineBreak, 'b', true);
  TRxOptions options;
  options.chkCTSDSR = false;
  options.chkProtZeitDiff = true;
  options.Codes = pages_.RxCodes();
  pipe_.SetOptions(options);
  for (const TSeriellData& r : {Byte(dirPortA, 'a', 0), Byte(dirPortA, 'b', 61062, 500), Byte(dirPortA, 'c', 0)})
    ASSERT_TRUE(ring_.Put(r, true));
  int start = 0;
  const int count = ring_.ReadyBatch(start);
  pipe_.RxData(ring_, start, count);
  // A clock that went back prints a signed difference.
  EXPECT_EQ(Text(), "a\r\n1:01.062.500 : b\r\n-1:01.063.500 : c");
}

TEST(LineRuleSettings, NumberFieldsFallBackAsTheControlsDo) {
  EXPECT_EQ(ParseProtChar("").Value, 0);
  EXPECT_TRUE(ParseProtChar("").Valid);
  EXPECT_EQ(ParseProtChar("12").Value, 12);
  EXPECT_FALSE(ParseProtChar("12a").Valid);
  EXPECT_EQ(ParseProtChar("12a").Value, 0);
  std::vector<std::string> reports;
  SetErrorReporter([&](const std::string& location, const std::string&) { reports.push_back(location); });
  std::string field = "7x";
  EXPECT_EQ(ApplyProtCharField(field), 0);
  EXPECT_EQ(field, "0");
  field = "7";
  EXPECT_EQ(ApplyProtCharField(field), 7);
  SetErrorReporter(nullptr);
  EXPECT_EQ(reports, std::vector<std::string>{"21"});
  EXPECT_EQ(ParsePauseLimit(""), 0);
  EXPECT_EQ(ParsePauseLimit("x"), 0);
  EXPECT_EQ(ParsePauseLimit("250"), 250);
  EXPECT_EQ(ParseCharLimit(true, "78"), 78);
  EXPECT_EQ(ParseCharLimit(true, ""), -1);
  EXPECT_EQ(ParseCharLimit(false, "78"), -1);
  EXPECT_EQ(ParseCharLimit(true, "99999999999"), -1);

  TIniFile ini;
  TLineRuleSettings stored;
  stored.chkZwPause = true;
  stored.edZwPause = "40";
  stored.iStopNachZeichen = 9;
  stored.Write(ini);
  EXPECT_EQ(ini.ReadString("FrmMain", "chkZwPause_Checked", ""), "1");
  TLineRuleSettings read;
  read.Read(ini);
  TRxOptions options;
  read.ApplyTo(options);
  EXPECT_TRUE(options.chkZwPause);
  EXPECT_EQ(options.PauseLimitMs, 40);
  EXPECT_EQ(options.StopAfterChars, 9);
  EXPECT_EQ(options.CharLimit, -1);
  EXPECT_EQ(read.edZeichBegr, "78");
}
