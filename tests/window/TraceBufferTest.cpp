// The pane's buffer: lines and runs stay right through appends, notes and trims.
#include <gtest/gtest.h>

#include "window/TraceBuffer.h"

namespace {

const TTraceBuffer::TRunStyle kBlack{clBlack, clBlack, false};
const TTraceBuffer::TRunStyle kRed{clRed, clRed, false};
const TTraceBuffer::TRunStyle kNote{clOlive, clOlive, true};

QString Styles(const TTraceBuffer& b) {
  QString out;
  for (qsizetype i = 0; i < b.Length(); ++i) out.append(b.StyleAt(i).Note ? u'n' : b.StyleAt(i).Shown == clRed ? u'r' : u'b');
  return out;
}

}  // namespace

TEST(TraceBuffer, LineBreaksFromCrLfLoneCrAndCrLfSplitAcrossAppends) {
  TTraceBuffer b;
  b.Append(u"ab\r\ncd\r", kBlack);
  b.Append(u"\nef\rg", kRed);
  EXPECT_EQ(b.All(), QStringView(u"ab\ncd\nef\ng"));
  ASSERT_EQ(b.LineCount(), 4);
  EXPECT_EQ(b.LineStart(2), 6);
  EXPECT_EQ(b.LineLength(2), 2);
  EXPECT_EQ(b.LineOf(5), 1);  // the break belongs to its line
  EXPECT_EQ(b.MaxLineLength(), 2);
}

TEST(TraceBuffer, NoteInsideARunSplitsItAndRemovingItJoinsAgain) {
  TTraceBuffer b;
  b.Append(u"abcd", kBlack);
  b.Append(u"ef", kRed);
  b.Insert(2, u"X\nY", kNote);
  EXPECT_EQ(b.All(), QStringView(u"abX\nYcdef"));
  EXPECT_EQ(Styles(b), QStringLiteral("bbnnnbbrr"));
  ASSERT_EQ(b.LineCount(), 2);
  EXPECT_EQ(b.LineStart(1), 4);
  b.Insert(0, u"N", kNote);
  EXPECT_EQ(Styles(b), QStringLiteral("nbbnnnbbrr"));

  b.Remove(3, 3);
  EXPECT_EQ(b.All(), QStringView(u"Nabcdef"));
  EXPECT_EQ(Styles(b), QStringLiteral("nbbbbrr"));
  EXPECT_EQ(b.LineCount(), 1);
  b.Remove(0, 1);
  EXPECT_EQ(Styles(b), QStringLiteral("bbbbrr"));
  b.Append(u"!", kRed);
  EXPECT_EQ(Styles(b), QStringLiteral("bbbbrrr"));
}

TEST(TraceBuffer, TrimKeepsLinesAndRunsOfTheRestAlsoAfterCompacting) {
  TTraceBuffer b;
  QString expected;
  for (int i = 0; i < 20'000; ++i) {
    const QString line = QStringLiteral("%1\r\n").arg(i, 5, 10, QLatin1Char('0'));
    b.Append(line, i % 2 ? kRed : kBlack);
    expected.append(QStringLiteral("%1\n").arg(i, 5, 10, QLatin1Char('0')));
  }
  // Cut inside line 3: it stays as a partial line.
  EXPECT_EQ(b.TrimFront(20), 3);
  EXPECT_EQ(b.View(b.LineStart(0), b.LineLength(0)), QStringView(u"003"));
  // Far enough that the dead head is given back.
  EXPECT_EQ(b.TrimFront(6 * 15'000 - 20), 14'997);
  EXPECT_EQ(b.All(), QStringView(expected).mid(6 * 15'000));
  EXPECT_EQ(b.LineCount(), 5'001);
  EXPECT_EQ(b.LineStart(1), 6);
  EXPECT_EQ(b.StyleAt(0).Shown, clBlack);  // line 15000 was written black
  EXPECT_EQ(b.StyleAt(6).Shown, clRed);
  EXPECT_EQ(b.Find(u"19999", 0), 6 * 4'999);
  b.TrimFront(b.Length());
  EXPECT_EQ(b.Length(), 0);
  EXPECT_EQ(b.LineCount(), 1);
  b.Append(u"x", kRed);
  EXPECT_EQ(b.StyleAt(0).Shown, clRed);
}

TEST(TraceBuffer, WrittenRunsAndPlainTextUseCrLf) {
  TTraceBuffer b;
  b.Append(u"a\r\n", kBlack);
  b.Append(u"b", TTraceBuffer::TRunStyle{clAqua, clRed, false});
  b.Append(u"c", kRed);
  EXPECT_EQ(b.PlainText(), QStringLiteral("a\r\nbc"));
  const std::vector<TTextRun> runs = b.WrittenRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].Text, "a\r\n");
  EXPECT_EQ(runs[1].Text, "bc");
  EXPECT_EQ(runs[1].Color, clRed);
}
