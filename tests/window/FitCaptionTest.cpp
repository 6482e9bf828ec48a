// Narrow captions and the text rules for radio groups and file filters.
#include <QFontMetrics>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "WindowTestSupport.h"
#include "core/TextIds.h"
#include "window/ApplyTexts.h"
#include "window/Captions.h"
#include "window/FitCaption.h"

namespace {

int Width(const QWidget* control, const QString& caption) {
  return QFontMetrics(control->font()).horizontalAdvance(ReadableCaption(caption));
}

}  // namespace

TEST(FitCaption, TooLongCaptionGetsTheNarrowFontAndTheWholeCaptionAsHint) {
  QWidget parent;
  auto* box = new QCheckBox(QStringLiteral("Zeitdifferenz bei &Zeilenwechsel anzeigen"), &parent);
  box->setToolTip(QStringLiteral("old hint"));
  const int full = Width(box, box->text());

  FitCaption(box, full - 10);
  EXPECT_LT(Width(box, box->text()), full);
  EXPECT_EQ(box->toolTip(), QStringLiteral("Zeitdifferenz bei Zeilenwechsel anzeigen"));
  EXPECT_EQ(box->statusTip(), box->toolTip());

  // Room enough again (another language, say): the parent's font comes back.
  box->setToolTip(QStringLiteral("new hint"));
  FitCaption(box, full + 10);
  EXPECT_EQ(Width(box, box->text()), full);
  EXPECT_FALSE(box->testAttribute(Qt::WA_SetFont));
  EXPECT_EQ(box->toolTip(), QStringLiteral("new hint"));
}

TEST(FitCaption, BoldCaptionThatEvenNarrowDoesNotFitLosesTheBold) {
  QWidget parent;
  auto* group = new QGroupBox(QStringLiteral("Datenbits"), &parent);
  QFont bold = group->font();
  bold.setBold(true);
  group->setFont(bold);
  const int full = Width(group, group->title());
  const int narrow = QFontMetrics(NarrowFont(bold)).horizontalAdvance(group->title());
  ASSERT_LT(narrow, full);

  FitCaption(group, narrow + 1);  // narrow is enough: it stays bold
  EXPECT_TRUE(group->font().bold());
  EXPECT_EQ(group->font().family(), NarrowFont(bold).family());
  FitCaption(group, 5);
  EXPECT_FALSE(group->font().bold());
  EXPECT_EQ(group->toolTip(), QStringLiteral("Datenbits"));
  FitCaption(group, full + 10);
  EXPECT_TRUE(group->font().bold());  // its own font again
}

TEST(FitCaption, RoomOnlyForControlsOfFixedWidth) {
  QWidget parent;
  auto* box = new QCheckBox(QStringLiteral("Flusssignale"), &parent);
  EXPECT_EQ(CaptionRoom(box), -1);
  box->setFixedWidth(100);
  const int room = CaptionRoom(box);
  EXPECT_GT(room, 50);  // the check mark and its spacing are not room for text
  EXPECT_LT(room, 100);
}

TEST_F(WindowTest, FixedWidthControlIsFittedWhenTheLanguageChanges) {
  QCheckBox* ms = Check("chkMs");
  ms->setFixedWidth(40);
  frm->SelectLanguage(1);
  EXPECT_TRUE(ms->testAttribute(Qt::WA_SetFont));
  EXPECT_EQ(ms->toolTip(), QStringLiteral("Show milliseconds"));

  ms->setFixedWidth(1000);
  frm->SelectLanguage(1);
  EXPECT_FALSE(ms->testAttribute(Qt::WA_SetFont));
  EXPECT_EQ(ms->toolTip(), QStringLiteral("Shows the time with milliseconds"));
}

TEST(ApplyTexts, RadioGroupItemsFollowItsIdUnlessTheyCarryTheirOwn) {
  QWidget root;
  auto* parity = new QGroupBox(&root);
  parity->setProperty("tag", TextId::grpParitaet);
  auto* layout = new QVBoxLayout(parity);
  for (int i = 0; i < 5; ++i) layout->addWidget(new QRadioButton(QStringLiteral("?"), parity));

  auto* mode = new QGroupBox(&root);
  mode->setProperty("tag", TextId::grpArt);
  auto* first = new QRadioButton(mode);
  first->setProperty("tag", TextId::rgrpA);
  auto* fifth = new QRadioButton(mode);
  fifth->setProperty("tag", TextId::rgrpE);

  ApplyTexts(&root, 1000);
  EXPECT_EQ(parity->title(), GetQText(2040, false));
  const QList<QRadioButton*> items = parity->findChildren<QRadioButton*>();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(items[i]->text(), GetQText(2041 + i, false)) << i;
  EXPECT_EQ(first->text(), GetQText(2021, false));
  EXPECT_EQ(fifth->text(), GetQText(2036, false));  // not 2022, the group's next id
}

TEST(Captions, FilterTextBecomesNameFiltersThatMatchEveryFile) {
  EXPECT_EQ(NameFiltersFromText(GetQText(TextId::SDlgFilter, false)),
            QStringList({QStringLiteral("Alle Dateien (*)"), QStringLiteral("Richtext (*.rtf)"),
                         QStringLiteral("Textdateien (*.txt)")}));
  EXPECT_EQ(NameFiltersFromText(QStringLiteral("Rohdaten|*.roh|dangling")), QStringList{QStringLiteral("Rohdaten (*.roh)")});
  EXPECT_EQ(ReadableCaption(QStringLiteral("S&chließen && mehr&")), QStringLiteral("Schließen & mehr"));
}
