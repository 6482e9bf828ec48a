// Notes typed into the trace: they go in at the caret in their own colour,
// and only they can be deleted again; received text never can.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include "window/TracePane.h"

bool TTracePane::InsertNote(const QString& text) {
  if (notesRefused_ || text.isEmpty()) return false;
  const qsizetype at = caret_;
  const qsizetype lengthBefore = buf_.Length();
  const qsizetype line = buf_.LineOf(at);
  buf_.Insert(at, text, noteStyle_);
  rowIndexValid_ = std::min(rowIndexValid_, line);
  caret_ = anchor_ = at + (buf_.Length() - lengthBefore);
  EnsureCaretVisible();
  return true;
}

bool TTracePane::DeleteNoteChar(bool forward) {
  anchor_ = caret_;
  qsizetype at = forward ? caret_ : caret_ - 1;
  if (at < 0 || at >= buf_.Length() || !buf_.StyleAt(at).Note) return false;
  qsizetype count = 1;
  // A character beyond 16 bits is one character to the user.
  if (buf_.At(at).isLowSurrogate() && at > 0 && buf_.At(at - 1).isHighSurrogate()) --at, ++count;
  else if (buf_.At(at).isHighSurrogate() && at + 1 < buf_.Length() && buf_.At(at + 1).isLowSurrogate()) ++count;
  const qsizetype line = buf_.LineOf(at);
  buf_.Remove(at, count);
  rowIndexValid_ = std::min(rowIndexValid_, line);
  caret_ = anchor_ = at;
  EnsureCaretVisible();
  emit NoteCharDeleted(forward);
  return true;
}

bool TTracePane::NoteKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Backspace:
      DeleteNoteChar(false);
      return true;
    case Qt::Key_Delete:
      DeleteNoteChar(true);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (InsertNote(QStringLiteral("\n"))) emit NoteLineBreak();
      return true;
    default:
      break;
  }
  if (event == QKeySequence::Paste) {
    InsertNote(QApplication::clipboard()->text());
    return true;
  }
  const QString text = event->text();
  const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
  if (text.isEmpty() || command) return false;
  for (const QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;  // other control characters are ignored
  InsertNote(text);
  return true;
}
