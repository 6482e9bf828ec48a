#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <sstream>
#include <thread>

#include "LogTestSupport.h"
#include "core/DateTime.h"
#include "core/OnlineLog.h"
#include "core/RtfWriter.h"

namespace {

double At(int year, int month, int day, int hour, int minute, int second) {
  TDateTimeParts p;
  p.Year = year, p.Month = month, p.Day = day, p.Hour = hour, p.Minute = minute, p.Second = second;
  return EncodeDateTime(p);
}

// Braces that are not escaped close only at the very last byte.
bool OneRtfDocument(const std::string& doc) {
  int depth = 0;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    if (doc[i] == '\\') {
      ++i;
      continue;
    }
    if (doc[i] == '{') ++depth;
    if (doc[i] == '}' && --depth == 0 && i + 1 != doc.size()) return false;
  }
  return depth == 0 && doc.starts_with("{\\rtf1");
}

class OnlineLogTest : public ::testing::Test {
 protected:
  TLogHooks Hooks() {
    TLogHooks hooks;
    hooks.Now = [this] { return clock; };
    hooks.Beep = [this] { ++beeps; };
    hooks.Unchecked = [this] { ++unchecks; };
    hooks.WriteErrorLog = [this](std::string_view line) { errorLog.emplace_back(line); };
    hooks.AskYesNo = [this](std::string_view question) {
      questions.emplace_back(question);
      return answerYes;
    };
    return hooks;
  }

  TScratchDir dir;
  TErrorCapture errors;
  double clock = At(2026, 12, 6, 22, 37, 40);
  int beeps = 0;
  int unchecks = 0;
  bool answerYes = false;
  std::vector<std::string> errorLog;
  std::vector<std::string> questions;
};

TEST_F(OnlineLogTest, DateTimeNameRotatesHourlyWithTheFirstWriteOfTheNewHour) {
  TOnlineLog log(Hooks());
  log.SetFileChoice({dir / "log [DATETIME].txt", 3});
  log.SetLimit({true, 1});
  ASSERT_TRUE(log.Start(lsRestore));
  const std::string first = dir / "log 26-12-06 22.37.40.txt";
  EXPECT_EQ(log.CurrentPath(), first);
  EXPECT_EQ(log.LogNameKind(), nkDateTime);

  clock = At(2026, 12, 6, 22, 59, 59);
  log.WriteStreamData("late", clBlack);
  EXPECT_EQ(log.CurrentPath(), first);
  clock = At(2026, 12, 6, 23, 0, 2);
  log.WriteStreamData("next hour", clBlack);
  const std::string second = dir / "log 26-12-06 23.00.02.txt";
  EXPECT_EQ(log.CurrentPath(), second);
  log.CloseOnlineFile();

  EXPECT_EQ(ReadWhole(first), "late");
  EXPECT_EQ(ReadWhole(second), "next hour");
  EXPECT_EQ(dir.Files().size(), 2u);
  EXPECT_EQ(errorLog, std::vector<std::string>(2, "UserAction: Start online-log."));
  EXPECT_TRUE(errors.Errors().empty());
}

TEST_F(OnlineLogTest, DateNameNeverRotatesHourlyButDaily) {
  for (const int choice : {1, 2}) {
    SCOPED_TRACE(choice);
    TScratchDir own;
    clock = At(2026, 12, 6, 22, 37, 40);
    TOnlineLog log(Hooks());
    log.SetFileChoice({own / "day [DATE].txt", 3});
    log.SetLimit({true, choice});
    ASSERT_TRUE(log.Start(lsRestore));
    EXPECT_EQ(log.LogNameKind(), nkDate);
    for (const int hour : {23, 24, 25}) {
      clock = At(2026, 12, 6, 0, 0, 0) + hour / 24.0;
      log.WriteStreamData("x", clBlack);
    }
    log.CloseOnlineFile();
    if (choice == 1) {
      EXPECT_EQ(own.Files(), std::vector<std::string>{"day 26-12-06.txt"});
    } else {
      EXPECT_EQ(own.Files(), (std::vector<std::string>{"day 26-12-06.txt", "day 26-12-07.txt"}));
      EXPECT_EQ(ReadWhole(own / "day 26-12-07.txt"), "xx");
    }
  }
}

TEST_F(OnlineLogTest, AppendingToRichTextKeepsOneDocumentWithAGreenRestartLine) {
  const std::string path = dir / "trace.rtf";
  {
    TOnlineLog log(Hooks());
    log.SetFileChoice({path, 2});
    ASSERT_TRUE(log.Start(lsRestore));
    EXPECT_TRUE(log.LogRtf());
    log.WriteStreamData("A", clRed);
    log.WriteStreamData("B", clBlack, true);
    log.CloseOnlineFile();
  }
  ASSERT_TRUE(OneRtfDocument(ReadWhole(path)));
  clock = At(2026, 12, 7, 8, 15, 0);
  {
    TOnlineLog log(Hooks());
    log.SetFileChoice({path, 2});
    ASSERT_TRUE(log.Start(lsRestore));
    log.WriteStreamData("C", clRed);
    log.CloseOnlineFile();
  }
  const std::string doc = ReadWhole(path);
  // Tests run in the C locale: short date mm/dd/yy, long time hh:nn:ss.
  EXPECT_EQ(doc, RtfHeader() + "\\cf2 A\\cf1 B\r\n\\par " +
                     "\\cf8 \r\n\\par Neustart Tamarik 12/07/26 08:15:00:\r\n\\par " + "\\cf2 C}");
  EXPECT_TRUE(OneRtfDocument(doc));
  EXPECT_TRUE(questions.empty()) << "restoring never asks";
}

