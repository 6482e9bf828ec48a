#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "SettingsTestSupport.h"
#include "TempDir.h"
#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "core/ErrorList.h"
#include "core/ErrorLogFile.h"
#include "core/ErrorReport.h"
#include "core/ErrorReporting.h"
#include "core/IniFile.h"

namespace {

// An error report over a settings file and an error log in a temp folder,
// with a clock that moves one second per report.
struct TReportFixture {
  TReportFixture() {
    log.SetPath(dir.File("TamarikErr.log"));
    log.SetEnabled(true);
    IniReadOnly.store(false);
  }
  std::shared_ptr<TIniFile> OpenIni() {
    ini = std::make_shared<TIniFile>(dir.File("Tamarik.ini"));
    return ini;
  }
  std::vector<std::string> StoredKeys() const {
    return TIniFile(dir.File("Tamarik.ini")).ReadSection("ErrorsIntern");
  }
  std::string StoredValue(double at) const {
    return TIniFile(dir.File("Tamarik.ini")).ReadString("ErrorsIntern", ErrorsInternKey(at), "");
  }

  TTempDir dir;
  TErrorLogFile log;
  std::shared_ptr<TIniFile> ini;
  std::mutex clockLock;  // reports from several threads read the clock
  double clock = EncodeDateTime({2024, 3, 5, 14, 7, 9, 0});
  TErrorReport report{log, [this] {
    std::lock_guard lock(clockLock);
    return clock += 1.0 / 86400;
  }};
};

}  // namespace

TEST(ErrorReport, TheSameReportTwiceIsListedOnceButFromAnotherLocationAgain) {
  TReportFixture f;
  f.report.AttachIni(f.OpenIni());
  f.report.Install();
  ReportError("5.1", "Port A failed");
  ReportError("5.1", "Port A failed");
  ReportError("5.2", "Port A failed");
  f.report.Uninstall();
  EXPECT_EQ(f.report.ListText(), "14:07:10/5.1/Port A failed|14:07:12/5.2/Port A failed");
  EXPECT_EQ(f.report.DisplayText(), "14:07:10/5.1/Port A failed\n14:07:12/5.2/Port A failed");
  EXPECT_EQ(f.StoredKeys().size(), 2u);
  // The error log has every report, duplicates too.
  const auto lines = FileLines(TTempDir::Read(f.dir.File("TamarikErr.log")));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "24.03.05 14:07:10 5.1 / Port A failed");
  EXPECT_EQ(lines[2], "24.03.05 14:07:12 5.2 / Port A failed");
}

TEST(ErrorReport, ErrorsInternKeepsTheNewest25AndAddsTheNewEntry) {
  for (const int before : {25, 26}) {
    TReportFixture f;
    const double base = f.clock - 10;
    {
      TIniFile ini(f.dir.File("Tamarik.ini"));
      // Stored out of order: the oldest must go whatever its place.
      for (int i = before - 1; i >= 0; --i) ini.WriteString("ErrorsIntern", ErrorsInternKey(base + i * 0.001), "old");
      ASSERT_TRUE(ini.UpdateFile());
    }
    f.report.AttachIni(f.OpenIni());
    f.report.Report("7", "new one");
    const auto keys = f.StoredKeys();
    EXPECT_EQ(keys.size(), 26u) << before;
    EXPECT_EQ(f.StoredValue(base).empty(), before == 26) << before;  // the oldest
    EXPECT_EQ(f.StoredValue(base + 0.001), "old") << before;
    EXPECT_EQ(f.StoredValue(f.clock), "7/new one") << before;
  }
}

TEST(ErrorReport, NothingIsStoredInAReadOnlySettingsFile) {
  TReportFixture f;
  const std::string path = f.dir.File("Tamarik.ini");
  TTempDir::Write(path, "[FrmMain]\nLeft=1\n");
  ::chmod(path.c_str(), 0444);
  f.report.AttachIni(f.OpenIni());
  f.report.Report("1.5", "help file missing");
  EXPECT_EQ(TTempDir::Read(path), "[FrmMain]\nLeft=1\n");
  EXPECT_EQ(f.report.ListText(), "14:07:10/1.5/help file missing");
}

