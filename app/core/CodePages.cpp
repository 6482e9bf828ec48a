#include "core/CodePages.h"

#include <cstdio>

#include "core/Charsets.h"

std::string_view BuiltInPageName(int kind) {
  static constexpr std::string_view kNames[BuiltInPageCount] = {"ASC-II", "ANSI", "OEM", "Dezimal",
                                                                 "Hexadezimal"};
  return kind >= 0 && kind < BuiltInPageCount ? kNames[kind] : std::string_view();
}

std::string BuiltInText(int kind, std::uint8_t b) {
  char buf[8];
  std::string text;
  switch (kind) {
    case cpAscii:
      return AsciiNames()[b];
    case cpAnsi:
      if (b < 32) return AsciiNames()[b];
      AppendUtf8(text, Cp1252ToUnicode(b));
      return text;
    case cpOem:
      if (b < 32) return AsciiNames()[b];
      AppendUtf8(text, Cp850ToUnicode(b));
      return text;
    case cpDezimal:
      std::snprintf(buf, sizeof buf, "%03u ", static_cast<unsigned>(b));
      return buf;
    case cpHexadezimal:
      std::snprintf(buf, sizeof buf, "%02X ", static_cast<unsigned>(b));
      return buf;
    default:
      return text;
  }
}

int BasePageOf(std::string_view pageName) {
  static constexpr std::string_view kTags[BuiltInPageCount] = {"[ASC-II]", "[ANSI]", "[OEM]", "[DEZ]", "[HEX]"};
  for (int kind = 0; kind < BuiltInPageCount; ++kind)
    if (pageName.find(kTags[kind]) != std::string_view::npos) return kind;
  return cpNone;
}

std::string CodeListItem(std::uint8_t b, std::string_view text, bool decimalPage) {
  if (decimalPage) return std::string(text);
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03u: ", static_cast<unsigned>(b));
  std::string item(buf);
  item.append(text);
  return item;
}

int ByteOfItem(std::string_view item) {
  if (item.size() < 3) return -1;
  int value = 0;
  bool digits = false;
  for (const char c : item.substr(0, 3)) {
    if (c == ' ' && !digits) continue;  // right-aligned numbers
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
    digits = true;
  }
  return digits && value <= 255 ? value : -1;
}

std::string TextOfItem(std::string_view item) { return std::string(Utf8Mid(item, 5, kMaxCodeTextChars)); }

std::string CutCodeText(std::string_view text) { return std::string(Utf8Mid(text, 0, kMaxCodeTextChars)); }

bool CodeTextStorable(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back('\'');
  quoted.append(text);
  quoted.push_back('\'');
  return quoted.find("','") == std::string::npos;
}

std::string JoinCodeTexts(const std::array<std::string, 256>& texts) {
  std::string value;
  value.reserve(256 * 4);
  for (std::size_t b = 0; b < texts.size(); ++b) {
    value.append(b == 0 ? "'" : ",'");
    value.append(texts[b]);
    value.push_back('\'');
  }
  return value;
}

std::array<std::string, 256> SplitCodeTexts(std::string_view value) {
  // The settings reader drops the enclosing apostrophes of a stored value
  // (and a value stored without them comes back the same): put them back.
  std::string rest;
  rest.reserve(value.size() + 2);
  rest.push_back('\'');
  rest.append(value);
  rest.push_back('\'');

  std::array<std::string, 256> texts;
  std::string_view v = rest;
  // The separator takes the next text's opening apostrophe with it, so only
  // the first one is dropped here; a text may itself begin with one.
  v.remove_prefix(1);
  for (std::string& text : texts) {
    if (v.empty()) break;
    const std::size_t sep = v.find("','");
    if (sep != std::string_view::npos) {
      text = v.substr(0, sep);
      v.remove_prefix(sep + 3);
    } else {
      // The last text: everything before its closing apostrophe.
      if (!v.empty() && v.back() == '\'') text = v.substr(0, v.size() - 1);
      v = {};
    }
  }
  return texts;
}

bool& FlagOf(TCodeEntry& entry, TByteFlag flag) {
  switch (flag) {
    case TByteFlag::Start:
      return entry.StartChar;
    case TByteFlag::Stop:
      return entry.StopChar;
    default:
      return entry.LineBreak;
  }
}

bool FlagOf(const TCodeEntry& entry, TByteFlag flag) { return FlagOf(const_cast<TCodeEntry&>(entry), flag); }

std::string FlagString(const TCodeEntries& entries, TByteFlag flag) {
  std::string flags(256, '0');
  for (std::size_t b = 0; b < 256; ++b)
    if (FlagOf(entries[b], flag)) flags[b] = '1';
  return flags;
}

void ApplyFlagString(TCodeEntries& entries, TByteFlag flag, std::string_view flags) {
  for (std::size_t b = 0; b < 256; ++b) FlagOf(entries[b], flag) = b < flags.size() && flags[b] == '1';
}
