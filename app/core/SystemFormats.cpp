#include "core/SystemFormats.h"

#include <langinfo.h>

namespace {

std::string ExpandComposites(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 8);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'D') {
      out.append("%m/%d/%y");
      ++i;
    } else if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'F') {
      out.append("%Y-%m-%d");
      ++i;
    } else {
      out.push_back(pattern[i]);
    }
  }
  return out;
}

// The field a conversion stands for, or nullptr.
const char* DateField(char conversion) {
  switch (conversion) {
    case 'd':
    case 'e':
      return "dd";
    case 'm':
      return "mm";
    case 'y':
    case 'Y':
      return "yyyy";
    default:
      return nullptr;
  }
}

}  // namespace

std::string ShortDateFmtFromStrftime(std::string_view pattern, bool* ok) {
  const std::string p = ExpandComposites(pattern);
  std::string fields[3];
  std::string separator;
  int count = 0;
  std::size_t afterFirst = 0;
  bool valid = true;
  for (std::size_t i = 0; i + 1 < p.size() && valid; ++i) {
    if (p[i] != '%') continue;
    std::size_t c = i + 1;
    if ((p[c] == 'E' || p[c] == 'O') && c + 1 < p.size()) ++c;
    const char* field = DateField(p[c]);
    if (field != nullptr) {
      if (count == 3) {
        valid = false;
        break;
      }
      if (count == 1) separator = p.substr(afterFirst, i - afterFirst);
      fields[count++] = field;
      afterFirst = c + 1;
    }
    i = c;
  }
  valid = valid && count == 3 && !separator.empty() && fields[0] != fields[1] && fields[1] != fields[2] &&
          fields[0] != fields[2];
  if (ok) *ok = valid;
  if (!valid) return "dd.mm.yyyy";
  return fields[0] + separator + fields[1] + separator + fields[2];
}

TSystemFormats ReadSystemFormats() {
  TSystemFormats formats;
  const char* date = nl_langinfo(D_FMT);
  const char* time = nl_langinfo(T_FMT);
  formats.FoundShortDate = date ? date : "";
  formats.FoundLongTime = time ? time : "";
  formats.ShortDateFmt = ShortDateFmtFromStrftime(formats.FoundShortDate, &formats.ShortDateOk);
  return formats;
}