TEST(ErrorReport, ReportsBeforeTheSettingsFileIsKnownAreStoredWhenItIs) {
  TReportFixture f;
  f.report.Report("1.0", "date format");
  EXPECT_FALSE(std::filesystem::exists(f.dir.File("Tamarik.ini")));
  f.report.AttachIni(f.OpenIni());
  EXPECT_EQ(f.StoredValue(f.clock), "1.0/date format");
}

TEST(ErrorReport, AnEntryLeavesWhatOthersChangedInTheFileSinceTheStart) {
  TReportFixture f;
  const std::string path = f.dir.File("Tamarik.ini");
  TTempDir::Write(path, "[FrmMain]\r\nLeft=1\r\n");
  f.report.AttachIni(f.OpenIni());
  f.ini->WriteInteger("FrmMain", "Top", 7);  // this run's value, written at exit, not now
  TTempDir::Write(path, "[FrmMain]\r\nLeft=5\r\n[Other]\r\nX=1\r\n");  // another instance saved
  f.report.Report("2.3", "ring full");
  TIniFile onDisk(path);
  EXPECT_EQ(onDisk.ReadInteger("FrmMain", "Left", 0), 5);
  EXPECT_EQ(onDisk.ReadInteger("Other", "X", 0), 1);
  EXPECT_FALSE(onDisk.ValueExists("FrmMain", "Top"));
  EXPECT_EQ(f.StoredValue(f.clock), "2.3/ring full");
  // The exit save still writes every entry of the run.
  EXPECT_EQ(f.ini->ReadSection("ErrorsIntern").size(), 1u);
}

TEST(ErrorReport, ALineBreakStaysInOneLogLineAndOneEntry) {
  TReportFixture f;
  f.report.AttachIni(f.OpenIni());
  f.report.Report("4", "first\r\nsecond");
  EXPECT_EQ(f.report.DisplayText(), "14:07:10/4/first\n\tsecond");
  EXPECT_EQ(f.StoredValue(f.clock), "4/first^second");
  EXPECT_EQ(FileLines(TTempDir::Read(f.dir.File("TamarikErr.log"))),
            std::vector<std::string>{"24.03.05 14:07:10 4 / first^second"});
}

TEST(ErrorReport, WithTheErrorLogOffNoLogFileIsMade) {
  TReportFixture f;
  f.log.SetEnabled(false);
  f.report.Report("4", "quiet");
  EXPECT_FALSE(std::filesystem::exists(f.dir.File("TamarikErr.log")));
  EXPECT_EQ(f.report.ListText(), "14:07:10/4/quiet");
}

TEST(ErrorReport, AReportMadeWhileReportingIsDropped) {
  TReportFixture f;
  f.report.Install();
  int calls = 0;
  f.report.SetListChanged([&](const std::string&) {
    ++calls;
    ReportError("9", "from inside the report");
  });
  ReportError("8", "outer");
  f.report.Uninstall();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(f.report.ListText(), "14:07:10/8/outer");
}

TEST(ErrorReport, TheHelpContextFollowsTheMessage) {
  EXPECT_EQ(ReportedMessage(THelpContextError("Falscher Wert", 2100)), "Falscher Wert 2100");
  EXPECT_EQ(ReportedMessage(THelpContextError("Falscher Wert", -1)), "Falscher Wert");
  EXPECT_EQ(ReportedMessage(std::runtime_error("plain")), "plain");
}

TEST(ErrorReport, ReportsFromManyThreadsAllArriveAndTheLastCallShowsThemAll) {
  TReportFixture f;
  f.report.AttachIni(f.OpenIni());
  f.report.Install();
  std::mutex shownLock;
  std::string shown;
  f.report.SetListChanged([&](const std::string& text) {
    std::lock_guard lock(shownLock);
    shown = text;
  });
  constexpr int kThreads = 4, kEach = 15;
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back([t] {
        for (int i = 0; i < kEach; ++i) ReportError("2.2", "thread " + std::to_string(t) + " report " + std::to_string(i));
      });
  }
  f.report.Uninstall();
  const std::string list = f.report.DisplayText();
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), kThreads * kEach - 1);
  EXPECT_EQ(shown, list);
  EXPECT_EQ(f.StoredKeys().size(), 26u);
  EXPECT_EQ(FileLines(TTempDir::Read(f.dir.File("TamarikErr.log"))).size(), std::size_t{kThreads * kEach});
}
