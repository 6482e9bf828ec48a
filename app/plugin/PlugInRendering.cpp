#include "plugin/PlugInRendering.h"

#include <cmath>

#include "core/ReceivePipeline.h"

namespace {
constexpr std::string_view kCrLf = "\r\n";
}

void TPlugInOutput::Append(std::string_view text, TColor color) {
  if (text.empty()) return;
  if (!runs_.empty() && runs_.back().Color == color)
    runs_.back().Text.append(text);
  else
    runs_.push_back({std::string(text), color});
}

void TPlugInOutput::EmitTo(TReceivePipeline& pipeline) {
  for (const TRun& run : runs_) pipeline.EmitRun(run.Text, run.Color);
  runs_.clear();
}

TColor PlugInColor(std::uint32_t bgr) {
  switch (bgr) {
    case 0x000000:
    case 0x000080:
    case 0x0000FF:
    case 0x008000:
    case 0x008080:
    case 0x00FF00:
    case 0x800000:
    case 0x808080:
    case 0xFF0000:
      return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    default:
      return clBlack;
  }
}

void RenderPlugInText(TReceivePipeline& p, const TSeriellData& r, std::string text, std::uint32_t bgrColor,
                      TPlugInOutput& out) {
  const TColor color = PlugInColor(bgrColor);
  const TRxOptions& opt = p.RenderOptions();
  const TTimeDifference diff = p.TimeDiff(r);
  const auto& last = p.LastRec();

  const bool startsWithLineEnd = text.starts_with(kCrLf);
  bool newLine = startsWithLineEnd;
  if (opt.chkDatenAend && last && r.Dir != last->Dir) newLine = true;
  if (opt.chkZwPause && std::llround(diff.Days * 86'400'000.0) > opt.PauseLimitMs) newLine = true;

  if (newLine && ((p.LineChars() > 0 && p.LineOpen()) || startsWithLineEnd)) {
    // The line closed belongs to the side of the record shown last.
    const std::string& side = p.SideText(last ? last->Dir : r.Dir);
    out.Append(p.LineEndText(opt.chkTextEnde ? std::string_view(side) : std::string_view()), p.LineColor());
    p.SetLineState(0, false, p.LineColor());
    if (startsWithLineEnd) text.erase(0, kCrLf.size());
  }

  std::string shown = p.LinePrefix(r, diff);
  bool lineEnds = false;
  if (text.ends_with(kCrLf)) {
    text.resize(text.size() - kCrLf.size());
    lineEnds = true;
  }
  std::size_t from = 0;
  for (std::size_t at = text.find(kCrLf); at != std::string::npos; at = text.find(kCrLf, from)) {
    shown.append(text, from, at - from);
    shown += p.LineEndText("");
    p.SetLineState(0, false, p.LineColor());
    shown += p.LinePrefix(r, TTimeDifference{});
    from = at + kCrLf.size();
  }
  shown.append(text, from);
  if (lineEnds) {
    shown += p.LineEndText("");
    p.SetLineState(0, false, color);
  } else {
    p.SetLineState(1, true, color);
  }
  out.Append(shown, color);
}
