// The trace page's commands: search, notes, pause, clear, the status lines.
#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QFile>

#include "WindowTestSupport.h"
#include "core/AppFlags.h"
#include "core/ErrorLog.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A port whose send slot never frees: a relay hand-over to it waits until
// closing begins.
class TStalledPort final : public TTxPort {
 public:
  bool CanAddTxOut() const override { return false; }
  void AddTxOut(std::string_view) override {}
  bool WaitCanAddTxOut(std::chrono::milliseconds) override {
    waits.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return false;
  }
  std::atomic<int> waits{0};
};

}  // namespace

TEST_F(WindowTest, SearchIgnoresCaseAndStartsAtTheTopAfterTheLastMatch) {
  Append("abc ABC\r\nxx aBc\r\n");
  QAction* next = Find<QAction>("popWeitersuchen");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(Find<QAction>("popSuchen")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));

  frm->Search(QStringLiteral("Abc"));
  EXPECT_EQ(Pane()->SelStart(), 0);
  EXPECT_EQ(Pane()->SelEnd(), 3);
  next->trigger();
  EXPECT_EQ(Pane()->SelStart(), 4);
  next->trigger();
  EXPECT_EQ(Pane()->SelStart(), 11);
  EXPECT_EQ(Pane()->SelectedText(), QStringLiteral("aBc"));
  EXPECT_TRUE(frm->StatusMessage().isEmpty());

  next->trigger();
  EXPECT_EQ(frm->StatusMessage(), QStringLiteral("Keine weiteren übereinstimmende Zeichen gefunden."));
  EXPECT_EQ(Pane()->SelStart(), 11);  // the last match stays selected
  next->trigger();
  EXPECT_EQ(Pane()->SelStart(), 0);
}

TEST_F(WindowTest, TypedNotesGoInAtTheCaretInTheirOwnColour) {
  Append("data\r\nmore");
  Pane()->SetCaret(4);
  Key(Qt::Key_N, QStringLiteral("N"));
  Key(Qt::Key_Exclam, QStringLiteral("!"));
  EXPECT_EQ(Pane()->Text(), QStringLiteral("dataN!\nmore"));
  EXPECT_EQ(Pane()->Buffer().StyleAt(4).Shown, clOlive);
  EXPECT_TRUE(Pane()->Buffer().StyleAt(5).Note);
  EXPECT_FALSE(Pane()->Buffer().StyleAt(6).Note);  // the received line break
  EXPECT_EQ(Pane()->CaretPos(), 6);

  Key(Qt::Key_Return, QStringLiteral("\r"));
  EXPECT_EQ(Pane()->LineCount(), 3);
  EXPECT_EQ(frm->LastLineIdx(), 2);
  Key(Qt::Key_Tab, QStringLiteral("\t"));  // other control characters are ignored
  EXPECT_EQ(Pane()->Length(), 12);

  Check("chkColorNeg")->click();
  Key(Qt::Key_Z, QStringLiteral("z"));
  EXPECT_EQ(Pane()->Buffer().StyleAt(7).Shown, TColor{0xFF7F7F});
}

TEST_F(WindowTest, BackspaceAndDeleteRemoveNotesOnly) {
  QTemporaryDir dir;
  SetErrorLogFile((dir.path() + "/TamarikErr.log").toStdString());
  SetErrorLogEnabled(true);

  Append("ab");
  Pane()->SetCaret(2);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Pane()->Text(), QStringLiteral("ab"));  // after a received byte: nothing

  Key(Qt::Key_X, QStringLiteral("x"));
  Key(Qt::Key_Return, QStringLiteral("\r"));
  Key(Qt::Key_Y, QStringLiteral("y"));
  EXPECT_EQ(Pane()->Text(), QStringLiteral("abx\ny"));
  Key(Qt::Key_Backspace);
  EXPECT_EQ(Pane()->Text(), QStringLiteral("abx\n"));
  Key(Qt::Key_Backspace);  // the line break as a whole
  EXPECT_EQ(Pane()->Text(), QStringLiteral("abx"));
  EXPECT_EQ(Pane()->LineCount(), 1);

  Pane()->SetCaret(1);
  Key(Qt::Key_Delete);  // a received byte after the caret stays
  EXPECT_EQ(Pane()->Text(), QStringLiteral("abx"));
  Pane()->SetCaret(2);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Pane()->Text(), QStringLiteral("ab"));
  SetErrorLogEnabled(false);

  QFile log(dir.path() + "/TamarikErr.log");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = log.readAll().split('\n');
  ASSERT_EQ(lines.size(), 4);  // three deletions and the end of the last line
  EXPECT_TRUE(lines[0].endsWith("UserAction: Protocol delete one character.\r"));
  EXPECT_TRUE(lines[2].endsWith("UserAction: Protocol delete one character [DEL].\r"));
}

