// The log check boxes of the "Zeit/PlugIn" page: what they write, how a
// failure shows, the ports kept out, and the restart at the next start.
#include <QRadioButton>
#include <algorithm>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "core/ErrorLogFile.h"
#include "core/ErrorReport.h"
#include "core/LogHooks.h"
#include "core/Startup.h"
#include "core/TempDir.h"
#include "core/ReceiveRing.h"

namespace {

// The dialog's answer: this file with this filter.
auto Choose(std::string path, int filter) {
  return [path = std::move(path), filter](const TLogFileChoice&) {
    return std::optional<TLogFileChoice>(TLogFileChoice{path, filter});
  };
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

class LogWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    frm->LogPrompts().Beep = [this] { ++beeps; };
    frm->LogPrompts().AskYesNo = [this](std::string_view question) {
      questions.emplace_back(question);
      return answerYes;
    };
  }
  void TearDown() override {
    WindowTest::TearDown();
    SetErrorReporter(nullptr);
  }
  bool PaneHas(std::string_view text) const {
    return Pane()->Text().contains(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  }

  TTempDir dir;
  int beeps = 0;
  bool answerYes = false;
  std::vector<std::string> questions;
};

}  // namespace

TEST_F(LogWindowTest, OnlineLogTakesReceivedRunsAndStatusLinesButNoTypedNotes) {
  const std::string path = dir.File("trace.txt");
  frm->LogPrompts().OnlineDialog = Choose(path, 3);
  Check("chkOnlineLog")->click();
  ASSERT_TRUE(frm->OnlineLog().LogReady());
  EXPECT_TRUE(Check("chkOnlineLog")->isChecked());

  ReceiveBytes(*frm, "PING", dirPortA);
  ASSERT_TRUE(WaitFor([&] { return PaneHas("PING"); }));
  frm->ShowSentData("sent-echo");
  Key(Qt::Key_Q, QStringLiteral("q"));
  Key(Qt::Key_Q, QStringLiteral("q"));
  ASSERT_TRUE(PaneHas("qq"));  // the note is in the pane
  ReceiveBytes(*frm, "PONG", dirPortB);
  ASSERT_TRUE(WaitFor([&] { return PaneHas("PONG"); }));

  Check("chkOnlineLog")->click();
  EXPECT_FALSE(frm->OnlineLog().Checked());
  const std::string text = TTempDir::Read(path);
  const auto ping = text.find("PING"), sent = text.find("sent-echo"), pong = text.find("PONG");
  ASSERT_NE(ping, std::string::npos);
  ASSERT_NE(sent, std::string::npos);
  ASSERT_NE(pong, std::string::npos);
  EXPECT_LT(ping, sent);
  EXPECT_LT(sent, pong);
  EXPECT_FALSE(Contains(text, "qq"));
  EXPECT_TRUE(questions.empty());

  // Nothing reaches the file once the box is cleared.
  ReceiveBytes(*frm, "LATE", dirPortA);
  ASSERT_TRUE(WaitFor([&] { return PaneHas("LATE"); }));
  EXPECT_FALSE(Contains(TTempDir::Read(path), "LATE"));
}

TEST_F(LogWindowTest, RichTextLogGetsItsExtensionFromTheFilterAndEndsWithABraceWhenUnchecked) {
  frm->LogPrompts().OnlineDialog = Choose(dir.File("trace"), 2);
  Check("chkOnlineLog")->click();
  ASSERT_TRUE(frm->OnlineLog().LogRtf());
  ReceiveBytes(*frm, "SPS", dirPortB);
  ASSERT_TRUE(WaitFor([&] { return PaneHas("SPS"); }));
  Check("chkOnlineLog")->click();

  const std::string text = TTempDir::Read(dir.File("trace.rtf"));
  EXPECT_EQ(text.rfind("{\\rtf1", 0), 0u);
  EXPECT_TRUE(Contains(text, "\\cf2 SPS"));  // port B in red
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '}');

  // The stored name carries the extension the file was opened with.
  frm->LogPrompts().OnlineDialog = [](const TLogFileChoice& proposed) {
    return std::optional<TLogFileChoice>(proposed);
  };
  Check("chkOnlineLog")->click();
  EXPECT_EQ(frm->OnlineLog().CurrentPath(), dir.File("trace.rtf"));
  EXPECT_EQ(questions.size(), 1u);  // it exists now
  Check("chkOnlineLog")->click();
}

