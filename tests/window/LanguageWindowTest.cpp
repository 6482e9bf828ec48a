// The language choice and the texts it puts on every control of the window.
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStatusTipEvent>
#include <QTabWidget>

#include "WindowTestSupport.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "window/Captions.h"
#include "window/RadioGroup.h"

namespace {

QString Expected(int tag, int offset) {
  QString text = GetQText(tag + offset, false);
  if (tag == TextId::tabZeit) text += GetQText(TextId::tabZeitPlugInSuffix + offset, false);
  return text;
}

}  // namespace

TEST_F(WindowTest, EveryTranslatedControlShowsItsTextInEveryLanguage) {
  auto* group = Find<QGroupBox>("rgrpSprache");
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->findChildren<QRadioButton*>().size(), BuiltInLanguageCount);

  for (int index = 0; index < BuiltInLanguageCount; ++index) {
    SCOPED_TRACE(index);
    group->findChild<QRadioButton*>(QStringLiteral("rgrpSprache_%1").arg(index))->click();
    EXPECT_EQ(frm->Sprache, index);
    const int offset = index * TextBlockSize;
    int translated = 0;
    QList<QObject*> objects = frm->findChildren<QObject*>();
    for (QObject* object : objects) {
      if (TagOf(object) <= 1000 || !HasCaption(object)) continue;
      ++translated;
      SCOPED_TRACE(object->objectName().toStdString());
      EXPECT_FALSE(CaptionOf(object).isEmpty());
      EXPECT_EQ(CaptionOf(object), Expected(TagOf(object), offset));
    }
    EXPECT_GT(translated, 40);

    // Pages show their caption on the tab, the hint as the tab's tooltip.
    auto* page = Find<QTabWidget>("Page");
    const int zeit = page->indexOf(Find<QWidget>("tabZeit"));
    EXPECT_EQ(page->tabText(zeit), Expected(TextId::tabZeit, offset));
    EXPECT_EQ(page->tabToolTip(zeit), GetQText(HintOf(TextId::tabZeit) + offset, false));
    EXPECT_EQ(Find<QLabel>("StBarPanel0")->text(), GetQText(TextId::StatusProtokollierung + offset, false));
  }
}

TEST_F(WindowTest, SwitchingTheLanguageReappliesTheVisiblePageAndTheStateTexts) {
  auto* page = Find<QTabWidget>("Page");
  page->setCurrentWidget(Find<QWidget>("tabZeit"));
  QCheckBox* ms = Check("chkMs");
  ASSERT_TRUE(ms->isVisible());
  EXPECT_EQ(ms->text(), QStringLiteral("Millisekunden anzeigen"));
  Button("btnPause")->click();  // paused: "&Weiter" and the off word

  frm->SelectLanguage(1);
  EXPECT_EQ(ms->text(), QStringLiteral("Show milliseconds"));
  EXPECT_EQ(ms->toolTip(), QStringLiteral("Shows the time with milliseconds"));
  EXPECT_EQ(Find<QGroupBox>("grpProtZeit")->title(), QStringLiteral("Time stamps"));
  EXPECT_EQ(page->tabText(page->currentIndex()), QStringLiteral("&Time/Plug-in"));
  EXPECT_EQ(Button("btnPause")->text(), GetQText(2326, false));
  EXPECT_EQ(Find<QLabel>("StBarPanel1")->text(), GetQText(2126, false));
  EXPECT_EQ(Find<QAction>("popSuchen")->text(), QStringLiteral("&Search"));

  Button("btnPause")->click();
  EXPECT_EQ(Button("btnPause")->text(), QStringLiteral("&Pause"));
  EXPECT_EQ(Button("btnPause")->toolTip(), GetQText(2827, false));
  EXPECT_EQ(Find<QLabel>("StBarPanel1")->text(), GetQText(2125, false));

  frm->SelectLanguage(0);
  EXPECT_EQ(ms->text(), QStringLiteral("Millisekunden anzeigen"));
  EXPECT_EQ(Find<QLabel>("StBarPanel1")->text(), QStringLiteral("An"));
}

