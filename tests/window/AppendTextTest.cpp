// AppendText: size limits, the scroll rules and colour negation.
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include "WindowTestSupport.h"
#include "core/ErrorLog.h"

namespace {

std::string Lines(int from, int count) {
  std::string text;
  for (int i = from; i < from + count; ++i) text.append("line ").append(std::to_string(i)).append("\r\n");
  return text;
}

std::string Pattern(qsizetype length) {
  std::string text(static_cast<std::size_t>(length), ' ');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
  return text;
}

}  // namespace

TEST_F(WindowTest, LimitDeletesOldestTextAsSoonAsThePaneIsOverAndLogsIt) {
  QTemporaryDir dir;
  SetErrorLogFile((dir.path() + "/TamarikErr.log").toStdString());
  SetErrorLogEnabled(true);
  ASSERT_TRUE(Check("chkLogBegrenzen")->isChecked());

  const std::string full = Pattern(1'000'001);
  Append(full);
  ASSERT_EQ(Pane()->Length(), 980'000);  // measured after the append: never over the limit
  Append("XYZ", clRed);
  SetErrorLogEnabled(false);

  EXPECT_EQ(Pane()->Length(), 980'003);
  const QString text = Pane()->Text();
  EXPECT_EQ(text.left(40), QString::fromLatin1(full.substr(20'001, 40)));
  EXPECT_TRUE(text.endsWith(QStringLiteral("XYZ")));
  EXPECT_EQ(Pane()->Buffer().StyleAt(980'000).Shown, clRed);
  EXPECT_EQ(Pane()->Buffer().StyleAt(0).Shown, clBlack);

  QFile log(dir.path() + "/TamarikErr.log");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QByteArray line = log.readAll();
  EXPECT_TRUE(line.endsWith(" Protocol delete characters (too much in the protocol).\r\n")) << line.constData();
  EXPECT_EQ(line.count('\n'), 1);
}

TEST_F(WindowTest, LimitKeepsAMillionCharactersAndIsOffWhenUnchecked) {
  Append(Pattern(1'000'000));
  EXPECT_EQ(Pane()->Length(), 1'000'000);  // a million is not yet too much
  Append("a");
  EXPECT_EQ(Pane()->Length(), 980'000);

  Check("chkLogBegrenzen")->setChecked(false);
  Append(Pattern(30'000));
  EXPECT_EQ(Pane()->Length(), 1'010'000);
}

TEST_F(WindowTest, CaretOnLastLineFollowsNewLines) {
  Append(Lines(0, 200));
  EXPECT_EQ(Pane()->CaretPos(), Pane()->Buffer().LineStart(200));
  EXPECT_GT(Pane()->FirstVisibleLine(), 150);
  EXPECT_EQ(Pane()->FirstVisibleLine() + Pane()->VisibleRows(), Pane()->LineCount());
  EXPECT_EQ(frm->LastLineIdx(), 200);
}

TEST_F(WindowTest, CaretOnEarlierLineKeepsTheView) {
  Append(Lines(0, 200));
  Pane()->SetCaret(Pane()->Buffer().LineStart(10) + 2);
  Pane()->EnsureCaretVisible();
  const qsizetype first = Pane()->FirstVisibleLine();
  const qsizetype caret = Pane()->CaretPos();
  ASSERT_LE(first, 10);

  Append(Lines(200, 100));
  EXPECT_EQ(Pane()->FirstVisibleLine(), first);
  EXPECT_EQ(Pane()->CaretPos(), caret);
}

TEST_F(WindowTest, TextWithoutLineEndDoesNotMoveTheView) {
  Append(Lines(0, 200));
  Pane()->SetSelection(0, 0);
  Pane()->EnsureCaretVisible();
  Pane()->SetCaret(Pane()->Length());  // on the last line, but the text ends no line
  const qsizetype first = Pane()->FirstVisibleLine();
  Append("no line end");
  EXPECT_EQ(Pane()->FirstVisibleLine(), first);
}

TEST_F(WindowTest, SelectionIsKeptWithViewUnlessAlwaysScroll) {
  Append(Lines(0, 200));
  const qsizetype from = Pane()->Buffer().LineStart(5);
  const qsizetype to = Pane()->Buffer().LineStart(200);  // reaches the last line
  Pane()->SetSelection(from, to);
  const qsizetype first = Pane()->FirstVisibleLine();
  Append(Lines(200, 50));
  EXPECT_EQ(Pane()->SelStart(), from);
  EXPECT_EQ(Pane()->SelEnd(), to);
  EXPECT_EQ(Pane()->FirstVisibleLine(), first);
}

TEST_F(WindowTest, AlwaysScrollClearsThenFollowsWhateverTheCaret) {
  Append(Lines(0, 20));
  Check("chkProtScroll")->click();
  EXPECT_EQ(Pane()->Length(), 0);
  EXPECT_EQ(frm->LastLineIdx(), 0);

  Append(Lines(0, 100));
  Pane()->SetSelection(Pane()->Buffer().LineStart(3), Pane()->Buffer().LineStart(4));
  Append(Lines(100, 10));
  EXPECT_FALSE(Pane()->HasSelection());
  EXPECT_EQ(Pane()->CaretPos(), Pane()->Buffer().LineStart(Pane()->LineCount() - 1));
  EXPECT_EQ(Pane()->FirstVisibleLine() + Pane()->VisibleRows(), Pane()->LineCount());
}

TEST_F(WindowTest, AlwaysScrollDeletesLinesFarAboveTheView) {
  Check("chkProtScroll")->click();
  // Lines of 100 characters (the line break counts one): the view's first
  // line is beyond 150 lines and character 20,000 once it is line 201.
  const std::string line = std::string(99, 'x') + "\r\n";
  for (int i = 0; i < 400; ++i) {
    Append(line);
    ASSERT_LE(Pane()->FirstVisibleLine(), 200) << i;
  }
  EXPECT_LT(Pane()->LineCount(), 400);
  EXPECT_GE(Pane()->LineCount(), Pane()->VisibleRows());
  EXPECT_EQ(Pane()->LineText(0), QString(99, QLatin1Char('x')));  // whole lines go
}

TEST_F(WindowTest, NegationInvertsBackgroundAndNewRunsButKeepsWrittenColour) {
  Append("before", clRed);
  Check("chkColorNeg")->click();
  EXPECT_EQ(Pane()->Background(), QColor(Qt::black));
  Append("after", clRed);
  EXPECT_EQ(Pane()->Buffer().StyleAt(0).Shown, clRed);
  EXPECT_EQ(Pane()->Buffer().StyleAt(6).Shown, TColor{0x00FFFF});
  EXPECT_EQ(Pane()->Buffer().StyleAt(6).Written, clRed);
  Check("chkColorNeg")->click();
  EXPECT_EQ(Pane()->Background(), QColor(Qt::white));
}

TEST_F(WindowTest, FollowingAfterScrollingSidewaysShowsTheLastLineFromItsStart) {
  Append(Lines(0, 100) + std::string(500, 'w') + "\r\n");
  Pane()->horizontalScrollBar()->setValue(200);
  Append(Lines(100, 1));
  EXPECT_EQ(Pane()->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(Pane()->FirstVisibleLine() + Pane()->VisibleRows(), Pane()->LineCount());
}