TEST_F(LogWindowTest, ExistingFileIsAskedAboutAndReplacedOnlyOnYes) {
  const std::string path = dir.File("old.txt");
  TTempDir::Write(path, "old content");
  frm->LogPrompts().OnlineDialog = Choose(path, 3);

  Check("chkOnlineLog")->click();
  Check("chkOnlineLog")->click();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], kLogRecreateQuestion);
  std::string text = TTempDir::Read(path);
  EXPECT_EQ(text.rfind("old content\r\nNeustart Tamarik ", 0), 0u) << text;

  answerYes = true;
  Check("chkOnlineLog")->click();
  Check("chkOnlineLog")->click();
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_TRUE(TTempDir::Read(path).empty());
}

TEST_F(LogWindowTest, CancelledDialogOrUnopenableFileClearsTheBox) {
  std::vector<std::string> locations;
  SetErrorReporter([&](const std::string& location, const std::string&) { locations.push_back(location); });

  frm->LogPrompts().OnlineDialog = [](const TLogFileChoice&) { return std::optional<TLogFileChoice>(); };
  Check("chkOnlineLog")->click();
  EXPECT_FALSE(Check("chkOnlineLog")->isChecked());
  EXPECT_EQ(beeps, 0);
  EXPECT_TRUE(locations.empty());

  frm->LogPrompts().OnlineDialog = Choose(dir.File("no/such/folder/x.txt"), 3);
  Check("chkOnlineLog")->click();
  EXPECT_FALSE(Check("chkOnlineLog")->isChecked());
  EXPECT_FALSE(frm->OnlineLog().LogReady());
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(locations, std::vector<std::string>{"25"});

  frm->LogPrompts().RawDialog = Choose(dir.File("no/such/folder/raw.roh"), 2);
  Check("chkOnlineRohLog")->click();
  EXPECT_FALSE(Check("chkOnlineRohLog")->isChecked());
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(locations, (std::vector<std::string>{"25", "19"}));
}

TEST_F(LogWindowTest, NoPortBoxesExcludeEachOtherAndKeepTheirPortOutOfBothLogs) {
  QCheckBox* noA = Check("chkNoPortA");
  QCheckBox* noB = Check("chkNoPortB");
  noA->click();
  EXPECT_TRUE(frm->Pipeline().Options().chkNoPortA);
  noB->click();
  EXPECT_FALSE(noA->isChecked());
  EXPECT_TRUE(noB->isChecked());
  EXPECT_FALSE(frm->Pipeline().Options().chkNoPortA);
  EXPECT_TRUE(frm->Pipeline().Options().chkNoPortB);

  frm->LogPrompts().OnlineDialog = Choose(dir.File("log.txt"), 3);
  frm->LogPrompts().RawDialog = Choose(dir.File("raw[AB].roh"), 2);
  Check("chkOnlineLog")->click();
  Check("chkOnlineRohLog")->click();
  ASSERT_TRUE(frm->RawLog().RawReady());
  ReceiveBytes(*frm, "pc", dirPortA);
  ReceiveBytes(*frm, "sps", dirPortB);
  ASSERT_TRUE(WaitFor([&] { return PaneHas("sps"); }));
  Check("chkOnlineLog")->click();
  Check("chkOnlineRohLog")->click();

  const std::string log = TTempDir::Read(dir.File("log.txt"));
  EXPECT_TRUE(Contains(log, "pc"));
  EXPECT_FALSE(Contains(log, "sps"));
  EXPECT_EQ(TTempDir::Read(dir.File("rawA.roh")), "pc");
  EXPECT_EQ(TTempDir::Read(dir.File("rawB.roh")), "");
}

