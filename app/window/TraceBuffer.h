// The text behind the trace pane: one string of lines joined by '\n', the
// start of every line and the colour of every run. Text grows at the end and
// is trimmed at the start; typed notes are inserted and removed anywhere.
// Positions are character offsets from the current start of the text.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

#include "core/Colors.h"
#include "core/RunQueue.h"

class TTraceBuffer {
 public:
  struct TRunStyle {
    TColor Shown = clBlack;    // as drawn (after negation)
    TColor Written = clBlack;  // as the writer gave it (saved in rich text)
    bool Note = false;         // typed by the user, may be deleted by the user
    bool operator==(const TRunStyle&) const = default;
  };

  qsizetype Length() const { return text_.size() - head_; }
  qsizetype LineCount() const { return static_cast<qsizetype>(lines_.size()) - lineHead_; }
  qsizetype LineStart(qsizetype line) const { return lines_[lineHead_ + line] - head_; }
  // The end of the line's text (the position of its '\n', or Length()).
  qsizetype LineEnd(qsizetype line) const;
  qsizetype LineLength(qsizetype line) const { return LineEnd(line) - LineStart(line); }
  qsizetype LineOf(qsizetype pos) const;
  qsizetype MaxLineLength() const;
  // Characters trimmed from the start since the last Clear.
  qint64 TrimmedTotal() const { return trimmedTotal_; }

  QStringView View(qsizetype pos, qsizetype count) const { return QStringView(text_).mid(head_ + pos, count); }
  QStringView All() const { return QStringView(text_).mid(head_); }
  QChar At(qsizetype pos) const { return text_[head_ + pos]; }

  // CR LF and a lone CR become one line break.
  void Append(QStringView text, const TRunStyle& style);
  void Insert(qsizetype pos, QStringView text, const TRunStyle& style);
  void Remove(qsizetype pos, qsizetype count);
  // Deletes count characters at the start; returns the number of whole lines
  // that went with them.
  qsizetype TrimFront(qsizetype count);
  void Clear();

  // The style of the character at pos (0 <= pos < Length()).
  const TRunStyle& StyleAt(qsizetype pos) const { return runs_[RunIndexAt(pos)].Style; }
  // Runs cut into pieces of one style: calls f(pos, count, style) for every
  // piece of [from, to).
  template <class F>
  void ForEachPiece(qsizetype from, qsizetype to, F&& f) const;

  // Case-insensitive; -1 when not found.
  qsizetype Find(QStringView needle, qsizetype from) const;
  // Lines joined by CR LF.
  QString PlainText() const;
  // The runs as written, in UTF-8 with CR LF line ends.
  std::vector<TTextRun> WrittenRuns() const;

 private:
  struct TRun {
    qsizetype Start;  // in text_ (counting the dead head)
    TRunStyle Style;
  };
  qsizetype RunIndexAt(qsizetype pos) const;  // index into runs_
  void StartRun(const TRunStyle& style);
  void AddLineStarts(qsizetype fromRaw, qsizetype toRaw);
  void Compact();

  QString text_;
  qsizetype head_ = 0;  // characters at the start of text_ already trimmed
  qint64 trimmedTotal_ = 0;
  std::vector<qsizetype> lines_{0};
  qsizetype lineHead_ = 0;
  std::vector<TRun> runs_;
  qsizetype runHead_ = 0;
  bool pendingCr_ = false;  // the last append ended in CR: a leading LF belongs to it
  mutable qsizetype maxLineLength_ = 0;
  mutable bool maxLineLengthValid_ = true;
};

template <class F>
void TTraceBuffer::ForEachPiece(qsizetype from, qsizetype to, F&& f) const {
  if (from >= to) return;
  qsizetype r = RunIndexAt(from);
  qsizetype pos = from;
  while (pos < to) {
    const qsizetype next = r + 1 < static_cast<qsizetype>(runs_.size()) ? runs_[r + 1].Start - head_ : Length();
    const qsizetype end = next < to ? next : to;
    if (end > pos) f(pos, end - pos, runs_[r].Style);
    pos = end > pos ? end : pos;
    ++r;
  }
}