TEST_F(OnlineLogTest, AppendingKeepsATextLeftWithoutItsClosingBrace) {
  const std::string path = dir / "crashed.rtf";
  const std::string left = RtfHeader() + "\\cf2 X\\}";  // the run ended in a brace, the program did not close
  WriteWhole(path, left);
  TOnlineLog log(Hooks());
  log.SetFileChoice({path, 2});
  ASSERT_TRUE(log.Start(lsRestore));
  log.CloseOnlineFile();
  const std::string doc = ReadWhole(path);
  EXPECT_TRUE(doc.starts_with(left));
  EXPECT_TRUE(OneRtfDocument(doc));
}

TEST_F(OnlineLogTest, RichTextEscapesAndTagsRunsPlainTextStaysUtf8) {
  TOnlineLog rtf(Hooks());
  rtf.SetFileChoice({dir / "e.rtf", 2});
  ASSERT_TRUE(rtf.Start(lsRestore));
  rtf.WriteStreamData("a{b}\\x", clBlack);
  rtf.WriteStreamData("Grüße", clBlack);
  rtf.CloseOnlineFile();
  EXPECT_EQ(ReadWhole(dir / "e.rtf"), RtfHeader() + "\\cf1 a\\{b\\}\\\\xGr\xFC\xDF" "e}");

  TOnlineLog txt(Hooks());
  txt.SetFileChoice({dir / "e.txt", 3});
  ASSERT_TRUE(txt.Start(lsRestore));
  txt.WriteStreamData("a{b}\\x", clRed);
  txt.WriteStreamData("Grüße", clBlack, true);
  txt.CloseOnlineFile();
  EXPECT_EQ(ReadWhole(dir / "e.txt"), "a{b}\\xGrüße\r\n");
}

TEST_F(OnlineLogTest, MissingExtensionFollowsTheFilterNotTheDotsOfTheTime) {
  struct TCase {
    std::string Name;
    int Filter;
    std::string File;
    bool Rtf;
  };
  const TCase cases[] = {
      {"a[DATETIME]", 2, "a26-12-06 22.37.40.rtf", true},
      {"b[DATETIME]", 1, "b26-12-06 22.37.40.txt", false},
      {"c", 3, "c.txt", false},
      {"d.LOG", 2, "d.LOG", false},
      {"e.RTF", 1, "e.RTF", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TOnlineLog log(Hooks());
    log.SetFileChoice({dir / c.Name, c.Filter});
    ASSERT_TRUE(log.Start(lsRestore));
    EXPECT_EQ(log.CurrentPath(), dir / c.File);
    EXPECT_EQ(log.LogRtf(), c.Rtf);
  }
}

TEST_F(OnlineLogTest, AnExistingFileIsRecreatedOnYesAndContinuedOnNo) {
  const std::string path = dir / "keep.txt";
  WriteWhole(path, "old");
  TOnlineLog log(Hooks());
  log.SetFileChoice({path, 3});
  answerYes = false;
  ASSERT_TRUE(log.Start(lsUser));
  log.WriteStreamData("new", clBlack);
  log.CloseOnlineFile();
  EXPECT_EQ(ReadWhole(path), "old\r\nNeustart Tamarik 12/06/26 22:37:40:\r\nnew");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "Die Datei ist schon vorhanden.\nWollen Sie die Datei löschen und neu erzeugen?");

  answerYes = true;
  ASSERT_TRUE(log.Start(lsUser));
  log.WriteStreamData("fresh", clBlack);
  log.CloseOnlineFile();
  EXPECT_EQ(ReadWhole(path), "fresh");
}

TEST_F(OnlineLogTest, CancelledDialogUnchecksAndOpensNothing) {
  TLogHooks hooks = Hooks();
  TLogFileChoice proposed;
  hooks.ShowSaveDialog = [&](const TLogFileChoice& p) -> std::optional<TLogFileChoice> {
    proposed = p;
    return std::nullopt;
  };
  TOnlineLog log(hooks);
  log.SetFileChoice({dir / "x.rtf", 1});
  EXPECT_FALSE(log.Start(lsUser));
  EXPECT_EQ(proposed.FilterIndex, 2) << "the name's extension preselects the filter";
  EXPECT_FALSE(log.Checked());
  EXPECT_EQ(unchecks, 1);
  EXPECT_TRUE(dir.Files().empty());
}

