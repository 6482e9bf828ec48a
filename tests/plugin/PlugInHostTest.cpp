// The plug-in host with small plug-ins built by the test suite: which
// libraries it accepts, and how their answers reach the trace.
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/PipelineFixture.h"
#include "plugin/PlugInHost.h"
#include "plugin/PlugInSettings.h"

namespace {
std::string PlugInDir() { return TAMARIK_TEST_PLUGINS; }

// The scripting exports of a loaded test plug-in.
struct TScript {
  explicit TScript(const std::string& file) {
    handle = ::dlopen((PlugInDir() + "/" + file).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return;
    reset = reinterpret_cast<void (*)()>(::dlsym(handle, "TestReset"));
    reply = reinterpret_cast<decltype(reply)>(::dlsym(handle, "TestReply"));
    timerDefault = reinterpret_cast<decltype(timerDefault)>(::dlsym(handle, "TestTimerDefault"));
    throwNext = reinterpret_cast<void (*)()>(::dlsym(handle, "TestThrowNext"));
    nullCalls = reinterpret_cast<int (*)()>(::dlsym(handle, "TestNullCalls"));
    seen = reinterpret_cast<decltype(seen)>(::dlsym(handle, "TestSeen"));
    reset();
  }
  ~TScript() {
    if (handle) ::dlclose(handle);
  }
  void* handle = nullptr;
  void (*reset)() = nullptr;
  void (*reply)(int, std::int32_t, const char*, std::uint32_t, std::int32_t) = nullptr;
  void (*timerDefault)(std::int32_t, const char*, std::int32_t) = nullptr;
  void (*throwNext)() = nullptr;
  int (*nullCalls)() = nullptr;
  int (*seen)(TPlugInRecord*, int) = nullptr;
};
}  // namespace

class PlugInHostTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    options.chkUsePlugin = true;
    Apply();
    pipeline.SetBatchRenderer(&host);
  }
  void TearDown() override {
    host.PlugInUnloadDLL();
    pipeline.RunExclusive([] {});  // a timer firing under way has finished
    PipelineTest::TearDown();
  }
  // Loads the accepted test plug-in and returns its script.
  std::unique_ptr<TScript> Load(const std::string& file = "scripted_v30.so") {
    EXPECT_TRUE(host.Activate(file));
    auto script = std::make_unique<TScript>(file);
    EXPECT_NE(script->handle, nullptr);
    return script;
  }
  void RecordReply(TScript& s, std::int32_t result, const char* text, std::uint32_t colour = 0,
                   std::int32_t interval = 0) {
    s.reply(0, result, text, colour, interval);
  }

  std::atomic<int> errorsShown{0};
  TPlugInHost host{pipeline, PlugInDir(),
                   TPlugInHooks{[this](std::string_view) { ++errorsShown; }, [] { return At(10); }}};
};

TEST_F(PlugInHostTest, AcceptsVersionsFromThreeToNineWithAllFourExports) {
  EXPECT_TRUE(host.Activate("scripted_v30.so"));
  EXPECT_EQ(host.VersionLabel(), "Version: 3.0\nScripted");
  EXPECT_TRUE(host.ParamEnabled());
  EXPECT_EQ(host.ParamCaption(), "Einstellen");
  EXPECT_EQ(host.PlugInDllName(), "scripted_v30.so");
  EXPECT_TRUE(host.Activate("scripted_v9.so"));
  EXPECT_EQ(host.PlugInTamarik(), "9.1");

  for (const char* rejected : {"scripted_v29.so", "scripted_vempty.so", "scripted_noconvert.so",
                               "scripted_noparam.so", "missing.so"}) {
    EXPECT_FALSE(host.Activate(rejected)) << rejected;
    EXPECT_FALSE(host.Loaded()) << rejected;
    EXPECT_EQ(host.VersionLabel(), "") << rejected;
    EXPECT_FALSE(host.ParamEnabled()) << rejected;
  }
}

TEST_F(PlugInHostTest, RecordReachesThePlugInInTheExchangeLayout) {
  auto s = Load();
  Deliver({Byte(0x41, dirPortB, At(1))});
  TPlugInRecord seen[2];
  ASSERT_EQ(s->seen(seen, 2), 1);
  EXPECT_EQ(seen[0].RecType, rtSeriell);
  EXPECT_EQ(seen[0].Count, 1);
  EXPECT_EQ(seen[0].Data[0], 0x41);
  EXPECT_EQ(seen[0].Dir, dirPortB);
  EXPECT_DOUBLE_EQ(seen[0].Time, At(1));
}

TEST_F(PlugInHostTest, NothingShownForAZeroResultAndOnlyTheCountedCharacters) {
  auto s = Load();
  Deliver({Byte('a', dirPortA, At()), Byte('b', dirPortA, At())});
  EXPECT_EQ(sink.All, "");

  RecordReply(*s, 1, "AB");
  RecordReply(*s, 40, "CD");  // a count beyond the text's zero
  RecordReply(*s, 2, "");
  Deliver({Byte('a', dirPortA, At()), Byte('b', dirPortA, At()), Byte('c', dirPortA, At())});
  EXPECT_EQ(sink.All, "ACD");
}

TEST_F(PlugInHostTest, LineEndsAtStartInsideAndEndOfTheText) {
  options.chkTextBegin = true;
  Apply();
  auto s = Load();
  RecordReply(*s, 2, "ab");
  RecordReply(*s, 4, "\r\ncd");
  RecordReply(*s, 4, "e\r\nf");
  RecordReply(*s, 3, "g\r\n");
  RecordReply(*s, 1, "h");
  Deliver({Byte('1', dirPortA, At()), Byte('2', dirPortA, At()), Byte('3', dirPortA, At()),
           Byte('4', dirPortA, At()), Byte('5', dirPortA, At())});
  EXPECT_EQ(sink.All, "> von PC : ab\r\n> von PC : cde\r\n> von PC : fg\r\n> von PC : h");
  EXPECT_TRUE(pipeline.LineOpen());
}

