#include "window/TraceBuffer.h"

#include <algorithm>

#include "core/Charsets.h"

qsizetype TTraceBuffer::LineEnd(qsizetype line) const {
  const qsizetype next = lineHead_ + line + 1;
  return next < static_cast<qsizetype>(lines_.size()) ? lines_[next] - 1 - head_ : Length();
}

qsizetype TTraceBuffer::LineOf(qsizetype pos) const {
  const auto first = lines_.begin() + lineHead_;
  const auto it = std::upper_bound(first, lines_.end(), pos + head_);
  return std::max<qsizetype>(0, (it - first) - 1);
}

qsizetype TTraceBuffer::MaxLineLength() const {
  if (!maxLineLengthValid_) {
    maxLineLength_ = 0;
    for (qsizetype l = 0; l < LineCount(); ++l) maxLineLength_ = std::max(maxLineLength_, LineLength(l));
    maxLineLengthValid_ = true;
  }
  return maxLineLength_;
}

qsizetype TTraceBuffer::RunIndexAt(qsizetype pos) const {
  const qsizetype raw = pos + head_;
  const auto first = runs_.begin() + runHead_;
  const auto it = std::upper_bound(first, runs_.end(), raw, [](qsizetype p, const TRun& r) { return p < r.Start; });
  return std::max<qsizetype>(runHead_, (it - runs_.begin()) - 1);
}

void TTraceBuffer::StartRun(const TRunStyle& style) {
  const qsizetype end = text_.size();
  if (static_cast<qsizetype>(runs_.size()) > runHead_) {
    TRun& last = runs_.back();
    if (last.Style == style) return;
    if (last.Start == end) {  // an empty run: take its place
      last.Style = style;
      return;
    }
  }
  runs_.push_back(TRun{end, style});
}

void TTraceBuffer::AddLineStarts(qsizetype fromRaw, qsizetype toRaw) {
  for (qsizetype i = text_.indexOf(u'\n', fromRaw); i >= 0 && i < toRaw; i = text_.indexOf(u'\n', i + 1))
    lines_.push_back(i + 1);
}

void TTraceBuffer::Append(QStringView text, const TRunStyle& style) {
  if (pendingCr_ && !text.isEmpty() && text.front() == u'\n') text = text.mid(1);
  if (text.isEmpty()) return;
  pendingCr_ = false;
  StartRun(style);
  const qsizetype oldLast = LineCount() - 1;
  const qsizetype base = text_.size();
  if (!text.contains(u'\r')) {
    text_.append(text);
  } else {
    text_.reserve(base + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i] != u'\r') {
        text_.append(text[i]);
        continue;
      }
      text_.append(u'\n');
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      else if (i + 1 == text.size()) pendingCr_ = true;
    }
  }
  AddLineStarts(base, text_.size());
  if (maxLineLengthValid_)
    for (qsizetype l = oldLast; l < LineCount(); ++l) maxLineLength_ = std::max(maxLineLength_, LineLength(l));
}

void TTraceBuffer::Insert(qsizetype pos, QStringView text, const TRunStyle& style) {
  if (pos >= Length()) {
    Append(text, style);
    return;
  }
  QString clean = text.toString();
  clean.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  if (clean.isEmpty()) return;
  const qsizetype raw = pos + head_;
  const qsizetype n = clean.size();
  const qsizetype r = RunIndexAt(pos);
  const TRunStyle old = runs_[r].Style;
  const qsizetype oldStart = runs_[r].Start;

  text_.insert(raw, clean);
  for (qsizetype i = lineHead_; i < static_cast<qsizetype>(lines_.size()); ++i)
    if (lines_[i] > raw) lines_[i] += n;
  std::vector<qsizetype> added;
  for (qsizetype i = clean.indexOf(u'\n'); i >= 0; i = clean.indexOf(u'\n', i + 1)) added.push_back(raw + i + 1);
  lines_.insert(std::upper_bound(lines_.begin() + lineHead_, lines_.end(), raw), added.begin(), added.end());

  for (qsizetype i = r + 1; i < static_cast<qsizetype>(runs_.size()); ++i) runs_[i].Start += n;
  if (!(old == style)) {
    if (oldStart == raw) {
      runs_[r].Start = raw + n;
      runs_.insert(runs_.begin() + r, TRun{raw, style});
    } else {
      runs_.insert(runs_.begin() + r + 1, {TRun{raw, style}, TRun{raw + n, old}});
    }
  }
  maxLineLengthValid_ = false;
}

