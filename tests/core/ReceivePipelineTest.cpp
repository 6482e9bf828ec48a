#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "PipelineFixture.h"

TEST_F(PipelineTest, SidesAreColouredAndEachRunIsOneColour) {
  Deliver({Byte('A', dirPortA, At()), Byte('B', dirPortA, At()), Byte('C', dirPortB, At())});
  ASSERT_EQ(sink.Runs.size(), 2u);  // neighbouring records of one colour go out as one run
  EXPECT_EQ(sink.Runs[0], (TRecordedRun{"AB", clBlack}));
  EXPECT_EQ(sink.Runs[1], (TRecordedRun{"C", clRed}));
}

TEST_F(PipelineTest, CtsChangeOnPortAAloneIsGrayWithoutLineBreak) {
  Deliver({Byte('x', dirPortA, At()), Signals(msCTS1, dirNone, At()), Signals(0, dirNone, At())});
  EXPECT_EQ(sink.All, "x[CTS-ON][CTS-OFF]");
  ASSERT_EQ(sink.Runs.size(), 2u);
  EXPECT_EQ(sink.Runs[1], (TRecordedRun{"[CTS-ON][CTS-OFF]", clGray}));
}

TEST_F(PipelineTest, SignalRunsSwitchColourPerSide) {
  Deliver({Signals(msDSR2, dirNone, At())});
  Deliver({Signals(msCTS1 | msCD, dirNone, At())});  // CTS A on, DSR B off, CD on
  ASSERT_EQ(sink.Runs.size(), 4u);
  EXPECT_EQ(sink.Runs[0], (TRecordedRun{"[DSR-ON]", clMaroon}));
  EXPECT_EQ(sink.Runs[1], (TRecordedRun{"[CTS-ON", clGray}));
  EXPECT_EQ(sink.Runs[2], (TRecordedRun{" DSR-OFF", clMaroon}));
  EXPECT_EQ(sink.Runs[3], (TRecordedRun{" CD-ON]", clNavy}));
}

TEST_F(PipelineTest, UnchangedSignalsWithoutDirectionProduceNothing) {
  Deliver({Signals(0, dirNone, At())});
  EXPECT_TRUE(sink.Runs.empty());
  options.chkCTSDSR = false;
  Apply();
  Deliver({Signals(msCTS2, dirNone, At())});
  EXPECT_TRUE(sink.Runs.empty());
  EXPECT_EQ(pipeline.PrevSignals(), msCTS2);
}

TEST_F(PipelineTest, LineErrorsFollowTheByteInTheSidesErrorColour) {
  TSeriellData r = Byte('Q', dirPortB, At());
  r.LineFlags = seOE | sePE;
  TSeriellData a = Byte('q', dirPortA, At());
  a.LineFlags = seFE | seBI | seOther;
  Deliver({r, a});
  ASSERT_EQ(sink.Runs.size(), 4u);
  EXPECT_EQ(sink.Runs[0], (TRecordedRun{"Q", clRed}));
  EXPECT_EQ(sink.Runs[1], (TRecordedRun{"[OE,PE]", clMaroon}));
  EXPECT_EQ(sink.Runs[2], (TRecordedRun{"q", clBlack}));
  EXPECT_EQ(sink.Runs[3], (TRecordedRun{"[FE,BI]", clGray}));
}

TEST_F(PipelineTest, PrefixWithTimeMillisecondsAndSideText) {
  options.chkProtZeit = true;
  options.chkMs = true;
  options.TimeFmt = "hh:nn:ss.zzz";
  options.chkTextBegin = true;
  Apply();
  Deliver({Byte('A', dirPortA, At())});
  EXPECT_EQ(sink.All, "12:03:07.125.000 > von PC : A");
  // The side text only while the data page is shown as a tab.
  options.DataPageShown = false;
  options.chkDatenAend = true;
  Apply();
  Deliver({Byte('B', dirPortB, At(1))});
  EXPECT_EQ(sink.All, "12:03:07.125.000 > von PC : A\r\n12:03:08.125.000 : B");
}

TEST_F(PipelineTest, TimeDifferenceAcrossAMinute) {
  options.chkProtZeitDiff = true;
  options.chkDatenAend = true;
  Apply();
  TSeriellData second = Byte('b', dirPortB, At(61.5));
  second.SubMs = 7;
  Deliver({Byte('a', dirPortA, At()), second});
  EXPECT_EQ(sink.All, "a\r\n1:01.500.007 : b");
}

TEST_F(PipelineTest, MicrosecondBorrowTakesAMillisecond) {
  options.chkProtZeitDiff = true;
  options.chkDatenAend = true;
  Apply();
  TSeriellData first = Byte('a', dirPortA, At());
  first.SubMs = 900;
  TSeriellData second = Byte('b', dirPortB, At(75.25));
  second.SubMs = 100;
  Deliver({first, second});
  EXPECT_EQ(sink.All, "a\r\n1:15.249.200 : b");
}