TEST_F(WindowTest, NotesAreRefusedWhileAlwaysScrolling) {
  Check("chkProtScroll")->click();
  Append("ab");
  Pane()->SetCaret(2);
  Key(Qt::Key_X, QStringLiteral("x"));
  Key(Qt::Key_Return, QStringLiteral("\r"));
  EXPECT_EQ(Pane()->Text(), QStringLiteral("ab"));
}

TEST_F(WindowTest, PauseConsumesBatchesWithoutShowingThem) {
  QPushButton* pause = Button("btnPause");
  QLabel* panel1 = Find<QLabel>("StBarPanel1");
  EXPECT_EQ(panel1->text(), QStringLiteral("An"));
  pause->click();
  EXPECT_EQ(pause->text(), QStringLiteral("&Weiter"));
  EXPECT_EQ(pause->toolTip(), QStringLiteral("Setzt die Anzeige der Daten fort"));
  EXPECT_EQ(panel1->text(), QStringLiteral("Aus"));
  EXPECT_EQ(Find<QLabel>("StBarPanel0")->text(), QStringLiteral("Protokollierung:"));

  ReceiveRing& ring = frm->Ring();
  for (char c : std::string("hidden")) ring.Put(ByteRecord(static_cast<std::uint8_t>(c)));
  ASSERT_TRUE(WaitFor([&] { return ring.ReadIndex() == ring.ClaimIndex(); }));
  frm->DrainRuns();
  EXPECT_EQ(Pane()->Length(), 0);

  pause->click();
  EXPECT_EQ(pause->text(), QStringLiteral("&Pause"));
  EXPECT_EQ(pause->toolTip(), QStringLiteral("Hält die Anzeige der Daten an"));
  EXPECT_EQ(panel1->text(), QStringLiteral("An"));
  ring.Put(ByteRecord('s'));
  ASSERT_TRUE(WaitFor([&] { return Pane()->Length() == 1; }));
  EXPECT_EQ(Pane()->Text(), QStringLiteral("s"));
}

TEST_F(WindowTest, ClearEmptiesPaneAndDropsWaitingRuns) {
  Append("old line\r\n");
  frm->ShowSentData("queued");  // waits in the queue
  Button("btnLoesch")->click();
  frm->DrainRuns();
  EXPECT_EQ(Pane()->Length(), 0);
  EXPECT_EQ(frm->LastLineIdx(), 0);
}

TEST_F(WindowTest, SentDataIsAGreenLineWithTheTime) {
  frm->Ring().Put(ByteRecord('o'));
  ASSERT_TRUE(WaitFor([&] { return Pane()->Length() == 1; }));
  Check("chkProtZeit")->setChecked(true);
  frm->ShowSentData("ATZ");
  ASSERT_TRUE(WaitFor([&] { return Pane()->LineCount() == 3; }));
  const QString line = Pane()->LineText(1);
  EXPECT_TRUE(line.endsWith(QStringLiteral(": ATZ"))) << line.toStdString();
  EXPECT_EQ(line.size(), QStringLiteral("hh:nn:ss: ATZ").size());
  EXPECT_EQ(Pane()->Buffer().StyleAt(Pane()->Buffer().LineStart(1)).Shown, clGreen);
}

TEST_F(WindowTest, PeriodicDateEntryComesAtTheNextTickAfterSwitchingOn) {
  Check("chkProtZyk")->click();
  frm->Timer1Timer();
  ASSERT_TRUE(WaitFor([&] { return Pane()->LineCount() == 2; }));
  EXPECT_TRUE(Pane()->LineText(0).endsWith(QStringLiteral(": ")));
  EXPECT_EQ(Pane()->Buffer().StyleAt(0).Shown, clBlue);
  frm->Timer1Timer();  // not again within the interval
  frm->DrainRuns();
  EXPECT_EQ(Pane()->LineCount(), 2);
}

TEST_F(WindowTest, WordWrapItemTogglesThePane) {
  QAction* wrap = Find<QAction>("popWordWrap");
  EXPECT_EQ(wrap->text(), QStringLiteral("Zeilenumbruch"));
  EXPECT_FALSE(Pane()->WordWrap());
  wrap->trigger();
  EXPECT_TRUE(wrap->isChecked());
  EXPECT_TRUE(Pane()->WordWrap());
}

// Closing ends every wait before the ports are released: a relay stuck on a
// stalled port must not hold the close.
TEST_F(WindowTest, ClosingEndsARelayWaitingOnAStalledPort) {
  TStalledPort stalled;
  TRxOptions rx = frm->Pipeline().Options();
  rx.WorkMode = 200;
  rx.RelayPorts = true;
  frm->Pipeline().SetOptions(rx);
  frm->Pipeline().SetRelayPorts(&stalled, &stalled);
  frm->Ring().Put(ByteRecord('x', dirPortB));
  // The byte shown: it has passed the relay, which holds it for the stalled port.
  ASSERT_TRUE(WaitFor([&] { return Pane()->Text().contains(QLatin1Char('x')); }));
  frm->close();  // hangs for good when closing starts after the ports
  EXPECT_TRUE(AppClosing.load());
}
