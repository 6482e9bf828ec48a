#include "core/SendText.h"

#include <cstdio>

namespace {

bool IsBlank(char c) { return c == ' '; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsHexDigit(char c) { return HexDigit(c) >= 0; }

std::string_view TrimLeftControls(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') ++at;
  return text.substr(at);
}

std::string Hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, static_cast<unsigned>(value));
  return buffer;
}

}  // namespace

std::uint32_t HexToInt(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  while (!text.empty() && text.front() == '0') text.remove_prefix(1);
  if (text.size() > 8) text = text.substr(0, 8);
  std::uint32_t value = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) throw THexError();
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::string ParseSendText(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  const std::size_t n = text.size();
  bool blankTaken = true;  // no blank is dropped in front of a first escape
  std::size_t at = 0;
  const auto escapeAt = [&](std::size_t pos) { return text.compare(pos, 2, "0x") == 0; };
  const auto takeEscape = [&] {
    bytes.push_back(static_cast<char>(HexToInt(text.substr(at + 2, 2)) & 0xFF));
    at += 4;
    blankTaken = at < n && IsBlank(text[at]);
    if (blankTaken) ++at;
  };
  while (at < n) {
    if (escapeAt(at) && n - at >= 4) {
      takeEscape();
    } else if (!blankTaken && IsBlank(text[at]) && n - at >= 5 && escapeAt(at + 1)) {
      ++at;
      takeEscape();
    } else {
      bytes.push_back(text[at++]);
      blankTaken = false;
    }
  }
  return bytes;
}

std::string WithLineEnd(std::string bytes, bool addCR, bool addLF) {
  if (addCR) bytes.push_back('\r');
  if (addLF) bytes.push_back('\n');
  return bytes;
}

TCanHeader ParseCanHeader(std::string_view text) {
  TCanHeader header;
  text = TrimLeftControls(text);
  if (!text.empty() && !IsHexDigit(text.front())) {
    header.Extended = true;
    // "x 10" means what "x10" means.
    text = TrimLeftControls(text.substr(1));
  }
  const std::size_t blank = text.find(' ');
  header.Ident = HexToInt(text.substr(0, blank));
  if (header.Ident > 0x7FF) header.Extended = true;
  if (blank != std::string_view::npos) header.DataText = std::string(text.substr(blank + 1));
  return header;
}

int RtrLengthOf(std::string_view edRTRLenText) {
  int length = 0;
  for (const char c : edRTRLenText) {
    if (c < '0' || c > '9') break;
    length = length * 10 + (c - '0');
    if (length > 8) return 8;
  }
  return length;
}

std::string CanPreview(std::string_view text, int rtrLength, std::string_view wrongIdText) {
  TCanHeader header;
  try {
    header = ParseCanHeader(text);
  } catch (const THexError&) {
    return std::string(wrongIdText);
  }
  std::string preview = header.Extended ? "ID29: " + Hex(header.Ident, 8) : "ID11: " + Hex(header.Ident, 3);
  if (rtrLength >= 0) return preview + "  RTR DLC: " + std::to_string(rtrLength);
  std::string data;
  try {
    data = ParseSendText(header.DataText);
  } catch (const THexError&) {
    // A bad escape sends nothing; the preview shows no data either.
  }
  const std::size_t length = data.size() < kCanMaxData ? data.size() : kCanMaxData;
  preview += "      DLC: " + std::to_string(length);
  if (length > 0) {
    preview += "  >";
    for (std::size_t i = 0; i < length; ++i) preview += " " + Hex(static_cast<unsigned char>(data[i]), 2);
  }
  return preview;
}