TEST_F(PipelineTest, NoPrefixOptionsMeansTheLineStartsWithTheData) {
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\n'].LineBreak = true;
  options.Codes = codes;
  Apply();
  Deliver({Byte('A', dirPortA, At()), Byte('\n', dirPortA, At()), Byte('B', dirPortA, At())});
  EXPECT_EQ(sink.All, "A[LF]\r\nB");
}

TEST_F(PipelineTest, LineEndCarriesTheEndTimeOfTheRecordThatEndsTheLine) {
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\r'].LineBreak = true;
  options.Codes = codes;
  options.chkProtZeitEnde = true;
  options.chkTextEnde = true;
  options.TimeFmt = "hh:nn:ss";
  Apply();
  Deliver({Byte('A', dirPortB, At()), Byte('\r', dirPortB, At(5))});
  EXPECT_EQ(sink.All, "A[CR] :12:03:12 < von SPS\r\n");
}

TEST_F(PipelineTest, PausedBatchIsConsumedAndTheNextDifferenceStartsAtItsLastRecord) {
  options.chkProtZeitDiff = true;
  options.chkDatenAend = true;
  Apply();
  Deliver({Byte('a', dirPortA, At())});
  pipeline.SetPaused(true);
  Deliver({Byte('p', dirPortA, At(1)), Byte('q', dirPortA, At(2))});
  EXPECT_EQ(sink.All, "a");
  pipeline.SetPaused(false);
  Deliver({Byte('b', dirPortB, At(2.5))});
  EXPECT_EQ(sink.All, "a\r\n00.500.000 : b");
}

TEST_F(PipelineTest, DebugDumpShowsSixDataBytesOfASerialRecord) {
  DebugMode = true;
  options.TimeFmt = "hh:nn:ss";
  Apply();
  TSeriellData r = Byte(0x41, dirPortB, At());
  r.LineFlags = seOE | seBI;
  r.Signals = msCTS1 | msDSR2;
  r.Info = 0x1F;
  Deliver({r});
  EXPECT_EQ(sink.All,
            "DBG: Seriell OK: 01 TNr: 001F T: 12:03:07.000 ID: 00000000 Len: 01 Dat: 41 00 00 00 00 00       "
            "D: dirPortB E: seOEseBI M: msCTS1msDSR2\r\n");
  TSeriellData other;
  other.RecType = 9;
  other.Dir = 12;
  other.Ready = 1;
  other.Time = At();
  Deliver({other});
  EXPECT_TRUE(sink.All.ends_with("DBG:  OK: 01 TNr: 0000 T: 12:03:07.000 ID: 00000000 Len: 00 Dat:"
                                 "                         D:  E:  M: \r\n"));
}

TEST_F(PipelineTest, SoundBeepsOnceForElevenDeliveriesAndSwitchesOffAtTwentyOne) {
  options.chkSound = true;
  Apply();
  for (int i = 0; i < 11; ++i) Deliver({Byte('a', dirPortA, At())});
  TSoundTick tick = pipeline.SoundTick(true);
  EXPECT_TRUE(tick.Beep);
  EXPECT_FALSE(tick.SwitchSoundOff);
  tick = pipeline.SoundTick(true);
  EXPECT_FALSE(tick.Beep);
  for (int i = 0; i < 21; ++i) Deliver({Byte('a', dirPortA, At())});
  tick = pipeline.SoundTick(true);
  EXPECT_TRUE(tick.Beep);
  EXPECT_TRUE(tick.SwitchSoundOff);
}

namespace {
class FakeTxPort : public TTxPort {
 public:
  FakeTxPort(std::string& journal, char name) : journal_(journal), name_(name) {}
  bool CanAddTxOut() const override { return true; }
  void AddTxOut(std::string_view data) override {
    journal_ += name_;
    journal_ += data;
  }

 private:
  std::string& journal_;
  char name_;
};

class JournalSink : public TRecordingSink {
 public:
  explicit JournalSink(std::string& journal) : journal_(journal) {}
  void AppendText(std::string_view text, TColor color) override {
    journal_ += "|shown:";
    journal_ += text;
    TRecordingSink::AppendText(text, color);
  }

 private:
  std::string& journal_;
};
}  // namespace

