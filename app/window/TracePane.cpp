#include "window/TracePane.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <climits>

namespace {

QFont TraceFont() {
  QFont font(QStringLiteral("Courier New"), 10);
  font.setStyleHint(QFont::TypeWriter);
  if (!QFontInfo(font).fixedPitch()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
  }
  return font;
}

}  // namespace

TTracePane::TTracePane(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(TraceFont());
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(true);
  SetBackground(Qt::white);
  UpdateFontMetrics();
}

void TTracePane::UpdateFontMetrics() {
  // Every glyph advances by a whole number of pixels, so a piece drawn on
  // its own (a colour run, the selection) starts exactly where the text
  // before it ended: a gap there would read as a received blank.
  QFont spaced = font();
  spaced.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  const qreal advance = QFontMetricsF(spaced).horizontalAdvance(QLatin1Char('M'));
  spaced.setLetterSpacing(QFont::AbsoluteSpacing, std::max<qreal>(1, qRound(advance)) - advance);
  if (!(spaced == font())) {
    setFont(spaced);  // comes back here through the font change
    return;
  }
  const QFontMetrics metrics(font());
  charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
  lineHeight_ = std::max(1, metrics.height());
  ascent_ = metrics.ascent();
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(charWidth_);
  rowIndexValid_ = 0;
}

void TTracePane::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    UpdateFontMetrics();
    Changed();
  }
  QAbstractScrollArea::changeEvent(event);
}

void TTracePane::SetBackground(const QColor& color) {
  QPalette pal = viewport()->palette();
  pal.setColor(QPalette::Base, color);
  pal.setColor(QPalette::Window, color);
  viewport()->setPalette(pal);
  viewport()->update();
}

QColor TTracePane::Background() const { return viewport()->palette().color(QPalette::Base); }

void TTracePane::SetNoteColor(TColor shown, TColor written) {
  noteStyle_.Shown = shown;
  noteStyle_.Written = written;
}

// --- content ---

void TTracePane::AppendRun(QStringView text, TColor shown, TColor written) {
  const qsizetype lastLine = buf_.LineCount() - 1;
  buf_.Append(text, TTraceBuffer::TRunStyle{shown, written, false});
  rowIndexValid_ = std::min(rowIndexValid_, lastLine);
  Changed();
}

void TTracePane::TrimFront(qsizetype count) {
  const qsizetype before = buf_.Length();
  const qsizetype removedLines = buf_.TrimFront(count);
  const qsizetype removed = before - buf_.Length();
  caret_ = std::max<qsizetype>(0, caret_ - removed);
  anchor_ = std::max<qsizetype>(0, anchor_ - removed);
  if (topLine_ < removedLines) topSubRow_ = 0;
  topLine_ = std::max<qsizetype>(0, topLine_ - removedLines);
  rowIndexValid_ = 0;
  Changed();
}

void TTracePane::Clear() {
  buf_.Clear();
  caret_ = anchor_ = topLine_ = topSubRow_ = 0;
  rowIndexValid_ = 0;
  horizontalScrollBar()->setValue(0);
  Changed();
}

void TTracePane::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) Changed();
}

void TTracePane::Changed() {
  if (updateDepth_ > 0) return;
  UpdateScrollBars();
  viewport()->update();
}

// --- caret and selection ---

QString TTracePane::SelectedText() const { return buf_.View(SelStart(), SelEnd() - SelStart()).toString(); }

void TTracePane::SetSelection(qsizetype anchor, qsizetype caret) {
  anchor_ = std::clamp<qsizetype>(anchor, 0, buf_.Length());
  caret_ = std::clamp<qsizetype>(caret, 0, buf_.Length());
  caretShown_ = true;
  viewport()->update();
}

void TTracePane::FollowEnd() {
  caret_ = anchor_ = buf_.LineStart(buf_.LineCount() - 1);
  // The last line goes to the bottom of the view.
  const qsizetype rows = VisibleRows();
  qsizetype line = buf_.LineCount() - 1;
  qsizetype above = RowsOfLine(line);
  while (line > 0 && above + RowsOfLine(line - 1) <= rows) above += RowsOfLine(--line);
  topLine_ = line;
  topSubRow_ = std::max<qsizetype>(0, above - rows);
  if (!wordWrap_) horizontalScrollBar()->setValue(0);
  Changed();
}

void TTracePane::EnsureCaretVisible() {
  const qsizetype row = RowOfPos(caret_);
  const qsizetype rows = VisibleRows();
  if (row < TopRow()) SetTopRow(row);
  else if (row >= TopRow() + rows) SetTopRow(row - rows + 1);
  if (!wordWrap_) {
    const qsizetype column = caret_ - buf_.LineStart(buf_.LineOf(caret_));
    const qsizetype x = column * charWidth_;
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    if (x < h->value()) h->setValue(static_cast<int>(std::max<qsizetype>(0, x - width / 4)));
    else if (x + charWidth_ > h->value() + width) h->setValue(static_cast<int>(x + charWidth_ - width + width / 4));
  }
  Changed();
}