TEST_F(WindowTest, UserLanguageFromLanguageTxtIsTheSixthItemAndFallsBackToEnglish) {
  {
    QFile file(TestLanguageFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(("[Programm]\r\nVersion=" + TLanguage::RunningVersion() +
                "\r\n[6000]\r\n1=\"Polski\"\r\n8=\"&Pomoc\"\r\n").c_str());
  }
  frm->StartLanguage();  // the stored choice, German, stays
  EXPECT_EQ(Button("btnHelp")->text(), QStringLiteral("&Hilfe"));
  auto* polish = Find<QRadioButton>("rgrpSprache_5");
  ASSERT_NE(polish, nullptr);
  EXPECT_EQ(polish->text(), QStringLiteral("Polski"));

  polish->click();
  EXPECT_EQ(Button("btnHelp")->text(), QStringLiteral("&Pomoc"));
  EXPECT_EQ(Button("btnEnde")->text(), QStringLiteral("&Close"));
  EXPECT_EQ(Check("chkMs")->text(), QStringLiteral("Show milliseconds"));

  // A language the window has applied is complete in the file afterwards.
  QFile file(TestLanguageFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray written = file.readAll();
  EXPECT_TRUE(written.contains("2=\"&Close\""));
  EXPECT_TRUE(written.contains("458=\"Show milliseconds\""));
  file.close();

  frm->SelectLanguage(0);
  QFile::remove(TestLanguageFile());
  ProgramLanguage().SetFile(TestLanguageFile().toStdString());
}

// List items that are no control's caption follow the language; the USB
// sub-mode is a position, so its work mode survives the switch.
TEST_F(WindowTest, ListItemsFollowTheLanguageAndTheUsbModeKeepsItsWorkMode) {
  auto* grpBaud = Find<TRadioGroup>("grpBaud");
  auto* grpUSB = Find<TRadioGroup>("grpUSB");
  Find<QRadioButton>("rgrpG")->setChecked(true);
  grpUSB->SetItemIndex(3);  // "Frequenz-Messung"
  frm->SetIcon(-1);
  ASSERT_EQ(frm->WorkMode(), 430);

  frm->SelectLanguage(1);
  EXPECT_EQ(grpBaud->Item(0), GetQText(2039, false));
  EXPECT_EQ(grpUSB->Item(3), QStringLiteral("Frequency measurement"));
  EXPECT_EQ(grpUSB->ItemIndex(), 3);
  frm->SetIcon(-1);
  EXPECT_EQ(frm->WorkMode(), 430);

  frm->SelectLanguage(0);
  EXPECT_EQ(grpBaud->Item(0), QStringLiteral("Andere"));
  EXPECT_EQ(grpUSB->Item(3), QStringLiteral("Frequenz-Messung"));
}

// The page layout is not redone while the language switches.
TEST_F(WindowTest, TheModeLayoutWaitsWhileTheLanguageSwitches) {
  Find<QRadioButton>("rgrpE")->setChecked(true);
  ASSERT_EQ(frm->WorkMode(), 200);
  frm->LanguageSwitching = true;
  Find<QRadioButton>("rgrpA")->setChecked(true);
  EXPECT_EQ(frm->WorkMode(), 200);
  frm->LanguageSwitching = false;
}

TEST_F(WindowTest, AHintOnShowDoesNotOutliveItsLanguage) {
  QStatusTipEvent tip(QStringLiteral("Beendet das Programm"));
  QApplication::sendEvent(frm.get(), &tip);
  ASSERT_EQ(frm->StatusMessage(), QStringLiteral("Beendet das Programm"));
  frm->SelectLanguage(1);
  EXPECT_NE(frm->StatusMessage(), QStringLiteral("Beendet das Programm"));
  frm->ShowStatusMessage(QStringLiteral("a message"));
  frm->SelectLanguage(0);
  EXPECT_EQ(frm->StatusMessage(), QStringLiteral("a message"));  // messages are not hints
}

// The USB page follows a switch like the other pages, also in the texts it
// sets itself (the EEPROM state).
TEST_F(WindowTest, UsbPageTextsFollowTheLanguage) {
  auto* rDev = Find<TRadioGroup>("rDev");
  rDev->Button(0)->click();
  auto* status = Find<QLabel>("lbUSBEEStatus");
  const QString german = status->text();
  ASSERT_TRUE(german.startsWith(QStringLiteral("EEPROM"))) << german.toStdString();

  frm->SelectLanguage(1);
  EXPECT_EQ(rDev->title(), QStringLiteral("Device name of the hardware"));
  EXPECT_EQ(rDev->Item(1), QStringLiteral("Tamarik on USB"));
  EXPECT_EQ(status->text(), german == QStringLiteral("EEPROM gefunden:") ? QStringLiteral("EEPROM found:")
                                                                          : QStringLiteral("EEPROM not found! Please choose:"));
  EXPECT_EQ(rDev->ItemIndex(), 0);

  frm->SelectLanguage(0);
  EXPECT_EQ(status->text(), german);
  rDev->Button(1)->click();
}