TEST_F(OnlineLogTest, OpeningFailsCleanlyForAMissingFolderAndForASecondWriter) {
  TOnlineLog missing(Hooks());
  missing.SetFileChoice({dir / "no/such/folder.txt", 3});
  EXPECT_FALSE(missing.Start(lsRestore));
  EXPECT_FALSE(missing.LogReady());
  EXPECT_FALSE(missing.Checked());
  missing.WriteStreamData("dropped", clBlack);

  TOnlineLog first(Hooks()), second(Hooks());
  first.SetFileChoice({dir / "shared.txt", 3});
  second.SetFileChoice({dir / "shared.txt", 3});
  ASSERT_TRUE(first.Start(lsRestore));
  EXPECT_FALSE(second.Start(lsRestore));
  first.WriteStreamData("only mine", clBlack);
  second.WriteStreamData("never", clBlack);
  first.CloseOnlineFile();
  EXPECT_EQ(ReadWhole(dir / "shared.txt"), "only mine");

  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(unchecks, 2);
  const auto reported = errors.Errors();
  ASSERT_EQ(reported.size(), 2u);
  for (const TReportedError& e : reported) EXPECT_EQ(e.Location, "25");
}

TEST_F(OnlineLogTest, AFileRemovedWhileOpenIsReportedOnceAndStopsTheLog) {
  TOnlineLog log(Hooks());
  log.SetFileChoice({dir / "gone.txt", 3});
  ASSERT_TRUE(log.Start(lsRestore));
  log.WriteStreamData("a", clBlack);
  std::filesystem::remove(dir / "gone.txt");
  for (int i = 0; i < 5; ++i) log.WriteStreamData("b", clBlack);
  EXPECT_FALSE(log.Checked());
  EXPECT_FALSE(log.LogReady());
  EXPECT_EQ(errors.Errors().size(), 1u);
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(unchecks, 1);
}

// Numbered runs across size rotations: each run in exactly one file, in order.
TEST_F(OnlineLogTest, SizeRotationNeitherLosesNorRepeatsARunAtTheSeam) {
  for (const bool rtf : {false, true}) {
    SCOPED_TRACE(rtf ? "rtf" : "txt");
    TScratchDir own;
    clock = At(2026, 12, 6, 22, 37, 40);
    TOnlineLog log(Hooks());
    log.SetFileChoice({own / (rtf ? "seam [DATETIME].rtf" : "seam [DATETIME].txt"), rtf ? 2 : 3});
    log.SetLimit({true, 3});
    ASSERT_TRUE(log.Start(lsRestore));
    constexpr int kRuns = 200'000;
    char run[32];
    for (int i = 0; i < kRuns; ++i) {
      if (i % 1000 == 0) clock += 1.0 / 86'400.0;
      std::snprintf(run, sizeof run, "run%06d\r\n", i);
      log.WriteStreamData(run, (i / 5000) % 2 ? clRed : clBlack);
    }
    log.CloseOnlineFile();

    const auto files = own.Files();
    ASSERT_GE(files.size(), 3u);
    std::map<int, int> seen;
    int expectNext = 0;
    for (const std::string& name : files) {
      const std::string text = ReadWhole(own / name);
      if (rtf) {
        EXPECT_TRUE(OneRtfDocument(text)) << name;
        EXPECT_EQ(text.find(RtfHeader() + "\\cf"), 0u) << name << ": the first run carries its colour";
      }
      if (&name != &files.back()) {
        EXPECT_GT(text.size(), 1'000'000u) << name;
      }
      for (std::size_t at = text.find("run"); at != std::string::npos; at = text.find("run", at + 3)) {
        const int number = std::stoi(text.substr(at + 3, 6));
        EXPECT_EQ(number, expectNext) << name;
        expectNext = number + 1;
        ++seen[number];
      }
    }
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kRuns));
    for (const auto& [number, count] : seen) ASSERT_EQ(count, 1) << number;
  }
  EXPECT_TRUE(errors.Errors().empty());
}

}  // namespace

namespace {

// The window restarts the log while the consumer thread writes: every run
// lands whole, in order, never torn by a restart.
TEST(OnlineLogThreads, RestartsFromTheWindowThreadNeverTearARun) {
  TScratchDir dir;
  TOnlineLog log;
  log.SetFileChoice({dir / "busy.rtf", 2});
  ASSERT_TRUE(log.Start(lsRestore));
  std::atomic<bool> done{false};
  std::thread consumer([&] {
    char run[32];
    for (int i = 0; i < 20'000; ++i) {
      std::snprintf(run, sizeof run, "<%06d>\r\n", i);
      log.WriteStreamData(run, i % 3 ? clBlack : clRed);
    }
    done.store(true);
  });
  for (int restarts = 0; !done.load() && restarts < 200; ++restarts) {
    log.CloseOnlineFile();
    ASSERT_TRUE(log.Start(lsRestore));
  }
  consumer.join();
  log.CloseOnlineFile();

  const std::string doc = ReadWhole(dir / "busy.rtf");
  EXPECT_TRUE(OneRtfDocument(doc));
  int last = -1;
  for (std::size_t at = doc.find('<'); at != std::string::npos; at = doc.find('<', at + 1)) {
    ASSERT_EQ(doc[at + 7], '>') << at;
    const int number = std::stoi(doc.substr(at + 1, 6));
    EXPECT_GT(number, last);
    last = number;
  }
}

}  // namespace
