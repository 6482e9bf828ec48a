// Per byte value: the text written into the trace and the byte's line flags.
#pragma once

#include <array>
#include <memory>
#include <string>

struct TCodeEntry {
  std::string Text;
  std::string BaseText;
  bool LineBreak = false;
  bool StartChar = false;
  bool StopChar = false;
  bool Changed = false;
};

using TCodeEntries = std::array<TCodeEntry, 256>;

// The fixed bracketed-name table ("[NUL]" … "[DEL]", "[128]" … "[255]").
const std::array<std::string, 256>& AsciiNames();

// The built-in "ASC-II" page with no flags set.
std::shared_ptr<const TCodeEntries> DefaultCodeEntries();
