// Mouse and keyboard: caret, selection, copying and scrolling.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "window/TracePane.h"

qsizetype TTracePane::PosAt(const QPoint& point) const {
  const qsizetype row = TopRow() + std::max(0, point.y()) / lineHeight_;
  const qsizetype x = point.x() + (wordWrap_ ? 0 : horizontalScrollBar()->value());
  const qsizetype column = (std::max<qsizetype>(0, x) + charWidth_ / 2) / charWidth_;
  return PosOfRowColumn(row, column);
}

void TTracePane::MoveCaret(qsizetype pos, bool extend) {
  const qsizetype anchor = extend ? anchor_ : pos;
  SetSelection(anchor, pos);
  EnsureCaretVisible();
}

void TTracePane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  MoveCaret(PosAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void TTracePane::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPoint at = event->position().toPoint();
  // Dragging beyond the edge scrolls one row at a time.
  if (at.y() < 0) SetTopRow(TopRow() - 1);
  else if (at.y() > viewport()->height()) SetTopRow(TopRow() + 1);
  MoveCaret(PosAt(at), true);
}

void TTracePane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const qsizetype pos = PosAt(event->position().toPoint());
  const auto inWord = [&](qsizetype p) { return p >= 0 && p < buf_.Length() && buf_.At(p).isLetterOrNumber(); };
  qsizetype from = pos;
  qsizetype to = pos;
  while (inWord(from - 1)) --from;
  while (inWord(to)) ++to;
  SetSelection(from, to);
}

void TTracePane::focusInEvent(QFocusEvent* event) {
  caretBlink_.start(QApplication::cursorFlashTime() / 2 > 0 ? QApplication::cursorFlashTime() / 2 : 500, this);
  caretShown_ = true;
  viewport()->update();
  QAbstractScrollArea::focusInEvent(event);
}

void TTracePane::focusOutEvent(QFocusEvent* event) {
  caretBlink_.stop();
  viewport()->update();  // the selection stays visible
  QAbstractScrollArea::focusOutEvent(event);
}

void TTracePane::timerEvent(QTimerEvent* event) {
  if (event->timerId() != caretBlink_.timerId()) {
    QAbstractScrollArea::timerEvent(event);
    return;
  }
  caretShown_ = !caretShown_;
  viewport()->update();
}

bool TTracePane::NavigationKey(QKeyEvent* event) {
  const bool extend = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const qsizetype line = buf_.LineOf(caret_);
  const qsizetype row = RowOfPos(caret_);
  const qsizetype rowStart = PosOfRowColumn(row, 0);
  const qsizetype column = caret_ - rowStart;
  switch (event->key()) {
    case Qt::Key_Left:
      MoveCaret(std::max<qsizetype>(0, caret_ - 1), extend);
      return true;
    case Qt::Key_Right:
      MoveCaret(std::min(buf_.Length(), caret_ + 1), extend);
      return true;
    case Qt::Key_Up:
      MoveCaret(row > 0 ? PosOfRowColumn(row - 1, column) : caret_, extend);
      return true;
    case Qt::Key_Down:
      MoveCaret(row + 1 < TotalRows() ? PosOfRowColumn(row + 1, column) : caret_, extend);
      return true;
    case Qt::Key_PageUp:
      MoveCaret(PosOfRowColumn(row - VisibleRows(), column), extend);
      return true;
    case Qt::Key_PageDown:
      MoveCaret(PosOfRowColumn(row + VisibleRows(), column), extend);
      return true;
    case Qt::Key_Home:
      MoveCaret(ctrl ? 0 : (wordWrap_ ? rowStart : buf_.LineStart(line)), extend);
      return true;
    case Qt::Key_End:
      MoveCaret(ctrl ? buf_.Length() : buf_.LineEnd(line), extend);
      return true;
    default:
      return false;
  }
}

void TTracePane::keyPressEvent(QKeyEvent* event) {
  caretShown_ = true;
  if (event == QKeySequence::SelectAll) {
    SetSelection(0, buf_.Length());
  } else if (event == QKeySequence::Copy) {
    if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
  } else if (!NavigationKey(event) && !NoteKey(event)) {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
}