void TTraceBuffer::Remove(qsizetype pos, qsizetype count) {
  count = std::min(count, Length() - pos);
  if (pos < 0 || count <= 0) return;
  const qsizetype raw = pos + head_;
  text_.remove(raw, count);
  const auto firstGone = std::upper_bound(lines_.begin() + lineHead_, lines_.end(), raw);
  const auto lastGone = std::upper_bound(firstGone, lines_.end(), raw + count);
  const auto kept = lines_.erase(firstGone, lastGone);
  for (auto it = kept; it != lines_.end(); ++it) *it -= count;

  for (qsizetype i = runHead_; i < static_cast<qsizetype>(runs_.size()); ++i)
    if (runs_[i].Start > raw) runs_[i].Start = std::max(raw, runs_[i].Start - count);
  // Runs left empty give way to the run that follows them at the same start.
  std::vector<TRun> live(runs_.begin() + runHead_, runs_.end());
  runs_.erase(runs_.begin() + runHead_, runs_.end());
  for (std::size_t i = 0; i < live.size(); ++i) {
    if (i + 1 < live.size() && live[i + 1].Start == live[i].Start) continue;
    if (static_cast<qsizetype>(runs_.size()) > runHead_ && runs_.back().Style == live[i].Style) continue;
    runs_.push_back(live[i]);
  }
  if (static_cast<qsizetype>(runs_.size()) > runHead_) runs_[runHead_].Start = std::min(runs_[runHead_].Start, head_);
  maxLineLengthValid_ = false;
}

qsizetype TTraceBuffer::TrimFront(qsizetype count) {
  count = std::clamp<qsizetype>(count, 0, Length());
  // Never leave half of a surrogate pair behind.
  if (count > 0 && count < Length() && At(count - 1).isHighSurrogate()) ++count;
  if (count == 0) return 0;
  head_ += count;
  trimmedTotal_ += count;
  const qsizetype before = lineHead_;
  while (lineHead_ + 1 < static_cast<qsizetype>(lines_.size()) && lines_[lineHead_ + 1] <= head_) ++lineHead_;
  lines_[lineHead_] = std::max(lines_[lineHead_], head_);
  while (runHead_ + 1 < static_cast<qsizetype>(runs_.size()) && runs_[runHead_ + 1].Start <= head_) ++runHead_;
  if (runHead_ < static_cast<qsizetype>(runs_.size())) runs_[runHead_].Start = std::max(runs_[runHead_].Start, head_);
  maxLineLengthValid_ = false;
  const qsizetype removedLines = lineHead_ - before;
  if (head_ > (1 << 16) && head_ > text_.size() / 2) Compact();
  return removedLines;
}

void TTraceBuffer::Compact() {
  text_.remove(0, head_);
  lines_.erase(lines_.begin(), lines_.begin() + lineHead_);
  for (qsizetype& start : lines_) start -= head_;
  runs_.erase(runs_.begin(), runs_.begin() + runHead_);
  for (TRun& run : runs_) run.Start -= head_;
  head_ = lineHead_ = runHead_ = 0;
}

void TTraceBuffer::Clear() {
  text_.clear();
  text_.squeeze();
  head_ = lineHead_ = runHead_ = 0;
  trimmedTotal_ = 0;
  lines_.assign(1, 0);
  runs_.clear();
  pendingCr_ = false;
  maxLineLength_ = 0;
  maxLineLengthValid_ = true;
}

qsizetype TTraceBuffer::Find(QStringView needle, qsizetype from) const {
  if (needle.isEmpty() || from < 0 || from >= Length()) return -1;
  return All().indexOf(needle, from, Qt::CaseInsensitive);
}

QString TTraceBuffer::PlainText() const {
  QString out = All().toString();
  out.replace(u'\n', QStringLiteral("\r\n"));
  return out;
}

std::vector<TTextRun> TTraceBuffer::WrittenRuns() const {
  std::vector<TTextRun> out;
  ForEachPiece(0, Length(), [&](qsizetype pos, qsizetype count, const TRunStyle& style) {
    QString piece = View(pos, count).toString();
    piece.replace(u'\n', QStringLiteral("\r\n"));
    const QByteArray utf8 = piece.toUtf8();
    std::string text(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (!out.empty() && out.back().Color == style.Written) out.back().Text.append(text);
    else out.push_back(TTextRun{std::move(text), style.Written});
  });
  return out;
}
