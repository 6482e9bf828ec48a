// Painting: only the rows in sight, each cut into pieces of one colour.
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include "window/TracePane.h"

namespace {

QColor ToQColor(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// Control characters have no glyph of their own in the trace.
QString Printable(QStringView text) {
  QString out = text.toString();
  for (QChar& c : out)
    if (c.unicode() < 0x20) c = QLatin1Char(' ');
  return out;
}

}  // namespace

void TTracePane::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.setFont(font());
  const qsizetype rows = VisibleRows() + 1;
  const qsizetype columns = Columns();
  const qsizetype firstColumn = wordWrap_ ? 0 : horizontalScrollBar()->value() / charWidth_;
  qsizetype line = topLine_;
  qsizetype sub = topSubRow_;
  for (qsizetype row = 0; row < rows && line < buf_.LineCount(); ++row) {
    const qsizetype start = buf_.LineStart(line);
    const qsizetype length = buf_.LineLength(line);
    qsizetype from = start;
    qsizetype to = start + length;
    if (wordWrap_) {
      from = start + sub * columns;
      to = std::min(to, from + columns);
    }
    PaintRow(p, line, from, to, static_cast<int>(row) * lineHeight_, firstColumn);
    if (++sub >= RowsOfLine(line)) {
      ++line;
      sub = 0;
    }
  }
}

void TTracePane::PaintRow(QPainter& p, qsizetype line, qsizetype from, qsizetype to, int y,
                          qsizetype firstColumn) const {
  const qsizetype rowStart = from;
  const qsizetype scrolled = wordWrap_ ? 0 : horizontalScrollBar()->value();
  // Only the columns in sight are drawn: a line may hold a million characters.
  from = std::min(to, from + firstColumn);
  to = std::min(to, from + viewport()->width() / charWidth_ + 2);
  const auto xOf = [&](qsizetype pos) {
    return static_cast<int>((pos - rowStart) * charWidth_ - scrolled);
  };

  const qsizetype selFrom = SelStart();
  const qsizetype selTo = SelEnd();
  const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
  const QColor highlightText = palette().color(QPalette::Active, QPalette::HighlightedText);
  if (selFrom < selTo) {
    const qsizetype a = std::max(selFrom, from);
    // The line break of a selected line shows as one selected cell.
    const bool breakSelected = to == buf_.LineEnd(line) && selTo > to && selFrom <= to && line + 1 < buf_.LineCount();
    const qsizetype b = std::min(selTo, to) + (breakSelected ? 1 : 0);
    if (a < b) p.fillRect(QRect(xOf(a), y, static_cast<int>((b - a) * charWidth_), lineHeight_), highlight);
  }

  buf_.ForEachPiece(from, to, [&](qsizetype pos, qsizetype count, const TTraceBuffer::TRunStyle& style) {
    // Split the piece where the selection starts and ends.
    const qsizetype cuts[4] = {pos, std::clamp(selFrom, pos, pos + count), std::clamp(selTo, pos, pos + count),
                               pos + count};
    for (int i = 0; i < 3; ++i) {
      if (cuts[i + 1] <= cuts[i]) continue;
      const bool selected = cuts[i] >= selFrom && cuts[i + 1] <= selTo && selFrom < selTo;
      p.setPen(selected ? highlightText : ToQColor(style.Shown));
      p.drawText(xOf(cuts[i]), y + ascent_, Printable(buf_.View(cuts[i], cuts[i + 1] - cuts[i])));
    }
  });

  if (caretShown_ && hasFocus() && caret_ >= from && caret_ <= to && buf_.LineOf(caret_) == line) {
    const bool wrapsHere = wordWrap_ && caret_ == to && to != buf_.LineEnd(line);
    // Drawn in the background's opposite, so it shows on a negated trace too.
    const QColor background = Background();
    const QColor caret(255 - background.red(), 255 - background.green(), 255 - background.blue());
    if (!wrapsHere) p.fillRect(QRect(xOf(caret_), y, 2, lineHeight_), caret);
  }
}
