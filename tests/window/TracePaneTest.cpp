// The pane's mapping between points and text, with and without word wrap.
#include <QMouseEvent>

#include "WindowTestSupport.h"

namespace {

void Click(TTracePane* pane, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, pane->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(pane->viewport(), &press);
}

}  // namespace

TEST_F(WindowTest, ClickPlacesCaretByRowAndColumnWithAndWithoutWrap) {
  const int cw = Pane()->fontMetrics().horizontalAdvance(QLatin1Char('M'));
  const int lh = Pane()->fontMetrics().height();
  const qsizetype columns = Pane()->viewport()->width() / cw;
  Append("first\r\n" + std::string(static_cast<std::size_t>(columns) * 3, 'w') + "\r\nlast");

  Click(Pane(), QPoint(3 * cw + 1, lh + lh / 2));
  EXPECT_EQ(Pane()->CaretPos(), 6 + 3);

  Find<QAction>("popWordWrap")->trigger();
  Click(Pane(), QPoint(2 * cw + 1, 2 * lh + lh / 2));  // the long line's second row
  EXPECT_EQ(Pane()->CaretPos(), 6 + columns + 2);
  Click(Pane(), QPoint(1, 4 * lh + lh / 2));  // after its three rows
  EXPECT_EQ(Pane()->CaretPos(), Pane()->Buffer().LineStart(2));
}

TEST_F(WindowTest, ShiftArrowsSelectAndCopyKeepsTheText) {
  Append("hello world");
  Pane()->SetCaret(0);
  for (int i = 0; i < 5; ++i) Key(Qt::Key_Right, {}, Qt::ShiftModifier);
  EXPECT_EQ(Pane()->SelectedText(), QStringLiteral("hello"));
  Key(Qt::Key_End, {}, Qt::ShiftModifier);
  EXPECT_EQ(Pane()->SelectedText(), QStringLiteral("hello world"));
}
