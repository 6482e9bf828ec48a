// Saving the trace while the online log runs: the log's own file is never
// the target, an existing file is replaced only on Yes, and a log that stops
// by itself says so.
#include <filesystem>

#include "WindowTestSupport.h"
#include "core/Language.h"
#include "core/TempDir.h"
#include "core/TextIds.h"
#include "window/Captions.h"

namespace {

class SaveBesideLogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    frm->LogPrompts().Beep = [] {};
    frm->LogPrompts().AskYesNo = [this](std::string_view question) {
      questions.emplace_back(question);
      return answerYes;
    };
  }
  void StartOnlineLog(const std::string& path) {
    frm->LogPrompts().OnlineDialog = [path](const TLogFileChoice&) {
      return std::optional<TLogFileChoice>(TLogFileChoice{path, 3});
    };
    Check("chkOnlineLog")->click();
    ASSERT_TRUE(frm->OnlineLog().LogReady());
  }
  void Receive(std::string_view bytes) { ReceiveBytes(*frm, bytes); }
  static bool FileHas(const std::string& path, std::string_view text) {
    return WaitFor([&] { return TTempDir::Read(path).find(text) != std::string::npos; });
  }

  TTempDir dir;
  bool answerYes = false;
  std::vector<std::string> questions;
};

TEST_F(SaveBesideLogTest, TheFileTheOnlineLogWritesIsRefusedAndTheLogGoesOn) {
  const std::string path = dir.File("online.txt");
  StartOnlineLog(path);
  Receive("before");
  ASSERT_TRUE(FileHas(path, "before"));
  answerYes = true;
  EXPECT_FALSE(frm->SaveProtocol(QString::fromStdString(path), 3).isEmpty());
  // The same file by a name without its extension, as the dialog may give it.
  EXPECT_FALSE(frm->SaveProtocol(QString::fromStdString(dir.File("online")), 3).isEmpty());
  EXPECT_TRUE(questions.empty()) << "refused before anything is asked";
  EXPECT_TRUE(frm->OnlineLog().LogReady());
  Receive("after");
  EXPECT_TRUE(FileHas(path, "after"));
  EXPECT_NE(TTempDir::Read(path).find("before"), std::string::npos);
}

TEST_F(SaveBesideLogTest, AnExistingFileIsReplacedOnlyOnYes) {
  Append("trace\r\n");
  const std::string path = dir.File("old.txt");
  TTempDir::Write(path, "old");
  EXPECT_TRUE(frm->SaveProtocol(QString::fromStdString(path), 3).isEmpty());
  EXPECT_EQ(TTempDir::Read(path), "old");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], GetText(TextId::MsgFileExists));

  answerYes = true;
  EXPECT_TRUE(frm->SaveProtocol(QString::fromStdString(path), 3).isEmpty());
  EXPECT_EQ(TTempDir::Read(path), "trace\r\n");
  EXPECT_EQ(questions.size(), 2u);
}

TEST_F(SaveBesideLogTest, ALogThatStopsByItselfSaysSo) {
  const std::string path = dir.File("gone.txt");
  StartOnlineLog(path);
  std::filesystem::remove(path);
  Receive("lost");
  ASSERT_TRUE(WaitFor([&] { return !Check("chkOnlineLog")->isChecked(); }));
  EXPECT_TRUE(WaitFor([&] { return frm->StatusMessage().startsWith(GetQText(TextId::MsgOnlineLogStopped)); }))
      << frm->StatusMessage().toStdString();
  EXPECT_TRUE(frm->StatusMessage().contains(QStringLiteral("gone.txt")));
}

}  // namespace