TEST_F(PlugInHostTest, DirectionChangeClosesTheLineWithTheSideItBelongsTo) {
  options.chkTextBegin = true;
  options.chkTextEnde = true;
  options.chkDatenAend = true;
  Apply();
  auto s = Load();
  RecordReply(*s, 1, "x");
  RecordReply(*s, 1, "y");
  Deliver({Byte('1', dirPortA, At()), Byte('2', dirPortB, At())});
  EXPECT_EQ(sink.All, "> von PC : x :> von PC\r\n< von SPS : y");
}

TEST_F(PlugInHostTest, TimeStampAfterAnInnerLineEnd) {
  options.chkProtZeit = true;
  Apply();
  auto s = Load();
  RecordReply(*s, 4, "a\r\nb");
  Deliver({Byte('1', dirPortA, At())});
  EXPECT_EQ(sink.All, "12:03:07 : a\r\n12:03:07 : b");
}

TEST_F(PlugInHostTest, ColoursOutsideTheListAreBlack) {
  auto s = Load();
  RecordReply(*s, 1, "r", 0x0000FF);
  RecordReply(*s, 1, "b", 0xFF0000);
  RecordReply(*s, 1, "x", 0x123456);
  RecordReply(*s, 1, "o", 0x008080);
  Deliver({Byte('1', dirPortA, At()), Byte('2', dirPortA, At()), Byte('3', dirPortA, At()),
           Byte('4', dirPortA, At())});
  const std::vector<TRecordedRun> expected = {{"r", clRed}, {"b", clBlue}, {"x", clBlack}, {"o", clOlive}};
  EXPECT_EQ(sink.Runs, expected);
  EXPECT_EQ(pipeline.LineColor(), clOlive);
}

TEST_F(PlugInHostTest, IntervalOneFromTheTimerCallsAgainAtOnce) {
  auto s = Load();
  s->reply(1, 1, "a", 0, 1);
  s->reply(1, 1, "b", 0, 1);
  s->reply(1, 1, "c", 0, 250);
  host.tmrPlugInTimer();
  EXPECT_EQ(s->nullCalls(), 3);
  EXPECT_EQ(sink.All, "abc");
  EXPECT_EQ(host.TimerInterval(), 250);
}

TEST_F(PlugInHostTest, IntervalOneFromARecordRunsTheTimerCallsInTheBatch) {
  options.chkProtZeit = true;
  Apply();
  auto s = Load();
  RecordReply(*s, 3, "x\r\n", 0, 1);
  s->reply(1, 1, "y", 0, 0);
  Deliver({Byte('1', dirPortA, At())});
  EXPECT_EQ(s->nullCalls(), 1);
  // The timer's text carries the time of the call, not of the record.
  EXPECT_EQ(sink.All, "12:03:07 : x\r\n12:03:17 : y");
  EXPECT_EQ(host.TimerInterval(), 0);
}

TEST_F(PlugInHostTest, TimerCallsComeFromTheTimerThreadBetweenBatches) {
  auto s = Load();
  RecordReply(*s, 1, "x", 0, 5);
  s->reply(1, 1, "y", 0, 0);
  Deliver({Byte('1', dirPortA, At())});
  // The sink is read under the pipeline's turn, as the timer writes under it.
  const auto shown = [&] {
    std::string all;
    pipeline.RunExclusive([&] { all = sink.All; });
    return all;
  };
  for (int i = 0; i < 2000 && shown() != "xy"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(shown(), "xy");
  EXPECT_EQ(s->nullCalls(), 1);
  EXPECT_EQ(host.TimerInterval(), 0);
}

TEST_F(PlugInHostTest, APlugInAskingForeverDoesNotHoldTheConsumer) {
  auto s = Load();
  s->timerDefault(0, "", 1);
  host.tmrPlugInTimer();
  EXPECT_GE(s->nullCalls(), TPlugInHost::kMaxCallsAtOnce);
}

TEST_F(PlugInHostTest, AnExceptionCostsOnlyItsRecord) {
  auto s = Load();
  s->throwNext();
  RecordReply(*s, 2, "ok");
  Deliver({Byte('1', dirPortA, At()), Byte('2', dirPortA, At())});
  EXPECT_EQ(sink.All, "ok");
  EXPECT_EQ(errorsShown.load(), 1);
}

TEST_F(PlugInHostTest, WithoutALibraryTheRecordsAreShownAsUsual) {
  Deliver({Byte('a', dirPortA, At())});
  EXPECT_EQ(sink.All, "a");
}

TEST(PlugInSettingsTest, StoredNameIsBareOnlyInTheProgramsDirectory) {
  EXPECT_EQ(StoredDllName("/opt/tamarik/PlugIn.so", "/opt/tamarik"), "PlugIn.so");
  EXPECT_EQ(StoredDllName("/opt/tamarik/PlugIn.so", "/opt/tamarik/"), "PlugIn.so");
  EXPECT_EQ(StoredDllName("/opt/tamarik/sub/PlugIn.so", "/opt/tamarik"), "/opt/tamarik/sub/PlugIn.so");
  EXPECT_EQ(StoredDllName("/opt/tamarik2/PlugIn.so", "/opt/tamarik"), "/opt/tamarik2/PlugIn.so");
}