TEST_F(LogWindowTest, LimitBoxEnablesTheRotationChoicesAndReachesTheLogs) {
  auto* rb1 = Find<QRadioButton>("rbLogFile1");
  ASSERT_NE(rb1, nullptr);
  EXPECT_TRUE(Find<QRadioButton>("rbLogFile3")->isChecked());
  Check("chkLogFile")->click();
  EXPECT_FALSE(rb1->isEnabled());
  Check("chkLogFile")->click();
  EXPECT_TRUE(rb1->isEnabled());
  rb1->click();
  EXPECT_FALSE(Find<QRadioButton>("rbLogFile3")->isChecked());
}

// Two program runs over one start directory: a log running at exit goes on
// in its file at the next start, without a dialog.
TEST(LogWindowRestart, LogsRunningAtExitRestartAtTheNextStart) {
  TStartDir start;
  const TTempDir& work = start.Work;
  const TStartupOptions& options = start.Options;
  const std::string online = work.File("online.rtf");
  {
    TStartup startup(options);
    TFrmMain frm(nullptr, &startup);
    frm.show();
    QCoreApplication::processEvents();
    frm.LogPrompts().OnlineDialog = Choose(online, 2);
    frm.LogPrompts().RawDialog = Choose(work.File("raw.roh"), 2);
    frm.findChild<QCheckBox*>(QStringLiteral("chkOnlineLog"))->click();
    frm.findChild<QCheckBox*>(QStringLiteral("chkOnlineRohLog"))->click();
    frm.findChild<QRadioButton*>(QStringLiteral("rbLogFile2"))->click();
    frm.findChild<QCheckBox*>(QStringLiteral("chkNoPortA"))->click();
    frm.ShowSentData("first run");
    frm.close();
    EXPECT_FALSE(frm.OnlineLog().Checked());
  }
  const std::string afterFirst = TTempDir::Read(online);
  ASSERT_FALSE(afterFirst.empty());
  EXPECT_EQ(afterFirst.back(), '}');
  {
    TStartup startup(options);
    TFrmMain frm(nullptr, &startup);
    int dialogs = 0;
    const auto refuse = [&dialogs](const TLogFileChoice&) {
      ++dialogs;
      return std::optional<TLogFileChoice>();
    };
    frm.LogPrompts().OnlineDialog = refuse;
    frm.LogPrompts().RawDialog = refuse;
    frm.LogPrompts().AskYesNo = [&dialogs](std::string_view) {
      ++dialogs;
      return true;
    };
    EXPECT_FALSE(frm.OnlineLog().Checked());  // only at the first activation
    frm.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frm.findChild<QCheckBox*>(QStringLiteral("chkOnlineLog"))->isChecked());
    EXPECT_TRUE(frm.OnlineLog().LogReady());
    EXPECT_TRUE(frm.RawLog().RawReady());
    EXPECT_EQ(frm.RawLog().PathA(), work.File("raw.roh"));
    EXPECT_TRUE(frm.findChild<QRadioButton*>(QStringLiteral("rbLogFile2"))->isChecked());
    EXPECT_TRUE(frm.Pipeline().Options().chkNoPortA);
    frm.ShowSentData("second run");
    frm.close();
    EXPECT_EQ(dialogs, 0);
  }
  const std::string text = TTempDir::Read(online);
  const auto first = text.find("first run"), restart = text.find("Neustart Tamarik"), second = text.find("second run");
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, restart);
  EXPECT_LT(restart, second);
  EXPECT_EQ(text.back(), '}');
  EXPECT_EQ(std::count(text.begin(), text.end(), '}') - std::count(text.begin(), text.end(), '{'), 0);
}
