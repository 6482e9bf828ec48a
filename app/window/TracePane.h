// The trace pane: a read-only view over a buffer of coloured runs that paints
// only the lines in sight, so appending at full line rate costs little more
// than copying the text. It keeps its own caret, selection, word wrap and the
// notes a user types into it.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <vector>

#include "window/TraceBuffer.h"

class TTracePane : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TTracePane(QWidget* parent = nullptr);

  const TTraceBuffer& Buffer() const { return buf_; }
  qsizetype Length() const { return buf_.Length(); }
  qsizetype LineCount() const { return buf_.LineCount(); }
  QString Text() const { return buf_.All().toString(); }
  QString LineText(qsizetype line) const { return buf_.View(buf_.LineStart(line), buf_.LineLength(line)).toString(); }

  // Appends at the end; caret, selection and view stay where they are.
  void AppendRun(QStringView text, TColor shown, TColor written);
  // Deletes count characters at the start; caret, selection and view keep
  // to the text they were on.
  void TrimFront(qsizetype count);
  void Clear();

  // Many appends in a row: the scroll bars and the picture follow once at the end.
  void BeginUpdate() { ++updateDepth_; }
  void EndUpdate();

  qsizetype CaretPos() const { return caret_; }
  qsizetype AnchorPos() const { return anchor_; }
  qsizetype SelStart() const { return std::min(caret_, anchor_); }
  qsizetype SelEnd() const { return std::max(caret_, anchor_); }
  bool HasSelection() const { return caret_ != anchor_; }
  QString SelectedText() const;
  void SetSelection(qsizetype anchor, qsizetype caret);
  void SetCaret(qsizetype pos) { SetSelection(pos, pos); }
  // Places the caret at the start of the last line and brings it into sight.
  void FollowEnd();
  void EnsureCaretVisible();

  qsizetype FirstVisibleLine() const { return topLine_; }
  int VisibleRows() const;
  void SetWordWrap(bool on);
  bool WordWrap() const { return wordWrap_; }
  void SetBackground(const QColor& color);
  QColor Background() const;

  // Typed notes: refused while set (the trace always scrolls then).
  void SetNotesRefused(bool refused) { notesRefused_ = refused; }
  void SetNoteColor(TColor shown, TColor written);
  // Inserts a note at the caret (what typing and pasting do); false when refused.
  bool InsertNote(const QString& text);
  // Backspace (forward = false) and Delete: only note text goes.
  bool DeleteNoteChar(bool forward);

 signals:
  void NoteLineBreak();
  void NoteCharDeleted(bool forward);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Visual rows: a line takes one row, or several when wrapped.
  qsizetype Columns() const;
  qsizetype RowsOfLine(qsizetype line) const;
  qsizetype RowOfLine(qsizetype line) const;
  qsizetype TotalRows() const;
  void RebuildRowIndex() const;
  qsizetype RowOfPos(qsizetype pos) const;
  qsizetype PosOfRowColumn(qsizetype row, qsizetype column) const;
  void SetTopRow(qsizetype row);
  qsizetype TopRow() const { return RowOfLine(topLine_) + topSubRow_; }
  qsizetype PosAt(const QPoint& point) const;

  void Changed();  // text or layout changed: scroll bars and picture follow
  void UpdateScrollBars();
  void UpdateFontMetrics();
  void MoveCaret(qsizetype pos, bool extend);
  bool NavigationKey(QKeyEvent* event);
  bool NoteKey(QKeyEvent* event);
  void PaintRow(QPainter& p, qsizetype line, qsizetype from, qsizetype to, int y, qsizetype firstColumn) const;

  TTraceBuffer buf_;
  qsizetype caret_ = 0;
  qsizetype anchor_ = 0;
  qsizetype topLine_ = 0;
  qsizetype topSubRow_ = 0;
  bool wordWrap_ = false;
  int updateDepth_ = 0;
  bool syncingScrollBars_ = false;
  int charWidth_ = 8;
  int lineHeight_ = 16;
  int ascent_ = 12;
  bool caretShown_ = true;
  QBasicTimer caretBlink_;
  bool notesRefused_ = false;
  TTraceBuffer::TRunStyle noteStyle_{clOlive, clOlive, true};

  // First visual row of every line while wrapping; valid for the first
  // rowIndexValid_ lines.
  mutable std::vector<qsizetype> rowIndex_;
  mutable qsizetype rowIndexValid_ = 0;
};