TEST_F(PipelineTest, RelayedByteIsSentOnBeforeItIsShownAndSignalsAreNotSent) {
  std::string journal;
  JournalSink journalSink(journal);
  TReceivePipeline relay(journalSink);
  FakeTxPort portA(journal, 'A'), portB(journal, 'B');
  options.RelayPorts = true;
  options.WorkMode = 200;
  relay.SetOptions(options);
  relay.SetRelayPorts(&portA, &portB);
  for (const TSeriellData& r : {Byte('s', dirPortB, At()), Signals(msCTS2, dirNone, At()), Byte('p', dirPortA, At())}) {
    const int i = ring.ClaimSlot();
    ring.Slot(i) = r;
    ring.CommitSlot();
  }
  relay.RxData(ring, 0, 3);
  // Each byte leaves on the other port before it is shown; the signal change
  // is shown only.
  EXPECT_LT(journal.find("As"), journal.find("shown:s"));
  EXPECT_LT(journal.find("Bp"), journal.find("shown:p"));
  EXPECT_NE(journal.find("shown:[CTS-ON]"), std::string::npos);
  EXPECT_EQ(journal.find("A["), std::string::npos);
  EXPECT_EQ(journal.find("B["), std::string::npos);
  EXPECT_EQ(journalSink.All, "s[CTS-ON]p");
  EXPECT_EQ(journalSink.Runs[0].Color, clRed);
}

TEST_F(PipelineTest, RelayGoesOnWhileTheDisplayIsPaused) {
  std::string journal;
  FakeTxPort portA(journal, 'A'), portB(journal, 'B');
  options.RelayPorts = true;
  Apply();
  pipeline.SetRelayPorts(&portA, &portB);
  pipeline.SetPaused(true);
  Deliver({Byte('s', dirPortB, At()), Byte('p', dirPortA, At()), Byte('t', dirPortB, At())});
  EXPECT_EQ(sink.All, "");
  // Once per batch and port.
  EXPECT_EQ(journal, "AstBp");
}

TEST_F(PipelineTest, RelayInAUsbModeSendsNothing) {
  std::string journal;
  FakeTxPort portA(journal, 'A'), portB(journal, 'B');
  options.RelayPorts = true;
  options.WorkMode = 410;
  Apply();
  pipeline.SetRelayPorts(&portA, &portB);
  Deliver({Byte('s', dirPortB, At())});
  EXPECT_EQ(journal, "");
  EXPECT_EQ(sink.All, "s");
}

TEST_F(PipelineTest, StatusLineClosesAnOpenLineFirst) {
  Deliver({Byte('a', dirPortA, At())});
  pipeline.ShowStatusLine("sent", false);
  EXPECT_EQ(sink.Runs.back(), (TRecordedRun{"\r\nsent\r\n", clGreen}));
}

TEST_F(PipelineTest, EachPortsSignalsAreComparedWithItsOwnLastWord) {
  // Port A's thread reports its CTS high, port B's its CTS low; neither
  // changes while they take turns.
  TSeriellData a1 = Byte('a', dirPortA, At()), b1 = Byte('b', dirPortB, At());
  TSeriellData a2 = Byte('c', dirPortA, At()), b2 = Byte('d', dirPortB, At());
  a1.Signals = a2.Signals = msCTS1;
  Deliver({a1, b1, a2, b2});
  EXPECT_EQ(sink.All, "[CTS-ON]abcd");
}

TEST_F(PipelineTest, TimeDifferenceIsRoundedOnceThenSplit) {
  options.chkProtZeitDiff = true;
  options.chkDatenAend = true;
  Apply();
  Deliver({Byte('a', dirPortA, At()), Byte('b', dirPortB, At(59.9996)), Byte('c', dirPortA, At(179.9996))});
  EXPECT_EQ(sink.All, "a\r\n1:00.000.000 : b\r\n2:00.000.000 : c");
}

namespace {
// Acts as the window thread would while a batch is under way: its first run
// triggers the command.
class TCommandingSink : public TRecordingSink {
 public:
  std::function<void()> OnFirstRun;
  void AppendText(std::string_view text, TColor color) override {
    TRecordingSink::AppendText(text, color);
    if (auto command = std::exchange(OnFirstRun, nullptr)) command();
  }
};

class TRecordingStream : public TStreamSink {
 public:
  void WriteStreamData(std::string_view text, TColor) override { All += text; }
  std::string All;
};
}  // namespace

TEST_F(PipelineTest, AStatusLineDuringABatchFollowsTheBatchsText) {
  TCommandingSink commanding;
  TReceivePipeline p(commanding);
  p.SetOptions(options);
  commanding.OnFirstRun = [&] { p.ShowStatusLine("sent", false); };
  for (const TSeriellData& r : {Byte('a', dirPortA, At()), Byte('b', dirPortB, At()), Byte('c', dirPortA, At())})
    ASSERT_TRUE(ring.Put(r, true));
  p.RxData(ring, 0, 3);
  EXPECT_EQ(commanding.All, "abc\r\nsent\r\n");
}

