// How the text a plug-in returns for one record reaches the trace: the line
// rules around it (new line, prefix, inner and final line ends) and its
// colour. Works on the pipeline's line state; the text is collected in runs
// and shown after the plug-in's lock is released.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SeriellData.h"
#include "core/Colors.h"

class TReceivePipeline;

// Runs of one colour, joined while they come.
class TPlugInOutput {
 public:
  void Append(std::string_view text, TColor color);
  void EmitTo(TReceivePipeline& pipeline);
  bool Empty() const { return runs_.empty(); }

 private:
  struct TRun {
    std::string Text;
    TColor Color;
  };
  std::vector<TRun> runs_;
};

// A plug-in colour (blue-green-red) as the trace draws it: one of the nine of
// the list, anything else black.
TColor PlugInColor(std::uint32_t bgr);

// Renders text for record r; the caller sets the last record afterwards.
void RenderPlugInText(TReceivePipeline& pipeline, const TSeriellData& r, std::string text, std::uint32_t bgrColor,
                      TPlugInOutput& out);
