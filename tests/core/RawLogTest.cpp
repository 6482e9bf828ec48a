#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "core/DateTime.h"
#include "core/RawLog.h"

namespace {

class RawLogTest : public ::testing::Test {
 protected:
  TLogHooks Hooks() {
    TLogHooks hooks;
    hooks.Now = [this] { return clock; };
    hooks.Beep = [this] { ++beeps; };
    hooks.AskYesNo = [this](std::string_view) { return ++questions, answerYes; };
    hooks.WriteErrorLog = [this](std::string_view line) { errorLog.emplace_back(line); };
    return hooks;
  }

  TScratchDir dir;
  TErrorCapture errors;
  double clock = EncodeDateTime({2026, 12, 6, 22, 37, 40, 0});
  int beeps = 0;
  int questions = 0;
  bool answerYes = true;
  std::vector<std::string> errorLog;
};

TEST_F(RawLogTest, SideAsSizeStartsANewPairOfFiles) {
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "r[AB] [DATETIME]", 2});
  raw.SetLimit({true, 3});
  ASSERT_TRUE(raw.Start(lsRestore));
  EXPECT_EQ(raw.RawNameKind(), nkDateTime);
  // Side B's size never counts; side A's counts once it is above the limit.
  raw.WriteStreamDataRoh(std::string(kLogFileSizeLimit - 1, 'a'), std::string(2 * kLogFileSizeLimit, 'b'));
  clock += 1.0 / 86'400.0;
  raw.WriteStreamDataRoh("A", "B");
  clock += 1.0 / 86'400.0;
  raw.WriteStreamDataRoh("C", "");
  clock += 1.0 / 86'400.0;
  raw.WriteStreamDataRoh("x", "y");
  raw.Stop();
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"rA 26-12-06 22.37.40.roh", "rA 26-12-06 22.37.43.roh",
                                                   "rB 26-12-06 22.37.40.roh", "rB 26-12-06 22.37.43.roh"}));
  EXPECT_EQ(ReadWhole(dir / "rA 26-12-06 22.37.43.roh"), "x");
  EXPECT_EQ(ReadWhole(dir / "rB 26-12-06 22.37.43.roh"), "y");
  EXPECT_EQ(ReadWhole(dir / "rA 26-12-06 22.37.40.roh").size(), kLogFileSizeLimit + 1);
  EXPECT_EQ(ReadWhole(dir / "rB 26-12-06 22.37.40.roh").size(), 2 * kLogFileSizeLimit + 1);
  EXPECT_EQ(errorLog, std::vector<std::string>(2, "UserAction: Start RAW-data-log."));
}

TEST_F(RawLogTest, AskedOnceWhenEitherSideExistsAndYesDeletesBoth) {
  WriteWhole(dir / "sB.roh", "old B");
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "s[AB].roh", 1});
  ASSERT_TRUE(raw.Start(lsUser));
  EXPECT_EQ(questions, 1);
  raw.WriteStreamDataRoh("1", "2");
  raw.Stop();
  EXPECT_EQ(ReadWhole(dir / "sA.roh"), "1");
  EXPECT_EQ(ReadWhole(dir / "sB.roh"), "2");

  answerYes = false;
  ASSERT_TRUE(raw.Start(lsUser));
  raw.WriteStreamDataRoh("3", "4");
  raw.Stop();
  EXPECT_EQ(ReadWhole(dir / "sA.roh"), "13") << "No: the bytes are appended";
  EXPECT_EQ(ReadWhole(dir / "sB.roh"), "24");
}

TEST_F(RawLogTest, OpeningFailureReleasesBothSidesAndReportsAt19) {
  // Side B's file cannot be created: side A's must not stay open and locked.
  std::filesystem::create_directory(dir / "tB.roh");
  TRawLog raw(Hooks());
  raw.SetFileChoice({dir / "t[AB].roh", 1});
  EXPECT_FALSE(raw.Start(lsRestore));
  EXPECT_FALSE(raw.RawReady());
  EXPECT_FALSE(raw.Checked());
  EXPECT_TRUE(raw.PathA().empty());
  EXPECT_EQ(beeps, 1);
  ASSERT_EQ(errors.Errors().size(), 1u);
  EXPECT_EQ(errors.Errors()[0].Location, "19");
  raw.WriteStreamDataRoh("dropped", "dropped");
  EXPECT_EQ(ReadWhole(dir / "tA.roh"), "");
}

}  // namespace

// Without "[AB]" only side A is kept; with port B in use that is said once.
TEST_F(RawLogTest, ANameWithoutABSaysOnceThatPortBIsNotLogged) {
  std::vector<std::string> status;
  TLogHooks hooks = Hooks();
  hooks.StatusLine = [&](std::string_view text) { status.emplace_back(text); };
  TRawLog raw(hooks);
  raw.SetFileChoice({dir / "plain.roh", 1});
  ASSERT_TRUE(raw.Start(lsRestore, true));
  raw.WriteStreamDataRoh("a", "b");
  raw.WriteStreamDataRoh("c", "d");
  raw.Stop();
  EXPECT_EQ(ReadWhole(dir / "plain.roh"), "ac");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_NE(status[0].find("[AB]"), std::string::npos);
  ASSERT_EQ(errors.Errors().size(), 1u);
  EXPECT_EQ(errors.Errors()[0].Location, "19");
  EXPECT_EQ(errors.Errors()[0].Message, status[0]);

  ASSERT_TRUE(raw.Start(lsRestore, false));  // port B closed: nothing is lost
  raw.Stop();
  raw.SetFileChoice({dir / "two[AB].roh", 1});
  ASSERT_TRUE(raw.Start(lsRestore, true));
  raw.Stop();
  EXPECT_EQ(status.size(), 1u);
  EXPECT_EQ(errors.Errors().size(), 1u);
}
