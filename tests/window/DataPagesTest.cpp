// The data-conversion and protocol-limit pages: what their controls do to
// the trace, user page editing, and the logging window's start and stop lists.
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTabWidget>

#include "WindowTestSupport.h"
#include "core/AppFlags.h"
#include "core/CodePageList.h"
#include "core/ErrorLogFile.h"
#include "core/IniFile.h"
#include "core/Language.h"
#include "core/Startup.h"

namespace {

void AnswerInput(const QString& text) {
  WhenDialogShows([text](QWidget* modal) {
    auto* input = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(input, nullptr);
    input->setTextValue(text);
    input->accept();
  });
}

// Presses a button of the next message box and keeps its text.
void AnswerMessage(QMessageBox::StandardButton button, QString* text = nullptr) {
  WhenDialogShows([button, text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    if (text != nullptr) *text = box->text();
    box->button(button)->click();
  });
}

QString Text(int id) { return QString::fromStdString(GetText(id)); }

class DataPagesTest : public WindowTest {
 protected:
  QListWidget* List(const char* name) const { return Find<QListWidget>(name); }
  void Receive(std::string_view bytes) {
    ReceiveBytes(*frm, bytes);
  }
  ::testing::AssertionResult PaneShows(const QString& text) {
    if (WaitFor([&] { return Pane()->Text() == text; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the pane shows \"" << Pane()->Text().toStdString() << '"';
  }
  void ShowPage(const char* name) {
    auto* page = Find<QTabWidget>("Page");
    page->setCurrentWidget(Find<QWidget>(name));
  }
};

// A window over a settings file in a folder of its own, so that user pages
// can be stored.
class UserPagesTest : public DataPagesTest {
 protected:
  void SetUp() override {
    Start();
    ASSERT_FALSE(IniReadOnly.load());
  }
  QComboBox* Pages() const { return Find<QComboBox>("cbxCodeseite"); }
  void NewPage(const QString& name) {
    AnswerInput(name);
    frm->mnCodeNeuClick();
  }
  std::string Stored(const char* key) const {
    return TIniFile(dir.File("Tamarik.ini")).ReadString("Codes", key, "-");
  }

};

}  // namespace

TEST_F(DataPagesTest, TheChosenPageAndTheCheckedBytesShapeTheTrace) {
  Find<QComboBox>("cbxCodeseite")->setCurrentIndex(cpHexadezimal);
  EXPECT_EQ(List("lstCodes")->item(255)->text(), QStringLiteral("255: FF "));
  Receive("A");
  EXPECT_TRUE(PaneShows(QStringLiteral("41 ")));

  frm->btnLoeschClick();
  Find<QComboBox>("cbxCodeseite")->setCurrentIndex(cpAscii);
  List("lstCodes")->item('\r')->setCheckState(Qt::Checked);
  ASSERT_EQ(List("lstZeile")->count(), 1);
  EXPECT_EQ(List("lstZeile")->item(0)->text(), QStringLiteral("013: [CR]"));
  Receive("A\rB");
  EXPECT_TRUE(PaneShows(QStringLiteral("A[CR]\nB")));

  // Double-clicking the entry in the break list takes the break away again.
  List("lstZeile")->setCurrentRow(0);
  frm->lstZeileDblClick();
  EXPECT_EQ(List("lstZeile")->count(), 0);
  EXPECT_EQ(List("lstCodes")->item('\r')->checkState(), Qt::Unchecked);
  Receive("\rC");
  EXPECT_TRUE(PaneShows(QStringLiteral("A[CR]\nB[CR]C")));
}

TEST_F(DataPagesTest, StartAndStopCharactersGateTheTrace) {
  ShowPage("tabProtokollbegrenzung");
  EXPECT_FALSE(List("lstStopProt")->isEnabled());
  Check("chkProtWechsel")->setChecked(true);
  List("lstStartProt")->item(2)->setCheckState(Qt::Checked);
  EXPECT_EQ(Find<QLabel>("StBarPanel1")->text(), Text(1126));
  EXPECT_TRUE(List("lstStopProt")->isEnabled());
  EXPECT_TRUE(Check("chkProtWechsel")->isEnabled());
  List("lstStopProt")->item(3)->setCheckState(Qt::Checked);
  ASSERT_EQ(List("lstStopProtList")->count(), 1);
  EXPECT_EQ(List("lstStopProtList")->item(0)->text(), QStringLiteral("003: [ETX]"));

  Receive("xx\x02" "AB\x03yy");
  EXPECT_TRUE(PaneShows(QStringLiteral("[STX]AB[ETX]\n")));

  // Without start characters the stop rules are off and the window is open.
  List("lstStartProtList")->setCurrentRow(0);
  frm->lstStartProtListDblClick();
  EXPECT_EQ(List("lstStartProt")->item(2)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(List("lstStopProt")->isEnabled());
  EXPECT_FALSE(List("lstStopProtList")->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>("edProtChar")->isEnabled());
  EXPECT_FALSE(Check("chkProtWechsel")->isEnabled());
  EXPECT_EQ(Find<QLabel>("StBarPanel1")->text(), Text(1125));
  Receive("z");
  EXPECT_TRUE(PaneShows(QStringLiteral("[STX]AB[ETX]\nz")));
}

TEST_F(DataPagesTest, ChecksOfSeveralSelectedEntriesChangeTogether) {
  QListWidget* codes = List("lstCodes");
  codes->item(10)->setSelected(true);
  codes->item(13)->setSelected(true);
  codes->item(13)->setCheckState(Qt::Checked);
  EXPECT_EQ(codes->item(10)->checkState(), Qt::Checked);
  EXPECT_EQ(List("lstZeile")->count(), 2);
  EXPECT_EQ(frm->CodePages().FlagString(TByteFlag::LineBreak).substr(10, 4), "1001");
}

TEST_F(UserPagesTest, AnEditThatCannotBeStoredIsRefusedAndTheTextStays) {
  NewPage(QStringLiteral("Mein [HEX]"));
  ASSERT_EQ(Pages()->currentIndex(), BuiltInPageCount);
  QListWidget* codes = List("lstCodes");
  codes->setCurrentRow(65);
  AnswerInput(QStringLiteral("Ah"));
  frm->lstCodesDblClick();
  EXPECT_EQ(codes->item(65)->text(), QStringLiteral("065: Ah"));
  const std::string stored = Stored("Codes1");
  EXPECT_NE(stored.find("'Ah'"), std::string::npos);

  QString shown;
  WhenDialogShows([&shown](QWidget* modal) {
    auto* input = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->labelText(), Text(1070) + QStringLiteral(" (41 )"));
    input->setTextValue(QStringLiteral("a','b"));
    input->accept();
    AnswerMessage(QMessageBox::Ok, &shown);
  });
  frm->lstCodesDblClick();
  EXPECT_EQ(shown, Text(1139));
  EXPECT_EQ(frm->StatusMessage(), Text(1139));
  EXPECT_EQ(codes->item(65)->text(), QStringLiteral("065: Ah"));
  EXPECT_EQ(Stored("Codes1"), stored);
}

TEST_F(UserPagesTest, DeletingSelectsThePageThatTakesItsPlaceOrTheOneBefore) {
  for (const char* name : {"Eins", "Zwei", "Drei"}) NewPage(QString::fromLatin1(name));
  ASSERT_EQ(Pages()->count(), BuiltInPageCount + 3);

  Pages()->setCurrentIndex(BuiltInPageCount + 1);
  AnswerMessage(QMessageBox::Yes);
  frm->mnCodeLoeschenClick();
  EXPECT_EQ(Pages()->currentText(), QStringLiteral("Drei"));
  EXPECT_EQ(Stored("Seite2"), "Drei");
  EXPECT_EQ(Stored("Seite3"), "-");
  EXPECT_EQ(Stored("Anzahl"), "2");

  AnswerMessage(QMessageBox::Yes);
  frm->mnCodeLoeschenClick();
  EXPECT_EQ(Pages()->currentText(), QStringLiteral("Eins"));
  EXPECT_TRUE(Find<QAction>("mnCodeLoeschen")->isEnabled());

  Pages()->setCurrentIndex(cpAnsi);
  EXPECT_FALSE(Find<QAction>("mnCodeLoeschen")->isEnabled());
}

TEST_F(UserPagesTest, ThePageSettingsAreWrittenAtCloseAndComeBackAtStart) {
  Check("chkZwPause")->setChecked(true);
  Find<QLineEdit>("edZwPause")->setText(QStringLiteral("50"));
  Check("chkTextEnde")->setChecked(true);
  Find<QLineEdit>("edtTextSPS")->setText(QStringLiteral("<< SPS"));
  List("lstCodes")->item(10)->setCheckState(Qt::Checked);
  // Text that is no number falls back to 0 in the field.
  Find<QLineEdit>("edProtChar")->setText(QStringLiteral("7x"));
  EXPECT_EQ(Find<QLineEdit>("edProtChar")->text(), QStringLiteral("0"));
  Find<QLineEdit>("edProtChar")->setText(QStringLiteral("7"));
  frm->close();
  frm.reset();

  const TIniFile ini(dir.File("Tamarik.ini"));
  EXPECT_EQ(ini.ReadString("FrmMain", "edZwPause_Text", ""), "50");
  EXPECT_EQ(ini.ReadString("FrmMain", "iStopNachZeichen", ""), "7");
  EXPECT_EQ(ini.ReadString("FrmMain", "Zeilenw", "").substr(9, 3), "010");

  startup.reset();
  SetUp();
  EXPECT_TRUE(Check("chkZwPause")->isChecked());
  EXPECT_TRUE(Find<QLineEdit>("edZwPause")->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>("edZeichBegr")->isEnabled());
  EXPECT_TRUE(Check("chkTextEnde")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("edtTextSPS")->text(), QStringLiteral("<< SPS"));
  EXPECT_EQ(List("lstCodes")->item(10)->checkState(), Qt::Checked);
  EXPECT_EQ(frm->Pipeline().Options().PauseLimitMs, 50);
  EXPECT_EQ(frm->Pipeline().Options().StopAfterChars, 7);
}

// The panel follows one state: a pause and its end leave a closed logging
// window shown as off, and the window opening by a start character shows on.
TEST_F(DataPagesTest, TheLoggingPanelShowsTheLoggingWindowThroughAPause) {
  QLabel* panel = Find<QLabel>("StBarPanel1");
  List("lstStartProt")->item(2)->setCheckState(Qt::Checked);
  ASSERT_EQ(panel->text(), Text(1126));
  Button("btnPause")->click();
  Button("btnPause")->click();
  EXPECT_EQ(panel->text(), Text(1126));
  frm->SelectLanguage(0);
  EXPECT_EQ(panel->text(), Text(1126));
  Receive("\x02" "A");
  // The consumer thread marks the window open after the batch it showed.
  EXPECT_TRUE(WaitFor([&] {
    frm->Timer1Timer();
    return panel->text() == Text(1125);
  }));
}