// A renderer's timer holds the line state like a batch: a status line from
// the window thread meanwhile waits for the timer's text.
TEST_F(PipelineTest, AStatusLineDuringARenderersTimerFollowsItsText) {
  pipeline.RunExclusive([&] {
    pipeline.EmitRun("A", clBlack);
    std::thread([&] { pipeline.ShowStatusLine("sent", false); }).join();
    pipeline.EmitRun("B\r\n", clBlack);
  });
  EXPECT_EQ(sink.All, "AB\r\nsent\r\n");
}

TEST_F(PipelineTest, AClearDuringABatchDropsItsUnshownTextFromTheTraceOnly) {
  TCommandingSink commanding;
  TRecordingStream log;
  TReceivePipeline p(commanding, &log);
  options.chkTextBegin = true;
  p.SetOptions(options);
  commanding.OnFirstRun = [&] { p.ClearTrace(); };
  for (const TSeriellData& r : {Byte('a', dirPortA, At()), Byte('b', dirPortB, At()), Byte('c', dirPortB, At())})
    ASSERT_TRUE(ring.Put(r, true));
  p.RxData(ring, 0, 3);
  // "b" was rendered before the clear took effect; "c" starts a fresh line.
  EXPECT_EQ(commanding.All, "> von PC : a|cleared|< von SPS : c");
  EXPECT_EQ(log.All, "> von PC : ab< von SPS : c");
  p.ClearTrace();  // between batches: at once
  EXPECT_TRUE(commanding.All.ends_with("|cleared|"));
}

TEST_F(PipelineTest, RecordsOfUnknownTypesAreCountedNotShown) {
  TSeriellData odd = Byte('z', dirUSB1, At());
  odd.RecType = 9;
  Deliver({odd, Byte('a', dirPortA, At())});
  EXPECT_EQ(sink.All, "a");
  EXPECT_EQ(pipeline.SkippedRecords(rtCAN), 0u);
  EXPECT_EQ(pipeline.SkippedRecords(9), 1u);
}

// One read's bytes share a time stamp: they go the fast way until a rule
// can fire, and come out as the record-by-record rules would have them.
TEST_F(PipelineTest, ARunOfOneReadStopsWhereverARuleCanFire) {
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\n'].LineBreak = true;
  options.Codes = codes;
  options.chkZeichBegr = true;
  options.CharLimit = 4;
  options.chkTextBegin = true;
  options.edtTextPC = "A";
  Apply();
  TSeriellData faulty = Byte('e', dirPortA, At());
  faulty.LineFlags = sePE;
  TSeriellData lines = Byte('f', dirPortA, At());
  lines.Signals = msDSR1;
  std::vector<TSeriellData> rest;
  for (char c : std::string("ghi")) {
    rest.push_back(Byte(static_cast<std::uint8_t>(c), dirPortA, At()));
    rest.back().Signals = msDSR1;
  }
  Deliver({Byte('a', dirPortA, At()), Byte('b', dirPortA, At()), Byte('\n', dirPortA, At()), Byte('c', dirPortA, At()),
           Byte('d', dirPortA, At()), faulty, lines, rest[0], rest[1], rest[2]});
  EXPECT_EQ(sink.All, "A : ab[LF]\r\nA : cde[PE][DSR-ON]f\r\nA : ghi");
}

namespace {

// The trace fails once; the raw log records what it is given.
class TFailingOnceSink : public TRecordingSink {
 public:
  void AppendText(std::string_view text, TColor color) override {
    if (std::exchange(failNext, false)) throw std::runtime_error("trace failed");
    TRecordingSink::AppendText(text, color);
  }
  bool failNext = true;
};

class TRawRecorder : public TRawSink {
 public:
  void WriteStreamDataRoh(std::string_view bytesA, std::string_view bytesB) override {
    A += bytesA;
    B += bytesB;
  }
  std::string A, B;
};

}  // namespace

TEST(ReceivePipelineFault, AFailedBatchWritesItsRawBytesAtOnceAndNeverAgain) {
  ReceiveRing ring;
  TFailingOnceSink trace;
  TReceivePipeline pipeline{trace};
  TRawRecorder raw;
  pipeline.SetRawSink(&raw);
  pipeline.SetOptions(TRxOptions{});
  const auto deliver = [&](std::string_view bytes) {
    for (char c : bytes) {
      TSeriellData r;
      r.Count = 1;
      r.Data[0] = static_cast<std::uint8_t>(c);
      r.Dir = dirPortA;
      ASSERT_TRUE(ring.Put(r));
    }
    int start = 0;
    const int count = ring.ReadyBatch(start);
    try {
      pipeline.RxData(ring, start, count);
    } catch (const std::runtime_error&) {
    }
    ring.Release(count);
  };
  deliver("ab");
  EXPECT_EQ(raw.A, "ab");
  deliver("c");
  EXPECT_EQ(raw.A, "abc");
}
