// The periodic date entry ends the open line; the pause that follows must not
// end it a second time.
#include <QLineEdit>
#include <QThread>

#include "WindowTestSupport.h"
#include "core/DateTime.h"

namespace {

TEST_F(WindowTest, APauseAfterTheDateEntryStartsTheNextLineWithoutAStrayLineEnd) {
  Check("chkZwPause")->setChecked(true);
  Find<QLineEdit>("edZwPause")->setText(QStringLiteral("50"));
  Check("chkProtZeitEnde")->setChecked(true);
  Find<QLineEdit>("edProtZyk")->setText(QStringLiteral("1"));
  Check("chkProtZyk")->setChecked(true);

  const double start = NowDateTime();
  const double ms = 1.0 / 86'400'000.0;
  frm->Ring().Put(ByteRecord('A', dirPortA, start));
  frm->Ring().Put(ByteRecord('B', dirPortA, start + ms));
  ASSERT_TRUE(WaitFor([&] { return Pane()->Text().contains(QStringLiteral("AB")); }));
  frm->Timer1Timer();  // the date entry interrupts the open line
  // The ring stamps its own time: a real pause, well above the 50 ms.
  QThread::msleep(200);
  frm->Ring().Put(ByteRecord('C', dirPortA, start + 2000 * ms));
  ASSERT_TRUE(WaitFor([&] { return Pane()->Text().contains(QStringLiteral("C")); }));

  for (qsizetype line = 0; line < Pane()->LineCount(); ++line)
    EXPECT_FALSE(Pane()->LineText(line).startsWith(QStringLiteral(" :"))) << Pane()->Text().toStdString();
  EXPECT_EQ(Pane()->LineCount(), 3) << Pane()->Text().toStdString();  // AB, the date, C
}

}  // namespace
