// The logs behind the receive pipeline: what reaches them, and that a
// failing log never costs the trace anything.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "LogTestSupport.h"
#include "core/OnlineLog.h"
#include "core/RawLog.h"
#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"

namespace {

TSeriellData Byte(std::uint8_t dir, std::uint8_t value) {
  TSeriellData r;
  r.Ready = 1;
  r.Count = 1;
  r.Data[0] = value;
  r.Dir = dir;
  r.Time = 46000.5;
  return r;
}

// Hands the records to the pipeline in batches of up to 64, as the consumer does.
void Feed(TReceivePipeline& pipeline, const std::vector<TSeriellData>& records) {
  static ReceiveRing ring;
  for (std::size_t at = 0; at < records.size(); at += 64) {
    for (std::size_t i = at; i < std::min(records.size(), at + 64); ++i) ASSERT_TRUE(ring.Put(records[i], true));
    int start = 0;
    for (int count; (count = ring.ReadyBatch(start)) > 0;) {
      pipeline.RxData(ring, start, count);
      ring.Release(count);
    }
  }
}

class LogPipelineTest : public ::testing::Test {
 protected:
  LogPipelineTest() : pipeline(trace) {}

  TLogHooks Hooks() {
    TLogHooks hooks;
    hooks.Beep = [this] { ++beeps; };
    hooks.Unchecked = [this] { ++unchecks; };
    return hooks;
  }

  TScratchDir dir;
  TErrorCapture errors;
  TKeepTrace trace;
  TReceivePipeline pipeline;
  int beeps = 0;
  int unchecks = 0;
};

TEST_F(LogPipelineTest, RawLogWithABKeepsEachSidesBytesExactly) {
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "raw[AB].roh", 2});
  ASSERT_TRUE(raw.Start(lsRestore));
  EXPECT_EQ(raw.PathA(), dir / "rawA.roh");
  EXPECT_EQ(raw.PathB(), dir / "rawB.roh");
  pipeline.SetRawSink(&raw);

  std::vector<TSeriellData> records;
  std::string sideA, sideB;
  for (int i = 0; i < 256; ++i) {
    records.push_back(Byte(dirPortA, static_cast<std::uint8_t>(i)));
    sideA.push_back(static_cast<char>(i));
    if (i % 3 == 0) {
      records.push_back(Byte(dirPortB, static_cast<std::uint8_t>(255 - i)));
      sideB.push_back(static_cast<char>(255 - i));
    }
  }
  Feed(pipeline, records);
  raw.Stop();
  EXPECT_EQ(ReadWhole(dir / "rawA.roh"), sideA);
  EXPECT_EQ(ReadWhole(dir / "rawB.roh"), sideB);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"rawA.roh", "rawB.roh"}));
}

TEST_F(LogPipelineTest, RawLogWithoutABHasSideAOnly) {
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "raw", 2});
  ASSERT_TRUE(raw.Start(lsRestore));
  pipeline.SetRawSink(&raw);
  Feed(pipeline, {Byte(dirPortA, 'a'), Byte(dirPortB, 'b'), Byte(dirUSB1, 'c'), Byte(dirUSB2, 'd')});
  raw.Stop();
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"raw.roh"});
  EXPECT_EQ(ReadWhole(dir / "raw.roh"), "ac");
}

TEST_F(LogPipelineTest, NoPortAKeepsPortAOutOfBothLogsButNotOutOfTheTrace) {
  TOnlineLog online(Hooks());
  online.SetFileChoice({dir / "online.txt", 3});
  ASSERT_TRUE(online.Start(lsRestore));
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "raw[AB].roh", 1});
  ASSERT_TRUE(raw.Start(lsRestore));
  pipeline.SetStreamSink(&online);
  pipeline.SetRawSink(&raw);
  TRxOptions options;
  options.chkDatenAend = true;  // one line per change of side
  options.chkNoPortA = true;
  pipeline.SetOptions(options);

  Feed(pipeline, {Byte(dirPortA, 'a'), Byte(dirPortA, 'a'), Byte(dirPortB, 'B'), Byte(dirPortA, 'a'),
                  Byte(dirPortB, 'B'), Byte(dirPortB, 'B')});
  online.CloseOnlineFile();
  raw.Stop();

  EXPECT_EQ(trace.Text, "aa\r\nB\r\na\r\nBB");
  // A line end belongs to the line it closes: port A's stay out too.
  EXPECT_EQ(ReadWhole(dir / "online.txt"), "B\r\nBB");
  EXPECT_EQ(ReadWhole(dir / "rawA.roh"), "");
  EXPECT_EQ(ReadWhole(dir / "rawB.roh"), "BBB");
}

TEST_F(LogPipelineTest, NoPortBKeepsPortBOut) {
  TOnlineLog online(Hooks());
  online.SetFileChoice({dir / "online.txt", 3});
  ASSERT_TRUE(online.Start(lsRestore));
  pipeline.SetStreamSink(&online);
  TRxOptions options;
  options.chkNoPortB = true;
  pipeline.SetOptions(options);
  Feed(pipeline, {Byte(dirPortA, 'a'), Byte(dirPortB, 'B'), Byte(dirPortA, 'c')});
  online.CloseOnlineFile();
  EXPECT_EQ(trace.Text, "aBc");
  EXPECT_EQ(ReadWhole(dir / "online.txt"), "ac");
}

// A file size limit stands in for a full disk: the write fails part-way.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST_F(LogPipelineTest, LogsThatCannotWriteReportOnceAndTheTraceLosesNothing) {
  TOnlineLog online(Hooks());
  online.SetFileChoice({dir / "online.rtf", 2});
  ASSERT_TRUE(online.Start(lsRestore));
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "raw[AB].roh", 1});
  ASSERT_TRUE(raw.Start(lsRestore));
  pipeline.SetStreamSink(&online);
  pipeline.SetRawSink(&raw);

  std::vector<TSeriellData> records;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    const char c = static_cast<char>('a' + i % 26);
    records.push_back(Byte(i % 2 ? dirPortA : dirPortB, static_cast<std::uint8_t>(c)));
    expected.push_back(c);
  }
  {
    TFileSizeLimit limit(1024);
    Feed(pipeline, records);
  }
  EXPECT_EQ(trace.Text, expected);
  EXPECT_FALSE(online.Checked());
  EXPECT_FALSE(raw.Checked());
  const auto reported = errors.Errors();
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0].Location, "25");
  EXPECT_EQ(reported[1].Location, "19");
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(unchecks, 2);
  // What reached the file before the failure is the trace's beginning.
  const std::string rawA = ReadWhole(dir / "rawA.roh");
  EXPECT_FALSE(rawA.empty());
  EXPECT_LE(rawA.size(), 1024u);
}

}  // namespace
