// How fast the trace takes hexadecimal records ("41 " each) at its limit of a
// million characters, offscreen:
//  - BM_PaneAppend: the window thread alone, drains as the drain timer hands
//    them over (36,000 records = 15 ms at 2.4 million a second), painted;
//  - BM_ReceiveToPane: the whole road: a producer thread fills the ring, the
//    consumer renders, the window drains and paints; every record is counted;
//  - BM_Stock*: the same drains into Qt's own text widgets, for comparison.
// Run: QT_QPA_PLATFORM=offscreen ./build/bench/bench_trace_pane
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "QtBenchMain.h"
#include "window/FMain.h"
#include "window/TracePane.h"

namespace {

constexpr int kRecordsPerDrain = 36'000;
constexpr int kRecordLength = 3;  // "41 "

std::string HexRun(int records) {
  std::string text;
  text.reserve(static_cast<std::size_t>(records) * kRecordLength);
  for (int i = 0; i < records; ++i) text.append("41 ");
  return text;
}

void Fill(TFrmMain& frm) {
  const std::string chunk = HexRun(kRecordsPerDrain);
  // Counted with what was trimmed: a pane that trims below a million
  // characters would otherwise never be full.
  TTracePane* pane = frm.TracePane();
  while (pane->Length() + pane->Buffer().TrimmedTotal() < 1'000'000) frm.AppendText(pane, chunk, clRed);
}

void BM_PaneAppend(benchmark::State& state) {
  TFrmMain frm;
  frm.resize(760, 520);
  frm.show();
  Fill(frm);
  const std::string chunk = HexRun(kRecordsPerDrain);
  TTracePane* pane = frm.TracePane();
  for (auto _ : state) {
    pane->BeginUpdate();
    frm.AppendText(pane, chunk, clRed);
    pane->EndUpdate();
    QCoreApplication::processEvents();  // paints
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecordsPerDrain, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaneAppend)->UseRealTime()->Unit(benchmark::kMillisecond);

std::shared_ptr<const TCodeEntries> HexCodes() {
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  static const char* const digits = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    std::string& text = (*codes)[b].Text;
    text.clear();
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 15]);
    text.push_back(' ');
  }
  return codes;
}

// The producer keeps out of the last slots, so that a full ring never drops
// a record: what is measured is the rate the road sustains. It claims runs
// of up to 128 records, as a port does with the bytes of one read.
void Produce(ReceiveRing& ring, std::int64_t records) {
  TSeriellData proto;
  proto.RecType = rtSeriell;
  proto.Count = 1;
  proto.Data[0] = 0x41;
  proto.Dir = dirPortB;
  proto.Ready = 1;
  for (std::int64_t i = 0; i < records;) {
    const int room = ring.FreeSlots() - 2000;
    if (room <= 0) {
      std::this_thread::yield();
      continue;
    }
    int first = 0;
    double stamp = 0.0;
    const int run = ring.ClaimRun(static_cast<int>(std::min<std::int64_t>({room, 128, records - i})), first, stamp);
    for (int k = 0; k < run; ++k) {
      TSeriellData& r = ring.Slot((first + k) % ReceiveRing::Size);
      r = proto;
      r.Time = stamp;
    }
    ring.CommitRun(run);
    i += run;
  }
}

void BM_ReceiveToPane(benchmark::State& state) {
  // One second's worth at the target of 2.4 million a second: long enough
  // to pass many drain timer turns and trims, short on a shared machine.
  constexpr std::int64_t kRecords = 2'400'000;
  for (auto _ : state) {
    state.PauseTiming();
    auto frm = std::make_unique<TFrmMain>();
    frm->resize(760, 520);
    frm->show();
    TRxOptions rx = frm->Pipeline().Options();
    rx.Codes = HexCodes();
    frm->Pipeline().SetOptions(rx);
    Fill(*frm);
    const qint64 before = frm->TracePane()->Length() + frm->TracePane()->Buffer().TrimmedTotal();
    const qint64 expected = before + kRecords * kRecordLength;
    state.ResumeTiming();

    std::jthread producer([&ring = frm->Ring()] { Produce(ring, kRecords); });
    QElapsedTimer clock;
    clock.start();
    qint64 shown = before;
    while (shown < expected && clock.elapsed() < 120'000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      shown = frm->TracePane()->Length() + frm->TracePane()->Buffer().TrimmedTotal();
    }
    producer.join();

    state.PauseTiming();
    if (shown != expected || frm->Ring().LostTotal() != 0) {
      state.SkipWithError("records lost");
      break;
    }
    frm.reset();
    state.ResumeTiming();
  }
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveToPane)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// Qt's own widgets, the same drains, trimmed the same way. lineEvery > 0
// breaks the hex stream into lines of that many records.
template <class TEdit>
void StockAppend(benchmark::State& state) {
  const int lineEvery = static_cast<int>(state.range(0));
  const int recordsPerDrain = static_cast<int>(state.range(1));
  TEdit edit;
  edit.setReadOnly(true);
  edit.setLineWrapMode(TEdit::NoWrap);
  edit.resize(760, 480);
  edit.show();
  QString chunk;
  for (int i = 0; i < recordsPerDrain; ++i) {
    chunk += QStringLiteral("41 ");
    if (lineEvery > 0 && i % lineEvery == lineEvery - 1) chunk += QLatin1Char('\n');
  }
  QTextCharFormat format;
  format.setForeground(QColor(255, 0, 0));
  const auto append = [&] {
    QTextCursor cursor(edit.document());
    const int length = edit.document()->characterCount();
    if (length > 1'000'000) {
      cursor.setPosition(0);
      cursor.setPosition(length - 980'000, QTextCursor::KeepAnchor);
      cursor.removeSelectedText();
    }
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(chunk, format);
    QCoreApplication::processEvents();
  };
  while (lineEvery > 0 && edit.document()->characterCount() < 1'000'000) append();
  for (auto _ : state) append();
  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * recordsPerDrain, benchmark::Counter::kIsRate);
}

void BM_StockPlainTextEdit(benchmark::State& state) { StockAppend<QPlainTextEdit>(state); }
void BM_StockTextEdit(benchmark::State& state) { StockAppend<QTextEdit>(state); }
// Lines of 25 records at the limit; and the hex stream as it comes, one line
// growing from empty (a few drains only: it slows down as it grows).
BENCHMARK(BM_StockPlainTextEdit)->Args({25, 36'000})->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StockTextEdit)->Args({25, 36'000})->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StockPlainTextEdit)->Args({0, 36'000})->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

TAMARIK_QT_BENCHMARK_MAIN()
