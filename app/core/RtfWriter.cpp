#include "core/RtfWriter.h"

#include "core/Charsets.h"

std::string RtfHeader() {
  return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}}\r\n"
         "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;"
         "\\red128\\green128\\blue128;\\red128\\green0\\blue0;\\red0\\green0\\blue128;"
         "\\red0\\green255\\blue0;\\red0\\green128\\blue0;\\red0\\green128\\blue128;}\r\n"
         "\\viewkind4\\uc1\\pard\\f0\\fs20";
}

std::string_view RtfColorTag(TColor color) {
  switch (color & 0xFFFFFF) {
    case 0xFF0000: return "\\cf2 ";
    case 0x800000: return "\\cf5 ";
    case 0x0000FF: return "\\cf3 ";
    case 0x000080: return "\\cf6 ";
    case 0x808080: return "\\cf4 ";
    case 0x00FF00: return "\\cf7 ";
    case 0x008000: return "\\cf8 ";
    default: return "\\cf1 ";
  }
}

std::string RtfEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 16);
  std::size_t at = 0;
  while (at < utf8.size()) {
    const char c = utf8[at];
    if (c == '\\' || c == '{' || c == '}') {
      out.push_back('\\');
      out.push_back(c);
      ++at;
    } else if (c == '\r' && at + 1 < utf8.size() && utf8[at + 1] == '\n') {
      out.append("\r\n\\par ");
      at += 2;
    } else if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(c);
      ++at;
    } else {
      const char32_t cp = NextUtf8(utf8, at);
      const int byte = UnicodeToCp1252(cp);
      if (byte >= 0) {
        out.push_back(static_cast<char>(byte));
      } else {
        // \uN takes a signed 16-bit number; beyond that, a replacement.
        const int value = cp <= 0xFFFF ? static_cast<int>(static_cast<std::int16_t>(cp)) : 0xFFFD - 0x10000;
        out.append("\\u").append(std::to_string(value)).append("?");
      }
    }
  }
  return out;
}

std::string TRtfRunWriter::Run(std::string_view utf8, TColor color) {
  std::string out;
  if (color != lastRtfColor_) out.append(RtfColorTag(color));
  lastRtfColor_ = color;
  out.append(RtfEscape(utf8));
  return out;
}

std::string RtfDocument(const std::vector<TTextRun>& runs) {
  std::string doc = RtfHeader();
  TRtfRunWriter writer;
  for (const TTextRun& run : runs) doc.append(writer.Run(run.Text, run.Color));
  doc.push_back('}');
  return doc;
}