// --- rows ---

int TTracePane::VisibleRows() const { return std::max(1, viewport()->height() / lineHeight_); }

qsizetype TTracePane::Columns() const { return std::max(1, viewport()->width() / charWidth_); }

qsizetype TTracePane::RowsOfLine(qsizetype line) const {
  if (!wordWrap_) return 1;
  const qsizetype length = buf_.LineLength(line);
  return length == 0 ? 1 : (length + Columns() - 1) / Columns();
}

void TTracePane::RebuildRowIndex() const {
  const qsizetype lines = buf_.LineCount();
  rowIndex_.resize(lines + 1);
  if (rowIndexValid_ <= 0) {
    rowIndex_[0] = 0;
    rowIndexValid_ = 0;
  }
  for (qsizetype l = rowIndexValid_; l < lines; ++l) rowIndex_[l + 1] = rowIndex_[l] + RowsOfLine(l);
  rowIndexValid_ = lines;
}

qsizetype TTracePane::RowOfLine(qsizetype line) const {
  if (!wordWrap_) return line;
  if (rowIndexValid_ < buf_.LineCount() || static_cast<qsizetype>(rowIndex_.size()) != buf_.LineCount() + 1)
    RebuildRowIndex();
  return rowIndex_[line];
}

qsizetype TTracePane::TotalRows() const { return RowOfLine(buf_.LineCount() - 1) + RowsOfLine(buf_.LineCount() - 1); }

qsizetype TTracePane::RowOfPos(qsizetype pos) const {
  const qsizetype line = buf_.LineOf(pos);
  const qsizetype column = pos - buf_.LineStart(line);
  qsizetype sub = wordWrap_ ? column / Columns() : 0;
  sub = std::min(sub, RowsOfLine(line) - 1);
  return RowOfLine(line) + sub;
}

qsizetype TTracePane::PosOfRowColumn(qsizetype row, qsizetype column) const {
  row = std::clamp<qsizetype>(row, 0, TotalRows() - 1);
  qsizetype line = row;
  if (wordWrap_) {
    RowOfLine(0);  // brings the index up to date
    line = std::upper_bound(rowIndex_.begin(), rowIndex_.end() - 1, row) - rowIndex_.begin() - 1;
  }
  const qsizetype sub = row - RowOfLine(line);
  const qsizetype offset = (wordWrap_ ? sub * Columns() : 0) + std::max<qsizetype>(0, column);
  return buf_.LineStart(line) + std::min(offset, buf_.LineLength(line));
}

void TTracePane::SetTopRow(qsizetype row) {
  row = std::clamp<qsizetype>(row, 0, std::max<qsizetype>(0, TotalRows() - 1));
  if (!wordWrap_) {
    topLine_ = row;
    topSubRow_ = 0;
  } else {
    RowOfLine(0);
    topLine_ = std::upper_bound(rowIndex_.begin(), rowIndex_.end() - 1, row) - rowIndex_.begin() - 1;
    topSubRow_ = row - rowIndex_[topLine_];
  }
  Changed();
}

void TTracePane::SetWordWrap(bool on) {
  if (on == wordWrap_) return;
  const qsizetype line = topLine_;
  wordWrap_ = on;
  rowIndexValid_ = 0;
  topLine_ = line;
  topSubRow_ = 0;
  horizontalScrollBar()->setValue(0);
  setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
  Changed();
}

void TTracePane::UpdateScrollBars() {
  syncingScrollBars_ = true;
  const qsizetype rows = VisibleRows();
  topLine_ = std::clamp<qsizetype>(topLine_, 0, buf_.LineCount() - 1);
  topSubRow_ = std::clamp<qsizetype>(topSubRow_, 0, RowsOfLine(topLine_) - 1);
  QScrollBar* v = verticalScrollBar();
  v->setPageStep(static_cast<int>(rows));
  v->setRange(0, static_cast<int>(std::max<qsizetype>(0, TotalRows() - rows)));
  v->setValue(static_cast<int>(TopRow()));
  QScrollBar* h = horizontalScrollBar();
  const qsizetype width = wordWrap_ ? 0 : (buf_.MaxLineLength() + 1) * charWidth_;
  h->setPageStep(viewport()->width());
  h->setRange(0, static_cast<int>(std::min<qsizetype>(INT_MAX / 2, std::max<qsizetype>(0, width - viewport()->width()))));
  syncingScrollBars_ = false;
}

void TTracePane::scrollContentsBy(int, int dy) {
  if (syncingScrollBars_) return;
  // Only the user moves the vertical bar; the view's own moves set it later.
  if (dy != 0 && verticalScrollBar()->value() != TopRow()) {
    SetTopRow(verticalScrollBar()->value());
    return;
  }
  viewport()->update();
}

void TTracePane::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  rowIndexValid_ = 0;
  UpdateScrollBars();
}
